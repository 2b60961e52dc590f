// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>

#include "jobs/job_settings.h"

namespace stampwell {

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clSystemColor = 0xFF000000;  // + the system colour index

// A colour that has a name in profiles.
struct NamedColor {
  const char* name;
  TColor value;
};

// Every named colour, in this order: the 16 standard colours, the 4 extended ones (money
// green, sky blue, cream, medium grey), clNone, clDefault, then the system colours by index.
// No two share a value.
std::span<const NamedColor> NamedColors();

// The colour's name ("clGray", "clBtnFace", "clNone") when it has one, else "$" and eight
// upper-case hex digits ("$000080FF").
std::string ColorToString(TColor color);

// A colour name (any case) or an integer ("$" hex, "0x" hex or decimal, 32 bits; negative
// decimals wrap). Any other text raises EConvertError.
TColor StringToColor(const std::string& text);

}  // namespace stampwell
