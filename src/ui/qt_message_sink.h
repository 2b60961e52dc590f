// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

#include "platform/message_sink.h"

namespace stampwell {

// Routes ShowMessage into a modal box with a single OK button on the UI thread. Called from a
// worker thread, the caller waits until the user has closed the box. Lives on the UI thread;
// installs itself on construction and restores the previous handler on destruction.
class TQtMessageSink {
 public:
  TQtMessageSink();
  ~TQtMessageSink();
  TQtMessageSink(const TQtMessageSink&) = delete;
  TQtMessageSink& operator=(const TQtMessageSink&) = delete;

 private:
  std::unique_ptr<QObject> context_;  // lives on the UI thread; receives the queued boxes
  std::unique_ptr<ScopedMessageHandler> handler_;
};

}  // namespace stampwell
