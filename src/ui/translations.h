// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace stampwell {

// Loads the window texts' translation for locale (the user's, from LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG) into the application: "stampwell_<language>.qm" from the folder
// "translations" of the program's data (DataDir), and Qt's own translation of its standard
// dialogs where the system has one. Log lines and stored keys are never translated. Returns
// the name of the program's translation file loaded, or "" when none fits (the texts stay
// English).
QString InstallTranslations(QCoreApplication& app, const QLocale& locale = QLocale());

// The folder the program's translations are looked for in, ending with "/".
QString TranslationsDir();

}  // namespace stampwell
