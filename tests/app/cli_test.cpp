// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/cli.h"
#include "jobs/job_profile.h"
#include "run/job_fixture.h"
#include "run/job_log.h"

using namespace stampwell;
using namespace stampwell::test;

namespace {

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

CliResult RunCli(const std::vector<std::string>& args, cli::Terminal terminal = {}) {
  std::ostringstream out, err;
  int status = cli::Main(args, out, err, terminal);
  return {status, out.str(), err.str()};
}

int CountLines(const std::vector<std::string>& lines, const std::string& text) {
  int n = 0;
  for (const auto& l : lines) n += l == text;
  return n;
}

}  // namespace

TEST(CliUsage, CommandsAndOptionsOutsideTheSetAreUsageErrors) {
  ScopedProgramDir dir;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"frob"},
                                             {"--frob"},
                                             {"run"},
                                             {"run", "A", "B"},
                                             {"run", ""},
                                             {"run", "", "--workers", "1"},
                                             {"history", ""},
                                             {"history"},
                                             {"list", "extra"},
                                             {"run", "--fast"},
                                             {"run", "A", "--workers"},
                                             {"run", "A", "--workers", "-1"},
                                             {"run", "A", "--workers", "two"},
                                             {"run", "A", "--shard", "2/2"},
                                             {"run", "A", "--shard", "1"},
                                             {"history", "A", "--workers", "2"},
                                             {"run", "A", "--verify", "--frob"},
                                             {"history", "A", "--verify"},
                                             {"--help", "run"}}) {
    auto r = RunCli(args);
    EXPECT_EQ(r.status, cli::kExitUsage) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("Usage: stampwell-cli"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
  }
}

TEST(CliUsage, HelpAndVersionGoToStandardOutput) {
  auto help = RunCli({"--help"});
  EXPECT_EQ(help.status, cli::kExitOk);
  EXPECT_NE(help.out.find("run NAME"), std::string::npos);
  EXPECT_NE(help.out.find("history NAME"), std::string::npos);
  EXPECT_NE(help.out.find("--verify"), std::string::npos);
  auto version = RunCli({"--version"});
  EXPECT_EQ(version.status, cli::kExitOk);
  EXPECT_EQ(version.out.rfind("stampwell-cli ", 0), 0u);
}

class CliJobs : public JobFixture {
 protected:
  // Saves a profile named name into the program directory.
  void SaveProfile(const std::string& name, const RJobSettings& settings,
                   const std::vector<RJobItem>& items) {
    TJobProfile p;
    p.Settings = settings;
    p.Settings.Name = name;
    p.DocSettings.DocWaterMarkStr = "Confidential";
    p.DocSettings.DocFontName = "Arial";
    p.DocSettings.DocWatermarkSize = "60";
    p.DocSettings.DocWatermarkColor = 0x808080;
    p.DocSettings.Transparent = true;
    p.DocSettings.HX = true;
    p.FileName = "sw" + name + ".ini";
    p.Items = items;
    p.Save();
  }
  RJobItem Folder() const { return RJobItem{1, Src(), Dst(), ""}; }
};

TEST_F(CliJobs, ListShowsEveryJobWithItsSwitchesAndItems) {
  SaveProfile("Weekly", Settings(true, false, true, false, true), {Folder(), Folder()});
  RJobSettings pdfOnly = Settings(false, false, false, true, false);
  pdfOnly.ModernFormats = true;
  pdfOnly.PdfFiles = true;
  SaveProfile("Pdf Only", pdfOnly, {});
  auto r = RunCli({"list"});
  EXPECT_EQ(r.status, cli::kExitOk);
  EXPECT_NE(r.out.find("Weekly\tswWeekly.ini\tDoc=1 Xls=0 Ppt=1 PDF=0 OtherFiles=1 "
                       "ModernFormats=0 PdfFiles=0\t2 items\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Pdf Only\tswPdf Only.ini\tDoc=0 Xls=0 Ppt=0 PDF=1 OtherFiles=0 "
                       "ModernFormats=1 PdfFiles=1\t0 items\n"),
            std::string::npos)
      << r.out;
}

