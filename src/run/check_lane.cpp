// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/check_lane.h"

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "pdf/pdf_printer.h"
#include "pdf/pdf_stack.h"
#include "platform/core_claim.h"
#include "run/job_log.h"
#include "run/job_pool.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

// A folder of the lane's own for the PDFs its checks print; never a destination.
std::string MakeLaneFolder() {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / "stampwell-check-XXXXXX").string();
  if (ec || !::mkdtemp(pattern.data()))
    throw std::runtime_error("no temporary folder for the checks' PDF files could be made");
  return pattern;
}

// The most files waiting for their checks. A check costs more than a stamp on average, and a
// file with embedded objects or a page that needs a second look costs as much as ten stamps:
// room for as many lets the worker go on meanwhile, and what a stopped run still checks stays
// a few seconds' work.
constexpr std::size_t kWaiting = 8;

}  // namespace

bool TCheckLane::Wanted(const RFacts& facts) {
  if (facts.setting && std::strcmp(facts.setting, "0") == 0) return false;
  if (facts.setting && std::strcmp(facts.setting, "1") == 0) return true;
  return facts.workers < facts.cores && !facts.quotaBelowCores && !facts.pinned;
}

bool TCheckLane::Wanted(const RJobSettings& settings) {
  const TCoreClaim::RFacts cores = TCoreClaim::Facts();
  RFacts facts;
  facts.workers = TJobPool::Resolve(settings.Workers);
  facts.cores = cores.cores;
  facts.quotaBelowCores = cores.quotaBelowCores;
  facts.pinned = TCoreClaim::Wanted(facts.workers, cores);
  facts.setting = std::getenv("STAMPWELL_CHECK_ASIDE");
  return Wanted(facts);
}

TCheckLane::TCheckLane(const RJobSettings& settings, const RDocSettings& docSettings,
                       const std::vector<RFileKind>& kinds, TRunProgress& progress,
                       const std::string& logFile, TFileWorker::LineFn onLine)
    : folder_(MakeLaneFolder()), progress_(progress) {
  pdfStack_ = std::make_unique<TPDFStack>();
  pdfStack_->InitStack();
  pdfStack_->PDFOutputDir = folder_;
  if (!logFile.empty()) {
    log_ = std::make_unique<TJobLog>(std::string());
    log_->FileName = logFile;
    if (!log_->OpenLog(true)) log_.reset();
  }
  checker_ = std::make_unique<TFileWorker>(settings, docSettings, kinds, *pdfStack_, progress,
                                           log_.get(), std::move(onLine));
  thread_ = std::thread([this] { Serve(); });
}

TCheckLane::~TCheckLane() {
  Finish();
  std::error_code ec;
  fs::remove_all(folder_, ec);
}

void TCheckLane::Submit(const RFileKind& kind, const std::string& source,
                        const std::string& output, bool isPdf) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return queue_.size() < kWaiting; });
  queue_.push_back({&kind, source, output, isPdf});
  lock.unlock();
  changed_.notify_all();
}

void TCheckLane::Finish() {
  if (finished_) return;
  finished_ = true;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  if (log_) log_->CloseLog();
}

void TCheckLane::Serve() {
  // The checks' prints go to the lane's folder, whatever the run's printer folder is.
  SetThreadPdfOutputDir(folder_);
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
    try {
      checker_->CheckOutput(*task.kind, task.source, task.output, task.isPdf);
    } catch (...) {
      // CheckOutput tells the reasons it knows of; whatever else ends a check fails that file.
      checker_->WriteLog("Error in " + task.source + ":it could not be verified",
                         RunLineKind::Error);
      progress_.Count(&RRunCounts::Failed);
      try {
        checker_->CloseOpenDocument();
      } catch (...) {
      }
    }
  }
  // The engines quit on the thread that started their office processes.
  checker_->QuitEngines();
  pdfStack_->ClearStack();
  SetThreadPdfOutputDir("");
}

}  // namespace stampwell
