// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/ooxml_package.h"

#include "office/ooxml/vml_shape_types.h"

namespace stampwell {

bool IsWordOpenXmlFilter(const std::string& filter) {
  return filter == "MS Word 2007 XML" || filter == "MS Word 2007 XML VBA" ||
         filter == "Office Open XML Text";
}

int CompleteVmlShapeTypes(const std::string& path) { return ooxml::CompleteVmlShapeTypes(path); }

}  // namespace stampwell
