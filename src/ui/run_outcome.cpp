// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/run_outcome.h"

#include <QObject>
#include <algorithm>

namespace stampwell {

int TRunOutcome::Files() const {
  // A PDF job prints every Office file it handles, stamped or not; without PDF output nothing
  // is printed. So the larger of the two counts the Office files once.
  return std::max(stamped, printed) + copied + skipped + failed;
}

QString TRunOutcome::Headline() const {
  if (cancelled) return QObject::tr("Cancelled after %1 of %2").arg(done).arg(total);
  if (endedOnError) return QObject::tr("Stopped by an error");
  if (failed > 0) return QObject::tr("Completed: %1 of %2 files failed").arg(failed).arg(Files());
  if (skipped > 0 && std::max(stamped, printed) + copied == 0)
    return skipped == 1 ? QObject::tr("Nothing to do: 1 destination exists")
                        : QObject::tr("Nothing to do: %1 destinations exist").arg(skipped);
  return QObject::tr("Completed");
}

QString TRunOutcome::Summary() const {
  return QObject::tr("stamped %1, printed %2, copied %3, skipped %4, failed %5")
      .arg(stamped)
      .arg(printed)
      .arg(copied)
      .arg(skipped)
      .arg(failed);
}

}  // namespace stampwell
