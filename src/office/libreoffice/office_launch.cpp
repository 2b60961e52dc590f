// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/office_launch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <rtl/digest.h>

#include "office/libreoffice/uno_convert.h"

namespace stampwell {

namespace {

// One start request, answered by the spawning thread.
struct RSpawnRequest {
  const char* program = nullptr;
  char* const* argv = nullptr;
  char* const* envp = nullptr;
  bool endWithProgram = true;
  bool hasCpus = false;
  cpu_set_t cpus;  // the asking thread's processors, which the process keeps
  pid_t pid = -1;
  int error = 0;
  bool done = false;
};

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void BecomeChild(const RSpawnRequest& r, pid_t parent, int errorPipe) {
  ::setpgid(0, 0);
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD}) ::sigaction(sig, &dfl, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::umask(077);
  if (r.hasCpus) ::sched_setaffinity(0, sizeof r.cpus, &r.cpus);
  if (r.endWithProgram) {
    // The parent may have ended before the signal was asked for: then go at once.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
  }
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    if (null > 2) ::close(null);
  }
  ::execve(r.program, r.argv, r.envp);
  const int e = errno;
  [[maybe_unused]] ssize_t n = ::write(errorPipe, &e, sizeof e);
  ::_exit(127);
}

void ForkExec(RSpawnRequest& r) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    r.error = errno;
    return;
  }
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    BecomeChild(r, parent, fds[1]);
  }
  ::close(fds[1]);
  if (pid < 0) {
    r.error = errno;
    ::close(fds[0]);
    return;
  }
  // The write end closes on a successful exec; an errno arrives when exec failed.
  int e = 0;
  ssize_t n;
  do n = ::read(fds[0], &e, sizeof e);
  while (n < 0 && errno == EINTR);
  ::close(fds[0]);
  if (n == static_cast<ssize_t>(sizeof e)) {
    r.error = e != 0 ? e : ENOEXEC;
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return;
  }
  r.pid = pid;
}

// The thread every office process is started from. It is never ended: the kernel sends the
// parent-death signal when the thread that forked a process ends, so a worker thread that
// finishes would take its office processes with it. The object is never destroyed, so the
// thread may still be waiting while the program exits.
class TSpawner {
 public:
  static TSpawner& Instance() {
    static TSpawner* spawner = new TSpawner();
    return *spawner;
  }

  void Run(RSpawnRequest& r) {
    std::unique_lock<std::mutex> lock(mutex_);
    queue_.push_back(&r);
    wake_.notify_all();
    done_.wait(lock, [&] { return r.done; });
  }

 private:
  TSpawner() { std::thread([this] { Loop(); }).detach(); }

  void Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return !queue_.empty(); });
      RSpawnRequest* r = queue_.front();
      queue_.pop_front();
      lock.unlock();
      ForkExec(*r);
      lock.lock();
      r->done = true;
      done_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::deque<RSpawnRequest*> queue_;
};

bool ProcessExists(pid_t pid) {
  if (pid <= 0) return false;
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The owner's process id at the start of name after prefix ("<digits>" then sep); -1 when
// the name does not have that form.
pid_t OwnerInName(const std::string& name, const std::string& prefix, char sep) {
  if (name.rfind(prefix, 0) != 0) return -1;
  std::size_t i = prefix.size();
  long pid = 0;
  const std::size_t start = i;
  while (i < name.size() && name[i] >= '0' && name[i] <= '9' && i - start < 9)
    pid = pid * 10 + (name[i++] - '0');
  if (i == start || i >= name.size() || name[i] != sep) return -1;
  return static_cast<pid_t>(pid);
}

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
  ::closedir(d);
  return names;
}

// Processes of this user whose profile is the folder named folderName.
std::vector<pid_t> ProcessesOnProfile(const std::string& folderName) {
  std::vector<pid_t> found;
  const std::string needle = "-env:UserInstallation=";
  for (const std::string& entry : Entries("/proc")) {
    if (entry.empty() || entry.find_first_not_of("0123456789") != std::string::npos) continue;
    struct stat st {};
    if (::stat(("/proc/" + entry).c_str(), &st) != 0 || st.st_uid != ::geteuid()) continue;
    std::ifstream in("/proc/" + entry + "/cmdline", std::ios::binary);
    std::string arg;
    while (std::getline(in, arg, '\0')) {
      if (arg.rfind(needle, 0) != 0) continue;
      // The folder's name, whole: followed by the end or a separator.
      const auto at = arg.find("/" + folderName);
      const auto end = at + 1 + folderName.size();
      if (at != std::string::npos && (end == arg.size() || arg[end] == '/')) {
        found.push_back(static_cast<pid_t>(std::stol(entry)));
        break;
      }
    }
  }
  return found;
}

// Marks a folder as the profile of an office handed over to the user.
constexpr const char* kHandedOver = "handed-over";

}  // namespace

