// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using namespace stampwell;

namespace {

const std::string kPrinters = "\\System\\CurrentControlSet\\Control\\Print\\Printers";

std::string RegText(const std::string& body) {
  return "Windows Registry Editor Version 5.00\r\n\r\n" + body;
}

// The message of the ERegistryException that fn raises, or "" when it raises none.
template <typename Fn>
std::string RegistryErrorOf(Fn fn) {
  try {
    fn();
  } catch (const ERegistryException& e) {
    return e.what();
  }
  return "";
}

}  // namespace

// ---- file format ----

TEST(RegistryFile, ReadsStringsWithEscapesAndDwords) {
  test::MessageRecorder messages;
  auto reg = TRegistry::FromText(RegText("[HKEY_LOCAL_MACHINE\\SYSTEM\\Print\\P1]\r\n"
                                         "\"Name\"=\"Quote \\\"A\\\" in C:\\\\Out\"\r\n"
                                         "\"Count\"=dword:0000000a\r\n"
                                         "\"Max\"=dword:FFFFFFFF\r\n"
                                         "@=\"default text\"\r\n"),
                                 "t.reg");
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(reg->ReadString("\\SYSTEM\\Print\\P1", "Name"), "Quote \"A\" in C:\\Out");
  EXPECT_EQ(reg->ReadInteger("\\SYSTEM\\Print\\P1", "Count"), 10);
  EXPECT_EQ(reg->ReadInteger("\\SYSTEM\\Print\\P1", "Max"), -1);
  EXPECT_EQ(reg->ReadString("\\SYSTEM\\Print\\P1", ""), "default text");
}

TEST(RegistryFile, CommentsAndBlankLinesAreSkipped) {
  test::MessageRecorder messages;
  auto reg = TRegistry::FromText(RegText("; printers follow\n"
                                         "\n"
                                         "[HKEY_LOCAL_MACHINE\\K]\n"
                                         "   ; indented comment\n"
                                         "\"A\"=\"1\"   ; trailing comment\n"
                                         "\n"
                                         "\"B\"=dword:00000002\n"),
                                 "t.reg");
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(reg->ReadString("\\K", "A"), "1");
  EXPECT_EQ(reg->ReadInteger("\\K", "B"), 2);
}

TEST(RegistryFile, KeysEnumerateInFileOrderAndNamesIgnoreCase) {
  auto reg = TRegistry::FromText(RegText("[HKEY_LOCAL_MACHINE\\Top\\Zeta]\n"
                                         "[HKEY_LOCAL_MACHINE\\Top\\Alpha\\Deep]\n"
                                         "[HKEY_LOCAL_MACHINE\\Top\\Mid]\n"
                                         "[HKEY_LOCAL_MACHINE\\top\\zeta]\n"
                                         "\"Printer Driver\"=\"X\"\n"),
                                 "t.reg");
  auto names = reg->GetKeyNames("\\Top");
  ASSERT_TRUE(names.has_value());
  EXPECT_EQ(*names, (std::vector<std::string>{"Zeta", "Alpha", "Mid"}));
  EXPECT_TRUE(reg->KeyExists("Top\\Alpha"));  // leading backslash optional
  EXPECT_FALSE(reg->GetKeyNames("\\Top\\Missing").has_value());
  // Key and value names ignore case; the second [..zeta] line reopened the first key.
  EXPECT_EQ(reg->ReadString("\\TOP\\Zeta", "printer driver"), "X");
}

TEST(RegistryFile, HexValuesAcrossContinuationLines) {
  test::MessageRecorder messages;
  auto reg = TRegistry::FromText(RegText("[HKEY_LOCAL_MACHINE\\K]\n"
                                         "\"Dw\"=hex(4):0a,00,00,00\n"
                                         "\"Bin\"=hex:01,02,\\\n"
                                         "  03,04\n"
                                         "\"After\"=\"ok\"\n"),
                                 "t.reg");
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(reg->ReadInteger("\\K", "Dw"), 10);
  EXPECT_EQ(reg->GetDataType("\\K", "Bin"), TRegistry::ValueType::Binary);
  EXPECT_EQ(reg->ReadString("\\K", "After"), "ok");
}

