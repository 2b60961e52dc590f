// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/folder_frame.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

#include "platform/message_sink.h"
#include "ui/item_dialog.h"
#include "ui/ui_fonts.h"

namespace stampwell {

TFolderFrame::TFolderFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FolderFrame"));
  setFont(DesktopFont());
  resize(526, 321);

  LocPanel = new QFrame(this);
  LocPanel->setObjectName(QStringLiteral("LocPanel"));
  LocPanel->setFrameShape(QFrame::NoFrame);

  FolderList = new QTreeWidget(LocPanel);
  FolderList->setObjectName(QStringLiteral("FolderList"));
  FolderList->setColumnCount(3);
  FolderList->setHeaderLabels({tr("Source folder/file"),
                               tr("Destination folder/file"), tr("Comments")});
  for (int c = 0; c < 3; ++c) FolderList->setColumnWidth(c, 150);
  FolderList->setRootIsDecorated(false);
  FolderList->setItemsExpandable(false);
  FolderList->setUniformRowHeights(true);
  FolderList->setSelectionMode(QAbstractItemView::SingleSelection);
  FolderList->setSelectionBehavior(QAbstractItemView::SelectRows);
  FolderList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FolderList->setContextMenuPolicy(Qt::CustomContextMenu);
  FolderList->viewport()->setAcceptDrops(true);
  FolderList->viewport()->installEventFilter(this);
  FolderList->setToolTip(tr("Drop folders and files here to add them"));

  auto button = [this](const char* name, const QString& caption, void (TFolderFrame::*fn)()) {
    auto* b = new QPushButton(caption, LocPanel);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, fn);
    return b;
  };
  btnAddFolder = button("btnAddFolder", tr("Add F&older..."), &TFolderFrame::AddFolderClick);
  btnAddFile = button("btnAddFile", tr("Add F&ile..."), &TFolderFrame::AddFileClick);
  btnEdit = button("btnEdit", tr("&Edit..."), &TFolderFrame::EdititClick);
  btnRemove = button("btnRemove", tr("&Remove"), &TFolderFrame::DeleteitClick);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->addWidget(btnAddFolder);
  buttons->addWidget(btnAddFile);
  buttons->addWidget(btnEdit);
  buttons->addWidget(btnRemove);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(LocPanel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FolderList);
  layout->addLayout(buttons);
  connect(FolderList, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  auto addAction = [this](const QString& caption, const char* name, void (TFolderFrame::*fn)()) {
    QAction* action = PopupMenu1->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, fn);
  };
  addAction(tr("Add Folder"), "AddFolder", &TFolderFrame::AddFolderClick);
  addAction(tr("Add File"), "AddFile", &TFolderFrame::AddFileClick);
  PopupMenu1->addSeparator();
  addAction(tr("Edit"), "Editit", &TFolderFrame::EdititClick);
  addAction(tr("Remove"), "Deleteit", &TFolderFrame::DeleteitClick);

  connect(FolderList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenu1->popup(FolderList->viewport()->mapToGlobal(pos));
  });
  connect(FolderList, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem*, int) { FolderListDblClick(); });
  LocPanel->setGeometry(rect());
  UpdateButtons();
}

void TFolderFrame::InitEntries(const std::optional<std::vector<RJobItem>>& items) {
  entries_.clear();
  if (items) LoadEntries(*items);
}

void TFolderFrame::LoadEntries(const std::vector<RJobItem>& items) {
  ClearEntries();
  entries_.assign(items.begin(), items.end());
  RefreshList();
}

void TFolderFrame::RefreshList() {
  FolderList->clear();
  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<int>(entries_.size()));
  for (const RJobItem& item : entries_) {
    rows << new QTreeWidgetItem(QStringList{QString::fromStdString(item.Source),
                                            QString::fromStdString(item.Dest),
                                            QString::fromStdString(item.Comments)});
  }
  FolderList->addTopLevelItems(rows);  // the list view owns the rows
  UpdateButtons();
}

void TFolderFrame::UpdateButtons() {
  const bool chosen = !FolderList->selectedItems().isEmpty();
  btnEdit->setEnabled(chosen);
  btnRemove->setEnabled(chosen);
}

