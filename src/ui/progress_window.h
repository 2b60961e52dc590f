#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace stampwell {

// The window of one run: the runner's current action, steps done out of the total, a
// progress bar and an animation. Its first state (picture, counter) shows from the start. Its
// buttons never act on the run themselves: they post WM_JOBSUSPEND, WM_JOBCONTINUE and
// WM_JOBTERMINATE to the main window, which owns the run. Closing it from its title bar (or with
// Escape) only hides it; the main window destroys it when the run closes.
class TfrmProgress : public QDialog {
  Q_OBJECT
 public:
  // owner is the window this one centres on; target receives the job messages (owner when
  // none is given).
  explicit TfrmProgress(QWidget* owner, QObject* target = nullptr);

  // Shows the runner's current action: a text too long for the line is cut in the middle
  // with an ellipsis, and the whole text is the line's tooltip.
  void SetAction(const QString& text);
  QString Action() const { return action_; }

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
  QString action_;
  bool suspendToggle_ = true;
  int frameCounter_ = 0;
  bool placed_ = false;
};

}  // namespace stampwell
