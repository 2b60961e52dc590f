// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace stampwell::cli {

// Exit statuses of stampwell-cli.
inline constexpr int kExitOk = 0;         // the command did what it was asked; a run ended normally
inline constexpr int kExitRunError = 1;   // a file of the run failed, the run ended on an error
                                          // or was refused, or a profile could not be read
inline constexpr int kExitUsage = 2;      // bad usage, or no job of that name
inline constexpr int kExitStopped = 130;  // a run was stopped (Ctrl-C, SIGTERM, SIGHUP)

// How standard output looks: a terminal gets a one-line progress bar cut to its width,
// anything else gets one line per action.
struct Terminal {
  bool isTerminal = false;
  int width = 80;
};

// Runs one command line (args without the program name): list, run NAME, history NAME,
// --help, --version. Core messages go to err while it runs. Returns the exit status.
// Blocks until a run has ended; the calling thread serves as the run's UI thread.
// A run prints every action and notice its log gets to out, and every error to err (line
// breaks escaped as in the log), then one summary line: stamped, printed, copied, skipped
// because the destination exists, failed, and the log's path.
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
         const Terminal& terminal);

// Ctrl-C, SIGTERM, SIGHUP. The first request asks a running job to stop the way Cancel does
// (the file in hand is finished, the office is quit, the log gets its stop line); the program
// ends at once on the second (see main). Safe to call from any thread.
void RequestStop();
int StopRequests();
// True while Main runs a job.
bool RunInProgress();
// Ends the log of the run under way at once, as a stopped run's log ends (its stop line and
// closing lines); no line is logged after. For the way out on a second Ctrl-C.
void EndRunLogAtOnce();
// Forgets earlier requests (Main does this when it starts).
void ResetStopRequests();

// The usage text printed by --help and after a usage error.
std::string UsageText();

}  // namespace stampwell::cli
