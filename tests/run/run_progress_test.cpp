// SPDX-License-Identifier: GPL-3.0-or-later
// The run's progress sink, driven from several threads at once as a run's workers drive it.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "run/run_progress.h"

using namespace stampwell;

namespace {

TEST(RunProgress, WorkersTogetherCountEveryStepAndTheDisplayNeverGoesBack) {
  constexpr int kThreads = 4;
  constexpr int kSteps = 2000;
  std::mutex shownMutex;
  std::vector<int> shown;  // the counts a display let through, in order
  TRunProgress* sink = nullptr;
  TRunProgress progress([&](const TRunProgress::Snapshot& s) {
    // As the runner's display does: one report at a time, stale ones dropped.
    std::lock_guard lock(shownMutex);
    if (!sink->Newer(s)) return;
    EXPECT_EQ(s.action.size(), 40u) << "an action text is always whole";
    shown.push_back(s.done);
  });
  sink = &progress;
  progress.Reset(kThreads * kSteps);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string action(40, static_cast<char>('a' + t));
      for (int i = 0; i < kSteps; ++i) {
        progress.SetAction(action);
        progress.Advance();
        progress.Count(&RRunCounts::Stamped);
        if (i % 3 == 0) progress.PrintLost();
        progress.Show();
      }
    });
  }
  for (auto& t : threads) t.join();

  const TRunProgress::Snapshot end = progress.Take();
  EXPECT_EQ(end.done, kThreads * kSteps);
  EXPECT_EQ(end.total, kThreads * kSteps);
  const RRunCounts counts = progress.Counts();
  EXPECT_EQ(counts.Stamped, kThreads * kSteps);
  EXPECT_EQ(counts.Failed, kThreads * ((kSteps + 2) / 3));
  ASSERT_FALSE(shown.empty());
  for (std::size_t i = 1; i < shown.size(); ++i)
    ASSERT_LE(shown[i - 1], shown[i]) << "report " << i << " went back";
  // The last report shown is the final state: no later snapshot exists to drop it.
  EXPECT_EQ(shown.back(), kThreads * kSteps);
  // A snapshot once let through is never let through again.
  TRunProgress::Snapshot again = end;
  EXPECT_FALSE(progress.Newer(again));
}

}  // namespace
