// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QFrame;

namespace stampwell {

class TMhtBrowser;

// Anchor of the help heading on PDF output, which the new-job wizard's link leads to.
inline constexpr const char* kPdfHelpAnchor = "pdf-output";

// The help page: shows the program's help document "help.mht" from the program's data folder.
// A missing document leaves the page blank, with no message.
class THtmViewFrame : public QWidget {
  Q_OBJECT

 public:
  explicit THtmViewFrame(QWidget* parent = nullptr);

  // Loads DataDir() + "help.mht" when it exists.
  void Init();
  // Scrolls the document to a named anchor (kPdfHelpAnchor, ...).
  void ScrollToAnchor(const QString& anchor);

  QFrame* HtmPanel;
  TMhtBrowser* HtmBrowser;
};

}  // namespace stampwell
