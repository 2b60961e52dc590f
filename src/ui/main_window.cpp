// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QSettings>
#include <QSplitter>
#include <algorithm>
#include <exception>
#include <optional>
#include <string>

#include "jobs/job_profile.h"
#include "jobs/profile_list.h"
#include "pdf/pdf_stack.h"
#include "platform/message_sink.h"
#include "platform/paths.h"
#include "ui/doc_set_frame.h"
#include "ui/folder_frame.h"
#include "ui/history_frame.h"
#include "ui/htm_view_frame.h"
#include "ui/images/image_list.h"
#include "ui/job_event.h"
#include "ui/job_files.h"
#include "ui/new_wizard.h"
#include "ui/program_windows.h"
#include "ui/progress_window.h"
#include "ui/run_control.h"
#include "ui/run_outcome.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"
#include "ui/ui_fonts.h"
#include "ui/ui_text.h"

namespace stampwell {
namespace {

constexpr int kImageRole = Qt::UserRole + 1;

// A tool button whose hint stays what it was made with: a button showing an action would
// take the action's text as its hint again whenever the action changes (enabled, disabled).
class THintButton : public QToolButton {
 public:
  THintButton(QWidget* parent, const QString& hint) : QToolButton(parent), hint_(hint) {}

 protected:
  void actionEvent(QActionEvent* event) override {
    QToolButton::actionEvent(event);
    setToolTip(hint_);
  }
  bool event(QEvent* event) override {
    // No hint at all shows nothing, not the action's text.
    if (event->type() == QEvent::ToolTip && hint_.isEmpty()) return true;
    return QToolButton::event(event);
  }

 private:
  QString hint_;
};

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Stampwell"));
  setWindowIcon(TImageList::ProgressFrames().Icon(4));
  setAcceptDrops(true);
  // The desktop's font, at the desktop's size.
  setFont(QApplication::font());
  jobFiles_ = std::make_unique<TJobFiles>(this);
  runControl_ = std::make_unique<TRunControl>(this);
  connect(runControl_.get(), &TRunControl::runClosed, this, [this] { OnRunClosed(); });
  connect(runControl_.get(), &TRunControl::busyChanged, this, [this] { SetRunItemsEnabled(); });
  connect(runControl_.get(), &TRunControl::runnerEnded, this,
          [this](const QString& name) { OnRunnerEnded(name); });

  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreatePanels();
  CreateStatusBar();

  AnimateTimer = new QTimer(this);
  AnimateTimer->setObjectName(QStringLiteral("AnimateTimer"));
  AnimateTimer->setInterval(1000);
  connect(AnimateTimer, &QTimer::timeout, this, [this] { AnimateTimerTimer(); });

