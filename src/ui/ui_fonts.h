// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QFont>

namespace stampwell {

// The desktop's UI font, at the size the desktop gives it: every window and page follows it.
inline QFont DesktopFont() { return QApplication::font(); }

}  // namespace stampwell
