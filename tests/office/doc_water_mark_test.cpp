#include "office/doc_water_mark.h"

#include "engine_test_support.h"
#include "platform/paths.h"

namespace stampwell::test {
namespace {

const std::string kShapes = "App.Selection.HeaderFooter.Shapes";
const std::string kShape = kShapes + ".AddTextEffect";
const std::string kSeek = "put App.ActiveWindow.ActivePane.View.SeekView = ";
const char kStartFailed[] =
    "Word open failed,please make sure your word worked at first\xEF\xBC\x81";

std::string Name(int n) { return "QuillmarkWaterMarkObject" + std::to_string(n); }

// The calls of one insertion under the settings the fixture uses.
Lines Insertion(const std::string& name, const std::string& transparency = "Cy(0.5)",
                const std::string& rotation = "Int(315)", const std::string& rgb = "Int(16744512)",
                const std::string& size = "Int(60)") {
  return {
      "call " + kShapes + ".AddTextEffect(Int(0), Str(\"DRAFT\"), Str(\"Arial\"), " + size +
          ", Int(0), Int(0), Int(0), Int(0))",
      "call " + kShape + ".Select()",
      "put " + kShape + ".Name = " + Str(name),
      "put " + kShape + ".TextEffect.NormalizedHeight = Int(0)",
      "put " + kShape + ".Line.Visible = Int(0)",
      "put " + kShape + ".Fill.Visible = Int(-1)",
      "call " + kShape + ".Fill.Solid()",
      "put " + kShape + ".Fill.ForeColor.RGB = " + rgb,
      "put " + kShape + ".Fill.Transparency = " + transparency,
      "put " + kShape + ".Rotation = " + rotation,
      "put " + kShape + ".LockAspectRatio = Bool(-1)",
      "put " + kShape + ".WrapFormat.AllowOverlap = Int(-1)",
      "put " + kShape + ".WrapFormat.Side = Int(0)",
      "put " + kShape + ".WrapFormat.Type = Int(3)",
      "put " + kShape + ".RelativeVerticalPosition = Int(0)",
      "put " + kShape + ".Left = Int(-999995)",
      "put " + kShape + ".Top = Int(-999995)",
  };
}

Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class WordEngine : public EngineFixture {
 protected:
  WordEngine() {
    server.SetValue("App.Documents", "Open", server.Object("Doc"));
    engine.PDFStack = &pdf;
    engine.DocSettings = {"DRAFT", "Arial", "60", 0x00FF8040, true, true};
  }

  // Scripts the page setup of the document that opens as "Doc".
  void Script(bool first, bool oddEven, int sections, int pages) {
    server.SetValue("Doc.PageSetup", "DifferentFirstPageHeaderFooter", first ? -1 : 0);
    server.SetValue("Doc.PageSetup", "OddAndEvenPagesHeaderFooter", oddEven ? -1 : 0);
    server.SetValue("Doc.Sections", "Count", sections);
    server.SetValue("Doc.BuiltInDocumentProperties(14)", "value", pages);
    server.SetShapes(kShapes, {});
  }

  // Opens a document with the given page setup, then forgets the calls so far.
  void OpenWith(bool first, bool oddEven, int sections, int pages) {
    Script(first, oddEven, sections, pages);
    ASSERT_TRUE(engine.OpenDoc("/jobs/in/report.doc"));
    server.ClearCalls();
  }

  // The shape names inserted, in order.
  Lines Inserted() const {
    Lines names;
    for (const auto& l : Matching(server.Log(), "put " + kShape + ".Name = "))
      names.push_back(l.substr(l.find("= ") + 2));
    return names;
  }

  TDocWaterMark engine;
};

// ---- start, open, finish, quit -------------------------------------------------------------

TEST_F(WordEngine, FreshEngineHasTheDefaultSettingsAndNoApplication) {
  TDocWaterMark fresh;
  EXPECT_EQ(fresh.DocSettings,
            (RDocSettings{"confidential", "Times New Roman", "", 0, false, false}));
  EXPECT_FALSE(fresh.AppStarted());
  EXPECT_EQ(fresh.PDFStack, nullptr);
  EXPECT_TRUE(server.Calls().empty());  // the constructor starts nothing
}

TEST_F(WordEngine, OpenStartsWordHiddenThenOpensReadOnly) {
  ASSERT_TRUE(engine.OpenDoc("/jobs/in/report.doc"));
  EXPECT_EQ(server.Log(),
            (Lines{"create Word.Application", "put App.Visible = Bool(0)",
                   "call App.Documents.Open(Str(\"/jobs/in/report.doc\"), Bool(0), Bool(-1), "
                   "Bool(0), Missing, Missing, Bool(-1))"}));
  EXPECT_EQ(server.Calls()[0].coInitializeCount, baseCo + 1);  // COM first, then the object
  EXPECT_TRUE(engine.AppStarted());
  EXPECT_EQ(engine.FileName(), "/jobs/in/report.doc");

  server.ClearCalls();
  ASSERT_TRUE(engine.OpenDoc("/jobs/in/second.doc"));
  EXPECT_EQ(server.Log().size(), 1u);  // the running Word serves the next file
  EXPECT_EQ(CoInitializeCount(), baseCo + 1);
  engine.CloseWordApp();
}

TEST_F(WordEngine, FailedOpenReturnsFalseSilentlyAndKeepsTheDocument) {
  OpenWith(false, false, 1, 1);
  server.Fail(CallKind::Call, "App.Documents", "Open", "file is corrupt");
  EXPECT_FALSE(engine.OpenDoc("/jobs/in/broken.doc"));
  EXPECT_EQ(engine.FileName(), "/jobs/in/broken.doc");  // stored before the try
  EXPECT_TRUE(messages.Messages().empty());
  engine.closeDoc(true);
  EXPECT_EQ(server.Log().back(), "call Doc.Save()");  // still the earlier document
  engine.CloseWordApp();
}

TEST_F(WordEngine, StartFailureShowsItsMessageWithItsReasonOnceAndOpenFails) {
  server.FailCreate("Word.Application", "no office");
  EXPECT_FALSE(engine.OpenDoc("/jobs/in/report.doc"));
  EXPECT_EQ(messages.Messages(), (Lines{std::string(kStartFailed) + "\nno office"}));
  EXPECT_FALSE(engine.OpenDoc("/jobs/in/second.doc"));  // tried again, told once
  EXPECT_EQ(messages.Messages().size(), 1u);
  EXPECT_FALSE(engine.AppStarted());
  EXPECT_EQ(CoInitializeCount(), baseCo);  // nothing runs, nothing stays initialised
  EXPECT_EQ(server.Log(), (Lines{"create Word.Application", "create Word.Application"}));
}

TEST_F(WordEngine, StartFailureAfterCreationKeepsTheApplication) {
  server.Fail(CallKind::Put, "App", "Visible", "hidden windows refused");
  engine.OpenWordApp();
  EXPECT_EQ(messages.Messages(), (Lines{std::string(kStartFailed) + "\nhidden windows refused"}));
  EXPECT_TRUE(engine.AppStarted());
  engine.CloseWordApp();
  EXPECT_EQ(CoInitializeCount(), baseCo);
}

TEST_F(WordEngine, CloseSavesInPlaceOrClosesWithoutSaving) {
  OpenWith(false, false, 1, 1);
  engine.closeDoc(true);
  engine.closeDoc(false);
  EXPECT_EQ(server.Log(), (Lines{"call Doc.Save()", "call Doc.Close(Int(0), Missing, Missing)"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, SaveAsPassesThePathAndTenPlaceholders) {
  OpenWith(false, false, 1, 1);
  engine.SaveAs("/jobs/out/report.doc");
  EXPECT_EQ(server.Log(),
            (Lines{"call Doc.SaveAs(Str(\"/jobs/out/report.doc\"), " + Placeholders(10) + ")"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, QuitEmptiesTheApplicationAndReleasesCom) {
  OpenWith(false, false, 1, 1);
  ASSERT_EQ(CoInitializeCount(), baseCo + 1);
  engine.CloseWordApp();
  EXPECT_EQ(server.Log(), (Lines{"call App.Quit()"}));
  EXPECT_FALSE(engine.AppStarted());
  EXPECT_EQ(CoInitializeCount(), baseCo);
}

TEST_F(WordEngine, FailingCallsOutsideTheOpensReachTheCaller) {
  OpenWith(false, false, 1, 1);
  server.Fail(CallKind::Call, "Doc", "SaveAs", "disk full");
  EXPECT_THROW(engine.SaveAs("/x.doc"), EOleError);
  server.Fail(CallKind::Call, "App", "Quit", "busy");
  EXPECT_THROW(engine.CloseWordApp(), EOleError);
  EXPECT_TRUE(engine.AppStarted());  // state stays as it was
  engine.CloseWordApp();
}

// ---- printing ------------------------------------------------------------------------------

TEST_F(WordEngine, PrintToPdfMakesThePdfPrinterActiveAndPrintsInTheForeground) {
  OpenWith(false, false, 1, 1);
  engine.PrintToPDF();
  engine.PrintToPDFFile("/jobs/out/report.pdf");
  const Lines once{"put App.ActivePrinter = " + Str(kPrinter),
                   "call App.PrintOut(Bool(0), " + Placeholders(18) + ")"};
  EXPECT_EQ(server.Log(), once + once);
  engine.CloseWordApp();
}

TEST_F(WordEngine, PrintToPrinterUsesTheActivePrinter) {
  OpenWith(false, false, 1, 1);
  engine.PrintToPrinter();
  EXPECT_EQ(server.Log(), (Lines{"call App.PrintOut(Bool(0), " + Placeholders(18) + ")"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, PrintToPdfWithoutAStackRaisesBeforeAnyCall) {
  OpenWith(false, false, 1, 1);
  engine.PDFStack = nullptr;
  EXPECT_THROW(engine.PrintToPDF(), std::logic_error);
  EXPECT_TRUE(server.Log().empty());
  engine.CloseWordApp();
}

TEST_F(WordEngine, ClearPdfDirtyPrintsTheSampleOfTheProgramFolder) {
  ScopedProgramDir dir;
  OpenWith(false, false, 1, 1);
  engine.ClearPDFDirty();
  EXPECT_EQ(server.Log(), (Lines{"call App.Documents.Open(" + Str(dir.Path() + "Sample.doc") +
                                     ", Bool(0), Bool(-1), Bool(0), Missing, Missing, Bool(-1))",
                                 "put App.ActivePrinter = " + Str(kPrinter),
                                 "call App.PrintOut(Bool(0), " + Placeholders(18) + ")",
                                 "call Doc.Close(Int(0), Missing, Missing)"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, ClearPdfDirtyTouchesNoOtherDocumentWhenTheSampleWillNotOpen) {
  OpenWith(false, false, 1, 1);
  server.Fail(CallKind::Call, "App.Documents", "Open", "no sample");
  engine.ClearPDFDirty();
  EXPECT_EQ(Matching(server.Log(), "PrintOut"), Lines{});
  EXPECT_EQ(Matching(server.Log(), "Close"), Lines{});
  engine.CloseWordApp();
}

// ---- the preview document ------------------------------------------------------------------

TEST_F(WordEngine, NewSwDocBuildsThePreview) {
  server.SetValue("App.Documents", "Add", server.Object("Preview"));
  ASSERT_TRUE(engine.NewSWDoc(true));
  Lines log = server.Log();
  ASSERT_EQ(log.size(), 10u);
  EXPECT_EQ(
      Lines(log.begin(), log.begin() + 8),
      (Lines{"create Word.Application", "put App.Visible = Bool(0)", "put App.Visible = Bool(-1)",
             "call App.Documents.Add(Str(\"Normal\"), Int(0), Int(0), Bool(-1))",
             "put App.Selection.ParagraphFormat.Alignment = Int(1)",
             "put App.Selection.Font.Size = Int(28)",
             "call App.Selection.TypeText(Str(\"Stampwell\"))",
             "call App.Selection.TypeParagraph()"}));
  // The second line is ours to choose: some text ending with a space.
  EXPECT_EQ(log[8].rfind("call App.Selection.TypeText(Str(\"", 0), 0u) << log[8];
  EXPECT_EQ(log[8].substr(log[8].size() - 4), " \"))") << log[8];
  EXPECT_EQ(log[9], "call App.Selection.MoveRight(Int(1), Int(1), Int(1))");
  // The stamp that follows goes to the preview document.
  server.SetValue("Preview.PageSetup", "DifferentFirstPageHeaderFooter", 0);
  server.SetValue("Preview.PageSetup", "OddAndEvenPagesHeaderFooter", 0);
  server.SetValue("Preview.Sections", "Count", 1);
  server.SetShapes(kShapes, {});
  server.ClearCalls();
  engine.AddWaterMark();
  EXPECT_EQ(server.Log()[0], "get Preview.PageSetup.DifferentFirstPageHeaderFooter");
  engine.CloseWordApp();
}

TEST_F(WordEngine, NewSwDocHiddenForTheJobEnd) {
  ASSERT_TRUE(engine.NewSWDoc(false));
  EXPECT_EQ(server.Log()[2], "put App.Visible = Bool(0)");
  engine.CloseWordApp();
}

TEST_F(WordEngine, NewSwDocShowsTheErrorsOwnMessage) {
  server.Fail(CallKind::Call, "App.Selection", "TypeParagraph", "The selection is locked");
  EXPECT_FALSE(engine.NewSWDoc(true));
  EXPECT_EQ(messages.Messages(), (Lines{"The selection is locked"}));
  EXPECT_EQ(Matching(server.Log(), "MoveRight"), Lines{});  // stops at the failing step
  engine.CloseWordApp();
}

// ---- AddWaterMark: which headers -----------------------------------------------------------

TEST_F(WordEngine, OneSectionCallForCall) {
  OpenWith(false, false, 1, 1);
  engine.AddWaterMark();
  EXPECT_EQ(server.Log(),
            (Lines{"get Doc.PageSetup.DifferentFirstPageHeaderFooter",
                   "get Doc.PageSetup.OddAndEvenPagesHeaderFooter", "get Doc.Sections.Count",
                   "call Doc.Sections.Item(1).Range.Select()", kSeek + "Int(9)",
                   "get " + kShapes + ".Count"} +
             Insertion(Name(1)) + Lines{kSeek + "Int(0)"}));
  EXPECT_EQ(server.Shapes(kShapes), (Lines{Name(1)}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, ThreeSectionsGetOneShapeEachAndKeepThreeWhenStampedAgain) {
  OpenWith(false, false, 3, 5);
  engine.AddWaterMark();
  EXPECT_EQ(server.Shapes(kShapes), (Lines{Name(1), Name(2), Name(3)}));
  Lines log = server.Log();
  // Section i is selected and its header shown before its shape goes in.
  int at = 0;
  for (int i = 1; i <= 3; ++i) {
    at = IndexOf(log, "call Doc.Sections.Item(" + std::to_string(i) + ").Range.Select()", at);
    ASSERT_GE(at, 0) << i;
    EXPECT_EQ(log[at + 1], kSeek + "Int(9)");
    int name = IndexOf(log, "put " + kShape + ".Name = " + Str(Name(i)), at);
    ASSERT_GT(name, at);
  }
  EXPECT_EQ(Matching(log, "BuiltInDocumentProperties"), Lines{});  // pages are not needed
  EXPECT_EQ(Matching(log, "get Doc.Sections.Count").size(), 1u);   // read once

  server.ClearCalls();
  engine.AddWaterMark();
  EXPECT_EQ(server.Shapes(kShapes), (Lines{Name(1), Name(2), Name(3)}));
  log = server.Log();
  EXPECT_EQ(Matching(log, ".Delete()"),
            (Lines{"call " + kShapes + ".Item(1).Delete()", "call " + kShapes + ".Item(1).Delete()",
                   "call " + kShapes + ".Item(1).Delete()"}));
  // Each deletion comes before the insertion of its replacement.
  for (int i = 1; i <= 3; ++i) {
    int select = IndexOf(log, "call Doc.Sections.Item(" + std::to_string(i) + ").Range.Select()");
    int del = IndexOf(log, "call " + kShapes + ".Item(1).Delete()", select);
    int put = IndexOf(log, "put " + kShape + ".Name = " + Str(Name(i)), select);
    EXPECT_LT(select, del);
    EXPECT_LT(del, put);
  }
  engine.CloseWordApp();
}

TEST_F(WordEngine, DifferentFirstPageWithOnePageGetsNothing) {
  OpenWith(true, false, 1, 1);
  engine.AddWaterMark();
  EXPECT_EQ(server.Log(), (Lines{"get Doc.PageSetup.DifferentFirstPageHeaderFooter",
                                 "get Doc.PageSetup.OddAndEvenPagesHeaderFooter",
                                 "get Doc.BuiltInDocumentProperties(14).value", kSeek + "Int(0)"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, DifferentFirstPageWithTwoPagesStampsThePrimaryHeader) {
  OpenWith(true, false, 2, 2);
  engine.AddWaterMark();
  EXPECT_EQ(server.Log(), (Lines{"get Doc.PageSetup.DifferentFirstPageHeaderFooter",
                                 "get Doc.PageSetup.OddAndEvenPagesHeaderFooter",
                                 "get Doc.BuiltInDocumentProperties(14).value", kSeek + "Int(1)",
                                 "get " + kShapes + ".Count"} +
                           Insertion(Name(1)) + Lines{kSeek + "Int(0)"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, OddAndEvenWithThreePagesGetsNothing) {
  OpenWith(false, true, 1, 3);
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), "AddTextEffect"), Lines{});
  EXPECT_EQ(Matching(server.Log(), "SeekView"), (Lines{kSeek + "Int(0)"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, OddAndEvenWithFourPagesStampsTheEvenPagesHeader) {
  OpenWith(false, true, 1, 4);
  engine.AddWaterMark();
  EXPECT_EQ(server.Log(), (Lines{"get Doc.PageSetup.DifferentFirstPageHeaderFooter",
                                 "get Doc.PageSetup.OddAndEvenPagesHeaderFooter",
                                 "get Doc.BuiltInDocumentProperties(14).value", kSeek + "Int(3)",
                                 "get " + kShapes + ".Count"} +
                           Insertion(Name(2)) + Lines{kSeek + "Int(0)"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, BothFlagsTakeOnlyTheOddAndEvenBranch) {
  OpenWith(true, true, 1, 4);
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), "SeekView"), (Lines{kSeek + "Int(3)", kSeek + "Int(0)"}));
  EXPECT_EQ(Inserted(), (Lines{Str(Name(2))}));
  EXPECT_EQ(Matching(server.Log(), "Sections"), Lines{});
  engine.CloseWordApp();
}

// ---- AddWaterMark: earlier shapes ----------------------------------------------------------

TEST_F(WordEngine, EarlierShapeOfTheSameNameIsDeletedBeforeTheInsertion) {
  OpenWith(false, false, 1, 1);
  server.SetShapes(kShapes, {"Logo", Name(1)});
  engine.AddWaterMark();
  const std::string count = "get " + kShapes + ".Count";
  const std::string name1 = "get " + kShapes + ".Item(1).Name";
  const std::string name2 = "get " + kShapes + ".Item(2).Name";
  EXPECT_EQ(server.Log(),
            (Lines{"get Doc.PageSetup.DifferentFirstPageHeaderFooter",
                   "get Doc.PageSetup.OddAndEvenPagesHeaderFooter", "get Doc.Sections.Count",
                   "call Doc.Sections.Item(1).Range.Select()", kSeek + "Int(9)", count, name1,
                   name2, count, name1, name2, "call " + kShapes + ".Item(2).Delete()"} +
             Insertion(Name(1)) + Lines{kSeek + "Int(0)"}));
  EXPECT_EQ(server.Shapes(kShapes), (Lines{"Logo", Name(1)}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, NamesMatchingOnlyInPartOrInCaseAreKept) {
  OpenWith(false, false, 1, 1);
  server.SetShapes(kShapes, {"quillmarkWaterMarkObject1", Name(1) + " ", Name(11)});
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), "Delete"), Lines{});
  EXPECT_EQ(server.Shapes(kShapes),
            (Lines{"quillmarkWaterMarkObject1", Name(1) + " ", Name(11), Name(1)}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, OnlyTheFirstOfTwoEqualNamesIsDeleted) {
  OpenWith(false, false, 1, 1);
  server.SetShapes(kShapes, {Name(1), "Logo", Name(1)});
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), "Delete"), (Lines{"call " + kShapes + ".Item(1).Delete()"}));
  EXPECT_EQ(server.Shapes(kShapes), (Lines{"Logo", Name(1), Name(1)}));
  engine.CloseWordApp();
}

// ---- AddWaterMark: bad sizes ---------------------------------------------------------------

class WordBadSize : public WordEngine, public ::testing::WithParamInterface<const char*> {};

TEST_P(WordBadSize, RaisesBeforeTheInsertionAfterTheEarlierShapeWasDeleted) {
  OpenWith(false, false, 2, 2);
  server.SetShapes(kShapes, {Name(1), Name(2)});
  engine.DocSettings.DocWatermarkSize = GetParam();
  EXPECT_THROW(engine.AddWaterMark(), std::invalid_argument);
  const Lines log = server.Log();
  EXPECT_EQ(log.back(), "call " + kShapes + ".Item(1).Delete()");  // nothing after it
  EXPECT_EQ(Matching(log, "AddTextEffect"), Lines{});
  EXPECT_EQ(server.Shapes(kShapes), (Lines{Name(2)}));  // section 2 was never reached
  engine.CloseWordApp();
}

INSTANTIATE_TEST_SUITE_P(Sizes, WordBadSize, ::testing::Values("60.5", "sixty", "60pt", "1e2"));

TEST_F(WordEngine, EmptySizeOfAFreshEngineRaisesAtTheFirstInsertion) {
  Script(false, false, 1, 1);
  server.SetShapes(kShapes, {Name(1)});
  TDocWaterMark fresh;
  ASSERT_TRUE(fresh.OpenDoc("/a.doc"));
  EXPECT_THROW(fresh.AddWaterMark(), std::invalid_argument);
  EXPECT_EQ(server.Log().back(), "call " + kShapes + ".Item(1).Delete()");
  EXPECT_EQ(Matching(server.Log(), "AddTextEffect"), Lines{});
  EXPECT_EQ(server.Shapes(kShapes), Lines{});
  fresh.CloseWordApp();
}

// ---- AddWaterMark: argument values ---------------------------------------------------------

TEST_F(WordEngine, HorizontalOpaqueWatermarkPassesZeros) {
  OpenWith(false, false, 1, 1);
  engine.DocSettings.Transparent = false;
  engine.DocSettings.HX = false;
  engine.DocSettings.DocWatermarkSize = "36";
  engine.AddWaterMark();
  Lines log = server.Log();
  Lines insertion(log.begin() + 6, log.end() - 1);
  EXPECT_EQ(insertion, Insertion(Name(1), "Int(0)", "Int(0)", "Int(16744512)", "Int(36)"));
  engine.CloseWordApp();
}

TEST_F(WordEngine, SystemColourPassesUnchanged) {
  OpenWith(false, false, 1, 1);
  engine.DocSettings.DocWatermarkColor = 0xFF000005;  // a system colour index
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), ".RGB = "),
            (Lines{"put " + kShape + ".Fill.ForeColor.RGB = Int(" +
                   std::to_string(std::int32_t(0xFF000005)) + ")"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, EachWrapFormatSettingReadsWrapFormatAgain) {
  OpenWith(false, false, 1, 1);
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.FullLog(), "get " + kShape + ".WrapFormat").size(), 3u);
  engine.CloseWordApp();
}

TEST_F(WordEngine, ErrorInsideAddWaterMarkLeavesTheHeaderView) {
  OpenWith(false, false, 2, 2);
  server.Fail(CallKind::Put, kShape, "Rotation", "rotation refused", 2);
  EXPECT_THROW(engine.AddWaterMark(), EOleError);
  EXPECT_EQ(Matching(server.Log(), "SeekView").back(), kSeek + "Int(9)");
  EXPECT_EQ(server.Shapes(kShapes), (Lines{Name(1), Name(2)}));  // stamped so far stay
  engine.CloseWordApp();
}

}  // namespace
}  // namespace stampwell::test
