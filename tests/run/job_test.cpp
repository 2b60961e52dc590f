#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/window_messages.h"
#include "run/job_fixture.h"

using namespace stampwell;
using namespace stampwell::test;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

const std::vector<std::string> kFrameOnly = {TJob::kHyphenLine, TJob::kJobBegin, TJob::kJobEnd,
                                             TJob::kHyphenLine};

bool Contains(const std::vector<std::string>& lines, const std::string& needle) {
  for (const auto& l : lines)
    if (l.find(needle) != std::string::npos) return true;
  return false;
}

}  // namespace

// ---- Folder walk ---------------------------------------------------------------------------

class FolderJob : public JobFixture {
 protected:
  void SetUp() override {
    WriteFile(Src("/a.doc"), "word a");
    WriteFile(Src("/b.xls"), "excel b");
    WriteFile(Src("/~$a.doc"), "owner file");
    WriteFile(Src("/S/c.doc"), "word c");
  }
};

TEST_F(FolderJob, WatermarkOnlyJobStampsCopiesAndSkipsOwnerFiles) {
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));

  EXPECT_THAT(ActionLines(), ElementsAre("Add watermark into " + Src("/a.doc"),
                                         "copy file:" + Src("/b.xls") + " to:" + Dst("/b.xls"),
                                         "Add watermark into " + Src("/S/c.doc")));
  EXPECT_TRUE(std::filesystem::is_directory(Dst("/S")));
  EXPECT_EQ(ReadFile(Dst("/b.xls")), "excel b");
  EXPECT_EQ(ReadFile(Dst("/S/c.doc")), "saved");
  EXPECT_FALSE(FileExists(Dst("/~$a.doc")));
  EXPECT_EQ(job->TotalCount, 3);
  EXPECT_EQ(job->DoneCount, 3);
  EXPECT_EQ(display->Only("status ").back(), "3 of 3");
  EXPECT_EQ(display->Only("range ").front(), "0..3");
  // The stamped documents are saved under their destinations, and closed without saving.
  EXPECT_EQ(CallsWith(".SaveAs(").size(), 2u);
  EXPECT_TRUE(Contains(CallsWith(".SaveAs("), "Str(\"" + Dst("/S/c.doc") + "\")"));
  EXPECT_TRUE(CallsWith("Open.Save()").empty());
  EXPECT_EQ(window->Count(WM_JOBEND), 1);
}

TEST_F(FolderJob, WithoutOtherFilesNothingIsCopiedOrCounted) {
  auto job = MakeJob(Settings(true, false, false, false, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));

  EXPECT_THAT(ActionLines(), ElementsAre("Add watermark into " + Src("/a.doc"),
                                         "Add watermark into " + Src("/S/c.doc")));
  EXPECT_FALSE(FileExists(Dst("/b.xls")));
  EXPECT_EQ(display->Only("status ").back(), "2 of 2");
}

TEST_F(FolderJob, SecondRunFindsEveryDestinationAndOnlyWritesTheFrame) {
  WriteFile(Dst("/a.doc"), "stamped a");
  WriteFile(Dst("/b.xls"), "excel b");
  WriteFile(Dst("/S/c.doc"), "stamped c");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));

  EXPECT_EQ(LogLines(), kFrameOnly);
  EXPECT_EQ(job->TotalCount, 0);
  EXPECT_THAT(display->Only("action "), IsEmpty());
  EXPECT_THAT(display->Only("status "), IsEmpty());
  EXPECT_THAT(display->Only("position "), IsEmpty());
  EXPECT_THAT(CallsWith("create "), IsEmpty()) << "no Office application may be started";
  EXPECT_EQ(ReadFile(Dst("/a.doc")), "stamped a");
}

TEST_F(FolderJob, EachRunAppendsItsOwnBlockToTheLog) {
  for (int run = 0; run < 2; ++run) {
    window = std::make_shared<RecordingWindow>();
    auto job = MakeJob(Settings(true, false, false, false, true));
    job->AddItem(Src(), Dst(), "Folder");
    ASSERT_TRUE(RunToEnd(job));
  }
  std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 7u + 4u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 7, lines.end()), kFrameOnly);
}

