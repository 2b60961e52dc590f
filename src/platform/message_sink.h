// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace stampwell {

// Shows a single-button message to the user. Callable from any thread: the installed
// handler decides how (the desktop program shows a modal box on the UI thread and makes
// the caller wait until it is closed). Without a handler the text goes to stderr.
void ShowMessage(const std::string& text);

using MessageHandler = std::function<void(const std::string& text)>;

// Installs handler (an empty one restores stderr) and returns the previous handler.
MessageHandler SetMessageHandler(MessageHandler handler);

// Installs a handler for the lifetime of the object, restoring the previous one after.
class ScopedMessageHandler {
 public:
  explicit ScopedMessageHandler(MessageHandler handler)
      : previous_(SetMessageHandler(std::move(handler))) {}
  ~ScopedMessageHandler() { SetMessageHandler(std::move(previous_)); }
  ScopedMessageHandler(const ScopedMessageHandler&) = delete;
  ScopedMessageHandler& operator=(const ScopedMessageHandler&) = delete;

 private:
  MessageHandler previous_;
};

}  // namespace stampwell
