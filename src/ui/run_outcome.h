// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace stampwell {

// What one run came to, as the windows tell it: taken from the runner when it ends (or when
// the user cancels it), and worded the same way in the status bar and the progress window.
struct TRunOutcome {
  bool ended = false;      // the runner has ended; its counts are final
  bool cancelled = false;  // the user stopped it
  bool endedOnError = false;  // the run itself could not go on (not one file's failure)
  int done = 0;            // steps done, of total (what the progress counter shows)
  int total = 0;
  int stamped = 0, printed = 0, copied = 0, skipped = 0, failed = 0;

  // The files the run went through: a stamped file that is also printed counts once.
  int Files() const;
  // "Completed", "Completed: 3 of 30 files failed", "Cancelled after 7 of 30",
  // "Nothing to do: 30 destinations exist", "Stopped by an error".
  QString Headline() const;
  // "stamped 3, printed 0, copied 2, skipped 0, failed 1".
  QString Summary() const;
};

}  // namespace stampwell
