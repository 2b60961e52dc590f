// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

#include "jobs/job_settings.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class QToolBar;
class QSettings;
class QSplitter;
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
class TJobFiles;
class TRunControl;

// The program's working window: the job tree above, the help page or the four pages of the
// chosen job below, and every job operation (new, delete, export, import, run and the run
// controls). Its creation is the program's start-up work; its destruction saves the job whose
// pages are shown. The rules of a job's files live in TJobFiles, those of a run in
// TRunControl; the window keeps the tree, the pages and what the user sees of both.
//
// The shown job's pages are written back into its profile before anything acts on the job:
// another node is clicked (or right-clicked), a run starts, the job is exported.
//
// One run at a time: while a run is open, and until the runner of a cancelled run has really
// ended, Run is disabled. Exit during a run stops the runner and ends the program when it has
// closed down.
//
// A tree node finds its job by its place (node i is ProfileList()[i - 1]); the tree lists
// the jobs sorted by name without regard to case, as the profile list holds them.
class TfrmMain : public QMainWindow {
  Q_OBJECT
 public:
  // Image numbers of the main image list; the status bar height of the resize rule.
  static constexpr int kJobImage = 0;
  static constexpr int kExpandedImage = 15;
  static constexpr int kCollapsedImage = 16;
  static constexpr int kStatusBarHeight = 19;
  // Said when a rename or a delete would move the files of a job whose runner is going.
  static constexpr const char* kJobIsRunning = QT_TR_NOOP(
      "The job is running, its name and its files can change only when the run has ended!");

  explicit TfrmMain(QWidget* parent = nullptr);
  ~TfrmMain() override;

  // --- actions
  void NewJob();
  // The new-job wizard with these entries already on its folders and files page.
  void NewJobFrom(const std::vector<RJobItem>& sources);
  // The wizard of a new job whose folders and files are these (dropped on the window).
  void NewJobFor(const QStringList& paths);
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
  // The window's size and place and the splitter's line, as the user left them; a first start
  // gets a size that shows a good part of the tree and the pages.
  void RestoreWindowState();
  void SaveWindowState() const;
  // Where the window state is kept: the user's Stampwell settings (QSettings, INI format).
  static std::unique_ptr<QSettings> WindowSettings();
  // The size of a first start.
  static constexpr int kFirstWidth = 900;
  static constexpr int kFirstHeight = 720;
  static constexpr int kFirstTreeHeight = 200;
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
  bool Running() const;
  // True while a cancelled run's runner is still finishing (Run stays disabled).
  bool Draining() const;
  TRunControl* RunControl() const { return runControl_.get(); }
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
  // Shows the progress window again: of the run going, or the end of the last one.
  QAction* ShowProgressItem;
  QMenu* PopupMenu;
  QToolBar* ToolBar;
  QToolButton *tbSuspend, *tbStop;
  QFrame* MainPanel;
  // The tree above, the pages below; the user moves the line between them.
  QSplitter* Splitter;
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
  // The tool bar's context menu offers the View menu's own items, so they stay in step.
  QMenu* createPopupMenu() override;
  void closeEvent(QCloseEvent* event) override;
  // Folders and files dropped on the window (not on a job's folder list) start a new job.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The new-job wizard, with these entries or these dropped paths already on its folders and
  // files page.
  void RunNewJobWizard(const std::vector<RJobItem>& sources, const QStringList& paths);
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreatePanels();
  void InitJobPage();
  void LoadProfilesReporting();
  void SetNodeImage(QTreeWidgetItem* node, int image);
  void UpdateNodeIcon(QTreeWidgetItem* node);
  void SetRunItemsEnabled();
  // Delete and Export need a chosen job.
  void SetJobItemsEnabled();
  // The pages show no job's values (after its delete).
  void ClearJobPages();
  void ShowRunState();
  void OnRunClosed();
  void OnRunnerEnded(const QString& jobName);
  void JobTreeContextMenu(const QPoint& pos);
  // Selects the node of the job whose profile file is fileName and shows its pages.
  void SelectJobFile(const std::string& fileName);
  // Writes the shown job's pages back; false when a page refused its values.
  bool SaveShownJob();
  static int AbsoluteIndex(const QTreeWidgetItem* node);

  std::unique_ptr<TPDFStack> pdfStack_;
  std::shared_ptr<TJobProfile> currentJob_;
  int currentIndex_ = -1;
  int shownNode_ = -1;

  bool runMenuSuspended_ = false;
  int animatedNode_ = -1;
  int animationFrame_ = 0;
  std::unique_ptr<TJobFiles> jobFiles_;
  std::unique_ptr<TRunControl> runControl_;
  // Exit was asked for while a runner was still going; the program ends when it has ended.
  bool exiting_ = false;
  bool quitting_ = false;
  // The tree node animated for the open run.
  int runNode_ = -1;
};

}  // namespace stampwell
