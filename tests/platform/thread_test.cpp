#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/thread.h"
#include "platform/ui_dispatcher.h"

using namespace stampwell;
using namespace std::chrono_literals;

namespace {

// A thread whose body is given by the test.
class BodyThread : public TThread {
 public:
  using Body = std::function<void(BodyThread&)>;
  BodyThread(bool createSuspended, UiDispatcher* ui, Body body)
      : TThread(createSuspended, ui), body_(std::move(body)) {}
  using TThread::Synchronize;
  std::atomic<int> executed{0};

 protected:
  void Execute() override {
    ++executed;
    body_(*this);
  }

 private:
  Body body_;
};

// Starts a thread whose end handler is in place before the worker can reach its end.
std::shared_ptr<BodyThread> StartWithEnd(UiDispatcher* ui, BodyThread::Body body,
                                         std::function<void()> onTerminate) {
  auto t = std::make_shared<BodyThread>(true, ui, std::move(body));
  t->OnTerminate = std::move(onTerminate);
  t->Resume();
  return t;
}

// Runs the dispatcher's queue on this thread until pred holds or two seconds have passed.
bool PumpUntil(QueueDispatcher& ui, const std::function<bool()>& pred) {
  auto deadline = std::chrono::steady_clock::now() + 2s;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    ui.WaitAndProcess(5);
  }
  return true;
}

// A body that spins over check points and counts its rounds until it is stopped.
BodyThread::Body Spinner(std::atomic<long>& rounds) {
  return [&rounds](BodyThread& self) {
    while (!self.Terminated()) {
      ++rounds;
      std::this_thread::yield();
    }
  };
}

// True when rounds does not move for a while (the worker is paused).
bool Stalled(const std::atomic<long>& rounds) {
  std::this_thread::sleep_for(20ms);
  long before = rounds;
  std::this_thread::sleep_for(60ms);
  return rounds == before;
}

bool Advances(const std::atomic<long>& rounds) {
  long before = rounds;
  auto deadline = std::chrono::steady_clock::now() + 2s;
  while (rounds == before) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

}  // namespace

// --- Starting -------------------------------------------------------------------------------

