// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/office_process.h"

#include <cppuhelper/exc_hlp.hxx>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <vector>

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/container/XSet.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>

#include "office/libreoffice/in_office.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/libreoffice/office_launch.h"
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
  return OfficePipePrefix() + std::to_string(counter++) + "_" + std::to_string(rd()) +
         std::to_string(rd());
}

// Settings of the private profile, written before the first start. No document locking at
// all (UseLocking): documents are written through temporary files and renamed, and the
// office would otherwise leave ".~lock.<name>#" files beside the user's documents, where an
// interrupted run leaves them for good; the two finer switches only choose the kind of
// lock. No temporary files of the office beside the files it writes
// (TempFileNextToLocalFile), no autosave and no recovery data.
// Macros of a document come and go as they are: its original VBA code is read and written
// back unchanged on save (Load, Save), and is never turned into code that could run
// (Executable off; documents are loaded with macro execution off as well).
// Documents come from anyone: what they link to is not followed. Links of documents the
// office does not trust (every document: no folder is a trusted location) are blocked, and
// every web request goes to a proxy where nothing listens, so that stamping or printing a
// document reads no file outside it and asks no server for anything.
// No preview picture is rendered into saved PowerPoint files (as for Word and Excel files,
// whose filters make none): the picture of the first slide took most of a .ppt save.
constexpr const char* kProfileSettings = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="TempFileNextToLocalFile" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentOOoLockFile" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentSystemFileLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/AutoSave"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/RecoveryInfo"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Writer/Filter/Import/VBA"><prop oor:name="Load" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Writer/Filter/Import/VBA"><prop oor:name="Save" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Writer/Filter/Import/VBA"><prop oor:name="Executable" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Filter/Import/VBA"><prop oor:name="Load" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Filter/Import/VBA"><prop oor:name="Save" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Filter/Import/VBA"><prop oor:name="Executable" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Impress/Filter/Import/VBA"><prop oor:name="Load" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Impress/Filter/Import/VBA"><prop oor:name="Save" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="BlockUntrustedRefererLinks" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetProxyType" oor:op="fuse"><value>2</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetNoProxy" oor:op="fuse"><value></value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetHTTPProxyName" oor:op="fuse"><value>127.0.0.1</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetHTTPProxyPort" oor:op="fuse"><value>1</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetHTTPSProxyName" oor:op="fuse"><value>127.0.0.1</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetHTTPSProxyPort" oor:op="fuse"><value>1</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetFTPProxyName" oor:op="fuse"><value>127.0.0.1</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetFTPProxyPort" oor:op="fuse"><value>1</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Filter/Microsoft/Export"><prop oor:name="EnablePowerPointPreview" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)";

std::string MakeProfileDir() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) base = "/tmp";
  static std::once_flag leftovers;
  std::call_once(leftovers, [&] { RemoveLeftoversOfDeadRuns(base.string()); });
  std::string templ = (base / (OfficeProfilePrefix() + "XXXXXX")).string();
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data()))
    throw EOleError("Cannot create an office profile directory: " +
                    std::string(std::strerror(errno)));
  const std::string dir = buf.data();
  // Reachable by the user alone, like everything the office puts here (it runs under the
  // mask 077), whatever this program's mask.
  ::mkdir((dir + "/user").c_str(), 0700);
  ::mkdir((dir + "/tmp").c_str(), 0700);
  const std::string settings = dir + "/user/registrymodifications.xcu";
  const int fd = ::open(settings.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd >= 0) {
    [[maybe_unused]] ssize_t n = ::write(fd, kProfileSettings, std::strlen(kProfileSettings));
    ::close(fd);
  }
  return dir;
}

// Appends this program's settings to a profile's settings file, after whatever the office
// wrote there itself: items later in the file win, so they hold whatever a copied profile
// carried.
bool AppendProfileSettings(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string end = "</oor:items>";
  const std::size_t at = text.rfind(end);
  const std::string ours = kProfileSettings;
  const std::size_t first = ours.find("<item "), last = ours.rfind(end);
  if (at == std::string::npos || first == std::string::npos || last == std::string::npos)
    return false;
  text.insert(at, ours.substr(first, last - first));
  const std::string temp = file + ".new";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
  ::close(fd);
  return written && ::rename(temp.c_str(), file.c_str()) == 0;
}

// Removes a folder tree. Two removals may run at once (a quit on the run's thread and an
// emergency end on another), each then meeting entries the other has just taken away and
// stopping early: so try again until the folder is gone.
void RemoveTree(const std::string& dir) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    if (!std::filesystem::exists(dir, ec) && !ec) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Every process started and not yet ended, with its profile folder, for EndAll.
std::mutex g_liveMutex;
std::map<const TOfficeProcess*, std::pair<pid_t, std::string>>& LiveProcesses() {
  static std::map<const TOfficeProcess*, std::pair<pid_t, std::string>> live;
  return live;
}

