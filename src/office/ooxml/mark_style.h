// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "jobs/job_settings.h"

// The job's watermark settings in the units the package formats write, and how a mark is
// recognised as this program's own.
namespace stampwell::ooxml {

struct RMarkStyle {
  std::string Text;
  std::string Font;
  double SizePt = 60;     // the font size the job asks for
  std::string Rgb;        // "RRGGBB"
  bool Transparent = false;
  bool Oblique = false;
  // Clockwise degrees, as the Office applications store a shape's rotation.
  int Rotation() const { return Oblique ? 315 : 0; }
};

// From the job's settings. The size text must be a whole number (std::invalid_argument
// otherwise, with the engines' message) of at least 1; sizes above Word's largest (1638)
// are taken as that. The font defaults to Times New Roman, as the Office engines' does.
RMarkStyle MarkStyleOf(const RDocSettings& settings);

// A 0x00BBGGRR colour as "RRGGBB". The high byte is not looked at, as on the office path
// (a system colour, clNone or clDefault is read as the RGB of its low bytes).
std::string RgbHex(TColor color);

// The width of text set in one line, in ems (estimated from typical sans-serif advances:
// the packages carry no font metrics; readers fit the text to the shape's box).
double TextWidthEm(const std::string& utf8);

// The names this program gives its marks: the watermark prefix and a number ("1", "2", ...).
// A shape is ours only on an exact, case-sensitive match.
bool IsMarkName(const std::string& name);
std::string MarkName(int number);

// Text escaped for an XML attribute value or text node.
std::string XmlEscape(const std::string& text);

}  // namespace stampwell::ooxml
