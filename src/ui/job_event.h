// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>

#include "platform/window_messages.h"

namespace stampwell {

// The job window messages as Qt events posted to the main window. Their types are the
// message numbers themselves, which lie inside Qt's user event range. Both message
// parameters of the original messages are 0; Run() tells which run a WM_JOBEND belongs to
// (0 when the sender does not say), so that a late end of an earlier run cannot close a newer
// one.
class TJobEvent : public QEvent {
 public:
  static constexpr int WM_JOBEND = static_cast<int>(stampwell::WM_JOBEND);
  static constexpr int WM_JOBSUSPEND = static_cast<int>(stampwell::WM_JOBSUSPEND);
  static constexpr int WM_JOBCONTINUE = static_cast<int>(stampwell::WM_JOBCONTINUE);
  static constexpr int WM_JOBTERMINATE = static_cast<int>(stampwell::WM_JOBTERMINATE);
  static_assert(WM_JOBEND > QEvent::User && WM_JOBTERMINATE < QEvent::MaxUser);

  explicit TJobEvent(int message, quint64 run = 0)
      : QEvent(static_cast<QEvent::Type>(message)), run_(run) {}

  quint64 Run() const { return run_; }

  // Posts the message to target; nothing when target is null.
  static void Post(QObject* target, int message, quint64 run = 0);

 private:
  quint64 run_;
};

}  // namespace stampwell
