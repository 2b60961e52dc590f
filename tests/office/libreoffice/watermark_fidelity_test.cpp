// SPDX-License-Identifier: GPL-3.0-or-later
// What a reader sees of a stamped file: the engines stamp, save and print real .doc, .xls and
// .ppt files through LibreOffice; each saved file is then opened by an office process that had
// no part in writing it, rendered, and the mark's pixels are measured against the setting.
#include <gtest/gtest.h>

#include <filesystem>
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

namespace stampwell {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr double kAngleTolerance = 4;
constexpr double kOpacityTolerance = 0.12;

struct Fixture {
  TempDir dir;
  std::map<std::string, std::string> sources;  // "doc", "xls", "ppt"
  test::TStampEngines engines;
  std::unique_ptr<TPDFStack> pdf;
};
Fixture* fx = nullptr;

class FidelityEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterLibreOfficeServers();
    fx = new Fixture();
    test::WriteFile(fx->dir / "src/letter.fodt", test::OneSectionText());
    test::WriteFile(fx->dir / "src/book.fods", test::ThreeSheetWorkbook());
    test::WriteFile(fx->dir / "src/deck.fodp", test::TwoSlidePresentation());
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "src/letter.fodt"}, "doc", fx->dir.Path()));
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "src/book.fods"}, "xls", fx->dir.Path()));
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "src/deck.fodp"}, "ppt", fx->dir.Path()));
    ASSERT_TRUE(test::ConvertWithOffice({std::string(STAMPWELL_CORPUS_DIR) + "/../legacy/Piano.otp"},
                                        "ppt", fx->dir.Path()));
    fx->sources = {{"doc", fx->dir / "letter.doc"},
                   {"xls", fx->dir / "book.xls"},
                   {"ppt", fx->dir / "deck.ppt"}};
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
const auto* env = ::testing::AddGlobalTestEnvironment(new FidelityEnvironment());

RDocSettings Settings(bool oblique, bool transparent) {
  RDocSettings s = test::JobSettings();
  s.DocWatermarkColor = 0xFF00FF;  // magenta: no document uses it
  s.HX = oblique;
  s.Transparent = transparent;
  return s;
}

// Stamps source with settings; saves it as target, or prints it when target is empty.
void Stamp(const std::string& kind, const std::string& source, const RDocSettings& settings,
           const std::string& target) {
  ASSERT_TRUE(fx->engines.Stamp(kind, source, settings, target)) << source;
}

// The opacity each engine gives a transparent mark.
double ExpectedOpacity(const std::string& kind, bool transparent) {
  if (!transparent) return 1.0;
  return kind == "doc" ? 0.5 : 0.3;
}

void ExpectTrueToSetting(const std::string& kind, const std::optional<test::RMarkMeasure>& m,
                         bool oblique, bool transparent, const std::string& what) {
  ASSERT_TRUE(m.has_value()) << what << ": no mark visible";
  EXPECT_LE(test::AxisAngleDifference(m->angle, oblique ? 45 : 0), kAngleTolerance)
      << what << ": " << test::Describe(m);
  EXPECT_NEAR(m->opacity, ExpectedOpacity(kind, transparent), kOpacityTolerance)
      << what << ": " << test::Describe(m);
  EXPECT_EQ(m->page, 1) << what << ": " << test::Describe(m);
  if (kind != "xls") {
    // Word centres the mark on the page's text area, PowerPoint on the slide.
    EXPECT_NEAR(m->cx, 0.5, kind == "ppt" ? 0.04 : 0.08) << what << ": " << test::Describe(m);
    EXPECT_NEAR(m->cy, 0.5, kind == "ppt" ? 0.04 : 0.12) << what << ": " << test::Describe(m);
  }
}

struct Case {
  std::string kind;
  bool oblique;
  bool transparent;
};

std::string Label(const Case& c) {
  return c.kind + (c.oblique ? "_oblique" : "_horizontal") +
         (c.transparent ? "_transparent" : "_solid");
}

void PrintTo(const Case& c, std::ostream* os) { *os << Label(c); }

class SavedMark : public ::testing::TestWithParam<Case> {};