TEST_F(FolderJob, FolderStampedInPlaceIsSavedByTheCloseAndAgainOnTheNextRun) {
  for (int run = 0; run < 2; ++run) {
    window = std::make_shared<RecordingWindow>();
    server.ClearCalls();
    auto job = MakeJob(Settings(true, false, false, false, true));
    job->AddItem(Src(), Src(), "Folder");
    ASSERT_TRUE(RunToEnd(job));
    EXPECT_THAT(ActionLines(), ElementsAre("Add watermark into " + Src("/a.doc"),
                                           "Add watermark into " + Src("/S/c.doc")))
        << "run " << run << ": other files already exist in place and are not copied";
    EXPECT_THAT(CallsWith(".SaveAs("), IsEmpty());
    EXPECT_EQ(CallsWith("call App.Documents.Open.Save()").size(), 2u);
    EXPECT_THAT(CallsWith("App.Documents.Open.Close("), IsEmpty());
  }
}

TEST_F(FolderJob, MissingSourceFolderIsPassedOverSilently) {
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src("/nowhere"), Dst(), "Folder");
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ActionLines().size(), 3u);
  EXPECT_EQ(job->TotalCount, 3);
}

TEST_F(FolderJob, AnEmptyDestinationEndsTheEntryLoop) {
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src("/S"), "", "Folder");
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(LogLines(), kFrameOnly);
}

TEST_F(JobFixture, ListingOrderIgnoresCaseAndHiddenFilesAreIncluded) {
  WriteFile(Src("/B.txt"), "B");
  WriteFile(Src("/a.txt"), "a");
  WriteFile(Src("/.hidden"), "h");
  WriteFile(Src("/c.txt"), "c");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("copy file:" + Src("/.hidden") + " to:" + Dst("/.hidden"),
                                         "copy file:" + Src("/a.txt") + " to:" + Dst("/a.txt"),
                                         "copy file:" + Src("/B.txt") + " to:" + Dst("/B.txt"),
                                         "copy file:" + Src("/c.txt") + " to:" + Dst("/c.txt")));
}

TEST_F(JobFixture, TheWalkCreatesEverySubfolderItEnters) {
  std::filesystem::create_directories(Src("/Empty/Deeper"));
  WriteFile(Src("/Owner/~$x.doc"), "o");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_TRUE(DirectoryExists(Dst("/Empty/Deeper")));
  EXPECT_TRUE(DirectoryExists(Dst("/Owner")));
  EXPECT_FALSE(FileExists(Dst("/Owner/~$x.doc")));
}

TEST_F(JobFixture, FoldersNamedWithTildeAreWalked) {
  WriteFile(Src("/~tmp/x.txt"), "x");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ReadFile(Dst("/~tmp/x.txt")), "x");
}

TEST_F(JobFixture, LinkedFoldersAreNotFollowed) {
  WriteFile(Src("/x.txt"), "x");
  std::filesystem::create_directory_symlink(Src(), Src("/loop"));
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("copy file:" + Src("/x.txt") + " to:" + Dst("/x.txt")));
}

// ---- Classification ------------------------------------------------------------------------

TEST_F(JobFixture, FourLetterOfficeExtensionsAreCopiedAsOtherFiles) {
  WriteFile(Src("/a.docx"), "1");
  WriteFile(Src("/b.XLSX"), "2");
  WriteFile(Src("/c.pptx"), "3");
  auto job = MakeJob(Settings(true, true, true, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("copy file:" + Src("/a.docx") + " to:" + Dst("/a.docx"),
                                         "copy file:" + Src("/b.XLSX") + " to:" + Dst("/b.XLSX"),
                                         "copy file:" + Src("/c.pptx") + " to:" + Dst("/c.pptx")));
  EXPECT_THAT(CallsWith("create "), IsEmpty());
}

TEST_F(JobFixture, UpperCaseExtensionsAreOfficeFiles) {
  WriteFile(Src("/A.DOC"), "1");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("Add watermark into " + Src("/A.DOC")));
}

TEST_F(JobFixture, OfficeFileWhoseSwitchIsOffIsCopied) {
  WriteFile(Src("/b.xls"), "x");
  WriteFile(Src("/c.ppt"), "p");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("copy file:" + Src("/b.xls") + " to:" + Dst("/b.xls"),
                                         "copy file:" + Src("/c.ppt") + " to:" + Dst("/c.ppt")));
}

