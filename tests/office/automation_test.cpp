// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/automation/automation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "office/automation/dispatch_object.h"

namespace stampwell {
namespace {

// A small server built on DispatchObject: one property, one read-only property, one method.
class TCounter : public DispatchObject {
 public:
  TCounter() {
    AddProperty(
        "Value", [this](const Args&) { return OleVariant(value_); },
        [this](const OleVariant& v) { value_ = v.AsInt(); });
    AddGetter("Twice", [this](const Args&) { return OleVariant(value_ * 2); });
    AddMethod("Add", [this](const Args& args) {
      value_ += Arg(args, 0).AsInt();
      if (HasArg(args, 1)) value_ += Arg(args, 1).AsInt();
      return OleVariant(value_);
    });
    AddMethod("Item", [](const Args& args) { return OleVariant(Arg(args, 0).AsInt() * 10); });
    AddMethod("Fail", [](const Args&) -> OleVariant { throw EOleError("counter broke"); });
  }
  int value_ = 0;
};

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EOleError& e) {
    return e.what();
  }
  return "(no error)";
}

// ---- Dispatch objects ----------------------------------------------------------------------

TEST(DispatchObjectMembers, NamesCompareWithoutRegardToCase) {
  auto c = std::make_shared<TCounter>();
  OleVariant v{DispatchPtr(c)};
  v.Put("value", 4);
  EXPECT_EQ(c->value_, 4);
  EXPECT_EQ(v.Get("VALUE").AsInt(), 4);
  EXPECT_EQ(v.Call("aDd", {3}).AsInt(), 7);
  EXPECT_EQ(v.Get("twice"), OleVariant(14));
}

TEST(DispatchObjectMembers, UnknownMembersRaiseNamingTheMember) {
  OleVariant v{DispatchPtr(std::make_shared<TCounter>())};
  EXPECT_EQ(ErrorOf([&] { v.Get("Missing"); }), "Unknown name: Missing");
  EXPECT_EQ(ErrorOf([&] { v.Call("Nope"); }), "Unknown name: Nope");
  EXPECT_EQ(ErrorOf([&] { v.Put("Twice", 1); }), "Unknown name: Twice");  // read-only
}

TEST(DispatchObjectMembers, GetAndCallFallBackToEachOther) {
  OleVariant v{DispatchPtr(std::make_shared<TCounter>())};
  EXPECT_EQ(v.Get("Item", {3}).AsInt(), 30);  // a method read as an indexed property
  v.Put("Value", 5);
  EXPECT_EQ(v.Call("Value").AsInt(), 5);  // a property called as a method
}

TEST(DispatchObjectMembers, ArgumentsBeyondTheGivenOnesAreMissing) {
  auto c = std::make_shared<TCounter>();
  OleVariant v{DispatchPtr(c)};
  v.Call("Add", {1});
  v.Call("Add", {1, OleVariant::Missing()});
  EXPECT_EQ(c->value_, 2);
  v.Call("Add", {1, 2});
  EXPECT_EQ(c->value_, 5);
  EXPECT_TRUE(DispatchObject::Arg({}, 0).IsMissing());
  EXPECT_FALSE(DispatchObject::HasArg({OleVariant::Missing()}, 0));
  EXPECT_TRUE(DispatchObject::HasArg({OleVariant()}, 0));
}

TEST(DispatchObjectMembers, MemberErrorsReachTheCallerUnchanged) {
  OleVariant v{DispatchPtr(std::make_shared<TCounter>())};
  EXPECT_EQ(ErrorOf([&] { v.Call("fail"); }), "counter broke");
  EXPECT_TRUE(std::make_shared<TCounter>()->HasMember("FAIL"));
  EXPECT_FALSE(std::make_shared<TCounter>()->HasMember("Fails"));
}

// ---- Server registry -----------------------------------------------------------------------

class ServerRegistry : public ::testing::Test {
 protected:
  void TearDown() override {
    RegisterOleServer("Test.Counter", nullptr);
    RegisterOleServer("Test.Broken", nullptr);
  }
};

