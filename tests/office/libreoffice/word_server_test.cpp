// SPDX-License-Identifier: GPL-3.0-or-later
// The "Word.Application" server on real documents, driven through the Word engine.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>

#include "jobs/file_utils.h"
#include "office/automation/automation.h"
#include "office/doc_water_mark.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office_documents.h"
#include "pdf/pdf_printer.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "mark_render.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr const char* kName = "QuillmarkWaterMarkObject";

// Documents shared by every test of this binary: made once through LibreOffice.
struct Fixture {
  TempDir dir;
  std::map<std::string, std::string> docs;         // key -> .doc path
  std::unique_ptr<TDocWaterMark> engine;           // one warm Word process for the whole binary
  std::unique_ptr<test::WordInspector> inspector;  // a second process that only reads
};
Fixture* fx = nullptr;

class WordEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterLibreOfficeServers();
    fx = new Fixture();
    const std::map<std::string, std::string> sources = {
        {"one", test::OneSectionText()},    {"three", test::ThreeSectionText()},
        {"first1", test::FirstPageText(1)}, {"first2", test::FirstPageText(2)},
        {"oddeven3", test::OddEvenText(3)}, {"oddeven4", test::OddEvenText(4)},
        {"backdrop", test::BackdropText()}};
    std::vector<std::string> files;
    for (const auto& [key, text] : sources) {
      files.push_back(fx->dir / ("src/" + key + ".fodt"));
      test::WriteFile(files.back(), text);
    }
    fs::create_directories(fx->dir / "docs");
    ASSERT_TRUE(test::ConvertWithOffice(files, "doc", fx->dir / "docs"));
    for (const auto& [key, text] : sources) fx->docs[key] = fx->dir / ("docs/" + key + ".doc");
    fx->engine = std::make_unique<TDocWaterMark>();
    fx->engine->DocSettings = test::JobSettings();
    fx->inspector = std::make_unique<test::WordInspector>();
  }
  void TearDown() override {
    if (fx->engine && fx->engine->AppStarted()) fx->engine->CloseWordApp();
    fx->inspector.reset();
    delete fx;
  }
};
const auto* env = ::testing::AddGlobalTestEnvironment(new WordEnvironment());

std::string Stamp(const std::string& source, const std::string& target) {
  auto& engine = *fx->engine;
  EXPECT_TRUE(engine.OpenDoc(source)) << source;
  engine.DocSettings = test::JobSettings();
  engine.AddWaterMark();
  engine.SaveAs(target);
  engine.closeDoc(false);
  return target;
}

// Which header holds which watermark names: every header a page of the document can show.
struct Expectation {
  std::string key;
  std::map<std::string, std::vector<std::string>> headers;  // header id -> names
};

class WordStampTest : public ::testing::TestWithParam<Expectation> {};

TEST_P(WordStampTest, StampedHeadersHoldOneWatermarkEachAfterReopenAndRestamp) {
  const Expectation& e = GetParam();
  TempDir out;
  const std::string once = Stamp(fx->docs.at(e.key), out / "once.doc");
  ASSERT_TRUE(FileExists(once));
  auto found = fx->inspector->HeaderShapes(once);
  ASSERT_EQ(found.size(), e.headers.size()) << e.key;
  for (const auto& [header, names] : e.headers) {
    std::vector<std::string> got;
    for (const auto& s : found[header]) got.push_back(s.Name);
    EXPECT_EQ(got, names) << e.key << " header " << header;
    for (const auto& s : found[header]) test::ExpectJobLook(s, true);
  }
  // Stamping the stamped file again replaces each watermark instead of adding one.
  const std::string twice = Stamp(once, out / "twice.doc");
  auto again = fx->inspector->HeaderShapes(twice);
  for (const auto& [header, names] : e.headers) {
    std::vector<std::string> got;
    for (const auto& s : again[header]) got.push_back(s.Name);
    EXPECT_EQ(got, names) << e.key << " restamped, header " << header;
  }
}

std::string N(int i) { return kName + std::to_string(i); }

INSTANTIATE_TEST_SUITE_P(
    Documents, WordStampTest,
    ::testing::Values(Expectation{"one", {{"s1/primary", {N(1)}}}},
                      Expectation{
                          "three",
                          {{"s1/primary", {N(1)}}, {"s2/primary", {N(2)}}, {"s3/primary", {N(3)}}}},
                      // Every header a page can show, whatever the page count.
                      Expectation{"first1", {{"s1/primary", {N(1)}}, {"s1/first", {std::string(kName) + "First1"}}}},
                      Expectation{"first2", {{"s1/primary", {N(1)}}, {"s1/first", {std::string(kName) + "First1"}}}},
                      Expectation{"oddeven3", {{"s1/primary", {N(1)}}, {"s1/even", {N(2)}}}},
                      Expectation{"oddeven4", {{"s1/primary", {N(1)}}, {"s1/even", {N(2)}}}}),
    [](const auto& info) { return info.param.key; });

