// SPDX-License-Identifier: GPL-3.0-or-later
// The per-file pipeline's extension point: a document kind added to a run by one description
// entry and an engine factory, driven through the same steps as the office kinds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "jobs/file_utils.h"
#include "office/file_engine.h"
#include "platform/paths.h"
#include "run/file_kinds.h"
#include "run/job.h"
#include "run/job_fixture.h"

using namespace stampwell;
using namespace stampwell::test;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using Lines = std::vector<std::string>;

namespace {

// What the fake engines of a run did, and what they are to refuse or fail.
struct FakeOffice {
  std::mutex mutex;
  Lines calls;
  std::string refuse;     // a source path Open refuses
  std::string failStamp;  // a source path whose stamp throws
  void Add(const std::string& call) {
    std::lock_guard lock(mutex);
    calls.push_back(call);
  }
  Lines Calls() {
    std::lock_guard lock(mutex);
    return calls;
  }
};

// An engine that writes its documents itself: SaveAs and PrintToPDFFile write the file named.
class FakeEngine : public TFileEngine {
 public:
  explicit FakeEngine(std::shared_ptr<FakeOffice> office) : office_(std::move(office)) {}
  bool Open(const std::string& source) override {
    office_->Add("open " + source);
    if (source == office_->refuse) return false;
    open_ = source;
    return true;
  }
  std::string OpenError() const override { return "needs a password"; }
  void AddWaterMark(const RDocSettings& settings) override {
    office_->Add("stamp " + settings.DocWaterMarkStr);
    if (open_ == office_->failStamp) throw std::runtime_error("the mark does not fit");
  }
  void SaveAs(const std::string& dest) override {
    office_->Add("save " + dest);
    WriteFile(dest, "stamped " + open_);
  }
  void PrintToPDFFile(const std::string& pdfPath) override {
    office_->Add("pdf " + pdfPath);
    WriteFile(pdfPath, "PDF of stamped " + open_);
  }
  void Close() override {
    if (!open_.empty()) office_->Add("close");
    open_.clear();
  }
  void Quit() override { office_->Add("quit"); }

 private:
  std::shared_ptr<FakeOffice> office_;
  std::string open_;
};

class FileKindsTest : public JobFixture {
 protected:
  FileKindsTest() { SetMainDispatcher(&ui); }
  ~FileKindsTest() override { SetMainDispatcher(nullptr); }

  // The new kind: ".fak" files under the Doc switch, tried before the office kinds.
  RFileKind FakeKind(RFileKind::PdfBy pdfBy = RFileKind::PdfBy::Engine) {
    RFileKind kind;
    kind.name = "Fake";
    kind.extensions = {".fak"};
    kind.stampSwitch = &RJobSettings::Doc;
    kind.printTag = "Fak";
    kind.openFailure = RFileKind::OpenFailure::Log;
    kind.pdfBy = pdfBy;
    if (pdfBy == RFileKind::PdfBy::KindEngine) kind.printWith = "Word";
    kind.makeEngine = [office = office](TPDFStack&) {
      return std::make_unique<FakeEngine>(office);
    };
    return kind;
  }

  std::shared_ptr<TJob> Run(bool doc, bool pdf, bool other,
                            RFileKind::PdfBy pdfBy = RFileKind::PdfBy::Engine) {
    auto job = MakeJob(Settings(doc, false, false, pdf, other));
    job->FileKinds.insert(job->FileKinds.begin(), FakeKind(pdfBy));
    job->AddItem(Src(), Dst(), "Folder");
    EXPECT_TRUE(RunToEnd(job));
    job->WaitFor();
    return job;
  }

  Lines Opened() {
    std::lock_guard lock(openedMutex);
    return opened;
  }

