// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "platform/thread.h"
#include "run/file_kinds.h"
#include "run/output_names.h"
#include "run/run_progress.h"
#include "run/shard.h"

namespace stampwell {

class JobDisplay;
class MessageTarget;
class TFileWorker;
class TJobLog;
class TJobPool;
class TPDFStack;

// Runs one job on its own thread: walks the job's folders and single files, hands every
// file to a per-file worker (TFileWorker: the one pipeline that stamps and saves or prints a
// document of each kind in FileKinds through its engine, and copies other files), logs
// every action to the job's log, reports progress to a display on the UI thread
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
// Progress: while the run lasts, its counts and current action live in one sink
// (TRunProgress) that every thread of the run changes and reads under its lock, so a pause,
// a suspend or a stop with several workers shows whole values. The public counts are written
// by the runner's thread; read them from another thread only after Finished().
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

  // What a line of the run is, for front ends that show it (see RunLineKind).
  using LineKind = RunLineKind;
  // Called with every line as the log gets it (escaped, without time stamp), and with kind
  // Error for an Excel or PowerPoint file that cannot be opened, which the log passes over
  // in silence; on the runner's thread or a worker's, one line at a time. Set before the
  // thread starts.
  std::function<void(LineKind, const std::string&)> OnLine;

  // What became of the files of the run (see RRunCounts). Set when the run ends; read
  // after Finished().
  using RunCounts = RRunCounts;
  RunCounts Counts;

  // The document kinds this run stamps and their engines, tried in order (see RFileKind);
  // StandardFileKinds() unless changed before the thread starts.
  std::vector<RFileKind> FileKinds = StandardFileKinds();

  RDocSettings DocSettings;
  RJobSettings Settings;
  std::string JobName;
  // The planned and the handled actions. TotalCount is set by CountItems, DoneCount when
  // the run ends; while it runs, progress lives in the run's sink and reaches the display.
  std::int32_t TotalCount = 0;
  std::int32_t DoneCount = 0;
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
  // Gives the run's log its stop line and closing lines now, from any thread, unless the run
  // has written them itself; nothing is logged after. For the program's way out at once (a
  // second Ctrl-C): the log ends as a stopped run's does.
  void EndLogAtOnce();

 protected:
  void Execute() override;
  // A paused run shows its true count and action first: the log may hold steps that no
  // progress report has shown yet.
  void BeforePause() override;

 private:
  struct Item {
    std::string source;
    std::string dest;
    std::string kind;
  };

  void InitRun();
  void CountFolder(const std::string& source, const std::string& dest);
  void WalkFolder(const std::string& source, const std::string& dest);
  void RunFileItem(const std::string& source, const std::string& dest);
  void ProcessFile(const std::string& source, const std::string& dest,
                   const std::string& pdf = std::string());
  // The names of a folder's files to walk or count (not the subfolders, nor what is passed
  // over), in the walk's order.
  static std::vector<std::string> FileNames(const std::string& folder);
  // Logs that a document's PDF did not get its plain name, and why.
  void TellRenamed(const RPlannedFile& file);
  void FinishRun();
  // Copies the sink's count and file counts into DoneCount, TotalCount and Counts.
  void Publish();
  // Shows a snapshot of the sink on the display (any thread of the run).
  void ShowProgress(const TRunProgress::Snapshot& snapshot);
  void JobTerminate();
  // True when the file belongs to this run's shard (see RShard).
  bool InShard(const std::string& source) const;
  // With several workers: starts them; files then go to the pool (see ProcessFile).
  void StartPool();
  // Waits for the pool's files and ends its workers.
  void EndPool();

  bool IsWalkDestination(const std::string& folder) const;
  void WriteLog(const std::string& text, LineKind kind = LineKind::Action);
  // Takes the job's lock; false (with the user told why) when the run must not start.
  bool AcquireJobLock();
  // A non-regular entry (FIFO, socket, device): one line, then passed over.
  void PassOverSpecial(const std::string& path);
  // A link to a file met in a folder: one leading outside the entry's source folder is passed
  // over with a line; one inside is passed over quietly (its target is handled where it lies).
  void PassOverLink(const std::string& path);
  // Runs step, writing an error line instead of letting an engine error escape.
  template <typename Step>
  void Guarded(const std::string& what, Step&& step);

  std::vector<Item> items_;
  std::unique_ptr<TPDFStack> pdfStack_;
  std::unique_ptr<TJobLog> log_;
  // Every count and action text of the run while it lasts, for every thread of it.
  TRunProgress progress_;
  // The run's own worker: all files with one worker; only the closing sample with several.
  std::unique_ptr<TFileWorker> worker_;
  std::weak_ptr<MessageTarget> mainWindow_;
  std::weak_ptr<JobDisplay> display_;
  std::mutex displayMutex_;  // one report at a time reaches the display
  // OnLine, taken at the start of the run, one line at a time (lineMutex_).
  std::function<void(LineKind, const std::string&)> lines_;
  std::mutex lineMutex_;
  std::string currentFile_;  // the file in hand on the run's thread (for error lines)
  // The destination folder of the folder entry being walked or counted. A source subfolder
  // that is this folder is passed over: a destination inside its source would otherwise be
  // walked into itself, nesting ever deeper copies until paths grow too long.
  std::string walkDest_;
  // The outputs the walk has given out (and, apart from them, those the count has planned):
  // no output of the run replaces another.
  TOutputNames outputs_;
  TOutputNames countedOutputs_;
  bool finishing_ = false;  // FinishRun has begun
  // The source of the entry in hand: files are placed in shards by their path below it.
  std::string itemSource_;
  // The workers of a run with several; empty otherwise.
  std::unique_ptr<TJobPool> pool_;
  std::atomic<bool> endedOnError_{false};
  std::atomic<bool> refused_{false};
  int lockFd_ = -1;       // the job's lock, held while the run lasts
  int shardLockFd_ = -1;  // a shard's own lock besides
  // The stop line and the closing lines, written once, by the run or by EndLogAtOnce.
  void WriteStopLine();
  void WriteClosingLines();
  std::mutex endMutex_;  // the three below
  bool logBegun_ = false;
  bool stopLineWritten_ = false;
  bool logEnded_ = false;
};

}  // namespace stampwell
