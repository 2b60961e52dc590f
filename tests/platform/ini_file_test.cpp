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
  std::string Path() const { return dir_ / "profile.ini"; }
  void Given(const std::string& bytes) { WriteFile(Path(), bytes); }
  std::string Bytes() const { return ReadFile(Path()); }
  TIniFile Ini() const { return TIniFile(Path()); }

  TempDir dir_;
};

}  // namespace

// --- Reading -----------------------------------------------------------------------------

TEST_F(IniFileTest, SectionAndKeyNamesCompareWithoutCase) {
  Given("[BasicInfo]\r\nName=Weekly\r\n");
  EXPECT_EQ(Ini().ReadString("BASICINFO", "name", ""), "Weekly");
  EXPECT_EQ(Ini().ReadString("basicinfo", "NAME", ""), "Weekly");
}

TEST_F(IniFileTest, MissingKeySectionOrFileGivesTheDefault) {
  Given("[A]\r\nx=1\r\n");
  EXPECT_EQ(Ini().ReadString("A", "y", "dflt"), "dflt");
  EXPECT_EQ(Ini().ReadString("B", "x", "dflt"), "dflt");
  EXPECT_EQ(TIniFile(dir_ / "none.ini").ReadString("A", "x", "dflt"), "dflt");
  EXPECT_FALSE(FileExists(dir_ / "none.ini"));  // reading creates nothing
}

TEST_F(IniFileTest, PresentButEmptyValueIsEmptyNotDefault) {
  Given("[A]\r\nx=\r\n");
  EXPECT_EQ(Ini().ReadString("A", "x", "dflt"), "");
}

TEST_F(IniFileTest, BlanksAroundNamesAndValuesAreIgnored) {
  Given("  [ A ]  \r\n\t key \t=  some value \t\r\n");
  EXPECT_EQ(Ini().ReadString("A", "key", ""), "some value");
  EXPECT_EQ(Ini().ReadSections(), Names{"A"});
  EXPECT_EQ(Ini().ReadSection("A"), Names{"key"});
}

TEST_F(IniFileTest, MatchingQuotesAreRemovedMismatchedStay) {
  Given(
      "[Q]\r\n"
      "d=\"  padded  \"\r\n"
      "s='single'\r\n"
      "m=\"mixed'\r\n"
      "o=\"open\r\n"
      "one=\"\r\n"
      "inner=a \"b\" c\r\n"
      "empty=\"\"\r\n");
  TIniFile ini = Ini();
  EXPECT_EQ(ini.ReadString("Q", "d", ""), "  padded  ");
  EXPECT_EQ(ini.ReadString("Q", "s", ""), "single");
  EXPECT_EQ(ini.ReadString("Q", "m", ""), "\"mixed'");
  EXPECT_EQ(ini.ReadString("Q", "o", ""), "\"open");
  EXPECT_EQ(ini.ReadString("Q", "one", ""), "\"");
  EXPECT_EQ(ini.ReadString("Q", "inner", ""), "a \"b\" c");
  EXPECT_EQ(ini.ReadString("Q", "empty", "x"), "");
}

TEST_F(IniFileTest, ValueComesBackWithAtMost2047Characters) {
  std::string longValue(3000, 'v');
  longValue[2046] = 'L';
  longValue[2047] = 'X';
  Given("[A]\r\nexact=" + std::string(2047, 'e') + "\r\nlong=" + longValue + "\r\n");
  EXPECT_EQ(Ini().ReadString("A", "exact", ""), std::string(2047, 'e'));
  std::string got = Ini().ReadString("A", "long", "");
  ASSERT_EQ(got.size(), 2047u);
  EXPECT_EQ(got.back(), 'L');
}

TEST_F(IniFileTest, CommentsAndLinesWithoutEqualsAreNotKeys) {
  Given("[A]\r\n;x=commented\r\njust text\r\nx=real\r\n");
  EXPECT_EQ(Ini().ReadString("A", "x", ""), "real");
  EXPECT_EQ(Ini().ReadString("A", "just text", "none"), "none");
  EXPECT_EQ(Ini().ReadSection("A"), Names{"x"});
}