QString TFolderFrame::ProposedDestination(const QString& path, bool folder) {
  const QFileInfo info(QDir::cleanPath(path));
  const QString marked = tr("%1 (stamped)");
  if (folder) return info.absolutePath() + QLatin1Char('/') + marked.arg(info.fileName());
  const QString suffix = info.suffix();
  const QString name = marked.arg(info.completeBaseName());
  return info.absolutePath() + QLatin1Char('/') +
         (suffix.isEmpty() ? name : name + QLatin1Char('.') + suffix);
}

QStringList TFolderFrame::LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths << QDir::cleanPath(url.toLocalFile());
  return paths;
}

int TFolderFrame::AddDropped(const QStringList& paths) {
  int added = 0;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) {
      RJobItem item;
      item.Type = 1;
      item.Source = path.toStdString();
      item.Dest = ProposedDestination(path, true).toStdString();
      entries_.push_back(item);
      ++added;
      continue;
    }
    // A file passes the file dialog's own checks, as if the user had typed it there.
    TfrmAddFile dialog(this);
    dialog.CurrentFormats = CurrentFormats && CurrentFormats();
    dialog.Source->setText(path);
    dialog.Dest->setText(ProposedDestination(path, false));
    dialog.btnOKClick();
    if (dialog.result() != QDialog::Accepted) continue;
    entries_.push_back(dialog.Rec);
    ++added;
  }
  RefreshList();
  if (added > 0)
    FolderList->setCurrentItem(FolderList->topLevelItem(FolderList->topLevelItemCount() - 1));
  return added;
}

bool TFolderFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched != FolderList->viewport()) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (LocalPaths(drag->mimeData()).isEmpty()) return false;
      drag->setDropAction(Qt::CopyAction);
      drag->accept();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList paths = LocalPaths(drop->mimeData());
      if (paths.isEmpty()) return false;
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      AddDropped(paths);
      return true;
    }
    default:
      return QWidget::eventFilter(watched, event);
  }
}

void TFolderFrame::ClearEntries() {
  while (!entries_.empty()) entries_.pop_back();
}

int TFolderFrame::FindIndex(const std::string& source, const std::string& dest) const {
  int found = -1;
  for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
    if (entries_[i].Source == source && entries_[i].Dest == dest) found = i;
  }
  return found;
}

int TFolderFrame::SelectedEntry() const {
  const QList<QTreeWidgetItem*> selected = FolderList->selectedItems();
  if (selected.isEmpty()) return -1;
  return FindIndex(selected.first()->text(0).toStdString(),
                   selected.first()->text(1).toStdString());
}

void TFolderFrame::AddFolderClick() {
  auto dialog = std::make_unique<TfrmAddFolder>(this);
  if (dialog->exec() == QDialog::Accepted) entries_.push_back(dialog->Rec);
  dialog.reset();
  RefreshList();
}

void TFolderFrame::AddFileClick() {
  auto dialog = std::make_unique<TfrmAddFile>(this);
  dialog->CurrentFormats = CurrentFormats && CurrentFormats();
  dialog->PdfFiles = PdfFiles && PdfFiles();
  if (dialog->exec() == QDialog::Accepted) entries_.push_back(dialog->Rec);
  dialog.reset();
  RefreshList();
}

void TFolderFrame::EdititClick() {
  if (FolderList->selectedItems().isEmpty()) {
    ShowMessage(tr("Please select the row to edit first.").toStdString());
    return;
  }
  const int index = SelectedEntry();
  if (index < 0) return;
  if (entries_[index].Type != 0) {
    auto dialog = std::make_unique<TfrmAddFolder>(this);
    dialog->Rec = entries_[index];
    if (dialog->exec() == QDialog::Accepted) entries_[index] = dialog->Rec;
  } else {
    auto dialog = std::make_unique<TfrmAddFile>(this);
    dialog->CurrentFormats = CurrentFormats && CurrentFormats();
    dialog->PdfFiles = PdfFiles && PdfFiles();
    dialog->Rec = entries_[index];
    if (dialog->exec() == QDialog::Accepted) entries_[index] = dialog->Rec;
  }
  RefreshList();
}

void TFolderFrame::DeleteitClick() {
  if (FolderList->selectedItems().isEmpty()) {
    ShowMessage(tr("Please select the row to remove first.").toStdString());
    return;
  }
  const int index = SelectedEntry();
  if (index < 0) return;
  entries_.erase(entries_.begin() + index);
  RefreshList();
}

void TFolderFrame::FolderListDblClick() { EdititClick(); }

void TFolderFrame::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LocPanel->setGeometry(rect());
}

}  // namespace stampwell
