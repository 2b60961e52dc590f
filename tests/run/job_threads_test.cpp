// SPDX-License-Identifier: GPL-3.0-or-later
// Pausing, continuing, suspending and cancelling runs with several workers, over a few
// hundred files on the recording automation server. Built for ThreadSanitizer too (the tsan
// preset): what the runner's thread reads of the progress while its workers write it must
// be read under the same lock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <regex>
#include <set>
#include <thread>

#include "jobs/file_utils.h"
#include "platform/window_messages.h"
#include "run/job.h"
#include "run/job_fixture.h"

using namespace stampwell;
using namespace stampwell::test;
using Lines = std::vector<std::string>;

namespace {

constexpr int kFiles = 240;  // a quarter each of .doc, .xls, .ppt and .txt

class ThreadedRun : public JobFixture {
 protected:
  ThreadedRun() {
    SetMainDispatcher(&ui);
    server.SetShapesPerThread(true);
    for (int i = 0; i < kFiles; ++i) {
      static const char* const kExt[] = {".doc", ".xls", ".ppt", ".txt"};
      const std::string name =
          "/d" + std::to_string(i % 6) + "/f" + std::to_string(i) + kExt[i % 4];
      WriteFile(Src(name), "x");
      files.push_back(Src(name));
    }
  }
  ~ThreadedRun() override { SetMainDispatcher(nullptr); }

  // A new window, display and destination, nothing opened or logged yet.
  void Fresh() {
    window = std::make_shared<RecordingWindow>();
    display = std::make_shared<RecordingDisplay>();
    std::filesystem::remove_all(Dst());
    {
      std::lock_guard lock(openedMutex);
      opened.clear();
    }
    std::lock_guard lock(linesMutex);
    actions.clear();
    actionCount = 0;
  }

  // A stamping run (Word, Excel, PowerPoint, other files) with its lines counted.
  std::shared_ptr<TJob> Make(int workers) {
    RJobSettings s = Settings(true, true, true, false, true);
    s.Workers = workers;
    auto job = MakeJob(s);
    job->AddItem(Src(), Dst(), "Folder");
    job->OnLine = [this](TJob::LineKind kind, const std::string& text) {
      if (kind != TJob::LineKind::Action) return;
      std::lock_guard lock(linesMutex);
      actions.insert(text);
      ++actionCount;
    };
    return job;
  }

  int Actions() {
    std::lock_guard lock(linesMutex);
    return actionCount;
  }

  bool Ended() { return window->Count(WM_JOBEND) > 0; }

  // Pumps the UI queue for the time given (the run goes on meanwhile).
  void PumpFor(int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) ui.WaitAndProcess(5);
  }

  // What the display was shown is whole: every action caption is the cut text of an action
  // the run logged, every status reads "<n> of <total>", and the count never goes back.
  void ExpectWholeReports() {
    std::set<std::string> cut;
    {
      std::lock_guard lock(linesMutex);
      for (const std::string& a : actions) cut.insert(TJob::DisplayText(a));
    }
    for (const std::string& caption : display->Only("action "))
      EXPECT_TRUE(cut.count(caption)) << "shown, never logged: " << caption;
    const std::regex status(R"((\d+) of (\d+))");
    int last = -1;
    for (const std::string& s : display->Only("status ")) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(s, m, status)) << s;
      EXPECT_EQ(m[2].str(), std::to_string(kFiles));
      const int done = std::stoi(m[1].str());
      EXPECT_GE(done, last) << "the count went back";
      last = done;
    }
  }

  // Office files opened, each once at most.
  void ExpectEachFileOnce() {
    std::lock_guard lock(openedMutex);
    EXPECT_EQ(std::set<std::string>(opened.begin(), opened.end()).size(), opened.size());
  }

  Lines files;
  std::mutex linesMutex;
  std::set<std::string> actions;
  int actionCount = 0;
};

