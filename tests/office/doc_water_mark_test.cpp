// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/doc_water_mark.h"

#include <set>

#include "engine_test_support.h"
#include "platform/paths.h"

namespace stampwell::test {
namespace {

const std::string kDocShapes = "App.Selection.HeaderFooter.Shapes";
const std::string kDocShape = kDocShapes + ".AddTextEffect";
const std::string kSeek = "put App.ActiveWindow.ActivePane.View.SeekView = ";
const char kDocStartFailed[] =
    "Word open failed,please make sure your word worked at first\xEF\xBC\x81";

std::string Name(int n) { return "QuillmarkWaterMarkObject" + std::to_string(n); }

// The calls of one insertion under the settings the fixture uses.
Lines Insertion(const std::string& name, const std::string& transparency = "Cy(0.5)",
                const std::string& rotation = "Int(315)", const std::string& rgb = "Int(16744512)",
                const std::string& size = "Int(60)") {
  return {
      "call " + kDocShapes + ".AddTextEffect(Int(0), Str(\"DRAFT\"), Str(\"Arial\"), " + size +
          ", Int(0), Int(0), Int(0), Int(0))",
      "call " + kDocShape + ".Select()",
      "put " + kDocShape + ".Name = " + Str(name),
      "put " + kDocShape + ".TextEffect.NormalizedHeight = Int(0)",
      "put " + kDocShape + ".Line.Visible = Int(0)",
      "put " + kDocShape + ".Fill.Visible = Int(-1)",
      "call " + kDocShape + ".Fill.Solid()",
      "put " + kDocShape + ".Fill.ForeColor.RGB = " + rgb,
      "put " + kDocShape + ".Fill.Transparency = " + transparency,
      "put " + kDocShape + ".Rotation = " + rotation,
      "put " + kDocShape + ".LockAspectRatio = Bool(-1)",
      "put " + kDocShape + ".WrapFormat.AllowOverlap = Int(-1)",
      "put " + kDocShape + ".WrapFormat.Side = Int(0)",
      "put " + kDocShape + ".WrapFormat.Type = Int(3)",
      "put " + kDocShape + ".RelativeVerticalPosition = Int(0)",
      "put " + kDocShape + ".Left = Int(-999995)",
      "put " + kDocShape + ".Top = Int(-999995)",
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

  // Scripts the document that opens as "Doc": its sections, and which of them have a
  // different first page, different odd and even pages, or headers linked to the previous
  // section's (sections counted from 1).
  void Script(int sections, std::set<int> first = {}, std::set<int> oddEven = {},
              std::set<int> linked = {}) {
    server.SetValue("Doc.Sections", "Count", sections);
    for (int i = 1; i <= sections; ++i) {
      const std::string setup = "Doc.Sections.Item(" + std::to_string(i) + ").PageSetup";
      server.SetValue(setup, "DifferentFirstPageHeaderFooter", first.count(i) ? -1 : 0);
      server.SetValue(setup, "OddAndEvenPagesHeaderFooter", oddEven.count(i) ? -1 : 0);
      server.SetHandler("Doc.Sections.Item(" + std::to_string(i) + ").Range", "Select",
                        [this, i, linked](const std::vector<OleVariant>&) {
                          server.SetValue("App.Selection.HeaderFooter", "LinkToPrevious",
                                          linked.count(i) ? -1 : 0);
                          return OleVariant();
                        });
    }
    server.SetShapes(kDocShapes, {});
    server.SetShapes("Doc.Shapes", {});
  }

  // Scripts one shape of the body (Doc.Shapes.Item(i)): its wrapping, size in points, type,
  // fill, and the object its Anchor gives. The page is 612 by 792 points.
  OleVariant Body(int i, int wrap, double width, double height, int type, bool filled = true,
                  double transparency = 0) {
    const std::string item = "Doc.Shapes.Item(" + std::to_string(i) + ")";
    server.SetValue(item + ".WrapFormat", "Type", wrap);
    server.SetValue(item, "Width", width);
    server.SetValue(item, "Height", height);
    server.SetValue(item, "Type", type);
    server.SetValue(item + ".Fill", "Visible", filled ? -1 : 0);
    server.SetValue(item + ".Fill", "Transparency", transparency);
    server.SetValue("Doc.PageSetup", "PageWidth", 612.0);
    server.SetValue("Doc.PageSetup", "PageHeight", 792.0);
    OleVariant anchor = server.Object("Anchor" + std::to_string(i));
    server.SetValue(item, "Anchor", anchor);
    return anchor;
  }

  // The anchors the copies of the mark in the body were given, in order.
  std::vector<DispatchPtr> CopyAnchors() const {
    std::vector<DispatchPtr> anchors;
    for (const auto& c : server.Calls())
      if (c.kind == CallKind::Call && c.path == "Doc.Shapes" && c.member == "AddTextEffect")
        anchors.push_back(c.args.size() > 8 && c.args[8].Type() == VarType::Dispatch
                              ? c.args[8].AsDispatch()
                              : nullptr);
    return anchors;
  }

  // Opens a document so scripted, then forgets the calls so far.
  void OpenWith(int sections, std::set<int> first = {}, std::set<int> oddEven = {},
                std::set<int> linked = {}) {
    Script(sections, first, oddEven, linked);
    ASSERT_TRUE(engine.OpenDoc("/jobs/in/report.doc"));
    server.ClearCalls();
  }

  // The header each insertion went into: "<section>:<seek view> <name>", in order.
  Lines Placed() const {
    Lines placed;
    std::string section = "?", seek = "?";
    for (const auto& l : server.Log()) {
      if (l.rfind("call Doc.Sections.Item(", 0) == 0 &&
          l.find(".Range.Select()") != std::string::npos)
        section = l.substr(23, l.find(')') - 23);
      else if (l.rfind(kSeek, 0) == 0)
        seek = l.substr(kSeek.size() + 4, l.size() - kSeek.size() - 5);
      else if (l.rfind("put " + kDocShape + ".Name = ", 0) == 0)
        placed.push_back(section + ":" + seek + " " + l.substr(l.find("= ") + 2));
    }
    return placed;
  }

  // The shape names inserted, in order.
  Lines Inserted() const {
    Lines names;
    for (const auto& l : Matching(server.Log(), "put " + kDocShape + ".Name = "))
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
  OpenWith(1);
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
  EXPECT_EQ(messages.Messages(), (Lines{std::string(kDocStartFailed) + "\nno office"}));
  EXPECT_FALSE(engine.OpenDoc("/jobs/in/second.doc"));  // tried again, told once
  EXPECT_EQ(messages.Messages().size(), 1u);
  EXPECT_FALSE(engine.AppStarted());
  EXPECT_EQ(CoInitializeCount(), baseCo);  // nothing runs, nothing stays initialised
  EXPECT_EQ(server.Log(), (Lines{"create Word.Application", "create Word.Application"}));
}

TEST_F(WordEngine, StartFailureAfterCreationKeepsTheApplication) {
  server.Fail(CallKind::Put, "App", "Visible", "hidden windows refused");
  engine.OpenWordApp();
  EXPECT_EQ(messages.Messages(), (Lines{std::string(kDocStartFailed) + "\nhidden windows refused"}));
  EXPECT_TRUE(engine.AppStarted());
  engine.CloseWordApp();
  EXPECT_EQ(CoInitializeCount(), baseCo);
}

TEST_F(WordEngine, CloseSavesInPlaceOrClosesWithoutSaving) {
  OpenWith(1);
  engine.closeDoc(true);
  engine.closeDoc(false);
  EXPECT_EQ(server.Log(), (Lines{"call Doc.Save()", "call Doc.Close(Int(0), Missing, Missing)"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, SaveAsPassesThePathAndTenPlaceholders) {
  OpenWith(1);
  engine.SaveAs("/jobs/out/report.doc");
  EXPECT_EQ(server.Log(),
            (Lines{"call Doc.SaveAs(Str(\"/jobs/out/report.doc\"), " + Placeholders(10) + ")"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, QuitEmptiesTheApplicationAndReleasesCom) {
  OpenWith(1);
  ASSERT_EQ(CoInitializeCount(), baseCo + 1);
  engine.CloseWordApp();
  EXPECT_EQ(server.Log(), (Lines{"call App.Quit()"}));
  EXPECT_FALSE(engine.AppStarted());
  EXPECT_EQ(CoInitializeCount(), baseCo);
}

TEST_F(WordEngine, FailingCallsOutsideTheOpensReachTheCaller) {
  OpenWith(1);
  server.Fail(CallKind::Call, "Doc", "SaveAs", "disk full");
  EXPECT_THROW(engine.SaveAs("/x.doc"), EOleError);
  server.Fail(CallKind::Call, "App", "Quit", "busy");
  EXPECT_THROW(engine.CloseWordApp(), EOleError);
  EXPECT_TRUE(engine.AppStarted());  // state stays as it was
  engine.CloseWordApp();
}

// ---- printing ------------------------------------------------------------------------------

TEST_F(WordEngine, PrintToPdfMakesThePdfPrinterActiveAndPrintsInTheForeground) {
  OpenWith(1);
  engine.PrintToPDF();
  engine.PrintToPDFFile("/jobs/out/report.pdf");
  const Lines once{"put App.ActivePrinter = " + Str(kPrinter),
                   "call App.PrintOut(Bool(0), " + Placeholders(18) + ")"};
  EXPECT_EQ(server.Log(), once + once);
  engine.CloseWordApp();
}

TEST_F(WordEngine, PrintToPrinterUsesTheActivePrinter) {
  OpenWith(1);
  engine.PrintToPrinter();
  EXPECT_EQ(server.Log(), (Lines{"call App.PrintOut(Bool(0), " + Placeholders(18) + ")"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, PrintToPdfWithoutAStackRaisesBeforeAnyCall) {
  OpenWith(1);
  engine.PDFStack = nullptr;
  EXPECT_THROW(engine.PrintToPDF(), std::logic_error);
  EXPECT_TRUE(server.Log().empty());
  engine.CloseWordApp();
}

TEST_F(WordEngine, ClearPdfDirtyPrintsTheSampleOfTheProgramFolder) {
  ScopedProgramDir dir;
  OpenWith(1);
  engine.ClearPDFDirty();
  EXPECT_EQ(server.Log(), (Lines{"call App.Documents.Open(" + Str(dir.Path() + "Sample.doc") +
                                     ", Bool(0), Bool(-1), Bool(0), Missing, Missing, Bool(-1))",
                                 "put App.ActivePrinter = " + Str(kPrinter),
                                 "call App.PrintOut(Bool(0), " + Placeholders(18) + ")",
                                 "call Doc.Close(Int(0), Missing, Missing)"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, ClearPdfDirtyTouchesNoOtherDocumentWhenTheSampleWillNotOpen) {
  OpenWith(1);
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
  server.SetValue("Preview.Sections.Item(1).PageSetup", "DifferentFirstPageHeaderFooter", 0);
  server.SetValue("Preview.Sections.Item(1).PageSetup", "OddAndEvenPagesHeaderFooter", 0);
  server.SetValue("Preview.Sections", "Count", 1);
  server.SetShapes(kDocShapes, {});
  server.SetShapes("Preview.Shapes", {});
  server.ClearCalls();
  engine.AddWaterMark();
  EXPECT_EQ(server.Log()[0], "get Preview.Sections.Count");
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
  OpenWith(1);
  engine.AddWaterMark();
  EXPECT_EQ(server.Log(),
            (Lines{"get Doc.Sections.Count",
                   "get Doc.Sections.Item(1).PageSetup.DifferentFirstPageHeaderFooter",
                   "get Doc.Sections.Item(1).PageSetup.OddAndEvenPagesHeaderFooter",
                   "call Doc.Sections.Item(1).Range.Select()", kSeek + "Int(1)",
                   "get " + kDocShapes + ".Count", "get Doc.Shapes.Count"} +
             Insertion(Name(1)) + Lines{kSeek + "Int(0)"}));
  EXPECT_EQ(server.Shapes(kDocShapes), (Lines{Name(1)}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, EveryHeaderAPageCanShowIsStampedWhateverThePageCount) {
  // Section 1: different first page; section 2: odd and even; section 3: both; section 4
  // plain. No page count is asked: a one-page section still gets its first-page mark.
  OpenWith(4, {1, 3}, {2, 3});
  engine.AddWaterMark();
  EXPECT_EQ(Placed(), (Lines{"1:1 " + Str(Name(1)), "1:2 " + Str(Name(1).insert(24, "First")),
                             "2:1 " + Str(Name(2)), "2:3 " + Str(Name(2).insert(24, "Even")),
                             "3:1 " + Str(Name(3)), "3:2 " + Str(Name(3).insert(24, "First")),
                             "3:3 " + Str(Name(3).insert(24, "Even")), "4:1 " + Str(Name(4))}));
  EXPECT_EQ(Matching(server.Log(), "BuiltInDocumentProperties"), Lines{});
  EXPECT_EQ(Matching(server.Log(), "SeekView").back(), kSeek + "Int(0)");
  engine.CloseWordApp();
}

TEST_F(WordEngine, OddAndEvenPagesOfTheFirstSectionKeepTheEvenHeadersName) {
  OpenWith(1, {}, {1});
  engine.AddWaterMark();
  EXPECT_EQ(Placed(), (Lines{"1:1 " + Str(Name(1)), "1:3 " + Str(Name(2))}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, ASectionLinkedToThePreviousHeaderGetsNoSecondMark) {
  OpenWith(3, {}, {}, {2});
  engine.AddWaterMark();
  EXPECT_EQ(Placed(), (Lines{"1:1 " + Str(Name(1)), "3:1 " + Str(Name(3))}));
  EXPECT_EQ(server.Shapes(kDocShapes).size(), 2u);
  engine.CloseWordApp();
}

// ---- AddWaterMark: earlier shapes ----------------------------------------------------------

TEST_F(WordEngine, ARestampLeavesExactlyOneMarkPerHeader) {
  OpenWith(3, {1}, {1});
  engine.AddWaterMark();
  const Lines once = server.Shapes(kDocShapes);
  ASSERT_EQ(once.size(), 5u);
  server.ClearCalls();
  engine.AddWaterMark();
  Lines again = server.Shapes(kDocShapes);
  EXPECT_EQ(again, once);
  // Every old mark is gone before the first new one goes in: with one collection for all
  // headers (as Word has), the clearing of a later header must not take a new mark.
  const Lines log = server.Log();
  int lastDelete = -1, firstInsert = -1;
  for (int i = 0; i < int(log.size()); ++i) {
    if (log[i].find(".Delete()") != std::string::npos) lastDelete = i;
    if (firstInsert < 0 && log[i].find(".AddTextEffect(") != std::string::npos) firstInsert = i;
  }
  ASSERT_GE(lastDelete, 0);
  EXPECT_LT(lastDelete, firstInsert);
  EXPECT_EQ(Matching(log, ".Delete()").size(), 5u);
  engine.CloseWordApp();
}

TEST_F(WordEngine, EveryCopyUnderAnyNameOfTheRuleIsReplacedAndOthersKept) {
  OpenWith(1);
  // What earlier stamps may have left: the single-header rule's even-pages mark, marks of
  // sections the document no longer has, two copies of one name; and shapes that are not ours.
  server.SetShapes(
      kDocShapes,
      {"Logo", Name(1), Name(2), Name(11), Name(1), "QuillmarkWaterMarkObjectFirst3",
       "QuillmarkWaterMarkObjectEven2", "quillmarkWaterMarkObject1", Name(1) + " ", Name(1) + "a",
       "QuillmarkWaterMarkObject", "QuillmarkWaterMarkObjectFirst", "QuillmarkWaterMarkObject01"});
  engine.AddWaterMark();
  EXPECT_EQ(server.Shapes(kDocShapes),
            (Lines{"Logo", "quillmarkWaterMarkObject1", Name(1) + " ", Name(1) + "a",
                   "QuillmarkWaterMarkObject", "QuillmarkWaterMarkObjectFirst",
                   "QuillmarkWaterMarkObject01", Name(1)}));
  engine.CloseWordApp();
}

// ---- AddWaterMark: pages whose body hides the header ---------------------------------------

TEST_F(WordEngine, ABackdropBehindTheTextGetsACopyOfTheMarkInFrontOfIt) {
  OpenWith(1, {1});
  server.SetShapes("Doc.Shapes", {"Title", "Cover"});
  Body(1, 3, 500, 700, 17);  // in front of the text: it hides no header
  const OleVariant cover = Body(2, 5, 500, 700, 17);
  engine.AddWaterMark();
  // The copy, with the mark's look, behind the text and anchored where the backdrop is; it
  // goes in after the old marks are out of the headers and before the new ones go in, and
  // nothing is selected for it (the header marks rely on the selection staying put).
  EXPECT_EQ(Inserted(), (Lines{Str(Name(1)), Str("QuillmarkWaterMarkObjectFirst1")}));
  EXPECT_EQ(server.Shapes("Doc.Shapes"),
            (Lines{"Title", "Cover", "QuillmarkWaterMarkObjectCover1"}));
  EXPECT_EQ(CopyAnchors(), std::vector<DispatchPtr>{cover.AsDispatch()});
  const std::string copy = "Doc.Shapes.AddTextEffect";
  Lines styled;
  for (const auto& l : server.Log())
    if (l.rfind("put " + copy + ".", 0) == 0 || l.rfind("call " + copy + ".", 0) == 0)
      styled.push_back(l);
  Lines expected;
  for (std::string l : Insertion("QuillmarkWaterMarkObjectCover1")) {
    if (l.find(".Select()") != std::string::npos ||
        l.rfind("call " + kDocShapes + ".AddTextEffect(", 0) == 0)
      continue;
    if (l.find("WrapFormat.Type") != std::string::npos) l.replace(l.size() - 2, 1, "5");
    expected.push_back(l.replace(l.find(kDocShape), kDocShape.size(), copy));
  }
  EXPECT_EQ(styled, expected);
  const auto log = server.Log();
  auto at = [&log](const std::string& part) {
    return std::find_if(log.begin(), log.end(),
                        [&](const std::string& l) { return l.find(part) != std::string::npos; });
  };
  EXPECT_LT(at("call Doc.Shapes.AddTextEffect("), at("call " + kDocShapes + ".AddTextEffect("));
  EXPECT_LT(at("get " + kDocShapes + ".Count"), at("get Doc.Shapes.Count"));
  engine.CloseWordApp();
}

TEST_F(WordEngine, OnlyAnOpaqueObjectBehindTheTextOverHalfThePageIsABackdrop) {
  OpenWith(1);
  server.SetShapes("Doc.Shapes", {"a", "b", "c", "d", "e", "f", "g", "h"});
  // Half the page is 242,352 square points.
  const OleVariant picture = Body(1, 5, 440, 560, 13);       // just over half the page
  Body(2, 5, 400, 600, 13);                                  // just under
  Body(3, 5, 600, 780, 17, true, 0.6);                       // a fill mostly see-through
  Body(4, 5, 600, 780, 17, false);                           // a text box without a fill
  const OleVariant object = Body(5, 5, 600, 780, 7, false);  // an embedded object
  Body(6, 5, 600, 780, 15);                                  // someone's text effect
  Body(7, 0, 600, 780, 13);                                  // wrapped square: beside the text
  const OleVariant box = Body(8, 5, 600, 780, 1, true, 0.4);
  engine.AddWaterMark();
  EXPECT_EQ(CopyAnchors(), (std::vector<DispatchPtr>{picture.AsDispatch(), object.AsDispatch(),
                                                     box.AsDispatch()}));
  EXPECT_EQ(server.Shapes("Doc.Shapes").size(), 11u);
  engine.CloseWordApp();
}

TEST_F(WordEngine, ARestampReplacesTheCopiesAndLeavesNoneWhereTheBackdropIsGone) {
  OpenWith(1);
  // An earlier stamp's copies: one for the backdrop still there, one whose backdrop the
  // author took out since; and a shape of another's with a name much like ours.
  server.SetShapes("Doc.Shapes",
                   {"Cover", "QuillmarkWaterMarkObjectCover1", "Logo",
                    "QuillmarkWaterMarkObjectCover2", "QuillmarkWaterMarkObjectCover"});
  const OleVariant cover = Body(1, 5, 600, 780, 17);
  Body(3, 3, 50, 50, 13);
  Body(5, 3, 300, 100, 15);
  engine.AddWaterMark();
  EXPECT_EQ(server.Shapes("Doc.Shapes"), (Lines{"Cover", "Logo", "QuillmarkWaterMarkObjectCover",
                                                "QuillmarkWaterMarkObjectCover1"}));
  EXPECT_EQ(CopyAnchors(), std::vector<DispatchPtr>{cover.AsDispatch()});
  engine.CloseWordApp();
}

TEST(WordMarkNames, OnlyTheRulesOwnNamesAreOurs) {
  for (const char* ours : {"QuillmarkWaterMarkObject1", "QuillmarkWaterMarkObject12",
                           "QuillmarkWaterMarkObjectFirst1", "QuillmarkWaterMarkObjectEven7"})
    EXPECT_TRUE(IsOurHeaderMarkName(ours)) << ours;
  for (const char* theirs : {"QuillmarkWaterMarkObject", "QuillmarkWaterMarkObject0",
                             "QuillmarkWaterMarkObject1x", "QuillmarkWaterMarkObjectOdd1",
                             "QuillmarkWaterMarkObjectFirst", "PowerPlusWaterMarkObject1",
                             "QuillmarkWaterMarkObject-1", "xQuillmarkWaterMarkObject1", ""})
    EXPECT_FALSE(IsOurHeaderMarkName(theirs)) << theirs;
  EXPECT_TRUE(IsOurBackdropMarkName("QuillmarkWaterMarkObjectCover3"));
  for (const char* theirs : {"QuillmarkWaterMarkObjectCover", "QuillmarkWaterMarkObjectCover0",
                             "QuillmarkWaterMarkObject3", "QuillmarkWaterMarkObjectFirst3"}) {
    EXPECT_FALSE(IsOurBackdropMarkName(theirs)) << theirs;
    EXPECT_FALSE(IsOurHeaderMarkName(theirs) && IsOurBackdropMarkName(theirs)) << theirs;
  }
  EXPECT_FALSE(IsOurHeaderMarkName("QuillmarkWaterMarkObjectCover3"));
}

// ---- AddWaterMark: bad sizes ---------------------------------------------------------------

class WordBadSize : public WordEngine, public ::testing::WithParamInterface<const char*> {};

TEST_P(WordBadSize, RaisesBeforeAnyMarkIsTouched) {
  OpenWith(2);
  server.SetShapes(kDocShapes, {Name(1), Name(2)});
  engine.DocSettings.DocWatermarkSize = GetParam();
  EXPECT_THROW(engine.AddWaterMark(), std::invalid_argument);
  EXPECT_EQ(server.Log(), Lines{});
  EXPECT_EQ(server.Shapes(kDocShapes), (Lines{Name(1), Name(2)}));  // the old marks stay
  engine.CloseWordApp();
}

INSTANTIATE_TEST_SUITE_P(Sizes, WordBadSize, ::testing::Values("60.5", "sixty", "60pt", "1e2"));

TEST_F(WordEngine, EmptySizeOfAFreshEngineRaisesBeforeTheFirstCall) {
  Script(1);
  server.SetShapes(kDocShapes, {Name(1)});
  TDocWaterMark fresh;
  ASSERT_TRUE(fresh.OpenDoc("/a.doc"));
  server.ClearCalls();
  EXPECT_THROW(fresh.AddWaterMark(), std::invalid_argument);
  EXPECT_EQ(server.Log(), Lines{});
  EXPECT_EQ(server.Shapes(kDocShapes), (Lines{Name(1)}));
  fresh.CloseWordApp();
}

// ---- AddWaterMark: argument values ---------------------------------------------------------

TEST_F(WordEngine, HorizontalOpaqueWatermarkPassesZeros) {
  OpenWith(1);
  engine.DocSettings.Transparent = false;
  engine.DocSettings.HX = false;
  engine.DocSettings.DocWatermarkSize = "36";
  engine.AddWaterMark();
  Lines log = server.Log();
  Lines insertion(log.begin() + 7, log.end() - 1);  // from the body's shapes to the view
  EXPECT_EQ(insertion, Insertion(Name(1), "Int(0)", "Int(0)", "Int(16744512)", "Int(36)"));
  engine.CloseWordApp();
}

TEST_F(WordEngine, SystemColourPassesUnchanged) {
  OpenWith(1);
  engine.DocSettings.DocWatermarkColor = 0xFF000005;  // a system colour index
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.Log(), ".RGB = "),
            (Lines{"put " + kDocShape + ".Fill.ForeColor.RGB = Int(" +
                   std::to_string(std::int32_t(0xFF000005)) + ")"}));
  engine.CloseWordApp();
}

TEST_F(WordEngine, EachWrapFormatSettingReadsWrapFormatAgain) {
  OpenWith(1);
  engine.AddWaterMark();
  EXPECT_EQ(Matching(server.FullLog(), "get " + kDocShape + ".WrapFormat").size(), 3u);
  engine.CloseWordApp();
}

TEST_F(WordEngine, ErrorInsideAddWaterMarkLeavesTheHeaderView) {
  OpenWith(2);
  server.Fail(CallKind::Put, kDocShape, "Rotation", "rotation refused", 2);
  EXPECT_THROW(engine.AddWaterMark(), EOleError);
  EXPECT_EQ(Matching(server.Log(), "SeekView").back(), kSeek + "Int(1)");
  EXPECT_EQ(server.Shapes(kDocShapes), (Lines{Name(1), Name(2)}));  // stamped so far stay
  engine.CloseWordApp();
}

}  // namespace
}  // namespace stampwell::test
