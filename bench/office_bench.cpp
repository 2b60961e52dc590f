// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of the LibreOffice servers through the engines, with a warm office process:
// one-page .doc/.xls/.ppt files stamped and saved (and printed to the PDF printer), against
// a per-file "soffice --headless --convert-to" run as the baseline; with --workers, the same
// stamping with several engines at once (one office process each); with --memory, the
// resident size of the office process over many documents.
//
// Usage: office_bench [files per kind, default 40] [baseline runs, default 5]
//                     [--workers N] [--memory DOCUMENTS [--restart-limit L]] [--corpus DIR]
//   --workers N   also stamp+save each kind with N engines in N threads, and print the
//                 documents per second for 1 and N workers and their ratio
//   --memory M    stamp+save M .doc, .xls and .ppt files each through one engine, printing
//                 the office process's resident size as it goes, with the office process
//                 replaced after L documents (--restart-limit; default 0: never);
//                 with --in-place, each file is stamped where it is and finished with save,
//                 as an in-place job does (Excel and PowerPoint keep such files open)
//   --corpus DIR  take the documents from DIR/doc, DIR/xls and DIR/ppt (real files, used in
//                 turn) instead of the generated one-page ones
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "jobs/file_utils.h"
#include "office/automation/automation.h"
#include "office/doc_water_mark.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"
#include "office_documents.h"
#include "pdf/pdf_stack.h"
#include "platform/core_claim.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

using namespace stampwell;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// n copies made from the given files in turn, named f<i><ext> in dir.
std::vector<std::string> Copies(const std::vector<std::string>& from, const std::string& dir,
                                int n) {
  std::vector<std::string> files;
  fs::create_directories(dir);
  for (int i = 0; i < n; ++i) {
    const std::string& file = from[static_cast<std::size_t>(i) % from.size()];
    files.push_back(dir + "/f" + std::to_string(i) + fs::path(file).extension().string());
    fs::copy_file(file, files.back(), fs::copy_options::overwrite_existing);
  }
  return files;
}

std::atomic<int> failures{0};
std::mutex printMutex;

// One engine behind a common face.
struct Engine {
  std::function<bool(const std::string&)> open;
  std::function<void()> stamp;
  std::function<void(const std::string&)> saveAs;
  std::function<void()> print;
  std::function<void()> close;
  std::function<void()> saveInPlace;  // finish with save: written under its own path
  std::function<void()> quit;
};

Engine MakeEngine(const std::string& kind, TPDFStack* stack) {
  if (kind == "doc") {
    auto e = std::make_shared<TDocWaterMark>();
    e->DocSettings = test::JobSettings();
    e->PDFStack = stack;
    return {[e](const std::string& f) { return e->OpenDoc(f); }, [e] { e->AddWaterMark(); },
            [e](const std::string& f) { e->SaveAs(f); }, [e] { e->PrintToPDFFile(""); },
            [e] { e->closeDoc(false); }, [e] { e->closeDoc(true); }, [e] { e->CloseWordApp(); }};
  }
  if (kind == "xls") {
    auto e = std::make_shared<TXlsWaterMark>();
    e->DocSettings = test::JobSettings();
    e->PDFStack = stack;
    return {[e](const std::string& f) { return e->OpenXls(f); }, [e] { e->AddWaterMark(); },
            [e](const std::string& f) { e->SaveAs(f); }, [e] { e->PrintToPDFFile(""); },
            [e] { e->closeXls(false); }, [e] { e->closeXls(true); }, [e] { e->CloseExcelApp(); }};
  }
  auto e = std::make_shared<TPptWaterMark>();
  e->DocSettings = test::JobSettings();
  e->PDFStack = stack;
  return {[e](const std::string& f) { return e->OpenPpt(f); }, [e] { e->AddWaterMark(); },
          [e](const std::string& f) { e->SaveAs(f); }, [e] { e->PrintToPDFFile(""); },
          [e] { e->closePpt(false); }, [e] { e->closePpt(true); }, [e] { e->ClosePptApp(); }};
}

// Time spent in each step of a stamp+save pass.
struct Steps {
  double open = 0, stamp = 0, save = 0, close = 0;
};