TEST_F(CliJobs, AnUnreadableProfileIsNamedAndTheOtherJobsStillListAndRun) {
  WriteFile(programDir.Path() + "swBroken.ini",
            "[BasicInfo]\r\nName=Broken\r\n[DocInfo]\r\nDocWatermarkColor=notacolour\r\n");
  SaveProfile("Weekly", Settings(true, false, false, false, true), {Folder()});
  WriteFile(Src("/a.txt"), "a");
  auto r = RunCli({"list"});
  EXPECT_EQ(r.status, cli::kExitRunError);
  EXPECT_NE(r.err.find("swBroken.ini: 'notacolour' is not a valid integer value"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("Weekly\tswWeekly.ini"), std::string::npos) << r.out;
  auto run = RunCli({"run", "Weekly"});
  EXPECT_EQ(run.status, cli::kExitOk) << run.err;
  EXPECT_EQ(ReadFile(Dst("/a.txt")), "a");
}

TEST_F(CliJobs, AProfileWithoutANameIsListedAsUnreadableAndNeverRuns) {
  WriteFile(programDir.Path() + "swNameless.ini",
            "[BasicInfo]\r\nName=\r\nDoc=0\r\nOtherFiles=1\r\n[0]\r\nType=1\r\nSource=" + Src("") +
                "\r\nDest=" + Dst("") + "\r\n");
  WriteFile(programDir.Path() + "swNoBasicInfo.ini", "[DocInfo]\r\nHX=1\r\n");
  SaveProfile("Weekly", Settings(true, false, false, false, true), {Folder()});
  WriteFile(Src("/a.txt"), "a");
  auto r = RunCli({"list"});
  EXPECT_EQ(r.status, cli::kExitRunError);
  EXPECT_NE(r.err.find("swNameless.ini: the profile names no job"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("swNoBasicInfo.ini: the profile names no job"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("swNameless.ini"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Weekly\tswWeekly.ini"), std::string::npos) << r.out;
  auto run = RunCli({"run", ""});
  EXPECT_EQ(run.status, cli::kExitUsage);
  EXPECT_FALSE(FileExists(programDir.Path() + "sw.log"));
  EXPECT_FALSE(FileExists(Dst("/a.txt")));
}

TEST_F(CliJobs, HistoryPrintsTheLogAndUnknownJobsAreUsageErrors) {
  SaveProfile("Weekly", Settings(true, false, false, false, true), {Folder()});
  auto empty = RunCli({"history", "Weekly"});
  EXPECT_EQ(empty.status, cli::kExitOk);
  EXPECT_TRUE(empty.out.empty());

  TJobLog log("Weekly");
  ASSERT_TRUE(log.OpenLog(true));
  log.WriteLog("Job Begin");
  log.WriteLog("Job End");
  log.CloseLog();
  auto r = RunCli({"history", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitOk);
  auto begin = r.out.find(" Job Begin\n");
  auto end = r.out.find(" Job End\n");
  ASSERT_NE(begin, std::string::npos) << r.out;
  ASSERT_NE(end, std::string::npos);
  EXPECT_LT(begin, end);

  auto unknown = RunCli({"history", "weekly"});  // names match with case
  EXPECT_EQ(unknown.status, cli::kExitUsage);
  EXPECT_NE(unknown.err.find("no job named \"weekly\""), std::string::npos);
  EXPECT_EQ(RunCli({"run", "Nope"}).status, cli::kExitUsage);
}

TEST_F(CliJobs, RunPrintsOneLinePerActionAndLogsTheRun) {
  WriteFile(Src("/a.doc"), "doc");
  WriteFile(Src("/notes.txt"), "notes");
  SaveProfile("Weekly", Settings(true, false, false, false, true), {Folder()});
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  // One whole line per action, each once (the folder's listing order decides which first).
  std::vector<std::string> out;
  std::istringstream text(r.out);
  for (std::string line; std::getline(text, line);) out.push_back(line);
  ASSERT_EQ(out.size(), 3u) << r.out;
  EXPECT_EQ(CountLines(out, "Add watermark into " + Src("/a.doc")), 1) << r.out;
  EXPECT_EQ(CountLines(out, "copy file:" + Src("/notes.txt") + " to:" + Dst("/notes.txt")), 1);
  EXPECT_EQ(out.back(),
            "Job Weekly: stamped 1, printed 0, copied 1, skipped 0 (destination "
            "exists), failed 0; log: " +
                programDir.Path() + "swWeekly.log");
  EXPECT_EQ(r.out.find('\r'), std::string::npos);  // no progress bar when not a terminal
  EXPECT_EQ(ReadFile(Dst("/notes.txt")), "notes");
  EXPECT_TRUE(FileExists(Dst("/a.doc")));
  auto lines = ActionLines();
  EXPECT_EQ(CountLines(lines, "Add watermark into " + Src("/a.doc")), 1);
}

TEST_F(CliJobs, RunWithWorkersAndShardsHandlesEachFileOnce) {
  for (std::string f : {"/a.doc", "/b.doc", "/sub/c.doc", "/notes.txt", "/sub/more.txt"})
    WriteFile(Src(f), "x");
  SaveProfile("Weekly", Settings(true, false, false, false, true), {Folder()});
  auto r = RunCli({"run", "Weekly", "--workers", "2"});
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("stamped 3, printed 0, copied 2, skipped 0"), std::string::npos) << r.out;
  EXPECT_EQ(ListTree(Dst()), ListTree(Src()));
  EXPECT_EQ(CountLines(ActionLines(), "Add watermark into " + Src("/sub/c.doc")), 1);

  // Two shards into a fresh destination: together everything, each its own log.
  std::filesystem::remove_all(Dst());
  int done = 0;
  for (int k = 0; k < 2; ++k) {
    auto shard = RunCli({"run", "Weekly", "--shard", std::to_string(k) + "/2"});
    EXPECT_EQ(shard.status, cli::kExitOk) << shard.err;
    const std::string log = "swWeekly.shard-" + std::to_string(k) + ".log";
    EXPECT_NE(shard.out.find("log: " + programDir.Path() + log), std::string::npos) << shard.out;
    EXPECT_TRUE(FileExists(programDir.Path() + log));
    const auto at = shard.out.find(": stamped ");
    ASSERT_NE(at, std::string::npos) << shard.out;
    const int stamped = std::stoi(shard.out.substr(at + 10));
    const auto copied = shard.out.find("copied ", at);
    ASSERT_NE(copied, std::string::npos);
    done += stamped + std::stoi(shard.out.substr(copied + 7));
  }
  EXPECT_EQ(done, 5);
  EXPECT_EQ(ListTree(Dst()), ListTree(Src()));
  // The profile itself is not changed by the options.
  EXPECT_EQ(TJobProfile("swWeekly.ini").Settings.Workers, 1);
}

TEST_F(CliJobs, RunOnATerminalRedrawsOneProgressLineCutToTheWidth) {
  WriteFile(Src("/a-document-with-a-rather-long-name-to-cut.doc"), "doc");
  SaveProfile("Weekly", Settings(true, false, false, false, true), {Folder()});
  cli::Terminal terminal{true, 40};
  auto r = RunCli({"run", "Weekly"}, terminal);
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  size_t pos = 0;
  int redraws = 0;
  bool sawFull = false;
  while ((pos = r.out.find("\r\x1b[K", pos)) != std::string::npos) {
    pos += 4;
    size_t stop = r.out.find_first_of("\r\n", pos);
    std::string line = r.out.substr(pos, stop - pos);
    EXPECT_LE(line.size(), 39u) << line;
    sawFull = sawFull || line.rfind("[####################] 1/1", 0) == 0;
    ++redraws;
  }
  EXPECT_GT(redraws, 1);
  EXPECT_TRUE(sawFull) << r.out;
}

TEST_F(CliJobs, AnOfficeThatEndsWhileOpeningIsToldApartFromAFileThatCannotBeOpened) {
  for (const char* name : {"/a.xls", "/b.xls", "/c.ppt"}) WriteFile(Src(name), "x");
  SaveProfile("Weekly", Settings(false, true, true, false, false), {Folder()});
  onOpen = [this](const std::string& path) {
    if (path == Src("/a.xls")) throw EOleError("the office refused it");
    throw EOfficeEnded("The office ended while opening the file");
  };
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitRunError);
  EXPECT_NE(r.err.find("Error in " + Src("/a.xls") + ":the file cannot be opened"),
            std::string::npos)
      << r.err;
  for (const char* name : {"/b.xls", "/c.ppt"})
    EXPECT_NE(r.err.find("Error in " + Src(name) +
                         ":the office ended while opening the file, also when the file was "
                         "tried again with a new office"),
              std::string::npos)
        << r.err;
}

TEST_F(CliJobs, CtrlCStopsAfterTheFileInHandAsCancelDoes) {
  for (const char* name : {"/a.doc", "/b.doc", "/c.doc"}) WriteFile(Src(name), "doc");
  SaveProfile("Weekly", Settings(true, false, false, false, false), {Folder()});
  onOpen = [](const std::string&) { cli::RequestStop(); };  // Ctrl-C during the first file
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitStopped) << r.out << r.err;
  auto log = LogLines();
  // A stop inside a folder is logged once, right before the closing lines.
  EXPECT_EQ(CountLines(log, "Job Terminated by User"), 1);
  EXPECT_EQ(CountLines(log, "Job End"), 1);
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], "Job Terminated by User");
  EXPECT_EQ(log[log.size() - 2], "Job End");
  EXPECT_EQ(opened.size(), 1u);  // the file in hand was finished, no other was opened
  EXPECT_TRUE(FileExists(Dst("/") + ExtractFileName(opened.front())));
}

TEST_F(CliJobs, AFailedFileMakesStatusOneWithItsErrorOnStandardErrorAndTheRunGoesOn) {
  WriteFile(Src("/a.doc"), "doc");
  WriteFile(Src("/b.doc"), "doc");
  SaveProfile("Weekly", Settings(true, false, false, false, false), {Folder()});
  server.Fail(CallKind::Call, "App.Selection.HeaderFooter.Shapes", "AddTextEffect", "no room", 1);
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitRunError) << r.out << r.err;
  EXPECT_NE(r.err.find("Error in " + Src("/a.doc") + ":no room\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("Error in"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Add watermark into " + Src("/b.doc") + "\n"), std::string::npos);
  EXPECT_NE(r.out.find("stamped 1, printed 0, copied 0, skipped 0 (destination exists), failed 1"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(FileExists(Dst("/b.doc")));
  EXPECT_FALSE(FileExists(Dst("/a.doc")));
}

TEST_F(CliJobs, EveryActionOfTheLogIsPrintedExcelIncluded) {
  // Excel steps refresh no display; what is printed follows the log, not the display.
  WriteFile(Src("/b.xls"), "xls");
  WriteFile(Src("/c.ppt"), "ppt");
  SaveProfile("Weekly", Settings(false, true, true, false, false), {Folder()});
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out.rfind("Add watermark into " + Src("/b.xls") + "\nAdd watermark into " +
                            Src("/c.ppt") + "\nJob Weekly: stamped 2,",
                        0),
            0u)
      << r.out;
}

TEST_F(CliJobs, ARunWithNothingToDoSaysSo) {
  WriteFile(Src("/a.doc"), "doc");
  WriteFile(Dst("/a.doc"), "done before");
  SaveProfile("Weekly", Settings(true, false, false, false, true), {Folder()});
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("Nothing to do: 1 destination exists\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("skipped 1 (destination exists)"), std::string::npos) << r.out;
}

// The job switch Overwrite=1 (written by the desktop program's "Replace existing
// destinations") makes the command line replace what exists, through the same runner.
TEST_F(CliJobs, AJobThatReplacesExistingDestinationsCopiesAgain) {
  WriteFile(Src("/a.txt"), "new");
  WriteFile(Dst("/a.txt"), "old");
  RJobSettings settings = Settings(true, false, false, false, true);
  settings.Overwrite = true;
  SaveProfile("Weekly", settings, {Folder()});
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out.find("Nothing to do"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("copied 1, skipped 0"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(Dst("/a.txt")), "new");
}

TEST_F(CliJobs, AJobNameThatCannotNameALogIsNotRunAndNamesNoLog) {
  WriteFile(Src("/a.txt"), "a");
  WriteFile(programDir.Path() + "swOdd.ini",
            "[BasicInfo]\r\nName=Team/Weekly\r\n[0]\r\nType=1\r\n"
            "Source=" +
                Src() + "\r\nDest=" + Dst() + "\r\n");
  auto r = RunCli({"run", "Team/Weekly"});
  EXPECT_EQ(r.status, cli::kExitRunError);
  EXPECT_NE(r.err.find("\"Team/Weekly\" cannot be run under that name"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.out.find("log:"), std::string::npos) << r.out;
  EXPECT_FALSE(FileExists(Dst("/a.txt")));
}