  // FormCreate, in its order.
  LoadProfilesReporting();
  shownNode_ = -1;
  currentIndex_ = -1;
  currentJob_.reset();
  try {
    pdfStack_ = std::make_unique<TPDFStack>();
    PDFAvailable = pdfStack_->PDFUsable;
  } catch (const std::exception&) {
    // A printer whose driver settings cannot be read is no usable PDF printer; start-up goes
    // on without PDF output.
    pdfStack_.reset();
    PDFAvailable = false;
  }
  InitJobPage();
  RefreshPFList();
  ViewRootPage();
  HtmViewFrame = new THtmViewFrame(HelpPanel);
  HtmViewFrame->setObjectName(QStringLiteral("HtmViewFrame"));
  HtmViewFrame->setGeometry(HelpPanel->rect());
  HtmViewFrame->show();
  HtmViewFrame->Init();
  RestoreWindowState();
}

TfrmMain::~TfrmMain() {
  SaveWindowState();
  // FormDestroy: the shown job's pages go back into its file. A runner still going (the
  // window destroyed without Exit) reports into nothing from now on.
  if (shownNode_ > 0) {
    try {
      ResetProfile();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
  }
}

// ---------------------------------------------------------------- construction

void TfrmMain::CreateActions() {
  const TImageList& images = TImageList::MainImages();
  auto make = [this, &images](QAction*& action, const char* name, const QString& caption,
                              const char* category, int image, void (TfrmMain::*op)()) {
    action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("category", QString::fromLatin1(category));
    if (image >= 0) action->setIcon(images.Icon(image));
    if (op) connect(action, &QAction::triggered, this, [this, op] { (this->*op)(); });
  };
  make(aNewJob, "NewJob", tr("&New Job..."), "Job", 0, &TfrmMain::NewJob);
  make(aDeleteJob, "DeleteJob", tr("&Delete"), "Job", 8, &TfrmMain::DeleteJob);
  make(aExportJob, "ExportJob", tr("&Export..."), "Job", -1, &TfrmMain::ExportJob);
  make(aImportJob, "ImportJob", tr("&Import..."), "Job", -1, &TfrmMain::ImportJob);
  make(aExitApp, "ExitApp", tr("&Quit"), "App", 13, &TfrmMain::ExitApp);
  make(aRunThisJob, "RunThisJob", tr("&Run"), "JobRun", 9, &TfrmMain::RunThisJob);
  // The tool bar's Suspend does what the Run menu's "Suspend" does.
  make(aJobSuspend, "JobSuspend", tr("&Suspend"), "JobRun", 10, &TfrmMain::SuspendJobClick);
  make(aPreviewJob, "PreviewJob", tr("Preview"), "JobRun", -1, nullptr);
  make(aAboutHelp, "AboutHelp", tr("&About Stampwell"), "Help", -1, &TfrmMain::AboutHelp);
  make(aHelpHelp, "HelpHelp", tr("Stampwell &Help"), "Help", 12, &TfrmMain::HelpHelp);
  make(aRefreshView, "RefreshView", tr("&Refresh"), "View", -1, &TfrmMain::RefreshView);
  make(aToolBarView, "ToolBarView", tr("&Tool Bar"), "View", -1, nullptr);
  make(aStatusBarView, "StatusBarView", tr("&Status Bar"), "View", -1, nullptr);
  make(aPanelView, "PanelView", tr("&Panel"), "View", -1, nullptr);
  // The desktop's own keys where Qt knows them (Ctrl+N, Del, F1, Ctrl+Q); F5 runs.
  aNewJob->setShortcut(QKeySequence::New);
  aHelpHelp->setShortcut(QKeySequence::HelpContents);
  aExitApp->setShortcut(QKeySequence::Quit);
  // Del deletes the job only from the job tree: in a text field or a folder list it keeps
  // its own meaning.
  aDeleteJob->setShortcut(QKeySequence::Delete);
  aDeleteJob->setShortcutContext(Qt::WidgetShortcut);
  connect(aToolBarView, &QAction::triggered, this, [this] { ToolBarView(); });
  connect(aStatusBarView, &QAction::triggered, this, [this] { StatusBarView(); });
  connect(aPanelView, &QAction::triggered, this, [this] { PanelView(); });
  for (QAction* a : {aToolBarView, aStatusBarView, aPanelView}) {
    a->setCheckable(true);
    a->setChecked(true);
  }
  aJobSuspend->setEnabled(false);

  RunJobItem = new QAction(tr("&Run Job"), this);
  RunJobItem->setObjectName(QStringLiteral("RunJobItem"));
  RunJobItem->setShortcut(QKeySequence(Qt::Key_F5));
  connect(RunJobItem, &QAction::triggered, this, [this] { RunThisJob(); });
  SuspendJobItem = new QAction(tr("&Suspend"), this);
  SuspendJobItem->setObjectName(QStringLiteral("SuspendJobItem"));
  SuspendJobItem->setEnabled(false);
  connect(SuspendJobItem, &QAction::triggered, this, [this] { SuspendJobClick(); });
  CancelJobItem = new QAction(tr("&Cancel Job"), this);
  CancelJobItem->setObjectName(QStringLiteral("CancelJobItem"));
  CancelJobItem->setEnabled(false);
  connect(CancelJobItem, &QAction::triggered, this, [this] { CancelJobClick(); });
  ShowProgressItem = new QAction(tr("Show &Progress"), this);
  ShowProgressItem->setObjectName(QStringLiteral("ShowProgressItem"));
  ShowProgressItem->setEnabled(false);
  connect(ShowProgressItem, &QAction::triggered, this, [this] { StatusBarDblClick(); });
}

void TfrmMain::CreateMenus() {
  QMenu* job = menuBar()->addMenu(tr("&Job"));
  job->setObjectName(QStringLiteral("JobMenu"));
  job->addAction(aNewJob);
  job->addAction(aDeleteJob);
  job->addSeparator();
  job->addAction(aExportJob);
  job->addAction(aImportJob);
  job->addSeparator();
  job->addAction(aExitApp);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->setObjectName(QStringLiteral("ViewMenu"));
  for (QAction* a : {aToolBarView, aStatusBarView, aPanelView}) view->addAction(a);
  view->addSeparator();
  view->addAction(aRefreshView);

  QMenu* run = menuBar()->addMenu(tr("&Run"));
  run->setObjectName(QStringLiteral("RunMenu"));
  run->addAction(RunJobItem);
  run->addAction(SuspendJobItem);
  run->addAction(CancelJobItem);
  run->addSeparator();
  run->addAction(ShowProgressItem);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->setObjectName(QStringLiteral("HelpMenu"));
  help->addAction(aHelpHelp);
  help->addAction(aAboutHelp);

  PopupMenu = new QMenu(this);
  PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
  PopupMenu->addAction(aRunThisJob);
  PopupMenu->addSeparator();
  PopupMenu->addAction(aExportJob);
  PopupMenu->addAction(aDeleteJob);
}

void TfrmMain::CreateToolBar() {
  ToolBar = addToolBar(tr("Tool Bar"));
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setMovable(false);
  ToolBar->setIconSize(QSize(16, 16));
  ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  auto button = [this](QAction* action, const char* name, const QString& hint, bool showHint) {
    auto* b = new THintButton(ToolBar, showHint ? hint : QString());
    b->setObjectName(QString::fromLatin1(name));
    b->setDefaultAction(action);
    b->setToolTip(showHint ? hint : QString());
    b->setFixedWidth(26);
    b->setAutoRaise(true);
    ToolBar->addWidget(b);
    return b;
  };
  button(aNewJob, "tbNew", tr("New Job"), true);
  ToolBar->addSeparator();
  button(aDeleteJob, "tbDelete", tr("Delete"), true);
  ToolBar->addSeparator();
  button(aRunThisJob, "tbRun", tr("Run"), true);
  tbSuspend = button(aJobSuspend, "tbSuspend", tr("Suspend"), false);
  // The Stop button is no action of its own: it cancels the open run like "Cancel Job".
  auto* stop = new QAction(TImageList::MainImages().Icon(11), tr("Stop Job"), this);
  stop->setObjectName(QStringLiteral("StopJob"));
  stop->setEnabled(false);
  connect(stop, &QAction::triggered, this, [this] { CancelJobClick(); });
  tbStop = button(stop, "tbStop", tr("Stop"), true);
  ToolBar->addSeparator();
  button(aHelpHelp, "tbHelp", tr("Help"), true);
  ToolBar->addSeparator();
  button(aExitApp, "tbExit", tr("Quit"), true);
}

void TfrmMain::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(true);
  bar->setFixedHeight(kStatusBarHeight + 3);
  const QString texts[4] = {tr("Status:"), tr("Ready"), tr("Job status:"), QString()};
  const int widths[4] = {50, 150, 50, 50};
  for (int i = 0; i < 4; ++i) {
    auto* label = new QLabel(texts[i], bar);
    label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    // The designed widths, or wider where the desktop font needs it for the caption.
    const int width = std::max(widths[i], label->sizeHint().width() + 6);
    label->setMinimumWidth(width);
    if (i < 3) label->setFixedWidth(width);
    // The last panel runs to the right edge, as the last panel of a status bar does.
    bar->addWidget(label, i == 3 ? 1 : 0);
    StatusPanels[i] = label;
  }
  bar->installEventFilter(this);
  for (QLabel* label : StatusPanels) label->installEventFilter(this);
}

void TfrmMain::CreatePanels() {
  MainPanel = new QFrame(this);
  MainPanel->setObjectName(QStringLiteral("MainPanel"));
  MainPanel->setFrameShape(QFrame::Panel);
  MainPanel->setFrameShadow(QFrame::Sunken);
  setCentralWidget(MainPanel);
  auto* mainLayout = new QVBoxLayout(MainPanel);
  mainLayout->setContentsMargins(0, 0, 0, 0);
  Splitter = new QSplitter(Qt::Vertical, MainPanel);
  Splitter->setObjectName(QStringLiteral("Splitter"));
  Splitter->setChildrenCollapsible(false);
  mainLayout->addWidget(Splitter);

  JobTree = new QTreeWidget(Splitter);
  JobTree->setObjectName(QStringLiteral("JobTree"));
  JobTree->setHeaderHidden(true);
  JobTree->setColumnCount(1);
  JobTree->setIndentation(19);
  JobTree->setSelectionBehavior(QAbstractItemView::SelectRows);
  JobTree->setSelectionMode(QAbstractItemView::SingleSelection);
  JobTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  JobTree->setIconSize(QSize(16, 16));
  JobTree->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(JobTree, &QTreeWidget::itemClicked, this, [this] { JobTreeClick(); });
  // The keyboard chooses a job as a click does.
  connect(JobTree, &QTreeWidget::itemActivated, this, [this] { JobTreeClick(); });
  JobTree->addAction(aDeleteJob);
  connect(JobTree, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { JobTreeContextMenu(pos); });
  // The selected node expands by itself.
  connect(JobTree, &QTreeWidget::currentItemChanged, this, [](QTreeWidgetItem* item) {
    if (item && item->childCount() > 0) item->setExpanded(true);
  });
  connect(JobTree, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* i) { UpdateNodeIcon(i); });
  connect(JobTree, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* i) { UpdateNodeIcon(i); });

  JobPanel = new QWidget(Splitter);
  JobPanel->setObjectName(QStringLiteral("JobPanel"));
  JobTree->setMinimumHeight(60);
  JobPanel->setMinimumHeight(120);
  Splitter->addWidget(JobTree);
  Splitter->addWidget(JobPanel);
  // The pages take what the window gains; the tree keeps its height.
  Splitter->setStretchFactor(0, 0);
  Splitter->setStretchFactor(1, 1);
  HelpPanel = new QWidget(JobPanel);
  HelpPanel->setObjectName(QStringLiteral("HelpPanel"));
  JobPageControl = new QTabWidget(JobPanel);
  JobPageControl->setObjectName(QStringLiteral("JobPageControl"));
  JobPanel->installEventFilter(this);
  HelpPanel->installEventFilter(this);
}

