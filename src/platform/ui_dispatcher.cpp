// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui_dispatcher.h"

#include <chrono>
#include <thread>

namespace stampwell {

QueueDispatcher::QueueDispatcher() : uiThread_(std::this_thread::get_id()) {}

void QueueDispatcher::AdoptCurrentThread() {
  std::lock_guard lock(mutex_);
  uiThread_ = std::this_thread::get_id();
}

bool QueueDispatcher::OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

void QueueDispatcher::Post(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  cv_.notify_all();
}

void QueueDispatcher::PostAndWait(std::function<void()> fn) {
  if (OnUiThread()) {
    fn();
    return;
  }
  std::mutex doneMutex;
  std::condition_variable doneCv;
  bool done = false;
  Post([&] {
    fn();
    // Notified under the lock: the waiter owns doneCv and may return (destroying it) as soon
    // as it sees done, so the notification must be over before the lock is released.
    std::lock_guard lock(doneMutex);
    done = true;
    doneCv.notify_all();
  });
  std::unique_lock lock(doneMutex);
  doneCv.wait(lock, [&] { return done; });
}

int QueueDispatcher::ProcessPending() {
  std::deque<std::function<void()>> work;
  {
    std::lock_guard lock(mutex_);
    work.swap(queue_);
  }
  for (auto& fn : work) fn();
  return static_cast<int>(work.size());
}

int QueueDispatcher::WaitAndProcess(int timeoutMs) {
  {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue_.empty(); });
  }
  return ProcessPending();
}

}  // namespace stampwell