// The engine's insertion sequence on the server itself, read back before any save.
TEST(WordServerShapes, NewWatermarkIsCentredInFrontAndInTheJobColours) {
  auto app = CreateOleObject("Word.Application");
  auto doc = app.Get("Documents").Call("Open", {fx->docs.at("one")});
  doc.Get("Sections").Call("Item", {1}).Get("Range").Call("Select");
  app.Get("ActiveWindow").Get("ActivePane").Get("View").Put("SeekView", 9);
  const auto job = test::JobSettings();
  auto shapes = app.Get("Selection").Get("HeaderFooter").Get("Shapes");
  EXPECT_EQ(shapes.Get("Count").AsInt(), 0);
  auto shape =
      shapes.Call("AddTextEffect", {0, job.DocWaterMarkStr, job.DocFontName, 48, 0, 0, 0, 0});
  shape.Call("Select");
  shape.Put("Name", N(1));
  shape.Get("TextEffect").Put("NormalizedHeight", 0);
  shape.Get("Line").Put("Visible", 0);
  shape.Get("Fill").Put("Visible", -1);
  shape.Get("Fill").Call("Solid");
  shape.Get("Fill").Get("ForeColor").Put("RGB", int(job.DocWatermarkColor));
  shape.Get("Fill").Put("Transparency", Currency::Parse("0.5"));
  shape.Put("Rotation", 315);
  shape.Put("LockAspectRatio", true);
  shape.Get("WrapFormat").Put("AllowOverlap", -1);
  shape.Get("WrapFormat").Put("Side", 0);
  shape.Get("WrapFormat").Put("Type", 3);
  shape.Put("RelativeVerticalPosition", 0);
  shape.Put("Left", -999995);
  shape.Put("Top", -999995);
  // The collection is live: the new shape is in it, and is the one named.
  auto again = app.Get("Selection").Get("HeaderFooter").Get("Shapes");
  ASSERT_EQ(again.Get("Count").AsInt(), 1);
  test::ExpectJobLook(test::Describe(again.Call("Item", {1})), false);
  // Delete removes it at once.
  again.Call("Item", {1}).Call("Delete");
  EXPECT_EQ(app.Get("Selection").Get("HeaderFooter").Get("Shapes").Get("Count").AsInt(), 0);
  // Outside a header view there is no header collection.
  app.Get("ActiveWindow").Get("ActivePane").Get("View").Put("SeekView", 0);
  EXPECT_THROW(app.Get("Selection").Get("HeaderFooter"), EOleError);
  doc.Call("Close", {0});
  app.Call("Quit");
}

// The names of the shapes a Document.Shapes collection lists, in its order.
std::vector<std::string> Names(const OleVariant& shapes) {
  std::vector<std::string> names;
  for (int i = 1, n = shapes.Get("Count").AsInt(); i <= n; ++i)
    names.push_back(shapes.Call("Item", {i}).Get("Name").AsString());
  return names;
}

