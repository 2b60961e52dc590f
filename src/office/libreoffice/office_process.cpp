#include "office/libreoffice/office_process.h"

#include <cppuhelper/exc_hlp.hxx>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>

#include "office/libreoffice/libreoffice_servers.h"
#include "office/libreoffice/uno_bootstrap.h"

extern char** environ;

namespace stampwell {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartLimit = std::chrono::seconds(90);
constexpr auto kQuitGrace = std::chrono::seconds(5);

std::string UniquePipeName() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  return "stampwell_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + "_" +
         std::to_string(rd());
}

// Settings of the private profile, written before the first start: no lock files (documents
// are written through temporary files and renamed, and a stale lock would make the office ask
// a question nobody answers) and no autosave or recovery data.
constexpr const char* kProfileSettings = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentOOoLockFile" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentSystemFileLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/AutoSave"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/RecoveryInfo"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)";

std::string MakeProfileDir() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string templ = (base / "stampwell-office-XXXXXX").string();
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data()))
    throw EOleError("Cannot create an office profile directory: " +
                    std::string(std::strerror(errno)));
  const std::string dir = buf.data();
  std::filesystem::create_directories(dir + "/user", ec);
  std::ofstream(dir + "/user/registrymodifications.xcu") << kProfileSettings;
  return dir;
}

}  // namespace

std::shared_ptr<TOfficeProcess> TOfficeProcess::Start(bool withDisplay) {
  LocalUnoContext();  // fail early, before a process exists, when UNO cannot start
  std::shared_ptr<TOfficeProcess> p(new TOfficeProcess());
  p->withDisplay_ = withDisplay;
  p->profileDir_ = MakeProfileDir();
  p->pipeName_ = UniquePipeName();

  try {
    p->Spawn();
  } catch (...) {
    p->RemoveProfile();
    throw;
  }
  p->StartWatchdog();
  try {
    p->Connect(Clock::now() + kStartLimit);
  } catch (...) {
    p->Kill();
    p->Quit();
    throw;
  }
  return p;
}

void TOfficeProcess::Spawn() {
  const std::string exe = LibreOfficeProgramDir() + "/soffice.bin";
  std::vector<std::string> args = {exe};
  if (!withDisplay_) args.push_back("--headless");
  for (const char* a : {"--invisible", "--nologo", "--norestore", "--nodefault", "--nolockcheck"})
    args.push_back(a);
  args.push_back("-env:UserInstallation=" + uno::ToStd(uno::FileUrl(profileDir_)));
  args.push_back("--accept=pipe,name=" + pipeName_ + ";urp;");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // Its own process group, so that ending it also ends anything it started.
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, exe.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    throw EOleError("Cannot start " + exe + ": " + std::strerror(rc));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  pid_ = pid;
  reaped_ = false;
  exitCode_ = -1;
}

void TOfficeProcess::Connect(Clock::time_point deadline) {
  auto resolver = css::bridge::UnoUrlResolver::create(LocalUnoContext());
  const OUString url = uno::ToOU("uno:pipe,name=" + pipeName_ + ";urp;StarOffice.ComponentContext");
  std::string lastError = "no answer";
  int restarts = 0;
  while (Clock::now() < deadline) {
    if (!Alive()) {
      // A fresh profile makes the first start end with 81 and ask to be started again.
      if (exitCode_ == 81 && restarts++ < 3) {
        Spawn();
        continue;
      }
      throw EOleError("The office process ended while starting (exit code " +
                      std::to_string(exitCode_) + ")");
    }
    try {
      css::uno::Reference<css::uno::XComponentContext> ctx(resolver->resolve(url),
                                                           css::uno::UNO_QUERY_THROW);
      context_ = ctx;
      desktop_ = css::frame::Desktop::create(context_);
      return;
    } catch (const css::connection::NoConnectException& e) {
      lastError = uno::ToStd(e.Message);
    } catch (const css::uno::Exception& e) {
      lastError = uno::ToStd(e.Message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  throw EOleError("The office process did not answer: " + lastError);
}

TOfficeProcess::~TOfficeProcess() {
  if (detached_) {
    StopWatchdog();
    return;
  }
  Quit();
}

bool TOfficeProcess::Reap(bool block) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (reaped_ || pid_ <= 0) return true;
  int status = 0;
  const pid_t r = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
  if (r == pid_) {
    reaped_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  } else if (r < 0 && errno == ECHILD) {
    reaped_ = true;
  }
  return reaped_;
}

bool TOfficeProcess::Alive() {
  const bool reaped = Reap(false);
  return !reaped && !broken_;
}

void TOfficeProcess::MarkBroken() {
  broken_ = true;
  Kill();
}

void TOfficeProcess::Kill() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!reaped_ && pid_ > 0) {
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
  }
}