void TfrmMain::InitJobPage() {
  auto place = [this](QWidget* page, const QString& tab) {
    auto* holder = new QWidget(JobPageControl);
    holder->setObjectName(QStringLiteral("Tab_") + page->objectName());
    page->setParent(holder);
    holder->installEventFilter(this);
    JobPageControl->addTab(holder, tab);
    page->show();
  };
  SettingFrame = new TSettingFrame;
  place(SettingFrame, tr("General"));
  SettingFrame->ShowSettings();
  FolderFrame = new TFolderFrame;
  place(FolderFrame, tr("Folders and Files"));
  FolderFrame->InitEntries();
  FolderFrame->CurrentFormats = [this] { return SettingFrame->IsModern->isChecked(); };
  FolderFrame->PdfFiles = [this] { return SettingFrame->IsPdf->isChecked(); };
  DocSetFrame = new TDocSetFrame;
  place(DocSetFrame, tr("Watermark"));
  DocSetFrame->ShowSettings();
  HistoryFrame = new THistoryFrame;
  place(HistoryFrame, tr("History"));
}

// LoadProfiles, telling the user when a profile cannot be read. The profiles read before the
// broken one stay listed, and start-up goes on.
void TfrmMain::LoadProfilesReporting() {
  try {
    LoadProfiles();
  } catch (const std::exception& e) {
    Tell(Q(e.what()));
  }
}

