// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/file_utils.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>

#include "platform/message_sink.h"
#include "platform/paths.h"
#include "platform/strings.h"

namespace stampwell {
namespace {

constexpr std::size_t kCopyBlock = 4097;

// Closes a descriptor on every way out of a scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // True when the descriptor was closed without error.
  bool Close() {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

// Creates path and its missing parents. True when path is a directory afterwards.
bool ForceDirectories(const std::string& path) {
  std::string dir = path;
  while (dir.size() > 1 && dir.back() == PathDelim) dir.pop_back();
  if (dir.empty() || DirectoryExists(dir)) return true;
  std::string parent = ExtractFilePath(dir);
  if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
  if (::mkdir(dir.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return false;
  if (DirectoryExists(dir)) return true;
  errno = ENOTDIR;  // a file stands where the folder should be
  return false;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::mutex g_tempMutex;
std::set<std::string>& TempFiles() {
  static std::set<std::string> files;
  return files;
}

// Unregisters and removes a temporary file on every way out of a scope, unless kept.
class TempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) { RegisterTempFile(path_); }
  ~TempFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
    UnregisterTempFile(path_);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  // The file has been renamed into place: nothing to remove.
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

bool CopyThroughTemp(const std::string& source, const std::string& dest, std::string* error) {
  auto fail = [error](std::string text) {
    if (error) *error = std::move(text);
    return false;
  };
  // A FIFO, socket or device is never opened: opening a FIFO blocks until a writer comes.
  struct stat st {};
  if (::stat(source.c_str(), &st) != 0) return fail(ReadErrorText(source, errno));
  if (!S_ISREG(st.st_mode)) return fail("cannot read " + source + ": not a regular file");
  Fd in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!in.valid()) return fail(ReadErrorText(source, errno));
  if (::fstat(in.get(), &st) != 0) return fail(ReadErrorText(source, errno));
  if (!S_ISREG(st.st_mode)) return fail("cannot read " + source + ": not a regular file");
  ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

  std::string folder = ExtractFilePath(dest);
  if (!folder.empty() && !ForceDirectories(folder)) return fail(WriteErrorText(dest, errno));

  const std::string tempPath = TempNameBeside(dest);
  TempFile temp(tempPath);
  // Readable by the user alone while the content arrives; the usual permissions at the end.
  Fd out(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!out.valid()) return fail(WriteErrorText(dest, errno));

  char buffer[kCopyBlock];
  auto remaining = static_cast<long long>(st.st_size);
  while (remaining > 0) {
    ssize_t n = ::read(in.get(), buffer, kCopyBlock);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(ReadErrorText(source, errno));
    }
    if (n == 0) break;
    if (!WriteAll(out.get(), buffer, static_cast<std::size_t>(n)))
      return fail(WriteErrorText(dest, errno));
    remaining -= n;
  }
  if (::fchmod(out.get(), NewFileMode()) != 0) return fail(WriteErrorText(dest, errno));
  if (!out.Close()) return fail(WriteErrorText(dest, errno));
  if (::rename(tempPath.c_str(), dest.c_str()) != 0) return fail(WriteErrorText(dest, errno));
  temp.Release();
  return true;
}

std::string LowerFirst(std::string text) {
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

std::mutex g_desktopMutex;
std::string g_desktopOverride;

std::string HomeDir() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

std::string WithoutTrailingDelim(std::string path) {
  while (path.size() > 1 && path.back() == PathDelim) path.pop_back();
  return path;
}

// The XDG_DESKTOP_DIR entry of user-dirs.dirs, expanded; "" when absent or not usable.
// Values are "$HOME/relative" or an absolute path, in double quotes, backslash escapes allowed.
std::string XdgDesktopDir(const std::string& home) {
  std::ifstream in(home + PathDelim + ".config" + PathDelim + "user-dirs.dirs");
  std::string line;
  std::string found;  // a later assignment overrides an earlier one, as in the shell
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string text = Trim(line);
    if (text.empty() || text[0] == '#') continue;
    auto eq = text.find('=');
    if (eq == std::string::npos || Trim(text.substr(0, eq)) != "XDG_DESKTOP_DIR") continue;
    std::string raw = Trim(text.substr(eq + 1));
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"')
      raw = raw.substr(1, raw.size() - 2);
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == PathDelim)) {
      found = home + value.substr(5);
    } else if (!value.empty() && value[0] == PathDelim) {
      found = value;
    } else {
      found.clear();  // not a form the file allows
    }
  }
  return found;
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find(PathDelim) == std::string::npos && name.find('\0') == std::string::npos;
}

void CopyFileBlocks(const std::string& source, const std::string& dest) {
  if (!CopyThroughTemp(source, dest, nullptr)) ShowMessage("Error in copy" + source);
}

bool CopyFileChecked(const std::string& source, const std::string& dest, std::string* error) {
  return CopyThroughTemp(source, dest, error);
}

std::string TempNameBeside(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  const std::string tag =
      ".~sw" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + "-";
  return ExtractFilePath(target) + tag +
         Utf8CutToBytes(ExtractFileName(target), kMaxFileNameBytes - tag.size());
}

unsigned NewFileMode() {
  // Read, never set: setting the mask to learn it would change it for every other thread.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) != 0) continue;
    const unsigned mask = static_cast<unsigned>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 0666u & ~mask;
  }
  return 0644u;
}

