// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/excel_server.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/HomogenMatrix3.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/TablePageBreakData.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetPageBreak.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/text/XText.hpp>

#include "office/libreoffice/in_office.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/libreoffice/office_application.h"
#include "office/libreoffice/shape_objects.h"
#include "office/libreoffice/shape_parts.h"
#include "office/libreoffice/uno_convert.h"
#include "office/libreoffice/xls_window.h"
#include "platform/paths.h"

namespace stampwell {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using Args = DispatchObject::Args;

namespace {

// An open workbook. One whose active sheet could be read from the file itself is loaded
// without a view (much faster); viewSheet is then the sheet a view would show, and a view
// is made only if a sheet is activated. Otherwise the workbook has a view from the start.
using AddedTextEffects = std::shared_ptr<std::vector<RAddedTextEffect>>;

// A page style's paper, margins (Excel's: from the paper's edge to the cells, so a header or
// footer lies within them) and scale.
struct PageValues {
  sal_Int32 width = 0, height = 0, left = 0, right = 0, top = 0, bottom = 0;
  sal_Int16 scale = 100;
  bool fitted = false;
};

struct Book {
  std::shared_ptr<TOfficeDocument> doc;
  int viewSheet = -1;  // the sheet shown by the workbook, when it has no view
  AddedTextEffects added = std::make_shared<std::vector<RAddedTextEffect>>();
  // The page styles read so far, by name: the sheets of a workbook mostly share one, and a
  // stamp changes none.
  std::map<OUString, PageValues> pageStyles;
};
using BookPtr = std::shared_ptr<Book>;

struct ExcelState {
  std::shared_ptr<TOfficeApplication> app;
  BookPtr active;
  std::string activePrinter;
};


BookPtr Require(const std::shared_ptr<ExcelState>& s) {
  if (!s->active || s->active->doc->IsClosed()) throw EOleError("No workbook is open.");
  if (s->active->doc->Process() != s->app->Process())
    throw EOleError("The workbook was lost when its office process ended");
  return s->active;
}

Reference<css::container::XIndexAccess> SheetsOf(const TOfficeDocument& doc) {
  Reference<css::sheet::XSpreadsheetDocument> book(doc.Model(), UNO_QUERY_THROW);
  return Reference<css::container::XIndexAccess>(book->getSheets(), UNO_QUERY_THROW);
}

// The sheet the workbook shows: the one active when the file was saved, or activated since.
Reference<css::sheet::XSpreadsheet> ActiveSheet(const Book& book) {
  if (book.viewSheet >= 0)
    return Reference<css::sheet::XSpreadsheet>(SheetsOf(*book.doc)->getByIndex(book.viewSheet),
                                               UNO_QUERY_THROW);
  Reference<css::sheet::XSpreadsheetView> view(book.doc->Model()->getCurrentController(),
                                               UNO_QUERY_THROW);
  return view->getActiveSheet();
}

// Gives a workbook loaded without a view the view it would have had (loaded with a frame),
// showing the same sheet, so that a sheet can be activated and saved as the active one.
void EnsureView(Book& book) {
  if (book.viewSheet < 0) return;
  auto model = book.doc->Model();
  Reference<css::frame::XComponentLoader> loader(book.doc->Process()->Desktop(), UNO_QUERY_THROW);
  css::uno::Sequence<css::beans::PropertyValue> args(2);
  args.getArray()[0].Name = "Model";
  args.getArray()[0].Value <<= model;
  args.getArray()[1].Name = "Hidden";
  args.getArray()[1].Value <<= false;
  loader->loadComponentFromURL(OUString("private:object"), OUString("_blank"), 0, args);
  Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY_THROW);
  view->setActiveSheet(Reference<css::sheet::XSpreadsheet>(
      SheetsOf(*book.doc)->getByIndex(book.viewSheet), UNO_QUERY_THROW));
  book.viewSheet = -1;
}

sal_Int32 LineAt(const Reference<css::container::XIndexAccess>& lines, sal_Int32 at, bool columns);

// "A" for column 0, "AA" for column 26.
std::string ColumnLetters(sal_Int32 column) {
  std::string name;
  for (sal_Int32 c = column + 1; c > 0; c = (c - 1) / 26)
    name.insert(name.begin(), char('A' + (c - 1) % 26));
  return name;
}

// "$A$1" or "$A$1:$F$40", as Excel writes addresses.
std::string AddressOf(const css::table::CellRangeAddress& a) {
  auto cell = [](sal_Int32 col, sal_Int32 row) {
    return "$" + ColumnLetters(col) + "$" + std::to_string(row + 1);
  };
  if (a.StartColumn == a.EndColumn && a.StartRow == a.EndRow)
    return cell(a.StartColumn, a.StartRow);
  return cell(a.StartColumn, a.StartRow) + ":" + cell(a.EndColumn, a.EndRow);
}

// The cells a sheet holds, from its first used cell to its last, grown to take in the drawings
// on it other than text effects (a chart prints as a cell does; a mark is not content).
css::table::CellRangeAddress UsedArea(const TOfficeDocument& doc,
                                      const Reference<css::sheet::XSpreadsheet>& sheet) {
  auto cursor = sheet->createCursor();
  Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
  used->gotoStartOfUsedArea(false);
  used->gotoEndOfUsedArea(true);
  css::table::CellRangeAddress area =
      Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
  Reference<css::drawing::XDrawPageSupplier> supplier(sheet, UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> page(supplier->getDrawPage(), UNO_QUERY_THROW);
  const sal_Int32 shapes = page->getCount();
  if (shapes == 0) return area;
  Reference<css::table::XColumnRowRange> lines(sheet, UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> columns(lines->getColumns(), UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> rows(lines->getRows(), UNO_QUERY_THROW);
  for (sal_Int32 i = 0; i < shapes; ++i) {
    const Reference<css::drawing::XShape> shape = ShapeAt(doc, page, i);
    if (!shape.is() || IsTextEffect(shape)) continue;
    css::awt::Rectangle box;
    Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)
        ->getPropertyValue(OUString("BoundRect")) >>= box;
    area.EndColumn = std::max(area.EndColumn, LineAt(columns, box.X + box.Width, true));
    area.EndRow = std::max(area.EndRow, LineAt(rows, box.Y + box.Height, false));
  }
  return area;
}

// A range's Left, Top, Width and Height in points.
DispatchPtr MakeRangeGeometry(const TGuardedObject::GuardFn& guard,
                              const Reference<css::beans::XPropertySet>& range) {
  auto obj = std::make_shared<TGuardedObject>(guard);
  // Read in one call when first asked: the object stands for the range as it is now.
  struct Box {
    css::awt::Point at;
    css::awt::Size size;
  };
  auto box = [range, known = std::make_shared<std::optional<Box>>()]() -> const Box& {
    if (*known) return **known;
    const auto values = ReadProperties(range, {"Position", "Size"});
    Box b;
    values[0] >>= b.at;
    values[1] >>= b.size;
    *known = b;
    return **known;
  };
  obj->Prop("Left", [box](const Args&) { return OleVariant(uno::HmmToPoints(box().at.X)); });
  obj->Prop("Top", [box](const Args&) { return OleVariant(uno::HmmToPoints(box().at.Y)); });
  obj->Prop("Width",
            [box](const Args&) { return OleVariant(uno::HmmToPoints(box().size.Width)); });
  obj->Prop("Height",
            [box](const Args&) { return OleVariant(uno::HmmToPoints(box().size.Height)); });
  return obj;
}

// Has the office paginate the sheet anew for its page style as it prints. The breaks a sheet
// holds after loading may have been laid out for another scale (a workbook that prints at
// 47 % was found paginated as at 100 %, three columns of pages for one it prints); setting
// a margin of the style to the value it has is a change of the page style, which paginates
// again. (Not the scale: setting it ends a fit to pages.)
void Repaginate(const Reference<css::frame::XModel>& model,
                const Reference<css::sheet::XSpreadsheet>& sheet) {
  OUString name;
  Reference<css::beans::XPropertySet>(sheet, UNO_QUERY_THROW)
      ->getPropertyValue(OUString("PageStyle")) >>= name;
  Reference<css::style::XStyleFamiliesSupplier> families(model, UNO_QUERY_THROW);
  Reference<css::container::XNameAccess> styles(
      families->getStyleFamilies()->getByName(OUString("PageStyles")), UNO_QUERY_THROW);
  Reference<css::beans::XPropertySet> style(styles->getByName(name), UNO_QUERY_THROW);
  const OUString margin("LeftMargin");
  style->setPropertyValue(margin, style->getPropertyValue(margin));
}

// HPageBreaks or VPageBreaks: the rows (columns) that start a printed page, as the office
// paginates the sheet for printing; Item(i).Location.Row (.Column) counts from 1.
DispatchPtr MakePageBreaks(const TGuardedObject::GuardFn& guard,
                           const Reference<css::frame::XModel>& model,
                           const Reference<css::sheet::XSpreadsheet>& sheet, bool rows) {
  auto breaks = std::make_shared<std::vector<sal_Int32>>();
  auto known = std::make_shared<bool>(false);
  auto read = [model, sheet, rows, breaks, known] {
    if (*known) return;
    Repaginate(model, sheet);
    Reference<css::sheet::XSheetPageBreak> pages(sheet, UNO_QUERY_THROW);
    for (const auto& b : rows ? pages->getRowPageBreaks() : pages->getColumnPageBreaks())
      if (b.Position > 0) breaks->push_back(b.Position);
    *known = true;
  };
  auto obj = std::make_shared<TGuardedObject>(guard);
  obj->Prop("Count", [read, breaks](const Args&) {
    read();
    return OleVariant(int(breaks->size()));
  });
  obj->Func("Item", [read, breaks, guard, rows](const Args& a) {
    read();
    const int index = ArgAt(a, 0).AsInt();
    if (index < 1 || index > int(breaks->size())) throw EOleError("Subscript out of range");
    const int line = (*breaks)[index - 1] + 1;
    auto location = std::make_shared<TGuardedObject>(guard);
    location->Prop(rows ? "Row" : "Column", [line](const Args&) { return OleVariant(line); });
    auto pageBreak = std::make_shared<TGuardedObject>(guard);
    pageBreak->Prop("Location",
                    [location](const Args&) { return OleVariant(DispatchPtr(location)); });
    return OleVariant(DispatchPtr(pageBreak));
  });
  return obj;
}

DispatchPtr MakeSheet(const BookPtr& book, Reference<css::sheet::XSpreadsheet> sheet = {}) {
  const std::shared_ptr<TOfficeDocument>& doc = book->doc;
  if (!sheet.is()) sheet = ActiveSheet(*book);
  Reference<css::drawing::XDrawPageSupplier> supplier(sheet, UNO_QUERY_THROW);
  Reference<css::drawing::XShapes> page(supplier->getDrawPage(), UNO_QUERY_THROW);
  RShapeHost host{doc, page, {}, {}};
  host.TextEffectAdded = [added = book->added,
                          sheet](const Reference<css::drawing::XShape>& shape) {
    added->push_back({sheet, shape});
  };
  auto obj = std::make_shared<TGuardedObject>(GuardOf(doc->Process()));
  obj->Prop("Name", [sheet](const Args&) {
    return OleVariant(
        uno::ToStd(Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName()));
  });
  // Activate: makes the sheet the one the workbook's view shows (and saves as active).
  obj->Func("Activate", [book, sheet](const Args&) {
    EnsureView(*book);
    Reference<css::sheet::XSpreadsheetView> view(book->doc->Model()->getCurrentController(),
                                                 UNO_QUERY_THROW);
    view->setActiveSheet(sheet);
    return OleVariant();
  });
  obj->Prop("Shapes", [host, page](const Args&) {
    return OleVariant(MakeShapesObject(host, PageShapes(host.Doc, page)));
  });
  const auto guard = GuardOf(doc->Process());
  // Visible: -1 shown, 0 hidden (hidden sheets do not print).
  obj->Prop("Visible", [sheet](const Args&) {
    bool visible = true;
    Reference<css::beans::XPropertySet>(sheet, UNO_QUERY_THROW)
        ->getPropertyValue(OUString("IsVisible")) >>= visible;
    return OleVariant(visible ? -1 : 0);
  });
  auto pageSetup = std::make_shared<TGuardedObject>(guard);
  pageSetup->Prop("PrintArea", [sheet](const Args&) {
    std::string text;
    for (const auto& area :
         Reference<css::sheet::XPrintAreas>(sheet, UNO_QUERY_THROW)->getPrintAreas())
      text += (text.empty() ? "" : ",") + AddressOf(area);
    return OleVariant(text);
  });
  // The sheet's page style, its values read from the office in one call when first asked
  // (and once for all the sheets of the workbook that share the style).
  auto values = std::make_shared<std::optional<PageValues>>();
  auto paper = [book, sheet, values]() -> const PageValues& {
    if (*values) return **values;
    OUString name;
    Reference<css::beans::XPropertySet>(sheet, UNO_QUERY_THROW)
        ->getPropertyValue(OUString("PageStyle")) >>= name;
    if (const auto known = book->pageStyles.find(name); known != book->pageStyles.end()) {
      *values = known->second;
      return **values;
    }
    Reference<css::style::XStyleFamiliesSupplier> families(book->doc->Model(), UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> pages(
        families->getStyleFamilies()->getByName(OUString("PageStyles")), UNO_QUERY_THROW);
    const auto read =
        ReadProperties(Reference<css::uno::XInterface>(pages->getByName(name), UNO_QUERY_THROW),
                       {"Width", "Height", "LeftMargin", "RightMargin", "TopMargin", "BottomMargin",
                        "HeaderIsOn", "HeaderHeight", "FooterIsOn", "FooterHeight", "ScaleToPages",
                        "ScaleToPagesX", "ScaleToPagesY", "PageScale"});
    PageValues v;
    bool headerOn = false, footerOn = false;
    sal_Int32 header = 0, footer = 0;
    sal_Int16 pages1 = 0, wide = 0, tall = 0;
    read[0] >>= v.width;
    read[1] >>= v.height;
    read[2] >>= v.left;
    read[3] >>= v.right;
    read[4] >>= v.top;
    read[5] >>= v.bottom;
    read[6] >>= headerOn;
    read[7] >>= header;
    read[8] >>= footerOn;
    read[9] >>= footer;
    read[10] >>= pages1;
    read[11] >>= wide;
    read[12] >>= tall;
    read[13] >>= v.scale;
    if (headerOn) v.top += header;
    if (footerOn) v.bottom += footer;
    v.fitted = pages1 > 0 || wide > 0 || tall > 0;
    book->pageStyles[name] = v;
    *values = v;
    return **values;
  };
  pageSetup->Prop("LeftMargin",
                  [paper](const Args&) { return OleVariant(uno::HmmToPoints(paper().left)); });
  pageSetup->Prop("RightMargin",
                  [paper](const Args&) { return OleVariant(uno::HmmToPoints(paper().right)); });
  pageSetup->Prop("TopMargin",
                  [paper](const Args&) { return OleVariant(uno::HmmToPoints(paper().top)); });
  pageSetup->Prop("BottomMargin",
                  [paper](const Args&) { return OleVariant(uno::HmmToPoints(paper().bottom)); });
  // 1 portrait, 2 landscape.
  pageSetup->Prop("Orientation", [paper](const Args&) {
    return OleVariant(paper().width > paper().height ? 2 : 1);
  });
  // Excel's paper numbers for the sizes it shares with the office; 9 (A4) for any other.
  pageSetup->Prop("PaperSize", [paper](const Args&) {
    const sal_Int32 a = std::min(paper().width, paper().height),
                    b = std::max(paper().width, paper().height);
    auto near = [a, b](sal_Int32 w, sal_Int32 h) {
      return std::abs(a - w) < 200 && std::abs(b - h) < 200;
    };
    if (near(21590, 27940)) return OleVariant(1);
    if (near(21590, 35560)) return OleVariant(5);
    if (near(29700, 42000)) return OleVariant(8);
    if (near(14800, 21000)) return OleVariant(11);
    if (near(18200, 25700)) return OleVariant(13);
    return OleVariant(9);
  });
  // The print scale in percent; false when the sheet is fitted to a number of pages.
  pageSetup->Prop("Zoom", [paper](const Args&) {
    if (paper().fitted) return OleVariant(false);
    return OleVariant(int(paper().scale));
  });
  obj->Prop("PageSetup", [pageSetup](const Args&) { return OleVariant(DispatchPtr(pageSetup)); });
  obj->Prop("UsedRange", [doc, sheet, guard](const Args&) {
    const css::table::CellRangeAddress area = UsedArea(*doc, sheet);
    auto range = std::make_shared<TGuardedObject>(guard);
    range->Prop("Address", [area](const Args&) { return OleVariant(AddressOf(area)); });
    range->Prop("Row", [area](const Args&) { return OleVariant(int(area.StartRow + 1)); });
    range->Prop("Column", [area](const Args&) { return OleVariant(int(area.StartColumn + 1)); });
    auto count = [guard](int n) {
      auto c = std::make_shared<TGuardedObject>(guard);
      c->Prop("Count", [n](const Args&) { return OleVariant(n); });
      return OleVariant(DispatchPtr(c));
    };
    const int rows = int(area.EndRow - area.StartRow + 1);
    const int columns = int(area.EndColumn - area.StartColumn + 1);
    range->Prop("Rows", [count, rows](const Args&) { return count(rows); });
    range->Prop("Columns", [count, columns](const Args&) { return count(columns); });
    // The text of the range's first cell (what an empty sheet's one used cell tells).
    range->Prop("Text", [sheet, area](const Args&) {
      Reference<css::text::XText> cell(sheet->getCellByPosition(area.StartColumn, area.StartRow),
                                       UNO_QUERY_THROW);
      return OleVariant(uno::ToStd(cell->getString()));
    });
    return OleVariant(DispatchPtr(range));
  });
  obj->Prop("HPageBreaks", [guard, doc, sheet](const Args&) {
    return OleVariant(MakePageBreaks(guard, doc->Model(), sheet, true));
  });
  obj->Prop("VPageBreaks", [guard, doc, sheet](const Args&) {
    return OleVariant(MakePageBreaks(guard, doc->Model(), sheet, false));
  });
  // Range("A1:F40"): where the cells lie.
  obj->Prop("Range", [guard, sheet](const Args& a) {
    Reference<css::table::XCellRange> cells(sheet, UNO_QUERY_THROW);
    Reference<css::beans::XPropertySet> range(
        cells->getCellRangeByName(uno::ToOU(ArgAt(a, 0).AsString())), UNO_QUERY_THROW);
    return OleVariant(MakeRangeGeometry(guard, range));
  });
  return obj;
}

// LibreOffice's .xls filter reads a text effect turned by an angle a (0 < a <= 90 degrees,
// counter-clockwise) back W * sin(a) lower than it wrote it, W being the shape's width (a
// watermark 400 points wide at 45 degrees comes back 283 points down). Before such a store
// the text effects are raised by that much, and put back right after it, so that the saved
// file shows each one where the document does.
std::function<void()> RaiseTurnedTextEffects(const TOfficeDocument& doc) {
  struct Raised {
    Reference<css::drawing::XShape> shape;
    css::awt::Point from;
  };
  std::vector<Raised> raised;
  Reference<css::drawing::XDrawPagesSupplier> supplier(doc.Model(), UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> pages(supplier->getDrawPages(), UNO_QUERY_THROW);
  for (sal_Int32 i = 0, n = pages->getCount(); i < n; ++i) {
    Reference<css::container::XIndexAccess> page(pages->getByIndex(i), UNO_QUERY_THROW);
    for (sal_Int32 k = 0, m = page->getCount(); k < m; ++k) {
      const Reference<css::drawing::XShape> shape = ShapeAt(doc, page, k);
      if (!shape.is() || !IsTextEffect(shape)) continue;
      const auto values = ReadProperties(shape, {"RotateAngle", "Transformation"});
      sal_Int32 angle = 0;
      values[0] >>= angle;
      if (angle <= 0 || angle > 9000) continue;
      css::drawing::HomogenMatrix3 matrix;
      values[1] >>= matrix;
      const shape::Placement placement = shape::PlacementOf(matrix);
      // A frame that is not mirrored has its position at its first corner, where the
      // transformation puts the unit square's: read there, the office need not lay the text
      // effect out again as it does to answer getPosition.
      const css::awt::Point from =
          placement.height > 0
              ? css::awt::Point(static_cast<sal_Int32>(std::lround(matrix.Line1.Column3)),
                                static_cast<sal_Int32>(std::lround(matrix.Line2.Column3)))
              : shape->getPosition();
      const auto dy = static_cast<sal_Int32>(
          std::lround(std::lround(placement.width) * std::sin(angle / 100.0 * M_PI / 180.0)));
      shape->setPosition(css::awt::Point(from.X, from.Y - dy));
      raised.push_back({shape, from});
    }
  }
  if (raised.empty()) return {};
  return [raised] {
    for (const auto& r : raised) r.shape->setPosition(r.from);
  };
}

// The index of the column (or row) of lines that holds the position at (1/100 mm).
sal_Int32 LineAt(const Reference<css::container::XIndexAccess>& lines, sal_Int32 at, bool columns) {
  sal_Int32 index = 0;
  for (sal_Int32 i = 0, n = lines->getCount(); i < n; ++i) {
    css::awt::Point start;
    Reference<css::beans::XPropertySet>(lines->getByIndex(i), UNO_QUERY_THROW)
        ->getPropertyValue(OUString("Position")) >>= start;
    if ((columns ? start.X : start.Y) > at) break;
    index = i;
  }
  return index;
}

// A sheet with print ranges prints nothing else: a text effect added outside them would be on
// no printed page and in no PDF, though the sheet shows it. The first print range of its sheet
// grows to the cells under each text effect added through the server (added), so that the
// printout carries what the sheet shows. Sheets printed whole, and text effects already inside
// a print range, are left as they are.
void KeepAddedTextEffectsPrinted(const std::vector<RAddedTextEffect>& added) {
  for (const auto& [sheet, shape] : added) {
    Reference<css::sheet::XPrintAreas> printAreas(sheet, UNO_QUERY);
    if (!printAreas.is()) continue;
    auto areas = printAreas->getPrintAreas();
    if (!areas.hasElements()) continue;
    css::awt::Rectangle box;
    try {
      Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)
          ->getPropertyValue(OUString("BoundRect")) >>= box;
    } catch (const css::lang::DisposedException&) {
      continue;  // deleted since
    }
    bool inside = false;
    for (const auto& area : areas) {
      Reference<css::beans::XPropertySet> range(
          sheet->getCellRangeByPosition(area.StartColumn, area.StartRow, area.EndColumn,
                                        area.EndRow),
          UNO_QUERY_THROW);
      css::awt::Point at;
      css::awt::Size size;
      range->getPropertyValue(OUString("Position")) >>= at;
      range->getPropertyValue(OUString("Size")) >>= size;
      inside =
          inside || (box.X >= at.X && box.Y >= at.Y && box.X + box.Width <= at.X + size.Width &&
                     box.Y + box.Height <= at.Y + size.Height);
    }
    if (inside) continue;
    Reference<css::table::XColumnRowRange> lines(sheet, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> columns(lines->getColumns(), UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> rows(lines->getRows(), UNO_QUERY_THROW);
    auto& first = areas.getArray()[0];
    first.StartColumn = std::min(first.StartColumn, LineAt(columns, std::max(box.X, 0), true));
    first.StartRow = std::min(first.StartRow, LineAt(rows, std::max(box.Y, 0), false));
    first.EndColumn = std::max(first.EndColumn, LineAt(columns, box.X + box.Width, true));
    first.EndRow = std::max(first.EndRow, LineAt(rows, box.Y + box.Height, false));
    printAreas->setPrintAreas(areas);
    // A workbook read from Office Open XML keeps its print range also as the sheet's name
    // "_xlnm.Print_Area", which is written back beside the range and wins when the file is
    // read again: it must name the grown range too.
    Reference<css::beans::XPropertySet> sheetProps(sheet, UNO_QUERY_THROW);
    Reference<css::sheet::XNamedRanges> names;
    try {
      sheetProps->getPropertyValue(OUString("NamedRanges")) >>= names;
    } catch (const css::beans::UnknownPropertyException&) {
    }
    const OUString printName("_xlnm.Print_Area");
    if (names.is() && names->hasByName(printName) && areas.getLength() == 1) {
      OUString absolute;
      Reference<css::beans::XPropertySet>(
          sheet->getCellRangeByPosition(first.StartColumn, first.StartRow, first.EndColumn,
                                        first.EndRow),
          UNO_QUERY_THROW)
          ->getPropertyValue(OUString("AbsoluteName")) >>= absolute;
      Reference<css::sheet::XNamedRange>(names->getByName(printName), UNO_QUERY_THROW)
          ->setContent(absolute);
    }
  }
}

DispatchPtr MakeWorkbook(const std::shared_ptr<ExcelState>& s, const BookPtr& book) {
  const std::shared_ptr<TOfficeDocument>& doc = book->doc;
  auto obj = std::make_shared<TGuardedObject>(GuardOf(doc->Process()));
  std::weak_ptr<ExcelState> weak = s;
  obj->Func("Save", [doc](const Args&) {
    doc->Save();
    return OleVariant();
  });
  // SaveAs(Filename, FileFormat, Password, ...): the format stays the workbook's own.
  obj->Func("SaveAs", [doc](const Args& a) {
    const OleVariant password = ArgAt(a, 2);
    doc->SaveAs(ArgAt(a, 0).AsString(), password.IsEmpty() ? "" : password.AsString());
    return OleVariant();
  });
  obj->Func("Close", [book, weak](const Args&) {
    book->doc->Close();
    if (auto st = weak.lock(); st && st->active == book) st->active.reset();
    return OleVariant();
  });
  // PrintOut(From, To, Copies, Preview, ActivePrinter, PrintToFile, Collate, PrToFileName).
  obj->Func("PrintOut", [doc, weak](const Args& a) {
    auto st = weak.lock();
    if (!st) throw EOleError("Excel has been quit");
    const OleVariant printer = ArgAt(a, 4);
    if (!printer.IsEmpty()) st->activePrinter = printer.AsString();
    st->app->PrintDocument(*doc, st->activePrinter);
    return OleVariant();
  });
  obj->Prop("ActiveSheet", [book](const Args&) { return OleVariant(MakeSheet(book)); });
  // StampInOffice(Text, Font, Size, Color, Transparent, Oblique, ActiveSheetOnly): the Excel
  // engine's stamp, run inside the office by the program's component (one call instead of
  // some fifty a sheet); false, with nothing done, when the office has no such component.
  obj->Func("StampInOffice", [book](const Args& a) {
    const auto stamper = book->doc->Process()->InOfficeStamper();
    if (!stamper.is()) return OleVariant(false);
    using css::uno::Any;
    const Any answer = in_office::Run(
        stamper, in_office::kExcelStamp,
        {{in_office::kModel, Any(book->doc->Model())},
         {in_office::kViewSheet, Any(sal_Int32(book->viewSheet))},
         {in_office::kText, Any(uno::ToOU(ArgAt(a, 0).AsString()))},
         {in_office::kFont, Any(uno::ToOU(ArgAt(a, 1).AsString()))},
         {in_office::kSize, Any(uno::ToOU(ArgAt(a, 2).AsString()))},
         {in_office::kColor, Any(sal_Int64(static_cast<std::uint32_t>(ArgAt(a, 3).AsInt())))},
         {in_office::kTransparent, Any(ArgAt(a, 4).AsBool())},
         {in_office::kOblique, Any(ArgAt(a, 5).AsBool())},
         {in_office::kActiveSheetOnly, Any(ArgAt(a, 6).AsBool())}});
    css::uno::Sequence<Reference<css::uno::XInterface>> added;
    answer >>= added;
    for (const auto& effect : AddedFromSequence(added)) {
      book->added->push_back(effect);
      book->doc->KeepShape(effect.second);
    }
    CountStampMadeInOffice();
    return OleVariant(true);
  });
  auto sheets = std::make_shared<TGuardedObject>(GuardOf(doc->Process()));
  auto all = [doc] {
    Reference<css::sheet::XSpreadsheetDocument> book(doc->Model(), UNO_QUERY_THROW);
    return Reference<css::container::XIndexAccess>(book->getSheets(), UNO_QUERY_THROW);
  };
  sheets->Prop("Count", [all](const Args&) { return OleVariant(int(all()->getCount())); });
  // Item(index from 1) or Item(name).
  sheets->Func("Item", [book, all](const Args& a) {
    auto list = all();
    const OleVariant which = ArgAt(a, 0);
    for (sal_Int32 i = 0, n = list->getCount(); i < n; ++i) {
      Reference<css::sheet::XSpreadsheet> sheet(list->getByIndex(i), UNO_QUERY_THROW);
      const bool match =
          which.Type() == VarType::String
              ? uno::ToStd(Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName()) ==
                    which.AsString()
              : which.AsInt() == i + 1;
      if (match) return OleVariant(MakeSheet(book, sheet));
    }
    throw EOleError("Subscript out of range");
  });
  obj->Prop("Worksheets", [sheets](const Args&) { return OleVariant(DispatchPtr(sheets)); });
  obj->Prop("Name", [doc](const Args&) { return OleVariant(doc->Name()); });
  obj->Prop("FullName", [doc](const Args&) { return OleVariant(doc->FullName()); });
  return obj;
}

}  // namespace

css::uno::Sequence<Reference<css::uno::XInterface>> AddedAsSequence(
    const std::vector<RAddedTextEffect>& added) {
  css::uno::Sequence<Reference<css::uno::XInterface>> list(static_cast<sal_Int32>(added.size() * 2));
  auto* out = list.getArray();
  for (const auto& [sheet, shape] : added) {
    *out++ = sheet;
    *out++ = shape;
  }
  return list;
}

std::vector<RAddedTextEffect> AddedFromSequence(
    const css::uno::Sequence<Reference<css::uno::XInterface>>& list) {
  std::vector<RAddedTextEffect> added;
  for (sal_Int32 i = 0; i + 1 < list.getLength(); i += 2) {
    Reference<css::sheet::XSpreadsheet> sheet(list[i], UNO_QUERY);
    Reference<css::drawing::XShape> shape(list[i + 1], UNO_QUERY);
    if (sheet.is() && shape.is()) added.emplace_back(sheet, shape);
  }
  return added;
}

std::function<void()> PrepareWorkbookStore(const TOfficeDocument& doc,
                                           const std::vector<RAddedTextEffect>& added,
                                           const std::string& filter) {
  KeepAddedTextEffectsPrinted(added);
  if (filter != "MS Excel 97") return {};
  return RaiseTurnedTextEffects(doc);
}

RExcelHere ExcelObjectsHere(const Reference<css::uno::XComponentContext>& context,
                            const Reference<css::frame::XModel>& model, int viewSheet) {
  auto state = std::make_shared<ExcelState>();
  auto book = std::make_shared<Book>();
  book->doc = TOfficeDocument::Adopt(TOfficeProcess::Here(context), OfficeKind::Calc, model);
  book->viewSheet = viewSheet;
  state->active = book;
  RExcelHere here;
  here.Process = book->doc->Process();
  here.Workbook = MakeWorkbook(state, book);
  auto app = std::make_shared<TGuardedObject>(GuardOf(book->doc->Process()));
  // The state lives as long as the application object: the workbook holds it only weakly.
  app->Prop("ActiveSheet", [book, state](const Args&) { return OleVariant(MakeSheet(book)); });
  here.App = app;
  here.Added = book->added;
  return here;
}

DispatchPtr CreateExcelApplication() {
  auto s = std::make_shared<ExcelState>();
  s->app = std::make_shared<TOfficeApplication>("Excel", false);
  auto app = std::make_shared<TGuardedObject>(s->app->Guard());
  app->Prop(
      "Visible", [s](const Args&) { return OleVariant(s->app->Visible()); },
      [s](const OleVariant& v) {
        if (v.AsBool() && s->active) EnsureView(*s->active);  // only a view can be shown
        s->app->SetVisible(v.AsBool(), s->active ? s->active->doc : nullptr);
      });
  app->Prop("Name", [](const Args&) { return OleVariant("Microsoft Excel"); });
  auto workbooks = std::make_shared<TGuardedObject>(s->app->Guard());
  workbooks->Func("Open", [s](const Args& a) {
    // A view is what reports the sheet that was active when the file was saved, but making
    // one takes longer than loading the workbook. An .xls file records that sheet itself
    // (its window record): such a workbook is loaded without a view and keeps the sheet as
    // recorded, which is also what the office writes back when the workbook is saved without
    // a view. Any other file is loaded with a frame (no window when headless).
    const std::string path = ArgAt(a, 0).AsString();
    auto book = std::make_shared<Book>();
    const std::optional<int> recorded =
        ExcelLoadsWithoutView() ? XlsActiveSheet(path) : std::nullopt;
    auto open = [&](bool viewless) {
      return s->app->OpenDocument([&](std::shared_ptr<TOfficeProcess> process) {
        return TOfficeDocument::Open(std::move(process), OfficeKind::Calc, path, false, viewless);
      });
    };
    auto doc = open(recorded.has_value());
    if (recorded && *recorded >= SheetsOf(*doc)->getCount()) {
      // The office reads the workbook's sheets otherwise than the file lists them: a view
      // tells which sheet it shows.
      doc->Close();
      doc = open(false);
    } else if (recorded) {
      book->viewSheet = *recorded;
    }
    book->doc = doc;
    std::weak_ptr<TOfficeDocument> weakDoc = doc;
    doc->SetStoreHook(
        [weakDoc, added = book->added](const std::string& filter) -> std::function<void()> {
          auto d = weakDoc.lock();
          if (!d) return {};
          const auto stamper = d->Process()->InOfficeStamper();
          if (!stamper.is()) return PrepareWorkbookStore(*d, *added, filter);
          // Inside the office: one call each way instead of a few for every mark.
          in_office::Run(stamper, in_office::kExcelBeforeStore,
                         {{in_office::kModel, css::uno::Any(d->Model())},
                          {in_office::kAdded, css::uno::Any(AddedAsSequence(*added))},
                          {in_office::kFilter, css::uno::Any(uno::ToOU(filter))}});
          return [stamper] { in_office::Run(stamper, in_office::kExcelAfterStore, {}); };
        });
    s->active = book;
    if (s->app->Visible()) {
      EnsureView(*book);
      s->app->SetVisible(true, doc);
    }
    return OleVariant(MakeWorkbook(s, book));
  });
  app->Prop("Workbooks", [workbooks](const Args&) { return OleVariant(DispatchPtr(workbooks)); });
  app->Prop("ActiveWorkbook", [s](const Args&) { return OleVariant(MakeWorkbook(s, Require(s))); });
  app->Prop("ActiveSheet", [s](const Args&) { return OleVariant(MakeSheet(Require(s))); });
  app->Prop(
      "ActivePrinter", [s](const Args&) { return OleVariant(s->activePrinter); },
      [s](const OleVariant& v) { s->activePrinter = v.AsString(); });
  app->Prop(
      "DisplayAlerts", [](const Args&) { return OleVariant(false); }, [](const OleVariant&) {});
  app->FuncUnguarded("Quit", [s](const Args&) {
    s->active.reset();
    s->app->Quit();
    return OleVariant();
  });
  return app;
}

}  // namespace stampwell
