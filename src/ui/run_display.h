// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <cstdint>
#include <memory>

#include "platform/message_target.h"
#include "run/job_display.h"
#include "ui/run_outcome.h"

namespace stampwell {

class TfrmProgress;
class TJob;

// What one run sees of the windows: the progress window's bar and labels, the main window's
// status panel, and the main window as the receiver of WM_JOBEND. Every control is watched
// through a QPointer, and Detach cuts the display off when the run is closed, so a runner that
// is still finishing never reaches a control that is gone. The messages it posts carry the
// run's number.
class TRunDisplay : public JobDisplay, public MessageTarget {
 public:
  TRunDisplay(QObject* mainWindow, TfrmProgress* progress, QLabel* statusPanel, quint64 run);

  // From now on reports change nothing; messages still reach the main window.
  void Detach();
  // The runner whose end this display reports: its counts are taken when it posts WM_JOBEND
  // (it is still there then, on the UI thread), since it frees itself right after.
  void SetJob(std::weak_ptr<TJob> job) { job_ = std::move(job); }
  // What the run came to; ended once the runner has posted its end.
  const TRunOutcome& Outcome() const { return outcome_; }
  // The user stopped the run; until the runner ends, its count is the last one shown.
  void SetCancelled();

  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void SetActionText(const std::string& text) override;
  void SetActionCaption(const std::string& text) override;
  void SetStatusCaption(const std::string& text) override;
  void SetStatusPanelText(const std::string& text) override;
  void PostMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override;

 private:
  QPointer<QObject> mainWindow_;
  QPointer<TfrmProgress> progress_;
  QPointer<QProgressBar> bar_;
  QPointer<QLabel> action_;
  // The whole action of the report in hand, when the runner gave it.
  std::string fullAction_;
  QPointer<QLabel> status_;
  QPointer<QLabel> panel_;
  quint64 run_;
  std::weak_ptr<TJob> job_;
  TRunOutcome outcome_;
  int shownDone_ = 0;
  int shownTotal_ = 0;
};

}  // namespace stampwell
