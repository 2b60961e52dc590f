// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

using namespace stampwell;
using stampwell::test::ListTree;
using stampwell::test::ReadFile;
using stampwell::test::TempDir;
using stampwell::test::WriteFile;
using Names = std::vector<std::string>;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_ / "p.ini"; }
  void Given(const std::string& bytes) { WriteFile(Path(), bytes); }
  std::string Bytes() const { return ReadFile(Path()); }

  TempDir dir_;
};

// The message of the EIniFileException that fn raises, "" when none.
template <typename Fn>
std::string WriteError(Fn fn) {
  try {
    fn();
  } catch (const EIniFileException& e) {
    return e.what();
  }
  return "";
}

}  // namespace

// --- Reading -----------------------------------------------------------------------------

TEST_F(IniFileTest, ValuesAreFoundAndCleanedAsProfilesExpect) {
  Given(
      "orphan=before any section\n"
      "  [ Basic ]  \r\n"
      "\t Name \t=  Weekly job \t\r\n"
      ";comment=no\r\n"
      "just text\r\n"
      "dq=\"  padded  \"\r\n"
      "sq='single'\r\n"
      "mixed=\"a'\r\n"
      "lone=\"\r\n"
      "inner=a \"b\" c\r\n"
      "eq=a=b\r\n"
      "empty=\r\n"
      "dup=first\r\n"
      "DUP=second\n"
      "[Other]\rk=cr line end\r"
      "[basic]\r\nlater=hidden\r\n"
      "[Last]\r\nk=no final line end");
  TIniFile ini(Path());
  const std::vector<std::vector<std::string>> cases = {
      {"BASIC", "name", "Weekly job"},
      {"basic", "dq", "  padded  "},
      {"Basic", "sq", "single"},
      {"Basic", "mixed", "\"a'"},
      {"Basic", "lone", "\""},
      {"Basic", "inner", "a \"b\" c"},
      {"Basic", "eq", "a=b"},
      {"Basic", "empty", ""},
      {"Basic", "dup", "first"},
      {"Other", "k", "cr line end"},
      {"Last", "K", "no final line end"},
      // not keys, or not in the section asked for: the default
      {"Basic", ";comment", "<d>"},
      {"Basic", "just text", "<d>"},
      {"", "orphan", "<d>"},
      {"Basic", "later", "<d>"},
      {"Missing", "k", "<d>"}};
  for (const auto& c : cases) EXPECT_EQ(ini.ReadString(c[0], c[1], "<d>"), c[2]) << c[1];
  EXPECT_EQ(ini.ReadSections(), (Names{"Basic", "Other", "basic", "Last"}));
  EXPECT_EQ(ini.ReadSection("basic"),
            (Names{"Name", "dq", "sq", "mixed", "lone", "inner", "eq", "empty", "dup", "DUP"}));
  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_FALSE(ini.SectionExists("k"));
  EXPECT_TRUE(ini.ValueExists("other", "K"));
  EXPECT_EQ(TIniFile(dir_ / "none.ini").ReadString("A", "x", "<d>"), "<d>");
  EXPECT_EQ(ListTree(dir_.Path()), Names{"p.ini"});  // reading creates nothing
}

TEST_F(IniFileTest, ByteOrderMarkIsSkippedAndKept) {
  Given("\xEF\xBB\xBF[BasicInfo]\r\nName=Marked\r\n");
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString("BasicInfo", "Name", ""), "Marked");
  ini.WriteString("BasicInfo", "Doc", "1");
  EXPECT_EQ(Bytes(), "\xEF\xBB\xBF[BasicInfo]\r\nName=Marked\r\nDoc=1\r\n");
}

TEST_F(IniFileTest, ValueComesBackWithAtMost2047Characters) {
  std::string longValue(3000, 'v');
  longValue[2046] = 'L';
  Given("[A]\r\nexact=" + std::string(2047, 'e') + "\r\nlong=" + longValue + "\r\n");
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString("A", "exact", ""), std::string(2047, 'e'));
  EXPECT_EQ(ini.ReadString("A", "long", ""), longValue.substr(0, 2047));
}

TEST_F(IniFileTest, SectionListHoldsTheNamesThatFit16384Bytes) {
  // 1638 names of 9 characters take 1638 * 10 bytes, plus the closing NUL: 16381. A name of 2
  // characters (3 bytes) still fits exactly; one of 3 does not, nor does anything after it.
  std::string file;
  for (int i = 0; i < 1638; ++i) {
    std::string n = std::to_string(i);
    file += "[s" + std::string(8 - n.size(), '0') + n + "]\r\n";
  }
  Given(file + "[ab]\r\n[c]\r\n");
  Names names = TIniFile(Path()).ReadSections();
  ASSERT_EQ(names.size(), 1639u);
  EXPECT_EQ(names.back(), "ab");
  Given(file + "[abc]\r\n[d]\r\n");
  names = TIniFile(Path()).ReadSections();
  ASSERT_EQ(names.size(), 1638u);
  EXPECT_EQ(names.back(), "s00001637");
}

