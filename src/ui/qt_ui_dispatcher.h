// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

#include "platform/ui_dispatcher.h"

namespace stampwell {

// The desktop program's way to the UI thread: queued invocations on an object owned by the
// UI thread (the thread that constructs the dispatcher). Work posted after the dispatcher is
// destroyed is dropped, never run on a dead object.
class TQtUiDispatcher : public UiDispatcher {
 public:
  TQtUiDispatcher();
  ~TQtUiDispatcher() override;
  void Post(std::function<void()> fn) override;
  void PostAndWait(std::function<void()> fn) override;

 private:
  std::unique_ptr<QObject> context_;
};

}  // namespace stampwell
