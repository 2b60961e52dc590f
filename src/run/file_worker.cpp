// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/file_worker.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "jobs/file_utils.h"
#include "office/legacy/source_keeping_engine.h"
#include "office/office_file_engines.h"
#include "office/ooxml/ooxml_water_mark.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "run/check_lane.h"
#include "run/job_log.h"
#include "verify/page_verifier.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

bool NeedProcess(const RJobSettings& settings, const std::string& source, const std::string& dest,
                 const std::string& pdf) {
  if (settings.Overwrite) return true;
  if (settings.PDF) return !FileExists(pdf);
  return !(dest != source && FileExists(dest));
}

std::string PdfOf(const std::string& dest, const std::string& pdf) {
  return pdf.empty() ? ChangeFileExt(dest, ".pdf") : pdf;
}

// A copy onto its own source is never made; with Overwrite an existing copy is made again.
bool NeedCopy(const RJobSettings& settings, const std::string& source, const std::string& dest) {
  if (settings.Overwrite) return dest != source;
  return !FileExists(dest);
}

// A folder of its own in the system's temporary folder, removed with what it holds.
// Closes the engine's document; an engine that breaks its promise not to throw on Close
// must not hide the error being reported or fail a file already done.
void CloseQuietly(TFileEngine& engine) {
  try {
    engine.Close();
  } catch (...) {
  }
}

class TTempFolder {
 public:
  TTempFolder() {
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "stampwell-print-XXXXXX").string();
    if (ec || !::mkdtemp(pattern.data()))
      throw std::runtime_error("no temporary folder for the PDF could be made");
    path_ = pattern;
  }
  ~TTempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

TFileWorker::TFileWorker(const RJobSettings& settings, const RDocSettings& docSettings,
                         const std::vector<RFileKind>& kinds, TPDFStack& pdfStack,
                         TRunProgress& progress, TJobLog* log, LineFn onLine)
    : settings_(settings),
      docSettings_(docSettings),
      kinds_(kinds),
      pdf_(pdfStack),
      progress_(progress),
      log_(log),
      onLine_(std::move(onLine)),
      engines_(kinds.size()) {}

TFileWorker::~TFileWorker() = default;

int TFileWorker::PlannedActions(const std::vector<RFileKind>& kinds, const RJobSettings& settings,
                                const std::string& source, const std::string& dest,
                                const std::string& pdf) {
  if (const RFileKind* kind = KindOf(kinds, source, settings)) {
    if (!NeedProcess(settings, source, dest, PdfOf(dest, pdf))) return 0;
    return (kind->Stamps(settings) ? 1 : 0) + (settings.PDF ? 1 : 0);
  }
  return settings.OtherFiles && NeedCopy(settings, source, dest) ? 1 : 0;
}

void TFileWorker::WriteLog(const std::string& text, RunLineKind kind) {
  if (log_) log_->WriteLog(text);
  if (onLine_) onLine_(kind, TJobLog::EscapeLine(text));
}

TFileEngine& TFileWorker::EngineOf(const RFileKind& kind) {
  const std::size_t i = static_cast<std::size_t>(&kind - kinds_.data());
  if (!engines_[i]) {
    engines_[i] = kind.makeEngine(pdf_);
    // The job's choice of one mark on the shown sheet, for the engines of workbooks.
    TFileEngine* office = engines_[i].get();
    if (auto* keeping = dynamic_cast<legacy::TSourceKeepingEngine*>(office))
      office = &keeping->Inner();
    if (auto* excel = dynamic_cast<TExcelFileEngine*>(office))
      excel->Office().ActiveSheetOnly = settings_.ActiveSheetOnly;
    if (auto* package = dynamic_cast<TOoxmlWaterMark*>(engines_[i].get()))
      package->ActiveSheetOnly = settings_.ActiveSheetOnly;
  }
  return *engines_[i];
}

void TFileWorker::ProcessFile(const std::string& source, const std::string& dest,
                              const std::string& pdf) {
  currentFile_ = source;
  if (const RFileKind* kind = KindOf(kinds_, source, settings_))
    RunSteps(*kind, source, dest, PdfOf(dest, pdf));
  else
    CopyOther(source, dest);
}

