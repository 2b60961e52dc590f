// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "office/automation/ole_variant.h"

namespace stampwell {

class TPDFStack;

// The Excel engine: stamps the watermark onto the active sheet of Excel workbooks, saves
// them and prints them. Reaches Excel only through late-bound calls on the
// "Excel.Application" automation server.
//
// Errors: OpenXls catches everything and returns false; a failed start shows its message
// and leaves the application empty; every other operation lets a failing call reach its
// caller. One thread at a time; destroying the engine quits nothing and closes nothing.
// A block of cells, rows and columns counted from 1.
struct RCellBlock {
  int FirstRow = 1, FirstColumn = 1, LastRow = 1, LastColumn = 1;
  bool operator==(const RCellBlock&) const = default;
};

// Where a printed page of a sheet lies on the sheet, in points.
struct RPageArea {
  double Left = 0, Top = 0, Width = 0, Height = 0;
};

// How far a page area of the given size may grow by whole rows (or columns), at most most of
// them, and stay within limit: sizeWith(n) is its size with n more lines (never less than with
// fewer). The size itself when not even one more line fits.
double WholeLinesWithin(double size, double limit, int most,
                        const std::function<double(int)>& sizeWith);

// The mark's frame (before it is turned), in points.
struct RMarkBox {
  double Left = 0, Top = 0, Width = 0, Height = 0;
};

// A sheet's print range as Excel writes it ("$A$1:$F$40", several joined by commas, a sheet
// name before "!" allowed) as cell blocks; parts that are not cell ranges are left out.
std::vector<RCellBlock> ParsePrintArea(const std::string& text);
// The pages a block prints on, given the rows and columns that start a new page: down the
// rows first, then over the columns. Breaks outside the block are ignored.
std::vector<RCellBlock> SplitIntoPages(const RCellBlock& block, std::vector<int> rowBreaks,
                                       std::vector<int> columnBreaks);
// The mark's frame for a page: 400 x 80 points, made smaller where the page is too small for
// it, centred on the page so that the frame (turned 45 degrees when oblique) lies wholly within
// nine tenths of it.
RMarkBox FitMark(const RPageArea& area, bool oblique);
// The paper of Excel's PaperSize (Letter, Legal, A3, A4, A5, B5; others read as A4) in points,
// turned for landscape.
RPageArea PaperPoints(int paperSize, bool landscape);
// True for the names of sheet marks: the prefix and a page number.
bool IsOurSheetMarkName(const std::string& name);

class TXlsWaterMark {
 public:
  // Text "confidential", font "Times New Roman", empty size, colour 0, flags false.
  TXlsWaterMark();

  // CoInitialize and create "Excel.Application". On failure shows
  // "Excel open failed,please make sure your excel worked at first！".
  void OpenExcelApp();
  // App.Quit, empties the application, CoUninitialize.
  void CloseExcelApp();
  // Opens the workbook at path (starting Excel first if needed); true on success.
  bool OpenXls(const std::string& path);
  // After a failed open: true when it failed because the office ended under it (a new
  // office was tried too), not because of the file.
  bool OfficeEndedOnOpen = false;
  // save: Doc.Save (the workbook stays open); else Doc.Close (changes are not saved).
  void closeXls(bool save);
  // Saves the open workbook under path (Doc.SaveAs), so that a destination other than the
  // source receives the stamped workbook.
  void SaveAs(const std::string& path);
  // Replaces the watermark on every printed page of every visible sheet: one mark per page,
  // "QuillmarkWaterMarkObject<page>", centred on the page's cells and wholly within them.
  // With ActiveSheetOnly: one mark, "QuillmarkWaterMarkObject1", on the first page of the
  // sheet the workbook shows. Throws std::invalid_argument, before any call, when the size
  // text is not a whole number.
  void AddWaterMark();
  void deleteWaterMark(const std::string& name);
  bool WaterMarkExists(const std::string& name);
  // Adds one mark named name to the active sheet, in a page-sized area at its corner.
  // Throws std::invalid_argument, before any call, when the size text is not a whole number.
  void InsertWaterMarkShape(const std::string& name);
  // Prints the workbook on the PDF printer of PDFStack (named for this print only).
  // Throws std::logic_error when PDFStack is not set.
  void PrintToPDF();
  void PrintToPDFFile(const std::string& path);  // PrintToPDF; path not used
  void ClearPDFDirty() {}                        // nothing to do for workbooks

  bool AppStarted() const { return !app_.IsEmpty(); }
  const std::string& FileName() const { return fileName_; }

  RDocSettings DocSettings;
  TPDFStack* PDFStack = nullptr;  // not owned; only PDFPrinterName is read
  // One mark on the sheet the workbook shows, instead of one per printed page of every sheet.
  bool ActiveSheetOnly = false;
  // AddWaterMark first asks the workbook to run this same stamp inside the office
  // (Workbook.StampInOffice, with the settings); only when it cannot are the calls made from
  // here, one by one.
  bool StampInOffice = true;

  // Works on a workbook some other code opened: app's ActiveSheet and workbook's Worksheets
  // are what the stamp uses (the component inside the office hands its own).
  void UseWorkbook(const OleVariant& app, const OleVariant& workbook) {
    app_ = app;
    doc_ = workbook;
  }

 private:
  void StartFailed(const std::string& reason);
  bool startFailureShown_ = false;
  OleVariant Shapes() const;  // App.ActiveSheet.Shapes
  // The printed pages of sheet, where they lie on it; empty when the sheet prints nothing.
  std::vector<RPageArea> PageAreas(const OleVariant& sheet) const;
  void InsertMark(const OleVariant& shapes, const std::string& name, int size,
                  const RPageArea& area);

  OleVariant app_;
  OleVariant doc_;
  std::string fileName_;
};

}  // namespace stampwell