// ---------------------------------------------------------------- tree

int TfrmMain::AbsoluteIndex(const QTreeWidgetItem* node) {
  if (!node) return -1;
  if (!node->parent()) return 0;
  return node->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(node)) + 1;
}

QTreeWidgetItem* TfrmMain::NodeAt(int absoluteIndex) const {
  QTreeWidgetItem* root = JobTree->topLevelItem(0);
  if (!root || absoluteIndex < 0) return nullptr;
  if (absoluteIndex == 0) return root;
  return root->child(absoluteIndex - 1);
}

int TfrmMain::NodeImage(const QTreeWidgetItem* node) {
  return node ? node->data(0, kImageRole).toInt() : -1;
}

int TfrmMain::JobTreeGetImageIndex(QTreeWidgetItem* node) const {
  if (node->childCount() > 0) return node->isExpanded() ? kExpandedImage : kCollapsedImage;
  return NodeImage(node);
}

void TfrmMain::SetNodeImage(QTreeWidgetItem* node, int image) {
  if (!node) return;
  node->setData(0, kImageRole, image);
  UpdateNodeIcon(node);
}

void TfrmMain::UpdateNodeIcon(QTreeWidgetItem* node) {
  node->setIcon(0, TImageList::MainImages().Icon(JobTreeGetImageIndex(node)));
}

