// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/xls_water_mark.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>

#include "office/automation/automation.h"
#include "office/office_shapes.h"
#include "pdf/pdf_stack.h"
#include "platform/message_sink.h"

namespace stampwell {

TXlsWaterMark::TXlsWaterMark() {
  DocSettings.DocWaterMarkStr = "confidential";
  DocSettings.DocFontName = "Times New Roman";
}

// The start failure is told once per engine, with its reason; a later file that cannot
// start the application fails its open without telling it again.
void TXlsWaterMark::StartFailed(const std::string& reason) {
  if (startFailureShown_) return;
  startFailureShown_ = true;
  const std::string text =
      "Excel open failed,please make sure your excel worked at first\xEF\xBC\x81";
  ShowMessage(reason.empty() ? text : text + "\n" + reason);
}

void TXlsWaterMark::OpenExcelApp() {
  try {
    app_ = StartOfficeApplication("Excel.Application");
  } catch (const std::exception& e) {
    StartFailed(e.what());
  } catch (...) {
    StartFailed("");
  }
}

void TXlsWaterMark::CloseExcelApp() {
  app_.Call("Quit");
  app_ = OleVariant();
  CoUninitialize();
}

bool TXlsWaterMark::OpenXls(const std::string& path) {
  fileName_ = path;
  OfficeEndedOnOpen = false;
  try {
    if (app_.IsEmpty()) OpenExcelApp();
    OleVariant doc = app_.Get("workBooks").Call("Open", {path});
    doc_ = doc;
    return true;
  } catch (const EOfficeEnded&) {
    OfficeEndedOnOpen = true;
    return false;
  } catch (...) {
    return false;
  }
}

void TXlsWaterMark::closeXls(bool save) {
  if (save)
    doc_.Call("Save");
  else
    doc_.Call("Close");
}

void TXlsWaterMark::SaveAs(const std::string& path) { doc_.Call("SaveAs", {path}); }

namespace {

// The size of the mark before it is fitted to a page: 400 x 80 points.
constexpr double kMarkWidth = 400;
constexpr double kMarkHeight = 80;
// Of a page area, the share the mark's (turned) box may take.
constexpr double kPageShare = 0.9;
// Of the paper within its margins, the share a page area may take beyond its cells: the rows
// and columns under the mark's far edge must not reach the next page.
constexpr double kPaperShare = 0.94;
// The rows and columns every format of a workbook has (those of an .xls).
constexpr int kSheetRows = 65536;
constexpr int kSheetColumns = 256;
// Where a mark goes on a sheet that prints nothing (only with ActiveSheetOnly): a page-sized
// area from the sheet's corner, so that the mark lies wholly on the sheet.
constexpr RPageArea kFallbackArea{0, 0, 480, 480};

// "A" for 1, "Z" for 26, "AA" for 27.
std::string ColumnName(int column) {
  std::string name;
  for (; column > 0; column = (column - 1) / 26)
    name.insert(name.begin(), char('A' + (column - 1) % 26));
  return name;
}

// "$C$7" (dollars optional) as its row and column; false when it is not a cell reference.
bool ParseCell(const std::string& text, int& row, int& column) {
  std::size_t i = 0;
  auto skipDollar = [&] {
    if (i < text.size() && text[i] == '$') ++i;
  };
  skipDollar();
  column = 0;
  const std::size_t letters = i;
  while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])))
    column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i++])) - 'A' + 1);
  if (i == letters || i - letters > 3) return false;
  skipDollar();
  row = 0;
  const std::size_t digits = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && row < 10000000)
    row = row * 10 + (text[i++] - '0');
  return i > digits && i == text.size() && row > 0;
}

}  // namespace

double WholeLinesWithin(double size, double limit, int most,
                        const std::function<double(int)>& sizeWith) {
  // Lines only ever grow the size: the first size over the limit is found by doubling, then
  // halving.
  int fits = 0, over = 0;
  double best = size;
  for (int more = 1; fits < most; more = std::min(more * 2, most)) {
    const double with = sizeWith(more);
    if (with > limit) {
      over = more;
      break;
    }
    fits = more;
    best = with;
  }
  if (over == 0) return best;
  while (over - fits > 1) {
    const int mid = fits + (over - fits) / 2;
    const double with = sizeWith(mid);
    if (with > limit) {
      over = mid;
    } else {
      fits = mid;
      best = with;
    }
  }
  return best;
}

