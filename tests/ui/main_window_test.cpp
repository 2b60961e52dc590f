// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up, the tree and the pages, save back, new, delete, export, import,
// the resize rule and the About window. Message boxes go through the message sink; file
// dialogs and the input box are answered through the dialog hooks.
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QDropEvent>
#include <QUrl>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSettings>
#include <QSplitter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "jobs/job_profile.h"
#include "jobs/profile_list.h"
#include "main_test_support.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "ui/about_window.h"
#include "ui/item_dialog.h"
#include "ui/doc_set_frame.h"
#include "ui/folder_frame.h"
#include "ui/history_frame.h"
#include "ui/job_files.h"
#include "ui/new_wizard.h"
#include "ui/program_windows.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using namespace stampwell::test;
using Kind = TUiDialogs::Kind;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (const auto& p : ProfileList()) names.push_back(p->Settings.Name);
  return names;
}

// The tree node of a job, found by name in ProfileList's order.
int NodeOf(const std::string& name) {
  const auto names = Names();
  return int(std::find(names.begin(), names.end(), name) - names.begin()) + 1;
}

}  // namespace

// Whether a window is blocked by a modal dialog, as Qt tells the window.
class BlockWatcher : public QObject {
 public:
  explicit BlockWatcher(QWidget* window) { window->installEventFilter(this); }
  bool blocked = false;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::WindowBlocked) blocked = true;
    if (e->type() == QEvent::WindowUnblocked) blocked = false;
    return false;
  }
};

// Receives the addresses that QDesktopServices would open in the web browser.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

class MainWindowTest : public QObject {
  Q_OBJECT
  Said said;

 private slots:
  void init() {
    TUiDialogs::SetTestMode(true);
    TUiDialogs::TakeRequests();
    said.Take();
  }
  void cleanup() {
    TRegistry::SetMachine(nullptr);
    ProfileList().clear();
  }

  void startsOnTheHelpPageWithNothingCurrent() {
    ScopedProgramDir dir;
    TfrmMain w;
    w.show();
    QVERIFY(w.HelpPanel->isVisible());
    QVERIFY(!w.JobPageControl->isVisible());
    QCOMPARE(w.NodeAt(0)->text(0), QStringLiteral("Job Profiles"));
    QCOMPARE(w.NodeAt(0)->childCount(), 0);
    QVERIFY(!w.CurrentJob());
    QCOMPARE(w.ShownNode(), -1);
    // Run does nothing and says nothing; Export and Delete cannot be chosen.
    w.aRunThisJob->trigger();
    QVERIFY(!w.Running());
    QVERIFY(said.Take().isEmpty());
    QVERIFY(!w.aExportJob->isEnabled());
    QVERIFY(!w.aDeleteJob->isEnabled());
    w.aExportJob->trigger();
    w.aDeleteJob->trigger();
    QVERIFY(said.Take().isEmpty());
    QVERIFY(TUiDialogs::TakeRequests().empty());
    QVERIFY(ListTree(dir.Path()).empty());
  }

  void startUpSurvivesBadProfilesAndBadPrinterSettings() {
    ScopedProgramDir dir;
    WriteFile(dir.Path() + "swBroken.ini", ProfileText("Broken", "Draft", "not a colour"));
    const std::string printer = "\\System\\CurrentControlSet\\Control\\Print\\Printers\\P";
    auto registry = std::make_shared<TRegistry>();
    registry->SetString(printer, "Name", "P");
    registry->SetString(printer, "Printer Driver", "Adobe PDF Converter");
    registry->SetDWord(printer + "\\PrinterDriverData", "ViewPrintOutput", 0);  // two missing
    TRegistry::SetMachine(registry);
    PDFAvailable = true;
    {
      TfrmMain w;
      QCOMPARE(said.Take().size(), 1);  // the unreadable colour
      QVERIFY(!PDFAvailable);           // the registry error: no PDF output
      QVERIFY(w.HelpPanel->isVisibleTo(&w));
      QVERIFY(w.HtmViewFrame);
      QCOMPARE(w.JobPageControl->count(), 4);
      QCOMPARE(w.NodeAt(0)->text(0), QStringLiteral("Job Profiles"));
    }
    // With the missing settings in place the printer is usable.
    registry->SetDWord(printer + "\\PrinterDriverData", "AskToReplacePDF", 0);
    registry->SetDWord(printer + "\\PrinterDriverData", "PromptForFileName", 0);
    registry->SetString(printer + "\\DsSpooler", "location", "PDF");
    std::filesystem::remove(dir.Path() + "swBroken.ini");
    TfrmMain again;
    QVERIFY(PDFAvailable);
    PDFAvailable = false;
  }

