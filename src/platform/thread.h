// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/ui_dispatcher.h"

namespace stampwell {

// The dispatcher through which every thread object reaches the UI thread unless it was given
// one of its own. The desktop program installs its Qt dispatcher at start-up. Without any
// dispatcher, Synchronize runs its function on the calling thread and OnTerminate runs on the
// worker, which suits a front end that has no UI thread. The dispatcher must outlive every
// thread that uses it.
void SetMainDispatcher(UiDispatcher* dispatcher);
UiDispatcher* MainDispatcher();

// A worker thread with a body (Execute), a stop flag, counted suspension, an end handler on
// the UI thread and a way to run code on the UI thread while the worker waits.
//
// Suspension is cooperative: Suspend returns at once and the worker pauses at its next check
// point, that is when it reads its own stop flag (Terminated) or calls Synchronize. It never
// pauses while holding a lock of this class. Terminate wakes a paused worker, and it also
// starts a thread that was created suspended and never resumed, so that a stopped thread
// always reaches its end (and its OnTerminate) without entering Execute.
//
// Ownership: with FreeOnTerminate set before the thread starts, the object keeps itself alive
// (it must then be owned by a std::shared_ptr) until OnTerminate has run, and releases itself
// afterwards; holders of a std::weak_ptr see it go. Otherwise the owner keeps it, and
// destroying a running thread stops it (Terminate, release, wait). Destroy such a thread on
// the UI thread, or after its OnTerminate has run: an end handler that has not run yet is
// dropped when the object goes.
class TThread : public std::enable_shared_from_this<TThread> {
 public:
  // A thread created running starts when AfterConstruction is called (NewThread does it),
  // since the body of a derived class must not run before its constructor has finished.
  explicit TThread(bool CreateSuspended, UiDispatcher* dispatcher = nullptr);
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts a thread that was created running. Does nothing for one created suspended.
  void AfterConstruction();

  // Lowers the suspension count; the worker starts (first time) or continues when it reaches
  // zero. Without a pending suspension it does nothing.
  void Resume();
  // Raises the suspension count; the worker pauses at its next check point.
  void Suspend();
  // Sets the stop flag (never cleared) and releases a suspended worker. Any thread.
  void Terminate();

  // The stop flag. Read on the worker itself, this is a check point: while the thread is
  // suspended (and not stopped) the call waits.
  bool Terminated() const;
  bool Suspended() const;
  // True once Execute has returned (or was skipped because of an early stop).
  bool Finished() const;
  // Waits until Finished. Must not be called on the worker, nor on the UI thread while the
  // worker may be waiting in Synchronize.
  void WaitFor() const;
  // The message of an exception that left Execute, or empty. No exception leaves the worker.
  std::string FatalError() const;

  // Read when the thread starts.
  bool FreeOnTerminate = false;
  // Runs on the UI thread after Execute has returned (posted, not waited for).
  std::function<void()> OnTerminate;

  // The thread object whose worker is the calling thread, or nullptr.
  static TThread* Current();

 protected:
  // The thread's body. Exceptions are caught at the thread boundary (see FatalError).
  virtual void Execute() = 0;
  // Stops a running worker (Terminate, release) and waits for it; nothing once it has ended.
  // What the destructor does; a derived class whose Execute uses its own members calls it
  // first in its destructor, so that the worker is gone before those members are.
  void EndThread();
  // Runs fn on the UI thread while the worker waits; an exception thrown by fn is rethrown
  // here on the worker. A check point: a suspended worker pauses before fn is posted.
  void Synchronize(const std::function<void()>& fn);
  // Runs on the worker each time it is about to pause because the thread is suspended (not
  // when it is stopped), so that it can show the state it pauses in. Within it, check points
  // do not pause and Synchronize runs at once.
  virtual void BeforePause() {}

 private:
  void StartLocked();
  void ThreadProc();
  void PauseWhileSuspended() const;

  UiDispatcher* dispatcher_;
  const bool createSuspended_;
  mutable bool inBeforePause_ = false;  // worker only
  std::atomic<bool> terminated_{false};

  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  std::atomic<int> suspendCount_{0};  // changed under mutex_; read without it on the fast path
  bool started_ = false;
  bool finished_ = false;
  std::string fatalError_;
  std::thread thread_;
  // Held while the worker runs when FreeOnTerminate is set; released after OnTerminate.
  std::shared_ptr<TThread> self_;
  // Expires with the object; a posted end handler checks it before touching the object.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// Constructs a thread object owned by a std::shared_ptr and starts it unless it was created
// suspended. The first constructor argument of T is expected to be its create-suspended flag
// or whatever T passes on to TThread.
template <typename T, typename... Args>
std::shared_ptr<T> NewThread(Args&&... args) {
  auto thread = std::make_shared<T>(std::forward<Args>(args)...);
  thread->AfterConstruction();
  return thread;
}

}  // namespace stampwell
