// SPDX-License-Identifier: GPL-3.0-or-later
// With a display, Word's preview document is shown in a LibreOffice window that stays open for
// the user after the program lets go of the application; without one, nothing stays behind.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "office/doc_water_mark.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office_documents.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

const std::string kTag = "stampwell_" + std::to_string(::getpid()) + "_";

// A private X server for the test's lifetime. Xvfb picks a free display itself and names it
// on a pipe once it accepts clients: a display number of our own choosing may be taken, and
// its socket appears before the server answers, so an office started then cannot open it.
// It never resets: the office opens the display once to look at the desktop and again for its
// windows, and a server that resets when the first connection closes (its last client then)
// refuses the second one while it does, which ends the office at once under load.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0",
               "1280x1024x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    // The number arrives as a line; given up after thirty seconds or when Xvfb ends.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
      if (::poll(&wait, 1, 100) <= 0) continue;
      char c;
      if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    ::close(fds[0]);
    if (number.empty() || !Running()) return;
    display_ = ":" + number;
    ::setenv("DISPLAY", display_.c_str(), 1);  // inherited by the office process
  }
  ~VirtualDisplay() {
    ::unsetenv("DISPLAY");
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool Ready() const { return !display_.empty() && Running(); }
  bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
  const std::string& Name() const { return display_; }

 private:
  std::string display_;
  pid_t pid_ = -1;
};

std::vector<int> NewPids(const std::vector<int>& before) {
  std::vector<int> result;
  for (int pid : test::OfficePids(kTag))
    if (std::find(before.begin(), before.end(), pid) == before.end()) result.push_back(pid);
  return result;
}

TEST(OfficeDisplay, VisiblePreviewStaysOpenAfterTheProgramLetsGo) {
  RegisterLibreOfficeServers();
  VirtualDisplay display;
  if (!display.Ready()) GTEST_SKIP() << "Xvfb could not start";
  SetOfficeHasDisplay(true);
  const auto before = test::OfficePids(kTag);
  {
    TDocWaterMark engine;
    ASSERT_TRUE(engine.NewSWDoc(true));
    engine.DocSettings = test::JobSettings();
    engine.AddWaterMark();
    // Dropped without CloseWordApp, as the settings page does with its preview.
  }
  SetOfficeHasDisplay(false);
  const auto left = NewPids(before);
  ASSERT_EQ(left.size(), 1u);
  // A top-level LibreOffice window exists on the display.
  const std::string windows =
      test::RunCapture("xwininfo -display " + display.Name() + " -root -tree 2>/dev/null");
  EXPECT_NE(windows.find("LibreOffice"), std::string::npos) << windows.substr(0, 2000);
  const auto profiles = test::OfficeProfileDirs(kTag);
  for (int pid : left) ::kill(pid, SIGKILL);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  for (const auto& dir : profiles) test::RunCapture("rm -rf '" + dir + "'");
}

TEST(OfficeDisplay, WithoutADisplayVisibleShowsNothingAndNothingStays) {
  RegisterLibreOfficeServers();
  SetOfficeHasDisplay(false);
  const auto before = test::OfficePids(kTag);
  {
    TDocWaterMark engine;
    ASSERT_TRUE(engine.NewSWDoc(true));
  }
  EXPECT_TRUE(NewPids(before).empty());
}

}  // namespace
}  // namespace stampwell
