// SPDX-License-Identifier: GPL-3.0-or-later
// How office processes are started and what dead runs leave behind, without an office: the
// mask a started process gets, the end of its program ending it, and the removal of folders
// and pipes whose program is gone.
#include "office/libreoffice/office_launch.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "office/libreoffice/libreoffice_servers.h"
#include "support/temp_dir.h"

namespace stampwell {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> Environment() {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  return env;
}

ROfficeLaunch Shell(const std::string& script) {
  return {"/bin/sh", {"/bin/sh", "-c", script}, Environment(), true};
}

bool Gone(pid_t pid) {
  // A killed process whose parent is gone may stay a zombie where nothing reaps orphans.
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

bool WaitGone(pid_t pid, std::chrono::seconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!Gone(pid) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return Gone(pid);
}

int WaitExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A process id that belonged to a process that has ended.
pid_t DeadPid() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  WaitExit(pid);
  return pid;
}

// A listening socket at path, as an office leaves its pipe when it is killed.
void MakeSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << path;
  ::close(fd);
}

TEST(OfficeLaunchTest, StartedProcessCreatesFilesForTheUserAloneWhateverTheMask) {
  TempDir dir;
  const mode_t old = ::umask(0);
  const pid_t pid = SpawnPrivateProcess(
      Shell("umask > '" + dir / "mask" + "'; : > '" + dir / "file" + "'; mkdir '" + dir / "sub'"));
  ::umask(old);
  ASSERT_EQ(WaitExit(pid), 0);
  EXPECT_EQ(test::ReadFile(dir / "mask"), "0077\n");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "file").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((dir / "sub").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(OfficeLaunchTest, StartedProcessRunsWhereTheAskingThreadMayRun) {
  TempDir dir;
  // A start from this thread first: the processes are started elsewhere than in the thread
  // that asks, which must not be where they run.
  ASSERT_EQ(WaitExit(SpawnPrivateProcess(Shell("true"))), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(0, &one);
  std::thread([&] {
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    const pid_t pid = SpawnPrivateProcess(Shell("grep Cpus_allowed_list /proc/self/status > '" +
                                                dir / "cpus" + "'"));
    EXPECT_EQ(WaitExit(pid), 0);
  }).join();
  EXPECT_EQ(test::ReadFile(dir / "cpus"), "Cpus_allowed_list:\t0\n");
}

TEST(OfficeLaunchTest, AProgramThatCannotStartIsAnError) {
  ROfficeLaunch launch{"/nonexistent/soffice.bin", {"soffice.bin"}, Environment(), true};
  EXPECT_THROW(SpawnPrivateProcess(launch), std::runtime_error);
}

TEST(OfficeLaunchTest, PipeOthersCanReachIsRefused) {
  TempDir dir;
  const std::string socket = dir / "pipe";
  MakeSocket(socket);
  ASSERT_EQ(::chmod(socket.c_str(), 0700), 0);
  EXPECT_EQ(PipeSocketProblem(socket), "");
  for (mode_t mode : {0770, 0707, 0777, 0710}) {
    ASSERT_EQ(::chmod(socket.c_str(), mode), 0);
    EXPECT_NE(PipeSocketProblem(socket).find("can be reached by other users"), std::string::npos)
        << std::oct << mode;
  }
  test::WriteFile(dir / "plain", "x");
  ::chmod((dir / "plain").c_str(), 0600);
  EXPECT_NE(PipeSocketProblem(dir / "plain"), "");
  EXPECT_NE(PipeSocketProblem(dir / "missing"), "");
  EXPECT_NE(PipeSocketProblem(""), "");
}

// The program of the next test: this test binary run again with only this test, which then
// starts a long sleep from a thread that ends, checks the sleeper still runs, reports its id
// on the descriptor it was given and waits to be killed. (A forked copy of the test would not
// do: it lacks the threads of the process it was copied from.)
TEST(OfficeLaunchProgram, StartsASleeperFromAThreadThatEnds) {
  const char* fd = std::getenv("STAMPWELL_LAUNCH_REPORT_FD");
  if (!fd) GTEST_SKIP() << "run by the test below";
  pid_t sleeper = -1;
  std::thread([&] { sleeper = SpawnPrivateProcess(Shell("exec sleep 300")); }).join();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const bool alive = ::kill(sleeper, 0) == 0 && ::waitpid(sleeper, nullptr, WNOHANG) == 0;
  pid_t report[2] = {sleeper, alive ? 1 : 0};
  [[maybe_unused]] ssize_t n = ::write(std::atoi(fd), report, sizeof report);
  ::pause();
}

TEST(OfficeLaunchTest, ProcessOutlivesTheThreadThatAskedButNotTheProgram) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t program = ::fork();
  if (program == 0) {
    ::close(fds[0]);
    ::setenv("STAMPWELL_LAUNCH_REPORT_FD", std::to_string(fds[1]).c_str(), 1);
    const char* argv[] = {"office_launch_tests",
                          "--gtest_filter=OfficeLaunchProgram.StartsASleeperFromAThreadThatEnds",
                          nullptr};
    ::execv("/proc/self/exe", const_cast<char**>(argv));
    ::_exit(127);
  }
  ::close(fds[1]);
  pid_t report[2] = {-1, 0};
  const ssize_t got = ::read(fds[0], report, sizeof report);
  ::close(fds[0]);
  const pid_t sleeper = report[0];
  ::kill(program, SIGKILL);
  WaitExit(program);
  ASSERT_EQ(got, static_cast<ssize_t>(sizeof report));
  ASSERT_GT(sleeper, 0);
  EXPECT_EQ(report[1], 1) << "the process ended with the thread that started it";
  EXPECT_TRUE(WaitGone(sleeper, std::chrono::seconds(5))) << "the process outlived its program";
  if (!Gone(sleeper)) ::kill(sleeper, SIGKILL);
}

TEST(OfficeLaunchTest, LeftoversOfDeadRunsGoAndThoseOfLiveOnesStay) {
  TempDir temp;
  const std::string base = temp.Path().substr(0, temp.Path().size() - 1);
  const pid_t dead = DeadPid();
  const std::string deadProfile = base + "/stampwell-office-" + std::to_string(dead) + "-abcDEF";
  const std::string liveProfile = base + "/" + OfficeProfilePrefix() + "ghiJKL";
  const std::string handedOver = base + "/stampwell-office-" + std::to_string(dead) + "-mnoPQR";
  const std::string orphaned = base + "/stampwell-office-" + std::to_string(dead) + "-stuVWX";
  const std::string other = base + "/stampwell-officer";
  for (const auto& d : {deadProfile, liveProfile, handedOver, orphaned, other})
    test::WriteFile(d + "/user/registrymodifications.xcu", "x");
  MarkProfileHandedOver(handedOver);

  // An office still running on a profile whose program is gone, and one left to the user.
  // The office process shows its profile on its command line; the shell keeps the argument.
  auto onProfile = [](const std::string& profile) {
    return SpawnPrivateProcess(
        {"/bin/sh",
         {"/bin/sh", "-c", "sleep 300", "-env:UserInstallation=file://" + profile},
         Environment(),
         true});
  };
  const pid_t orphan = onProfile(orphaned);
  const pid_t userOffice = onProfile(handedOver);

  const std::string uid = std::to_string(::geteuid());
  const std::string deadPipe =
      "/tmp/OSL_PIPE_" + uid + "_stampwell_" + std::to_string(dead) + "_0_12345";
  const std::string livePipe = "/tmp/OSL_PIPE_" + uid + "_" + OfficePipePrefix() + "99_12345";
  MakeSocket(deadPipe);
  MakeSocket(livePipe);

  RemoveLeftoversOfDeadRuns(base);

  EXPECT_FALSE(fs::exists(deadProfile));
  EXPECT_FALSE(fs::exists(orphaned));
  EXPECT_TRUE(WaitGone(orphan, std::chrono::seconds(5))) << "an office of a dead run lives on";
  EXPECT_TRUE(fs::exists(liveProfile));
  EXPECT_TRUE(fs::exists(other));
  EXPECT_TRUE(fs::exists(handedOver)) << "the folder of an office the user still has open";
  EXPECT_FALSE(Gone(userOffice));
  EXPECT_FALSE(fs::exists(deadPipe));
  EXPECT_TRUE(fs::exists(livePipe));

  // Once the user has closed that office, its folder goes too.
  ::kill(userOffice, SIGKILL);
  WaitExit(userOffice);
  RemoveLeftoversOfDeadRuns(base);
  EXPECT_FALSE(fs::exists(handedOver));

  WaitExit(orphan);
  ::unlink(livePipe.c_str());
}

// The component the office loads: beside the program in a build tree, in the installed
// component folder (found from the program's own folder, so an install can move) otherwise,
// and none at all where neither holds it.
TEST(OfficeLaunchTest, TheComponentIsFoundBesideTheProgramOrInItsInstalledFolder) {
  TempDir root;
  const fs::path bin = fs::path(root.Path()) / "usr" / "bin";
  fs::create_directories(bin);
  const std::string exeDir = bin.string() + "/";
  EXPECT_EQ(FindInOfficeComponents(exeDir), "");
  const fs::path installed =
      fs::weakly_canonical(bin / STAMPWELL_COMPONENT_FROM_BIN) / kInOfficeComponentsName;
  ASSERT_EQ(installed.string().rfind(root.Path(), 0), 0u) << installed;
  fs::create_directories(installed.parent_path());
  std::ofstream(installed) << "<components/>";
  EXPECT_EQ(fs::weakly_canonical(FindInOfficeComponents(exeDir)), installed);
  std::ofstream(bin / kInOfficeComponentsName) << "<components/>";
  EXPECT_EQ(FindInOfficeComponents(exeDir), exeDir + kInOfficeComponentsName);
}

}  // namespace
}  // namespace stampwell