std::vector<RCellBlock> ParsePrintArea(const std::string& text) {
  std::vector<RCellBlock> blocks;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    // A sheet name before the range ("Sheet1!$A$1:$B$2") is the sheet's own.
    if (const auto bang = part.rfind('!'); bang != std::string::npos) part = part.substr(bang + 1);
    const auto colon = part.find(':');
    RCellBlock b;
    const bool ok =
        colon == std::string::npos
            ? ParseCell(part, b.FirstRow, b.FirstColumn) && ParseCell(part, b.LastRow, b.LastColumn)
            : ParseCell(part.substr(0, colon), b.FirstRow, b.FirstColumn) &&
                  ParseCell(part.substr(colon + 1), b.LastRow, b.LastColumn);
    if (ok) {
      if (b.LastRow < b.FirstRow) std::swap(b.LastRow, b.FirstRow);
      if (b.LastColumn < b.FirstColumn) std::swap(b.LastColumn, b.FirstColumn);
      blocks.push_back(b);
    }
    start = end + 1;
  }
  return blocks;
}

std::vector<RCellBlock> SplitIntoPages(const RCellBlock& block, std::vector<int> rowBreaks,
                                       std::vector<int> columnBreaks) {
  auto bands = [](int first, int last, std::vector<int> breaks) {
    std::sort(breaks.begin(), breaks.end());
    std::vector<std::pair<int, int>> result;
    int from = first;
    for (int b : breaks) {
      if (b <= from || b > last) continue;
      result.push_back({from, b - 1});
      from = b;
    }
    result.push_back({from, last});
    return result;
  };
  std::vector<RCellBlock> pages;
  // Down, then over: the order the office prints its pages in by default.
  for (const auto& [c0, c1] : bands(block.FirstColumn, block.LastColumn, std::move(columnBreaks)))
    for (const auto& [r0, r1] : bands(block.FirstRow, block.LastRow, rowBreaks))
      pages.push_back({r0, c0, r1, c1});
  return pages;
}

RMarkBox FitMark(const RPageArea& area, bool oblique) {
  // The box the mark covers once turned: for 45 degrees, (w + h) / sqrt(2) each way.
  const double turned = (kMarkWidth + kMarkHeight) / std::sqrt(2.0);
  const double boxWidth = oblique ? turned : kMarkWidth;
  const double boxHeight = oblique ? turned : kMarkHeight;
  double scale = 1.0;
  if (area.Width > 0) scale = std::min(scale, kPageShare * area.Width / boxWidth);
  if (area.Height > 0) scale = std::min(scale, kPageShare * area.Height / boxHeight);
  RMarkBox box;
  box.Width = std::round(kMarkWidth * scale * 100) / 100;
  box.Height = std::round(kMarkHeight * scale * 100) / 100;
  box.Left = std::round((area.Left + area.Width / 2 - box.Width / 2) * 100) / 100;
  box.Top = std::round((area.Top + area.Height / 2 - box.Height / 2) * 100) / 100;
  return box;
}

bool IsOurSheetMarkName(const std::string& name) {
  const std::string prefix = kWaterMarkPrefix;
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 9) return false;
  if (name.compare(0, prefix.size(), prefix) != 0 || name[prefix.size()] == '0') return false;
  return name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

// Every sheet that prints gets a mark on each of its printed pages, named "<prefix><page>"
// (so the first page's keeps the name of the single mark of earlier versions); with
// ActiveSheetOnly, the sheet the workbook shows gets one, on its first page. Earlier marks
// (any "<prefix><number>") go first, before the pages are counted: the office counts the
// area a drawing covers as printed.
void TXlsWaterMark::AddWaterMark() {
  const int size = ParseWatermarkSize(DocSettings.DocWatermarkSize);
  if (StampInOffice) {
    // Only a true answer means done: an Excel that has no such member answers otherwise.
    const OleVariant done =
        doc_.Call("StampInOffice",
                  {DocSettings.DocWaterMarkStr, DocSettings.DocFontName,
                   DocSettings.DocWatermarkSize,
                   static_cast<std::int32_t>(DocSettings.DocWatermarkColor),
                   DocSettings.Transparent, DocSettings.HX, ActiveSheetOnly});
    if (done.Type() == VarType::Bool && done.AsBool()) return;
  }
  std::vector<OleVariant> sheets;
  if (ActiveSheetOnly) {
    sheets.push_back(app_.Get("ActiveSheet"));
  } else {
    const OleVariant all = doc_.Get("Worksheets");
    const int count = all.Get("Count").AsInt();
    for (int i = 1; i <= count; ++i) {
      OleVariant sheet = all.Get("Item", {i});
      // Hidden sheets do not print.
      if (sheet.Get("Visible").AsInt() == -1) sheets.push_back(sheet);
    }
  }
  for (const OleVariant& sheet : sheets) {
    const OleVariant shapes = sheet.Get("Shapes");
    const int count = shapes.Get("Count").AsInt();
    for (int i = count; i >= 1; --i) {
      OleVariant item = shapes.Get("Item", {i});
      if (IsOurSheetMarkName(item.Get("Name").AsString())) item.Call("Delete");
    }
  }
  std::vector<std::vector<RPageArea>> areas;
  bool anyPage = false;
  for (const OleVariant& sheet : sheets) {
    areas.push_back(PageAreas(sheet));
    anyPage = anyPage || !areas.back().empty();
  }
  // A workbook with nothing to print still prints one page (its first sheet's, with its
  // header and footer): that page gets the mark too. So does the shown sheet with
  // ActiveSheetOnly, as it always had one.
  if (!anyPage && !areas.empty()) areas.front().push_back(kFallbackArea);
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (ActiveSheetOnly) areas[i].resize(1);
    const OleVariant shapes = sheets[i].Get("Shapes");
    for (std::size_t k = 0; k < areas[i].size(); ++k)
      InsertMark(shapes, kWaterMarkPrefix + std::to_string(k + 1), size, areas[i][k]);
  }
}

