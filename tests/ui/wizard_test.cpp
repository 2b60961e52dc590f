// The new-job wizard and its job-type page, driven offscreen; the pages' message boxes are
// answered through the dialog hooks.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "jobs/job_profile.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "support/temp_dir.h"
#include "ui/doc_set_frame.h"
#include "ui/folder_frame.h"
#include "ui/job_type_frame.h"
#include "ui/link_label.h"
#include "ui/new_wizard.h"
#include "ui/program_windows.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using stampwell::test::ListTree;
using stampwell::test::ReadFile;
using stampwell::test::ScopedProgramDir;

namespace {

// The messages shown through the message sink since the last call.
class Said {
 public:
  QStringList Take() {
    QStringList texts;
    const auto all = recorder_.Messages();
    for (size_t i = seen_; i < all.size(); ++i) texts << QString::fromStdString(all[i]);
    seen_ = all.size();
    return texts;
  }

 private:
  stampwell::test::MessageRecorder recorder_;
  size_t seen_ = 0;
};

// Which page of the four is visible (1 to 4), 0 when none or several are.
int VisibleStep(const TfrmNewWizard& w) {
  const QWidget* pages[4] = {w.JobTypeFrame, w.SettingFrame, w.FolderFrame, w.DocSetFrame};
  int step = 0;
  for (int i = 0; i < 4; ++i)
    if (pages[i]->isVisibleTo(&w)) step = step ? -1 : i + 1;
  return step < 0 ? 0 : step;
}

void GoToStep(TfrmNewWizard& w, int step) {
  while (w.CurStep < step) QTest::mouseClick(w.btnNext, Qt::LeftButton);
}

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT

  Said said;

 private slots:
  void init() {
    TUiDialogs::SetTestMode(true);
    TUiDialogs::TakeRequests();
    said.Take();
    PDFAvailable = false;
  }
  void cleanup() { PDFAvailable = false; }

  // ---- step 1

  void jobTypeWithoutPdfPrinterOffersOnlyWatermark() {
    TJobTypeFrame frame;
    frame.initvalue();
    QVERIFY(frame.WaterMark->isChecked());
    QVERIFY(frame.WaterMark->isEnabled());
    QVERIFY(!frame.PrintPDF->isEnabled());
    QVERIFY(!frame.WatermarkPDF->isEnabled());
    QCOMPARE(frame.WaterMark->text(), QStringLiteral("Add WaterMark into Doc/Xls/Ppt files"));
    QCOMPARE(frame.PrintPDF->text(), QStringLiteral("Print Doc/Xls/Ppt Files Into PDF Files"));
    QCOMPARE(
        frame.WatermarkPDF->text(),
        QStringLiteral("Add Watermark into Doc/Xls/Ppt files and then Print them to PDF files"));
    QCOMPARE(frame.size(), QSize(501, 270));
  }

  void jobTypeWithPdfPrinterPresetsWatermarkThenPdf() {
    PDFAvailable = true;
    TJobTypeFrame frame;
    frame.initvalue();
    QVERIFY(frame.WatermarkPDF->isChecked());
    QVERIFY(!frame.WaterMark->isChecked());
    QVERIFY(frame.PrintPDF->isEnabled());
    frame.PrintPDF->click();
    QVERIFY(frame.PrintPDF->isChecked());
    QVERIFY(!frame.WatermarkPDF->isChecked());  // one group: exactly one checked
    QVERIFY(!frame.WaterMark->isChecked());
  }