TEST_F(IniFileTest, KeysBeforeAnySectionBelongToNone) {
  Given("x=orphan\r\n[A]\r\ny=1\r\n");
  EXPECT_EQ(Ini().ReadString("", "x", "none"), "none");
  EXPECT_EQ(Ini().ReadString("A", "x", "none"), "none");
}

TEST_F(IniFileTest, FirstOfTwoEqualKeysWins) {
  Given("[A]\r\nk=first\r\nK=second\r\n");
  EXPECT_EQ(Ini().ReadString("A", "k", ""), "first");
}

TEST_F(IniFileTest, FirstOfTwoEqualSectionsIsTheOneRead) {
  Given("[A]\r\nk=1\r\n[B]\r\n[a]\r\nk=2\r\nonly=3\r\n");
  EXPECT_EQ(Ini().ReadString("A", "k", ""), "1");
  EXPECT_EQ(Ini().ReadString("A", "only", "none"), "none");
  EXPECT_EQ(Ini().ReadSections(), (Names{"A", "B", "a"}));
}

TEST_F(IniFileTest, LfCrAndMissingFinalLineEndAreRead) {
  Given("[A]\nx=lf\n[B]\ry=cr\r[C]\r\nz=last");
  EXPECT_EQ(Ini().ReadString("A", "x", ""), "lf");
  EXPECT_EQ(Ini().ReadString("B", "y", ""), "cr");
  EXPECT_EQ(Ini().ReadString("C", "z", ""), "last");
  EXPECT_EQ(Ini().ReadSections(), (Names{"A", "B", "C"}));
}

TEST_F(IniFileTest, ValueKeepsEqualsSignsAfterTheFirst) {
  Given("[A]\r\nformula=a=b=c\r\n");
  EXPECT_EQ(Ini().ReadString("A", "formula", ""), "a=b=c");
}

TEST_F(IniFileTest, SectionsAndKeysListedInFileOrder) {
  Given("[Z]\r\nb=1\r\na=2\r\n[]\r\nq=1\r\n[M]\r\n[A]\r\n");
  EXPECT_EQ(Ini().ReadSections(), (Names{"Z", "M", "A"}));
  EXPECT_EQ(Ini().ReadSection("z"), (Names{"b", "a"}));
  EXPECT_TRUE(Ini().ReadSection("M").empty());
  EXPECT_TRUE(Ini().ReadSection("missing").empty());
  EXPECT_TRUE(TIniFile(dir_ / "none.ini").ReadSections().empty());
}

TEST_F(IniFileTest, SectionListHoldsTheNamesThatFit16384Bytes) {
  // 1638 names of 9 characters take 1638 * 10 = 16380 bytes, plus the closing NUL: 16381.
  // A further name of 2 characters (3 bytes) still fits exactly; one more byte does not.
  std::string file;
  for (int i = 0; i < 1638; ++i)
    file += "[s" + std::string(8 - std::to_string(i).size(), '0') + std::to_string(i) + "]\r\n";
  WriteFile(Path(), file + "[ab]\r\n[c]\r\n");
  Names names = Ini().ReadSections();
  ASSERT_EQ(names.size(), 1639u);
  EXPECT_EQ(names[0], "s00000000");
  EXPECT_EQ(names.back(), "ab");

  WriteFile(Path(), file + "[abc]\r\n[d]\r\n");
  names = Ini().ReadSections();
  ASSERT_EQ(names.size(), 1638u);  // "abc" does not fit, and nothing after it is listed
  EXPECT_EQ(names.back(), "s00001637");
}

TEST_F(IniFileTest, SectionExistsEvenWithoutKeys) {
  Given("[Empty]\r\n[Full]\r\nk=v\r\n");
  EXPECT_TRUE(Ini().SectionExists("empty"));
  EXPECT_TRUE(Ini().SectionExists("FULL"));
  EXPECT_FALSE(Ini().SectionExists("k"));
  EXPECT_TRUE(Ini().ValueExists("full", "K"));
  EXPECT_FALSE(Ini().ValueExists("empty", "k"));
}

// --- Integers and Booleans ---------------------------------------------------------------

