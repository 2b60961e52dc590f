// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace stampwell {

// What a line of a run is, for front ends that show it.
enum class RunLineKind {
  Frame,   // the hyphen line, "Job Begin", "Job End", "Job Terminated by User"
  Action,  // a stamp, print or copy step
  Error,   // "Error in ...": a file that failed, or a failure at the end of the run
  Notice,  // an entry passed over, with its reason
};

// What became of the files of a run.
struct RRunCounts {
  int Stamped = 0;  // Office files given the watermark (saved, or printed)
  int Printed = 0;  // PDF files made and delivered
  int Copied = 0;   // other files copied
  int Skipped = 0;  // files passed over because their destination exists
  int Failed = 0;   // files that could not be handled (opened, stamped, saved, printed, copied)
  int Verified = 0;  // with Verify: files whose every page was seen to carry the mark
};

// The one place a run's progress is kept while it lasts: the count of actions done and
// planned, the current action and what became of the files. Every thread of a run (the run's
// own and its workers) changes and reads it only through these calls, each of which holds the
// sink's lock, so a reader always sees whole values, never a text half written.
//
// Show hands a snapshot taken under the lock to the run's display function, outside the lock
// (the display waits for the UI thread). Snapshots carry a serial number: a display shows a
// snapshot only when it is newer than the last one shown (Newer), so reports of several
// workers never move the display backwards.
class TRunProgress {
 public:
  struct Snapshot {
    std::uint64_t serial = 0;
    int done = 0;
    int total = 0;
    std::string action;
  };
  using ShowFn = std::function<void(const Snapshot&)>;

  explicit TRunProgress(ShowFn show = nullptr) : show_(std::move(show)) {}
  TRunProgress(const TRunProgress&) = delete;
  TRunProgress& operator=(const TRunProgress&) = delete;

  // A new count: total planned actions, none done.
  void Reset(int total);
  void SetAction(const std::string& action);
  void Advance(int steps = 1);
  // Shows the current state through the display function.
  void Show();
  // Show, but only once something has been done.
  void ShowIfBegun();
  Snapshot Take() const;

  // Adds to one of the file counts (&RRunCounts::Stamped, ...).
  void Count(int RRunCounts::*field, int delta = 1);
  // A PDF that was counted as printed did not reach its destination: a failure instead.
  void PrintLost();
  RRunCounts Counts() const;

  // For a display function: true (and remembered) when snapshot is newer than the last one
  // this sink let through. Any thread.
  bool Newer(const Snapshot& snapshot);

 private:
  ShowFn show_;
  mutable std::mutex mutex_;
  std::uint64_t serial_ = 0;
  int done_ = 0;
  int total_ = 0;
  std::string action_;
  RRunCounts counts_;
  std::uint64_t shown_ = 0;  // the serial last let through by Newer
};

}  // namespace stampwell
