// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/run_progress.h"

namespace stampwell {

void TRunProgress::Reset(int total) {
  std::lock_guard lock(mutex_);
  total_ = total;
  done_ = 0;
}

void TRunProgress::SetAction(const std::string& action) {
  std::lock_guard lock(mutex_);
  action_ = action;
}

void TRunProgress::Advance(int steps) {
  std::lock_guard lock(mutex_);
  done_ += steps;
}

TRunProgress::Snapshot TRunProgress::Take() const {
  std::lock_guard lock(mutex_);
  return {serial_, done_, total_, action_};
}

void TRunProgress::Show() {
  Snapshot snapshot;
  {
    std::lock_guard lock(mutex_);
    snapshot = {++serial_, done_, total_, action_};
  }
  if (show_) show_(snapshot);
}

void TRunProgress::ShowIfBegun() {
  bool begun;
  {
    std::lock_guard lock(mutex_);
    begun = done_ > 0;
  }
  if (begun) Show();
}

void TRunProgress::Count(int RRunCounts::*field, int delta) {
  std::lock_guard lock(mutex_);
  counts_.*field += delta;
}

void TRunProgress::PrintLost() {
  std::lock_guard lock(mutex_);
  ++counts_.Failed;
  if (counts_.Printed > 0) --counts_.Printed;
}

RRunCounts TRunProgress::Counts() const {
  std::lock_guard lock(mutex_);
  return counts_;
}

bool TRunProgress::Newer(const Snapshot& snapshot) {
  std::lock_guard lock(mutex_);
  if (snapshot.serial <= shown_) return false;
  shown_ = snapshot.serial;
  return true;
}

}  // namespace stampwell
