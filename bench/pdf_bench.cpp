// SPDX-License-Identifier: GPL-3.0-or-later
// PDF stamping (QPDF) throughput and memory: a plain timing program, not a test.
//
//   pdf_bench [rounds] [--corpus DIR] [--pages N ...]
//
// 1. Every PDF file of DIR (default: the project's PDF corpus), `rounds` times over (default
//    5): open, stamp, save, close through TPdfWaterMark, one file after the other on one core;
//    files per second and pages per second, and each file's share.
// 2. Made files of N pages (default 1,000 and 10,000; a line of text each, all four
//    rotations): the time to stamp and save one, pages per second, and the peak resident
//    size of a fresh process that does only that (the file is made before it starts).
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "pdf/stamp/pdf_water_mark.h"
#include "pdf_inspect.h"

using namespace stampwell;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// The peak resident size of this process image (VmHWM: unlike getrusage's maximum, not
// carried over from the parent through fork and exec).
long PeakRssKb() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status))
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  std::fclose(status);
  return kb;
}

// The process on the processor it runs on now, alone: the figures are for one core.
void HoldOneCore() {
  const int cpu = sched_getcpu();
  if (cpu < 0) return;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  if (sched_setaffinity(0, sizeof set, &set) == 0) std::cout << "held on cpu " << cpu << "\n";
}

RDocSettings Settings() {
  RDocSettings s;
  s.DocWaterMarkStr = "CONFIDENTIAL";
  s.DocFontName = "Times New Roman";
  s.DocWatermarkSize = "60";
  s.DocWatermarkColor = 0x00FF00FF;
  s.Transparent = true;
  s.HX = true;
  return s;
}

// Opens, stamps, saves; the number of pages, or -1 when the engine refused the file.
int StampOne(TPdfWaterMark& engine, const std::string& source, const std::string& dest) {
  if (!engine.Open(source)) return -1;
  const int pages = engine.PageCount();
  engine.AddWaterMark(Settings());
  engine.SaveAs(dest);
  engine.Close();
  return pages;
}

}  // namespace

// The fresh process of part 2: stamps one file and tells its time and peak resident size.
int StampAlone(const std::string& source, const std::string& dest, int n) {
  const long before = PeakRssKb();
  TPdfWaterMark engine;
  const auto t = Clock::now();
  StampOne(engine, source, dest);
  const double s = Seconds(t);
  std::printf(
      "%d pages: %.2f s, %.0f pages/s; peak resident %ld KB (%ld KB at the start);"
      " file %.1f KB -> %.1f KB\n",
      n, s, n / s, PeakRssKb(), before, fs::file_size(source) / 1024.0,
      fs::file_size(dest) / 1024.0);
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--stamp-one")
    return StampAlone(argv[2], argv[3], std::atoi(argv[4]));
  int rounds = 5;
  std::string corpus = STAMPWELL_PDF_CORPUS_DIR;
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--corpus" && i + 1 < argc) {
      corpus = argv[++i];
    } else if (a == "--pages" && i + 1 < argc) {
      sizes.push_back(std::atoi(argv[++i]));
    } else {
      rounds = std::max(1, std::atoi(a.c_str()));
    }
  }
  if (sizes.empty()) sizes = {1000, 10000};
  std::sort(sizes.begin(), sizes.end());
  HoldOneCore();
  const fs::path work = fs::temp_directory_path() / ("pdf_bench." + std::to_string(getpid()));
  fs::create_directories(work);
  TPdfWaterMark engine;

  // 1. The corpus.
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(corpus))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  std::cout << "== " << files.size() << " files of " << corpus << ", " << rounds << " rounds\n";
  StampOne(engine, files.front(), (work / "warm.pdf").string());  // fonts found once
  std::vector<double> seconds(files.size(), 0);
  std::vector<int> pages(files.size(), 0);
  int refused = 0;
  const auto all = Clock::now();
  for (int r = 0; r < rounds; ++r) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      const auto t = Clock::now();
      pages[i] = StampOne(engine, files[i], (work / "out.pdf").string());
      seconds[i] += Seconds(t);
      if (r == 0 && pages[i] < 0) ++refused;
    }
  }
  const double total = Seconds(all);
  long pageCount = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::printf("  %-52s %5d pages %8.1f ms%s\n", fs::path(files[i]).filename().c_str(),
                std::max(pages[i], 0), 1000 * seconds[i] / rounds,
                pages[i] < 0 ? "  (refused)" : "");
    if (pages[i] > 0) pageCount += pages[i];
  }
  std::printf("corpus: %.1f files/s, %.1f pages/s (%zu files, %d refused, %ld pages a round)\n",
              files.size() * rounds / total, pageCount * rounds / total, files.size(), refused,
              pageCount);

  // 2. Made files of many pages.
  for (int n : sizes) {
    test::RTestPdf layout;
    for (int i = 0; i < n; ++i)
      layout.pages.push_back({.rotate = (i % 4) * 90, .text = "Page " + std::to_string(i + 1)});
    const std::string source = (work / ("pages" + std::to_string(n) + ".pdf")).string();
    test::MakePdf(source, layout);
    const std::string dest = (work / "big-out.pdf").string();
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
      const std::string pages = std::to_string(n);
      execl("/proc/self/exe", argv[0], "--stamp-one", source.c_str(), dest.c_str(), pages.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
  }
  fs::remove_all(work);
  return 0;
}
