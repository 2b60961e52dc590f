// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>

#include "platform/message_sink.h"

namespace stampwell {

// The program keeps its texts (paths, names, log lines) as UTF-8 in std::string; the windows
// show them as QString.
inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// Every message box of the windows goes through the program's message sink.
inline void Tell(const QString& text) { ShowMessage(text.toUtf8().toStdString()); }

}  // namespace stampwell
