// SPDX-License-Identifier: GPL-3.0-or-later
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
using Items = std::vector<RJobItem>;

namespace {

class JobProfileTest : public ::testing::Test {
 protected:
  std::string Dir() const { return program_.Path(); }
  void Given(const std::string& fileName, const std::string& bytes) {
    WriteFile(Dir() + fileName, bytes);
  }
  static TJobProfile Filled() {
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
  EXPECT_EQ(p.Settings, RJobSettings{});
  EXPECT_EQ(p.DocSettings, (RDocSettings{"", "", "", 0, true, true}));
  EXPECT_TRUE(p.Items.empty());
  EXPECT_FALSE(p.Exists());
}

TEST_F(JobProfileTest, FileWithOnlyANameLoadsEveryDefault) {
  Given("swOnly.ini", "[BasicInfo]\r\nName=Only\r\n");
  for (const char* file : {"swOnly.ini", "swMissing.ini"}) {
    TJobProfile p(file);
    EXPECT_EQ(p.Settings, (RJobSettings{p.Exists() ? "Only" : "", true, false, false, false, false,
                                        true, 100}));
    EXPECT_EQ(p.DocSettings, (RDocSettings{"Confidential", "Arial", "60", 0x808080, true, true}));
    EXPECT_TRUE(p.Items.empty());
  }
  EXPECT_EQ(ListTree(Dir()), Names{"swOnly.ini"});
}

TEST_F(JobProfileTest, UnparsableValuesTakeTheDefaultAndNonZeroIsTrue) {
  Given("swB.ini",
        "[BasicInfo]\r\nDoc=yes\r\nXls=2\r\nOtherFiles=0\r\nEveryMinutes=$10\r\n"
        "[DocInfo]\r\nHX=x\r\nTransparent=0\r\nDocWaterMarkStr=  Secret \r\n");
  TJobProfile p("swB.ini");
  EXPECT_TRUE(p.Settings.Doc);
  EXPECT_TRUE(p.Settings.Xls);
  EXPECT_FALSE(p.Settings.OtherFiles);
  EXPECT_EQ(p.Settings.EveryMinutes, 16);
  EXPECT_TRUE(p.DocSettings.HX);
  EXPECT_FALSE(p.DocSettings.Transparent);
  EXPECT_EQ(p.DocSettings.DocWaterMarkStr, "Secret");  // blanks are not read back
}

TEST_F(JobProfileTest, ItemSectionsAreReadInFileOrderWithAnyName) {
  Given("swI.ini",
        "[Letters]\r\nType=0\r\nSource=/s/f.doc\r\nDest=/d/f.doc\r\nComments=c\r\n"
        "[BasicInfo]\r\nName=I\r\nSource=/b\r\nDest=/b\r\n"
        "[0]\r\nType=7\r\nSource=/s7\r\nDest=/d7\r\n"
        "[NoDest]\r\nSource=/x\r\nDest=\r\n"
        "[NoSource]\r\nDest=/x\r\n"
        "[Wide]\r\nType=300\r\nSource=/w\r\nDest=/wd\r\n"
        "[NoType]\r\nSource=/n\r\nDest=/nd\r\n");
  TJobProfile p("swI.ini");
  EXPECT_EQ(p.Items, (Items{{0, "/s/f.doc", "/d/f.doc", "c"},
                            {7, "/s7", "/d7", ""},
                            {44, "/w", "/wd", ""},  // low 8 bits of 300
                            {1, "/n", "/nd", ""}}));
  p.Items.push_back({1, "/stale", "/stale", ""});
  p.LoadItems();  // replaces, never appends
  EXPECT_EQ(p.Items.size(), 4u);
}

TEST_F(JobProfileTest, ColourIsANameOrAnIntegerElseLoadFails) {
  const std::vector<std::pair<std::string, TColor>> cases = {
      {"$000080FF", 0x000080FF}, {"255", 0x0000FF}, {"clbtnface", 0xFF00000F}};
  for (const auto& [text, value] : cases) {
    Given("swC.ini", "[DocInfo]\r\nDocWatermarkColor=" + text + "\r\n");
    EXPECT_EQ(TJobProfile("swC.ini").DocSettings.DocWatermarkColor, value) << text;
  }
  for (const char* bad : {"reddish", ""}) {
    Given("swC.ini", std::string("[DocInfo]\r\nDocWatermarkColor=") + bad + "\r\n");
    EXPECT_THROW(TJobProfile("swC.ini"), EConvertError) << bad;
  }
}

// --- Writing ------------------------------------------------------------------------------

TEST_F(JobProfileTest, SaveWritesEveryKeyInOrderAndLoadsBack) {
  TJobProfile p = Filled();
  p.DocSettings.DocWaterMarkStr = " Draft ";
  p.Save();
  EXPECT_EQ(ReadFile(Dir() + "swWeekly.ini"),
            "[BasicInfo]\r\nName=Weekly\r\nAutoRun=1\r\nDoc=0\r\nXls=1\r\nPpt=1\r\nPDF=1\r\n"
            "OtherFiles=0\r\nEveryMinutes=-5\r\nModernFormats=0\r\nPdfFiles=0\r\n"
            "[DocInfo]\r\nMaxFolder=3\r\nDocWaterMarkStr= Draft \r\nDocFontName=Courier New\r\n"
            "DocWatermarkSize=72\r\nDocWatermarkColor=clRed\r\nTransparent=0\r\nHX=0\r\n"
            "[0]\r\nType=0\r\nSource=/in/a.doc\r\nDest=/out/a.doc\r\nComments=one\r\n"
            "[1]\r\nType=1\r\nSource=/in\r\nDest=/out\r\nComments=\r\n");
  p.DocSettings.DocWaterMarkStr = "Draft";
  TJobProfile back("swWeekly.ini");
  EXPECT_EQ(back.Settings, p.Settings);
  EXPECT_EQ(back.DocSettings, p.DocSettings);
  EXPECT_EQ(back.Items, p.Items);
  EXPECT_EQ(back.MaxFolder, 3);
}

TEST_F(JobProfileTest, WorkersKeyIsOptionalAndKeptOnSave) {
  Given("swW.ini", "[BasicInfo]\r\nName=W\r\nWorkers=4\r\n");
  TJobProfile asked("swW.ini");
  EXPECT_EQ(asked.Settings.Workers, 4);
  asked.Save();
  EXPECT_NE(ReadFile(Dir() + "swW.ini").find("\r\nWorkers=4\r\n"), std::string::npos);
  EXPECT_EQ(TJobProfile("swW.ini").Settings.Workers, 4);
  // A job that never asked reads as one worker and is saved without the key.
  TJobProfile plain = Filled();
  EXPECT_EQ(plain.Settings.Workers, 1);
  plain.Save();
  EXPECT_EQ(ReadFile(Dir() + "swWeekly.ini").find("Workers"), std::string::npos);
  // An explicit one stays in the file.
  Given("swOne.ini", "[BasicInfo]\r\nName=One\r\nWorkers=1\r\n");
  TJobProfile("swOne.ini").Save();
  EXPECT_NE(ReadFile(Dir() + "swOne.ini").find("Workers=1"), std::string::npos);
}

TEST_F(JobProfileTest, ModernFormatsIsOffWhenAbsentAndSurvivesASave) {
  // A profile written before the switch existed: everything else kept, the switch off, and the
  // next save appends the key to its section without disturbing the rest.
  const std::string old =
      "[BasicInfo]\r\nName=Old\r\nAutoRun=0\r\nDoc=1\r\nXls=1\r\nPpt=0\r\nPDF=0\r\n"
      "OtherFiles=1\r\nEveryMinutes=100\r\n[DocInfo]\r\nMaxFolder=0\r\n"
      "[0]\r\nType=1\r\nSource=/in\r\nDest=/out\r\nComments=\r\n";
  Given("swOld.ini", old);
  TJobProfile p("swOld.ini");
  EXPECT_FALSE(p.Settings.ModernFormats);
  EXPECT_TRUE(p.Settings.Xls);
  p.Save();
  const std::string saved = ReadFile(Dir() + "swOld.ini");
  EXPECT_NE(saved.find("EveryMinutes=100\r\nModernFormats=0\r\nPdfFiles=0\r\n[DocInfo]"),
            std::string::npos)
      << saved;
  EXPECT_FALSE(TJobProfile("swOld.ini").Settings.ModernFormats);

  for (const char* value : {"1", "-1", "0x1"}) {
    Given("swOn.ini", std::string("[BasicInfo]\r\nName=On\r\nModernformats=") + value + "\r\n");
    EXPECT_TRUE(TJobProfile("swOn.ini").Settings.ModernFormats) << value;
  }
  Given("swOn.ini", "[BasicInfo]\r\nName=On\r\nModernFormats=yes\r\n");
  EXPECT_FALSE(TJobProfile("swOn.ini").Settings.ModernFormats) << "unparsable reads the default";
  TJobProfile on("swOn.ini");
  on.Settings.ModernFormats = true;
  on.Save();
  EXPECT_TRUE(TJobProfile("swOn.ini").Settings.ModernFormats);
  EXPECT_EQ(TIniFile(Dir() + "swOn.ini").ReadString("BasicInfo", "ModernFormats", ""), "1");
}

TEST_F(JobProfileTest, OverwriteIsOffWhenAbsentAndWrittenOnceSet) {
  Given("swOld.ini", "[BasicInfo]\r\nName=Old\r\nDoc=1\r\n");
  TJobProfile old("swOld.ini");
  EXPECT_FALSE(old.Settings.Overwrite);
  old.Save();
  // A job that never replaced keeps a profile without the key.
  EXPECT_EQ(ReadFile(Dir() + "swOld.ini").find("Overwrite"), std::string::npos);
  old.Settings.Overwrite = true;
  old.Save();
  EXPECT_EQ(TIniFile(Dir() + "swOld.ini").ReadString("BasicInfo", "Overwrite", ""), "1");
  EXPECT_TRUE(TJobProfile("swOld.ini").Settings.Overwrite);
  // Turned off again, the key stays and says so.
  TJobProfile on("swOld.ini");
  on.Settings.Overwrite = false;
  on.Save();
  EXPECT_EQ(TIniFile(Dir() + "swOld.ini").ReadString("BasicInfo", "Overwrite", ""), "0");
  EXPECT_FALSE(TJobProfile("swOld.ini").Settings.Overwrite);
}

TEST_F(JobProfileTest, PdfFilesIsOffWhenAbsentAndSurvivesASave) {
  Given("swOld.ini", "[BasicInfo]\r\nName=Old\r\nModernFormats=1\r\n[DocInfo]\r\nHX=1\r\n");
  TJobProfile old("swOld.ini");
  EXPECT_FALSE(old.Settings.PdfFiles);
  EXPECT_TRUE(old.Settings.ModernFormats);
  old.Save();
  EXPECT_EQ(TIniFile(Dir() + "swOld.ini").ReadString("BasicInfo", "PdfFiles", "absent"), "0");
  EXPECT_FALSE(TJobProfile("swOld.ini").Settings.PdfFiles);

  Given("swOn.ini", "[BasicInfo]\r\nName=On\r\npdffiles=1\r\n");
  TJobProfile on("swOn.ini");
  EXPECT_TRUE(on.Settings.PdfFiles);
  EXPECT_FALSE(on.Settings.ModernFormats) << "the switches are independent";
  on.Save();
  EXPECT_EQ(TIniFile(Dir() + "swOn.ini").ReadString("BasicInfo", "PdfFiles", ""), "1");
  EXPECT_TRUE(TJobProfile("swOn.ini").Settings.PdfFiles);
  on.Settings.PdfFiles = false;
  on.Save();
  EXPECT_FALSE(TJobProfile("swOn.ini").Settings.PdfFiles);
}

TEST_F(JobProfileTest, ActiveSheetOnlyAndVerifyAreOffWhenAbsentAndWrittenOnlyWhenAsked) {
  Given("swOld.ini", "[BasicInfo]\r\nName=Old\r\nXls=1\r\n[DocInfo]\r\nMaxFolder=0\r\n");
  TJobProfile old("swOld.ini");
  EXPECT_FALSE(old.Settings.ActiveSheetOnly);
  EXPECT_FALSE(old.Settings.Verify);
  old.Save();
  const std::string saved = ReadFile(Dir() + "swOld.ini");
  EXPECT_EQ(saved.find("ActiveSheetOnly"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("Verify"), std::string::npos) << saved;

  Given("swOn.ini", "[BasicInfo]\r\nName=On\r\nActiveSheetOnly=1\r\nverify=1\r\n");
  TJobProfile on("swOn.ini");
  EXPECT_TRUE(on.Settings.ActiveSheetOnly);
  EXPECT_TRUE(on.Settings.Verify);
  // Switched off again: the keys stay, with the new value, so the file says what the job does.
  on.Settings.ActiveSheetOnly = false;
  on.Save();
  EXPECT_EQ(TIniFile(Dir() + "swOn.ini").ReadString("BasicInfo", "ActiveSheetOnly", ""), "0");
  EXPECT_EQ(TIniFile(Dir() + "swOn.ini").ReadString("BasicInfo", "Verify", ""), "1");
  TJobProfile again("swOn.ini");
  EXPECT_FALSE(again.Settings.ActiveSheetOnly);
  EXPECT_TRUE(again.Settings.Verify);

  TJobProfile fresh = Filled();
  fresh.Settings.Verify = true;
  fresh.Save();
  EXPECT_TRUE(TJobProfile(fresh.FileName).Settings.Verify);
  EXPECT_FALSE(TJobProfile(fresh.FileName).Settings.ActiveSheetOnly);
}

TEST_F(JobProfileTest, UnnamedColourIsWrittenBackInTheSameHexForm) {
  Given("swH.ini", "[DocInfo]\r\nDocWatermarkColor=$000080FF\r\n");
  TJobProfile("swH.ini").Save();
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

  TempDir other;
  SetProgramDir(other / "gone");
  EXPECT_EQ(WriteErrorOf(p), "Unable to write to " + (other / "gone/swWeekly.ini"));
  p.FileName = "";
  p.Save();  // no file name: nothing to write, no error
}

TEST_F(JobProfileTest, DeleteFilesRemovesProfileAndLogOnly) {
  Given("swD.ini", "[BasicInfo]\r\nName=D\r\n");
  Given("swD.log", "log");
  Given("swDx.ini", "other");
  Given("swE.log/inside", "");  // a folder of a log's name is no log
  TJobProfile d("swD.ini");
  d.DeleteFiles();
  d.DeleteFiles();  // nothing left: no error
  TJobProfile e("swE.ini");
  e.DeleteFiles();
  EXPECT_EQ(ListTree(Dir()), (Names{"swDx.ini", "swE.log/inside"}));
}

// --- Job names that would leave the program directory -------------------------------------

class UnsafeProfileName : public ::testing::TestWithParam<std::string> {};

TEST_P(UnsafeProfileName, NeverReachesOutsideTheProgramDirectory) {
  TempDir root;  // root/prog is the program directory
  WriteFile(root / "prog/sw/keep", "");
  SetProgramDir(root / "prog");
  WriteFile(root / "swEvil.ini", "[BasicInfo]\r\nName=Outside\r\n");
  WriteFile(root / "swEvil.log", "outside log");
  const Names before = ListTree(root.Path());
  const std::string name = GetParam();

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
                         ::testing::Values("../swEvil.ini", "sw/../../swEvil.ini", ".", ".."));
