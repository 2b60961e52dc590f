// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "office/xls_water_mark.h"
#include "support/recording_server.h"

namespace stampwell::test {

// Makes every Range of the sheet at path sheet answer its place and size as if each column
// were 50 points wide and each row 15 high.
inline void ScriptRangeSizes(RecordingServer& server, const std::string& sheet) {
  server.SetHandler(sheet, "Range", [&server, sheet](const std::vector<OleVariant>& args) {
    const RCellBlock b = ParsePrintArea(args.at(0).AsString()).at(0);
    const std::string path = sheet + ".Range(\"" + args.at(0).AsString() + "\")";
    server.SetValue(path, "Left", (b.FirstColumn - 1) * 50.0);
    server.SetValue(path, "Top", (b.FirstRow - 1) * 15.0);
    server.SetValue(path, "Width", (b.LastColumn - b.FirstColumn + 1) * 50.0);
    server.SetValue(path, "Height", (b.LastRow - b.FirstRow + 1) * 15.0);
    return server.Object(path);
  });
}

// Scripts the workbook at path book ("App.workBooks.Open") as one visible sheet that prints
// on one page (A1:E20, 250 x 300 points, fitted to an A4 page with 50-point margins, nothing
// beyond it), with no shapes: what the Excel engine asks for when it stamps every printed
// page.
inline void ScriptOneSheetWorkbook(RecordingServer& server, const std::string& book) {
  const std::string sheet = book + ".Worksheets.Item(1)";
  server.SetValue(book + ".Worksheets", "Count", 1);
  server.SetValue(sheet, "Visible", -1);
  server.SetValue(sheet + ".PageSetup", "PrintArea", "$A$1:$E$20");
  server.SetValue(sheet + ".PageSetup", "Zoom", false);
  server.SetValue(sheet + ".PageSetup", "PaperSize", 9);
  server.SetValue(sheet + ".PageSetup", "Orientation", 1);
  for (const char* margin : {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"})
    server.SetValue(sheet + ".PageSetup", margin, 50.0);
  server.SetValue(sheet + ".UsedRange", "Address", "$A$1:$E$20");
  server.SetValue(sheet + ".UsedRange", "Text", "");
  server.SetValue(sheet + ".UsedRange", "Row", 1);
  server.SetValue(sheet + ".UsedRange", "Column", 1);
  server.SetValue(sheet + ".UsedRange.Rows", "Count", 20);
  server.SetValue(sheet + ".UsedRange.Columns", "Count", 5);
  server.SetValue(sheet + ".HPageBreaks", "Count", 0);
  server.SetValue(sheet + ".VPageBreaks", "Count", 0);
  ScriptRangeSizes(server, sheet);  // A1:E20: 250 by 300 points
  server.SetShapes(sheet + ".Shapes", {});
}

}  // namespace stampwell::test
