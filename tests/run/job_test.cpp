// SPDX-License-Identifier: GPL-3.0-or-later
// The runner on the recording automation server, in temporary folders (see JobFixture).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <thread>

#include "jobs/file_utils.h"
#include "jobs/job_profile.h"
#include "office/ooxml/zip_package.h"
#include "platform/message_target.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/window_messages.h"
#include "run/job.h"
#include "run/job_display.h"
#include "run/job_fixture.h"
#include "support/recording_server.h"
#include "support/temp_dir.h"

using namespace stampwell;
using namespace stampwell::test;
namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using Lines = std::vector<std::string>;

namespace {

const Lines kFrame = {TJob::kHyphenLine, TJob::kJobBegin, TJob::kJobEnd, TJob::kHyphenLine};

class JobTest : public JobFixture {
 protected:
  JobTest() { SetMainDispatcher(&ui); }
  ~JobTest() override { SetMainDispatcher(nullptr); }

  std::shared_ptr<TJob> Make(bool doc, bool xls, bool ppt, bool pdf, bool other) {
    return MakeJob(Settings(doc, xls, ppt, pdf, other));
  }
  int Ends() const { return window->Count(WM_JOBEND); }
  static std::string Stamp(const std::string& f) { return "Add watermark into " + f; }
  static std::string Copy(const std::string& f, const std::string& t) {
    return "copy file:" + f + " to:" + t;
  }

  std::string src = Src(), dst = Dst();
};

TEST_F(JobTest, WatermarkFolderJobWithAndWithoutOtherFiles) {
  WriteFile(src + "/a.doc", "a");
  WriteFile(src + "/b.xls", "b");
  WriteFile(src + "/~$a.doc", "owner");
  WriteFile(src + "/S/c.doc", "c");
  for (bool other : {true, false}) {
    SCOPED_TRACE(other);
    const std::string to = dst + (other ? "1" : "2");
    display = std::make_shared<RecordingDisplay>(), window = std::make_shared<RecordingWindow>();
    auto job = Make(true, false, false, false, other);
    job->AddItem(src, to, "Folder");
    ASSERT_TRUE(RunToEnd(job));
    Lines expected = {Stamp(src + "/a.doc"), Stamp(src + "/S/c.doc")};
    if (other) expected.insert(expected.begin() + 1, Copy(src + "/b.xls", to + "/b.xls"));
    EXPECT_EQ(ActionLines(), expected);
    EXPECT_EQ(ReadFile(to + "/S/c.doc"), "saved");
    EXPECT_EQ(FileExists(to + "/b.xls"), other);
    EXPECT_FALSE(FileExists(to + "/~$a.doc"));
    const int n = other ? 3 : 2;
    EXPECT_EQ(job->TotalCount, n);
    EXPECT_EQ(job->DoneCount, n);
    EXPECT_EQ(display->Only("status ").back(), std::to_string(n) + " of " + std::to_string(n));
    // The display shows 50 characters and "..", the log the whole text.
    ASSERT_GT(Stamp(src + "/a.doc").size(), 50u);
    EXPECT_EQ(display->Only("action ").front(), Stamp(src + "/a.doc").substr(0, 50) + "..");
    EXPECT_EQ(display->Only("panel ").front(), display->Only("action ").front());
  }
}

// The current formats are documents only in a job that asks for them. Then they follow the
// switch of their application in any letter case, with the "~" rule, counts and log lines of
// the legacy ones; a kind whose switch is off (here PowerPoint) and look-alike extensions stay
// other files.
TEST_F(JobTest, CurrentFormatsAreStampedOnlyInAJobThatAsksForThem) {
  const Lines words = {"a.DOCX", "b.docm", "c.odt"}, books = {"d.xlsx", "e.XLSM", "f.ods"},
              others = {"g.pptx", "h.pptm", "i.OdP", "j.docxx", "k.dotx", "l.odg"};
  for (const Lines* group : {&words, &books, &others})
    for (const std::string& f : *group) WriteFile(src + "/" + f, f);
  WriteFile(src + "/~$a.docx", "owner");
  for (bool modern : {false, true}) {
    SCOPED_TRACE(modern);
    const std::string to = dst + (modern ? "On" : "Off");
    display = std::make_shared<RecordingDisplay>(), window = std::make_shared<RecordingWindow>();
    RJobSettings settings = Settings(true, true, false, false, true);
    settings.ModernFormats = modern;
    auto job = MakeJob(settings);
    job->FileKinds = OfficeFileKinds();  // the office engines' side of the current formats
    job->AddItem(src, to, "Folder");
    ASSERT_TRUE(RunToEnd(job));
    Lines expected;
    for (const Lines* group : {&words, &books, &others})
      for (const std::string& f : *group) {
        const bool stamped = modern && group != &others;
        expected.push_back(stamped ? Stamp(src + "/" + f) : Copy(src + "/" + f, to + "/" + f));
        EXPECT_EQ(ReadFile(to + "/" + f), stamped ? "saved" : f) << f;
      }
    EXPECT_EQ(ActionLines(), expected);
    EXPECT_FALSE(FileExists(to + "/~$a.docx"));
    EXPECT_EQ(job->TotalCount, 12);
    EXPECT_EQ(job->DoneCount, 12);
    EXPECT_THAT(CallsWith("App.Documents.Open("), SizeIs(modern ? 3 : 0));
    EXPECT_THAT(CallsWith("App.workBooks.Open("), SizeIs(modern ? 3 : 0));
    server.ClearCalls();
  }
}

TEST_F(JobTest, CurrentFormatsArePrintedAndStampedInPlaceLikeTheLegacyOnes) {
  WriteFile(src + "/a.docx", "a");
  WriteFile(src + "/b.ods", "b");
  WriteFile(src + "/c.pptm", "c");
  RJobSettings pdf = Settings(false, false, false, true, false);
  pdf.ModernFormats = true;
  auto job = MakeJob(pdf);
  job->FileKinds = OfficeFileKinds();  // the office engines' side of the current formats
  job->AddItem(src, dst, "Folder");
  WriteFile(dst + "/c.pdf", "earlier PDF");  // c's PDF exists: passed over, not counted
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(), Lines({"Print Doc file:" + src + "/a.docx to PDF:" + dst + "/a.pdf",
                                  "Print Xls file:" + src + "/b.ods to PDF:" + dst + "/b.pdf"}));
  EXPECT_EQ(job->TotalCount, 2);
  EXPECT_EQ(ReadFile(dst + "/a.pdf"), "PDF of " + src + "/a.docx");
  EXPECT_EQ(ReadFile(dst + "/b.pdf"), "PDF of " + src + "/b.ods");

