#include "run/job.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include "jobs/file_utils.h"
#include "office/doc_water_mark.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"
#include "pdf/pdf_stack.h"
#include "platform/message_sink.h"
#include "platform/message_target.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/window_messages.h"
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
};

// The entries of a folder, hidden ones included, in a stable order: by name without regard
// to case (the order in which the original platform lists a folder), then by exact name.
// Symbolic links to folders are left out, so that a link cannot make the walk go round in
// circles; links to files are files. Traces of earlier work (IsWorkFileName) are left out.
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
    entries.push_back({name, LowerCase(name), isFolder, !isFolder && !isFile});
  }
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return a.key != b.key ? a.key < b.key : a.name < b.name;
  });
  return entries;
}

void ForceDirectories(const std::string& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  fs::create_directories(folder, ec);
}

}  // namespace

TJob::TJob(const std::string& jobName, bool CreateSuspended, UiDispatcher* dispatcher)
    : TThread(CreateSuspended, dispatcher), JobName(jobName) {
  FreeOnTerminate = true;
  OnTerminate = [this] { JobTerminate(); };
  PDFStack = std::make_unique<TPDFStack>();
}

// The worker uses the members below; it must be gone before they are (it normally is: a
// running TJob keeps itself alive).
TJob::~TJob() {
  EndThread();
  if (lockFd_ >= 0) ::close(lockFd_);
}

void TJob::AddItem(const std::string& Source, const std::string& Dest, const std::string& Kind) {
  Sources.push_back(Source);
  Dests.push_back(Dest);
  Kinds.push_back(Kind);
}

void TJob::SetControl(std::weak_ptr<MessageTarget> MainWindow, std::weak_ptr<JobDisplay> Display) {
  mainWindow_ = std::move(MainWindow);
  display_ = std::move(Display);
}

std::string TJob::DisplayText(const std::string& actionText) {
  constexpr int kShown = 50;
  int characters = 0;
  for (std::size_t i = 0; i < actionText.size(); ++i) {
    // A character starts at every byte that is not a UTF-8 continuation byte.
    if ((static_cast<unsigned char>(actionText[i]) & 0xC0) != 0x80) {
      if (characters == kShown) return actionText.substr(0, i) + "..";
      ++characters;
    }
  }
  return actionText;
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
  } lockRelease{lockFd_};
  try {
    InitRun();
    logOpen = true;
    if (Settings.PDF && !PDFStack->PDFUsable) {
      WriteLog(kNoPdfPrinter, LineKind::Error);
      endedOnError_ = true;
      FinishRun();
      return;
    }
    CountItems();
    StartPool();
    for (std::size_t i = 0; i < Sources.size(); ++i) {
      currentSource_ = Sources[i];
      currentDest_ = Dests[i];
      currentKind_ = Kinds[i];
      itemSource_ = currentSource_;
      if (currentSource_.empty() || currentDest_.empty()) break;
      if (currentKind_ == "Folder") {
        walkDest_ = currentDest_;
        if (DirectoryExists(currentSource_)) WalkFolder(currentSource_, currentDest_);
      } else {
        RunFileItem(currentSource_, currentDest_);
      }
      if (Terminated()) {
        WriteLog(kJobTerminated, LineKind::Frame);
        FinishRun();
        return;
      }
    }
    EndPool();
    // Word shows a step before counting it, so the last report of a run can be one short;
    // a run that did something ends by showing its final count.
    if (DoneCount > 0) UpdateProgress();
    FinishRun();
  } catch (const std::exception& e) {
    if (!logOpen) throw;  // nothing was started; the thread records the error
    endedOnError_ = true;
    WriteLog("Error in " + currentFile_ + ":" + e.what(), LineKind::Error);
    if (finishing_) {
      // The end itself failed past its guarded steps: at least close the log.
      if (Log) Log->CloseLog();
      Log.reset();
      return;
    }
    Guarded(currentFile_, [&] { CloseOpenDocument(); });
    FinishRun();
  }
}

