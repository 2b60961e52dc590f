// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace stampwell {

// The program-wide windows that other windows reach without owning them: the help window
// (shown by the Help action and by the wizard's tips link) and the About window. The
// references clear themselves when a window is destroyed, so a caller never reaches a
// window that is gone.
class TProgramWindows {
 public:
  static void SetHelpWindow(QWidget* window);
  static QWidget* HelpWindow();
  static void SetAboutWindow(QWidget* window);
  static QWidget* AboutWindow();

  // Shows the help window, not modally, and brings it to the front, at the named anchor of
  // the help document when one is given (the help window scrolls there); nothing without one.
  static void ShowHelp(const QString& anchor = QString());

 private:
  static QPointer<QWidget>& help();
  static QPointer<QWidget>& about();
};

}  // namespace stampwell