  window = std::make_shared<RecordingWindow>();
  server.ClearCalls();
  RJobSettings inPlace = Settings(true, true, true, false, false);
  inPlace.ModernFormats = true;
  job = MakeJob(inPlace);
  job->FileKinds = OfficeFileKinds();
  job->AddItem(src, src, "Folder");
  job->AddItem(src + "/a.docx", src + "/a.docx", "File");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(), Lines({Stamp(src + "/a.docx"), Stamp(src + "/b.ods"),
                                  Stamp(src + "/c.pptm"), Stamp(src + "/a.docx")}));
  EXPECT_THAT(CallsWith("App.Documents.Open.SaveAs"), IsEmpty());
  EXPECT_THAT(CallsWith("call App.Documents.Open.Save()"), SizeIs(2));
  EXPECT_THAT(server.Log(), testing::IsSupersetOf(Lines{
                                "call App.workBooks.Open.SaveAs(Str(\"" + src + "/b.ods\"))",
                                "call App.workBooks.Open.Close()",
                                "call App.ActivePresentation.SaveAs(Str(\"" + src + "/c.pptm\"))",
                                "call App.ActivePresentation.Close()"}));
  EXPECT_THAT(CallsWith("call App.workBooks.Open.Save()"), IsEmpty());
  EXPECT_THAT(CallsWith("call App.ActivePresentation.Save()"), IsEmpty());
}

// In the standard kinds, a job with the current formats stamps .docx, .xlsx and .pptx in
// their own package: no office application is asked, the saved package carries the mark,
// and a signed package is told with its reason and not written.
TEST_F(JobTest, CurrentOfficeFormatsAreStampedInTheirOwnPackage) {
  const std::string corpus = STAMPWELL_CORPUS_DIR;
  const Lines files = {"a.docx", "b.xlsx", "c.pptx"};
  fs::copy_file(corpus + "/docx/poi__ThreeColHead.docx", src + "/a.docx");
  fs::copy_file(corpus + "/xlsx/poi__WithVariousData.xlsx", src + "/b.xlsx");
  fs::copy_file(corpus + "/pptx/poi__51187.pptx", src + "/c.pptx");
  {
    ooxml::TZipPackage signedCopy;
    signedCopy.Open(corpus + "/docx/poi__Styles.docx");
    signedCopy.Write("_xmlsignatures/sig1.xml", "<Signature/>");
    signedCopy.SaveAs(src + "/d.docx");
  }
  RJobSettings settings = Settings(true, true, true, false, false);
  settings.ModernFormats = true;
  auto job = MakeJob(settings);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(),
            Lines({Stamp(src + "/a.docx"), Stamp(src + "/b.xlsx"), Stamp(src + "/c.pptx"),
                   "Error in " + src + "/d.docx:signed document, not stamped"}));
  EXPECT_THAT(CallsWith("Open("), IsEmpty());
  for (const std::string& f : files) {
    ooxml::TZipPackage saved;
    saved.Open(dst + "/" + f);
    bool marked = false;
    for (const auto& part : saved.PartNames())
      if (saved.Read(part).find("QuillmarkWaterMarkObject1") != std::string::npos) marked = true;
    EXPECT_TRUE(marked) << f;
  }
  EXPECT_FALSE(FileExists(dst + "/d.docx"));
}

TEST_F(JobTest, SecondRunOnlyWritesTheFrameAndNeverRefreshesTheDisplay) {
  WriteFile(src + "/a.doc", "a");
  WriteFile(src + "/b.txt", "b");
  WriteFile(dst + "/a.doc", "done");
  WriteFile(dst + "/b.txt", "done");
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(LogLines(), kFrame);
  EXPECT_THAT(display->reports, ElementsAre("range 0..0"));
  EXPECT_THAT(CallsWith("create"), IsEmpty());
}

TEST_F(JobTest, PdfOnlyJobPrintsClosesUnsavedThenMovesThePdfsThenPrintsTheSample) {
  WriteFile(src + "/a.doc", "a");
  WriteFile(src + "/b.xls", "b");
  bool bMovedBeforeSample = false;
  onNewDocument = [&] { bMovedBeforeSample = FileExists(dst + "/b.pdf"); };
  auto job = Make(false, false, false, true, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(),
              ElementsAre("Print Doc file:" + src + "/a.doc to PDF:" + dst + "/a.pdf",
                          "Print Xls file:" + src + "/b.xls to PDF:" + dst + "/b.pdf"));
  EXPECT_TRUE(bMovedBeforeSample) << "a PDF already written never waits for the sample";
  EXPECT_EQ(ReadFile(dst + "/a.pdf"), "PDF of " + src + "/a.doc");
  EXPECT_EQ(ReadFile(dst + "/b.pdf"), "PDF of " + src + "/b.xls");
  EXPECT_EQ(ListTree(dst), Lines({"a.pdf", "b.pdf"}));
  EXPECT_THAT(CallsWith("Shapes.AddTextEffect("), SizeIs(1)) << "only the sample is stamped";
  EXPECT_THAT(CallsWith("Save"), IsEmpty());
  EXPECT_THAT(CallsWith("Open.Close("), SizeIs(2));
}

TEST_F(JobTest, TwoPdfsOfTheSameNameEachReachTheirOwnDestination) {
  WriteFile(src + "/1/r.doc", "1");
  WriteFile(src + "/2/r.doc", "2");
  auto job = Make(false, false, false, true, false);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ReadFile(dst + "/1/r.pdf"), "PDF of " + src + "/1/r.doc");
  EXPECT_EQ(ReadFile(dst + "/2/r.pdf"), "PDF of " + src + "/2/r.doc");
}

TEST_F(JobTest, InPlaceStampingIsSavedByTheCloseAndRepeatsOnEveryRun) {
  WriteFile(src + "/a.doc", "a");
  WriteFile(src + "/S/c.doc", "c");
  WriteFile(src + "/x.txt", "x");
  for (int run = 0; run < 2; ++run) {
    window = std::make_shared<RecordingWindow>();
    server.ClearCalls();
    auto job = Make(true, false, false, false, true);
    job->AddItem(src, src, "Folder");                      // folder in place
    job->AddItem(src + "/a.doc", src + "/a.doc", "File");  // single file in place
    ASSERT_TRUE(RunToEnd(job));
    EXPECT_EQ(ActionLines(),
              Lines({Stamp(src + "/a.doc"), Stamp(src + "/S/c.doc"), Stamp(src + "/a.doc")}));
    EXPECT_THAT(CallsWith("SaveAs"), IsEmpty());
    EXPECT_THAT(CallsWith("call App.Documents.Open.Save()"), SizeIs(3));
  }
}

