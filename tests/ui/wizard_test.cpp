// SPDX-License-Identifier: GPL-3.0-or-later
// The new-job wizard and its job-type page, driven offscreen. Message boxes go through the
// message sink.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <filesystem>

#include "jobs/job_profile.h"
#include "main_test_support.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "ui/doc_set_frame.h"
#include "ui/folder_frame.h"
#include "ui/help_window.h"
#include "ui/htm_view_frame.h"
#include "ui/job_type_frame.h"
#include "ui/link_label.h"
#include "ui/mht_browser.h"
#include "ui/new_wizard.h"
#include "ui/program_windows.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using namespace stampwell::test;

namespace {

// Which page of the four is visible (1 to 4); 0 when none or several are.
int VisibleStep(const TfrmNewWizard& w) {
  const QWidget* pages[4] = {w.JobTypeFrame, w.SettingFrame, w.FolderFrame, w.DocSetFrame};
  int step = 0;
  for (int i = 0; i < 4; ++i)
    if (pages[i]->isVisibleTo(&w)) step = step ? -1 : i + 1;
  return std::max(step, 0);
}

void GoToStep(TfrmNewWizard& w, int step) {
  while (w.CurStep < step) QTest::mouseClick(w.btnNext, Qt::LeftButton);
  while (w.CurStep > step) QTest::mouseClick(w.btnPre, Qt::LeftButton);
}

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT
  Said said;

 private slots:
  void init() {
    TUiDialogs::SetTestMode(true);
    said.Take();
    PDFAvailable = false;
  }
  void cleanup() { PDFAvailable = false; }

  void jobTypesFollowThePdfPrinter() {
    for (bool pdf : {false, true}) {
      PDFAvailable = pdf;
      TJobTypeFrame frame;
      frame.initvalue();
      QCOMPARE(frame.PrintPDF->isEnabled(), pdf);
      QCOMPARE(frame.WatermarkPDF->isEnabled(), pdf);
      QCOMPARE(frame.WatermarkPDF->isChecked(), pdf);
      QCOMPARE(frame.WaterMark->isChecked(), !pdf);
    }
    TJobTypeFrame frame;
    frame.initvalue();
    frame.PrintPDF->click();  // one group: exactly one checked
    QVERIFY(!frame.WatermarkPDF->isChecked() && !frame.WaterMark->isChecked());
    // The tips link shows the help window, when there is one.
    frame.tipsClick();
    QWidget help;
    TProgramWindows::SetHelpWindow(&help);
    QTest::mouseClick(frame.tips, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(help.isVisible());
    TProgramWindows::SetHelpWindow(nullptr);

    // With the program's help window, the link leads to the section on PDF output, which
    // lies below the start of the document.
    QVERIFY2(FileExists(ProgramDir() + "help.mht"), "help.mht is built next to the tests");
    TfrmHelp realHelp;
    TProgramWindows::SetHelpWindow(&realHelp);
    QScrollBar* bar = realHelp.HtmViewFrame->HtmBrowser->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QTest::mouseClick(frame.tips, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(realHelp.isVisible());
    QTRY_VERIFY(bar->value() > 0);
    TProgramWindows::SetHelpWindow(nullptr);
  }

  void buttonsFollowTheStep() {
    TfrmNewWizard w;
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("New Job Wizard"));
    const bool buttons[4][3] = {
        {false, true, false}, {true, true, false}, {true, true, false}, {true, false, true}};
    for (int step = 1; step <= 4; ++step) {
      GoToStep(w, step);
      QCOMPARE(VisibleStep(w), step);
      QCOMPARE(w.btnPre->isEnabled(), buttons[step - 1][0]);
      QCOMPARE(w.btnNext->isEnabled(), buttons[step - 1][1]);
      QCOMPARE(w.btnSave->isEnabled(), buttons[step - 1][2]);
      QVERIFY(w.btnCancel->isEnabled());
      QCOMPARE(w.btnNext->text(), QStringLiteral("Next"));
    }
    w.btnNextClick();  // beyond the last step: stays
    QCOMPARE(VisibleStep(w), 4);
    GoToStep(w, 1);
    w.btnPreClick();  // before the first: stays
    QCOMPARE(w.CurStep, 1);
    w.ShowPage(7);  // not a step
    QCOMPARE(VisibleStep(w), 1);
  }

  void jobTypePresetsTheGeneralPage() {
    PDFAvailable = true;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);  // watermark, then PDF
    QVERIFY(w.SettingFrame->IsDoc->isChecked() && w.SettingFrame->IsPrintPDF->isChecked());
    QVERIFY(w.SettingFrame->IsCopy->isChecked());
    QVERIFY(!w.SettingFrame->IsXls->isChecked() && !w.SettingFrame->IsPpt->isChecked());
    QCOMPARE(w.SettingFrame->IsPrintPDF->text(),
             QStringLiteral("Print the watermarked files to PDF files"));
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Profile1"));
    GoToStep(w, 1);
    w.JobTypeFrame->PrintPDF->click();
    GoToStep(w, 2);
    QVERIFY(!w.SettingFrame->IsDoc->isChecked() && w.SettingFrame->IsPrintPDF->isChecked());
    QCOMPARE(w.SettingFrame->IsPrintPDF->text(),
             QStringLiteral("Print office files to PDF files"));
  }