  std::shared_ptr<FakeOffice> office = std::make_shared<FakeOffice>();
};

TEST_F(FileKindsTest, ANewKindGoesThroughTheStepsBesideTheOfficeKinds) {
  WriteFile(Src("/a.fak"), "a");
  WriteFile(Src("/b.doc"), "b");
  WriteFile(Src("/c.txt"), "c");
  auto job = Run(true, false, true);

  EXPECT_THAT(office->Calls(), ElementsAre("open " + Src("/a.fak"), "stamp Confidential",
                                           "save " + Dst("/a.fak"), "close", "quit"));
  EXPECT_EQ(ReadFile(Dst("/a.fak")), "stamped " + Src("/a.fak"));
  EXPECT_THAT(ActionLines(), ElementsAre("Add watermark into " + Src("/a.fak"),
                                         "Add watermark into " + Src("/b.doc"),
                                         "copy file:" + Src("/c.txt") + " to:" + Dst("/c.txt")));
  EXPECT_EQ(job->Counts.Stamped, 2);
  EXPECT_EQ(job->Counts.Copied, 1);
  EXPECT_EQ(job->TotalCount, 3);
  EXPECT_EQ(job->DoneCount, 3);
  // The kind's switch off: its files are other files.
  office->calls.clear();
  window = std::make_shared<RecordingWindow>();
  auto copying = MakeJob(Settings(false, false, false, false, true));
  copying->FileKinds.insert(copying->FileKinds.begin(), FakeKind());
  copying->AddItem(Src(), Dst("/copies"), "Folder");
  ASSERT_TRUE(RunToEnd(copying));
  copying->WaitFor();
  EXPECT_TRUE(office->Calls().empty());
  EXPECT_EQ(ReadFile(Dst("/copies/a.fak")), "a");
}

TEST_F(FileKindsTest, OpenFailuresAndStepFailuresAreTheFilesAlone) {
  WriteFile(Src("/1locked.fak"), "l");
  WriteFile(Src("/2bad.fak"), "b");
  WriteFile(Src("/3good.fak"), "g");
  office->refuse = Src("/1locked.fak");
  office->failStamp = Src("/2bad.fak");
  auto job = Run(true, false, false);

  EXPECT_THAT(ActionLines(), ElementsAre("Error in " + Src("/1locked.fak") + ":needs a password",
                                         "Add watermark into " + Src("/2bad.fak"),
                                         "Error in " + Src("/2bad.fak") + ":the mark does not fit",
                                         "Add watermark into " + Src("/3good.fak")));
  // The failed stamp is closed without saving; nothing of it reaches the destination.
  EXPECT_THAT(office->Calls(),
              ElementsAre("open " + Src("/1locked.fak"), "open " + Src("/2bad.fak"),
                          "stamp Confidential", "close", "open " + Src("/3good.fak"),
                          "stamp Confidential", "save " + Dst("/3good.fak"), "close", "quit"));
  EXPECT_EQ(ListTree(Dst()), Lines{"3good.fak"});
  EXPECT_EQ(job->Counts.Failed, 2);
  EXPECT_EQ(job->Counts.Stamped, 1);
  // A file that fails after its open counts its planned actions as handled; one that cannot
  // be opened counts none, as with the office kinds.
  EXPECT_EQ(job->TotalCount, 3);
  EXPECT_EQ(job->DoneCount, 2);
}

TEST_F(FileKindsTest, AnEngineThatWritesItsOwnPdfNeedsNoPrinter) {
  WriteFile(Src("/sub/a.fak"), "a");
  auto job = Run(true, true, false);

  EXPECT_THAT(office->Calls(), ElementsAre("open " + Src("/sub/a.fak"), "stamp Confidential",
                                           "pdf " + Dst("/sub/a.pdf"), "close", "quit"));
  EXPECT_THAT(ActionLines(),
              ElementsAre("Add watermark into " + Src("/sub/a.fak"),
                          "Print Fak file:" + Src("/sub/a.fak") + " to PDF:" + Dst("/sub/a.pdf")));
  EXPECT_EQ(ReadFile(Dst("/sub/a.pdf")), "PDF of stamped " + Src("/sub/a.fak"));
  EXPECT_EQ(ListTree(Dst()), Lines{"sub/a.pdf"}) << "with PDF, the stamped file is not kept";
  EXPECT_EQ(job->Counts.Printed, 1);
  EXPECT_EQ(job->Counts.Stamped, 1);
  EXPECT_FALSE(job->EndedOnError());
}

TEST_F(FileKindsTest, AnEngineThatCannotPrintHasAnotherKindPrintItsStampedCopy) {
  WriteFile(Src("/a.fak"), "a");
  auto job = Run(true, true, false, RFileKind::PdfBy::KindEngine);

  // The stamped copy is saved under the source's name in a folder of its own; Word opens
  // and prints that copy, so its PDF comes under the name the PDF stack waits for.
  const Lines calls = office->Calls();
  ASSERT_GE(calls.size(), 3u);
  const std::string save = calls[2];
  ASSERT_EQ(save.rfind("save ", 0), 0u) << save;
  const std::string copy = save.substr(5);
  EXPECT_EQ(ExtractFileName(copy), "a.fak");
  EXPECT_NE(copy, Src("/a.fak"));
  EXPECT_THAT(Opened(), Contains(copy));
  EXPECT_EQ(ReadFile(Dst("/a.pdf")), "PDF of " + copy);
  EXPECT_FALSE(std::filesystem::exists(ExtractFilePath(copy))) << "the copy's folder is removed";
  EXPECT_THAT(ActionLines(),
              Contains("Print Fak file:" + Src("/a.fak") + " to PDF:" + Dst("/a.pdf")));
  EXPECT_EQ(job->Counts.Printed, 1);
  EXPECT_EQ(job->Counts.Failed, 0);
}

}  // namespace