// ---- The three applications ----------------------------------------------------------------

TEST_F(JobFixture, ExcelAndPowerPointFollowTheirOwnOrderOfSteps) {
  WriteFile(Src("/b.xls"), "x");
  WriteFile(Src("/c.ppt"), "p");
  auto job = MakeJob(Settings(false, true, true, false, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("Add watermark into " + Src("/b.xls"),
                                         "Add watermark into " + Src("/c.ppt")));
  // Excel's step does not refresh the display; PowerPoint's counts before it refreshes.
  EXPECT_EQ(display->Only("action ").front(),
            TJob::DisplayText("Add watermark into " + Src("/c.ppt")));
  EXPECT_EQ(display->Only("status ").front(), "2 of 2");
  // Both are saved under the destination even though the paths differ.
  EXPECT_EQ(CallsWith("call App.workBooks.Open.SaveAs(Str(\"" + Dst("/b.xls")).size(), 1u);
  EXPECT_EQ(CallsWith("call App.ActivePresentation.SaveAs(Str(\"" + Dst("/c.ppt")).size(), 1u);
  // Each application is quit at the end, and only those that were started.
  EXPECT_EQ(CallsWith(".Quit(").size(), 2u);
}

TEST_F(JobFixture, WordRefreshesTheDisplayBeforeItCounts) {
  WriteFile(Src("/a.doc"), "w");
  auto job = MakeJob(Settings(true, false, false, false, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  // The step is shown before it is counted; the end of the run shows the final count.
  EXPECT_THAT(display->Only("status "), ElementsAre("0 of 1", "1 of 1"));
  EXPECT_EQ(job->DoneCount, 1);
}

TEST_F(JobFixture, AWordFileThatCannotBeOpenedIsLoggedAndOthersAreNot) {
  WriteFile(Src("/a.doc"), "w");
  WriteFile(Src("/b.xls"), "x");
  server.Fail(CallKind::Call, "App.Documents", "Open", "corrupt", 0);
  server.Fail(CallKind::Call, "App.workBooks", "Open", "corrupt", 0);
  auto job = MakeJob(Settings(true, true, false, false, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("Error in Open world file:" + Src("/a.doc")));
  EXPECT_EQ(job->DoneCount, 0);
}

// ---- Single files --------------------------------------------------------------------------

TEST_F(JobFixture, SingleFileStampedInPlaceIsSavedByTheCloseNotBySaveAs) {
  WriteFile(Src("/a.doc"), "w");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src("/a.doc"), Src("/a.doc"), "File");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("Add watermark into " + Src("/a.doc")));
  EXPECT_THAT(CallsWith("SaveAs"), IsEmpty());
  EXPECT_THAT(CallsWith("call App.Documents.Open.Save()"), ::testing::SizeIs(1));
  EXPECT_THAT(CallsWith("App.Documents.Open.Close("), IsEmpty());
}

TEST_F(JobFixture, SingleFileIntoAFolderThatDoesNotExistYet) {
  WriteFile(Src("/a.doc"), "w");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src("/a.doc"), Dst("/new/deeper/a.doc"), "File");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_TRUE(DirectoryExists(Dst("/new/deeper")))
      << "the destination's folder must exist before the document is saved there";
  EXPECT_THAT(CallsWith(".SaveAs(Str(\"" + Dst("/new/deeper/a.doc")), ::testing::SizeIs(1));
}

TEST_F(JobFixture, FileEntryWhoseSourceIsAFolderIsPassedOver) {
  std::filesystem::create_directories(Src("/folder.doc"));
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src("/folder.doc"), Dst("/folder.doc"), "File");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(LogLines(), kFrameOnly);
  EXPECT_THAT(CallsWith("create "), IsEmpty());
}

TEST_F(JobFixture, FileEntriesAreCountedWhateverTheirTypeAndExistence) {
  auto job = MakeJob(Settings(true, false, false, true, true));
  job->AddItem(Src("/missing.txt"), Dst("/missing.txt"), "File");
  job->AddItem(Src("/missing.doc"), Dst("/missing.doc"), "Other");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(job->TotalCount, 4);
  EXPECT_EQ(display->Only("range ").front(), "0..4");
}

