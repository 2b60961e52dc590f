#pragma once

#include <QApplication>
#include <QFont>

namespace stampwell {

// The desktop's default UI font at the given point size; the pages use it wherever a
// classic dialog font is meant.
inline QFont DesktopFont(int pointSize) {
  QFont font = QApplication::font();
  font.setPointSize(pointSize);
  return font;
}

}  // namespace stampwell
