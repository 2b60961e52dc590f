// The main window: start-up, the tree and the pages, save back, delete, export, import, the
// resize rule and the About window. Message boxes, file dialogs and the input box are
// answered through the dialog hooks.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>

#include "jobs/job_profile.h"
#include "jobs/profile_list.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "ui/about_window.h"
#include "ui/doc_set_frame.h"
#include "ui/folder_frame.h"
#include "ui/history_frame.h"
#include "ui/main_window.h"
#include "ui/program_windows.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using stampwell::test::ListTree;
using stampwell::test::ReadFile;
using stampwell::test::ScopedProgramDir;
using stampwell::test::TempDir;
using stampwell::test::WriteFile;
using Kind = TUiDialogs::Kind;

namespace {

// A profile file as the program writes it.
std::string ProfileText(const std::string& name, const std::string& text = "Draft",
                        const std::string& colour = "clGray") {
  return "[BasicInfo]\r\nName=" + name +
         "\r\nAutoRun=0\r\nDoc=1\r\nXls=0\r\nPpt=0\r\nPDF=0\r\nOtherFiles=1\r\nEveryMinutes=0\r\n"
         "[DocInfo]\r\nMaxFolder=0\r\nDocWaterMarkStr=" +
         text + "\r\nDocFontName=Arial\r\nDocWatermarkSize=60\r\nDocWatermarkColor=" + colour +
         "\r\nTransparent=1\r\nHX=1\r\n[0]\r\nType=1\r\nSource=/in/" + name + "\r\nDest=/out/" +
         name + "\r\nComments=\r\n";
}

void WriteProfile(const std::string& dir, const std::string& name) {
  WriteFile(dir + "sw" + name + ".ini", ProfileText(name));
}

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

int Count(const std::vector<TUiDialogs::Request>& requests, Kind kind) {
  int n = 0;
  for (const auto& r : requests) n += r.kind == kind;
  return n;
}

void ClickNode(TfrmMain& w, int absoluteIndex) {
  QTreeWidgetItem* node = w.NodeAt(absoluteIndex);
  QVERIFY(node);
  w.JobTree->setCurrentItem(node);
  const QRect r = w.JobTree->visualItemRect(node);
  QTest::mouseClick(w.JobTree->viewport(), Qt::LeftButton, {}, r.center());
}

QStringList MenuTexts(QMenu* menu) {
  QStringList texts;
  for (QAction* a : menu->actions()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return texts;
}

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (const auto& p : ProfileList()) names.push_back(p->Settings.Name);
  return names;
}

}  // namespace

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

  // ---- start-up

  void startsOnTheHelpPageWithNothingCurrent() {
    ScopedProgramDir dir;
    TfrmMain w;
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Stampwell"));
    QVERIFY(w.HelpPanel->isVisible());
    QVERIFY(!w.JobPageControl->isVisible());
    QCOMPARE(w.JobTree->topLevelItemCount(), 1);
    QCOMPARE(w.NodeAt(0)->text(0), QStringLiteral("Job Profiles"));
    QCOMPARE(w.NodeAt(0)->childCount(), 0);
    QVERIFY(!w.CurrentJob());
    QCOMPARE(w.CurrentIndex(), -1);
    QCOMPARE(w.ShownNode(), -1);
    QCOMPARE(w.JobPageControl->count(), 4);
    const QStringList tabs = {QStringLiteral("General"), QStringLiteral("Folders/Files Of Job"),
                              QStringLiteral("Watermark Settings"), QStringLiteral("Job History")};
    for (int i = 0; i < 4; ++i) QCOMPARE(w.JobPageControl->tabText(i), tabs[i]);
    QCOMPARE(w.StatusPanels[0]->text(), QStringLiteral("Status:"));
    QCOMPARE(w.StatusPanels[2]->text(), QStringLiteral("Job status:"));

    // Run does nothing and says nothing; Export and Delete say why they cannot act.
    w.aRunThisJob->trigger();
    QVERIFY(!w.Running());
    QVERIFY(!w.ProgressWindow());
    QVERIFY(said.Take().isEmpty());
    w.aExportJob->trigger();
    w.aDeleteJob->trigger();
    QCOMPARE(
        said.Take(),
        (QStringList{QStringLiteral("Please select the profile which you want to export at first!"),
                     QStringLiteral("Please Select the job at frist!")}));
    QVERIFY(ListTree(dir.Path()).empty());
  }

  void menusToolBarAndPopupHoldTheirItems() {
    ScopedProgramDir dir;
    TfrmMain w;
    QList<QMenu*> menus;
    for (QAction* a : w.menuBar()->actions()) menus << a->menu();
    QCOMPARE(menus.size(), 4);
    QCOMPARE(menus[0]->title(), QStringLiteral("Job"));
    QCOMPARE(MenuTexts(menus[0]),
             (QStringList{"New", "Delete", "-", "Export", "Import", "-", "Exit"}));
    QCOMPARE(MenuTexts(menus[1]), (QStringList{"Tool Bar", "Status Bar", "Panel", "-", "Refresh"}));
    QCOMPARE(MenuTexts(menus[2]), (QStringList{"Run Job", "Suspend", "Cancel Job"}));
    QCOMPARE(MenuTexts(menus[3]), (QStringList{"Help", "About.."}));
    QCOMPARE(MenuTexts(w.PopupMenu), (QStringList{"Run", "-", "Export", "Delete"}));
    QVERIFY(!w.SuspendJobItem->isEnabled());
    QVERIFY(!w.CancelJobItem->isEnabled());
    QVERIFY(!w.tbSuspend->isEnabled());
    QVERIFY(!w.tbStop->isEnabled());
    QVERIFY(w.tbSuspend->toolTip().isEmpty());  // the one button without a hint
    QCOMPARE(w.tbStop->toolTip(), QStringLiteral("Stop"));
    QCOMPARE(w.findChild<QToolButton*>("tbNew")->toolTip(), QStringLiteral("New Job"));
    for (QAction* a : {w.aToolBarView, w.aStatusBarView, w.aPanelView}) QVERIFY(a->isChecked());
  }

  void viewItemsFlipTheirMarkAndShowOrHide() {
    ScopedProgramDir dir;
    TfrmMain w;
    w.show();
    w.aToolBarView->trigger();
    QVERIFY(!w.aToolBarView->isChecked());
    QVERIFY(!w.ToolBar->isVisible());
    w.aToolBarView->trigger();
    QVERIFY(w.ToolBar->isVisible());
    w.aStatusBarView->trigger();
    QVERIFY(!w.statusBar()->isVisible());
    w.aPanelView->trigger();
    QVERIFY(!w.aPanelView->isChecked());
    QVERIFY(!w.JobPanel->isVisible());
    w.aPanelView->trigger();
    QVERIFY(w.JobPanel->isVisible());
  }

  void aProfileThatCannotBeReadStillLetsTheProgramStart() {
    ScopedProgramDir dir;
    WriteFile(dir.Path() + "swBroken.ini", ProfileText("Broken", "Draft", "not a colour"));
    TfrmMain w;
    const QStringList messages = said.Take();
    QCOMPARE(messages.size(), 1);
    QVERIFY(!messages[0].isEmpty());
    QVERIFY(w.HelpPanel->isVisibleTo(&w));
    QCOMPARE(w.NodeAt(0)->text(0), QStringLiteral("Job Profiles"));
    QVERIFY(w.HtmViewFrame);
    QCOMPARE(w.JobPageControl->count(), 4);
  }

  void aBrokenPrinterSettingMeansNoPdfOutput() {
    ScopedProgramDir dir;
    auto registry = std::make_shared<TRegistry>();
    const std::string printer = "\\System\\CurrentControlSet\\Control\\Print\\Printers\\P";
    registry->SetString(printer, "Name", "P");
    registry->SetString(printer, "Printer Driver", "Adobe PDF Converter");
    registry->SetDWord(printer + "\\PrinterDriverData", "ViewPrintOutput", 0);  // two missing
    TRegistry::SetMachine(registry);
    PDFAvailable = true;
    TfrmMain w;
    QVERIFY(!PDFAvailable);
    QCOMPARE(w.JobPageControl->count(), 4);
    QCOMPARE(w.NodeAt(0)->text(0), QStringLiteral("Job Profiles"));

    // A sound printer makes PDF output available.
    registry = std::make_shared<TRegistry>();
    registry->SetString(printer, "Name", "P");
    registry->SetString(printer, "Printer Driver", "Adobe PDF Converter");
    for (const char* v : {"ViewPrintOutput", "AskToReplacePDF", "PromptForFileName"})
      registry->SetDWord(printer + "\\PrinterDriverData", v, 0);
    registry->SetString(printer + "\\DsSpooler", "location", "PDF");
    TRegistry::SetMachine(registry);
    TfrmMain again;
    QVERIFY(PDFAvailable);
  }

  // ---- tree and pages

  void treeListsTheJobsWithTheirImages() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Beta");
    TfrmMain w;
    w.show();
    QTreeWidgetItem* root = w.NodeAt(0);
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(Names().size(), size_t(2));
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(root->child(i)->text(0).toStdString(), Names()[i]);  // in list order
      QCOMPARE(w.JobTreeGetImageIndex(root->child(i)), 0);
    }
    root->setExpanded(true);
    QCOMPARE(w.JobTreeGetImageIndex(root), 15);
    root->setExpanded(false);
    QCOMPARE(w.JobTreeGetImageIndex(root), 16);
  }

  void clickingAJobShowsItsPagesAndSavesTheShownOne() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Beta");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    const std::string first = Names()[0];
    QCOMPARE(w.ShownNode(), 1);
    QCOMPARE(w.CurrentIndex(), 0);
    QVERIFY(w.JobPageControl->isVisible());
    QVERIFY(!w.HelpPanel->isVisible());
    QCOMPARE(w.SettingFrame->sName->text().toStdString(), first);
    QCOMPARE(w.FolderFrame->Entries().size(), size_t(1));
    QCOMPARE(w.FolderFrame->Entries()[0].Source, "/in/" + first);

    // Edits on the pages reach the file when another node is clicked.
    w.SettingFrame->IsXls->setChecked(true);
    w.FolderFrame->LoadEntries({{0, "/x.doc", "/y.doc", "note"}, {1, "/a", "/b", ""}});
    ClickNode(w, 2);
    QCOMPARE(w.ShownNode(), 2);
    QCOMPARE(w.SettingFrame->sName->text().toStdString(), Names()[1]);
    TJobProfile saved("sw" + first + ".ini");
    QVERIFY(saved.Settings.Xls);
    QCOMPARE(saved.Items.size(), size_t(2));
    QCOMPARE(saved.Items[0], (RJobItem{0, "/x.doc", "/y.doc", "note"}));
    QVERIFY(said.Take().isEmpty());
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
    // The history page was not loaded again, so it does not show the new log.
    QVERIFY(!w.HistoryFrame->findChild<QPlainTextEdit*>()->toPlainText().contains("Job Begin"));
  }

  void clickingTheRootSavesTwiceThenShowsHelp() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    // A page that refuses its values shows its message on each save attempt: two here.
    w.DocSetFrame->wmString->setEditText(QString());
    const std::string before = ReadFile(dir.Path() + "swAlpha.ini");
    ClickNode(w, 0);
    QCOMPARE(said.Take(),
             (QStringList{QStringLiteral("Please select watermark string at first!"),
                          QStringLiteral("Please select watermark string at first!")}));
    QCOMPARE(ReadFile(dir.Path() + "swAlpha.ini"), before);
    QVERIFY(w.HelpPanel->isVisible());
    QVERIFY(!w.CurrentJob());
    QCOMPARE(w.ShownNode(), 0);
    QCOMPARE(w.CurrentIndex(), -1);

    // With sound values the root click saves them.
    ClickNode(w, 1);
    w.DocSetFrame->wmString->setEditText(QStringLiteral("Kept"));
    ClickNode(w, 0);
    QCOMPARE(TJobProfile("swAlpha.ini").DocSettings.DocWaterMarkStr, std::string("Kept"));
    QVERIFY(said.Take().isEmpty());
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
    QCOMPARE(w.ShownNode(), -1);
    ClickNode(w, 1);  // loads the job again, the edit was not saved
    QVERIFY(!w.SettingFrame->IsPpt->isChecked());
    QVERIFY(!TJobProfile("swAlpha.ini").Settings.Ppt);
  }

  void aRenamedJobKeepsWorking() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Old");
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    w.SettingFrame->sName->setText(QStringLiteral("New"));
    ClickNode(w, 0);
    QCOMPARE(w.NodeAt(1)->text(0), QStringLiteral("New"));
    QVERIFY(FileExists(dir.Path() + "swOld.ini"));  // the file keeps its name
    QVERIFY(!FileExists(dir.Path() + "swNew.ini"));
    QCOMPARE(TJobProfile("swOld.ini").Settings.Name, std::string("New"));
    ClickNode(w, 1);
    QVERIFY(w.CurrentJob());
    QCOMPARE(w.SettingFrame->sName->text(), QStringLiteral("New"));
    TempDir out;
    TUiDialogs::SetNextAnswer(Kind::SaveFile, QString::fromStdString(out.Path() + "renamed.txt"));
    w.aExportJob->trigger();
    QCOMPARE(ReadFile(out.Path() + "renamed.txt"), ReadFile(dir.Path() + "swOld.ini"));
  }

  // ---- delete, export, import

  void deleteRemovesProfileAndLogWithoutAsking() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Beta");
    WriteFile(dir.Path() + "swAlpha.log", "log\r\n");
    TfrmMain w;
    w.show();
    const int alpha = Names()[0] == "Alpha" ? 1 : 2;
    ClickNode(w, alpha);
    w.aDeleteJob->trigger();
    QVERIFY(TUiDialogs::TakeRequests().empty());
    QVERIFY(said.Take().isEmpty());
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swBeta.ini"});
    QCOMPARE(w.NodeAt(0)->childCount(), 1);
    QCOMPARE(w.NodeAt(1)->text(0), QStringLiteral("Beta"));
    QVERIFY(!w.CurrentJob());
  }

  void exportCopiesTheProfileAndAddsTheTextExtension() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    TempDir out;
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    TUiDialogs::SetNextAnswer(Kind::SaveFile, QString::fromStdString(out.Path() + "alpha"));
    w.aExportJob->trigger();
    const auto requests = TUiDialogs::TakeRequests();
    QCOMPARE(requests.size(), size_t(1));
    QCOMPARE(requests[0].filter, QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*"));
    QCOMPARE(ReadFile(out.Path() + "alpha.txt"), ReadFile(dir.Path() + "swAlpha.ini"));
    // Cancelled: nothing written.
    w.aExportJob->trigger();
    QCOMPARE(ListTree(out.Path()), std::vector<std::string>{"alpha.txt"});
  }

  void importUnderATakenNameAsksUntilAFreeOne() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Alpha");
    WriteProfile(dir.Path(), "Other");
    TempDir out;
    TfrmMain w;
    w.show();
    ClickNode(w, Names()[0] == "Alpha" ? 1 : 2);
    TUiDialogs::SetNextAnswer(Kind::SaveFile, QString::fromStdString(out.Path() + "alpha.txt"));
    w.aExportJob->trigger();
    TUiDialogs::TakeRequests();
    const std::string alphaBefore = ReadFile(dir.Path() + "swAlpha.ini");

    TUiDialogs::SetNextAnswer(Kind::OpenFile, QString::fromStdString(out.Path() + "alpha.txt"));
    TUiDialogs::SetNextAnswer(Kind::InputBox, QStringLiteral("Other"));  // taken
    TUiDialogs::SetNextAnswer(Kind::InputBox, std::nullopt);             // cancel: asked again
    TUiDialogs::SetNextAnswer(Kind::InputBox, QStringLiteral("a/b"));    // a separator
    TUiDialogs::SetNextAnswer(Kind::InputBox, QStringLiteral("Fresh"));
    w.aImportJob->trigger();
    const auto requests = TUiDialogs::TakeRequests();
    QCOMPARE(Count(requests, Kind::InputBox), 4);
    QCOMPARE(said.Take(), QStringList(4, QStringLiteral("Already Exist the same name Job!")));
    for (const auto& r : requests) {
      if (r.kind == Kind::InputBox) {
        QCOMPARE(r.title, QStringLiteral("Input Box"));
        QCOMPARE(r.text, QStringLiteral("Please Input One Different Name:"));
      }
    }
    QCOMPARE(ListTree(dir.Path()),
             (std::vector<std::string>{"swAlpha.ini", "swFresh.ini", "swOther.ini"}));
    QCOMPARE(ReadFile(dir.Path() + "swAlpha.ini"), alphaBefore);
    TJobProfile fresh("swFresh.ini");
    QCOMPARE(fresh.Settings.Name, std::string("Fresh"));
    QCOMPARE(fresh.DocSettings.DocWaterMarkStr, std::string("Draft"));
    QCOMPARE(fresh.Items.size(), size_t(1));
    QCOMPARE(w.NodeAt(0)->childCount(), 3);
    QVERIFY(!w.CurrentJob());
  }

  void importNeverReplacesAProfileWhileStaging() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Keep");
    WriteFile(dir.Path() + "notes.ini", "unrelated\r\n");
    const std::string keep = ReadFile(dir.Path() + "swKeep.ini");
    TempDir out;
    // Exported files named like the profile and like another file of the program directory.
    WriteFile(out.Path() + "swKeep.txt", ProfileText("Imported1"));
    WriteFile(out.Path() + "notes.txt", ProfileText("Imported2"));
    TfrmMain w;
    for (const char* name : {"swKeep.txt", "notes.txt"}) {
      TUiDialogs::SetNextAnswer(Kind::OpenFile, QString::fromStdString(out.Path() + name));
      w.aImportJob->trigger();
    }
    QVERIFY(said.Take().isEmpty());
    QCOMPARE(ReadFile(dir.Path() + "swKeep.ini"), keep);
    QCOMPARE(ReadFile(dir.Path() + "notes.ini"), std::string("unrelated\r\n"));
    QCOMPARE(ListTree(dir.Path()), (std::vector<std::string>{"notes.ini", "swImported1.ini",
                                                             "swImported2.ini", "swKeep.ini"}));
  }

  void importOfAFileThatIsNoProfileLeavesNothing() {
    ScopedProgramDir dir;
    TempDir out;
    WriteFile(out.Path() + "letter.txt", "Dear reader,\r\n");
    TfrmMain w;
    TUiDialogs::SetNextAnswer(Kind::OpenFile, QString::fromStdString(out.Path() + "letter.txt"));
    w.aImportJob->trigger();
    QCOMPARE(said.Take(),
             QStringList{QStringLiteral(
                 "This text file seems not one profile export file, please check it!")});
    QVERIFY(ListTree(dir.Path()).empty());
    w.aImportJob->trigger();  // cancelled dialog: nothing
    QVERIFY(said.Take().isEmpty());
  }

  void importWithTextButNoNameMakesTheUnnamedJob() {
    ScopedProgramDir dir;
    TempDir out;
    WriteFile(out.Path() + "x.txt", "[DocInfo]\r\nDocWaterMarkStr=Only text\r\n");
    TfrmMain w;
    TUiDialogs::SetNextAnswer(Kind::OpenFile, QString::fromStdString(out.Path() + "x.txt"));
    w.aImportJob->trigger();
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"sw.ini"});
    QCOMPARE(w.NodeAt(0)->childCount(), 1);
  }

  // ---- layout

  void resizeRuleKeepsTheJobPanelAtItsDesignHeight() {
    ScopedProgramDir dir;
    TfrmMain w;
    w.show();
    w.resize(636, 700);
    QCoreApplication::processEvents();
    QCOMPARE(w.JobPanel->height(), 340);
    QCOMPARE(w.JobTree->width(), w.MainPanel->contentsRect().width());
    QCOMPARE(w.JobTree->geometry().bottom() + 1, w.JobPanel->geometry().top());
    QCOMPARE(w.JobPanel->geometry().bottom() + 1, w.MainPanel->contentsRect().bottom() + 1);
    // Too short for both: the tree keeps 80 pixels and moves up, partly out of view.
    w.resize(636, 300);
    QCoreApplication::processEvents();
    QCOMPARE(w.JobTree->height(), 80);
    QVERIFY(w.JobTree->geometry().top() < 0);
    QCOMPARE(w.JobTree->geometry().bottom() + 1, w.JobPanel->geometry().top());
  }

  // ---- About

  void aboutShowsNameVersionAndOpensItsLinks() {
    TfrmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About.."));
    QCOMPARE(about.Name->text(), QStringLiteral("Stampwell"));
    QVERIFY(about.Name->font().bold());
    QCOMPARE(about.Version->text(), QStringLiteral("Version: 2.0"));
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    emit about.SupportLink->linkActivated(TfrmAbout::SupportUrl());
    emit about.HomeLink->linkActivated(TfrmAbout::HomeUrl());
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls,
             (QList<QUrl>{QUrl(TfrmAbout::SupportUrl()), QUrl(TfrmAbout::HomeUrl())}));
    QVERIFY(about.SupportLink->text().contains(TfrmAbout::SupportUrl()));
    QVERIFY(about.HomeLink->text().contains(TfrmAbout::HomeUrl()));
  }

  void helpActionShowsTheHelpWindow() {
    ScopedProgramDir dir;
    TfrmMain w;
    QWidget help;
    TProgramWindows::SetHelpWindow(&help);
    w.aHelpHelp->trigger();
    QVERIFY(help.isVisible());
    TProgramWindows::SetHelpWindow(nullptr);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
