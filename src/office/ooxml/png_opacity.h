// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace stampwell::ooxml {

// The share of a PNG picture's pixels (0 to 1) that hide what lies behind them (an alpha of
// 240 or more out of 255), read from its pixels: those of a picture with an alpha channel, and
// those of a picture with a palette whose transparency chunk makes some of its colours see-
// through. 1 for a PNG without transparency of either kind; 0 for what this does not read
// (not a PNG, damaged, interlaced, a transparent colour key on a picture without a palette).
double PngOpaqueShare(const std::string& data);

}  // namespace stampwell::ooxml