void TOfficeProcess::Quit() {
  if (detached_) return;
  if (Alive() && desktop_.is()) {
    Arm(std::chrono::seconds(10));
    try {
      desktop_->terminate();
    } catch (...) {
      // The process often goes before its answer arrives: a lost bridge here is success.
    }
    Disarm();
  }
  desktop_.clear();
  context_.clear();
  const auto until = Clock::now() + kQuitGrace;
  while (Alive() && Clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (Alive()) Kill();
  Reap(true);
  StopWatchdog();
  RemoveProfile();
}

void TOfficeProcess::Detach() {
  detached_ = true;
  StopWatchdog();
}

void TOfficeProcess::RemoveProfile() {
  if (profileDir_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(profileDir_, ec);
  profileDir_.clear();
}

void TOfficeProcess::StartWatchdog() {
  watchdog_ = std::thread([this] {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopWatchdog_) {
      if (!armed_) {
        wake_.wait(lock);
        continue;
      }
      if (Clock::now() >= deadline_) {
        timedOut_ = true;
        armed_ = false;
        if (!reaped_ && pid_ > 0) {
          ::kill(-pid_, SIGKILL);
          ::kill(pid_, SIGKILL);
        }
        continue;
      }
      wake_.wait_until(lock, deadline_);
    }
  });
}

void TOfficeProcess::StopWatchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopWatchdog_ = true;
  }
  wake_.notify_all();
  if (watchdog_.joinable() && watchdog_.get_id() != std::this_thread::get_id()) watchdog_.join();
}

void TOfficeProcess::Arm(std::chrono::milliseconds limit) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = true;
    armedLimit_ = limit;
    deadline_ = Clock::now() + limit;
  }
  wake_.notify_all();
}

void TOfficeProcess::Disarm() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
  }
  wake_.notify_all();
}

TOfficeProcess::Scope::Scope(TOfficeProcess& p) : process_(p), outer_(p.depth_ == 0) {
  if (outer_) {
    if (!process_.Alive() || !process_.desktop_.is())
      throw EOleError("The office process has ended; the document is no longer available");
    process_.timedOut_ = false;
    process_.Arm(OfficeCallLimit());
  }
  ++process_.depth_;
}

TOfficeProcess::Scope::~Scope() {
  --process_.depth_;
  if (outer_) process_.Disarm();
}

std::string TOfficeProcess::ExplainCaught(const css::uno::Exception& e) {
  std::string message = uno::ToStd(e.Message);
  // Messages of debug builds carry the source position after the text.
  if (const auto at = message.find(" at ./"); at != std::string::npos) message.resize(at);
  if (!message.empty()) return message;
  std::string type = uno::ToStd(cppu::getCaughtException().getValueTypeName());
  if (const auto dot = type.rfind('.'); dot != std::string::npos) type = type.substr(dot + 1);
  return "The office refused the operation (" + type + ")";
}

EOleError TOfficeProcess::Scope::Failure(const std::string& message) const {
  if (process_.timedOut_) {
    const auto seconds = std::chrono::duration<double>(process_.armedLimit_).count();
    return EOleError("The office did not answer within " + std::to_string(int(seconds + 0.5)) +
                     " seconds; its process was ended");
  }
  if (!process_.Alive()) return EOleError("The office process has ended: " + message);
  return EOleError(message.empty() ? std::string("The office reported an error") : message);
}

}  // namespace stampwell
