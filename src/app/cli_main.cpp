// stampwell-cli: runs saved jobs without a desktop.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include <sys/ioctl.h>
#include <unistd.h>

#include "app/cli.h"
#include "office/libreoffice/libreoffice_servers.h"

namespace {

// First Ctrl-C: ask the run to stop. Second: end at once.
void OnInterrupt(int) {
  if (stampwell::cli::StopRequests() >= 1) _exit(stampwell::cli::kExitStopped);
  stampwell::cli::RequestStop();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);

  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);

  stampwell::cli::Terminal terminal;
  terminal.isTerminal = ::isatty(STDOUT_FILENO) == 1;
  struct winsize ws {};
  if (terminal.isTerminal && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
    terminal.width = ws.ws_col;

  stampwell::RegisterLibreOfficeServers();
  stampwell::SetOfficeHasDisplay(false);
  return stampwell::cli::Main(args, std::cout, std::cerr, terminal);
}
