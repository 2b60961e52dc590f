// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "office/ooxml/package_stamps.h"
#include "office/ooxml/xml_part.h"

namespace stampwell::ooxml {

namespace {

constexpr char kDrawingType[] = "application/vnd.openxmlformats-officedocument.drawing+xml";
constexpr char kDrawingRel[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing";

// Worksheet children that come after <drawing> in the schema's order.
const std::set<std::string> kAfterDrawing = {
    "legacyDrawing", "legacyDrawingHF", "drawingHF", "picture",   "oleObjects",
    "controls",      "webPublishItems", "tableParts", "extLst",   "AlternateContent"};

// "BC12" -> column 55, row 12 (1-based); false for anything else.
bool ParseCell(const std::string& ref, int& col, int& row) {
  std::size_t i = 0;
  col = 0;
  row = 0;
  if (i < ref.size() && ref[i] == '$') ++i;
  while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])))
    col = col * 26 + (std::toupper(static_cast<unsigned char>(ref[i++])) - 'A' + 1);
  if (i < ref.size() && ref[i] == '$') ++i;
  while (i < ref.size() && std::isdigit(static_cast<unsigned char>(ref[i])))
    row = row * 10 + (ref[i++] - '0');
  return i == ref.size() && col > 0 && row > 0 && col <= 16384 && row <= 1048576;
}

// A print area's first range ("'My sheet'!$A$1:$H$40,..." -> A1, H40).
bool ParseArea(const std::string& text, int& c0, int& r0, int& c1, int& r1) {
  std::string range = text.substr(0, text.find(','));
  const auto bang = range.rfind('!');
  if (bang != std::string::npos) range = range.substr(bang + 1);
  const auto colon = range.find(':');
  if (colon == std::string::npos) return ParseCell(range, c0, r0) && ParseCell(range, c1, r1);
  return ParseCell(range.substr(0, colon), c0, r0) && ParseCell(range.substr(colon + 1), c1, r1);
}

// Printable size in points of the paper sizes the spreadsheet format numbers.
bool PaperSize(int code, double& w, double& h) {
  switch (code) {
    case 1: w = 612; h = 792; return true;     // Letter
    case 5: w = 612; h = 1008; return true;    // Legal
    case 8: w = 841.9; h = 1190.6; return true;  // A3
    case 9: w = 595.3; h = 841.9; return true;   // A4
    case 11: w = 419.5; h = 595.3; return true;  // A5
    case 12: w = 728.5; h = 1031.8; return true; // B4
    case 13: w = 515.9; h = 728.5; return true;  // B5
    default: return false;
  }
}

// One sheet's grid as the printer sees it: column widths and row heights in points.
struct RGrid {
  std::map<int, double> colWidth, rowHeight;  // where they differ from the default
  double defaultCol = 48, defaultRow = 15;
  double Col(int c) const {
    const auto at = colWidth.find(c);
    return at == colWidth.end() ? defaultCol : at->second;
  }
  double Row(int r) const {
    const auto at = rowHeight.find(r);
    return at == rowHeight.end() ? defaultRow : at->second;
  }
};

// A printed page's cells, first and last column and row (1-based, inclusive).
struct RPageArea {
  int c0, r0, c1, r1;
};

// Splits first..last into pages of at most capacity points (a line wider than a page is a
// page of its own); breaks start a new page at the given index. The last page takes further
// lines up to line reach while they fit in share of the page, so that the page's area is
// (that share of) a whole page.
std::vector<std::pair<int, int>> SplitLines(int first, int last, double capacity,
                                            const std::set<int>& breaks,
                                            const std::function<double(int)>& size, int reach,
                                            double share = 1) {
  std::vector<std::pair<int, int>> pages;
  int start = first;
  double used = 0;
  for (int i = first; i <= last; ++i) {
    const double s = size(i);
    if (i > start && (breaks.count(i) || used + s > capacity)) {
      pages.emplace_back(start, i - 1);
      start = i;
      used = 0;
    }
    used += s;
  }
  int end = last;
  while (end < reach && !breaks.count(end + 1) && used + size(end + 1) <= capacity * share)
    used += size(++end);
  pages.emplace_back(start, end);
  return pages;
}