  void tipsLinkShowsTheHelpWindowWhenThereIsOne() {
    TJobTypeFrame frame;
    frame.tipsClick();  // no help window: nothing happens
    QWidget help;
    TProgramWindows::SetHelpWindow(&help);
    QVERIFY(!help.isVisible());
    QTest::mouseClick(frame.tips, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(help.isVisible());
    TProgramWindows::SetHelpWindow(nullptr);
  }

  // ---- the steps and their buttons

  void buttonsFollowTheStep() {
    ScopedProgramDir dir;
    TfrmNewWizard w;
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Wizard Of New Job "));
    struct Row {
      bool pre, next, save;
    };
    const Row rows[4] = {
        {false, true, false}, {true, true, false}, {true, true, false}, {true, false, true}};
    for (int step = 1; step <= 4; ++step) {
      GoToStep(w, step);
      QCOMPARE(w.CurStep, step);
      QCOMPARE(VisibleStep(w), step);
      QCOMPARE(w.btnPre->isEnabled(), rows[step - 1].pre);
      QCOMPARE(w.btnNext->isEnabled(), rows[step - 1].next);
      QCOMPARE(w.btnSave->isEnabled(), rows[step - 1].save);
      QVERIFY(w.btnCancel->isEnabled());
      QCOMPARE(w.btnNext->text(), QStringLiteral("Next"));
    }
    w.btnNextClick();  // beyond the last step: stays
    QCOMPARE(w.CurStep, 4);
    QCOMPARE(VisibleStep(w), 4);
    for (int step = 3; step >= 1; --step) {
      QTest::mouseClick(w.btnPre, Qt::LeftButton);
      QCOMPARE(VisibleStep(w), step);
    }
    w.btnPreClick();  // before the first: stays
    QCOMPARE(w.CurStep, 1);
    QCOMPARE(VisibleStep(w), 1);
    w.ShowPage(7);  // not a step: nothing changes
    QCOMPARE(VisibleStep(w), 1);
  }

  void pagesShareOnePlace() {
    TfrmNewWizard w;
    QCOMPARE(w.JobTypeFrame->geometry(), QRect(135, 20, 501, 270));
    for (QWidget* page :
         {static_cast<QWidget*>(w.SettingFrame), static_cast<QWidget*>(w.FolderFrame),
          static_cast<QWidget*>(w.DocSetFrame)})
      QCOMPARE(page->geometry(), QRect(135, 20, 500, 270));
  }

  // ---- job types into the general page

  void watermarkThenPdfChecksDocPdfAndOtherFiles() {
    PDFAvailable = true;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);
    QVERIFY(w.SettingFrame->IsDoc->isChecked());
    QVERIFY(w.SettingFrame->IsPrintPDF->isChecked());
    QVERIFY(w.SettingFrame->IsCopy->isChecked());
    QVERIFY(!w.SettingFrame->IsXls->isChecked());
    QVERIFY(!w.SettingFrame->IsPpt->isChecked());
    QCOMPARE(w.SettingFrame->IsPrintPDF->text(),
             QStringLiteral("Print Watermark Added Files into PDF Files"));
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Profile1"));
  }

  void printOnlyClearsDoc() {
    PDFAvailable = true;
    TfrmNewWizard w;
    w.show();
    w.JobTypeFrame->PrintPDF->click();
    GoToStep(w, 2);
    QVERIFY(!w.SettingFrame->IsDoc->isChecked());
    QVERIFY(w.SettingFrame->IsPrintPDF->isChecked());
    QCOMPARE(w.SettingFrame->IsPrintPDF->text(),
             QStringLiteral("Print Doc/Xls/Ppt Files into PDF Files"));
    // Back to step 1 and another choice: step 2 follows it.
    w.btnPreClick();
    w.JobTypeFrame->WaterMark->click();
    w.btnNextClick();
    QVERIFY(w.SettingFrame->IsDoc->isChecked());
    QVERIFY(!w.SettingFrame->IsPrintPDF->isChecked());
  }

