#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace stampwell {

// The window of one run: the runner's current action, steps done out of the total, a
// progress bar and an animation. Its buttons never act on the run themselves: they post
// WM_JOBSUSPEND, WM_JOBCONTINUE and WM_JOBTERMINATE to the main window, which owns the run.
// Closing it from its title bar (or with Escape) only hides it; the main window destroys it
// when the run closes.
class TfrmProgress : public QDialog {
  Q_OBJECT
 public:
  // owner receives the job messages and is the window this one centres on.
  explicit TfrmProgress(QWidget* owner);

  void btnHideClick();
  void btnSuspendClick();
  void btnCancelClick();
  void Timer1Timer();

  // Index of the animation picture shown next.
  int FrameCounter() const { return frameCounter_; }
  // On: running (the next Suspend click suspends).
  bool SuspendToggle() const { return suspendToggle_; }

  QLabel* Image1 = nullptr;
  QLabel* ActionName = nullptr;
  QLabel* JobStatus = nullptr;
  QProgressBar* JobProgressBar = nullptr;
  QPushButton* btnHide = nullptr;
  QPushButton* btnSuspend = nullptr;
  QPushButton* btnCancel = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  void reject() override;
  void showEvent(QShowEvent* event) override;

 private:
  QPointer<QObject> target_;
  bool suspendToggle_ = true;
  int frameCounter_ = 0;
  bool placed_ = false;
};

}  // namespace stampwell
