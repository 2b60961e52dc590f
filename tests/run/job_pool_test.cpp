// SPDX-License-Identifier: GPL-3.0-or-later
// Runs with several workers and runs split into shards, on the recording automation server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "jobs/file_utils.h"
#include "platform/window_messages.h"
#include "run/check_lane.h"
#include "run/job.h"
#include "run/job_fixture.h"
#include "run/shard.h"

using namespace stampwell;
using namespace stampwell::test;
using ::testing::Contains;
using ::testing::IsEmpty;
using Lines = std::vector<std::string>;

namespace {

namespace fs = std::filesystem;

class PoolTest : public JobFixture {
 protected:
  PoolTest() {
    SetMainDispatcher(&ui);
    server.SetShapesPerThread(true);  // each worker stamps in an office of its own
  }
  ~PoolTest() override { SetMainDispatcher(nullptr); }

  // A tree of Office files and other files, some of one name in several folders.
  Lines MakeTree() {
    Lines files;
    for (int folder = 0; folder < 4; ++folder) {
      const std::string dir = folder == 0 ? "" : "/f" + std::to_string(folder);
      for (std::string name : {"report.doc", "sheet.xls", "deck.ppt", "notes.txt"}) {
        files.push_back(dir + "/" + name);
        WriteFile(Src(files.back()), name);
      }
      files.push_back(dir + "/own" + std::to_string(folder) + ".doc");
      WriteFile(Src(files.back()), "own");
    }
    return files;
  }

  // Runs a folder job over the tree into to; returns the runner after its end.
  std::shared_ptr<TJob> RunFolder(RJobSettings settings, const std::string& to,
                                  RShard shard = {}) {
    window = std::make_shared<RecordingWindow>();
    display = std::make_shared<RecordingDisplay>();
    auto job = MakeJob(settings);
    job->Shard = shard;
    job->AddItem(Src(), to, "Folder");
    EXPECT_TRUE(RunToEnd(job));
    job->WaitFor();
    return job;
  }

  static RJobSettings WithWorkers(RJobSettings s, int workers) {
    s.Workers = workers;
    return s;
  }

  // The log's lines without time stamps of file name, each checked to be one whole line.
  Lines WholeLines(const std::string& logName) {
    const std::string text = ReadFile(ProgramDir() + "sw" + logName + ".log");
    Lines lines;
    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (.*))");
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      EXPECT_NE(end, std::string::npos) << "a line without its end";
      if (end == std::string::npos) break;
      const std::string line = text.substr(start, end - start);
      std::smatch m;
      EXPECT_TRUE(std::regex_match(line, m, stamped)) << "not a whole line: " << line;
      lines.push_back(m.size() > 1 ? m[1].str() : line);
      start = end + 2;
    }
    return lines;
  }

  static Lines Sorted(Lines lines, const std::string& from = "", const std::string& to = "") {
    for (auto& l : lines)
      for (std::size_t at; !from.empty() && (at = l.find(from)) != std::string::npos;)
        l.replace(at, from.size(), to);
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  Lines Opened() {
    std::lock_guard lock(openedMutex);
    return opened;
  }
};

TEST_F(PoolTest, SeveralWorkersDoWhatOneDoesEachFileOnce) {
  MakeTree();
  const RJobSettings stamp = Settings(true, true, true, false, true);
  auto one = RunFolder(stamp, Dst("/one"));
  const Lines oneLog = ActionLines();
  const Lines oneOpened = Opened();
  {
    std::lock_guard lock(openedMutex);
    opened.clear();
  }
  auto three = RunFolder(WithWorkers(stamp, 3), Dst("/three"));
  const Lines threeLog = ActionLines();

  EXPECT_EQ(Sorted(Opened()), Sorted(oneOpened)) << "each Office file opened once";
  EXPECT_EQ(std::set<std::string>(oneOpened.begin(), oneOpened.end()).size(), oneOpened.size());
  EXPECT_EQ(ListTree(Dst("/three")), ListTree(Dst("/one")));
  EXPECT_EQ(Sorted(threeLog), Sorted(oneLog, Dst("/one"), Dst("/three")));
  EXPECT_EQ(three->TotalCount, one->TotalCount);
  EXPECT_EQ(three->DoneCount, three->TotalCount);
  EXPECT_FALSE(three->EndedOnError());
  // The display's last report is the run's whole count.
  EXPECT_EQ(display->Only("status ").back(),
            std::to_string(three->TotalCount) + " of " + std::to_string(three->TotalCount));
  WholeLines(jobName);
  // A second run finds every destination: nothing is opened again.
  const std::size_t before = Opened().size();
  RunFolder(WithWorkers(stamp, 3), Dst("/three"));
  EXPECT_EQ(Opened().size(), before);
}

