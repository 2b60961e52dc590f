// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/recording_server.h"

#include <gtest/gtest.h>

#include <thread>

#include "office/automation/automation.h"

namespace stampwell::test {
namespace {

using Lines = std::vector<std::string>;

class RecordingServerTest : public ::testing::Test {
 protected:
  RecordingServer server;
  std::unique_ptr<RecordingServer::Registration> registration = server.RegisterOffice();
};

TEST_F(RecordingServerTest, RecordsChainsWithTheirReceiverPaths) {
  OleVariant app = CreateOleObject("Word.Application");
  app.Put("Visible", false);
  app.Get("Selection").Get("HeaderFooter").Get("Shapes").Call("AddTextEffect", {0, "x"});
  EXPECT_EQ(server.FullLog(), (Lines{
                                  "create Word.Application",
                                  "put App.Visible = Bool(0)",
                                  "get App.Selection",
                                  "get App.Selection.HeaderFooter",
                                  "get App.Selection.HeaderFooter.Shapes",
                                  "call App.Selection.HeaderFooter.Shapes.AddTextEffect(Int(0), "
                                  "Str(\"x\"))",
                              }));
  // Log leaves out the steps of a chain; their names live on in the receiver paths.
  EXPECT_EQ(server.Log(), (Lines{
                              "create Word.Application",
                              "put App.Visible = Bool(0)",
                              "call App.Selection.HeaderFooter.Shapes.AddTextEffect(Int(0), "
                              "Str(\"x\"))",
                          }));
}

TEST_F(RecordingServerTest, IndexedGetsShowTheirArgumentsInThePath) {
  OleVariant doc = server.Object("Doc");
  doc.Get("Sections").Get("Item", {2}).Get("Range").Call("Select");
  doc.Get("Item", {"Name"}).Call("Delete");
  EXPECT_EQ(server.Log(), (Lines{"call Doc.Sections.Item(2).Range.Select()",
                                 "call Doc.Item(\"Name\").Delete()"}));
  auto calls = server.Calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[1].kind, CallKind::Get);
  EXPECT_EQ(calls[1].member, "Item");
  EXPECT_EQ(calls[1].args, (std::vector<OleVariant>{2}));
}

TEST_F(RecordingServerTest, ScriptedValuesAnswerWithoutRegardToCase) {
  server.SetValue("Doc.Sections", "Count", 3);
  server.SetValue("App.Documents", "Open", server.Object("Doc"));
  OleVariant app = CreateOleObject("word.application");
  OleVariant doc = app.Get("documents").Call("open", {"/a.doc"});
  EXPECT_EQ(doc.Get("SECTIONS").Get("count"), OleVariant(3));
  EXPECT_EQ(server.Log().back(), "get Doc.SECTIONS.count");  // the caller's spelling
}

TEST_F(RecordingServerTest, PutValuesAreReadBackAndHandlersComputeResults) {
  OleVariant app = CreateOleObject("PowerPoint.Application");
  server.SetValue("App", "Visible", false);
  app.Put("Visible", true);
  EXPECT_EQ(app.Get("visible"), OleVariant(true));
  server.SetHandler("App", "Twice", [](const std::vector<OleVariant>& a) {
    return OleVariant(a.at(0).AsInt() * 2);
  });
  EXPECT_EQ(app.Call("Twice", {21}), OleVariant(42));
}

TEST_F(RecordingServerTest, ShapeCollectionsAreLive) {
  const std::string coll = "App.ActiveSheet.Shapes";
  server.SetShapes(coll, {"A", "B", "C"});
  OleVariant shapes = CreateOleObject("Excel.Application").Get("ActiveSheet").Get("Shapes");
  EXPECT_EQ(shapes.Get("Count"), OleVariant(3));
  EXPECT_EQ(shapes.Get("Item", {2}).Get("Name"), OleVariant("B"));
  OleVariant second = shapes.Get("Item", {2});
  second.Call("Delete");
  EXPECT_EQ(server.Shapes(coll), (Lines{"A", "C"}));
  EXPECT_THROW(second.Get("Name"), EOleError);  // a deleted shape is gone
  EXPECT_EQ(shapes.Get("Count"), OleVariant(2));
  OleVariant added = shapes.Call("AddTextEffect", {0, "w"});
  added.Put("Name", "New");
  EXPECT_EQ(server.Shapes(coll), (Lines{"A", "C", "New"}));
  EXPECT_EQ(shapes.Get("Item", {3}).Get("Name"), OleVariant("New"));
  EXPECT_EQ(server.Log().back(), "get App.ActiveSheet.Shapes.Item(3).Name");
  EXPECT_THROW(shapes.Get("Item", {4}), EOleError);
  EXPECT_THROW(shapes.Get("Item", {0}), EOleError);
  EXPECT_TRUE(server.Calls().back().failed);
}

TEST_F(RecordingServerTest, NewShapesTakeScriptedMembersByPath) {
  server.SetShapes("M.Shapes", {});
  server.SetValue("M.Shapes.AddTextEffect", "Width", 301.0);
  OleVariant shape = server.Object("M").Get("Shapes").Call("AddTextEffect");
  EXPECT_EQ(shape.Get("Width"), OleVariant(301.0));
  shape.Call("Select");
  EXPECT_EQ(server.Log().back(), "call M.Shapes.AddTextEffect.Select()");
}

TEST_F(RecordingServerTest, FailsTheNthMatchingCallOnly) {
  server.Fail(CallKind::Call, "App", "Quit", "quit refused", 2);
  OleVariant app = CreateOleObject("Word.Application");
  EXPECT_NO_THROW(app.Call("Quit"));
  try {
    app.Call("quit");
    FAIL() << "no error";
  } catch (const EOleError& e) {
    EXPECT_STREQ(e.what(), "quit refused");
  }
  EXPECT_TRUE(server.Calls().back().failed);
  EXPECT_NO_THROW(app.Call("Quit"));
  EXPECT_NO_THROW(app.Get("Quit"));  // another kind never matched
}

TEST_F(RecordingServerTest, FailsEveryMatchingCallWithZero) {
  server.Fail(CallKind::Put, "App", "Visible", "no", 0);
  OleVariant app = CreateOleObject("Word.Application");
  EXPECT_THROW(app.Put("Visible", true), EOleError);
  EXPECT_THROW(app.Put("Visible", false), EOleError);
  EXPECT_EQ(server.Log().size(), 3u);  // both failing calls are recorded
}

TEST_F(RecordingServerTest, CreationRecordsTheThreadsCoInitializeCount) {
  server.FailCreate("Excel.Application", "no excel");
  CoInitialize();
  EXPECT_THROW(CreateOleObject("Excel.Application"), EOleError);
  OleVariant app = CreateOleObject("Word.Application");
  CoUninitialize();
  app.Call("Quit");
  auto calls = server.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_TRUE(calls[0].failed);
  EXPECT_EQ(calls[1].Text(), "create Word.Application");
  EXPECT_EQ(calls[1].coInitializeCount, CoInitializeCount() + 1);
  EXPECT_EQ(calls[2].coInitializeCount, CoInitializeCount());
}

TEST(RecordingServerRegistration, EndsWithItsObject) {
  {
    RecordingServer server;
    auto r = server.Register("Test.Recorder", "Rec");
    EXPECT_EQ(CreateOleObject("Test.Recorder").Call("Go").Describe(), "Dispatch");
    EXPECT_EQ(server.Log().back(), "call Rec.Go()");
  }
  EXPECT_THROW(CreateOleObject("Test.Recorder"), EOleError);
  {
    RecordingServer server;
    auto r = server.RegisterOffice();
  }
  EXPECT_THROW(CreateOleObject("Word.Application"), EOleError);
  EXPECT_THROW(CreateOleObject("Excel.Application"), EOleError);
  EXPECT_THROW(CreateOleObject("PowerPoint.Application"), EOleError);
}

TEST_F(RecordingServerTest, RecordsCallsFromSeveralThreads) {
  OleVariant app = CreateOleObject("Word.Application");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 250; ++i) app.Put("Visible", i);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(server.Calls().size(), 1001u);
  server.ClearCalls();
  EXPECT_TRUE(server.Calls().empty());
}

}  // namespace
}  // namespace stampwell::test
