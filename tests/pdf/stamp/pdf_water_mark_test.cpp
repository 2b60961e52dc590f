// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF engine on files made to order: page geometry (rotation, sizes, crop box), what
// stays of the source, restamps, encryption, refusals, saving.
#include "pdf/stamp/pdf_water_mark.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pdf_inspect.h"
#include "support/temp_dir.h"

using namespace stampwell;
using namespace stampwell::test;

namespace {

constexpr TColor kGreen = 0x0000C000;

RDocSettings Oblique(TColor color = kMagenta) {
  RDocSettings s;
  s.DocWaterMarkStr = "CONFIDENTIAL";
  s.DocFontName = "DejaVu Sans";
  s.DocWatermarkSize = "48";
  s.DocWatermarkColor = color;
  s.Transparent = true;
  s.HX = true;
  return s;
}

class PdfWaterMark : public ::testing::Test {
 protected:
  // Stamps source into dest; false with the engine's reason in error_ when it refuses.
  bool Stamp(const std::string& source, const std::string& dest,
             const RDocSettings& settings = Oblique()) {
    if (!engine_.Open(source)) {
      error_ = engine_.OpenError();
      return false;
    }
    engine_.AddWaterMark(settings);
    engine_.SaveAs(dest);
    engine_.Close();
    return true;
  }

  // Every page shows the mark of colour at the setting's angle and opacity, centred on what
  // a reader shows of the page, not cut by its edges.
  void ExpectEveryPageMarked(const std::string& stamped, const std::string& source,
                             double angle = 45, double opacity = 0.5, TColor color = kMagenta) {
    const int pages = PopplerPageCount(stamped);
    ASSERT_GT(pages, 0);
    for (int i = 0; i < pages; ++i) {
      SCOPED_TRACE("page " + std::to_string(i + 1));
      const auto m = MeasureMark(stamped, source, i, color);
      ASSERT_GT(m.pixels, 100);
      EXPECT_NEAR(m.angle, angle, 4);
      EXPECT_NEAR(m.opacity, opacity, 0.1);
      EXPECT_NEAR(m.cx, 0.5, 0.04);
      EXPECT_NEAR(m.cy, 0.5, 0.04);
      EXPECT_FALSE(m.clipped);
    }
  }