template <typename Work>
void TFileWorker::Step(RFileKind::StepOrder order, const std::string& action, int& counted,
                       Work&& work) {
  using Order = RFileKind::StepOrder;
  progress_.SetAction(action);
  WriteLog(action);
  if (order == Order::CountShowWork) {
    progress_.Advance();
    ++counted;
    progress_.Show();
    work();
    return;
  }
  if (order == Order::ShowWorkCount) progress_.Show();
  work();
  progress_.Advance();
  ++counted;
}

// Every kind follows these steps, in its own order of counting and display refreshes (its
// description). An open that fails is the kind's own business; any error after the open is
// this file's failure alone.
void TFileWorker::RunSteps(const RFileKind& kind, const std::string& source,
                           const std::string& dest, const std::string& pdf) {
  step_.clear();
  if (!NeedProcess(settings_, source, dest, pdf)) {
    progress_.Count(&RRunCounts::Skipped);
    return;
  }
  TFileEngine& engine = EngineOf(kind);
  if (!engine.Open(source)) {
    progress_.Count(&RRunCounts::Failed);
    switch (kind.openFailure) {
      case RFileKind::OpenFailure::LogFixedText:
        WriteLog(kind.openFailureText + source, RunLineKind::Error);
        break;
      case RFileKind::OpenFailure::FrontEndOnly:
        if (onLine_) onLine_(RunLineKind::Error, "Error in " + source + ":" + engine.OpenError());
        break;
      case RFileKind::OpenFailure::Log:
        WriteLog("Error in " + source + ":" + engine.OpenError(), RunLineKind::Error);
        break;
    }
    return;
  }
  const bool stamp = kind.Stamps(settings_);
  const int planned = (stamp ? 1 : 0) + (settings_.PDF ? 1 : 0);
  int counted = 0;
  // A destination that appears while this file fails is removed (never a file in place).
  const std::string written = dest != source && !FileExists(dest) ? dest : std::string();
  open_ = &engine;
  try {
    if (stamp) {
      Step(kind.stampOrder, "Add watermark into " + source, counted, [&] {
        step_ = "adding the watermark";
        engine.AddWaterMark(docSettings_);
      });
      if (!settings_.PDF) {
        ForceDirectories(ExtractFilePath(dest));
        step_ = "saving";
        engine.SaveAs(dest);  // in place too: the engine saves the open file
        // What the stamp had to change beside the mark is said, never done in silence.
        for (const std::string& note : engine.Notes()) WriteLog(source + ": " + note);
      }
    }
    if (settings_.PDF) {
      const std::string& pdfPath = pdf;
      Step(kind.printOrder, "Print " + kind.printTag + " file:" + source + " to PDF:" + pdfPath,
           counted, [&] { MakePdf(kind, engine, source, pdfPath); });
      if (kind.pdfBy != RFileKind::PdfBy::Engine) {
        pdf_.AddPDFPrintItem(ChangeFileExt(ExtractFileName(source), ".pdf"), pdfPath, source);
        ReportFlushErrors();
      }
    }
    CloseUnsaved();
  } catch (const std::exception& e) {
    FileFailed(source, e.what(), planned - counted, written);
    return;
  }
  if (stamp) progress_.Count(&RRunCounts::Stamped);
  if (settings_.PDF) progress_.Count(&RRunCounts::Printed);
  if (!settings_.Verify || !stamp) return;
  // The output is checked once the live document is closed: what a reader opens. A printed
  // PDF is checked where it was delivered.
  if (settings_.PDF && kind.pdfBy != RFileKind::PdfBy::Engine) {
    pdf_.ClearPreItems();
    ReportFlushErrors();
  }
  const std::string output = settings_.PDF ? pdf : dest;
  if (checksAside_ < 0) checksAside_ = TCheckLane::Wanted(settings_) ? 1 : 0;
  if (checksAside_ == 1 && !lane_) {
    try {
      lane_ = std::make_unique<TCheckLane>(settings_, docSettings_, kinds_, progress_,
                                           log_ ? log_->FileName : std::string(), onLine_);
    } catch (const std::exception&) {
      checksAside_ = 0;  // no lane to be had (no folder, no thread): the checks go in turn
    }
  }
  if (lane_) {
    lane_->Submit(kind, source, output, settings_.PDF);
    return;
  }
  CheckOutput(kind, source, output, settings_.PDF);
}

