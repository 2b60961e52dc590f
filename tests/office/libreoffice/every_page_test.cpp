// SPDX-License-Identifier: GPL-3.0-or-later
// Every page carries the mark: Word documents with first-page, odd/even and several sections,
// workbooks with several sheets and sheets of several pages, stamped through LibreOffice; the
// saved files (opened by an office process that had no part in writing them) and the printed
// PDFs are rendered page by page and looked at by the page verifier.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "jobs/file_utils.h"
#include "mark_render.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office_documents.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "stamp_engines.h"
#include "support/temp_dir.h"
#include "verify/page_verifier.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct Fixture {
  TempDir dir;
  test::TStampEngines engines;
  std::unique_ptr<TPDFStack> pdf;
};
Fixture* fx = nullptr;

class EveryPageEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterLibreOfficeServers();
    fx = new Fixture();
    SetDesktopFolderForTests(fx->dir / "home/Desktop");
    TRegistry::SetMachine(TRegistry::BuiltIn());
    fx->pdf = std::make_unique<TPDFStack>();
    ASSERT_TRUE(fx->pdf->PDFUsable);
    fx->engines.SetPdfStack(fx->pdf.get());
  }
  void TearDown() override {
    if (!fx) return;
    fx->engines.Quit();
    TRegistry::SetMachine(nullptr);
    SetDesktopFolderForTests("");
    delete fx;
  }
};
const auto* env = ::testing::AddGlobalTestEnvironment(new EveryPageEnvironment());

constexpr TColor kMagenta = 0xFF00FF;

RDocSettings Settings() {
  RDocSettings s = test::JobSettings();
  s.DocWatermarkColor = kMagenta;
  s.HX = true;
  s.Transparent = true;
  return s;
}

