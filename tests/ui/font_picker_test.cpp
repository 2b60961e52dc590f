// SPDX-License-Identifier: GPL-3.0-or-later
// The font picker: which fonts are listed, the recently used zone, FontName, drawing of the
// zone and of symbol fonts, and where the preview window goes.
#include <QAbstractItemView>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include "ui/form_example_font.h"
#include "ui/sc_font_combo_box.h"
#include "ui_test_support.h"

using namespace stampwell;

namespace {

std::unique_ptr<TscFontComboBox> MakePicker(int maxUsed = 5) {
  auto picker = std::make_unique<TscFontComboBox>();
  picker->SetFontEnumerator(test::FakeFonts);
  picker->MaxUsed = maxUsed;
  picker->LoadFonts();
  return picker;
}

QStringList Zone(const TscFontComboBox& picker) {
  return picker.Entries().mid(0, picker.UsedCount());
}

// The color of the pixels drawn for the face-name text of an entry.
bool RowHasColor(const QImage& image, int top, int height, const QColor& color) {
  for (int y = top; y < top + height; ++y) {
    for (int x = 20; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == color) return true;
    }
  }
  return false;
}

}  // namespace

class FontPickerTest : public QObject {
  Q_OBJECT

 private slots:
  // --- listing ---
  void defaultTypesListTrueTypeOnlySorted() {
    auto picker = MakePicker();
    const QStringList entries = picker->Entries();
    QCOMPARE(entries.size(), 15);  // 14 TrueType + 1 symbol
    QCOMPARE(entries.first(), QStringLiteral("FaceA=TA"));
    QCOMPARE(entries.at(1), QStringLiteral("faceB=TA"));  // sorted without regard to case
    QVERIFY(entries.contains(QStringLiteral("SymbolFace=TS")));
    for (const QString& e : entries) {
      QVERIFY2(!e.startsWith('@'), qPrintable(e));
      QVERIFY2(!e.endsWith(QStringLiteral("=R")), qPrintable(e));
      QVERIFY2(!e.startsWith(QStringLiteral("OtherCharset")), qPrintable(e));
    }
    QCOMPARE(picker->currentIndex(), -1);
    QVERIFY(picker->FontName().isEmpty());
  }

  void installedFontsAreClassified() {
    TscFontComboBox picker;
    picker.LoadFonts();  // the fonts of this machine
    QVERIFY(picker.count() > 0);
    for (const QString& e : picker.Entries()) {
      QVERIFY2(e.endsWith(QStringLiteral("=TA")) || e.endsWith(QStringLiteral("=TS")),
               qPrintable(e));
      QVERIFY(!e.startsWith('@'));
    }
  }

  void loadFontsEmptiesTheZone() {
    auto picker = MakePicker();
    test::TakeFromList(picker.get(), 9);
    QCOMPARE(picker->UsedCount(), 1);
    picker->LoadFonts();
    QCOMPARE(picker->UsedCount(), 0);
    QCOMPARE(picker->count(), 15);
  }

  // --- the recently used zone ---
  void takingTenthEntryCopiesItToTop() {
    auto picker = MakePicker();
    const QString tenth = picker->itemText(9);
    QSignalSpy clicked(picker.get(), &TscFontComboBox::clicked);
    test::TakeFromList(picker.get(), 9);
    QCOMPARE(picker->UsedCount(), 1);
    QCOMPARE(picker->currentIndex(), 0);
    QCOMPARE(picker->itemText(0), tenth);
    QCOMPARE(picker->itemText(10), tenth);  // the original stays in the sorted zone
    QCOMPARE(picker->count(), 16);
    QCOMPARE(picker->FontName(), tenth.section('=', 0, 0));
    QVERIFY(!picker->ListDropped());
    QCOMPARE(clicked.count(), 1);
  }

  void sixFontsWithMaxUsedFiveKeepFiveMostRecent() {
    auto picker = MakePicker(5);
    QStringList taken;
    for (const char* face : {"FaceC", "FaceD", "FaceE", "FaceF", "FaceG", "FaceH"}) {
      picker->SetFontName(QString::fromLatin1(face));
      taken.prepend(QString::fromLatin1(face) + "=TA");
    }
    QCOMPARE(picker->UsedCount(), 5);
    QCOMPARE(Zone(*picker), taken.mid(0, 5));  // FaceH .. FaceD, FaceC dropped
    QCOMPARE(picker->count(), 15 + 5);
  }

