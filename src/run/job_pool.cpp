#include "run/job_pool.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>
#include <system_error>

#include "jobs/file_utils.h"
#include "office/doc_water_mark.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"
#include "pdf/pdf_printer.h"
#include "pdf/pdf_stack.h"
#include "platform/core_claim.h"
#include "platform/paths.h"
#include "run/job.h"
#include "run/job_log.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

// Numbers the workers' PDF folders of this process: runs side by side never share one.
std::atomic<unsigned> g_workerFolders{0};

// Moves what a worker's PDF folder still holds into the printer's output folder (never over
// a file there), then removes the worker's folder when it is empty.
void ReturnLeftovers(const std::string& workerDir, const std::string& outputDir) {
  if (workerDir.empty()) return;
  std::error_code ec;
  for (fs::directory_iterator it(workerDir, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    const fs::path target = fs::path(outputDir) / it->path().filename();
    std::error_code existsEc;
    if (!fs::exists(target, existsEc)) {
      std::error_code renameEc;
      fs::rename(it->path(), target, renameEc);
    }
  }
  std::error_code removeEc;
  fs::remove(workerDir, removeEc);  // only when empty
}

}  // namespace

// ---- TJob's side ---------------------------------------------------------------------------

std::string TJob::LogName() const {
  return Shard.Whole() ? JobName : JobName + ".shard-" + std::to_string(Shard.Index);
}

bool TJob::InShard(const std::string& source) const {
  if (Shard.Whole()) return true;
  const std::string& root = itemSource_;
  std::string relative;
  if (!root.empty() && source.size() > root.size() + 1 &&
      source.compare(0, root.size(), root) == 0 && source[root.size()] == PathDelim)
    relative = source.substr(root.size() + 1);
  else
    relative = ExtractFileName(source);  // a single-file entry
  return ShardOf(relative, Shard.Count) == Shard.Index;
}

void TJob::StartPool() {
  const int workers = TJobPool::Resolve(Settings.Workers);
  // A shard printing PDF files takes a worker even alone: its PDF folder is then its own,
  // so shards run side by side on one machine never take each other's PDF files.
  if (workers > 1 || (!Shard.Whole() && Settings.PDF))
    pool_ = std::make_unique<TJobPool>(*this, workers);
}

void TJob::EndPool() {
  if (!pool_) return;
  pool_->Finish();
  pool_.reset();
}

// ---- the pool ------------------------------------------------------------------------------

int TJobPool::Resolve(int workers) {
  if (workers > 0) return workers;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

TJobPool::TJobPool(TJob& run, int workers) : run_(run), ownCores_(TCoreClaim::Wanted(workers)) {
  const std::string outputDir = run.PDFStack->PDFOutputDir;
  for (int i = 0; i < workers; ++i) {
    auto worker = std::make_unique<Worker>();
    // A unit is never started: its thread object only lends the runner's single-file path.
    auto unit = std::make_shared<TJob>(run.JobName, true);
    unit->Settings = run.Settings;
    unit->DocSettings = run.DocSettings;
    unit->owner_ = this;
    unit->WordEngine = std::make_unique<TDocWaterMark>();
    unit->ExcelEngine = std::make_unique<TXlsWaterMark>();
    unit->PptEngine = std::make_unique<TPptWaterMark>();
    unit->WordEngine->PDFStack = unit->PDFStack.get();
    unit->ExcelEngine->PDFStack = unit->PDFStack.get();
    unit->PptEngine->PDFStack = unit->PDFStack.get();
    unit->PDFStack->InitStack();
    if (run.Settings.PDF && !outputDir.empty()) {
      worker->pdfDir = outputDir + PathDelim + ".stampwell-worker-" +
                       std::to_string(::getpid()) + "-" + std::to_string(++g_workerFolders);
      std::error_code ec;
      fs::create_directories(worker->pdfDir, ec);
      unit->PDFStack->PDFOutputDir = worker->pdfDir;
    }
    unit->Log = std::make_unique<TJobLog>(run.LogName());
    unit->Log->OpenLog(true);
    unit->OnLine = run.OnLine;  // made one at a time below
    worker->unit = std::move(unit);
    workers_.push_back(std::move(worker));
  }
  // The run's lines reach its front end one at a time, whichever thread writes them; the
  // run gets its own hook back in Finish.
  if (run.OnLine) {
    frontEnd_ = run.OnLine;
    auto oneAtATime = [this](TJob::LineKind kind, const std::string& text) {
      std::lock_guard lock(lineMutex_);
      frontEnd_(kind, text);
    };
    run.OnLine = oneAtATime;
    for (auto& worker : workers_) worker->unit->OnLine = oneAtATime;
  }
  for (auto& worker : workers_) {
    Worker* w = worker.get();
    w->thread = std::thread([this, w] { Serve(*w); });
  }
}

TJobPool::~TJobPool() { Finish(); }

void TJobPool::Submit(const std::string& source, const std::string& dest) {
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (queue_.size() < workers_.size()) {
        queue_.push_back({source, dest});
        lock.unlock();
        changed_.notify_all();
        return;
      }
      changed_.wait_for(lock, std::chrono::milliseconds(100));
    }
    // Outside the lock: on the run's thread this is also where a suspended run pauses.
    if (run_.Terminated()) return;
  }
}