TEST(WordServerShapes, TheBodysShapesAreItsOwnAndANewOneGoesWhereAnotherIsAnchored) {
  auto app = CreateOleObject("Word.Application");
  auto doc = app.Get("Documents").Call("Open", {fx->docs.at("backdrop")});
  const auto job = test::JobSettings();
  // A header's shape is not one of the body's.
  doc.Get("Sections").Call("Item", {1}).Get("Range").Call("Select");
  app.Get("ActiveWindow").Get("ActivePane").Get("View").Put("SeekView", 1);
  app.Get("Selection").Get("HeaderFooter").Get("Shapes").Call(
      "AddTextEffect", {0, job.DocWaterMarkStr, job.DocFontName, 48, 0, 0, 0, 0});
  app.Get("ActiveWindow").Get("ActivePane").Get("View").Put("SeekView", 0);
  auto shapes = doc.Get("Shapes");
  ASSERT_EQ(Names(shapes), (std::vector<std::string>{"Cover", "Inside"}));
  // Each a box behind the text of 19 by 26 cm, filled, on an A4 page.
  for (int i = 1; i <= 2; ++i) {
    auto backdrop = shapes.Call("Item", {i});
    EXPECT_EQ(backdrop.Get("WrapFormat").Get("Type").AsInt(), 5);
    EXPECT_NEAR(backdrop.Get("Width").AsDouble(), 538.6, 3);
    EXPECT_NEAR(backdrop.Get("Height").AsDouble(), 737.0, 3);
    const int type = backdrop.Get("Type").AsInt();
    EXPECT_TRUE(type == 1 || type == 17) << type;
    EXPECT_TRUE(backdrop.Get("Fill").Get("Visible").AsBool());
    EXPECT_EQ(backdrop.Get("Fill").Get("Transparency").AsDouble(), 0);
  }
  EXPECT_NEAR(doc.Get("PageSetup").Get("PageWidth").AsDouble(), 595.3, 1);
  EXPECT_NEAR(doc.Get("PageSetup").Get("PageHeight").AsDouble(), 841.9, 1);
  // A new shape anchored where the second is goes into the body, and the collection and a
  // fresh one list it.
  const OleVariant anchor = shapes.Call("Item", {2}).Get("Anchor");
  auto copy = shapes.Call("AddTextEffect",
                          {0, job.DocWaterMarkStr, job.DocFontName, 48, 0, 0, 0, 0, anchor});
  copy.Put("Name", "Copy");
  EXPECT_EQ(Names(shapes), (std::vector<std::string>{"Cover", "Inside", "Copy"}));
  EXPECT_EQ(Names(doc.Get("Shapes")), (std::vector<std::string>{"Cover", "Inside", "Copy"}));
  EXPECT_EQ(copy.Get("Type").AsInt(), 15);  // a text effect
  // Anything else given as the anchor is refused.
  EXPECT_THROW(shapes.Call("AddTextEffect", {0, "X", "Arial", 36, 0, 0, 0, 0, "page 3"}),
               EOleError);
  doc.Call("Close", {0});
  app.Call("Quit");
}

TEST(WordServerShapes, EachBackdropKeepsOneCopyOfTheMarkThroughARestamp) {
  TempDir out;
  const std::string once = Stamp(fx->docs.at("backdrop"), out / "once.doc");
  const std::string twice = Stamp(once, out / "twice.doc");
  auto app = CreateOleObject("Word.Application");
  for (const std::string& file : {once, twice}) {
    auto doc = app.Get("Documents").Call("Open", {file});
    auto names = Names(doc.Get("Shapes"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Cover", "Inside", std::string(kName) + "Cover1",
                                               std::string(kName) + "Cover2"}))
        << file;
    doc.Call("Close", {0});
  }
  app.Call("Quit");
}

TEST(WordServerShapes, PageSetupAndPageCountDescribeTheLoadedDocument) {
  auto app = CreateOleObject("Word.Application");
  struct Case {
    const char* key;
    bool first, oddEven;
    int pages, sections;
  };
  for (const Case& c : {Case{"one", false, false, 1, 1}, Case{"three", false, false, 3, 3},
                        Case{"first2", true, false, 2, 1}, Case{"oddeven4", false, true, 4, 1}}) {
    auto doc = app.Get("Documents").Call("Open", {fx->docs.at(c.key)});
    EXPECT_EQ(doc.Get("PageSetup").Get("DifferentFirstPageHeaderFooter").AsBool(), c.first)
        << c.key;
    EXPECT_EQ(doc.Get("PageSetup").Get("OddAndEvenPagesHeaderFooter").AsBool(), c.oddEven) << c.key;
    EXPECT_EQ(doc.Get("BuiltInDocumentProperties", {14}).Get("value").AsInt(), c.pages) << c.key;
    EXPECT_EQ(doc.Get("Sections").Get("Count").AsInt(), c.sections) << c.key;
    doc.Call("Close", {0});
  }
  app.Call("Quit");
}

TEST(WordServerFiles, InPlaceSaveWritesTheWatermarkIntoTheOpenedFile) {
  TempDir work;
  const std::string file = work / "inplace.doc";
  fs::copy_file(fx->docs.at("one"), file);
  const auto before = fs::file_size(file);
  auto& engine = *fx->engine;
  ASSERT_TRUE(engine.OpenDoc(file));  // opened read-only, as the engine does
  engine.AddWaterMark();
  engine.closeDoc(true);
  engine.closeDoc(false);
  EXPECT_NE(fs::file_size(file), before);
  auto found = fx->inspector->HeaderShapes(file);
  ASSERT_EQ(found["s1/primary"].size(), 1u);
  EXPECT_EQ(found["s1/primary"][0].Name, N(1));
  // No temporary file is left next to the document.
  EXPECT_EQ(test::ListTree(work.Path()), std::vector<std::string>{"inplace.doc"});
}

