// SPDX-License-Identifier: GPL-3.0-or-later
// stampwell-cli: runs saved jobs without a desktop.
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/cli.h"
#include "jobs/file_utils.h"
#include "office/libreoffice/libreoffice_servers.h"

namespace {

// SIGINT, SIGTERM and SIGHUP are taken by one thread of their own rather than by a handler,
// so that ending at once can end the office processes and remove what they and the run
// were writing. The first signal during a run asks it to stop the way Cancel does (the file
// in hand is finished, the office processes are quit, the log gets its stop line); the next
// one, or the first when no run is under way, ends the program at once.
void WatchSignals(sigset_t signals) {
  for (;;) {
    int sig = 0;
    if (sigwait(&signals, &sig) != 0) continue;
    if (stampwell::cli::StopRequests() == 0 && stampwell::cli::RunInProgress()) {
      stampwell::cli::RequestStop();
      continue;
    }
    stampwell::cli::EndRunLogAtOnce();
    stampwell::EndAllOfficeProcesses();
    stampwell::RemoveRegisteredTempFiles();
    _exit(stampwell::cli::kExitStopped);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);

  // Blocked before any other thread starts, so that every thread inherits the mask and only
  // the watcher receives them (office processes get their defaults back when started).
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(WatchSignals, signals).detach();
  // A terminal that went away must not end the program in the middle of a write.
  signal(SIGPIPE, SIG_IGN);

  stampwell::cli::Terminal terminal;
  terminal.isTerminal = ::isatty(STDOUT_FILENO) == 1;
  struct winsize ws {};
  if (terminal.isTerminal && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
    terminal.width = ws.ws_col;

  stampwell::RegisterLibreOfficeServers();
  stampwell::SetOfficeHasDisplay(false);
  return stampwell::cli::Main(args, std::cout, std::cerr, terminal);
}
