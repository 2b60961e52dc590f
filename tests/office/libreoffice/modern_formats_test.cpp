// SPDX-License-Identifier: GPL-3.0-or-later
// The three servers on the current formats (.docx, .xlsx, .pptx) and OpenDocument (.odt,
// .ods, .odp), driven through the engines: each file is stamped and saved in its own format,
// found again and restamped by the shape's name, stamped in place, printed to PDF, and what a
// reader sees of the saved file and of the PDF is measured.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

#include "jobs/file_utils.h"
#include "mark_render.h"
#include "office/automation/automation.h"
#include "office/doc_water_mark.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"
#include "office_documents.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const std::string kMark = "QuillmarkWaterMarkObject1";

enum class App { Word, Excel, Ppt };

struct Format {
  std::string ext;   // without the dot
  App app;
  std::string part;  // a file that only this format's package holds
};

void PrintTo(const Format& f, std::ostream* os) { *os << f.ext; }

const std::vector<Format> kFormats = {
    {"docx", App::Word, "word/document.xml"},
    {"odt", App::Word, "application/vnd.oasis.opendocument.text"},
    {"xlsx", App::Excel, "xl/workbook.xml"},
    {"ods", App::Excel, "application/vnd.oasis.opendocument.spreadsheet"},
    {"pptx", App::Ppt, "ppt/presentation.xml"},
    {"odp", App::Ppt, "application/vnd.oasis.opendocument.presentation"}};

// Magenta: a colour that no test document uses, so every pixel of it is the mark's.
RDocSettings Magenta(bool oblique = true, bool transparent = true) {
  RDocSettings s = test::JobSettings();
  s.DocWatermarkColor = 0xFF00FF;
  s.HX = oblique;
  s.Transparent = transparent;
  return s;
}

// What the engines' calls mean: 45 degrees rising when oblique; the opacity left by the
// transparency each engine sets (Word 0.5, Excel and PowerPoint 0.7).
double ExpectedOpacity(App app, bool transparent) {
  if (!transparent) return 1.0;
  return app == App::Word ? 0.5 : 0.3;
}

// A flat OpenDocument with a Basic module "StampwellModule" in its standard library.
std::string WithBasicModule(const std::string& flat) {
  const std::string scripts =
      "<office:scripts><office:script script:language=\"ooo:Basic\">"
      "<ooo:libraries xmlns:ooo=\"http://openoffice.org/2004/office\" "
      "xmlns:xlink=\"http://www.w3.org/1999/xlink\"><ooo:library-embedded ooo:name=\"Standard\">"
      "<ooo:module ooo:name=\"StampwellModule\"><ooo:source-code>Sub StampwellMacro\n"
      "  MsgBox &quot;kept&quot;\nEnd Sub\n</ooo:source-code></ooo:module>"
      "</ooo:library-embedded></ooo:libraries></office:script></office:scripts>\n";
  std::string out = flat;
  // Scripts come after the settings and before styles and body.
  size_t at = std::string::npos;
  for (const char* next : {"<office:automatic-styles>", "<office:master-styles>", "<office:body>"})
    at = std::min(at, out.find(next));
  out.insert(at, scripts);
  // The script language's namespace.
  const size_t root = out.find("<office:document ") + std::string("<office:document ").size();
  out.insert(root, "xmlns:script=\"urn:oasis:names:tc:opendocument:xmlns:script:1.0\" ");
  return out;
}

struct Fixture {
  TempDir dir;
  std::map<std::string, std::string> sources;  // ext -> path
  std::map<std::string, std::string> macroSources;  // ext -> path, documents with a macro
  TDocWaterMark word;
  TXlsWaterMark excel;
  TPptWaterMark ppt;
  std::unique_ptr<test::WordInspector> wordReader;
  OleVariant excelReader, pptReader;  // separate processes that only read results
};
Fixture* fx = nullptr;

class ModernEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterLibreOfficeServers();
    fx = new Fixture();
    test::WriteFile(fx->dir / "gen/text.fodt", test::OneSectionText());
    test::WriteFile(fx->dir / "gen/book.fods", test::ThreeSheetWorkbook());
    test::WriteFile(fx->dir / "gen/deck.fodp", test::TwoSlidePresentation());
    const std::map<std::string, std::string> from = {
        {"docx", "text.fodt"}, {"odt", "text.fodt"},  {"xlsx", "book.fods"},
        {"ods", "book.fods"},  {"pptx", "deck.fodp"}, {"odp", "deck.fodp"}};
    for (const auto& [ext, source] : from) {
      ASSERT_TRUE(test::ConvertWithOffice({fx->dir / ("gen/" + source)}, ext, fx->dir / "src"))
          << ext;
      fx->sources[ext] = fx->dir / ("src/" + ChangeFileExt(source, "." + ext));
    }
    test::WriteFile(fx->dir / "gen/macro-text.fodt", WithBasicModule(test::OneSectionText()));
    test::WriteFile(fx->dir / "gen/macro-book.fods", WithBasicModule(test::ThreeSheetWorkbook()));
    test::WriteFile(fx->dir / "gen/macro-deck.fodp", WithBasicModule(test::TwoSlidePresentation()));
    const std::map<std::string, std::string> macroFrom = {
        {"docm", "macro-text.fodt"}, {"odt", "macro-text.fodt"},  {"xlsm", "macro-book.fods"},
        {"ods", "macro-book.fods"},  {"pptm", "macro-deck.fodp"}, {"odp", "macro-deck.fodp"}};
    const std::map<std::string, std::string> macroFilter = {
        {"docm", "MS Word 2007 XML VBA"},
        {"xlsm", "Calc MS Excel 2007 VBA XML"},
        {"pptm", "Impress MS PowerPoint 2007 XML VBA"}};
    for (const auto& [ext, source] : macroFrom) {
      const std::string filter = macroFilter.count(ext) ? macroFilter.at(ext) : "";
      ASSERT_TRUE(
          test::ConvertWithOffice({fx->dir / ("gen/" + source)}, ext, fx->dir / "macro", filter))
          << ext;
      fx->macroSources[ext] = fx->dir / ("macro/" + ChangeFileExt(source, "." + ext));
    }
    fx->wordReader = std::make_unique<test::WordInspector>();
    fx->excelReader = CreateOleObject("Excel.Application");
    fx->pptReader = CreateOleObject("PowerPoint.Application");
  }
  void TearDown() override {
    if (!fx) return;
    if (fx->word.AppStarted()) fx->word.CloseWordApp();
    if (fx->excel.AppStarted()) fx->excel.CloseExcelApp();
    if (fx->ppt.AppStarted()) fx->ppt.ClosePptApp();
    fx->wordReader.reset();
    for (auto* reader : {&fx->excelReader, &fx->pptReader})
      if (!reader->IsEmpty()) reader->Call("Quit");
    delete fx;
  }
};
const auto* env = ::testing::AddGlobalTestEnvironment(new ModernEnvironment());

// The engine calls of one file, as the job runner makes them.
bool Open(App app, const std::string& path) {
  switch (app) {
    case App::Word:
      return fx->word.OpenDoc(path);
    case App::Excel:
      return fx->excel.OpenXls(path);
    case App::Ppt:
      return fx->ppt.OpenPpt(path);
  }
  return false;
}

void AddWaterMark(App app, const RDocSettings& settings) {
  switch (app) {
    case App::Word:
      fx->word.DocSettings = settings;
      fx->word.AddWaterMark();
      break;
    case App::Excel:
      fx->excel.DocSettings = settings;
      fx->excel.AddWaterMark();
      break;
    case App::Ppt:
      fx->ppt.DocSettings = settings;
      fx->ppt.AddWaterMark();
      break;
  }
}

void SaveAs(App app, const std::string& path) {
  switch (app) {
    case App::Word:
      return fx->word.SaveAs(path);
    case App::Excel:
      return fx->excel.SaveAs(path);
    case App::Ppt:
      return fx->ppt.SaveAs(path);
  }
}

void Close(App app, bool save) {
  switch (app) {
    case App::Word:
      return fx->word.closeDoc(save);
    case App::Excel:
      return fx->excel.closeXls(save);
    case App::Ppt:
      return fx->ppt.closePpt(save);
  }
}

void Stamp(App app, const std::string& source, const std::string& target,
           const RDocSettings& settings = Magenta()) {
  ASSERT_TRUE(Open(app, source)) << source;
  AddWaterMark(app, settings);
  SaveAs(app, target);
  Close(app, false);
}

