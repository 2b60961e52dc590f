#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/temp_dir.h"

using namespace stampwell;

TEST(Paths, ProgramDirIsTheExecutablesFolderUnlessRedirected) {
  std::string dir = ProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), PathDelim);
  EXPECT_TRUE(FileExists(dir + "platform_tests"));

  test::TempDir tmp;
  SetProgramDir(tmp.Path().substr(0, tmp.Path().size() - 1));  // without the separator
  EXPECT_EQ(ProgramDir(), tmp.Path());
  SetProgramDir("");
  EXPECT_EQ(ProgramDir(), dir);
}

TEST(Paths, FileNameParts) {
  EXPECT_EQ(ExtractFilePath("/in/sub/report.doc"), "/in/sub/");
  EXPECT_EQ(ExtractFileName("/in/sub/report.doc"), "report.doc");
  EXPECT_EQ(ExtractFileExt("/in/sub/report.DOC"), ".DOC");
  EXPECT_EQ(ExtractFileExt("/in/sub.d/report"), "");
  EXPECT_EQ(ChangeFileExt("/in/report.doc", ".pdf"), "/in/report.pdf");
  EXPECT_EQ(ChangeFileExt("/in.x/report", ".pdf"), "/in.x/report.pdf");
  EXPECT_EQ(ChangeFileExt("/in/a.b.xls", ".pdf"), "/in/a.b.pdf");
}
