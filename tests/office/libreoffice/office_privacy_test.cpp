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

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>

#include "office/libreoffice/office_launch.h"
#include "office/libreoffice/office_process.h"
#include "office/libreoffice/uno_bootstrap.h"

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

// A setting as the running office has it.
css::uno::Any SettingOf(TOfficeProcess& process, const std::string& node, const std::string& name) {
  auto provider = css::configuration::theDefaultProvider::get(process.Context());
  css::uno::Sequence<css::uno::Any> args(1);
  args.getArray()[0] <<= css::beans::NamedValue(uno::ToOU("nodepath"), css::uno::Any(uno::ToOU(node)));
  css::uno::Reference<css::container::XNameAccess> access(
      provider->createInstanceWithArguments(
          uno::ToOU("com.sun.star.configuration.ConfigurationAccess"), args),
      css::uno::UNO_QUERY_THROW);
  return access->getByName(uno::ToOU(name));
}

// Offices after the first start from a copy of a profile the office set up once: they must
// run with this program's settings all the same (no lock files, no macro code made
// runnable, no request leaving the machine, no preview picture).
TEST(OfficeProfile, EveryOfficeRunsWithTheProgramsSettings) {
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE("office " + std::to_string(i + 1));
    auto process = TOfficeProcess::Start(false);
    ASSERT_TRUE(process && process->Alive());
    // Switches that must be off: document locking, VBA made runnable, autosave, the preview.
    for (const auto& [node, name] :
         {std::pair{"/org.openoffice.Office.Common/Misc", "UseLocking"},
          std::pair{"/org.openoffice.Office.Calc/Filter/Import/VBA", "Executable"},
          std::pair{"/org.openoffice.Office.Writer/Filter/Import/VBA", "Executable"},
          std::pair{"/org.openoffice.Office.Recovery/AutoSave", "Enabled"},
          std::pair{"/org.openoffice.Office.Common/Filter/Microsoft/Export",
                    "EnablePowerPointPreview"}}) {
      bool on = true;
      EXPECT_TRUE(SettingOf(*process, node, name) >>= on) << node << "/" << name;
      EXPECT_FALSE(on) << node << "/" << name;
    }
    OUString proxy;
    EXPECT_TRUE(SettingOf(*process, "/org.openoffice.Inet/Settings", "ooInetHTTPProxyName") >>=
                proxy);
    EXPECT_EQ(uno::ToStd(proxy), "127.0.0.1");
    // The profile is a copy of one an office set up and ended with: an office writes the
    // backup of its settings (user/pack) only as it ends.
    EXPECT_TRUE(fs::exists(process->ProfileDir() + "/user/pack/registrymodifications.pack"));
    const std::string profile = process->ProfileDir();
    process->Quit();
    EXPECT_FALSE(fs::exists(profile)) << profile;
  }
}

// An office that is killed (a call that overran its limit, a hung document, the program's way
// out) leaves the socket of its single-instance pipe in /tmp; one such socket per killed
// office would pile up there. Quitting the process object takes it away.
TEST(OfficeProfile, AKilledOfficeLeavesNoSocketBehind) {
  auto process = TOfficeProcess::Start(false);
  ASSERT_TRUE(process && process->Alive());
  const std::string socket = SingleInstancePipePath(process->ProfileDir());
  struct stat st {};
  ASSERT_EQ(::lstat(socket.c_str(), &st), 0) << "the office's socket is not where it is looked for: "
                                             << socket;
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  process->Kill();
  process->Quit();
  EXPECT_NE(::lstat(socket.c_str(), &st), 0) << socket << " left behind";
}

}  // namespace
}  // namespace stampwell
