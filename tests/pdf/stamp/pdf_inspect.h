// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "jobs/job_settings.h"

// What a reader and a PDF library see of a (stamped) PDF file, for the stamping tests and the
// benchmark: rendered mark pixels (poppler), page text (poppler), structure (QPDF); and PDF
// files made to order (QPDF).
namespace stampwell::test {

// The mark colour of the tests (Office byte order 0x00BBGGRR): no test file uses it.
inline constexpr TColor kMagenta = 0x00FF00FF;

// The mark of one colour on one rendered page, measured against the same page of the source
// rendered alike: pixels that read as the colour laid over what the source shows there.
struct RMarkMeasure {
  int pixels = 0;             // mark pixels
  double angle = 0;           // long axis, degrees counter-clockwise from the horizontal, -45..135
  double cx = 0;              // centre of the mark pixels, fraction of the rendered page's width
  double cy = 0;              // and height, from the top
  double opacity = 0;         // 1 solid, 0.5 half blended with what lies under it
  bool clipped = false;       // the mark touches the rendered page's edge
  int width = 0, height = 0;  // the rendered page
  std::vector<bool> mask;     // which of its pixels are mark pixels, row by row
};

// The share of mark pixels two measures of equally sized pages have in common (intersection
// over union): near 1 for the same mark in the same place and the same way up.
double MarkOverlap(const RMarkMeasure& a, const RMarkMeasure& b);

// Renders page (from 0) of stamped and of source at dpi and measures the mark of colour
// (TColor 0x00BBGGRR); dpi 0: about 400 pixels on the page's longer side. Empty (pixels 0)
// when the page shows no such mark.
RMarkMeasure MeasureMark(const std::string& stamped, const std::string& source, int page,
                         TColor color, double dpi = 40);

// The text poppler reads on each page.
std::vector<std::string> PageTexts(const std::string& path);
int PopplerPageCount(const std::string& path);  // -1: poppler cannot open it

// The file's structure as QPDF reads it (empty password).
struct RPdfStructure {
  int pages = 0;
  int annotations = 0;   // every entry of every page's /Annots
  int links = 0;         // of them, /Link annotations
  int formFields = 0;    // terminal fields of the AcroForm
  int outlines = 0;      // bookmarks, all levels
  int attachments = 0;   // embedded files of the name tree
  std::string metadata;  // the catalog's /Metadata stream, raw bytes
  std::string info;      // the trailer's /Info dictionary, unparsed
  bool encrypted = false;
  int encryptionR = 0;
  int permissions = 0;  // /P
  int markedPages = 0;  // pages with the engine's mark stream and mark XObject
  int markStreams = 0;  // streams of the engine in the whole file
  int markForms = 0;    // form XObjects of the engine in the whole file
};
RPdfStructure ReadStructure(const std::string& path);

// A PDF made with QPDF: one page per entry, each with a line of text in Helvetica.
struct RTestPage {
  double width = 612, height = 792;
  int rotate = 0;
  // Crop box inset from the media box on every side (0: none).
  double cropInset = 0;
  std::string text = "Hello page";
};
struct RTestPdf {
  std::vector<RTestPage> pages;
  // Encryption (R6, AES-256): none when both passwords are empty.
  std::string userPassword, ownerPassword;
  bool allowPrint = true, allowModify = true, allowExtract = true;
  bool signedField = false;  // an AcroForm with a signed signature field
  bool pdfa = false;         // PDF/A-2B identification (XMP) and an output intent
  bool link = false;         // a link annotation on the first page
  bool extras = false;       // an attachment, a bookmark per page and document properties
};
void MakePdf(const std::string& path, const RTestPdf& layout);

}  // namespace stampwell::test
