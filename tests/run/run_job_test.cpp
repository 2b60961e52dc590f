#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "jobs/job_profile.h"
#include "platform/thread.h"
#include "platform/window_messages.h"
#include "run/job_fixture.h"

using namespace stampwell;
using namespace stampwell::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class RunJobTest : public JobFixture {
 protected:
  RunJobTest() { SetMainDispatcher(&ui); }
  ~RunJobTest() override { SetMainDispatcher(nullptr); }

  // Writes the profile file: fixed sections, then the item sections given as text.
  void WriteProfile(const std::string& itemSections) {
    WriteFile(ProgramDir() + "swWeekly.ini",
              "[BasicInfo]\r\nName=Weekly\r\nDoc=1\r\nPDF=0\r\nOtherFiles=1\r\n"
              "[DocInfo]\r\nDocWaterMarkStr=Secret\r\nDocWatermarkSize=40\r\n" +
                  itemSections);
  }
};

}  // namespace

TEST_F(RunJobTest, ItemsComeFromTheFileAsItIsNowInFileOrder) {
  WriteFile(Src("/one.txt"), "1");
  WriteFile(Src("/F/two.txt"), "2");
  WriteFile(Src("/three.txt"), "3");
  WriteProfile("[7]\r\nType=0\r\nSource=" + Src("/one.txt") + "\r\nDest=" + Dst("/one.txt") +
               "\r\n"
               "[letters]\r\nType=7\r\nSource=" +
               Src("/F") + "\r\nDest=" + Dst("/F") +
               "\r\n"
               "[2]\r\nType=0\r\nSource=" +
               Src("/three.txt") + "\r\nDest=\r\n");
  TJobProfile profile("swWeekly.ini");
  profile.Items.clear();  // what the object holds does not matter

  ASSERT_TRUE(profile.RunJob(window, display));
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }));
  EXPECT_THAT(ActionLines(),
              ElementsAre("copy file:" + Src("/one.txt") + " to:" + Dst("/one.txt"),
                          "copy file:" + Src("/F/two.txt") + " to:" + Dst("/F/two.txt")));
  EXPECT_FALSE(FileExists(Dst("/three.txt"))) << "a section without Dest is no item";
}

TEST_F(RunJobTest, SettingsComeFromTheProfileObject) {
  WriteFile(Src("/x.txt"), "x");
  WriteProfile("[0]\r\nType=1\r\nSource=" + Src() + "\r\nDest=" + Dst() + "\r\n");
  TJobProfile profile("swWeekly.ini");
  profile.Settings.OtherFiles = false;  // changed on a page, not saved yet
  ASSERT_TRUE(profile.RunJob(window, display));
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }));
  EXPECT_THAT(ActionLines(), IsEmpty());
  EXPECT_FALSE(FileExists(Dst("/x.txt")));
}

TEST_F(RunJobTest, TheProfileReachesItsRunnerOnlyWhileItLives) {
  WriteFile(Src("/x.txt"), "x");
  WriteProfile("[0]\r\nType=1\r\nSource=" + Src() + "\r\nDest=" + Dst() + "\r\n");
  TJobProfile profile("swWeekly.ini");
  bool sawRunner = false;
  display->onAction = [&](const std::string&) { sawRunner = profile.Job.lock() != nullptr; };
  ASSERT_TRUE(profile.RunJob(window, display));
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }));
  EXPECT_TRUE(sawRunner);
  EXPECT_TRUE(PumpUntil([&] { return profile.Job.expired(); }));
}

TEST_F(RunJobTest, ABrokenPrinterSetupIsShownAndTheRunIsClosed) {
  auto broken = std::make_shared<TRegistry>();
  const std::string key = "\\System\\CurrentControlSet\\Control\\Print\\Printers\\P";
  broken->SetString(key, "Name", "P");
  broken->SetString(key, "Printer Driver", "Adobe PDF Converter");  // no driver settings
  TRegistry::SetMachine(broken);
  WriteProfile("[0]\r\nType=1\r\nSource=" + Src() + "\r\nDest=" + Dst() + "\r\n");
  TJobProfile profile("swWeekly.ini");
  MessageRecorder messages;

  EXPECT_FALSE(profile.RunJob(window, display));
  EXPECT_THAT(messages.Messages(), ElementsAre("Failed to get data for 'ViewPrintOutput'"));
  EXPECT_EQ(window->Count(WM_JOBEND), 1);
  EXPECT_TRUE(profile.Job.expired());
  EXPECT_FALSE(FileExists(ProgramDir() + "swWeekly.log"));
}