// The names of the shapes where the engine puts its mark, read by a separate office process:
// the first page header (Word), the active sheet (Excel), the first slide master (PowerPoint).
std::vector<std::string> MarkHostNames(App app, const std::string& path) {
  std::vector<std::string> names;
  auto list = [&names](const OleVariant& shapes) {
    for (int i = 1, n = shapes.Get("Count").AsInt(); i <= n; ++i)
      names.push_back(shapes.Call("Item", {i}).Get("Name").AsString());
  };
  if (app == App::Word) {
    auto headers = fx->wordReader->HeaderShapes(path);
    for (const auto& s : headers["s1/primary"]) names.push_back(s.Name);
  } else if (app == App::Excel) {
    auto book = fx->excelReader.Get("workBooks").Call("Open", {path});
    list(fx->excelReader.Get("ActiveSheet").Get("Shapes"));
    book.Call("Close");
  } else {
    auto deck = fx->pptReader.Get("Presentations").Call("Open", {path});
    list(deck.Get("SlideMaster").Get("Shapes"));
    deck.Call("Close");
  }
  return names;
}

long Marks(const std::vector<std::string>& names) {
  return std::count(names.begin(), names.end(), kMark);
}

class ModernFormat : public ::testing::TestWithParam<Format> {
 protected:
  const Format& F() const { return GetParam(); }
  std::string Source() const { return fx->sources.at(F().ext); }
  std::string Named(const TempDir& dir, const std::string& base) const {
    return dir / (base + "." + F().ext);
  }
};

TEST_P(ModernFormat, StampedFileKeepsItsFormatAndItsMarkIsFoundAndReplacedByName) {
  TempDir out;
  const std::string once = Named(out, "once"), twice = Named(out, "twice");
  Stamp(F().app, Source(), once);
  Stamp(F().app, once, twice);
  const std::string before = test::ReadFile(Source());
  for (const std::string& file : {once, twice}) {
    // A zip package names its parts, and ODF its media type, uncompressed.
    const std::string bytes = test::ReadFile(file);
    ASSERT_EQ(bytes.substr(0, 2), "PK") << file << " is no package";
    EXPECT_NE(bytes.find(F().part), std::string::npos) << file << " lacks " << F().part;
    EXPECT_EQ(Marks(MarkHostNames(F().app, file)), 1) << file;
  }
  EXPECT_EQ(Marks(MarkHostNames(F().app, Source())), 0) << "the source stays unstamped";
  EXPECT_EQ(test::ReadFile(Source()), before);
  EXPECT_EQ(test::ListTree(out.Path()),
            (std::vector<std::string>{"once." + F().ext, "twice." + F().ext}))
      << "no temporary file stays behind";
}

TEST_P(ModernFormat, InPlaceStampingSavesTheSourceAndReplacesItsMark) {
  TempDir work;
  const std::string file = Named(work, "in place");
  fs::copy_file(Source(), file);
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(Open(F().app, file));
    AddWaterMark(F().app, Magenta());
    // The runner's in-place calls: Word saves by the close alone, Excel and PowerPoint save
    // under the path first.
    if (F().app != App::Word) SaveAs(F().app, file);
    Close(F().app, true);
    Close(F().app, false);  // the save leaves the document open
    EXPECT_EQ(Marks(MarkHostNames(F().app, file)), 1) << "run " << run;
  }
  EXPECT_EQ(test::ListTree(work.Path()), std::vector<std::string>{"in place." + F().ext});
}