TEST_F(PoolTest, PdfFilesOfOneNameEachReachTheirOwnDestination) {
  const Lines files = MakeTree();
  auto job = RunFolder(WithWorkers(Settings(true, true, true, true, false), 4), Dst());
  EXPECT_FALSE(job->EndedOnError());
  for (const std::string& f : files) {
    if (ExtractFileExt(f) == ".txt") continue;
    const std::string pdf = Dst(ChangeFileExt(f, ".pdf"));
    EXPECT_EQ(ReadFile(pdf), "PDF of " + Src(f)) << pdf;
  }
  // Nothing is left in the printer's folder, and no worker's folder stays behind.
  EXPECT_THAT(ListTree(pdfOutputDir), IsEmpty());
}

TEST_F(PoolTest, AFailingFileAffectsOnlyItself) {
  MakeTree();
  WriteFile(Src("/f2/bad.doc"), "bad");
  server.SetHandler("App.Documents.Open", "SaveAs", [](const std::vector<OleVariant>& args) {
    const std::string path = args.at(0).AsString();
    if (path.find("bad.doc") != std::string::npos) throw EOleError("disk full");
    WriteFile(path, "saved");
    return OleVariant();
  });
  auto job = RunFolder(WithWorkers(Settings(true, true, true, false, true), 2), Dst());
  const Lines log = ActionLines();
  EXPECT_THAT(log, Contains("Error in " + Src("/f2/bad.doc") + ":disk full"));
  EXPECT_EQ(job->Counts.Failed, 1);
  EXPECT_EQ(job->Counts.Stamped, 16) << "every other Office file, across both workers";
  EXPECT_EQ(job->Counts.Copied, 4);
  EXPECT_FALSE(FileExists(Dst("/f2/bad.doc")));
  for (const std::string f : {"/report.doc", "/f3/own3.doc", "/f3/deck.ppt", "/f1/notes.txt"})
    EXPECT_TRUE(FileExists(Dst(f))) << f;
}

TEST_F(PoolTest, StopFinishesTheFilesInHandAndBeginsNoOther) {
  MakeTree();
  std::shared_ptr<TJob> job;
  std::atomic<int> opens{0};
  onOpen = [&](const std::string&) {
    if (++opens == 1) job->Terminate();
  };
  job = MakeJob(WithWorkers(Settings(true, true, true, false, false), 2));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  job->WaitFor();
  const Lines opened = Opened();
  EXPECT_GE(opened.size(), 1u);
  EXPECT_LE(opened.size(), 2u) << "only the files in hand of the two workers";
  // Every file that was begun was finished: stamped and saved.
  for (const std::string& path : opened)
    EXPECT_TRUE(FileExists(Dst(path.substr(Src().size())))) << path;
  const Lines lines = LogLines();
  EXPECT_THAT(lines, Contains(TJob::kJobTerminated));
  EXPECT_EQ(lines[lines.size() - 2], TJob::kJobEnd);
  // Every office application the workers started was quit.
  EXPECT_EQ(CallsWith("call App.Quit(").size(), CallsWith("create ").size());
  EXPECT_FALSE(CallsWith("create ").empty());
}