TEST_F(ServerRegistry, CreatesAFreshObjectFromTheFactory) {
  RegisterOleServer("Test.Counter", [] { return std::make_shared<TCounter>(); });
  OleVariant a = CreateOleObject("Test.Counter");
  OleVariant b = CreateOleObject("Test.Counter");
  a.Put("Value", 9);
  EXPECT_EQ(b.Get("Value").AsInt(), 0);
  EXPECT_NE(a, b);
}

TEST_F(ServerRegistry, IdentifiersCompareWithoutRegardToCase) {
  RegisterOleServer("test.counter", [] { return std::make_shared<TCounter>(); });
  EXPECT_EQ(CreateOleObject("TEST.Counter").Type(), VarType::Dispatch);
}

TEST_F(ServerRegistry, UnknownAndUnregisteredIdentifiersRaise) {
  EXPECT_EQ(ErrorOf([] { CreateOleObject("Test.Counter"); }), "Invalid class string");
  RegisterOleServer("Test.Counter", [] { return std::make_shared<TCounter>(); });
  RegisterOleServer("Test.Counter", nullptr);
  EXPECT_EQ(ErrorOf([] { CreateOleObject("Test.Counter"); }), "Invalid class string");
}

TEST_F(ServerRegistry, RegisteringAgainReplacesTheFactory) {
  RegisterOleServer("Test.Counter", [] { return std::make_shared<TCounter>(); });
  RegisterOleServer("TEST.COUNTER", []() -> DispatchPtr {
    auto c = std::make_shared<TCounter>();
    c->value_ = 77;
    return c;
  });
  EXPECT_EQ(CreateOleObject("Test.Counter").Get("Value").AsInt(), 77);
}

TEST_F(ServerRegistry, FactoryFailuresBecomeAutomationErrors) {
  RegisterOleServer("Test.Broken", []() -> DispatchPtr { throw std::runtime_error("no soffice"); });
  EXPECT_EQ(ErrorOf([] { CreateOleObject("Test.Broken"); }), "no soffice");
  RegisterOleServer("Test.Broken", []() -> DispatchPtr { return nullptr; });
  EXPECT_NE(ErrorOf([] { CreateOleObject("Test.Broken"); }), "(no error)");
}

TEST_F(ServerRegistry, ConcurrentRegistrationAndCreationStayConsistent) {
  RegisterOleServer("Test.Counter", [] { return std::make_shared<TCounter>(); });
  std::atomic<int> created{0}, failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        if (t == 0) {
          RegisterOleServer("Test.Broken" + std::to_string(i % 3),
                            [] { return std::make_shared<TCounter>(); });
          RegisterOleServer("Test.Broken" + std::to_string(i % 3), nullptr);
        } else {
          try {
            CreateOleObject("test.COUNTER");
            ++created;
          } catch (const EOleError&) {
            ++failed;
          }
        }
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(created, 1500);
  EXPECT_EQ(failed, 0);
}

// ---- COM bookkeeping -----------------------------------------------------------------------

TEST(CoInitializeBookkeeping, CountsNestPerThread) {
  int base = CoInitializeCount();
  CoInitialize();
  CoInitialize(nullptr);
  EXPECT_EQ(CoInitializeCount(), base + 2);
  int other = -1;
  std::thread([&] {
    CoInitialize();
    other = CoInitializeCount();
    CoUninitialize();
  }).join();
  EXPECT_EQ(other, 1);  // a new thread starts at zero and sees only its own calls
  EXPECT_EQ(CoInitializeCount(), base + 2);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitializeCount(), base);
}

TEST(CoInitializeBookkeeping, UnmatchedReleaseIsIgnored) {
  std::thread([] {
    CoUninitialize();
    EXPECT_EQ(CoInitializeCount(), 0);
    CoInitialize();
    EXPECT_EQ(CoInitializeCount(), 1);
  }).join();
}

TEST(UnknownMemberError, NamesTheMember) {
  EXPECT_EQ(std::string(UnknownMember("AddTextEffect").what()), "Unknown name: AddTextEffect");
}

}  // namespace
}  // namespace stampwell
