// SPDX-License-Identifier: GPL-3.0-or-later
// Real files written by others (tests/data/corpus, listed with their sources in SOURCES.md):
// every file LibreOffice can read is stamped oblique, transparent and magenta, saved, printed,
// and what a reader then sees is measured. The figures per kind are printed, and at least 95 %
// of the readable files of each kind must show a mark true to the setting. The OpenDocument
// files are made by LibreOffice from the .docx, .xlsx and .pptx files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "jobs/file_utils.h"
#include "office/automation/automation.h"
#include "office/doc_water_mark.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"
#include "office_documents.h"
#include "mark_render.h"
#include "pdf/pdf_stack.h"
#include "stamp_engines.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

#ifndef STAMPWELL_CORPUS_DIR
#error "STAMPWELL_CORPUS_DIR must name the folder of real test files"
#endif

namespace stampwell {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

RDocSettings Settings() {
  RDocSettings s = test::JobSettings();
  s.DocWatermarkColor = 0xFF00FF;  // magenta
  s.HX = true;
  s.Transparent = true;
  return s;
}

// The engine that stamps a kind of file: "doc", "xls" or "ppt".
std::string EngineOf(const std::string& kind) {
  if (kind == "doc" || kind == "docx" || kind == "odt") return "doc";
  if (kind == "xls" || kind == "xlsx" || kind == "ods") return "xls";
  return "ppt";
}

// The corpus folder a kind is taken from, and the format it is converted to ("" as it is).
std::pair<std::string, std::string> SourceOf(const std::string& kind) {
  if (kind == "odt") return {"docx", "odt"};
  if (kind == "ods") return {"xlsx", "ods"};
  if (kind == "odp") return {"pptx", "odp"};
  return {kind, ""};
}

bool TrueToSetting(const std::string& kind, const std::optional<test::RMarkMeasure>& m) {
  if (!m) return false;
  const double opacity = kind == "doc" ? 0.5 : 0.3;
  if (test::AxisAngleDifference(m->angle, 45) > 4 || std::abs(m->opacity - opacity) > 0.12)
    return false;
  if (kind == "ppt") return std::abs(m->cx - 0.5) < 0.06 && std::abs(m->cy - 0.5) < 0.06;
  return true;
}

// Whether the office reads path as a document of kind at all: any bytes read as plain text,
// and a file that the office takes for text is no document to stamp.
bool OfKind(const std::string& kind, const std::string& path) {
  const char* progId = kind == "doc"   ? "Word.Application"
                       : kind == "xls" ? "Excel.Application"
                                       : "PowerPoint.Application";
  OleVariant app = CreateOleObject(progId);
  bool ofKind = true;
  try {
    OleVariant opened = kind == "doc"   ? app.Get("Documents").Call("Open", {path})
                        : kind == "xls" ? app.Get("Workbooks").Call("Open", {path})
                                        : app.Get("Presentations").Call("Open", {path});
    opened.Call("Close");
  } catch (const EOleError& e) {
    ofKind = std::string(e.what()).find("not in a supported format") == std::string::npos;
  }
  app.Call("Quit");
  return ofKind;
}

struct Tally {
  int files = 0, readable = 0, stamped = 0, savedVisible = 0, savedTrue = 0, pdfVisible = 0,
      pdfTrue = 0, restampedTrue = 0;
  std::vector<std::string> failures;
};

// One office application of each kind for all the kinds of files the program is given: the
// three kinds a PowerPoint engine reads share its office process, and so on.
class Corpus : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() {
    RegisterLibreOfficeServers();
    engines = new test::TStampEngines();
  }
  static void TearDownTestSuite() {
    engines->Quit();
    delete engines;
    engines = nullptr;
  }
  static test::TStampEngines* engines;
};
test::TStampEngines* Corpus::engines = nullptr;