  void treeShowsTheJobsInListOrderWithTheirImages() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Beta");
    TfrmMain w;
    QTreeWidgetItem* root = w.NodeAt(0);
    QCOMPARE(root->childCount(), 2);
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(root->child(i)->text(0), Q(Names()[size_t(i)]));
      QCOMPARE(w.JobTreeGetImageIndex(root->child(i)), 0);
    }
    root->setExpanded(true);
    QCOMPARE(w.JobTreeGetImageIndex(root), 15);
    root->setExpanded(false);
    QCOMPARE(w.JobTreeGetImageIndex(root), 16);
  }

  void clickingAnotherJobSavesTheShownOne() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Beta");
    TfrmMain w;
    w.show();
    ClickNode(w, NodeOf("Alpha"));
    QVERIFY(w.JobPageControl->isVisible());
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Alpha"));
    QCOMPARE(w.FolderFrame->Entries()[0].Source, std::string("/in/Alpha"));
    w.SettingFrame->IsXls->setChecked(true);
    w.FolderFrame->LoadEntries({{0, "/x.doc", "/y.doc", "note"}, {1, "/a", "/b", ""}});
    ClickNode(w, NodeOf("Beta"));
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Beta"));
    TJobProfile alpha("swAlpha.ini");
    QVERIFY(alpha.Settings.Xls);
    QCOMPARE(alpha.Items,
             (std::vector<RJobItem>{{0, "/x.doc", "/y.doc", "note"}, {1, "/a", "/b", ""}}));
    QVERIFY(said.Take().isEmpty());
  }

  void theWorkersBoxIsLoadedFromAndSavedToTheProfile() {
    ScopedProgramDir dir;
    std::string text = ProfileText("Alpha");
    text.insert(text.find("[DocInfo]"), "Workers=2\r\n");
    WriteFile(dir.Path() + "swAlpha.ini", text);
    WriteProfile(dir.Path(), "Beta");  // no Workers key: one at a time
    TfrmMain w;
    w.show();
    ClickNode(w, NodeOf("Alpha"));
    QCOMPARE(w.SettingFrame->Workers->value(), 2);
    w.SettingFrame->Workers->setValue(0);
    ClickNode(w, NodeOf("Beta"));
    QCOMPARE(w.SettingFrame->Workers->value(), 1);
    QCOMPARE(TJobProfile("swAlpha.ini").Settings.Workers, 0);
    QVERIFY(ReadFile(dir.Path() + "swAlpha.ini").find("Workers=0\r\n") != std::string::npos);
    // Saving a job whose box was left alone adds no key to its profile.
    ClickNode(w, NodeOf("Alpha"));
    QVERIFY(ReadFile(dir.Path() + "swBeta.ini").find("Workers") == std::string::npos);
    QCOMPARE(TJobProfile("swBeta.ini").Settings.Workers, 1);
  }

  void clickingTheShownJobSavesButDoesNotReload() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    WriteFile(dir.Path() + "swAlpha.log", "2026-01-01 10:00:00 Job Begin\r\n");
    w.SettingFrame->IsPpt->setChecked(true);
    ClickNode(w, 1);
    QVERIFY(TJobProfile("swAlpha.ini").Settings.Ppt);
    QVERIFY(w.HistoryFrame->History->toPlainText().isEmpty());  // not loaded again
  }

  void clickingTheRootSavesTwiceThenShowsHelp() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    // A page that refuses its values says so at each of the two saves.
    w.DocSetFrame->wmString->setEditText(QString());
    const std::string before = ReadFile(dir.Path() + "swAlpha.ini");
    ClickNode(w, 0);
    QCOMPARE(said.Take(), QStringList(2, "Please enter the watermark text first."));
    QCOMPARE(ReadFile(dir.Path() + "swAlpha.ini"), before);
    QVERIFY(w.HelpPanel->isVisible());
    QVERIFY(!w.CurrentJob());
    QCOMPARE(w.ShownNode(), 0);
    ClickNode(w, 1);
    w.DocSetFrame->wmString->setEditText(QStringLiteral("Kept"));
    ClickNode(w, 0);
    QCOMPARE(TJobProfile("swAlpha.ini").DocSettings.DocWaterMarkStr, std::string("Kept"));
  }

  void refreshForgetsTheCurrentJobAndItsEdits() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    w.SettingFrame->IsPpt->setChecked(true);
    w.aRefreshView->trigger();
    QVERIFY(!w.CurrentJob());
    ClickNode(w, 1);  // the same node loads the job again
    QVERIFY(!w.SettingFrame->IsPpt->isChecked());
    QVERIFY(!TJobProfile("swAlpha.ini").Settings.Ppt);
  }

  void aRenamedJobsProfileAndLogMoveTogether() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Old");
    WriteProfile(dir.Path(), "Other");
    WriteFile(dir.Path() + "swOld.log", "2026-01-01 10:00:00 Job Begin\r\n");
    TfrmMain w;
    w.show();
    ClickNode(w, NodeOf("Old"));
    QTest::keyClick(w.SettingFrame->sName, Qt::Key_End);
    QTest::keyClicks(w.SettingFrame->sName, QStringLiteral("er"));  // "Older"
    ClickNode(w, 0);
    QCOMPARE(w.NodeAt(NodeOf("Older"))->text(0), QStringLiteral("Older"));
    QCOMPARE(ListTree(dir.Path()),
             (std::vector<std::string>{"swOlder.ini", "swOlder.log", "swOther.ini"}));
    QCOMPARE(TJobProfile("swOlder.ini").Settings.Name, std::string("Older"));
    ClickNode(w, NodeOf("Older"));
    QCOMPARE(w.HistoryFrame->History->toPlainText(),
             QStringLiteral("2026-01-01 10:00:00 Job Begin\n"));

    // A name another job has is refused: the job keeps its name and files, the rest is saved.
    w.SettingFrame->sName->setText(QStringLiteral("Other"));
    w.SettingFrame->IsPpt->setChecked(true);
    ClickNode(w, 0);
    QCOMPARE(said.Take(), QStringList{TJobFiles::kNameTaken});
    QCOMPARE(ListTree(dir.Path()),
             (std::vector<std::string>{"swOlder.ini", "swOlder.log", "swOther.ini"}));
    QVERIFY(TJobProfile("swOlder.ini").Settings.Ppt);
    QCOMPARE(TJobProfile("swOther.ini").Settings.Name, std::string("Other"));
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Older"));

    // Deleting the renamed job leaves nothing of it behind.
    ClickNode(w, NodeOf("Older"));
    TUiDialogs::SetNextAnswer(Kind::Question, QStringLiteral("Yes"));
    w.aDeleteJob->trigger();
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swOther.ini"});
  }

  void exportHoldsWhatThePagesShow() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TempDir out;
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    w.DocSetFrame->wmString->lineEdit()->selectAll();
    QTest::keyClicks(w.DocSetFrame->wmString->lineEdit(), QStringLiteral("Edited"));
    TUiDialogs::SetNextAnswer(Kind::SaveFile, Q(out.Path() + "alpha.txt"));
    w.aExportJob->trigger();
    QCOMPARE(TJobProfile("swAlpha.ini").DocSettings.DocWaterMarkStr, std::string("Edited"));
    QCOMPARE(ReadFile(out.Path() + "alpha.txt"), ReadFile(dir.Path() + "swAlpha.ini"));
    // A page that refuses its values stops the export.
    w.DocSetFrame->wmString->setEditText(QString());
    TUiDialogs::SetNextAnswer(Kind::SaveFile, Q(out.Path() + "empty.txt"));
    w.aExportJob->trigger();
    QCOMPARE(said.Take(), QStringList{"Please enter the watermark text first."});
    QVERIFY(!FileExists(out.Path() + "empty.txt"));
  }

  void thePopUpActsOnTheJobUnderTheMouse() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Beta");
    TfrmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ClickNode(w, NodeOf("Beta"));
    w.SettingFrame->IsXls->setChecked(true);
    QTreeWidgetItem* alpha = w.NodeAt(NodeOf("Alpha"));
    // A right-click: the button goes down and up, and the system asks for the context menu.
    const QPoint at = w.JobTree->visualItemRect(alpha).center();
    QTest::mousePress(w.JobTree->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(w.JobTree->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at,
                                w.JobTree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(w.JobTree->viewport(), &menuEvent);
    QTRY_VERIFY(w.PopupMenu->isVisible());
    QCOMPARE(w.JobTree->currentItem(), alpha);
    QCOMPARE(w.CurrentJob()->Settings.Name, std::string("Alpha"));
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Alpha"));
    QVERIFY(TJobProfile("swBeta.ini").Settings.Xls);  // written back as any job change does
    TUiDialogs::SetNextAnswer(Kind::Question, QStringLiteral("Yes"));
    QTest::mouseClick(w.PopupMenu, Qt::LeftButton, {},
                      w.PopupMenu->actionGeometry(w.aDeleteJob).center());
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swBeta.ini"});
    const auto asked = TUiDialogs::TakeRequests();
    QCOMPARE(asked.size(), size_t(1));
    QVERIFY(asked[0].text.contains(QStringLiteral("\"Alpha\"")));
  }

  void treeIsSortedByNameExpandedAndFollowsTheFiles() {
    ScopedProgramDir dir;
    for (const char* name : {"delta", "Bravo", "alpha", "Charlie"}) WriteProfile(dir.Path(), name);
    TfrmMain w;
    w.show();
    QVERIFY(w.NodeAt(0)->isExpanded());
    QStringList texts;
    for (int i = 1; i <= 4; ++i) texts << w.NodeAt(i)->text(0);
    QCOMPARE(texts, (QStringList{"alpha", "Bravo", "Charlie", "delta"}));
    QVERIFY(w.JobTree->visualItemRect(w.NodeAt(4)).isValid());
  }

  void newJobThroughTheWizardIsListed() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    QTimer::singleShot(0, [] {
      auto* wizard = qobject_cast<TfrmNewWizard*>(QApplication::activeModalWidget());
      QVERIFY(wizard);
      for (int i = 0; i < 3; ++i) wizard->btnNextClick();
      wizard->btnSaveClick();
    });
    w.aNewJob->trigger();
    QCOMPARE(w.NodeAt(0)->childCount(), 2);
    QVERIFY(FileExists(dir.Path() + "swProfile1.ini"));
    // The new job is the chosen one, its pages shown.
    QVERIFY(w.CurrentJob());
    QCOMPARE(w.CurrentJob()->FileName, std::string("swProfile1.ini"));
    QCOMPARE(w.JobTree->currentItem(), w.NodeAt(NodeOf("Profile1")));
    QCOMPARE(w.ShownNode(), NodeOf("Profile1"));
    QVERIFY(w.JobPageControl->isVisible());
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Profile1"));
  }

  void theHelpWindowStaysUsableWhileTheWizardIsOpen() {
    ScopedProgramDir dir;
    TfrmMain w;
    w.show();
    QWidget help;
    help.resize(200, 100);
    BlockWatcher blocked(&help);
    TProgramWindows::SetHelpWindow(&help);
    BlockWatcher mainBlocked(&w);
    bool reached = false, helpShown = false, helpBlocked = true, mainWaits = false;
    QTimer::singleShot(0, [&] {
      auto* wizard = qobject_cast<TfrmNewWizard*>(QApplication::activeModalWidget());
      if (!wizard) return;
      auto* tips = wizard->findChild<QWidget*>(QStringLiteral("tips"));
      QTest::mouseClick(tips, Qt::LeftButton, {}, tips->rect().center());
      helpShown = QTest::qWaitForWindowExposed(&help);
      QCoreApplication::processEvents();
      helpBlocked = blocked.blocked;
      mainWaits = mainBlocked.blocked;
      reached = true;
      wizard->btnCancelClick();
    });
    w.aNewJob->trigger();
    TProgramWindows::SetHelpWindow(nullptr);
    QVERIFY(reached);
    QVERIFY(helpShown);
    QVERIFY(!helpBlocked);  // the help window takes input
    QVERIFY(mainWaits);     // the main window waits for the wizard
  }

  void deleteAsksNamingTheJobThenRemovesProfileAndLog() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Beta");
    WriteFile(dir.Path() + "swAlpha.log", "log\r\n");
    TfrmMain w;
    w.show();
    ClickNode(w, NodeOf("Alpha"));
    TUiDialogs::TakeRequests();
    TUiDialogs::SetNextAnswer(Kind::Question, QStringLiteral("No"));
    QTest::mouseClick(w.ToolBar->findChild<QToolButton*>(QStringLiteral("tbDelete")),
                      Qt::LeftButton);
    auto asked = TUiDialogs::TakeRequests();
    QCOMPARE(asked.size(), size_t(1));
    QCOMPARE(asked[0].kind, Kind::Question);
    QCOMPARE(asked[0].text, QStringLiteral("Delete the job \"Alpha\" together with its history?"));
    QCOMPARE(ListTree(dir.Path()),
             (std::vector<std::string>{"swAlpha.ini", "swAlpha.log", "swBeta.ini"}));
    QCOMPARE(w.CurrentJob()->Settings.Name, std::string("Alpha"));

    TUiDialogs::SetNextAnswer(Kind::Question, QStringLiteral("Yes"));
    QTest::mouseClick(w.ToolBar->findChild<QToolButton*>(QStringLiteral("tbDelete")),
                      Qt::LeftButton);
    QVERIFY(said.Take().isEmpty());
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swBeta.ini"});
    QCOMPARE(w.NodeAt(0)->childCount(), 1);
    QCOMPARE(w.NodeAt(1)->text(0), QStringLiteral("Beta"));
    QVERIFY(!w.CurrentJob());
    // Nothing of the deleted job is left on screen, and nothing is left to delete.
    QVERIFY(w.HelpPanel->isVisible());
    QVERIFY(!w.JobPageControl->isVisible());
    QVERIFY(w.SettingFrame->sName->text().isEmpty());
    QVERIFY(w.FolderFrame->Entries().empty());
    QVERIFY(w.HistoryFrame->History->toPlainText().isEmpty());
    QVERIFY(!w.aDeleteJob->isEnabled());
    QVERIFY(!w.ToolBar->findChild<QToolButton*>(QStringLiteral("tbDelete"))->isEnabled());
    // Choosing a job makes Delete available again.
    ClickNode(w, 1);
    QVERIFY(w.aDeleteJob->isEnabled());
    ClickNode(w, 0);
    QVERIFY(!w.aDeleteJob->isEnabled());
  }

  void exportThenImportUnderATakenNameAsksUntilAFreeOne() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Other");
    TempDir out;
    TfrmMain w;
    w.show();
    ClickNode(w, NodeOf("Alpha"));
    TUiDialogs::SetNextAnswer(Kind::SaveFile, Q(out.Path() + "alpha"));  // no extension typed
    w.aExportJob->trigger();
    QCOMPARE(TUiDialogs::TakeRequests()[0].filter,
             QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*"));
    const std::string alpha = ReadFile(dir.Path() + "swAlpha.ini");
    QCOMPARE(ReadFile(out.Path() + "alpha.txt"), alpha);

    TUiDialogs::SetNextAnswer(Kind::OpenFile, Q(out.Path() + "alpha.txt"));
    TUiDialogs::SetNextAnswer(Kind::InputBox, QStringLiteral("Other"));  // taken
    TUiDialogs::SetNextAnswer(Kind::InputBox, std::nullopt);             // cancel: asked again
    TUiDialogs::SetNextAnswer(Kind::InputBox, QStringLiteral("a/b"));    // holds a separator
    TUiDialogs::SetNextAnswer(Kind::InputBox, QStringLiteral("Fresh"));
    w.aImportJob->trigger();
    QCOMPARE(said.Take(),
             (QStringList{"A job of this name exists already.", "A job of this name exists already.",
                          "A job of this name exists already.", TJobFiles::kSeparatorInName}));
    int asked = 0;
    for (const auto& r : TUiDialogs::TakeRequests()) {
      if (r.kind != Kind::InputBox) continue;
      ++asked;
      QCOMPARE(r.title, QStringLiteral("Import Job"));
      QCOMPARE(r.text, QStringLiteral("Please enter another name:"));
    }
    QCOMPARE(asked, 4);
    QCOMPARE(ListTree(dir.Path()),
             (std::vector<std::string>{"swAlpha.ini", "swFresh.ini", "swOther.ini"}));
    QCOMPARE(ReadFile(dir.Path() + "swAlpha.ini"), alpha);
    TJobProfile fresh("swFresh.ini");
    QCOMPARE(fresh.Settings.Name, std::string("Fresh"));
    QCOMPARE(fresh.Items.size(), size_t(1));
    QCOMPARE(w.NodeAt(0)->childCount(), 3);
    // The imported job is the chosen one, its pages shown.
    QVERIFY(w.CurrentJob());
    QCOMPARE(w.CurrentJob()->Settings.Name, std::string("Fresh"));
    QCOMPARE(w.JobTree->currentItem(), w.NodeAt(NodeOf("Fresh")));
    QVERIFY(w.JobPageControl->isVisible());
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("Fresh"));
  }

  void importOfANameWithASeparatorSaysWhy() {
    ScopedProgramDir dir;
    TempDir out;
    WriteFile(out.Path() + "odd.txt", ProfileText("Reports/2026"));
    TfrmMain w;
    TUiDialogs::SetNextAnswer(Kind::OpenFile, Q(out.Path() + "odd.txt"));
    TUiDialogs::SetNextAnswer(Kind::InputBox, QStringLiteral("Reports 2026"));
    w.aImportJob->trigger();
    QCOMPARE(said.Take(), QStringList{TJobFiles::kSeparatorInName});
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swReports 2026.ini"});
    QCOMPARE(w.NodeAt(1)->text(0), QStringLiteral("Reports 2026"));
  }

  void importNeverReplacesAFileWhileStaging() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Keep");
    WriteFile(dir.Path() + "notes.ini", "unrelated\r\n");
    const std::string keep = ReadFile(dir.Path() + "swKeep.ini");
    TempDir out;
    WriteFile(out.Path() + "swKeep.txt", ProfileText("Imported1"));
    WriteFile(out.Path() + "notes.txt", ProfileText("Imported2"));
    TfrmMain w;
    for (const char* name : {"swKeep.txt", "notes.txt"}) {
      TUiDialogs::SetNextAnswer(Kind::OpenFile, Q(out.Path() + name));
      w.aImportJob->trigger();
    }
    QVERIFY(said.Take().isEmpty());
    QCOMPARE(ReadFile(dir.Path() + "swKeep.ini"), keep);
    QCOMPARE(ReadFile(dir.Path() + "notes.ini"), std::string("unrelated\r\n"));
    QCOMPARE(ListTree(dir.Path()), (std::vector<std::string>{"notes.ini", "swImported1.ini",
                                                             "swImported2.ini", "swKeep.ini"}));
  }

  void importChecksThatTheFileIsAnExport() {
    ScopedProgramDir dir;
    TempDir out;
    WriteFile(out.Path() + "letter.txt", "Dear reader,\r\n");
    WriteFile(out.Path() + "x.txt", "[DocInfo]\r\nDocWaterMarkStr=Only text\r\n");
    TfrmMain w;
    TUiDialogs::SetNextAnswer(Kind::OpenFile, Q(out.Path() + "letter.txt"));
    w.aImportJob->trigger();
    QCOMPARE(said.Take(),
             QStringList{"This text file does not look like an exported job; please check it."});
    QVERIFY(ListTree(dir.Path()).empty());  // the staged copy is gone
    // A text without a name is enough: it becomes the job with the empty name.
    TUiDialogs::SetNextAnswer(Kind::OpenFile, Q(out.Path() + "x.txt"));
    w.aImportJob->trigger();
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"sw.ini"});
    w.aImportJob->trigger();  // cancelled: nothing
    QVERIFY(said.Take().isEmpty());
  }

  // The pages take what the window gains, the tree keeps its height; the user moves the line
  // between them.
  void thePagesGrowWithTheWindow() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    w.resize(800, 600);
    QCoreApplication::processEvents();
    const int tree = w.JobTree->height();
    const int pages = w.JobPanel->height();
    const int pageWidth = w.SettingFrame->parentWidget()->width();
    w.resize(1000, 800);
    QCoreApplication::processEvents();
    QCOMPARE(w.JobTree->height(), tree);
    QCOMPARE(w.JobPanel->height(), pages + 200);
    QCOMPARE(w.JobPageControl->height(), w.JobPanel->height());
    QVERIFY(w.SettingFrame->parentWidget()->width() >= pageWidth + 190);
    w.JobPageControl->setCurrentIndex(1);
    QCoreApplication::processEvents();
    QCOMPARE(w.FolderFrame->size(), w.FolderFrame->parentWidget()->size());
    QVERIFY(w.FolderFrame->width() >= pageWidth + 190);
    w.Splitter->setSizes({tree + 100, pages + 100});
    QCoreApplication::processEvents();
    QCOMPARE(w.JobTree->height(), tree + 100);
  }

  // Size, place and splitter come back as the user left them; a first start is big enough
  // for more than four jobs in the tree; the windows use the desktop's font.
  void theWindowRemembersItsSizeAndSplitter() {
    ScopedProgramDir dir;
    for (int i = 0; i < 8; ++i) WriteProfile(dir.Path(), "Job" + std::to_string(i));
    TempDir config;
    ScopedWindowSettings::Use(config.Path());
    QList<int> split;
    {
      TfrmMain w;
      w.show();
      QVERIFY(QTest::qWaitForWindowExposed(&w));
      int shown = 0;
      for (int i = 1; i <= 8; ++i)
        shown += w.JobTree->viewport()->rect().contains(
            w.JobTree->visualItemRect(w.NodeAt(i)).bottomLeft());
      QVERIFY2(shown > 4, qPrintable(QString::number(shown)));
      w.resize(840, 650);
      w.Splitter->setSizes({260, 300});
      QCoreApplication::processEvents();
      split = w.Splitter->sizes();
    }
    QVERIFY(FileExists(config.Path() + "stampwell/stampwell.ini"));
    TfrmMain again;
    again.show();
    QCoreApplication::processEvents();
    QCOMPARE(again.size(), QSize(840, 650));
    QCOMPARE(again.Splitter->sizes(), split);
    QCOMPARE(again.Splitter->sizes().value(0), 260);
    ScopedWindowSettings::Use(g_windowSettings.Path());
  }

  void theWindowsUseTheDesktopsFont() {
    ScopedProgramDir dir;
    const QFont before = QApplication::font();
    QFont desktop = before;
    desktop.setPointSize(13);
    QApplication::setFont(desktop);
    {
      TfrmMain w;
      QCOMPARE(w.font().pointSize(), 13);
      QCOMPARE(w.SettingFrame->font().pointSize(), 13);
      QCOMPARE(w.HistoryFrame->History->font().pointSize(), 13);
      TfrmAddFolder dialog;
      QCOMPARE(dialog.font().pointSize(), 13);
    }
    QApplication::setFont(before);
  }

  void maximisingAndRestoringKeepsTheLayout() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto check = [&w](const char* when) {
      QCoreApplication::processEvents();
      // The status panels lie side by side, in order, inside the bar.
      for (int i = 0; i < 4; ++i) {
        const QRect r = w.StatusPanels[i]->geometry();
        QVERIFY2(w.StatusPanels[i]->isVisible(), when);
        QVERIFY2(w.statusBar()->rect().contains(r), when);
        if (i > 0) QVERIFY2(w.StatusPanels[i - 1]->geometry().right() < r.left(), when);
      }
      QCOMPARE(w.StatusPanels[0]->width(), w.StatusPanels[0]->minimumWidth());
      // The tree starts at the top of the main panel and reaches the job panel.
      QCOMPARE(w.Splitter->geometry().top(), w.MainPanel->contentsRect().top());
      QCOMPARE(w.JobTree->geometry().top(), 0);
      QVERIFY2(w.JobTree->geometry().bottom() < w.JobPanel->geometry().top(), when);
      QCOMPARE(w.JobPanel->geometry().bottom(), w.Splitter->rect().bottom());
    };
    check("normal");
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    check("maximised");
    w.showNormal();
    QTRY_VERIFY(!w.isMaximized());
    check("restored");
    w.resize(700, 520);
    check("resized");
  }

  void hidingThePanelGivesItsRoomToTheTree() {
    ScopedProgramDir dir;
    TfrmMain w;
    w.show();
    w.aPanelView->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!w.JobPanel->isVisible());
    QCOMPARE(w.JobTree->geometry().top(), 0);
    QCOMPARE(w.JobTree->height(), w.Splitter->height());
    w.aPanelView->trigger();
    QCoreApplication::processEvents();
    QVERIFY(w.JobPanel->isVisible());
    QVERIFY(w.JobTree->geometry().bottom() < w.JobPanel->geometry().top());
  }

  void theToolBarsOwnMenuStaysInStepWithTheViewMenu() {
    ScopedProgramDir dir;
    TfrmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // A right-click on the tool bar's empty end opens the tool bar's menu.
    const QPoint end(w.ToolBar->width() - 5, w.ToolBar->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, end, w.ToolBar->mapToGlobal(end));
    QApplication::sendEvent(w.ToolBar, &event);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* first = menu->actions().value(0);
    QVERIFY(first);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(first).center());
    QVERIFY(!w.ToolBar->isVisible());
    QVERIFY(!w.aToolBarView->isChecked());
    w.aToolBarView->trigger();
    QVERIFY(w.ToolBar->isVisible());
    QVERIFY(w.aToolBarView->isChecked());
  }

  void viewItemsShowAndHideTheirParts() {
    ScopedProgramDir dir;
    TfrmMain w;
    w.show();
    const std::pair<QAction*, QWidget*> items[] = {
        {w.aToolBarView, w.ToolBar}, {w.aStatusBarView, w.statusBar()}, {w.aPanelView, w.JobPanel}};
    for (auto [item, part] : items) {
      item->trigger();
      QVERIFY(!item->isChecked());
      QVERIFY(!part->isVisible());
      item->trigger();
      QVERIFY(item->isChecked());
      QVERIFY(part->isVisible());
    }
  }

  // The usual keys reach the usual actions: Ctrl+N the wizard, Del the chosen job (from the
  // tree only), F1 the help, F5 a run, Ctrl+Q quit (asking while a job runs).
  void theUsualKeysReachTheirActions() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    bool wizardOpened = false;
    QTimer::singleShot(0, [&] {
      auto* wizard = qobject_cast<TfrmNewWizard*>(QApplication::activeModalWidget());
      wizardOpened = wizard != nullptr;
      if (wizard) wizard->btnCancelClick();
    });
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QVERIFY(wizardOpened);

    ClickNode(w, 1);
    QApplication::setActiveWindow(&w);
    w.JobTree->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.JobTree));
    TUiDialogs::TakeRequests();
    TUiDialogs::SetNextAnswer(Kind::Question, QStringLiteral("No"));
    QTest::keyClick(w.JobTree, Qt::Key_Delete);
    auto asked = TUiDialogs::TakeRequests();
    QCOMPARE(asked.size(), size_t(1));
    QCOMPARE(asked[0].text, QStringLiteral("Delete the job \"Alpha\" together with its history?"));
    // In a text field Del deletes a character, not the job.
    w.SettingFrame->sName->setFocus();
    w.SettingFrame->sName->setCursorPosition(0);
    QTest::keyClick(w.SettingFrame->sName, Qt::Key_Delete);
    QVERIFY(TUiDialogs::TakeRequests().empty());
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("lpha"));
    w.SettingFrame->sName->setText(QStringLiteral("Alpha"));

    QWidget help;
    TProgramWindows::SetHelpWindow(&help);
    QTest::keyClick(&w, Qt::Key_F1);
    QVERIFY(help.isVisible());
    TProgramWindows::SetHelpWindow(nullptr);
    QApplication::setActiveWindow(&w);

    // F5 runs the chosen job; its folder does not exist, so the run ends at once.
    w.JobTree->setFocus();
    QTest::keyClick(&w, Qt::Key_F5);
    QVERIFY(w.ProgressWindow());
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running() && !w.Draining(), 20000);

    const auto keys = [](QAction* a) { return a->shortcut(); };
    QCOMPARE(keys(w.aNewJob), QKeySequence(QKeySequence::New));
    QCOMPARE(keys(w.aExitApp), QKeySequence(QKeySequence::Quit));
    QCOMPARE(keys(w.aHelpHelp), QKeySequence(QKeySequence::HelpContents));
    QCOMPARE(keys(w.RunJobItem), QKeySequence(Qt::Key_F5));
  }

  // Folders dropped on the main window open the wizard of a new job for them; dropped on the
  // shown job's folder list they become that job's entries.
  void droppedFoldersStartANewJobOrJoinTheShownOne() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TempDir data;
    WriteFile(data.Path() + "Reports/a.doc", "doc");
    TfrmMain w;
    w.show();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Q(data.Path() + "Reports"))});
    const QPoint at = w.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    QVERIFY(enter.isAccepted());
    std::vector<std::string> inWizard;
    bool opened = false;
    QTimer::singleShot(50, [&] {
      auto* wizard = qobject_cast<TfrmNewWizard*>(QApplication::activeModalWidget());
      if (!wizard) return;
      opened = true;
      for (const RJobItem& item : wizard->FolderFrame->Entries()) inWizard.push_back(item.Source);
      for (int i = 0; i < 3; ++i) wizard->btnNextClick();
      wizard->btnSaveClick();
    });
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    QVERIFY(drop.isAccepted());
    QTRY_VERIFY(opened);
    QCOMPARE(inWizard, std::vector<std::string>{data.Path() + "Reports"});
    // The new job holds the folder and is the chosen one.
    QTRY_VERIFY(w.CurrentJob() && w.CurrentJob()->FileName == "swProfile1.ini");
    QCOMPARE(w.CurrentJob()->Items.size(), size_t(1));
    QCOMPARE(w.CurrentJob()->Items[0].Dest, data.Path() + "Reports (stamped)");

    // Dropped on the folder list of the shown job: an entry of that job, no wizard.
    ClickNode(w, NodeOf("Alpha"));
    w.JobPageControl->setCurrentIndex(1);
    QCoreApplication::processEvents();
    QWidget* list = w.FolderFrame->FolderList->viewport();
    QDragEnterEvent enterList(list->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
    QApplication::sendEvent(list, &enterList);
    QVERIFY(enterList.isAccepted());
    QDropEvent onList(QPointF(list->rect().center()), Qt::CopyAction, &mime, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(list, &onList);
    QVERIFY(onList.isAccepted());
    QCOMPARE(w.FolderFrame->Entries().size(), size_t(2));
    QVERIFY(!qobject_cast<TfrmNewWizard*>(QApplication::activeModalWidget()));
    ClickNode(w, 0);  // saved with the job
    TJobProfile alpha("swAlpha.ini");
    QCOMPARE(alpha.Items.size(), size_t(2));
    QCOMPARE(alpha.Items[1].Source, data.Path() + "Reports");
  }

  // Every menu and every item in it has its own underlined letter.
  void menusHaveMnemonics() {
    ScopedProgramDir dir;
    TfrmMain w;
    const auto letter = [](const QString& text) {
      const int at = text.indexOf(QLatin1Char('&'));
      return at < 0 || at + 1 >= text.size() ? QChar() : text.at(at + 1).toLower();
    };
    QSet<QChar> titles;
    for (QAction* m : w.menuBar()->actions()) {
      const QChar c = letter(m->text());
      QVERIFY2(!c.isNull(), qPrintable(m->text()));
      QVERIFY2(!titles.contains(c), qPrintable(m->text()));
      titles << c;
      QSet<QChar> items;
      for (QAction* a : m->menu()->actions()) {
        if (a->isSeparator()) continue;
        const QChar i = letter(a->text());
        QVERIFY2(!i.isNull(), qPrintable(a->text()));
        QVERIFY2(!items.contains(i), qPrintable(a->text()));
        items << i;
      }
    }
    QCOMPARE(titles.size(), 4);
  }

  // The words of every window: none of the old misspellings, no Windows-only names.
  void theWindowsSpeakPlainEnglish() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    TfrmNewWizard wizard(&w);
    TfrmAddFile addFile;
    TfrmAddFolder addFolder;
    TfrmAbout about;
    QStringList texts;
    auto collect = [&texts](QWidget* top) {
      QList<QWidget*> all = top->findChildren<QWidget*>();
      all << top;
      for (QWidget* widget : all) {
        texts << widget->windowTitle() << widget->toolTip();
        if (auto* l = qobject_cast<QLabel*>(widget)) texts << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(widget)) texts << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(widget)) texts << g->title();
        if (auto* t = qobject_cast<QTabWidget*>(widget))
          for (int i = 0; i < t->count(); ++i) texts << t->tabText(i);
        for (QAction* a : widget->actions()) texts << a->text();
      }
    };
    for (QWidget* top : {static_cast<QWidget*>(&w), static_cast<QWidget*>(&wizard),
                         static_cast<QWidget*>(&addFile), static_cast<QWidget*>(&addFolder),
                         static_cast<QWidget*>(&about)})
      collect(top);
    for (QAction* m : w.menuBar()->actions()) {
      texts << m->text();
      for (QAction* a : m->menu()->actions()) texts << a->text();
    }
    const QString all = texts.join(QLatin1Char('\n'));
    QVERIFY(all.contains(QStringLiteral("Preview in LibreOffice")));
    for (const char* wrong : {"Runing", "WaterMark", "Wizard Of", "it mean", "water mark",
                              "Copy other type", "in Word", "Destionation", "frist", "cann't",
                              "Exist", "Version: 2.0", "example.com", "About.."})
      QVERIFY2(!all.contains(QString::fromLatin1(wrong)), wrong);
  }

  void aboutAndHelp() {
    TfrmAbout about;
    // The build's own version (the project's, as the command line reports it), the licence,
    // a link that opens the help that comes with the program, and web links only to pages
    // the project has.
    QCOMPARE(about.Version->text(), QStringLiteral("Version ") + QStringLiteral(STAMPWELL_VERSION));
    QVERIFY(about.Name->font().bold());
    QVERIFY(!about.HelpLink->text().contains(QStringLiteral("http")));
    QVERIFY(about.License->text().contains(QStringLiteral("GPL-3.0-or-later")));
    QCOMPARE(about.SupportLink != nullptr, !TfrmAbout::SupportUrl().isEmpty());
    QCOMPARE(about.HomeLink != nullptr, !TfrmAbout::HomeUrl().isEmpty());
    for (const QString& url : {TfrmAbout::LicenseUrl(), TfrmAbout::SupportUrl(), TfrmAbout::HomeUrl()})
      QVERIFY2(!url.contains(QStringLiteral("example.")), qPrintable(url));
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QList<QUrl> expected;
    for (QLabel* link : {about.LicenseLink, about.SupportLink, about.HomeLink}) {
      if (!link) continue;
      // The link's own target, as a click hands it over.
      const QString html = link->text();
      const int start = html.indexOf(QStringLiteral("href=\"")) + 6;
      const QString url = html.mid(start, html.indexOf(QLatin1Char('"'), start) - start);
      emit link->linkActivated(url);
      expected << QUrl(url);
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls, expected);
    QCOMPARE(expected.first(), QUrl(TfrmAbout::LicenseUrl()));

    ScopedProgramDir dir;
    TfrmMain w;
    QWidget help;
    TProgramWindows::SetHelpWindow(&help);
    emit about.HelpLink->linkActivated(QStringLiteral("#help"));
    QVERIFY(help.isVisible());
    help.hide();
    w.aHelpHelp->trigger();
    QVERIFY(help.isVisible());
    TProgramWindows::SetHelpWindow(nullptr);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