RPageArea PaperPoints(int paperSize, bool landscape) {
  RPageArea paper{0, 0, 595, 842};  // A4, and whatever is not listed
  switch (paperSize) {
    case 1:
      paper = {0, 0, 612, 792};
      break;  // Letter
    case 5:
      paper = {0, 0, 612, 1008};
      break;  // Legal
    case 8:
      paper = {0, 0, 842, 1191};
      break;  // A3
    case 11:
      paper = {0, 0, 420, 595};
      break;  // A5
    case 13:
      paper = {0, 0, 516, 729};
      break;  // B5
    default:
      break;
  }
  if (landscape) std::swap(paper.Width, paper.Height);
  return paper;
}

std::vector<RPageArea> TXlsWaterMark::PageAreas(const OleVariant& sheet) const {
  const OleVariant setup = sheet.Get("PageSetup");
  const std::vector<RCellBlock> ranges = ParsePrintArea(setup.Get("PrintArea").AsString());
  std::vector<RCellBlock> blocks = ranges;
  // The cells from A1 to the last row and column of what the sheet holds; none (last row 0)
  // when it holds nothing. Asked for once, when needed.
  std::optional<RCellBlock> usedCells;
  auto used = [&]() -> const RCellBlock& {
    if (usedCells) return *usedCells;
    const OleVariant range = sheet.Get("UsedRange");
    usedCells = RCellBlock{1, 1, 0, 0};
    if (range.Get("Address").AsString() != "$A$1" || !range.Get("Text").AsString().empty()) {
      usedCells->LastRow = range.Get("Row").AsInt() + range.Get("Rows").Get("Count").AsInt() - 1;
      usedCells->LastColumn =
          range.Get("Column").AsInt() + range.Get("Columns").Get("Count").AsInt() - 1;
    }
    return *usedCells;
  };
  if (blocks.empty()) {
    // No print range: the sheet prints from its first cell to the end of what it holds.
    if (used().LastRow == 0) return {};  // nothing to print
    blocks.push_back(used());
  }
  // What one printed page holds, in the sheet's points: the paper within its margins, at the
  // print scale. A sheet fitted to a number of pages (Zoom false) is only ever made smaller:
  // one whose cells fit on one paper as they are prints at full size, and that paper is its
  // page; one made smaller has no such measure.
  RPageArea printable;
  const OleVariant zoom = setup.Get("Zoom");
  const bool fitted = zoom.Type() == VarType::Bool;
  if (fitted || zoom.AsDouble() > 0) {
    const RPageArea paper =
        PaperPoints(setup.Get("PaperSize").AsInt(), setup.Get("Orientation").AsInt() == 2);
    const double scale = fitted ? 1.0 : 100.0 / zoom.AsDouble();
    printable.Width =
        (paper.Width - setup.Get("LeftMargin").AsDouble() - setup.Get("RightMargin").AsDouble()) *
        scale;
    printable.Height =
        (paper.Height - setup.Get("TopMargin").AsDouble() - setup.Get("BottomMargin").AsDouble()) *
        scale;
  }
  auto breaks = [&sheet](const char* collection, const char* member) {
    std::vector<int> at;
    const OleVariant list = sheet.Get(collection);
    const int count = list.Get("Count").AsInt();
    for (int i = 1; i <= count; ++i)
      at.push_back(list.Get("Item", {i}).Get("Location").Get(member).AsInt());
    return at;
  };
  // Asking for the page breaks has the office paginate the sheet, which costs far more than
  // the rest of the stamp: a sheet whose cells fit on one paper has one page, found without.
  // (A manual page break inside such a small sheet is not seen; a verified run would tell.)
  auto rangeOf = [&sheet](const RCellBlock& block) {
    return sheet.Get("Range", {ColumnName(block.FirstColumn) + std::to_string(block.FirstRow) +
                               ":" + ColumnName(block.LastColumn) + std::to_string(block.LastRow)});
  };
  // The one block's range, when it was asked for to see whether it fits: then it is the page.
  std::optional<OleVariant> blockRange;
  auto fits = [&](const RCellBlock& block) {
    if (printable.Width <= 0 || printable.Height <= 0) return false;
    blockRange = rangeOf(block);
    return blockRange->Get("Width").AsDouble() <= printable.Width &&
           blockRange->Get("Height").AsDouble() <= printable.Height;
  };
  const bool onePage = blocks.size() == 1 && fits(blocks.front());
  if (fitted && !onePage) printable = RPageArea{};  // shrunk to fit: no measure of its page
  const std::vector<int> rows = onePage ? std::vector<int>{} : breaks("HPageBreaks", "Row");
  const std::vector<int> columns = onePage ? std::vector<int>{} : breaks("VPageBreaks", "Column");
  std::vector<RPageArea> areas;
  for (const RCellBlock& block : blocks)
    for (const RCellBlock& page : SplitIntoPages(block, rows, columns)) {
      const OleVariant range = onePage && blockRange ? *blockRange : rangeOf(page);
      RPageArea area{range.Get("Left").AsDouble(), range.Get("Top").AsDouble(),
                     range.Get("Width").AsDouble(), range.Get("Height").AsDouble()};
      // The last page down (across) of a block prints only part of its paper with cells: the
      // mark may take the rest of that paper too, as the office prints what lies under a drawing
      // (a single print range grows to take it in). Not so among several print ranges, nor
      // where the sheet holds something beyond its print range that way: the range must not
      // grow over what the user left out of the printout.
      // The range grows by whole rows and columns, those under the mark's far edge included:
      // the mark ends where the last whole row (column) that still fits on that paper ends,
      // else the range would take in a column the paper cannot hold, printed on a page of its
      // own without the mark.
      if (ranges.size() <= 1) {
        // The page's height with more rows below it; its width with more columns beside it.
        auto heightWith = [&](int more) {
          const RCellBlock rows{page.FirstRow, page.FirstColumn, page.LastRow + more,
                                page.FirstColumn};
          return rangeOf(rows).Get("Height").AsDouble();
        };
        auto widthWith = [&](int more) {
          const RCellBlock columns{page.FirstRow, page.FirstColumn, page.FirstRow,
                                   page.LastColumn + more};
          return rangeOf(columns).Get("Width").AsDouble();
        };
        if (page.LastRow == block.LastRow && area.Height < printable.Height * kPaperShare &&
            used().LastRow <= block.LastRow)
          area.Height = WholeLinesWithin(area.Height, printable.Height * kPaperShare,
                                         kSheetRows - page.LastRow, heightWith);
        if (page.LastColumn == block.LastColumn && area.Width < printable.Width * kPaperShare &&
            used().LastColumn <= block.LastColumn)
          area.Width = WholeLinesWithin(area.Width, printable.Width * kPaperShare,
                                        kSheetColumns - page.LastColumn, widthWith);
      }
      areas.push_back(area);
    }
  return areas;
}

