// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "office/ooxml/mark_style.h"
#include "office/ooxml/zip_package.h"

// The marks the Office applications write, put into an open package. Each stamp first takes
// out the marks this program placed before (by name, or a mark the LibreOffice path recorded
// by its text), then adds the new ones; it returns how many it added. Parts are changed
// through TZipPackage::Write only. Errors are EPackageError (a part that is missing or not
// XML) with a message that reads well after "Error in <file>:".
namespace stampwell::ooxml {

// Word: the watermark shape of Word's own Watermark command (a VML text path in the header)
// in every header part a page shows: each section's default header, its first-page header
// when the section has a different first page, its even-page header when the document has
// different odd and even pages. A section that shows a header of a kind without having or
// inheriting one gets a new header part carrying only the mark.
int StampWordDocument(TZipPackage& package, const RMarkStyle& style);

// PowerPoint: a text shape first in the shape tree of every slide master, so that it lies
// behind the placeholders and every slide of the master shows it.
int StampPresentation(TZipPackage& package, const RMarkStyle& style);

struct RSheetStampOptions {
  // Only the sheet active when the workbook was saved, one mark on its first printed page.
  bool ActiveSheetOnly = false;
};

// Excel: a text-effect shape in the drawing of every visible worksheet that prints, one on
// each printed page area as the sheet's page setup divides it, wholly inside that area. A
// single print range whose last page is far smaller than its paper (one row) grows over the
// blank cells beyond it, so that the mark it then holds is of a size to read; notes, when
// given, gets a line for each such range ("the print range of sheet "Data" grew from $A$1:$C$1
// to $A$1:$E$23 to hold a readable mark").
int StampWorkbook(TZipPackage& package, const RMarkStyle& style,
                  const RSheetStampOptions& options = {},
                  std::vector<std::string>* notes = nullptr);

}  // namespace stampwell::ooxml