// Saved, printed and restamped files of one kind and setting show the same mark, true to the
// setting: the saved one as another office process opens it.
TEST_P(SavedMark, ShowsTheSettingAfterTheRoundTripAndInThePdf) {
  const Case c = GetParam();
  const auto settings = Settings(c.oblique, c.transparent);
  TempDir out;
  const std::string ext = "." + c.kind;
  const std::string once = out / ("once" + ext), twice = out / ("twice" + ext);
  Stamp(c.kind, fx->sources.at(c.kind), settings, once);
  Stamp(c.kind, once, settings, twice);  // a restamp replaces the mark
  const std::string printedFrom = out / ("printed" + ext);
  CopyFileBlocks(fx->sources.at(c.kind), printedFrom);
  Stamp(c.kind, printedFrom, settings, "");
  const std::string printed = fx->dir / ("home/PDF/printed.pdf");
  ASSERT_TRUE(FileExists(printed));

  const auto pdfs = test::RenderToPdf({once, twice}, out / "render");
  const auto saved = test::MeasurePdf(pdfs[0], {});
  const auto restamped = test::MeasurePdf(pdfs[1], {});
  const auto live = test::MeasurePdf(printed, {});
  fs::remove(printed);
  ExpectTrueToSetting(c.kind, saved, c.oblique, c.transparent, "saved");
  ExpectTrueToSetting(c.kind, restamped, c.oblique, c.transparent, "restamped");
  ExpectTrueToSetting(c.kind, live, c.oblique, c.transparent, "printed");
  if (!saved || !live || !restamped) return;
  // The saved file shows the mark where and as large as the document did when it was printed,
  // and a restamp leaves one mark, not two on top of each other.
  EXPECT_NEAR(saved->cx, live->cx, 0.03) << test::Describe(saved) << " / " << test::Describe(live);
  EXPECT_NEAR(saved->cy, live->cy, 0.03) << test::Describe(saved) << " / " << test::Describe(live);
  EXPECT_NEAR(saved->w, live->w, 0.05) << test::Describe(saved) << " / " << test::Describe(live);
  EXPECT_NEAR(saved->h, live->h, 0.05) << test::Describe(saved) << " / " << test::Describe(live);
  EXPECT_NEAR(restamped->cx, saved->cx, 0.02);
  EXPECT_NEAR(restamped->cy, saved->cy, 0.02);
  EXPECT_NEAR(restamped->opacity, saved->opacity, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, SavedMark,
    ::testing::Values(Case{"doc", true, true}, Case{"doc", false, false}, Case{"doc", true, false},
                      Case{"xls", true, true}, Case{"xls", false, false}, Case{"xls", false, true},
                      Case{"ppt", true, true}, Case{"ppt", false, false}, Case{"ppt", true, false}),
    [](const ::testing::TestParamInfo<Case>& info) { return Label(info.param); });

// Excel's box: 400 x 80 points at 50, 50 on the sheet; turned, it keeps its centre.
TEST(SavedMarkPlace, ExcelBoxKeepsItsSizeAndCentreWhenTurned) {
  TempDir out;
  Stamp("xls", fx->sources.at("xls"), Settings(false, false), out / "flat.xls");
  Stamp("xls", fx->sources.at("xls"), Settings(true, false), out / "turned.xls");
  const auto pdfs = test::RenderToPdf({out / "flat.xls", out / "turned.xls"}, out / "render");
  const auto flat = test::MeasurePdf(pdfs[0], {});
  const auto turned = test::MeasurePdf(pdfs[1], {});
  ASSERT_TRUE(flat && turned);
  // The text fills the box's width: 400 points of a page about 600 points wide.
  EXPECT_NEAR(flat->w, 400.0 / 600.0, 0.1) << test::Describe(flat);
  EXPECT_LT(flat->h, 0.15) << test::Describe(flat);
  EXPECT_NEAR(turned->cx, flat->cx, 0.04) << test::Describe(turned) << " / " << test::Describe(flat);
}

// A sheet that prints only its print range (one row here): the mark is placed below it, and the
// range grows to take it in, so that the printout and the saved file show what the sheet does,
// with the cells that printed before still printed.
TEST(SavedMarkPlace, ExcelPrintRangeGrowsToTakeInTheMark) {
  TempDir out;
  test::WriteFile(out / "src/ranged.fods", R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
 <table:table table:name="Ranged" table:print-ranges="Ranged.A1:Ranged.B1">
  <table:table-row><table:table-cell office:value-type="string"><text:p>printedcell</text:p></table:table-cell></table:table-row>
 </table:table>
</office:spreadsheet></office:body></office:document>
)");
  const auto settings = Settings(true, true);
  for (const std::string ext : {"xls", "xlsx", "ods"}) {
    ASSERT_TRUE(test::ConvertWithOffice({out / "src/ranged.fods"}, ext, out.Path())) << ext;
    const std::string source = out / ("ranged." + ext), once = out / ("once." + ext),
                      twice = out / ("twice." + ext);
    // The unstamped sheet prints its one row and nothing of the place the mark goes to.
    const auto plain = test::RenderToPdf({source}, out / ("plain-" + ext));
    ASSERT_FALSE(test::MeasurePdf(plain[0], {}).has_value()) << ext;
    Stamp("xls", source, settings, once);
    Stamp("xls", once, settings, twice);
    const auto pdfs = test::RenderToPdf({once, twice}, out / ("render-" + ext));
    for (const auto& pdf : pdfs) {
      ExpectTrueToSetting("xls", test::MeasurePdf(pdf, {}), true, true, ext + " " + pdf);
      EXPECT_NE(test::RunCapture("pdftotext '" + pdf + "' -").find("printedcell"),
                std::string::npos)
          << ext << ": the print range lost its own cells";
    }
  }
}

// Each slide of a stamped deck, stamped once and then again: one mark true to the setting.
void ExpectOneMarkOnSlides(const std::string& source, int first, int count,
                           const RDocSettings& settings = Settings(true, true)) {
  TempDir out;
  Stamp("ppt", source, settings, out / "once.ppt");
  Stamp("ppt", out / "once.ppt", settings, out / "twice.ppt");
  const auto pdfs =
      test::RenderToPdf({source, out / "once.ppt", out / "twice.ppt"}, out / "render");
  for (const int which : {1, 2}) {
    const auto pages = test::MeasurePdfPages(pdfs[which], {}, count, pdfs[0], first);
    ASSERT_EQ(pages.size(), std::size_t(count));
    for (int p = 0; p < count; ++p) {
      const auto& page = pages[std::size_t(p)];
      ASSERT_TRUE(page.has_value()) << "file " << which << " slide " << first + p;
      EXPECT_NEAR(page->opacity, 0.3, kOpacityTolerance)
          << "file " << which << " slide " << first + p << ": " << test::Describe(page);
      EXPECT_LE(test::AxisAngleDifference(page->angle, 45), kAngleTolerance)
          << "file " << which << " slide " << first + p << ": " << test::Describe(page);
    }
  }
}

// A deck whose slides follow a title master and a slide master and hide both masters' objects
// (a real file, written by PowerPoint); slides 6 and 8 are each covered by an embedded object
// that hides the master and its mark. Every slide shows one mark, and a restamp leaves one.
TEST(SavedMarkSlides, EverySlideShowsOneMarkWhateverItsMaster) {
  ExpectOneMarkOnSlides(std::string(STAMPWELL_CORPUS_DIR) + "/ppt/ntextract__MxAgCrProd.ppt", 1, 8);
}

// Slide 27 of a real deck is a screenshot over most of the slide: a picture with a
// transparency mask that is opaque almost everywhere, which hides the whole of a mark of this
// size on the master; the slide before it shows the master's own mark.
TEST(SavedMarkSlides, ASlideCoveredByAPictureShowsOneMark) {
  RDocSettings settings = Settings(true, true);
  settings.DocWaterMarkStr = "CONFIDENTIAL";
  settings.DocWatermarkSize = "60";
  ExpectOneMarkOnSlides(std::string(STAMPWELL_CORPUS_DIR) + "/ppt/poi__PPT95.ppt", 26, 2,
                        settings);
}

// The first slide of LibreOffice's "Piano" design follows a master covered by a black band
// over 55 % of it and, below, a group of keys over the rest: no one shape covers most of the
// master, both together hide it. The mark stands in front of both, and every slide shows it.
TEST(SavedMarkSlides, AMasterCoveredByShapesSideBySideShowsTheMark) {
  ExpectOneMarkOnSlides(fx->dir / "Piano.ppt", 1, 2);
}

}  // namespace
}  // namespace stampwell