void TXlsWaterMark::InsertMark(const OleVariant& shapes, const std::string& name, int size,
                               const RPageArea& area) {
  const RMarkBox box = FitMark(area, DocSettings.HX);
  OleVariant shape = shapes.Call("AddTextEffect", TextEffectArgs(DocSettings, size, 50, 50));
  shape.Put("Name", name);
  ApplyFillAndLine(shape, DocSettings);
  // In front of the sheet's other drawings: a picture or chart must not hide the mark.
  shape.Call("ZOrder", {0});
  shape.Put("Height", box.Height);
  shape.Put("Width", box.Width);
  shape.Put("Left", box.Left);
  shape.Put("Top", box.Top);
}

OleVariant TXlsWaterMark::Shapes() const { return app_.Get("ActiveSheet").Get("Shapes"); }

void TXlsWaterMark::deleteWaterMark(const std::string& name) {
  WalkShapes([this] { return Shapes(); }, name, true);
}

bool TXlsWaterMark::WaterMarkExists(const std::string& name) {
  return WalkShapes([this] { return Shapes(); }, name, false);
}

void TXlsWaterMark::InsertWaterMarkShape(const std::string& name) {
  const int size = ParseWatermarkSize(DocSettings.DocWatermarkSize);
  InsertMark(Shapes(), name, size, kFallbackArea);
}

void TXlsWaterMark::PrintToPDF() {
  if (!PDFStack) throw std::logic_error("TXlsWaterMark::PrintToPDF: no TPDFStack set");
  std::vector<OleVariant> args = WithPlaceholders({}, 4);
  args.push_back(PDFStack->PDFPrinterName);
  doc_.Call("PrintOut", WithPlaceholders(std::move(args), 3));
}

void TXlsWaterMark::PrintToPDFFile(const std::string& /*path*/) { PrintToPDF(); }

}  // namespace stampwell
