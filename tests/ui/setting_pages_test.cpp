// SPDX-License-Identifier: GPL-3.0-or-later
// The general and watermark pages: show-and-read cycles, edge cases of the lists, the
// decisions about values the lists do not offer, and the centring layout.
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "jobs/color_encoding.h"
#include "pdf/pdf_stack.h"
#include "support/temp_dir.h"
#include "ui/color_list_box.h"
#include "ui/doc_set_frame.h"
#include "ui/sc_font_combo_box.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"
#include "ui_test_support.h"

using namespace stampwell;

namespace {

RJobSettings SampleJob() {
  RJobSettings s;
  s.Name = "Weekly";
  s.Doc = false;
  s.Xls = true;
  s.Ppt = true;
  s.PDF = true;
  s.OtherFiles = false;
  s.AutoRun = true;
  s.EveryMinutes = 30;
  return s;
}

RDocSettings SampleDoc() {
  RDocSettings d;
  d.DocWaterMarkStr = "SAMPLE";
  d.DocFontName = "FaceC";
  d.DocWatermarkSize = "60";
  d.DocWatermarkColor = 0x0000FF;  // clRed
  d.Transparent = false;
  d.HX = true;
  return d;
}

// A watermark page whose picker lists the fake fonts.
std::unique_ptr<TDocSetFrame> MakeDocPage() {
  auto page = std::make_unique<TDocSetFrame>();
  page->wmFont->SetFontEnumerator(test::FakeFonts);
  page->wmFont->LoadFonts();
  return page;
}

}  // namespace

class SettingPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { TUiDialogs::SetTestMode(true); }
  void init() { PDFAvailable = true; }

  // --- general page ---
  void generalShowThenReadKeepsEveryField() {
    TSettingFrame page;
    page.ShowSettings(SampleJob());
    QCOMPARE(page.sName->text(), QStringLiteral("Weekly"));
    QVERIFY(!page.IsDoc->isChecked());
    QVERIFY(page.IsXls->isChecked());
    QVERIFY(page.IsPpt->isChecked());
    QVERIFY(page.IsPrintPDF->isChecked());
    QVERIFY(!page.IsCopy->isChecked());
    test::MessageRecorder messages;
    QVERIFY(page.ReadSettings());
    QVERIFY(page.Settings == SampleJob());
    QVERIFY(messages.Messages().empty());
    // Changes made by the user are taken.
    page.sName->setText(QStringLiteral("Monthly"));
    page.IsDoc->setChecked(true);
    page.IsPpt->setChecked(false);
    QVERIFY(page.ReadSettings());
    QCOMPARE(page.Settings.Name, std::string("Monthly"));
    QVERIFY(page.Settings.Doc && !page.Settings.Ppt);
  }

  void generalCurrentFormatsBoxFollowsTheRecord() {
    TSettingFrame page;
    auto* box = page.findChild<QCheckBox*>(QStringLiteral("IsModern"));
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("Also .docx, .xlsx, .pptx and OpenDocument files"));
    QCOMPARE(box->parentWidget(), static_cast<QWidget*>(page.GroupBox1));
    for (bool on : {true, false}) {
      RJobSettings job = SampleJob();
      job.ModernFormats = on;
      page.ShowSettings(job);
      QCOMPARE(box->isChecked(), on);
      QVERIFY(page.ReadSettings());
      QVERIFY(page.Settings == job);
      box->setChecked(!on);  // the user's choice is taken, nothing else changes
      QVERIFY(page.ReadSettings());
      QCOMPARE(page.Settings.ModernFormats, !on);
      QVERIFY(page.Settings.Xls && page.Settings.Ppt && !page.Settings.Doc);
    }
  }

  void generalReplaceExistingDestinationsFollowsTheRecord() {
    TSettingFrame page;
    QCOMPARE(page.IsOverwrite->text(), QStringLiteral("Replace e&xisting destinations"));
    QCOMPARE(page.IsOverwrite->parentWidget(), static_cast<QWidget*>(page.GroupBox2));
    QVERIFY(!page.IsOverwrite->isChecked());  // a new job skips what exists
    for (bool on : {true, false}) {
      RJobSettings job = SampleJob();
      job.Overwrite = on;
      page.ShowSettings(job);
      QCOMPARE(page.IsOverwrite->isChecked(), on);
      QVERIFY(page.ReadSettings());
      QVERIFY(page.Settings == job);
      QTest::mouseClick(page.IsOverwrite, Qt::LeftButton);
      QVERIFY(page.ReadSettings());
      QCOMPARE(page.Settings.Overwrite, !on);
    }
  }

  void generalPdfFilesBoxFollowsTheRecord() {
    TSettingFrame page;
    auto* box = page.findChild<QCheckBox*>(QStringLiteral("IsPdf"));
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("Also stamp PDF files"));
    QCOMPARE(box->parentWidget(), static_cast<QWidget*>(page.GroupBox1));
    QVERIFY(page.GroupBox1->contentsRect().contains(box->geometry()));
    for (bool on : {true, false}) {
      RJobSettings job = SampleJob();
      job.PdfFiles = on;
      page.ShowSettings(job);
      QCOMPARE(box->isChecked(), on);
      QVERIFY(page.ReadSettings());
      QVERIFY(page.Settings == job);
      box->setChecked(!on);  // the user's choice is taken, nothing else changes
      QVERIFY(page.ReadSettings());
      QCOMPARE(page.Settings.PdfFiles, !on);
      QCOMPARE(page.Settings.ModernFormats, job.ModernFormats);
    }
  }

  void generalVerifyBoxFollowsTheRecord() {
    TSettingFrame page;
    auto* box = page.findChild<QCheckBox*>(QStringLiteral("IsVerify"));
    QVERIFY(box);
    QCOMPARE(box->parentWidget(), static_cast<QWidget*>(page.GroupBox2));
    // Wholly inside its group box and clear of the workers' box on its row.
    QVERIFY(page.GroupBox2->contentsRect().contains(box->geometry()));
    QVERIFY(!box->geometry().intersects(page.Workers->geometry()));
    for (bool on : {true, false}) {
      RJobSettings job = SampleJob();
      job.Verify = on;
      page.ShowSettings(job);
      QCOMPARE(box->isChecked(), on);
      QVERIFY(page.ReadSettings());
      QVERIFY(page.Settings == job);
      box->setChecked(!on);
      QVERIFY(page.ReadSettings());
      QCOMPARE(page.Settings.Verify, !on);
    }
  }

  void generalWorkersBoxFollowsTheRecord() {
    TSettingFrame page;
    auto* box = page.findChild<QSpinBox*>(QStringLiteral("Workers"));
    QVERIFY(box);
    QCOMPARE(box->parentWidget(), static_cast<QWidget*>(page.GroupBox2));
    QCOMPARE(page.WorkersLabel->buddy(), static_cast<QWidget*>(box));
    QCOMPARE(box->value(), 1);  // a new job: one file at a time
    for (int workers : {1, 0, 4}) {
      RJobSettings job = SampleJob();
      job.Workers = workers;
      page.ShowSettings(job);
      QCOMPARE(box->value(), workers);
      QVERIFY(page.ReadSettings());
      QVERIFY(page.Settings == job);
    }
    // 0 reads "one per core" in the box, as the profile means it.
    page.ShowSettings(RJobSettings{});
    box->setValue(0);
    QCOMPARE(box->text(), QStringLiteral("one per core"));
    QVERIFY(page.ReadSettings());
    QCOMPARE(page.Settings.Workers, 0);
    // The user's choice is taken; nothing else changes.
    page.ShowSettings(SampleJob());
    box->setValue(3);
    QVERIFY(page.ReadSettings());
    RJobSettings expected = SampleJob();
    expected.Workers = 3;
    QVERIFY(page.Settings == expected);
  }

  void generalWorkersOutsideTheBoxStayUnlessChanged() {
    TSettingFrame page;
    auto* box = page.Workers;
    for (int stored : {500, -2}) {
      RJobSettings job = SampleJob();
      job.Workers = stored;
      page.ShowSettings(job);
      QCOMPARE(box->value(), stored > 0 ? box->maximum() : 0);
      QVERIFY(page.ReadSettings());
      QCOMPARE(page.Settings.Workers, stored);  // shown at the end of the range, kept as is
      box->setValue(2);
      QVERIFY(page.ReadSettings());
      QCOMPARE(page.Settings.Workers, 2);
    }
  }

  void generalAutoRunAndEveryMinutesPassThrough() {
    TSettingFrame page;
    page.ShowSettings(SampleJob());
    page.IsXls->setChecked(false);
    QVERIFY(page.ReadSettings());
    QVERIFY(page.Settings.AutoRun);
    QCOMPARE(page.Settings.EveryMinutes, 30);
  }

  void generalEmptyNameKeepsDesignTextInNewPage() {
    TSettingFrame page;
    page.ShowSettings();  // empty record, as the wizard does
    QCOMPARE(page.sName->text(), QStringLiteral("Profile1"));
    QVERIFY(!page.IsDoc->isChecked());  // every box follows the record, not the design
    QVERIFY(page.ReadSettings());
    QCOMPARE(page.Settings.Name, std::string("Profile1"));
  }

  void generalEmptyNameIsRefusedWithMessage() {
    TSettingFrame page;
    page.ShowSettings(SampleJob());
    page.sName->clear();
    test::MessageRecorder messages;
    QVERIFY(!page.ReadSettings());
    QCOMPARE(messages.Messages(),
             std::vector<std::string>{"The job name cannot be empty; please enter one."});
  }

  void generalBlankNameIsAcceptedUnchanged() {
    TSettingFrame page;
    page.sName->setText(QStringLiteral("   "));
    QVERIFY(page.ReadSettings());
    QCOMPARE(page.Settings.Name, std::string("   "));
  }

  void generalNameBoxHoldsAtMostFiftyCharacters() {
    TSettingFrame page;
    page.sName->clear();
    QTest::keyClicks(page.sName, QString(60, QLatin1Char('x')));
    QCOMPARE(page.sName->text().size(), 50);
  }

  void generalWithoutPdfPrinterDisablesButKeepsValue() {
    PDFAvailable = false;
    TSettingFrame page;
    RJobSettings job = SampleJob();
    page.ShowSettings(job);
    QVERIFY(!page.IsPrintPDF->isEnabled());
    QVERIFY(page.IsPrintPDF->isChecked());
    QVERIFY(page.ReadSettings());
    QVERIFY(page.Settings.PDF);
    // The page never enables it again, even once a printer is reported.
    PDFAvailable = true;
    page.ShowSettings(job);
    QVERIFY(!page.IsPrintPDF->isEnabled());
  }

  void generalPanelIsCentred() {
    TSettingFrame page;
    page.show();
    const int height = page.LocPanel->height();
    page.resize(700, 400);
    QCOMPARE(page.LocPanel->pos(), QPoint(100, (400 - height) / 2));
    page.resize(701, 401);  // integer division
    QCOMPARE(page.LocPanel->pos(), QPoint(100, (401 - height) / 2));
    page.resize(400, 200);  // smaller than the panel: pinned to the corner
    QCOMPARE(page.LocPanel->pos(), QPoint(0, 0));
  }

  // --- watermark page ---
  void watermarkShowThenReadKeepsEveryField() {
    auto page = MakeDocPage();
    page->ShowSettings(SampleDoc());
    QCOMPARE(page->wmString->currentIndex(), 7);  // "SAMPLE"
    QCOMPARE(page->wmSize->currentText(), QStringLiteral("60"));
    QCOMPARE(page->wmFont->FontName(), QStringLiteral("FaceC"));
    QCOMPARE(page->wmColor->currentText(), QStringLiteral("Red"));
    QVERIFY(!page->IsTranparent->isChecked());
    QVERIFY(page->Style1->isChecked());
    QVERIFY(page->ReadSettings());
    QVERIFY(page->DocSettings == SampleDoc());
  }

  void watermarkEmptyTextShowsConfidentialAndStoresIt() {
    auto page = MakeDocPage();
    RDocSettings d = SampleDoc();
    d.DocWaterMarkStr.clear();
    page->wmString->setCurrentIndex(0);
    page->ShowSettings(d);
    QCOMPARE(page->wmString->currentText(), QStringLiteral("CONFIDENTIAL"));
    QVERIFY(page->ReadSettings());
    QCOMPARE(page->DocSettings.DocWaterMarkStr, std::string("CONFIDENTIAL"));
  }

  void watermarkTextNotInListIsShownAndStoredUnchanged() {
    auto page = MakeDocPage();
    RDocSettings d = SampleDoc();
    d.DocWaterMarkStr = " Internal use only ";
    page->ShowSettings(d);
    QCOMPARE(page->wmString->currentText(), QStringLiteral(" Internal use only "));
    QVERIFY(page->ReadSettings());
    QCOMPARE(page->DocSettings.DocWaterMarkStr, std::string(" Internal use only "));
  }

  void watermarkEmptyTypedTextIsRefusedWithMessage() {
    auto page = MakeDocPage();
    page->ShowSettings(SampleDoc());
    page->wmString->setEditText(QString());
    test::MessageRecorder messages;
    QVERIFY(!page->ReadSettings());
    QCOMPARE(messages.Messages(),
             std::vector<std::string>{"Please enter the watermark text first."});
  }

  void watermarkSizeSelection_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("listed 60") << "60"
                               << "60";
    QTest::newRow("listed 120") << "120"
                                << "120";
    QTest::newRow("unlisted 61") << "61"
                                 << "66";
    QTest::newRow("empty") << ""
                           << "66";
    QTest::newRow("padded") << " 72"
                            << "66";
  }
  void watermarkSizeSelection() {
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    auto page = MakeDocPage();
    page->wmSize->setCurrentIndex(0);
    RDocSettings d = SampleDoc();
    d.DocWatermarkSize = stored.toStdString();
    page->ShowSettings(d);
    QCOMPARE(page->wmSize->currentText(), shown);
    QVERIFY(page->ReadSettings());
    QCOMPARE(QString::fromStdString(page->DocSettings.DocWatermarkSize), shown);
  }

  void watermarkHorizontalStyle() {
    auto page = MakeDocPage();
    RDocSettings d = SampleDoc();
    d.HX = false;
    page->ShowSettings(d);
    QVERIFY(page->Style2->isChecked());
    QCOMPARE(page->Style2->text(), QStringLiteral("Horizontal"));
    QVERIFY(page->ReadSettings());
    QVERIFY(!page->DocSettings.HX);
  }

  void watermarkDefaultValueGivesWizardStart() {
    auto page = MakeDocPage();
    page->DefaultValue();
    page->ShowSettings();
    QCOMPARE(page->wmString->currentText(), QStringLiteral("CONFIDENTIAL"));
    QCOMPARE(page->wmSize->currentText(), QStringLiteral("66"));
    QCOMPARE(page->wmFont->currentIndex(), 0);
    QCOMPARE(page->wmFont->FontName(), QStringLiteral("FaceA"));
    QCOMPARE(page->wmColor->currentText(), QStringLiteral("Gray"));
    QVERIFY(page->IsTranparent->isChecked());
    QVERIFY(page->Style1->isChecked());
    QVERIFY(page->ReadSettings());
    QCOMPARE(page->DocSettings.DocFontName, std::string("FaceA"));
    QCOMPARE(page->DocSettings.DocWatermarkColor, TColor{0x808080});
  }

  void watermarkDefaultValueLeavesStrings() {
    TDocSetFrame page;
    page.DocSettings = SampleDoc();
    page.DocSettings.DocWatermarkColor = 0xFF;
    page.DocSettings.Transparent = false;
    page.DocSettings.HX = false;
    page.DefaultValue();
    QVERIFY(page.DocSettings.Transparent);
    QVERIFY(page.DocSettings.HX);
    QCOMPARE(page.DocSettings.DocWatermarkColor, TColor{0x808080});
    QCOMPARE(page.DocSettings.DocWaterMarkStr, std::string("SAMPLE"));
    QCOMPARE(page.DocSettings.DocFontName, std::string("FaceC"));
    QCOMPARE(page.DocSettings.DocWatermarkSize, std::string("60"));
  }

  // A colour the list does not offer is shown as an extra entry and reads back unchanged.
  void watermarkUnlistedColourReadsBackUnchanged() {
    auto page = MakeDocPage();
    RDocSettings d = SampleDoc();
    d.DocWatermarkColor = 0x00123456;
    page->ShowSettings(d);
    QCOMPARE(page->wmColor->currentText(), QStringLiteral("Custom #563412"));
    QVERIFY(page->ReadSettings());
    QCOMPARE(page->DocSettings.DocWatermarkColor, TColor{0x00123456});
    // Showing a listed colour afterwards drops the extra entry again.
    page->ShowSettings(SampleDoc());
    QCOMPARE(page->wmColor->count(), page->wmColor->NamedCount());
  }

  // Any colour from the colour dialog beside the list: it is the list's choice, and the
  // profile keeps it in its "$" form.
  void watermarkColourFromTheColourDialog() {
    auto page = MakeDocPage();
    page->ShowSettings(SampleDoc());  // red
    QColor offered;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      offered = dialog->currentColor();
      dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
      dialog->accept();
    });
    QTest::mouseClick(page->wmColorPick, Qt::LeftButton);
    QCOMPARE(offered, QColor(Qt::red));  // it opens at the shown colour
    QCOMPARE(page->wmColor->currentText(), QStringLiteral("Custom #123456"));
    QCOMPARE(page->wmColor->itemData(page->wmColor->currentIndex(), Qt::ToolTipRole).toString(),
             QStringLiteral("$00563412"));
    QVERIFY(page->ReadSettings());
    QCOMPARE(page->DocSettings.DocWatermarkColor, TColor{0x563412});
    QCOMPARE(ColorToString(page->DocSettings.DocWatermarkColor), std::string("$00563412"));
    // Cancelled, it changes nothing.
    QTimer::singleShot(0, [] {
      if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    QTest::mouseClick(page->wmColorPick, Qt::LeftButton);
    QVERIFY(page->ReadSettings());
    QCOMPARE(page->DocSettings.DocWatermarkColor, TColor{0x563412});
  }

  // Named colours under readable names, the stored name in the tooltip.
  void colourNamesAreReadable() {
    TColorListBox box;
    const std::pair<const char*, const char*> names[] = {
        {"clRed", "Red"},
        {"clMoneyGreen", "Money green"},
        {"clSkyBlue", "Sky blue"},
        {"clMedGray", "Medium gray"},
        {"clBtnFace", "Desktop: button face"},
        {"clInfoBk", "Desktop: tooltip background"},
        {"cl3DDkShadow", "Desktop: 3d dark shadow"}};
    for (const auto& [stored, shown] : names) {
      const int index = box.findData(QString::fromLatin1(stored), Qt::ToolTipRole);
      QVERIFY2(index >= 0, stored);
      QCOMPARE(box.itemText(index), QString::fromLatin1(shown));
      QVERIFY(!box.itemIcon(index).isNull());
    }
    for (int i = 0; i < box.NamedCount(); ++i)
      QVERIFY2(!box.itemText(i).startsWith(QLatin1String("cl")), qPrintable(box.itemText(i)));
  }

  void colourListOffersNamedColoursOnly() {
    TColorListBox box;
    QCOMPARE(box.NamedCount(), 16 + 4 + 30);
    QCOMPARE(box.findData(QStringLiteral("clNone"), Qt::ToolTipRole), -1);
    QCOMPARE(box.findData(QStringLiteral("clDefault"), Qt::ToolTipRole), -1);
    QVERIFY(box.findData(QStringLiteral("clMoneyGreen"), Qt::ToolTipRole) >= 0);
    QVERIFY(box.findData(QStringLiteral("clMenuBar"), Qt::ToolTipRole) >= 0);
    QCOMPARE(box.currentText(), QStringLiteral("Gray"));  // design state
    // Every entry reads back the value it was selected by.
    for (int i = 0; i < box.NamedCount(); ++i) {
      const TColor value = box.itemData(i).value<uint>();
      box.SetSelected(value);
      QCOMPARE(box.currentIndex(), i);
      QCOMPARE(box.Selected(), value);
    }
  }

  void colourSwatchesShowTheirColours() {
    TColorListBox box;
    // Independent of the colour encoding: what each name looks like on screen.
    const std::pair<const char*, QRgb> expected[] = {
        {"clBlack", 0x000000}, {"clMaroon", 0x800000},     {"clGreen", 0x008000},
        {"clOlive", 0x808000}, {"clNavy", 0x000080},       {"clPurple", 0x800080},
        {"clTeal", 0x008080},  {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
        {"clRed", 0xFF0000},   {"clLime", 0x00FF00},       {"clYellow", 0xFFFF00},
        {"clBlue", 0x0000FF},  {"clFuchsia", 0xFF00FF},    {"clAqua", 0x00FFFF},
        {"clWhite", 0xFFFFFF}, {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xA6CAF0},
        {"clCream", 0xFFFBF0}, {"clMedGray", 0xA0A0A4}};
    auto swatchCentre = [&box](int index) {
      const QImage image = box.itemIcon(index).pixmap(box.iconSize()).toImage();
      return image.pixelColor(image.width() / 2, image.height() / 2);
    };
    for (const auto& [name, rgb] : expected) {
      const int index = box.findData(QString::fromLatin1(name), Qt::ToolTipRole);
      QVERIFY2(index >= 0, name);
      QCOMPARE(swatchCentre(index).rgb() & 0xFFFFFF, rgb);
    }
    // System colours show the desktop's colour of that role.
    const int window = box.findData(QStringLiteral("clWindow"), Qt::ToolTipRole);
    QVERIFY(window >= 0);
    QCOMPARE(swatchCentre(window), QApplication::palette().color(QPalette::Base));
    // The entry of an unlisted colour shows that colour too.
    box.SetSelected(0x00336699);  // blue 0x33, green 0x66, red 0x99
    QCOMPARE(swatchCentre(box.currentIndex()).rgb() & 0xFFFFFF, QRgb(0x996633));
  }

  void fontFamiliesAreListedOnceWithoutFoundry() {
    QCOMPARE(TscFontComboBox::FamilyNames({"C059 [UKWN]", "C059 [urw]", "Nimbus Sans [URW ]",
                                           "DejaVu Sans", "Nimbus Sans [UKWN]", "Odd [name"}),
             (QStringList{"C059", "Nimbus Sans", "DejaVu Sans", "Odd [name"}));
    QStringList listed;
    for (const TscFontFace& face : TscFontComboBox::SystemFonts()) {
      QVERIFY2(!face.name.contains(QStringLiteral(" [")), qPrintable(face.name));
      QVERIFY2(!listed.contains(face.name), qPrintable(face.name));
      listed << face.name;
    }
  }

  // With the fonts installed here: a font that is missing is shown as the family the system
  // draws in its place, marked on the page, and the stored name stays.
  void missingFontShowsTheSystemsSubstitute() {
    TDocSetFrame page;
    const QStringList families = page.wmFont->Entries();
    const QString substitute = TscFontComboBox::MatchFamily(QStringLiteral("Nowhere Grotesk"));
    QVERIFY(!substitute.isEmpty());
    QVERIFY2(families.contains(substitute + QStringLiteral("=TA")), qPrintable(substitute));
    page.ShowSettings(SampleDoc());
    RDocSettings d = SampleDoc();
    d.DocFontName = "Nowhere Grotesk";
    page.ShowSettings(d);
    QCOMPARE(page.wmFont->FontName(), substitute);
    QVERIFY(!page.wmFontSubstitute->isHidden());
    QVERIFY(page.wmFontSubstitute->text().contains(QStringLiteral("Nowhere Grotesk")));
    QVERIFY(page.ReadSettings());
    QCOMPARE(page.DocSettings.DocFontName, std::string("Nowhere Grotesk"));
    // An installed font shows itself, unmarked.
    d.DocFontName = substitute.toStdString();
    page.ShowSettings(d);
    QVERIFY(page.wmFontSubstitute->isHidden());

    // A new job starts with the default font, or what the system draws in its place, and
    // stores what it shows.
    TDocSetFrame fresh;
    fresh.DefaultValue();
    fresh.ShowSettings();
    const QString arial = families.contains(QStringLiteral("Arial=TA"))
                              ? QStringLiteral("Arial")
                              : TscFontComboBox::MatchFamily(QStringLiteral("Arial"));
    QCOMPARE(fresh.wmFont->FontName(), arial);
    QVERIFY(fresh.ReadSettings());
    QCOMPARE(QString::fromStdString(fresh.DocSettings.DocFontName), arial);
  }

  // A stored font that is not installed is kept on reading; the picker keeps its choice.
  void watermarkMissingFontIsKeptOnReading() {
    auto page = MakeDocPage();
    page->ShowSettings(SampleDoc());  // FaceC
    RDocSettings d = SampleDoc();
    d.DocFontName = "Not Installed Sans";
    page->ShowSettings(d);
    QCOMPARE(page->wmFont->FontName(), QStringLiteral("FaceC"));
    QVERIFY(page->ReadSettings());
    QCOMPARE(page->DocSettings.DocFontName, std::string("Not Installed Sans"));
  }

  void watermarkMissingFontGivesWayToUserChoice() {
    auto page = MakeDocPage();
    RDocSettings d = SampleDoc();
    d.DocFontName = "Not Installed Sans";
    page->ShowSettings(d);
    test::TakeFromList(page->wmFont, 4);
    const QString chosen = page->wmFont->FontName();
    QVERIFY(!chosen.isEmpty());
    QVERIFY(page->ReadSettings());
    QCOMPARE(QString::fromStdString(page->DocSettings.DocFontName), chosen);
  }

  // A face whose name is the tail of another face must not take that other face.
  void watermarkFontMatchesWholeFaceName() {
    auto page = std::make_unique<TDocSetFrame>();
    page->wmFont->SetFontEnumerator([] {
      return std::vector<TscFontFace>{{QStringLiteral("DejaVu Sans"), ftTrueTypeAnsi},
                                      {QStringLiteral("Liberation Serif"), ftTrueTypeAnsi}};
    });
    page->wmFont->LoadFonts();
    page->wmFont->SetFontName(QStringLiteral("Liberation Serif"));
    page->wmFont->SetFontName(QStringLiteral("Sans"));
    QCOMPARE(page->wmFont->FontName(), QStringLiteral("Liberation Serif"));
    RDocSettings d = SampleDoc();
    d.DocFontName = "Sans";
    page->ShowSettings(d);
    QVERIFY(page->ReadSettings());
    QCOMPARE(page->DocSettings.DocFontName, std::string("Sans"));
  }

  void watermarkPanelIsCentred() {
    auto page = MakeDocPage();
    page->show();
    page->resize(600, 300);
    QCOMPARE(page->LocPanel->pos(), QPoint((600 - 489) / 2, (300 - 241) / 2));
  }
};

QTEST_MAIN(SettingPagesTest)
#include "setting_pages_test.moc"