TEST_F(JobTest, InPlaceExcelAndPowerPointAreSavedOnceUnderTheirPathThenClosed) {
  WriteFile(src + "/b.xls", "b");
  WriteFile(src + "/c.ppt", "c");
  auto job = Make(false, true, true, false, false);
  job->AddItem(src, src, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(server.Log(), testing::IsSupersetOf(Lines{
                                "call App.workBooks.Open.SaveAs(Str(\"" + src + "/b.xls\"))",
                                "call App.workBooks.Open.Close()",
                                "call App.ActivePresentation.SaveAs(Str(\"" + src + "/c.ppt\"))",
                                "call App.ActivePresentation.Close()"}));
  // One save each: a second one could only fail after the file was stored.
  EXPECT_THAT(CallsWith(".Save("), IsEmpty());
  EXPECT_THAT(CallsWith(".SaveAs("), SizeIs(2));
  EXPECT_EQ(job->Counts.Stamped, 2);
  EXPECT_EQ(job->Counts.Failed, 0);
}

TEST_F(JobTest, InPlacePdfJobPrintsWithoutSavingAndPassesOverFilesWhosePdfExists) {
  WriteFile(src + "/a.doc", "a");
  WriteFile(src + "/b.xls", "b");
  WriteFile(src + "/c.ppt", "c");
  WriteFile(src + "/c.pdf", "earlier PDF");
  auto job = Make(true, true, true, true, false);
  job->AddItem(src, src, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(
      ActionLines(),
      Lines({Stamp(src + "/a.doc"), "Print Doc file:" + src + "/a.doc to PDF:" + src + "/a.pdf",
             Stamp(src + "/b.xls"), "Print Xls file:" + src + "/b.xls to PDF:" + src + "/b.pdf"}));
  EXPECT_EQ(job->TotalCount, 4);
  EXPECT_THAT(CallsWith("Save"), IsEmpty()) << "the stamped sources are closed unsaved";
  EXPECT_EQ(ReadFile(src + "/c.pdf"), "earlier PDF");
  EXPECT_EQ(ReadFile(src + "/a.pdf"), "PDF of " + src + "/a.doc");
}

TEST_F(JobTest, EntriesThatCannotBeHandledArePassedOver) {
  std::filesystem::create_directories(src + "/folder.doc");
  std::filesystem::create_directory_symlink(src, src + "/loop");  // never followed
  WriteFile(src + "/x.docx", "1");
  WriteFile(src + "/y.XLSX", "2");
  WriteFile(src + "/z.pptx", "3");
  auto job = Make(true, true, true, false, true);
  job->AddItem(src + "/folder.doc", dst + "/folder.doc", "File");  // a folder is no file
  job->AddItem(src + "/missing", dst, "Folder");                   // said in the log, nothing more
  job->AddItem(src, dst, "Folder");  // four-letter extensions are other files
  job->AddItem(src, "", "Folder");   // an empty destination ends the entries
  job->AddItem(src, dst + "2", "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(),
            Lines({"Error in " + src + "/missing:the source folder does not exist",
                   Copy(src + "/x.docx", dst + "/x.docx"), Copy(src + "/y.XLSX", dst + "/y.XLSX"),
                   Copy(src + "/z.pptx", dst + "/z.pptx")}));
  EXPECT_TRUE(DirectoryExists(dst + "/folder.doc")) << "the walk creates the folders it enters";
  EXPECT_FALSE(DirectoryExists(dst + "/loop"));
  EXPECT_THAT(CallsWith("create"), IsEmpty());
}

// Links in a source folder: one to a file outside it is never followed (the job's files are
// those of its folder), one to a file inside gives that file once, where it lies; links to
// folders are not followed.
TEST_F(JobTest, FileLinksLeadingOutOfTheFolderArePassedOverAndInsideOnesHandledOnce) {
  const std::string outside = src + "-outside";
  WriteFile(outside + "/secret.txt", "secret");
  WriteFile(outside + "/deck.ppt", "ppt");
  WriteFile(src + "/a.txt", "a");
  WriteFile(src + "/sub/b.doc", "b");
  namespace fs = std::filesystem;
  fs::create_symlink(outside + "/secret.txt", src + "/secret_link.txt");
  fs::create_symlink(outside + "/deck.ppt", src + "/deck_link.ppt");
  fs::create_symlink("a.txt", src + "/a_link.txt");          // relative, inside
  fs::create_symlink("../a.txt", src + "/sub/up_link.txt");  // inside, from a subfolder
  fs::create_symlink("sub/../../" + fs::path(outside).filename().string() + "/secret.txt",
                     src + "/sneaky_link.txt");  // out through the folder's parent
  fs::create_directory_symlink(outside, src + "/outside_dir");
  auto job = Make(true, true, true, false, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  const auto actions = ActionLines();
  EXPECT_THAT(actions, Contains(Copy(src + "/a.txt", dst + "/a.txt")));
  EXPECT_THAT(actions, Contains(Stamp(src + "/sub/b.doc")));
  int passedOver = 0;
  for (const auto& line : actions) {
    EXPECT_EQ(line.find("a_link"), std::string::npos) << line;
    EXPECT_EQ(line.find("up_link"), std::string::npos) << line;
    EXPECT_EQ(line.find("Print"), std::string::npos) << line;
    if (line.rfind("Passed over ", 0) == 0) {
      ++passedOver;
      EXPECT_NE(line.find(outside), std::string::npos) << line;
    }
  }
  EXPECT_EQ(passedOver, 3) << ::testing::PrintToString(actions);
  EXPECT_THAT(actions, Contains(HasSubstr("Passed over " + src + "/secret_link.txt: a link to")));
  EXPECT_THAT(actions, Contains(HasSubstr("Passed over " + src + "/deck_link.ppt: a link to")));
  EXPECT_THAT(actions, Contains(HasSubstr("Passed over " + src + "/sneaky_link.txt: a link to")));
  for (const char* name : {"/secret_link.txt", "/deck_link.ppt", "/sneaky_link.txt",
                           "/a_link.txt", "/sub/up_link.txt", "/outside_dir"})
    EXPECT_FALSE(fs::exists(fs::symlink_status(dst + name))) << name;
  EXPECT_THAT(CallsWith(outside), IsEmpty()) << "an office opened a file outside the folder";
  EXPECT_EQ(job->TotalCount, 2);  // a.txt copied, b.doc stamped
}

TEST_F(JobTest, AFileThatCannotBeOpenedIsLoggedWhateverItsKind) {
  for (std::string f : {"/a.doc", "/b.doc", "/c.xls", "/d.ppt"}) WriteFile(src + f, f);
  server.Fail(CallKind::Call, "App.Documents", "Open", "locked", 1);
  server.Fail(CallKind::Call, "App.workBooks", "Open", "locked", 1);
  server.Fail(CallKind::Call, "App.Presentations", "Open", "locked", 1);
  auto job = Make(true, true, true, false, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  // Every kind's failure has its line in the log; no file is copied in their place.
  EXPECT_EQ(ActionLines(),
            Lines({"Error in Open world file:" + src + "/a.doc", Stamp(src + "/b.doc"),
                   "Error in " + src + "/c.xls:the file cannot be opened",
                   "Error in " + src + "/d.ppt:the file cannot be opened"}));
  EXPECT_EQ(ListTree(dst), Lines({"b.doc"}));
  EXPECT_EQ(job->TotalCount, 4);
  EXPECT_EQ(job->DoneCount, 1);
  EXPECT_THAT(display->Only("status "), ElementsAre("0 of 4", "1 of 4"));
}

TEST_F(JobTest, VerifyOpensEachSavedFileAgainAndFailsTheOnesWithoutTheMark) {
  const ChecksAside inOrder(false);  // each check right after its file
  for (std::string f : {"/a.doc", "/b.doc", "/c.doc"}) WriteFile(src + f, f);
  // What the office prints of the saved files: a.doc shows the mark, b.doc does not, c.doc
  // gives no PDF a reader can open.
  printBytes = [](const std::string& doc) {
    if (doc.find("/a.doc") != std::string::npos) return SquarePdf(true);
    if (doc.find("/b.doc") != std::string::npos) return SquarePdf(false);
    return std::string("not a PDF");
  };
  auto job = Make(true, false, false, false, false);
  job->Settings.Verify = true;
  job->DocSettings.DocWatermarkColor = 0x00FF00FF;
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(
      ActionLines(),
      Lines(
          {Stamp(src + "/a.doc"), "Verified " + src + "/a.doc: 1 of 1 pages", Stamp(src + "/b.doc"),
           "Error in " + src + "/b.doc:the mark does not show on page(s) 1", Stamp(src + "/c.doc"),
           "Error in " + src + "/c.doc:its PDF cannot be read to verify the mark"}));
  // Each saved file was opened again from its destination, after its own open.
  for (std::string f : {"/a.doc", "/b.doc", "/c.doc"})
    EXPECT_EQ(std::count(opened.begin(), opened.end(), dst + f), 1) << f;
  // The files stay for the user to look at; two of them count as failed.
  EXPECT_EQ(ListTree(dst), Lines({"a.doc", "b.doc", "c.doc"}));
  EXPECT_EQ(job->Counts.Verified, 1);
  EXPECT_EQ(job->Counts.Failed, 2);
  // The PDFs made to check them are gone from the printer's folder.
  EXPECT_EQ(ListTree(pdfOutputDir), Lines{});
}

// A page filled with a blue page colour; with the mark, a square of magenta blended half over
// it (what a transparent mark over a coloured cell or slide background gives).
std::string BluePagePdf(bool marked) {
  std::string content = "0.2 0.6 0.9 rg 0 0 595 842 re f\n";
  if (marked) content += "0.6 0.3 0.95 rg 100 300 300 200 re f\n";
  return OnePagePdf(content);
}

// Over a coloured page the mark does not read as its colour over white paper: the unstamped
// source, printed only for a file that fails that first look, tells what lies under it. A
// saved file without the mark still fails, and a file seen at once costs no second print.
TEST_F(JobTest, VerifyReadsAMarkOverAColouredPageAgainstTheUnstampedSource) {
  const ChecksAside inOrder(false);
  for (std::string f : {"/a.doc", "/c.doc", "/d.doc"}) WriteFile(src + f, f);
  const std::string dstRoot = dst;
  printBytes = [dstRoot](const std::string& doc) {
    const bool saved = doc.rfind(dstRoot, 0) == 0;
    if (doc.find("/a.doc") != std::string::npos) return SquarePdf(true);
    if (doc.find("/c.doc") != std::string::npos) return BluePagePdf(saved);
    return BluePagePdf(false);  // d.doc: saved without the mark
  };
  auto job = Make(true, false, false, false, false);
  job->Settings.Verify = true;
  job->DocSettings.DocWatermarkColor = 0x00FF00FF;
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(),
            Lines({Stamp(src + "/a.doc"), "Verified " + src + "/a.doc: 1 of 1 pages",
                   Stamp(src + "/c.doc"), "Verified " + src + "/c.doc: 1 of 1 pages",
                   Stamp(src + "/d.doc"),
                   "Error in " + src + "/d.doc:the mark does not show on page(s) 1"}));
  EXPECT_EQ(job->Counts.Verified, 2);
  EXPECT_EQ(job->Counts.Failed, 1);
  // The sources were opened again to print them only where the first look failed.
  EXPECT_EQ(std::count(opened.begin(), opened.end(), src + "/a.doc"), 1);
  EXPECT_EQ(std::count(opened.begin(), opened.end(), src + "/c.doc"), 2);
  EXPECT_EQ(ListTree(pdfOutputDir), Lines{});
}

// Made aside, the checks give every file the line and the counts it gets in turn: each file's
// check follows its own stamp, the saved files are opened again on a thread of their own (the
// lane's office), and the PDFs made to check them are gone.
TEST_F(JobTest, ChecksMadeAsideGiveEachFileItsOwnLineAndCount) {
  const Lines files = {"/a.doc", "/b.doc", "/c.doc", "/d.doc", "/e.doc"};
  for (const std::string& f : files) WriteFile(src + f, f);
  printBytes = [](const std::string& doc) {
    if (doc.find("/c.doc") != std::string::npos) return std::string("not a PDF");
    return SquarePdf(doc.find("/b.doc") == std::string::npos);
  };
  std::mutex threadsMutex;
  std::map<std::string, std::thread::id> openedOn;
  onOpen = [&](const std::string& doc) {
    std::lock_guard lock(threadsMutex);
    openedOn.emplace(doc, std::this_thread::get_id());  // the first open of each
  };
  const ChecksAside aside(true);
  auto job = Make(true, false, false, false, false);
  job->Settings.Verify = true;
  job->DocSettings.DocWatermarkColor = 0x00FF00FF;
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  const Lines lines = ActionLines();
  auto at = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  ASSERT_THAT(lines, SizeIs(2 * files.size()));
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string f = src + files[i];
    const std::string check = files[i] == "/b.doc"
                                  ? "Error in " + f + ":the mark does not show on page(s) 1"
                              : files[i] == "/c.doc"
                                  ? "Error in " + f + ":its PDF cannot be read to verify the mark"
                                  : "Verified " + f + ": 1 of 1 pages";
    EXPECT_LT(at(Stamp(f)), at(check)) << f;
    EXPECT_LT(at(check), static_cast<long>(lines.size())) << f;
    if (i > 0) {
      EXPECT_LT(at(Stamp(src + files[i - 1])), at(Stamp(f))) << "walk order";
    }
    std::lock_guard lock(threadsMutex);
    EXPECT_NE(openedOn[dst + files[i]], openedOn[f]) << f;
  }
  EXPECT_EQ(job->Counts.Stamped, 5);
  EXPECT_EQ(job->Counts.Verified, 3);
  EXPECT_EQ(job->Counts.Failed, 2);
  // The lane prints into a folder of its own, never the run's printer folder.
  EXPECT_TRUE(!fs::exists(pdfOutputDir) || ListTree(pdfOutputDir).empty());
}

// A lane that cannot be had (no temporary folder for its prints) leaves the checks in turn:
// each file then says why it could not be checked, and the run goes on to the next file.
TEST_F(JobTest, WithoutALaneTheChecksGoInTurnAndEachFileSaysWhatFailed) {
  for (std::string f : {"/a.doc", "/b.doc"}) WriteFile(src + f, f);
  const ChecksAside aside(true);
  const char* tmp = std::getenv("TMPDIR");
  const std::string saved = tmp ? tmp : "";
  ::setenv("TMPDIR", (work.Path() + "gone").c_str(), 1);
  auto job = Make(true, false, false, false, false);
  job->Settings.Verify = true;
  job->AddItem(src, dst, "Folder");
  const bool ended = RunToEnd(job);
  if (tmp)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  ASSERT_TRUE(ended);
  const std::string why = ":it could not be verified: no temporary folder for the PDF could be made";
  EXPECT_EQ(ActionLines(), Lines({Stamp(src + "/a.doc"), "Error in " + src + "/a.doc" + why,
                                  Stamp(src + "/b.doc"), "Error in " + src + "/b.doc" + why}));
  EXPECT_EQ(job->Counts.Stamped, 2);
  EXPECT_EQ(job->Counts.Failed, 2);
}

// With PDF output a file's check reads the PDF it was given, also one named apart because
// another output of the run has the plain name ("report (xls).pdf" beside report.doc's).
TEST_F(JobTest, VerifyReadsThePdfAFileWasGivenUnderItsOwnName) {
  for (bool aside : {false, true}) {
    SCOPED_TRACE(aside);
    const ChecksAside lane(aside);
    const std::string to = dst + (aside ? "/aside" : "/inOrder");
    WriteFile(src + "/report.doc", "doc");
    WriteFile(src + "/report.xls", "xls");
    // Only the workbook's print shows the mark.
    printBytes = [](const std::string& doc) {
      return SquarePdf(doc.find("report.xls") != std::string::npos);
    };
    display = std::make_shared<RecordingDisplay>(), window = std::make_shared<RecordingWindow>();
    auto job = Make(true, true, false, true, false);
    job->Settings.Verify = true;
    job->DocSettings.DocWatermarkColor = 0x00FF00FF;
    job->AddItem(src, to, "Folder");
    ASSERT_TRUE(RunToEnd(job));
    EXPECT_THAT(ActionLines(), Contains("Verified " + src + "/report.xls: 1 of 1 pages"));
    EXPECT_THAT(ActionLines(),
                Contains("Error in " + src + "/report.doc:the mark does not show on page(s) 1"));
    EXPECT_EQ(job->Counts.Verified, 1);
    EXPECT_EQ(job->Counts.Failed, 1);
    EXPECT_TRUE(FileExists(to + "/report (xls).pdf"));
  }
}

TEST_F(JobTest, ASourceFolderThatDoesNotExistIsLoggedAndTheOthersRun) {
  WriteFile(src + "/a.doc", "a");
  auto job = Make(true, false, false, false, false);
  job->AddItem(src + "/gone", dst + "/gone", "Folder");
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(), Lines({"Error in " + src + "/gone:the source folder does not exist",
                                  Stamp(src + "/a.doc")}));
}

TEST_F(JobTest, WithoutVerifyNothingIsOpenedAgain) {
  WriteFile(src + "/a.doc", "a");
  auto job = Make(true, false, false, false, false);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(opened, Lines({src + "/a.doc"}));
  EXPECT_EQ(job->Counts.Verified, 0);
}

TEST_F(JobTest, ADestinationInsideItsSourceIsNotWalkedIntoItself) {
  // The second run of a job whose destination lies inside its source: the destination holds
  // the first run's copy, and walking it as part of the source would nest it in itself.
  WriteFile(src + "/a.txt", "a");
  WriteFile(src + "/S/b.txt", "b");
  WriteFile(src + "/out/a.txt", "first run");
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, src + "/out", "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(), Lines({Copy(src + "/S/b.txt", src + "/out/S/b.txt")}));
  EXPECT_EQ(ListTree(src + "/out"), Lines({"S/b.txt", "a.txt"}));
  EXPECT_EQ(job->TotalCount, 1);
}

TEST_F(JobTest, AFileEntryIsCountedByTheSwitchesWhateverItsTypeAndWhetherItExists) {
  WriteFile(src + "/a.doc", "a");
  WriteFile(src + "/b.txt", "b");
  auto job = Make(true, false, false, true, false);
  job->AddItem(src + "/a.doc", dst + "/a.doc", "File");
  job->AddItem(src + "/missing.doc", dst + "/missing.doc", "File");
  job->AddItem(src + "/b.txt", dst + "/b.txt", "File");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(job->TotalCount, 6);
  EXPECT_EQ(job->DoneCount, 2);
  EXPECT_EQ(display->reports.front(), "range 0..6");
  EXPECT_EQ(display->Only("status ").back(), "2 of 6");
}

TEST_F(JobTest, ExcelAndPowerPointKeepTheirOwnOrderOfSteps) {
  WriteFile(src + "/b.xls", "b");
  WriteFile(src + "/c.ppt", "c");
  WriteFile(src + "/d.doc", "d");
  auto job = Make(true, true, true, false, false);
  job->AddItem(src + "/b.xls", dst + "/new/b.xls", "File");
  job->AddItem(src + "/c.ppt", dst + "/c.ppt", "File");
  job->AddItem(src + "/d.doc", dst + "/d.doc", "File");
  ASSERT_TRUE(RunToEnd(job));
  // Excel shows nothing; PowerPoint counts before it shows; Word shows before it counts;
  // the end shows the final count.
  EXPECT_THAT(display->Only("status "), ElementsAre("2 of 3", "2 of 3", "3 of 3"));
  EXPECT_EQ(ReadFile(dst + "/new/b.xls"), "saved") << "folder made for it";
  EXPECT_THAT(CallsWith(".Quit()"), SizeIs(3));
}

TEST_F(JobTest, StopBeforeTheRunStartsWritesNothingButStillEnds) {
  WriteFile(src + "/x.txt", "x");
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, dst, "Folder");
  job->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return Ends() == 1; }));
  EXPECT_FALSE(FileExists(ProgramDir() + "swWeekly.log"));
  EXPECT_THAT(display->reports, IsEmpty());
}