void TJob::InitRun() {
  WordEngine = std::make_unique<TDocWaterMark>();
  ExcelEngine = std::make_unique<TXlsWaterMark>();
  PptEngine = std::make_unique<TPptWaterMark>();
  WordEngine->PDFStack = PDFStack.get();
  ExcelEngine->PDFStack = PDFStack.get();
  PptEngine->PDFStack = PDFStack.get();
  PDFStack->InitStack();
  Log = std::make_unique<TJobLog>(LogName());
  Log->OpenLog(true);
  WriteLog(kHyphenLine, LineKind::Frame);
  WriteLog(kJobBegin, LineKind::Frame);
}

void TJob::CountItems() {
  TotalCount = 0;
  DoneCount = 0;
  const bool stamps = Settings.Doc || Settings.Xls || Settings.Ppt;
  for (std::size_t i = 0; i < Sources.size(); ++i) {
    if (Sources[i].empty() || Dests[i].empty()) break;
    itemSource_ = Sources[i];
    if (Kinds[i] == "Folder") {
      walkDest_ = Dests[i];
      if (DirectoryExists(Sources[i])) CountFolder(Sources[i], Dests[i]);
    } else if (InShard(Sources[i])) {
      if (stamps) ++TotalCount;
      if (Settings.PDF) ++TotalCount;
    }
  }
  const int total = TotalCount;
  if (Terminated()) return;
  Synchronize([this, total] {
    if (Terminated()) return;
    if (auto display = display_.lock()) display->SetProgressRange(0, total);
  });
}

void TJob::CountFolder(const std::string& source, const std::string& dest) {
  for (const FolderEntry& entry : ListFolder(source)) {
    if (entry.folder) {
      const std::string from = source + PathDelim + entry.name;
      if (!IsWalkDestination(from)) CountFolder(from, dest + PathDelim + entry.name);
    } else if (entry.name[0] != '~' && !entry.special) {
      CountFile(source + PathDelim + entry.name, dest + PathDelim + entry.name);
    }
  }
}

void TJob::CountFile(const std::string& source, const std::string& dest) {
  if (!InShard(source)) return;
  switch (Classify(source)) {
    case FileKind::Word:
    case FileKind::Excel:
    case FileKind::Ppt: {
      if (!NeedProcess(source, dest)) return;
      FileKind kind = Classify(source);
      bool stamp = kind == FileKind::Word    ? Settings.Doc
                   : kind == FileKind::Excel ? Settings.Xls
                                             : Settings.Ppt;
      if (stamp) ++TotalCount;
      if (Settings.PDF) ++TotalCount;
      return;
    }
    case FileKind::Other:
      if (Settings.OtherFiles && NeedCopy(source, dest)) ++TotalCount;
      return;
  }
}

void TJob::WalkFolder(const std::string& source, const std::string& dest) {
  const std::vector<FolderEntry> entries = ListFolder(source);
  for (const FolderEntry& entry : entries) {
    if (Terminated()) {
      WriteLog(kJobTerminated, LineKind::Frame);
      return;
    }
    const std::string from = source + PathDelim + entry.name;
    const std::string to = dest + PathDelim + entry.name;
    if (entry.folder) {
      if (IsWalkDestination(from)) continue;
      if (!DirectoryExists(to)) ForceDirectories(to);
      WalkFolder(from, to);
    } else if (entry.name[0] != '~') {
      if (entry.special)
        PassOverSpecial(from);
      else
        ProcessFile(from, to);
    }
  }
}

void TJob::RunFileItem(const std::string& source, const std::string& dest) {
  if (!FileExists(source)) return;
  if (IsRegularFile(source))
    ProcessFile(source, dest);
  else
    PassOverSpecial(source);
}

void TJob::PassOverSpecial(const std::string& path) {
  if (!InShard(path)) return;  // another shard tells of it
  WriteLog("Passed over " + path + ": not a regular file (a FIFO, socket or device)",
           LineKind::Notice);
}

