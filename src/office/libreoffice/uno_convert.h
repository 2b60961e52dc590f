// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include <rtl/ustring.hxx>

// Conversions between the Office object model's units and LibreOffice's, kept in one place
// so that every server converts the same way.
namespace stampwell {
using rtl::OString;
using rtl::OUString;
}  // namespace stampwell

namespace stampwell::uno {

std::string ToStd(const OUString& s);
OUString ToOU(const std::string& s);

// A percent-encoded file URL for a system path (spaces and non-ASCII characters included).
OUString FileUrl(const std::string& path);

// Office points and UNO hundredths of a millimetre (1 pt = 2540/72).
std::int32_t PointsToHmm(double points);
double HmmToPoints(std::int32_t hmm);

// Office colours are 0x00BBGGRR (red in the low byte); UNO colours are 0x00RRGGBB.
std::int32_t OfficeRgbToUno(std::uint32_t officeRgb);
std::uint32_t UnoToOfficeRgb(std::int32_t unoColor);

// Office rotation is clockwise degrees; UNO RotateAngle is counter-clockwise hundredths of a
// degree in [0, 36000).
std::int32_t ClockwiseDegreesToRotateAngle(double degrees);
double RotateAngleToClockwiseDegrees(std::int32_t rotateAngle);

// Office transparency 0.0..1.0; UNO transparence in percent 0..100 (clamped).
std::int16_t TransparencyToPercent(double transparency);
double PercentToTransparency(std::int16_t percent);

}  // namespace stampwell::uno
