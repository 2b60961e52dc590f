#pragma once

#include <optional>
#include <string>

// What a reader sees of a watermark: the pages of a PDF rendered to pixels, and the pixels of
// the mark's colour (pure, or blended over a white page) measured.
namespace stampwell::test {

struct MarkMeasure {
  double angle = 0;    // of the mark's long axis, counter-clockwise from horizontal, -45..135
  double opacity = 0;  // 1 for a solid mark, 0.5 for one blended half with the page
  double cx = 0, cy = 0;  // centre of the mark's bounding box, as fractions of the page
  double w = 0, h = 0;    // size of the bounding box, as fractions of the page
  int pixels = 0;
  int page = 0;  // the page, among the first three, that shows most of the mark
};

// Measures the mark of colour (r, g, b) on the first three pages of pdf; nothing when fewer
// than 30 pixels of that colour are found on each of them.
std::optional<MarkMeasure> MeasureMark(const std::string& pdf, int r, int g, int b);

// Converts file (any document LibreOffice reads) to PDF in outDir with a fresh office process,
// as a reader's office would open it; returns the PDF's path, or "" when it could not.
std::string ReaderPdf(const std::string& file, const std::string& outDir);

// "angle=45.0 opacity=0.50 cx=0.50 cy=0.50 w=0.42 h=0.30 page=1", or "no mark".
std::string Describe(const std::optional<MarkMeasure>& m);

}  // namespace stampwell::test
