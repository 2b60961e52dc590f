#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace stampwell {

// The About window: the program's name, the version of this build, what it does, and a link
// to the help that comes with it. Created once at start, shown modally by the About action.
class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* owner = nullptr);

  // The version the build was made as ("0.1.0").
  static QString BuildVersion();

  QLabel* Name = nullptr;
  QLabel* Version = nullptr;
  QLabel* Description = nullptr;
  QLabel* HelpLink = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace stampwell
