// SPDX-License-Identifier: GPL-3.0-or-later
// The Excel stamp run inside the office by the program's component against the same stamp made
// over the bridge, over the real .xls files of the corpus: the same marks, each on the same
// sheet, with the same name, place, size and angle, read back from the saved files; and a
// program without the component still stamps, over the bridge. The pages of a presentation a
// mark goes on, found inside the office, against the same found over the bridge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "office/automation/automation.h"
#include "office/libreoffice/in_office.h"
#include "office/libreoffice/office_document.h"
#include "office/libreoffice/office_process.h"
#include "office/libreoffice/powerpoint_server.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/xls_water_mark.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;

// Stamps file into out with engine; "" when it did not open. The marks of the saved file, one
// line per mark: sheet, name, frame and angle.
std::string StampAndRead(TXlsWaterMark& engine, OleVariant& reader, const fs::path& file,
                         const fs::path& out) {
  engine.DocSettings = test::JobSettings();
  if (!engine.OpenXls(file)) return "";
  try {
    engine.AddWaterMark();
    engine.SaveAs(out);
  } catch (...) {
    try {
      engine.closeXls(false);  // the engine goes on to the next file
    } catch (...) {
    }
    throw;
  }
  engine.closeXls(false);
  std::string marks;
  auto book = reader.Get("workBooks").Call("Open", {out.string()});
  auto sheets = book.Get("Worksheets");
  for (int i = 1, n = sheets.Get("Count").AsInt(); i <= n; ++i) {
    auto sheet = sheets.Call("Item", {i});
    auto shapes = sheet.Get("Shapes");
    for (int k = 1, m = shapes.Get("Count").AsInt(); k <= m; ++k) {
      auto shape = shapes.Call("Item", {k});
      const std::string name = shape.Get("Name").AsString();
      if (!IsOurSheetMarkName(name)) continue;
      char line[160];
      std::snprintf(line, sizeof line, "%s %s %.1f,%.1f %.1fx%.1f %.0f\n",
                    sheet.Get("Name").AsString().c_str(), name.c_str(),
                    shape.Get("Left").AsDouble(), shape.Get("Top").AsDouble(),
                    shape.Get("Width").AsDouble(), shape.Get("Height").AsDouble(),
                    shape.Get("Rotation").AsDouble());
      marks += line;
    }
  }
  book.Call("Close");
  return marks.empty() ? "(no mark)" : marks;
}

TEST(InOfficeStamp, CorpusWorkbooksGetTheSameMarksInsideTheOfficeAsOverTheBridge) {
  RegisterLibreOfficeServers();
  ASSERT_NE(InOfficeComponentsFile(), "") << "the component is built beside the tests";
  test::TempDir out;
  OleVariant reader = CreateOleObject("Excel.Application");
  // One office process each way: the switch is read at every stamp.
  TXlsWaterMark overBridge, insideOffice;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(STAMPWELL_CORPUS_DIR "/xls"))
    if (entry.path().extension() == ".xls") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  int compared = 0;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string name = file.filename().string();
    SetStampsInOffice(false);
    const long long before = StampsMadeInOffice();
    std::string bridge;
    try {
      bridge = StampAndRead(overBridge, reader, file, out / ("bridge-" + name));
    } catch (const std::exception&) {
      bridge = "failed";
    }
    EXPECT_EQ(StampsMadeInOffice(), before);
    SetStampsInOffice(true);
    std::string inside;
    try {
      inside = StampAndRead(insideOffice, reader, file, out / ("inside-" + name));
    } catch (const std::exception&) {
      inside = "failed";
    }
    EXPECT_EQ(inside, bridge);
    if (inside.empty() || inside == "failed") continue;
    EXPECT_NE(inside, "(no mark)");
    EXPECT_EQ(StampsMadeInOffice(), before + 1) << "stamped inside the office";
    ++compared;
  }
  SetStampsInOffice(true);
  overBridge.CloseExcelApp();
  insideOffice.CloseExcelApp();
  reader.Call("Quit");
  EXPECT_GT(compared, 15) << "most of the corpus opens";
}

TEST(InOfficeStamp, WithoutTheComponentTheStampIsMadeOverTheBridge) {
  RegisterLibreOfficeServers();
  test::TempDir out;
  SetInOfficeComponentsFile(out / "none.components");
  OleVariant reader = CreateOleObject("Excel.Application");
  const long long before = StampsMadeInOffice();
  TXlsWaterMark engine;
  const std::string marks =
      StampAndRead(engine, reader, fs::path(STAMPWELL_CORPUS_DIR) / "xls/poi__TwoSheetsOneHidden.xls",
                   out / "a.xls");
  engine.CloseExcelApp();
  SetInOfficeComponentsFile("");
  reader.Call("Quit");
  EXPECT_EQ(StampsMadeInOffice(), before);
  EXPECT_NE(marks.find("QuillmarkWaterMarkObject1"), std::string::npos) << marks;
}

TEST(InOfficeStamp, CorpusPresentationsGetTheirMarkOnTheSamePagesInsideTheOfficeAsOverTheBridge) {
  ASSERT_NE(InOfficeComponentsFile(), "");
  auto process = TOfficeProcess::Start(false);
  const auto stamper = process->Guard([&] { return process->InOfficeStamper(); });
  ASSERT_TRUE(stamper.is());
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(STAMPWELL_CORPUS_DIR "/ppt"))
    if (entry.path().extension() == ".ppt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  int compared = 0, withCopies = 0;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    std::shared_ptr<TOfficeDocument> doc;
    try {
      doc = process->Guard(
          [&] { return TOfficeDocument::Open(process, OfficeKind::Impress, file, true, true); });
    } catch (const std::exception&) {
      continue;  // protected or damaged: neither way opens it
    }
    std::vector<css::uno::Reference<css::drawing::XShapes>> bridge;
    css::uno::Sequence<css::uno::Reference<css::uno::XInterface>> inside;
    process->Guard([&] {
      bridge = PresentationPagesToMark(doc);
      in_office::Run(stamper, in_office::kImpressPagesToMark,
                     {{in_office::kModel, css::uno::Any(doc->Model())}}) >>= inside;
      return 0;
    });
    EXPECT_FALSE(bridge.empty());
    ASSERT_EQ(std::size_t(inside.getLength()), bridge.size());
    for (std::size_t i = 0; i < bridge.size(); ++i)
      EXPECT_TRUE(bridge[i] == inside[sal_Int32(i)]) << "page " << i;
    if (bridge.size() > 1) ++withCopies;
    process->Guard([&] {
      doc->Close();
      return 0;
    });
    ++compared;
  }
  process->Quit();
  EXPECT_GT(compared, 12) << "most of the corpus opens";
  EXPECT_GE(withCopies, 3) << "the corpus has decks whose mark goes on more than one page";
}

}  // namespace
}  // namespace stampwell
