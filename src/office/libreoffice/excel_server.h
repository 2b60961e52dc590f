// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "office/automation/ole_variant.h"

namespace stampwell {

// Creates an "Excel.Application" object: a new Calc process and Excel's object model over it
// (workBooks.Open, ActiveSheet.Shapes, workbook Save/SaveAs/Close/PrintOut, Quit).
DispatchPtr CreateExcelApplication();

}  // namespace stampwell
