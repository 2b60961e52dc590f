#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "platform/thread.h"

namespace stampwell {

class JobDisplay;
class MessageTarget;
class TDocWaterMark;
class TJobLog;
class TPDFStack;
class TPptWaterMark;
class TXlsWaterMark;

// Runs one job on its own worker thread: walks the job's folders and single files, stamps
// and saves or prints every Word, Excel and PowerPoint file through its engine, copies other
// files, logs every action to the job's log, reports progress to a display on the UI thread
// and posts WM_JOBEND to the main window when it has ended.
//
// Lifetime: a TJob frees itself when its thread has ended (FreeOnTerminate), so it must be
// owned by a std::shared_ptr; whoever wants to reach it later keeps a std::weak_ptr, which
// reads empty once the runner is gone. Its end handler (JobTerminate) runs on the UI thread.
//
// No exception leaves the run. An engine error ends the run with one log line, "Error in " +
// file + ":" + message, after which the run finishes the way a stopped run does (end lines,
// PDF files collected, Office applications quit, log closed) and WM_JOBEND is posted.
// A run that is to print PDF files while no usable PDF printer exists writes one log line
// and handles no entry. Once the stop flag is set the display is not touched any more.
//
// Fields are written by the worker; read them from another thread only after Finished().
class TJob : public TThread {
 public:
  // Creates the thread (suspended when asked), makes it free itself at its end, sets the end
  // handler to JobTerminate and detects the PDF printer (TPDFStack). A registry error of the
  // detection leaves the constructor.
  TJob(const std::string& jobName, bool CreateSuspended, UiDispatcher* dispatcher = nullptr);
  ~TJob() override;

  // Appends one entry. Kind "Folder" walks Source into Dest; any other kind is a single file.
  void AddItem(const std::string& Source, const std::string& Dest, const std::string& Kind);
  // Where the run reports to. Both are optional; a target or display that is gone is passed
  // over. Call on the UI thread before the thread starts.
  void SetControl(std::weak_ptr<MessageTarget> MainWindow, std::weak_ptr<JobDisplay> Display);

  // The pre-pass: TotalCount from the entries, DoneCount 0, then the display's range.
  // Opens no file. Run by Execute; callable on its own before the thread starts.
  void CountItems();

  // The display text for an action: the first 50 characters followed by ".." when longer.
  // Characters are UTF-8 code points, so a character is never cut in half.
  static std::string DisplayText(const std::string& actionText);

  // Run frame and action texts.
  static constexpr const char* kHyphenLine = "----------------------------------------------";
  static constexpr const char* kJobBegin = "Job Begin";
  static constexpr const char* kJobEnd = "Job End";
  static constexpr const char* kJobTerminated = "Job Terminated by User";
  static constexpr const char* kNoPdfPrinter =
      "No usable PDF printer is installed, no file of the job was handled";

  std::unique_ptr<TPDFStack> PDFStack;
  std::unique_ptr<TDocWaterMark> WordEngine;
  std::unique_ptr<TXlsWaterMark> ExcelEngine;
  std::unique_ptr<TPptWaterMark> PptEngine;
  RDocSettings DocSettings;
  RJobSettings Settings;
  std::string JobName;
  std::string ActionText;
  std::int32_t TotalCount = 0;
  std::int32_t DoneCount = 0;
  std::vector<std::string> Sources;
  std::vector<std::string> Dests;
  std::vector<std::string> Kinds;
  std::unique_ptr<TJobLog> Log;

  // True once the run has ended on an error: an engine error that ended it, a PDF job with
  // no usable PDF printer, or a failure before the log was open (see FatalError).
  bool EndedOnError() const { return endedOnError_ || !FatalError().empty(); }

 protected:
  void Execute() override;
  // A paused run shows its true count and action first: the log may hold steps that no
  // progress report has shown yet.
  void BeforePause() override;

 private:
  enum class FileKind { Word, Excel, Ppt, Other };

  void InitRun();
  void CountFolder(const std::string& source, const std::string& dest);
  void CountFile(const std::string& source, const std::string& dest);
  void WalkFolder(const std::string& source, const std::string& dest);
  void RunFileItem(const std::string& source, const std::string& dest);
  void ProcessFile(const std::string& source, const std::string& dest);
  void ProcessWord(const std::string& source, const std::string& dest);
  void ProcessExcel(const std::string& source, const std::string& dest);
  void ProcessPpt(const std::string& source, const std::string& dest);
  void CopyOther(const std::string& source, const std::string& dest);
  void PrintSample();
  void FinishRun();
  void UpdateProgress();
  void JobTerminate();

  // By the extension, in any letter case: .doc is Word, .xls Excel, .ppt PowerPoint, and with
  // ModernFormats also .docx/.docm/.odt, .xlsx/.xlsm/.ods and .pptx/.pptm/.odp; a kind whose
  // switch and PDF are both off, and every other extension, is Other.
  FileKind Classify(const std::string& source) const;
  bool NeedProcess(const std::string& source, const std::string& dest) const;
  bool NeedCopy(const std::string& source, const std::string& dest) const;
  bool IsWalkDestination(const std::string& folder) const;
  void WriteLog(const std::string& text);
  // Before a PDF print: makes sure the PDF file name cannot be confused with an earlier one.
  void PrepareForPrint(const std::string& source, const std::string& pdfFileName);
  // After an engine error: closes the document that is still open, without saving.
  void CloseOpenDocument();
  // Runs step, writing an error line instead of letting an engine error escape.
  template <typename Step>
  void Guarded(const std::string& what, Step&& step);

  std::weak_ptr<MessageTarget> mainWindow_;
  std::weak_ptr<JobDisplay> display_;
  // The entry and the file in hand (for error lines).
  std::string currentSource_;
  std::string currentDest_;
  std::string currentKind_;
  std::string currentFile_;
  // The destination folder of the folder entry being walked or counted. A source subfolder
  // that is this folder is passed over: a destination inside its source would otherwise be
  // walked into itself, nesting ever deeper copies until paths grow too long.
  std::string walkDest_;
  // The engine whose document is open between a successful open and its close.
  enum class OpenDocument { None, Word, Excel, Ppt };
  OpenDocument openDocument_ = OpenDocument::None;
  bool finishing_ = false;  // FinishRun has begun
  std::atomic<bool> endedOnError_{false};
};

}  // namespace stampwell
