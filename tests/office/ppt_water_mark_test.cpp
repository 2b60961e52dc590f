// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ppt_water_mark.h"

#include "engine_test_support.h"

namespace stampwell::test {
namespace {

const std::string kPres = "App.ActivePresentation";
const std::string kPptMaster = kPres + ".SlideMaster";
const std::string kPptShapes = kPptMaster + ".Shapes";
const std::string kPptShape = kPptShapes + ".AddTextEffect";
const std::string kPptName = "QuillmarkWaterMarkObject1";
const std::string kView = "put App.ActiveWindow.ViewType = ";
const char kPptStartFailed[] =
    "Powerpoint open failed,please make sure your Powerpoint worked at first\xEF\xBC\x81";

class PowerPointEngine : public EngineFixture {
 protected:
  PowerPointEngine() {
    server.SetShapes(kPptShapes, {});
    Sizes(720, 540, 301, 100);
    engine.PDFStack = &pdf;
    engine.DocSettings = {"Secret", "Georgia", "54", 0x00336699, true, true};
  }

  void Sizes(double masterW, double masterH, double shapeW, double shapeH) {
    server.SetValue(kPptMaster, "Width", masterW);
    server.SetValue(kPptMaster, "Height", masterH);
    server.SetValue(kPptShape, "Width", shapeW);
    server.SetValue(kPptShape, "Height", shapeH);
  }

  void Open() {
    ASSERT_TRUE(engine.OpenPpt("/jobs/in/deck.ppt"));
    server.ClearCalls();
  }

  // The value put into the new shape's member, e.g. "Int(210)".
  std::string PutValue(const std::string& member) const {
    Lines puts = Matching(server.Log(), "put " + kPptShape + "." + member + " = ");
    if (puts.size() != 1) return "(" + std::to_string(puts.size()) + " puts)";
    return puts[0].substr(puts[0].find(" = ") + 3);
  }