TEST_F(JobTest, StopDuringTheThirdOfFiveFilesFinishesThatFileAndTheRun) {
  auto job = Make(true, false, false, true, false);
  Lines expected;
  for (std::string n : {"1", "2", "3", "4", "5"}) {
    WriteFile(src + "/f" + n + ".doc", n);
    job->AddItem(src + "/f" + n + ".doc", dst + "/f" + n + ".doc", "File");
    if (n <= "3")
      expected.insert(expected.end(), {Stamp(src + "/f" + n + ".doc"),
                                       "Print Doc file:" + src + "/f" + n + ".doc to PDF:" + dst +
                                           "/f" + n + ".pdf"});
  }
  expected.push_back(TJob::kJobTerminated);
  onOpen = [&](const std::string& doc) {
    if (doc == src + "/f3.doc") job->Terminate();
  };
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(), expected);
  EXPECT_EQ(LogLines().back(), TJob::kHyphenLine);
  EXPECT_EQ(ReadFile(dst + "/f3.pdf"), "PDF of " + src + "/f3.doc") << "PDFs still collected";
  EXPECT_FALSE(FileExists(dst + "/f4.pdf"));
  EXPECT_THAT(CallsWith("call App.Quit("), SizeIs(1));
  // After the stop the display is left alone: the last report is about the second file.
  EXPECT_EQ(display->Only("action ").back(), TJob::DisplayText(expected[3]));
}