// At most this many more actions once a run is asked to pause or stop: each worker's file in
// hand and the one waiting for it, and the one the walk is handing over.
int Slack(int workers) { return 2 * workers + 1; }

TEST_F(ThreadedRun, PauseAndContinueSeveralTimesHandlesEveryFileOnce) {
  for (int workers : {2, 3}) {
    SCOPED_TRACE(workers);
    Fresh();
    auto job = Make(workers);
    std::atomic<int> pauseAt{40};
    std::atomic<bool> pauseAsked{false};
    display->onAction = [&](const std::string&) {
      if (!pauseAsked && Actions() >= pauseAt) {
        job->Suspend();  // as the progress window's Suspend does, on the UI thread
        pauseAsked = true;
      }
    };
    job->Resume();
    int pauses = 0;
    while (!Ended()) {
      ASSERT_TRUE(PumpUntil([&] { return Ended() || pauseAsked.load(); }, 120));
      if (Ended()) break;
      const int atPause = Actions();
      PumpFor(250);  // the workers finish what they hold, the walk stays where it is
      const int paused = Actions();
      EXPECT_LE(paused - atPause, Slack(workers)) << "a paused run goes on";
      ++pauses;
      pauseAt = paused + 60;
      pauseAsked = false;
      job->Resume();
    }
    ASSERT_TRUE(PumpUntil([&] { return job->Finished(); }, 60));
    EXPECT_GE(pauses, 2);
    EXPECT_EQ(job->TotalCount, kFiles);
    EXPECT_EQ(job->DoneCount, kFiles);
    EXPECT_EQ(Actions(), kFiles);
    EXPECT_EQ(job->Counts.Stamped, kFiles / 4 * 3);
    EXPECT_EQ(job->Counts.Copied, kFiles / 4);
    EXPECT_EQ(job->Counts.Failed, 0);
    EXPECT_EQ(ListTree(Dst()).size(), static_cast<std::size_t>(kFiles));
    EXPECT_EQ(display->Only("status ").back(),
              std::to_string(kFiles) + " of " + std::to_string(kFiles));
    ExpectEachFileOnce();
    ExpectWholeReports();
  }
}

TEST_F(ThreadedRun, CancelWhileSuspendedOrRunningBeginsNoFurtherFile) {
  for (int workers : {2, 3}) {
    for (bool suspended : {true, false}) {
      SCOPED_TRACE(std::to_string(workers) + (suspended ? " suspended" : " running"));
      Fresh();
      auto job = Make(workers);
      std::atomic<bool> asked{false};
      std::atomic<int> atAsk{0};
      display->onAction = [&](const std::string&) {
        if (asked || Actions() < 70) return;
        asked = true;
        atAsk = Actions();
        if (suspended)
          job->Suspend();
        else
          job->Terminate();  // the progress window's Cancel, on the UI thread
      };
      job->Resume();
      ASSERT_TRUE(PumpUntil([&] { return asked.load(); }, 120));
      if (suspended) {
        PumpFor(150);
        job->Terminate();  // a cancelled run is released from its pause
      }
      ASSERT_TRUE(PumpUntil([&] { return Ended() && job->Finished(); }, 60));

      const int done = Actions();
      EXPECT_LE(done - atAsk, Slack(workers));
      EXPECT_LT(done, kFiles);
      EXPECT_EQ(job->TotalCount, kFiles);
      // Every action the log got was counted once, and every file it began was finished.
      EXPECT_EQ(job->DoneCount, done);
      EXPECT_EQ(job->Counts.Stamped + job->Counts.Copied, done);
      EXPECT_EQ(ListTree(Dst()).size(), static_cast<std::size_t>(done));
      EXPECT_THAT(ActionLines(), ::testing::Contains(TJob::kJobTerminated));
      EXPECT_FALSE(job->EndedOnError());
      ExpectEachFileOnce();
      ExpectWholeReports();
    }
  }
}

}  // namespace
