#include <gtest/gtest.h>

#include <sys/stat.h>
#include <string>
#include <vector>

#include "jobs/convert_error.h"
#include "jobs/job_profile.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

using namespace stampwell;
using stampwell::test::ListTree;
using stampwell::test::ReadFile;
using stampwell::test::ScopedProgramDir;
using stampwell::test::TempDir;
using stampwell::test::WriteFile;
using Names = std::vector<std::string>;

namespace {

class JobProfileTest : public ::testing::Test {
 protected:
  std::string Dir() const { return program_.Path(); }
  void Given(const std::string& fileName, const std::string& bytes) {
    WriteFile(Dir() + fileName, bytes);
  }
  TJobProfile Filled() const {
    TJobProfile p;
    p.FileName = "swWeekly.ini";
    p.Settings = {"Weekly", false, true, true, true, true, false, -5};
    p.DocSettings = {"Draft", "Courier New", "72", 0x0000FF, false, false};
    p.MaxFolder = 3;
    p.Items = {{0, "/in/a.doc", "/out/a.doc", "one"}, {1, "/in", "/out", ""}};
    return p;
  }

  ScopedProgramDir program_;
};

std::string WriteErrorOf(TJobProfile& p) {
  try {
    p.Save();
  } catch (const EIniFileException& e) {
    return e.what();
  }
  return "";
}

}  // namespace

// --- Reading ------------------------------------------------------------------------------

TEST_F(JobProfileTest, EmptyProfileHasTheConstructorsValues) {
  TJobProfile p;
  EXPECT_EQ(p.FileName, "");
  EXPECT_EQ(p.Settings, RJobSettings{});
  EXPECT_EQ(p.DocSettings, (RDocSettings{"", "", "", 0, true, true}));
  EXPECT_TRUE(p.Items.empty());
  EXPECT_EQ(p.MaxFolder, 0);
  EXPECT_FALSE(p.Exists());
  EXPECT_TRUE(p.Job.expired());
}

TEST_F(JobProfileTest, FileWithOnlyANameLoadsEveryDefault) {
  Given("swOnly.ini", "[BasicInfo]\r\nName=Only\r\n");
  TJobProfile p("swOnly.ini");
  EXPECT_TRUE(p.Exists());
  EXPECT_EQ(p.Settings, (RJobSettings{"Only", true, false, false, false, false, true, 100}));
  EXPECT_EQ(p.DocSettings, (RDocSettings{"Confidential", "Arial", "60", 0x808080, true, true}));
  EXPECT_EQ(p.MaxFolder, 0);
  EXPECT_TRUE(p.Items.empty());
}

TEST_F(JobProfileTest, MissingFileLoadsDefaultsWithoutCreatingIt) {
  TJobProfile p("swNone.ini");
  EXPECT_EQ(p.Settings.Name, "");
  EXPECT_TRUE(p.Settings.Doc);
  EXPECT_EQ(p.DocSettings.DocWaterMarkStr, "Confidential");
  EXPECT_FALSE(p.Exists());
  EXPECT_TRUE(ListTree(Dir()).empty());
}

TEST_F(JobProfileTest, BooleansAreNonZeroAndUnparsableOnesTakeTheDefault) {
  Given("swB.ini", "[BasicInfo]\r\nDoc=yes\r\nXls=2\r\nOtherFiles=0\r\nEveryMinutes=$10\r\n");
  TJobProfile p("swB.ini");
  EXPECT_TRUE(p.Settings.Doc);
  EXPECT_TRUE(p.Settings.Xls);
  EXPECT_FALSE(p.Settings.OtherFiles);
  EXPECT_EQ(p.Settings.EveryMinutes, 16);
}

TEST_F(JobProfileTest, ItemSectionsAreReadInFileOrderWithAnyName) {
  Given("swI.ini",
        "[Letters]\r\nType=0\r\nSource=/s/f.doc\r\nDest=/d/f.doc\r\nComments=c\r\n"
        "[BasicInfo]\r\nName=I\r\n"
        "[0]\r\nType=7\r\nSource=/s7\r\nDest=/d7\r\n"
        "[NoDest]\r\nSource=/x\r\nDest=\r\n"
        "[NoSource]\r\nDest=/x\r\n"
        "[Wide]\r\nType=263\r\nSource=/w\r\nDest=/wd\r\n"
        "[DocInfo]\r\nHX=0\r\n"
        "[NoType]\r\nSource=/n\r\nDest=/nd\r\n");
  TJobProfile p("swI.ini");
  EXPECT_EQ(p.Items, (std::vector<RJobItem>{{0, "/s/f.doc", "/d/f.doc", "c"},
                                            {7, "/s7", "/d7", ""},
                                            {7, "/w", "/wd", ""},  // low 8 bits of 263
                                            {1, "/n", "/nd", ""}}));
}

