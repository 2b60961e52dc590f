#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace stampwell {

// The About window: the program's name, the build's version, its licence, and links that open
// the licence and the project's support and home pages (those it has) in the default web
// browser. Created once at start, shown modally by the About action.
class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* owner = nullptr);

  // The project's support and home pages; empty while the project has none.
  static QString SupportUrl();
  static QString HomeUrl();
  static QString LicenseUrl();
  static QString VersionNumber();

  QLabel* Name = nullptr;
  QLabel* Version = nullptr;
  QLabel* License = nullptr;
  QLabel* LicenseLink = nullptr;
  // Null when the project has no such page.
  QLabel* SupportLink = nullptr;
  QLabel* HomeLink = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace stampwell