TEST_F(JobTest, StopInNestedFoldersIsWrittenOnceHoweverDeep) {
  for (std::string f : {"/A/B/1.txt", "/A/B/2.txt", "/A/z.txt", "/z.txt"}) WriteFile(src + f, f);
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, dst, "Folder");
  job->AddItem(src + "/z.txt", dst + "/again.txt", "File");
  display->onAction = [&](const std::string&) { job->Terminate(); };
  ASSERT_TRUE(RunToEnd(job));
  Lines expected(2, TJob::kJobTerminated);
  expected[0] = Copy(src + "/A/B/1.txt", dst + "/A/B/1.txt");
  EXPECT_EQ(ActionLines(), expected);
  EXPECT_TRUE(FileExists(dst + "/A/B/1.txt"));
}

TEST_F(JobTest, CancelWhileSuspendedEndsTheRun) {
  for (std::string n : {"1", "2", "3"}) WriteFile(src + "/f" + n + ".txt", n);
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, dst, "Folder");
  display->onAction = [&](const std::string&) {
    if (!job->Suspended()) job->Suspend(), job->Suspend();  // counted: needs two resumes
  };
  job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return job->Suspended(); }));
  job->Resume();
  for (int i = 0; i < 30; ++i) ui.WaitAndProcess(2);
  EXPECT_EQ(Ends(), 0);
  EXPECT_FALSE(FileExists(dst + "/f2.txt"));
  job->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return Ends() == 1; }));
  EXPECT_EQ(ActionLines().back(), TJob::kJobTerminated);
}

