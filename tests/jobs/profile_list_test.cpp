// SPDX-License-Identifier: GPL-3.0-or-later
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
  static Names Listed() {
    Names names;
    for (const auto& p : ProfileList()) names.push_back(p->FileName);
    return names;
  }
  // The directory's own listing order, up to (not including) the entry stop.
  Names ListingBefore(const std::string& stop) const {
    Names names;
    for (const auto& e : std::filesystem::directory_iterator(program_.Path()))
      names.push_back(e.path().filename().string());
    names.erase(std::find(names.begin(), names.end(), stop), names.end());
    return names;
  }

  ScopedProgramDir program_;
};

}  // namespace

TEST_F(ProfileListTest, ScanKeepsSwFilesWithIniExtensionSortedByNameIgnoringCase) {
  for (int i = 0; i < 12; ++i)
    Profile("swJob" + std::to_string(i) + ".ini", "J" + std::to_string(i));
  Profile("swUpper.INI", "Upper");
  Profile("SWCaps.ini", "Caps");  // the prefix, like the extension, ignores case
  for (const char* skipped : {"swBackup.ini.bak", "other.ini", "swNoExt", "swDot.ini."})
    Profile(skipped, "skipped");
  WriteFile(program_.Path() + "swFolder.ini/inside", "");
  LoadProfiles();
  Names expected = ListingBefore("");
  expected.erase(std::remove_if(expected.begin(), expected.end(),
                                [](const std::string& n) {
                                  return n.rfind("swJob", 0) != 0 && n != "swUpper.INI" &&
                                         n != "SWCaps.ini";
                                }),
                 expected.end());
  EXPECT_EQ(expected.size(), 14u);
  // Sorted as a user reads names, whatever order the file system lists them in.
  expected = {"SWCaps.ini", "swJob0.ini", "swJob1.ini", "swJob10.ini", "swJob11.ini",
              "swJob2.ini", "swJob3.ini", "swJob4.ini", "swJob5.ini",  "swJob6.ini",
              "swJob7.ini", "swJob8.ini", "swJob9.ini", "swUpper.INI"};
  EXPECT_EQ(Listed(), expected);

  SetProgramDir(program_.Path() + "missing");
  LoadProfiles();
  EXPECT_TRUE(ProfileList().empty());
}

TEST_F(ProfileListTest, AnUnreadableProfileIsNamedAndPassedOverAndTheOthersLoad) {
  for (int i = 0; i < 8; ++i)
    Profile("swJob" + std::to_string(i) + ".ini", "J" + std::to_string(i));
  Profile("swBad.ini", "Bad", "not a colour");
  Profile("swWorse.ini", "Worse", "nor this");
  try {
    LoadProfiles();
    ADD_FAILURE() << "no error reported";
  } catch (const EProfileLoadError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("swBad.ini: 'not a colour' is not a valid integer value"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("swWorse.ini: 'nor this'"), std::string::npos) << message;
    EXPECT_EQ(e.Files.size(), 2u);
  }
  EXPECT_EQ(Listed(), (Names{"swJob0.ini", "swJob1.ini", "swJob2.ini", "swJob3.ini", "swJob4.ini",
                             "swJob5.ini", "swJob6.ini", "swJob7.ini"}));
}

TEST_F(ProfileListTest, FindProfileTakesTheLastExactMatch) {
  Profile("swA.ini", "Same");
  Profile("swB.ini", "Other");
  Profile("swC.ini", "Same");
  LoadProfiles();
  int last = -1;
  for (int i = 0; i < static_cast<int>(ProfileList().size()); ++i)
    if (ProfileList()[i]->Settings.Name == "Same") last = i;
  EXPECT_EQ(FindProfile("Same"), last);
  EXPECT_EQ(ProfileList()[FindProfile("Other")]->FileName, "swB.ini");
  for (const char* none : {"same", "Sam", ""}) EXPECT_EQ(FindProfile(none), -1) << none;
}

TEST_F(ProfileListTest, ReplacedProfilesStayValidForTheirHolders) {
  Profile("swA.ini", "A");
  LoadProfiles();
  std::shared_ptr<TJobProfile> held = ProfileList().at(0);
  std::remove((program_.Path() + "swA.ini").c_str());
  Profile("swB.ini", "B");
  LoadProfiles();
  EXPECT_EQ(held->Settings.Name, "A");
  EXPECT_EQ(Listed(), Names{"swB.ini"});
}