bool IsWorkFileName(const std::string& name) {
  // ".~sw" + digits + "-" or "_": this system's temporary files, old and new.
  if (name.rfind(".~sw", 0) == 0) {
    std::size_t i = 4;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
    if (i > 4 && i < name.size() && (name[i] == '-' || name[i] == '_')) return true;
  }
  return name.rfind(".~lock.", 0) == 0 && name.size() > 8 && name.back() == '#';
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string WriteErrorText(const std::string& path, int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return "disk full writing " + path;
    case EROFS:
      return "cannot write " + path + ": read-only file system";
    case EACCES:
    case EPERM:
      return "cannot write " + path + ": permission denied";
    case ENAMETOOLONG:
      return "cannot write " + path + ": the name is too long";
    default:
      return "cannot write " + path + ": " + LowerFirst(std::strerror(error));
  }
}

std::string ReadErrorText(const std::string& path, int error) {
  switch (error) {
    case ENOENT:
      return "cannot read " + path + ": the file does not exist";
    case EACCES:
    case EPERM:
      return "cannot read " + path + ": permission denied";
    default:
      return "cannot read " + path + ": " + LowerFirst(std::strerror(error));
  }
}

void RegisterTempFile(const std::string& path) {
  std::lock_guard lock(g_tempMutex);
  TempFiles().insert(path);
}

void UnregisterTempFile(const std::string& path) {
  std::lock_guard lock(g_tempMutex);
  TempFiles().erase(path);
}

void RemoveRegisteredTempFiles() {
  std::lock_guard lock(g_tempMutex);
  for (const std::string& path : TempFiles()) ::unlink(path.c_str());
  TempFiles().clear();
}

std::string GetSpecialFolderPath(int csidl) {
  if (csidl != CSIDL_DESKTOP) return {};
  {
    std::lock_guard lock(g_desktopMutex);
    if (!g_desktopOverride.empty()) return WithoutTrailingDelim(g_desktopOverride);
  }
  std::string home = WithoutTrailingDelim(HomeDir());
  if (home.empty()) return {};
  if (home == std::string(1, PathDelim)) home.clear();  // root home: avoid "//Desktop"
  std::string xdg = XdgDesktopDir(home);
  if (!xdg.empty()) return WithoutTrailingDelim(xdg);
  return home + PathDelim + "Desktop";
}

void SetDesktopFolderForTests(const std::string& path) {
  std::lock_guard lock(g_desktopMutex);
  g_desktopOverride = path;
}

void ForceDirectories(const std::string& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
}

}  // namespace stampwell