TEST(ParseIniInteger, AcceptsDecimalDollarHexAndZeroXHex) {
  EXPECT_EQ(ParseIniInteger("42"), 42);
  EXPECT_EQ(ParseIniInteger("-42"), -42);
  EXPECT_EQ(ParseIniInteger("+7"), 7);
  EXPECT_EQ(ParseIniInteger("007"), 7);
  EXPECT_EQ(ParseIniInteger("$ff"), 255);
  EXPECT_EQ(ParseIniInteger("$000080FF"), 0x80FF);
  EXPECT_EQ(ParseIniInteger("0x1F"), 31);
  EXPECT_EQ(ParseIniInteger("0X1f"), 31);
  EXPECT_EQ(ParseIniInteger("-$10"), -16);
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseIniInteger("$80000000"), INT32_MIN);
}

TEST(ParseIniInteger, RejectsEverythingElse) {
  for (const char* bad :
       {"",     "-",   "+",          "$",           "0x",         "abc",
        "12a",  "1 2", " 1",         "1 ",          "1.5",        "$G1",
        "0x1g", "x10", "2147483648", "-2147483649", "$100000000", "99999999999999999999",
        "true", "--1"})
    EXPECT_FALSE(ParseIniInteger(bad).has_value()) << "'" << bad << "'";
}

TEST_F(IniFileTest, IntegersReadInEveryFormOrGiveTheDefault) {
  Given("[N]\r\ndec= 12 \r\nhex=$1A\r\nox=0x1a\r\nbad=12px\r\nempty=\r\nq=\"5\"\r\n");
  EXPECT_EQ(Ini().ReadInteger("N", "dec", -1), 12);
  EXPECT_EQ(Ini().ReadInteger("N", "hex", -1), 26);
  EXPECT_EQ(Ini().ReadInteger("N", "ox", -1), 26);
  EXPECT_EQ(Ini().ReadInteger("N", "bad", -1), -1);
  EXPECT_EQ(Ini().ReadInteger("N", "empty", 100), 100);
  EXPECT_EQ(Ini().ReadInteger("N", "missing", 100), 100);
  EXPECT_EQ(Ini().ReadInteger("N", "q", -1), 5);
}

TEST_F(IniFileTest, BooleansAreNonZeroIntegers) {
  Given("[B]\r\nzero=0\r\none=1\r\ntwo=2\r\nneg=-1\r\nword=yes\r\n");
  EXPECT_FALSE(Ini().ReadBool("B", "zero", true));
  EXPECT_TRUE(Ini().ReadBool("B", "one", false));
  EXPECT_TRUE(Ini().ReadBool("B", "two", false));
  EXPECT_TRUE(Ini().ReadBool("B", "neg", false));
  EXPECT_TRUE(Ini().ReadBool("B", "word", true));
  EXPECT_FALSE(Ini().ReadBool("B", "word", false));
  EXPECT_TRUE(Ini().ReadBool("B", "missing", true));
}

TEST_F(IniFileTest, IntegersAndBooleansAreWrittenAsDecimalAndOneOrZero) {
  TIniFile ini = Ini();
  ini.WriteInteger("N", "neg", -2147483647 - 1);
  ini.WriteBool("N", "t", true);
  ini.WriteBool("N", "f", false);
  EXPECT_EQ(Bytes(), "[N]\r\nneg=-2147483648\r\nt=1\r\nf=0\r\n");
  EXPECT_EQ(ini.ReadInteger("N", "neg", 0), INT32_MIN);
}

// --- Writing -----------------------------------------------------------------------------

TEST_F(IniFileTest, WritingIntoAMissingFileCreatesItWithCrLf) {
  TIniFile ini = Ini();
  ini.WriteString("BasicInfo", "Name", "Weekly");
  ini.WriteString("BasicInfo", "Doc", "1");
  ini.WriteString("DocInfo", "HX", "0");
  EXPECT_EQ(Bytes(), "[BasicInfo]\r\nName=Weekly\r\nDoc=1\r\n[DocInfo]\r\nHX=0\r\n");
}

TEST_F(IniFileTest, ReplacingAValueKeepsItsLineAndTheFilesSpelling) {
  Given("; head\r\n[Basic]\r\n  NAME = old \r\nOther=x\r\n");
  Ini().WriteString("BASIC", "name", "new");
  EXPECT_EQ(Bytes(), "; head\r\n[Basic]\r\nNAME=new\r\nOther=x\r\n");
}

