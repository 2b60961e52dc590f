#include "ui/main_window.h"
#include "ui/progress_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <string>

#include "jobs/file_utils.h"
#include "jobs/job_profile.h"
#include "jobs/profile_list.h"
#include "pdf/pdf_stack.h"
#include "platform/ini_file.h"
#include "platform/message_sink.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "run/job.h"
#include "ui/doc_set_frame.h"
#include "ui/folder_frame.h"
#include "ui/history_frame.h"
#include "ui/htm_view_frame.h"
#include "ui/images/image_list.h"
#include "ui/job_event.h"
#include "ui/new_wizard.h"
#include "ui/program_windows.h"
#include "ui/progress_window.h"
#include "ui/run_display.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"
#include "ui/ui_fonts.h"

namespace stampwell {
namespace {

// Every message box of these windows goes through the program's message sink.
void Tell(const QString& text) { ShowMessage(text.toUtf8().toStdString()); }

constexpr int kImageRole = Qt::UserRole + 1;

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

const QString kTextFilter = QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*");

// Removes a staged import file unless it was renamed into a profile.
class StagedFile {
 public:
  explicit StagedFile(std::string path) : path_(std::move(path)) {}
  ~StagedFile() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove(path_, ec);
  }
  void Release() { path_.clear(); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The file name under which an import is staged in the program directory: the chosen file's
// name with ".ini", unless a file of that name exists or it could be taken for a profile, in
// which case "Import<n>.ini" for the first n not in use. An existing file is never replaced.
std::string StagingName(const std::string& chosenPath) {
  const std::string dir = ProgramDir();
  std::string name = ChangeFileExt(ExtractFileName(chosenPath), ".ini");
  const bool looksLikeProfile = LowerCase(name).rfind("sw", 0) == 0;
  if (!looksLikeProfile && !FileExists(dir + name)) return name;
  for (int n = 1;; ++n) {
    name = "Import" + std::to_string(n) + ".ini";
    if (!FileExists(dir + name)) return name;
  }
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Stampwell"));
  setWindowIcon(TImageList::ProgressFrames().Icon(4));
  setFont(DesktopFont(8));
  resize(636, 502);

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
  jobPanelDesignHeight_ = 340;
  treeDesignHeight_ = 80;
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
  running_ = false;
  ViewRootPage();
  HtmViewFrame = new THtmViewFrame(HelpPanel);
  HtmViewFrame->setObjectName(QStringLiteral("HtmViewFrame"));
  HtmViewFrame->setGeometry(HelpPanel->rect());
  HtmViewFrame->show();
  HtmViewFrame->Init();
  FormResize();
}

TfrmMain::~TfrmMain() {
  // FormDestroy: the shown job's pages go back into its file. A runner still going (the
  // window destroyed without Exit) reports into nothing from now on.
  if (shownNode_ > 0) {
    try {
      ResetProfile();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
  }
  if (runDisplay_) runDisplay_->Detach();
}

// ---------------------------------------------------------------- construction

void TfrmMain::CreateActions() {
  const TImageList& images = TImageList::MainImages();
  auto make = [this, &images](QAction*& action, const char* name, const char* caption,
                              const char* category, int image, void (TfrmMain::*op)()) {
    action = new QAction(QString::fromLatin1(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("category", QString::fromLatin1(category));
    if (image >= 0) action->setIcon(images.Icon(image));
    if (op) connect(action, &QAction::triggered, this, [this, op] { (this->*op)(); });
  };
  make(aNewJob, "NewJob", "New", "Job", 0, &TfrmMain::NewJob);
  make(aDeleteJob, "DeleteJob", "Delete", "Job", 8, &TfrmMain::DeleteJob);
  make(aExportJob, "ExportJob", "Export", "Job", -1, &TfrmMain::ExportJob);
  make(aImportJob, "ImportJob", "Import", "Job", -1, &TfrmMain::ImportJob);
  make(aExitApp, "ExitApp", "Exit", "App", 13, &TfrmMain::ExitApp);
  make(aRunThisJob, "RunThisJob", "Run", "JobRun", 9, &TfrmMain::RunThisJob);
  // The tool bar's Suspend does what the Run menu's "Suspend" does.
  make(aJobSuspend, "JobSuspend", "Suspend", "JobRun", 10, &TfrmMain::SuspendJobClick);
  make(aPreviewJob, "PreviewJob", "Preview", "JobRun", -1, nullptr);
  make(aAboutHelp, "AboutHelp", "About..", "Help", -1, &TfrmMain::AboutHelp);
  make(aHelpHelp, "HelpHelp", "Help", "Help", 12, &TfrmMain::HelpHelp);
  make(aRefreshView, "RefreshView", "Refresh", "View", -1, &TfrmMain::RefreshView);
  make(aToolBarView, "ToolBarView", "Tool Bar", "View", -1, nullptr);
  make(aStatusBarView, "StatusBarView", "Status Bar", "View", -1, nullptr);
  make(aPanelView, "PanelView", "Panel", "View", -1, nullptr);
  connect(aToolBarView, &QAction::triggered, this, [this] { ToolBarView(); });
  connect(aStatusBarView, &QAction::triggered, this, [this] { StatusBarView(); });
  connect(aPanelView, &QAction::triggered, this, [this] { PanelView(); });
  for (QAction* a : {aToolBarView, aStatusBarView, aPanelView}) {
    a->setCheckable(true);
    a->setChecked(true);
  }
  aJobSuspend->setEnabled(false);

  RunJobItem = new QAction(QStringLiteral("Run Job"), this);
  RunJobItem->setObjectName(QStringLiteral("RunJobItem"));
  connect(RunJobItem, &QAction::triggered, this, [this] { RunThisJob(); });
  SuspendJobItem = new QAction(QStringLiteral("Suspend"), this);
  SuspendJobItem->setObjectName(QStringLiteral("SuspendJobItem"));
  SuspendJobItem->setEnabled(false);
  connect(SuspendJobItem, &QAction::triggered, this, [this] { SuspendJobClick(); });
  CancelJobItem = new QAction(QStringLiteral("Cancel Job"), this);
  CancelJobItem->setObjectName(QStringLiteral("CancelJobItem"));
  CancelJobItem->setEnabled(false);
  connect(CancelJobItem, &QAction::triggered, this, [this] { CancelJobClick(); });
}

void TfrmMain::CreateMenus() {
  QMenu* job = menuBar()->addMenu(QStringLiteral("Job"));
  job->setObjectName(QStringLiteral("JobMenu"));
  job->addAction(aNewJob);
  job->addAction(aDeleteJob);
  job->addSeparator();
  job->addAction(aExportJob);
  job->addAction(aImportJob);
  job->addSeparator();
  job->addAction(aExitApp);

  QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
  view->setObjectName(QStringLiteral("ViewMenu"));
  for (QAction* a : {aToolBarView, aStatusBarView, aPanelView}) view->addAction(a);
  view->addSeparator();
  view->addAction(aRefreshView);

  QMenu* run = menuBar()->addMenu(QStringLiteral("Run"));
  run->setObjectName(QStringLiteral("RunMenu"));
  run->addAction(RunJobItem);
  run->addAction(SuspendJobItem);
  run->addAction(CancelJobItem);

  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
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
  ToolBar = addToolBar(QStringLiteral("Tool Bar"));
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setMovable(false);
  ToolBar->setIconSize(QSize(16, 16));
  ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  auto button = [this](QAction* action, const char* name, const QString& hint, bool showHint) {
    auto* b = new QToolButton(ToolBar);
    b->setObjectName(QString::fromLatin1(name));
    b->setDefaultAction(action);
    b->setFixedWidth(26);
    b->setAutoRaise(true);
    b->setToolTip(showHint ? hint : QString());
    ToolBar->addWidget(b);
    return b;
  };
  button(aNewJob, "tbNew", QStringLiteral("New Job"), true);
  ToolBar->addSeparator();
  button(aDeleteJob, "tbDelete", QStringLiteral("Delete"), true);
  ToolBar->addSeparator();
  button(aRunThisJob, "tbRun", QStringLiteral("Run"), true);
  tbSuspend = button(aJobSuspend, "tbSuspend", QStringLiteral("Suspend"), false);
  // The Stop button is no action of its own: it cancels the open run like "Cancel Job".
  auto* stop = new QAction(TImageList::MainImages().Icon(11), QStringLiteral("Stop Job"), this);
  stop->setObjectName(QStringLiteral("StopJob"));
  stop->setEnabled(false);
  connect(stop, &QAction::triggered, this, [this] { CancelJobClick(); });
  tbStop = button(stop, "tbStop", QStringLiteral("Stop"), true);
  ToolBar->addSeparator();
  button(aHelpHelp, "tbHelp", QStringLiteral("Help"), true);
  ToolBar->addSeparator();
  button(aExitApp, "tbExit", QStringLiteral("Exit"), true);
}

void TfrmMain::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(true);
  bar->setFixedHeight(kStatusBarHeight + 3);
  const char* texts[4] = {"Status:", "", "Job status:", ""};
  const int widths[4] = {50, 150, 50, 50};
  for (int i = 0; i < 4; ++i) {
    auto* label = new QLabel(QString::fromLatin1(texts[i]), bar);
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

  JobTree = new QTreeWidget(MainPanel);
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
  connect(JobTree, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu->popup(JobTree->viewport()->mapToGlobal(pos)); });
  // The selected node expands by itself.
  connect(JobTree, &QTreeWidget::currentItemChanged, this, [](QTreeWidgetItem* item) {
    if (item && item->childCount() > 0) item->setExpanded(true);
  });
  connect(JobTree, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* i) { UpdateNodeIcon(i); });
  connect(JobTree, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* i) { UpdateNodeIcon(i); });

  JobPanel = new QWidget(MainPanel);
  JobPanel->setObjectName(QStringLiteral("JobPanel"));
  HelpPanel = new QWidget(JobPanel);
  HelpPanel->setObjectName(QStringLiteral("HelpPanel"));
  JobPageControl = new QTabWidget(JobPanel);
  JobPageControl->setObjectName(QStringLiteral("JobPageControl"));
  JobPanel->installEventFilter(this);
  HelpPanel->installEventFilter(this);
}

void TfrmMain::InitJobPage() {
  auto place = [this](QWidget* page, const char* tab) {
    auto* holder = new QWidget(JobPageControl);
    holder->setObjectName(QStringLiteral("Tab_") + page->objectName());
    page->setParent(holder);
    holder->installEventFilter(this);
    JobPageControl->addTab(holder, QString::fromLatin1(tab));
    page->show();
  };
  SettingFrame = new TSettingFrame;
  place(SettingFrame, "General");
  SettingFrame->ShowSettings();
  FolderFrame = new TFolderFrame;
  place(FolderFrame, "Folders/Files Of Job");
  FolderFrame->InitEntries();
  DocSetFrame = new TDocSetFrame;
  place(DocSetFrame, "Watermark Settings");
  DocSetFrame->ShowSettings();
  HistoryFrame = new THistoryFrame;
  place(HistoryFrame, "Job History");
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
  auto* root = new QTreeWidgetItem(JobTree, QStringList(QStringLiteral("Job Profiles")));
  root->setData(0, kImageRole, kJobImage);
  const auto& list = ProfileList();
  for (const auto& profile : list) {
    auto* node = new QTreeWidgetItem(root, QStringList(Q(profile->Settings.Name)));
    SetNodeImage(node, kJobImage);
  }
  UpdateNodeIcon(root);
  currentJob_.reset();
  currentIndex_ = -1;
  shownNode_ = -1;
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
  currentJob_->Settings = SettingFrame->Settings;
  currentJob_->DocSettings = DocSetFrame->DocSettings;
  currentJob_->ClearItems();
  for (const auto& entry : FolderFrame->Entries()) currentJob_->Items.push_back(entry);
  try {
    currentJob_->Save();
  } catch (const std::exception& e) {
    Tell(Q(e.what()));
    return false;
  }
  // The node shows the name as saved, so a renamed job reads right in the tree.
  if (QTreeWidgetItem* node = NodeAt(currentIndex_ + 1))
    node->setText(0, Q(currentJob_->Settings.Name));
  return true;
}

// ---------------------------------------------------------------- actions

void TfrmMain::NewJob() {
  TfrmNewWizard wizard(this);
  if (wizard.exec() == QDialog::Accepted) {
    LoadProfilesReporting();
    RefreshPFList();
  }
}

void TfrmMain::DeleteJob() {
  if (!currentJob_) {
    Tell(QStringLiteral("Please Select the job at frist!"));
    return;
  }
  auto& list = ProfileList();
  std::shared_ptr<TJobProfile> job = currentJob_;
  if (currentIndex_ >= 0 && currentIndex_ < static_cast<int>(list.size()) &&
      list[static_cast<size_t>(currentIndex_)] == job)
    list.erase(list.begin() + currentIndex_);
  job->DeleteFiles();
  LoadProfilesReporting();
  RefreshPFList();
}

void TfrmMain::ExportJob() {
  if (!currentJob_) {
    Tell(QStringLiteral("Please select the profile which you want to export at first!"));
    return;
  }
  std::optional<QString> chosen = TUiDialogs::SaveFile(this, QStringLiteral("Export"), kTextFilter);
  if (!chosen) return;
  std::string path = S(*chosen);
  // Default extension: a name typed without one gets ".txt".
  if (ExtractFileExt(path).empty()) path += ".txt";
  CopyFileBlocks(ProgramDir() + currentJob_->FileName, path);
}

void TfrmMain::ImportJob() {
  std::optional<QString> chosen = TUiDialogs::OpenFile(this, QStringLiteral("Import"), kTextFilter);
  if (!chosen) return;
  const std::string dir = ProgramDir();
  const std::string source = S(*chosen);
  StagedFile staged(dir + StagingName(source));
  CopyFileBlocks(source, staged.Path());

  try {
    std::string name;
    std::string text;
    if (FileExists(staged.Path())) {
      TIniFile ini(staged.Path());
      name = ini.ReadString("BasicInfo", "Name", "");
      text = ini.ReadString("DocInfo", "DocWaterMarkStr", "");
    }
    if (name.empty() && text.empty()) {
      Tell(QStringLiteral("This text file seems not one profile export file, please check it!"));
      return;
    }
    // A name holding a separator would place the profile outside the program directory; it
    // is refused like a name in use.
    auto taken = [&dir](const std::string& n) {
      return n.find(PathDelim) != std::string::npos || FileExists(dir + "sw" + n + ".ini");
    };
    while (taken(name)) {
      Tell(QStringLiteral("Already Exist the same name Job!"));
      std::optional<QString> answer =
          TUiDialogs::InputBox(this, QStringLiteral("Input Box"),
                               QStringLiteral("Please Input One Different Name:"), Q(name));
      // Cancelling returns the proposed value, so the question comes again.
      name = answer ? S(*answer) : name;
    }
    const std::string target = dir + "sw" + name + ".ini";
    std::filesystem::rename(staged.Path(), target);
    staged.Release();
    TIniFile ini(target);
    ini.WriteString("BasicInfo", "Name", name);
  } catch (const std::exception& e) {
    Tell(Q(e.what()));
  }
  LoadProfilesReporting();
  RefreshPFList();
}

// Ends the program. A run that is still going is stopped first: the windows go away at once,
// and the program ends when the runner has finished its document, quit its Office
// applications and closed its log, so that no Office process or half-written log is left.
void TfrmMain::ExitApp() {
  std::shared_ptr<TJob> job = runJob_.lock();
  if (!job) job = drainingJob_.lock();
  if (!job || job->Finished()) {
    if (running_) CloseRunJob();
    quitting_ = true;
    QApplication::quit();
    return;
  }
  exiting_ = true;
  job->Terminate();
  if (running_) CloseRunJob();
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

void TfrmMain::FormResize() {
  // The rule works on the client area below the tool bar: the main panel plus the status bar.
  const int W = MainPanel->contentsRect().width();
  const int H = MainPanel->contentsRect().height() + kStatusBarHeight;
  const int P = jobPanelDesignHeight_;
  const int T = treeDesignHeight_;
  const int x0 = MainPanel->contentsRect().left();
  const int y0 = MainPanel->contentsRect().top();
  QRect tree = JobTree->geometry();
  QRect panel(x0, y0 + H - P - kStatusBarHeight, W, P);
  tree.setLeft(x0);
  tree.setWidth(W);
  if (H > JobTree->height() + JobPanel->height()) {
    tree.moveTop(y0);
    tree.setHeight(H - P - kStatusBarHeight);
  } else {
    tree.setHeight(T);
    tree.moveTop(y0 + H - P - T - kStatusBarHeight);
  }
  JobTree->setGeometry(tree);
  JobPanel->setGeometry(panel);
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
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

bool TfrmMain::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case TJobEvent::WM_JOBEND:
      OnJobEnd(static_cast<TJobEvent*>(event)->Run());
      return true;
    case TJobEvent::WM_JOBSUSPEND:
      SuspendRunJob();
      return true;
    case TJobEvent::WM_JOBCONTINUE:
      ContinueRunJob();
      return true;
    case TJobEvent::WM_JOBTERMINATE:
      TerminateRunJob();
      return true;
    default:
      return QMainWindow::event(event);
  }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick &&
      (watched == statusBar() || watched->parent() == statusBar())) {
    StatusBarDblClick();
    return true;
  }
  if (event->type() == QEvent::Resize) {
    // Pages and the help page fill their holders.
    if (auto* holder = qobject_cast<QWidget*>(watched)) {
      if (watched == JobPanel) {
        HelpPanel->setGeometry(JobPanel->rect());
        JobPageControl->setGeometry(JobPanel->rect());
      } else {
        for (QObject* child : holder->children())
          if (auto* w = qobject_cast<QWidget*>(child)) w->setGeometry(holder->rect());
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- run control

TfrmProgress* TfrmMain::ProgressWindow() const { return progress_.data(); }

void TfrmMain::SetRunItemsEnabled(bool running) {
  SuspendJobItem->setEnabled(running);
  CancelJobItem->setEnabled(running);
  aJobSuspend->setEnabled(running);
  tbStop->defaultAction()->setEnabled(running);
  // One run at a time: a new run waits until the runner of a cancelled one has really ended.
  const bool canRun = !running && drainingRun_ == 0;
  aRunThisJob->setEnabled(canRun);
  RunJobItem->setEnabled(canRun);
}

void TfrmMain::RunThisJob() {
  if (!currentJob_ || running_ || drainingRun_ != 0) return;
  openRun_ = ++lastRun_;
  runNode_ = animatedNode_;
  InitRunJob();
  StartAnimate();
  runProfile_ = currentJob_;
  auto display = std::make_shared<TRunDisplay>(this, progress_, StatusPanels[3], openRun_);
  runDisplay_ = display;
  try {
    // On failure RunJob has told the user and posted this run's WM_JOBEND, which closes it.
    runProfile_->RunJob(display, display);
    runJob_ = runProfile_->Job;
  } catch (const std::exception& e) {
    // The runner could not be made (its PDF printer check failed, say): no run is open.
    CloseRunJob();
    Tell(Q(e.what()));
  }
}

void TfrmMain::InitRunJob() {
  progress_ = new TfrmProgress(this);
  progress_->show();
  StatusPanels[1]->setText(QStringLiteral("Runing Job"));
  running_ = true;
  runMenuSuspended_ = false;
  SuspendJobItem->setText(QStringLiteral("Suspend"));
  SetRunItemsEnabled(true);
}

void TfrmMain::CloseRunJob() {
  // The runner's reports go nowhere from now on.
  if (runDisplay_) runDisplay_->Detach();
  if (progress_) delete progress_.data();
  progress_.clear();
  StatusPanels[1]->setText(QStringLiteral("Job Complete"));
  StatusPanels[3]->setText(QStringLiteral("Completed"));
  running_ = false;
  if (openRun_ != 0) {
    // A runner that has not ended yet (a cancelled run finishing its document) keeps Run
    // disabled until its WM_JOBEND arrives.
    std::shared_ptr<TJob> job = runJob_.lock();
    if (job && !job->Finished()) {
      drainingRun_ = openRun_;
      drainingJob_ = job;
    }
    openRun_ = 0;
  }
  runJob_.reset();
  runProfile_.reset();
  SetRunItemsEnabled(false);
  StopAnimate();
}

void TfrmMain::OnJobEnd(quint64 run) {
  if (exiting_) {
    drainingRun_ = 0;
    drainingJob_.reset();
    quitting_ = true;
    QApplication::quit();
    return;
  }
  if (run != 0 && run == drainingRun_) {
    drainingRun_ = 0;
    drainingJob_.reset();
    CloseRunJob();
    return;
  }
  // The end of a run that is no longer open changes nothing.
  if (run != 0 && run != openRun_) return;
  CloseRunJob();
}

void TfrmMain::SuspendRunJob() {
  if (!running_) return;
  Tell(QStringLiteral("Thread Suspend"));
  if (auto job = runJob_.lock()) job->Suspend();
}

void TfrmMain::ContinueRunJob() {
  if (!running_) return;
  Tell(QStringLiteral("Thread Continue"));
  if (auto job = runJob_.lock()) job->Resume();
}

void TfrmMain::TerminateRunJob() {
  if (!running_) return;
  Tell(QStringLiteral("Thread Terminate"));
  // Terminate also releases a suspended runner, so a cancelled run always ends.
  if (auto job = runJob_.lock()) job->Terminate();
  CloseRunJob();
}

void TfrmMain::SuspendJobClick() {
  if (!running_) return;
  if (!runMenuSuspended_) {
    SuspendJobItem->setText(QStringLiteral("Continue"));
    runMenuSuspended_ = true;
    SuspendRunJob();
  } else {
    SuspendJobItem->setText(QStringLiteral("Suspend"));
    runMenuSuspended_ = false;
    ContinueRunJob();
  }
}

void TfrmMain::CancelJobClick() { TerminateRunJob(); }

void TfrmMain::StatusBarDblClick() {
  if (progress_) {
    progress_->show();
    progress_->raise();
  }
}

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
