// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/ui_dispatcher.h"

using namespace stampwell;

TEST(QueueDispatcher, PostAndWaitRunsOnTheUiThreadWhileTheWorkerWaits) {
  QueueDispatcher ui;
  std::thread::id ranOn;
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    ui.PostAndWait([&] { ranOn = std::this_thread::get_id(); });
    returned = true;
  });
  while (ui.WaitAndProcess(50) == 0) {
  }
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(QueueDispatcher, PostAndWaitOnTheUiThreadRunsAtOnceAndPostWaitsForProcessing) {
  QueueDispatcher ui;
  int order = 0, posted = 0, direct = 0;
  ui.Post([&] { posted = ++order; });
  ui.PostAndWait([&] { direct = ++order; });
  EXPECT_EQ(direct, 1);
  EXPECT_EQ(posted, 0);
  EXPECT_EQ(ui.ProcessPending(), 1);
  EXPECT_EQ(posted, 2);
}
