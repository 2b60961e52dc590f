// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace stampwell::legacy {

// What a splice of marks into a source made: the whole new file, or why there is none.
struct RSpliced {
  bool Done = false;
  std::string Bytes;   // when Done
  std::string Reason;  // when not
};

}  // namespace stampwell::legacy
