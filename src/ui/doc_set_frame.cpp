// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/doc_set_frame.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

#include <memory>

#include "office/doc_water_mark.h"
#include "platform/message_sink.h"
#include "ui/color_list_box.h"
#include "ui/link_label.h"
#include "ui/sc_font_combo_box.h"
#include "ui/ui_fonts.h"

namespace stampwell {
namespace {

const char* const kStrings[] = {"DRAFT",
                                "COPY",
                                "DO NOT COPY",
                                "ASAP",
                                "CONFIDENTIAL",
                                "ORIGINAL",
                                "PERSONAL",
                                "SAMPLE",
                                "TOP SECRET",
                                "COPIE",
                                "DOCUMENT INTERNE",
                                "EXEMPLE",
                                "HAUTEMENT CONFIDENTIEL",
                                "IMPORTANT",
                                "NE PAS DIFFUSER",
                                "NE PAS DISTRIBUER",
                                "NE PAS DUPLIQUER",
                                "PERSONNEL",
                                "SPECIMEN",
                                "TRES URGENT"};

const char* const kSizes[] = {"36", "40", "44", "48", "54",  "60", "66",
                              "72", "80", "90", "96", "105", "120"};

constexpr int kControlsLeft = 120;

// A caption at its designed place, moved left only as far as needed to end before the
// controls column: the desktop font may be wider than the designed one.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                  QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->adjustSize();
  label->move(std::min(x, kControlsLeft - 4 - label->width()), y);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

TDocSetFrame::TDocSetFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("DocSetFrame"));
  setFont(DesktopFont());
  resize(498, 264);

  LocPanel = new QFrame(this);
  LocPanel->setObjectName(QStringLiteral("LocPanel"));
  LocPanel->setFrameShape(QFrame::NoFrame);
  LocPanel->setGeometry(0, 16, 489, 241);

  GroupBox2 = new QGroupBox(tr("Watermark Settings"), LocPanel);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  GroupBox2->setGeometry(8, 0, 473, 233);

  wmString = new QComboBox(GroupBox2);
  wmString->setObjectName(QStringLiteral("wmString"));
  wmString->setEditable(true);
  wmString->setInsertPolicy(QComboBox::NoInsert);
  for (const char* s : kStrings) wmString->addItem(QString::fromLatin1(s));
  wmString->setCurrentIndex(4);
  wmString->setGeometry(120, 24, 185, 21);

  wmSize = new QComboBox(GroupBox2);
  wmSize->setObjectName(QStringLiteral("wmSize"));
  for (const char* s : kSizes) wmSize->addItem(QString::fromLatin1(s));
  wmSize->setCurrentIndex(5);
  wmSize->setGeometry(120, 64, 185, 21);

  wmFont = new TscFontComboBox(GroupBox2);
  wmFont->setObjectName(QStringLiteral("wmFont"));
  QFont pickerFont = DesktopFont();
  pickerFont.setPixelSize(13);
  wmFont->setFont(pickerFont);
  wmFont->setMaxVisibleItems(12);
  wmFont->SetPreviewWidth(240);
  wmFont->SetPreviewHeight(60);
  wmFont->FontTypes = ftTrueTypeAnsi | ftTrueTypeSymbol;
  wmFont->setGeometry(120, 104, 153, 24);
  wmFont->LoadFonts();
  wmFontSubstitute = new QLabel(GroupBox2);
  wmFontSubstitute->setObjectName(QStringLiteral("wmFontSubstitute"));
  wmFontSubstitute->setGeometry(280, 104, 473 - 280 - 8, 24);
  {
    QFont italic = wmFontSubstitute->font();
    italic.setItalic(true);
    wmFontSubstitute->setFont(italic);
  }
  wmFontSubstitute->hide();
  connect(wmFont, &TscFontComboBox::clicked, this, [this] {
    keepStoredFont_ = false;
    wmFontSubstitute->hide();
  });

  wmColor = new TColorListBox(GroupBox2);
  wmColor->setObjectName(QStringLiteral("wmColor"));
  wmColor->setGeometry(120, 144, 153, 22);
  wmColorPick = new QToolButton(GroupBox2);
  wmColorPick->setObjectName(QStringLiteral("wmColorPick"));
  wmColorPick->setText(tr("..."));
  wmColorPick->setToolTip(tr("Choose any colour"));
  wmColorPick->setGeometry(276, 144, std::max(24, wmColorPick->sizeHint().width()), 22);
  connect(wmColorPick, &QToolButton::clicked, this, &TDocSetFrame::ChooseColorClick);

  IsTranparent = new QCheckBox(tr("&Transparent"), GroupBox2);
  IsTranparent->setObjectName(QStringLiteral("IsTranparent"));
  IsTranparent->setChecked(true);
  IsTranparent->setGeometry(312, 144, std::max(97, IsTranparent->sizeHint().width()), 22);

  Style1 = new QRadioButton(tr("Oblique"), GroupBox2);
  Style1->setObjectName(QStringLiteral("Style1"));
  Style1->setChecked(true);
  Style1->adjustSize();
  Style1->move(120, 188);
  Style2 = new QRadioButton(tr("Horizontal"), GroupBox2);
  Style2->setObjectName(QStringLiteral("Style2"));
  Style2->adjustSize();
  Style2->move(216, 188);

  ViewResult = new TLinkLabel(tr("Preview in LibreOffice"), GroupBox2);
  ViewResult->setObjectName(QStringLiteral("ViewResult"));
  ViewResult->adjustSize();
  ViewResult->move(312, 192);
  connect(ViewResult, &TLinkLabel::clicked, this, &TDocSetFrame::ViewResultClick);

