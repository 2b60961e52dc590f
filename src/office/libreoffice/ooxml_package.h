// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace stampwell {

// The Word filters that store Office Open XML packages (.docx, .docm).
bool IsWordOpenXmlFilter(const std::string& filter);

// LibreOffice writes each VML shape type (the geometry of a text effect) once per file, into
// the first part that uses it; readers then drop a header's watermark whose type is defined
// only in the body. Completes the parts of the Word package at path (a stored .docx or
// .docm) in place, through the package library (see office/ooxml/vml_shape_types.h).
// Returns how many parts were changed; a file that is not a readable package raises
// ooxml::EPackageError.
int CompleteVmlShapeTypes(const std::string& path);

}  // namespace stampwell