TEST_F(IniFileTest, ReplacingTheFirstOfTwoEqualKeysOnly) {
  Given("[A]\r\nk=1\r\nk=2\r\n");
  Ini().WriteString("A", "K", "3");
  EXPECT_EQ(Bytes(), "[A]\r\nk=3\r\nk=2\r\n");
}

TEST_F(IniFileTest, NewKeyGoesToTheEndOfItsSectionBeforeBlankLines) {
  Given("[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny=2\r\n");
  Ini().WriteString("a", "z", "3");
  Ini().WriteString("B", "w", "4");
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n; note\r\nz=3\r\n\r\n[B]\r\ny=2\r\nw=4\r\n");
}

TEST_F(IniFileTest, NewSectionIsAppendedAtTheEndOfTheFile) {
  Given("[A]\r\nx=1\r\n");
  Ini().WriteString("B", "y", "2");
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
}

TEST_F(IniFileTest, WriteNormalisesLineEndsAndAddsTheFinalOne) {
  Given("[A]\nx=1\r[B]\r\ny=2");
  Ini().WriteString("A", "x", "9");
  EXPECT_EQ(Bytes(), "[A]\r\nx=9\r\n[B]\r\ny=2\r\n");
}

TEST_F(IniFileTest, ValueIsWrittenExactlyAsGiven) {
  TIniFile ini = Ini();
  ini.WriteString("A", "blanks", "  both  ");
  ini.WriteString("A", "quoted", "\"q\"");
  ini.WriteString("A", "eq", "a=b");
  EXPECT_EQ(Bytes(), "[A]\r\nblanks=  both  \r\nquoted=\"q\"\r\neq=a=b\r\n");
  EXPECT_EQ(ini.ReadString("A", "blanks", ""), "both");
  EXPECT_EQ(ini.ReadString("A", "quoted", ""), "q");
  EXPECT_EQ(ini.ReadString("A", "eq", ""), "a=b");
}

TEST_F(IniFileTest, EraseSectionRemovesHeaderAndItsLinesOnly) {
  Given("[A]\r\nx=1\r\n[B]\r\ny=2\r\n; c\r\n\r\n[C]\r\nz=3\r\n");
  Ini().EraseSection("b");
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n[C]\r\nz=3\r\n");
  EXPECT_EQ(Ini().ReadString("B", "y", "gone"), "gone");
}

TEST_F(IniFileTest, EraseSectionRemovesTheFirstOfEqualSections) {
  Given("[0]\r\na=1\r\n[X]\r\n[0]\r\na=2\r\n");
  Ini().EraseSection("0");
  EXPECT_EQ(Ini().ReadString("0", "a", ""), "2");
  Ini().EraseSection("0");
  EXPECT_EQ(Bytes(), "[X]\r\n");
}

TEST_F(IniFileTest, EraseOfAMissingSectionOrFileChangesNothing) {
  Given("[A]\nx=1");  // LF and no final line end: left byte for byte
  Ini().EraseSection("B");
  EXPECT_EQ(Bytes(), "[A]\nx=1");
  TIniFile(dir_ / "none.ini").EraseSection("A");
  EXPECT_FALSE(FileExists(dir_ / "none.ini"));
}

TEST_F(IniFileTest, DeleteKeyRemovesOnlyThatLine) {
  Given("[A]\r\nx=1\r\ny=2\r\n");
  Ini().DeleteKey("a", "X");
  EXPECT_EQ(Bytes(), "[A]\r\ny=2\r\n");
  Ini().DeleteKey("a", "missing");
  EXPECT_EQ(Bytes(), "[A]\r\ny=2\r\n");
}

TEST_F(IniFileTest, WriteLeavesNoTemporaryFileBehind) {
  TIniFile ini = Ini();
  for (int i = 0; i < 20; ++i) ini.WriteInteger("S" + std::to_string(i % 3), "k", i);
  ini.EraseSection("S1");
  EXPECT_EQ(ListTree(dir_.Path()), Names{"profile.ini"});
}

