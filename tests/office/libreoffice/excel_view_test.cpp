// SPDX-License-Identifier: GPL-3.0-or-later
// Workbooks loaded without a view (their active sheet read from the file) against the same
// workbooks loaded with one, over real .xls files written by others: the same sheet is the
// active one, it is the one stamped, and the stamped file shows the same sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "office/automation/automation.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/xls_water_mark.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

struct Seen {
  bool opened = false;
  std::string stamped;      // the sheets that carry the mark in the stamped file
  std::string activeSaved;  // the active sheet's name in the stamped file, opened with a view
};

// Opens, stamps and saves file with engine, then reopens the result with a view in reader.
Seen StampAndLook(TXlsWaterMark& engine, OleVariant& reader, const std::string& file,
                  const std::string& out, bool withoutView) {
  SetExcelLoadsWithoutView(withoutView);
  Seen seen;
  engine.DocSettings = test::JobSettings();
  seen.opened = engine.OpenXls(file);
  SetExcelLoadsWithoutView(false);
  if (!seen.opened) return seen;
  try {
    engine.AddWaterMark();
    engine.SaveAs(out);
    engine.closeXls(false);
  } catch (const std::exception&) {
    seen.opened = false;
    try {
      engine.closeXls(false);
    } catch (const std::exception&) {
    }
    return seen;
  }
  auto book = reader.Get("workBooks").Call("Open", {out});
  seen.activeSaved = reader.Get("ActiveSheet").Get("Name").AsString();
  auto sheets = book.Get("Worksheets");
  for (int i = 1, n = sheets.Get("Count").AsInt(); i <= n; ++i) {
    auto sheet = sheets.Call("Item", {i});
    auto shapes = sheet.Get("Shapes");
    for (int k = 1, m = shapes.Get("Count").AsInt(); k <= m; ++k)
      if (shapes.Call("Item", {k}).Get("Name").AsString() == "QuillmarkWaterMarkObject1")
        seen.stamped += sheet.Get("Name").AsString() + ";";
  }
  book.Call("Close");
  return seen;
}

TEST(ExcelView, CorpusWorkbooksShowAndStampTheSameSheetWithAndWithoutAView) {
  RegisterLibreOfficeServers();
  test::TempDir out;
  TXlsWaterMark withView, withoutView;
  OleVariant reader = CreateOleObject("Excel.Application");
  int compared = 0;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(STAMPWELL_CORPUS_DIR "/xls"))
    if (entry.path().extension() == ".xls") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string name = file.filename().string();
    const Seen view = StampAndLook(withView, reader, file, out / ("view-" + name), false);
    const Seen fast = StampAndLook(withoutView, reader, file, out / ("fast-" + name), true);
    EXPECT_EQ(fast.opened, view.opened);
    if (!view.opened || !fast.opened) continue;
    EXPECT_EQ(fast.activeSaved, view.activeSaved);
    EXPECT_EQ(fast.stamped, view.stamped);
    EXPECT_FALSE(fast.stamped.empty());
    ++compared;
  }
  SetExcelLoadsWithoutView(true);
  withView.CloseExcelApp();
  withoutView.CloseExcelApp();
  reader.Call("Quit");
  EXPECT_GT(compared, 15) << "most of the corpus opens";
}

}  // namespace
}  // namespace stampwell
