// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace stampwell {

// A text that should hold a number does not; the message is "'<text>' is not a valid integer
// value". Raised by the colour encoding and propagated to the caller, like the other errors
// the system does not report itself.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace stampwell
