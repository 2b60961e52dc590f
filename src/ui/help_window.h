// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace stampwell {

class THtmViewFrame;

// The help window "Stampwell Help": one help page filling it. Created hidden at start and
// kept; closing it only hides it. Shown beside the main window, not modally.
class TfrmHelp : public QWidget {
  Q_OBJECT

 public:
  // mainWindow (may be null) is the window it centres on when shown.
  explicit TfrmHelp(QWidget* mainWindow = nullptr);

  // Shows the window, not modally, optionally at a named anchor of the document.
  void ShowHelp(const QString& anchor = QString());

  THtmViewFrame* HtmViewFrame;

 private:
  void FormCreate();

  QWidget* mainWindow_;
  bool placed_ = false;
};

}  // namespace stampwell