struct RSheetPlan {
  std::vector<RPageArea> pages;
  RGrid grid;
  // The print range grown over blank cells (see PlanSheet); unset when it stays as it is.
  std::optional<RPageArea> grownArea;
};

// What a sheet's plan needs besides the sheet itself.
struct RPlanInput {
  std::string printArea;  // the sheet's print range, as the workbook names it; "" for none
  bool firstPageOnly = false;
  // The cells the corners of the sheet's other shapes lie on (column, row; 1-based).
  std::vector<std::pair<int, int>> drawnCorners;
  // By cell format index: whether a cell of that format shows on paper without a value
  // (a fill or a border).
  std::vector<bool> formatShows;
};

// The page areas of a worksheet as its page setup divides the printed range: the print
// area when one is defined, else from A1 to the last cell holding something. Empty when
// nothing of the sheet prints.
RSheetPlan PlanSheet(const pugi::xml_node& ws, const std::string& s, const RPlanInput& in) {
  const std::string& printArea = in.printArea;
  const bool firstPageOnly = in.firstPageOnly;
  int drawnCol = 0, drawnRow = 0;
  for (const auto& [col, row] : in.drawnCorners) {
    drawnCol = std::max(drawnCol, col);
    drawnRow = std::max(drawnRow, row);
  }
  auto shows = [&](const pugi::xml_node& n) {
    const int format = n.attribute("s").as_int(0);
    return format > 0 && format < int(in.formatShows.size()) && in.formatShows[format];
  };
  // Lines beyond the printed range whose cells show on paper though they hold nothing.
  std::vector<std::pair<int, int>> shownCols;  // from, to
  std::set<int> shownRows;
  RSheetPlan plan;
  RGrid& grid = plan.grid;
  auto child = [&](const pugi::xml_node& n, const char* name) { return n.child((s + name).c_str()); };
  if (const auto fmt = child(ws, "sheetFormatPr")) {
    if (fmt.attribute("defaultColWidth"))
      grid.defaultCol = fmt.attribute("defaultColWidth").as_double() * 5.25;
    else if (fmt.attribute("baseColWidth"))
      grid.defaultCol = std::ceil((fmt.attribute("baseColWidth").as_double() * 7 + 5) / 8) * 8 * 0.75;
    if (fmt.attribute("defaultRowHeight"))
      grid.defaultRow = fmt.attribute("defaultRowHeight").as_double(15);
  }
  const std::string colName = s + "col", rowName = s + "row", cellName = s + "c",
                    breakName = s + "brk";
  for (const auto& col : child(ws, "cols").children(colName.c_str())) {
    const int from = col.attribute("min").as_int(), to = std::min(col.attribute("max").as_int(), 16384);
    const bool hidden = col.attribute("hidden").as_bool();
    const double width = hidden ? 0 : col.attribute("width").as_double(grid.defaultCol / 5.25) * 5.25;
    if (shows(col)) shownCols.emplace_back(std::max(from, 1), to);
    for (int c = std::max(from, 1); c <= to && c <= 1024; ++c) grid.colWidth[c] = width;
  }
  int lastRow = 0, lastCol = 0;
  std::vector<std::pair<int, int>> filledCells;  // column, row of every cell holding something
  int rowNumber = 0;
  for (const auto& row : child(ws, "sheetData").children(rowName.c_str())) {
    rowNumber = row.attribute("r").as_int(rowNumber + 1);
    if (row.attribute("hidden").as_bool())
      grid.rowHeight[rowNumber] = 0;
    else if (row.attribute("ht"))
      grid.rowHeight[rowNumber] = row.attribute("ht").as_double(grid.defaultRow);
    if (row.attribute("customFormat").as_bool() && shows(row)) shownRows.insert(rowNumber);
    int colNumber = 0;
    for (const auto& c : row.children(cellName.c_str())) {
      int col = colNumber + 1, r = rowNumber;
      if (c.attribute("r")) ParseCell(c.attribute("r").value(), col, r);
      colNumber = col;
      const auto v = child(c, "v");
      const bool filled = (v && *v.text().get()) || child(c, "is") || child(c, "f");
      if (filled || shows(c)) filledCells.emplace_back(col, rowNumber);
      if (!filled) continue;
      lastRow = std::max(lastRow, rowNumber);
      lastCol = std::max(lastCol, col);
    }
  }
  // Shapes and charts print too: the range reaches the last cell they lie on.
  lastCol = std::max(lastCol, drawnCol);
  lastRow = std::max(lastRow, drawnRow);
  int c0 = 1, r0 = 1, c1 = lastCol, r1 = lastRow;
  const bool hasArea = !printArea.empty() && ParseArea(printArea, c0, r0, c1, r1);
  // Several print ranges print each on pages of its own: only the first is planned, as is.
  const bool oneArea = hasArea && printArea.find(',') == std::string::npos;
  if (!hasArea && (lastRow == 0 || lastCol == 0)) {
    if (!firstPageOnly) return plan;
    c1 = r1 = 1;
  }

  // The paper: the one the sheet names, else what fits both A4 and Letter.
  double paperW = 595.3, paperH = 792;
  const auto setup = child(ws, "pageSetup");
  PaperSize(setup.attribute("paperSize").as_int(0), paperW, paperH);
  if (std::string(setup.attribute("orientation").value()) == "landscape") std::swap(paperW, paperH);
  const auto margins = child(ws, "pageMargins");
  const double left = margins.attribute("left").as_double(0.7) * 72;
  const double right = margins.attribute("right").as_double(0.7) * 72;
  const double top = margins.attribute("top").as_double(0.75) * 72;
  const double bottom = margins.attribute("bottom").as_double(0.75) * 72;
  // A little less than the page holds: the reader's own layout rounds differently.
  double pageW = std::max(72.0, (paperW - left - right) * 0.97);
  double pageH = std::max(72.0, (paperH - top - bottom) * 0.97);

  std::set<int> rowBreaks, colBreaks;
  for (const auto& b : child(ws, "rowBreaks").children(breakName.c_str()))
    rowBreaks.insert(b.attribute("id").as_int() + 1);
  for (const auto& b : child(ws, "colBreaks").children(breakName.c_str()))
    colBreaks.insert(b.attribute("id").as_int() + 1);

  auto colSize = [&](int c) { return grid.Col(c); };
  auto rowSize = [&](int r) { return grid.Row(r); };
  const bool fit = child(child(ws, "sheetPr"), "pageSetUpPr").attribute("fitToPage").as_bool();
  double scale = 1;
  if (fit) {
    double totalW = 0, totalH = 0;
    for (int c = c0; c <= c1; ++c) totalW += grid.Col(c);
    for (int r = r0; r <= r1; ++r) totalH += grid.Row(r);
    const int wide = setup.attribute("fitToWidth").as_int(1);
    const int tall = setup.attribute("fitToHeight").as_int(1);
    if (wide > 0 && totalW > 0) scale = std::min(scale, wide * pageW / totalW);
    if (tall > 0 && totalH > 0) scale = std::min(scale, tall * pageH / totalH);
  } else if (setup.attribute("scale")) {
    scale = std::clamp(setup.attribute("scale").as_double(100), 10.0, 400.0) / 100;
  }
  pageW /= scale;
  pageH /= scale;
  // The last page down (across) prints only part of its paper with cells. A sheet printed
  // whole prints what lies on the rest of that paper, so the page's area takes it in. A print
  // range prints nothing beyond itself, and a mark kept inside a last page far smaller than
  // its paper (a range of one row) would be too small to read: that range grows to take in
  // the rest of the page, and only so far as it is blank (no cell holding a value, a fill or a
  // border, no shape, no printed grid or headings), so that the printout shows nothing the user
  // left out of it. It grows no further than the page holds at the scale it prints at (a
  // fitted range keeps its fit). Several print ranges, and a fitted sheet printed whole, keep
  // to what they print.
  int reachCol = c1, reachRow = r1;
  const auto printed = child(ws, "printOptions");
  const bool marksBlank =
      !printed.attribute("gridLines").as_bool() && !printed.attribute("headings").as_bool();
  if (!hasArea && !fit) {
    reachCol = c1 + 512;
    reachRow = r1 + 512;
  } else if (oneArea && marksBlank) {
    reachCol = std::min(16384, c1 + 512);
    reachRow = std::min(1048576, r1 + 512);
    // A cell right of the range keeps the columns from reaching it, whatever its row; one
    // below it, the rows.
    auto stopAt = [&](int col, int row) {
      if (col > c1)
        reachCol = std::min(reachCol, col - 1);
      else if (col >= c0 && row > r1)
        reachRow = std::min(reachRow, row - 1);
    };
    for (const auto& [col, row] : filledCells) stopAt(col, row);
    for (const auto& [col, row] : in.drawnCorners) stopAt(col, row);
    for (const int row : shownRows) stopAt(c0, row);
    for (const auto& [from, to] : shownCols) {
      if (from <= c1 && to >= c0) reachRow = r1;  // a shaded column would print further down
      if (to > c1) stopAt(std::max(from, c1 + 1), 0);
    }
  }
  auto cols = SplitLines(c0, c1, pageW, colBreaks, colSize, hasArea ? c1 : reachCol);
  auto rows = SplitLines(r0, r1, pageH, rowBreaks, rowSize, hasArea ? r1 : reachRow);
  if (hasArea) {
    // Only a last page under a quarter of its paper either way grows: a larger one holds a
    // readable mark. It grows to at most 80 % of the page each way, as a reader whose cells
    // are wider must still find the grown range on that one page.
    auto extent = [](const std::pair<int, int>& page, const std::function<double(int)>& size) {
      double total = 0;
      for (int i = page.first; i <= page.second; ++i) total += size(i);
      return total;
    };
    if (extent(cols.back(), colSize) < pageW / 4 || extent(rows.back(), rowSize) < pageH / 4) {
      constexpr double kGrownShare = 0.8;
      cols = SplitLines(c0, c1, pageW, colBreaks, colSize, reachCol, kGrownShare);
      rows = SplitLines(r0, r1, pageH, rowBreaks, rowSize, reachRow, kGrownShare);
    }
    if (cols.back().second > c1 || rows.back().second > r1)
      plan.grownArea = RPageArea{c0, r0, cols.back().second, rows.back().second};
  }
  for (const auto& [rr0, rr1] : rows)
    for (const auto& [cc0, cc1] : cols) {
      plan.pages.push_back({cc0, rr0, cc1, rr1});
      if (firstPageOnly) return plan;
    }
  return plan;
}

