// SPDX-License-Identifier: GPL-3.0-or-later
#include "verify/page_verifier.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "verify/mark_finder.h"

namespace stampwell {
namespace {

using test::TempDir;
using test::WriteFile;

constexpr TColor kMagenta = 0x00FF00FF;  // 0x00BBGGRR
constexpr TColor kGreen = 0x0000A000;

// What one page of a test PDF shows.
struct Page {
  std::string body = "BT /F1 12 Tf 72 770 Td (Quarterly report, body text in black.) Tj ET\n";
  std::string mark;  // drawing commands of the mark, if any
  std::string box = "0 0 595 842";  // the media box: A4 unless given
};

// The mark as the office draws it: large text turned 45 degrees, in rgb (0..1), half
// transparent, its centre at (x, y) points from the lower left corner.
std::string Mark(double x, double y, const char* rgb = "1 0 1", bool transparent = true) {
  char buf[256];
  std::snprintf(buf, sizeof buf,
                "q %s %s rg BT /F2 60 Tf 0.7071 0.7071 -0.7071 0.7071 %.1f %.1f Tm "
                "(CONFIDENTIAL) Tj ET Q\n",
                transparent ? "/GS1 gs" : "", rgb, x - 180, y - 200);
  return buf;
}

// A PDF of A4 pages, written object by object with a correct cross-reference table.
std::string Pdf(const std::vector<Page>& pages) {
  std::vector<std::string> objects;
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  const int first = 6;
  for (std::size_t i = 0; i < pages.size(); ++i) kids += std::to_string(first + 2 * i) + " 0 R ";
  objects.push_back("<< /Type /Pages /Count " + std::to_string(pages.size()) + " /Kids [" + kids +
                    "] >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >>");
  objects.push_back("<< /Type /ExtGState /ca 0.5 /CA 0.5 >>");
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const std::string content = pages[i].body + pages[i].mark;
    objects.push_back(
        "<< /Type /Page /Parent 2 0 R /MediaBox [" + pages[i].box + "] /Resources "
        "<< /Font << /F1 3 0 R /F2 4 0 R >> /ExtGState << /GS1 5 0 R >> >> "
        "/Contents " +
        std::to_string(first + 2 * i + 1) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                      "endstream");
  }
  std::string out = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(out.size());
    out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = out.size();
  out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t off : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
    out += line;
  }
  out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return out;
}

Page Marked() {
  Page p;
  p.mark = Mark(297, 421);
  return p;
}

class PageVerifierTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<Page>& pages) {
    const std::string path = dir / name;
    WriteFile(path, Pdf(pages));
    return path;
  }
  TempDir dir;
};

TEST_F(PageVerifierTest, EveryPageMarkedPassesAndAMissingPageIsNamed) {
  const TPageVerifier verifier(kMagenta);
  const auto all = verifier.Check(Write("all.pdf", {Marked(), Marked(), Marked()}));
  EXPECT_TRUE(all.Opened);
  EXPECT_EQ(all.Pages, 3);
  EXPECT_TRUE(all.Unmarked.empty());
  EXPECT_TRUE(all.AllMarked());

  // The mark removed from pages 2 and 5 behind the job's back.
  const auto some =
      verifier.Check(Write("some.pdf", {Marked(), Page{}, Marked(), Marked(), Page{}}));
  EXPECT_EQ(some.Pages, 5);
  EXPECT_EQ(some.Unmarked, (std::vector<int>{2, 5}));
  EXPECT_FALSE(some.AllMarked());
  EXPECT_EQ(UnmarkedPagesText(some.Unmarked), "the mark does not show on page(s) 2, 5");
  // A second look at some pages only: the others count as seen.
  const auto again = verifier.Check(dir / "some.pdf", {}, {1, 5});
  EXPECT_EQ(again.Pages, 5);
  EXPECT_EQ(again.Unmarked, (std::vector<int>{5}));

  const auto none = verifier.Check(Write("none.pdf", {Page{}}));
  EXPECT_EQ(none.Unmarked, (std::vector<int>{1}));
}

TEST_F(PageVerifierTest, AMarkOffThePageOrInAnotherColourDoesNotCount) {
  const TPageVerifier verifier(kMagenta);
  Page off;
  off.mark = Mark(1400, 421);  // placed beyond the right edge: drawn, but on no page
  Page below;
  below.mark = Mark(297, -600);
  Page green;
  green.mark = Mark(297, 421, "0 0.627 0");
  const auto r = verifier.Check(Write("off.pdf", {Marked(), off, below, green}));
  EXPECT_EQ(r.Unmarked, (std::vector<int>{2, 3, 4}));
  // The green one is found by a verifier looking for green.
  EXPECT_EQ(TPageVerifier(kGreen).Check(dir / "off.pdf").Unmarked, (std::vector<int>{1, 2, 3}));
}

// A picture saved as a PDF page a few points wide, stamped with a mark made to fit it: a reader
// zooms in and reads the mark, and so does the verifier (at its own resolution the page is a
// few pixels). Such a page without the mark still fails.
TEST_F(PageVerifierTest, AMarkOnAPageAFewPointsWideIsFound) {
  Page tiny;
  tiny.body = "";
  tiny.box = "0 0 3.84 3.84";
  tiny.mark = "q 0.00645 0 0 0.00645 0 0 cm\n" + Mark(297, 421) + "Q\n";
  Page bare = tiny;
  bare.mark.clear();
  Page strip = tiny;  // 3.84 by 200 points: enlarged less, so that it stays within 6,000 pixels
  strip.box = "0 0 3.84 200";
  strip.mark = "q 0.00645 0 0 0.00645 0 100 cm\n" + Mark(297, 421) + "Q\n";
  const auto r = TPageVerifier(kMagenta).Check(Write("tiny.pdf", {tiny, bare, strip, Marked()}));
  EXPECT_EQ(r.Pages, 4);
  EXPECT_EQ(r.Unmarked, (std::vector<int>{2}));
}

