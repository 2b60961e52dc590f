// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace stampwell {

// The only way from a worker thread to the UI thread. The desktop program implements it
// with queued Qt invocations; tests and command-line front ends use QueueDispatcher.
class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;
  // Runs fn on the UI thread later; returns at once.
  virtual void Post(std::function<void()> fn) = 0;
  // Runs fn on the UI thread and returns when it has run. Called on the UI thread itself,
  // fn runs at once.
  virtual void PostAndWait(std::function<void()> fn) = 0;
};

// A plain queue: whichever thread calls ProcessPending/WaitAndProcess is "the UI thread".
class QueueDispatcher : public UiDispatcher {
 public:
  QueueDispatcher();
  void Post(std::function<void()> fn) override;
  void PostAndWait(std::function<void()> fn) override;

  // Runs every queued function; returns how many ran. Call from the owning thread.
  int ProcessPending();
  // Waits up to timeoutMs for work, then runs what is queued; returns how many ran.
  int WaitAndProcess(int timeoutMs);
  // Makes the calling thread the UI thread (the constructing thread is by default).
  void AdoptCurrentThread();

 private:
  bool OnUiThread() const;

  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> queue_;
  std::thread::id uiThread_;
};

}  // namespace stampwell
