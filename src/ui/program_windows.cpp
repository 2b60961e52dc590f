// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/program_windows.h"

#include "ui/help_window.h"

namespace stampwell {

QPointer<QWidget>& TProgramWindows::help() {
  static QPointer<QWidget> window;
  return window;
}

QPointer<QWidget>& TProgramWindows::about() {
  static QPointer<QWidget> window;
  return window;
}

void TProgramWindows::SetHelpWindow(QWidget* window) { help() = window; }
QWidget* TProgramWindows::HelpWindow() { return help().data(); }
void TProgramWindows::SetAboutWindow(QWidget* window) { about() = window; }
QWidget* TProgramWindows::AboutWindow() { return about().data(); }

void TProgramWindows::ShowHelp(const QString& anchor) {
  QWidget* window = HelpWindow();
  if (!window) return;
  if (auto* help = qobject_cast<TfrmHelp*>(window)) {
    help->ShowHelp(anchor);
    help->raise();
    help->activateWindow();
    return;
  }
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace stampwell