TEST_F(JobTest, AnEngineErrorFailsThatFileAloneAndTheRunGoesOn) {
  for (std::string f : {"/a.doc", "/b.doc", "/c.doc", "/d.xls", "/e.ppt"}) WriteFile(src + f, f);
  // b.doc: the save writes part of the file, then fails; d.xls: the stamp fails (the error
  // has no text of its own, so the line says which step it ended);
  // e.ppt: the office dies while stamping.
  int saves = 0;
  server.SetHandler("App.Documents.Open", "SaveAs", [&](const std::vector<OleVariant>& args) {
    const std::string path = args.at(0).AsString();
    WriteFile(path, "half");
    if (++saves == 2) throw EOleError("disk full writing " + path);
    WriteFile(path, "saved");
    return OleVariant();
  });
  server.Fail(CallKind::Call, "App.workBooks.Open.Worksheets.Item(1).Shapes", "AddTextEffect",
              "The office reported an error", 1);
  server.Fail(CallKind::Call, "App.ActivePresentation.SlideMaster.Shapes", "AddTextEffect",
              "The office process has ended: bridge gone", 1);
  auto job = Make(true, true, true, false, false);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(
      ActionLines(),
      Lines({Stamp(src + "/a.doc"), Stamp(src + "/b.doc"),
             "Error in " + src + "/b.doc:disk full writing " + dst + "/b.doc",
             Stamp(src + "/c.doc"), Stamp(src + "/d.xls"),
             "Error in " + src + "/d.xls:The office reported an error while adding the watermark",
             Stamp(src + "/e.ppt"),
             "Error in " + src + "/e.ppt:The office process has ended: bridge gone"}));
  EXPECT_EQ(LogLines().back(), TJob::kHyphenLine);
  EXPECT_EQ(ListTree(dst), Lines({"a.doc", "c.doc"})) << "no copy of a failed file";
  EXPECT_THAT(CallsWith("call App.Documents.Open.Close("), SizeIs(3)) << "b.doc closed unsaved";
  EXPECT_THAT(CallsWith("call App.workBooks.Open.Close("), SizeIs(1));
  EXPECT_THAT(CallsWith("call App.Quit("), SizeIs(3));
  EXPECT_EQ(job->Counts.Stamped, 2);
  EXPECT_EQ(job->Counts.Failed, 3);
  // Failed files count as handled: the display ends at its total.
  EXPECT_EQ(job->DoneCount, 5);
  EXPECT_EQ(display->Only("status ").back(), "5 of 5");
  EXPECT_FALSE(job->EndedOnError());
  EXPECT_EQ(job->FatalError(), "");
}

TEST_F(JobTest, APrintThatFailsGivesThatFileNoPdfAndTheRunGoesOn) {
  WriteFile(src + "/a.doc", "a");
  WriteFile(src + "/b.doc", "b");
  server.Fail(CallKind::Call, "App", "PrintOut", "printer gone", 1);
  auto job = Make(true, false, false, true, false);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(), Lines({Stamp(src + "/a.doc"),
                                  "Print Doc file:" + src + "/a.doc to PDF:" + dst + "/a.pdf",
                                  "Error in " + src + "/a.doc:printer gone", Stamp(src + "/b.doc"),
                                  "Print Doc file:" + src + "/b.doc to PDF:" + dst + "/b.pdf"}));
  EXPECT_EQ(ListTree(dst), Lines({"b.pdf"}));
  EXPECT_EQ(job->Counts.Printed, 1);
  EXPECT_EQ(job->Counts.Failed, 1);
  EXPECT_EQ(job->DoneCount, 4);
}

TEST_F(JobTest, ACopyThatFailsIsLoggedAsAnErrorNotAsDone) {
  WriteFile(src + "/a.txt", "a");
  WriteFile(src + "/S/b.txt", "b");
  WriteFile(src + "/z.txt", "z");
  WriteFile(dst + "/S", "a file where the folder should be");
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(),
            Lines({Copy(src + "/a.txt", dst + "/a.txt"),
                   "Error in " + src + "/S/b.txt:cannot write " + dst + "/S/b.txt: not a directory",
                   Copy(src + "/z.txt", dst + "/z.txt")}));
  EXPECT_EQ(job->Counts.Copied, 2);
  EXPECT_EQ(job->Counts.Failed, 1);
  EXPECT_EQ(ListTree(dst), Lines({"S", "a.txt", "z.txt"}));
}

TEST_F(JobTest, LongFileNamesAreStampedAndCopiedLikeAnyOther) {
  // Names of 241 to 255 bytes: a temporary name beside them must stay within the limit.
  const std::string longDoc = std::string(251, 'd') + ".doc";
  const std::string longTxt = std::string(241, 't') + ".txt";
  const std::string longerTxt = std::string(251, 'u') + ".txt";
  WriteFile(src + "/" + longDoc, "d");
  WriteFile(src + "/" + longTxt, "t");
  WriteFile(src + "/" + longerTxt, "u");
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ReadFile(dst + "/" + longTxt), "t");
  EXPECT_EQ(ReadFile(dst + "/" + longerTxt), "u");
  EXPECT_EQ(ReadFile(dst + "/" + longDoc), "saved");
  EXPECT_EQ(job->Counts.Failed, 0);
  EXPECT_EQ(ListTree(dst).size(), 3u) << "no temporary file left";
}

