// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/office_shapes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace stampwell {
namespace {

TEST(WatermarkSize, WholeNumbersParse) {
  EXPECT_EQ(ParseWatermarkSize("60"), 60);
  EXPECT_EQ(ParseWatermarkSize("+8"), 8);
  EXPECT_EQ(ParseWatermarkSize("-3"), -3);
  EXPECT_EQ(ParseWatermarkSize(" 72 "), 72);
  EXPECT_EQ(ParseWatermarkSize("007"), 7);
  EXPECT_EQ(ParseWatermarkSize("2147483647"), 2147483647);
}

TEST(WatermarkSize, AnythingElseRaisesWithTheText) {
  for (const char* bad :
       {"", " ", "+", "60.5", "6O", "1e2", "0x10", "60 pt", "2147483648", "99999999999999999999"}) {
    try {
      ParseWatermarkSize(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

TEST(HalfEvenRounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(209.5), 210);
  EXPECT_EQ(RoundHalfEven(208.5), 208);
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(2.5001), 3);
  EXPECT_EQ(RoundHalfEven(-7.6), -8);
  EXPECT_THROW(RoundHalfEven(1e12), std::range_error);
  EXPECT_THROW(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), std::range_error);
}

TEST(ArgumentBuilding, PlaceholdersFollowTheHead) {
  auto args = WithPlaceholders({"a", false}, 3);
  ASSERT_EQ(args.size(), 5u);
  EXPECT_EQ(args[0], OleVariant("a"));
  EXPECT_EQ(args[1], OleVariant(false));
  for (size_t i = 2; i < 5; ++i) EXPECT_TRUE(args[i].IsMissing()) << i;
}

TEST(ArgumentBuilding, ColoursKeepTheirBits) {
  EXPECT_EQ(ColorArg(0x00FF0000), OleVariant(0x00FF0000));
  EXPECT_EQ(ColorArg(0x80000005).AsInt(), std::int32_t(0x80000005));
  EXPECT_EQ(ColorArg(0x1FFFFFFF), OleVariant(0x1FFFFFFF));
}

TEST(ArgumentBuilding, TransparencyAndRotation) {
  EXPECT_EQ(TransparencyArg(true, "0.5"), OleVariant(Currency{5000}));
  EXPECT_EQ(TransparencyArg(false, "0.5"), OleVariant(0));
  EXPECT_EQ(RotationArg(true), OleVariant(315));
  EXPECT_EQ(RotationArg(false), OleVariant(0));
}

}  // namespace
}  // namespace stampwell
