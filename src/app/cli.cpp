// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <sstream>

#include "jobs/profile_list.h"
#include "platform/message_sink.h"
#include "platform/message_target.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/thread.h"
#include "platform/ui_dispatcher.h"
#include "platform/window_messages.h"
#include "run/job.h"
#include "run/job_display.h"
#include "run/job_log.h"
#include "run/job_pool.h"
#include "run/shard.h"

#ifndef STAMPWELL_VERSION
#define STAMPWELL_VERSION "0.0.0"
#endif

namespace stampwell::cli {
namespace {

std::atomic<int> g_stopRequests{0};
std::atomic<bool> g_runInProgress{false};
// The run under way, so that a stop request reaches it at once from whichever thread makes
// it, rather than when this thread next looks.
std::mutex g_runMutex;
std::weak_ptr<TJob> g_run;

// Shows a run: each action and notice the log gets on a line of its own (errors go to the
// error stream), and on a terminal a bar with "done/total" and the current action below them
// that is redrawn in place.
class CliDisplay : public JobDisplay {
 public:
  CliDisplay(std::ostream& out, std::ostream& err, const Terminal& terminal)
      : out_(out), err_(err), terminal_(terminal) {}

  void SetProgressRange(int, int maximum) override {
    total_ = maximum;
    Redraw();
  }
  void SetProgressPosition(int position) override {
    done_ = position;
    Redraw();
  }
  void SetActionText(const std::string& text) override { fullAction_ = text; }
  void SetActionCaption(const std::string& caption) override {
    // The caption is cut for a window; the bar shows the whole action where it can (the
    // whole text comes just before the caption).
    action_ = fullAction_.empty() ? caption : TJobLog::EscapeLine(fullAction_);
    fullAction_.clear();
    Redraw();
  }
  void SetStatusCaption(const std::string&) override {}
  void SetStatusPanelText(const std::string&) override {}

  // A line of the run, in the order the log got it (UI thread).
  void Line(TJob::LineKind kind, const std::string& text) {
    if (kind == TJob::LineKind::Frame) return;
    ClearBar();
    std::ostream& stream = kind == TJob::LineKind::Error ? err_ : out_;
    stream << text << '\n';
    stream.flush();
    if (drawn_) Redraw();
  }

  // The run being shown; set before the UI queue is first served.
  std::shared_ptr<TJob> job;

  // Ends the progress line so that later output starts on a line of its own.
  void Finish() {
    if (terminal_.isTerminal && drawn_) {
      out_ << '\n';
      out_.flush();
    }
    drawn_ = false;
  }

 private:
  void ClearBar() {
    if (terminal_.isTerminal && drawn_) {
      out_ << "\r\x1b[2K";
      out_.flush();
    }
  }
  void Redraw() {
    if (!terminal_.isTerminal) return;
    constexpr int kBarWidth = 20;
    int filled =
        total_ > 0 ? static_cast<int>(static_cast<long long>(done_) * kBarWidth / total_) : 0;
    if (filled > kBarWidth) filled = kBarWidth;
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') +
                       "] " + std::to_string(done_) + "/" + std::to_string(total_);
    if (!action_.empty()) line += " " + action_;
    size_t width = terminal_.width > 1 ? static_cast<size_t>(terminal_.width - 1) : 79;
    if (Utf8Length(line) > width) line = Utf8CutToChars(line, width);
    out_ << "\r\x1b[K" << line;
    out_.flush();
    drawn_ = true;
  }

