#pragma once

#include <QPointer>
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

  // Shows the help window, not modally, and brings it to the front; nothing without one.
  static void ShowHelp();

 private:
  static QPointer<QWidget>& help();
  static QPointer<QWidget>& about();
};

}  // namespace stampwell