void TJobPool::Finish() {
  if (finished_) return;
  finished_ = true;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    if (run_.Terminated()) queue_.clear();  // files not begun are not handled
  }
  changed_.notify_all();
  for (auto& worker : workers_)
    if (worker->thread.joinable()) worker->thread.join();
  if (frontEnd_) run_.OnLine = frontEnd_;
  // What became of the files: the workers' counts are the run's.
  for (auto& worker : workers_) {
    const TJob::RunCounts& c = worker->unit->Counts;
    run_.Counts.Stamped += c.Stamped;
    run_.Counts.Printed += c.Printed;
    run_.Counts.Copied += c.Copied;
    run_.Counts.Skipped += c.Skipped;
    run_.Counts.Failed += c.Failed;
  }
}

void TJobPool::Serve(Worker& worker) {
  // Taken before the worker's first office process starts, which then runs on the same core;
  // given back after the last one has quit.
  const std::unique_ptr<TCoreClaim> core = ownCores_ ? TCoreClaim::Take() : nullptr;
  SetThreadPdfOutputDir(worker.pdfDir);
  for (;;) {
    Task task;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return !queue_.empty() || closing_; });
      if (queue_.empty()) break;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    changed_.notify_all();  // a place in the queue is free
    if (run_.Terminated()) continue;  // stopped: only files in hand are finished
    HandleFile(worker, task);
  }
  EndWorker(worker);
  SetThreadPdfOutputDir("");
}

void TJobPool::HandleFile(Worker& worker, const Task& task) {
  TJob& unit = *worker.unit;
  try {
    unit.ProcessFile(task.source, task.dest);
  } catch (...) {
    // This file's failure alone: its document is closed unsaved, the worker goes on.
    std::string message = "unknown error";
    try {
      throw;
    } catch (const std::exception& e) {
      message = e.what();
    } catch (...) {
    }
    run_.endedOnError_ = true;
    unit.WriteLog("Error in " + task.source + ":" + message, TJob::LineKind::Error);
    ++unit.Counts.Failed;
    try {
      unit.CloseOpenDocument();
    } catch (...) {
    }
  }
  std::lock_guard lock(reportMutex_);
  Collect(worker);
}

void TJobPool::EndWorker(Worker& worker) {
  TJob& unit = *worker.unit;
  auto guarded = [&](const std::string& what, auto&& step) {
    try {
      step();
    } catch (const std::exception& e) {
      unit.WriteLog("Error in " + what + ":" + e.what(), TJob::LineKind::Error);
    }
  };
  // The worker's prints are complete when the print returns: every one can be moved now.
  if (unit.PDFStack->HasPrintItems) {
    guarded("PDF", [&] { unit.PDFStack->ClearPreItems(); });
    unit.ReportFlushErrors();
  }
  if (unit.WordEngine->AppStarted()) guarded("Word", [&] { unit.WordEngine->CloseWordApp(); });
  if (unit.ExcelEngine->AppStarted())
    guarded("Excel", [&] { unit.ExcelEngine->CloseExcelApp(); });
  if (unit.PptEngine->AppStarted())
    guarded("PowerPoint", [&] { unit.PptEngine->ClosePptApp(); });
  unit.PDFStack->ClearStack();
  ReturnLeftovers(worker.pdfDir, run_.PDFStack->PDFOutputDir);
  if (unit.Log) unit.Log->CloseLog();
}

void TJobPool::Collect(Worker& worker) {
  const int done = worker.unit->DoneCount;
  run_.DoneCount += done - worker.reported;
  worker.reported = done;
}

TJobPool::Worker& TJobPool::WorkerOf(const TJob& unit) {
  for (auto& worker : workers_)
    if (worker->unit.get() == &unit) return *worker;
  std::terminate();  // only units of this pool report to it
}

void TJobPool::ShowProgress(TJob& unit) {
  std::lock_guard lock(reportMutex_);
  Collect(WorkerOf(unit));
  run_.ActionText = unit.ActionText;
  run_.UpdateProgress();
}

}  // namespace stampwell