  std::ostream& out_;
  std::ostream& err_;
  Terminal terminal_;
  int total_ = 0;
  int done_ = 0;
  std::string action_;
  std::string fullAction_;  // the whole action given with the caption that follows
  bool drawn_ = false;
};

// Stands in for the main window: notes the end of the run.
class CliTarget : public MessageTarget {
 public:
  void PostMessage(std::uint32_t message, std::intptr_t, std::intptr_t) override {
    if (message == WM_JOBEND) ended = true;
  }
  bool ended = false;
};

// Reads the profiles of the program directory. A profile that cannot be read is named and
// passed over; the others are read all the same. A profile without a job name counts as
// unreadable: its run would have no log of its own ("sw.log") and no name to be run by.
// False when one could not be read.
bool LoadAllProfiles(std::ostream& err) {
  bool ok = true;
  try {
    LoadProfiles();
  } catch (const std::exception& e) {
    err << "stampwell-cli: " << e.what() << '\n';
    ok = false;
  }
  auto& list = ProfileList();
  for (auto it = list.begin(); it != list.end();) {
    if (!(*it)->Settings.Name.empty()) {
      ++it;
      continue;
    }
    err << "stampwell-cli: " << (*it)->FileName << ": the profile names no job (Name in [BasicInfo])\n";
    it = list.erase(it);
    ok = false;
  }
  return ok;
}

std::string Summary(const TJob::RunCounts& c) {
  return "stamped " + std::to_string(c.Stamped) + ", printed " + std::to_string(c.Printed) +
         ", copied " + std::to_string(c.Copied) + ", skipped " + std::to_string(c.Skipped) +
         " (destination exists), failed " + std::to_string(c.Failed) +
         (c.Verified > 0 ? ", verified " + std::to_string(c.Verified) : std::string());
}

int Usage(std::ostream& err, const std::string& problem) {
  err << "stampwell-cli: " << problem << '\n' << UsageText();
  return kExitUsage;
}

int ListJobs(std::ostream& out, std::ostream& err) {
  bool ok = LoadAllProfiles(err);
  for (const auto& p : ProfileList()) {
    const RJobSettings& s = p->Settings;
    out << p->Settings.Name << '\t' << p->FileName << '\t' << "Doc=" << s.Doc << " Xls=" << s.Xls
        << " Ppt=" << s.Ppt << " PDF=" << s.PDF << " OtherFiles=" << s.OtherFiles
        << " ModernFormats=" << s.ModernFormats << " PdfFiles=" << s.PdfFiles << '\t'
        << p->Items.size() << (p->Items.size() == 1 ? " item" : " items") << '\n';
  }
  return ok ? kExitOk : kExitRunError;
}

std::shared_ptr<TJobProfile> FindJob(const std::string& name, std::ostream& err) {
  LoadAllProfiles(err);
  int index = FindProfile(name);
  if (index < 0) return nullptr;
  return ProfileList()[static_cast<size_t>(index)];
}

int ShowHistory(const std::string& name, std::ostream& out, std::ostream& err) {
  auto profile = FindJob(name, err);
  if (!profile) return Usage(err, "no job named \"" + name + "\"");
  TJobLog log(profile->Settings.Name);
  if (!log.OpenLog(false)) return kExitOk;  // a job that never ran has an empty history
  std::string line;
  while (log.ReadLog(line)) out << line << '\n';
  log.CloseLog();
  return kExitOk;
}

// Options of "run" beyond the job's own settings.
struct RunOptions {
  std::optional<int> workers;  // --workers N; 0: one per core
  RShard shard;                // --shard K/N
  bool verify = false;         // --verify: check every page of each saved file for the mark
};

// Reads the options after "run NAME"; false (with usage printed) on a bad one.
bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& options,
                     std::ostream& err, int& status) {
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--verify") {
      options.verify = true;
      continue;
    }
    if (option != "--workers" && option != "--shard") {
      status = Usage(err, "unknown option " + option);
      return false;
    }
    if (i + 1 >= args.size()) {
      status = Usage(err, option + " needs a value");
      return false;
    }
    const std::string& value = args[++i];
    if (option == "--workers") {
      char* end = nullptr;
      const long n = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || value[0] == '-' || value[0] == '+' ||
          n > TJobPool::kMaxWorkers) {
        status = Usage(err, "--workers wants a number from 0 (one per core) to " +
                                std::to_string(TJobPool::kMaxWorkers) + ", not \"" + value +
                                "\"");
        return false;
      }
      options.workers = static_cast<int>(n);
    } else {
      std::string problem;
      auto shard = ParseShard(value, [](const char* v) { return std::getenv(v); }, &problem);
      if (!shard) {
        status = Usage(err, problem);
        return false;
      }
      options.shard = *shard;
    }
  }
  return true;
}

int RunNamedJob(const std::string& name, const RunOptions& options, std::ostream& out,
                std::ostream& err, const Terminal& terminal) {
  auto profile = FindJob(name, err);
  if (!profile) return Usage(err, "no job named \"" + name + "\"");

  QueueDispatcher ui;  // this thread is the run's UI thread
  auto display = std::make_shared<CliDisplay>(out, err, terminal);
  auto target = std::make_shared<CliTarget>();
  // The run reaches its UI thread through the main dispatcher: this thread, while it lasts.
  struct DispatcherScope {
    explicit DispatcherScope(UiDispatcher* d) : previous(MainDispatcher()) { SetMainDispatcher(d); }
    ~DispatcherScope() { SetMainDispatcher(previous); }
    UiDispatcher* previous;
  } dispatcherScope(&ui);
  struct RunScope {
    RunScope() { g_runInProgress = true; }
    ~RunScope() {
      g_runInProgress = false;
      std::lock_guard lock(g_runMutex);
      g_run.reset();
    }
  } runScope;
  std::shared_ptr<TJob> job;
  try {
    // The command line's options apply to this run only; the profile is not changed.
    // Every line of the log is shown, in order, on this thread.
    std::weak_ptr<CliDisplay> weakDisplay = display;
    auto hook = [&ui, weakDisplay, &options](TJob& run) {
      if (options.workers) run.Settings.Workers = *options.workers;
      if (options.verify) run.Settings.Verify = true;
      run.Shard = options.shard;
      {
        std::lock_guard lock(g_runMutex);
        g_run = std::static_pointer_cast<TJob>(run.weak_from_this().lock());
      }
      run.OnLine = [&ui, weakDisplay](TJob::LineKind kind, const std::string& text) {
        ui.Post([weakDisplay, kind, text] {
          if (auto d = weakDisplay.lock()) d->Line(kind, text);
        });
      };
    };
    if (!profile->RunJob(target, display, hook)) return kExitRunError;
    job = profile->Job.lock();
    display->job = job;
  } catch (const std::exception& e) {
    err << "stampwell-cli: the job could not be started: " << e.what() << '\n';
    return kExitRunError;
  }
  bool stopSent = false;
  while (!target->ended) {
    ui.WaitAndProcess(100);
    if (!stopSent && StopRequests() > 0 && job) {
      job->Terminate();
      stopSent = true;
    }
  }
  if (job) job->WaitFor();
  ui.ProcessPending();
  display->Finish();
  if (!job) return kExitRunError;
  if (job->Refused()) return kExitRunError;  // the run has said why; it wrote no log
  const TJob::RunCounts& counts = job->Counts;
  if (counts.Stamped + counts.Printed + counts.Copied + counts.Failed == 0 && counts.Skipped > 0 &&
      !stopSent)
    out << "Nothing to do: "
        << (counts.Skipped == 1 ? std::string("1 destination exists")
                                : std::to_string(counts.Skipped) + " destinations exist")
        << "\n";
  out << "Job " << name << ": " << Summary(counts) << "; log: " << ProgramDir() << "sw"
      << job->LogName() << ".log\n";
  if (stopSent) return kExitStopped;
  if (job->EndedOnError() || counts.Failed > 0) return kExitRunError;
  return kExitOk;
}

}  // namespace

