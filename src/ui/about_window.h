#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace stampwell {

// The About window: the program's name and version and two links that open the maker's
// support and home pages in the default web browser. Created once at start, shown modally
// by the About action.
class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* owner = nullptr);

  static QString SupportUrl();
  static QString HomeUrl();

  QLabel* Name = nullptr;
  QLabel* Version = nullptr;
  QLabel* SupportLink = nullptr;
  QLabel* HomeLink = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace stampwell
