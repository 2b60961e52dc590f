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

// What every compound file begins with.
const std::string kCompound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

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
  return TSourceKeepingEngine(
      std::make_unique<FakeOffice>(),
      [&seen, done](const std::string& source, const std::string& stamped,
                    const std::string& text) {
        seen = {source, stamped, text};
        if (!done) return RSpliced{false, {}, "encrypted"};
        return RSpliced{true, "kept:" + source + "+" + text, {}};
      },
      ".ppt");
}

RDocSettings Mark(const std::string& text) {
  RDocSettings s;
  s.DocWaterMarkStr = text;
  return s;
}

TEST(SourceKeepingEngine, TheSourceWithTheMarksReplacesTheOfficeCopyWithItsPermissions) {
  TempDir dir;
  WriteFile(dir / "a.ppt", kCompound + "source");
  WriteFile(dir / "out.ppt", "older");
  ::chmod((dir / "out.ppt").c_str(), 0640);
  SpliceCall seen;
  TSourceKeepingEngine engine = Engine(seen, true);
  ASSERT_TRUE(engine.Open(dir / "a.ppt"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "out.ppt");
  EXPECT_EQ(seen.source, kCompound + "source");
  EXPECT_EQ(seen.stamped, "office:DRAFT");
  EXPECT_EQ(seen.text, "DRAFT");
  EXPECT_EQ(ReadFile(dir / "out.ppt"), "kept:" + kCompound + "source+DRAFT");
  EXPECT_EQ(engine.LastReason(), "");
  EXPECT_TRUE(engine.Notes().empty());
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
  WriteFile(dir / "a.ppt", kCompound + "source");
  SpliceCall seen;
  TSourceKeepingEngine engine = Engine(seen, true);
  ASSERT_TRUE(engine.Open(dir / "a.ppt"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "a.ppt");
  EXPECT_EQ(seen.source, kCompound + "source");
  EXPECT_EQ(ReadFile(dir / "a.ppt"), "kept:" + kCompound + "source+DRAFT");
}

TEST(SourceKeepingEngine, WhatTheSpliceDoesNotTakeKeepsTheOfficeCopy) {
  TempDir dir;
  WriteFile(dir / "a.ppt", kCompound + "source");
  SpliceCall seen;
  TSourceKeepingEngine engine = Engine(seen, false);
  ASSERT_TRUE(engine.Open(dir / "a.ppt"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "out.ppt");
  EXPECT_EQ(ReadFile(dir / "out.ppt"), "office:DRAFT");
  EXPECT_EQ(engine.LastReason(), "encrypted");
  // The run's log says that this file went through the office's export.
  EXPECT_EQ(engine.Notes(),
            (std::vector<std::string>{"saved through LibreOffice's export, not into the original "
                                      "file: encrypted"}));
  EXPECT_EQ(test::ListTree(dir.Path()), (std::vector<std::string>{"a.ppt", "out.ppt"}));
}

// A kind's other formats are the office's to save: no splice, and nothing to say.
TEST(SourceKeepingEngine, OnlyCompoundFilesOfItsExtensionAreSpliced) {
  TempDir dir;
  WriteFile(dir / "a.odp", "source");
  WriteFile(dir / "b.PPT", kCompound + "source");
  SpliceCall seen;
  TSourceKeepingEngine engine = Engine(seen, false);
  ASSERT_TRUE(engine.Open(dir / "a.odp"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "out.odp");
  EXPECT_EQ(seen.source, "");
  EXPECT_EQ(ReadFile(dir / "out.odp"), "office:DRAFT");
  EXPECT_TRUE(engine.Notes().empty());
  // Named .ppt but no compound file: the office's copy, without a note.
  WriteFile(dir / "c.ppt", "<html>a table</html>");
  ASSERT_TRUE(engine.Open(dir / "c.ppt"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "out2.ppt");
  EXPECT_EQ(seen.source, "");
  EXPECT_EQ(ReadFile(dir / "out2.ppt"), "office:DRAFT");
  EXPECT_TRUE(engine.Notes().empty());
  ASSERT_TRUE(engine.Open(dir / "b.PPT"));
  engine.AddWaterMark(Mark("DRAFT"));
  engine.SaveAs(dir / "out.PPT");
  EXPECT_EQ(seen.source, kCompound + "source");
}

}  // namespace
}  // namespace stampwell::legacy
