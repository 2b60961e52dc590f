// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/xls_mark_splice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "office/legacy/compound_file.h"
#include "office/legacy/ppt_records.h"
#include "office/office_shapes.h"

namespace stampwell::legacy {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kText = "ZqxMarkText";

std::string DataFile(const std::string& name) {
  std::ifstream in(std::string(STAMPWELL_DATA_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Rec {
  std::uint16_t id;
  std::uint32_t at;
  std::string data;
};

std::vector<Rec> Records(const std::string& file) {
  const std::string stream = *TCompoundFile::Read(file).Stream("Workbook");
  std::vector<Rec> out;
  for (std::size_t pos = 0; stream.size() - pos >= 4;) {
    const std::uint16_t id = ReadU16(stream, pos), n = ReadU16(stream, pos + 2);
    if (id == 0 && n == 0) break;
    out.push_back({id, static_cast<std::uint32_t>(pos), stream.substr(pos + 4, n)});
    pos += 4 + n;
  }
  return out;
}

// The workbook's shown sheet takes the copy's mark in a drawing of its own, and the workbook
// a drawing group (the source has neither); the hidden sheet stays as it was.
TEST(XlsSplice, TheCopysMarkGoesIntoTheSourcesSheetAndTheOffsetsFollow) {
  const std::string source = DataFile("corpus/xls/poi__TwoSheetsOneHidden.xls");
  const std::string copy = DataFile("legacy/poi__TwoSheetsOneHidden.office.xls");
  ASSERT_FALSE(source.empty());
  ASSERT_FALSE(copy.empty());
  const RSpliced spliced = SpliceXlsMarks(source, copy, kText);
  ASSERT_TRUE(spliced.Done) << spliced.Reason;
  const std::string ours = std::string(kWaterMarkPrefix) + "1";
  EXPECT_THAT(XlsShapeNames(source), ElementsAre(ElementsAre(), ElementsAre()));
  EXPECT_THAT(XlsShapeNames(spliced.Bytes), ElementsAre(ElementsAre(), ElementsAre(ours)));

  // Each sheet's entry points at that sheet's first record, which is where it was.
  const auto before = Records(source), after = Records(spliced.Bytes);
  std::vector<std::uint32_t> bofs;
  for (const Rec& r : after)
    if (r.id == 0x0809) bofs.push_back(r.at);
  std::vector<std::uint32_t> entries;
  for (const Rec& r : after)
    if (r.id == 0x0085) entries.push_back(ReadU32(r.data, 0));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], bofs[1]);
  EXPECT_EQ(entries[1], bofs[2]);
  // The cell index of each sheet still points at its DBCELL records.
  for (const Rec& r : after) {
    if (r.id != 0x020B) continue;
    for (std::size_t at = 16; at + 4 <= r.data.size(); at += 4) {
      const std::uint32_t target = ReadU32(r.data, at);
      const auto hit = std::find_if(after.begin(), after.end(),
                                    [target](const Rec& x) { return x.at == target; });
      ASSERT_NE(hit, after.end());
      EXPECT_EQ(hit->id, 0x00D7);
    }
  }
  // Only the drawing group, the drawing, its object record, and the moved offsets are new.
  std::size_t j = 0;
  for (const Rec& r : before) {
    while (j < after.size() && after[j].id != r.id) {
      EXPECT_TRUE(after[j].id == 0x00EB || after[j].id == 0x00EC || after[j].id == 0x005D)
          << std::hex << after[j].id;
      ++j;
    }
    ASSERT_LT(j, after.size()) << std::hex << r.id;
    if (r.id != 0x0085 && r.id != 0x020B && r.id != 0x00FF) {
      EXPECT_EQ(after[j].data, r.data) << std::hex << r.id;
    }
    ++j;
  }
  // Every other stream as it was.
  const auto a = TCompoundFile::Read(source), b = TCompoundFile::Read(spliced.Bytes);
  for (const auto& e : a.Entries)
    if (e.Path.back() != "Workbook") {
      EXPECT_TRUE(*b.Stream(e.Path.back()) == e.Data);
    }
}

// A restamp: the copy's marks replace the ones spliced before, and nothing else moves. (The
// new mark takes a new shape id: ids are not given twice.)
TEST(XlsSplice, ARestampWithTheSameMarkChangesNothingButTheMarksIds) {
  const std::string source = DataFile("corpus/xls/poi__TwoSheetsOneHidden.xls");
  const std::string copy = DataFile("legacy/poi__TwoSheetsOneHidden.office.xls");
  const RSpliced once = SpliceXlsMarks(source, copy, kText);
  ASSERT_TRUE(once.Done) << once.Reason;
  const RSpliced twice = SpliceXlsMarks(once.Bytes, copy, kText);
  ASSERT_TRUE(twice.Done) << twice.Reason;
  EXPECT_EQ(XlsShapeNames(twice.Bytes), XlsShapeNames(once.Bytes));
  const auto a = Records(once.Bytes), b = Records(twice.Bytes);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].id, b[i].id);
    EXPECT_EQ(a[i].at, b[i].at);
    if (a[i].id != 0x00EB && a[i].id != 0x00EC) {
      EXPECT_EQ(a[i].data, b[i].data) << i;
    }
  }
}

