// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
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

// What the workers of a run need from it. Everything referred to outlives the pool.
struct RPoolRun {
  RJobSettings settings;
  RDocSettings docSettings;
  const std::vector<RFileKind>* kinds = nullptr;
  std::string logName;               // each worker appends to this log through its own opening
  std::string pdfOutputDir;          // the PDF printer's output folder; empty without one
  TRunProgress* progress = nullptr;  // the run's sink: counts, action, display
  TFileWorker::LineFn lines;         // the run's front end, one line at a time (may be empty)
  std::function<bool()> stopped;     // the run's stop flag; on the run's thread a check point
  std::function<void()> failed;      // an error escaped a file: the run ends on an error
};

// The workers of a run with several (TJob, Settings.Workers above 1). The run's own thread
// walks the entries as always and hands each file it would handle to Submit; each worker is
// a thread of its own with a TFileWorker: its own engines, Office processes, PDF stack and
// log opening, handling the file exactly as a run with one worker does.
//
// - Each file is handled by exactly one worker; at most one file per worker waits, so a
//   stop leaves little undone and the walk never runs far ahead.
// - Log lines are whole: every worker appends to the run's log through its own opening, and
//   each line is a single append.
// - A stop (the run's stop flag) lets every worker finish the file in hand; files not yet
//   begun are dropped. An error that escapes a file is logged for that file alone, its
//   document is closed unsaved, and the worker goes on; the run then ends on an error.
// - PDF output: each worker's prints go into a folder of its own inside the printer's output
//   folder (see SetThreadPdfOutputDir), from which its own PDF stack moves them; so two files
//   of the same name in different folders never meet. What is left there at the end (a copy
//   that failed) is moved up into the output folder, where a run with one worker leaves it.
// - Progress and counts go to the run's sink, under its lock.
// - With two or more workers and a core for each (TCoreClaim::Wanted), each worker holds a
//   core of its own for the run, and its office processes, started from its thread, run
//   there too; a worker that finds no free core runs where the scheduler puts it.
// - A suspended run stops handing out files; the workers finish those already handed over
//   (one each at most) and then wait.
class TJobPool {
 public:
  TJobPool(RPoolRun run, int workers);
  // Ends the workers (as Finish) if Finish was not called.
  ~TJobPool();
  TJobPool(const TJobPool&) = delete;
  TJobPool& operator=(const TJobPool&) = delete;

  // The most workers a run has, whatever its setting asks for (each one holds office
  // processes of its own).
  static constexpr int kMaxWorkers = 256;
  // The number of workers a setting asks for: 0 or less means one per processor core; never
  // more than kMaxWorkers.
  static int Resolve(int workers);

  // Hands one file to the next free worker, starting another worker (up to the number the
  // pool was made for) when none is free: a run over few files starts few workers. Waits
  // while every worker has a file waiting.
  // Returns without handing it over once the run's stop flag is set. Run's thread only.
  void Submit(const std::string& source, const std::string& dest, const std::string& pdf);
  // Waits until the files handed over are done (or, after a stop, the files in hand), then
  // lets every worker collect its PDF files and quit its Office applications. Run's thread
  // only; later calls do nothing.
  void Finish();

  // The workers started so far.
  std::size_t Size() const { return workers_.size(); }

 private:
  struct Worker {
    std::unique_ptr<TPDFStack> pdfStack;
    std::unique_ptr<TJobLog> log;
    std::unique_ptr<TFileWorker> files;
    std::thread thread;
    std::string pdfDir;  // its own PDF output folder; empty for a job without PDF
  };
  struct Task {
    std::string source;
    std::string dest;
    std::string pdf;  // the PDF file the document gets (empty: dest with ".pdf")
  };

  void StartWorker();
  void Serve(Worker& worker);
  void HandleFile(Worker& worker, const Task& task);
  void EndWorker(Worker& worker);

  RPoolRun run_;
  std::vector<std::unique_ptr<Worker>> workers_;

  std::mutex mutex_;  // queue_, closing_
  std::condition_variable changed_;
  std::deque<Task> queue_;
  bool closing_ = false;
  std::size_t idle_ = 0;   // workers waiting for a file
  std::size_t limit_ = 1;  // the most workers to start
  bool finished_ = false;
  bool ownCores_ = false;  // each worker claims a core of its own
};

}  // namespace stampwell
