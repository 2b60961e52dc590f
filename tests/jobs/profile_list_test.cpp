#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "jobs/convert_error.h"
#include "jobs/profile_list.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

using namespace stampwell;
using stampwell::test::ScopedProgramDir;
using stampwell::test::WriteFile;
using Names = std::vector<std::string>;

namespace {

class ProfileListTest : public ::testing::Test {
 protected:
  ~ProfileListTest() override { ProfileList().clear(); }
  void Profile(const std::string& fileName, const std::string& name,
               const std::string& color = "clGray") {
    WriteFile(
        program_.Path() + fileName,
        "[BasicInfo]\r\nName=" + name + "\r\n[DocInfo]\r\nDocWatermarkColor=" + color + "\r\n");
  }
  // The file names of ProfileList, in its order.
  static Names Listed() {
    Names names;
    for (const auto& p : ProfileList()) names.push_back(p->FileName);
    return names;
  }
  // Names the directory itself lists, in its order, that pass keep.
  template <typename Keep>
  Names DirectoryOrder(Keep keep) const {
    Names names;
    for (const auto& e : std::filesystem::directory_iterator(program_.Path()))
      if (keep(e.path().filename().string())) names.push_back(e.path().filename().string());
    return names;
  }

  ScopedProgramDir program_;
};

}  // namespace

TEST_F(ProfileListTest, ScanKeepsSwFilesWithIniExtensionInListingOrder) {
  for (int i = 0; i < 12; ++i)
    Profile("swJob" + std::to_string(i) + ".ini", "J" + std::to_string(i));
  Profile("swUpper.INI", "Upper");
  Profile("swBackup.ini.bak", "Backup");
  Profile("other.ini", "Other");
  Profile("swNoExt", "NoExt");
  Profile("swDot.ini.", "Dot");
  WriteFile(program_.Path() + "swFolder.ini/inside", "");
  LoadProfiles();
  Names expected = DirectoryOrder([](const std::string& n) {
    return n.rfind("sw", 0) == 0 && n != "swBackup.ini.bak" && n != "swNoExt" &&
           n != "swDot.ini." && n != "swFolder.ini";
  });
  EXPECT_EQ(expected.size(), 13u);
  EXPECT_EQ(Listed(), expected);
  EXPECT_EQ(ProfileList()[FindProfile("Upper")]->FileName, "swUpper.INI");
}

TEST_F(ProfileListTest, EmptyOrMissingProgramDirectoryGivesAnEmptyList) {
  Profile("swA.ini", "A");
  LoadProfiles();
  ASSERT_EQ(ProfileList().size(), 1u);
  SetProgramDir(program_.Path() + "missing");
  LoadProfiles();
  EXPECT_TRUE(ProfileList().empty());
}

TEST_F(ProfileListTest, UnreadableColourStopsTheScanKeepingTheProfilesBefore) {
  for (int i = 0; i < 8; ++i)
    Profile("swJob" + std::to_string(i) + ".ini", "J" + std::to_string(i));
  Profile("swBad.ini", "Bad", "not a colour");
  Names order = DirectoryOrder([](const std::string&) { return true; });
  Names before(order.begin(), std::find(order.begin(), order.end(), "swBad.ini"));

  EXPECT_THROW(LoadProfiles(), EConvertError);
  EXPECT_EQ(Listed(), before);
}

TEST_F(ProfileListTest, FindProfileTakesTheLastExactMatch) {
  Profile("swA.ini", "Same");
  Profile("swB.ini", "Other");
  Profile("swC.ini", "Same");
  LoadProfiles();
  int last = -1;
  for (int i = 0; i < static_cast<int>(ProfileList().size()); ++i)
    if (ProfileList()[i]->Settings.Name == "Same") last = i;
  ASSERT_NE(last, -1);
  EXPECT_EQ(FindProfile("Same"), last);
  EXPECT_EQ(ProfileList()[FindProfile("Other")]->FileName, "swB.ini");
  EXPECT_EQ(FindProfile("same"), -1);  // with case
  EXPECT_EQ(FindProfile("Sam"), -1);
  EXPECT_EQ(FindProfile(""), -1);
}

TEST_F(ProfileListTest, ReplacedProfilesStayValidForTheirHolders) {
  Profile("swA.ini", "A");
  LoadProfiles();
  std::shared_ptr<TJobProfile> held = ProfileList().at(0);
  std::remove((program_.Path() + "swA.ini").c_str());
  Profile("swB.ini", "B");
  LoadProfiles();
  EXPECT_EQ(held->Settings.Name, "A");
  ASSERT_EQ(ProfileList().size(), 1u);
  EXPECT_NE(ProfileList()[0], held);
  EXPECT_EQ(FindProfile("A"), -1);
}