TEST_P(Corpus, ReadableFilesAreStampedVisiblyAndTrueToTheSetting) {
  const std::string kind = EngineOf(GetParam());
  TempDir work;
  const auto [folder, convertTo] = SourceOf(GetParam());
  const fs::path corpus = fs::path(STAMPWELL_CORPUS_DIR) / folder;
  ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
  std::vector<std::string> originals;
  std::map<std::string, std::string> before;
  fs::create_directories(work / "src");
  if (convertTo.empty()) {
    for (const auto& e : fs::directory_iterator(corpus)) {
      const std::string copy = work / ("src/" + e.path().filename().string());
      fs::copy_file(e.path(), copy);
      originals.push_back(copy);
    }
  } else {
    // The files LibreOffice cannot convert are missing from the set; the rest are counted.
    std::vector<std::string> from;
    for (const auto& e : fs::directory_iterator(corpus)) from.push_back(e.path());
    test::ConvertWithOffice(from, convertTo, work / "src");
    for (const auto& e : fs::directory_iterator(work / "src")) originals.push_back(e.path());
    ASSERT_GE(originals.size() * 10, from.size() * 9) << "too few files converted";
  }
  for (const auto& copy : originals) before[copy] = Contents(copy);
  std::sort(originals.begin(), originals.end());
  Tally t;
  t.files = int(originals.size());

  // Readable: a fresh office process turns the untouched file into a PDF.
  const auto plain = test::RenderToPdf(originals, work / "plain");
  SetDesktopFolderForTests(work / "home/Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());
  TPDFStack stack;
  ASSERT_TRUE(stack.PDFUsable);
  engines->SetPdfStack(&stack);
  fs::create_directories(work / "out");
  std::vector<std::string> saved, printed, readable, unstamped, restamped;
  for (std::size_t i = 0; i < originals.size(); ++i) {
    if (plain[i].empty()) continue;
    ++t.readable;
    const std::string& src = originals[i];
    const std::string name = fs::path(src).filename().string();
    const std::string target = work / ("out/" + name);
    bool ok = true;
    for (const bool print : {false, true}) {
      try {
        if (!engines->Stamp(kind, src, Settings(), print ? std::string() : target)) {
          ok = false;
          if (!OfKind(kind, src)) {
            --t.readable;
            t.failures.push_back(name + ": read by the office as another kind of file (not counted)");
          } else {
            t.failures.push_back(name + ": cannot be opened");
          }
        }
      } catch (const std::exception& e) {
        ok = false;
        t.failures.push_back(name + ": " + e.what());
      }
      if (!ok) break;
    }
    if (!ok) continue;
    // A restamp of the saved file must replace its mark, not add a second one over it (which
    // shows as a mark more opaque than set).
    // Named apart from the saved file, so that both are rendered by one office process.
    const std::string again = work / ("again/again-" + name);
    fs::create_directories(work / "again");
    try {
      if (!engines->Stamp(kind, target, Settings(), again))
        t.failures.push_back(name + ": the saved file cannot be opened again");
    } catch (const std::exception& e) {
      t.failures.push_back(name + ": restamp: " + e.what());
    }
    ++t.stamped;
    restamped.push_back(again);
    saved.push_back(target);
    printed.push_back(work / ("home/PDF/" + fs::path(name).stem().string() + ".pdf"));
    readable.push_back(name);
    unstamped.push_back(plain[i]);
  }
  engines->SetPdfStack(nullptr);
  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");

  std::vector<std::string> both = saved;
  both.insert(both.end(), restamped.begin(), restamped.end());
  const auto all = test::RenderToPdf(both, work / "reread");
  const std::vector<std::string> rendered(all.begin(), all.begin() + long(saved.size()));
  const std::vector<std::string> renderedAgain(all.begin() + long(saved.size()), all.end());
  for (std::size_t i = 0; i < saved.size(); ++i) {
    // Measured over a white page, and where that finds no mark true to the setting (coloured
    // backgrounds, pictures), against the same page of the unstamped file.
    // A workbook opens on its active sheet, which may print after others: all its pages count.
    const int pages = kind == "xls" ? 0 : 3;
    auto measure = [&](const std::string& pdf) {
      auto m = test::MeasurePdf(pdf, {}, pages);
      if (TrueToSetting(kind, m)) return m;
      auto against = test::MeasurePdf(pdf, {}, pages, unstamped[i]);
      return against ? against : m;
    };
    const auto s = measure(rendered[i]);
    const auto p = measure(printed[i]);
    const auto r = measure(renderedAgain[i]);
    const bool rt = TrueToSetting(kind, r);
    t.restampedTrue += rt;
    if (!rt) t.failures.push_back(readable[i] + ": restamped " + test::Describe(r));
    t.savedVisible += s.has_value();
    t.pdfVisible += p.has_value();
    const bool st = TrueToSetting(kind, s), pt = TrueToSetting(kind, p);
    t.savedTrue += st;
    t.pdfTrue += pt;
    if (!st || !pt)
      t.failures.push_back(readable[i] + ": saved " + test::Describe(s) + "; pdf " +
                           test::Describe(p));
  }
  std::printf(
      "corpus %s: files %d, readable %d, stamped %d, saved visible %d, saved true %d, "
      "pdf visible %d, pdf true %d, restamped true %d\n",
      GetParam().c_str(), t.files, t.readable, t.stamped, t.savedVisible, t.savedTrue, t.pdfVisible,
      t.pdfTrue, t.restampedTrue);
  for (const auto& f : t.failures) std::printf("  %s\n", f.c_str());

  // For a look at the files themselves: STAMPWELL_KEEP_CORPUS_OUTPUT=<folder> keeps them there.
  if (const char* keep = std::getenv("STAMPWELL_KEEP_CORPUS_OUTPUT"); keep && *keep) {
    const fs::path dest = fs::path(keep) / GetParam();
    fs::remove_all(dest);
    fs::create_directories(dest);
    fs::copy(work.Path(), dest, fs::copy_options::recursive);
  }
  for (const auto& [path, content] : before)
    EXPECT_EQ(Contents(path), content) << "source changed: " << path;
  ASSERT_GT(t.readable, 0);
  EXPECT_GE(t.stamped * 100, t.readable * 95);
  EXPECT_GE(t.savedTrue * 100, t.readable * 95);
  EXPECT_GE(t.pdfTrue * 100, t.readable * 95);
  EXPECT_GE(t.restampedTrue * 100, t.readable * 95);
}

std::string KindName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

INSTANTIATE_TEST_SUITE_P(LegacyFormats, Corpus, ::testing::Values("doc", "xls", "ppt"), KindName);
INSTANTIATE_TEST_SUITE_P(CurrentFormats, Corpus,
                         ::testing::Values("docx", "xlsx", "pptx", "odt", "ods", "odp"), KindName);

}  // namespace
}  // namespace stampwell
