// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/thread.h"

#include <exception>

namespace stampwell {
namespace {
std::atomic<UiDispatcher*> g_mainDispatcher{nullptr};
thread_local TThread* t_current = nullptr;
}  // namespace

void SetMainDispatcher(UiDispatcher* dispatcher) { g_mainDispatcher = dispatcher; }
UiDispatcher* MainDispatcher() { return g_mainDispatcher; }

TThread::TThread(bool CreateSuspended, UiDispatcher* dispatcher)
    : dispatcher_(dispatcher ? dispatcher : MainDispatcher()),
      createSuspended_(CreateSuspended),
      suspendCount_(CreateSuspended ? 1 : 0) {}

TThread::~TThread() { EndThread(); }

void TThread::EndThread() {
  if (t_current == this) {
    // The worker itself dropped the last reference (no UI thread ran the end handler).
    if (thread_.joinable()) thread_.detach();
    return;
  }
  bool running;
  {
    std::lock_guard lock(mutex_);
    running = started_ && !finished_;
  }
  if (running) {
    terminated_ = true;
    { std::lock_guard lock(mutex_); }
    cv_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

TThread* TThread::Current() { return t_current; }

void TThread::AfterConstruction() {
  std::lock_guard lock(mutex_);
  if (!createSuspended_ && !started_) StartLocked();
}

void TThread::Resume() {
  {
    std::lock_guard lock(mutex_);
    if (suspendCount_ == 0) return;
    if (--suspendCount_ > 0) return;
    if (!started_) {
      StartLocked();
      return;
    }
  }
  cv_.notify_all();
}

void TThread::Suspend() {
  std::lock_guard lock(mutex_);
  ++suspendCount_;
}

void TThread::Terminate() {
  terminated_ = true;
  {
    // Taking the lock orders the flag before a paused worker's next look at it.
    std::lock_guard lock(mutex_);
    if (!started_) StartLocked();
  }
  cv_.notify_all();
}

bool TThread::Terminated() const {
  if (t_current == this) PauseWhileSuspended();
  return terminated_;
}

bool TThread::Suspended() const {
  std::lock_guard lock(mutex_);
  return suspendCount_ > 0;
}

bool TThread::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

void TThread::WaitFor() const {
  std::unique_lock lock(mutex_);
  cv_.wait(lock, [&] { return finished_; });
}

std::string TThread::FatalError() const {
  std::lock_guard lock(mutex_);
  return fatalError_;
}

void TThread::Synchronize(const std::function<void()>& fn) {
  if (t_current == this) PauseWhileSuspended();
  UiDispatcher* ui = dispatcher_;
  if (!ui) {
    fn();
    return;
  }
  std::exception_ptr error;
  ui->PostAndWait([&] {
    try {
      fn();
    } catch (...) {
      error = std::current_exception();
    }
  });
  if (error) std::rethrow_exception(error);
}

void TThread::StartLocked() {
  started_ = true;
  if (FreeOnTerminate) self_ = weak_from_this().lock();
  thread_ = std::thread(&TThread::ThreadProc, this);
}

void TThread::PauseWhileSuspended() const {
  // Fast path for the common case: a check point costs no lock while nobody suspends.
  // A Suspend that races with it takes effect at the next check point.
  if (suspendCount_.load() == 0 || inBeforePause_) return;
  if (!terminated_) {
    inBeforePause_ = true;
    try {
      const_cast<TThread*>(this)->BeforePause();
    } catch (...) {
      // Showing the state is a courtesy; the pause itself must happen.
    }
    inBeforePause_ = false;
  }
  std::unique_lock lock(mutex_);
  cv_.wait(lock, [&] { return suspendCount_ == 0 || terminated_; });
}

void TThread::ThreadProc() {
  t_current = this;
  std::string error;
  if (!Terminated()) {
    try {
      Execute();
    } catch (const std::exception& e) {
      error = e.what();
      if (error.empty()) error = "unknown error";
    } catch (...) {
      error = "unknown error";
    }
  }

  // Everything the end needs is taken out of the object first: once finished_ is set, an
  // owner may destroy a thread that does not own itself.
  UiDispatcher* ui = dispatcher_;
  std::weak_ptr<int> alive = alive_;
  std::function<void()> handler = OnTerminate;
  std::shared_ptr<TThread> keep;
  {
    std::lock_guard lock(mutex_);
    fatalError_ = error;
    finished_ = true;
    keep = std::move(self_);
  }
  cv_.notify_all();

  auto end = [handler = std::move(handler), keep = std::move(keep), alive]() mutable {
    if (!alive.expired() && handler) handler();
    keep.reset();
  };
  if (ui) {
    ui->Post(std::move(end));
  } else {
    end();
  }
  t_current = nullptr;
}

}  // namespace stampwell