void RequestStop() {
  g_stopRequests.fetch_add(1);
  std::shared_ptr<TThread> run;
  {
    std::lock_guard lock(g_runMutex);
    run = g_run.lock();
  }
  if (run) run->Terminate();
}
bool RunInProgress() { return g_runInProgress.load(); }
void EndRunLogAtOnce() {
  std::shared_ptr<TJob> run;
  {
    std::lock_guard lock(g_runMutex);
    run = g_run.lock();
  }
  if (run) run->EndLogAtOnce();
}
int StopRequests() { return g_stopRequests.load(); }
void ResetStopRequests() { g_stopRequests.store(0); }

std::string UsageText() {
  return "Usage: stampwell-cli COMMAND\n"
         "Runs Stampwell jobs saved by the desktop program (profiles sw<Name>.ini in\n" +
         ProgramDir() +
         ").\n\n"
         "Commands:\n"
         "  list           list the jobs: name, profile file, switches, number of items\n"
         "  run NAME       run the job named NAME; Ctrl-C (or SIGTERM, SIGHUP) stops it\n"
         "                 after the file in hand, a second one ends at once\n"
         "    --workers N  handle N files at once, each with its own office processes\n"
         "                 (0: one per processor core; default: the job's Workers, 1);\n"
         "                 two or more hold a core each (STAMPWELL_PIN_WORKERS=0: never)\n"
         "    --shard K/N  handle only shard K (0 .. N-1) of the job's files, logging to\n"
         "                 sw<NAME>.shard-K.log; auto/N takes K from JOB_COMPLETION_INDEX\n"
         "                 (Kubernetes) or SLURM_ARRAY_TASK_ID (Slurm)\n"
         "    --verify     open each saved file again, render its pages and fail it when a\n"
         "                 page lacks the mark (as the job's Verify switch does)\n"
         "  history NAME   print the job's log\n"
         "  --help         print this text\n"
         "  --version      print the version\n\n"
         "Exit status: 0 done, 1 a file failed or the run ended on an error, 2 bad usage\n"
         "or unknown job, 130 stopped.\n";
}

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
         const Terminal& terminal) {
  ResetStopRequests();
  ScopedMessageHandler messages([&err](const std::string& text) {
    err << text << '\n';
    err.flush();
  });
  if (args.empty()) return Usage(err, "no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    if (args.size() != 1) return Usage(err, "--help takes no arguments");
    out << UsageText();
    return kExitOk;
  }
  if (command == "--version") {
    if (args.size() != 1) return Usage(err, "--version takes no arguments");
    out << "stampwell-cli " << STAMPWELL_VERSION << '\n';
    return kExitOk;
  }
  if (command == "list") {
    if (args.size() != 1) return Usage(err, "list takes no arguments");
    return ListJobs(out, err);
  }
  if (command == "run" || command == "history") {
    if (args.size() < 2 || (command == "history" && args.size() != 2))
      return Usage(err, command + " takes one job name");
    if (args[1].empty()) return Usage(err, command + " takes one job name, not an empty one");
    if (args[1][0] == '-') return Usage(err, "unknown option " + args[1]);
    if (command == "history") return ShowHistory(args[1], out, err);
    RunOptions options;
    int status = kExitUsage;
    if (!ParseRunOptions(args, options, err, status)) return status;
    return RunNamedJob(args[1], options, out, err, terminal);
  }
  if (!command.empty() && command[0] == '-') return Usage(err, "unknown option " + command);
  return Usage(err, "unknown command " + command);
}

}  // namespace stampwell::cli
