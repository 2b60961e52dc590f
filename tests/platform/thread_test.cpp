// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>

#include "platform/thread.h"

using namespace stampwell;
using namespace std::chrono_literals;

namespace {

// A thread whose body is given by the test; it is started only by Resume.
class BodyThread : public TThread {
 public:
  BodyThread(UiDispatcher* ui, std::function<void(BodyThread&)> body,
             std::function<void()> onTerminate = {})
      : TThread(true, ui), body_(std::move(body)) {
    OnTerminate = std::move(onTerminate);
  }
  // As TThread asks of a class whose body uses its members: the worker is gone before they
  // are (and before this part of the object is, whose BeforePause it may call).
  ~BodyThread() override { EndThread(); }
  using TThread::Synchronize;
  std::atomic<int> executed{0};

 protected:
  void Execute() override {
    ++executed;
    body_(*this);
  }

 private:
  std::function<void(BodyThread&)> body_;
};

bool PumpUntil(QueueDispatcher& ui, const std::function<bool()>& pred) {
  for (auto end = std::chrono::steady_clock::now() + 3s; !pred(); ui.WaitAndProcess(2))
    if (std::chrono::steady_clock::now() > end) return false;
  return true;
}

// A body that counts rounds over check points until it is stopped.
void Spin(BodyThread& self, std::atomic<long>& rounds) {
  while (!self.Terminated()) ++rounds;
}

// True when the worker is paused: rounds stand still for a while.
bool Paused(const std::atomic<long>& rounds) {
  std::this_thread::sleep_for(20ms);
  long before = rounds;
  std::this_thread::sleep_for(60ms);
  return rounds == before;
}

}  // namespace

TEST(Thread, RunsOnlyAfterResumeThenEndsOnTheUiThread) {
  QueueDispatcher ui;
  std::thread::id bodyOn, endOn;
  std::atomic<bool> bodyDone{false};
  bool bodyDoneAtEnd = false;
  BodyThread t(
      &ui, [&](BodyThread&) { bodyOn = std::this_thread::get_id(), bodyDone = true; },
      [&] { endOn = std::this_thread::get_id(), bodyDoneAtEnd = bodyDone; });
  t.AfterConstruction();  // created suspended: still not started
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(t.executed, 0);
  t.Resume();
  t.WaitFor();
  EXPECT_EQ(endOn, std::thread::id()) << "the end handler waits for the UI thread";
  ASSERT_TRUE(PumpUntil(ui, [&] { return endOn != std::thread::id(); }));
  EXPECT_NE(bodyOn, std::this_thread::get_id());
  EXPECT_EQ(endOn, std::this_thread::get_id());
  EXPECT_TRUE(bodyDoneAtEnd);
}

TEST(Thread, StopBeforeStartSkipsExecuteButStillEnds) {
  QueueDispatcher ui;
  bool ended = false;
  BodyThread t(
      &ui, [](BodyThread&) {}, [&] { ended = true; });
  t.Terminate();  // never resumed: the stop alone takes it to its end
  ASSERT_TRUE(PumpUntil(ui, [&] { return ended; }));
  EXPECT_EQ(t.executed, 0);
}

TEST(Thread, SuspensionIsCountedAndTerminateReleasesIt) {
  QueueDispatcher ui;
  std::atomic<long> rounds{0};
  BodyThread t(&ui, [&](BodyThread& self) { Spin(self, rounds); });
  t.Resume();
  t.Resume();  // no pending suspension: must not cancel a later Suspend
  t.Suspend();
  t.Suspend();
  EXPECT_TRUE(Paused(rounds));
  t.Resume();
  EXPECT_TRUE(Paused(rounds)) << "suspended twice, one resume must not release it";
  t.Resume();
  EXPECT_FALSE(Paused(rounds));
  t.Suspend();
  ASSERT_TRUE(Paused(rounds));
  t.Terminate();
  EXPECT_TRUE(PumpUntil(ui, [&] { return t.Finished(); }));
}

TEST(Thread, SynchronizeRunsOnTheUiThreadIsACheckPointAndPassesErrorsBack) {
  QueueDispatcher ui;
  std::atomic<bool> inBody{false}, go{false};
  std::thread::id syncOn;
  std::string caught;
  BodyThread t(&ui, [&](BodyThread& self) {
    inBody = true;
    while (!go) std::this_thread::yield();
    self.Synchronize([&] { syncOn = std::this_thread::get_id(); });
    try {
      self.Synchronize([] { throw std::runtime_error("display gone"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
  });
  t.Resume();
  while (!inBody) std::this_thread::yield();
  t.Suspend();
  go = true;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(ui.ProcessPending(), 0) << "a suspended worker must not reach the UI thread";
  t.Resume();
  ASSERT_TRUE(PumpUntil(ui, [&] { return t.Finished(); }));
  EXPECT_EQ(syncOn, std::this_thread::get_id());
  EXPECT_EQ(caught, "display gone");
}

TEST(Thread, AnExceptionFromExecuteIsKeptAndTheEndStillRuns) {
  QueueDispatcher ui;
  bool ended = false;
  BodyThread t(
      &ui, [](BodyThread&) { throw std::runtime_error("Office crashed"); }, [&] { ended = true; });
  t.Resume();
  ASSERT_TRUE(PumpUntil(ui, [&] { return ended; }));
  EXPECT_EQ(t.FatalError(), "Office crashed");
}

TEST(Thread, FreeOnTerminateKeepsItselfAliveUntilItsEndHasRun) {
  QueueDispatcher ui;
  std::weak_ptr<BodyThread> weak;
  std::atomic<bool> release{false};
  bool aliveInEnd = false;
  {
    auto t = std::make_shared<BodyThread>(
        &ui,
        [&](BodyThread&) {
          while (!release) std::this_thread::yield();
        },
        [&] { aliveInEnd = !weak.expired(); });
    t->FreeOnTerminate = true;
    weak = t;
    t->Resume();
  }
  EXPECT_FALSE(weak.expired()) << "a running thread must not go with its creator's reference";
  release = true;
  ASSERT_TRUE(PumpUntil(ui, [&] { return weak.expired(); }));
  EXPECT_TRUE(aliveInEnd);
}

TEST(Thread, DestroyingAPausedThreadStopsItAndDropsItsPendingEnd) {
  QueueDispatcher ui;
  std::atomic<long> rounds{0};
  bool ended = false;
  {
    BodyThread t(
        &ui, [&](BodyThread& self) { Spin(self, rounds); }, [&] { ended = true; });
    t.Resume();
    t.Suspend();
    ASSERT_TRUE(Paused(rounds));
  }  // must release the paused worker and wait for it
  ui.ProcessPending();
  EXPECT_FALSE(ended) << "the end handler must not run after the object is gone";
}

TEST(Thread, WithoutADispatcherEverythingRunsOnTheWorker) {
  SetMainDispatcher(nullptr);
  std::thread::id bodyOn, syncOn, endOn;
  std::atomic<bool> ended{false};
  auto t = std::make_shared<BodyThread>(
      nullptr,
      [&](BodyThread& self) {
        bodyOn = std::this_thread::get_id();
        self.Synchronize([&] { syncOn = std::this_thread::get_id(); });
      },
      [&] { endOn = std::this_thread::get_id(), ended = true; });
  t->Resume();
  for (auto end = std::chrono::steady_clock::now() + 3s; !ended; std::this_thread::yield())
    if (std::chrono::steady_clock::now() > end) FAIL();
  EXPECT_EQ(syncOn, bodyOn);
  EXPECT_EQ(endOn, bodyOn);
}
