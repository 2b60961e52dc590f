// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/automation/ole_variant.h"

#include <gtest/gtest.h>

#include <memory>

#include "office/automation/dispatch_object.h"

namespace stampwell {
namespace {

// ---- Currency: exact fixed point ------------------------------------------------------------

TEST(CurrencyParse, FractionalConstantsAreExact) {
  EXPECT_EQ(Currency::Parse("0.5").scaled, 5000);
  EXPECT_EQ(Currency::Parse("0.7").scaled, 7000);
  EXPECT_EQ(Currency::Parse("0.75").scaled, 7500);
  EXPECT_EQ(Currency::Parse("1.23").scaled, 12300);
  EXPECT_EQ(Currency::Parse("1.6").scaled, 16000);
}

TEST(CurrencyParse, SignsWholeNumbersAndBareDecimals) {
  EXPECT_EQ(Currency::Parse("-1.23").scaled, -12300);
  EXPECT_EQ(Currency::Parse("+2").scaled, 20000);
  EXPECT_EQ(Currency::Parse("315").scaled, 3150000);
  EXPECT_EQ(Currency::Parse(".5").scaled, 5000);
  EXPECT_EQ(Currency::Parse("7.").scaled, 70000);
  EXPECT_EQ(Currency::Parse(" 0.0001 ").scaled, 1);
}

TEST(CurrencyParse, DecimalsBeyondTheFourthRoundHalfToEven) {
  EXPECT_EQ(Currency::Parse("0.00005").scaled, 0);   // half, even neighbour 0
  EXPECT_EQ(Currency::Parse("0.00015").scaled, 2);   // half, even neighbour 2
  EXPECT_EQ(Currency::Parse("0.000051").scaled, 1);  // just above half
  EXPECT_EQ(Currency::Parse("0.00006").scaled, 1);
  EXPECT_EQ(Currency::Parse("-0.00016").scaled, -2);
}

TEST(CurrencyParse, RejectsTextThatIsNotADecimal) {
  for (const char* bad : {"", " ", ".", "-", "1.2.3", "1,5", "abc", "1e3", "0x10", "1 2"})
    EXPECT_THROW(Currency::Parse(bad), std::invalid_argument) << bad;
  EXPECT_THROW(Currency::Parse("99999999999999999999"), std::invalid_argument);
}

TEST(CurrencyText, ShortestDecimalForm) {
  EXPECT_EQ(Currency{5000}.ToString(), "0.5");
  EXPECT_EQ(Currency{12300}.ToString(), "1.23");
  EXPECT_EQ(Currency{20000}.ToString(), "2");
  EXPECT_EQ(Currency{-7500}.ToString(), "-0.75");
  EXPECT_EQ(Currency{1}.ToString(), "0.0001");
  EXPECT_EQ(Currency{0}.ToString(), "0");
  for (const char* t : {"0.5", "0.7", "0.75", "1.23", "1.6", "-3.1416", "922337203685"})
    EXPECT_EQ(Currency::Parse(t).ToString(), t);
}

// ---- OleVariant: types and equality --------------------------------------------------------

TEST(OleVariantTypes, EachConstructorGivesItsType) {
  EXPECT_EQ(OleVariant().Type(), VarType::Empty);
  EXPECT_EQ(OleVariant::Null().Type(), VarType::Null);
  EXPECT_EQ(OleVariant(true).Type(), VarType::Bool);
  EXPECT_EQ(OleVariant(3).Type(), VarType::Int);
  EXPECT_EQ(OleVariant(1.5).Type(), VarType::Double);
  EXPECT_EQ(OleVariant(Currency{5000}).Type(), VarType::Currency);
  EXPECT_EQ(OleVariant("abc").Type(), VarType::String);
  EXPECT_EQ(OleVariant(std::string("abc")).Type(), VarType::String);
  EXPECT_EQ(OleVariant::Error(5).Type(), VarType::Error);
}

TEST(OleVariantTypes, MissingIsTheParamNotFoundError) {
  OleVariant m = OleVariant::Missing();
  EXPECT_TRUE(m.IsMissing());
  EXPECT_EQ(m.Type(), VarType::Error);
  EXPECT_EQ(m.AsError(), 0x80020004u);
  EXPECT_FALSE(OleVariant::Error(0x80020005u).IsMissing());
  EXPECT_FALSE(OleVariant().IsMissing());
  EXPECT_FALSE(OleVariant(0).IsMissing());
}

TEST(OleVariantEquality, TypeAndValueMustBothMatch) {
  EXPECT_EQ(OleVariant(1), OleVariant(1));
  EXPECT_NE(OleVariant(1), OleVariant(2));
  EXPECT_NE(OleVariant(-1), OleVariant(true));  // same number, other type
  EXPECT_NE(OleVariant(0.5), OleVariant(Currency{5000}));
  EXPECT_NE(OleVariant(0), OleVariant());
  EXPECT_NE(OleVariant(""), OleVariant());
  EXPECT_NE(OleVariant::Null(), OleVariant());
  EXPECT_EQ(OleVariant::Missing(), OleVariant::Error(0x80020004u));
  EXPECT_EQ(OleVariant(Currency::Parse("0.7")), OleVariant(Currency{7000}));
}

TEST(OleVariantEquality, ObjectsCompareByIdentity) {
  auto a = std::make_shared<DispatchObject>();
  auto b = std::make_shared<DispatchObject>();
  EXPECT_EQ(OleVariant(DispatchPtr(a)), OleVariant(DispatchPtr(a)));
  EXPECT_NE(OleVariant(DispatchPtr(a)), OleVariant(DispatchPtr(b)));
}

TEST(OleVariantDescribe, ReadableForms) {
  EXPECT_EQ(OleVariant("abc").Describe(), "Str(\"abc\")");
  EXPECT_EQ(OleVariant(3).Describe(), "Int(3)");
  EXPECT_EQ(OleVariant(true).Describe(), "Bool(-1)");
  EXPECT_EQ(OleVariant(false).Describe(), "Bool(0)");
  EXPECT_EQ(OleVariant(Currency{5000}).Describe(), "Cy(0.5)");
  EXPECT_EQ(OleVariant::Missing().Describe(), "Missing");
  EXPECT_EQ(OleVariant::Error(0x800A03ECu).Describe(), "Err(0x800A03EC)");
  EXPECT_EQ(OleVariant().Describe(), "Empty");
  EXPECT_EQ(OleVariant::Null().Describe(), "Null");
  EXPECT_EQ(OleVariant(1.5).Describe(), "Double(1.5)");
  EXPECT_EQ(OleVariant(DispatchPtr(std::make_shared<DispatchObject>())).Describe(), "Dispatch");
}

// ---- OleVariant: conversions ---------------------------------------------------------------

TEST(OleVariantConversion, BooleansAreMinusOneAndZero) {
  EXPECT_EQ(OleVariant(true).AsInt(), -1);
  EXPECT_EQ(OleVariant(false).AsInt(), 0);
  EXPECT_EQ(OleVariant(true).AsDouble(), -1.0);
  EXPECT_EQ(OleVariant(true).AsCurrency().scaled, -10000);
  EXPECT_EQ(OleVariant(true).AsString(), "True");
  EXPECT_EQ(OleVariant(false).AsString(), "False");
}

TEST(OleVariantConversion, NumbersToBooleanAreNonZero) {
  EXPECT_TRUE(OleVariant(-1).AsBool());
  EXPECT_TRUE(OleVariant(1).AsBool());
  EXPECT_FALSE(OleVariant(0).AsBool());
  EXPECT_TRUE(OleVariant(0.25).AsBool());
  EXPECT_FALSE(OleVariant(0.0).AsBool());
  EXPECT_TRUE(OleVariant(Currency{1}).AsBool());
  EXPECT_FALSE(OleVariant().AsBool());
  EXPECT_TRUE(OleVariant("True").AsBool());
  EXPECT_FALSE(OleVariant("false").AsBool());
  EXPECT_TRUE(OleVariant("-1").AsBool());
  EXPECT_FALSE(OleVariant("0").AsBool());
}

TEST(OleVariantConversion, RealsToIntegerRoundHalfToEven) {
  EXPECT_EQ(OleVariant(209.5).AsInt(), 210);
  EXPECT_EQ(OleVariant(208.5).AsInt(), 208);
  EXPECT_EQ(OleVariant(-0.5).AsInt(), 0);
  EXPECT_EQ(OleVariant(-1.5).AsInt(), -2);
  EXPECT_EQ(OleVariant(2.6).AsInt(), 3);
  EXPECT_EQ(OleVariant(Currency{25000}).AsInt(), 2);
  EXPECT_EQ(OleVariant(Currency{35000}).AsInt(), 4);
  EXPECT_EQ(OleVariant(Currency{-25000}).AsInt(), -2);
  EXPECT_EQ(OleVariant(Currency{-35001}).AsInt(), -4);
  EXPECT_EQ(OleVariant("12").AsInt(), 12);
  EXPECT_EQ(OleVariant(" 7 ").AsInt(), 7);
}

TEST(OleVariantConversion, IntegerOverflowAndNonNumbersRaise) {
  EXPECT_THROW(OleVariant(3e9).AsInt(), EOleError);
  EXPECT_THROW(OleVariant("twelve").AsInt(), EOleError);
  EXPECT_THROW(OleVariant("").AsInt(), EOleError);
  EXPECT_THROW(OleVariant::Null().AsInt(), EOleError);
  EXPECT_THROW(OleVariant::Missing().AsInt(), EOleError);
  EXPECT_THROW(OleVariant("maybe").AsBool(), EOleError);
  EXPECT_THROW(OleVariant("x").AsDouble(), EOleError);
  EXPECT_THROW(OleVariant("0.5x").AsCurrency(), EOleError);
  EXPECT_THROW(OleVariant::Null().AsString(), EOleError);
}

TEST(OleVariantConversion, CurrencyFromOtherTypes) {
  EXPECT_EQ(OleVariant(3).AsCurrency().scaled, 30000);
  EXPECT_EQ(OleVariant(0.7).AsCurrency().scaled, 7000);
  EXPECT_EQ(OleVariant("1.23").AsCurrency().scaled, 12300);
  EXPECT_EQ(OleVariant(Currency{7500}).AsDouble(), 0.75);
}

TEST(OleVariantConversion, StringsOfNumbers) {
  EXPECT_EQ(OleVariant(42).AsString(), "42");
  EXPECT_EQ(OleVariant(-7).AsString(), "-7");
  EXPECT_EQ(OleVariant(0.1).AsString(), "0.1");
  EXPECT_EQ(OleVariant(Currency{16000}).AsString(), "1.6");
  EXPECT_EQ(OleVariant().AsString(), "");
  EXPECT_EQ(OleVariant("1.5").AsDouble(), 1.5);
}

TEST(OleVariantConversion, ErrorAndObjectOnlyFromTheirOwnType) {
  EXPECT_THROW(OleVariant(5).AsError(), EOleError);
  EXPECT_THROW(OleVariant(5).AsDispatch(), EOleError);
  EXPECT_THROW(OleVariant().AsDispatch(), EOleError);
  EXPECT_THROW(OleVariant(DispatchPtr()).AsDispatch(), EOleError);
}

TEST(OleVariantMembers, CallsOnNonObjectsNameTheMember) {
  try {
    OleVariant().Get("Selection");
    FAIL() << "no error";
  } catch (const EOleError& e) {
    EXPECT_NE(std::string(e.what()).find("Selection"), std::string::npos) << e.what();
  }
  try {
    OleVariant(3).Put("Visible", false);
    FAIL() << "no error";
  } catch (const EOleError& e) {
    EXPECT_NE(std::string(e.what()).find("Visible"), std::string::npos) << e.what();
  }
  try {
    OleVariant("x").Call("Quit");
    FAIL() << "no error";
  } catch (const EOleError& e) {
    EXPECT_NE(std::string(e.what()).find("Quit"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace stampwell
