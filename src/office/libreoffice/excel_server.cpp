#include "office/libreoffice/excel_server.h"

#include <cmath>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>

#include "office/libreoffice/office_application.h"
#include "office/libreoffice/shape_objects.h"
#include "office/libreoffice/uno_convert.h"
#include "platform/paths.h"

namespace stampwell {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using Args = DispatchObject::Args;

namespace {

struct ExcelState {
  std::shared_ptr<TOfficeApplication> app;
  std::shared_ptr<TOfficeDocument> active;
  std::string activePrinter;
};

OleVariant Nothing() { return OleVariant(); }

std::shared_ptr<TOfficeDocument> Require(const std::shared_ptr<ExcelState>& s) {
  if (!s->active || s->active->IsClosed()) throw EOleError("No workbook is open.");
  if (s->active->Process() != s->app->Process())
    throw EOleError("The workbook was lost when its office process ended");
  return s->active;
}

// The sheet the workbook's view shows: the one active when the file was saved.
Reference<css::sheet::XSpreadsheet> ActiveSheet(const TOfficeDocument& doc) {
  Reference<css::sheet::XSpreadsheetView> view(doc.Model()->getCurrentController(),
                                               UNO_QUERY_THROW);
  return view->getActiveSheet();
}

DispatchPtr MakeSheet(const std::shared_ptr<TOfficeDocument>& doc,
                      Reference<css::sheet::XSpreadsheet> sheet = {}) {
  if (!sheet.is()) sheet = ActiveSheet(*doc);
  Reference<css::drawing::XDrawPageSupplier> supplier(sheet, UNO_QUERY_THROW);
  Reference<css::drawing::XShapes> page(supplier->getDrawPage(), UNO_QUERY_THROW);
  RShapeHost host{doc, page, {}};
  auto obj = std::make_shared<TGuardedObject>(GuardOf(doc->Process()));
  obj->Prop("Name", [sheet](const Args&) {
    return OleVariant(
        uno::ToStd(Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName()));
  });
  // Activate: makes the sheet the one the workbook's view shows (and saves as active).
  obj->Func("Activate", [doc, sheet](const Args&) {
    Reference<css::sheet::XSpreadsheetView> view(doc->Model()->getCurrentController(),
                                                 UNO_QUERY_THROW);
    view->setActiveSheet(sheet);
    return OleVariant();
  });
  obj->Prop("Shapes", [host, page](const Args&) {
    return OleVariant(MakeShapesObject(host, [page] {
      std::vector<Reference<css::drawing::XShape>> shapes;
      for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i)
        shapes.emplace_back(page->getByIndex(i), UNO_QUERY);
      return shapes;
    }));
  });
  return obj;
}

// LibreOffice's .xls filter reads a text effect turned by an angle a (0 < a <= 90 degrees,
// counter-clockwise) back W * sin(a) lower than it wrote it, W being the shape's width (a
// watermark 400 points wide at 45 degrees comes back 283 points down). Before such a store
// the text effects are raised by that much, and put back right after it, so that the saved
// file shows each one where the document does.
std::function<void()> RaiseTurnedTextEffects(const TOfficeDocument& doc) {
  std::vector<std::pair<Reference<css::drawing::XShape>, sal_Int32>> moved;
  Reference<css::sheet::XSpreadsheetDocument> book(doc.Model(), UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> sheets(book->getSheets(), UNO_QUERY_THROW);
  for (sal_Int32 i = 0, n = sheets->getCount(); i < n; ++i) {
    Reference<css::drawing::XDrawPageSupplier> supplier(sheets->getByIndex(i), UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> page(supplier->getDrawPage(), UNO_QUERY_THROW);
    for (sal_Int32 k = 0, m = page->getCount(); k < m; ++k) {
      Reference<css::drawing::XShape> shape(page->getByIndex(k), UNO_QUERY);
      if (!shape.is() || !IsTextEffect(shape)) continue;
      sal_Int32 angle = 0;
      Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)
              ->getPropertyValue(OUString("RotateAngle")) >>=
          angle;
      if (angle <= 0 || angle > 9000) continue;
      const auto dy = static_cast<sal_Int32>(
          std::lround(shape->getSize().Width * std::sin(angle / 100.0 * M_PI / 180.0)));
      auto pos = shape->getPosition();
      pos.Y -= dy;
      shape->setPosition(pos);
      moved.emplace_back(shape, dy);
    }
  }
  if (moved.empty()) return {};
  return [moved] {
    for (const auto& [shape, dy] : moved) {
      auto pos = shape->getPosition();
      pos.Y += dy;
      shape->setPosition(pos);
    }
  };
}

DispatchPtr MakeWorkbook(const std::shared_ptr<ExcelState>& s,
                         const std::shared_ptr<TOfficeDocument>& doc) {
  auto obj = std::make_shared<TGuardedObject>(GuardOf(doc->Process()));
  std::weak_ptr<ExcelState> weak = s;
  obj->Func("Save", [doc](const Args&) {
    doc->Save();
    return Nothing();
  });
  // SaveAs(Filename, FileFormat, Password, ...): the format stays the workbook's own.
  obj->Func("SaveAs", [doc](const Args& a) {
    const OleVariant password = ArgAt(a, 2);
    doc->SaveAs(ArgAt(a, 0).AsString(), password.IsEmpty() ? "" : password.AsString());
    return Nothing();
  });
  obj->Func("Close", [doc, weak](const Args&) {
    doc->Close();
    if (auto st = weak.lock(); st && st->active == doc) st->active.reset();
    return Nothing();
  });
  // PrintOut(From, To, Copies, Preview, ActivePrinter, PrintToFile, Collate, PrToFileName).
  obj->Func("PrintOut", [doc, weak](const Args& a) {
    auto st = weak.lock();
    if (!st) throw EOleError("Excel has been quit");
    const OleVariant printer = ArgAt(a, 4);
    if (!printer.IsEmpty()) st->activePrinter = printer.AsString();
    st->app->PrintDocument(*doc, st->activePrinter);
    return Nothing();
  });
  obj->Prop("ActiveSheet", [doc](const Args&) { return OleVariant(MakeSheet(doc)); });
  auto sheets = std::make_shared<TGuardedObject>(GuardOf(doc->Process()));
  auto all = [doc] {
    Reference<css::sheet::XSpreadsheetDocument> book(doc->Model(), UNO_QUERY_THROW);
    return Reference<css::container::XIndexAccess>(book->getSheets(), UNO_QUERY_THROW);
  };
  sheets->Prop("Count", [all](const Args&) { return OleVariant(int(all()->getCount())); });
  // Item(index from 1) or Item(name).
  sheets->Func("Item", [doc, all](const Args& a) {
    auto list = all();
    const OleVariant which = ArgAt(a, 0);
    for (sal_Int32 i = 0, n = list->getCount(); i < n; ++i) {
      Reference<css::sheet::XSpreadsheet> sheet(list->getByIndex(i), UNO_QUERY_THROW);
      const bool match =
          which.Type() == VarType::String
              ? uno::ToStd(Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName()) ==
                    which.AsString()
              : which.AsInt() == i + 1;
      if (match) return OleVariant(MakeSheet(doc, sheet));
    }
    throw EOleError("Subscript out of range");
  });
  obj->Prop("Worksheets", [sheets](const Args&) { return OleVariant(DispatchPtr(sheets)); });
  obj->Prop("Name", [doc](const Args&) { return OleVariant(doc->Name()); });
  obj->Prop("FullName", [doc](const Args&) { return OleVariant(doc->FullName()); });
  return obj;
}

}  // namespace

DispatchPtr CreateExcelApplication() {
  auto s = std::make_shared<ExcelState>();
  s->app = std::make_shared<TOfficeApplication>("Excel", false);
  auto app = std::make_shared<TGuardedObject>(s->app->Guard());
  app->Prop(
      "Visible", [s](const Args&) { return OleVariant(s->app->Visible()); },
      [s](const OleVariant& v) { s->app->SetVisible(v.AsBool(), s->active); });
  app->Prop("Name", [](const Args&) { return OleVariant("Microsoft Excel"); });
  auto workbooks = std::make_shared<TGuardedObject>(s->app->Guard());
  workbooks->Func("Open", [s](const Args& a) {
    // Loaded with a frame (the process has no windows when headless): only then does the
    // view report the sheet that was active when the file was saved.
    const std::string path = ArgAt(a, 0).AsString();
    auto doc = s->app->OpenDocument([&path](std::shared_ptr<TOfficeProcess> process) {
      return TOfficeDocument::Open(std::move(process), OfficeKind::Calc, path, false);
    });
    std::weak_ptr<TOfficeDocument> weakDoc = doc;
    doc->SetStoreHook([weakDoc](const std::string& filter) -> std::function<void()> {
      auto d = weakDoc.lock();
      if (!d || filter != "MS Excel 97") return {};
      return RaiseTurnedTextEffects(*d);
    });
    s->active = doc;
    if (s->app->Visible()) s->app->SetVisible(true, doc);
    return OleVariant(MakeWorkbook(s, doc));
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
    return Nothing();
  });
  return app;
}

}  // namespace stampwell
