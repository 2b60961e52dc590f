// SPDX-License-Identifier: GPL-3.0-or-later
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

// An install keeps its data in <prefix>/share/stampwell beside <prefix>/bin; a build tree has
// no such folder, and a missing one means "not installed".
TEST(Paths, InstalledDataDirIsTheShareFolderBesideTheBinFolder) {
  test::TempDir prefix;
  ASSERT_TRUE(DirectoryExists(prefix.Path()));
  test::WriteFile(prefix / "bin/stampwell-cli", "");
  EXPECT_EQ(InstalledDataDir(prefix / "bin/"), "");

  test::WriteFile(prefix / "share/stampwell/help.mht", "");
  EXPECT_EQ(InstalledDataDir(prefix / "bin/"), prefix / "share/stampwell/");
  EXPECT_EQ(InstalledDataDir(prefix / "bin"), prefix / "share/stampwell/");
  EXPECT_EQ(InstalledDataDir(""), "");

  // The tests run from the build tree, which must not pass for an install.
  EXPECT_EQ(InstalledDataDir(ExecutableDir()), "");
}

TEST(Paths, UserJobsDirFollowsXdgDataHomeElseHome) {
  EXPECT_EQ(UserJobsDir("/data/me", "/home/me"), "/data/me/stampwell/");
  EXPECT_EQ(UserJobsDir("/data/me/", "/home/me"), "/data/me/stampwell/");
  EXPECT_EQ(UserJobsDir(nullptr, "/home/me"), "/home/me/.local/share/stampwell/");
  EXPECT_EQ(UserJobsDir(nullptr, "/home/me/"), "/home/me/.local/share/stampwell/");
  // Empty or relative XDG_DATA_HOME is not to be used.
  EXPECT_EQ(UserJobsDir("", "/home/me"), "/home/me/.local/share/stampwell/");
  EXPECT_EQ(UserJobsDir("data", "/home/me"), "/home/me/.local/share/stampwell/");
  EXPECT_EQ(UserJobsDir("/data/me", ""), "/data/me/stampwell/");
  EXPECT_EQ(UserJobsDir(nullptr, ""), "");
  EXPECT_EQ(UserJobsDir("data", "home/me"), "");
}

// In the build tree the jobs and the data both lie beside the executable; the test hook
// moves both.
TEST(Paths, BuildTreeKeepsJobsAndDataBesideTheExecutable) {
  EXPECT_EQ(ProgramDir(), ExecutableDir());
  EXPECT_EQ(DataDir(), ExecutableDir());
  EXPECT_TRUE(FileExists(DataDir() + "help.mht"));
  {
    test::ScopedProgramDir dir;
    EXPECT_EQ(ProgramDir(), dir.Path());
    EXPECT_EQ(DataDir(), dir.Path());
  }
  EXPECT_EQ(ProgramDir(), ExecutableDir());
  EXPECT_EQ(DataDir(), ExecutableDir());
}
