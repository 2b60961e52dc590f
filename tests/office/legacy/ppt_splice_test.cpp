// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/ppt_mark_splice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>

#include "office/legacy/compound_file.h"
#include "office/legacy/ppt_deck.h"
#include "office/office_shapes.h"

namespace stampwell::legacy {
namespace {

using ::testing::HasSubstr;

const std::string kOurs = std::string(kWaterMarkPrefix) + "1";

std::string PptFile(const std::string& name) {
  std::ifstream in(std::string(STAMPWELL_CORPUS_DIR) + "/ppt/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string U32(std::uint32_t v) {
  std::string s;
  AppendU32(s, v);
  return s;
}

// A shape as LibreOffice's export writes the mark: plain-text WordArt of the text, unnamed.
RPptRecord WordArt(const std::string& text, const std::string& name = "") {
  RPptRecord fsp;
  fsp.VerInst = static_cast<std::uint16_t>(ppt::kPlainTextWordArt << 4 | 2);
  fsp.Type = ppt::kFsp;
  fsp.Atom = U32(4000) + U32(0xA00);
  std::string table, data;
  AppendU16(table, 0x0004);  // rotation, 315 degrees
  AppendU32(table, 315u << 16);
  std::vector<std::pair<std::uint16_t, std::string>> strings{{ppt::kPropGeoText, text}};
  if (!name.empty()) strings.push_back({ppt::kPropName, name});
  for (const auto& [pid, value] : strings) {
    const std::string v = Utf16(value) + std::string(2, '\0');
    AppendU16(table, static_cast<std::uint16_t>(pid | 0xC000));
    AppendU32(table, static_cast<std::uint32_t>(v.size()));
    data += v;
  }
  RPptRecord fopt;
  fopt.VerInst = static_cast<std::uint16_t>((1 + strings.size()) << 4 | 3);
  fopt.Type = ppt::kFopt;
  fopt.Atom = table + data;
  RPptRecord anchor;
  anchor.Type = 0xF010;
  anchor.Atom = std::string("\x10\x07\x00\x03\x80\x13\xd4\x09", 8);
  RPptRecord sp;
  sp.VerInst = 0xF;
  sp.Type = ppt::kSpContainer;
  sp.Children = {fsp, fopt, anchor};
  return sp;
}

// file with the objects edit() changes appended as a new edit, as PowerPoint's fast save
// appends them.
using TEdit = std::function<void(TPptDeck&, std::map<std::uint32_t, RPptRecord>&)>;
std::string Edited(const std::string& bytes, const TEdit& edit) {
  TCompoundFile file = TCompoundFile::Read(bytes);
  TPptDeck deck(file);
  std::map<std::uint32_t, RPptRecord> changed;
  edit(deck, changed);
  std::string doc = deck.DocumentStream();
  std::string dir;
  for (const auto& [id, record] : changed) {
    dir += U32(id | 1u << 20) + U32(static_cast<std::uint32_t>(doc.size()));
    doc += record.Bytes();
  }
  RPptRecord directory;
  directory.Type = ppt::kPersistDirectoryAtom;
  directory.Atom = dir;
  const auto dirAt = static_cast<std::uint32_t>(doc.size());
  doc += directory.Bytes();
  std::string user = deck.CurrentEditRecord();
  WriteU32(user, 16, deck.CurrentEditOffset());
  WriteU32(user, 20, dirAt);
  const auto userAt = static_cast<std::uint32_t>(doc.size());
  doc += user;
  deck.DocumentStream() = doc;
  WriteU32(deck.CurrentUserStream(), 16, userAt);
  return file.Write();
}

std::vector<TPptDeck::REntry> PagesOf(const TPptDeck& deck) {
  auto pages = deck.Slides();
  pages.insert(pages.end(), deck.Masters().begin(), deck.Masters().end());
  return pages;
}

// The office's stamped copy of source: a mark of text at the back of each page named, and,
// as the office removes them, none of the marks the source carried.
std::string OfficeCopy(const std::string& source, const std::set<std::uint32_t>& marked,
                       const std::string& text) {
  return Edited(source, [&](TPptDeck& deck, std::map<std::uint32_t, RPptRecord>& changed) {
    for (const auto& page : PagesOf(deck)) {
      RPptRecord c = deck.Container(page.PersistId);
      RPptRecord* group = TopGroup(c);
      if (!group) continue;
      auto& shapes = group->Children;
      const auto before = shapes.size();
      shapes.erase(std::remove_if(shapes.begin() + 1, shapes.end(),
                                  [](const RPptRecord& sp) { return ShapeNameOf(sp) == kOurs; }),
                   shapes.end());
      if (marked.count(page.PersistId)) shapes.insert(shapes.begin() + 1, WordArt(text));
      if (shapes.size() != before || marked.count(page.PersistId)) changed[page.PersistId] = c;
    }
  });
}

struct Read {
  explicit Read(const std::string& bytes) : file(TCompoundFile::Read(bytes)), deck(file) {}
  TCompoundFile file;
  TPptDeck deck;
  std::string Page(std::uint32_t id) const { return deck.Container(id).Bytes(); }
  // The names of a page's shapes, the group's own left out.
  std::vector<std::string> Names(std::uint32_t id) const {
    RPptRecord c = deck.Container(id);
    std::vector<std::string> names;
    if (RPptRecord* group = TopGroup(c))
      for (std::size_t i = 1; i < group->Children.size(); ++i)
        names.push_back(ShapeNameOf(group->Children[i]));
    return names;
  }
};

std::set<std::uint32_t> AllShapeIds(const TPptDeck& deck, std::size_t* count = nullptr) {
  std::set<std::uint32_t> ids;
  std::size_t n = 0;
  std::function<void(const RPptRecord&)> walk = [&](const RPptRecord& r) {
    if (r.Type == ppt::kFsp) {
      ids.insert(ReadU32(r.Atom, 0));
      ++n;
    }
    for (const auto& c : r.Children) walk(c);
  };
  for (const auto& page : PagesOf(deck)) walk(deck.Container(page.PersistId));
  if (count) *count = n;
  return ids;
}

std::string Dgg(const TPptDeck& deck) {
  return deck.DocumentRecord()
      .Child(ppt::kDrawingGroup)
      ->Child(ppt::kDggContainer)
      ->Child(ppt::kFdgg)
      ->Atom;
}

// poi__WithMaster.ppt: two masters, its slides follow the second.
TEST(PptSplice, TheMarkGoesBehindTheMastersShapesAndNothingElseChanges) {
  const std::string source = PptFile("poi__WithMaster.ppt");
  const Read s(source);
  const std::uint32_t master = s.deck.Masters()[1].PersistId;
  const RSpliced spliced = SplicePptMarks(source, OfficeCopy(source, {master}, "DRAFT"), "DRAFT");
  ASSERT_TRUE(spliced.Done) << spliced.Reason;
  const Read r(spliced.Bytes);

  std::vector<std::string> expected = s.Names(master);
  expected.insert(expected.begin(), kOurs);
  EXPECT_EQ(r.Names(master), expected);
  for (const auto& page : PagesOf(s.deck))
    if (page.PersistId != master) {
      EXPECT_EQ(r.Page(page.PersistId), s.Page(page.PersistId));
    }
  // Every stream but the document and its pointer to the last edit, byte for byte.
  for (const RCompoundEntry& e : s.file.Entries) {
    if (e.Path.back() == ppt::kDocumentStream || e.Path.back() == ppt::kCurrentUserStream) continue;
    const std::string* kept = r.file.Stream(e.Path.back());
    ASSERT_NE(kept, nullptr) << e.Path.back();
    EXPECT_TRUE(*kept == e.Data) << e.Path.back();
  }
  // The mark's id is new to the document and counted where the file counts its shapes.
  std::size_t before = 0, after = 0;
  const auto oldIds = AllShapeIds(s.deck, &before);
  const auto newIds = AllShapeIds(r.deck, &after);
  EXPECT_EQ(after, before + 1);
  ASSERT_EQ(newIds.size(), oldIds.size() + 1);
  std::uint32_t mark = 0;
  for (std::uint32_t id : newIds)
    if (!oldIds.count(id)) mark = id;
  EXPECT_GT(ReadU32(Dgg(r.deck), 0), mark);                         // the largest id handed out
  EXPECT_EQ(ReadU32(Dgg(r.deck), 8), ReadU32(Dgg(s.deck), 8) + 1);  // shapes saved
  // One edit: the file was saved whole.
  EXPECT_EQ(ReadU32(r.deck.CurrentEditRecord(), 16), 0u);
}

TEST(PptSplice, ARestampReplacesTheMarkAndTheFileDoesNotGrow) {
  const std::string source = PptFile("poi__WithMaster.ppt");
  const std::uint32_t master = Read(source).deck.Masters()[1].PersistId;
  const RSpliced first = SplicePptMarks(source, OfficeCopy(source, {master}, "DRAFT-1"), "DRAFT-1");
  ASSERT_TRUE(first.Done) << first.Reason;
  const RSpliced second =
      SplicePptMarks(first.Bytes, OfficeCopy(first.Bytes, {master}, "DRAFT-2"), "DRAFT-2");
  ASSERT_TRUE(second.Done) << second.Reason;
  const Read a(first.Bytes), b(second.Bytes);
  const auto names = b.Names(master);
  EXPECT_EQ(std::count(names.begin(), names.end(), kOurs), 1);
  RPptRecord c = b.deck.Container(master);
  EXPECT_EQ(Utf8(*ComplexProperty(TopGroup(c)->Children[1], ppt::kPropGeoText)), "DRAFT-2");
  EXPECT_EQ(b.file.Stream(ppt::kDocumentStream)->size(),
            a.file.Stream(ppt::kDocumentStream)->size());
}

// poi__slide_master.ppt: a slide and a title master carry marks of their own in the copy.
TEST(PptSplice, SlidesAndTitleMastersTakeTheMarksTheirCopyShows) {
  const std::string source = PptFile("poi__slide_master.ppt");
  const Read s(source);
  ASSERT_EQ(s.deck.Masters().size(), 3u);
  const std::uint32_t slide = s.deck.Slides()[0].PersistId;
  const std::uint32_t title = s.deck.Masters()[2].PersistId;
  ASSERT_EQ(s.deck.Container(title).Type, ppt::kSlideContainer);  // a title master
  const RSpliced spliced =
      SplicePptMarks(source, OfficeCopy(source, {slide, title}, "DRAFT"), "DRAFT");
  ASSERT_TRUE(spliced.Done) << spliced.Reason;
  const Read r(spliced.Bytes);
  EXPECT_EQ(r.Names(slide).front(), kOurs);
  EXPECT_EQ(r.Names(title).front(), kOurs);
  for (const auto& page : PagesOf(s.deck))
    if (page.PersistId != slide && page.PersistId != title) {
      EXPECT_EQ(r.Page(page.PersistId), s.Page(page.PersistId));
    }
}

TEST(PptSplice, AFullClusterGivesTheDrawingANewOne) {
  const std::string plain = PptFile("poi__WithMaster.ppt");
  const std::uint32_t master = Read(plain).deck.Masters()[1].PersistId;
  RPptRecord c = Read(plain).deck.Container(master);
  const std::uint32_t dgid =
      c.Child(ppt::kDrawing)->Child(ppt::kDgContainer)->Child(ppt::kFdg)->Instance();
  // The source with every cluster of that drawing used up.
  const std::string source = Edited(plain, [&](TPptDeck& deck, auto& changed) {
    RPptRecord document = deck.DocumentRecord();
    std::string& dgg =
        document.Child(ppt::kDrawingGroup)->Child(ppt::kDggContainer)->Child(ppt::kFdgg)->Atom;
    for (std::uint32_t k = 0; k + 1 < ReadU32(dgg, 4); ++k)
      if (ReadU32(dgg, 16 + 8 * k) == dgid) WriteU32(dgg, 20 + 8 * k, 1024);
    changed[deck.DocumentPersistId()] = document;
  });
  const std::string before = Dgg(Read(source).deck);
  const RSpliced spliced = SplicePptMarks(source, OfficeCopy(source, {master}, "DRAFT"), "DRAFT");
  ASSERT_TRUE(spliced.Done) << spliced.Reason;
  const std::string after = Dgg(Read(spliced.Bytes).deck);
  const std::uint32_t clusters = ReadU32(before, 4);
  ASSERT_EQ(ReadU32(after, 4), clusters + 1);
  EXPECT_EQ(ReadU32(after, 16 + 8 * (clusters - 1)), dgid);
  EXPECT_EQ(ReadU32(after, 20 + 8 * (clusters - 1)), 1u);
  RPptRecord m = Read(spliced.Bytes).deck.Container(master);
  EXPECT_EQ(ReadU32(TopGroup(m)->Children[1].Child(ppt::kFsp)->Atom, 0), clusters * 1024);
}

TEST(PptSplice, WhatItDoesNotTakeOnKeepsTheOfficeCopyAndSaysWhy) {
  const std::string source = PptFile("poi__WithMaster.ppt");
  const std::uint32_t master = Read(source).deck.Masters()[1].PersistId;
  const std::string copy = OfficeCopy(source, {master}, "DRAFT");
  auto withEntry = [&source](const std::string& name, const std::string& data) {
    TCompoundFile f = TCompoundFile::Read(source);
    if (std::string* stream = f.Stream(name))
      *stream += data;
    else
      f.Entries.push_back({{name}, false, {}, data});
    return f.Write();
  };
  auto reason = [&copy](const std::string& from, const std::string& text = "DRAFT") {
    const RSpliced s = SplicePptMarks(from, copy, text);
    EXPECT_FALSE(s.Done);
    EXPECT_TRUE(s.Bytes.empty());
    return s.Reason;
  };
  EXPECT_THAT(reason(withEntry("_signatures", "sig")), HasSubstr("signed"));
  EXPECT_THAT(reason(withEntry("\005DocumentSummaryInformation", "..StampwellShapeNames..")),
              HasSubstr("earlier stamp"));
  TCompoundFile encrypted = TCompoundFile::Read(source);
  WriteU32(*encrypted.Stream(ppt::kCurrentUserStream), 12, 0xF3D1C4DF);
  EXPECT_THAT(reason(encrypted.Write()), HasSubstr("encrypted"));
  EXPECT_THAT(reason(PptFile("poi__slide_master.ppt")), HasSubstr("slides do not correspond"));
  EXPECT_THAT(reason(source, "ANOTHER TEXT"), HasSubstr("no mark"));
  EXPECT_THAT(reason("not a compound file"), HasSubstr("compound file"));
  // Someone's own WordArt of the mark's text, unnamed: which is ours cannot be told.
  const std::string foreign = Edited(source, [&](TPptDeck& deck, auto& changed) {
    RPptRecord c = deck.Container(master);
    TopGroup(c)->Children.push_back(WordArt("DRAFT"));
    changed[master] = c;
  });
  EXPECT_THAT(reason(foreign), HasSubstr("not the program's own"));
}

TEST(PptSplice, ShapesNamedLikeTheMarkButNotOursStay) {
  const std::string plain = PptFile("poi__WithMaster.ppt");
  const std::uint32_t master = Read(plain).deck.Masters()[1].PersistId;
  const std::string source = Edited(plain, [&](TPptDeck& deck, auto& changed) {
    RPptRecord c = deck.Container(master);
    TopGroup(c)->Children.push_back(WordArt("LOGO", kWaterMarkPrefix));  // the prefix alone
    changed[master] = c;
  });
  const RSpliced spliced = SplicePptMarks(source, OfficeCopy(source, {master}, "DRAFT"), "DRAFT");
  ASSERT_TRUE(spliced.Done) << spliced.Reason;
  const auto names = Read(spliced.Bytes).Names(master);
  EXPECT_EQ(std::count(names.begin(), names.end(), std::string(kWaterMarkPrefix)), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), kOurs), 1);
}

}  // namespace
}  // namespace stampwell::legacy