  TPptWaterMark engine;
};

TEST_F(PowerPointEngine, FreshEngineHasTheDefaultSettings) {
  TPptWaterMark fresh;
  EXPECT_EQ(fresh.DocSettings,
            (RDocSettings{"confidential", "Times New Roman", "", 0, false, false}));
  EXPECT_FALSE(fresh.AppStarted());
}

TEST_F(PowerPointEngine, StartMinimisesThenShowsAndOpensThePath) {
  ASSERT_TRUE(engine.OpenPpt("/jobs/in/deck.ppt"));
  EXPECT_EQ(server.Log(), (Lines{"create PowerPoint.Application", "put App.WindowState = Int(2)",
                                 "put App.Visible = Bool(-1)",
                                 "call App.Presentations.Open(Str(\"/jobs/in/deck.ppt\"))"}));
  EXPECT_EQ(server.Calls()[0].coInitializeCount, baseCo + 1);
  EXPECT_EQ(engine.FileName(), "/jobs/in/deck.ppt");
  engine.ClosePptApp();
  EXPECT_EQ(server.Log().back(), "call App.Quit()");
  EXPECT_FALSE(engine.AppStarted());
  EXPECT_EQ(CoInitializeCount(), baseCo);
}

TEST_F(PowerPointEngine, StartFailureShowsItsMessageAndOpenFailsSilently) {
  server.FailCreate("PowerPoint.Application", "no office");
  EXPECT_FALSE(engine.OpenPpt("/jobs/in/deck.ppt"));
  EXPECT_FALSE(engine.OpenPpt("/jobs/in/deck.ppt"));  // tried again, told once, with its reason
  EXPECT_EQ(messages.Messages(), (Lines{std::string(kPptStartFailed) + "\nno office"}));
  EXPECT_EQ(CoInitializeCount(), baseCo);
}

TEST_F(PowerPointEngine, FailedOpenReturnsFalseWithoutMessage) {
  server.Fail(CallKind::Call, "App.Presentations", "Open", "damaged");
  EXPECT_FALSE(engine.OpenPpt("/jobs/in/deck.ppt"));
  EXPECT_TRUE(messages.Messages().empty());
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, FileOperationsGoThroughTheActivePresentation) {
  Open();
  engine.SaveAs("/jobs/in/deck.ppt");
  engine.closePpt(true);
  engine.closePpt(false);
  EXPECT_EQ(server.Log(), (Lines{"call " + kPres + ".SaveAs(Str(\"/jobs/in/deck.ppt\"))",
                                 "call " + kPres + ".Save()", "call " + kPres + ".Close()"}));
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, PrintSetsForegroundAndPrinterThenPrints) {
  Open();
  engine.PrintToPDFFile("/jobs/out/deck.pdf");
  EXPECT_EQ(server.Log(), (Lines{"put " + kPres + ".PrintOptions.PrintInBackground = Int(0)",
                                 "put " + kPres + ".PrintOptions.ActivePrinter = " + Str(kPrinter),
                                 "call " + kPres + ".PrintOut()"}));
  engine.PDFStack = nullptr;
  EXPECT_THROW(engine.PrintToPDF(), std::logic_error);
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, AddWaterMarkCallForCall) {
  Open();
  engine.AddWaterMark();
  const std::string rgb = "Int(" + std::to_string(0x00336699) + ")";
  EXPECT_EQ(server.Log(),
            (Lines{
                "get " + kPptShapes + ".Count",
                "call " + kPptShapes +
                    ".AddTextEffect(Int(0), Str(\"Secret\"), Str(\"Georgia\"), Int(54), Int(0), "
                    "Int(0), Int(50), Int(50))",
                kView + "Int(2)",
                "call " + kPptShape + ".Select()",
                "put " + kPptShape + ".Name = " + Str(kPptName),
                "call " + kPptShape + ".ScaleHeight(Cy(1.23), Bool(0))",
                "call " + kPptShape + ".ScaleWidth(Cy(1.6), Bool(0))",
                "put " + kPptShape + ".Fill.Visible = Bool(-1)",
                "put " + kPptShape + ".Fill.Transparency = Cy(0.7)",
                "put " + kPptShape + ".Rotation = Int(315)",
                "put " + kPptShape + ".Fill.ForeColor.RGB = " + rgb,
                "put " + kPptShape + ".Line.Weight = Cy(0.75)",
                "put " + kPptShape + ".Line.DashStyle = Int(1)",
                "put " + kPptShape + ".Line.Style = Int(1)",
                "put " + kPptShape + ".Line.Transparency = Cy(0.7)",
                "put " + kPptShape + ".Line.Visible = Bool(0)",
                "put " + kPptShape + ".Line.BackColor.RGB = " + rgb,
                "get " + kPptMaster + ".Width",
                "get " + kPptShape + ".Width",
                "get " + kPptMaster + ".Height",
                "get " + kPptShape + ".Height",
                "put " + kPptShape + ".Left = Int(210)",
                "put " + kPptShape + ".Top = Int(220)",
                "call " + kPptShape + ".ZOrder(Int(1))",
                kView + "Int(1)",
            }));
  EXPECT_EQ(server.Shapes(kPptShapes), (Lines{kPptName}));
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, OpaqueHorizontalWatermarkPassesZeros) {
  Open();
  engine.DocSettings.Transparent = false;
  engine.DocSettings.HX = false;
  engine.AddWaterMark();
  EXPECT_EQ(PutValue("Fill.Transparency"), "Int(0)");
  EXPECT_EQ(PutValue("Line.Transparency"), "Int(0)");
  EXPECT_EQ(PutValue("Rotation"), "Int(0)");
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, CentringRoundsHalvesToEven) {
  struct Case {
    double shapeW, shapeH;
    const char *left, *top;
  } cases[] = {
      {301, 100, "Int(210)", "Int(220)"},  // 209.5 -> 210
      {303, 100, "Int(208)", "Int(220)"},  // 208.5 -> 208
      {300, 101, "Int(210)", "Int(220)"},  // top 219.5 -> 220
      {300, 103, "Int(210)", "Int(218)"},  // top 218.5 -> 218
      {300.4, 99.6, "Int(210)", "Int(220)"},
      {301.2, 100.8, "Int(209)", "Int(220)"},  // 209.4 -> 209, 219.6 -> 220
      {800, 600, "Int(-40)", "Int(-30)"},      // larger than the master
      {801, 601, "Int(-40)", "Int(-30)"},      // -40.5 -> -40, -30.5 -> -30
  };
  Open();
  for (const auto& c : cases) {
    Sizes(720, 540, c.shapeW, c.shapeH);
    server.SetShapes(kPptShapes, {});
    server.ClearCalls();
    engine.AddWaterMark();
    EXPECT_EQ(PutValue("Left"), c.left) << c.shapeW;
    EXPECT_EQ(PutValue("Top"), c.top) << c.shapeH;
  }
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, SizesAreReadAfterTheScalingAndBothSetAfterBothAreComputed) {
  Open();
  engine.AddWaterMark();
  Lines log = server.Log();
  int scale = IndexOf(log, "call " + kPptShape + ".ScaleWidth(Cy(1.6), Bool(0))");
  int lastRead = IndexOf(log, "get " + kPptShape + ".Height");
  int left = IndexOf(log, "put " + kPptShape + ".Left = Int(210)");
  ASSERT_GE(scale, 0);
  EXPECT_LT(scale, IndexOf(log, "get " + kPptShape + ".Width"));
  EXPECT_LT(lastRead, left);
  EXPECT_EQ(IndexOf(log, "put " + kPptShape + ".Top = Int(220)"), left + 1);
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, StampingTwiceLeavesOneShapeOnTheMaster) {
  Open();
  server.SetShapes(kPptShapes, {"Title Placeholder 1", kPptName});
  engine.AddWaterMark();
  engine.AddWaterMark();
  EXPECT_EQ(server.Shapes(kPptShapes), (Lines{"Title Placeholder 1", kPptName}));
  EXPECT_EQ(Matching(server.Log(), "Delete").size(), 2u);
  EXPECT_EQ(Matching(server.Log(), "Slides"), Lines{});  // the slides are never touched
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, BadSizeRaisesBeforeTheMasterViewIsShown) {
  Open();
  server.SetShapes(kPptShapes, {kPptName});
  engine.DocSettings.DocWatermarkSize = "54px";
  EXPECT_THROW(engine.AddWaterMark(), std::invalid_argument);
  EXPECT_EQ(server.Log().back(), "call " + kPptShapes + ".Item(1).Delete()");
  EXPECT_EQ(Matching(server.Log(), "ViewType"), Lines{});
  engine.ClosePptApp();
}

TEST_F(PowerPointEngine, ErrorAfterTheViewSwitchLeavesTheMasterView) {
  Open();
  server.Fail(CallKind::Put, kPptShape, "Name", "name refused");
  EXPECT_THROW(engine.AddWaterMark(), EOleError);
  EXPECT_EQ(Matching(server.Log(), "ViewType"), (Lines{kView + "Int(2)"}));
  engine.ClosePptApp();
}

}  // namespace
}  // namespace stampwell::test
