// SPDX-License-Identifier: GPL-3.0-or-later
// A dead or hung office process never hangs a run: the current call fails within seconds (or
// after the call limit) and the next open starts a new process. For all three servers.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "office/automation/automation.h"
#include "office/doc_water_mark.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"
#include "office_documents.h"
#include "platform/paths.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

using Clock = std::chrono::steady_clock;
using test::TempDir;

const std::string kTag = "stampwell_" + std::to_string(::getpid()) + "_";

struct Fixture {
  TempDir dir;
  std::string doc, xls, ppt;
};
Fixture* fx = nullptr;

class RobustnessEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterLibreOfficeServers();
    fx = new Fixture();
    test::WriteFile(fx->dir / "src/one.fodt", test::OneSectionText());
    test::WriteFile(fx->dir / "src/book.fods", test::ThreeSheetWorkbook());
    test::WriteFile(fx->dir / "src/deck.fodp", test::TwoSlidePresentation());
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "src/one.fodt"}, "doc", fx->dir.Path()));
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "src/book.fods"}, "xls", fx->dir.Path()));
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "src/deck.fodp"}, "ppt", fx->dir.Path()));
    fx->doc = fx->dir / "one.doc";
    fx->xls = fx->dir / "book.xls";
    fx->ppt = fx->dir / "deck.ppt";
  }
  void TearDown() override { delete fx; }
};
const auto* env = ::testing::AddGlobalTestEnvironment(new RobustnessEnvironment());

// One engine behind a common face: open, stamp, save under a path, quit.
struct Engine {
  std::function<bool(const std::string&)> open;
  std::function<void()> stamp;
  std::function<void(const std::string&)> saveAs;
  std::function<void()> close;
  std::function<void()> quit;
  std::string file, ext;
  std::function<bool()> officeEndedOnOpen;
};

Engine MakeEngine(const std::string& kind) {
  if (kind == "doc") {
    auto e = std::make_shared<TDocWaterMark>();
    e->DocSettings = test::JobSettings();
    return {[e](const std::string& p) { return e->OpenDoc(p); },
            [e] { e->AddWaterMark(); },
            [e](const std::string& p) { e->SaveAs(p); },
            [e] { e->closeDoc(false); },
            [e] { e->CloseWordApp(); },
            fx->doc,
            ".doc",
            [e] { return e->OfficeEndedOnOpen; }};
  }
  if (kind == "xls") {
    auto e = std::make_shared<TXlsWaterMark>();
    e->DocSettings = test::JobSettings();
    return {[e](const std::string& p) { return e->OpenXls(p); },
            [e] { e->AddWaterMark(); },
            [e](const std::string& p) { e->SaveAs(p); },
            [e] { e->closeXls(false); },
            [e] { e->CloseExcelApp(); },
            fx->xls,
            ".xls",
            [e] { return e->OfficeEndedOnOpen; }};
  }
  auto e = std::make_shared<TPptWaterMark>();
  e->DocSettings = test::JobSettings();
  return {[e](const std::string& p) { return e->OpenPpt(p); },
          [e] { e->AddWaterMark(); },
          [e](const std::string& p) { e->SaveAs(p); },
          [e] { e->closePpt(false); },
          [e] { e->ClosePptApp(); },
          fx->ppt,
          ".ppt",
          [e] { return e->OfficeEndedOnOpen; }};
}

// The office process that appeared since before.
int NewOfficePid(const std::vector<int>& before) {
  for (int pid : test::OfficePids(kTag))
    if (std::find(before.begin(), before.end(), pid) == before.end()) return pid;
  return -1;
}

void ExpectNextFileWorks(Engine& e, const std::string& out) {
  ASSERT_TRUE(e.open(e.file));
  e.stamp();
  e.saveAs(out);
  e.close();
  EXPECT_TRUE(FileExists(out));
}

class RobustnessTest : public ::testing::TestWithParam<std::string> {};

