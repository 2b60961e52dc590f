// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/paths.h"
#include "run/job_log.h"
#include "support/temp_dir.h"

using namespace stampwell;
using stampwell::test::ListTree;
using stampwell::test::ReadFile;
using stampwell::test::ScopedProgramDir;
using stampwell::test::TempDir;
using stampwell::test::WriteFile;
using Lines = std::vector<std::string>;

namespace {

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

class JobLogTest : public ::testing::Test {
 protected:
  JobLogTest() {
    TJobLog::SetClock([this] { return now_; });
  }
  ~JobLogTest() override { TJobLog::SetClock({}); }

  std::string LogPath(const std::string& job) const {
    return program_.Path() + "sw" + job + ".log";
  }
  // Every line of the job's log, read through a fresh TJobLog as the history page does.
  static Lines ReadAll(const std::string& job) {
    TJobLog log(job);
    Lines lines;
    if (!log.OpenLog(false)) return lines;
    std::string line;
    while (log.ReadLog(line)) lines.push_back(line);
    EXPECT_EQ(log.ErrorText, "");
    return lines;
  }
  void Run(const std::string& job, const Lines& texts) {
    TJobLog log(job);
    ASSERT_TRUE(log.OpenLog(true));
    for (const auto& text : texts) EXPECT_TRUE(log.WriteLog(text));
    EXPECT_TRUE(log.CloseLog());
  }

  ScopedProgramDir program_;
  std::tm now_ = LocalTime(2026, 3, 7, 9, 5, 3);
};

}  // namespace

// --- Writing ------------------------------------------------------------------------------

TEST_F(JobLogTest, LinesAreZeroPaddedTimeStampTextAndCrLfAppendedRunAfterRun) {
  TJobLog unopened("Weekly");
  EXPECT_EQ(unopened.FileName, "swWeekly.log");
  EXPECT_TRUE(ListTree(program_.Path()).empty());  // construction opens nothing
  Run("Weekly", {"Job Begin"});
  now_ = LocalTime(2026, 12, 31, 23, 59, 58);
  Run("Weekly", {"", "Job End"});
  EXPECT_EQ(ReadFile(LogPath("Weekly")),
            "2026-03-07 09:05:03 Job Begin\r\n2026-12-31 23:59:58 \r\n"
            "2026-12-31 23:59:58 Job End\r\n");
}

TEST_F(JobLogTest, SystemClockGivesTheCurrentLocalTime) {
  TJobLog::SetClock({});
  std::time_t before = std::time(nullptr);
  Run("Clock", {"x"});
  std::time_t after = std::time(nullptr);
  std::tm t{};
  ASSERT_NE(::strptime(ReadFile(LogPath("Clock")).c_str(), "%Y-%m-%d %H:%M:%S", &t), nullptr);
  t.tm_isdst = -1;
  EXPECT_GE(std::mktime(&t), before);
  EXPECT_LE(std::mktime(&t), after);
}

TEST_F(JobLogTest, EachLineIsInTheFileBeforeCloseLog) {
  TJobLog writer("Live");
  ASSERT_TRUE(writer.OpenLog(true));
  writer.WriteLog("one");
  EXPECT_EQ(ReadAll("Live"), Lines{"2026-03-07 09:05:03 one"});
  writer.WriteLog("two");
  EXPECT_EQ(ReadAll("Live").size(), 2u);
}

// --- Reading ------------------------------------------------------------------------------

TEST_F(JobLogTest, ReadingAMissingLogFailsQuietlyAndCreatesNothing) {
  TJobLog log("Missing");
  EXPECT_FALSE(log.OpenLog(false));
  EXPECT_EQ(log.ErrorText, "");
  EXPECT_TRUE(ListTree(program_.Path()).empty());
}

TEST_F(JobLogTest, EveryLineEndAndALastLineWithoutOne) {
  WriteFile(LogPath("E"), "a\r\n\r\nlf\ncr\rend\r");
  EXPECT_EQ(ReadAll("E"), (Lines{"a", "", "lf", "cr", "end"}));
  WriteFile(LogPath("E"), "first\r\nlast");
  TJobLog log("E");
  ASSERT_TRUE(log.OpenLog(false));
  std::string line;
  ASSERT_TRUE(log.ReadLog(line));
  ASSERT_TRUE(log.ReadLog(line));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(log.ReadLog(line));
  WriteFile(LogPath("E"), "");
  EXPECT_TRUE(ReadAll("E").empty());
}

