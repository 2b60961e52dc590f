// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form_example_font.h"

#include <QLabel>

#include "ui/ui_fonts.h"

namespace stampwell {

TFormExampleFont::TFormExampleFont()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
  setObjectName(QStringLiteral("FormExampleFont"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);

  PanelFontName = new QLabel(this);
  PanelFontName->setObjectName(QStringLiteral("PanelFontName"));
  PanelFontName->setFont(DesktopFont());
  PanelFontName->setIndent(2);

  PanelPreview = new QLabel(this);
  PanelPreview->setObjectName(QStringLiteral("PanelPreview"));
  PanelPreview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PanelPreview->setAlignment(Qt::AlignCenter);
  PanelPreview->setAutoFillBackground(true);
  QPalette previewPal = PanelPreview->palette();
  previewPal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
  PanelPreview->setPalette(previewPal);
  QFont previewFont = DesktopFont();
  previewFont.setBold(true);
  previewFont.setPixelSize(24);
  PanelPreview->setFont(previewFont);

  resize(240, 60);
  Layout();
}

void TFormExampleFont::ShowFace(const QString& face, const QString& sampleText) {
  QFont f = PanelPreview->font();
  f.setFamily(face);
  PanelPreview->setFont(f);
  PanelPreview->setText(sampleText);
  PanelFontName->setText(face);
}

void TFormExampleFont::SetFontNameVisible(bool visible) {
  PanelFontName->setVisible(visible);
  Layout();
}

void TFormExampleFont::SetSampleText(const QString& text) { PanelPreview->setText(text); }

void TFormExampleFont::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

void TFormExampleFont::Layout() {
  // isHidden: the strip's own choice, independent of whether the window is on screen.
  const int strip = PanelFontName->isHidden() ? 0 : 15;
  PanelFontName->setGeometry(0, 0, width(), strip);
  PanelPreview->setGeometry(0, strip, width(), height() - strip);
}

}  // namespace stampwell
