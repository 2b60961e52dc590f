// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// What a reader sees of a watermark: a file opened by an office process that had no part in
// writing it, its first pages rendered to pixels, and the pixels of the mark's colour (pure or
// blended over a white page) measured.
namespace stampwell::test {

struct RRgb {
  int r = 255, g = 0, b = 255;
};

struct RMarkMeasure {
  double angle = 0;    // long axis, degrees counter-clockwise from horizontal, in [-45, 135)
  double opacity = 0;  // 1 solid; 0.5 half blended with the white page
  double cx = 0, cy = 0, w = 0, h = 0;  // bounding box as fractions of the page
  int pixels = 0;
  int page = 0;        // which of the measured pages showed the most of the mark
};

// Measures one rendered page (binary PPM, P6, rendered at the resolution MeasurePdf uses).
// Empty when the colour covers less of the page than 30 pixels at 60 dpi.
// The mark is taken as blended over a white page, or over the same page rendered without the
// mark (referencePpm, same size) when one is given: that one also sees a mark over coloured
// backgrounds and pictures.
std::optional<RMarkMeasure> MeasurePpm(const std::string& ppmPath, RRgb colour,
                                       const std::string& referencePpm = "");
// Renders the first pages of a PDF (pages <= 0: all of them) at 30 dpi and measures the page
// that shows most of the mark; referencePdf: the document without the mark, page for page.
std::optional<RMarkMeasure> MeasurePdf(const std::string& pdf, RRgb colour, int pages = 3,
                                       const std::string& referencePdf = "");

// The measure of each of pages pages from firstPage on (pages <= 0: all to the end), empty
// where a page shows no mark.
std::vector<std::optional<RMarkMeasure>> MeasurePdfPages(const std::string& pdf, RRgb colour,
                                                         int pages,
                                                         const std::string& referencePdf = "",
                                                         int firstPage = 1);

// Converts files to PDF in one run of a fresh office process with a private profile (the way a
// reader would open them), into outDir. Returns the PDF path for each file ("" when the office
// could not convert it).
std::vector<std::string> RenderToPdf(const std::vector<std::string>& files, const std::string& outDir);

// MeasurePdf over RenderToPdf, for one file.
std::optional<RMarkMeasure> MeasureSaved(const std::string& file, const std::string& workDir,
                                         RRgb colour = {});

// Smallest difference between two angles of an axis (no direction), in degrees.
double AxisAngleDifference(double a, double b);

std::string Describe(const std::optional<RMarkMeasure>& m);

}  // namespace stampwell::test