TEST_F(JobLogTest, LongLogReadsBackAcrossReadBoundaries) {
  // One-character lines: every third byte is a CR, so whatever power-of-two size the reads
  // have, some read ends between a CR and its LF.
  std::string file;
  Lines expected;
  for (int i = 0; i < 200000; ++i) {
    expected.emplace_back(1, static_cast<char>('a' + i % 26));
    file += expected.back() + "\r\n";
  }
  WriteFile(LogPath("Long"), file);
  EXPECT_EQ(ReadAll("Long"), expected);
}

// --- Failures -----------------------------------------------------------------------------

TEST_F(JobLogTest, FailedOpenIsRecordedAndEveryLaterWriteFailsToo) {
  TempDir other;
  SetProgramDir(other / "gone");
  TJobLog log("Gone");
  EXPECT_FALSE(log.OpenLog(true));
  EXPECT_FALSE(log.WriteLog("Job Begin"));
  EXPECT_FALSE(log.WriteLog("Job End"));
  EXPECT_EQ(log.ErrorText,
            "when open log file swGone.loghave one error!No such file or directory\r\n"
            "when write log:swGone.logerror!File not open\r\n"
            "when write log:swGone.logerror!File not open\r\n");
  EXPECT_TRUE(log.CloseLog());
  EXPECT_FALSE(DirectoryExists(other / "gone"));
  SetProgramDir(program_.Path());
  ASSERT_TRUE(log.OpenLog(true));  // the next opening starts a fresh ErrorText
  EXPECT_EQ(log.ErrorText, "");
}

TEST_F(JobLogTest, WrongModeOrAFolderOfTheLogsNameFail) {
  WriteFile(LogPath("M"), "line\r\n");
  TJobLog log("M");
  ASSERT_TRUE(log.OpenLog(false));
  EXPECT_FALSE(log.WriteLog("x"));
  EXPECT_EQ(log.ErrorText, "when write log:swM.logerror!File not open for output\r\n");
  ASSERT_TRUE(log.OpenLog(true));
  std::string line;
  EXPECT_FALSE(log.ReadLog(line));
  EXPECT_EQ(log.ErrorText, "when Read log:swM.logerror!File not open for input\r\n");
  EXPECT_EQ(ReadFile(LogPath("M")), "line\r\n");

  WriteFile(LogPath("Dir") + "/inside", "");
  TJobLog folder("Dir");
  EXPECT_FALSE(folder.OpenLog(true));
  EXPECT_EQ(folder.ErrorText, "when open log file swDir.loghave one error!Is a directory\r\n");
  EXPECT_FALSE(folder.OpenLog(false));
}

TEST_F(JobLogTest, JobNameWithAPathNeverLogsOutsideTheProgramDirectory) {
  TempDir root;
  WriteFile(root / "prog/sw/keep", "");  // so that "sw/../../victim.log" would resolve
  SetProgramDir(root / "prog");
  WriteFile(root / "victim.log", "secret\r\n");
  const Lines before = ListTree(root.Path());
  for (const std::string job : {"/../../victim", "/../keep", "a/b"}) {
    TJobLog log(job);
    EXPECT_FALSE(log.OpenLog(true)) << job;
    EXPECT_EQ(log.ErrorText,
              "when open log file sw" + job + ".loghave one error!Invalid file name\r\n");
    EXPECT_FALSE(log.WriteLog("Job Begin"));
    EXPECT_FALSE(log.OpenLog(false));
  }
  EXPECT_EQ(ListTree(root.Path()), before);
  SetProgramDir(program_.Path());
  Run(".", {"x"});  // "sw..log": inside the program directory
  Run("..", {"x"});
  EXPECT_EQ(ListTree(program_.Path()), (Lines{"sw...log", "sw..log"}));
}
