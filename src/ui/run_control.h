// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "ui/run_outcome.h"

class QLabel;
class QWidget;

namespace stampwell {

class TJob;
class TJobProfile;
class TRunDisplay;
class TfrmProgress;

// The state machine of a run, apart from any window: start, suspend and continue, cancel,
// the drain of a cancelled runner and the end. One run at a time: a new run is refused while
// one is open and until the runner of a cancelled one has really ended.
//
// Suspend, continue and cancel act on the runner the moment they are asked for and only then
// show their message box ("Thread Suspend", "Thread Continue", "Thread Terminate"), which
// informs and asks nothing. They reach only the runner of the open run, through a weak
// reference that reads empty once the runner has ended.
//
// The progress window belongs to this object; its buttons and the runner's WM_JOBEND are
// posted here (the main window forwards job messages it receives here too). It is made for
// the first run and kept: at the end of a run it shows what the run came to and can be shown
// again, and the next run starts it afresh. No window of a run is ever destroyed while the
// program runs, so a message box open over one cannot lose its parent.
class TRunControl : public QObject {
  Q_OBJECT
 public:
  // window: the window the progress window centres on and belongs to on screen.
  explicit TRunControl(QWidget* window);
  ~TRunControl() override;

  // Opens the progress window and starts a run of profile; the runner's current action also
  // goes to statusPanel. False when a run is open or draining (nothing happens then).
  bool Start(const std::shared_ptr<TJobProfile>& profile, QLabel* statusPanel);
  void Suspend();
  void Continue();
  // Stops the runner (it finishes the file in hand) and closes the run at once.
  void Cancel();
  // Closes the open run: the runner's reports go nowhere, the progress window shows the end.
  void Close();
  // Shows the progress window again: of the open run, or the end of the last one.
  void ShowProgress();
  // Stops a run for the end of the program. True when a runner is still finishing; then
  // runnerEnded follows once it has closed down.
  bool StopForExit();

  bool Running() const { return openRun_ != 0; }
  // The open run is suspended.
  bool Suspended() const { return Running() && suspended_ > 0; }
  // What the last run came to (or, for a cancelled run still finishing, so far); nothing
  // before the first run.
  TRunOutcome LastOutcome() const;
  // A cancelled run's runner is still finishing its file.
  bool Draining() const { return drainingRun_ != 0; }
  // True while neither a run is open nor a runner finishing: a new run may start.
  bool Idle() const { return !Running() && !Draining(); }
  TfrmProgress* Progress() const;
  // The name of the job whose runner is going (open or finishing), or empty when idle. Its
  // files must stay where the runner writes them until it has ended.
  QString BusyJobName() const;
  // The job of the open run; nothing once it is closed.
  std::shared_ptr<TJobProfile> RunProfile() const { return runProfile_; }

 signals:
  // A run was opened / closed (idle as far as the user is concerned; see Draining).
  void runOpened();
  void runClosed();
  // The runner has ended and its log is complete; jobName is the job it ran.
  void runnerEnded(const QString& jobName);
  // Running, Suspended or Draining changed.
  void busyChanged();

 protected:
  bool event(QEvent* event) override;

 private:
  void OnJobEnd(quint64 run);

  QWidget* window_;
  std::unique_ptr<TfrmProgress> progress_;
  std::shared_ptr<TJobProfile> runProfile_;
  std::weak_ptr<TJob> runJob_;
  std::shared_ptr<TRunDisplay> runDisplay_;
  // Runs are numbered; 0 means none. openRun_ is the open run, drainingRun_ a cancelled run
  // whose runner has not ended yet.
  quint64 lastRun_ = 0;
  quint64 openRun_ = 0;
  quint64 drainingRun_ = 0;
  std::weak_ptr<TJob> drainingJob_;
  QString drainingName_;
  // Suspensions asked for and not yet continued (the menu and the window each hold one).
  int suspended_ = 0;
};

}  // namespace stampwell