  void maxUsedZeroGrowsWithoutLimit() {
    auto picker = MakePicker(0);
    const QStringList faces{"FaceB", "FaceC", "FaceD", "FaceE", "FaceF", "FaceG", "FaceH", "FaceI"};
    for (const QString& f : faces) picker->SetFontName(f == "FaceB" ? "faceB" : f);
    QCOMPARE(picker->UsedCount(), 8);
    QCOMPARE(picker->itemText(0), QStringLiteral("FaceI=TA"));
    QCOMPARE(picker->itemText(7), QStringLiteral("faceB=TA"));
  }

  void takingZoneFontMovesItWithoutGrowing() {
    auto picker = MakePicker();
    picker->SetFontName(QStringLiteral("FaceC"));
    picker->SetFontName(QStringLiteral("FaceD"));
    picker->SetFontName(QStringLiteral("FaceE"));
    QCOMPARE(picker->UsedCount(), 3);
    // From the sorted zone: finds the zone copy and moves it.
    QCOMPARE(picker->itemText(3 + 2), QStringLiteral("FaceC=TA"));
    test::TakeFromList(picker.get(), 3 + 2);
    QCOMPARE(picker->UsedCount(), 3);
    QCOMPARE(Zone(*picker), (QStringList{"FaceC=TA", "FaceE=TA", "FaceD=TA"}));
    // From inside the zone.
    test::TakeFromList(picker.get(), 2);
    QCOMPARE(Zone(*picker), (QStringList{"FaceD=TA", "FaceC=TA", "FaceE=TA"}));
    QCOMPARE(picker->currentIndex(), 0);
  }

  void fontNameFindsZoneCopyFirst() {
    auto picker = MakePicker();
    picker->SetFontName(QStringLiteral("FaceK"));
    picker->SetFontName(QStringLiteral("FaceL"));
    picker->SetFontName(QStringLiteral("FaceK"));
    QCOMPARE(picker->UsedCount(), 2);
    QCOMPARE(Zone(*picker), (QStringList{"FaceK=TA", "FaceL=TA"}));
  }

  void fontNameNotInstalledChangesNothing() {
    auto picker = MakePicker();
    picker->SetFontName(QStringLiteral("FaceE"));
    const QStringList before = picker->Entries();
    picker->SetFontName(QStringLiteral("No Such Face"));
    picker->SetFontName(QStringLiteral("Face"));  // only part of a face name
    QCOMPARE(picker->FontName(), QStringLiteral("FaceE"));
    QCOMPARE(picker->currentIndex(), 0);
    QCOMPARE(picker->Entries(), before);
  }

  void emptyFontNameTakesFirstEntryWithoutZone() {
    auto picker = MakePicker();
    picker->SetFontName(QString());
    QCOMPARE(picker->currentIndex(), 0);
    QCOMPARE(picker->FontName(), QStringLiteral("FaceA"));
    QCOMPARE(picker->UsedCount(), 0);
  }

  void keyboardChoiceWithListClosedStaysOutOfZone() {
    auto picker = MakePicker();
    picker->SetFontName(QStringLiteral("FaceC"));
    QSignalSpy clicked(picker.get(), &TscFontComboBox::clicked);
    picker->setFocus();
    QTest::keyClick(picker.get(), Qt::Key_Down);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(picker->currentIndex(), 1);
    QCOMPARE(picker->FontName(), QStringLiteral("FaceA"));
    QCOMPARE(picker->UsedCount(), 1);
  }

  void selectionChangesWhileOpenWaitForClose() {
    auto picker = MakePicker();
    QSignalSpy clicked(picker.get(), &TscFontComboBox::clicked);
    QSignalSpy dropped(picker.get(), &TscFontComboBox::dropDown);
    picker->showPopup();
    QVERIFY(picker->ListDropped());
    QCOMPARE(dropped.count(), 1);
    picker->setCurrentIndex(4);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(picker->FontName().isEmpty());
    picker->hidePopup();
    QCoreApplication::processEvents();
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(picker->FontName(), QStringLiteral("FaceE"));
  }

