// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/source_keeping_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace stampwell::legacy {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The office: its save writes "office:" and the text of the mark it was given.
class FakeOffice : public TFileEngine {
 public:
  bool Open(const std::string&) override { return true; }
  void AddWaterMark(const RDocSettings& settings) override { text_ = settings.DocWaterMarkStr; }
  void SaveAs(const std::string& dest) override { WriteFile(dest, "office:" + text_); }
  void PrintToPDFFile(const std::string&) override {}
  void Close() override {}
  void Quit() override {}

 private:
  std::string text_;
};

struct SpliceCall {
  std::string source, stamped, text;
};

TSourceKeepingEngine Engine(SpliceCall& seen, bool done) {
  return TSourceKeepingEngine(std::make_unique<FakeOffice>(),
                              [&seen, done](const std::string& source, const std::string& stamped,
                                            const std::string& text) {
                                seen = {source, stamped, text};
                                if (!done) return RSpliced{false, {}, "encrypted"};
                                return RSpliced{true, "kept:" + source + "+" + text, {}};
                              });
}

RDocSettings Mark(const std::string& text) {
  RDocSettings s;
  s.DocWaterMarkStr = text;
  return s;
}

TEST(SourceKeepingEngine, TheSourceWithTheMarksReplacesTheOfficeCopyWithItsPermissions) {
  TempDir dir;
  WriteFile(dir / "a.ppt", "source");
  WriteFile(dir / "out.ppt", "older");
  ::chmod((dir / "out.ppt").c_str(), 0640);
  SpliceCall seen;
  TSourceKeepingEngine engine = Engine(seen, true);
  ASSERT_TRUE(engine.Open(dir / "a.ppt"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "out.ppt");
  EXPECT_EQ(seen.source, "source");
  EXPECT_EQ(seen.stamped, "office:DRAFT");
  EXPECT_EQ(seen.text, "DRAFT");
  EXPECT_EQ(ReadFile(dir / "out.ppt"), "kept:source+DRAFT");
  EXPECT_EQ(engine.LastReason(), "");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "out.ppt").c_str(), &st), 0);
  // The office wrote into the older file, which keeps its mode; so does the file that
  // replaces the office's copy.
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(test::ListTree(dir.Path()), (std::vector<std::string>{"a.ppt", "out.ppt"}));
}

// An in-place job: the office saves over the source, so the source is read before.
TEST(SourceKeepingEngine, InPlaceTheSourceIsReadBeforeTheOfficeSavesOverIt) {
  TempDir dir;
  WriteFile(dir / "a.ppt", "source");
  SpliceCall seen;
  TSourceKeepingEngine engine = Engine(seen, true);
  ASSERT_TRUE(engine.Open(dir / "a.ppt"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "a.ppt");
  EXPECT_EQ(seen.source, "source");
  EXPECT_EQ(ReadFile(dir / "a.ppt"), "kept:source+DRAFT");
}

TEST(SourceKeepingEngine, WhatTheSpliceDoesNotTakeKeepsTheOfficeCopy) {
  TempDir dir;
  WriteFile(dir / "a.ppt", "source");
  SpliceCall seen;
  TSourceKeepingEngine engine = Engine(seen, false);
  ASSERT_TRUE(engine.Open(dir / "a.ppt"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "out.ppt");
  EXPECT_EQ(ReadFile(dir / "out.ppt"), "office:DRAFT");
  EXPECT_EQ(engine.LastReason(), "encrypted");
  EXPECT_EQ(test::ListTree(dir.Path()), (std::vector<std::string>{"a.ppt", "out.ppt"}));
}

}  // namespace
}  // namespace stampwell::legacy