void TfrmMain::RefreshPFList() {
  JobTree->clear();
  auto* root = new QTreeWidgetItem(JobTree, QStringList(tr("Job Profiles")));
  root->setData(0, kImageRole, kJobImage);
  const auto& list = ProfileList();
  for (const auto& profile : list) {
    auto* node = new QTreeWidgetItem(root, QStringList(Q(profile->Settings.Name)));
    SetNodeImage(node, kJobImage);
  }
  // The jobs are in sight from the start.
  root->setExpanded(true);
  UpdateNodeIcon(root);
  currentJob_.reset();
  currentIndex_ = -1;
  shownNode_ = -1;
  SetJobItemsEnabled();
  JobTree->viewport()->update();
}

void TfrmMain::JobTreeClick() {
  QTreeWidgetItem* selected = JobTree->currentItem();
  if (!selected) return;
  const int i = AbsoluteIndex(selected);
  if (shownNode_ > 0) ResetProfile();
  if (i != 0) {
    animatedNode_ = i;
    if (i != shownNode_) {
      ViewJobPage();
      shownNode_ = i;
    }
  } else {
    if (currentJob_) ResetProfile();
    currentJob_.reset();
    ViewRootPage();
    shownNode_ = 0;
    currentIndex_ = -1;
  }
  SetJobItemsEnabled();
}

// The pop-up acts on the job under the mouse: that node becomes the chosen one first, just
// as a click makes it (the shown pages are written back, the clicked job is shown).
void TfrmMain::JobTreeContextMenu(const QPoint& pos) {
  QTreeWidgetItem* node = JobTree->itemAt(pos);
  if (node) {
    JobTree->setCurrentItem(node);
    JobTreeClick();
  }
  PopupMenu->popup(JobTree->viewport()->mapToGlobal(pos));
}

void TfrmMain::SelectJobFile(const std::string& fileName) {
  const auto& list = ProfileList();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i]->FileName != fileName) continue;
    if (QTreeWidgetItem* node = NodeAt(static_cast<int>(i) + 1)) {
      JobTree->setCurrentItem(node);
      JobTreeClick();
    }
    return;
  }
}

void TfrmMain::ViewRootPage() {
  HelpPanel->show();
  JobPageControl->hide();
}

void TfrmMain::ViewJobPage() {
  HelpPanel->hide();
  JobPageControl->show();
  // The node finds its job by its place in the tree, which mirrors ProfileList; its text may
  // be out of date after a rename.
  const int index = AbsoluteIndex(JobTree->currentItem()) - 1;
  const auto& list = ProfileList();
  if (index >= 0 && index < static_cast<int>(list.size())) {
    currentIndex_ = index;
    currentJob_ = list[static_cast<size_t>(index)];
  } else {
    currentIndex_ = -1;
    currentJob_.reset();
  }
  SetJobItemsEnabled();
  RefreshJobPage();
}

void TfrmMain::RefreshJobPage() {
  if (!currentJob_) return;
  SettingFrame->ShowSettings(currentJob_->Settings);
  DocSetFrame->ShowSettings(currentJob_->DocSettings);
  FolderFrame->LoadEntries(currentJob_->Items);
  FolderFrame->RefreshList();
  HistoryFrame->LoadHistory(currentJob_->Settings.Name);
}

