// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace stampwell {

// The About window: the program's name, the version of this build, what it does, its licence,
// and links to the help that comes with it, to the licence and to the project's support and
// home pages (those it has; the web pages open in the default browser). Created once at
// start, shown modally by the About action.
class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* owner = nullptr);

  // The version the build was made as ("0.1.0").
  static QString BuildVersion();
  // The project's support and home pages; empty while the project has none.
  static QString SupportUrl();
  static QString HomeUrl();
  static QString LicenseUrl();

  QLabel* Name = nullptr;
  QLabel* Version = nullptr;
  QLabel* Description = nullptr;
  QLabel* HelpLink = nullptr;
  QLabel* License = nullptr;
  QLabel* LicenseLink = nullptr;
  // Null when the project has no such page.
  QLabel* SupportLink = nullptr;
  QLabel* HomeLink = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace stampwell