namespace {

class OutputNamesTest : public FileKindsTest {
 protected:
  std::shared_ptr<TJob> RunTwoKinds() {
    window = std::make_shared<RecordingWindow>();
    auto job = MakeJob(Settings(true, false, false, true, true));
    RFileKind second = FakeKind();
    second.name = "Fake2";
    second.extensions = {".fk2"};
    second.printTag = "Fk2";
    job->FileKinds.insert(job->FileKinds.begin(), {FakeKind(), second});
    job->AddItem(Src(), Dst(), "Folder");
    job->AddItem(Src("/sub/a.fak"), Dst("/sub/a.pdf"), "File");  // the same PDF again
    EXPECT_TRUE(RunToEnd(job));
    job->WaitFor();
    return job;
  }
};

// No output of a run replaces another output of the same run: documents whose PDFs would
// share a name, and a PDF copied along beside a document printed under its name, each keep
// their own file under a name that the next run finds again (and skips).
TEST_F(OutputNamesTest, OutputsOfOneRunNeverReplaceEachOther) {
  WriteFile(Src("/memo.fak"), "memo");
  WriteFile(Src("/memo.pdf"), "the user's memo.pdf");
  WriteFile(Src("/sub/a.fak"), "a");
  WriteFile(Src("/sub/a.fk2"), "a2");
  auto job = RunTwoKinds();

  EXPECT_EQ(ReadFile(Dst("/memo.pdf")), "the user's memo.pdf");  // the copy keeps its name
  EXPECT_EQ(ReadFile(Dst("/memo (fak).pdf")), "PDF of stamped " + Src("/memo.fak"));
  EXPECT_EQ(ReadFile(Dst("/sub/a.pdf")), "PDF of stamped " + Src("/sub/a.fak"));
  EXPECT_EQ(ReadFile(Dst("/sub/a (fk2).pdf")), "PDF of stamped " + Src("/sub/a.fk2"));
  // The file entry names a.fak's PDF once more: a third name, not a replacement.
  EXPECT_EQ(ReadFile(Dst("/sub/a (fak).pdf")), "PDF of stamped " + Src("/sub/a.fak"));
  EXPECT_EQ(ListTree(Dst()), (Lines{"memo (fak).pdf", "memo.pdf", "sub/a (fak).pdf",
                                    "sub/a (fk2).pdf", "sub/a.pdf"}));
  const Lines log = LogLines();
  auto logged = [&log](const std::string& text) {
    for (const std::string& line : log)
      if (line.find(text) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(logged("PDF of " + Src("/memo.fak") + " named " + Dst("/memo (fak).pdf") + ": " +
                     Dst("/memo.pdf") + " is another output of this run"));
  EXPECT_TRUE(logged("PDF of " + Src("/sub/a.fk2") + " named " + Dst("/sub/a (fk2).pdf") + ": " +
                     Dst("/sub/a.pdf") + " is another output of this run"));
  EXPECT_EQ(job->Counts.Printed, 4);
  EXPECT_EQ(job->Counts.Copied, 1);
  EXPECT_EQ(job->TotalCount, job->DoneCount);

  // The next run plans the same names: every destination exists, nothing is replaced.
  WriteFile(Dst("/sub/a (fk2).pdf"), "kept");
  auto again = RunTwoKinds();
  EXPECT_EQ(again->Counts.Skipped, 5);
  EXPECT_EQ(again->Counts.Printed + again->Counts.Copied + again->Counts.Failed, 0);
  EXPECT_EQ(ReadFile(Dst("/sub/a (fk2).pdf")), "kept");
}

// With "Replace existing destinations" a run stamps, prints and copies again where its
// destinations exist; never onto a source, and still never over another output of the run.
TEST_F(OutputNamesTest, ReplaceExistingDestinationsStampsAgain) {
  WriteFile(Src("/r.fak"), "r");
  WriteFile(Src("/notes.txt"), "new notes");
  WriteFile(Dst("/r.fak"), "stamped last week");
  WriteFile(Dst("/notes.txt"), "old notes");
  auto skipping = MakeJob(Settings(true, false, false, false, true));
  skipping->FileKinds.insert(skipping->FileKinds.begin(), FakeKind());
  skipping->AddItem(Src(), Dst(), "Folder");
  ASSERT_TRUE(RunToEnd(skipping));
  skipping->WaitFor();
  EXPECT_EQ(skipping->Counts.Skipped, 2);
  EXPECT_EQ(ReadFile(Dst("/r.fak")), "stamped last week");

  window = std::make_shared<RecordingWindow>();
  RJobSettings settings = Settings(true, false, false, false, true);
  settings.Overwrite = true;
  auto replacing = MakeJob(settings);
  replacing->FileKinds.insert(replacing->FileKinds.begin(), FakeKind());
  replacing->AddItem(Src(), Dst(), "Folder");
  replacing->AddItem(Src(), Src(), "Folder");  // in place: the copies would be the sources
  ASSERT_TRUE(RunToEnd(replacing));
  replacing->WaitFor();
  EXPECT_EQ(ReadFile(Dst("/r.fak")), "stamped " + Src("/r.fak"));
  EXPECT_EQ(ReadFile(Dst("/notes.txt")), "new notes");
  EXPECT_EQ(ReadFile(Src("/notes.txt")), "new notes");
  EXPECT_EQ(replacing->Counts.Copied, 1);
  EXPECT_EQ(replacing->Counts.Stamped, 2);  // the in-place stamp is the source itself
  EXPECT_EQ(replacing->Counts.Skipped, 1);  // no copy onto its own source
  EXPECT_EQ(replacing->TotalCount, replacing->DoneCount);
}

TEST(OutputNames, ClaimsGiveTaggedNamesInTheSameFolder) {
  TOutputNames names;
  EXPECT_EQ(names.Claim("/o/r.pdf", "doc"), "/o/r.pdf");
  EXPECT_EQ(names.Claim("/o/r.pdf", "xls"), "/o/r (xls).pdf");
  EXPECT_EQ(names.Claim("/o/r.pdf", "xls"), "/o/r (xls 2).pdf");
  EXPECT_EQ(names.Claim("/o/README", "2"), "/o/README");
  EXPECT_EQ(names.Claim("/o/README", "2"), "/o/README (2)");
  EXPECT_TRUE(names.Claimed("/o/r (xls).pdf"));
  EXPECT_FALSE(names.Claimed("/p/r.pdf"));
}

}  // namespace
