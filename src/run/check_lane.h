// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "jobs/job_settings.h"
#include "run/file_kinds.h"
#include "run/file_worker.h"
#include "run/run_progress.h"

namespace stampwell {

class TJobLog;
class TPDFStack;

// The checks of a worker's saved files (Verify), made on a thread of their own while the
// worker goes on: a second office opens the file just saved, prints it and its pages are
// looked at, as the worker's own office stamps the next file. The lane has a TFileWorker of
// its own (engines and office processes, a PDF stack and printer folder of its own, its own
// opening of the run's log) and gives each file its "Verified" or "Error in" line and its
// counts as the worker would have, only later.
//
// - A few files wait at most (eight): Submit waits for room, so the worker never runs far
//   ahead of its checks, and a stopped run still checks a few seconds' work.
// - Finish waits until every file handed over is checked, then quits the lane's engines. A
//   stopped run's files already saved are checked all the same: they were written.
// - A check that fails in a way the check itself does not report is that file's error line
//   and failure, never the run's end.
class TCheckLane {
 public:
  // logFile: the run's log, opened again by the lane (empty: no log). Everything given must
  // outlive the lane.
  TCheckLane(const RJobSettings& settings, const RDocSettings& docSettings,
             const std::vector<RFileKind>& kinds, TRunProgress& progress,
             const std::string& logFile, TFileWorker::LineFn onLine);
  // Finishes (as Finish) if Finish was not called.
  ~TCheckLane();
  TCheckLane(const TCheckLane&) = delete;
  TCheckLane& operator=(const TCheckLane&) = delete;

  // Hands over the check of source's output (the saved file, or with isPdf the PDF printed
  // at its destination); waits while the most files that may wait are waiting.
  void Submit(const RFileKind& kind, const std::string& source, const std::string& output,
              bool isPdf);
  // Waits for the checks handed over, then quits the lane's engines. Later calls do nothing.
  void Finish();

  // What the rule looks at.
  struct RFacts {
    int workers = 1;                // the run's workers
    int cores = 0;                  // cores this process may run on
    bool quotaBelowCores = false;   // a processor quota cuts them
    bool pinned = false;            // each worker holds a core of its own
    const char* setting = nullptr;  // STAMPWELL_CHECK_ASIDE, null when unset
  };
  // Whether a run's checks are made aside: only when the machine has a core the run's
  // workers leave free (every check then runs beside a stamp, where it would otherwise
  // follow it), and not when the workers hold a core each (a lane started from a pinned
  // worker would share its core). The environment decides instead when it says
  // STAMPWELL_CHECK_ASIDE=0 (never) or 1 (always).
  static bool Wanted(const RFacts& facts);
  static bool Wanted(const RJobSettings& settings);

 private:
  struct Task {
    const RFileKind* kind = nullptr;
    std::string source;
    std::string output;
    bool isPdf = false;
  };
  void Serve();

  std::string folder_;  // the lane's printer folder, removed at the end
  std::unique_ptr<TPDFStack> pdfStack_;
  std::unique_ptr<TJobLog> log_;
  std::unique_ptr<TFileWorker> checker_;
  TRunProgress& progress_;

  std::mutex mutex_;  // queue_, closing_
  std::condition_variable changed_;
  std::deque<Task> queue_;
  bool closing_ = false;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace stampwell