void NoteLive(const TOfficeProcess* p, pid_t pid, const std::string& profileDir) {
  std::lock_guard<std::mutex> lock(g_liveMutex);
  LiveProcesses()[p] = {pid, profileDir};
}

void NoteGone(const TOfficeProcess* p) {
  std::lock_guard<std::mutex> lock(g_liveMutex);
  LiveProcesses().erase(p);
}

// The profile every office of this program starts from after the first. An office started
// on an empty profile sets it up first: it ends with exit code 81, is started again and then
// fills the profile (about a second each time, more than the start itself). That work is done
// once, by an office started only for it and ended at once, and each later office gets a copy.
// It lives in the temporary folder under this process's name (so that a later run removes it
// should this one die) until the program ends.
class TProfileTemplate {
 public:
  static TProfileTemplate& Instance() {
    static TProfileTemplate instance;
    return instance;
  }
  ~TProfileTemplate() { Remove(); }

  // The folder, set up on the first call; "" when it could not be (each office then sets up
  // its own, as it always could).
  std::string Folder(const std::function<std::string()>& setUp) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!tried_) {
      tried_ = true;
      try {
        dir_ = setUp();
      } catch (...) {
        dir_.clear();
      }
    }
    return dir_;
  }
  // wait false: not while the folder is being set up (its office is ended by then, and a
  // later run removes a folder left under this process's name).
  void Remove(bool wait = true) {
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    if (wait)
      lock.lock();
    else if (!lock.try_lock())
      return;
    if (!dir_.empty()) RemoveTree(dir_);
    dir_.clear();
  }

 private:
  std::mutex mutex_;
  bool tried_ = false;
  std::string dir_;
};

// Fills the new profile dir from the template: everything the office set up, with this
// program's settings written after the office's own. False leaves dir as it was made.
bool CopyProfileTemplate(const std::string& from, const std::string& dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::copy(fs::path(from) / "user", fs::path(dir) / "user",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  if (ec) return false;
  return AppendProfileSettings(dir + "/user/registrymodifications.xcu");
}

}  // namespace

std::string TOfficeProcess::SetUpProfileTemplate() {
  const auto p = Launch(false, MakeProfileDir());
  // Ended the usual way, so that the office writes its settings out; only an office that
  // ended by itself leaves a profile worth copying.
  p->keepProfile_ = true;
  p->Quit();
  const std::string dir = p->profileDir_;
  p->profileDir_.clear();
  std::error_code ec;
  if (p->exitCode_ != 0 ||
      !std::filesystem::exists(dir + "/user/registrymodifications.xcu", ec)) {
    RemoveTree(dir);
    return "";
  }
  std::filesystem::remove_all(dir + "/tmp", ec);
  return dir;
}

void TOfficeProcess::EndAll() {
  EndAllLive();
  // After the offices: one being started to set the profile up is among them.
  TProfileTemplate::Instance().Remove(false);
}

void TOfficeProcess::EndAllLive() {
  std::lock_guard<std::mutex> lock(g_liveMutex);
  for (const auto& [process, entry] : LiveProcesses()) {
    const auto& [pid, profileDir] = entry;
    if (pid > 0) {
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
      // Wait for it (briefly) so that it writes nothing into the folder removed below.
      for (int i = 0; i < 200; ++i) {
        const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) break;
        if (r < 0 && errno != EINTR) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    RemoveSingleInstancePipe(profileDir);
    if (!profileDir.empty()) RemoveTree(profileDir);
  }
  LiveProcesses().clear();
}

std::shared_ptr<TOfficeProcess> TOfficeProcess::Start(bool withDisplay) {
  LocalUnoContext();  // fail early, before a process exists, when UNO cannot start
  const std::string ready = TProfileTemplate::Instance().Folder(SetUpProfileTemplate);
  std::string profile = MakeProfileDir();
  if (!ready.empty() && !CopyProfileTemplate(ready, profile)) {
    // Half a copy is no profile to start from: an empty one as before.
    RemoveTree(profile);
    profile = MakeProfileDir();
  }
  return Launch(withDisplay, profile);
}

std::shared_ptr<TOfficeProcess> TOfficeProcess::Launch(bool withDisplay,
                                                       const std::string& profileDir) {
  std::shared_ptr<TOfficeProcess> p(new TOfficeProcess());
  p->withDisplay_ = withDisplay;
  p->profileDir_ = profileDir;
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
  ROfficeLaunch launch;
  launch.program = exe;
  launch.args = std::move(args);
  // An office with windows may be left running for the user with a document shown (Detach):
  // it is not ended with this program. Every other one is.
  launch.endWithProgram = !withDisplay_;
  // The office's own temporary files go into the profile folder, so that they go with it
  // however the process ends.
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "TMPDIR=", 7) != 0) launch.env.emplace_back(*e);
  const std::string tempDir = profileDir_ + "/tmp";
  std::error_code ec;
  std::filesystem::create_directories(tempDir, ec);
  if (!ec) launch.env.push_back("TMPDIR=" + tempDir);
  pid_t pid = -1;
  try {
    pid = SpawnPrivateProcess(launch);
  } catch (const std::exception& e) {
    throw EOleError(e.what());
  }
  NoteLive(this, pid, profileDir_);
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
      // The office made its pipe under the mask it was started with; a pipe others could
      // reach would let them run commands as this user, so such an office is not used.
      const std::string problem = PipeSocketProblem(OfficePipeSocketPath(pipeName_));
      if (!problem.empty()) throw EOleError("The office cannot be used: " + problem);
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

