// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace stampwell {

// The native path separator. Every path the system builds joins its parts with it.
inline constexpr char PathDelim = '/';

// The program directory: the folder the jobs live in, always ending with PathDelim. It holds
// the profiles ("sw" + name + ".ini"), their logs ("sw" + name + ".log") and what a run
// leaves beside them. This function alone decides where that is:
//  - run from its build tree (no installed data folder, see InstalledDataDir), the program
//    keeps its jobs beside the executable;
//  - installed, the program's own folder is not the user's to write, so the jobs live in the
//    user's data folder (UserJobsDir: $XDG_DATA_HOME/stampwell, by default
//    ~/.local/share/stampwell), which is created here when it is missing.
// SetProgramDir redirects it (tests).
std::string ProgramDir();

// The folder of the program's read-only data (help.mht, Sample.doc), ending with PathDelim:
// the installed data folder when there is one, else the executable's folder (build tree).
// While SetProgramDir redirects the program directory, the data is looked for there as well.
std::string DataDir();

// Points ProgramDir and DataDir at another directory (tests). A missing trailing separator
// is added. An empty path restores the folders found from the executable.
void SetProgramDir(const std::string& path);

// The folder of the running executable, ending with PathDelim (from /proc/self/exe).
std::string ExecutableDir();

// The data folder of a program installed with its executable in exeDir, ending with
// PathDelim: exeDir with the install's binary-to-data path applied (normally
// "../share/stampwell"), or "" when that folder does not exist, that is when the program
// runs from its build tree.
std::string InstalledDataDir(const std::string& exeDir);

// The user's jobs folder for an installed program, ending with PathDelim: xdgDataHome +
// "/stampwell" when xdgDataHome is an absolute path, else home + "/.local/share/stampwell"
// (a relative or empty XDG_DATA_HOME is ignored, as the XDG base directory rules say).
// "" when neither gives an absolute path.
std::string UserJobsDir(const char* xdgDataHome, const std::string& home);

// The part of path up to and including its last separator ("" when it has none).
std::string ExtractFilePath(const std::string& path);
// The part of path after its last separator.
std::string ExtractFileName(const std::string& path);
// The extension of the file name, with its dot (".doc"), or "" when the name has none.
std::string ExtractFileExt(const std::string& path);
// path with its extension replaced by ext (ext includes the dot).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

}  // namespace stampwell