// Stamps every file and saves it into out (or prints it), with one engine. Returns files
// per second; a failing file is reported and counted, and the pass goes on, as a job does.
bool inPlace = false;  // --in-place: files stamped where they are, as an in-place job does

double Pass(Engine& e, const std::vector<std::string>& files, const std::string& out, bool pdf,
            Steps* steps = nullptr) {
  Steps local;
  const auto start = Clock::now();
  for (const auto& f : files) {
    try {
      auto t = Clock::now();
      if (!e.open(f)) throw std::runtime_error("cannot open");
      local.open += Seconds(t);
      t = Clock::now();
      e.stamp();
      local.stamp += Seconds(t);
      t = Clock::now();
      if (inPlace) {
        e.saveAs(f);
        e.saveInPlace();
        local.save += Seconds(t);
        continue;
      }
      if (pdf)
        e.print();
      else
        e.saveAs(out + "/" + fs::path(f).filename().string());
      local.save += Seconds(t);
      t = Clock::now();
      e.close();
      local.close += Seconds(t);
    } catch (const std::exception& ex) {
      ++failures;
      std::lock_guard lock(printMutex);
      std::fprintf(stderr, "%s: %s\n", f.c_str(), ex.what());
    }
  }
  const double rate = files.size() / Seconds(start);
  if (steps) *steps = local;
  return rate;
}

// The machine's processor time so far, from /proc/stat, in clock ticks: busy (user, system,
// interrupts), idle, waiting for the disk, and stolen by the hypervisor for other guests.
struct CpuTicks {
  double busy = 0, idle = 0, iowait = 0, steal = 0;
  CpuTicks operator-(const CpuTicks& o) const {
    return {busy - o.busy, idle - o.idle, iowait - o.iowait, steal - o.steal};
  }
  CpuTicks& operator+=(const CpuTicks& o) {
    busy += o.busy, idle += o.idle, iowait += o.iowait, steal += o.steal;
    return *this;
  }
};

CpuTicks MachineTicks() {
  std::ifstream stat("/proc/stat");
  std::string cpu;
  double user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
  stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
  return {user + nice + system + irq + softirq, idle, iowait, steal};
}

// One way of running engines, measured over every turn it had: the files, the time, and what
// the machine's processors did meanwhile.
struct Phase {
  std::size_t files = 0;
  double seconds = 0;
  CpuTicks ticks;
  double Rate() const { return seconds > 0 ? double(files) / seconds : 0; }
  // Cores' worth of the given ticks over the phase's time.
  double Cores(double t) const { return seconds > 0 ? t / double(::sysconf(_SC_CLK_TCK)) / seconds : 0; }
};

// Stamp+save measured three ways, each in its own thread with its own office process, in
// turns: a few files through the engine of a run with one worker; as many through one engine
// held on one core (what each worker of a run with several gets, alone); as many through every
// worker's engine at once, with a core each when a run's pool would claim one. The turns
// repeat, so that every way sees the same load on the machine. The clock starts once every
// engine is warm.
struct WorkerFigures {
  Phase alone, aloneOnOneCore, together;
};

