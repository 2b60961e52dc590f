#pragma once

#include <string>

namespace stampwell {

// The native path separator. Every path the system builds joins its parts with it.
inline constexpr char PathDelim = '/';

// Directory of the running executable, always ending with PathDelim. Found through
// /proc/self/exe on first use; tests redirect it with SetProgramDir.
std::string ProgramDir();

// Points ProgramDir at another directory (tests). A missing trailing separator is added.
// An empty path restores the executable's directory.
void SetProgramDir(const std::string& path);

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