bool TfrmMain::ResetProfile() {
  if (currentIndex_ < 0 || !currentJob_) return false;
  if (!SettingFrame->ReadSettings()) return false;
  if (!DocSetFrame->ReadSettings()) return false;
  // The runner of this job writes its log under the job's name until it has ended; the
  // name (and so the files) change only after that.
  const QString busy = runControl_->BusyJobName();
  if (!runControl_->Idle() && busy == Q(currentJob_->Settings.Name) &&
      SettingFrame->Settings.Name != currentJob_->Settings.Name) {
    Tell(tr(kJobIsRunning));
    SettingFrame->Settings.Name = currentJob_->Settings.Name;
  }
  const bool saved = jobFiles_->SaveBack(*currentJob_, SettingFrame->Settings,
                                         DocSetFrame->DocSettings, FolderFrame->Entries());
  // A rename that was refused leaves the job its old name; the page and the node show the
  // name the job bears.
  SettingFrame->Settings.Name = currentJob_->Settings.Name;
  if (SettingFrame->sName->text() != Q(currentJob_->Settings.Name))
    SettingFrame->sName->setText(Q(currentJob_->Settings.Name));
  if (QTreeWidgetItem* node = NodeAt(currentIndex_ + 1))
    node->setText(0, Q(currentJob_->Settings.Name));
  return saved;
}

bool TfrmMain::SaveShownJob() {
  if (shownNode_ <= 0 || !currentJob_) return true;
  return ResetProfile();
}

// ---------------------------------------------------------------- actions

void TfrmMain::NewJob() { RunNewJobWizard({}, {}); }

void TfrmMain::NewJobFrom(const std::vector<RJobItem>& sources) { RunNewJobWizard(sources, {}); }

void TfrmMain::NewJobFor(const QStringList& paths) { RunNewJobWizard({}, paths); }

void TfrmMain::RunNewJobWizard(const std::vector<RJobItem>& sources, const QStringList& paths) {
  TfrmNewWizard wizard(this);
  if (!sources.empty()) wizard.SetSources(sources);
  if (!paths.isEmpty()) wizard.FolderFrame->AddDropped(paths);
  // Modal to this window only: the help window that its link opens stays usable.
  wizard.setWindowModality(Qt::WindowModal);
  if (wizard.exec() == QDialog::Accepted) {
    LoadProfilesReporting();
    RefreshPFList();
    SelectJobFile(wizard.SavedFileName());
  }
}

void TfrmMain::SetJobItemsEnabled() {
  const bool chosen = currentJob_ != nullptr;
  aDeleteJob->setEnabled(chosen);
  aExportJob->setEnabled(chosen);
}

void TfrmMain::ClearJobPages() {
  SettingFrame->ShowSettings(RJobSettings());
  SettingFrame->sName->clear();
  DocSetFrame->ShowSettings(RDocSettings());
  FolderFrame->LoadEntries({});
  FolderFrame->RefreshList();
  HistoryFrame->Clear();
}

void TfrmMain::DeleteJob() {
  if (!currentJob_) {
    Tell(tr("Please select a job first."));
    return;
  }
  std::shared_ptr<TJobProfile> job = currentJob_;
  if (!runControl_->Idle() && runControl_->BusyJobName() == Q(job->Settings.Name)) {
    Tell(tr(kJobIsRunning));
    return;
  }
  if (!jobFiles_->Delete(*job)) return;
  LoadProfilesReporting();
  RefreshPFList();
  // The deleted job's pages go with it: the help page shows, and nothing is left to save.
  ClearJobPages();
  ViewRootPage();
  if (QTreeWidgetItem* root = NodeAt(0)) JobTree->setCurrentItem(root);
  shownNode_ = 0;
  SetJobItemsEnabled();
}

void TfrmMain::ExportJob() {
  if (!currentJob_) {
    Tell(tr("Please select the job to export first."));
    return;
  }
  // The export holds what the user sees.
  if (!SaveShownJob()) return;
  jobFiles_->Export(*currentJob_);
}

void TfrmMain::ImportJob() {
  // The shown job's pages go back first: the list is read anew.
  if (!SaveShownJob()) return;
  const std::optional<std::string> imported = jobFiles_->Import();
  if (!imported) return;
  LoadProfilesReporting();
  RefreshPFList();
  ViewRootPage();
  SelectJobFile(*imported);
}

// Ends the program. A run that is still going is stopped first: the windows go away at once,
// and the program ends when the runner has finished its document, quit its Office
// applications and closed its log, so that no Office process or half-written log is left.
void TfrmMain::ExitApp() {
  if (runControl_->Running() &&
      !TUiDialogs::Question(this, tr("A job is running. Stop it and quit Stampwell?")))
    return;
  if (!runControl_->StopForExit()) {
    quitting_ = true;
    QApplication::quit();
    return;
  }
  exiting_ = true;
  for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
}

