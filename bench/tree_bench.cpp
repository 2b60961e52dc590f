// SPDX-License-Identifier: GPL-3.0-or-later
// The runner over a large tree: the pre-pass (CountItems) and a walk with nothing to do over
// 100,000 small files in 1,000 folders, and copying 1,000 other files with CopyFileBlocks
// compared with `cp -r` of the same tree.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "jobs/file_utils.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "run/job.h"

namespace fs = std::filesystem;
using namespace stampwell;

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kCopyFolders = 10;  // 10 x 100 = 1,000 files to copy

void WriteSmallFile(const std::string& path, int n) {
  std::ofstream out(path, std::ios::binary);
  out << "file " << n << " of the benchmark tree\n";
}

// The trees, made once per process in a temporary folder and removed at exit:
//   src/   1,000 folders of 100 files (one in ten a .doc, the rest other files)
//   done/  the same names, empty files: every destination exists already
struct Trees {
  std::string root;
  std::string src, done;

  Trees() {
    std::string tmpl = (fs::temp_directory_path() / "stampwell-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    root = tmpl + "/";
    src = root + "src";
    done = root + "done";
    int n = 0;
    for (int f = 0; f < kFolders; ++f) {
      const std::string folder = "/d" + std::to_string(f / 10) + "/f" + std::to_string(f);
      fs::create_directories(src + folder);
      fs::create_directories(done + folder);
      for (int i = 0; i < kFilesPerFolder; ++i, ++n) {
        const std::string name =
            folder + "/file" + std::to_string(i) + (i % 10 == 0 ? ".doc" : ".txt");
        WriteSmallFile(src + name, n);
        std::ofstream(done + name);
      }
    }
    fs::create_directories(root + "program");
    SetProgramDir(root + "program");
    // No PDF printer is needed: the jobs below do not print.
    TRegistry::SetMachine(std::make_shared<TRegistry>());
  }
  ~Trees() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

Trees& TheTrees() {
  static Trees trees;
  return trees;
}

RJobSettings StampAndCopy() {
  RJobSettings s;
  s.Name = "Bench";
  s.Doc = true;
  s.OtherFiles = true;
  return s;
}

void BM_CountItems(benchmark::State& state) {
  Trees& t = TheTrees();
  auto job = std::make_shared<TJob>("Bench", true, nullptr);
  job->Settings = StampAndCopy();
  job->AddItem(t.src, t.root + "empty-dest", "Folder");
  for (auto _ : state) {
    job->CountItems();
    benchmark::DoNotOptimize(job->TotalCount);
  }
  state.counters["files"] = kFolders * kFilesPerFolder;
  state.counters["TotalCount"] = job->TotalCount;
}
BENCHMARK(BM_CountItems)->Unit(benchmark::kMillisecond)->Iterations(5);

// The pre-pass of a second run: every destination exists, so every file costs a lookup that
// succeeds, and nothing is counted.
void BM_CountItemsAllDone(benchmark::State& state) {
  Trees& t = TheTrees();
  auto job = std::make_shared<TJob>("Bench", true, nullptr);
  job->Settings = StampAndCopy();
  job->AddItem(t.src, t.done, "Folder");
  for (auto _ : state) {
    job->CountItems();
    if (job->TotalCount != 0) state.SkipWithError("something was left to do");
  }
}
BENCHMARK(BM_CountItemsAllDone)->Unit(benchmark::kMillisecond)->Iterations(5);

// A whole run in which every destination exists: the pre-pass, then the walk, which finds
// nothing to stamp or copy. No Office application is started.
void BM_RunWithNothingToDo(benchmark::State& state) {
  Trees& t = TheTrees();
  for (auto _ : state) {
    auto job = std::make_shared<TJob>("Bench", true, nullptr);
    job->Settings = StampAndCopy();
    job->AddItem(t.src, t.done, "Folder");
    job->Resume();
    job->WaitFor();
    if (job->TotalCount != 0) state.SkipWithError("something was left to do");
  }
}
BENCHMARK(BM_RunWithNothingToDo)->Unit(benchmark::kMillisecond)->Iterations(5);

std::string CopySource() { return TheTrees().src + "/d0"; }  // folders f0..f9: 1,000 files

void BM_CopyFileBlocks1000(benchmark::State& state) {
  Trees& t = TheTrees();
  int round = 0;
  for (auto _ : state) {
    const std::string dest = t.root + "copy-blocks-" + std::to_string(round++);
    int copied = 0;
    for (const auto& entry : fs::recursive_directory_iterator(CopySource())) {
      if (!entry.is_regular_file()) continue;
      CopyFileBlocks(entry.path().string(),
                     dest + "/" + fs::relative(entry.path(), CopySource()).string());
      ++copied;
    }
    if (copied != kCopyFolders * kFilesPerFolder) state.SkipWithError("wrong file count");
  }
}
BENCHMARK(BM_CopyFileBlocks1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CpR1000(benchmark::State& state) {
  Trees& t = TheTrees();
  int round = 0;
  for (auto _ : state) {
    const std::string dest = t.root + "copy-cp-" + std::to_string(round++);
    const std::string command = "cp -r '" + CopySource() + "' '" + dest + "'";
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
  }
}
BENCHMARK(BM_CpR1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A job run that copies the same 1,000 files (pre-pass, walk, log lines, copies).
void BM_RunCopying1000(benchmark::State& state) {
  Trees& t = TheTrees();
  int round = 0;
  for (auto _ : state) {
    auto job = std::make_shared<TJob>("Bench", true, nullptr);
    RJobSettings s = StampAndCopy();
    s.Doc = false;  // the .doc files are copied as other files too
    job->Settings = s;
    job->AddItem(CopySource(), t.root + "copy-job-" + std::to_string(round++), "Folder");
    job->Resume();
    job->WaitFor();
    if (job->DoneCount != kCopyFolders * kFilesPerFolder) state.SkipWithError("wrong count");
  }
}
BENCHMARK(BM_RunCopying1000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