  Label2 = MakeLabel(GroupBox2, "Label2", tr("Watermark &text:"), 24, 28, wmString);
  Label4 = MakeLabel(GroupBox2, "Label4", tr("Si&ze: "), 32, 68, wmSize);
  Label5 = MakeLabel(GroupBox2, "Label5", tr("&Font:"), 32, 109, wmFont);
  Label1 = MakeLabel(GroupBox2, "Label1", tr("C&olor: "), 32, 148, wmColor);
  Label3 = MakeLabel(GroupBox2, "Label3", tr("&Style: "), 32, 190, Style1);
}

void TDocSetFrame::ChooseColorClick() {
  QColorDialog dialog(TColorListBox::ToQColor(wmColor->Selected()), this);
  dialog.setObjectName(QStringLiteral("ColorDialog"));
  dialog.setWindowTitle(tr("Watermark Colour"));
  if (dialog.exec() != QDialog::Accepted) return;
  const QColor chosen = dialog.selectedColor();
  if (chosen.isValid()) wmColor->SetSelected(TColorListBox::FromQColor(chosen));
}

void TDocSetFrame::ShowSettings(const std::optional<RDocSettings>& rec) {
  if (rec) DocSettings = *rec;

  const QString text = QString::fromStdString(DocSettings.DocWaterMarkStr);
  if (!text.isEmpty()) {
    const int index = wmString->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
      wmString->setCurrentIndex(index);
    } else {
      wmString->setCurrentIndex(-1);
      wmString->setEditText(text);
    }
  } else {
    wmString->setCurrentIndex(4);
  }

  wmSize->setCurrentIndex(6);
  const QString size = QString::fromStdString(DocSettings.DocWatermarkSize);
  if (!size.isEmpty()) {
    for (int i = 0; i < wmSize->count(); ++i) {
      if (wmSize->itemText(i) == size) wmSize->setCurrentIndex(i);
    }
  }

  ShowFont(QString::fromStdString(DocSettings.DocFontName));

  wmColor->SetSelected(DocSettings.DocWatermarkColor);
  IsTranparent->setChecked(DocSettings.Transparent);
  if (DocSettings.HX) {
    Style1->setChecked(true);
  } else {
    Style2->setChecked(true);
  }
}

void TDocSetFrame::ShowFont(const QString& stored) {
  const QString wanted = stored.isEmpty() ? QString::fromLatin1(kDefaultFont) : stored;
  auto listed = [this](const QString& face) {
    for (const QString& e : wmFont->Entries())
      if (e.startsWith(face + '=')) return true;
    return false;
  };
  QString shown = wanted;
  if (!listed(wanted)) shown = TscFontComboBox::MatchFamily(wanted);
  if (listed(shown))
    wmFont->SetFontName(shown);
  else if (wmFont->currentIndex() < 0)
    wmFont->SetFontName(QString());  // nothing chosen yet: the first entry
  // else the picker keeps the choice it has.
  const bool substituted = wmFont->FontName() != wanted;
  // A stored name stays in the profile until the user picks another font; a new job takes
  // the font it shows.
  keepStoredFont_ = !stored.isEmpty() && substituted;
  if (substituted) {
    wmFontSubstitute->setText(tr("in place of %1").arg(wanted));
    wmFontSubstitute->setToolTip(tr("%1 is not installed; %2 is shown and used in its place.")
                                     .arg(wanted, wmFont->FontName()));
  }
  wmFontSubstitute->setVisible(substituted);
}

bool TDocSetFrame::ReadSettings() {
  DocSettings.DocWaterMarkStr = wmString->currentText().toStdString();
  DocSettings.DocWatermarkSize = wmSize->currentText().toStdString();
  if (!keepStoredFont_) DocSettings.DocFontName = wmFont->FontName().toStdString();
  DocSettings.DocWatermarkColor = wmColor->Selected();
  DocSettings.Transparent = IsTranparent->isChecked();
  DocSettings.HX = Style1->isChecked();
  if (DocSettings.DocWaterMarkStr.empty()) {
    ShowMessage(tr("Please enter the watermark text first.").toStdString());
    return false;
  }
  return true;
}

void TDocSetFrame::DefaultValue() {
  DocSettings.Transparent = true;
  DocSettings.HX = true;
  DocSettings.DocWatermarkColor = 0x808080;
}

void TDocSetFrame::ViewResultClick() {
  // The engine lives for this click only; destroying it drops its reference to Word without
  // quitting it, so Word stays open on the sample document for the user.
  auto engine = std::make_unique<TDocWaterMark>();
  try {
    if (!engine->NewSWDoc(true)) return;  // the engine has told the user
    if (ReadSettings()) {  // else the page has told the user; the sample stays unstamped
      engine->DocSettings = DocSettings;
      engine->AddWaterMark();
    }
    // A sample for the eye: closing it does not ask to save it.
    engine->MarkSaved();
  } catch (const std::exception& e) {
    // A failing automation call ends the preview; the user sees what went wrong.
    ShowMessage(e.what());
  }
}

void TDocSetFrame::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FrameResize();
}

void TDocSetFrame::FrameResize() {
  const int left = LocPanel->width() < width() ? (width() - LocPanel->width()) / 2 : 0;
  const int top = LocPanel->height() < height() ? (height() - LocPanel->height()) / 2 : 0;
  LocPanel->move(left, top);
}

}  // namespace stampwell