TEST_F(JobTest, FifosAndSocketsArePassedOverWithOneLineAndNeverOpened) {
  WriteFile(src + "/a.txt", "a");
  ASSERT_EQ(::mkfifo((src + "/pipe.txt").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo((src + "/pipe.doc").c_str(), 0644), 0);
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, dst, "Folder");
  job->AddItem(src + "/pipe.txt", dst + "/single.txt", "File");
  ASSERT_TRUE(RunToEnd(job));  // a FIFO opened for reading would block the run for good
  const std::string reason = ": not a regular file (a FIFO, socket or device)";
  EXPECT_EQ(ActionLines(), Lines({Copy(src + "/a.txt", dst + "/a.txt"),
                                  "Passed over " + src + "/pipe.doc" + reason,
                                  "Passed over " + src + "/pipe.txt" + reason,
                                  "Passed over " + src + "/pipe.txt" + reason}));
  EXPECT_EQ(ListTree(dst), Lines({"a.txt"}));
  EXPECT_EQ(job->TotalCount, 1 + 1) << "the folder's FIFOs are not counted; a file entry is";
  EXPECT_TRUE(opened.empty());
}

TEST_F(JobTest, TracesOfEarlierRunsAreNeverCopiedOrStamped) {
  WriteFile(src + "/a.doc", "a");
  WriteFile(src + "/.~lock.a.doc#", "lock");
  WriteFile(src + "/.~sw4242-0-a.doc", "temporary");
  WriteFile(src + "/.~sw12_3_b.xls", "older temporary");
  WriteFile(src + "/.hidden.txt", "kept");
  auto job = Make(true, true, false, false, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ListTree(dst), Lines({".hidden.txt", "a.doc"}));
  EXPECT_EQ(opened, Lines({src + "/a.doc"}));
  EXPECT_EQ(job->TotalCount, 2);
}

TEST_F(JobTest, TheSamplePageNeverTakesTheNameOfAWaitingPdfAndLeavesNothingBehind) {
  WriteFile(src + "/Document1.doc", "mine");
  WriteFile(src + "/b.doc", "b");
  WriteFile(pdfOutputDir + "/Document1.pdf", "the user's own waiting PDF");
  auto job = Make(false, false, false, true, false);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  // The source named like the sample printed over the user's file (as any print does), but
  // its PDF reached its own destination and the sample reached none.
  EXPECT_EQ(ReadFile(dst + "/Document1.pdf"), "PDF of " + src + "/Document1.doc");
  EXPECT_EQ(ListTree(dst), Lines({"Document1.pdf", "b.pdf"}));
  EXPECT_EQ(ListTree(pdfOutputDir), Lines{}) << "the sample's PDF is removed";

  // A second job while a user's Document1.pdf waits: the sample is not printed over it.
  WriteFile(pdfOutputDir + "/Document1.pdf", "the user's own waiting PDF");
  window = std::make_shared<RecordingWindow>();
  WriteFile(src + "/c.doc", "c");
  auto again = Make(false, false, false, true, false);
  again->AddItem(src + "/c.doc", dst + "/c.doc", "File");
  ASSERT_TRUE(RunToEnd(again));
  EXPECT_EQ(ReadFile(pdfOutputDir + "/Document1.pdf"), "the user's own waiting PDF");
  EXPECT_EQ(ListTree(pdfOutputDir), Lines({"Document1.pdf"}));
  EXPECT_EQ(ReadFile(dst + "/c.pdf"), "PDF of " + src + "/c.doc");
}

TEST_F(JobTest, EndOfRunErrorsComeBeforeTheClosingLines) {
  WriteFile(src + "/a.doc", "a");
  server.Fail(CallKind::Call, "App", "Quit", "the office would not quit", 1);
  auto job = Make(false, false, false, true, false);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  const Lines log = LogLines();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], "Error in Word:the office would not quit");
  EXPECT_EQ(log[log.size() - 2], TJob::kJobEnd);
  EXPECT_EQ(log.back(), TJob::kHyphenLine);
}

TEST_F(JobTest, LineBreaksInFileNamesCannotForgeLogLines) {
  const std::string name = "evil\r\n2026-01-01 00:00:00 Job End\x01.txt";
  WriteFile(src + "/" + name, "x");
  auto job = Make(true, false, false, false, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  const std::string escaped = "evil\\r\\n2026-01-01 00:00:00 Job End\\x01.txt";
  EXPECT_EQ(ActionLines(), Lines({Copy(src + "/" + escaped, dst + "/" + escaped)}));
  EXPECT_EQ(ReadFile(dst + "/" + name), "x");
}

TEST_F(JobTest, TwoRunsOfOneJobNeverOverlap) {
  WriteFile(src + "/a.txt", "a");
  MessageRecorder messages;
  std::shared_ptr<TJob> second;
  auto first = Make(true, false, false, false, true);
  first->AddItem(src, dst, "Folder");
  // While the first run is in its first action, a second run of the same job starts.
  display->onAction = [&](const std::string&) {
    if (second) return;
    second = Make(true, false, false, false, true);
    second->SetControl(std::make_shared<RecordingWindow>(), std::make_shared<RecordingDisplay>());
    second->AddItem(src, dst + "2", "Folder");
    second->Resume();
    second->WaitFor();
  };
  ASSERT_TRUE(RunToEnd(first));
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->Refused());
  EXPECT_TRUE(second->EndedOnError());
  EXPECT_EQ(messages.Messages(),
            Lines({"The job \"Weekly\" is already running; this run was not started. Wait for "
                   "the other run to end."}));
  EXPECT_FALSE(DirectoryExists(dst + "2/a.txt"));
  EXPECT_EQ(LogLines(),
            Lines({TJob::kHyphenLine, TJob::kJobBegin, Copy(src + "/a.txt", dst + "/a.txt"),
                   TJob::kJobEnd, TJob::kHyphenLine}));
  // Once the first has ended, the job can run again.
  window = std::make_shared<RecordingWindow>();
  auto third = Make(true, false, false, false, true);
  third->AddItem(src, dst + "3", "Folder");
  ASSERT_TRUE(RunToEnd(third));
  EXPECT_FALSE(third->Refused());
  EXPECT_TRUE(FileExists(dst + "3/a.txt"));
}

