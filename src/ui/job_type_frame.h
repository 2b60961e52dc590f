// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QRadioButton;

namespace stampwell {
class TLinkLabel;
}

namespace stampwell {

// Step 1 of the new-job wizard: the kind of job. Three mutually exclusive choices; the two
// that print to PDF are offered only when a usable PDF printer was found at start-up.
class TJobTypeFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TJobTypeFrame(QWidget* parent = nullptr);

  // Sets the choices from PDFAvailable: with a usable PDF printer every choice is enabled and
  // "watermark, then print to PDF" is checked; without one only the watermark choice is
  // enabled and checked.
  void initvalue();
  // Shows the help window, not modally, when one exists.
  void tipsClick();

  QFrame* JobPanel = nullptr;
  QLabel* Label1 = nullptr;
  QRadioButton* WaterMark = nullptr;
  QRadioButton* PrintPDF = nullptr;
  QRadioButton* WatermarkPDF = nullptr;
  TLinkLabel* tips = nullptr;
};

}  // namespace stampwell