void TfrmMain::AboutHelp() {
  if (auto* about = qobject_cast<QDialog*>(TProgramWindows::AboutWindow())) about->exec();
}

void TfrmMain::HelpHelp() { TProgramWindows::ShowHelp(); }

void TfrmMain::RefreshView() { RefreshPFList(); }

// The three view items are checkable actions: triggering one inverts its check mark, and its
// operation then shows its part exactly when the item is checked.
void TfrmMain::ToolBarView() { ToolBar->setVisible(aToolBarView->isChecked()); }

void TfrmMain::StatusBarView() { statusBar()->setVisible(aStatusBarView->isChecked()); }

void TfrmMain::PanelView() { JobPanel->setVisible(aPanelView->isChecked()); }

// ---------------------------------------------------------------- layout

// The splitter lays out the tree and the pages; a hidden job panel leaves its room to the
// tree. Kept for the callers that ask for a layout pass.
void TfrmMain::FormResize() { MainPanel->layout()->activate(); }

void TfrmMain::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }

std::unique_ptr<QSettings> TfrmMain::WindowSettings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("stampwell"), QStringLiteral("stampwell"));
}

void TfrmMain::RestoreWindowState() {
  const std::unique_ptr<QSettings> settings = WindowSettings();
  const QByteArray geometry = settings->value(QStringLiteral("MainWindow/geometry")).toByteArray();
  if (geometry.isEmpty() || !restoreGeometry(geometry)) {
    resize(kFirstWidth, kFirstHeight);
    Splitter->setSizes({kFirstTreeHeight, kFirstHeight});
  }
  const QByteArray split = settings->value(QStringLiteral("MainWindow/splitter")).toByteArray();
  if (!split.isEmpty()) Splitter->restoreState(split);
}

void TfrmMain::SaveWindowState() const {
  const std::unique_ptr<QSettings> settings = WindowSettings();
  settings->setValue(QStringLiteral("MainWindow/geometry"), saveGeometry());
  settings->setValue(QStringLiteral("MainWindow/splitter"), Splitter->saveState());
}

// ---------------------------------------------------------------- events

