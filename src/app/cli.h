#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace stampwell::cli {

// Exit statuses of stampwell-cli.
inline constexpr int kExitOk = 0;         // the command did what it was asked; a run ended normally
inline constexpr int kExitRunError = 1;   // a run ended on an error, or a profile could not be read
inline constexpr int kExitUsage = 2;      // bad usage, or no job of that name
inline constexpr int kExitStopped = 130;  // a run was stopped by the user (Ctrl-C)

// How standard output looks: a terminal gets a one-line progress bar cut to its width,
// anything else gets one line per action.
struct Terminal {
  bool isTerminal = false;
  int width = 80;
};

// Runs one command line (args without the program name): list, run NAME, history NAME,
// --help, --version. Core messages go to err while it runs. Returns the exit status.
// Blocks until a run has ended; the calling thread serves as the run's UI thread.
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
         const Terminal& terminal);

// Ctrl-C. The first request asks a running job to stop the way Cancel does (the file in hand
// is finished, the log gets its stop line); the program ends at once on the second (see
// main). Safe to call from a signal handler.
void RequestStop();
int StopRequests();
// Forgets earlier requests (Main does this when it starts).
void ResetStopRequests();

// The usage text printed by --help and after a usage error.
std::string UsageText();

}  // namespace stampwell::cli