  TempDir dir_;
  TPdfWaterMark engine_;
  std::string error_;
};

TEST_F(PdfWaterMark, RotatedPagesShowTheMarkRisingAsTheReaderSeesThem) {
  RTestPdf layout;
  for (int rotate : {0, 90, 180, 270, -90, 450}) layout.pages.push_back({.rotate = rotate});
  MakePdf(dir_ / "rotated.pdf", layout);
  ASSERT_TRUE(Stamp(dir_ / "rotated.pdf", dir_ / "out.pdf"));
  ExpectEveryPageMarked(dir_ / "out.pdf", dir_ / "rotated.pdf");
  EXPECT_EQ(PageTexts(dir_ / "out.pdf"), PageTexts(dir_ / "rotated.pdf"));

  // On square pages the reader sees the same mark, the same way up, however the page turns.
  RTestPdf square;
  for (int rotate : {0, 90, 180, 270}) square.pages.push_back({600, 600, rotate, 0, ""});
  MakePdf(dir_ / "square.pdf", square);
  ASSERT_TRUE(Stamp(dir_ / "square.pdf", dir_ / "square-out.pdf"));
  const auto upright = MeasureMark(dir_ / "square-out.pdf", dir_ / "square.pdf", 0, kMagenta, 60);
  ASSERT_GT(upright.pixels, 100);
  for (int page = 1; page < 4; ++page) {
    SCOPED_TRACE("turned page " + std::to_string(page + 1));
    EXPECT_GT(MarkOverlap(upright, MeasureMark(dir_ / "square-out.pdf", dir_ / "square.pdf", page,
                                               kMagenta, 60)),
              0.8);
  }
}

TEST_F(PdfWaterMark, PagesOfEverySizeShareOneMarkAndSmallPagesGetItWhole) {
  RTestPdf layout;
  layout.pages = {{.width = 595, .height = 842},
                {.width = 792, .height = 612},
                {.width = 595, .height = 842},
                {.width = 200, .height = 150},
                {.width = 2384, .height = 3370}};
  MakePdf(dir_ / "sizes.pdf", layout);
  ASSERT_TRUE(Stamp(dir_ / "sizes.pdf", dir_ / "out.pdf"));
  ExpectEveryPageMarked(dir_ / "out.pdf", dir_ / "sizes.pdf");
  const auto s = ReadStructure(dir_ / "out.pdf");
  EXPECT_EQ(s.markedPages, 5);
  EXPECT_EQ(s.markForms, 1);
  // The mark, one "q" before the content, one placement per page geometry (four).
  EXPECT_EQ(s.markStreams, 1 + 1 + 4);
  // The same size in points on the two A4 pages and on the large one: the setting, not the page.
  const auto a4 = MeasureMark(dir_ / "out.pdf", dir_ / "sizes.pdf", 0, kMagenta);
  const auto large = MeasureMark(dir_ / "out.pdf", dir_ / "sizes.pdf", 4, kMagenta);
  EXPECT_NEAR(large.pixels, a4.pixels, a4.pixels * 0.15);
}

TEST_F(PdfWaterMark, CentredInTheCropBoxNotTheMediaBox) {
  RTestPdf layout;
  layout.pages = {{.cropInset = 120}, {.rotate = 90, .cropInset = 150}};
  layout.pages[0].width = 900;  // the crop box off the media box's centre would show
  MakePdf(dir_ / "crop.pdf", layout);
  ASSERT_TRUE(Stamp(dir_ / "crop.pdf", dir_ / "out.pdf"));
  ExpectEveryPageMarked(dir_ / "out.pdf", dir_ / "crop.pdf");
}

TEST_F(PdfWaterMark, LevelAndSolidWhenTheJobSaysSo) {
  RTestPdf layout;
  layout.pages = {{}, {.rotate = 90}};
  MakePdf(dir_ / "in.pdf", layout);
  RDocSettings level = Oblique(kGreen);
  level.HX = false;
  level.Transparent = false;
  ASSERT_TRUE(Stamp(dir_ / "in.pdf", dir_ / "out.pdf", level));
  ExpectEveryPageMarked(dir_ / "out.pdf", dir_ / "in.pdf", 0, 1.0, kGreen);
  EXPECT_EQ(MeasureMark(dir_ / "out.pdf", dir_ / "in.pdf", 0, kMagenta).pixels, 0);
}

TEST_F(PdfWaterMark, TextOfAnyScriptAndAnUnknownFontStillDrawTheMark) {
  RTestPdf one;
  one.pages = {{}};
  MakePdf(dir_ / "in.pdf", one);
  RDocSettings cyrillic = Oblique();
  cyrillic.DocWaterMarkStr = "\xD0\xA1\xD0\x95\xD0\x9A\xD0\xA0\xD0\x95\xD0\xA2";  // СЕКРЕТ
  ASSERT_TRUE(Stamp(dir_ / "in.pdf", dir_ / "cyrillic.pdf", cyrillic));
  ExpectEveryPageMarked(dir_ / "cyrillic.pdf", dir_ / "in.pdf");
  RDocSettings unknown = Oblique();
  unknown.DocFontName = "No Such Font Family 123";
  ASSERT_TRUE(Stamp(dir_ / "in.pdf", dir_ / "unknown.pdf", unknown));
  ExpectEveryPageMarked(dir_ / "unknown.pdf", dir_ / "in.pdf");
}

TEST_F(PdfWaterMark, ARestampReplacesTheMarkAndTheFileDoesNotGrow) {
  RTestPdf layout;
  layout.pages = {{}, {.rotate = 90}, {.width = 400, .height = 400}};
  layout.link = true;
  layout.extras = true;
  MakePdf(dir_ / "in.pdf", layout);
  ASSERT_TRUE(Stamp(dir_ / "in.pdf", dir_ / "once.pdf", Oblique(kGreen)));
  ASSERT_TRUE(Stamp(dir_ / "once.pdf", dir_ / "twice.pdf"));
  // Only the new colour shows; the old mark is gone from the file, not hidden.
  ExpectEveryPageMarked(dir_ / "twice.pdf", dir_ / "in.pdf");
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(MeasureMark(dir_ / "twice.pdf", dir_ / "in.pdf", i, kGreen).pixels, 0);
  const auto once = ReadStructure(dir_ / "once.pdf");
  const auto twice = ReadStructure(dir_ / "twice.pdf");
  EXPECT_EQ(twice.markForms, 1);
  EXPECT_EQ(twice.markStreams, once.markStreams);
  EXPECT_EQ(twice.markedPages, 3);
  // What the source had stays through both stamps.
  const auto source = ReadStructure(dir_ / "in.pdf");
  ASSERT_EQ(source.attachments, 1);
  ASSERT_EQ(source.outlines, 3);
  ASSERT_NE(source.info.find("Quarterly figures"), std::string::npos);
  for (const auto* s : {&once, &twice}) {
    EXPECT_EQ(s->links, 1);
    EXPECT_EQ(s->attachments, source.attachments);
    EXPECT_EQ(s->outlines, source.outlines);
    EXPECT_EQ(s->info, source.info);
  }
  EXPECT_NEAR(double(std::filesystem::file_size(dir_ / "twice.pdf")),
              double(std::filesystem::file_size(dir_ / "once.pdf")), 200);
}

TEST_F(PdfWaterMark, EmptyUserPasswordIsStampedAndKeepsItsEncryptionAndPermissions) {
  RTestPdf layout;
  layout.pages = {{}, {}};
  layout.ownerPassword = "owner-only";
  layout.allowPrint = false;
  layout.allowModify = false;
  MakePdf(dir_ / "locked.pdf", layout);
  ASSERT_TRUE(Stamp(dir_ / "locked.pdf", dir_ / "out.pdf")) << error_;
  const auto before = ReadStructure(dir_ / "locked.pdf");
  const auto after = ReadStructure(dir_ / "out.pdf");
  ASSERT_TRUE(before.encrypted);
  EXPECT_TRUE(after.encrypted);
  EXPECT_EQ(after.encryptionR, before.encryptionR);
  EXPECT_EQ(after.permissions, before.permissions);
  EXPECT_EQ(after.markedPages, 2);
  ExpectEveryPageMarked(dir_ / "out.pdf", dir_ / "locked.pdf");
  EXPECT_EQ(PageTexts(dir_ / "out.pdf"), PageTexts(dir_ / "locked.pdf"));
}

TEST_F(PdfWaterMark, RefusesWhatItMustNotOrCannotStampAndSaysWhy) {
  RTestPdf secret;
  secret.pages = {{}};
  secret.userPassword = "secret";
  secret.ownerPassword = "owner";
  MakePdf(dir_ / "secret.pdf", secret);
  EXPECT_FALSE(engine_.Open(dir_ / "secret.pdf"));
  EXPECT_EQ(engine_.OpenError(), "needs a password");

  RTestPdf sig;
  sig.pages = {{}};
  sig.signedField = true;
  MakePdf(dir_ / "signed.pdf", sig);
  EXPECT_FALSE(engine_.Open(dir_ / "signed.pdf"));
  EXPECT_EQ(engine_.OpenError(), "signed document, not stamped");

  // Cut where the page tree is not yet written: nothing to recover.
  RTestPdf many;
  for (int i = 0; i < 20; ++i) many.pages.push_back({});
  MakePdf(dir_ / "whole.pdf", many);
  const std::string bytes = ReadFile(dir_ / "whole.pdf");
  WriteFile(dir_ / "cut.pdf", bytes.substr(0, 60));
  EXPECT_FALSE(engine_.Open(dir_ / "cut.pdf"));
  EXPECT_EQ(engine_.OpenError().rfind("damaged PDF file, QPDF cannot repair it", 0), 0u)
      << engine_.OpenError();

  WriteFile(dir_ / "text.pdf", "this is not a PDF file at all\n");
  EXPECT_FALSE(engine_.Open(dir_ / "text.pdf"));
  EXPECT_EQ(engine_.OpenError().rfind("damaged PDF file", 0), 0u) << engine_.OpenError();

  EXPECT_FALSE(engine_.Open(dir_.Path()));
  EXPECT_EQ(engine_.OpenError(), "the file cannot be opened");
  EXPECT_FALSE(engine_.Open(dir_ / "missing.pdf"));
  EXPECT_EQ(engine_.OpenError(), "the file cannot be opened");

  // A refusal leaves no document open to stamp.
  EXPECT_THROW(engine_.AddWaterMark(Oblique()), std::logic_error);
}

TEST_F(PdfWaterMark, AFileCutAfterItsPagesIsRepairedAndStamped) {
  RTestPdf layout;
  for (int i = 0; i < 5; ++i) layout.pages.push_back({.text = "Page " + std::to_string(i + 1)});
  MakePdf(dir_ / "whole.pdf", layout);
  const std::string bytes = ReadFile(dir_ / "whole.pdf");
  // Without its cross-reference section and trailer.
  WriteFile(dir_ / "cut.pdf", bytes.substr(0, bytes.rfind("xref")));
  ASSERT_TRUE(Stamp(dir_ / "cut.pdf", dir_ / "out.pdf")) << error_;
  ExpectEveryPageMarked(dir_ / "out.pdf", dir_ / "whole.pdf");
  EXPECT_EQ(PageTexts(dir_ / "out.pdf"), PageTexts(dir_ / "whole.pdf"));
}

TEST_F(PdfWaterMark, PdfAStaysIdentifiedAsPdfA) {
  RTestPdf layout;
  layout.pages = {{}};
  layout.pdfa = true;
  MakePdf(dir_ / "a.pdf", layout);
  ASSERT_TRUE(Stamp(dir_ / "a.pdf", dir_ / "out.pdf"));
  const auto before = ReadStructure(dir_ / "a.pdf");
  const auto after = ReadStructure(dir_ / "out.pdf");
  ASSERT_NE(before.metadata.find("<pdfaid:part>2</pdfaid:part>"), std::string::npos);
  EXPECT_EQ(after.metadata, before.metadata);
  EXPECT_NE(ReadFile(dir_ / "out.pdf").find("/GTS_PDFA1"), std::string::npos);
  ExpectEveryPageMarked(dir_ / "out.pdf", dir_ / "a.pdf");
}

TEST_F(PdfWaterMark, SavesInPlaceAtomicallyAndLeavesNothingBehindOnFailure) {
  RTestPdf layout;
  layout.pages = {{}};
  MakePdf(dir_ / "doc.pdf", layout);
  MakePdf(dir_ / "source.pdf", layout);
  // In place: the stamped copy replaces the source it was read from.
  ASSERT_TRUE(Stamp(dir_ / "doc.pdf", dir_ / "doc.pdf"));
  EXPECT_EQ(ReadStructure(dir_ / "doc.pdf").markedPages, 1);
  ExpectEveryPageMarked(dir_ / "doc.pdf", dir_ / "source.pdf");

  ASSERT_TRUE(engine_.Open(dir_ / "source.pdf"));
  engine_.AddWaterMark(Oblique());
  EXPECT_THROW(engine_.SaveAs(dir_ / "no/such/folder/out.pdf"), std::runtime_error);
  // Over a folder: written to a temporary file first, then refused by the rename.
  std::filesystem::create_directory(dir_ / "taken.pdf");
  std::filesystem::create_directory(dir_ / "taken.pdf/inside");
  EXPECT_THROW(engine_.SaveAs(dir_ / "taken.pdf"), std::runtime_error);
  engine_.PrintToPDFFile(dir_ / "printed.pdf");
  engine_.Close();
  engine_.Close();  // twice: a no-op
  EXPECT_EQ(ListTree(dir_.Path()),
            (std::vector<std::string>{"doc.pdf", "printed.pdf", "source.pdf"}));
  EXPECT_EQ(ReadStructure(dir_ / "printed.pdf").markedPages, 1);
}

TEST_F(PdfWaterMark, AThousandPagesShareOneMarkAndGrowByAFewBytesAPage) {
  RTestPdf layout;
  for (int i = 0; i < 1000; ++i)
    layout.pages.push_back({.rotate = (i % 4) * 90, .text = "Page " + std::to_string(i + 1)});
  MakePdf(dir_ / "big.pdf", layout);
  ASSERT_TRUE(Stamp(dir_ / "big.pdf", dir_ / "out.pdf"));
  const auto s = ReadStructure(dir_ / "out.pdf");
  EXPECT_EQ(s.pages, 1000);
  EXPECT_EQ(s.markedPages, 1000);
  EXPECT_EQ(s.markForms, 1);
  EXPECT_EQ(s.markStreams, 1 + 1 + 4);
  const double growth = double(std::filesystem::file_size(dir_ / "out.pdf")) -
                        double(std::filesystem::file_size(dir_ / "big.pdf"));
  EXPECT_LT(growth, 1000 * 80 + 20000);
  for (int page : {0, 1, 2, 3, 998, 999}) {
    SCOPED_TRACE(page);
    const auto m = MeasureMark(dir_ / "out.pdf", dir_ / "big.pdf", page, kMagenta, 20);
    EXPECT_GT(m.pixels, 30);
    EXPECT_NEAR(m.angle, 45, 6);
  }
}

}  // namespace
