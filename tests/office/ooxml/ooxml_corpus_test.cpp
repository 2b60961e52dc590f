// SPDX-License-Identifier: GPL-3.0-or-later
// Real packages written by others, stamped by editing the package: every part the mark does
// not need comes back as it was stored, the parts it changes keep every element and text, the
// mark is there, and a second stamp replaces the first.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include <pugixml.hpp>

#include "office/ooxml/ooxml_water_mark.h"
#include "package_check.h"
#include "support/temp_dir.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

RDocSettings Settings() {
  RDocSettings s;
  s.DocWaterMarkStr = "CONFIDENTIAL";
  s.DocFontName = "Liberation Sans";
  s.DocWatermarkSize = "60";
  s.DocWatermarkColor = 0xFF00FF;
  s.Transparent = true;
  s.HX = true;
  return s;
}

int CountMarks(const std::map<std::string, test::RStoredEntry>& entries) {
  int marks = 0;
  for (const auto& [name, e] : entries)
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0)
      marks += int(test::MarkNamesIn(e.data).size());
  return marks;
}

// The texts of a workbook part's print ranges.
std::set<std::string> PrintRanges(const std::string& workbookXml) {
  pugi::xml_document doc;
  doc.load_string(workbookXml.c_str());
  std::set<std::string> ranges;
  for (const auto& found : doc.select_nodes("//*[local-name()='definedName']"))
    if (std::string(found.node().attribute("name").value()) == "_xlnm.Print_Area")
      ranges.insert(found.node().text().get());
  return ranges;
}

// Stamps source into dest; checks what stayed; returns the marks the saved file holds.
int StampAndCompare(const std::string& source, const std::string& dest) {
  TOoxmlWaterMark engine;
  EXPECT_TRUE(engine.Open(source)) << source << ": " << engine.OpenError();
  if (::testing::Test::HasFailure()) return -1;
  engine.AddWaterMark(Settings());
  const auto written = engine.Package().WrittenParts();
  engine.SaveAs(dest);
  engine.Close();

  const auto before = test::ReadEntries(source);
  const auto after = test::ReadEntries(dest);
  const auto order = test::EntryOrder(dest);
  const auto sourceOrder = test::EntryOrder(source);
  EXPECT_TRUE(std::equal(sourceOrder.begin(), sourceOrder.end(), order.begin()))
      << source << ": the entries keep their order";
  for (const auto& [name, e] : before) {
    const auto out = after.find(name);
    if (out == after.end()) {
      ADD_FAILURE() << source << ": part " << name << " is gone";
      continue;
    }
    if (std::find(written.begin(), written.end(), name) == written.end()) {
      EXPECT_EQ(out->second.data, e.data) << source << ": " << name << " changed";
      EXPECT_EQ(out->second.compSize, e.compSize) << source << ": " << name << " recompressed";
      EXPECT_EQ(out->second.method, e.method) << source << ": " << name;
      EXPECT_EQ(out->second.crc, e.crc) << source << ": " << name;
    } else {
      auto missing = test::MissingItems(e.data, out->second.data);
      // A print range too small for a readable mark grows over blank cells to take it in:
      // its old text goes, nothing else of the workbook part.
      if (name.find("workbook") != std::string::npos)
        std::erase_if(missing, [&](const std::string& item) {
          return item.rfind("text /workbook/definedNames/definedName: ", 0) == 0 &&
                 PrintRanges(e.data).count(item.substr(item.find(": ") + 2)) > 0;
        });
      EXPECT_TRUE(missing.empty()) << source << ": " << name << " lost " << missing.size()
                                   << " items, first: " << missing.front();
    }
  }
  return CountMarks(after);
}

class OoxmlCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(OoxmlCorpus, OtherPartsStayAndARestampReplacesTheMark) {
  test::TempDir dir;
  const std::string source = GetParam();
  const std::string name = fs::path(source).filename();
  const int first = StampAndCompare(source, dir / ("1-" + name));
  ASSERT_GT(first, 0) << source << ": no mark in the saved package";
  const int second = StampAndCompare(dir / ("1-" + name), dir / ("2-" + name));
  EXPECT_EQ(second, first) << source << ": a restamp must replace, not add";
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  for (const char* kind : {"docx", "xlsx", "pptx"}) {
    const fs::path folder = fs::path(STAMPWELL_CORPUS_DIR) / kind;
    if (!fs::exists(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = fs::path(info.param).filename();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, OoxmlCorpus, ::testing::ValuesIn(CorpusFiles()), TestName);

TEST(OoxmlCorpusPresent, EveryKindHasFiles) {
  const auto files = CorpusFiles();
  for (const char* ext : {".docx", ".xlsx", ".pptx"})
    EXPECT_TRUE(std::any_of(files.begin(), files.end(),
                            [&](const std::string& f) { return f.ends_with(ext); }))
        << ext;
}

}  // namespace
}  // namespace stampwell