TEST(WordServerFiles, SaveAsIntoMissingFolderFailsAndWritesNothing) {
  TempDir work;
  auto& engine = *fx->engine;
  ASSERT_TRUE(engine.OpenDoc(fx->docs.at("one")));
  EXPECT_THROW(engine.SaveAs(work / "no/such/folder/x.doc"), EOleError);
  engine.closeDoc(false);
  EXPECT_TRUE(test::ListTree(work.Path()).empty());
}

TEST(WordServerPdf, PrintToPdfPrinterWritesColouredWatermarkIntoOutputFolder) {
  TempDir home;
  SetDesktopFolderForTests(home / "Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());  // "Adobe PDF Converter", location "PDF"
  TPDFStack stack;
  ASSERT_TRUE(stack.PDFUsable);
  auto& engine = *fx->engine;
  engine.PDFStack = &stack;
  ASSERT_TRUE(engine.OpenDoc(fx->docs.at("one")));
  engine.DocSettings = test::JobSettings();
  engine.AddWaterMark();
  engine.PrintToPDFFile("ignored.pdf");
  engine.closeDoc(false);
  engine.PDFStack = nullptr;
  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");

  const std::string pdf = home / "PDF/one.pdf";
  ASSERT_TRUE(FileExists(pdf)) << "output folder holds: "
                               << ::testing::PrintToString(test::ListTree(home.Path()));
  EXPECT_NE(test::PdfText(pdf).find("Page 1 body text."), std::string::npos);
  // The mark is a text effect, drawn as outlines: it is found by its look, not as text.
  const auto mark = test::MeasurePdf(pdf, {255, 0, 0});
  ASSERT_TRUE(mark.has_value());
  EXPECT_LE(test::AxisAngleDifference(mark->angle, 45), 4) << test::Describe(mark);
  const auto pixels = test::CountPageColours(pdf);
  // Red at 50 % over white is drawn pink; the watermark must not come out black.
  EXPECT_GT(pixels.watermark, 500) << "pink " << pixels.watermark << " dark " << pixels.dark;
}

TEST(WordServerPdf, OtherPrinterIsNotTreatedAsPdf) {
  TempDir home;
  SetDesktopFolderForTests(home / "Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());
  auto app = CreateOleObject("Word.Application");
  auto doc = app.Get("Documents").Call("Open", {fx->docs.at("one")});
  app.Put("ActivePrinter", "No Such Printer Here");
  // Printing to a printer that does not exist may fail or be dropped by the office, but it
  // never produces a PDF in the PDF printer's folder.
  try {
    app.Call("PrintOut", {false});
  } catch (const EOleError&) {
  }
  EXPECT_FALSE(DirectoryExists(home / "PDF") && !test::ListTree(home / "PDF").empty());
  // A printer whose settings cannot be read fails the print as an automation error.
  auto broken = std::make_shared<TRegistry>();
  broken->SetString(std::string(kPrinterKeyPrefix) + "Broken", "Name", "Broken");
  broken->SetDWord(std::string(kPrinterKeyPrefix) + "Broken", "Printer Driver", 1);
  TRegistry::SetMachine(broken);
  app.Put("ActivePrinter", "Broken");
  EXPECT_THROW(app.Call("PrintOut", {false}), EOleError);
  app.Call("Quit");
  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");
}

class WordBadInputTest : public ::testing::TestWithParam<std::string> {};

TEST_P(WordBadInputTest, OpenFailsAtOnceAndTheSameProcessStampsTheNextFile) {
  TempDir work;
  std::string bad = work / "bad.doc";
  const std::string kind = GetParam();
  if (kind == "corrupt") {
    std::string bytes = test::ReadFile(fx->docs.at("one"));
    for (size_t i = 512; i < bytes.size(); i += 7) bytes[i] = char(bytes[i] ^ 0x5A);
    test::WriteFile(bad, bytes);
  } else if (kind == "text") {
    test::WriteFile(bad, "Just some plain text, not a Word document.\n");
  } else if (kind == "password") {
    auto app = CreateOleObject("Word.Application");
    auto doc = app.Get("Documents").Call("Open", {fx->docs.at("one")});
    doc.Call("SaveAs", {bad, OleVariant::Missing(), OleVariant::Missing(), "secret"});
    doc.Call("Close", {0});
    app.Call("Quit");
    ASSERT_TRUE(FileExists(bad));
  } else {
    bad = work / "missing.doc";
  }
  auto& engine = *fx->engine;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(engine.OpenDoc(bad));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  const std::string good = Stamp(fx->docs.at("one"), work / "good.doc");
  EXPECT_EQ(fx->inspector->HeaderShapes(good)["s1/primary"].size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Files, WordBadInputTest,
                         ::testing::Values("missing", "corrupt", "password", "text"));

TEST(WordServerProcess, QuitLeavesNoProcessAndNoProfileBehind) {
  const std::string tag = "stampwell_" + std::to_string(::getpid()) + "_";
  const int before = test::CountOfficeProcesses(tag);
  TDocWaterMark engine;
  ASSERT_TRUE(engine.OpenDoc(fx->docs.at("one")));
  EXPECT_EQ(test::CountOfficeProcesses(tag), before + 1);
  const auto profiles = test::OfficeProfileDirs(tag);
  ASSERT_EQ(profiles.size(), size_t(before + 1));
  engine.CloseWordApp();
  EXPECT_EQ(test::CountOfficeProcesses(tag), before);
  EXPECT_EQ(test::OfficeProfileDirs(tag).size(), size_t(before));
  // The profile of the process that was quit is gone from disk.
  int remaining = 0;
  for (const auto& p : profiles) remaining += DirectoryExists(p);
  EXPECT_EQ(remaining, before);
}

TEST(WordServerProcess, TwoApplicationsRunSideBySide) {
  TDocWaterMark other;
  other.DocSettings = test::JobSettings();
  TempDir out;
  ASSERT_TRUE(other.OpenDoc(fx->docs.at("one")));
  ASSERT_TRUE(fx->engine->OpenDoc(fx->docs.at("three")));
  other.AddWaterMark();
  fx->engine->AddWaterMark();
  other.SaveAs(out / "a.doc");
  fx->engine->SaveAs(out / "b.doc");
  other.closeDoc(false);
  fx->engine->closeDoc(false);
  other.CloseWordApp();
  EXPECT_EQ(fx->inspector->HeaderShapes(out / "a.doc")["s1/primary"].size(), 1u);
  EXPECT_EQ(fx->inspector->HeaderShapes(out / "b.doc")["s3/primary"].size(), 1u);
}

TEST(WordServerPreview, SampleDocumentGetsWatermarkAndPrintsUnderItsTitle) {
  TempDir home;
  SetDesktopFolderForTests(home / "Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());
  TPDFStack stack;
  TDocWaterMark engine;
  engine.PDFStack = &stack;
  test::MessageRecorder messages;
  ASSERT_TRUE(engine.NewSWDoc(false)) << ::testing::PrintToString(messages.Messages());
  engine.DocSettings = test::JobSettings();
  engine.AddWaterMark();
  engine.PrintToPDFFile("Sample.pdf");
  engine.closeDoc(false);
  engine.CloseWordApp();
  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");
  const auto files = test::ListTree(home / "PDF");
  ASSERT_EQ(files.size(), 1u);
  const std::string text = test::PdfText(home / ("PDF/" + files[0]));
  EXPECT_NE(text.find("Stampwell"), std::string::npos);
  EXPECT_EQ(files[0], "Document1.pdf");
  const auto mark = test::MeasurePdf(home / ("PDF/" + files[0]), {255, 0, 0});
  ASSERT_TRUE(mark.has_value());
  EXPECT_LE(test::AxisAngleDifference(mark->angle, 45), 4) << test::Describe(mark);
  EXPECT_GT(test::CountPageColours(home / ("PDF/" + files[0])).watermark, 500);
}

// The preview document is a sample nobody saves: once marked saved, closing it asks nothing.
TEST(WordServerPreview, SavedTellsAndClearsTheDocumentsChanges) {
  auto app = CreateOleObject("Word.Application");
  auto doc = app.Get("Documents").Call("Add");
  app.Get("Selection").Call("TypeText", {"Stampwell"});
  EXPECT_FALSE(doc.Get("Saved").AsBool());
  doc.Put("Saved", true);
  EXPECT_TRUE(doc.Get("Saved").AsBool());
  doc.Put("Saved", false);
  EXPECT_FALSE(doc.Get("Saved").AsBool());
  doc.Call("Close", {0});
  app.Call("Quit");
}

}  // namespace
}  // namespace stampwell