TJob::FileKind TJob::Classify(const std::string& source) const {
  const std::string ext = LowerCase(ExtractFileExt(source));
  auto is = [&](const char* legacy, std::initializer_list<const char*> current) {
    if (ext == legacy) return true;
    if (!Settings.ModernFormats) return false;
    return std::find(current.begin(), current.end(), ext) != current.end();
  };
  if (is(".doc", {".docx", ".docm", ".odt"}) && (Settings.Doc || Settings.PDF))
    return FileKind::Word;
  if (is(".xls", {".xlsx", ".xlsm", ".ods"}) && (Settings.Xls || Settings.PDF))
    return FileKind::Excel;
  if (is(".ppt", {".pptx", ".pptm", ".odp"}) && (Settings.Ppt || Settings.PDF))
    return FileKind::Ppt;
  return FileKind::Other;
}

bool TJob::NeedProcess(const std::string& source, const std::string& dest) const {
  if (Settings.PDF) return !FileExists(ChangeFileExt(dest, ".pdf"));
  return !(dest != source && FileExists(dest));
}

bool TJob::NeedCopy(const std::string&, const std::string& dest) const { return !FileExists(dest); }

bool TJob::IsWalkDestination(const std::string& folder) const {
  std::error_code ec;
  return !walkDest_.empty() && fs::equivalent(folder, walkDest_, ec) && !ec;
}

void TJob::ProcessFile(const std::string& source, const std::string& dest) {
  if (!InShard(source)) return;
  if (pool_) {  // one of the workers handles it
    pool_->Submit(source, dest);
    return;
  }
  currentFile_ = source;
  switch (Classify(source)) {
    case FileKind::Word:
      ProcessWord(source, dest);
      break;
    case FileKind::Excel:
      ProcessExcel(source, dest);
      break;
    case FileKind::Ppt:
      ProcessPpt(source, dest);
      break;
    case FileKind::Other:
      CopyOther(source, dest);
      break;
  }
}

// The three Office file kinds follow the same steps in their own order of logging, counting
// and display refreshes. An open that fails is the kind's own business (Word logs it, Excel
// and PowerPoint pass the file over); any error after the open is this file's failure alone.

void TJob::ProcessWord(const std::string& source, const std::string& dest) {
  step_.clear();
  if (!NeedProcess(source, dest)) {
    ++Counts.Skipped;
    return;
  }
  if (!WordEngine->OpenDoc(source)) {
    WriteLog("Error in Open world file:" + source, LineKind::Error);
    ++Counts.Failed;
    return;
  }
  const int doneAfter = DoneCount + (Settings.Doc ? 1 : 0) + (Settings.PDF ? 1 : 0);
  // A destination that appears while this file fails is removed (never a file in place).
  const std::string written = dest != source && !FileExists(dest) ? dest : std::string();
  openDocument_ = OpenDocument::Word;
  try {
    WordEngine->DocSettings = DocSettings;
    if (Settings.Doc) {
      ActionText = "Add watermark into " + source;
      WriteLog(ActionText);
      UpdateProgress();
      step_ = "adding the watermark";
      WordEngine->AddWaterMark();
      ++DoneCount;
      if (!Settings.PDF && dest != source) {
        ForceDirectories(ExtractFilePath(dest));
        step_ = "saving";
        WordEngine->SaveAs(dest);
      }
    }
    if (Settings.PDF) {
      const std::string pdfPath = ChangeFileExt(dest, ".pdf");
      const std::string pdfName = ChangeFileExt(ExtractFileName(source), ".pdf");
      ActionText = "Print Doc file:" + source + " to PDF:" + pdfPath;
      WriteLog(ActionText);
      UpdateProgress();
      PrepareForPrint(source, pdfName);
      step_ = "printing";
      WordEngine->PrintToPDFFile(pdfPath);
      ++DoneCount;
      PDFStack->AddPDFPrintItem(pdfName, pdfPath, source);
      ReportFlushErrors();
    }
    const bool save = dest == source && !Settings.PDF;
    if (save) {
      step_ = "saving";
      WordEngine->closeDoc(true);
      openDocument_ = OpenDocument::None;
    } else {
      CloseUnsaved();
    }
  } catch (const std::exception& e) {
    FileFailed(source, e.what(), doneAfter, written);
    return;
  }
  if (Settings.Doc) ++Counts.Stamped;
  if (Settings.PDF) ++Counts.Printed;
}