TEST_F(JobProfileTest, LoadItemsReplacesTheItemsInMemory) {
  Given("swR.ini", "[0]\r\nSource=/a\r\nDest=/b\r\n");
  TJobProfile p("swR.ini");
  p.Items.push_back({1, "/stale", "/stale", ""});
  p.LoadItems();
  EXPECT_EQ(p.Items, (std::vector<RJobItem>{{1, "/a", "/b", ""}}));
  p.ClearItems();
  EXPECT_TRUE(p.Items.empty());
}

TEST_F(JobProfileTest, ColourIsReadAsNameOrInteger) {
  Given("swC.ini", "[DocInfo]\r\nDocWatermarkColor=$000080FF\r\n");
  EXPECT_EQ(TJobProfile("swC.ini").DocSettings.DocWatermarkColor, 0x000080FFu);
  Given("swC.ini", "[DocInfo]\r\nDocWatermarkColor=255\r\n");
  EXPECT_EQ(TJobProfile("swC.ini").DocSettings.DocWatermarkColor, 0x0000FFu);
  Given("swC.ini", "[DocInfo]\r\nDocWatermarkColor=clbtnface\r\n");
  EXPECT_EQ(TJobProfile("swC.ini").DocSettings.DocWatermarkColor, 0xFF00000Fu);
}

TEST_F(JobProfileTest, UnreadableColourFailsTheConstructor) {
  Given("swBad.ini", "[DocInfo]\r\nDocWatermarkColor=reddish\r\n");
  EXPECT_THROW(TJobProfile("swBad.ini"), EConvertError);
  Given("swEmpty.ini", "[DocInfo]\r\nDocWatermarkColor=\r\n");  // present but empty
  EXPECT_THROW(TJobProfile("swEmpty.ini"), EConvertError);
}

// --- Writing ------------------------------------------------------------------------------

TEST_F(JobProfileTest, SaveWritesEveryKeyInOrder) {
  TJobProfile p = Filled();
  p.Save();
  EXPECT_EQ(ReadFile(Dir() + "swWeekly.ini"),
            "[BasicInfo]\r\nName=Weekly\r\nAutoRun=1\r\nDoc=0\r\nXls=1\r\nPpt=1\r\nPDF=1\r\n"
            "OtherFiles=0\r\nEveryMinutes=-5\r\n"
            "[DocInfo]\r\nMaxFolder=3\r\nDocWaterMarkStr=Draft\r\nDocFontName=Courier New\r\n"
            "DocWatermarkSize=72\r\nDocWatermarkColor=clRed\r\nTransparent=0\r\nHX=0\r\n"
            "[0]\r\nType=0\r\nSource=/in/a.doc\r\nDest=/out/a.doc\r\nComments=one\r\n"
            "[1]\r\nType=1\r\nSource=/in\r\nDest=/out\r\nComments=\r\n");
  TJobProfile back("swWeekly.ini");
  EXPECT_EQ(back.Settings, p.Settings);
  EXPECT_EQ(back.DocSettings, p.DocSettings);
  EXPECT_EQ(back.Items, p.Items);
  EXPECT_EQ(back.MaxFolder, 3);
}

TEST_F(JobProfileTest, UnnamedColourIsWrittenInHexAndReadBackTheSame) {
  Given("swH.ini", "[DocInfo]\r\nDocWatermarkColor=$000080FF\r\n");
  TJobProfile p("swH.ini");
  p.Save();
  EXPECT_EQ(TIniFile(Dir() + "swH.ini").ReadString("DocInfo", "DocWatermarkColor", ""),
            "$000080FF");
}

TEST_F(JobProfileTest, SavingFewerItemsLeavesOnlyTheirSections) {
  std::string file = "[BasicInfo]\r\nName=F\r\n[DocInfo]\r\n";
  for (int i = 0; i < 5; ++i)
    file += "[" + std::to_string(i) + "]\r\nSource=/s" + std::to_string(i) + "\r\nDest=/d\r\n";
  Given("swF.ini", file + "[extra]\r\nSource=/e\r\nDest=/e\r\n");
  TJobProfile p("swF.ini");
  ASSERT_EQ(p.Items.size(), 6u);
  p.Items.resize(2);
  p.Save();
  EXPECT_EQ(TIniFile(Dir() + "swF.ini").ReadSections(), (Names{"BasicInfo", "DocInfo", "0", "1"}));
  EXPECT_EQ(TJobProfile("swF.ini").Items, p.Items);
}

TEST_F(JobProfileTest, BlanksAroundTheWatermarkTextAreSavedButNotLoaded) {
  TJobProfile p = Filled();
  p.DocSettings.DocWaterMarkStr = "  Secret ";
  p.Save();
  EXPECT_NE(ReadFile(Dir() + "swWeekly.ini").find("DocWaterMarkStr=  Secret \r\n"),
            std::string::npos);
  EXPECT_EQ(TJobProfile("swWeekly.ini").DocSettings.DocWaterMarkStr, "Secret");
}