// ---- PDF -----------------------------------------------------------------------------------

TEST_F(JobFixture, PdfOnlyJobPrintsClosesUnsavedThenPrintsTheSampleThenMoves) {
  WriteFile(Src("/a.doc"), "w");
  WriteFile(Src("/b.xls"), "x");
  bool bPdfMovedBeforeSample = true;
  onNewDocument = [&] {
    // The sample is made while b's PDF still waits in the output folder.
    bPdfMovedBeforeSample = FileExists(Dst("/b.pdf"));
  };
  auto job = MakeJob(Settings(false, false, false, true, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));

  EXPECT_THAT(ActionLines(),
              ElementsAre("Print Doc file:" + Src("/a.doc") + " to PDF:" + Dst("/a.pdf"),
                          "Print Xls file:" + Src("/b.xls") + " to PDF:" + Dst("/b.pdf")));
  EXPECT_EQ(ReadFile(Dst("/a.pdf")), "PDF of " + Src("/a.doc"));
  EXPECT_EQ(ReadFile(Dst("/b.pdf")), "PDF of " + Src("/b.xls"));
  EXPECT_FALSE(bPdfMovedBeforeSample);
  EXPECT_FALSE(FileExists(pdfOutputDir + "/a.pdf"));
  EXPECT_FALSE(FileExists(pdfOutputDir + "/b.pdf"));
  // No watermark on the job's files: the only text effect is the sample's.
  EXPECT_EQ(CallsWith("Shapes.AddTextEffect(").size(), 1u);
  EXPECT_THAT(CallsWith("call App.Documents.Add("), ::testing::SizeIs(1));
  EXPECT_THAT(CallsWith("SaveAs"), IsEmpty());
  EXPECT_THAT(CallsWith(".Save()"), IsEmpty());
  EXPECT_THAT(CallsWith("call App.workBooks.Open.Close("), ::testing::SizeIs(1));
  EXPECT_EQ(job->TotalCount, 2);
  EXPECT_EQ(job->DoneCount, 2);
  EXPECT_FALSE(FileExists(Dst("/a.doc")));
}

TEST_F(JobFixture, StampAndPrintLeavesOnlyThePdfAtTheDestination) {
  WriteFile(Src("/c.ppt"), "p");
  auto job = MakeJob(Settings(false, false, true, true, false));
  job->AddItem(Src("/c.ppt"), Dst("/c.ppt"), "File");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(),
              ElementsAre("Add watermark into " + Src("/c.ppt"),
                          "Print Ppt file:" + Src("/c.ppt") + " to PDF:" + Dst("/c.pdf")));
  EXPECT_EQ(ReadFile(Dst("/c.pdf")), "PDF of " + Src("/c.ppt"));
  EXPECT_FALSE(FileExists(Dst("/c.ppt")));
  EXPECT_EQ(job->DoneCount, 2);
}

