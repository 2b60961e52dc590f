// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "office/legacy/splice_result.h"

// An .xls stamped by LibreOffice comes back written anew by LibreOffice's export, which keeps
// less than the source held (chart series names, colours of header text, alternative texts,
// ...). SpliceXlsMarks takes the marks out of that copy, sheet by sheet, and adds them to the
// source's own drawing of that sheet: the workbook stream keeps every other record of the
// source as it was (the offsets that point at records moved along), and every other stream
// stays the source's own. One more thing of the copy is the mark's: a print range the office
// grew to take in a mark that lay outside it, which the source's print range takes over.
namespace stampwell::legacy {

// source: the workbook as it was before stamping; stamped: LibreOffice's stamped copy of it;
// markText: the job's watermark text (the copy shows its marks as plain-text WordArt of that
// text). A mark this function placed before carries its name and is replaced; a sheet the
// copy no longer marks loses it. Not Done, with a reason, for what it does not take on: a
// file that is not Excel 97-2003, encrypted or signed, a source LibreOffice already wrote for
// an earlier stamp, sheets that do not correspond, a drawing it cannot read whole, a WordArt
// of the mark's text that is not named as ours, a print range the office changed otherwise
// than by growing it.
RSpliced SpliceXlsMarks(const std::string& source, const std::string& stamped,
                        const std::string& markText);

// The names of the shapes of each sheet's drawing (a group as one), sheet by sheet in the
// workbook's order ("" for an unnamed shape; none for a sheet without a drawing), of the file
// of bytes. Throws for a file that is not an Excel 97-2003 workbook or whose drawings do not
// read whole.
std::vector<std::vector<std::string>> XlsShapeNames(const std::string& bytes);

}  // namespace stampwell::legacy
