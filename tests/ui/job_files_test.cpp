// SPDX-License-Identifier: GPL-3.0-or-later
// The job file operations and the run control on their own, without the main window: a job's
// profile and log go together through renames and deletes, and a run is opened, cancelled,
// drained and ended by TRunControl alone.
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "jobs/job_profile.h"
#include "jobs/profile_list.h"
#include "main_test_support.h"
#include "platform/thread.h"
#include "ui/job_files.h"
#include "ui/progress_window.h"
#include "ui/qt_ui_dispatcher.h"
#include "ui/run_control.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using namespace stampwell::test;
using Kind = TUiDialogs::Kind;

class JobFilesTest : public QObject {
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
    said.Take();
  }
  void cleanup() { ProfileList().clear(); }

  void renameMovesProfileAndLogOrRefuses() {
    ScopedProgramDir dir;
    WriteProfile(dir.Path(), "Old");
    WriteProfile(dir.Path(), "Taken");
    WriteFile(dir.Path() + "swOld.log", "history\r\n");
    TJobProfile job("swOld.ini");
    TJobFiles files;
    QVERIFY(!files.Rename(job, "Taken"));
    QVERIFY(!files.Rename(job, "a/b"));
    QCOMPARE(said.Take(), (QStringList{TJobFiles::kNameTaken, TJobFiles::kSeparatorInName}));
    QCOMPARE(job.FileName, std::string("swOld.ini"));
    QVERIFY(files.Rename(job, "New"));
    QCOMPARE(job.FileName, std::string("swNew.ini"));
    QCOMPARE(job.Settings.Name, std::string("New"));
    QCOMPARE(ListTree(dir.Path()),
             (std::vector<std::string>{"swNew.ini", "swNew.log", "swTaken.ini"}));
    QCOMPARE(ReadFile(dir.Path() + "swNew.log"), std::string("history\r\n"));
  }

  void saveBackWritesTheRecordsAndKeepsAFileNamedByHand() {
    ScopedProgramDir dir;
    WriteFile(dir.Path() + "swHand.ini", ProfileText("Other name"));
    TJobProfile job("swHand.ini");
    RJobSettings settings = job.Settings;
    settings.Xls = true;
    RDocSettings doc = job.DocSettings;
    doc.DocWaterMarkStr = "New text";
    TJobFiles files;
    QVERIFY(files.SaveBack(job, settings, doc, {{0, "/a.doc", "/b.doc", ""}}));
    // The name did not change: the file keeps its own name.
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swHand.ini"});
    TJobProfile saved("swHand.ini");
    QVERIFY(saved.Settings.Xls);
    QCOMPARE(saved.DocSettings.DocWaterMarkStr, std::string("New text"));
    QCOMPARE(saved.Items, (std::vector<RJobItem>{{0, "/a.doc", "/b.doc", ""}}));
    QVERIFY(said.Take().isEmpty());
  }

  void deleteOnlyOnYesAndTakesBothLogs() {
    ScopedProgramDir dir;
    WriteFile(dir.Path() + "swHand.ini", ProfileText("Named"));
    WriteFile(dir.Path() + "swHand.log", "by file\r\n");
    WriteFile(dir.Path() + "swNamed.log", "by name\r\n");
    WriteProfile(dir.Path(), "Kept");
    LoadProfiles();
    QCOMPARE(ProfileList().size(), size_t(2));
    std::shared_ptr<TJobProfile> job = ProfileList()[FindProfile("Named")];
    TJobFiles files;
    QVERIFY(!files.Delete(*job));  // no answer: No
    QCOMPARE(ProfileList().size(), size_t(2));
    TUiDialogs::SetNextAnswer(Kind::Question, QStringLiteral("Yes"));
    QVERIFY(files.Delete(*job));
    QCOMPARE(ProfileList().size(), size_t(1));
    QCOMPARE(ListTree(dir.Path()), std::vector<std::string>{"swKept.ini"});
  }

  void theRunControlRunsCancelsAndDrainsOnItsOwn() {
    ScopedProgramDir dir;
    TempDir data;
    for (int i = 0; i < 200; ++i) WriteFile(data.Path() + "in/f" + std::to_string(i), "x");
    std::filesystem::create_directories(data.Path() + "out");
    WriteFile(dir.Path() + "swCopy.ini",
              "[BasicInfo]\r\nName=Copy\r\nDoc=0\r\nPDF=0\r\nOtherFiles=1\r\n[DocInfo]\r\n"
              "DocWaterMarkStr=Draft\r\n[0]\r\nType=1\r\nSource=" +
                  data.Path() + "in\r\nDest=" + data.Path() + "out\r\n");
    LoadProfiles();
    QWidget window;
    QLabel panel;
    TRunControl run(&window);
    QSignalSpy ended(&run, &TRunControl::runnerEnded);
    QSignalSpy closed(&run, &TRunControl::runClosed);
    QVERIFY(run.Idle());
    QVERIFY(run.Start(ProfileList()[0], &panel));
    QVERIFY(run.Running());
    QVERIFY(run.Progress() && run.Progress()->isVisible());
    QVERIFY(!run.Start(ProfileList()[0], &panel));  // one run at a time
    QTRY_COMPARE_WITH_TIMEOUT(run.Progress()->JobProgressBar->maximum(), 200, 20000);
    // Paused, it first waits for this thread to show its state: it cannot end before the
    // cancel below has looked at it.
    run.Suspend();
    QCOMPARE(said.Take(), QStringList{"Thread Suspend"});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    run.Cancel();
    QCOMPARE(said.Take(), QStringList{"Thread Terminate"});
    QVERIFY(!run.Running());
    // The window stays, with the cancel, until the runner gives its final counts.
    QVERIFY(run.Progress()->Ended());
    QCOMPARE(run.Progress()->Summary->text(), QStringLiteral("Stopping after the file in hand"));
    QCOMPARE(closed.count(), 1);
    QVERIFY(run.Draining());
    QVERIFY(run.LastOutcome().cancelled && !run.LastOutcome().ended);
    QVERIFY(!run.Start(ProfileList()[0], &panel));  // not while the runner finishes
    QTRY_VERIFY_WITH_TIMEOUT(run.Idle(), 20000);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended[0][0].toString(), QStringLiteral("Copy"));
    const size_t copied = ListTree(data.Path() + "out").size();
    QVERIFY(copied < 200);
    // The final counts of the cancelled run, taken as its runner ended.
    QVERIFY(run.LastOutcome().ended);
    QCOMPARE(run.LastOutcome().copied, int(copied));
    QCOMPARE(run.Progress()->Headline->text(),
             QStringLiteral("Cancelled after %1 of 200").arg(copied));
    // Suspend, continue and cancel reach nothing once the run is closed.
    run.Suspend();
    run.Continue();
    run.Cancel();
    QVERIFY(said.Take().isEmpty());
  }
};

QTEST_MAIN(JobFilesTest)
#include "job_files_test.moc"
