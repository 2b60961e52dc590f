// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace stampwell {

// The sheet an Excel 95-2003 workbook (.xls: a compound file with a "Workbook" or "Book"
// stream of BIFF5/BIFF8 records) shows when it is opened: the active sheet index (from 0)
// recorded in its WINDOW1 record, or 0 when it has none. Read from the file alone, without
// the office, so that a workbook can be loaded without a view and still be stamped on the
// sheet a view would show.
//
// nullopt when the answer could differ from what the office shows: not such a file, a
// damaged or encrypted one, an index outside the sheet list, or a workbook holding any
// sheet that is not a worksheet (chart, macro and module sheets number differently).
std::optional<int> XlsActiveSheet(const std::string& path);

}  // namespace stampwell
