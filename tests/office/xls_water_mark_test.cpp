// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/xls_water_mark.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <tuple>

#include "engine_test_support.h"
#include "support/workbook_script.h"

namespace stampwell::test {
namespace {

const std::string kXlsShapes = "App.ActiveSheet.Shapes";
const std::string kXlsShape = kXlsShapes + ".AddTextEffect";
const std::string kXlsName = "QuillmarkWaterMarkObject1";
const char kXlsStartFailed[] =
    "Excel open failed,please make sure your excel worked at first\xEF\xBC\x81";

Lines Insertion(const std::string& transparency = "Cy(0.7)",
                const std::string& rotation = "Int(315)", const std::string& rgb = "Int(255)",
                const std::string& size = "Int(48)") {
  return {
      "call " + kXlsShapes + ".AddTextEffect(Int(0), Str(\"Internal\"), Str(\"Verdana\"), " + size +
          ", Int(0), Int(0), Int(50), Int(50))",
      "call " + kXlsShape + ".Select()",
      "put " + kXlsShape + ".Name = " + Str(kXlsName),
      "call " + kXlsShape + ".ScaleHeight(Cy(1.23), Bool(0))",
      "call " + kXlsShape + ".ScaleWidth(Cy(1.6), Bool(0))",
      "put " + kXlsShape + ".Fill.Visible = Bool(-1)",
      "put " + kXlsShape + ".Fill.Transparency = " + transparency,
      "put " + kXlsShape + ".Rotation = " + rotation,
      "put " + kXlsShape + ".Fill.ForeColor.RGB = " + rgb,
      "put " + kXlsShape + ".Line.Weight = Cy(0.75)",
      "put " + kXlsShape + ".Line.DashStyle = Int(1)",
      "put " + kXlsShape + ".Line.Style = Int(1)",
      "put " + kXlsShape + ".Line.Transparency = " + transparency,
      "put " + kXlsShape + ".Line.Visible = Bool(0)",
      "put " + kXlsShape + ".Line.BackColor.RGB = " + rgb,
      "call " + kXlsShape + ".ZOrder(Int(1))",
      "put " + kXlsShape + ".Height = Int(80)",
      "put " + kXlsShape + ".Width = Int(400)",
  };
}

class ExcelEngine : public EngineFixture {
 protected:
  ExcelEngine() {
    server.SetValue("App.workBooks", "Open", server.Object("Book"));
    server.SetShapes(kXlsShapes, {});
    engine.PDFStack = &pdf;
    engine.DocSettings = {"Internal", "Verdana", "48", 0x000000FF, true, true};
    // The calls the engine makes itself; the stamp inside the office has tests of its own.
    engine.StampInOffice = false;
  }

  void Open() {
    ASSERT_TRUE(engine.OpenXls("/jobs/in/sales.xls"));
    server.ClearCalls();
  }

