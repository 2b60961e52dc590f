#pragma once

#include <map>
#include <string>

#include <com/sun/star/uno/XComponentContext.hpp>

namespace stampwell {

// The Word filters that store Office Open XML packages (.docx, .docm).
bool IsWordOpenXmlFilter(const std::string& filter);

// LibreOffice writes each VML shape type (the geometry that a text effect, WordArt, refers to)
// once per file, into the first part that uses it. A header stored after a body that already
// holds a text effect then refers to a definition that is not in its own part, and readers,
// LibreOffice among them, drop the header's shape: the watermark is gone when the file is
// opened again. Each part must define the shape types it uses.

// The shape type definitions of one part, by id ("_x0000_t136" -> "<v:shapetype ...>").
std::map<std::string, std::string> VmlShapeTypes(const std::string& partXml);

// partXml with the definitions it refers to but lacks copied from known, each right before
// the first shape that uses it. Unchanged when nothing is missing or not known.
std::string WithVmlShapeTypes(const std::string& partXml,
                              const std::map<std::string, std::string>& known);

// Completes the parts of the Word package at path (a stored .docx or .docm) in place, through
// the office's own package storage. Returns how many parts were changed; a file that is not a
// readable package raises css::uno::Exception.
int CompleteVmlShapeTypes(const css::uno::Reference<css::uno::XComponentContext>& context,
                          const std::string& path);

}  // namespace stampwell
