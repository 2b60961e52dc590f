// SPDX-License-Identifier: GPL-3.0-or-later
// The history page with a long log: LoadHistory of a 100,000-line log (read, assemble, hand
// to the control once) and, for comparison, reading the same log alone through TJobLog.
// Runs on the offscreen Qt platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/paths.h"
#include "run/job_log.h"
#include "ui/history_frame.h"

namespace fs = std::filesystem;
using namespace stampwell;

namespace {

constexpr int kLines = 100000;

// A program directory holding swBig.log with kLines log lines.
struct LogDir {
  LogDir() {
    dir = fs::temp_directory_path() / ("stampwell_history_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream out(dir / "swBig.log", std::ios::binary);
    for (int i = 0; i < kLines; ++i) {
      out << "2026-03-07 09:05:03 /home/anna/Reports/folder" << i / 100 << "/file" << i
          << ".doc added watermark\r\n";
    }
    SetProgramDir(dir.string());
  }
  ~LogDir() {
    SetProgramDir("");
    fs::remove_all(dir);
  }
  fs::path dir;
};

void BM_LoadHistory100k(benchmark::State& state) {
  LogDir logs;
  THistoryFrame page;
  page.resize(651, 359);
  page.show();
  for (auto _ : state) {
    page.LoadHistory("Big");
    QCoreApplication::processEvents();  // the control lays out and paints what is visible
    benchmark::DoNotOptimize(page.History->document()->blockCount());
  }
  state.counters["lines"] = kLines;
}
BENCHMARK(BM_LoadHistory100k)->Unit(benchmark::kMillisecond);

void BM_ReadLogOnly100k(benchmark::State& state) {
  LogDir logs;
  for (auto _ : state) {
    TJobLog log("Big");
    log.OpenLog(false);
    std::string line;
    std::size_t total = 0;
    while (log.ReadLog(line)) total += line.size();
    log.CloseLog();
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadLogOnly100k)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
