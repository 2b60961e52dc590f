// Whole runs through LibreOffice over real .doc, .xls and .ppt files and a few other files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "office/automation/automation.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office_documents.h"
#include "platform/window_messages.h"
#include "run/job_fixture.h"
#include "watermark_checks.h"

namespace stampwell::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;

constexpr const char* kMark = "QuillmarkWaterMarkObject1";

// Shape names on a workbook's active sheet or a presentation's slide master.
std::vector<std::string> ShapeNames(const std::string& progId, const std::string& path) {
  OleVariant app = CreateOleObject(progId), shapes;
  if (progId == "Excel.Application") {
    app.Get("workBooks").Call("Open", {path});
    shapes = app.Get("ActiveSheet").Get("Shapes");
  } else {
    app.Get("Presentations").Call("Open", {path});
    shapes = app.Get("ActivePresentation").Get("SlideMaster").Get("Shapes");
  }
  std::vector<std::string> names;
  for (int i = 1, n = shapes.Get("Count").AsInt(); i <= n; ++i)
    names.push_back(shapes.Get("Item", {i}).Get("Name").AsString());
  app.Call("Quit");
  return names;
}

// The fixture's tree with real documents, made through LibreOffice, and its servers in place
// of the recording one: src/a.doc, src/c.xls, src/notes.txt, src/~$a.doc, src/sub/b.doc,
// src/sub/d.ppt, src/sub/blob.bin.
class OfficeRun : public JobFixture {
 protected:
  void SetUp() override {
    registration.reset();
    RegisterLibreOfficeServers();
    const std::string gen = work / "gen/";
    WriteFile(gen + "a.fodt", OneSectionText());
    WriteFile(gen + "b.fodt", ThreeSectionText());
    WriteFile(gen + "c.fods", ThreeSheetWorkbook());
    WriteFile(gen + "d.fodp", TwoSlidePresentation());
    for (auto [files, format] :
         {std::pair<std::vector<std::string>, std::string>{{gen + "a.fodt", gen + "b.fodt"}, "doc"},
          {{gen + "c.fods"}, "xls"},
          {{gen + "d.fodp"}, "ppt"}})
      ASSERT_TRUE(ConvertWithOffice(files, format, gen));
    fs::create_directories(Src("/sub"));
    for (std::string f : {"/a.doc", "/sub/b.doc", "/c.xls", "/sub/d.ppt"})
      fs::copy_file(gen + ExtractFileName(f), Src(f));
    WriteFile(Src("/notes.txt"), "plain notes\r\n");
    std::string blob;
    for (int i = 0; i < 10000; ++i) blob += static_cast<char>((i * 7919) & 0xFF);
    WriteFile(Src("/sub/blob.bin"), blob);
    WriteFile(Src("/~$a.doc"), "owner file");
  }
  void RunFolderJob(RJobSettings settings) {
    auto job = MakeJob(settings);
    job->DocSettings = JobSettings();  // red, half transparent
    job->AddItem(Src(), Dst(), "Folder");
    job->Resume();
    ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }, 480));
    EXPECT_EQ(job->FatalError(), "");
  }
  MessageRecorder messages;
};

TEST_F(OfficeRun, WatermarkJobMirrorsTheTreeStampsOfficeFilesAndCopiesTheRest) {
  RunFolderJob(Settings(true, true, true, false, true));
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  std::vector<std::string> tree = ListTree(Src());
  std::erase(tree, "~$a.doc");
  EXPECT_EQ(ListTree(Dst()), tree);
  EXPECT_EQ(ReadFile(Dst("/sub/blob.bin")), ReadFile(Src("/sub/blob.bin")));
  WordInspector word;
  EXPECT_EQ(word.HeaderShapes(Dst("/a.doc"))["s1/primary"].at(0).Name, kMark);
  EXPECT_EQ(word.HeaderShapes(Dst("/sub/b.doc"))["s3/primary"].size(), 1u);
  EXPECT_TRUE(word.HeaderShapes(Src("/a.doc"))["s1/primary"].empty()) << "source untouched";
  EXPECT_THAT(ShapeNames("Excel.Application", Dst("/c.xls")), Contains(kMark));
  EXPECT_THAT(ShapeNames("PowerPoint.Application", Dst("/sub/d.ppt")), Contains(kMark));
  const auto log = ActionLines();
  EXPECT_EQ(log.size(), 6u);
  for (std::string f : {"/a.doc", "/c.xls", "/sub/b.doc", "/sub/d.ppt"})
    EXPECT_THAT(log, Contains("Add watermark into " + Src(f)));
  EXPECT_THAT(log, Contains("copy file:" + Src("/notes.txt") + " to:" + Dst("/notes.txt")));
}