TEST(XlsSplice, WhatItDoesNotTakeOnKeepsTheOfficeCopyAndSaysWhy) {
  const std::string source = DataFile("corpus/xls/poi__TwoSheetsOneHidden.xls");
  const std::string copy = DataFile("legacy/poi__TwoSheetsOneHidden.office.xls");
  auto reason = [](const std::string& from, const std::string& to,
                   const std::string& text = kText) {
    const RSpliced s = SpliceXlsMarks(from, to, text);
    EXPECT_FALSE(s.Done);
    EXPECT_TRUE(s.Bytes.empty());
    return s.Reason;
  };
  EXPECT_THAT(reason(DataFile("corpus/xls/edr__protectedsheet-xxx.xls"), copy),
              HasSubstr("encrypted"));
  EXPECT_THAT(reason(DataFile("corpus/xls/edr__Test_git_issue_224_simple_95.xls"), copy),
              HasSubstr("not an Excel 97-2003 workbook"));
  EXPECT_THAT(reason(DataFile("corpus/xls/poi__DBCSHeader.xls"), copy),
              HasSubstr("sheets do not correspond"));
  EXPECT_THAT(reason(source, copy, "ANOTHER TEXT"), HasSubstr("no mark"));
  EXPECT_THAT(reason(source, source), HasSubstr("no mark"));
  TCompoundFile signedFile = TCompoundFile::Read(source);
  signedFile.Entries.push_back({{"_xmlsignatures"}, true, {}, {}});
  EXPECT_THAT(reason(signedFile.Write(), copy), HasSubstr("signed"));
}

// The built-in print range names of a workbook (record data), in their order.
std::vector<std::string> PrintRangeNames(const std::string& file) {
  std::vector<std::string> names;
  for (const Rec& r : Records(file))
    if (r.id == 0x0018 && r.data.size() > 16 && (ReadU16(r.data, 0) & 0x0020) && r.data[15] == 6)
      names.push_back(r.data);
  return names;
}

// The formula bytes of a built-in print range name: after its 15-byte head and one-byte name.
std::string FormulaOf(const std::string& name) { return name.substr(16, ReadU16(name, 4)); }

