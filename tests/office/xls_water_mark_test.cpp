#include "office/xls_water_mark.h"

#include "engine_test_support.h"

namespace stampwell::test {
namespace {

const std::string kShapes = "App.ActiveSheet.Shapes";
const std::string kShape = kShapes + ".AddTextEffect";
const std::string kName = "QuillmarkWaterMarkObject1";
const char kStartFailed[] =
    "Excel open failed,please make sure your excel worked at first\xEF\xBC\x81";

Lines Insertion(const std::string& transparency = "Cy(0.7)",
                const std::string& rotation = "Int(315)", const std::string& rgb = "Int(255)",
                const std::string& size = "Int(48)") {
  return {
      "call " + kShapes + ".AddTextEffect(Int(0), Str(\"Internal\"), Str(\"Verdana\"), " + size +
          ", Int(0), Int(0), Int(50), Int(50))",
      "call " + kShape + ".Select()",
      "put " + kShape + ".Name = " + Str(kName),
      "call " + kShape + ".ScaleHeight(Cy(1.23), Bool(0))",
      "call " + kShape + ".ScaleWidth(Cy(1.6), Bool(0))",
      "put " + kShape + ".Fill.Visible = Bool(-1)",
      "put " + kShape + ".Fill.Transparency = " + transparency,
      "put " + kShape + ".Rotation = " + rotation,
      "put " + kShape + ".Fill.ForeColor.RGB = " + rgb,
      "put " + kShape + ".Line.Weight = Cy(0.75)",
      "put " + kShape + ".Line.DashStyle = Int(1)",
      "put " + kShape + ".Line.Style = Int(1)",
      "put " + kShape + ".Line.Transparency = " + transparency,
      "put " + kShape + ".Line.Visible = Bool(0)",
      "put " + kShape + ".Line.BackColor.RGB = " + rgb,
      "call " + kShape + ".ZOrder(Int(1))",
      "put " + kShape + ".Height = Int(80)",
      "put " + kShape + ".Width = Int(400)",
  };
}

class ExcelEngine : public EngineFixture {
 protected:
  ExcelEngine() {
    server.SetValue("App.workBooks", "Open", server.Object("Book"));
    server.SetShapes(kShapes, {});
    engine.PDFStack = &pdf;
    engine.DocSettings = {"Internal", "Verdana", "48", 0x000000FF, true, true};
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
  EXPECT_EQ(messages.Messages(), (Lines{std::string(kStartFailed) + "\nno office"}));
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

TEST_F(ExcelEngine, AddWaterMarkCallForCall) {
  Open();
  engine.AddWaterMark();
  Lines expected{"get " + kShapes + ".Count"};
  for (const auto& l : Insertion()) expected.push_back(l);
  EXPECT_EQ(server.Log(), expected);
  EXPECT_EQ(server.Shapes(kShapes), (Lines{kName}));
  engine.CloseExcelApp();
}

TEST_F(ExcelEngine, OpaqueHorizontalWatermarkPassesZeros) {
  Open();
  engine.DocSettings.Transparent = false;
  engine.DocSettings.HX = false;
  engine.DocSettings.DocWatermarkColor = 0x00123456;
  engine.DocSettings.DocWatermarkSize = "100";
  engine.AddWaterMark();
  Lines log = server.Log();
  EXPECT_EQ(Lines(log.begin() + 1, log.end()),
            Insertion("Int(0)", "Int(0)", "Int(" + std::to_string(0x00123456) + ")", "Int(100)"));
  engine.CloseExcelApp();
}

TEST_F(ExcelEngine, EarlierShapeIsReplacedAndASecondOfTheSameNameSurvives) {
  Open();
  server.SetShapes(kShapes, {"Chart 1", kName, kName});
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), "Delete"), (Lines{"call " + kShapes + ".Item(2).Delete()"}));
  EXPECT_LT(IndexOf(server.Log(), "call " + kShapes + ".Item(2).Delete()"),
            IndexOf(server.Log(), Insertion()[0]));
  EXPECT_EQ(server.Shapes(kShapes), (Lines{"Chart 1", kName, kName}));
  server.ClearCalls();
  engine.AddWaterMark();  // the first found is replaced again; the count stays
  EXPECT_EQ(server.Shapes(kShapes), (Lines{"Chart 1", kName, kName}));
  engine.CloseExcelApp();
}

TEST_F(ExcelEngine, CaseDifferentNameIsNotOurs) {
  Open();
  server.SetShapes(kShapes, {"QuillmarkWatermarkObject1"});
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), "Delete"), Lines{});
  EXPECT_EQ(server.Shapes(kShapes), (Lines{"QuillmarkWatermarkObject1", kName}));
  engine.CloseExcelApp();
}

TEST_F(ExcelEngine, BadSizeRaisesAfterTheDeleteAndBeforeTheInsertion) {
  Open();
  server.SetShapes(kShapes, {kName});
  for (const char* size : {"", "4 8", "48.0"}) {
    engine.DocSettings.DocWatermarkSize = size;
    server.SetShapes(kShapes, {kName});
    server.ClearCalls();
    EXPECT_THROW(engine.AddWaterMark(), std::invalid_argument) << size;
    EXPECT_EQ(server.Log().back(), "call " + kShapes + ".Item(1).Delete()") << size;
    EXPECT_EQ(server.Shapes(kShapes), Lines{}) << size;
  }
  engine.CloseExcelApp();
}

TEST_F(ExcelEngine, ErrorsOfTheInsertionReachTheCaller) {
  Open();
  server.Fail(CallKind::Call, kShape, "ZOrder", "cannot reorder");
  EXPECT_THROW(engine.AddWaterMark(), EOleError);
  EXPECT_EQ(Matching(server.Log(), ".Height = "), Lines{});
  engine.CloseExcelApp();
}

}  // namespace
}  // namespace stampwell::test
