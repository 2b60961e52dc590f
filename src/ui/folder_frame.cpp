#include "ui/folder_frame.h"

#include <QFrame>
#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

#include "platform/message_sink.h"
#include "ui/add_file_dialog.h"
#include "ui/add_folder_dialog.h"
#include "ui/ui_fonts.h"

namespace stampwell {

TFolderFrame::TFolderFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FolderFrame"));
  setFont(DesktopFont(8));
  resize(526, 321);

  LocPanel = new QFrame(this);
  LocPanel->setObjectName(QStringLiteral("LocPanel"));
  LocPanel->setFrameShape(QFrame::NoFrame);

  FolderList = new QTreeWidget(LocPanel);
  FolderList->setObjectName(QStringLiteral("FolderList"));
  FolderList->setColumnCount(3);
  FolderList->setHeaderLabels({QStringLiteral("Source Dir/File"),
                               QStringLiteral("Destination Dir/File"), QStringLiteral("Comments")});
  for (int c = 0; c < 3; ++c) FolderList->setColumnWidth(c, 150);
  FolderList->setRootIsDecorated(false);
  FolderList->setItemsExpandable(false);
  FolderList->setUniformRowHeights(true);
  FolderList->setSelectionMode(QAbstractItemView::SingleSelection);
  FolderList->setSelectionBehavior(QAbstractItemView::SelectRows);
  FolderList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FolderList->setContextMenuPolicy(Qt::CustomContextMenu);

  auto* layout = new QVBoxLayout(LocPanel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FolderList);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  auto addAction = [this](const QString& caption, const char* name, void (TFolderFrame::*fn)()) {
    QAction* action = PopupMenu1->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, fn);
  };
  addAction(QStringLiteral("Add Folder"), "AddFolder", &TFolderFrame::AddFolderClick);
  addAction(QStringLiteral("Add File"), "AddFile", &TFolderFrame::AddFileClick);
  PopupMenu1->addSeparator();
  addAction(QStringLiteral("Edit"), "Editit", &TFolderFrame::EdititClick);
  addAction(QStringLiteral("Delete"), "Deleteit", &TFolderFrame::DeleteitClick);

  connect(FolderList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenu1->popup(FolderList->viewport()->mapToGlobal(pos));
  });
  connect(FolderList, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem*, int) { FolderListDblClick(); });
  LocPanel->setGeometry(rect());
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
    ShowMessage("Please select one Row which you want edit at first!");
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
    ShowMessage("Please select one Row which you want delete at first!");
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