void TJob::ProcessExcel(const std::string& source, const std::string& dest) {
  step_.clear();
  if (!NeedProcess(source, dest)) {
    ++Counts.Skipped;
    return;
  }
  if (!ExcelEngine->OpenXls(source)) {
    ++Counts.Failed;
    if (OnLine) OnLine(LineKind::Error, "Error in " + source + ":the file cannot be opened");
    return;
  }
  const int doneAfter = DoneCount + (Settings.Xls ? 1 : 0) + (Settings.PDF ? 1 : 0);
  const std::string written = dest != source && !FileExists(dest) ? dest : std::string();
  openDocument_ = OpenDocument::Excel;
  try {
    ExcelEngine->DocSettings = DocSettings;
    if (Settings.Xls) {
      ActionText = "Add watermark into " + source;
      WriteLog(ActionText);
      step_ = "adding the watermark";
      ExcelEngine->AddWaterMark();
      ++DoneCount;
      if (!Settings.PDF) {
        ForceDirectories(ExtractFilePath(dest));
        step_ = "saving";
        ExcelEngine->SaveAs(dest);
      }
    }
    if (Settings.PDF) {
      const std::string pdfPath = ChangeFileExt(dest, ".pdf");
      const std::string pdfName = ChangeFileExt(ExtractFileName(source), ".pdf");
      ActionText = "Print Xls file:" + source + " to PDF:" + pdfPath;
      WriteLog(ActionText);
      PrepareForPrint(source, pdfName);
      step_ = "printing";
      ExcelEngine->PrintToPDFFile(pdfPath);
      ++DoneCount;
      PDFStack->AddPDFPrintItem(pdfName, pdfPath, source);
      ReportFlushErrors();
    }
    if (dest == source && !Settings.PDF) {
      step_ = "saving";
      ExcelEngine->closeXls(true);
      openDocument_ = OpenDocument::None;
    } else {
      CloseUnsaved();
    }
  } catch (const std::exception& e) {
    FileFailed(source, e.what(), doneAfter, written);
    return;
  }
  if (Settings.Xls) ++Counts.Stamped;
  if (Settings.PDF) ++Counts.Printed;
}

void TJob::ProcessPpt(const std::string& source, const std::string& dest) {
  step_.clear();
  if (!NeedProcess(source, dest)) {
    ++Counts.Skipped;
    return;
  }
  if (!PptEngine->OpenPpt(source)) {
    ++Counts.Failed;
    if (OnLine) OnLine(LineKind::Error, "Error in " + source + ":the file cannot be opened");
    return;
  }
  const int doneAfter = DoneCount + (Settings.Ppt ? 1 : 0) + (Settings.PDF ? 1 : 0);
  const std::string written = dest != source && !FileExists(dest) ? dest : std::string();
  openDocument_ = OpenDocument::Ppt;
  try {
    PptEngine->DocSettings = DocSettings;
    if (Settings.Ppt) {
      ActionText = "Add watermark into " + source;
      WriteLog(ActionText);
      ++DoneCount;
      UpdateProgress();
      step_ = "adding the watermark";
      PptEngine->AddWaterMark();
      if (!Settings.PDF) {
        ForceDirectories(ExtractFilePath(dest));
        step_ = "saving";
        PptEngine->SaveAs(dest);
      }
    }
    if (Settings.PDF) {
      const std::string pdfPath = ChangeFileExt(dest, ".pdf");
      const std::string pdfName = ChangeFileExt(ExtractFileName(source), ".pdf");
      ActionText = "Print Ppt file:" + source + " to PDF:" + pdfPath;
      WriteLog(ActionText);
      ++DoneCount;
      UpdateProgress();
      PrepareForPrint(source, pdfName);
      step_ = "printing";
      PptEngine->PrintToPDFFile(pdfPath);
      PDFStack->AddPDFPrintItem(pdfName, pdfPath, source);
      ReportFlushErrors();
    }
    if (dest == source && !Settings.PDF) {
      step_ = "saving";
      PptEngine->closePpt(true);
      openDocument_ = OpenDocument::None;
    } else {
      CloseUnsaved();
    }
  } catch (const std::exception& e) {
    FileFailed(source, e.what(), doneAfter, written);
    return;
  }
  if (Settings.Ppt) ++Counts.Stamped;
  if (Settings.PDF) ++Counts.Printed;
}

