// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/job.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <system_error>

#include "jobs/file_utils.h"
#include "pdf/pdf_stack.h"
#include "platform/message_sink.h"
#include "platform/message_target.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/window_messages.h"
#include "run/file_worker.h"
#include "run/job_display.h"
#include "run/job_log.h"
#include "run/job_pool.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

struct FolderEntry {
  std::string name;
  std::string key;  // lower-cased name: the listing order
  bool folder;
  bool special;  // neither folder nor regular file: FIFO, socket, device
  bool link;     // a symbolic link to a file
};

// The entries of a folder, hidden ones included, in a stable order: by name without regard
// to case (the order in which the original platform lists a folder), then by exact name.
// Symbolic links to folders are left out, so that a link cannot make the walk go round in
// circles; links to files are marked as links. Traces of earlier work (IsWorkFileName) are left out.
// A folder that cannot be read lists as empty.
std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    std::error_code typeEc;
    bool isLink = entry.is_symlink(typeEc);
    bool isFolder = entry.is_directory(typeEc);  // follows links
    if (typeEc) continue;
    if (isFolder && isLink) continue;
    bool isFile = entry.is_regular_file(typeEc);  // follows links
    if (typeEc) isFile = false;                   // a dangling link
    std::string name = entry.path().filename().string();
    if (name == "." || name == "..") continue;
    if (!isFolder && IsWorkFileName(name)) continue;
    if (!isFolder && !isFile && isLink && !entry.exists(typeEc)) continue;  // dangling link
    entries.push_back({name, LowerCase(name), isFolder, !isFolder && !isFile, isLink});
  }
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return a.key != b.key ? a.key < b.key : a.name < b.name;
  });
  return entries;
}

// The file a link leads to, when it lies inside root (both taken with every link resolved);
// nullopt for one outside (or one that cannot be resolved), with its target in *target.
std::optional<std::string> TargetInside(const std::string& link, const std::string& root,
                                        std::string* target) {
  std::error_code ec;
  const fs::path resolved = fs::canonical(link, ec);
  *target = ec ? fs::read_symlink(link, ec).string() : resolved.string();
  if (ec || resolved.empty()) return std::nullopt;
  const fs::path base = fs::canonical(root, ec);
  if (ec) return std::nullopt;
  const std::string prefix = base.string() + (base.string().back() == '/' ? "" : "/");
  if (resolved.string().rfind(prefix, 0) != 0) return std::nullopt;
  return resolved.string();
}

}  // namespace

TJob::TJob(const std::string& jobName, bool CreateSuspended, UiDispatcher* dispatcher)
    : TThread(CreateSuspended, dispatcher),
      JobName(jobName),
      progress_([this](const TRunProgress::Snapshot& s) { ShowProgress(s); }) {
  FreeOnTerminate = true;
  OnTerminate = [this] { JobTerminate(); };
  pdfStack_ = std::make_unique<TPDFStack>();
}

// The worker uses the members below; it must be gone before they are (it normally is: a
// running TJob keeps itself alive).
TJob::~TJob() {
  EndThread();
  pool_.reset();
  worker_.reset();
  if (lockFd_ >= 0) ::close(lockFd_);
  if (shardLockFd_ >= 0) ::close(shardLockFd_);
}

void TJob::AddItem(const std::string& Source, const std::string& Dest, const std::string& Kind) {
  items_.push_back({Source, Dest, Kind});
}

void TJob::SetControl(std::weak_ptr<MessageTarget> MainWindow, std::weak_ptr<JobDisplay> Display) {
  mainWindow_ = std::move(MainWindow);
  display_ = std::move(Display);
}

std::string TJob::DisplayText(const std::string& actionText) {
  constexpr std::size_t kShown = 50;
  if (Utf8Length(actionText) <= kShown) return actionText;
  return Utf8CutToChars(actionText, kShown) + "..";
}

// ---- the run -------------------------------------------------------------------------------

