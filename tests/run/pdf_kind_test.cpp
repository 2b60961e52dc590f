// SPDX-License-Identifier: GPL-3.0-or-later
// PDF files in a run: with PdfFiles they are stamped through the PDF engine under the same
// walk, skip rules, counts and lines as the office kinds (the office here is the recording
// server); without it they are other files, as before.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "pdf_inspect.h"
#include "run/job.h"
#include "run/job_fixture.h"

using namespace stampwell;
using namespace stampwell::test;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

class PdfKindRun : public JobFixture {
 protected:
  PdfKindRun() {
    SetMainDispatcher(&ui);
    RTestPdf plain;
    plain.pages = {{}, {.rotate = 90}};
    MakePdf(Src("/a.pdf"), plain);
    std::filesystem::create_directories(Src("/sub"));
    MakePdf(Src("/sub/B.PDF"), plain);
    MakePdf(Src("/~lock.pdf"), plain);
    RTestPdf locked = plain;
    locked.userPassword = "secret";
    locked.ownerPassword = "owner";
    MakePdf(Src("/locked.pdf"), locked);
    WriteFile(Src("/notes.txt"), "notes");
  }
  ~PdfKindRun() override { SetMainDispatcher(nullptr); }

  std::shared_ptr<TJob> RunJob(RJobSettings settings, const std::string& dest) {
    settings.PdfFiles = pdfFiles;
    auto job = MakeJob(settings);
    job->AddItem(Src(), dest, "Folder");
    EXPECT_TRUE(RunToEnd(job));
    job->WaitFor();
    return job;
  }

  bool pdfFiles = true;
};

TEST_F(PdfKindRun, StampedLikeTheOtherKindsAndRefusalsLeaveNoFile) {
  WriteFile(Src("/c.doc"), "doc");
  auto job = RunJob(Settings(true, false, false, false, true), Dst());
  EXPECT_THAT(ActionLines(),
              UnorderedElementsAre("Add watermark into " + Src("/a.pdf"),
                                   "Add watermark into " + Src("/sub/B.PDF"),
                                   "Add watermark into " + Src("/c.doc"),
                                   "Error in " + Src("/locked.pdf") + ":needs a password",
                                   "copy file:" + Src("/notes.txt") + " to:" + Dst("/notes.txt")));
  EXPECT_EQ(job->Counts.Stamped, 3);
  EXPECT_EQ(job->Counts.Failed, 1);
  EXPECT_EQ(job->Counts.Copied, 1);
  for (const char* name : {"/a.pdf", "/sub/B.PDF"}) {
    const auto s = ReadStructure(Dst(name));
    EXPECT_EQ(s.markedPages, 2) << name;
    EXPECT_EQ(s.markForms, 1) << name;
    EXPECT_EQ(PageTexts(Dst(name)), PageTexts(Src(name))) << name;
  }
  EXPECT_FALSE(FileExists(Dst("/locked.pdf")));
  EXPECT_FALSE(FileExists(Dst("/~lock.pdf")));
  EXPECT_EQ(ReadStructure(Src("/a.pdf")).markStreams, 0) << "the source is not touched";

  // A second run skips what exists, as for every kind.
  window = std::make_shared<RecordingWindow>();
  auto again = RunJob(Settings(true, false, false, false, true), Dst());
  EXPECT_EQ(again->Counts.Stamped, 0);
  EXPECT_EQ(again->Counts.Skipped, 4);  // two PDF files, the .doc and the copy
  EXPECT_EQ(again->Counts.Failed, 1);   // the locked file again, still without a destination
  EXPECT_FALSE(FileExists(Dst("/locked.pdf")));
}

TEST_F(PdfKindRun, WithoutTheSwitchPdfFilesAreOtherFiles) {
  pdfFiles = false;
  auto job = RunJob(Settings(true, false, false, false, true), Dst());
  EXPECT_EQ(job->Counts.Stamped, 0);
  EXPECT_EQ(job->Counts.Copied, 4);  // a.pdf, B.PDF, locked.pdf, notes.txt
  EXPECT_EQ(ReadFile(Dst("/a.pdf")), ReadFile(Src("/a.pdf")));
}

TEST_F(PdfKindRun, PrintingToPdfTheStampedCopyIsThePdf) {
  auto job = RunJob(Settings(true, false, false, true, false), Dst());
  EXPECT_THAT(ActionLines(),
              UnorderedElementsAre(
                  "Add watermark into " + Src("/a.pdf"),
                  "Print PDF file:" + Src("/a.pdf") + " to PDF:" + Dst("/a.pdf"),
                  "Add watermark into " + Src("/sub/B.PDF"),
                  "Print PDF file:" + Src("/sub/B.PDF") + " to PDF:" + Dst("/sub/B.pdf"),
                  "Error in " + Src("/locked.pdf") + ":needs a password"));
  EXPECT_EQ(job->Counts.Stamped, 2);
  EXPECT_EQ(job->Counts.Printed, 2);
  EXPECT_EQ(ReadStructure(Dst("/a.pdf")).markedPages, 2);
  EXPECT_EQ(ReadStructure(Dst("/sub/B.pdf")).markedPages, 2);
}

TEST_F(PdfKindRun, InPlaceTheFileIsStampedAndARerunRestampsIt) {
  auto once = RunJob(Settings(true, false, false, false, false), Src());
  EXPECT_EQ(once->Counts.Stamped, 2);
  const auto first = ReadStructure(Src("/a.pdf"));
  EXPECT_EQ(first.markedPages, 2);
  window = std::make_shared<RecordingWindow>();
  auto twice = RunJob(Settings(true, false, false, false, false), Src());
  EXPECT_EQ(twice->Counts.Stamped, 2);
  const auto second = ReadStructure(Src("/a.pdf"));
  EXPECT_EQ(second.markForms, 1);
  EXPECT_EQ(second.markStreams, first.markStreams);
  EXPECT_EQ(ListTree(work.Path() + "src"),
            (std::vector<std::string>{"a.pdf", "locked.pdf", "notes.txt", "sub/B.PDF",
                                      "~lock.pdf"}));
}

}  // namespace
