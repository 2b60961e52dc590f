// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace stampwell {

// Link text: blue, italic and underlined, with a pointing-hand cursor; emits clicked on a
// left-button release inside the text.
class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace stampwell