void TJob::Execute() {
  bool logOpen = false;
  if (!AcquireJobLock()) {
    refused_ = true;
    endedOnError_ = true;
    return;
  }
  // The lock goes with the run, however the run ends.
  struct LockRelease {
    int& fd;
    ~LockRelease() {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  } lockRelease{lockFd_}, shardLockRelease{shardLockFd_};
  try {
    InitRun();
    logOpen = true;
    if (Settings.PDF && !pdfStack_->PDFUsable) {
      WriteLog(kNoPdfPrinter, LineKind::Error);
      endedOnError_ = true;
      FinishRun();
      return;
    }
    CountItems();
    StartPool();
    for (const Item& item : items_) {
      if (Terminated()) break;
      itemSource_ = item.source;
      if (item.source.empty() || item.dest.empty()) break;
      if (item.kind == "Folder") {
        walkDest_ = item.dest;
        if (DirectoryExists(item.source))
          WalkFolder(item.source, item.dest);
        else
          // A folder that is not there (moved, renamed, a drive not mounted) is the user's to
          // know about, not a run that did nothing without a word.
          WriteLog("Error in " + item.source + ":the source folder does not exist",
                   LineKind::Error);
      } else {
        RunFileItem(item.source, item.dest);
      }
    }
    // A stopped run says so once, however deep in the walk the stop found it.
    if (Terminated()) {
      WriteStopLine();
      FinishRun();
      return;
    }
    EndPool();
    // Word shows a step before counting it, so the last report of a run can be one short;
    // a run that did something ends by showing its final count.
    progress_.ShowIfBegun();
    FinishRun();
  } catch (const std::exception& e) {
    if (!logOpen) throw;  // nothing was started; the thread records the error
    endedOnError_ = true;
    const std::string file = worker_ ? worker_->CurrentFile() : currentFile_;
    WriteLog("Error in " + file + ":" + e.what(), LineKind::Error);
    if (finishing_) {
      // The end itself failed past its guarded steps: at least close the log.
      if (log_) log_->CloseLog();
      log_.reset();
      Publish();
      return;
    }
    if (worker_) Guarded(file, [&] { worker_->CloseOpenDocument(); });
    FinishRun();
  }
}

void TJob::InitRun() {
  pdfStack_->InitStack();
  log_ = std::make_unique<TJobLog>(LogName());
  log_->OpenLog(true);
  // The run's lines reach its front end one at a time, whichever thread writes them.
  if (OnLine) {
    lines_ = [this, frontEnd = OnLine](LineKind kind, const std::string& text) {
      std::lock_guard lock(lineMutex_);
      frontEnd(kind, text);
    };
  }
  worker_ = std::make_unique<TFileWorker>(Settings, DocSettings, FileKinds, *pdfStack_, progress_,
                                          log_.get(), lines_);
  WriteLog(kHyphenLine, LineKind::Frame);
  WriteLog(kJobBegin, LineKind::Frame);
  std::lock_guard lock(endMutex_);
  logBegun_ = true;
}

void TJob::CountItems() {
  TotalCount = 0;
  countedOutputs_ = TOutputNames();
  const bool stamps = Settings.Doc || Settings.Xls || Settings.Ppt;
  for (const Item& item : items_) {
    if (item.source.empty() || item.dest.empty()) break;
    itemSource_ = item.source;
    if (item.kind == "Folder") {
      walkDest_ = item.dest;
      if (DirectoryExists(item.source)) CountFolder(item.source, item.dest);
    } else if (InShard(item.source)) {
      if (stamps) ++TotalCount;
      if (Settings.PDF) ++TotalCount;
    }
  }
  progress_.Reset(TotalCount);
  DoneCount = 0;
  const int shown = TotalCount;
  if (Terminated()) return;
  Synchronize([this, shown] {
    if (Terminated()) return;
    if (auto display = display_.lock()) display->SetProgressRange(0, shown);
  });
}

void TJob::CountFolder(const std::string& source, const std::string& dest) {
  for (const FolderEntry& entry : ListFolder(source)) {
    if (!entry.folder) continue;
    const std::string from = source + PathDelim + entry.name;
    if (!IsWalkDestination(from)) CountFolder(from, dest + PathDelim + entry.name);
  }
  // The files with the outputs the walk will give them (the same plan, made apart).
  for (const RPlannedFile& file :
       PlanFolderFiles(FileKinds, Settings, source, dest, FileNames(source), countedOutputs_)) {
    if (!InShard(file.source)) continue;
    TotalCount += TFileWorker::PlannedActions(FileKinds, Settings, file.source, file.dest, file.pdf);
  }
}

std::vector<std::string> TJob::FileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : ListFolder(folder))
    if (!entry.folder && !entry.special && !entry.link && entry.name[0] != '~')
      names.push_back(entry.name);
  return names;
}

