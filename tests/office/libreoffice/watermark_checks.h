// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "office/automation/ole_variant.h"

// Reading back what the servers wrote: header shapes of a Word file (through a separate
// Word process), PDF text and the colours of a rendered PDF page.
namespace stampwell::test {

// The job used by the office tests: red, 50 % transparent, oblique.
RDocSettings JobSettings();

struct ShapeInfo {
  std::string Name, Text, Font;
  double Rotation = 0, Transparency = 0, Left = 0, Top = 0, Width = 0, Height = 0;
  int Rgb = 0, WrapType = -1;
  bool LineVisible = true;
};

ShapeInfo Describe(const OleVariant& shape);
std::vector<ShapeInfo> DescribeAll(const OleVariant& shapes);

// Expects the look the Word engine gives a watermark for JobSettings(). reloaded: read from a
// saved file; LibreOffice then reports every header shape as drawn behind the body text (its
// rendering of Word's header layer), so only "not wrapped" is required of the wrap type.
void ExpectJobLook(const ShapeInfo& s, bool reloaded);

// Opens Word files in its own "Word.Application" and lists the shapes of every header:
// "s<section>/primary", plus "s1/first" and "s1/even" when the page setup has them.
class WordInspector {
 public:
  WordInspector();
  ~WordInspector();
  std::map<std::string, std::vector<ShapeInfo>> HeaderShapes(const std::string& path);

 private:
  OleVariant app_;
};

std::string PdfText(const std::string& pdf);
// The PDF's text in content order with all white space removed: rotated text such as the
// watermark comes out one glyph per line, so "Stampwell Test Mark" reads "StampwellTestMark".
std::string PdfGlyphs(const std::string& pdf);
// text with its white space removed.
std::string Compact(const std::string& text);

struct PageColours {
  int watermark = 0;  // pixels in the job's colour (red), pure or blended over white
  int dark = 0;       // near-black pixels
};
PageColours CountPageColours(const std::string& pdf, int page = 1);

// Profile directories of this program's office processes whose command line holds tag.
std::vector<std::string> OfficeProfileDirs(const std::string& tag);

}  // namespace stampwell::test