void TFileWorker::CheckOutput(const RFileKind& kind, const std::string& source,
                              const std::string& output, bool isPdf) {
  currentFile_ = source;
  std::string reason;
  bool verified = false;
  try {
    verified = VerifyOutput(kind, EngineOf(kind), source, output, isPdf, reason);
  } catch (const std::exception& e) {
    reason = std::string("it could not be verified: ") + e.what();
  }
  if (verified) {
    progress_.Count(&RRunCounts::Verified);
    return;
  }
  // The file stays where it was written, for the user to look at; it counts as failed.
  WriteLog("Error in " + source + ":" + reason, RunLineKind::Error);
  progress_.Count(&RRunCounts::Failed);
}

std::string TFileWorker::PrintForCheck(const RFileKind& kind, TFileEngine& engine,
                                       const std::string& source, const std::string& file,
                                       const std::string& folder, std::string& reason) {
  // A kind whose engine cannot print is printed by another kind's engine, in that kind's way.
  TFileEngine* printer = &engine;
  const RFileKind* printing = &kind;
  if (kind.pdfBy == RFileKind::PdfBy::KindEngine)
    for (const RFileKind& k : kinds_)
      if (k.name == kind.printWith) printer = &EngineOf(k), printing = &k;
  if (!printer->Open(file)) {
    reason = printer->OpenError();
    return {};
  }
  const std::string pdfName = ChangeFileExt(ExtractFileName(file), ".pdf");
  const std::string pdf = folder + PathDelim + pdfName;
  try {
    step_ = "verifying";
    if (printing->pdfBy == RFileKind::PdfBy::PrinterStack) {
      if (!pdf_.PrepareForPrint(pdfName))
        WriteLog("Error in " + source + ":the PDF file of an earlier file named " + pdfName +
                     " was not collected",
                 RunLineKind::Error);
      printer->PrintToPDFFile(pdf);
      const std::string printed = pdf_.OutputPath(pdfName);
      std::error_code ec;
      fs::rename(printed, pdf, ec);
      if (ec) {
        fs::copy_file(printed, pdf, fs::copy_options::overwrite_existing, ec);
        fs::remove(printed, ec);
      }
    } else {
      printer->PrintToPDFFile(pdf);
    }
  } catch (...) {
    CloseQuietly(*printer);
    throw;
  }
  CloseQuietly(*printer);
  if (!FileExists(pdf)) {
    reason = "no PDF of it could be made";
    return {};
  }
  return pdf;
}

std::string TFileWorker::BlankMarkedCopy(TFileEngine& engine, const std::string& source,
                                         const std::string& folder, std::string& reason) {
  if (!engine.Open(source)) {
    reason = engine.OpenError();
    return {};
  }
  // As many spaces as the text has characters: the mark's box as the job's, nothing drawn.
  RDocSettings blank = docSettings_;
  std::size_t characters = 0;
  for (const unsigned char c : docSettings_.DocWaterMarkStr)
    if ((c & 0xC0) != 0x80) ++characters;
  blank.DocWaterMarkStr.assign(std::max<std::size_t>(characters, 1), ' ');
  const std::string copy = folder + PathDelim + ExtractFileName(source);
  try {
    step_ = "verifying";
    engine.AddWaterMark(blank);
    engine.SaveAs(copy);
  } catch (...) {
    CloseQuietly(engine);
    throw;
  }
  CloseQuietly(engine);
  if (!FileExists(copy)) {
    reason = "no copy of it could be made";
    return {};
  }
  return copy;
}