  TXlsWaterMark engine;
};

TEST_F(ExcelEngine, FreshEngineHasTheDefaultSettings) {
  TXlsWaterMark fresh;
  EXPECT_EQ(fresh.DocSettings,
            (RDocSettings{"confidential", "Times New Roman", "", 0, false, false}));
  EXPECT_FALSE(fresh.AppStarted());
}

TEST_F(ExcelEngine, OpenStartsExcelWithoutSettingsAndOpensThePath) {
  ASSERT_TRUE(engine.OpenXls("/jobs/in/sales.xls"));
  EXPECT_EQ(server.Log(), (Lines{"create Excel.Application",
                                 "call App.workBooks.Open(Str(\"/jobs/in/sales.xls\"))"}));
  EXPECT_EQ(server.Calls()[0].coInitializeCount, baseCo + 1);
  EXPECT_EQ(engine.FileName(), "/jobs/in/sales.xls");
  engine.CloseExcelApp();
  EXPECT_EQ(server.Log().back(), "call App.Quit()");
  EXPECT_EQ(CoInitializeCount(), baseCo);
  EXPECT_FALSE(engine.AppStarted());
}

TEST_F(ExcelEngine, StartFailureShowsItsMessageAndOpenFailsSilently) {
  server.FailCreate("Excel.Application", "no office");
  EXPECT_FALSE(engine.OpenXls("/jobs/in/sales.xls"));
  EXPECT_FALSE(engine.OpenXls("/jobs/in/sales.xls"));  // tried again, told once, with its reason
  EXPECT_EQ(messages.Messages(), (Lines{std::string(kXlsStartFailed) + "\nno office"}));
  EXPECT_FALSE(engine.AppStarted());
  EXPECT_EQ(CoInitializeCount(), baseCo);
}

TEST_F(ExcelEngine, FailedOpenReturnsFalseWithoutMessage) {
  server.Fail(CallKind::Call, "App.workBooks", "Open", "locked");
  EXPECT_FALSE(engine.OpenXls("/jobs/in/sales.xls"));
  EXPECT_TRUE(messages.Messages().empty());
  engine.CloseExcelApp();
}

TEST_F(ExcelEngine, CloseSavesOrClosesTheWorkbook) {
  Open();
  engine.closeXls(true);
  engine.closeXls(false);
  EXPECT_EQ(server.Log(), (Lines{"call Book.Save()", "call Book.Close()"}));
  engine.CloseExcelApp();
}

TEST_F(ExcelEngine, SaveAsSavesTheWorkbookUnderThePath) {
  Open();
  engine.SaveAs("/jobs/out/sales.xls");
  EXPECT_EQ(server.Log(), (Lines{"call Book.SaveAs(Str(\"/jobs/out/sales.xls\"))"}));
  engine.CloseExcelApp();
}

TEST_F(ExcelEngine, PrintNamesThePdfPrinterInTheFifthArgument) {
  Open();
  engine.PrintToPDF();
  engine.PrintToPDFFile("/jobs/out/sales.pdf");
  const std::string print =
      "call Book.PrintOut(" + Placeholders(4) + ", " + Str(kPrinter) + ", " + Placeholders(3) + ")";
  EXPECT_EQ(server.Log(), (Lines{print, print}));  // no printer property of its own
  engine.PDFStack = nullptr;
  EXPECT_THROW(engine.PrintToPDF(), std::logic_error);
  engine.CloseExcelApp();
}

// ---- the page arithmetic --------------------------------------------------------------------

TEST(ExcelPages, PrintAreasReadAsExcelWritesThem) {
  EXPECT_EQ(ParsePrintArea("$A$1:$F$40"), (std::vector<RCellBlock>{{1, 1, 40, 6}}));
  EXPECT_EQ(ParsePrintArea("Sheet1!$B$2:$AA$10,$C$3"),
            (std::vector<RCellBlock>{{2, 2, 10, 27}, {3, 3, 3, 3}}));
  EXPECT_EQ(ParsePrintArea("F40:A1"), (std::vector<RCellBlock>{{1, 1, 40, 6}}));
  EXPECT_TRUE(ParsePrintArea("").empty());
  EXPECT_TRUE(ParsePrintArea("#REF!").empty());
  EXPECT_TRUE(ParsePrintArea("$A$0:$B$2").empty());
  EXPECT_TRUE(ParsePrintArea("ABCD1").empty());
}

TEST(ExcelPages, BlocksSplitAtTheBreaksInsideThemDownThenOver) {
  const RCellBlock block{1, 1, 100, 12};
  EXPECT_EQ(SplitIntoPages(block, {}, {}), (std::vector<RCellBlock>{block}));
  EXPECT_EQ(
      SplitIntoPages(block, {101, 51, 1, 200}, {7}),
      (std::vector<RCellBlock>{{1, 1, 50, 6}, {51, 1, 100, 6}, {1, 7, 50, 12}, {51, 7, 100, 12}}));
  // A print range starting lower: a break at its first row starts nothing new.
  EXPECT_EQ(SplitIntoPages({20, 2, 60, 3}, {20, 41}, {}),
            (std::vector<RCellBlock>{{20, 2, 40, 3}, {41, 2, 60, 3}}));
}

TEST(ExcelPages, TheTurnedMarkLiesWhollyWithinItsPage) {
  for (const RPageArea& area : {RPageArea{0, 0, 540, 720}, RPageArea{100, 2000, 200, 90},
                                RPageArea{0, 0, 48, 300}, RPageArea{30, 15, 600, 300}}) {
    for (bool oblique : {true, false}) {
      const RMarkBox box = FitMark(area, oblique);
      // The frame's centre is the page's.
      EXPECT_NEAR(box.Left + box.Width / 2, area.Left + area.Width / 2, 0.02);
      EXPECT_NEAR(box.Top + box.Height / 2, area.Top + area.Height / 2, 0.02);
      // The box it covers once turned 45 degrees (or not at all) stays on the page.
      const double w = oblique ? (box.Width + box.Height) / std::sqrt(2.0) : box.Width;
      const double h = oblique ? w : box.Height;
      EXPECT_LE(w, area.Width + 0.05) << area.Width << " " << oblique;
      EXPECT_LE(h, area.Height + 0.05) << area.Height << " " << oblique;
      EXPECT_LE(box.Width, 400);
      EXPECT_NEAR(box.Width / box.Height, 5.0, 0.05);
    }
  }
  // A page with room keeps the mark at its full size.
  EXPECT_EQ(FitMark({0, 0, 540, 720}, true).Width, 400);
}

TEST(ExcelPages, OnlyPrefixAndPageNumberNamesAreOurs) {
  EXPECT_TRUE(IsOurSheetMarkName("QuillmarkWaterMarkObject1"));
  EXPECT_TRUE(IsOurSheetMarkName("QuillmarkWaterMarkObject27"));
  for (const char* other :
       {"QuillmarkWaterMarkObject", "QuillmarkWaterMarkObject0", "QuillmarkWatermarkObject1",
        "QuillmarkWaterMarkObject1 ", "QuillmarkWaterMarkObjectFirst1", "Chart 1"})
    EXPECT_FALSE(IsOurSheetMarkName(other)) << other;
}

// ---- AddWaterMark over a scripted workbook ---------------------------------------------------

// A workbook as the scripted server shows it: rows 15 points high, columns 50 points wide.
class ExcelWorkbook : public ExcelEngine {
 protected:
  static std::string Sheet(int i) { return "Book.Worksheets.Item(" + std::to_string(i) + ")"; }