  void withoutPdfPrinterTheJobIsSavedWithoutPdf() {
    ScopedProgramDir dir;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);
    QVERIFY(!w.SettingFrame->IsPrintPDF->isEnabled());
    GoToStep(w, 4);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(said.Take().isEmpty());
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swProfile1.ini"});
    TJobProfile saved("swProfile1.ini");
    QCOMPARE(saved.Settings.Name, std::string("Profile1"));
    QVERIFY(saved.Settings.Doc && saved.Settings.OtherFiles);
    QVERIFY(saved.Settings.ModernFormats);
    QVERIFY(saved.Settings.PdfFiles);  // a new job stamps PDF files too
    QVERIFY(!saved.Settings.PDF && !saved.Settings.AutoRun);
    QCOMPARE(saved.Settings.EveryMinutes, 0);
    QVERIFY(saved.Items.empty());
    QCOMPARE(saved.DocSettings.DocWaterMarkStr, std::string("CONFIDENTIAL"));
    QCOMPARE(saved.DocSettings.DocWatermarkColor, TColor(0x808080));
    QVERIFY(saved.DocSettings.Transparent && saved.DocSettings.HX);
  }

  void whatTheUserEnteredSurvivesMovingBetweenSteps() {
    ScopedProgramDir dir;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);
    w.SettingFrame->sName->setText(QStringLiteral("Weekly"));
    QVERIFY(w.SettingFrame->IsModern->isChecked());  // a new job handles the current formats
    w.SettingFrame->IsXls->setChecked(true);
    w.SettingFrame->IsModern->setChecked(false);
    QVERIFY(w.SettingFrame->IsPdf->isChecked());
    w.SettingFrame->IsPdf->setChecked(false);
    GoToStep(w, 3);
    const std::vector<RJobItem> items = {{1, "/src/a", "/dst/a", "first"},
                                         {0, "/src/b.doc", "/dst/b.doc", ""}};
    w.FolderFrame->LoadEntries(items);
    GoToStep(w, 4);
    w.DocSetFrame->wmString->setEditText(QStringLiteral("Internal only"));
    GoToStep(w, 2);
    QVERIFY(w.SettingFrame->IsXls->isChecked());
    QVERIFY(!w.SettingFrame->IsModern->isChecked());
    QVERIFY(!w.SettingFrame->IsPdf->isChecked());
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Weekly"));
    GoToStep(w, 4);
    QCOMPARE(w.DocSetFrame->wmString->currentText(), QStringLiteral("Internal only"));
    QVERIFY(w.SaveJob());
    TJobProfile saved("swWeekly.ini");
    QVERIFY(saved.Settings.Xls);
    QVERIFY(!saved.Settings.ModernFormats);
    QVERIFY(!saved.Settings.PdfFiles);
    QCOMPARE(saved.DocSettings.DocWaterMarkStr, std::string("Internal only"));
    QCOMPARE(saved.Items, items);
  }

  void aTakenNameIsRefusedAndTheWizardStaysOnItsStep() {
    ScopedProgramDir dir;
    {
      TfrmNewWizard first;
      first.show();
      GoToStep(first, 4);
      QVERIFY(first.SaveJob());
    }
    const std::string before = ReadFile(dir.Path() + "swProfile1.ini");
    TfrmNewWizard second;
    second.show();
    GoToStep(second, 2);
    second.SettingFrame->IsPpt->setChecked(true);
    GoToStep(second, 4);
    QTest::mouseClick(second.btnSave, Qt::LeftButton);
    QCOMPARE(said.Take(),
             QStringList{"A job of this name exists already; please choose another name."});
    QVERIFY(second.isVisible());
    QCOMPARE(ReadFile(dir.Path() + "swProfile1.ini"), before);
    QCOMPARE(VisibleStep(second), 4);
    GoToStep(second, 2);
    second.SettingFrame->sName->setText(QStringLiteral("Profile2"));
    GoToStep(second, 4);
    QTest::mouseClick(second.btnSave, Qt::LeftButton);
    QCOMPARE(second.result(), int(QDialog::Accepted));
    QVERIFY(TJobProfile("swProfile2.ini").Settings.Ppt);
  }

  void refusedValuesWriteNothing() {
    ScopedProgramDir dir;
    std::filesystem::create_directory(dir.Path() + "swsub");
    TfrmNewWizard w;
    w.show();
    const struct {
      QString name, text, message;
    } cases[] = {
        {"", "Draft", "The job name cannot be empty; please enter one."},
        {"Named", "", "Please enter the watermark text first."},
        // A separator would put the profile outside the program directory.
        {"sub/evil", "Draft",
         QString::fromStdString("Unable to write to " + dir.Path() + "swsub/evil.ini")},
    };
    for (const auto& c : cases) {
      GoToStep(w, 2);
      w.SettingFrame->sName->setText(c.name);
      GoToStep(w, 4);
      w.DocSetFrame->wmString->setEditText(c.text);
      QVERIFY(!w.SaveJob());
      QCOMPARE(said.Take(), QStringList{c.message});
    }
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{});
  }

  void cancelAfterEveryStepWritesNothing() {
    ScopedProgramDir dir;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 3);
    w.FolderFrame->LoadEntries({{1, "/a", "/b", ""}});
    GoToStep(w, 4);
    QTest::mouseClick(w.btnCancel, Qt::LeftButton);
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(ListTree(dir.Path()).empty());
  }
};

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