bool TFileWorker::VerifyOutput(const RFileKind& kind, TFileEngine& engine,
                               const std::string& source, const std::string& output, bool isPdf,
                               std::string& reason) {
  std::string pdf = output;
  TTempFolder folder;
  if (!isPdf && kind.pdfBy != RFileKind::PdfBy::Engine) {
    // The saved file, loaded again from disk by the engine that prints its kind, printed to a
    // PDF of its own.
    std::string why;
    pdf = PrintForCheck(kind, engine, source, output, folder.Path(), why);
    if (pdf.empty()) {
      reason = "the saved file cannot be opened again to verify it: " + why;
      return false;
    }
  }
  if (!FileExists(pdf)) {
    reason = "no PDF of it could be made to verify the mark";
    return false;
  }
  RVerifyOutcome outcome = stampwell::VerifyOutput(source, pdf, docSettings_);
  // A mark over a coloured page (a filled cell, a slide's background, a chart) does not read as
  // its colour over white paper: there the source's own pages tell what lies under the mark.
  // Not the source as it is: stamped before, it shows a mark like the new one in the same
  // place, and no difference would show. It is stamped once more with a blank mark in place of
  // the job's (which takes any earlier mark away, and changes the pages the way the real one
  // did) and saved. Made only for a file that needs it, as it costs a stamp, a save and a print
  // of its own, and only the pages not yet seen marked are looked at again.
  std::error_code same;
  if (!outcome.Verified && !outcome.Unmarked.empty() && FileExists(source) &&
      !fs::equivalent(source, output, same)) {
    TTempFolder underFolder;
    std::string why;
    std::string under = BlankMarkedCopy(engine, source, underFolder.Path(), why);
    if (!under.empty() && kind.pdfBy != RFileKind::PdfBy::Engine) {
      TTempFolder printFolder;
      under = PrintForCheck(kind, engine, source, under, printFolder.Path(), why);
      if (!under.empty())
        outcome = stampwell::VerifyOutput(source, pdf, docSettings_, under, outcome.Unmarked);
    } else if (!under.empty()) {
      outcome = stampwell::VerifyOutput(source, pdf, docSettings_, under, outcome.Unmarked);
    }
  }
  if (!outcome.Verified) {
    reason = outcome.Text;
    return false;
  }
  WriteLog(outcome.Text);
  return true;
}

void TFileWorker::MakePdf(const RFileKind& kind, TFileEngine& engine, const std::string& source,
                          const std::string& pdfPath) {
  step_ = "printing";
  if (kind.pdfBy == RFileKind::PdfBy::Engine) {
    ForceDirectories(ExtractFilePath(pdfPath));
    engine.PrintToPDFFile(pdfPath);
    return;
  }
  const std::string pdfName = ChangeFileExt(ExtractFileName(source), ".pdf");
  PrepareForPrint(source, pdfName);
  if (kind.pdfBy == RFileKind::PdfBy::PrinterStack) {
    engine.PrintToPDFFile(pdfPath);
    return;
  }
  // An engine that cannot print: the stamped document is saved under its own name in a
  // folder of its own, and the engine of the printing kind opens that copy and prints it,
  // so that the printer writes the PDF under the name the PDF stack expects.
  const RFileKind* printing = nullptr;
  for (const RFileKind& k : kinds_)
    if (k.name == kind.printWith) printing = &k;
  if (!printing || printing == &kind)
    throw std::logic_error("no engine prints files of kind " + kind.name);
  TTempFolder folder;
  const std::string copy = folder.Path() + PathDelim + ExtractFileName(source);
  step_ = "saving the copy to print";
  engine.SaveAs(copy);
  TFileEngine& printer = EngineOf(*printing);
  if (!printer.Open(copy)) throw std::runtime_error(printer.OpenError());
  step_ = "printing";
  try {
    printer.PrintToPDFFile(pdfPath);
  } catch (...) {
    CloseQuietly(printer);
    throw;
  }
  CloseQuietly(printer);
}