// A password-protected, damaged or misnamed file fails to open at once, without a prompt, and
// the next good file of the kind is stamped: the runner then logs it (Word) or passes it over
// (Excel, PowerPoint) as it does legacy files.
TEST_P(ModernFormat, LockedOrBrokenFilesFailToOpenAndTheNextOneWorks) {
  TempDir work;
  std::map<std::string, std::string> bad;
  const std::string bytes = test::ReadFile(Source());
  bad["truncated"] = Named(work, "truncated");
  test::WriteFile(bad["truncated"], bytes.substr(0, bytes.size() / 2));
  bad["text"] = Named(work, "text");
  test::WriteFile(bad["text"], "plain text, not an office file\n");
  // Encrypted by the office itself. Impress cannot save with a password here: a presentation
  // gets an encrypted text document under its name, which is just as unreadable to it.
  bad["password"] = Named(work, "password");
  {
    const bool ownKind = F().app != App::Ppt;
    const std::string source =
        ownKind ? Source() : fx->sources.at(F().ext == "pptx" ? "docx" : "odt");
    const std::string locked = work / ("locked" + ExtractFileExt(source));
    if (ownKind && F().app == App::Excel) {
      auto book = fx->excelReader.Get("workBooks").Call("Open", {source});
      book.Call("SaveAs", {locked, OleVariant::Missing(), "secret"});
      book.Call("Close");
    } else {
      OleVariant word = CreateOleObject("Word.Application");
      auto doc = word.Get("Documents").Call("Open", {source});
      doc.Call("SaveAs", {locked, OleVariant::Missing(), OleVariant::Missing(), "secret"});
      doc.Call("Close", {0});
      word.Call("Quit");
    }
    fs::rename(locked, bad["password"]);
  }
  for (const auto& [what, path] : bad) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Open(F().app, path)) << what;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << what;
    const std::string good = Named(work, "good " + what);
    Stamp(F().app, Source(), good);
    EXPECT_EQ(Marks(MarkHostNames(F().app, good)), 1) << "after " << what;
  }
}

// A presentation with a master page that no slide shows before the one they show. (Read
// back from .pptx, the first slide shows the second master page and the second slide the
// first one; .odp drops the unused master page.)
std::string SecondMasterPresentation() {
  std::string deck = test::TwoSlidePresentation();
  const std::string master = "<style:master-page style:name=\"Default\"";
  const size_t at = deck.find(master);
  deck.insert(at, "<style:master-page style:name=\"Unused\" style:page-layout-name=\"PM1\"/>\n ");
  return deck;
}

// The mark goes to the master page the slides show, and is found there again after the file
// was saved and read back (LibreOffice reorders the master pages of a .pptx on every save).
TEST(ModernPresentation, MarkGoesToTheMasterTheSlidesShowAndIsReplacedThere) {
  TempDir work;
  test::WriteFile(work / "gen/two.fodp", SecondMasterPresentation());
  for (const std::string ext : {"pptx", "odp"}) {
    ASSERT_TRUE(test::ConvertWithOffice({work / "gen/two.fodp"}, ext, work.Path())) << ext;
    const std::string source = work / ("two." + ext), once = work / ("once." + ext),
                      twice = work / ("twice." + ext);
    Stamp(App::Ppt, source, once);
    Stamp(App::Ppt, once, twice);
    for (const std::string& file : {once, twice}) {
      EXPECT_EQ(Marks(MarkHostNames(App::Ppt, file)), 1) << file;
      const auto seen = test::MeasureSaved(file, work / "reader");
      ASSERT_TRUE(seen.has_value()) << file << ": the slides show no mark";
      EXPECT_EQ(seen->page, 1) << file << ": the first slide shows no mark";
    }
  }
}

// Macros stay where the format holds them: the Basic library of an OpenDocument file, and the
// macro-enabled kind of an Office Open XML file (LibreOffice writes no VBA project of its own,
// and keeps one it has read).
TEST(MacroFormats, StampingKeepsMacrosAndTheMacroEnabledFormat) {
  TempDir out;
  for (const auto& [ext, source] : fx->macroSources) {
    const App app = ext[0] == 'd' || ext == "odt" ? App::Word
                    : ext[0] == 'x' || ext == "ods" ? App::Excel
                                                     : App::Ppt;
    const std::string stamped = out / ("stamped." + ext);
    Stamp(app, source, stamped);
    EXPECT_EQ(Marks(MarkHostNames(app, stamped)), 1) << ext;
    if (ext[0] != 'o') {
      ASSERT_NE(test::RunCapture("unzip -p '" + source + "' '\\[Content_Types\\].xml'")
                    .find("macroEnabled.main+xml"),
                std::string::npos)
          << "the " << ext << " made for the test is not macro-enabled";
    }
    if (ext[0] == 'o') {
      EXPECT_NE(test::ReadFile(stamped).find("Basic/Standard/StampwellModule.xml"),
                std::string::npos)
          << ext << " lost its Basic module";
    } else {
      const std::string types =
          test::RunCapture("unzip -p '" + stamped + "' '\\[Content_Types\\].xml' 2>/dev/null");
      EXPECT_NE(types.find("macroEnabled.main+xml"), std::string::npos)
          << ext << " is no longer macro-enabled: " << types;
    }
  }
}

