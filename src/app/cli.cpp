#include "app/cli.h"

#include <atomic>
#include <memory>
#include <ostream>
#include <sstream>

#include "jobs/profile_list.h"
#include "platform/message_sink.h"
#include "platform/message_target.h"
#include "platform/paths.h"
#include "platform/thread.h"
#include "platform/ui_dispatcher.h"
#include "platform/window_messages.h"
#include "run/job.h"
#include "run/job_display.h"
#include "run/job_log.h"

#ifndef STAMPWELL_VERSION
#define STAMPWELL_VERSION "0.0.0"
#endif

namespace stampwell::cli {
namespace {

std::atomic<int> g_stopRequests{0};

// Number of UTF-8 code points in s.
size_t CodePoints(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// The first max code points of s.
std::string CutToCodePoints(const std::string& s, size_t max) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (n == max) return s.substr(0, i);
      ++n;
    }
  }
  return s;
}

// Shows a run on the terminal: a bar with "done/total" and the current action on one line
// that is redrawn in place, or, when output is not a terminal, each action on its own line.
class CliDisplay : public JobDisplay {
 public:
  CliDisplay(std::ostream& out, const Terminal& terminal) : out_(out), terminal_(terminal) {}

  void SetProgressRange(int, int maximum) override {
    total_ = maximum;
    Redraw();
  }
  void SetProgressPosition(int position) override {
    done_ = position;
    Redraw();
  }
  void SetActionCaption(const std::string& caption) override {
    // The caption is cut for a window; a terminal shows the whole action where it can.
    // The worker waits while this runs, so its ActionText is stable here.
    const std::string text = job ? job->ActionText : caption;
    if (text == action_) return;  // a refresh of the same action is not a new line
    action_ = text;
    if (!terminal_.isTerminal) {
      out_ << text << '\n';
      out_.flush();
    }
    Redraw();
  }
  void SetStatusCaption(const std::string&) override {}
  void SetStatusPanelText(const std::string&) override {}

  // The run being shown; set before the UI queue is first served.
  std::shared_ptr<TJob> job;

  // Ends the progress line so that later output starts on a line of its own.
  void Finish() {
    if (terminal_.isTerminal && drawn_) {
      out_ << '\n';
      out_.flush();
    }
  }

 private:
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
    if (CodePoints(line) > width) line = CutToCodePoints(line, width);
    out_ << "\r\x1b[K" << line;
    out_.flush();
    drawn_ = true;
  }

  std::ostream& out_;
  Terminal terminal_;
  int total_ = 0;
  int done_ = 0;
  std::string action_;
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

// Reads the profiles of the program directory. An unreadable profile is reported and the
// profiles read before it are kept, as the desktop program does at start-up.
bool LoadAllProfiles(std::ostream& err) {
  try {
    LoadProfiles();
    return true;
  } catch (const std::exception& e) {
    err << "stampwell-cli: " << e.what() << '\n';
    return false;
  }
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
        << " ModernFormats=" << s.ModernFormats << '\t'
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

int RunNamedJob(const std::string& name, std::ostream& out, std::ostream& err,
                const Terminal& terminal) {
  auto profile = FindJob(name, err);
  if (!profile) return Usage(err, "no job named \"" + name + "\"");

  QueueDispatcher ui;  // this thread is the run's UI thread
  auto display = std::make_shared<CliDisplay>(out, terminal);
  auto target = std::make_shared<CliTarget>();
  // The run reaches its UI thread through the main dispatcher: this thread, while it lasts.
  struct DispatcherScope {
    explicit DispatcherScope(UiDispatcher* d) : previous(MainDispatcher()) { SetMainDispatcher(d); }
    ~DispatcherScope() { SetMainDispatcher(previous); }
    UiDispatcher* previous;
  } dispatcherScope(&ui);
  std::shared_ptr<TJob> job;
  try {
    if (!profile->RunJob(target, display)) return kExitRunError;
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
  display->Finish();
  if (job) job->WaitFor();
  out << "Job " << name << ": " << (job ? job->DoneCount : 0) << " of "
      << (job ? job->TotalCount : 0) << " actions done; log: " << ProgramDir() << "sw"
      << profile->Settings.Name << ".log\n";
  if (stopSent) return kExitStopped;
  if (job && job->EndedOnError()) return kExitRunError;
  return kExitOk;
}

}  // namespace

void RequestStop() { g_stopRequests.fetch_add(1); }
int StopRequests() { return g_stopRequests.load(); }
void ResetStopRequests() { g_stopRequests.store(0); }

std::string UsageText() {
  return "Usage: stampwell-cli COMMAND\n"
         "Runs Stampwell jobs saved by the desktop program (profiles sw<Name>.ini in\n" +
         ProgramDir() +
         ").\n\n"
         "Commands:\n"
         "  list           list the jobs: name, profile file, switches, number of items\n"
         "  run NAME       run the job named NAME; Ctrl-C stops it after the file in hand,\n"
         "                 a second Ctrl-C ends at once\n"
         "  history NAME   print the job's log\n"
         "  --help         print this text\n"
         "  --version      print the version\n\n"
         "Exit status: 0 done, 1 the run ended on an error, 2 bad usage or unknown job,\n"
         "130 stopped.\n";
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
    if (args.size() != 2) return Usage(err, command + " takes one job name");
    if (!args[1].empty() && args[1][0] == '-') return Usage(err, "unknown option " + args[1]);
    return command == "run" ? RunNamedJob(args[1], out, err, terminal)
                            : ShowHistory(args[1], out, err);
  }
  if (!command.empty() && command[0] == '-') return Usage(err, "unknown option " + command);
  return Usage(err, "unknown command " + command);
}

}  // namespace stampwell::cli
