// SPDX-License-Identifier: GPL-3.0-or-later
// An office process started by a program whose file mode mask lets everyone in (umask 000)
// is still reachable by the user alone: its pipe, its profile folder and what it writes there.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "office/libreoffice/office_launch.h"
#include "office/libreoffice/office_process.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

// The pipe name the office was told to accept connections on.
std::string PipeNameOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::string arg;
  const std::string prefix = "--accept=pipe,name=";
  while (std::getline(in, arg, '\0'))
    if (arg.rfind(prefix, 0) == 0) return arg.substr(prefix.size(), arg.find(';') - prefix.size());
  return "";
}

class OfficePrivacyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const mode_t old = ::umask(0);
    process_ = TOfficeProcess::Start(false);
    ::umask(old);
  }
  static void TearDownTestSuite() {
    if (process_) process_->Quit();
    process_.reset();
  }
  static std::shared_ptr<TOfficeProcess> process_;
};
std::shared_ptr<TOfficeProcess> OfficePrivacyTest::process_;

TEST_F(OfficePrivacyTest, PipeIsTheUsersAlone) {
  ASSERT_TRUE(process_ && process_->Alive());
  const std::string socket = OfficePipeSocketPath(PipeNameOf(process_->Pid()));
  ASSERT_FALSE(socket.empty());
  struct stat st {};
  ASSERT_EQ(::lstat(socket.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_uid, ::geteuid());
  EXPECT_EQ(st.st_mode & 077, 0u) << socket << " mode " << std::oct << (st.st_mode & 0777);
}

TEST_F(OfficePrivacyTest, ProfileAndItsFilesAreTheUsersAlone) {
  ASSERT_TRUE(process_ && process_->Alive());
  const std::string profile = process_->ProfileDir();
  struct stat st {};
  ASSERT_EQ(::stat(profile.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u) << profile;
  int seen = 0;
  for (const auto& entry : fs::recursive_directory_iterator(profile)) {
    if (entry.is_symlink()) continue;
    ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << entry.path() << " mode " << std::oct << (st.st_mode & 0777);
    ++seen;
  }
  EXPECT_GT(seen, 5);  // the office has written its profile
}

TEST_F(OfficePrivacyTest, AnotherUserCannotConnect) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  ASSERT_TRUE(process_ && process_->Alive());
  const std::string socket = OfficePipeSocketPath(PipeNameOf(process_->Pid()));
  ASSERT_FALSE(socket.empty());
  const pid_t child = ::fork();
  if (child == 0) {
    // As nobody: connect as a client of the office would.
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socket.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) ::_exit(1);
    ::_exit(errno == EACCES ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 1) << "another user connected to the office's pipe";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "exit " << WEXITSTATUS(status);
}

}  // namespace
}  // namespace stampwell