TEST(ThreadStart, CreatedSuspendedRunsOnlyAfterResumeAndOnAnotherThread) {
  QueueDispatcher ui;
  std::thread::id ranOn;
  auto t = std::make_shared<BodyThread>(true, &ui,
                                        [&](BodyThread&) { ranOn = std::this_thread::get_id(); });
  t->AfterConstruction();  // must not start a thread created suspended
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(t->executed, 0);
  EXPECT_FALSE(t->Finished());
  t->Resume();
  t->WaitFor();
  EXPECT_EQ(t->executed, 1);
  EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST(ThreadStart, CreatedRunningStartsThroughNewThread) {
  QueueDispatcher ui;
  auto t = NewThread<BodyThread>(false, &ui, [](BodyThread&) {});
  t->WaitFor();
  EXPECT_EQ(t->executed, 1);
}

TEST(ThreadStart, ResumeWithoutSuspensionDoesNothing) {
  QueueDispatcher ui;
  std::atomic<long> rounds{0};
  auto t = NewThread<BodyThread>(false, &ui, Spinner(rounds));
  t->Resume();  // no pending suspension: the count must not go below zero
  t->Suspend();
  EXPECT_TRUE(Stalled(rounds)) << "an extra Resume must not cancel a later Suspend";
  t->Terminate();
  t->WaitFor();
}

// --- Stopping -------------------------------------------------------------------------------

TEST(ThreadStop, StopBeforeStartSkipsExecuteButStillEnds) {
  QueueDispatcher ui;
  std::atomic<int> ended{0};
  auto t = std::make_shared<BodyThread>(true, &ui, [](BodyThread&) {});
  t->OnTerminate = [&] { ++ended; };
  t->Terminate();  // never resumed: the stop alone lets it reach its end
  ASSERT_TRUE(PumpUntil(ui, [&] { return ended == 1; }));
  EXPECT_EQ(t->executed, 0);
  EXPECT_TRUE(t->Finished());
}

TEST(ThreadStop, TerminateIsSeenByTheBodyAndNeverCleared) {
  QueueDispatcher ui;
  std::atomic<long> rounds{0};
  auto t = NewThread<BodyThread>(false, &ui, Spinner(rounds));
  ASSERT_TRUE(Advances(rounds));
  t->Terminate();
  t->WaitFor();
  EXPECT_TRUE(t->Terminated());
  t->Resume();
  EXPECT_TRUE(t->Terminated());
}

TEST(ThreadStop, TerminateReleasesASuspendedWorker) {
  QueueDispatcher ui;
  std::atomic<long> rounds{0};
  auto t = NewThread<BodyThread>(false, &ui, Spinner(rounds));
  ASSERT_TRUE(Advances(rounds));
  t->Suspend();
  t->Suspend();
  ASSERT_TRUE(Stalled(rounds));
  t->Terminate();
  EXPECT_TRUE(PumpUntil(ui, [&] { return t->Finished(); }));
}

TEST(ThreadStop, DestroyingARunningThreadStopsAndJoinsIt) {
  QueueDispatcher ui;
  std::atomic<long> rounds{0};
  std::atomic<bool> bodyLeft{false};
  {
    auto t = NewThread<BodyThread>(false, &ui, [&](BodyThread& self) {
      Spinner(rounds)(self);
      bodyLeft = true;
    });
    ASSERT_TRUE(Advances(rounds));
    t->Suspend();
  }  // the destructor must release the paused worker and wait for it
  EXPECT_TRUE(bodyLeft);
  ui.ProcessPending();
}

// --- Suspension -----------------------------------------------------------------------------

TEST(ThreadSuspend, SuspensionIsCountedAndTakesEffectAtCheckPoints) {
  QueueDispatcher ui;
  std::atomic<long> rounds{0};
  auto t = NewThread<BodyThread>(false, &ui, Spinner(rounds));
  ASSERT_TRUE(Advances(rounds));
  t->Suspend();
  t->Suspend();
  EXPECT_TRUE(t->Suspended());
  EXPECT_TRUE(Stalled(rounds));
  t->Resume();
  EXPECT_TRUE(t->Suspended());
  EXPECT_TRUE(Stalled(rounds)) << "suspended twice, one resume must not release it";
  t->Resume();
  EXPECT_FALSE(t->Suspended());
  EXPECT_TRUE(Advances(rounds));
  t->Terminate();
  t->WaitFor();
}

TEST(ThreadSuspend, CreatedSuspendedAndSuspendedAgainNeedsTwoResumes) {
  QueueDispatcher ui;
  auto t = std::make_shared<BodyThread>(true, &ui, [](BodyThread&) {});
  t->Suspend();
  t->Resume();
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(t->executed, 0);
  t->Resume();
  t->WaitFor();
  EXPECT_EQ(t->executed, 1);
}

TEST(ThreadSuspend, SynchronizeIsACheckPoint) {
  QueueDispatcher ui;
  std::atomic<int> calls{0};
  std::atomic<bool> inBody{false}, go{false};
  auto t = NewThread<BodyThread>(false, &ui, [&](BodyThread& self) {
    inBody = true;
    while (!go) std::this_thread::yield();
    self.Synchronize([&] { ++calls; });
  });
  while (!inBody) std::this_thread::yield();  // past the check point before Execute
  t->Suspend();
  go = true;
  std::this_thread::sleep_for(50ms);
  ui.ProcessPending();
  EXPECT_EQ(calls, 0) << "a suspended worker must not reach the UI thread";
  t->Resume();
  EXPECT_TRUE(PumpUntil(ui, [&] { return t->Finished(); }));
  EXPECT_EQ(calls, 1);
}

// --- UI thread ------------------------------------------------------------------------------

TEST(ThreadUi, SynchronizeRunsOnTheUiThreadWhileTheWorkerWaits) {
  QueueDispatcher ui;
  std::thread::id syncOn;
  std::atomic<bool> afterSync{false};
  bool workerWasWaiting = false;
  auto t = NewThread<BodyThread>(false, &ui, [&](BodyThread& self) {
    self.Synchronize([&] {
      syncOn = std::this_thread::get_id();
      std::this_thread::sleep_for(20ms);
      workerWasWaiting = !afterSync;
    });
    afterSync = true;
  });
  ASSERT_TRUE(PumpUntil(ui, [&] { return t->Finished(); }));
  EXPECT_EQ(syncOn, std::this_thread::get_id());
  EXPECT_TRUE(workerWasWaiting);
}

TEST(ThreadUi, AnExceptionInSynchronizeReachesTheWorker) {
  QueueDispatcher ui;
  std::string caught;
  auto t = NewThread<BodyThread>(false, &ui, [&](BodyThread& self) {
    try {
      self.Synchronize([] { throw std::runtime_error("display gone"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
  });
  ASSERT_TRUE(PumpUntil(ui, [&] { return t->Finished(); }));
  EXPECT_EQ(caught, "display gone");
}

TEST(ThreadUi, OnTerminateIsPostedToTheUiThreadAfterExecute) {
  QueueDispatcher ui;
  std::atomic<bool> bodyDone{false};
  std::thread::id endOn;
  bool bodyDoneAtEnd = false;
  auto t = StartWithEnd(
      &ui, [&](BodyThread&) { bodyDone = true; },
      [&] {
        endOn = std::this_thread::get_id();
        bodyDoneAtEnd = bodyDone;
      });
  t->WaitFor();
  EXPECT_EQ(endOn, std::thread::id()) << "the end handler runs only when the UI thread takes it";
  // The worker posts the end right after the body's finish is visible to WaitFor.
  ASSERT_TRUE(PumpUntil(ui, [&] { return endOn != std::thread::id(); }));
  EXPECT_EQ(endOn, std::this_thread::get_id());
  EXPECT_TRUE(bodyDoneAtEnd);
}

TEST(ThreadUi, AnExceptionFromExecuteIsKeptAndTheEndStillRuns) {
  QueueDispatcher ui;
  bool ended = false;
  auto t = StartWithEnd(
      &ui, [](BodyThread&) { throw std::runtime_error("Office crashed"); }, [&] { ended = true; });
  ASSERT_TRUE(PumpUntil(ui, [&] { return ended; }));
  EXPECT_EQ(t->FatalError(), "Office crashed");
}

TEST(ThreadUi, WithoutAnyDispatcherTheEndRunsOnTheWorker) {
  SetMainDispatcher(nullptr);
  std::thread::id endOn, syncOn, bodyOn;
  std::atomic<bool> ended{false};
  auto t = StartWithEnd(
      nullptr,
      [&](BodyThread& self) {
        bodyOn = std::this_thread::get_id();
        self.Synchronize([&] { syncOn = std::this_thread::get_id(); });
      },
      [&] {
        endOn = std::this_thread::get_id();
        ended = true;
      });
  auto deadline = std::chrono::steady_clock::now() + 2s;
  while (!ended && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(ended);
  EXPECT_EQ(syncOn, bodyOn);
  EXPECT_EQ(endOn, bodyOn);
  t->WaitFor();
}

TEST(ThreadUi, TheMainDispatcherIsUsedWhenNoneIsGiven) {
  QueueDispatcher ui;
  SetMainDispatcher(&ui);
  bool ended = false;
  auto t = StartWithEnd(
      nullptr, [](BodyThread&) {}, [&] { ended = true; });
  EXPECT_TRUE(PumpUntil(ui, [&] { return ended; }));
  SetMainDispatcher(nullptr);
}

// --- Ownership ------------------------------------------------------------------------------

TEST(ThreadOwnership, FreeOnTerminateKeepsItselfAliveUntilItsEndHasRun) {
  QueueDispatcher ui;
  std::weak_ptr<BodyThread> weak;
  std::atomic<bool> release{false};
  bool aliveInEnd = false;
  {
    auto t = std::make_shared<BodyThread>(true, &ui, [&](BodyThread&) {
      while (!release) std::this_thread::yield();
    });
    t->FreeOnTerminate = true;
    t->OnTerminate = [&] { aliveInEnd = !weak.expired(); };
    weak = t;
    t->Resume();
  }
  EXPECT_FALSE(weak.expired()) << "a running self-owned thread must not go with its creator's "
                                  "reference";
  release = true;
  ASSERT_TRUE(PumpUntil(ui, [&] { return weak.expired(); }));
  EXPECT_TRUE(aliveInEnd);
}

TEST(ThreadOwnership, FreeOnTerminateReleasesItselfOnTheWorkerWithoutDispatcher) {
  SetMainDispatcher(nullptr);
  std::weak_ptr<BodyThread> weak;
  {
    auto t = std::make_shared<BodyThread>(true, nullptr, [](BodyThread&) {});
    t->FreeOnTerminate = true;
    weak = t;
    t->Resume();
  }
  auto deadline = std::chrono::steady_clock::now() + 2s;
  while (!weak.expired() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(weak.expired());
}

TEST(ThreadOwnership, AnEndHandlerLeftInTheQueueDoesNotRunAfterTheObjectIsGone) {
  QueueDispatcher ui;
  bool ended = false;
  {
    auto t = StartWithEnd(
        &ui, [](BodyThread&) {}, [&] { ended = true; });
    t->WaitFor();
  }
  ui.ProcessPending();
  EXPECT_FALSE(ended);
}