TEST(RegistryFile, DeletionLinesApplyAndOtherHivesAreDropped) {
  auto reg = TRegistry::FromText(RegText("[HKEY_LOCAL_MACHINE\\K\\Gone]\n"
                                         "[HKEY_LOCAL_MACHINE\\K\\Kept]\n"
                                         "\"A\"=\"1\"\n"
                                         "\"B\"=\"2\"\n"
                                         "\"A\"=-\n"
                                         "[-HKEY_LOCAL_MACHINE\\K\\Gone]\n"
                                         "[HKEY_CURRENT_USER\\K\\Kept]\n"
                                         "\"C\"=\"another hive\"\n"),
                                 "t.reg");
  EXPECT_EQ(*reg->GetKeyNames("\\K"), std::vector<std::string>{"Kept"});
  EXPECT_FALSE(reg->GetDataType("\\K\\Kept", "A").has_value());
  EXPECT_EQ(reg->ReadString("\\K\\Kept", "B"), "2");
  EXPECT_EQ(reg->ReadString("\\K\\Kept", "C"), "");
}

// ---- broken files ----

struct BadFileCase {
  const char* what;
  std::string text;
  int line;
  friend void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.what; }
};

class RegistryBadFile : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(RegistryBadFile, NamesFileAndLineAndHoldsNoPrinters) {
  const BadFileCase& c = GetParam();
  test::MessageRecorder messages;
  auto reg = TRegistry::FromText(c.text, "/etc/x/registry.reg");
  auto shown = messages.Messages();
  ASSERT_EQ(shown.size(), 1u) << c.what;
  EXPECT_NE(shown[0].find("/etc/x/registry.reg"), std::string::npos) << shown[0];
  EXPECT_NE(shown[0].find("line " + std::to_string(c.line)), std::string::npos) << shown[0];
  // Keys defined before the bad line do not survive: the view is empty.
  EXPECT_FALSE(reg->KeyExists(kPrinters)) << c.what;
  EXPECT_EQ(reg->GetKeyNames("")->size(), 0u) << c.what;
}

const std::string kGoodStart = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE" +
                               kPrinters + "\\P]\n\"Name\"=\"P\"\n";  // lines 1 to 4

INSTANTIATE_TEST_SUITE_P(
    Lines, RegistryBadFile,
    ::testing::Values(
        BadFileCase{"garbage line", kGoodStart + "this is not a value\n", 5},
        BadFileCase{"unterminated string", kGoodStart + "\"A\"=\"open\n", 5},
        BadFileCase{"unknown escape", kGoodStart + "\"A\"=\"C:\\PDF\"\n", 5},
        BadFileCase{"dword too long", kGoodStart + "\"A\"=dword:123456789\n", 5},
        BadFileCase{"unknown type", kGoodStart + "\"A\"=qword:1\n", 5},
        BadFileCase{"key line unclosed", kGoodStart + "\n[HKEY_LOCAL_MACHINE\\K\n", 6},
        BadFileCase{"empty key part", kGoodStart + "[HKEY_LOCAL_MACHINE\\a\\\\b]\n", 5},
        BadFileCase{"value before key", "Windows Registry Editor Version 5.00\n\"A\"=\"1\"\n", 2},
        BadFileCase{"missing header", "\n[HKEY_LOCAL_MACHINE\\K]\n", 2},
        BadFileCase{"UTF-16", std::string("\xFF\xFE") + "W", 1}));

TEST(RegistryFile, FromFileReadsTheFileAndReportsAMissingOne) {
  test::TempDir dir;
  test::MessageRecorder messages;
  auto reg = TRegistry::FromFile(dir / "none.reg");
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].find(dir / "none.reg"), std::string::npos);
  EXPECT_FALSE(reg->KeyExists(kPrinters));
  test::WriteFile(dir / "r.reg", RegText("[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"from file\"\r\n"));
  EXPECT_EQ(TRegistry::FromFile(dir / "r.reg")->ReadString("\\K", "A"), "from file");
}

// ---- reading values ----

