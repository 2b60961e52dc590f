// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "jobs/color_encoding.h"
#include "jobs/convert_error.h"

using namespace stampwell;

TEST(ColorEncoding, EveryNamedColourHasItsValueBothWays) {
  const std::vector<std::pair<std::string, TColor>> named = {
      {"clBlack", 0x000000},    {"clMaroon", 0x000080},     {"clGreen", 0x008000},
      {"clOlive", 0x008080},    {"clNavy", 0x800000},       {"clPurple", 0x800080},
      {"clTeal", 0x808000},     {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
      {"clRed", 0x0000FF},      {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
      {"clBlue", 0xFF0000},     {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
      {"clWhite", 0xFFFFFF},    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
      {"clCream", 0xF0FBFF},    {"clMedGray", 0xA4A0A0},    {"clNone", 0x1FFFFFFF},
      {"clDefault", 0x20000000}};
  for (const auto& [name, value] : named) {
    EXPECT_EQ(StringToColor(name), value) << name;
    EXPECT_EQ(ColorToString(value), name) << name;
  }
}

TEST(ColorEncoding, SystemColoursAreFF000000PlusTheirIndex) {
  // In index order; index 25 has no name.
  const std::vector<std::string> system = {"clScrollBar",
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
                                           "$FF000019",
                                           "clHotLight",
                                           "clGradientActiveCaption",
                                           "clGradientInactiveCaption",
                                           "clMenuHighlight",
                                           "clMenuBar"};
  for (TColor index = 0; index < system.size(); ++index) {
    EXPECT_EQ(StringToColor(system[index]), 0xFF000000u + index) << system[index];
    EXPECT_EQ(ColorToString(0xFF000000u + index), system[index]);
  }
}

TEST(ColorEncoding, NamesIgnoreCaseAndOtherTextIsAnInteger) {
  EXPECT_EQ(StringToColor("CLRED"), 0x0000FFu);
  EXPECT_EQ(StringToColor("ClNoNe"), clNone);
  EXPECT_EQ(StringToColor("$000080ff"), 0x000080FFu);
  EXPECT_EQ(StringToColor("0x80FF"), 0x000080FFu);
  EXPECT_EQ(StringToColor("255"), 0x0000FFu);
  EXPECT_EQ(StringToColor("-1"), 0xFFFFFFFFu);
}

TEST(ColorEncoding, UnnamedColoursAreDollarAndEightUpperCaseHexDigits) {
  EXPECT_EQ(ColorToString(0x000080FF), "$000080FF");  // red 255, green 128, blue 0
  EXPECT_EQ(ColorToString(0x00ABCDEF), "$00ABCDEF");
  EXPECT_EQ(ColorToString(1), "$00000001");
  EXPECT_EQ(ColorToString(0xFFFFFFFF), "$FFFFFFFF");
}

TEST(ColorEncoding, OtherTextRaisesAConversionError) {
  for (const std::string bad : {"purple", "", "clGrey", "$1234567890", "12.5"}) {
    try {
      StringToColor(bad);
      ADD_FAILURE() << "no error for '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + bad + "' is not a valid integer value");
    }
  }
}