// Each worker with a lane of checks: every stamped document is checked once, its line
// whole in the one log, and every office the workers and their lanes started is quit.
TEST_F(PoolTest, WorkersCheckingAsideCheckEachFileOnceAndQuitEveryOffice) {
  const Lines files = MakeTree();
  printBytes = [](const std::string&) { return SquarePdf(true); };
  const ChecksAside aside(true);
  RJobSettings settings = WithWorkers(Settings(true, true, true, false, false), 2);
  settings.Verify = true;
  window = std::make_shared<RecordingWindow>();
  auto job = MakeJob(settings);
  job->DocSettings.DocWatermarkColor = 0x00FF00FF;
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  job->WaitFor();
  Lines verified;
  for (const std::string& line : WholeLines(jobName))
    if (line.rfind("Verified ", 0) == 0) verified.push_back(line);
  Lines expected;
  for (const std::string& f : files)
    if (f.find(".txt") == std::string::npos) expected.push_back("Verified " + Src(f) + ": 1 of 1 pages");
  EXPECT_EQ(Sorted(verified), Sorted(expected));
  EXPECT_EQ(job->Counts.Verified, static_cast<int>(expected.size()));
  EXPECT_EQ(job->Counts.Failed, 0);
  EXPECT_EQ(CallsWith("call App.Quit(").size(), CallsWith("create ").size());
}

// Checks go aside only where the run leaves a core free and its workers are not held to
// cores of their own; the environment's word decides over that.
TEST(CheckLane, IsWantedOnlyWithACoreToSpare) {
  using F = TCheckLane::RFacts;
  EXPECT_TRUE(TCheckLane::Wanted(F{1, 2, false, false, nullptr}));
  EXPECT_TRUE(TCheckLane::Wanted(F{3, 8, false, false, nullptr}));
  EXPECT_FALSE(TCheckLane::Wanted(F{1, 1, false, false, nullptr})) << "one core";
  EXPECT_FALSE(TCheckLane::Wanted(F{2, 2, false, false, nullptr})) << "every core a worker's";
  EXPECT_FALSE(TCheckLane::Wanted(F{1, 4, true, false, nullptr})) << "a quota below the cores";
  EXPECT_FALSE(TCheckLane::Wanted(F{2, 4, false, true, nullptr})) << "workers on their own cores";
  EXPECT_FALSE(TCheckLane::Wanted(F{1, 8, false, false, "0"}));
  EXPECT_TRUE(TCheckLane::Wanted(F{1, 1, false, false, "1"}));
  EXPECT_TRUE(TCheckLane::Wanted(F{1, 8, false, false, "2"})) << "an unknown word changes nothing";
}

TEST_F(PoolTest, ShardsTogetherHandleEachFileOnceWithALogEach) {
  MakeTree();
  const RJobSettings stamp = Settings(true, true, true, false, true);
  auto whole = RunFolder(stamp, Dst("/whole"));
  const Lines wholeOpened = Opened();
  const Lines wholeLog = ActionLines();
  constexpr int kShards = 3;
  int total = 0;
  Lines shardOpened, shardLines, shardFiles;
  for (int k = 0; k < kShards; ++k) {
    {
      std::lock_guard lock(openedMutex);
      opened.clear();
    }
    // Each shard into a destination of its own, so that nothing one shard did hides what
    // another would do.
    const std::string to = Dst("/split" + std::to_string(k));
    auto job = RunFolder(WithWorkers(stamp, k == 1 ? 2 : 1), to, {k, kShards});
    total += job->TotalCount;
    EXPECT_EQ(job->DoneCount, job->TotalCount);
    EXPECT_EQ(job->LogName(), jobName + ".shard-" + std::to_string(k));
    for (const auto& path : Opened()) {
      EXPECT_EQ(ShardOf(path.substr(Src().size() + 1), kShards), k) << path;
      shardOpened.push_back(path);
    }
    for (const auto& l : WholeLines(job->LogName()))
      if (l.rfind("Add watermark", 0) == 0 || l.rfind("copy file", 0) == 0)
        shardLines.push_back(Sorted({l}, to, Dst("/whole"))[0]);
    for (const auto& f : ListTree(to)) shardFiles.push_back(f);
  }
  EXPECT_EQ(Sorted(shardOpened), Sorted(wholeOpened)) << "each file in exactly one shard";
  EXPECT_EQ(total, whole->TotalCount);
  EXPECT_EQ(Sorted(shardFiles), ListTree(Dst("/whole")));
  EXPECT_EQ(Sorted(shardLines), Sorted(wholeLog));
  EXPECT_FALSE(FileExists(ProgramDir() + "sw" + jobName + ".shard-3.log"));
}