TEST_F(JobFixture, AnExistingPdfDestinationMeansTheFileIsDone) {
  WriteFile(Src("/a.doc"), "w");
  WriteFile(Dst("/a.pdf"), "old pdf");
  auto job = MakeJob(Settings(true, false, false, true, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(LogLines(), kFrameOnly);
  EXPECT_EQ(ReadFile(Dst("/a.pdf")), "old pdf");
  EXPECT_THAT(CallsWith("call App.Documents.Add("), IsEmpty()) << "no PDF requested, no sample";
}

TEST_F(JobFixture, TwoSourcesWithTheSameNameEachGetTheirOwnPdf) {
  WriteFile(Src("/one/r.doc"), "1");
  WriteFile(Src("/two/r.doc"), "2");
  auto job = MakeJob(Settings(false, false, false, true, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ReadFile(Dst("/one/r.pdf")), "PDF of " + Src("/one/r.doc"));
  EXPECT_EQ(ReadFile(Dst("/two/r.pdf")), "PDF of " + Src("/two/r.doc"));
}

TEST_F(JobFixture, PdfJobWithoutUsablePrinterWritesOneLineAndHandlesNothing) {
  TRegistry::SetMachine(std::make_shared<TRegistry>());
  WriteFile(Src("/a.doc"), "w");
  WriteFile(Src("/x.txt"), "t");
  auto job = MakeJob(Settings(true, false, false, true, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(LogLines(), ElementsAre(TJob::kHyphenLine, TJob::kJobBegin, TJob::kNoPdfPrinter,
                                      TJob::kJobEnd, TJob::kHyphenLine));
  EXPECT_FALSE(FileExists(Dst("/x.txt")));
  EXPECT_THAT(CallsWith("create "), IsEmpty());
  EXPECT_EQ(window->Count(WM_JOBEND), 1);
}

TEST_F(JobFixture, JobWithoutPdfRunsWithoutAPrinter) {
  TRegistry::SetMachine(std::make_shared<TRegistry>());
  WriteFile(Src("/x.txt"), "t");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ReadFile(Dst("/x.txt")), "t");
}

// ---- Display -------------------------------------------------------------------------------

TEST(JobDisplayText, LongActionTextsAreCutToFiftyCharactersAndTwoDots) {
  const std::string sixty(60, 'x');
  EXPECT_EQ(TJob::DisplayText(sixty), std::string(50, 'x') + "..");
  EXPECT_EQ(TJob::DisplayText(std::string(50, 'y')), std::string(50, 'y'));
  EXPECT_EQ(TJob::DisplayText(std::string(51, 'z')), std::string(50, 'z') + "..");
  EXPECT_EQ(TJob::DisplayText(""), "");
}

TEST(JobDisplayText, CharactersAreNeverCutInHalf) {
  std::string text;
  for (int i = 0; i < 55; ++i) text += "\xC3\xA9";  // é, two bytes each
  std::string expected;
  for (int i = 0; i < 50; ++i) expected += "\xC3\xA9";
  EXPECT_EQ(TJob::DisplayText(text), expected + "..");
}

TEST_F(JobFixture, TheDisplayShowsTheCutTextWhileTheLogKeepsItAll) {
  // "copy file:" + source + " to:" + destination is far longer than 50 characters here.
  WriteFile(Src("/a-rather-long-file-name.txt"), "t");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  const std::string full = "copy file:" + Src("/a-rather-long-file-name.txt") +
                           " to:" + Dst("/a-rather-long-file-name.txt");
  ASSERT_GT(full.size(), 50u);
  EXPECT_THAT(ActionLines(), ElementsAre(full));
  EXPECT_THAT(display->Only("action "), Each(full.substr(0, 50) + ".."));
  EXPECT_THAT(display->Only("panel "), Each(full.substr(0, 50) + ".."));
  EXPECT_THAT(display->Only("action "), Not(IsEmpty()));
  EXPECT_THAT(display->Only("position "), Each("1"));
}

TEST_F(JobFixture, AClosedDisplayIsNoLongerReached) {
  WriteFile(Src("/x.txt"), "t");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  display.reset();  // the progress window is gone before the run reports anything
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ReadFile(Dst("/x.txt")), "t");
}

// ---- Stopping, suspending ------------------------------------------------------------------

TEST_F(JobFixture, StopBeforeTheRunStartsWritesNothingButStillEnds) {
  WriteFile(Src("/x.txt"), "t");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  job->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }));
  EXPECT_FALSE(FileExists(ProgramDir() + "swWeekly.log"));
  EXPECT_FALSE(FileExists(Dst("/x.txt")));
  EXPECT_THAT(display->reports, IsEmpty());
}

