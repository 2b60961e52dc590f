// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdf_stack.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "printer_registry.h"

using namespace stampwell;
using test::ReadFile;
using test::WriteFile;

namespace {

// A job's stack on a usable Converter printer that writes into <home>/PDF of a test desktop.
// Print() stands for the driver: it writes the PDF of one document into the output folder.
class PdfStackFlush : public ::testing::Test {
 protected:
  PdfStackFlush() {
    auto reg = std::make_shared<TRegistry>();
    test::AddPrinter(*reg, "Pdf", "Pdf", "Adobe PDF Converter");
    test::SetLocation(*reg, "Pdf", "PDF");
    stack_ = std::make_unique<TPDFStack>(reg);
    stack_->InitStack();
  }

  std::string Out(const std::string& name) const { return stack_->PDFOutputDir + "/" + name; }
  std::string Dest(const std::string& rel) const { return desktop_.Dir() / ("dest/" + rel); }
  void Print(const std::string& name, const std::string& content) const {
    WriteFile(Out(name), content);
  }

  test::ScopedDesktop desktop_;
  std::unique_ptr<TPDFStack> stack_;
};

}  // namespace

// ---- the one-step lag ----

TEST_F(PdfStackFlush, AnItemIsMovedWhenTheNextOneIsAdded) {
  ASSERT_EQ(stack_->PDFOutputDir, desktop_.Home() + "/PDF");
  Print("one.pdf", "first");
  stack_->AddPDFPrintItem("one.pdf", Dest("one.pdf"));
  EXPECT_TRUE(FileExists(Out("one.pdf")));  // not looked for yet
  EXPECT_FALSE(FileExists(Dest("one.pdf")));

  Print("two.pdf", "second");
  stack_->AddPDFPrintItem("two.pdf", Dest("two.pdf"));
  EXPECT_EQ(ReadFile(Dest("one.pdf")), "first");
  EXPECT_FALSE(FileExists(Out("one.pdf")));
  EXPECT_TRUE(FileExists(Out("two.pdf")));
  EXPECT_FALSE(FileExists(Dest("two.pdf")));

  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Dest("two.pdf")), "second");
  EXPECT_FALSE(FileExists(Out("two.pdf")));
  // Moved items stay listed.
  EXPECT_EQ(stack_->PDFFileNames, (std::vector<std::string>{"one.pdf", "two.pdf"}));
  EXPECT_EQ(stack_->PDFDestFiles, (std::vector<std::string>{Dest("one.pdf"), Dest("two.pdf")}));
}

TEST_F(PdfStackFlush, AFileNotYetWrittenIsMovedByALaterFlush) {
  stack_->AddPDFPrintItem("late.pdf", Dest("late.pdf"));
  stack_->ClearPreItems();  // nothing there yet: skipped without complaint
  EXPECT_FALSE(FileExists(Dest("late.pdf")));
  Print("late.pdf", "finally");
  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Dest("late.pdf")), "finally");
  EXPECT_FALSE(FileExists(Out("late.pdf")));
}

TEST_F(PdfStackFlush, MissingDestinationFoldersAreCreated) {
  Print("r.pdf", "deep");
  stack_->AddPDFPrintItem("r.pdf", Dest("x/y/z/r.pdf"));
  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Dest("x/y/z/r.pdf")), "deep");
}

TEST_F(PdfStackFlush, AnExistingDestinationIsOverwritten) {
  WriteFile(Dest("r.pdf"), "an older and longer pdf");
  Print("r.pdf", "new");
  stack_->AddPDFPrintItem("r.pdf", Dest("r.pdf"));
  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Dest("r.pdf")), "new");
  EXPECT_FALSE(FileExists(Out("r.pdf")));
}