WorkerFigures WorkerRates(const std::string& kind, const std::vector<std::string>& files,
                          const std::string& out, int workers, TPDFStack* stack) {
  // Long enough turns that the engines of a turn together, which end it when the last one is
  // done, spend little of it waiting for each other.
  constexpr std::size_t kTurn = 20;
  const std::size_t w = static_cast<std::size_t>(workers);
  const std::size_t rounds = std::max<std::size_t>(1, files.size() / (kTurn * (2 + w)));
  // Engine 0 runs alone in phase 0, engine 1 alone on one core in phase 1, engines 2.. together
  // in phase 2; each takes its files from the list in turn.
  const std::size_t engines = 2 + w;
  auto phaseOf = [](std::size_t engine) { return std::min<std::size_t>(engine, 2); };
  std::vector<std::vector<std::vector<std::string>>> turns(rounds, std::vector<std::vector<std::string>>(engines));
  std::size_t next = 0;
  for (std::size_t r = 0; r < rounds; ++r)
    for (std::size_t k = 0; k < engines; ++k)
      for (std::size_t i = 0; i < kTurn; ++i) turns[r][k].push_back(files[next++ % files.size()]);
  const bool ownCores = TCoreClaim::Wanted(workers);
  test::TempDir soloClaims;  // the lone engine's core is not one the workers may not take
  std::barrier sync(static_cast<std::ptrdiff_t>(engines + 1));
  std::vector<std::thread> threads;
  for (std::size_t k = 0; k < engines; ++k) {
    threads.emplace_back([&, k] {
      std::unique_ptr<TCoreClaim> core;
      if (k == 1) core = TCoreClaim::Take(soloClaims.Path());
      if (k >= 2 && ownCores) core = TCoreClaim::Take();
      Engine e = MakeEngine(kind, stack);
      const std::string dir = out + "/e" + std::to_string(k);
      fs::create_directories(dir);
      if (e.open(files[0])) e.close();  // warm: the process started, the filters loaded
      sync.arrive_and_wait();
      for (std::size_t r = 0; r < rounds; ++r)
        for (std::size_t phase = 0; phase < 3; ++phase) {
          if (phase == phaseOf(k)) Pass(e, turns[r][k], dir, false);
          sync.arrive_and_wait();
        }
      e.quit();
    });
  }
  WorkerFigures figures;
  Phase* phases[] = {&figures.alone, &figures.aloneOnOneCore, &figures.together};
  sync.arrive_and_wait();  // every engine warm
  for (std::size_t r = 0; r < rounds; ++r)
    for (Phase* phase : phases) {
      const auto t = Clock::now();
      const CpuTicks ticks = MachineTicks();
      sync.arrive_and_wait();
      phase->seconds += Seconds(t);
      phase->ticks += MachineTicks() - ticks;
      phase->files += kTurn * (phase == &figures.together ? w : 1);
    }
  for (auto& t : threads) t.join();
  return figures;
}

// Resident size in MB of the soffice.bin processes that are children of this program.
double OfficeResidentMb() {
  double kb = 0;
  const std::string self = std::to_string(::getpid());
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream status(entry.path() / "status");
    std::string line, name, ppid;
    long rss = 0;
    while (std::getline(status, line)) {
      if (line.rfind("Name:", 0) == 0) name = line.substr(line.find_first_not_of(" \t", 5));
      if (line.rfind("PPid:", 0) == 0) ppid = line.substr(line.find_first_not_of(" \t", 5));
      if (line.rfind("VmRSS:", 0) == 0) rss = std::atol(line.c_str() + 6);
    }
    if (name == "soffice.bin" && ppid == self) kb += rss;
  }
  return kb / 1024.0;
}

