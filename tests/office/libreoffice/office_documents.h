// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// Test documents made through LibreOffice: flat OpenDocument text written here, converted by
// the office's own command line into the legacy binary formats.
namespace stampwell::test {

// Flat ODF texts.
std::string OneSectionText();
std::string ThreeSectionText();        // three page styles, one page each
std::string PlainText(int pages);      // one page style, no special headers
std::string MixedSectionsText();       // 8 pages: first-page, odd/even and both, in 3 sections
std::string FirstPageText(int pages);  // different first page header
std::string OddEvenText(int pages);    // different odd and even page headers
// Three pages, a different first page header; pages 1 and 3 behind a filled frame of about
// the page's size, behind the text.
std::string BackdropText();
std::string ThreeSheetWorkbook();      // three sheets, the second one active
// A short sheet, an empty one, a long one (150 rows, several pages down), a hidden one, a
// wide one (40 columns, several pages across) and one whose drawing prints on a page below
// its cells.
std::string PrintedSheetsWorkbook();
// One sheet whose cells fill most of the paper's width, beside an empty column too wide to
// print on the same page.
std::string BroadColumnsWorkbook();
// One sheet of rows (a quarter inch high) by 6 columns 2 inches wide, on Letter paper whose
// page layout takes the attributes layout (a print scale or a fit to pages), printing
// printRange ("A1:.C1") or, when "", the whole sheet.
std::string PrintScaleWorkbook(const std::string& layout, const std::string& printRange,
                               int rows);
std::string TwoSlidePresentation();    // two slides, each with a text box

// Converts every file in sources (.fodt/.fodp/...) into format ("doc", "xls", "ppt", ...) in
// outDir with one office command-line run, in a private profile. Returns false on failure.
// filter names the export filter where the extension alone would pick another one.
// When STAMPWELL_TEST_DOCS names a folder (CTest sets it for the office tests, and the
// office_docs fixture empties it once per test run), a conversion of the same bytes into the
// same format is made once and copied from there by every test program of the run.
bool ConvertWithOffice(const std::vector<std::string>& sources, const std::string& format,
                       const std::string& outDir, const std::string& filter = "");
// The same, always through a fresh office process and never kept: for files a test made.
bool ConvertFresh(const std::vector<std::string>& sources, const std::string& format,
                  const std::string& outDir, const std::string& filter = "");
// The folder STAMPWELL_TEST_DOCS names, "" when none.
std::string SharedConversionFolder();

// Number of soffice.bin processes whose command line contains needle.
int CountOfficeProcesses(const std::string& needle);

// Process ids of soffice.bin processes whose command line contains needle.
std::vector<int> OfficePids(const std::string& needle);

// Runs a command line and returns its standard output.
std::string RunCapture(const std::string& command);

}  // namespace stampwell::test