// What a reader sees: the saved file opened by a fresh office and its first pages rendered,
// and the job's PDF. Oblique and horizontal, transparent and solid.
struct Look {
  bool oblique, transparent;
};

void PrintTo(const Look& l, std::ostream* os) {
  *os << (l.oblique ? "oblique" : "horizontal") << (l.transparent ? " transparent" : " solid");
}

class ModernLook : public ::testing::TestWithParam<std::tuple<Format, Look>> {};

TEST_P(ModernLook, SavedFileAndPdfShowTheMarkAsSet) {
  const auto& [format, look] = GetParam();
  TempDir out, home;
  const RDocSettings settings = Magenta(look.oblique, look.transparent);
  const std::string saved = out / ("saved." + format.ext);
  Stamp(format.app, fx->sources.at(format.ext), saved, settings);
  const auto savedLook = test::MeasureSaved(saved, out / "reader");

  SetDesktopFolderForTests(home / "Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());
  {
    TPDFStack stack;
    ASSERT_TRUE(stack.PDFUsable);
    fx->word.PDFStack = fx->excel.PDFStack = fx->ppt.PDFStack = &stack;
    ASSERT_TRUE(Open(format.app, saved));
    AddWaterMark(format.app, settings);  // a restamp: the saved file already holds a mark
    switch (format.app) {
      case App::Word:
        fx->word.PrintToPDFFile("ignored");
        break;
      case App::Excel:
        fx->excel.PrintToPDFFile("ignored");
        break;
      case App::Ppt:
        fx->ppt.PrintToPDFFile("ignored");
        break;
    }
    Close(format.app, false);
    fx->word.PDFStack = fx->excel.PDFStack = fx->ppt.PDFStack = nullptr;
  }
  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");
  const std::string pdf = home / "PDF/saved.pdf";
  ASSERT_TRUE(FileExists(pdf)) << ::testing::PrintToString(test::ListTree(home.Path()));
  const auto pdfLook = test::MeasurePdf(pdf, {});
  std::cout << "[ look     ] " << format.ext << (look.oblique ? " oblique" : " horizontal")
            << (look.transparent ? " transparent" : " solid") << ": saved "
            << test::Describe(savedLook) << " | pdf " << test::Describe(pdfLook) << "\n";
  ASSERT_TRUE(savedLook.has_value()) << "no mark visible in the saved ." << format.ext;
  ASSERT_TRUE(pdfLook.has_value()) << "no mark visible in the PDF of ." << format.ext;

  const double angle = look.oblique ? 45 : 0;
  const double opacity = ExpectedOpacity(format.app, look.transparent);
  for (const auto& [output, m] : {std::pair{"saved", *savedLook}, std::pair{"pdf", *pdfLook}}) {
    EXPECT_NEAR(m.angle, angle, 4) << output << " ." << format.ext << ": " << test::Describe(m);
    EXPECT_NEAR(m.opacity, opacity, 0.12) << output << " ." << format.ext << ": " << test::Describe(m);
  }
  // Word and PowerPoint centre the mark on the page; the saved file shows it where the live
  // document printed it.
  if (format.app != App::Excel) {
    EXPECT_NEAR(pdfLook->cx, 0.5, 0.05) << test::Describe(pdfLook);
    EXPECT_NEAR(pdfLook->cy, 0.5, 0.05) << test::Describe(pdfLook);
  }
  EXPECT_NEAR(savedLook->cx, pdfLook->cx, 0.05) << test::Describe(savedLook);
  EXPECT_NEAR(savedLook->cy, pdfLook->cy, 0.05) << test::Describe(savedLook);
}

std::string FormatName(const ::testing::TestParamInfo<Format>& info) { return info.param.ext; }

INSTANTIATE_TEST_SUITE_P(Formats, ModernFormat, ::testing::ValuesIn(kFormats), FormatName);

INSTANTIATE_TEST_SUITE_P(
    Formats, ModernLook,
    ::testing::Combine(::testing::ValuesIn(kFormats),
                       ::testing::Values(Look{true, true}, Look{false, false})),
    [](const auto& info) {
      const Format& format = std::get<0>(info.param);
      const Look& look = std::get<1>(info.param);
      return format.ext + (look.oblique ? "_oblique" : "_horizontal") +
             (look.transparent ? "_transparent" : "_solid");
    });

}  // namespace
}  // namespace stampwell
