// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/message_sink.h"

#include <cstdio>
#include <mutex>

namespace stampwell {
namespace {
std::mutex g_mutex;
MessageHandler g_handler;
}  // namespace

void ShowMessage(const std::string& text) {
  MessageHandler handler;
  {
    std::lock_guard lock(g_mutex);
    handler = g_handler;
  }
  // The handler runs outside the lock: it may block until the user answers.
  if (handler) {
    handler(text);
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
}

MessageHandler SetMessageHandler(MessageHandler handler) {
  std::lock_guard lock(g_mutex);
  MessageHandler previous = std::move(g_handler);
  g_handler = std::move(handler);
  return previous;
}

}  // namespace stampwell