TEST_F(IniFileTest, RewriteKeepsTheFilesPermissions) {
  Given("[A]\r\nx=1\r\n");
  ASSERT_EQ(::chmod(Path().c_str(), 0640), 0);
  Ini().WriteString("A", "x", "2");
  struct stat st {};
  ASSERT_EQ(::stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// --- One object over time, and batches -------------------------------------------------

TEST_F(IniFileTest, OneObjectSeesChangesMadeToTheFileByOthers) {
  Given("[A]\r\nx=1\r\n");
  TIniFile reader = Ini();
  EXPECT_EQ(reader.ReadString("A", "x", ""), "1");
  TIniFile(Path()).WriteString("A", "x", "2");  // replaced through rename
  EXPECT_EQ(reader.ReadString("A", "x", ""), "2");
  Given("[A]\r\nx=three\r\n");  // rewritten in place
  EXPECT_EQ(reader.ReadString("A", "x", ""), "three");
  reader.WriteString("A", "y", "4");
  EXPECT_EQ(Bytes(), "[A]\r\nx=three\r\ny=4\r\n");
}

TEST_F(IniFileTest, BatchReplacesTheFileOnceAtEndUpdate) {
  Given("[A]\r\nx=1\r\n[0]\r\nold=1\r\n");
  TIniFile ini = Ini();
  ini.BeginUpdate();
  ini.WriteString("A", "x", "2");
  ini.EraseSection("0");
  ini.WriteString("1", "new", "3");
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n[0]\r\nold=1\r\n");  // nothing written yet
  EXPECT_EQ(ini.ReadString("a", "x", ""), "2");          // but read back
  EXPECT_EQ(ini.ReadSections(), (Names{"A", "1"}));
  ini.EndUpdate();
  EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\n[1]\r\nnew=3\r\n");
  EXPECT_EQ(ListTree(dir_.Path()), Names{"profile.ini"});
}

TEST_F(IniFileTest, AbandonedBatchWritesNothing) {
  Given("[A]\r\nx=1\r\n");
  {
    TIniFile ini = Ini();
    ini.BeginUpdate();
    ini.WriteString("A", "x", "2");
    ini.EraseSection("A");
  }
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
}

// --- Write failures ----------------------------------------------------------------------

namespace {

// Runs fn and returns the message of the EIniFileException it raised ("" when none).
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

TEST_F(IniFileTest, WriteIntoAMissingFolderFailsWithThePath) {
  std::string path = dir_ / "no/such/folder/p.ini";
  TIniFile ini(path);
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", "x", "1"); }), "Unable to write to " + path);
  ini.BeginUpdate();
  ini.WriteString("A", "x", "1");
  EXPECT_EQ(WriteError([&] { ini.EndUpdate(); }), "Unable to write to " + path);
  EXPECT_EQ(WriteError([&] { ini.WriteInteger("A", "x", 1); }), "Unable to write to " + path);
  EXPECT_EQ(WriteError([&] { ini.WriteBool("A", "x", true); }), "Unable to write to " + path);
  EXPECT_FALSE(DirectoryExists(dir_ / "no"));
}

TEST_F(IniFileTest, WriteOverAFolderFailsAndLeavesItAlone) {
  WriteFile(dir_ / "p.ini/inside", "keep");
  TIniFile ini(dir_ / "p.ini");
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", "x", "1"); }),
            "Unable to write to " + (dir_ / "p.ini"));
  EXPECT_EQ(WriteError([&] { ini.EraseSection("A"); }), "Unable to write to " + (dir_ / "p.ini"));
  EXPECT_EQ(ListTree(dir_.Path()), Names{"p.ini/inside"});
}

TEST_F(IniFileTest, ValuesAndNamesALineCannotHoldAreRefusedAndTheFileIsKept) {
  Given("[A]\r\nx=1\r\n");
  const std::string before = Bytes();
  const std::string error = "Unable to write to " + Path();
  TIniFile ini = Ini();
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", "x", "1\r\n[Evil]\r\ny=2"); }), error);
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", "x", "line\nbreak"); }), error);
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", "x", std::string("nul\0x", 5)); }), error);
  EXPECT_EQ(WriteError([&] { ini.WriteString("A\n[B", "x", "1"); }), error);
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", "k=v", "1"); }), error);
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", ";x", "1"); }), error);
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", "[x]", "1"); }), error);
  EXPECT_EQ(WriteError([&] { ini.WriteString("A", "  ", "1"); }), error);
  EXPECT_EQ(Bytes(), before);
  EXPECT_FALSE(ini.SectionExists("Evil"));
}
