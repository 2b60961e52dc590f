// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace stampwell {

// How office processes are started and what they leave behind, kept apart from UNO so that
// it can be tested without an office.

struct ROfficeLaunch {
  std::string program;            // absolute path of the executable
  std::vector<std::string> args;  // argv[0] included
  std::vector<std::string> env;   // the whole environment, "NAME=value"
  // The process is killed when this program ends, however it ends. Off only for an office
  // that may be handed over to the user with a document shown in a window.
  bool endWithProgram = true;
};

// Starts launch.program in a process group of its own, with standard input and outputs on
// /dev/null, default signal handling, the processors the calling thread may run on, and the
// file mode mask 077: whatever the user's mask,
// everything the process creates (its pipe, its profile, its temporary files) is reachable by
// the user alone. Every process is started from one thread that lives as long as the program,
// so that the parent-death signal fires when the program ends, not when the thread that asked
// for the start ends. Throws std::runtime_error when the program cannot be started.
pid_t SpawnPrivateProcess(const ROfficeLaunch& launch);

// The start of the names of this program's office profile folders and pipes, with the id of
// the process that made them, so that a later program can tell whether their owner is gone.
std::string OfficeProfilePrefix();  // "stampwell-office-<pid>-"
std::string OfficePipePrefix();     // "stampwell_<pid>_"

// The path of the socket of the office pipe named pipeName ("OSL_PIPE_<uid>_<pipeName>" in
// /tmp, or /var/tmp when /tmp cannot be written); empty when it is in neither.
std::string OfficePipeSocketPath(const std::string& pipeName);

// The socket of the single-instance pipe of an office started on the profile folder
// profileDir (in /tmp, or /var/tmp), whether or not it exists: LibreOffice names it
// "OSL_PIPE_<uid>_SingleOfficeIPC_" and the MD5 of the profile's URL (of its UTF-16 code
// units), each byte in hex without leading zeros. An office that ends by itself removes it;
// one that is killed leaves it behind.
std::string SingleInstancePipePath(const std::string& profileDir);
// Removes that socket, when it is one of this user's, once the office on profileDir is gone.
void RemoveSingleInstancePipe(const std::string& profileDir);

// Empty when path is a socket owned by this user that neither group nor others may reach;
// otherwise why it may not be used.
std::string PipeSocketProblem(const std::string& path);

// Marks profileDir as the profile of an office left running for the user: a later program
// takes it away only once no process uses it.
void MarkProfileHandedOver(const std::string& profileDir);

// Removes what runs of this user that have ended without cleaning up left behind: office
// profile folders in tempDir and the office pipes' sockets in /tmp and /var/tmp whose owning
// program is gone, after killing an office process still running on such a profile. A folder
// of an office that was left open for the user is removed only once no process uses it.
// Returns the number of folders and sockets removed.
int RemoveLeftoversOfDeadRuns(const std::string& tempDir);

}  // namespace stampwell