void Memory(const std::string& kind, const std::vector<std::string>& files,
            const std::string& out, int limit, TPDFStack* stack) {
  SetOfficeRestartLimit(limit);
  Engine e = MakeEngine(kind, stack);
  fs::create_directories(out);
  const int step = std::max<int>(1, static_cast<int>(files.size()) / 20);
  std::printf(".%s, restart limit %s: resident MB after N documents:", kind.c_str(),
              limit == 0 ? "none" : std::to_string(limit).c_str());
  const auto start = Clock::now();
  double peak = 0;
  for (std::size_t i = 0; i < files.size(); i += step) {
    const std::size_t end = std::min(files.size(), i + step);
    Pass(e, std::vector<std::string>(files.begin() + i, files.begin() + end), out, false);
    const double mb = OfficeResidentMb();
    peak = std::max(peak, mb);
    std::printf(" %zu:%.0f", end, mb);
    std::fflush(stdout);
  }
  std::printf("\n  peak %.0f MB, %.1f documents/s overall\n", peak, files.size() / Seconds(start));
  e.quit();
  SetOfficeRestartLimit(kOfficeRestartLimit);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> positional;
  int workers = 0, memory = 0, restartLimit = 0;
  std::string corpus;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--workers" && i + 1 < argc) {
      workers = std::atoi(argv[++i]);
      if (workers <= 0) workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    } else if (a == "--memory" && i + 1 < argc) {
      memory = std::atoi(argv[++i]);
    } else if (a == "--in-place") {
      inPlace = true;
    } else if (a == "--restart-limit" && i + 1 < argc) {
      restartLimit = std::atoi(argv[++i]);
    } else if (a == "--corpus" && i + 1 < argc) {
      corpus = argv[++i];
    } else {
      positional.push_back(a);
    }
  }
  const int n = !positional.empty() ? std::atoi(positional[0].c_str()) : 40;
  const int baselineRuns = positional.size() > 1 ? std::atoi(positional[1].c_str()) : 5;
  RegisterLibreOfficeServers();
  test::TempDir dir;
  std::vector<std::string> doc, xls, ppt;
  if (corpus.empty()) {
    test::WriteFile(dir / "src/one.fodt", test::OneSectionText());
    test::WriteFile(dir / "src/book.fods", test::ThreeSheetWorkbook());
    test::WriteFile(dir / "src/deck.fodp", test::TwoSlidePresentation());
    if (!test::ConvertWithOffice({dir / "src/one.fodt"}, "doc", dir.Path()) ||
        !test::ConvertWithOffice({dir / "src/book.fods"}, "xls", dir.Path()) ||
        !test::ConvertWithOffice({dir / "src/deck.fodp"}, "ppt", dir.Path())) {
      std::fprintf(stderr, "cannot make the sample documents\n");
      return 1;
    }
    doc = {dir / "one.doc"}, xls = {dir / "book.xls"}, ppt = {dir / "deck.ppt"};
  } else {
    for (auto [list, ext] : {std::pair{&doc, "doc"}, {&xls, "xls"}, {&ppt, "ppt"}}) {
      for (const auto& f : fs::directory_iterator(corpus + "/" + ext))
        if (f.path().extension() == std::string(".") + ext) list->push_back(f.path());
      std::sort(list->begin(), list->end());
      if (list->empty()) {
        std::fprintf(stderr, "no .%s files in %s/%s\n", ext, corpus.c_str(), ext);
        return 1;
      }
    }
  }
  const std::vector<std::pair<std::string, std::vector<std::string>>> kinds = {
      {"doc", Copies(doc, dir / "docs", n)},
      {"xls", Copies(xls, dir / "xlss", n)},
      {"ppt", Copies(ppt, dir / "ppts", n)}};
  fs::create_directories(dir / "out");
  SetDesktopFolderForTests(dir / "home/Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());
  TPDFStack stack;

  if (memory > 0) {
    for (const auto& [kind, files] : kinds) {
      const auto many = Copies({files[0]}, dir / ("many-" + kind), memory);
      Memory(kind, many, dir / ("mem-" + kind), restartLimit, &stack);
      fs::remove_all(dir / ("many-" + kind));
      fs::remove_all(dir / ("mem-" + kind));
    }
    if (inPlace) return failures == 0 ? 0 : 1;  // the throughput passes assume copies
  }

  // Start-up: creating the application object starts and connects a fresh office process.
  auto start = Clock::now();
  OleVariant probe = CreateOleObject("Word.Application");
  const double startup = Seconds(start);
  probe.Call("Quit");

  struct Result {
    double save = 0, pdf = 0;
    Steps steps;
    WorkerFigures workers;
  };
  // Every kind's engine is made and warmed first (the process started, the filters loaded);
  // then the files go through in turns of a few of each kind after the other, so that a change
  // in the machine's load during the run weighs on every kind alike and the kinds' rates
  // compare.
  std::vector<Result> results(kinds.size());
  std::vector<Engine> engines;
  for (const auto& [kind, files] : kinds) {
    engines.push_back(MakeEngine(kind, &stack));
    if (engines.back().open(files[0])) engines.back().close();
  }
  constexpr int kTurn = 5;
  for (const bool pdf : {false, true}) {
    std::vector<double> seconds(kinds.size());
    for (int first = 0; first < n; first += kTurn) {
      for (std::size_t k = 0; k < kinds.size(); ++k) {
        const auto& files = kinds[k].second;
        const std::vector<std::string> turn(files.begin() + first,
                                            files.begin() + std::min(n, first + kTurn));
        Steps steps;
        seconds[k] += turn.size() / Pass(engines[k], turn, dir / "out", pdf, &steps);
        if (pdf) continue;
        results[k].steps.open += steps.open;
        results[k].steps.stamp += steps.stamp;
        results[k].steps.save += steps.save;
        results[k].steps.close += steps.close;
      }
    }
    for (std::size_t k = 0; k < kinds.size(); ++k) (pdf ? results[k].pdf : results[k].save) = n / seconds[k];
  }
  for (auto& e : engines) e.quit();
  engines.clear();
  if (workers > 1)
    for (std::size_t k = 0; k < kinds.size(); ++k)
      results[k].workers =
          WorkerRates(kinds[k].first, kinds[k].second, dir / ("par-" + kinds[k].first), workers, &stack);

  // Baseline: one office run per file, on a profile that has already been initialised.
  test::TempDir profile;
  const std::string convert =
      "/usr/lib/libreoffice/program/soffice.bin --headless --norestore "
      "--nologo --nolockcheck -env:UserInstallation=file://" +
      profile.Path() + " --convert-to doc --outdir '" + (dir / "base") + "' ";
  const std::string& firstDoc = kinds[0].second[0];
  for (int i = 0; i < 2; ++i)  // first start of a fresh profile ends early (81) and restarts
    std::system((convert + "'" + firstDoc + "' >/dev/null 2>&1").c_str());
  start = Clock::now();
  for (int i = 0; i < baselineRuns; ++i)
    std::system((convert + "'" + kinds[0].second[static_cast<std::size_t>(i) % n] +
                 "' >/dev/null 2>&1")
                    .c_str());
  const double baseRate = baselineRuns / Seconds(start);

  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");
  std::printf("processor cores: %u; files per kind: %d (%s)\n", std::thread::hardware_concurrency(),
              n, corpus.empty() ? "generated one-page documents" : corpus.c_str());
  std::printf("office start-up (Word.Application created and connected): %.2f s\n", startup);
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const Result& r = results[i];
    const std::string& kind = kinds[i].first;
    std::printf(".%s stamp+SaveAs: %6.1f documents/s  (open %.0f%%, stamp %.0f%%, save %.0f%%, "
                "close %.0f%%)\n",
                kind.c_str(), r.save, 100 * r.steps.open * r.save / n,
                100 * r.steps.stamp * r.save / n, 100 * r.steps.save * r.save / n,
                100 * r.steps.close * r.save / n);
    std::printf(".%s stamp+PDF:    %6.1f documents/s\n", kind.c_str(), r.pdf);
  }
  std::printf(".xls / .doc stamp+SaveAs: %.0f%%; .ppt / .doc: %.0f%%\n",
              100 * results[1].save / results[0].save, 100 * results[2].save / results[0].save);
  if (workers > 1) {
    std::printf("stamp+SaveAs with 1 and %d workers, in turns (documents/s, ratio); %s:\n", workers,
                TCoreClaim::Wanted(workers) ? "the workers hold a core each"
                                            : "the workers hold no core of their own here");
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      const WorkerFigures& f = results[i].workers;
      std::printf("  .%s  %6.1f  %6.1f  %.2fx   (1 worker held on one core: %.1f; %d workers / that: %.2fx)\n",
                  kinds[i].first.c_str(), f.alone.Rate(), f.together.Rate(),
                  f.together.Rate() / f.alone.Rate(), f.aloneOnOneCore.Rate(), workers,
                  f.together.Rate() / f.aloneOnOneCore.Rate());
    }
    std::printf("cores busy / idle / waiting for the disk / stolen by other guests:\n");
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      const WorkerFigures& f = results[i].workers;
      for (auto [name, p] : {std::pair{"1 worker", &f.alone}, {"1 on one core", &f.aloneOnOneCore},
                             {"N workers", &f.together}})
        std::printf("  .%s %-13s %.2f / %.2f / %.2f / %.2f\n", kinds[i].first.c_str(), name,
                    p->Cores(p->ticks.busy), p->Cores(p->ticks.idle), p->Cores(p->ticks.iowait),
                    p->Cores(p->ticks.steal));
    }
  }
  std::printf("baseline soffice --convert-to doc per file: %6.2f documents/s (%d runs)\n", baseRate,
              baselineRuns);
  std::printf("warm .doc stamping / baseline: %.1fx", results[0].save / baseRate);
  if (workers > 1)
    std::printf("; with %d workers: %.1fx", workers, results[0].workers.together.Rate() / baseRate);
  std::printf("\nfailed files: %d\n", failures.load());
  return failures == 0 ? 0 : 1;
}
