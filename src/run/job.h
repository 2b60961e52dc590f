#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "platform/thread.h"
#include "run/shard.h"

namespace stampwell {

class JobDisplay;
class MessageTarget;
class TDocWaterMark;
class TJobLog;
class TJobPool;
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
// One file's failure is that file's alone: an error while a document is stamped, saved or
// printed writes "Error in " + file + ":" + message, closes the document without saving,
// leaves no destination file for it, counts its planned actions as handled and goes on with
// the next file. A copy that fails is logged the same way instead of its copy line. Only
// what is not about one file (an error of the walk itself) ends the run early; it then ends
// the way a stopped run does and WM_JOBEND is posted. A run that is to print PDF files
// while no usable PDF printer exists writes one log line and handles no entry.
// Once the stop flag is set the display is not touched any more.
//
// Two runs of one job never overlap: a run holds an advisory lock on its job's log file
// (released when the run or its process ends); a run that finds the job held, or whose job
// name cannot name a log file, tells why through ShowMessage, handles nothing and ends.
//
// Files passed over: LibreOffice lock files and the system's temporary files (traces of an
// interrupted run, see IsWorkFileName) silently; FIFOs, sockets and devices with one line.
//
// Several workers: with Settings.Workers above 1 (0: one per processor core) the runner's
// thread walks the entries and hands each file to one of that many workers (TJobPool), each
// with its own engines, Office processes and PDF output folder; every other rule of a run is
// the same. A worker's error affects only the file in hand. Shard limits a run to its share
// of the job's files and gives it a log of its own (LogName).
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

  // What a line of the run is, for front ends that show it.
  enum class LineKind {
    Frame,   // the hyphen line, "Job Begin", "Job End", "Job Terminated by User"
    Action,  // a stamp, print or copy step
    Error,   // "Error in ...": a file that failed, or a failure at the end of the run
    Notice,  // an entry passed over, with its reason
  };
  // Called on the worker thread with every line as the log gets it (escaped, without time
  // stamp), and with kind Error for an Excel or PowerPoint file that cannot be opened, which
  // the log passes over in silence. Set before the thread starts.
  std::function<void(LineKind, const std::string&)> OnLine;

  // What became of the files of the run. Written by the worker; read after Finished().
  struct RunCounts {
    int Stamped = 0;  // Office files given the watermark (saved, or printed)
    int Printed = 0;  // PDF files made and delivered
    int Copied = 0;   // other files copied
    int Skipped = 0;  // files passed over because their destination exists
    int Failed = 0;   // files that could not be handled (opened, stamped, saved, printed, copied)
  };
  RunCounts Counts;

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
  // The share of the job's files this run handles (counted, processed, copied); the whole
  // job unless set. Set before the thread starts.
  RShard Shard;

  // The name the log is kept under: JobName, or JobName + ".shard-K" for a shard of a split
  // job (the file "sw" + LogName() + ".log").
  std::string LogName() const;

  // True once the run has ended on an error: an error that ended it, a PDF job with no
  // usable PDF printer, a run refused (job held by another run, unusable job name), or a
  // failure before the log was open (see FatalError). Files that failed do not end the run;
  // see Counts.Failed.
  bool EndedOnError() const { return endedOnError_ || !FatalError().empty(); }
  // True when the run was refused before it began (see above); nothing was logged.
  bool Refused() const { return refused_; }

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
  // True when the file belongs to this run's shard (see RShard).
  bool InShard(const std::string& source) const;
  // With several workers: starts them; files then go to the pool (see ProcessFile).
  void StartPool();
  // Waits for the pool's files, ends its workers and takes over their counts.
  void EndPool();

  // By the extension, in any letter case: .doc is Word, .xls Excel, .ppt PowerPoint, and with
  // ModernFormats also .docx/.docm/.odt, .xlsx/.xlsm/.ods and .pptx/.pptm/.odp; a kind whose
  // switch and PDF are both off, and every other extension, is Other.
  FileKind Classify(const std::string& source) const;
  bool NeedProcess(const std::string& source, const std::string& dest) const;
  bool NeedCopy(const std::string& source, const std::string& dest) const;
  bool IsWalkDestination(const std::string& folder) const;
  void WriteLog(const std::string& text, LineKind kind = LineKind::Action);
  // Takes the job's lock; false (with the user told why) when the run must not start.
  bool AcquireJobLock();
  // After an error in the steps of an open document: logs it, closes the document without
  // saving, removes a destination this file wrote, and counts its planned actions as done.
  void FileFailed(const std::string& source, const std::string& message, int doneAfter,
                  const std::string& writtenDest);
  // A non-regular entry (FIFO, socket, device): one line, then passed over.
  void PassOverSpecial(const std::string& path);
  // Logs the PDF files that could not reach their destinations since the last call.
  void ReportFlushErrors();
  // Before a PDF print: makes sure the PDF file name cannot be confused with an earlier one.
  void PrepareForPrint(const std::string& source, const std::string& pdfFileName);
  // Closes the document that is still open, without saving; errors reach the caller.
  void CloseOpenDocument();
  // The same once a file's work is complete: an error of the close is passed over.
  void CloseUnsaved();
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
  std::string step_;  // the step of the file in hand, for error lines
  // The destination folder of the folder entry being walked or counted. A source subfolder
  // that is this folder is passed over: a destination inside its source would otherwise be
  // walked into itself, nesting ever deeper copies until paths grow too long.
  std::string walkDest_;
  // The engine whose document is open between a successful open and its close.
  enum class OpenDocument { None, Word, Excel, Ppt };
  OpenDocument openDocument_ = OpenDocument::None;
  bool finishing_ = false;  // FinishRun has begun
  // The source of the entry in hand: files are placed in shards by their path below it.
  std::string itemSource_;
  friend class TJobPool;
  // The workers of a run with several; empty otherwise, and on a worker's own unit.
  std::unique_ptr<TJobPool> pool_;
  // On a worker's unit: the pool that shows its progress and collects its counts.
  TJobPool* owner_ = nullptr;
  std::atomic<bool> endedOnError_{false};
  std::atomic<bool> refused_{false};
  int lockFd_ = -1;  // the job's lock, held while the run lasts
};

}  // namespace stampwell
