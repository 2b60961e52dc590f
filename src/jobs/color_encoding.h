#pragma once

#include <string>

#include "jobs/job_settings.h"

namespace stampwell {

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clSystemColor = 0xFF000000;  // + the system colour index

// The colour's name ("clGray", "clBtnFace", "clNone") when it has one, else "$" and eight
// upper-case hex digits ("$000080FF").
std::string ColorToString(TColor color);

// A colour name (any case) or an integer ("$" hex, "0x" hex or decimal, 32 bits; negative
// decimals wrap). Any other text raises EConvertError.
TColor StringToColor(const std::string& text);

}  // namespace stampwell