TEST(RegistryRead, MissingStringsReadEmptyAndIntegerErrorsNameTheValue) {
  TRegistry reg;
  reg.SetDWord("\\K", "Good", 7);
  reg.SetString("\\K", "Text", "0");
  reg.SetBinary("\\K", "Bytes", {0, 0, 0, 0});
  EXPECT_EQ(reg.ReadInteger("\\K", "Good"), 7);
  EXPECT_EQ(reg.ReadString("\\K", "Missing"), "");
  EXPECT_EQ(reg.ReadString("\\NoKey", "Text"), "");
  EXPECT_EQ(RegistryErrorOf([&] { reg.ReadInteger("\\K", "Absent"); }),
            "Failed to get data for 'Absent'");
  EXPECT_EQ(RegistryErrorOf([&] { reg.ReadInteger("\\NoKey", "Good"); }),
            "Failed to get data for 'Good'");
  EXPECT_EQ(RegistryErrorOf([&] { reg.ReadInteger("\\K", "Text"); }),
            "Invalid data type for 'Text'");
  EXPECT_EQ(RegistryErrorOf([&] { reg.ReadInteger("\\K", "Bytes"); }),
            "Invalid data type for 'Bytes'");
  EXPECT_EQ(RegistryErrorOf([&] { reg.ReadString("\\K", "Good"); }),
            "Invalid data type for 'Good'");
}

// ---- built-in and machine views ----

TEST(RegistryBuiltIn, HoldsOneConverterPrinterThatAsksNothing) {
  auto reg = TRegistry::BuiltIn();
  auto names = reg->GetKeyNames(kPrinters);
  ASSERT_TRUE(names.has_value());
  ASSERT_EQ(names->size(), 1u);
  const std::string key = kPrinters + "\\" + (*names)[0];
  EXPECT_EQ(reg->ReadString(key, "Name"), "Stampwell PDF");
  EXPECT_EQ(reg->ReadString(key, "Printer Driver"), "Adobe PDF Converter");
  for (const char* v : {"ViewPrintOutput", "AskToReplacePDF", "PromptForFileName"})
    EXPECT_EQ(reg->ReadInteger(key + "\\PrinterDriverData", v), 0) << v;
  EXPECT_EQ(reg->ReadString(key + "\\DsSpooler", "location"), "PDF");
}

TEST(RegistryMachine, UsesTheFileWhenItExistsElseTheBuiltInView) {
  test::TempDir dir;
  EXPECT_EQ(TRegistry::MachineFrom(dir / "absent.reg"), TRegistry::BuiltIn());
  test::WriteFile(dir / "m.reg", RegText("[HKEY_LOCAL_MACHINE\\Only]\n"));
  auto fromFile = TRegistry::MachineFrom(dir / "m.reg");
  EXPECT_TRUE(fromFile->KeyExists("\\Only"));
  EXPECT_FALSE(fromFile->KeyExists(kPrinters));
}

TEST(RegistryMachine, SetMachineReplacesAndRestores) {
  auto mine = std::make_shared<TRegistry>();
  mine->AddKey("\\Mine");
  TRegistry::SetMachine(mine);
  EXPECT_TRUE(TRegistry::Machine()->KeyExists("\\Mine"));
  TRegistry::SetMachine(nullptr);
  EXPECT_FALSE(TRegistry::Machine()->KeyExists("\\Mine"));
}

// A key 300,000 levels deep is read, looked up and released without one stack frame per
// level.
TEST(RegistryFile, AKeyNestedHundredsOfThousandsDeepIsReadAndReleased) {
  std::string path;
  for (int i = 0; i < 300000; ++i) path += "\\k";
  const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE" +
                           path + "]\r\n\"Name\"=\"deep\"\r\n";
  {
    auto reg = TRegistry::FromText(text, "deep.reg");
    ASSERT_TRUE(reg);
    EXPECT_EQ(reg->ReadString(path, "Name"), "deep");
  }
  TRegistry built;
  ASSERT_TRUE(built.AddKey(path));
  built.DeleteKey("\\k");
  EXPECT_FALSE(built.KeyExists("\\k\\k"));
}
