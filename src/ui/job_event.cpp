// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/job_event.h"

#include <QCoreApplication>

namespace stampwell {

void TJobEvent::Post(QObject* target, int message, quint64 run) {
  if (target) QCoreApplication::postEvent(target, new TJobEvent(message, run));
}

}  // namespace stampwell
