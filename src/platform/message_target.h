// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace stampwell {

// A window that receives posted messages (the main window). PostMessage queues the message
// and returns; the window handles it later on the UI thread. Called on the UI thread.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual void PostMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace stampwell