TEST_P(RobustnessTest, KilledProcessFailsTheCurrentCallAndTheNextOpenStartsAnew) {
  TempDir out;
  Engine e = MakeEngine(GetParam());
  const auto before = test::OfficePids(kTag);
  ASSERT_TRUE(e.open(e.file));
  const int pid = NewOfficePid(before);
  ASSERT_GT(pid, 0);
  ::kill(pid, SIGKILL);
  const auto start = Clock::now();
  EXPECT_THROW(e.stamp(), EOleError);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
  ExpectNextFileWorks(e, out / ("after" + e.ext));
  const int second = NewOfficePid(before);
  EXPECT_GT(second, 0);
  EXPECT_NE(second, pid);
  e.quit();
  EXPECT_EQ(test::OfficePids(kTag), before);
}

// The office process dies as a document is being opened (as on a file that crashes it, or on
// its own after earlier documents): the file is tried once more on a new process.
TEST_P(RobustnessTest, OfficeEndingWhileOpeningIsTriedOnceMoreOnANewOffice) {
  TempDir out;
  Engine e = MakeEngine(GetParam());
  const auto before = test::OfficePids(kTag);
  std::vector<int> attempts;
  SetBeforeOfficeOpenForTests([&](int pid) {
    attempts.push_back(pid);
    if (attempts.size() == 1) ::kill(pid, SIGKILL);
  });
  ASSERT_TRUE(e.open(e.file));
  SetBeforeOfficeOpenForTests({});
  ASSERT_EQ(attempts.size(), 2u);
  EXPECT_NE(attempts[0], attempts[1]);
  e.stamp();
  e.saveAs(out / ("retried" + e.ext));
  e.close();
  EXPECT_TRUE(FileExists(out / ("retried" + e.ext)));
  e.quit();
  EXPECT_EQ(test::OfficePids(kTag), before);
}

TEST_P(RobustnessTest, FileOnWhichTwoOfficesEndIsGivenUpSayingTheOfficeEnded) {
  TempDir out;
  Engine e = MakeEngine(GetParam());
  const auto before = test::OfficePids(kTag);
  std::vector<int> attempts;
  SetBeforeOfficeOpenForTests([&](int pid) {
    attempts.push_back(pid);
    ::kill(pid, SIGKILL);
  });
  EXPECT_FALSE(e.open(e.file));
  EXPECT_TRUE(e.officeEndedOnOpen());
  EXPECT_EQ(attempts.size(), 2u) << "tried once more on a new office, and only once";
  SetBeforeOfficeOpenForTests({});
  // A file the office refuses is not the office's end.
  test::WriteFile(out / ("broken" + e.ext), "not a document at all");
  EXPECT_FALSE(e.open(out / ("broken" + e.ext)));
  EXPECT_FALSE(e.officeEndedOnOpen());
  ExpectNextFileWorks(e, out / ("next" + e.ext));
  e.quit();
  EXPECT_EQ(test::OfficePids(kTag), before);
}

TEST(RobustnessTest, OpenGivenUpOnTheOfficesEndSaysSo) {
  const auto before = test::OfficePids(kTag);
  {
    OleVariant excel = CreateOleObject("Excel.Application");
    SetBeforeOfficeOpenForTests([](int pid) { ::kill(pid, SIGKILL); });
    try {
      excel.Get("Workbooks").Call("Open", {fx->xls});
      ADD_FAILURE() << "the open succeeded";
    } catch (const EOfficeEnded& e) {
      EXPECT_NE(std::string(e.what()).find("The office ended while opening the file, also when it "
                                           "was tried again with a new office"),
                std::string::npos)
          << e.what();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "not an office end: " << e.what();
    }
    SetBeforeOfficeOpenForTests({});
    excel.Call("Quit");
  }
  EXPECT_EQ(test::OfficePids(kTag), before);
}

TEST_P(RobustnessTest, HungProcessIsEndedAfterTheCallLimit) {
  TempDir out;
  Engine e = MakeEngine(GetParam());
  const auto before = test::OfficePids(kTag);
  ASSERT_TRUE(e.open(e.file));
  const int pid = NewOfficePid(before);
  ASSERT_GT(pid, 0);
  SetOfficeCallLimit(std::chrono::seconds(3));
  ::kill(pid, SIGSTOP);  // the office stops answering, as on a document that hangs it
  const auto start = Clock::now();
  EXPECT_THROW(e.stamp(), EOleError);
  const auto took = Clock::now() - start;
  SetOfficeCallLimit(std::chrono::seconds(120));
  EXPECT_GE(took, std::chrono::milliseconds(2900));
  EXPECT_LT(took, std::chrono::seconds(15));
  // The hung process was ended, not left behind.
  const auto pids = test::OfficePids(kTag);
  EXPECT_EQ(std::count(pids.begin(), pids.end(), pid), 0);
  ExpectNextFileWorks(e, out / ("after" + e.ext));
  e.quit();
  EXPECT_EQ(test::OfficePids(kTag), before);
}

