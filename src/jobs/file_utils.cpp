#include "jobs/file_utils.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>

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
  return errno == EEXIST && DirectoryExists(dir);
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

// A name beside dest that no other copy (in this or another process) uses at the same time.
std::string TempNameFor(const std::string& dest) {
  static std::atomic<unsigned> counter{0};
  return ExtractFilePath(dest) + "." + ExtractFileName(dest) + ".swcopy-" +
         std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
}

bool CopyThroughTemp(const std::string& source, const std::string& dest) {
  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return false;
  struct stat st {};
  if (::fstat(in.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;

  std::string folder = ExtractFilePath(dest);
  if (!folder.empty() && !ForceDirectories(folder)) return false;

  std::string temp = TempNameFor(dest);
  Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!out.valid()) return false;

  bool ok = true;
  char buffer[kCopyBlock];
  auto remaining = static_cast<long long>(st.st_size);
  while (remaining > 0) {
    ssize_t n = ::read(in.get(), buffer, kCopyBlock);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0) break;
    if (!WriteAll(out.get(), buffer, static_cast<std::size_t>(n))) {
      ok = false;
      break;
    }
    remaining -= n;
  }
  if (!out.Close()) ok = false;
  if (ok && ::rename(temp.c_str(), dest.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
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
  if (!CopyThroughTemp(source, dest)) ShowMessage("Error in copy" + source);
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

}  // namespace stampwell
