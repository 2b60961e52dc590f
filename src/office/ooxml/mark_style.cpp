// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ooxml/mark_style.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "office/office_shapes.h"

namespace stampwell::ooxml {

RMarkStyle MarkStyleOf(const RDocSettings& settings) {
  RMarkStyle style;
  style.Text = settings.DocWaterMarkStr;
  style.Font = settings.DocFontName.empty() ? "Times New Roman" : settings.DocFontName;
  const int size = ParseWatermarkSize(settings.DocWatermarkSize);
  if (size < 1)
    throw std::invalid_argument("the watermark size " + std::to_string(size) +
                                " is too small (at least 1)");
  style.SizePt = std::min(size, 1638);
  style.Rgb = RgbHex(settings.DocWatermarkColor);
  style.Transparent = settings.Transparent;
  style.Oblique = settings.HX;
  return style;
}

std::string RgbHex(TColor color) {
  char hex[7];
  std::snprintf(hex, sizeof hex, "%02X%02X%02X", unsigned(color & 0xFF),
                unsigned((color >> 8) & 0xFF), unsigned((color >> 16) & 0xFF));
  return hex;
}

double TextWidthEm(const std::string& utf8) {
  double width = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x80) {
      if ((c & 0xC0) == 0x80) continue;  // continuation byte
      width += c >= 0xE0 ? 1.0 : 0.6;    // CJK and the like are full width
      continue;
    }
    if (std::strchr("iljI.,;:'!|", c))
      width += 0.28;
    else if (std::strchr("MW", c))
      width += 0.85;
    else if (std::strchr("mw", c))
      width += 0.78;
    else if (c == ' ')
      width += 0.28;
    else if (c >= 'A' && c <= 'Z')
      width += 0.68;
    else
      width += 0.55;
  }
  return std::max(width, 0.5);
}

bool IsMarkName(const std::string& name) {
  const std::size_t n = std::strlen(kWaterMarkPrefix);
  if (name.size() <= n || name.compare(0, n, kWaterMarkPrefix) != 0) return false;
  return std::all_of(name.begin() + long(n), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

std::string MarkName(int number) { return kWaterMarkPrefix + std::to_string(number); }

std::string XmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace stampwell::ooxml
