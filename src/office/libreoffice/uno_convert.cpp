// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/uno_convert.h"

#include <algorithm>
#include <cmath>

#include <osl/file.hxx>
#include <rtl/string.hxx>

namespace stampwell::uno {

std::string ToStd(const OUString& s) {
  const OString utf8 = OUStringToOString(s, RTL_TEXTENCODING_UTF8);
  return std::string(utf8.getStr(), utf8.getLength());
}

OUString ToOU(const std::string& s) {
  return OUString(s.data(), static_cast<sal_Int32>(s.size()), RTL_TEXTENCODING_UTF8);
}

OUString FileUrl(const std::string& path) {
  OUString url;
  osl::FileBase::getFileURLFromSystemPath(ToOU(path), url);
  return url;
}

std::int32_t PointsToHmm(double points) {
  return static_cast<std::int32_t>(std::lround(points * 2540.0 / 72.0));
}

double HmmToPoints(std::int32_t hmm) { return hmm * 72.0 / 2540.0; }

std::int32_t OfficeRgbToUno(std::uint32_t c) {
  const std::uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return static_cast<std::int32_t>((r << 16) | (g << 8) | b);
}

std::uint32_t UnoToOfficeRgb(std::int32_t color) {
  const auto c = static_cast<std::uint32_t>(color);
  const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return (b << 16) | (g << 8) | r;
}

std::int32_t ClockwiseDegreesToRotateAngle(double degrees) {
  long angle = std::lround(-degrees * 100.0) % 36000;
  if (angle < 0) angle += 36000;
  return static_cast<std::int32_t>(angle);
}

double RotateAngleToClockwiseDegrees(std::int32_t rotateAngle) {
  long angle = (36000 - (rotateAngle % 36000)) % 36000;
  return angle / 100.0;
}

std::int16_t TransparencyToPercent(double transparency) {
  const double percent = std::clamp(transparency, 0.0, 1.0) * 100.0;
  return static_cast<std::int16_t>(std::lround(percent));
}

double PercentToTransparency(std::int16_t percent) { return percent / 100.0; }

}  // namespace stampwell::uno
