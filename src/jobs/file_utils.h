#pragma once

#include <string>

namespace stampwell {

// True when name can only denote a file directly inside a folder: not empty, not "." or "..",
// and without a path separator or NUL. Profile and log names are checked with it so that no
// job name reaches outside the program directory.
bool IsPlainFileName(const std::string& name);

// Shell folder numbers understood by GetSpecialFolderPath.
inline constexpr int CSIDL_DESKTOP = 0;

// Copies the bytes of source to dest, reading in blocks of 4097 bytes. Missing folders of
// dest are created; an existing dest is replaced. The bytes go to a temporary file beside
// dest that is renamed over dest only when the whole copy succeeded, so a copy that fails
// part-way never leaves a half-written dest (an older dest stays as it was). Any failure is
// reported through ShowMessage as "Error in copy" + source; nothing is returned and callers
// go on. Safe to call from any thread.
void CopyFileBlocks(const std::string& source, const std::string& dest);

// The file-system path of a shell folder, without a trailing separator, or "" when the
// folder has none. Only CSIDL_DESKTOP is known: the XDG desktop directory
// (XDG_DESKTOP_DIR in ~/.config/user-dirs.dirs), else ~/Desktop.
std::string GetSpecialFolderPath(int csidl);

// Makes GetSpecialFolderPath(CSIDL_DESKTOP) answer path (tests); "" restores the lookup.
void SetDesktopFolderForTests(const std::string& path);

}  // namespace stampwell
