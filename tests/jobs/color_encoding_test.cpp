#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "jobs/color_encoding.h"
#include "jobs/convert_error.h"

using namespace stampwell;

namespace {

// The named colours of the profile format, with their values.
const std::vector<std::pair<std::string, TColor>> kNamed = {
    {"clBlack", 0x000000},    {"clMaroon", 0x000080},     {"clGreen", 0x008000},
    {"clOlive", 0x008080},    {"clNavy", 0x800000},       {"clPurple", 0x800080},
    {"clTeal", 0x808000},     {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},      {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},     {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},    {"clMedGray", 0xA4A0A0},    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000}};

// System colours in the order of their index; "" marks the index that has no name.
const std::vector<std::string> kSystem = {"clScrollBar",
                                          "clBackground",
                                          "clActiveCaption",
                                          "clInactiveCaption",
                                          "clMenu",
                                          "clWindow",
                                          "clWindowFrame",
                                          "clMenuText",
                                          "clWindowText",
                                          "clCaptionText",
                                          "clActiveBorder",
                                          "clInactiveBorder",
                                          "clAppWorkSpace",
                                          "clHighlight",
                                          "clHighlightText",
                                          "clBtnFace",
                                          "clBtnShadow",
                                          "clGrayText",
                                          "clBtnText",
                                          "clInactiveCaptionText",
                                          "clBtnHighlight",
                                          "cl3DDkShadow",
                                          "cl3DLight",
                                          "clInfoText",
                                          "clInfoBk",
                                          "",
                                          "clHotLight",
                                          "clGradientActiveCaption",
                                          "clGradientInactiveCaption",
                                          "clMenuHighlight",
                                          "clMenuBar"};

std::string ConvertErrorOf(const std::string& text) {
  try {
    StringToColor(text);
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(ColorEncoding, EveryNamedColourHasItsValueBothWays) {
  for (const auto& [name, value] : kNamed) {
    EXPECT_EQ(StringToColor(name), value) << name;
    EXPECT_EQ(ColorToString(value), name) << name;
  }
}

TEST(ColorEncoding, SystemColoursAreFF000000PlusTheirIndex) {
  for (TColor index = 0; index < kSystem.size(); ++index) {
    const TColor value = 0xFF000000u + index;
    if (kSystem[index].empty()) {
      EXPECT_EQ(ColorToString(value), "$FF000019");
      continue;
    }
    EXPECT_EQ(StringToColor(kSystem[index]), value) << kSystem[index];
    EXPECT_EQ(ColorToString(value), kSystem[index]);
  }
}

TEST(ColorEncoding, NamesCompareWithoutCase) {
  EXPECT_EQ(StringToColor("CLRED"), 0x0000FFu);
  EXPECT_EQ(StringToColor("clbtnface"), 0xFF00000Fu);
  EXPECT_EQ(StringToColor("ClNoNe"), clNone);
}

TEST(ColorEncoding, UnnamedColoursAreDollarAndEightUpperCaseHexDigits) {
  EXPECT_EQ(ColorToString(0x000080FF), "$000080FF");  // red 255, green 128, blue 0
  EXPECT_EQ(ColorToString(0x00ABCDEF), "$00ABCDEF");
  EXPECT_EQ(ColorToString(1), "$00000001");
  EXPECT_EQ(ColorToString(0xFFFFFFFF), "$FFFFFFFF");
}

TEST(ColorEncoding, IntegersAreReadInDollarHexZeroXAndDecimal) {
  EXPECT_EQ(StringToColor("$000080FF"), 0x000080FFu);
  EXPECT_EQ(StringToColor("$000080ff"), 0x000080FFu);
  EXPECT_EQ(StringToColor("0x80FF"), 0x000080FFu);
  EXPECT_EQ(StringToColor("255"), 0x0000FFu);
  EXPECT_EQ(ColorToString(StringToColor("255")), "clRed");
  EXPECT_EQ(StringToColor("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(StringToColor("$FF00000F"), 0xFF00000Fu);
}

TEST(ColorEncoding, OtherTextRaisesAConversionError) {
  EXPECT_EQ(ConvertErrorOf("purple"), "'purple' is not a valid integer value");
  EXPECT_EQ(ConvertErrorOf(""), "'' is not a valid integer value");
  EXPECT_EQ(ConvertErrorOf("clGrey"), "'clGrey' is not a valid integer value");
  EXPECT_EQ(ConvertErrorOf("$1234567890"), "'$1234567890' is not a valid integer value");
  EXPECT_EQ(ConvertErrorOf("12.5"), "'12.5' is not a valid integer value");
}