void TJob::FileFailed(const std::string& source, const std::string& message, int doneAfter,
                      const std::string& writtenDest) {
  // An office error without a text of its own says at least which step it ended.
  std::string text = message;
  if (!step_.empty() && (text == "The office reported an error" ||
                         text.rfind("The office refused the operation", 0) == 0))
    text += " while " + step_;
  WriteLog("Error in " + source + ":" + text, LineKind::Error);
  ++Counts.Failed;
  // The document is closed unsaved; an error of that close adds nothing for the user.
  const OpenDocument open = openDocument_;
  openDocument_ = OpenDocument::None;
  try {
    switch (open) {
      case OpenDocument::Word:
        WordEngine->closeDoc(false);
        break;
      case OpenDocument::Excel:
        ExcelEngine->closeXls(false);
        break;
      case OpenDocument::Ppt:
        PptEngine->closePpt(false);
        break;
      case OpenDocument::None:
        break;
    }
  } catch (const std::exception&) {
  }
  // No half-handled copy stays at the destination.
  if (!writtenDest.empty() && FileExists(writtenDest)) ::unlink(writtenDest.c_str());
  if (DoneCount < doneAfter) {
    DoneCount = doneAfter;
    UpdateProgress();
  }
}

void TJob::CopyOther(const std::string& source, const std::string& dest) {
  if (!Settings.OtherFiles) return;
  if (!NeedCopy(source, dest)) {
    ++Counts.Skipped;
    return;
  }
  ActionText = "copy file:" + source + " to:" + dest;
  ++DoneCount;
  UpdateProgress();
  // The copy line is written once the copy is done; a copy that fails gets its error line
  // in its place.
  std::string error;
  if (CopyFileChecked(source, dest, &error)) {
    WriteLog(ActionText);
    ++Counts.Copied;
  } else {
    WriteLog("Error in " + source + ":" + error, LineKind::Error);
    ++Counts.Failed;
  }
}

void TJob::PrepareForPrint(const std::string& source, const std::string& pdfFileName) {
  if (!PDFStack->PrepareForPrint(pdfFileName))
    WriteLog("Error in " + source + ":the PDF file of an earlier file named " + pdfFileName +
                 " was not collected",
             LineKind::Error);
}

void TJob::ReportFlushErrors() {
  for (const TPDFStack::FlushError& e : PDFStack->TakeErrors()) {
    WriteLog("Error in " + e.Source + ":" + e.Message, LineKind::Error);
    ++Counts.Failed;
    if (Counts.Printed > 0) --Counts.Printed;
  }
}

// ---- the job's lock ------------------------------------------------------------------------

