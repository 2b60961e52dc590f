// Running a job from the main window: the progress window, the status bar, suspend and
// continue from both places, cancel, hide and show again, the end of a run and the tree
// animation. The job copies plain files, so no Office application is involved.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "platform/paths.h"
#include "platform/thread.h"
#include "support/temp_dir.h"
#include "ui/job_event.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/qt_ui_dispatcher.h"
#include "ui/ui_dialogs.h"

#include "jobs/profile_list.h"

using namespace stampwell;
using stampwell::test::ListTree;
using stampwell::test::MessageRecorder;
using stampwell::test::ReadFile;
using stampwell::test::ScopedProgramDir;
using stampwell::test::TempDir;
using stampwell::test::WriteFile;

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
              "[BasicInfo]\r\nName=Copy\r\nDoc=1\r\nXls=0\r\nPpt=0\r\nPDF=0\r\nOtherFiles=1\r\n"
              "[DocInfo]\r\nDocWaterMarkStr=Draft\r\n[0]\r\nType=1\r\nSource=" +
                  source + "\r\nDest=" + dest + "\r\n");
  }
  size_t Copied() const { return ListTree(dest).size(); }
  std::string Log() const { return ReadFile(dir.Path() + "swCopy.log"); }
};

void SelectJob(TfrmMain& w) {
  w.JobTree->setCurrentItem(w.NodeAt(1));
  w.JobTreeClick();
  QVERIFY(w.CurrentJob());
}

// Lets the event loop run for ms milliseconds.
void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QTest::qWait(10);
}

