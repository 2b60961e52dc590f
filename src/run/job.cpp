#include "run/job.h"

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
#include "platform/message_target.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/window_messages.h"
#include "run/job_display.h"
#include "run/job_log.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

struct FolderEntry {
  std::string name;
  std::string key;  // lower-cased name: the listing order
  bool folder;
};

// The entries of a folder, hidden ones included, in a stable order: by name without regard
// to case (the order in which the original platform lists a folder), then by exact name.
// Symbolic links to folders are left out, so that a link cannot make the walk go round in
// circles; links to files are files. A folder that cannot be read lists as empty.
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
    std::string name = entry.path().filename().string();
    if (name == "." || name == "..") continue;
    entries.push_back({name, LowerCase(name), isFolder});
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
TJob::~TJob() { EndThread(); }

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
  try {
    InitRun();
    logOpen = true;
    if (Settings.PDF && !PDFStack->PDFUsable) {
      WriteLog(kNoPdfPrinter);
      endedOnError_ = true;
      FinishRun();
      return;
    }
    CountItems();
    for (std::size_t i = 0; i < Sources.size(); ++i) {
      currentSource_ = Sources[i];
      currentDest_ = Dests[i];
      currentKind_ = Kinds[i];
      if (currentSource_.empty() || currentDest_.empty()) break;
      if (currentKind_ == "Folder") {
        walkDest_ = currentDest_;
        if (DirectoryExists(currentSource_)) WalkFolder(currentSource_, currentDest_);
      } else {
        RunFileItem(currentSource_, currentDest_);
      }
      if (Terminated()) {
        WriteLog(kJobTerminated);
        FinishRun();
        return;
      }
    }
    // Word shows a step before counting it, so the last report of a run can be one short;
    // a run that did something ends by showing its final count.
    if (DoneCount > 0) UpdateProgress();
    FinishRun();
  } catch (const std::exception& e) {
    if (!logOpen) throw;  // nothing was started; the thread records the error
    endedOnError_ = true;
    WriteLog("Error in " + currentFile_ + ":" + e.what());
    if (finishing_) {
      // The end itself failed past its guarded steps: at least close the log.
      if (Log) Log->CloseLog();
      Log.reset();
      return;
    }
    CloseOpenDocument();
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
  Log = std::make_unique<TJobLog>(JobName);
  Log->OpenLog(true);
  WriteLog(kHyphenLine);
  WriteLog(kJobBegin);
}

void TJob::CountItems() {
  TotalCount = 0;
  DoneCount = 0;
  const bool stamps = Settings.Doc || Settings.Xls || Settings.Ppt;
  for (std::size_t i = 0; i < Sources.size(); ++i) {
    if (Sources[i].empty() || Dests[i].empty()) break;
    if (Kinds[i] == "Folder") {
      walkDest_ = Dests[i];
      if (DirectoryExists(Sources[i])) CountFolder(Sources[i], Dests[i]);
    } else {
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
    } else if (entry.name[0] != '~') {
      CountFile(source + PathDelim + entry.name, dest + PathDelim + entry.name);
    }
  }
}

void TJob::CountFile(const std::string& source, const std::string& dest) {
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
      WriteLog(kJobTerminated);
      return;
    }
    const std::string from = source + PathDelim + entry.name;
    const std::string to = dest + PathDelim + entry.name;
    if (entry.folder) {
      if (IsWalkDestination(from)) continue;
      if (!DirectoryExists(to)) ForceDirectories(to);
      WalkFolder(from, to);
    } else if (entry.name[0] != '~') {
      ProcessFile(from, to);
    }
  }
}