TEST_P(RobustnessTest, ProcessDyingBetweenFilesDoesNotFailTheNextOpen) {
  TempDir out;
  Engine e = MakeEngine(GetParam());
  const auto before = test::OfficePids(kTag);
  ASSERT_TRUE(e.open(e.file));
  e.close();
  const int pid = NewOfficePid(before);
  ASSERT_GT(pid, 0);
  ::kill(pid, SIGKILL);  // the office goes down on its own while the job is between files
  ExpectNextFileWorks(e, out / ("next" + e.ext));
  e.quit();
  EXPECT_EQ(test::OfficePids(kTag), before);
}

TEST_P(RobustnessTest, OpenThatHangsIsGivenUpOnceAfterTheCallLimit) {
  TempDir out;
  Engine e = MakeEngine(GetParam());
  const auto before = test::OfficePids(kTag);
  ASSERT_TRUE(e.open(e.file));
  e.close();
  const int pid = NewOfficePid(before);
  ASSERT_GT(pid, 0);
  SetOfficeCallLimit(std::chrono::seconds(3));
  ::kill(pid, SIGSTOP);
  const auto start = Clock::now();
  EXPECT_FALSE(e.open(e.file));
  const auto took = Clock::now() - start;
  SetOfficeCallLimit(std::chrono::seconds(120));
  // Given up after one call limit: a file that hangs the office is not tried a second time.
  EXPECT_GE(took, std::chrono::milliseconds(2900));
  EXPECT_LT(took, std::chrono::milliseconds(5500));
  ExpectNextFileWorks(e, out / ("next" + e.ext));
  e.quit();
  EXPECT_EQ(test::OfficePids(kTag), before);
}

TEST(RobustnessTest, CallLimitMessageSaysWhatHappened) {
  TDocWaterMark e;
  e.DocSettings = test::JobSettings();
  const auto before = test::OfficePids(kTag);
  ASSERT_TRUE(e.OpenDoc(fx->doc));
  const int pid = NewOfficePid(before);
  SetOfficeCallLimit(std::chrono::seconds(2));
  ::kill(pid, SIGSTOP);
  std::string message;
  try {
    e.AddWaterMark();
  } catch (const EOleError& error) {
    message = error.what();
  }
  SetOfficeCallLimit(std::chrono::seconds(120));
  EXPECT_NE(message.find("did not answer within 2 seconds"), std::string::npos) << message;
  e.CloseWordApp();
}

TEST_P(RobustnessTest, ProcessIsReplacedBetweenDocumentsAfterTheRestartLimit) {
  TempDir out;
  Engine e = MakeEngine(GetParam());
  const auto before = test::OfficePids(kTag);
  SetOfficeRestartLimit(2);
  std::vector<int> pids;
  for (int i = 0; i < 5; ++i) {
    ExpectNextFileWorks(e, out / ("n" + std::to_string(i) + e.ext));
    pids.push_back(NewOfficePid(before));
    // The replaced process is gone, not left running beside the new one.
    EXPECT_EQ(test::OfficePids(kTag).size(), before.size() + 1) << "after document " << i;
  }
  SetOfficeRestartLimit(kOfficeRestartLimit);
  // Two documents per process: 1-2 in the first, 3-4 in the second, 5 in a third.
  EXPECT_GT(pids[0], 0);
  EXPECT_EQ(pids[1], pids[0]);
  EXPECT_NE(pids[2], pids[1]);
  EXPECT_EQ(pids[3], pids[2]);
  EXPECT_NE(pids[4], pids[3]);
  e.quit();
  EXPECT_EQ(test::OfficePids(kTag), before);
}

INSTANTIATE_TEST_SUITE_P(Servers, RobustnessTest, ::testing::Values("doc", "xls", "ppt"));

}  // namespace
}  // namespace stampwell