void TJob::WalkFolder(const std::string& source, const std::string& dest) {
  const std::vector<FolderEntry> entries = ListFolder(source);
  // Every file of the folder has its outputs before the first is handled, so that a later
  // file's output never takes the name of an earlier one's, nor the reverse.
  std::vector<std::string> names;
  for (const FolderEntry& entry : entries)
    if (!entry.folder && !entry.special && !entry.link && entry.name[0] != '~')
      names.push_back(entry.name);
  const std::vector<RPlannedFile> planned =
      PlanFolderFiles(FileKinds, Settings, source, dest, names, outputs_);
  std::size_t next = 0;
  for (const FolderEntry& entry : entries) {
    if (Terminated()) return;  // the run writes the stop line
    const std::string from = source + PathDelim + entry.name;
    const std::string to = dest + PathDelim + entry.name;
    if (entry.folder) {
      if (IsWalkDestination(from)) continue;
      if (!DirectoryExists(to)) ForceDirectories(to);
      WalkFolder(from, to);
    } else if (entry.name[0] != '~') {
      if (entry.link) {
        PassOverLink(from);
      } else if (entry.special) {
        PassOverSpecial(from);
      } else {
        const RPlannedFile& file = planned[next++];
        if (!InShard(file.source)) continue;
        TellRenamed(file);
        ProcessFile(file.source, file.dest, file.pdf);
      }
    }
  }
}

void TJob::TellRenamed(const RPlannedFile& file) {
  if (file.plainPdf.empty()) return;
  WriteLog("PDF of " + file.source + " named " + file.pdf + ": " + file.plainPdf +
               " is another output of this run",
           LineKind::Notice);
}

void TJob::RunFileItem(const std::string& source, const std::string& dest) {
  if (!FileExists(source)) return;
  if (!IsRegularFile(source)) {
    PassOverSpecial(source);
    return;
  }
  const RPlannedFile file = PlanSingleFile(FileKinds, Settings, source, dest, outputs_);
  if (InShard(source)) TellRenamed(file);
  ProcessFile(file.source, file.dest, file.pdf);
}

void TJob::PassOverSpecial(const std::string& path) {
  if (!InShard(path)) return;  // another shard tells of it
  WriteLog("Passed over " + path + ": not a regular file (a FIFO, socket or device)",
           LineKind::Notice);
}

void TJob::PassOverLink(const std::string& path) {
  // A link inside the source folder leads to a file the walk handles where it lies: once,
  // as its target. One leading out of the folder is never followed: the job's files are
  // those of its folder, not whatever a link in it names.
  std::string target;
  if (TargetInside(path, itemSource_, &target)) return;
  if (!InShard(path)) return;  // another shard tells of it
  WriteLog("Passed over " + path + ": a link to " + target + ", outside " + itemSource_,
           LineKind::Notice);
}

bool TJob::IsWalkDestination(const std::string& folder) const {
  std::error_code ec;
  return !walkDest_.empty() && fs::equivalent(folder, walkDest_, ec) && !ec;
}

void TJob::ProcessFile(const std::string& source, const std::string& dest,
                       const std::string& pdf) {
  if (!InShard(source)) return;
  currentFile_ = source;
  if (pool_) {  // one of the workers handles it
    pool_->Submit(source, dest, pdf);
    return;
  }
  worker_->ProcessFile(source, dest, pdf);
}

// ---- the job's lock ------------------------------------------------------------------------