void TJob::RunFileItem(const std::string& source, const std::string& dest) {
  if (FileExists(source)) ProcessFile(source, dest);
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

void TJob::ProcessWord(const std::string& source, const std::string& dest) {
  if (!NeedProcess(source, dest)) return;
  if (!WordEngine->OpenDoc(source)) {
    WriteLog("Error in Open world file:" + source);
    return;
  }
  openDocument_ = OpenDocument::Word;
  WordEngine->DocSettings = DocSettings;
  if (Settings.Doc) {
    ActionText = "Add watermark into " + source;
    WriteLog(ActionText);
    UpdateProgress();
    WordEngine->AddWaterMark();
    ++DoneCount;
    if (!Settings.PDF && dest != source) {
      ForceDirectories(ExtractFilePath(dest));
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
    WordEngine->PrintToPDFFile(pdfPath);
    ++DoneCount;
    PDFStack->AddPDFPrintItem(pdfName, pdfPath);
  }
  WordEngine->closeDoc(dest == source && !Settings.PDF);
  openDocument_ = OpenDocument::None;
}

void TJob::ProcessExcel(const std::string& source, const std::string& dest) {
  if (!NeedProcess(source, dest)) return;
  if (!ExcelEngine->OpenXls(source)) return;
  openDocument_ = OpenDocument::Excel;
  ExcelEngine->DocSettings = DocSettings;
  if (Settings.Xls) {
    ActionText = "Add watermark into " + source;
    WriteLog(ActionText);
    ExcelEngine->AddWaterMark();
    ++DoneCount;
    if (!Settings.PDF) {
      ForceDirectories(ExtractFilePath(dest));
      ExcelEngine->SaveAs(dest);
    }
  }
  if (Settings.PDF) {
    const std::string pdfPath = ChangeFileExt(dest, ".pdf");
    const std::string pdfName = ChangeFileExt(ExtractFileName(source), ".pdf");
    ActionText = "Print Xls file:" + source + " to PDF:" + pdfPath;
    WriteLog(ActionText);
    PrepareForPrint(source, pdfName);
    ExcelEngine->PrintToPDFFile(pdfPath);
    ++DoneCount;
    PDFStack->AddPDFPrintItem(pdfName, pdfPath);
  }
  ExcelEngine->closeXls(dest == source && !Settings.PDF);
  openDocument_ = OpenDocument::None;
}

void TJob::ProcessPpt(const std::string& source, const std::string& dest) {
  if (!NeedProcess(source, dest)) return;
  if (!PptEngine->OpenPpt(source)) return;
  openDocument_ = OpenDocument::Ppt;
  PptEngine->DocSettings = DocSettings;
  if (Settings.Ppt) {
    ActionText = "Add watermark into " + source;
    WriteLog(ActionText);
    ++DoneCount;
    UpdateProgress();
    PptEngine->AddWaterMark();
    if (!Settings.PDF) {
      ForceDirectories(ExtractFilePath(dest));
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
    PptEngine->PrintToPDFFile(pdfPath);
    PDFStack->AddPDFPrintItem(pdfName, pdfPath);
  }
  PptEngine->closePpt(dest == source && !Settings.PDF);
  openDocument_ = OpenDocument::None;
}

void TJob::CopyOther(const std::string& source, const std::string& dest) {
  if (!NeedCopy(source, dest) || !Settings.OtherFiles) return;
  ActionText = "copy file:" + source + " to:" + dest;
  WriteLog(ActionText);
  ++DoneCount;
  UpdateProgress();
  CopyFileBlocks(source, dest);
}

void TJob::PrepareForPrint(const std::string& source, const std::string& pdfFileName) {
  if (!PDFStack->PrepareForPrint(pdfFileName))
    WriteLog("Error in " + source + ":the PDF file of an earlier file named " + pdfFileName +
             " was not collected");
}

// ---- the end -------------------------------------------------------------------------------

template <typename Step>
void TJob::Guarded(const std::string& what, Step&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    WriteLog("Error in " + what + ":" + e.what());
  }
}

void TJob::CloseOpenDocument() {
  const OpenDocument open = openDocument_;
  openDocument_ = OpenDocument::None;
  Guarded(currentFile_, [&] {
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
  });
}

void TJob::PrintSample() {
  const std::string samplePdf = ProgramDir() + "Sample.pdf";
  if (!WordEngine->NewSWDoc(false)) return;  // the engine has shown why
  openDocument_ = OpenDocument::Word;
  WordEngine->DocSettings = DocSettings;
  WordEngine->AddWaterMark();
  WordEngine->PrintToPDFFile(samplePdf);
  WordEngine->closeDoc(false);
  openDocument_ = OpenDocument::None;
}

void TJob::FinishRun() {
  finishing_ = true;
  WriteLog(kJobEnd);
  WriteLog(kHyphenLine);
  if (PDFStack->HasPrintItems) {
    // The sample print gives the driver time to write the last real PDF; the flush runs
    // even when the sample could not be printed.
    Guarded(ProgramDir() + "Sample.pdf", [&] { PrintSample(); });
    if (openDocument_ != OpenDocument::None) CloseOpenDocument();
    PDFStack->ClearPreItems();
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
  if (Log) {
    Log->CloseLog();
    Log.reset();
  }
}

// ---- UI thread -----------------------------------------------------------------------------

void TJob::UpdateProgress() {
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

void TJob::WriteLog(const std::string& text) {
  if (Log) Log->WriteLog(text);
}

}  // namespace stampwell