  struct SheetScript {
    std::string printArea;      // "" for none
    std::string used = "$A$1";  // Address of the used range
    int lastRow = 1, lastColumn = 1;
    bool empty = false;
    bool hidden = false;
    std::vector<int> rowBreaks, columnBreaks;
    std::vector<std::string> shapes;
    OleVariant zoom = false;  // fitted to pages: no paper measure
  };

  void Script(const std::vector<SheetScript>& sheets) {
    server.SetValue("Book.Worksheets", "Count", int(sheets.size()));
    for (std::size_t k = 0; k < sheets.size(); ++k) {
      const std::string sheet = Sheet(int(k + 1));
      const SheetScript& s = sheets[k];
      server.SetValue(sheet, "Visible", s.hidden ? 0 : -1);
      server.SetValue(sheet + ".PageSetup", "PrintArea", s.printArea);
      server.SetValue(sheet + ".PageSetup", "Zoom", s.zoom);
      server.SetValue(sheet + ".PageSetup", "PaperSize", 9);  // A4
      server.SetValue(sheet + ".PageSetup", "Orientation", 1);
      for (const char* margin : {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"})
        server.SetValue(sheet + ".PageSetup", margin, 36.0);
      server.SetValue(sheet + ".UsedRange", "Address", s.used);
      server.SetValue(sheet + ".UsedRange", "Text", s.empty ? "" : "Sales");
      server.SetValue(sheet + ".UsedRange", "Row", 1);
      server.SetValue(sheet + ".UsedRange", "Column", 1);
      server.SetValue(sheet + ".UsedRange.Rows", "Count", s.lastRow);
      server.SetValue(sheet + ".UsedRange.Columns", "Count", s.lastColumn);
      for (const auto& [kind, member, list] :
           {std::tuple{"HPageBreaks", "Row", s.rowBreaks},
            std::tuple{"VPageBreaks", "Column", s.columnBreaks}}) {
        server.SetValue(sheet + "." + kind, "Count", int(list.size()));
        for (std::size_t i = 0; i < list.size(); ++i)
          server.SetValue(sheet + "." + kind + ".Item(" + std::to_string(i + 1) + ").Location",
                          member, list[i]);
      }
      test::ScriptRangeSizes(server, sheet);
      server.SetShapes(sheet + ".Shapes", s.shapes);
    }
  }

  // Each mark inserted: "<sheet path> <name> <centre x>,<centre y>".
  Lines Marks() const {
    Lines marks;
    std::map<std::string, std::map<std::string, OleVariant>> current;
    std::string last;
    for (const RecordedCall& c : server.Calls()) {
      if (c.kind != CallKind::Put || c.path.size() < 14 ||
          c.path.compare(c.path.size() - 14, 14, ".AddTextEffect") != 0)
        continue;
      auto& m = current[c.path];
      m[c.member] = c.args.at(0);
      if (c.member == "Top") {
        const std::string sheet = c.path.substr(0, c.path.size() - 21);  // ".Shapes.AddTextEffect"
        char centre[64];
        std::snprintf(centre, sizeof centre, "%.0f,%.0f",
                      m["Left"].AsDouble() + m["Width"].AsDouble() / 2,
                      m["Top"].AsDouble() + m["Height"].AsDouble() / 2);
        marks.push_back(sheet + " " + m["Name"].AsString() + " " + centre);
      }
    }
    return marks;
  }
};

TEST_F(ExcelWorkbook, EveryPrintedPageOfEveryVisibleSheetGetsAMarkAtItsCentre) {
  SheetScript twoPages;  // A1:J100, a page break before row 51
  twoPages.lastRow = 100;
  twoPages.lastColumn = 10;
  twoPages.used = "$A$1:$J$100";
  twoPages.rowBreaks = {51};
  SheetScript empty;
  empty.empty = true;
  SheetScript hidden = twoPages;
  hidden.hidden = true;
  SheetScript ranged;  // a print range of its own, two pages across
  ranged.printArea = "$B$2:$M$21";
  ranged.columnBreaks = {8};
  ranged.lastRow = 500;
  Script({twoPages, empty, hidden, ranged});
  Open();
  engine.AddWaterMark();
  EXPECT_EQ(Marks(), (Lines{Sheet(1) + " QuillmarkWaterMarkObject1 250,375",
                            Sheet(1) + " QuillmarkWaterMarkObject2 250,1125",
                            Sheet(4) + " QuillmarkWaterMarkObject1 200,165",
                            Sheet(4) + " QuillmarkWaterMarkObject2 500,165"}));
  EXPECT_EQ(server.Shapes(Sheet(2) + ".Shapes"), Lines{});
  EXPECT_EQ(server.Shapes(Sheet(3) + ".Shapes"), Lines{});
  // Sheet 4's pages (300 x 300 points) are too small for the full mark: it is made smaller.
  for (const RecordedCall& c : server.Calls())
    if (c.kind == CallKind::Put && c.member == "Width" && c.path.rfind(Sheet(4), 0) == 0)
      EXPECT_LT(c.args.at(0).AsDouble(), 400.0);
  engine.CloseExcelApp();
}

TEST_F(ExcelWorkbook, TheLastPageTakesTheRestOfItsPaperAndTheMarkItsFullSize) {
  // A4 portrait, half-inch margins, at 100 %: a page holds 523 x 770 points of the sheet. The
  // sheet's cells (A1:C10, 150 x 150 points) print on one page, most of it empty.
  SheetScript small;
  small.used = "$A$1:$C$10";
  small.lastRow = 10;
  small.lastColumn = 3;
  small.zoom = 100;
  SheetScript halved = small;  // the same at 50 %: a page holds twice as much
  halved.zoom = 50;
  Script({small, halved});
  Open();
  engine.AddWaterMark();
  // The page area grows by whole columns (50 points each here) and rows (15) as far as 94 %
  // of the page: 9 columns and 48 rows at 100 %, 19 and 96 at 50 %.
  char first[64], second[64];
  std::snprintf(first, sizeof first, " QuillmarkWaterMarkObject1 %.0f,%.0f", 9 * 50 / 2.0,
                48 * 15 / 2.0);
  std::snprintf(second, sizeof second, " QuillmarkWaterMarkObject1 %.0f,%.0f", 19 * 50 / 2.0,
                96 * 15 / 2.0);
  EXPECT_EQ(Marks(), (Lines{Sheet(1) + first, Sheet(2) + second}));
  std::vector<double> widths;
  for (const RecordedCall& c : server.Calls())
    if (c.kind == CallKind::Put && c.member == "Width") widths.push_back(c.args.at(0).AsDouble());
  EXPECT_EQ(widths, (std::vector<double>{400, 400}));
  // Cells that fit on one paper: the office is not asked to paginate.
  EXPECT_EQ(Matching(server.Log(), "PageBreaks"), Lines{});
  EXPECT_EQ(PaperPoints(1, true).Width, 792);
  EXPECT_EQ(PaperPoints(77, false).Height, 842);
  engine.CloseExcelApp();
}

TEST_F(ExcelWorkbook, AOneRowPrintRangeFittedToItsPageGrowsOnlyWhereTheSheetIsBlank) {
  // Fitted to one page (no print scale), printing A1:C1 only: the cells fit on one paper at
  // full size, so that paper (523 x 770 points of A4) is the page, and the mark takes the rest
  // of it, as the range grows to take the mark in.
  SheetScript oneRow;
  oneRow.printArea = "$A$1:$C$1";
  oneRow.used = "$A$1:$C$1";
  oneRow.lastColumn = 3;
  // The same range on a sheet holding more rows below it, left out of the printout: the
  // range may grow across, never down over them.
  SheetScript heldBelow = oneRow;
  heldBelow.used = "$A$1:$C$16";
  heldBelow.lastRow = 16;
  // Fitted and too large for one paper at full size: printed smaller, no page measure.
  SheetScript shrunk = oneRow;
  shrunk.printArea = "$A$1:$P$1";
  Script({oneRow, heldBelow, shrunk});
  Open();
  engine.AddWaterMark();
  char whole[64], across[64];
  // Grown by whole columns and rows within 94 % of the page (9 of 50 points, 48 of 15).
  std::snprintf(whole, sizeof whole, " QuillmarkWaterMarkObject1 %.0f,%.0f", 9 * 50 / 2.0,
                48 * 15 / 2.0);
  std::snprintf(across, sizeof across, " QuillmarkWaterMarkObject1 %.0f,8", 9 * 50 / 2.0);
  EXPECT_EQ(Marks(), (Lines{Sheet(1) + whole, Sheet(2) + across,
                            Sheet(3) + " QuillmarkWaterMarkObject1 400,8"}));
  std::vector<double> widths;
  for (const RecordedCall& c : server.Calls())
    if (c.kind == CallKind::Put && c.member == "Width") widths.push_back(c.args.at(0).AsDouble());
  ASSERT_EQ(widths.size(), 3u);
  EXPECT_EQ(widths[0], 400) << "the mark at its full size";
  EXPECT_LT(widths[1], 50) << "kept to the one row";
  engine.CloseExcelApp();
}

TEST(ExcelPageArea, GrowsByTheWholeLinesThatStillFit) {
  // Lines of these sizes after the page's 100 points: the area may end after a line, never
  // inside one (the office prints every line a drawing reaches into, whole).
  const std::vector<double> lines = {40, 40, 300, 10, 10};
  int asked = 0;
  auto with = [&](int more) {
    ++asked;
    double size = 100;
    for (int i = 0; i < more; ++i) size += i < int(lines.size()) ? lines[i] : 1000;
    return size;
  };
  EXPECT_EQ(WholeLinesWithin(100, 250, 100, with), 180);  // the wide third line does not fit
  EXPECT_EQ(WholeLinesWithin(100, 500, 100, with), 500);  // five lines end on the limit
  EXPECT_EQ(WholeLinesWithin(100, 130, 100, with), 100);  // not even one
  EXPECT_EQ(WholeLinesWithin(100, 1e9, 2, with), 180);    // no more lines than the sheet has
  EXPECT_EQ(WholeLinesWithin(100, 1e9, 0, with), 100);
  // Many narrow lines are found in few questions, not one for each.
  asked = 0;
  auto narrow = [&](int more) {
    ++asked;
    return 100 + 0.5 * more;
  };
  EXPECT_EQ(WholeLinesWithin(100, 600, 65536, narrow), 600);
  EXPECT_LE(asked, 24);
}

TEST_F(ExcelWorkbook, AWorkbookThatPrintsNothingStillHasItsOnePageMarked) {
  // The office prints one page of such a workbook (its header and footer, say).
  SheetScript empty;
  empty.empty = true;
  SheetScript hidden;
  hidden.hidden = true;
  Script({hidden, empty, empty});
  Open();
  engine.AddWaterMark();
  EXPECT_EQ(Marks(), (Lines{Sheet(2) + " QuillmarkWaterMarkObject1 240,240"}));
  // In front of the sheet's pictures and charts.
  EXPECT_NE(IndexOf(server.Log(), "call " + Sheet(2) + ".Shapes.AddTextEffect.ZOrder(Int(0))"), -1);
  engine.CloseExcelApp();
}

TEST_F(ExcelWorkbook, ARestampReplacesEveryMarkFirstAndKeepsOtherShapes) {
  SheetScript sheet;
  sheet.lastRow = 100;
  sheet.used = "$A$1:$A$100";
  sheet.rowBreaks = {51};
  // Marks of an earlier stamp with more pages, and shapes that are not ours.
  sheet.shapes = {"Chart 1", "QuillmarkWaterMarkObject1", "QuillmarkWaterMarkObject2",
                  "QuillmarkWaterMarkObject3", "QuillmarkWatermarkObject1"};
  Script({sheet});
  Open();
  engine.AddWaterMark();
  EXPECT_EQ(server.Shapes(Sheet(1) + ".Shapes"),
            (Lines{"Chart 1", "QuillmarkWatermarkObject1", "QuillmarkWaterMarkObject1",
                   "QuillmarkWaterMarkObject2"}));
  // The old marks went before the page breaks were asked for (they count as printed).
  const Lines log = server.Log();
  int lastDelete = -1;
  for (int i = 0; i < int(log.size()); ++i)
    if (log[i].find(".Delete()") != std::string::npos) lastDelete = i;
  EXPECT_LT(lastDelete, IndexOf(log, "get " + Sheet(1) + ".HPageBreaks.Count"));
  server.ClearCalls();
  engine.AddWaterMark();
  EXPECT_EQ(server.Shapes(Sheet(1) + ".Shapes"),
            (Lines{"Chart 1", "QuillmarkWatermarkObject1", "QuillmarkWaterMarkObject1",
                   "QuillmarkWaterMarkObject2"}));
  engine.CloseExcelApp();
}

TEST_F(ExcelWorkbook, ActiveSheetOnlyPutsOneMarkOnTheShownSheetsFirstPage) {
  engine.ActiveSheetOnly = true;
  const std::string active = "App.ActiveSheet";
  server.SetValue(active + ".PageSetup", "PrintArea", "$A$1:$D$100");
  server.SetValue(active + ".PageSetup", "Zoom", false);
  server.SetValue(active + ".PageSetup", "PaperSize", 9);  // A4
  server.SetValue(active + ".PageSetup", "Orientation", 1);
  for (const char* margin : {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"})
    server.SetValue(active + ".PageSetup", margin, 36.0);
  server.SetValue(active + ".HPageBreaks", "Count", 1);
  server.SetValue(active + ".HPageBreaks.Item(1).Location", "Row", 41);
  server.SetValue(active + ".VPageBreaks", "Count", 0);
  server.SetHandler(active, "Range", [this](const std::vector<OleVariant>& args) {
    const std::string path = "App.ActiveSheet.Range(\"" + args.at(0).AsString() + "\")";
    const RCellBlock b = ParsePrintArea(args.at(0).AsString()).at(0);
    server.SetValue(path, "Left", 0.0);
    server.SetValue(path, "Top", (b.FirstRow - 1) * 15.0);
    server.SetValue(path, "Width", 200.0);
    server.SetValue(path, "Height", (b.LastRow - b.FirstRow + 1) * 15.0);
    return server.Object(path);
  });
  server.SetShapes(kXlsShapes, {kXlsName, "QuillmarkWaterMarkObject2"});
  Open();
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), "Worksheets"), Lines{});
  EXPECT_EQ(server.Shapes(kXlsShapes), (Lines{kXlsName}));
  EXPECT_EQ(Marks(), (Lines{"App.ActiveSheet " + kXlsName + " 100,300"}));
  engine.CloseExcelApp();
}

// The same stamp inside the office: the workbook is asked once, with every setting, and the
// engine makes no call of its own when it is done there; when the office cannot, the engine
// makes its usual calls after that one question.
TEST_F(ExcelWorkbook, TheStampGoesIntoTheOfficeWhenTheWorkbookCanRunItThere) {
  SheetScript sheet;
  sheet.shapes = {kXlsName};
  Script({sheet});
  Open();
  engine.StampInOffice = true;
  engine.ActiveSheetOnly = true;
  engine.DocSettings.DocWatermarkColor = 0xFF000005;  // a system colour: all 32 bits travel
  const std::string asked =
      "call Book.StampInOffice(Str(\"Internal\"), Str(\"Verdana\"), Str(\"48\"), Int(" +
      std::to_string(static_cast<std::int32_t>(0xFF000005)) + "), Bool(-1), Bool(-1), Bool(-1))";
  server.SetValue("Book", "StampInOffice", true);
  engine.AddWaterMark();
  EXPECT_EQ(server.Log(), Lines{asked});
  EXPECT_EQ(server.Shapes(Sheet(1) + ".Shapes"), Lines{kXlsName});

  // Refused: exactly the calls of an engine that never asks, after the question.
  engine.ActiveSheetOnly = false;
  engine.StampInOffice = false;
  server.ClearCalls();
  engine.AddWaterMark();
  const Lines own = server.Log();
  ASSERT_FALSE(own.empty());
  // Refused with false, or answered with anything but a boolean (an Excel without the member).
  const std::string askedAllSheets =
      std::string(asked).replace(asked.rfind("Bool(-1)"), 8, "Bool(0)");
  for (const OleVariant& answer : {OleVariant(false), OleVariant(server.Object("Other"))}) {
    server.SetValue("Book", "StampInOffice", answer);
    engine.StampInOffice = true;
    server.ClearCalls();
    engine.AddWaterMark();
    Lines refused = server.Log();
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused.front(), askedAllSheets);
    refused.erase(refused.begin());
    EXPECT_EQ(refused, own);
  }
  EXPECT_EQ(server.Shapes(Sheet(1) + ".Shapes"), Lines{kXlsName});
  engine.CloseExcelApp();
}

TEST_F(ExcelWorkbook, BadSizeRaisesBeforeAnyMarkIsTouched) {
  SheetScript sheet;
  sheet.shapes = {kXlsName};
  Script({sheet});
  Open();
  for (const char* size : {"", "4 8", "48.0"}) {
    engine.DocSettings.DocWatermarkSize = size;
    server.ClearCalls();
    EXPECT_THROW(engine.AddWaterMark(), std::invalid_argument) << size;
    EXPECT_EQ(server.Log(), Lines{}) << size;
    EXPECT_EQ(server.Shapes(Sheet(1) + ".Shapes"), Lines{kXlsName}) << size;
  }
  engine.CloseExcelApp();
}

TEST_F(ExcelWorkbook, OpaqueHorizontalWatermarkPassesZeros) {
  SheetScript sheet;
  Script({sheet});
  Open();
  engine.DocSettings.Transparent = false;
  engine.DocSettings.HX = false;
  engine.DocSettings.DocWatermarkColor = 0x00123456;
  engine.DocSettings.DocWatermarkSize = "100";
  engine.AddWaterMark();
  const std::string shape = Sheet(1) + ".Shapes.AddTextEffect";
  const Lines log = server.Log();
  EXPECT_NE(IndexOf(log, "call " + Sheet(1) +
                             ".Shapes.AddTextEffect(Int(0), Str(\"Internal\"), "
                             "Str(\"Verdana\"), Int(100), Int(0), Int(0), Int(50), Int(50))"),
            -1);
  EXPECT_NE(IndexOf(log, "put " + shape + ".Rotation = Int(0)"), -1);
  EXPECT_NE(IndexOf(log, "put " + shape + ".Fill.Transparency = Int(0)"), -1);
  EXPECT_NE(IndexOf(log, "put " + shape + ".Fill.ForeColor.RGB = Int(" +
                             std::to_string(0x00123456) + ")"),
            -1);
  engine.CloseExcelApp();
}

TEST_F(ExcelWorkbook, ErrorsOfTheInsertionReachTheCaller) {
  SheetScript sheet;
  Script({sheet});
  Open();
  server.Fail(CallKind::Call, Sheet(1) + ".Shapes.AddTextEffect", "ZOrder", "cannot reorder");
  EXPECT_THROW(engine.AddWaterMark(), EOleError);
  EXPECT_EQ(Matching(server.Log(), ".Height = "), Lines{});
  engine.CloseExcelApp();
}

}  // namespace
}  // namespace stampwell::test
