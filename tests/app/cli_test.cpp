#include <gtest/gtest.h>

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
                                             {"history"},
                                             {"list", "extra"},
                                             {"run", "--fast"},
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
  SaveProfile("Pdf Only", pdfOnly, {});
  auto r = RunCli({"list"});
  EXPECT_EQ(r.status, cli::kExitOk);
  EXPECT_NE(r.out.find("Weekly\tswWeekly.ini\tDoc=1 Xls=0 Ppt=1 PDF=0 OtherFiles=1 "
                       "ModernFormats=0\t2 items\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Pdf Only\tswPdf Only.ini\tDoc=0 Xls=0 Ppt=0 PDF=1 OtherFiles=0 "
                       "ModernFormats=1\t0 items\n"),
            std::string::npos)
      << r.out;
}

TEST_F(CliJobs, ListReportsAnUnreadableProfileAndFailsWithStatusOne) {
  WriteFile(programDir.Path() + "swBroken.ini",
            "[BasicInfo]\r\nName=Broken\r\n[DocInfo]\r\nDocWatermarkColor=notacolour\r\n");
  auto r = RunCli({"list"});
  EXPECT_EQ(r.status, cli::kExitRunError);
  EXPECT_NE(r.err.find("notacolour"), std::string::npos) << r.err;
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
  EXPECT_NE(r.out.find("2 of 2 actions done"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\r'), std::string::npos);  // no progress bar when not a terminal
  EXPECT_EQ(ReadFile(Dst("/notes.txt")), "notes");
  EXPECT_TRUE(FileExists(Dst("/a.doc")));
  auto lines = ActionLines();
  EXPECT_EQ(CountLines(lines, "Add watermark into " + Src("/a.doc")), 1);
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

TEST_F(CliJobs, CtrlCStopsAfterTheFileInHandAsCancelDoes) {
  for (const char* name : {"/a.doc", "/b.doc", "/c.doc"}) WriteFile(Src(name), "doc");
  SaveProfile("Weekly", Settings(true, false, false, false, false), {Folder()});
  onOpen = [](const std::string&) { cli::RequestStop(); };  // Ctrl-C during the first file
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitStopped) << r.out << r.err;
  auto log = LogLines();
  // A stop inside a folder is logged by the folder walk and by the entry loop, as Cancel is.
  EXPECT_EQ(CountLines(log, "Job Terminated by User"), 2);
  EXPECT_EQ(CountLines(log, "Job End"), 1);
  EXPECT_EQ(opened.size(), 1u);  // the file in hand was finished, no other was opened
  EXPECT_TRUE(FileExists(Dst("/") + ExtractFileName(opened.front())));
}

TEST_F(CliJobs, AnEngineErrorEndsTheRunWithStatusOne) {
  WriteFile(Src("/a.doc"), "doc");
  SaveProfile("Weekly", Settings(true, false, false, false, false), {Folder()});
  server.Fail(CallKind::Call, "App.Selection.HeaderFooter.Shapes", "AddTextEffect", "no room");
  auto r = RunCli({"run", "Weekly"});
  EXPECT_EQ(r.status, cli::kExitRunError) << r.out << r.err;
  auto lines = ActionLines();
  bool errorLine = false;
  for (const auto& l : lines) errorLine = errorLine || l.find("no room") != std::string::npos;
  EXPECT_TRUE(errorLine);
}