pid_t SpawnPrivateProcess(const ROfficeLaunch& launch) {
  std::vector<std::string> args = launch.args, env = launch.env;
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  RSpawnRequest r;
  r.program = launch.program.c_str();
  r.argv = argv.data();
  r.envp = envp.data();
  r.endWithProgram = launch.endWithProgram;
  // The process runs where the thread that asks for it may run (a worker holding a core
  // keeps its office processes there), not where the spawning thread happens to.
  CPU_ZERO(&r.cpus);
  r.hasCpus = ::sched_getaffinity(0, sizeof r.cpus, &r.cpus) == 0;
  TSpawner::Instance().Run(r);
  if (r.error != 0)
    throw std::runtime_error("Cannot start " + launch.program + ": " + std::strerror(r.error));
  return r.pid;
}

std::string OfficeProfilePrefix() { return "stampwell-office-" + std::to_string(::getpid()) + "-"; }
std::string OfficePipePrefix() { return "stampwell_" + std::to_string(::getpid()) + "_"; }

std::string OfficePipeSocketPath(const std::string& pipeName) {
  const std::string name = "OSL_PIPE_" + std::to_string(::geteuid()) + "_" + pipeName;
  for (const char* dir : {"/tmp/", "/var/tmp/"}) {
    struct stat st {};
    if (::lstat((dir + name).c_str(), &st) == 0) return dir + name;
  }
  return "";
}

std::string SingleInstancePipePath(const std::string& profileDir) {
  const OUString url = uno::FileUrl(profileDir);
  sal_uInt8 digest[RTL_DIGEST_LENGTH_MD5];
  rtl_digest_MD5(url.getStr(), sal_uInt32(url.getLength() * sizeof(sal_Unicode)), digest,
                 sizeof digest);
  std::string name = "OSL_PIPE_" + std::to_string(::geteuid()) + "_SingleOfficeIPC_";
  char hex[3];
  for (const sal_uInt8 byte : digest) {
    std::snprintf(hex, sizeof hex, "%x", unsigned(byte));
    name += hex;
  }
  struct stat st {};
  for (const char* dir : {"/tmp/", "/var/tmp/"})
    if (::lstat((dir + name).c_str(), &st) == 0) return dir + name;
  return "/tmp/" + name;
}

void RemoveSingleInstancePipe(const std::string& profileDir) {
  if (profileDir.empty()) return;
  const std::string path = SingleInstancePipePath(profileDir);
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid())
    ::unlink(path.c_str());
}

std::string PipeSocketProblem(const std::string& path) {
  struct stat st {};
  if (path.empty()) return "the office's pipe cannot be found";
  if (::lstat(path.c_str(), &st) != 0)
    return "the office's pipe " + path + " cannot be checked: " + std::strerror(errno);
  if (!S_ISSOCK(st.st_mode)) return "the office's pipe " + path + " is not a socket";
  if (st.st_uid != ::geteuid())
    return "the office's pipe " + path + " belongs to another user";
  if ((st.st_mode & 077) != 0)
    return "the office's pipe " + path + " can be reached by other users";
  return "";
}

void MarkProfileHandedOver(const std::string& profileDir) {
  std::ofstream(profileDir + "/" + kHandedOver) << "";
}

int RemoveLeftoversOfDeadRuns(const std::string& tempDir) {
  namespace fs = std::filesystem;
  int removed = 0;
  const uid_t me = ::geteuid();
  const auto now = std::chrono::system_clock::now();
  for (const std::string& name : Entries(tempDir)) {
    if (name.rfind("stampwell-office-", 0) != 0) continue;
    const std::string path = tempDir + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != me) continue;
    const pid_t owner = OwnerInName(name, "stampwell-office-", '-');
    bool stale;
    if (owner > 0) {
      stale = !ProcessExists(owner);
    } else {
      // Named before folders carried their owner: taken as left over once nothing uses it
      // and it has not changed for a while (its program may be between making and using it).
      const auto changed = std::chrono::system_clock::from_time_t(st.st_mtime);
      stale = now - changed > std::chrono::minutes(10) && ProcessesOnProfile(name).empty();
    }
    if (!stale) continue;
    std::error_code ec;
    const bool handedOver = fs::exists(path + "/" + kHandedOver, ec);
    const auto users = ProcessesOnProfile(name);
    if (handedOver && !users.empty()) continue;  // the user still has it open
    for (pid_t pid : users) {
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
    }
    // Killed processes are not this program's children: wait until they are gone before
    // taking their folder away.
    for (int i = 0; i < 100 && !users.empty(); ++i) {
      bool any = false;
      for (pid_t pid : users) any = any || ProcessExists(pid);
      if (!any) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    RemoveSingleInstancePipe(path);
    fs::remove_all(path, ec);
    if (!fs::exists(path, ec)) ++removed;
  }
  const std::string pipePrefix = "OSL_PIPE_" + std::to_string(me) + "_stampwell_";
  for (const char* dir : {"/tmp", "/var/tmp"}) {
    for (const std::string& name : Entries(dir)) {
      const pid_t owner = OwnerInName(name, pipePrefix, '_');
      if (owner <= 0 || ProcessExists(owner)) continue;
      const std::string path = std::string(dir) + "/" + name;
      struct stat st {};
      if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != me) continue;
      if (::unlink(path.c_str()) == 0) ++removed;
    }
  }
  return removed;
}

}  // namespace stampwell
