// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace stampwell {

// Job window messages, posted to the main window with both parameters 0. The numbers are the
// system's own (WM_USER + 0x457 and following); the Qt main window receives them as custom
// event types with the same numbers.
inline constexpr std::uint32_t WM_USER = 0x400;
inline constexpr std::uint32_t WM_JOBEND = 0x857;
inline constexpr std::uint32_t WM_JOBSUSPEND = 0x858;
inline constexpr std::uint32_t WM_JOBCONTINUE = 0x859;
inline constexpr std::uint32_t WM_JOBTERMINATE = 0x85C;

}  // namespace stampwell