// The workbook's print range is one row (A1:C1); the office placed the mark below it and grew
// the print range to take it in (A1:D26), else the mark would be on no printed page. The
// splice carries that growth, with the source's own sheet reference, and nothing else of
// the copy's names (the office also renames user names it reads).
TEST(XlsSplice, APrintRangeTheOfficeGrewToTakeInTheMarkIsCarried) {
  const std::string source = DataFile("legacy/poi__customIndexedColors.xls");
  const std::string copy = DataFile("legacy/poi__customIndexedColors.office.xls");
  ASSERT_FALSE(source.empty());
  ASSERT_FALSE(copy.empty());
  const auto before = PrintRangeNames(source), grown = PrintRangeNames(copy);
  ASSERT_EQ(before.size(), 1u);
  ASSERT_EQ(grown.size(), 1u);
  ASSERT_NE(FormulaOf(before[0]), FormulaOf(grown[0]));
  const RSpliced spliced = SpliceXlsMarks(source, copy, kText);
  ASSERT_TRUE(spliced.Done) << spliced.Reason;
  const auto after = PrintRangeNames(spliced.Bytes);
  ASSERT_EQ(after.size(), 1u);
  const std::string formula = FormulaOf(after[0]);
  ASSERT_EQ(formula.size(), 11u);
  EXPECT_EQ(formula[0], 0x3B);  // a block of cells on a sheet
  EXPECT_EQ(formula.substr(1, 2), FormulaOf(before[0]).substr(1, 2)) << "the source's sheet";
  EXPECT_EQ(ReadU16(formula, 3), 0);   // first row
  EXPECT_EQ(ReadU16(formula, 5), 25);  // last row
  EXPECT_EQ(ReadU16(formula, 7), 0);   // first column
  EXPECT_EQ(ReadU16(formula, 9), 3);   // last column
  // The rest of that name as the source had it; every other record but the drawing's.
  EXPECT_EQ(after[0].substr(0, 4), before[0].substr(0, 4));
  EXPECT_EQ(after[0].substr(6, 10), before[0].substr(6, 10));
  const auto a = Records(source), b = Records(spliced.Bytes);
  std::vector<std::string> namesBefore, namesAfter;
  for (const Rec& r : a)
    if (r.id == 0x0018 && r.data != before[0]) namesBefore.push_back(r.data);
  for (const Rec& r : b)
    if (r.id == 0x0018 && r.data != after[0]) namesAfter.push_back(r.data);
  EXPECT_EQ(namesAfter, namesBefore);
  // A restamp finds the range grown already and keeps it.
  const RSpliced again = SpliceXlsMarks(spliced.Bytes, copy, kText);
  ASSERT_TRUE(again.Done) << again.Reason;
  EXPECT_EQ(PrintRangeNames(again.Bytes), after);
}

// A print range the office changed other than by growing it (here: its first column moved
// right, leaving cells the source printed out) is not the mark's doing: the office's copy
// stays, and the reason says why.
TEST(XlsSplice, APrintRangeChangedOtherwiseKeepsTheOfficeCopy) {
  const std::string source = DataFile("legacy/poi__customIndexedColors.xls");
  TCompoundFile copy = TCompoundFile::Read(DataFile("legacy/poi__customIndexedColors.office.xls"));
  std::string& stream = *copy.Stream("Workbook");
  bool edited = false;
  for (const Rec& r : Records(copy.Write())) {
    if (r.id != 0x0018 || !(ReadU16(r.data, 0) & 0x0020) || r.data[15] != 6) continue;
    stream[r.at + 4 + 16 + 7] = 1;  // first column B
    edited = true;
  }
  ASSERT_TRUE(edited);
  const RSpliced spliced = SpliceXlsMarks(source, copy.Write(), kText);
  EXPECT_FALSE(spliced.Done);
  EXPECT_THAT(spliced.Reason, HasSubstr("print range"));
}

// The office's copy itself as the source: its mark carries the office's name and is taken as
// the program's own, so a file stamped by earlier versions is restamped with one mark.
TEST(XlsSplice, AMarkTheOfficeNamedIsReplaced) {
  const std::string copy = DataFile("legacy/poi__TwoSheetsOneHidden.office.xls");
  const RSpliced spliced = SpliceXlsMarks(copy, copy, kText);
  ASSERT_TRUE(spliced.Done) << spliced.Reason;
  EXPECT_EQ(XlsShapeNames(spliced.Bytes), XlsShapeNames(copy));
}

}  // namespace
}  // namespace stampwell::legacy
