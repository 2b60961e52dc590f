// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include "office/automation/ole_variant.h"

namespace stampwell {

class TOfficeDocument;
class TOfficeProcess;

// Creates an "Excel.Application" object: a new Calc process and Excel's object model over it
// (workBooks.Open, ActiveSheet.Shapes, workbook Save/SaveAs/Close/PrintOut, Quit).
DispatchPtr CreateExcelApplication();

// Excel's objects for a workbook open in the office this code runs in (the program's component
// stamps there): Application (ActiveSheet) and the Workbook (Worksheets, ActiveSheet), over
// the model given. viewSheet: the sheet a view would show, for a workbook loaded without a
// view; -1 when it has one. Added receives every text effect added through them, with its
// sheet.
// A text effect added to a sheet through the Excel objects: the sheet, and the shape.
using RAddedTextEffect =
    std::pair<css::uno::Reference<css::sheet::XSpreadsheet>, css::uno::Reference<css::drawing::XShape>>;
// Text effects as the component hands them over, one sequence: sheet, shape, sheet, shape, ...
// and back (pairs whose sheet or shape is missing are left out).
css::uno::Sequence<css::uno::Reference<css::uno::XInterface>> AddedAsSequence(
    const std::vector<RAddedTextEffect>& added);
std::vector<RAddedTextEffect> AddedFromSequence(
    const css::uno::Sequence<css::uno::Reference<css::uno::XInterface>>& list);

struct RExcelHere {
  std::shared_ptr<TOfficeProcess> Process;  // the office itself
  DispatchPtr App;
  DispatchPtr Workbook;
  std::shared_ptr<std::vector<RAddedTextEffect>> Added;
};
RExcelHere ExcelObjectsHere(const css::uno::Reference<css::uno::XComponentContext>& context,
                            const css::uno::Reference<css::frame::XModel>& model, int viewSheet);

// What a workbook needs just before it is stored with filter: each text effect of added kept
// within its sheet's print range, and for the .xls filter the turned ones raised (the filter
// reads them back lower than it writes them). Returns what puts them back after the store
// (may be empty). Made here or by the component inside the office.
std::function<void()> PrepareWorkbookStore(const TOfficeDocument& doc,
                                           const std::vector<RAddedTextEffect>& added,
                                           const std::string& filter);

}  // namespace stampwell