TEST_F(PdfStackFlush, ClearStackLeavesUnmovedFilesInTheOutputFolder) {
  stack_->AddPDFPrintItem("r.pdf", Dest("r.pdf"));
  stack_->ClearStack();
  EXPECT_TRUE(stack_->PDFFileNames.empty());
  EXPECT_TRUE(stack_->PDFDestFiles.empty());
  EXPECT_TRUE(stack_->HasPrintItems);  // never cleared
  Print("r.pdf", "too late");
  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Out("r.pdf")), "too late");
  EXPECT_FALSE(FileExists(Dest("r.pdf")));
}

TEST_F(PdfStackFlush, InitStackStartsEmptyAndHasPrintItemsStartsFalse) {
  EXPECT_FALSE(stack_->HasPrintItems);
  stack_->AddPDFPrintItem("r.pdf", Dest("r.pdf"));
  stack_->InitStack();
  EXPECT_TRUE(stack_->PDFFileNames.empty());
  Print("r.pdf", "x");
  stack_->ClearPreItems();
  EXPECT_FALSE(FileExists(Dest("r.pdf")));
}

// ---- copies that fail ----

TEST_F(PdfStackFlush, AFailedCopyKeepsTheOnlyCopyInTheOutputFolder) {
  test::MessageRecorder messages;
  WriteFile(Dest("blocker"), "a file where a folder is needed");
  Print("r.pdf", "precious");
  stack_->AddPDFPrintItem("r.pdf", Dest("blocker/r.pdf"), "/docs/r.doc");
  stack_->ClearPreItems();
  // The failure is kept for the run to log, naming the document and the destination; no
  // message box holds up the run.
  EXPECT_TRUE(messages.Messages().empty());
  auto errors = stack_->TakeErrors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].Source, "/docs/r.doc");
  EXPECT_EQ(errors[0].Message, "cannot write " + Dest("blocker/r.pdf") + ": not a directory");
  EXPECT_EQ(ReadFile(Out("r.pdf")), "precious");
  // A failed item is not tried again at every later flush.
  stack_->ClearPreItems();
  stack_->AddPDFPrintItem("s.pdf", Dest("s.pdf"));
  EXPECT_TRUE(stack_->TakeErrors().empty());
  EXPECT_EQ(ReadFile(Out("r.pdf")), "precious");
}

TEST_F(PdfStackFlush, AFailedCopyDoesNotHoldUpTheOtherItems) {
  test::MessageRecorder messages;
  WriteFile(Dest("blocker"), "file");
  Print("bad.pdf", "bad");
  Print("good.pdf", "good");
  stack_->AddPDFPrintItem("bad.pdf", Dest("blocker/bad.pdf"));
  stack_->AddPDFPrintItem("good.pdf", Dest("good.pdf"));
  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Dest("good.pdf")), "good");
  EXPECT_TRUE(FileExists(Out("bad.pdf")));
}

TEST_F(PdfStackFlush, ADestinationThatIsTheOutputFileItselfIsKept) {
  test::MessageRecorder messages;
  Print("r.pdf", "in place");
  stack_->AddPDFPrintItem("r.pdf", Out("r.pdf"));
  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Out("r.pdf")), "in place");
  EXPECT_TRUE(messages.Messages().empty());
}

// ---- two documents with the same file name ----

TEST_F(PdfStackFlush, PrepareForPrintSendsEachSameNamedPdfToItsOwnDestination) {
  // in/a/report.doc and in/b/report.doc both print as report.pdf.
  EXPECT_TRUE(stack_->PrepareForPrint("report.pdf"));
  Print("report.pdf", "from a");
  stack_->AddPDFPrintItem("report.pdf", Dest("a/report.pdf"));

  EXPECT_TRUE(stack_->PrepareForPrint("report.pdf"));
  EXPECT_EQ(ReadFile(Dest("a/report.pdf")), "from a");
  Print("report.pdf", "from b");
  stack_->AddPDFPrintItem("report.pdf", Dest("b/report.pdf"));
  stack_->ClearPreItems();

  EXPECT_EQ(ReadFile(Dest("a/report.pdf")), "from a");
  EXPECT_EQ(ReadFile(Dest("b/report.pdf")), "from b");
  EXPECT_FALSE(FileExists(Out("report.pdf")));
}