void TFileWorker::FileFailed(const std::string& source, const std::string& message, int rest,
                             const std::string& writtenDest) {
  // An office error without a text of its own says at least which step it ended.
  std::string text = message;
  if (!step_.empty() && (text == "The office reported an error" ||
                         text.rfind("The office refused the operation", 0) == 0))
    text += " while " + step_;
  WriteLog("Error in " + source + ":" + text, RunLineKind::Error);
  progress_.Count(&RRunCounts::Failed);
  // The document is closed unsaved; an error of that close adds nothing for the user.
  CloseUnsaved();
  // No half-handled copy stays at the destination.
  if (!writtenDest.empty() && FileExists(writtenDest)) ::unlink(writtenDest.c_str());
  if (rest > 0) {
    progress_.Advance(rest);
    progress_.Show();
  }
}

void TFileWorker::CopyOther(const std::string& source, const std::string& dest) {
  if (!settings_.OtherFiles) return;
  if (!NeedCopy(settings_, source, dest)) {
    progress_.Count(&RRunCounts::Skipped);
    return;
  }
  const std::string action = "copy file:" + source + " to:" + dest;
  progress_.SetAction(action);
  progress_.Advance();
  progress_.Show();
  // The copy line is written once the copy is done; a copy that fails gets its error line
  // in its place.
  std::string error;
  if (CopyFileChecked(source, dest, &error)) {
    WriteLog(action);
    progress_.Count(&RRunCounts::Copied);
  } else {
    WriteLog("Error in " + source + ":" + error, RunLineKind::Error);
    progress_.Count(&RRunCounts::Failed);
  }
}

void TFileWorker::PrepareForPrint(const std::string& source, const std::string& pdfFileName) {
  if (!pdf_.PrepareForPrint(pdfFileName))
    WriteLog("Error in " + source + ":the PDF file of an earlier file named " + pdfFileName +
                 " was not collected",
             RunLineKind::Error);
}

void TFileWorker::ReportFlushErrors() {
  for (const TPDFStack::FlushError& e : pdf_.TakeErrors()) {
    WriteLog("Error in " + e.Source + ":" + e.Message, RunLineKind::Error);
    progress_.PrintLost();
  }
}

void TFileWorker::CloseUnsaved() {
  // Everything this file was to give has been written by now: a close that fails (its
  // office process ended on the way out) takes nothing from it, and the next file starts
  // a new process.
  try {
    CloseOpenDocument();
  } catch (const std::exception&) {
  }
}

void TFileWorker::CloseOpenDocument() {
  TFileEngine* open = open_;
  open_ = nullptr;
  if (open) open->Close();
}

// The sample page gives a PDF driver that writes in the background time to finish the last
// real PDF. It is printed only under a name that nothing in the output folder uses and no
// pending PDF waits for, so that it can neither replace a user's file nor be taken for a
// document's PDF, and its own PDF is removed as soon as it has been written.
void TFileWorker::PrintSample() {
  const RFileKind* wordKind = nullptr;
  for (const RFileKind& k : kinds_)
    if (k.name == "Word") wordKind = &k;
  if (!wordKind) return;
  auto* word = dynamic_cast<TWordFileEngine*>(&EngineOf(*wordKind));
  if (!word) return;
  TDocWaterMark& engine = word->Office();
  if (!engine.NewSWDoc(false)) return;  // the engine has shown why
  word->Adopt();
  open_ = word;
  const std::string pdfName = ChangeFileExt(engine.DocumentName(), ".pdf");
  const std::string samplePdf = pdf_.OutputPath(pdfName);
  if (!samplePdf.empty() && !FileExists(samplePdf) && !pdf_.Awaits(pdfName)) {
    word->AddWaterMark(docSettings_);
    engine.PrintToPDFFile(ProgramDir() + "Sample.pdf");
    ::unlink(samplePdf.c_str());
  }
  CloseOpenDocument();
}

void TFileWorker::QuitEngines() {
  // The checks still under way are finished first: their lines and counts belong to the run.
  if (lane_) lane_->Finish();
  for (std::size_t i = 0; i < kinds_.size(); ++i) {
    if (!engines_[i]) continue;
    try {
      engines_[i]->Quit();
    } catch (const std::exception& e) {
      WriteLog("Error in " + kinds_[i].name + ":" + e.what(), RunLineKind::Error);
    }
  }
}

}  // namespace stampwell