  void withoutPdfPrinterTheJobIsSavedWithoutPdf() {
    ScopedProgramDir dir;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);
    QVERIFY(!w.SettingFrame->IsPrintPDF->isEnabled());
    QVERIFY(!w.SettingFrame->IsPrintPDF->isChecked());
    GoToStep(w, 4);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(said.Take().isEmpty());
    TJobProfile saved("swProfile1.ini");
    QCOMPARE(saved.Settings.Name, std::string("Profile1"));
    QVERIFY(saved.Settings.Doc);
    QVERIFY(!saved.Settings.PDF);
    QVERIFY(saved.Settings.OtherFiles);
    QVERIFY(!saved.Settings.AutoRun);
    QCOMPARE(saved.Settings.EveryMinutes, 0);
    QVERIFY(saved.Items.empty());
    QCOMPARE(saved.DocSettings.DocWaterMarkStr, std::string("CONFIDENTIAL"));
    QCOMPARE(saved.DocSettings.DocWatermarkColor, TColor(0x808080));
    QVERIFY(saved.DocSettings.Transparent);
    QVERIFY(saved.DocSettings.HX);
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swProfile1.ini"});
  }

  // ---- what the user entered

  void entriesAndWatermarkSurviveMovingBetweenSteps() {
    ScopedProgramDir dir;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);
    w.SettingFrame->sName->setText(QStringLiteral("Weekly"));
    w.SettingFrame->IsXls->setChecked(true);
    GoToStep(w, 3);
    const std::vector<RJobItem> items = {{1, "/src/a", "/dst/a", "first"},
                                         {0, "/src/b.doc", "/dst/b.doc", ""}};
    w.FolderFrame->LoadEntries(items);
    GoToStep(w, 4);
    w.DocSetFrame->wmString->setEditText(QStringLiteral("Internal only"));
    w.btnPreClick();
    w.btnPreClick();
    // Back on step 2 the user's choices are still there.
    QVERIFY(w.SettingFrame->IsXls->isChecked());
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Weekly"));
    GoToStep(w, 4);
    QCOMPARE(w.DocSetFrame->wmString->currentText(), QStringLiteral("Internal only"));
    QVERIFY(w.SaveJob());
    TJobProfile saved("swWeekly.ini");
    QVERIFY(saved.Settings.Xls);
    QCOMPARE(saved.DocSettings.DocWaterMarkStr, std::string("Internal only"));
    QCOMPARE(saved.Items.size(), size_t(2));
    QCOMPARE(saved.Items[0], items[0]);
    QCOMPARE(saved.Items[1], items[1]);
  }

  // ---- saving

  void takenNameIsRefusedAndTheFirstFileKept() {
    ScopedProgramDir dir;
    {
      TfrmNewWizard first;
      first.show();
      GoToStep(first, 4);
      QVERIFY(first.SaveJob());
    }
    const std::string before = ReadFile(dir.Path() + "swProfile1.ini");
    QVERIFY(!before.empty());

    TfrmNewWizard second;
    second.show();
    GoToStep(second, 2);
    second.SettingFrame->IsPpt->setChecked(true);
    GoToStep(second, 4);
    QTest::mouseClick(second.btnSave, Qt::LeftButton);
    QCOMPARE(said.Take(),
             QStringList{QStringLiteral(
                 "The same name job have been Exist,please change your new job name!")});
    QVERIFY(second.isVisible());
    QCOMPARE(ReadFile(dir.Path() + "swProfile1.ini"), before);
    // The wizard stays on the step the user is on.
    QCOMPARE(second.CurStep, 4);
    QCOMPARE(VisibleStep(second), 4);
    // A new name on step 2 and the save goes through.
    second.btnPreClick();
    second.btnPreClick();
    second.SettingFrame->sName->setText(QStringLiteral("Profile2"));
    GoToStep(second, 4);
    QTest::mouseClick(second.btnSave, Qt::LeftButton);
    QCOMPARE(second.result(), int(QDialog::Accepted));
    QVERIFY(TJobProfile("swProfile2.ini").Settings.Ppt);
  }

  void emptyNameOrTextWritesNothing() {
    ScopedProgramDir dir;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);
    w.SettingFrame->sName->clear();
    GoToStep(w, 4);
    QVERIFY(!w.SaveJob());
    QCOMPARE(said.Take(), QStringList{QStringLiteral("Profile cann't be empty, Please input it.")});
    w.btnPreClick();
    w.btnPreClick();
    w.SettingFrame->sName->setText(QStringLiteral("Named"));
    GoToStep(w, 4);
    w.DocSetFrame->wmString->setEditText(QString());
    QVERIFY(!w.SaveJob());
    QCOMPARE(said.Take(), QStringList{QStringLiteral("Please select watermark string at first!")});
    QVERIFY(ListTree(dir.Path()).empty());
  }

  void nameWithSeparatorIsNotWrittenOutsideTheProgramDirectory() {
    ScopedProgramDir dir;
    std::filesystem::create_directory(dir.Path() + "swsub");
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);
    w.SettingFrame->sName->setText(QStringLiteral("sub/evil"));
    GoToStep(w, 4);
    QVERIFY(!w.SaveJob());
    const QStringList messages = said.Take();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].startsWith(QStringLiteral("Unable to write to ")));
    QVERIFY(ListTree(dir.Path()).empty());
  }

  void cancelAfterEveryStepWritesNothing() {
    ScopedProgramDir dir;
    TfrmNewWizard w;
    w.show();
    GoToStep(w, 2);
    w.SettingFrame->sName->setText(QStringLiteral("Dropped"));
    GoToStep(w, 3);
    w.FolderFrame->LoadEntries({{1, "/a", "/b", ""}});
    GoToStep(w, 4);
    QTest::mouseClick(w.btnCancel, Qt::LeftButton);
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(!w.isVisible());
    QVERIFY(ListTree(dir.Path()).empty());
  }
};

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