TEST_F(PdfStackFlush, WithoutPrepareForPrintNoPdfGoesToTheWrongDestination) {
  Print("report.pdf", "from a");
  stack_->AddPDFPrintItem("report.pdf", Dest("a/report.pdf"));
  Print("report.pdf", "from b");  // overwrites a's PDF before it was moved
  stack_->AddPDFPrintItem("report.pdf", Dest("b/report.pdf"));
  stack_->ClearPreItems();
  EXPECT_FALSE(FileExists(Dest("a/report.pdf")));
  EXPECT_EQ(ReadFile(Dest("b/report.pdf")), "from b");
}

TEST_F(PdfStackFlush, AMovedItemNeverTakesALaterFileOfItsName) {
  Print("report.pdf", "from a");
  stack_->AddPDFPrintItem("report.pdf", Dest("a/report.pdf"));
  stack_->ClearPreItems();
  ASSERT_EQ(ReadFile(Dest("a/report.pdf")), "from a");
  Print("report.pdf", "from b");
  stack_->AddPDFPrintItem("report.pdf", Dest("b/report.pdf"));
  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Dest("a/report.pdf")), "from a");
  EXPECT_EQ(ReadFile(Dest("b/report.pdf")), "from b");
}

TEST_F(PdfStackFlush, PrepareForPrintDropsAnEarlierItemWhoseFileNeverCame) {
  stack_->AddPDFPrintItem("report.pdf", Dest("a/report.pdf"));  // its print wrote nothing
  EXPECT_FALSE(stack_->PrepareForPrint("report.pdf"));
  Print("report.pdf", "from b");
  stack_->AddPDFPrintItem("report.pdf", Dest("b/report.pdf"));
  stack_->ClearPreItems();
  EXPECT_FALSE(FileExists(Dest("a/report.pdf")));
  EXPECT_EQ(ReadFile(Dest("b/report.pdf")), "from b");
}

TEST_F(PdfStackFlush, PrepareForPrintKeepsAFailedCopyFromBeingOverwritten) {
  test::MessageRecorder messages;
  WriteFile(Dest("blocker"), "file");
  Print("report.pdf", "from a");
  stack_->AddPDFPrintItem("report.pdf", Dest("blocker/report.pdf"));
  EXPECT_TRUE(stack_->PrepareForPrint("report.pdf"));
  EXPECT_EQ(ReadFile(Out("report (1).pdf")), "from a");
  EXPECT_FALSE(FileExists(Out("report.pdf")));

  Print("report.pdf", "from b");
  stack_->AddPDFPrintItem("report.pdf", Dest("b/report.pdf"));
  stack_->ClearPreItems();
  EXPECT_EQ(ReadFile(Dest("b/report.pdf")), "from b");
  EXPECT_EQ(ReadFile(Out("report (1).pdf")), "from a");
}

// The earlier PDF of a name that fills the whole name limit is moved aside under a name cut
// to fit; the search for a free name always ends.
TEST_F(PdfStackFlush, PrepareForPrintOfANameAtTheLimitEnds) {
  test::MessageRecorder messages;
  WriteFile(Dest("blocker"), "file");
  const std::string name = std::string(251, 'n') + ".pdf";
  Print(name, "from a");
  stack_->AddPDFPrintItem(name, Dest("blocker/x.pdf"));
  EXPECT_TRUE(stack_->PrepareForPrint(name));
  EXPECT_FALSE(FileExists(Out(name)));
  const auto left = test::ListTree(ExtractFilePath(Out(name)));
  ASSERT_EQ(left.size(), 1u);
  EXPECT_LE(left[0].size(), 255u);
  EXPECT_EQ(left[0].substr(left[0].size() - 8), " (1).pdf");
  EXPECT_EQ(ReadFile(Out(left[0])), "from a");
}