// The cell and offset (EMU) of a distance along a line of cells starting at first.
std::pair<int, long long> CellAt(double points, int first, const std::function<double(int)>& size) {
  int i = first;
  for (int guard = 0; guard < 20000; ++guard, ++i) {
    const double s = size(i);
    if (points < s) break;
    points -= s;
  }
  return {i, std::llround(std::max(0.0, points) * kEmuPerPoint)};
}

std::string MarkAnchor(const std::string& x, const std::string& a, const RMarkStyle& style,
                       const RGrid& grid, const RPageArea& page, int id, int number) {
  auto colSize = [&](int c) { return grid.Col(c); };
  auto rowSize = [&](int r) { return grid.Row(r); };
  double areaW = 0, areaH = 0, originX = 0, originY = 0;
  for (int c = page.c0; c <= page.c1; ++c) areaW += grid.Col(c);
  for (int r = page.r0; r <= page.r1; ++r) areaH += grid.Row(r);
  for (int c = 1; c < page.c0; ++c) originX += grid.Col(c);
  for (int r = 1; r < page.r0; ++r) originY += grid.Row(r);
  // The text's box, made smaller when it would not lie inside the area, turned or not
  // (the anchor is the box before turning). The area is the page as this sheet's widths
  // and heights give it; a reader whose default font is wider makes cells wider and pages
  // hold fewer of them, so the mark keeps to the first part of the area, its centre at
  // 45 % of it, its size at most 60 % of it.
  double w = TextWidthEm(style.Text) * style.SizePt, h = style.SizePt * 1.2;
  const double turn = style.Rotation() * M_PI / 180;
  const double boxW = std::abs(w * std::cos(turn)) + std::abs(h * std::sin(turn));
  const double boxH = std::abs(w * std::sin(turn)) + std::abs(h * std::cos(turn));
  const double fit = std::min({1.0, areaW * 0.6 / std::max(boxW, w), areaH * 0.6 / std::max(boxH, h)});
  w *= fit;
  h *= fit;
  const double left = areaW * 0.45 - w / 2, top = areaH * 0.45 - h / 2;
  const auto from = CellAt(left, page.c0, colSize), fromRow = CellAt(top, page.r0, rowSize);
  const auto emu = [](double pt) { return std::to_string(std::llround(pt * kEmuPerPoint)); };
  const double size = std::max(1.0, std::floor(style.SizePt * fit));
  const std::string alpha = style.Transparent ? "<" + a + "alpha val=\"30000\"/>" : "";
  const std::string font = XmlEscape(style.Font);
  // Anchored to one cell with its own extent: the mark keeps its size whatever width the
  // reader gives the columns it lies over.
  return "<" + x + "oneCellAnchor><" + x + "from><" + x + "col>" +
         std::to_string(from.first - 1) + "</" + x + "col><" + x + "colOff>" +
         std::to_string(from.second) + "</" + x + "colOff><" + x + "row>" +
         std::to_string(fromRow.first - 1) + "</" + x + "row><" + x + "rowOff>" +
         std::to_string(fromRow.second) + "</" + x + "rowOff></" + x + "from><" + x +
         "ext cx=\"" + emu(w) + "\" cy=\"" + emu(h) + "\"/><" + x +
         "sp macro=\"\" textlink=\"\"><" + x + "nvSpPr><" + x + "cNvPr id=\"" +
         std::to_string(id) + "\" name=\"" + MarkName(number) + "\"/><" + x + "cNvSpPr><" + a +
         "spLocks noChangeAspect=\"1\"/></" + x + "cNvSpPr></" + x + "nvSpPr><" + x + "spPr><" + a +
         "xfrm" + (style.Rotation() ? " rot=\"" + std::to_string(style.Rotation() * 60000) + "\"" : "") +
         "><" + a + "off x=\"" + emu(originX + left) + "\" y=\"" + emu(originY + top) + "\"/><" + a +
         "ext cx=\"" + emu(w) + "\" cy=\"" + emu(h) + "\"/></" + a + "xfrm><" + a +
         "prstGeom prst=\"rect\"><" + a + "avLst/></" + a + "prstGeom><" + a + "noFill/><" + a +
         "ln><" + a + "noFill/></" + a + "ln></" + x + "spPr><" + x + "txBody><" + a +
         "bodyPr wrap=\"none\" lIns=\"0\" tIns=\"0\" rIns=\"0\" bIns=\"0\" rtlCol=\"0\" "
         "anchor=\"ctr\"><" + a + "prstTxWarp prst=\"textPlain\"><" + a + "avLst/></" + a +
         "prstTxWarp><" + a + "noAutofit/></" + a + "bodyPr><" + a + "lstStyle/><" + a + "p><" +
         a + "pPr algn=\"ctr\"/><" + a + "r><" + a + "rPr lang=\"en-US\" sz=\"" +
         std::to_string(int(size * 100)) + "\" b=\"0\"><" + a + "ln><" + a + "noFill/></" + a +
         "ln><" + a + "solidFill><" + a + "srgbClr val=\"" + style.Rgb + "\">" + alpha + "</" + a +
         "srgbClr></" + a + "solidFill><" + a + "latin typeface=\"" + font + "\"/><" + a +
         "cs typeface=\"" + font + "\"/></" + a + "rPr><" + a + "t>" + XmlEscape(style.Text) +
         "</" + a + "t></" + a + "r></" + a + "p></" + x + "txBody></" + x + "sp><" + x +
         "clientData/></" + x + "oneCellAnchor>";
}

