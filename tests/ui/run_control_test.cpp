// SPDX-License-Identifier: GPL-3.0-or-later
// Running a job from the main window: the progress window, the status bar, suspend and
// continue from both places, cancel, hide and show again, the end of a run, exit during a run
// and the tree animation. The job copies plain files, so no Office application is involved.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "support/workbook_script.h"
#include "jobs/job_profile.h"
#include "jobs/profile_list.h"
#include "main_test_support.h"
#include "platform/message_sink.h"
#include "platform/paths.h"
#include "platform/thread.h"
#include "run/job.h"
#include "support/recording_server.h"
#include "ui/doc_set_frame.h"
#include "ui/history_frame.h"
#include "ui/job_event.h"
#include "ui/progress_window.h"
#include "ui/qt_message_sink.h"
#include "support/workbook_script.h"
#include "ui/qt_ui_dispatcher.h"
#include "ui/run_control.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using namespace stampwell::test;

namespace {

// A job that copies `files` plain files from a source folder into a destination folder.
struct CopyJob {
  ScopedProgramDir dir;
  TempDir data;
  std::string source = data.Path() + "in";
  std::string dest = data.Path() + "out";

  explicit CopyJob(int files) {
    for (int i = 0; i < files; ++i)
      WriteFile(source + "/file" + std::to_string(i) + ".txt", "text " + std::to_string(i));
    std::filesystem::create_directories(dest);
    WriteFile(dir.Path() + "swCopy.ini",
              "[BasicInfo]\r\nName=Copy\r\nDoc=1\r\nPDF=0\r\nOtherFiles=1\r\n[DocInfo]\r\n"
              "DocWaterMarkStr=Draft\r\n[0]\r\nType=1\r\nSource=" +
                  source + "\r\nDest=" + dest + "\r\n");
  }
  size_t Copied() const { return ListTree(dest).size(); }
  std::string Log() const { return ReadFile(dir.Path() + "swCopy.log"); }
};

// Starts the job of node 1. With held set to the job's file count, the run is suspended from
// the Run menu once it has counted them, so that the test looks at a run that is under way.
void Start(TfrmMain& w, int held = 0) {
  w.show();
  ClickNode(w, 1);
  w.RunThisJob();
  if (!held) return;
  QElapsedTimer started;
  started.start();
  while (w.ProgressWindow()->JobProgressBar->maximum() != held && started.elapsed() < 20000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  w.SuspendJobClick();
}

// Lets the event loop run for ms milliseconds.
void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QTest::qWait(10);
}

bool RunItemsEnabled(TfrmMain& w) {
  return w.SuspendJobItem->isEnabled() && w.CancelJobItem->isEnabled() &&
         w.tbSuspend->isEnabled() && w.tbStop->isEnabled();
}

// Looks at the progress window when WM_JOBEND reaches the main window, before it is closed.
class EndWatcher : public QObject {
 public:
  explicit EndWatcher(TfrmMain* w) : w_(w) {
    w->installEventFilter(this);
    w->RunControl()->installEventFilter(this);
  }
  QString status, action, tooltip;
  int value = -1, maximum = -1;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    TfrmProgress* p = w_->ProgressWindow();
    if (e->type() == QEvent::Type(TJobEvent::WM_JOBEND) && p) {
      status = p->JobStatus->text();
      action = p->ActionName->text();
      tooltip = p->ActionName->toolTip();
      value = p->JobProgressBar->value();
      maximum = p->JobProgressBar->maximum();
    }
    return false;
  }

 private:
  TfrmMain* w_;
};

}  // namespace

class RunControlTest : public QObject {
  Q_OBJECT
  Said said;
  std::unique_ptr<TQtUiDispatcher> dispatcher_;

 private slots:
  void initTestCase() {
    dispatcher_ = std::make_unique<TQtUiDispatcher>();
    SetMainDispatcher(dispatcher_.get());
    TUiDialogs::SetTestMode(true);
  }
  void cleanupTestCase() {
    SetMainDispatcher(nullptr);
    dispatcher_.reset();
  }
  void init() { said.Take(); }
  void cleanup() { ProfileList().clear(); }