// Looks at the progress window when WM_JOBEND reaches the main window, before it is closed.
class EndWatcher : public QObject {
 public:
  explicit EndWatcher(TfrmMain* w) : w_(w) { w->installEventFilter(this); }
  bool seen = false;
  QString status, action;
  int value = -1, maximum = -1;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == static_cast<QEvent::Type>(TJobEvent::WM_JOBEND) && !seen) {
      seen = true;
      if (TfrmProgress* p = w_->ProgressWindow()) {
        status = p->JobStatus->text();
        action = p->ActionName->text();
        value = p->JobProgressBar->value();
        maximum = p->JobProgressBar->maximum();
      }
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
  }
  void cleanupTestCase() {
    SetMainDispatcher(nullptr);
    dispatcher_.reset();
  }
  void init() {
    TUiDialogs::SetTestMode(true);
    TUiDialogs::TakeRequests();
    said.Take();
  }
  void cleanup() { ProfileList().clear(); }

  void aRunReportsProgressAndReturnsToIdle() {
    CopyJob job(3);
    TfrmMain w;
    w.show();
    SelectJob(w);
    EndWatcher end(&w);
    w.aRunThisJob->trigger();
    QVERIFY(w.Running());
    QVERIFY(w.ProgressWindow());
    QVERIFY(w.ProgressWindow()->isVisible());
    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Runing Job"));
    QVERIFY(!w.aRunThisJob->isEnabled());
    QVERIFY(!w.RunJobItem->isEnabled());
    QVERIFY(w.SuspendJobItem->isEnabled());
    QVERIFY(w.CancelJobItem->isEnabled());
    QVERIFY(w.tbSuspend->isEnabled());
    QVERIFY(w.tbStop->isEnabled());
    QVERIFY(w.AnimateTimer->isActive());
    QCOMPARE(w.SuspendJobItem->text(), QStringLiteral("Suspend"));

    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QVERIFY(end.seen);
    QCOMPARE(end.status, QStringLiteral("3 of 3"));
    QCOMPARE(end.value, 3);
    QCOMPARE(end.maximum, 3);
    QVERIFY(end.action.startsWith(QStringLiteral("copy file:")));
    QVERIFY(end.action.endsWith(QStringLiteral("..")));  // the path makes it longer than 50
    QCOMPARE(end.action.size(), 52);

    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Job Complete"));
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed"));
    QVERIFY(!w.ProgressWindow());
    QVERIFY(w.aRunThisJob->isEnabled());
    QVERIFY(!w.SuspendJobItem->isEnabled());
    QVERIFY(!w.CancelJobItem->isEnabled());
    QVERIFY(!w.tbSuspend->isEnabled());
    QVERIFY(!w.tbStop->isEnabled());
    QVERIFY(!w.AnimateTimer->isActive());
    QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), 0);
    QCOMPARE(job.Copied(), size_t(3));
    QVERIFY(job.Log().find("Job Begin") != std::string::npos);
    QVERIFY(job.Log().find("Job End") != std::string::npos);
    QVERIFY(said.Take().isEmpty());

    // After the run the status bar double-click has nothing to show.
    w.StatusBarDblClick();
    QVERIFY(!w.ProgressWindow());
  }

  void oneRunAtATime() {
    CopyJob job(5);
    TfrmMain w;
    w.show();
    SelectJob(w);
    w.RunThisJob();
    w.SuspendJobClick();  // keeps the run open while the test looks
    TfrmProgress* first = w.ProgressWindow();
    w.RunThisJob();
    w.aRunThisJob->trigger();
    QCOMPARE(w.ProgressWindow(), first);
    // The end of some other run closes nothing.
    QCoreApplication::postEvent(&w, new TJobEvent(TJobEvent::WM_JOBEND, 9999));
    QCoreApplication::processEvents();
    QVERIFY(w.Running());
    QCOMPARE(w.ProgressWindow(), first);
    w.SuspendJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(job.Copied(), size_t(5));
  }

  void suspendAndContinueFromTheRunMenu() {
    CopyJob job(30);
    TfrmMain w;
    w.show();
    SelectJob(w);
    w.RunThisJob();
    w.SuspendJobClick();
    QCOMPARE(w.SuspendJobItem->text(), QStringLiteral("Continue"));
    QCOMPARE(said.Take(), QStringList{QStringLiteral("Thread Suspend")});
    Pump(150);
    const size_t copied = job.Copied();
    Pump(400);
    QVERIFY(w.Running());
    QCOMPARE(job.Copied(), copied);  // no progress while suspended
    QVERIFY(copied < 30);
    w.SuspendJobClick();
    QCOMPARE(w.SuspendJobItem->text(), QStringLiteral("Suspend"));
    QCOMPARE(said.Take(), QStringList{QStringLiteral("Thread Continue")});
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(job.Copied(), size_t(30));
  }

  void suspendFromBothPlacesNeedsContinueFromBoth() {
    CopyJob job(30);
    TfrmMain w;
    w.show();
    SelectJob(w);
    w.RunThisJob();
    w.SuspendJobClick();  // Run menu
    TfrmProgress* progress = w.ProgressWindow();
    QTest::mouseClick(progress->btnSuspend, Qt::LeftButton);  // progress window
    QCOMPARE(progress->btnSuspend->text(), QStringLiteral("Continue"));
    QCoreApplication::processEvents();
    QCOMPARE(said.Take(),
             (QStringList{QStringLiteral("Thread Suspend"), QStringLiteral("Thread Suspend")}));
    QTest::mouseClick(progress->btnSuspend, Qt::LeftButton);  // continue once
    QCOMPARE(progress->btnSuspend->text(), QStringLiteral("Suspend"));
    QCoreApplication::processEvents();
    QCOMPARE(said.Take(), QStringList{QStringLiteral("Thread Continue")});
    Pump(150);
    const size_t copied = job.Copied();
    Pump(400);
    QCOMPARE(job.Copied(), copied);  // still suspended once
    QVERIFY(w.Running());
    w.SuspendJobClick();  // and continue from the Run menu too
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(job.Copied(), size_t(30));
  }

  void cancelFromTheProgressWindowStopsASuspendedRun() {
    CopyJob job(200);
    TfrmMain w;
    w.show();
    SelectJob(w);
    w.RunThisJob();
    // Let the run get under way (it has counted its files), then hold it.
    QElapsedTimer started;
    started.start();
    while (w.ProgressWindow()->JobProgressBar->maximum() != 200 && started.elapsed() < 20000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    w.SuspendJobClick();
    said.Take();
    QPointer<TfrmProgress> progress = w.ProgressWindow();
    QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
    QVERIFY(!progress->isVisible());  // hidden at once
    QVERIFY(w.Running());             // the message is handled at the next dispatch
    QCoreApplication::processEvents();
    QCOMPARE(said.Take(), QStringList{QStringLiteral("Thread Terminate")});
    QVERIFY(!w.Running());
    QVERIFY(!progress);
    QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Job Complete"));
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed"));
    QVERIFY(!w.SuspendJobItem->isEnabled());
    QVERIFY(!w.CancelJobItem->isEnabled());
    QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), 0);
    // The suspended runner was released and ends; Run comes back once it has.
    QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    QVERIFY(w.aRunThisJob->isEnabled());
    QVERIFY(job.Copied() < 200);
    QVERIFY(job.Log().find("Job Terminated by User") != std::string::npos);
    QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed"));
    // Suspend, continue and cancel reach nothing once the run is closed.
    w.SuspendJobClick();
    w.CancelJobClick();
    QCoreApplication::postEvent(&w, new TJobEvent(TJobEvent::WM_JOBSUSPEND));
    QCoreApplication::processEvents();
    QVERIFY(said.Take().isEmpty());
  }

  void cancelFromTheRunMenuAndTheStopButton() {
    for (int way = 0; way < 2; ++way) {
      CopyJob job(30);
      TfrmMain w;
      w.show();
      SelectJob(w);
      w.RunThisJob();
      w.SuspendJobClick();
      said.Take();
      if (way == 0)
        w.CancelJobItem->trigger();
      else
        w.tbStop->click();
      QCOMPARE(said.Take(), QStringList{QStringLiteral("Thread Terminate")});
      QVERIFY(!w.Running());
      QVERIFY(!w.ProgressWindow());
      QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    }
  }

  void hiddenProgressWindowComesBackOnADoubleClick() {
    CopyJob job(10);
    TfrmMain w;
    w.show();
    SelectJob(w);
    w.RunThisJob();
    w.SuspendJobClick();
    TfrmProgress* progress = w.ProgressWindow();
    QTest::mouseClick(progress->btnHide, Qt::LeftButton);
    QVERIFY(!progress->isVisible());
    QTest::mouseDClick(w.StatusPanels[1], Qt::LeftButton);
    QVERIFY(progress->isVisible());
    w.SuspendJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
  }

  void exitDuringARunLetsTheRunnerCloseDownFirst() {
    CopyJob job(200);
    TfrmMain w;
    w.show();
    SelectJob(w);
    w.RunThisJob();
    QElapsedTimer started;
    started.start();
    while (w.ProgressWindow()->JobProgressBar->maximum() != 200 && started.elapsed() < 20000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    w.SuspendJobClick();
    said.Take();
    w.aExitApp->trigger();
    // The windows go at once; the suspended runner is released and stopped.
    QVERIFY(!w.isVisible());
    QVERIFY(!w.ProgressWindow());
    QVERIFY(w.Draining());
    QTRY_VERIFY_WITH_TIMEOUT(!w.Draining(), 20000);
    const std::string log = job.Log();
    QVERIFY(log.find("Job Terminated by User") != std::string::npos);
    QVERIFY(log.find("Job End") != std::string::npos);
    QVERIFY(job.Copied() < 200);
    QVERIFY(said.Take().isEmpty());  // no questions on the way out
  }

  void treeNodeAnimatesWhileTheJobRuns() {
    CopyJob job(10);
    TfrmMain w;
    w.show();
    SelectJob(w);
    w.RunThisJob();
    w.SuspendJobClick();
    QCOMPARE(w.AnimatedNode(), 1);
    for (int frame : {1, 2, 3, 4, 0, 1}) {
      w.AnimateTimerTimer();
      QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), frame);
      QCOMPARE(w.JobTreeGetImageIndex(w.NodeAt(1)), frame);
    }
    // Clicking the root meanwhile does not move the animation or leave a frame behind.
    w.JobTree->setCurrentItem(w.NodeAt(0));
    w.JobTreeClick();
    w.AnimateTimerTimer();
    QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), 2);
    w.SuspendJobClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QCOMPARE(TfrmMain::NodeImage(w.NodeAt(1)), 0);
  }
};

QTEST_MAIN(RunControlTest)
#include "run_control_test.moc"
