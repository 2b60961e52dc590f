// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace stampwell {

// True when name can only denote a file directly inside a folder: not empty, not "." or "..",
// and without a path separator or NUL. Profile and log names are checked with it so that no
// job name reaches outside the program directory.
bool IsPlainFileName(const std::string& name);

// The longest file name (one path component) the file systems take, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// A fresh name beside target for a file being written before it is renamed into place.
// It starts with ".~sw" (see IsWorkFileName) and never exceeds kMaxFileNameBytes, however
// long target's own name is, and no other writer in this or another process uses it.
std::string TempNameBeside(const std::string& target);

// The permissions a new file gets from this process's file mode mask (0666 without its
// bits). Temporary files are made readable by the user alone and given these, or the
// permissions of the file they replace, just before they are renamed into place.
unsigned NewFileMode();

// True for the names of files that only exist while work is under way: the system's own
// temporary files (".~sw...") and LibreOffice lock files (".~lock.<name>#"). A folder walk
// passes them over, so that a trace of an interrupted run is never taken for a document.
bool IsWorkFileName(const std::string& name);

// Creates folder and the folders above it that are missing. A folder that cannot be made
// shows later, when a file is written into it.
void ForceDirectories(const std::string& folder);

// True when path is a regular file (symbolic links followed): not a folder, FIFO, socket or
// device. Only regular files are ever opened as documents or copied.
bool IsRegularFile(const std::string& path);

// What went wrong while writing path, in the user's words: "cannot write <path>: read-only
// file system", "disk full writing <path>", "cannot write <path>: permission denied", ...
std::string WriteErrorText(const std::string& path, int error);
// The same for reading: "cannot read <path>: ...".
std::string ReadErrorText(const std::string& path, int error);

// Temporary files being written right now, so that an emergency end (a second Ctrl-C, a
// fatal signal) can remove them. Registering and removing are thread-safe.
void RegisterTempFile(const std::string& path);
void UnregisterTempFile(const std::string& path);
// Removes every registered temporary file (used on the way out of the program).
void RemoveRegisteredTempFiles();

// Shell folder numbers understood by GetSpecialFolderPath.
inline constexpr int CSIDL_DESKTOP = 0;

// Copies the bytes of source to dest, reading in blocks of 4097 bytes. Missing folders of
// dest are created; an existing dest is replaced. The bytes go to a temporary file beside
// dest that is renamed over dest only when the whole copy succeeded, so a copy that fails
// part-way never leaves a half-written dest (an older dest stays as it was). Any failure is
// reported through ShowMessage as "Error in copy" + source; nothing is returned and callers
// go on. Safe to call from any thread.
void CopyFileBlocks(const std::string& source, const std::string& dest);

// CopyFileBlocks without the message: true when dest holds the bytes of source; otherwise
// false, with what went wrong in *error (ReadErrorText / WriteErrorText wording, naming
// source or dest, never the temporary file). Only a regular source file is copied: a FIFO,
// socket or device is refused without being opened for reading, so that it cannot block.
bool CopyFileChecked(const std::string& source, const std::string& dest, std::string* error);

// The file-system path of a shell folder, without a trailing separator, or "" when the
// folder has none. Only CSIDL_DESKTOP is known: the XDG desktop directory
// (XDG_DESKTOP_DIR in ~/.config/user-dirs.dirs), else ~/Desktop.
std::string GetSpecialFolderPath(int csidl);

// Makes GetSpecialFolderPath(CSIDL_DESKTOP) answer path (tests); "" restores the lookup.
void SetDesktopFolderForTests(const std::string& path);

}  // namespace stampwell