TEST_F(OfficeRun, PdfJobPutsEachPdfAtItsDestination) {
  RunFolderJob(Settings(true, false, false, true, false));
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  EXPECT_EQ(ListTree(Dst()),
            std::vector<std::string>({"a.pdf", "c.pdf", "sub/b.pdf", "sub/d.pdf"}));
  EXPECT_NE(PdfText(Dst("/a.pdf")).find("Page 1 body text."), std::string::npos);
  for (std::string pdf : {"/a.pdf", "/b.pdf", "/c.pdf", "/d.pdf"})
    EXPECT_FALSE(FileExists(pdfOutputDir + pdf)) << "left in the output folder: " << pdf;
  EXPECT_THAT(ActionLines(),
              Contains("Print Ppt file:" + Src("/sub/d.ppt") + " to PDF:" + Dst("/sub/d.pdf")));
}

// Current formats beside legacy ones in one folder: copied as other files by a job without the
// switch, all stamped in their own formats by one job with it.
TEST_F(OfficeRun, OneJobWithTheSwitchStampsCurrentAndLegacyFilesInOneFolder) {
  const std::string gen = work / "gen/";
  for (auto [from, format] : {std::pair<std::string, std::string>{"a.fodt", "docx"},
                              {"c.fods", "ods"},
                              {"d.fodp", "pptx"}})
    ASSERT_TRUE(ConvertWithOffice({gen + from}, format, gen));
  fs::copy_file(gen + "a.docx", Src("/e.DOCX"));
  fs::copy_file(gen + "c.ods", Src("/f.ods"));
  fs::copy_file(gen + "d.pptx", Src("/sub/g.pptx"));

  RunFolderJob(Settings(true, true, true, false, true));
  for (std::string f : {"/e.DOCX", "/f.ods", "/sub/g.pptx"}) {
    EXPECT_EQ(ReadFile(Dst(f)), ReadFile(Src(f))) << "copied unchanged: " << f;
    EXPECT_THAT(ActionLines(), Contains("copy file:" + Src(f) + " to:" + Dst(f)));
  }

  fs::remove_all(Dst());
  window = std::make_shared<RecordingWindow>();  // the next run's end is counted afresh
  RJobSettings modern = Settings(true, true, true, false, true);
  modern.ModernFormats = true;
  RunFolderJob(modern);
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  const auto log = ActionLines();
  for (std::string f : {"/a.doc", "/c.xls", "/sub/b.doc", "/sub/d.ppt", "/e.DOCX", "/f.ods",
                        "/sub/g.pptx"})
    EXPECT_THAT(log, Contains("Add watermark into " + Src(f)));
  WordInspector word;
  EXPECT_EQ(word.HeaderShapes(Dst("/e.DOCX"))["s1/primary"].at(0).Name, kMark);
  EXPECT_TRUE(word.HeaderShapes(Src("/e.DOCX"))["s1/primary"].empty()) << "source untouched";
  EXPECT_THAT(ShapeNames("Excel.Application", Dst("/f.ods")), Contains(kMark));
  EXPECT_THAT(ShapeNames("PowerPoint.Application", Dst("/sub/g.pptx")), Contains(kMark));
  // Each in its own format: a zip package, not the legacy binary one.
  for (std::string f : {"/e.DOCX", "/f.ods", "/sub/g.pptx"})
    EXPECT_EQ(ReadFile(Dst(f)).substr(0, 2), "PK") << f;
}

}  // namespace
}  // namespace stampwell::test
