// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/run_control.h"

#include <QLabel>
#include <QWidget>
#include <exception>

#include "jobs/job_profile.h"
#include "platform/message_sink.h"
#include "run/job.h"
#include "ui/job_event.h"
#include "ui/progress_window.h"
#include "ui/run_display.h"

namespace stampwell {

TRunControl::TRunControl(QWidget* window) : QObject(nullptr), window_(window) {
  setObjectName(QStringLiteral("RunControl"));
}

TRunControl::~TRunControl() {
  // A runner still going reports into nothing from now on.
  if (runDisplay_) runDisplay_->Detach();
}

TfrmProgress* TRunControl::Progress() const { return progress_.get(); }

TRunOutcome TRunControl::LastOutcome() const {
  return runDisplay_ ? runDisplay_->Outcome() : TRunOutcome();
}

QString TRunControl::BusyJobName() const {
  if (Running() && runProfile_) return QString::fromStdString(runProfile_->Settings.Name);
  if (Draining()) return drainingName_;
  return QString();
}

bool TRunControl::Start(const std::shared_ptr<TJobProfile>& profile, QLabel* statusPanel) {
  if (!profile || !Idle()) return false;
  openRun_ = ++lastRun_;
  runProfile_ = profile;
  suspended_ = 0;
  if (!progress_) progress_ = std::make_unique<TfrmProgress>(window_, this);
  progress_->Begin();
  progress_->show();
  progress_->raise();
  emit runOpened();
  emit busyChanged();
  const quint64 run = openRun_;
  auto display = std::make_shared<TRunDisplay>(this, progress_.get(), statusPanel, run);
  runDisplay_ = display;
  try {
    // On failure RunJob has told the user and posted this run's WM_JOBEND, which closes it.
    profile->RunJob(display, display);
    display->SetJob(profile->Job);
    if (openRun_ == run) runJob_ = profile->Job;
  } catch (const std::exception& e) {
    // The runner could not be made (its PDF printer check failed, say): no run is open.
    Close();
    ShowMessage(e.what());
  }
  return true;
}

void TRunControl::Close() {
  // The runner's reports go nowhere from now on.
  if (runDisplay_) runDisplay_->Detach();
  if (progress_ && runDisplay_) progress_->Finish(runDisplay_->Outcome());
  suspended_ = 0;
  if (openRun_ != 0) {
    // A runner that has not ended yet (a cancelled run finishing its document) keeps new
    // runs out until its WM_JOBEND arrives.
    std::shared_ptr<TJob> job = runJob_.lock();
    if (job && !job->Finished()) {
      drainingRun_ = openRun_;
      drainingJob_ = job;
      drainingName_ = runProfile_ ? QString::fromStdString(runProfile_->Settings.Name) : QString();
    }
    openRun_ = 0;
  }
  runJob_.reset();
  runProfile_.reset();
  emit runClosed();
  emit busyChanged();
}

void TRunControl::OnJobEnd(quint64 run) {
  if (run != 0 && run == drainingRun_) {
    drainingRun_ = 0;
    drainingJob_.reset();
    // The cancelled run has its final counts now.
    if (progress_ && runDisplay_) progress_->Finish(runDisplay_->Outcome());
    emit busyChanged();
    emit runnerEnded(drainingName_);
    return;
  }
  // The end of a run that is no longer open changes nothing.
  if (!Running() || (run != 0 && run != openRun_)) return;
  const QString name = runProfile_ ? QString::fromStdString(runProfile_->Settings.Name) : QString();
  Close();
  emit runnerEnded(name);
}

void TRunControl::Suspend() {
  if (!Running()) return;
  if (auto job = runJob_.lock()) job->Suspend();
  ++suspended_;
  if (progress_) progress_->SetSuspended(true);
  emit busyChanged();
  ShowMessage(tr("Thread Suspend").toStdString());
}

void TRunControl::Continue() {
  if (!Running()) return;
  if (auto job = runJob_.lock()) job->Resume();
  if (suspended_ > 0) --suspended_;
  if (progress_) progress_->SetSuspended(suspended_ > 0);
  emit busyChanged();
  ShowMessage(tr("Thread Continue").toStdString());
}

void TRunControl::Cancel() {
  if (!Running()) return;
  // Terminate also releases a suspended runner, so a cancelled run always ends.
  if (auto job = runJob_.lock()) job->Terminate();
  if (runDisplay_) runDisplay_->SetCancelled();
  Close();
  ShowMessage(tr("Thread Terminate").toStdString());
}

void TRunControl::ShowProgress() {
  if (!progress_) return;
  progress_->show();
  progress_->raise();
}

bool TRunControl::StopForExit() {
  std::shared_ptr<TJob> job = runJob_.lock();
  if (!job) job = drainingJob_.lock();
  const bool finishing = job && !job->Finished();
  if (job) job->Terminate();
  if (Running()) {
    if (runDisplay_) runDisplay_->SetCancelled();
    Close();
  }
  return finishing;
}

bool TRunControl::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case TJobEvent::WM_JOBEND:
      OnJobEnd(static_cast<TJobEvent*>(event)->Run());
      return true;
    case TJobEvent::WM_JOBSUSPEND:
      Suspend();
      return true;
    case TJobEvent::WM_JOBCONTINUE:
      Continue();
      return true;
    case TJobEvent::WM_JOBTERMINATE:
      Cancel();
      return true;
    default:
      return QObject::event(event);
  }
}

}  // namespace stampwell