int PageCount(const std::string& pdf) {
  const std::string info = test::RunCapture("pdfinfo '" + pdf + "' 2>/dev/null");
  const auto at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// What one stamped file gave: its source, the saved file, the saved file stamped again and
// the PDF printed from the live document, each as a PDF (the first three rendered by a fresh
// office process).
struct Outputs {
  std::string source, once, twice, printed;
};

// Stamps each source (kind "doc" or "xls") once, again, and prints it.
std::map<std::string, Outputs> StampAll(const std::string& kind,
                                        const std::vector<std::string>& sources,
                                        const TempDir& out) {
  std::map<std::string, Outputs> result;
  std::vector<std::string> files;
  for (const std::string& source : sources) {
    const std::string base = fs::path(source).stem().string();
    const std::string once = out / (base + ".once." + kind),
                      twice = out / (base + ".twice." + kind);
    EXPECT_TRUE(fx->engines.Stamp(kind, source, Settings(), once)) << source;
    EXPECT_TRUE(fx->engines.Stamp(kind, once, Settings(), twice)) << source;
    const std::string printedFrom = out / ("print/" + base + "." + kind);
    fs::create_directories(out / "print");
    CopyFileBlocks(source, printedFrom);
    EXPECT_TRUE(fx->engines.Stamp(kind, printedFrom, Settings(), "")) << source;
    const std::string printed = out / (base + ".printed.pdf");
    fs::rename(fx->dir / ("home/PDF/" + base + ".pdf"), printed);
    files.insert(files.end(), {source, once, twice});
    result[base].printed = printed;
  }
  const auto pdfs = test::RenderToPdf(files, out / "render");
  for (std::size_t i = 0; i < sources.size(); ++i) {
    auto& o = result[fs::path(sources[i]).stem().string()];
    o.source = pdfs[3 * i];
    o.once = pdfs[3 * i + 1];
    o.twice = pdfs[3 * i + 2];
  }
  return result;
}

// Every page of pdf shows the mark, and it has as many pages as the unstamped document.
void ExpectEveryPageMarked(const std::string& pdf, const std::string& source,
                           const std::string& what) {
  const RPageCheck check = TPageVerifier(kMagenta).Check(pdf);
  ASSERT_TRUE(check.Opened) << what << ": " << check.Error;
  EXPECT_EQ(check.Pages, PageCount(source)) << what << ": the mark changed the page count";
  EXPECT_TRUE(check.Unmarked.empty()) << what << ": " << UnmarkedPagesText(check.Unmarked);
}

// A restamp leaves one mark on each page: a second transparent mark on top of the first would
// read darker.
void ExpectOneMarkPerPage(const std::string& once, const std::string& twice,
                          const std::string& what) {
  const auto a = test::MeasurePdfPages(once, {}, 0);
  const auto b = test::MeasurePdfPages(twice, {}, 0);
  ASSERT_EQ(a.size(), b.size()) << what;
  for (std::size_t p = 0; p < a.size(); ++p) {
    if (!a[p] || !b[p]) continue;  // told by ExpectEveryPageMarked
    EXPECT_NEAR(b[p]->opacity, a[p]->opacity, 0.06) << what << " page " << p + 1;
    EXPECT_NEAR(b[p]->cx, a[p]->cx, 0.03) << what << " page " << p + 1;
  }
}

TEST(EveryPage, WordDocumentsShowTheMarkOnEveryPageWhateverTheirHeaders) {
  TempDir out;
  const std::map<std::string, std::string> texts = {
      {"first1", test::FirstPageText(1)},     {"first3", test::FirstPageText(3)},
      {"oddeven2", test::OddEvenText(2)},     {"oddeven5", test::OddEvenText(5)},
      {"sections", test::ThreeSectionText()}, {"mixed", test::MixedSectionsText()},
      {"long", test::PlainText(12)},          {"one", test::PlainText(1)},
      {"backdrop", test::BackdropText()}};
  std::vector<std::string> flat, sources;
  for (const auto& [name, text] : texts) {
    test::WriteFile(out / ("src/" + name + ".fodt"), text);
    flat.push_back(out / ("src/" + name + ".fodt"));
    sources.push_back(out / ("src/" + name + ".doc"));
  }
  ASSERT_TRUE(test::ConvertWithOffice(flat, "doc", out / "src/"));
  for (const auto& [name, o] : StampAll("doc", sources, out)) {
    ExpectEveryPageMarked(o.once, o.source, name + " saved");
    ExpectEveryPageMarked(o.twice, o.source, name + " restamped");
    ExpectEveryPageMarked(o.printed, o.source, name + " printed");
    ExpectOneMarkPerPage(o.once, o.twice, name);
    // The live document printed shows what its saved file shows: on a page with a backdrop,
    // the header's mark is hidden as in the file, and its copy is not doubled by it.
    ExpectOneMarkPerPage(o.once, o.printed, name + " printed");
  }
}

TEST(EveryPage, EveryPrintedPageOfEveryVisibleSheetShowsAWholeMark) {
  TempDir out;
  test::WriteFile(out / "src/sheets.fods", test::PrintedSheetsWorkbook());
  test::WriteFile(out / "src/three.fods", test::ThreeSheetWorkbook());
  test::WriteFile(out / "src/broad.fods", test::BroadColumnsWorkbook());
  ASSERT_TRUE(test::ConvertWithOffice(
      {out / "src/sheets.fods", out / "src/three.fods", out / "src/broad.fods"}, "xls",
      out / "src/"));
  const auto outputs = StampAll(
      "xls", {out / "src/sheets.xls", out / "src/three.xls", out / "src/broad.xls"}, out);
  for (const auto& [name, o] : outputs) {
    ExpectEveryPageMarked(o.once, o.source, name + " saved");
    ExpectEveryPageMarked(o.twice, o.source, name + " restamped");
    ExpectEveryPageMarked(o.printed, o.source, name + " printed");
    ExpectOneMarkPerPage(o.once, o.twice, name);
    // Wholly on its page: the mark's box keeps clear of every edge.
    const auto pages = test::MeasurePdfPages(o.once, {}, 0);
    for (std::size_t p = 0; p < pages.size(); ++p) {
      if (!pages[p]) continue;
      const auto& m = *pages[p];
      EXPECT_GT(m.cx - m.w / 2, 0.0)
          << name << " page " << p + 1 << ": " << test::Describe(pages[p]);
      EXPECT_GT(m.cy - m.h / 2, 0.0)
          << name << " page " << p + 1 << ": " << test::Describe(pages[p]);
      EXPECT_LT(m.cx + m.w / 2, 1.0)
          << name << " page " << p + 1 << ": " << test::Describe(pages[p]);
      EXPECT_LT(m.cy + m.h / 2, 1.0)
          << name << " page " << p + 1 << ": " << test::Describe(pages[p]);
      EXPECT_GT(m.w, 0.3) << name << " page " << p + 1 << ": the mark was made too small";
    }
  }
  // The workbook prints its long sheet on several pages down and its wide one across.
  EXPECT_GE(PageCount(outputs.at("sheets").source), 5);
}

// Sheets whose printed page differs from the page the sheet holds at full size: printed at
// 47 %, all six columns go across one page and 120 rows on two (at full size, eight pages);
// fitted to one page with a print range of the first three cells of its one row, the page
// prints those cells alone.
// Each printed page shows one mark, oblique as set and of a size to read.
TEST(EveryPage, SheetsPrintedAtAScaleOrFittedShowOneReadableMarkAPage) {
  TempDir out;
  test::WriteFile(out / "src/scaled.fods", test::PrintScaleWorkbook("style:scale-to=\"47%\"", "", 120));
  test::WriteFile(out / "src/onerow.fods",
                  test::PrintScaleWorkbook("style:scale-to-pages=\"1\"", "A1:.C1", 1));
  ASSERT_TRUE(test::ConvertFresh({out / "src/scaled.fods", out / "src/onerow.fods"}, "ods",
                                 out / "src/"));
  std::vector<std::string> files;
  for (const std::string name : {"scaled", "onerow"}) {
    files.push_back(out / ("src/" + name + ".ods"));
    files.push_back(out / (name + ".once.ods"));
    ASSERT_TRUE(fx->engines.Stamp("xls", files[files.size() - 2], Settings(), files.back()));
  }
  const auto pdfs = test::RenderToPdf(files, out / "render");
  ASSERT_EQ(pdfs.size(), 4u);
  for (std::size_t i = 0; i < 4; i += 2) {
    const std::string name = fs::path(files[i]).stem().string();
    EXPECT_EQ(PageCount(pdfs[i]), name == "scaled" ? 2 : 1) << name;
    ExpectEveryPageMarked(pdfs[i + 1], pdfs[i], name);
    const auto pages = test::MeasurePdfPages(pdfs[i + 1], {}, 0);
    for (std::size_t p = 0; p < pages.size(); ++p) {
      ASSERT_TRUE(pages[p]) << name << " page " << p + 1;
      // Marks that meet read as one at another angle, or as one too wide.
      EXPECT_LT(test::AxisAngleDifference(pages[p]->angle, 45), 4)
          << name << " page " << p + 1 << ": " << test::Describe(pages[p]);
      EXPECT_LT(pages[p]->w, 0.7) << name << " page " << p + 1 << ": " << test::Describe(pages[p]);
      EXPECT_GT(pages[p]->w, 0.2) << name << " page " << p + 1 << ": the mark is too small to read";
    }
  }
}

TEST(EveryPage, ActiveSheetOnlyMarksTheShownSheetOnce) {
  TempDir out;
  test::WriteFile(out / "src/three.fods", test::ThreeSheetWorkbook());
  ASSERT_TRUE(test::ConvertWithOffice({out / "src/three.fods"}, "xls", out / "src/"));
  fx->engines.excel.ActiveSheetOnly = true;
  const bool stamped =
      fx->engines.Stamp("xls", out / "src/three.xls", Settings(), out / "once.xls");
  fx->engines.excel.ActiveSheetOnly = false;
  ASSERT_TRUE(stamped);
  const auto pdfs = test::RenderToPdf({out / "once.xls"}, out / "render");
  const RPageCheck check = TPageVerifier(kMagenta).Check(pdfs[0]);
  ASSERT_EQ(check.Pages, 3);
  // One page of three: the sheet the workbook shows when opened.
  EXPECT_EQ(check.Unmarked.size(), 2u) << UnmarkedPagesText(check.Unmarked);
}

}  // namespace
}  // namespace stampwell
