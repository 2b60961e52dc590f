// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "office/file_engine.h"
#include "run/file_kinds.h"
#include "run/run_progress.h"

namespace stampwell {

class TCheckLane;
class TJobLog;
class TPDFStack;

// Handles the files of a run one at a time on one thread: the document kinds through their
// engines (one per kind, made when the first file of the kind comes), other files by copying.
// A run with one worker has one on its own thread; a run with several has one per pool thread.
//
// Every file of a kind goes through the same steps (RunSteps): skip when the destination
// exists, open, stamp and save (with the kind's switch), print to PDF (with PDF), close.
// One file's failure is that file's alone: "Error in " + file + ":" + message is logged, the
// document is closed without saving, a destination this file wrote is removed, and its
// planned actions count as done. Progress and counts go to the run's sink (TRunProgress).
class TFileWorker {
 public:
  using LineFn = std::function<void(RunLineKind, const std::string&)>;

  // log may be null (no log is written); onLine gets every line, escaped, and an open
  // failure that the kind tells the front end alone. Everything given must outlive the worker.
  TFileWorker(const RJobSettings& settings, const RDocSettings& docSettings,
              const std::vector<RFileKind>& kinds, TPDFStack& pdfStack, TRunProgress& progress,
              TJobLog* log, LineFn onLine);
  ~TFileWorker();
  TFileWorker(const TFileWorker&) = delete;
  TFileWorker& operator=(const TFileWorker&) = delete;

  // The counts a file will add to the run's total: its planned actions, 0 when its
  // destination exists or it is neither stamped nor copied.
  // pdf: the PDF file the document gets (empty: dest with the extension ".pdf").
  static int PlannedActions(const std::vector<RFileKind>& kinds, const RJobSettings& settings,
                            const std::string& source, const std::string& dest,
                            const std::string& pdf = std::string());

  // Handles one file (a document of a kind, or another file to copy); pdf as above.
  void ProcessFile(const std::string& source, const std::string& dest,
                   const std::string& pdf = std::string());
  // Closes the document that is still open, without saving; errors reach the caller.
  void CloseOpenDocument();
  // Logs the PDF files that could not reach their destinations since the last call.
  void ReportFlushErrors();
  // Prints the closing sample page (Word's preview document) to PDF, when that can be done
  // without touching any user's file; errors reach the caller.
  void PrintSample();
  // Quits every engine this worker made, in the order of the kinds; an error is logged as
  // "Error in <kind name>:<message>".
  void QuitEngines();
  // Writes a line to the log and the front end.
  void WriteLog(const std::string& text, RunLineKind kind = RunLineKind::Action);
  // With Verify: checks what a stamped file gave (output: the saved file, or with isPdf its
  // PDF at the destination) and logs "Verified <source>: N of N pages", or the error line
  // and the file's failure. Errors of the engines reach the caller.
  void CheckOutput(const RFileKind& kind, const std::string& source, const std::string& output,
                   bool isPdf);

  // The file in hand, for error lines.
  const std::string& CurrentFile() const { return currentFile_; }
  TPDFStack& PdfStack() { return pdf_; }

 private:
  // The one pipeline: the steps of one document of kind.
  void RunSteps(const RFileKind& kind, const std::string& source, const std::string& dest,
                const std::string& pdf);
  // One step's action line, count and display in the kind's order, around work.
  template <typename Work>
  void Step(RFileKind::StepOrder order, const std::string& action, int& counted, Work&& work);
  void MakePdf(const RFileKind& kind, TFileEngine& engine, const std::string& source,
               const std::string& pdfPath);
  void CopyOther(const std::string& source, const std::string& dest);
  // With Verify: renders what the file gave (the saved file, opened again apart from the live
  // document and printed to a PDF of its own; or the PDF printed) and looks for the mark on
  // every page. Logs "Verified <source>: N of N pages" and returns true, or returns the
  // reason in words (the file then fails).
  bool VerifyOutput(const RFileKind& kind, TFileEngine& engine, const std::string& source,
                    const std::string& output, bool isPdf, std::string& reason);
  // Opens file with the engine that prints its kind and prints it to a PDF in folder; the
  // PDF's path, or empty with the reason in words. source names the file in log lines.
  std::string PrintForCheck(const RFileKind& kind, TFileEngine& engine, const std::string& source,
                            const std::string& file, const std::string& folder,
                            std::string& reason);
  // source saved into folder (under its own name) with the mark this program may have placed
  // on it before replaced by a blank one of the same size: its pages as they are under the
  // new mark. The copy's path, or empty with the reason in words.
  std::string BlankMarkedCopy(TFileEngine& engine, const std::string& source,
                              const std::string& folder, std::string& reason);
  void FileFailed(const std::string& source, const std::string& message, int rest,
                  const std::string& writtenDest);
  void CloseUnsaved();
  void PrepareForPrint(const std::string& source, const std::string& pdfFileName);
  TFileEngine& EngineOf(const RFileKind& kind);

  const RJobSettings settings_;
  const RDocSettings docSettings_;
  const std::vector<RFileKind>& kinds_;
  TPDFStack& pdf_;
  TRunProgress& progress_;
  TJobLog* log_;
  LineFn onLine_;
  std::vector<std::unique_ptr<TFileEngine>> engines_;  // parallel to kinds_; made on demand
  TFileEngine* open_ = nullptr;                        // the engine whose document is open
  std::string currentFile_;
  std::string step_;  // the step of the file in hand, for error lines
  // With Verify, where the machine has a core to spare: the checks, made beside the next
  // file's stamp (made when the first check comes).
  std::unique_ptr<TCheckLane> lane_;
  int checksAside_ = -1;  // whether checks go to a lane: -1 not decided yet
};

}  // namespace stampwell
