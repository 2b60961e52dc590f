#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace stampwell {

class TJob;
class TJobProfile;
class TPDFStack;
class TSettingFrame;
class TFolderFrame;
class TDocSetFrame;
class THistoryFrame;
class THtmViewFrame;
class TfrmProgress;
class TRunDisplay;

// The program's working window: the job tree above, the help page or the four pages of the
// chosen job below, and every job operation (new, delete, export, import, run and the run
// controls). Its creation is the program's start-up work; its destruction saves the job whose
// pages are shown.
//
// One run at a time: while a run is open, and until the runner of a cancelled run has really
// ended, Run is disabled. Suspend, continue and cancel reach only the runner of the open run,
// through a weak reference that reads empty once the runner has ended. Exit during a run stops
// the runner and ends the program when it has closed down.
//
// A tree node finds its job by its place (node i is ProfileList()[i - 1]), so a job renamed on
// its General page keeps working; the node shows the new name once it is saved.
class TfrmMain : public QMainWindow {
  Q_OBJECT
 public:
  // Image numbers of the main image list; the status bar height of the resize rule.
  static constexpr int kJobImage = 0;
  static constexpr int kExpandedImage = 15;
  static constexpr int kCollapsedImage = 16;
  static constexpr int kStatusBarHeight = 19;

  explicit TfrmMain(QWidget* parent = nullptr);
  ~TfrmMain() override;

  // --- actions
  void NewJob();
  void DeleteJob();
  void ExportJob();
  void ImportJob();
  void ExitApp();
  void RunThisJob();
  void AboutHelp();
  void HelpHelp();
  void RefreshView();
  void ToolBarView();
  void StatusBarView();
  void PanelView();

  // --- tree and pages
  void RefreshPFList();
  void JobTreeClick();
  void ViewRootPage();
  void ViewJobPage();
  void RefreshJobPage();
  // Writes the pages back into the current job and its file; false when nothing was saved.
  bool ResetProfile();
  void FormResize();
  // The image the tree shows for a node: 15/16 for a node with children (expanded or not),
  // else the node's own image (0, or the frame of a running animation).
  int JobTreeGetImageIndex(QTreeWidgetItem* node) const;

  // --- run control
  void InitRunJob();
  void CloseRunJob();
  void SuspendRunJob();
  void ContinueRunJob();
  void TerminateRunJob();
  void StartAnimate();
  void StopAnimate();
  void AnimateTimerTimer();
  void StatusBarDblClick();
  void SuspendJobClick();
  void CancelJobClick();

  // --- state, readable by tests
  TJobProfile* CurrentJob() const { return currentJob_.get(); }
  int CurrentIndex() const { return currentIndex_; }
  int ShownNode() const { return shownNode_; }
  int AnimatedNode() const { return animatedNode_; }
  int AnimationFrame() const { return animationFrame_; }
  bool Running() const { return running_; }
  // True while a cancelled run's runner is still finishing (Run stays disabled).
  bool Draining() const { return drainingRun_ != 0; }
  TfrmProgress* ProgressWindow() const;
  // The node at an absolute index (root 0), or nullptr.
  QTreeWidgetItem* NodeAt(int absoluteIndex) const;
  // The image index a node holds (what JobTreeGetImageIndex starts from).
  static int NodeImage(const QTreeWidgetItem* node);

  // Actions (named after their operations), menus and controls.
  QAction *aNewJob, *aDeleteJob, *aExportJob, *aImportJob, *aExitApp, *aRunThisJob, *aJobSuspend,
      *aPreviewJob, *aAboutHelp, *aHelpHelp, *aRefreshView, *aToolBarView, *aStatusBarView,
      *aPanelView;
  QAction *RunJobItem, *SuspendJobItem, *CancelJobItem;
  QMenu* PopupMenu;
  QToolBar* ToolBar;
  QToolButton *tbSuspend, *tbStop;
  QFrame* MainPanel;
  QTreeWidget* JobTree;
  QWidget* JobPanel;
  QWidget* HelpPanel;
  QTabWidget* JobPageControl;
  QLabel* StatusPanels[4];
  QTimer* AnimateTimer;

  TSettingFrame* SettingFrame = nullptr;
  TFolderFrame* FolderFrame = nullptr;
  TDocSetFrame* DocSetFrame = nullptr;
  THistoryFrame* HistoryFrame = nullptr;
  THtmViewFrame* HtmViewFrame = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreatePanels();
  void InitJobPage();
  void LoadProfilesReporting();
  void SetNodeImage(QTreeWidgetItem* node, int image);
  void UpdateNodeIcon(QTreeWidgetItem* node);
  void SetRunItemsEnabled(bool running);
  void OnJobEnd(quint64 run);
  static int AbsoluteIndex(const QTreeWidgetItem* node);

  std::unique_ptr<TPDFStack> pdfStack_;
  std::shared_ptr<TJobProfile> currentJob_;
  int currentIndex_ = -1;
  int shownNode_ = -1;
  int jobPanelDesignHeight_ = 340;
  int treeDesignHeight_ = 80;

  bool running_ = false;
  bool runMenuSuspended_ = false;
  int animatedNode_ = -1;
  int animationFrame_ = 0;
  QPointer<TfrmProgress> progress_;
  // The open run: its profile stays alive while the run is open, its runner is watched
  // weakly because it ends its own life.
  std::shared_ptr<TJobProfile> runProfile_;
  std::weak_ptr<TJob> runJob_;
  std::shared_ptr<TRunDisplay> runDisplay_;
  // Runs are numbered; 0 means none. openRun_ is the open run, drainingRun_ a cancelled run
  // whose runner has not ended yet, runNode_ the tree node animated for the open run.
  quint64 lastRun_ = 0;
  quint64 openRun_ = 0;
  quint64 drainingRun_ = 0;
  std::weak_ptr<TJob> drainingJob_;
  // Exit was asked for while a runner was still going; the program ends with its WM_JOBEND.
  bool exiting_ = false;
  bool quitting_ = false;
  int runNode_ = -1;
};

}  // namespace stampwell