TEST_F(PoolTest, ShardsPrintingSideBySideNeverTakeEachOthersPdfFiles) {
  const Lines files = MakeTree();
  std::vector<std::shared_ptr<TJob>> jobs;
  for (int k = 0; k < 2; ++k) {
    auto job = MakeJob(Settings(true, true, true, true, false));  // one worker each
    job->Shard = {k, 2};
    job->AddItem(Src(), Dst(), "Folder");
    jobs.push_back(job);
  }
  for (auto& job : jobs) job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 2; }));
  for (auto& job : jobs) {
    job->WaitFor();
    EXPECT_FALSE(job->EndedOnError());
  }
  for (const std::string& f : files) {
    if (ExtractFileExt(f) == ".txt") continue;
    EXPECT_EQ(ReadFile(Dst(ChangeFileExt(f, ".pdf"))), "PDF of " + Src(f)) << f;
  }
  EXPECT_THAT(ListTree(pdfOutputDir), IsEmpty());
}

TEST(Shard, HashIsFnv1aAndPlacesEveryPathInOneShard) {
  EXPECT_EQ(StableHash(""), 14695981039346656037ull);
  EXPECT_EQ(StableHash("a"), 0xaf63dc4c8601ec8cull);
  EXPECT_EQ(StableHash("foobar"), 0x85944171f73967e8ull);
  std::map<int, int> sizes;
  for (int i = 0; i < 3000; ++i) {
    const std::string path = "dir" + std::to_string(i % 17) + "/file" + std::to_string(i) + ".doc";
    const int shard = ShardOf(path, 4);
    ASSERT_GE(shard, 0);
    ASSERT_LT(shard, 4);
    EXPECT_EQ(ShardOf(path, 4), shard);
    ++sizes[shard];
  }
  for (auto [shard, size] : sizes) EXPECT_GT(size, 600) << "shard " << shard << " is starved";
  EXPECT_EQ(ShardOf("anything", 1), 0);
}

TEST(Shard, ParsesExplicitAndSchedulerIndices) {
  std::map<std::string, std::string> env;
  auto lookup = [&](const char* name) -> const char* {
    auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  };
  std::string error;
  EXPECT_EQ(ParseShard("2/5", lookup, &error), (RShard{2, 5}));
  EXPECT_EQ(ParseShard("0/1", lookup, &error), (RShard{0, 1}));
  for (std::string bad : {"5/5", "-1/5", "1/0", "1", "a/3", "1/3x", " 1/3", "auto/3", "1/+3"}) {
    error.clear();
    EXPECT_FALSE(ParseShard(bad, lookup, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  env["SLURM_ARRAY_TASK_ID"] = "2";
  EXPECT_EQ(ParseShard("auto/3", lookup, &error), (RShard{2, 3}));
  env["SLURM_ARRAY_TASK_MIN"] = "1";  // an array numbered 1-3
  EXPECT_EQ(ParseShard("auto/3", lookup, &error), (RShard{1, 3}));
  env["SLURM_ARRAY_TASK_ID"] = "4";
  EXPECT_FALSE(ParseShard("auto/3", lookup, &error));
  env["JOB_COMPLETION_INDEX"] = "0";  // Kubernetes comes first
  EXPECT_EQ(ParseShard("auto/3", lookup, &error), (RShard{0, 3}));
}

}  // namespace