void TfrmMain::closeEvent(QCloseEvent* event) {
  // Closing the window is Exit; the close that Exit's quit sends goes through.
  if (quitting_) {
    event->accept();
    return;
  }
  event->ignore();
  ExitApp();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (TFolderFrame::LocalPaths(event->mimeData()).isEmpty()) return;
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void TfrmMain::dropEvent(QDropEvent* event) {
  const QStringList paths = TFolderFrame::LocalPaths(event->mimeData());
  if (paths.isEmpty()) return;
  event->setDropAction(Qt::CopyAction);
  event->accept();
  // The wizard is modal: it opens once the drop is over, so the file manager is not held.
  QTimer::singleShot(0, this, [this, paths] { NewJobFor(paths); });
}

bool TfrmMain::event(QEvent* event) {
  // The job messages posted here belong to the run control.
  switch (static_cast<int>(event->type())) {
    case TJobEvent::WM_JOBEND:
    case TJobEvent::WM_JOBSUSPEND:
    case TJobEvent::WM_JOBCONTINUE:
    case TJobEvent::WM_JOBTERMINATE:
      QCoreApplication::sendEvent(runControl_.get(), event);
      return true;
    default:
      return QMainWindow::event(event);
  }
}

QMenu* TfrmMain::createPopupMenu() {
  auto* menu = new QMenu(this);
  menu->addAction(aToolBarView);
  menu->addAction(aStatusBarView);
  return menu;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick &&
      (watched == statusBar() || watched->parent() == statusBar())) {
    StatusBarDblClick();
    return true;
  }
  if (event->type() != QEvent::Resize) return QMainWindow::eventFilter(watched, event);
  if (watched == JobPanel) {
    HelpPanel->setGeometry(JobPanel->rect());
    JobPageControl->setGeometry(JobPanel->rect());
  } else if (watched == HelpPanel || watched->objectName().startsWith(QStringLiteral("Tab_"))) {
    // Pages and the help page fill their holders. Only those: the status bar lays out its
    // panels itself, side by side.
    auto* holder = static_cast<QWidget*>(watched);
    for (QObject* child : holder->children())
      if (auto* w = qobject_cast<QWidget*>(child)) w->setGeometry(holder->rect());
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- run control

TfrmProgress* TfrmMain::ProgressWindow() const { return runControl_->Progress(); }
bool TfrmMain::Running() const { return runControl_->Running(); }
bool TfrmMain::Draining() const { return runControl_->Draining(); }

void TfrmMain::SetRunItemsEnabled() {
  const bool running = runControl_->Running();
  ShowRunState();
  SuspendJobItem->setEnabled(running);
  CancelJobItem->setEnabled(running);
  ShowProgressItem->setEnabled(runControl_->Progress() != nullptr);
  aJobSuspend->setEnabled(running);
  tbStop->defaultAction()->setEnabled(running);
  // One run at a time: a new run waits until the runner of a cancelled one has really ended.
  const bool canRun = runControl_->Idle();
  aRunThisJob->setEnabled(canRun);
  RunJobItem->setEnabled(canRun);
}

void TfrmMain::RunThisJob() {
  if (!currentJob_ || !runControl_->Idle()) return;
  // The run uses what the user sees: the shown pages go into the job and its file first.
  if (!SaveShownJob()) return;
  runNode_ = animatedNode_;
  InitRunJob();
  StartAnimate();
  runControl_->Start(currentJob_, StatusPanels[3]);
}

void TfrmMain::InitRunJob() {
  runMenuSuspended_ = false;
  SuspendJobItem->setText(tr("&Suspend"));
  StatusPanels[3]->clear();
}

// The first panel tells what the program does: a run going, suspended or stopping, or ready.
// At the end of a run the last panel tells what the run came to, in the progress window's
// words; a cancelled run that is still finishing its file says so until it has ended.
void TfrmMain::ShowRunState() {
  QString state;
  if (runControl_->Suspended())
    state = tr("Suspended");
  else if (runControl_->Running())
    state = tr("Running");
  else if (runControl_->Draining())
    state = tr("Stopping");
  else
    state = tr("Ready");
  StatusPanels[1]->setText(state);
  if (!runControl_->Running()) {
    const TRunOutcome outcome = runControl_->LastOutcome();
    if (outcome.ended || outcome.cancelled) StatusPanels[3]->setText(outcome.Headline());
  }
}

void TfrmMain::CloseRunJob() {
  if (runControl_->Running())
    runControl_->Close();
  else
    OnRunClosed();
}

void TfrmMain::OnRunClosed() {
  SetRunItemsEnabled();
  StopAnimate();
}

// The runner has closed its log: the history page of that job, when shown, shows the run.
void TfrmMain::OnRunnerEnded(const QString& jobName) {
  ShowRunState();
  if (exiting_) {
    if (runControl_->Idle()) {
      quitting_ = true;
      QApplication::quit();
    }
    return;
  }
  if (shownNode_ > 0 && currentJob_ && Q(currentJob_->Settings.Name) == jobName)
    HistoryFrame->LoadHistory(currentJob_->Settings.Name);
}

void TfrmMain::SuspendRunJob() { runControl_->Suspend(); }

void TfrmMain::ContinueRunJob() { runControl_->Continue(); }

void TfrmMain::TerminateRunJob() { runControl_->Cancel(); }

void TfrmMain::SuspendJobClick() {
  if (!runControl_->Running()) return;
  if (!runMenuSuspended_) {
    SuspendJobItem->setText(tr("C&ontinue"));
    runMenuSuspended_ = true;
    SuspendRunJob();
  } else {
    SuspendJobItem->setText(tr("&Suspend"));
    runMenuSuspended_ = false;
    ContinueRunJob();
  }
}

void TfrmMain::CancelJobClick() { TerminateRunJob(); }

void TfrmMain::StatusBarDblClick() { runControl_->ShowProgress(); }

void TfrmMain::StartAnimate() {
  animationFrame_ = 0;
  AnimateTimer->start();
}

void TfrmMain::StopAnimate() {
  AnimateTimer->stop();
  SetNodeImage(NodeAt(runNode_), kJobImage);
}

// The node of the job that runs is animated, even when the user clicks other nodes meanwhile;
// so the node that ends the animation is the one that had it.
void TfrmMain::AnimateTimerTimer() {
  animationFrame_ = animationFrame_ + 1 > 4 ? 0 : animationFrame_ + 1;
  SetNodeImage(NodeAt(runNode_), animationFrame_);
}

}  // namespace stampwell