  void aRunReportsProgressAndReturnsToIdle() {
    CopyJob job(3);
    TfrmMain w;
    EndWatcher end(&w);
    Start(w);
    QVERIFY(w.ProgressWindow()->isVisible());
    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Running"));
    QVERIFY(!w.aRunThisJob->isEnabled());
    QVERIFY(!w.RunJobItem->isEnabled());
    QVERIFY(RunItemsEnabled(w));
    QVERIFY(w.AnimateTimer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(end.status, QStringLiteral("3 of 3"));
    QCOMPARE(end.value, 3);
    QCOMPARE(end.maximum, 3);
    // The whole action, cut in the middle to the line's width, whole in the tooltip.
    QVERIFY(end.action.startsWith(QStringLiteral("copy file:")));
    QVERIFY(end.action.contains(QChar(0x2026)));
    QVERIFY(
        end.tooltip.startsWith(QStringLiteral("copy file:") + QString::fromStdString(job.source)));
    QVERIFY(end.tooltip.endsWith(QString::fromStdString(job.dest) + QStringLiteral("/file2.txt")));
    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Ready"));
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed"));
    // The progress window stays with the end of the run.
    TfrmProgress* progress = w.ProgressWindow();
    QVERIFY(progress && progress->Ended());
    QCOMPARE(progress->Headline->text(), QStringLiteral("Completed"));
    QCOMPARE(progress->Summary->text(),
             QStringLiteral("stamped 0, printed 0, copied 3, skipped 0, failed 0"));
    QVERIFY(!progress->btnSuspend->isEnabled() && !progress->btnCancel->isEnabled());
    QVERIFY(w.aRunThisJob->isEnabled());
    QVERIFY(!w.SuspendJobItem->isEnabled() && !w.CancelJobItem->isEnabled());
    QVERIFY(!w.tbSuspend->isEnabled() && !w.tbStop->isEnabled());
    QVERIFY(!w.AnimateTimer->isActive());
    QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), 0);
    QCOMPARE(job.Copied(), size_t(3));
    QVERIFY(job.Log().find("Job End") != std::string::npos);
    QVERIFY(said.Take().isEmpty());
    // Closed, it comes back with the end of the run: from the status bar or the Run menu.
    QTest::mouseClick(progress->btnHide, Qt::LeftButton);
    QVERIFY(!progress->isVisible());
    w.StatusBarDblClick();
    QVERIFY(progress->isVisible());
    QTest::mouseClick(progress->btnHide, Qt::LeftButton);
    QVERIFY(w.ShowProgressItem->isEnabled());
    w.ShowProgressItem->trigger();
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->Headline->text(), QStringLiteral("Completed"));
  }

  void oneRunAtATime() {
    CopyJob job(50);
    TfrmMain w;
    Start(w, 50);
    TfrmProgress* first = w.ProgressWindow();
    w.aRunThisJob->trigger();
    w.RunThisJob();
    QCOMPARE(w.ProgressWindow(), first);
    // The end of another run closes nothing.
    QCoreApplication::postEvent(&w, new TJobEvent(TJobEvent::WM_JOBEND, 9999));
    QCoreApplication::processEvents();
    QVERIFY(w.Running());
    w.SuspendJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(job.Copied(), size_t(50));
  }

  void suspendFromBothPlacesNeedsContinueFromBoth() {
    CopyJob job(200);
    TfrmMain w;
    Start(w, 200);  // suspended from the Run menu
    QCOMPARE(w.SuspendJobItem->text(), QStringLiteral("C&ontinue"));
    TfrmProgress* progress = w.ProgressWindow();
    QTest::mouseClick(progress->btnSuspend, Qt::LeftButton);
    QCOMPARE(progress->btnSuspend->text(), QStringLiteral("C&ontinue"));
    QCoreApplication::processEvents();
    QCOMPARE(said.Take(), QStringList(2, "Thread Suspend"));
    QTest::mouseClick(progress->btnSuspend, Qt::LeftButton);  // continue from one place
    QCOMPARE(progress->btnSuspend->text(), QStringLiteral("&Suspend"));
    QCoreApplication::processEvents();
    QCOMPARE(said.Take(), QStringList{"Thread Continue"});
    Pump(150);
    const size_t copied = job.Copied();
    Pump(400);
    QCOMPARE(job.Copied(), copied);  // still suspended once
    QVERIFY(copied < 200);
    w.SuspendJobClick();
    QCOMPARE(w.SuspendJobItem->text(), QStringLiteral("&Suspend"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(job.Copied(), size_t(200));
  }

  void cancelFromTheProgressWindowStopsASuspendedRun() {
    CopyJob job(200);
    TfrmMain w;
    Start(w, 200);
    said.Take();
    QPointer<TfrmProgress> progress = w.ProgressWindow();
    QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
    QVERIFY(!progress->isVisible());  // hidden at once
    QVERIFY(w.Running());             // the message is handled at the next dispatch
    QCoreApplication::processEvents();
    QCOMPARE(said.Take(), QStringList{"Thread Terminate"});
    QVERIFY(!w.Running());
    QVERIFY(progress && !progress->isVisible());
    // Never "Completed": the runner is still finishing its file, and the count is the one
    // the window showed.
    if (w.Draining()) QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Stopping"));
    QVERIFY(w.StatusPanels[3]->text().startsWith(QStringLiteral("Cancelled after ")));
    QVERIFY(w.StatusPanels[3]->text().endsWith(QStringLiteral(" of 200")));
    QVERIFY(!w.SuspendJobItem->isEnabled() && !w.CancelJobItem->isEnabled());
    QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), 0);
    // The released runner stops after its file; Run comes back once it has ended.
    QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    QVERIFY(w.aRunThisJob->isEnabled());
    QVERIFY(job.Copied() < 200);
    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Ready"));
    QCOMPARE(w.StatusPanels[3]->text(),
             QStringLiteral("Cancelled after %1 of 200").arg(job.Copied()));
    QCOMPARE(progress->Headline->text(), w.StatusPanels[3]->text());
    QVERIFY(job.Log().find("Job Terminated by User") != std::string::npos);
    // Suspend, continue and cancel reach nothing once the run is closed.
    w.SuspendJobClick();
    w.CancelJobClick();
    QCoreApplication::postEvent(&w, new TJobEvent(TJobEvent::WM_JOBSUSPEND));
    QCoreApplication::processEvents();
    QVERIFY(said.Take().isEmpty());
  }

  void cancelFromTheRunMenuAndTheStopButton() {
    for (int way = 0; way < 2; ++way) {
      CopyJob job(100);
      TfrmMain w;
      Start(w, 100);
      said.Take();
      if (way == 0)
        w.CancelJobItem->trigger();
      else
        w.tbStop->click();
      QCOMPARE(said.Take(), QStringList{"Thread Terminate"});
      QVERIFY(!w.Running());
      QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    }
  }

  void hiddenProgressWindowComesBackOnADoubleClick() {
    CopyJob job(50);
    TfrmMain w;
    Start(w, 50);
    TfrmProgress* progress = w.ProgressWindow();
    QTest::mouseClick(progress->btnHide, Qt::LeftButton);
    QVERIFY(!progress->isVisible());
    QVERIFY(w.Running());
    QTest::mouseDClick(w.StatusPanels[1], Qt::LeftButton);
    QVERIFY(progress->isVisible());
    w.SuspendJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
  }

  void exitDuringARunLetsTheRunnerCloseDownFirst() {
    CopyJob job(200);
    TfrmMain w;
    Start(w, 200);
    said.Take();
    // Quitting during a run asks first; No leaves the run going.
    w.aExitApp->trigger();
    QVERIFY(w.isVisible() && w.Running());
    auto requests = TUiDialogs::TakeRequests();
    QCOMPARE(int(requests.size()), 1);
    QCOMPARE(requests[0].kind, TUiDialogs::Kind::Question);
    QCOMPARE(requests[0].text, QStringLiteral("A job is running. Stop it and quit Stampwell?"));
    TUiDialogs::SetNextAnswer(TUiDialogs::Kind::Question, QStringLiteral("Yes"));
    w.close();  // the title bar's close button asks the same
    QCOMPARE(int(TUiDialogs::TakeRequests().size()), 1);
    QVERIFY(!w.isVisible());  // the windows go at once
    QVERIFY(!w.ProgressWindow()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    QVERIFY(job.Log().find("Job Terminated by User") != std::string::npos);
    QVERIFY(job.Log().find("Job End") != std::string::npos);
    QVERIFY(said.Take().isEmpty());
  }

  void aRunUsesWhatThePagesShowAndSavesIt() {
    CopyJob job(3);
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    // Copy other files: off, and a new watermark text, then Run at once.
    QTest::mouseClick(w.SettingFrame->IsCopy, Qt::LeftButton);
    QVERIFY(!w.SettingFrame->IsCopy->isChecked());
    w.DocSetFrame->wmString->lineEdit()->selectAll();
    QTest::keyClicks(w.DocSetFrame->wmString->lineEdit(), QStringLiteral("Edited"));
    QTest::mouseClick(w.ToolBar->findChild<QToolButton*>(QStringLiteral("tbRun")), Qt::LeftButton);
    QVERIFY(w.Running());
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(job.Copied(), size_t(0));
    TJobProfile saved("swCopy.ini");
    QVERIFY(!saved.Settings.OtherFiles);
    QCOMPARE(saved.DocSettings.DocWaterMarkStr, std::string("Edited"));
    // A page that refuses its values starts no run.
    w.DocSetFrame->wmString->setEditText(QString());
    w.aRunThisJob->trigger();
    QCOMPARE(said.Take(), QStringList{"Please enter the watermark text first."});
    QVERIFY(!w.Running());
  }

  void suspendAndCancelActBeforeTheirMessage() {
    CopyJob job(300);
    TfrmMain w;
    Start(w, 300);  // suspended from the Run menu
    std::shared_ptr<TJob> runner = ProfileList()[0]->Job.lock();
    QVERIFY(runner);
    QStringList seen;
    ScopedMessageHandler look([&](const std::string& text) {
      // What holds while the box is still open.
      if (text == "Thread Suspend") seen << QStringLiteral("suspended %1").arg(runner->Suspended());
      if (text == "Thread Continue")
        seen << QStringLiteral("suspended %1").arg(runner->Suspended());
      if (text == "Thread Terminate")
        seen << QStringLiteral("stopped %1").arg(w.Draining() || runner->Finished());
    });
    w.SuspendJobClick();  // continue
    TfrmProgress* progress = w.ProgressWindow();
    QTest::mouseClick(progress->btnSuspend, Qt::LeftButton);
    QCoreApplication::processEvents();
    QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(seen, (QStringList{"suspended 0", "suspended 1", "stopped 1"}));
    QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    QVERIFY(job.Copied() < 300);
  }

  // Excel files are counted without a progress report of their own; a run paused among
  // them shows the count its log holds, not the last one reported.
  void aSuspendedRunShowsTheCountItsLogHolds() {
    ScopedProgramDir dir;
    TempDir data;
    const std::string source = data.Path() + "in", dest = data.Path() + "out";
    for (int i = 0; i < 30; ++i) WriteFile(source + "/book" + std::to_string(i) + ".xls", "xls");
    std::filesystem::create_directories(dest);
    WriteFile(dir.Path() + "swBooks.ini",
              "[BasicInfo]\r\nName=Books\r\nDoc=0\r\nXls=1\r\nPDF=0\r\nOtherFiles=0\r\n"
              "[DocInfo]\r\nDocWaterMarkStr=Draft\r\n[0]\r\nType=1\r\nSource=" +
                  source + "\r\nDest=" + dest + "\r\n");
    RecordingServer office;
    auto registration = office.RegisterOffice();
    office.SetShapes("App.ActiveSheet.Shapes", {});
    ScriptOneSheetWorkbook(office, "App.workBooks.Open");
    // The runner is suspended while it opens the 12th workbook, as a user's click would.
    std::atomic<int> opened{0};
    office.SetHandler("App.workBooks", "Open", [&](const std::vector<OleVariant>&) {
      if (++opened == 12) ProfileList()[0]->Job.lock()->Suspend();
      return office.Object("App.workBooks.Open");
    });
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    w.RunThisJob();
    auto logged = [&dir] {
      const std::string log = ReadFile(dir.Path() + "swBooks.log");
      int n = 0;
      for (size_t at = log.find("Add watermark into"); at != std::string::npos;
           at = log.find("Add watermark into", at + 1))
        ++n;
      return n;
    };
    QTRY_COMPARE_WITH_TIMEOUT(w.ProgressWindow()->JobStatus->text(), QStringLiteral("12 of 30"),
                              10000);
    Pump(200);  // paused: nothing moves
    QCOMPARE(logged(), 12);
    QCOMPARE(w.ProgressWindow()->JobStatus->text(), QStringLiteral("12 of 30"));
    QCOMPARE(w.ProgressWindow()->JobProgressBar->value(), 12);
    w.CancelJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
  }

  void theHistoryShowsTheRunWhenItEnds() {
    CopyJob job(3);
    TfrmMain w;
    w.show();
    ClickNode(w, 1);
    w.JobPageControl->setCurrentIndex(3);
    QVERIFY(w.HistoryFrame->History->toPlainText().isEmpty());
    w.RunThisJob();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QVERIFY(w.HistoryFrame->History->toPlainText().contains(QStringLiteral("Job End")));
    QCOMPARE(w.HistoryFrame->History->toPlainText().count(QStringLiteral("copy file:")), 3);
  }

  void toolBarHintsStayAsTheyWere() {
    CopyJob job(50);
    TfrmMain w;
    auto hints = [&w] {
      QStringList out;
      for (const char* name :
           {"tbNew", "tbDelete", "tbRun", "tbSuspend", "tbStop", "tbHelp", "tbExit"})
        out << w.ToolBar->findChild<QToolButton*>(QString::fromLatin1(name))->toolTip();
      return out;
    };
    const QStringList atStart{"New Job", "Delete", "Run", "", "Stop", "Help", "Quit"};
    QCOMPARE(hints(), atStart);
    Start(w, 50);
    QCOMPARE(hints(), atStart);
    // The Suspend button shows no hint at all when the mouse rests on it.
    QHelpEvent rest(QEvent::ToolTip, QPoint(5, 5), w.tbSuspend->mapToGlobal(QPoint(5, 5)));
    QVERIFY(QApplication::sendEvent(w.tbSuspend, &rest));
    QVERIFY(!QToolTip::isVisible());
    w.SuspendJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(hints(), atStart);
  }

  void runStaysDisabledUntilACancelledRunnerHasEnded() {
    CopyJob job(300);
    TfrmMain w;
    Start(w, 300);
    w.SuspendJobClick();  // continue; the runner soon waits for this thread to show progress
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    w.CancelJobClick();
    QVERIFY(!w.Running());
    QVERIFY(w.Draining());
    QVERIFY(!w.aRunThisJob->isEnabled());
    QVERIFY(!w.RunJobItem->isEnabled());
    QVERIFY(!w.ToolBar->findChild<QToolButton*>(QStringLiteral("tbRun"))->isEnabled());
    w.RunThisJob();
    QVERIFY(!w.Running());
    QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    QVERIFY(w.aRunThisJob->isEnabled());
    QVERIFY(w.RunJobItem->isEnabled());
    QVERIFY(w.ToolBar->findChild<QToolButton*>(QStringLiteral("tbRun"))->isEnabled());
  }

  void theRunningJobKeepsItsNameAndFilesUntilItsRunnerHasEnded() {
    CopyJob job(100);
    TfrmMain w;
    Start(w, 100);
    said.Take();
    w.SettingFrame->sName->setText(QStringLiteral("Renamed"));
    w.SettingFrame->IsXls->setChecked(true);
    ClickNode(w, 0);
    QCOMPARE(said.Take(), QStringList{TfrmMain::kJobIsRunning});
    QVERIFY(FileExists(job.dir.Path() + "swCopy.ini"));
    QVERIFY(!FileExists(job.dir.Path() + "swRenamed.ini"));
    TJobProfile saved("swCopy.ini");
    QCOMPARE(saved.Settings.Name, std::string("Copy"));
    QVERIFY(saved.Settings.Xls);  // the rest is saved
    ClickNode(w, 1);
    TUiDialogs::SetNextAnswer(TUiDialogs::Kind::Question, QStringLiteral("Yes"));
    w.aDeleteJob->trigger();
    QCOMPARE(said.Take(), QStringList{TfrmMain::kJobIsRunning});
    QVERIFY(FileExists(job.dir.Path() + "swCopy.ini"));
    TUiDialogs::TakeRequests();
    w.SuspendJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(said.Take(), QStringList{"Thread Continue"});
    // Once it has ended, both are possible again.
    w.SettingFrame->sName->setText(QStringLiteral("Renamed"));
    ClickNode(w, 0);
    QVERIFY(said.Take().isEmpty());
    QCOMPARE(ListTree(job.dir.Path()),
             (std::vector<std::string>{"swRenamed.ini", "swRenamed.log"}));
  }

  void theRunningJobsNodeIsAnimated() {
    CopyJob job(50);
    TfrmMain w;
    Start(w, 50);
    for (int frame : {1, 2, 3, 4, 0, 1}) {
      w.AnimateTimerTimer();
      QCOMPARE(w.JobTreeGetImageIndex(w.NodeAt(1)), frame);
    }
    ClickNode(w, 0);  // the animation stays on the running job's node
    w.AnimateTimerTimer();
    QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), 2);
    w.SuspendJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), 0);
  }

  // The user's sequence with real message boxes: Suspend, OK, Continue, and the "Thread
  // Continue" box left open while the run ends under it. The box belongs to the main window,
  // never to a window of the run, and the program goes on when it is closed.
  void theRunEndsUnderAnOpenContinueBox() {
    CopyJob job(30);
    TfrmMain w;
    Start(w, 30);  // held from the Run menu while the test switches to real boxes
    TfrmProgress* progress = w.ProgressWindow();
    QApplication::setActiveWindow(progress);
    TUiDialogs::SetTestMode(false);
    std::optional<TQtMessageSink> boxes(std::in_place);
    QStringList texts;
    QList<QWidget*> parents;
    bool endedUnderTheBox = false;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      if (!box->property("seen").toBool()) {
        box->setProperty("seen", true);
        texts << box->text();
        parents << box->parentWidget();
      }
      // The last Continue box stays open until the run has ended.
      if (texts.size() == 3 && w.Running()) return;
      if (texts.size() == 3) endedUnderTheBox = true;
      box->button(QMessageBox::Ok)->click();
    });
    closer.start();
    QTest::mouseClick(progress->btnSuspend, Qt::LeftButton);  // Suspend, OK
    QTRY_COMPARE_WITH_TIMEOUT(texts.size(), 1, 5000);
    w.SuspendJobClick();  // the Run menu's hold goes; the window's holds the run
    QTRY_COMPARE_WITH_TIMEOUT(texts.size(), 2, 5000);
    QApplication::setActiveWindow(progress);
    QTest::mouseClick(progress->btnSuspend, Qt::LeftButton);  // Continue: the run goes on
    QTRY_VERIFY_WITH_TIMEOUT(endedUnderTheBox, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 5000);
    closer.stop();
    boxes.reset();
    TUiDialogs::SetTestMode(true);
    QCOMPARE(texts, (QStringList{"Thread Suspend", "Thread Continue", "Thread Continue"}));
    for (QWidget* parent : parents) QCOMPARE(parent, static_cast<QWidget*>(&w));
    QCOMPARE(job.Copied(), size_t(30));
    QCOMPARE(w.ProgressWindow(), progress);
    QCOMPARE(progress->Headline->text(), QStringLiteral("Completed"));
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed"));
  }

  // What the end of a run says, in the status bar and the progress window alike: failures
  // counted, a run with every destination in place, and a new run that starts afresh.
  void theEndOfARunSaysWhatHappened() {
    CopyJob job(3);
    // A file whose destination folder cannot be made: a plain file holds its name.
    WriteFile(job.source + "/sub/deep.txt", "deep");
    WriteFile(job.dest + "/sub", "in the way");
    TfrmMain w;
    Start(w);
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    TfrmProgress* progress = w.ProgressWindow();
    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Ready"));
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed: 1 of 4 files failed"));
    QCOMPARE(progress->Headline->text(), w.StatusPanels[3]->text());
    QCOMPARE(progress->Summary->text(),
             QStringLiteral("stamped 0, printed 0, copied 3, skipped 0, failed 1"));
    QVERIFY(progress->Times->text().startsWith(QStringLiteral("Elapsed 0:0")));

    // Again: the three copies are there, the failed one still fails.
    std::filesystem::remove(job.source + "/sub/deep.txt");
    w.RunThisJob();
    // The window starts afresh: nothing of the last run's end.
    QVERIFY(!progress->Ended());
    QVERIFY(progress->Headline->text().isEmpty());
    QVERIFY(progress->Summary->text().isEmpty());
    QVERIFY(progress->btnSuspend->isEnabled());
    QCOMPARE(progress->btnHide->text(), QStringLiteral("&Hide"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Nothing to do: 3 destinations exist"));
    QCOMPARE(progress->Summary->text(),
             QStringLiteral("stamped 0, printed 0, copied 0, skipped 3, failed 0"));

    // "Replace existing destinations" on the General page: the next run copies them again.
    WriteFile(job.source + "/file0.txt", "changed");
    w.JobPageControl->setCurrentIndex(0);
    QTest::mouseClick(w.SettingFrame->IsOverwrite, Qt::LeftButton);
    QVERIFY(w.SettingFrame->IsOverwrite->isChecked());
    w.RunThisJob();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed"));
    QCOMPARE(progress->Summary->text(),
             QStringLiteral("stamped 0, printed 0, copied 3, skipped 0, failed 0"));
    QCOMPARE(ReadFile(job.dest + "/file0.txt"), std::string("changed"));
    QVERIFY(TJobProfile("swCopy.ini").Settings.Overwrite);
  }

  // The status bar says "Suspended" while a run is held, from either place, and "Running"
  // again once both holds are gone; a new run never shows the last run's end.
  void theStatusBarShowsASuspendedRun() {
    CopyJob job(100);
    TfrmMain w;
    Start(w, 100);
    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Suspended"));
    QTest::mouseClick(w.ProgressWindow()->btnSuspend, Qt::LeftButton);
    QCoreApplication::processEvents();
    w.SuspendJobClick();
    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Suspended"));  // the window holds it
    QTest::mouseClick(w.ProgressWindow()->btnSuspend, Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(w.StatusPanels[1]->text() == QStringLiteral("Running") || !w.Running());
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed"));
    Start(w);  // all in place now: nothing to count
    QVERIFY(w.StatusPanels[3]->text() != QStringLiteral("Completed"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
  }

  // Escape in the progress window stops the run, as Cancel does; after the end it only
  // closes the window.
  void escapeInTheProgressWindowStopsTheRun() {
    CopyJob job(200);
    TfrmMain w;
    Start(w, 200);
    said.Take();
    TfrmProgress* progress = w.ProgressWindow();
    QTest::keyClick(progress, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCOMPARE(said.Take(), QStringList{"Thread Terminate"});
    QVERIFY(!w.Running());
    QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    QVERIFY(job.Copied() < 200);
    w.StatusBarDblClick();
    QVERIFY(progress->isVisible());
    QTest::keyClick(progress, Qt::Key_Escape);
    QVERIFY(!progress->isVisible());
    QCoreApplication::processEvents();
    QVERIFY(said.Take().isEmpty());
  }
};

QTEST_MAIN(RunControlTest)
#include "run_control_test.moc"