std::shared_ptr<TOfficeProcess> TOfficeProcess::Here(
    const css::uno::Reference<css::uno::XComponentContext>& context) {
  std::shared_ptr<TOfficeProcess> p(new TOfficeProcess());
  p->here_ = true;
  p->context_ = context;
  p->desktop_ = css::frame::Desktop::create(context);
  return p;
}

css::uno::Reference<css::task::XJob> TOfficeProcess::InOfficeStamper() {
  if (here_ || !StampsInOffice()) return {};
  if (stamperTried_) return stamper_;
  stamperTried_ = true;
  const std::string file = InOfficeComponentsFile();
  if (file.empty()) return {};
  try {
    // The service manager takes a registration file at run time as it takes an extension's.
    const auto manager = context_->getServiceManager();
    css::uno::Reference<css::container::XSet> registry(manager, css::uno::UNO_QUERY_THROW);
    css::beans::NamedValue uri(OUString("uri"), css::uno::Any(uno::FileUrl(file)));
    registry->insert(css::uno::Any(css::uno::Sequence<css::beans::NamedValue>(&uri, 1)));
    stamper_.set(manager->createInstanceWithContext(OUString::createFromAscii(in_office::kService),
                                                    context_),
                 css::uno::UNO_QUERY);
  } catch (const css::lang::DisposedException&) {
    throw;  // the bridge is gone: the caller's guard says so
  } catch (const css::uno::Exception&) {
    // A component the office will not load (built for another office version, say): the
    // servers make the calls themselves.
    stamper_.clear();
  }
  return stamper_;
}

TOfficeProcess::~TOfficeProcess() {
  if (here_) return;
  if (detached_) {
    StopWatchdog();
    NoteGone(this);
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
  if (here_) return !broken_;
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
  if (detached_ || here_) return;
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
  // A killed office leaves its single-instance pipe's socket in /tmp.
  RemoveSingleInstancePipe(profileDir_);
  if (!keepProfile_) RemoveProfile();
  NoteGone(this);
}

void TOfficeProcess::Detach() {
  detached_ = true;
  MarkProfileHandedOver(profileDir_);
  StopWatchdog();
  NoteGone(this);
}

void TOfficeProcess::RemoveProfile() {
  if (profileDir_.empty()) return;
  RemoveTree(profileDir_);
  profileDir_.clear();
}

void TOfficeProcess::StartWatchdog() {
  watchdog_ = std::thread([this] {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopWatchdog_) {
      if (!armed_) {
        watchdogWakes_ = Clock::time_point::max();
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
      // Disarming does not wake the watchdog, and a later deadline need not: it wakes at the
      // one it waits for and looks again.
      watchdogWakes_ = deadline_;
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
  bool early = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = true;
    armedLimit_ = limit;
    deadline_ = Clock::now() + limit;
    early = deadline_ < watchdogWakes_;
  }
  if (early) wake_.notify_all();
}

void TOfficeProcess::Disarm() {
  std::lock_guard<std::mutex> lock(mutex_);
  armed_ = false;
}

void TOfficeProcess::SendHeldWrites() {
  auto held = std::move(heldWrites_);
  heldWrites_.clear();
  std::exception_ptr first;
  for (auto& send : held) {
    try {
      send();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

TOfficeProcess::Scope::Scope(TOfficeProcess& p) : process_(p), outer_(p.depth_ == 0) {
  if (outer_) {
    if (!process_.Alive() || !process_.desktop_.is())
      throw EOfficeEnded("The office process has ended; the document is no longer available");
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

void TOfficeProcess::Scope::Fail(const std::string& message) const {
  if (process_.timedOut_) {
    const auto seconds = std::chrono::duration<double>(process_.armedLimit_).count();
    throw ECallFailed("The office did not answer within " + std::to_string(int(seconds + 0.5)) +
                      " seconds; its process was ended");
  }
  if (!process_.Alive()) throw EOfficeEnded("The office process has ended: " + message);
  throw ECallFailed(message.empty() ? std::string("The office reported an error") : message);
}

}  // namespace stampwell
