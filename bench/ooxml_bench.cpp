// SPDX-License-Identifier: GPL-3.0-or-later
// Current-format files (.docx, .xlsx, .pptx) stamped and saved per second on one core: the
// package engine, which edits the package directly, against the LibreOffice path through the
// Office engines (a warm office process that loads, stamps and writes each file anew). The
// whole program, and the office process it starts, keeps to one processor core.
//
// Usage: ooxml_bench [--corpus DIR] [--rounds N] [--no-office]
//   --corpus DIR  the files of DIR/docx, DIR/xlsx and DIR/pptx (default /work/shared/corpus)
//   --rounds N    passes of the package engine over the files (default 20); the LibreOffice
//                 path makes one pass after one warm-up file
//   --no-office   the package engine only
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "office/doc_water_mark.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/ooxml/ooxml_water_mark.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

using namespace stampwell;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::vector<std::string> Files(const std::string& folder) {
  std::vector<std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Keeps this process, and every process it starts from now on, to the core it runs on.
int HoldOneCore() {
  const int cpu = sched_getcpu();
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu < 0 ? 0 : cpu, &set);
  sched_setaffinity(0, sizeof set, &set);
  return cpu;
}

struct RPass {
  int files = 0, failed = 0;
  double seconds = 0;
  double Rate() const { return seconds > 0 ? (files - failed) / seconds : 0; }
};

RPass Direct(const std::vector<std::string>& files, const std::string& out, int rounds) {
  RPass pass;
  TOoxmlWaterMark engine;
  const RDocSettings settings = test::JobSettings();
  const auto start = Clock::now();
  for (int round = 0; round < rounds; ++round)
    for (const auto& f : files) {
      ++pass.files;
      try {
        if (!engine.Open(f)) throw std::runtime_error(engine.OpenError());
        engine.AddWaterMark(settings);
        engine.SaveAs(out + "/" + fs::path(f).filename().string());
        engine.Close();
      } catch (const std::exception& e) {
        ++pass.failed;
        engine.Close();
        if (round == 0) std::fprintf(stderr, "direct: %s: %s\n", f.c_str(), e.what());
      }
    }
  pass.seconds = Seconds(start);
  return pass;
}

// The LibreOffice path of one kind: open, stamp, save as, close through the Office engine.
struct ROfficeEngine {
  std::function<bool(const std::string&)> open;
  std::function<void()> stamp;
  std::function<void(const std::string&)> saveAs;
  std::function<void()> close;
};

ROfficeEngine OfficeEngine(const std::string& kind) {
  if (kind == "docx") {
    auto e = std::make_shared<TDocWaterMark>();
    e->DocSettings = test::JobSettings();
    return {[e](const std::string& f) { return e->OpenDoc(f); }, [e] { e->AddWaterMark(); },
            [e](const std::string& f) { e->SaveAs(f); }, [e] { e->closeDoc(false); }};
  }
  if (kind == "xlsx") {
    auto e = std::make_shared<TXlsWaterMark>();
    e->DocSettings = test::JobSettings();
    return {[e](const std::string& f) { return e->OpenXls(f); }, [e] { e->AddWaterMark(); },
            [e](const std::string& f) { e->SaveAs(f); }, [e] { e->closeXls(false); }};
  }
  auto e = std::make_shared<TPptWaterMark>();
  e->DocSettings = test::JobSettings();
  return {[e](const std::string& f) { return e->OpenPpt(f); }, [e] { e->AddWaterMark(); },
          [e](const std::string& f) { e->SaveAs(f); }, [e] { e->closePpt(false); }};
}

RPass Office(ROfficeEngine& engine, const std::vector<std::string>& files, const std::string& out) {
  RPass pass;
  // One file first: the office process starts and loads its filters outside the clock.
  try {
    if (engine.open(files.front())) {
      engine.stamp();
      engine.saveAs(out + "/warm-up" + fs::path(files.front()).extension().string());
      engine.close();
    }
  } catch (const std::exception&) {
  }
  const auto start = Clock::now();
  for (const auto& f : files) {
    ++pass.files;
    try {
      if (!engine.open(f)) throw std::runtime_error("cannot open");
      engine.stamp();
      engine.saveAs(out + "/" + fs::path(f).filename().string());
      engine.close();
    } catch (const std::exception& e) {
      ++pass.failed;
      std::fprintf(stderr, "office: %s: %s\n", f.c_str(), e.what());
      try {
        engine.close();
      } catch (...) {
      }
    }
  }
  pass.seconds = Seconds(start);
  return pass;
}

}  // namespace

int main(int argc, char** argv) {
  std::string corpus = "/work/shared/corpus";
  int rounds = 20;
  bool office = true;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--corpus") && i + 1 < argc) corpus = argv[++i];
    else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--no-office")) office = false;
    else {
      std::fprintf(stderr, "usage: %s [--corpus DIR] [--rounds N] [--no-office]\n", argv[0]);
      return 2;
    }
  }
  const int cpu = HoldOneCore();
  std::printf("one core (cpu %d); corpus %s; package engine %d rounds\n", cpu, corpus.c_str(), rounds);
  if (office) RegisterLibreOfficeServers();
  test::TempDir dir;
  std::printf("%-6s %6s %16s %18s %8s\n", "kind", "files", "direct files/s", "LibreOffice f/s", "ratio");
  for (const std::string kind : {"docx", "xlsx", "pptx"}) {
    const auto files = Files(corpus + "/" + kind);
    if (files.empty()) continue;
    const std::string directOut = dir / ("direct-" + kind), officeOut = dir / ("office-" + kind);
    fs::create_directories(directOut);
    fs::create_directories(officeOut);
    const RPass direct = Direct(files, directOut, rounds);
    RPass lo;
    if (office) {
      auto engine = OfficeEngine(kind);
      lo = Office(engine, files, officeOut);
    }
    std::printf("%-6s %6zu %16.1f %18.2f %8.0f", kind.c_str(), files.size(), direct.Rate(),
                lo.Rate(), lo.Rate() > 0 ? direct.Rate() / lo.Rate() : 0.0);
    if (direct.failed || lo.failed)
      std::printf("   (failed: direct %d of %d, LibreOffice %d of %d)", direct.failed, direct.files,
                  lo.failed, lo.files);
    std::printf("\n");
    std::fflush(stdout);
  }
  return 0;
}