// "A" for column 1, "AB" for column 28.
std::string ColumnName(int col) {
  std::string name;
  for (; col > 0; col = (col - 1) / 26) name.insert(name.begin(), char('A' + (col - 1) % 26));
  return name;
}

// By cell format index (the workbook's cellXfs): whether a cell of that format shows on
// paper though it holds nothing, through a fill or a border. Empty without a styles part.
std::vector<bool> FormatsShown(TZipPackage& package, const TRelationships& bookRels) {
  std::vector<bool> shown;
  const auto targets = bookRels.Targets("styles");
  if (targets.empty() || !package.Has(targets.front())) return shown;
  pugi::xml_document styles;
  ParseXml(styles, package.Read(targets.front()), targets.front());
  const auto root = styles.document_element();
  auto children = [](const pugi::xml_node& parent, const char* local) {
    std::vector<pugi::xml_node> found;
    for (const auto& c : parent.children())
      if (LocalName(c.name()) == local) found.push_back(c);
    return found;
  };
  auto first = [&](const pugi::xml_node& parent, const char* local) {
    const auto all = children(parent, local);
    return all.empty() ? pugi::xml_node() : all.front();
  };
  std::vector<bool> fillShows, borderShows;
  for (const auto& fill : children(first(root, "fills"), "fill")) {
    const auto pattern = first(fill, "patternFill");
    const std::string type = pattern.attribute("patternType").value();
    fillShows.push_back(first(fill, "gradientFill") || (pattern && !type.empty() && type != "none"));
  }
  for (const auto& border : children(first(root, "borders"), "border")) {
    bool any = false;
    for (const auto& side : border.children())
      any = any || (side.attribute("style") && std::string(side.attribute("style").value()) != "none");
    borderShows.push_back(any);
  }
  for (const auto& xf : children(first(root, "cellXfs"), "xf")) {
    const unsigned fill = xf.attribute("fillId").as_uint(), border = xf.attribute("borderId").as_uint();
    shown.push_back((fill < fillShows.size() && fillShows[fill]) ||
                    (border < borderShows.size() && borderShows[border]));
  }
  return shown;
}