// --- Integers and Booleans ---------------------------------------------------------------

TEST(ParseIniInteger, DecimalDollarHexAndZeroXHexOnly) {
  const std::vector<std::pair<const char*, std::int32_t>> good = {{"42", 42},
                                                                  {"-42", -42},
                                                                  {"+7", 7},
                                                                  {"007", 7},
                                                                  {"$ff", 255},
                                                                  {"$000080FF", 0x80FF},
                                                                  {"0x1F", 31},
                                                                  {"0X1f", 31},
                                                                  {"-$10", -16},
                                                                  {"2147483647", INT32_MAX},
                                                                  {"-2147483648", INT32_MIN},
                                                                  {"$FFFFFFFF", -1}};
  for (const auto& [text, value] : good) EXPECT_EQ(ParseIniInteger(text), value) << text;
  for (const char* bad : {"", "-", "$", "0x", "abc", "12a", "1 2", " 1", "1.5", "$G1", "x10",
                          "2147483648", "-2147483649", "$100000000", "true", "--1"})
    EXPECT_FALSE(ParseIniInteger(bad).has_value()) << "'" << bad << "'";
}

TEST_F(IniFileTest, IntegersAndBooleansReadOrFallBackToTheDefault) {
  Given("[N]\r\nhex=$1A\r\nq=\"5\"\r\nbad=12px\r\nempty=\r\nzero=0\r\ntwo=2\r\nneg=-1\r\n");
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadInteger("N", "hex", -1), 26);
  EXPECT_EQ(ini.ReadInteger("N", "q", -1), 5);
  EXPECT_EQ(ini.ReadInteger("N", "bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger("N", "empty", 100), 100);
  EXPECT_FALSE(ini.ReadBool("N", "zero", true));
  EXPECT_TRUE(ini.ReadBool("N", "two", false));
  EXPECT_TRUE(ini.ReadBool("N", "neg", false));
  EXPECT_TRUE(ini.ReadBool("N", "bad", true));
  EXPECT_FALSE(ini.ReadBool("N", "bad", false));
  EXPECT_TRUE(ini.ReadBool("N", "missing", true));
}

// --- Writing -----------------------------------------------------------------------------

TEST_F(IniFileTest, WritesReplaceInPlaceAppendToTheSectionOrAddTheSection) {
  Given("; head\n[Basic]\n  NAME = old \nk=1\nK=2\n; note\n\n[Other]\ny=2");
  TIniFile ini(Path());
  ini.WriteString("BASIC", "name", "new");  // in place, with the file's spelling
  ini.WriteString("basic", "k", "3");       // the first of two equal keys
  ini.WriteString("Basic", "added", "  as given \"q\" ");
  ini.WriteString("Fresh", "z", "");
  ini.WriteInteger("Fresh", "int", INT32_MIN);
  ini.WriteBool("Fresh", "t", true);
  ini.WriteBool("Fresh", "f", false);
  EXPECT_EQ(Bytes(),
            "; head\r\n[Basic]\r\nNAME=new\r\nk=3\r\nK=2\r\n; note\r\nadded=  as given \"q\" \r\n"
            "\r\n[Other]\r\ny=2\r\n[Fresh]\r\nz=\r\nint=-2147483648\r\nt=1\r\nf=0\r\n");
  EXPECT_EQ(ListTree(dir_.Path()), Names{"p.ini"});  // no temporary file left
}

TEST_F(IniFileTest, WritingIntoAMissingFileCreatesItAndRewritesKeepItsMode) {
  TIniFile(Path()).WriteString("BasicInfo", "Name", "Weekly");
  EXPECT_EQ(Bytes(), "[BasicInfo]\r\nName=Weekly\r\n");
  ASSERT_EQ(::chmod(Path().c_str(), 0640), 0);
  TIniFile(Path()).WriteString("BasicInfo", "Name", "Again");
  struct stat st {};
  ASSERT_EQ(::stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(IniFileTest, EraseRemovesTheFirstSectionOfTheNameWithAllItsLines) {
  Given("[A]\r\nx=1\r\n[0]\r\na=1\r\n; c\r\n\r\n[X]\r\n[0]\r\na=2\r\n");
  TIniFile ini(Path());
  ini.EraseSection("0");
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n[X]\r\n[0]\r\na=2\r\n");
  EXPECT_EQ(ini.ReadString("0", "a", ""), "2");
  ini.WriteString("x", "k", "v");  // the sections after the erased one are still found
  ini.DeleteKey("a", "X");
  EXPECT_EQ(Bytes(), "[A]\r\n[X]\r\nk=v\r\n[0]\r\na=2\r\n");
}

TEST_F(IniFileTest, EraseOfSomethingMissingLeavesTheFileByteForByte) {
  Given("[A]\nx=1");
  TIniFile(Path()).EraseSection("B");
  TIniFile(Path()).DeleteKey("A", "y");
  EXPECT_EQ(Bytes(), "[A]\nx=1");
  TIniFile(dir_ / "none.ini").EraseSection("A");
  EXPECT_FALSE(FileExists(dir_ / "none.ini"));
}

TEST_F(IniFileTest, OneObjectSeesChangesMadeToTheFileByOthers) {
  Given("[A]\r\nx=1\r\n");
  TIniFile reader(Path());
  EXPECT_EQ(reader.ReadString("A", "x", ""), "1");
  TIniFile(Path()).WriteString("A", "x", "2");  // replaced through rename
  EXPECT_EQ(reader.ReadString("A", "x", ""), "2");
  Given("[A]\r\nx=three\r\n");  // rewritten in place
  EXPECT_EQ(reader.ReadString("A", "x", ""), "three");
  reader.WriteString("A", "y", "4");
  EXPECT_EQ(Bytes(), "[A]\r\nx=three\r\ny=4\r\n");
}

TEST_F(IniFileTest, BatchReplacesTheFileOnceAtEndUpdateAndNeverWhenAbandoned) {
  const std::string before = "[A]\r\nx=1\r\n[0]\r\nold=1\r\n";
  Given(before);
  {
    TIniFile abandoned(Path());
    abandoned.BeginUpdate();
    abandoned.EraseSection("A");
  }
  EXPECT_EQ(Bytes(), before);
  TIniFile ini(Path());
  ini.BeginUpdate();
  ini.WriteString("A", "x", "2");
  ini.EraseSection("0");
  ini.WriteString("1", "new", "3");
  EXPECT_EQ(Bytes(), before);                    // nothing written yet
  EXPECT_EQ(ini.ReadString("a", "x", ""), "2");  // but read back
  EXPECT_EQ(ini.ReadSections(), (Names{"A", "1"}));
  ini.EndUpdate();
  EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\n[1]\r\nnew=3\r\n");
}

// --- Write failures ----------------------------------------------------------------------

TEST_F(IniFileTest, FileThatCannotBeWrittenRaisesUnableToWrite) {
  const std::string missing = dir_ / "no/folder/p.ini";
  TIniFile ini(missing);
  EXPECT_EQ(WriteError([&] { ini.WriteBool("A", "x", true); }), "Unable to write to " + missing);
  ini.BeginUpdate();
  ini.WriteString("A", "x", "1");
  EXPECT_EQ(WriteError([&] { ini.EndUpdate(); }), "Unable to write to " + missing);
  EXPECT_FALSE(DirectoryExists(dir_ / "no"));

  WriteFile(dir_ / "folder.ini/inside", "keep");
  TIniFile folder(dir_ / "folder.ini");
  EXPECT_EQ(WriteError([&] { folder.EraseSection("A"); }),
            "Unable to write to " + (dir_ / "folder.ini"));
  EXPECT_EQ(ListTree(dir_.Path()), Names{"folder.ini/inside"});
}

TEST_F(IniFileTest, WhatALineCannotHoldIsRefusedAndTheFileKept) {
  Given("[A]\r\nx=1\r\n");
  const std::string error = "Unable to write to " + Path();
  TIniFile ini(Path());
  const std::vector<std::vector<std::string>> refused = {{"A", "x", "1\r\n[Evil]\r\ny=2"},
                                                         {"A", "x", "line\nbreak"},
                                                         {"A", "x", std::string("nul\0x", 5)},
                                                         {"A\n[B", "x", "1"},
                                                         {"A", "k=v", "1"},
                                                         {"A", ";x", "1"},
                                                         {"A", "[x]", "1"},
                                                         {"A", "  ", "1"}};
  for (const auto& r : refused)
    EXPECT_EQ(WriteError([&] { ini.WriteString(r[0], r[1], r[2]); }), error) << r[1] << r[2];
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
}