TEST_F(PageVerifierTest, SolidAndTransparentMarksAreBothFound) {
  Page solid;
  solid.mark = Mark(297, 421, "1 0 1", false);
  EXPECT_TRUE(TPageVerifier(kMagenta).Check(Write("s.pdf", {solid, Marked()})).AllMarked());
  // A lower resolution still finds a mark of a normal size.
  EXPECT_TRUE(TPageVerifier(kMagenta, 30).Check(dir / "s.pdf").AllMarked());
}

TEST_F(PageVerifierTest, AgainstTheUnstampedDocumentItsOwnColourIsNotTakenForTheMark) {
  // The document itself prints a heading in the mark's colour.
  Page heading;
  heading.body += "q 1 0 1 rg BT /F2 40 Tf 72 600 Td (MAGENTA HEADING) Tj ET Q\n";
  const std::string original = Write("orig.pdf", {heading, heading});
  Page stamped = heading;
  stamped.mark = Mark(297, 421);
  const std::string output = Write("out.pdf", {stamped, heading});
  const TPageVerifier verifier(kMagenta);
  // Over white, page 2's heading reads as a mark; over its own page it does not.
  EXPECT_TRUE(verifier.Check(output).Unmarked.empty());
  EXPECT_EQ(verifier.Check(output, original).Unmarked, (std::vector<int>{2}));
  // An original that cannot be read: the pages are measured over white.
  EXPECT_TRUE(verifier.Check(output, dir / "missing.pdf").Unmarked.empty());
}

TEST_F(PageVerifierTest, UnreadableFilesAndNearWhiteColoursAreReportedNotPassed) {
  const TPageVerifier verifier(kMagenta);
  const auto missing = verifier.Check(dir / "missing.pdf");
  EXPECT_FALSE(missing.Opened);
  EXPECT_FALSE(missing.AllMarked());
  EXPECT_FALSE(missing.Error.empty());
  WriteFile(dir / "junk.pdf", "this is not a PDF at all");
  EXPECT_FALSE(verifier.Check(dir / "junk.pdf").Opened);

  const auto pale = TPageVerifier(0x00F0F0F0).Check(Write("p.pdf", {Marked()}));
  EXPECT_TRUE(pale.Opened);
  EXPECT_FALSE(pale.Measurable);
  EXPECT_FALSE(pale.AllMarked());
}

TEST_F(PageVerifierTest, TheOutcomeReadsAsTheRunLogsIt) {
  RDocSettings settings;
  settings.DocWatermarkColor = kMagenta;
  const auto good = VerifyOutput("/out/a.doc", Write("a.pdf", {Marked(), Marked()}), settings);
  EXPECT_TRUE(good.Verified);
  EXPECT_EQ(good.Text, "Verified /out/a.doc: 2 of 2 pages");
  const auto bad = VerifyOutput("/out/b.doc", Write("b.pdf", {Marked(), Page{}}), settings);
  EXPECT_FALSE(bad.Verified);
  EXPECT_EQ(bad.Text, "the mark does not show on page(s) 2");
  EXPECT_FALSE(VerifyOutput("/out/c.doc", dir / "missing.pdf", settings).Verified);
  settings.DocWatermarkColor = 0x00FFFFFF;  // white: nothing to tell
  EXPECT_FALSE(VerifyOutput("/out/a.doc", dir / "a.pdf", settings).Verified);
}

TEST(MarkFinderTest, BlendAgainstWhiteAndResidualDecideEachPixel) {
  const TMarkFinder finder(kMagenta, 60);
  // 10 x 10 white, a block of 40 pixels magenta at half strength, a block of grey.
  std::vector<std::uint8_t> rgb(10 * 10 * 3, 255);
  auto set = [&rgb](int x, int y, int r, int g, int b) {
    rgb[3 * (y * 10 + x)] = std::uint8_t(r);
    rgb[3 * (y * 10 + x) + 1] = std::uint8_t(g);
    rgb[3 * (y * 10 + x) + 2] = std::uint8_t(b);
  };
  for (int y = 2; y < 6; ++y)
    for (int x = 0; x < 10; ++x) set(x, y, 255, 128, 255);
  for (int x = 0; x < 10; ++x) set(x, 8, 128, 128, 128);  // grey: green says blend, red not
  const RPageImage page{10, 10, rgb.data()};
  const RMarkPixels m = finder.Measure(page);
  EXPECT_EQ(m.Pixels, 40u);
  EXPECT_EQ(m.Top, 2);
  EXPECT_EQ(m.Bottom, 5);
  EXPECT_EQ(m.Left, 0);
  EXPECT_EQ(m.Right, 9);
  EXPECT_TRUE(finder.Shows(page));
  // The same pixels under the mark in the original: nothing left of the mark.
  EXPECT_EQ(finder.Measure(page, &page).Pixels, 0u);
  EXPECT_EQ(finder.MinimumPixels(), 30u);
  EXPECT_EQ(TMarkFinder(kMagenta, 120).MinimumPixels(), 120u);
}

}  // namespace
}  // namespace stampwell
