// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

// LibreOffice writes each VML shape type (the geometry that a text effect, WordArt, refers to)
// once per file, into the first part that uses it. A header stored after a body that already
// holds a text effect then refers to a definition that is not in its own part, and readers,
// LibreOffice among them, drop the header's shape: the watermark is gone when the file is
// opened again. Each part must define the shape types it uses.
namespace stampwell::ooxml {

// The shape type definitions of one part, by id ("_x0000_t136" -> "<v:shapetype ...>").
// Empty for a part that is not XML.
std::map<std::string, std::string> VmlShapeTypes(const std::string& partXml);

// partXml with the definitions it refers to but lacks copied from known, each right before
// the first shape that uses it. Unchanged (the same text) when nothing is missing or known.
std::string WithVmlShapeTypes(const std::string& partXml,
                              const std::map<std::string, std::string>& known);

// Completes the parts under word/ of the Word package at path in place. Returns how many
// parts were changed; throws EPackageError when path is not a readable package.
int CompleteVmlShapeTypes(const std::string& path);

}  // namespace stampwell::ooxml
