// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

namespace stampwell {

// The font picker's preview: a borderless, always-on-top window without owner that shows the
// highlighted face name in a strip along the top and sample text in that face below. It is
// shown without taking the focus, so the picker's open list keeps it.
class TFormExampleFont : public QWidget {
  Q_OBJECT

 public:
  TFormExampleFont();

  // Shows face in the name strip and the sample text in that face.
  void ShowFace(const QString& face, const QString& sampleText);
  void SetFontNameVisible(bool visible);
  void SetSampleText(const QString& text);

  QLabel* PanelFontName;
  QLabel* PanelPreview;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();
};

}  // namespace stampwell