TEST_F(JobProfileTest, FixedSectionsSpelledInCapitalsLoadAndSurviveSave) {
  Given("swCaps.ini",
        "[BASICINFO]\r\nNAME=Caps\r\nXLS=1\r\n[DOCINFO]\r\nDOCFONTNAME=Tahoma\r\n"
        "[0]\r\nSource=/a\r\nDest=/b\r\n");
  TJobProfile p("swCaps.ini");
  EXPECT_EQ(p.Settings.Name, "Caps");
  EXPECT_TRUE(p.Settings.Xls);
  EXPECT_EQ(p.DocSettings.DocFontName, "Tahoma");
  p.Settings.Ppt = true;
  p.Save();
  TJobProfile back("swCaps.ini");
  EXPECT_EQ(back.Settings, p.Settings);
  EXPECT_EQ(back.DocSettings, p.DocSettings);
  EXPECT_EQ(back.Items, p.Items);
  EXPECT_EQ(TIniFile(Dir() + "swCaps.ini").ReadSections(), (Names{"BASICINFO", "DOCINFO", "0"}));
}

TEST_F(JobProfileTest, FailedSaveLeavesTheOldFileWhole) {
  TJobProfile p = Filled();
  p.Save();
  const std::string before = ReadFile(Dir() + "swWeekly.ini");
  p.Settings.Name = "Renamed";
  p.Items.push_back({0, "/in/b.doc", "/out/b.doc", "two\nlines"});  // a value no line holds
  EXPECT_EQ(WriteErrorOf(p), "Unable to write to " + Dir() + "swWeekly.ini");
  EXPECT_EQ(ReadFile(Dir() + "swWeekly.ini"), before);
  EXPECT_EQ(ListTree(Dir()), Names{"swWeekly.ini"});
}

TEST_F(JobProfileTest, SaveWithoutFileNameWritesNothing) {
  TJobProfile p = Filled();
  p.FileName = "";
  p.Save();
  EXPECT_TRUE(ListTree(Dir()).empty());
}

TEST_F(JobProfileTest, SaveIntoAMissingProgramDirectoryRaisesTheWriteError) {
  TempDir other;
  SetProgramDir(other / "gone");
  TJobProfile p = Filled();
  EXPECT_EQ(WriteErrorOf(p), "Unable to write to " + (other / "gone/swWeekly.ini"));
}

TEST_F(JobProfileTest, DeleteFilesRemovesProfileAndLogOnly) {
  Given("swD.ini", "[BasicInfo]\r\nName=D\r\n");
  Given("swD.log", "log");
  Given("swDx.ini", "other");
  TJobProfile p("swD.ini");
  p.DeleteFiles();
  EXPECT_EQ(ListTree(Dir()), Names{"swDx.ini"});
  p.DeleteFiles();  // nothing left to delete: no error
  EXPECT_EQ(ListTree(Dir()), Names{"swDx.ini"});
}

TEST_F(JobProfileTest, DeleteFilesLeavesAFolderOfTheLogsNameAlone) {
  Given("swE.ini", "");
  ASSERT_EQ(::mkdir((Dir() + "swE.log").c_str(), 0777), 0);
  TJobProfile p("swE.ini");
  p.DeleteFiles();
  EXPECT_FALSE(FileExists(Dir() + "swE.ini"));
  EXPECT_TRUE(DirectoryExists(Dir() + "swE.log"));
}

// --- Job names that would leave the program directory -------------------------------------

class UnsafeProfileName : public ::testing::TestWithParam<std::string> {};

TEST_P(UnsafeProfileName, NeverReachesOutsideTheProgramDirectory) {
  TempDir root;  // root/prog is the program directory, root/ its parent
  WriteFile(root / "prog/keep", "");
  SetProgramDir(root / "prog");
  const std::string name = GetParam();
  // A file the unsafe name points at outside the program directory.
  WriteFile(root / "swEvil.ini", "[BasicInfo]\r\nName=Outside\r\n");
  WriteFile(root / "swEvil.log", "outside log");
  std::vector<std::string> before = ListTree(root.Path());

  TJobProfile p(name);
  EXPECT_EQ(p.Settings.Name, "");  // read as missing
  EXPECT_FALSE(p.Exists());
  p.Settings.Name = "x";
  EXPECT_EQ(WriteErrorOf(p), "Unable to write to " + ProgramDir() + name);
  p.DeleteFiles();
  EXPECT_EQ(ListTree(root.Path()), before);
  EXPECT_EQ(ReadFile(root / "swEvil.ini"), "[BasicInfo]\r\nName=Outside\r\n");
  SetProgramDir("");
}

INSTANTIATE_TEST_SUITE_P(Names, UnsafeProfileName,
                         ::testing::Values("../swEvil.ini", "sw/../../swEvil.ini", ".", "..",
                                           "sub/swX.ini"));
