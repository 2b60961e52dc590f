// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/compound_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace stampwell::legacy {
namespace {

std::string CorpusFile(const std::string& name) {
  std::ifstream in(std::string(STAMPWELL_CORPUS_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectSameTree(const TCompoundFile& a, const TCompoundFile& b) {
  EXPECT_EQ(a.RootClassId, b.RootClassId);
  ASSERT_EQ(a.Entries.size(), b.Entries.size());
  for (const RCompoundEntry& e : a.Entries) {
    bool found = false;
    for (const RCompoundEntry& f : b.Entries) {
      if (f.Path != e.Path) continue;
      found = true;
      EXPECT_EQ(f.IsStorage, e.IsStorage) << e.Path.back();
      EXPECT_EQ(f.ClassId, e.ClassId) << e.Path.back();
      EXPECT_TRUE(f.Data == e.Data) << e.Path.back();
    }
    EXPECT_TRUE(found) << e.Path.back();
  }
}

// Real files, one with an embedded workbook in storages of its own: written anew, every
// storage, class id and stream reads back as it was.
TEST(CompoundFile, RealFilesWrittenAnewReadBackTheSame) {
  for (const char* name : {"ppt/poi__WithMaster.ppt", "ppt/poi__ppt_with_embeded.ppt",
                           "xls/poi__45538_form_Footer.xls"}) {
    SCOPED_TRACE(name);
    const std::string bytes = CorpusFile(name);
    ASSERT_FALSE(bytes.empty());
    const TCompoundFile file = TCompoundFile::Read(bytes);
    ASSERT_NE(file.Stream("\005SummaryInformation"), nullptr);
    ExpectSameTree(file, TCompoundFile::Read(file.Write()));
  }
}

TEST(CompoundFile, NestedStoragesBigAndSmallStreamsAndClassIds) {
  TCompoundFile file;
  file.RootClassId[0] = 0x10;
  file.RootClassId[15] = 0xE8;
  RCompoundEntry top{{"Top"}, false, {}, std::string(5000, 'a')};  // past the small-stream limit
  RCompoundEntry storage{{"Objects"}, true, {}, {}};
  storage.ClassId[3] = 7;
  RCompoundEntry inner{{"Objects", "Inner"}, true, {}, {}};
  RCompoundEntry leaf{{"Objects", "Inner", "\001Ole"}, false, {}, std::string("\0x\0y", 4)};
  RCompoundEntry after{{"Objects", "Small"}, false, {}, "small"};
  RCompoundEntry empty{{"Empty"}, false, {}, ""};
  file.Entries = {top, storage, inner, leaf, after, empty};
  const TCompoundFile back = TCompoundFile::Read(file.Write());
  ExpectSameTree(file, back);
  EXPECT_TRUE(back.HasTopLevel("Objects"));
  EXPECT_FALSE(back.HasTopLevel("Inner"));
  EXPECT_EQ(back.Stream("Objects"), nullptr);  // a storage is no stream
  ASSERT_NE(back.Stream("Top"), nullptr);
  EXPECT_EQ(back.Stream("Top")->size(), 5000u);
}

TEST(CompoundFile, WhatIsNoCompoundFileIsRefused) {
  EXPECT_THROW(TCompoundFile::Read("PK\003\004 not a compound file"), ECompoundFileError);
  EXPECT_THROW(TCompoundFile::Read(""), ECompoundFileError);
  std::string cut = CorpusFile("ppt/poi__WithComments.ppt");
  cut.resize(700);  // the header and a sector: the directory lies past the end
  EXPECT_THROW(TCompoundFile::Read(cut), ECompoundFileError);
}

TEST(CompoundFile, AnEntryWhoseParentIsMissingIsNotWritten) {
  TCompoundFile file;
  file.Entries = {RCompoundEntry{{"Nowhere", "Leaf"}, false, {}, "x"}};
  EXPECT_THROW(file.Write(), ECompoundFileError);
}

}  // namespace
}  // namespace stampwell::legacy