TEST_F(JobFixture, StopDuringTheThirdOfFiveEntriesFinishesThatFileOnly) {
  for (int i = 1; i <= 5; ++i) WriteFile(Src("/f" + std::to_string(i) + ".doc"), "w");
  auto job = MakeJob(Settings(true, false, false, true, false));
  for (int i = 1; i <= 5; ++i) {
    const std::string name = "/f" + std::to_string(i) + ".doc";
    job->AddItem(Src(name), Dst(name), "File");
  }
  onOpen = [&](const std::string& path) {
    if (path == Src("/f3.doc")) job->Terminate();
  };
  ASSERT_TRUE(RunToEnd(job));

  std::vector<std::string> expected;
  for (int i = 1; i <= 3; ++i) {
    const std::string n = "/f" + std::to_string(i);
    expected.push_back("Add watermark into " + Src(n + ".doc"));
    expected.push_back("Print Doc file:" + Src(n + ".doc") + " to PDF:" + Dst(n + ".pdf"));
  }
  expected.push_back(TJob::kJobTerminated);
  EXPECT_EQ(ActionLines(), expected);
  std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], TJob::kJobEnd);
  EXPECT_EQ(lines.back(), TJob::kHyphenLine);
  // The stopped run still collects its PDFs and quits Word.
  EXPECT_EQ(ReadFile(Dst("/f3.pdf")), "PDF of " + Src("/f3.doc"));
  EXPECT_FALSE(FileExists(Dst("/f4.pdf")));
  EXPECT_THAT(CallsWith("call App.Quit("), ::testing::SizeIs(1));
  // After the stop the display is left alone: the last report is about the second file.
  EXPECT_EQ(display->Only("action ").back(),
            TJob::DisplayText("Print Doc file:" + Src("/f2.doc") + " to PDF:" + Dst("/f2.pdf")));
  EXPECT_EQ(window->Count(WM_JOBEND), 1);
}

TEST_F(JobFixture, StopInsideNestedFoldersIsLoggedAtEveryLevelThatHadMoreToDo) {
  WriteFile(Src("/A/B/one.txt"), "1");
  WriteFile(Src("/A/B/two.txt"), "2");
  WriteFile(Src("/A/z.txt"), "z");
  WriteFile(Src("/zz.txt"), "z");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  display->onAction = [&](const std::string&) { job->Terminate(); };  // at the first file
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(),
              ElementsAre("copy file:" + Src("/A/B/one.txt") + " to:" + Dst("/A/B/one.txt"),
                          TJob::kJobTerminated, TJob::kJobTerminated, TJob::kJobTerminated,
                          TJob::kJobTerminated));
  EXPECT_EQ(ReadFile(Dst("/A/B/one.txt")), "1") << "the file in hand is finished";
  EXPECT_FALSE(FileExists(Dst("/A/B/two.txt")));
}

TEST_F(JobFixture, CancelWhileSuspendedEndsTheRun) {
  for (int i = 1; i <= 4; ++i) WriteFile(Src("/f" + std::to_string(i) + ".txt"), "t");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  bool suspended = false;
  display->onAction = [&](const std::string&) {
    if (!suspended) {
      suspended = true;
      job->Suspend();  // the UI thread suspends the run while it shows the first file
    }
  };
  job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return suspended; }));
  // Suspended: the run makes no progress and does not end.
  for (int i = 0; i < 20; ++i) ui.WaitAndProcess(5);
  EXPECT_EQ(window->Count(WM_JOBEND), 0);
  EXPECT_FALSE(FileExists(Dst("/f2.txt")));
  job->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }));
  EXPECT_EQ(ActionLines().back(), TJob::kJobTerminated);
  EXPECT_FALSE(FileExists(Dst("/f2.txt")));
}

TEST_F(JobFixture, SuspendedTwiceTheRunContinuesAfterTwoResumes) {
  for (int i = 1; i <= 3; ++i) WriteFile(Src("/f" + std::to_string(i) + ".txt"), "t");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->AddItem(Src(), Dst(), "Folder");
  bool suspended = false;
  display->onAction = [&](const std::string&) {
    if (!suspended) {
      suspended = true;
      job->Suspend();
      job->Suspend();
    }
  };
  job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return suspended; }));
  job->Resume();
  for (int i = 0; i < 20; ++i) ui.WaitAndProcess(5);
  EXPECT_EQ(window->Count(WM_JOBEND), 0);
  job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }));
  EXPECT_EQ(ActionLines().size(), 3u);
}

// ---- Errors --------------------------------------------------------------------------------

