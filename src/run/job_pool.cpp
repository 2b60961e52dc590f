// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/job_pool.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>
#include <system_error>

#include "jobs/file_utils.h"
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
  if (Settings.Workers > TJobPool::kMaxWorkers)
    WriteLog("Workers=" + std::to_string(Settings.Workers) + " is more than " +
                 std::to_string(TJobPool::kMaxWorkers) + ": the run has at most " +
                 std::to_string(TJobPool::kMaxWorkers) + " workers",
             LineKind::Notice);
  // A shard printing PDF files takes a worker even alone: its PDF folder is then its own,
  // so shards run side by side on one machine never take each other's PDF files.
  if (workers > 1 || (!Shard.Whole() && Settings.PDF)) {
    RPoolRun run;
    run.settings = Settings;
    run.docSettings = DocSettings;
    run.kinds = &FileKinds;
    run.logName = LogName();
    run.pdfOutputDir = pdfStack_->PDFOutputDir;
    run.progress = &progress_;
    run.lines = lines_;
    run.stopped = [this] { return Terminated(); };
    run.failed = [this] { endedOnError_ = true; };
    pool_ = std::make_unique<TJobPool>(std::move(run), workers);
  }
}

void TJob::EndPool() {
  if (!pool_) return;
  pool_->Finish();
  pool_.reset();
}

// ---- the pool ------------------------------------------------------------------------------

int TJobPool::Resolve(int workers) {
  if (workers > kMaxWorkers) return kMaxWorkers;
  if (workers > 0) return workers;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

TJobPool::TJobPool(RPoolRun run, int workers)
    : run_(std::move(run)),
      limit_(static_cast<std::size_t>(std::clamp(workers, 1, kMaxWorkers))),
      ownCores_(TCoreClaim::Wanted(workers)) {}

void TJobPool::StartWorker() {
  auto worker = std::make_unique<Worker>();
  worker->pdfStack = std::make_unique<TPDFStack>();
  worker->pdfStack->InitStack();
  if (run_.settings.PDF && !run_.pdfOutputDir.empty()) {
    worker->pdfDir = run_.pdfOutputDir + PathDelim + ".stampwell-worker-" +
                     std::to_string(::getpid()) + "-" + std::to_string(++g_workerFolders);
    std::error_code ec;
    fs::create_directories(worker->pdfDir, ec);
    worker->pdfStack->PDFOutputDir = worker->pdfDir;
  }
  worker->log = std::make_unique<TJobLog>(run_.logName);
  worker->log->OpenLog(true);
  worker->files = std::make_unique<TFileWorker>(run_.settings, run_.docSettings, *run_.kinds,
                                                *worker->pdfStack, *run_.progress,
                                                worker->log.get(), run_.lines);
  Worker* w = worker.get();
  workers_.push_back(std::move(worker));
  w->thread = std::thread([this, w] { Serve(*w); });
}

TJobPool::~TJobPool() { Finish(); }

void TJobPool::Submit(const std::string& source, const std::string& dest,
                      const std::string& pdf) {
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      // Another worker only when the files waiting outnumber the workers free for them.
      const bool start = queue_.size() >= idle_ && workers_.size() < limit_;
      if (start || queue_.size() < workers_.size()) {
        queue_.push_back({source, dest, pdf});
        lock.unlock();
        if (start) StartWorker();
        changed_.notify_all();
        return;
      }
      changed_.wait_for(lock, std::chrono::milliseconds(100));
    }
    // Outside the lock: on the run's thread this is also where a suspended run pauses.
    if (run_.stopped()) return;
  }
}

void TJobPool::Finish() {
  if (finished_) return;
  finished_ = true;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    if (run_.stopped()) queue_.clear();  // files not begun are not handled
  }
  changed_.notify_all();
  for (auto& worker : workers_)
    if (worker->thread.joinable()) worker->thread.join();
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
      ++idle_;
      changed_.wait(lock, [&] { return !queue_.empty() || closing_; });
      --idle_;
      if (queue_.empty()) break;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    changed_.notify_all();         // a place in the queue is free
    if (run_.stopped()) continue;  // stopped: only files in hand are finished
    HandleFile(worker, task);
  }
  EndWorker(worker);
  SetThreadPdfOutputDir("");
}

void TJobPool::HandleFile(Worker& worker, const Task& task) {
  TFileWorker& files = *worker.files;
  try {
    files.ProcessFile(task.source, task.dest, task.pdf);
  } catch (...) {
    // This file's failure alone: its document is closed unsaved, the worker goes on.
    std::string message = "unknown error";
    try {
      throw;
    } catch (const std::exception& e) {
      message = e.what();
    } catch (...) {
    }
    if (run_.failed) run_.failed();
    files.WriteLog("Error in " + task.source + ":" + message, RunLineKind::Error);
    run_.progress->Count(&RRunCounts::Failed);
    try {
      files.CloseOpenDocument();
    } catch (...) {
    }
  }
}

void TJobPool::EndWorker(Worker& worker) {
  TFileWorker& files = *worker.files;
  // The worker's prints are complete when the print returns: every one can be moved now.
  if (worker.pdfStack->HasPrintItems) {
    try {
      worker.pdfStack->ClearPreItems();
    } catch (const std::exception& e) {
      files.WriteLog(std::string("Error in PDF:") + e.what(), RunLineKind::Error);
    }
    files.ReportFlushErrors();
  }
  files.QuitEngines();
  worker.pdfStack->ClearStack();
  ReturnLeftovers(worker.pdfDir, run_.pdfOutputDir);
  worker.log->CloseLog();
}

}  // namespace stampwell
