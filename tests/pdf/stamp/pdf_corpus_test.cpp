// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF engine on real files written by others (tests/data/corpus/pdf, with their sources
// in tests/data/corpus/SOURCES.md): every file QPDF can read is stamped with every page
// marked as set, keeps its text, links, annotations, fields, bookmarks, attachments and
// metadata, restamps to one mark, and the source is never touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "pdf/stamp/pdf_water_mark.h"
#include "pdf_inspect.h"
#include "support/temp_dir.h"

using namespace stampwell;
using namespace stampwell::test;

namespace {

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(STAMPWELL_CORPUS_DIR "/pdf"))
    if (e.path().extension() == ".pdf") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(PdfCorpus, EveryReadableFileIsStampedOnEveryPageAndKeepsWhatItHad) {
  RDocSettings settings;
  settings.DocWaterMarkStr = "CONFIDENTIAL";
  settings.DocFontName = "Times New Roman";
  settings.DocWatermarkSize = "60";
  settings.DocWatermarkColor = kMagenta;
  settings.Transparent = true;
  settings.HX = true;

  TempDir dir;
  TPdfWaterMark engine;
  const auto files = CorpusFiles();
  ASSERT_GE(files.size(), 19u);
  std::map<std::string, std::string> refused;
  int stamped = 0, pages = 0;
  for (const auto& source : files) {
    const std::string name = std::filesystem::path(source).filename().string();
    SCOPED_TRACE(name);
    const std::string original = ReadFile(source);
    if (!engine.Open(source)) {
      refused[name] = engine.OpenError();
      continue;
    }
    engine.AddWaterMark(settings);
    engine.SaveAs(dir / name);
    engine.Close();
    ++stamped;

    // Every page shows the mark as set.
    const int count = PopplerPageCount(dir / name);
    ASSERT_EQ(count, PopplerPageCount(source));
    for (int i = 0; i < count; ++i) {
      SCOPED_TRACE("page " + std::to_string(i + 1));
      const auto m = MeasureMark(dir / name, source, i, kMagenta, 0);
      ASSERT_GT(m.pixels, 50);
      EXPECT_NEAR(m.angle, 45, 5);
      EXPECT_NEAR(m.opacity, 0.5, 0.12);
      EXPECT_NEAR(m.cx, 0.5, 0.05);
      EXPECT_NEAR(m.cy, 0.5, 0.05);
    }
    pages += count;
    // Every word stays where it was: the mark adds no text.
    EXPECT_EQ(PageTexts(dir / name), PageTexts(source));
    const auto before = ReadStructure(source);
    const auto after = ReadStructure(dir / name);
    EXPECT_EQ(after.pages, before.pages);
    EXPECT_EQ(after.annotations, before.annotations);
    EXPECT_EQ(after.links, before.links);
    EXPECT_EQ(after.formFields, before.formFields);
    EXPECT_EQ(after.outlines, before.outlines);
    EXPECT_EQ(after.attachments, before.attachments);
    EXPECT_EQ(after.metadata, before.metadata);
    EXPECT_EQ(after.info, before.info);
    EXPECT_EQ(after.markedPages, before.pages);
    EXPECT_EQ(after.markForms, 1);

    // A restamp leaves one mark.
    ASSERT_TRUE(engine.Open(dir / name));
    engine.AddWaterMark(settings);
    engine.SaveAs(dir / ("re-" + name));
    engine.Close();
    const auto again = ReadStructure(dir / ("re-" + name));
    EXPECT_EQ(again.markForms, 1);
    EXPECT_EQ(again.markStreams, after.markStreams);
    EXPECT_EQ(again.markedPages, before.pages);
    EXPECT_EQ(PageTexts(dir / ("re-" + name)), PageTexts(source));

    EXPECT_EQ(ReadFile(source), original) << "the source changed";
  }
  // The one file of the corpus whose cross-reference table QPDF cannot rebuild is refused,
  // in words; every other one is stamped.
  EXPECT_EQ(stamped + int(refused.size()), int(files.size()));
  EXPECT_GE(stamped * 100, int(files.size()) * 90);
  for (const auto& [name, why] : refused) {
    EXPECT_EQ(name, "pypdf__unreadablemetadata.pdf");
    EXPECT_EQ(why.rfind("damaged PDF file, QPDF cannot repair it", 0), 0u) << why;
  }
  RecordProperty("stamped", stamped);
  RecordProperty("pages", pages);
}

}  // namespace
