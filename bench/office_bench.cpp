// Throughput of the LibreOffice servers through the engines, with a warm office process:
// one-page .doc/.xls/.ppt files stamped and saved (and printed to the PDF printer), against
// a per-file "soffice --headless --convert-to" run as the baseline.
//
// Usage: office_bench [files per kind, default 40] [baseline runs, default 5]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "jobs/file_utils.h"
#include "office/automation/automation.h"
#include "office/doc_water_mark.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"
#include "office_documents.h"
#include "pdf/pdf_stack.h"
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

std::vector<std::string> Copies(const std::string& file, const std::string& dir, int n) {
  std::vector<std::string> files;
  fs::create_directories(dir);
  for (int i = 0; i < n; ++i) {
    files.push_back(dir + "/f" + std::to_string(i) + fs::path(file).extension().string());
    fs::copy_file(file, files.back(), fs::copy_options::overwrite_existing);
  }
  return files;
}

int failures = 0;

// Runs step over every file and returns files per second. A failing file is reported and
// counted; the run goes on, as a job does.
double Rate(const std::vector<std::string>& files,
            const std::function<void(const std::string&)>& step) {
  const auto start = Clock::now();
  for (const auto& f : files) {
    try {
      step(f);
    } catch (const std::exception& e) {
      ++failures;
      std::fprintf(stderr, "%s: %s\n", f.c_str(), e.what());
    }
  }
  return files.size() / Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 40;
  const int baselineRuns = argc > 2 ? std::atoi(argv[2]) : 5;
  RegisterLibreOfficeServers();
  test::TempDir dir;
  test::WriteFile(dir / "src/one.fodt", test::OneSectionText());
  test::WriteFile(dir / "src/book.fods", test::ThreeSheetWorkbook());
  test::WriteFile(dir / "src/deck.fodp", test::TwoSlidePresentation());
  if (!test::ConvertWithOffice({dir / "src/one.fodt"}, "doc", dir.Path()) ||
      !test::ConvertWithOffice({dir / "src/book.fods"}, "xls", dir.Path()) ||
      !test::ConvertWithOffice({dir / "src/deck.fodp"}, "ppt", dir.Path())) {
    std::fprintf(stderr, "cannot make the sample documents\n");
    return 1;
  }
  const auto docs = Copies(dir / "one.doc", dir / "docs", n);
  const auto xlss = Copies(dir / "book.xls", dir / "xlss", n);
  const auto ppts = Copies(dir / "deck.ppt", dir / "ppts", n);
  fs::create_directories(dir / "out");
  SetDesktopFolderForTests(dir / "home/Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());
  TPDFStack stack;

  // Start-up: creating the application object starts and connects a fresh office process.
  auto start = Clock::now();
  OleVariant probe = CreateOleObject("Word.Application");
  const double startup = Seconds(start);
  probe.Call("Quit");

  TDocWaterMark word;
  word.DocSettings = test::JobSettings();
  word.PDFStack = &stack;
  word.OpenDoc(docs[0]);  // warm up: start the process, load the filters once
  word.closeDoc(false);
  const double docRate = Rate(docs, [&](const std::string& f) {
    if (!word.OpenDoc(f)) throw std::runtime_error("cannot open");
    word.AddWaterMark();
    word.SaveAs(dir / ("out/" + fs::path(f).filename().string()));
    word.closeDoc(false);
  });
  const double docPdfRate = Rate(docs, [&](const std::string& f) {
    if (!word.OpenDoc(f)) throw std::runtime_error("cannot open");
    word.AddWaterMark();
    word.PrintToPDFFile("");
    word.closeDoc(false);
  });
  word.CloseWordApp();

  TXlsWaterMark excel;
  excel.DocSettings = test::JobSettings();
  excel.PDFStack = &stack;
  excel.OpenXls(xlss[0]);
  excel.closeXls(false);
  const double xlsRate = Rate(xlss, [&](const std::string& f) {
    if (!excel.OpenXls(f)) throw std::runtime_error("cannot open");
    excel.AddWaterMark();
    excel.SaveAs(dir / ("out/" + fs::path(f).filename().string()));
    excel.closeXls(false);
  });
  const double xlsPdfRate = Rate(xlss, [&](const std::string& f) {
    if (!excel.OpenXls(f)) throw std::runtime_error("cannot open");
    excel.AddWaterMark();
    excel.PrintToPDFFile("");
    excel.closeXls(false);
  });
  excel.CloseExcelApp();

  TPptWaterMark powerpoint;
  powerpoint.DocSettings = test::JobSettings();
  powerpoint.PDFStack = &stack;
  powerpoint.OpenPpt(ppts[0]);
  powerpoint.closePpt(false);
  const double pptRate = Rate(ppts, [&](const std::string& f) {
    if (!powerpoint.OpenPpt(f)) throw std::runtime_error("cannot open");
    powerpoint.AddWaterMark();
    powerpoint.SaveAs(dir / ("out/" + fs::path(f).filename().string()));
    powerpoint.closePpt(false);
  });
  const double pptPdfRate = Rate(ppts, [&](const std::string& f) {
    if (!powerpoint.OpenPpt(f)) throw std::runtime_error("cannot open");
    powerpoint.AddWaterMark();
    powerpoint.PrintToPDFFile("");
    powerpoint.closePpt(false);
  });
  powerpoint.ClosePptApp();

  // Baseline: one office run per file, on a profile that has already been initialised.
  test::TempDir profile;
  const std::string convert =
      "/usr/lib/libreoffice/program/soffice.bin --headless --norestore "
      "--nologo --nolockcheck -env:UserInstallation=file://" +
      profile.Path() + " --convert-to doc --outdir '" + (dir / "base") + "' ";
  for (int i = 0; i < 2; ++i)  // first start of a fresh profile ends early (81) and restarts
    std::system((convert + "'" + docs[0] + "' >/dev/null 2>&1").c_str());
  start = Clock::now();
  for (int i = 0; i < baselineRuns; ++i)
    std::system((convert + "'" + docs[i % docs.size()] + "' >/dev/null 2>&1").c_str());
  const double baseRate = baselineRuns / Seconds(start);

  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");
  std::printf("office start-up (Word.Application created and connected): %.2f s\n", startup);
  std::printf(".doc stamp+SaveAs:   %6.1f documents/s (%d files)\n", docRate, n);
  std::printf(".doc stamp+PDF:      %6.1f documents/s\n", docPdfRate);
  std::printf(".xls stamp+SaveAs:   %6.1f documents/s\n", xlsRate);
  std::printf(".xls stamp+PDF:      %6.1f documents/s\n", xlsPdfRate);
  std::printf(".ppt stamp+SaveAs:   %6.1f documents/s\n", pptRate);
  std::printf(".ppt stamp+PDF:      %6.1f documents/s\n", pptPdfRate);
  std::printf("baseline soffice --convert-to doc per file: %6.2f documents/s (%d runs)\n", baseRate,
              baselineRuns);
  std::printf("warm .doc stamping / baseline: %.1fx\n", docRate / baseRate);
  std::printf("failed files: %d\n", failures);
  return failures == 0 ? 0 : 1;
}