TEST_F(JobFixture, AnEngineErrorEndsTheRunWithOneLineAndACleanEnd) {
  WriteFile(Src("/a.doc"), "1");
  WriteFile(Src("/b.doc"), "2");
  WriteFile(Src("/c.doc"), "3");
  WriteFile(Src("/d.xls"), "4");
  server.Fail(CallKind::Call, "App.Documents.Open", "SaveAs", "disk full", 2);
  auto job = MakeJob(Settings(true, true, false, false, false));
  job->AddItem(Src("/d.xls"), Dst("/d.xls"), "File");
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));

  EXPECT_THAT(ActionLines(), ElementsAre("Add watermark into " + Src("/d.xls"),
                                         "Add watermark into " + Src("/a.doc"),
                                         "Add watermark into " + Src("/b.doc"),
                                         "Error in " + Src("/b.doc") + ":disk full"));
  std::vector<std::string> lines = LogLines();
  EXPECT_EQ(lines[lines.size() - 2], TJob::kJobEnd);
  EXPECT_EQ(lines.back(), TJob::kHyphenLine);
  // The failed document is closed unsaved and both applications are quit.
  EXPECT_THAT(CallsWith("call App.Documents.Open.Close("), ::testing::SizeIs(2));
  EXPECT_THAT(CallsWith("call App.Quit("), ::testing::SizeIs(2));
  EXPECT_EQ(job->FatalError(), "") << "no exception leaves the run";
  EXPECT_EQ(window->Count(WM_JOBEND), 1);
}

TEST_F(JobFixture, AFailingSamplePrintStillCollectsThePdfs) {
  WriteFile(Src("/a.doc"), "1");
  server.Fail(CallKind::Call, "App.Documents.Add.Sections.Item(1).Range", "Select", "broken", 0);
  auto job = MakeJob(Settings(false, false, false, true, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(ReadFile(Dst("/a.pdf")), "PDF of " + Src("/a.doc"));
  EXPECT_TRUE(Contains(LogLines(), ":broken"));
  EXPECT_THAT(CallsWith("call App.Documents.Add.Close("), ::testing::SizeIs(1));
  EXPECT_THAT(CallsWith("call App.Quit("), ::testing::SizeIs(1));
}

TEST_F(JobFixture, AWordApplicationThatCannotStartFailsEachOpen) {
  WriteFile(Src("/a.doc"), "1");
  WriteFile(Src("/b.doc"), "2");
  server.FailCreate("Word.Application", "not installed");
  MessageRecorder messages;
  auto job = MakeJob(Settings(true, false, false, false, false));
  job->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_THAT(ActionLines(), ElementsAre("Error in Open world file:" + Src("/a.doc"),
                                         "Error in Open world file:" + Src("/b.doc")));
  EXPECT_EQ(messages.Messages().size(), 2u) << "each open tries to start Word again";
  EXPECT_THAT(CallsWith("Quit"), IsEmpty());
}

// ---- Lifetime ------------------------------------------------------------------------------

TEST_F(JobFixture, TheRunnerFreesItselfAfterItsEnd) {
  WriteFile(Src("/x.txt"), "t");
  std::weak_ptr<TJob> weak;
  {
    auto job = MakeJob(Settings(true, false, false, false, true));
    job->AddItem(Src(), Dst(), "Folder");
    weak = job;
    job->Resume();
  }
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }));
  EXPECT_TRUE(PumpUntil([&] { return weak.expired(); }));
  EXPECT_EQ(ReadFile(Dst("/x.txt")), "t");
}

TEST_F(JobFixture, ARunnerThatDoesNotOwnItselfIsStoppedBeforeItGoes) {
  for (int i = 1; i <= 3; ++i) WriteFile(Src("/f" + std::to_string(i) + ".txt"), "t");
  auto job = MakeJob(Settings(true, false, false, false, true));
  job->FreeOnTerminate = false;
  job->AddItem(Src(), Dst(), "Folder");
  bool suspended = false;
  display->onAction = [&](const std::string&) {
    if (!suspended) {
      suspended = true;
      job->Suspend();
    }
  };
  job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return suspended; }));
  job.reset();  // the owner lets go of a suspended run: it is stopped, finished and joined
  EXPECT_EQ(ActionLines().back(), TJob::kJobTerminated);
  EXPECT_EQ(LogLines().back(), TJob::kHyphenLine);
  EXPECT_FALSE(FileExists(Dst("/f2.txt")));
}