// The lock belongs to the job: shards of one job run side by side with one another, never
// beside a whole run of it, and no shard twice at once. Another run is stood in for by the
// lock it would hold.
TEST_F(JobTest, AWholeRunAndAShardRunOfOneJobExcludeEachOther) {
  WriteFile(src + "/a.txt", "a");
  MessageRecorder messages;
  auto hold = [&](const std::string& log, int how) {
    const int fd = ::open((ProgramDir() + log).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    EXPECT_EQ(::flock(fd, how | LOCK_NB), 0);
    return fd;
  };
  auto run = [&](RShard shard) {
    window = std::make_shared<RecordingWindow>();
    auto job = Make(true, false, false, false, true);
    job->Shard = shard;
    job->AddItem(src, dst, "Folder");
    EXPECT_TRUE(RunToEnd(job));
    return !job->Refused();
  };
  const RShard whole{}, first{0, 2}, second{1, 2};
  {
    const int wholeRun = hold("swWeekly.log", LOCK_EX);  // a whole run is under way
    EXPECT_FALSE(run(first));
    EXPECT_FALSE(run(second));
    EXPECT_FALSE(run(whole));
    ::close(wholeRun);
  }
  {
    // Shard 0 is under way: the whole job and shard 0 wait, shard 1 runs beside it.
    const int shardRun = hold("swWeekly.log", LOCK_SH);
    const int shardOwn = hold("swWeekly.shard-0.log", LOCK_EX);
    EXPECT_FALSE(run(whole));
    EXPECT_FALSE(run(first));
    EXPECT_TRUE(run(second));
    ::close(shardOwn);
    EXPECT_TRUE(run(first));
    EXPECT_FALSE(run(whole));
    ::close(shardRun);
  }
  EXPECT_TRUE(run(whole));
  EXPECT_EQ(messages.Messages().size(), 6u);
  for (const auto& m : messages.Messages())
    EXPECT_EQ(m, "The job \"Weekly\" is already running; this run was not started. Wait for "
                 "the other run to end.");
}

TEST_F(JobTest, AJobNameWithAPathSeparatorIsNotRun) {
  WriteFile(src + "/a.txt", "a");
  MessageRecorder messages;
  jobName = "Weekly/../x";
  auto job = std::make_shared<TJob>("Weekly/x", true, &ui);
  job->Settings = Settings(true, false, false, false, true);
  job->SetControl(window, display);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_TRUE(job->Refused());
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].find("\"Weekly/x\" cannot be run under that name"),
            std::string::npos);
  EXPECT_FALSE(FileExists(dst + "/a.txt"));
}

TEST_F(JobTest, PdfJobWithoutUsablePrinterWritesOneLineAndHandlesNothing) {
  TRegistry::SetMachine(std::make_shared<TRegistry>());
  WriteFile(src + "/a.doc", "a");
  auto job = Make(true, false, false, true, true);
  job->AddItem(src, dst, "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines(), Lines({TJob::kNoPdfPrinter}));
  EXPECT_THAT(CallsWith("create"), IsEmpty());
}

TEST(JobDisplayText, CutsAfterFiftyCharactersNeverInsideOne) {
  EXPECT_EQ(TJob::DisplayText(std::string(60, 'x')), std::string(50, 'x') + "..");
  EXPECT_EQ(TJob::DisplayText(std::string(50, 'x')), std::string(50, 'x'));
  std::string e55, e50;
  for (int i = 0; i < 55; ++i) e55 += "\xC3\xA9", e50 += i < 50 ? "\xC3\xA9" : "";
  EXPECT_EQ(TJob::DisplayText(e55), e50 + "..");
}

TEST_F(JobTest, RunJobTakesItemsFromTheFileAndSettingsFromTheProfile) {
  for (std::string f : {"/1.txt", "/F/2.txt", "/3.txt"}) WriteFile(src + f, f);
  WriteFile(ProgramDir() + "swWeekly.ini",
            "[BasicInfo]\r\nName=Weekly\r\nOtherFiles=0\r\n"
            "[9]\r\nType=0\r\nSource=" +
                src + "/1.txt\r\nDest=" + dst +
                "/1.txt\r\n"
                "[letters]\r\nType=7\r\nSource=" +
                src + "/F\r\nDest=" + dst +
                "/F\r\n"
                "[2]\r\nType=0\r\nSource=" +
                src + "/3.txt\r\nDest=\r\n");
  TJobProfile profile("swWeekly.ini");
  profile.Items.clear();
  profile.Settings.OtherFiles = true;  // changed on a page, not saved yet
  bool reached = false;
  display->onAction = [&](const std::string&) { reached = !profile.Job.expired(); };
  ASSERT_TRUE(profile.RunJob(window, display));
  ASSERT_TRUE(PumpUntil([&] { return Ends() == 1; }));
  EXPECT_EQ(ActionLines(), Lines({Copy(src + "/1.txt", dst + "/1.txt"),
                                  Copy(src + "/F/2.txt", dst + "/F/2.txt")}));
  EXPECT_TRUE(reached);
  EXPECT_TRUE(PumpUntil([&] { return profile.Job.expired(); })) << "the runner frees itself";
}

TEST_F(JobTest, RunJobWithABrokenPrinterSetupTellsAndClosesTheRun) {
  auto broken = std::make_shared<TRegistry>();
  const std::string key = "\\System\\CurrentControlSet\\Control\\Print\\Printers\\P";
  broken->SetString(key, "Name", "P");
  broken->SetString(key, "Printer Driver", "Adobe PDF Converter");  // no driver settings
  TRegistry::SetMachine(broken);
  TJobProfile profile("swWeekly.ini");
  MessageRecorder messages;
  EXPECT_FALSE(profile.RunJob(window, display));
  EXPECT_THAT(messages.Messages(), ElementsAre("Failed to get data for 'ViewPrintOutput'"));
  EXPECT_EQ(Ends(), 1);
}

TEST_F(JobTest, AnItemRunsAsTheKindThePagesShow) {
  // Type is a byte: 256 is 0, a single file; 300 is 44, a folder. A "docinfo" section with a
  // source is no item for either.
  WriteFile(src + "/one.txt", "1");
  WriteFile(src + "/F/two.txt", "2");
  WriteFile(ProgramDir() + "swWeekly.ini",
            "[BasicInfo]\r\nName=Weekly\r\nOtherFiles=1\r\n"
            "[0]\r\nType=256\r\nSource=" + src + "/one.txt\r\nDest=" + dst + "/one.txt\r\n"
            "[1]\r\nType=300\r\nSource=" + src + "/F\r\nDest=" + dst + "/F\r\n"
            "[docinfo]\r\nSource=" + src + "\r\nDest=" + dst + "/all\r\n");
  TJobProfile profile("swWeekly.ini");
  ASSERT_EQ(profile.Items.size(), 2u);
  EXPECT_EQ(profile.Items[0].Type, 0) << "shown as a file";
  EXPECT_EQ(profile.Items[1].Type, 44) << "shown as a folder";
  ASSERT_TRUE(profile.RunJob(window, display));
  ASSERT_TRUE(PumpUntil([&] { return Ends() == 1; }));
  EXPECT_EQ(ActionLines(), Lines({Copy(src + "/one.txt", dst + "/one.txt"),
                                  Copy(src + "/F/two.txt", dst + "/F/two.txt")}));
}

}  // namespace