bool TJob::AcquireJobLock() {
  const std::string jobLog = "sw" + JobName + ".log";
  const std::string ownLog = "sw" + LogName() + ".log";
  if (!IsPlainFileName(jobLog) || !IsPlainFileName(ownLog)) {
    ShowMessage("The job \"" + JobName + "\" cannot be run under that name: a job name " +
                "cannot hold \"" + std::string(1, PathDelim) + "\"; rename the job");
    return false;
  }
  // The lock belongs to the job, whatever the shard: the job's log carries it, held alone by
  // a whole run and shared by the shards of a run, which may run side by side with one
  // another but never beside a whole run. A shard's own log is held alone besides, so that
  // one shard does not run twice at once. The locks go with the descriptors, so a run that
  // ends in any way (even killed) releases them.
  auto take = [&](const std::string& name, int how) {
    const int fd = ::open((ProgramDir() + name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return -2;  // no log can be written either; the run goes on without one
    if (::flock(fd, how | LOCK_NB) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  };
  const bool whole = Shard.Whole();
  const int jobFd = take(jobLog, whole ? LOCK_EX : LOCK_SH);
  const int shardFd = jobFd == -1 || whole ? -2 : take(ownLog, LOCK_EX);
  if (jobFd == -1 || shardFd == -1) {
    if (jobFd >= 0) ::close(jobFd);
    ShowMessage("The job \"" + JobName +
                "\" is already running; this run was not started. Wait for the other run to " +
                "end.");
    return false;
  }
  lockFd_ = jobFd;
  shardLockFd_ = shardFd;
  return true;
}

// ---- the end -------------------------------------------------------------------------------

template <typename Step>
void TJob::Guarded(const std::string& what, Step&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    WriteLog("Error in " + what + ":" + e.what(), LineKind::Error);
  }
}

void TJob::FinishRun() {
  finishing_ = true;
  EndPool();
  TFileWorker& worker = *worker_;
  if (pdfStack_->HasPrintItems) {
    // Every PDF already written reaches its destination before the sample is made; the
    // final flush runs even when the sample could not be printed.
    pdfStack_->ClearPreItems();
    Guarded("the closing sample page", [&] { worker.PrintSample(); });
    Guarded("the closing sample page", [&] { worker.CloseOpenDocument(); });
    pdfStack_->ClearPreItems();
    worker.ReportFlushErrors();
  }
  worker.QuitEngines();
  pdfStack_->ClearStack();
  items_.clear();
  WriteClosingLines();
  if (log_) {
    log_->CloseLog();
    log_.reset();
  }
  Publish();
}

void TJob::WriteStopLine() {
  std::lock_guard lock(endMutex_);
  if (stopLineWritten_ || logEnded_) return;
  stopLineWritten_ = true;
  WriteLog(kJobTerminated, LineKind::Frame);
}

void TJob::WriteClosingLines() {
  std::lock_guard lock(endMutex_);
  if (logEnded_) return;
  logEnded_ = true;
  WriteLog(kJobEnd, LineKind::Frame);
  WriteLog(kHyphenLine, LineKind::Frame);
}

void TJob::EndLogAtOnce() {
  // Held until the program has gone: the run's own end lines, if it gets to them, wait.
  endMutex_.lock();
  if (!logBegun_ || logEnded_) return;
  std::vector<std::string> lines;
  if (!stopLineWritten_) lines.push_back(kJobTerminated);
  lines.push_back(kJobEnd);
  lines.push_back(kHyphenLine);
  stopLineWritten_ = logEnded_ = true;
  TJobLog log(LogName());
  if (log.OpenLog(true)) log.WriteLastLines(lines);
}

void TJob::Publish() {
  const TRunProgress::Snapshot now = progress_.Take();
  DoneCount = now.done;
  Counts = progress_.Counts();
}

// ---- UI thread -----------------------------------------------------------------------------

void TJob::ShowProgress(const TRunProgress::Snapshot& snapshot) {
  // On the runner's own thread this is a check point: a suspended run pauses here, after
  // showing its state (BeforePause).
  if (Terminated()) return;  // the display may already be gone
  Synchronize([this, &snapshot] {
    if (Terminated()) return;
    std::lock_guard lock(displayMutex_);
    if (!progress_.Newer(snapshot)) return;  // a later report has been shown
    auto display = display_.lock();
    if (!display) return;
    const std::string text = DisplayText(snapshot.action);
    display->SetActionText(snapshot.action);
    display->SetActionCaption(text);
    display->SetStatusPanelText(text);
    display->SetProgressPosition(snapshot.done);
    display->SetStatusCaption(std::to_string(snapshot.done) + " of " +
                              std::to_string(snapshot.total));
  });
}

void TJob::BeforePause() { progress_.ShowIfBegun(); }

void TJob::JobTerminate() {
  if (auto target = mainWindow_.lock()) target->PostMessage(WM_JOBEND, 0, 0);
}

void TJob::WriteLog(const std::string& text, LineKind kind) {
  if (log_) log_->WriteLog(text);
  if (lines_) lines_(kind, TJobLog::EscapeLine(text));
}

}  // namespace stampwell