// The name of the shape an anchor holds.
std::string AnchoredName(const pugi::xml_node& anchor) {
  for (const auto& found : anchor.select_nodes(".//*")) {
    const auto e = found.node();
    if (LocalName(e.name()) == "cNvPr") return e.attribute("name").value();
  }
  return "";
}

}  // namespace

int StampWorkbook(TZipPackage& package, const RMarkStyle& style,
                  const RSheetStampOptions& options, std::vector<std::string>* notes) {
  TContentTypes types(package);
  TRelationships rootRels(package, "");
  const auto mains = rootRels.Targets("officeDocument");
  if (mains.empty() || !package.Has(mains.front()))
    throw EPackageError("the package has no main workbook part");
  const std::string main = mains.front();
  TRelationships bookRels(package, main);
  pugi::xml_document book;
  ParseXml(book, package.Read(main), main);
  auto bookRoot = book.document_element();
  TNamespaces bookNames(bookRoot);
  std::string s;
  if (bookNames.Prefix(ns::S, s) && !s.empty()) s += ":";
  std::string r;
  if (bookNames.Prefix(ns::R, r) && !r.empty()) r += ":";

  int activeTab = 0;
  for (const auto& view : bookRoot.child((s + "bookViews").c_str()).children())
    if (view.attribute("activeTab")) activeTab = view.attribute("activeTab").as_int();
  std::map<int, pugi::xml_node> printAreas;  // sheet index -> its print range's name
  for (const auto& name : bookRoot.child((s + "definedNames").c_str()).children())
    if (std::string(name.attribute("name").value()) == "_xlnm.Print_Area" &&
        name.attribute("localSheetId"))
      printAreas[name.attribute("localSheetId").as_int()] = name;
  bool bookChanged = false;
  const std::vector<bool> formatShows = FormatsShown(package, bookRels);

  struct RSheet {
    int index;
    std::string part;
    bool wanted;  // visible and, when only the active sheet is stamped, the active one
    std::string name;
  };
  std::vector<RSheet> sheets;
  int index = 0;
  const std::string sheetName = s + "sheet";
  for (const auto& sheet : bookRoot.child((s + "sheets").c_str()).children(sheetName.c_str())) {
    const int at = index++;
    const std::string state = sheet.attribute("state").value();
    const auto* rel = bookRels.ById(sheet.attribute((r + "id").c_str()).value());
    if (!rel || !IsRelType(rel->Type, "worksheet")) continue;  // chart and dialog sheets
    const std::string part = bookRels.TargetOf(rel->Id);
    if (!package.Has(part)) continue;
    const bool visible = state != "hidden" && state != "veryHidden";
    sheets.push_back({at, part, visible && (!options.ActiveSheetOnly || at == activeTab),
                      sheet.attribute("name").value()});
  }

  int marks = 0;
  auto stamp = [&](const RSheet& sheet, bool firstPageOnly) {
    pugi::xml_document ws;
    ParseXml(ws, package.Read(sheet.part), sheet.part);
    auto wsRoot = ws.document_element();
    TNamespaces wsNames(wsRoot);
    std::string ss;
    if (wsNames.Prefix(ns::S, ss) && !ss.empty()) ss += ":";
    const auto area = printAreas.find(sheet.index);

    TRelationships sheetRels(package, sheet.part);
    std::string drawingPart;
    const std::string rId = wsNames.Name(ns::R, "id", "r");
    if (const auto drawing = wsRoot.child((ss + "drawing").c_str()))
      drawingPart = sheetRels.TargetOf(drawing.attribute(rId.c_str()).value());
    pugi::xml_document drawing;
    const bool hasDrawing = !drawingPart.empty() && package.Has(drawingPart);
    if (hasDrawing) ParseXml(drawing, package.Read(drawingPart), drawingPart);
    // The cells the corners of the sheet's other shapes lie on (1-based), from their anchors.
    RPlanInput input;
    input.printArea = area == printAreas.end() ? "" : area->second.text().get();
    input.firstPageOnly = firstPageOnly;
    input.formatShows = formatShows;
    for (const auto& anchor : drawing.document_element().children()) {
      if (IsMarkName(AnchoredName(anchor))) continue;
      for (const auto& corner : anchor.children()) {
        const std::string local = LocalName(corner.name());
        if (local != "from" && local != "to") continue;
        int col = 0, row = 0;
        for (const auto& c : corner.children()) {
          const std::string which = LocalName(c.name());
          if (which == "col") col = c.text().as_int() + 1;
          if (which == "row") row = c.text().as_int() + 1;
        }
        input.drawnCorners.emplace_back(col, row);
      }
    }
    const RSheetPlan plan = sheet.wanted ? PlanSheet(wsRoot, ss, input) : RSheetPlan();
    if (plan.grownArea) {
      // The print range takes in the blank cells the mark lies on (see PlanSheet).
      const std::string text = area->second.text().get();
      const auto bang = text.rfind('!');
      const RPageArea& g = *plan.grownArea;
      const std::string grown =
          (bang == std::string::npos ? std::string() : text.substr(0, bang + 1)) + "$" +
          ColumnName(g.c0) + "$" + std::to_string(g.r0) + ":$" + ColumnName(g.c1) + "$" +
          std::to_string(g.r1);
      if (notes)
        notes->push_back("the print range of sheet \"" + sheet.name + "\" grew from " +
                         text.substr(bang == std::string::npos ? 0 : bang + 1) + " to " +
                         grown.substr(bang == std::string::npos ? 0 : bang + 1) +
                         " to hold a readable mark");
      area->second.text().set(grown.c_str());
      bookChanged = true;
    }
    if (plan.pages.empty()) {
      // Not stamped this time: only an earlier mark of this program goes.
      if (!hasDrawing) return 0;
      std::vector<pugi::xml_node> earlier;
      for (const auto& anchor : drawing.document_element().children())
        if (IsMarkName(AnchoredName(anchor))) earlier.push_back(anchor);
      for (auto& anchor : earlier) drawing.document_element().remove_child(anchor);
      if (!earlier.empty()) package.Write(drawingPart, SerializeXml(drawing));
      return 0;
    }
    if (!hasDrawing) {
      drawingPart = FreePartName(package, "xl/drawings/", "drawing", ".xml");
      const std::string xml =
          std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                      "<xdr:wsDr xmlns:xdr=\"") + ns::XDR + "\" xmlns:a=\"" + ns::A + "\"/>";
      ParseXml(drawing, xml, drawingPart);
      types.AddOverride(drawingPart, kDrawingType);
      const std::string id = sheetRels.Add(kDrawingRel, drawingPart);
      pugi::xml_node before;
      for (const auto& c : wsRoot.children())
        if (kAfterDrawing.count(LocalName(c.name()))) {
          before = c;
          break;
        }
      auto element = before ? wsRoot.insert_child_before((ss + "drawing").c_str(), before)
                            : wsRoot.append_child((ss + "drawing").c_str());
      element.append_attribute(rId.c_str()) = id.c_str();
      package.Write(sheet.part, SerializeXml(ws));
      sheetRels.Save();
    }
    auto wsDr = drawing.document_element();
    std::vector<pugi::xml_node> earlier;
    unsigned maxId = 1;
    for (const auto& anchor : wsDr.children()) {
      if (IsMarkName(AnchoredName(anchor))) earlier.push_back(anchor);
    }
    for (auto& anchor : earlier) wsDr.remove_child(anchor);
    for (const auto& found : wsDr.select_nodes(".//*"))
      if (LocalName(found.node().name()) == "cNvPr")
        maxId = std::max(maxId, found.node().attribute("id").as_uint());
    TNamespaces drawingNames(wsDr);
    const std::string xq = drawingNames.Name(ns::XDR, "x", "xdr");
    const std::string aq = drawingNames.Name(ns::A, "x", "a");
    const std::string x = xq.substr(0, xq.size() - 1), a = aq.substr(0, aq.size() - 1);
    // Behind every shape the sheet has: first in the drawing, in page order.
    pugi::xml_node after;
    int placed = 0;
    for (const auto& page : plan.pages) {
      pugi::xml_document fragment;
      ParseXml(fragment,
               MarkAnchor(x, a, style, plan.grid, page, int(maxId) + 1 + placed, placed + 1),
               drawingPart);
      after = after ? wsDr.insert_copy_after(fragment.document_element(), after)
                    : wsDr.prepend_copy(fragment.document_element());
      ++placed;
    }
    package.Write(drawingPart, SerializeXml(drawing));
    return placed;
  };
  for (const auto& sheet : sheets) marks += stamp(sheet, options.ActiveSheetOnly);
  // A workbook with nothing that prints still carries the mark, on its first sheet shown.
  for (const auto& sheet : sheets)
    if (marks == 0 && sheet.wanted) marks += stamp(sheet, true);
  if (bookChanged) package.Write(main, SerializeXml(book));
  types.Save();
  return marks;
}

}  // namespace stampwell::ooxml