  // --- drawing ---
  void zoneDrawnInColorUsedOnlyWhileOpen() {
    auto picker = MakePicker();
    picker->ShowPreviewInList = false;
    picker->ColorUsed = QColor(255, 0, 0);
    picker->SetFontName(QStringLiteral("FaceJ"));
    QImage image(200, 36, QImage::Format_RGB32);
    {
      QPainter p(&image);
      picker->DrawItem(p, 0, QRect(0, 0, 200, 18), false, true);
      picker->DrawItem(p, 1, QRect(0, 18, 200, 18), false, true);
    }
    QVERIFY(!RowHasColor(image, 0, 17, Qt::red));  // list closed: no zone colour
    picker->showPopup();
    {
      QPainter p(&image);
      picker->DrawItem(p, 0, QRect(0, 0, 200, 18), false, true);
      picker->DrawItem(p, 1, QRect(0, 18, 200, 18), false, true);
    }
    picker->hidePopup();
    QVERIFY(RowHasColor(image, 0, 17, Qt::red));
    QVERIFY(!RowHasColor(image, 18, 18, Qt::red));
    // The separator runs along the bottom row of the zone's last entry.
    const QColor line = picker->palette().color(QPalette::Text);
    QCOMPARE(image.pixelColor(5, 17), line);
    QCOMPARE(image.pixelColor(150, 17), line);
  }

  void symbolFontDrawnInPickerFont() {
    auto picker = MakePicker();
    auto render = [&](int index) {
      QImage image(200, 18, QImage::Format_RGB32);
      QPainter p(&image);
      picker->DrawItem(p, index, image.rect(), false, true);
      return image;
    };
    // Symbol face: the same pixels as with previews in the list switched off.
    const int symbol = picker->findText(QStringLiteral("SymbolFace=TS"));
    const QImage withPreview = render(symbol);
    picker->ShowPreviewInList = false;
    QCOMPARE(render(symbol), withPreview);
  }

  void typeImagesAreTransparentAtOlive() {
    auto picker = MakePicker();
    QImage image(200, 18, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    picker->DrawItem(p, 0, image.rect(), false, true);
    p.end();
    const QColor base = picker->palette().color(QPalette::Base);
    QCOMPARE(image.pixelColor(2, 1), base);  // olive corner of the picture: not painted
    bool drawn = false;
    for (int y = 1; y < 17; ++y) {
      for (int x = 2; x < 18; ++x) drawn |= image.pixelColor(x, y) != base;
    }
    QVERIFY(drawn);
  }

  // --- preview window ---
  void previewBesideBottomRightCorner() {
    const QRect screen(0, 0, 1000, 800);
    const QSize size(240, 60);
    QCOMPARE(TscFontComboBox::PreviewPosition(QRect(100, 100, 153, 24), size, screen),
             QPoint(253, 124));
    // Near the right edge: flipped to the picker's left.
    QCOMPARE(TscFontComboBox::PreviewPosition(QRect(700, 100, 153, 24), size, screen),
             QPoint(700 - 240, 124));
    // Near the bottom: flipped above.
    QCOMPARE(TscFontComboBox::PreviewPosition(QRect(100, 760, 153, 24), size, screen),
             QPoint(253, 760 - 60));
    // Exactly fitting stays.
    QCOMPARE(TscFontComboBox::PreviewPosition(QRect(0, 0, 760, 740), size, screen),
             QPoint(760, 740));
  }

  void previewShowsHighlightedFaceWithoutFocus() {
    auto picker = MakePicker();
    picker->show();
    picker->showPopup();
    TFormExampleFont* preview = picker->Preview();
    QVERIFY(preview->isVisible());
    QVERIFY(preview->testAttribute(Qt::WA_ShowWithoutActivating));
    QCOMPARE(preview->size(), QSize(240, 60));
    emit picker->highlighted(3);
    QCOMPARE(preview->PanelFontName->text(), QStringLiteral("FaceD"));
    QCOMPARE(preview->PanelPreview->text(), QStringLiteral("AaBbYyZz"));
    QCOMPARE(preview->PanelPreview->font().family(), QStringLiteral("FaceD"));
    picker->hidePopup();
    QVERIFY(!preview->isVisible());
  }

  void previewPropertiesApplyAtOnce() {
    auto picker = MakePicker();
    picker->SetPreviewWidth(300);
    picker->SetPreviewHeight(80);
    QCOMPARE(picker->Preview()->size(), QSize(300, 80));
    picker->SetShowPreviewFontName(false);
    QVERIFY(picker->Preview()->PanelFontName->isHidden());
    QCOMPARE(picker->Preview()->PanelPreview->geometry(), QRect(0, 0, 300, 80));
    picker->SetPreviewText(QStringLiteral("Hello"));
    emit picker->highlighted(0);
    QCOMPARE(picker->Preview()->PanelPreview->text(), QStringLiteral("Hello"));
    picker->SetPreviewText(QStringLiteral("   "));
    emit picker->highlighted(0);
    QCOMPARE(picker->Preview()->PanelPreview->text(), QStringLiteral("AaBbYyZz"));
  }
};

QTEST_MAIN(FontPickerTest)
#include "font_picker_test.moc"