bool TJob::AcquireJobLock() {
  // A shard's run locks its own log: the shards of one job may run side by side.
  const std::string logName = "sw" + LogName() + ".log";
  if (!IsPlainFileName(logName)) {
    ShowMessage("The job \"" + JobName + "\" cannot be run under that name: a job name " +
                "cannot hold \"" + std::string(1, PathDelim) + "\"; rename the job");
    return false;
  }
  // The log file itself carries the lock: every run of the job opens it anyway, and the lock
  // goes with the descriptor, so a run that ends in any way (even killed) releases it.
  const int fd = ::open((ProgramDir() + logName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return true;  // no log can be written either; the run goes on without one
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    ShowMessage("The job \"" + JobName +
                "\" is already running; this run was not started. Wait for the other run to " +
                "end.");
    return false;
  }
  lockFd_ = fd;
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

void TJob::CloseUnsaved() {
  // Everything this file was to give has been written by now: a close that fails (its
  // office process ended on the way out) takes nothing from it, and the next file starts
  // a new process.
  try {
    CloseOpenDocument();
  } catch (const std::exception&) {
  }
}

void TJob::CloseOpenDocument() {
  const OpenDocument open = openDocument_;
  openDocument_ = OpenDocument::None;
  switch (open) {
    case OpenDocument::Word:
      WordEngine->closeDoc(false);
      break;
    case OpenDocument::Excel:
      ExcelEngine->closeXls(false);
      break;
    case OpenDocument::Ppt:
      PptEngine->closePpt(false);
      break;
    case OpenDocument::None:
      break;
  }
}

// The sample page gives a PDF driver that writes in the background time to finish the last
// real PDF. It is printed only under a name that nothing in the output folder uses and no
// pending PDF waits for, so that it can neither replace a user's file nor be taken for a
// document's PDF, and its own PDF is removed as soon as it has been written.
void TJob::PrintSample() {
  if (!WordEngine->NewSWDoc(false)) return;  // the engine has shown why
  openDocument_ = OpenDocument::Word;
  const std::string pdfName = ChangeFileExt(WordEngine->DocumentName(), ".pdf");
  const std::string samplePdf = PDFStack->OutputPath(pdfName);
  if (!samplePdf.empty() && !FileExists(samplePdf) && !PDFStack->Awaits(pdfName)) {
    WordEngine->DocSettings = DocSettings;
    WordEngine->AddWaterMark();
    WordEngine->PrintToPDFFile(ProgramDir() + "Sample.pdf");
    ::unlink(samplePdf.c_str());
  }
  CloseOpenDocument();
}

void TJob::FinishRun() {
  finishing_ = true;
  EndPool();
  if (PDFStack->HasPrintItems) {
    // Every PDF already written reaches its destination before the sample is made; the
    // final flush runs even when the sample could not be printed.
    PDFStack->ClearPreItems();
    Guarded("the closing sample page", [&] { PrintSample(); });
    if (openDocument_ != OpenDocument::None)
      Guarded("the closing sample page", [&] { CloseOpenDocument(); });
    PDFStack->ClearPreItems();
    ReportFlushErrors();
  }
  if (WordEngine && WordEngine->AppStarted()) Guarded("Word", [&] { WordEngine->CloseWordApp(); });
  if (ExcelEngine && ExcelEngine->AppStarted())
    Guarded("Excel", [&] { ExcelEngine->CloseExcelApp(); });
  if (PptEngine && PptEngine->AppStarted())
    Guarded("PowerPoint", [&] { PptEngine->ClosePptApp(); });
  PDFStack->ClearStack();
  Sources.clear();
  Dests.clear();
  Kinds.clear();
  WriteLog(kJobEnd, LineKind::Frame);
  WriteLog(kHyphenLine, LineKind::Frame);
  if (Log) {
    Log->CloseLog();
    Log.reset();
  }
}

// ---- UI thread -----------------------------------------------------------------------------

void TJob::UpdateProgress() {
  if (owner_) {  // a worker's file: the run shows it, with the run's count
    owner_->ShowProgress(*this);
    return;
  }
  if (Terminated()) return;  // the display may already be gone
  const std::string text = DisplayText(ActionText);
  const std::string& full = ActionText;
  const int done = DoneCount;
  const int total = TotalCount;
  Synchronize([this, &text, &full, done, total] {
    if (Terminated()) return;
    auto display = display_.lock();
    if (!display) return;
    display->SetActionText(full);
    display->SetActionCaption(text);
    display->SetStatusPanelText(text);
    display->SetProgressPosition(done);
    display->SetStatusCaption(std::to_string(done) + " of " + std::to_string(total));
  });
}

void TJob::BeforePause() {
  if (DoneCount > 0) UpdateProgress();
}

void TJob::JobTerminate() {
  if (auto target = mainWindow_.lock()) target->PostMessage(WM_JOBEND, 0, 0);
}

void TJob::WriteLog(const std::string& text, LineKind kind) {
  if (Log) Log->WriteLog(text);
  if (OnLine) OnLine(kind, TJobLog::EscapeLine(text));
}

}  // namespace stampwell
