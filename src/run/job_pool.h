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

#include "run/job.h"

namespace stampwell {

// The workers of a run with several (TJob, Settings.Workers above 1). The run's own thread
// walks the entries as always and hands each file it would handle to Submit; each worker is
// a thread of its own with a unit: a TJob that is never started, whose engines, Office
// processes, PDF bookkeeping and log opening serve only that worker, and whose single-file
// path (ProcessFile) handles the file exactly as a run with one worker does.
//
// - Each file is handled by exactly one worker; at most one file per worker waits, so a
//   stop leaves little undone and the walk never runs far ahead.
// - Log lines are whole: every unit appends to the run's log through its own opening, and
//   each line is a single append.
// - A stop (the run's stop flag) lets every worker finish the file in hand; files not yet
//   begun are dropped. An error that escapes a file is logged for that file alone, its
//   document is closed unsaved, and the worker goes on; the run then ends on an error.
// - PDF output: each worker's prints go into a folder of its own inside the printer's output
//   folder (see SetThreadPdfOutputDir), from which its own PDF stack moves them; so two files
//   of the same name in different folders never meet. What is left there at the end (a copy
//   that failed) is moved up into the output folder, where a run with one worker leaves it.
// - Progress is shown through the run: its DoneCount is the sum over the workers.
// - With two or more workers and a core for each (TCoreClaim::Wanted), each worker holds a
//   core of its own for the run, and its office processes, started from its thread, run
//   there too; a worker that finds no free core runs where the scheduler puts it.
// - A suspended run stops handing out files; the workers finish those already handed over
//   (one each at most) and then wait.
class TJobPool {
 public:
  TJobPool(TJob& run, int workers);
  // Ends the workers (as Finish) if Finish was not called.
  ~TJobPool();
  TJobPool(const TJobPool&) = delete;
  TJobPool& operator=(const TJobPool&) = delete;

  // The number of workers a setting asks for: 0 or less means one per processor core.
  static int Resolve(int workers);

  // Hands one file to the next free worker; waits while every worker has a file waiting.
  // Returns without handing it over once the run's stop flag is set. Run's thread only.
  void Submit(const std::string& source, const std::string& dest);
  // Waits until the files handed over are done (or, after a stop, the files in hand), then
  // lets every worker collect its PDF files and quit its Office applications, and adds the
  // workers' counts to the run. Run's thread only; later calls do nothing.
  void Finish();

  // A unit's progress report: the run's count grows by what the unit has done since its
  // last report and the run shows the unit's action. Reports are shown one at a time.
  void ShowProgress(TJob& unit);

  std::size_t Size() const { return workers_.size(); }

 private:
  struct Worker {
    std::shared_ptr<TJob> unit;
    std::thread thread;
    std::string pdfDir;  // its own PDF output folder; empty for a job without PDF
    int reported = 0;    // the unit's DoneCount already added to the run's
  };
  struct Task {
    std::string source;
    std::string dest;
  };

  void Serve(Worker& worker);
  void HandleFile(Worker& worker, const Task& task);
  void EndWorker(Worker& worker);
  // Adds what the unit did since its last report to the run's count. Under reportMutex_.
  void Collect(Worker& worker);
  Worker& WorkerOf(const TJob& unit);

  TJob& run_;
  std::vector<std::unique_ptr<Worker>> workers_;

  std::mutex mutex_;  // queue_, closing_
  std::condition_variable changed_;
  std::deque<Task> queue_;
  bool closing_ = false;
  bool finished_ = false;
  bool ownCores_ = false;  // each worker claims a core of its own

  std::mutex reportMutex_;  // the run's DoneCount, ActionText and display while workers run
  std::mutex lineMutex_;    // frontEnd_
  std::function<void(TJob::LineKind, const std::string&)> frontEnd_;  // the run's own OnLine
};

}  // namespace stampwell
