// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/run_display.h"

#include <QCoreApplication>

#include "run/job.h"
#include "ui/job_event.h"
#include "ui/progress_window.h"
#include "ui/ui_text.h"

namespace stampwell {

TRunDisplay::TRunDisplay(QObject* mainWindow, TfrmProgress* progress, QLabel* statusPanel,
                         quint64 run)
    : mainWindow_(mainWindow), progress_(progress), panel_(statusPanel), run_(run) {
  if (progress) {
    bar_ = progress->JobProgressBar;
    action_ = progress->ActionName;
    status_ = progress->JobStatus;
  }
}

void TRunDisplay::Detach() {
  progress_.clear();
  bar_.clear();
  action_.clear();
  status_.clear();
  panel_.clear();
}

void TRunDisplay::SetProgressRange(int minimum, int maximum) {
  shownTotal_ = maximum;
  if (!bar_) return;
  // An empty range would make Qt show a busy bar; a run with nothing to do shows an empty one.
  if (maximum <= minimum)
    bar_->setRange(minimum, minimum + 1);
  else
    bar_->setRange(minimum, maximum);
  // The counter shows the total from the moment it is known.
  if (status_)
    status_->setText(QCoreApplication::translate("stampwell::TRunDisplay", "%1 of %2")
                         .arg(minimum)
                         .arg(maximum));
}

void TRunDisplay::SetCancelled() {
  outcome_.cancelled = true;
  if (outcome_.ended) return;
  outcome_.done = shownDone_;
  outcome_.total = shownTotal_;
}

void TRunDisplay::SetProgressPosition(int position) {
  shownDone_ = position;
  if (bar_) bar_->setValue(position);
}

void TRunDisplay::SetActionText(const std::string& text) { fullAction_ = text; }

void TRunDisplay::SetActionCaption(const std::string& text) {
  // The progress window cuts the whole action itself, in the middle, to its width.
  if (progress_)
    progress_->SetAction(Q(fullAction_.empty() ? text : fullAction_));
  else if (action_)
    action_->setText(Q(text));
  fullAction_.clear();
}

void TRunDisplay::SetStatusCaption(const std::string& text) {
  if (status_) status_->setText(Q(text));
}

void TRunDisplay::SetStatusPanelText(const std::string& text) {
  if (panel_) panel_->setText(Q(text));
}

void TRunDisplay::PostMessage(std::uint32_t message, std::intptr_t, std::intptr_t) {
  if (static_cast<int>(message) == TJobEvent::WM_JOBEND) {
    if (auto job = job_.lock(); job && job->Finished()) {
      const TJob::RunCounts& c = job->Counts;
      outcome_.stamped = c.Stamped;
      outcome_.printed = c.Printed;
      outcome_.copied = c.Copied;
      outcome_.skipped = c.Skipped;
      outcome_.failed = c.Failed;
      outcome_.done = job->DoneCount;
      outcome_.total = job->TotalCount;
      outcome_.endedOnError = job->EndedOnError();
      outcome_.cancelled = outcome_.cancelled || job->Terminated();
    }
    outcome_.ended = true;
  }
  TJobEvent::Post(mainWindow_, static_cast<int>(message), run_);
}

}  // namespace stampwell
