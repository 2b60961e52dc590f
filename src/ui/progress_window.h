// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace stampwell {

struct TRunOutcome;

// The window of one run: the runner's current action, steps done out of the total, a
// progress bar, an animation, the time spent, the pace and the time left; at the end of the
// run what it came to (the headline and the counts of stamped, printed, copied, skipped and
// failed files). Its first state (picture, counter) shows from the start, and a new run
// starts it afresh (Begin), never with the end of the last one.
//
// Its buttons never act on the run themselves: they post WM_JOBSUSPEND, WM_JOBCONTINUE and
// WM_JOBTERMINATE to the window that owns the run. Escape stops a run that is going, as
// Cancel does; closing it from its title bar or with Hide only hides it. The window stays
// after its run has ended, so that the user can look at the end again.
class TfrmProgress : public QDialog {
  Q_OBJECT
 public:
  // owner is the window this one centres on; target receives the job messages (owner when
  // none is given).
  explicit TfrmProgress(QWidget* owner, QObject* target = nullptr);

  // A new run: counter, bar, times and buttons as at the start; the clock starts.
  void Begin();
  // The run has ended (or was cancelled): the buttons that act on it go, the end shows.
  void Finish(const TRunOutcome& outcome);
  // The run is suspended (its time stops) or goes on.
  void SetSuspended(bool suspended);
  bool Ended() const { return ended_; }

  // Shows the runner's current action: a text too long for the line is cut in the middle
  // with an ellipsis, and the whole text is the line's tooltip.
  void SetAction(const QString& text);
  QString Action() const { return action_; }

  void btnHideClick();
  void btnSuspendClick();
  void btnCancelClick();
  void Timer1Timer();
  // Writes the time line for elapsedMs of running time and the bar's count.
  void UpdateTimes(qint64 elapsedMs);
  // Running time so far, suspended time left out.
  qint64 ElapsedMs() const;

  // "1:05", or "1:02:05" from an hour on.
  static QString Duration(qint64 ms);

  // Index of the animation picture shown next.
  int FrameCounter() const { return frameCounter_; }
  // On: running (the next Suspend click suspends).
  bool SuspendToggle() const { return suspendToggle_; }

  QLabel* Image1 = nullptr;
  QLabel* ActionName = nullptr;
  QLabel* JobStatus = nullptr;
  QProgressBar* JobProgressBar = nullptr;
  QLabel* Times = nullptr;
  QLabel* Headline = nullptr;
  QLabel* Summary = nullptr;
  QPushButton* btnHide = nullptr;
  QPushButton* btnSuspend = nullptr;
  QPushButton* btnCancel = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QPointer<QObject> target_;
  QString action_;
  bool suspendToggle_ = true;
  bool ended_ = false;
  int frameCounter_ = 0;
  bool placed_ = false;
  QElapsedTimer clock_;
  qint64 banked_ = 0;  // running time before the last suspension
};

}  // namespace stampwell
