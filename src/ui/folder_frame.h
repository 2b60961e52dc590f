// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "jobs/job_settings.h"

class QFrame;
class QMenu;
class QMimeData;
class QPushButton;
class QTreeWidget;

namespace stampwell {

// The "Folders and Files" page: the job's entries (folders and single files with their
// destinations) in a three-column list, edited through the buttons below it (or the list's
// pop-up menu) and two modal dialogs. Folders and files dragged from a file manager onto the
// list become entries with a destination beside them (see ProposedDestination), which the
// user can edit. The page keeps its own ordered copy of the entries; it never writes a
// profile.
class TFolderFrame : public QWidget {
  Q_OBJECT

 public:
  explicit TFolderFrame(QWidget* parent = nullptr);

  // Starts an empty entry list, loading items when given.
  void InitEntries(const std::optional<std::vector<RJobItem>>& items = std::nullopt);
  // Replaces the entries by copies of items, in order, and rebuilds the list view.
  void LoadEntries(const std::vector<RJobItem>& items);
  void RefreshList();
  void ClearEntries();
  // The entries in order of addition.
  const std::vector<RJobItem>& Entries() const { return entries_; }

  // Index of the last entry with exactly this source and destination, or -1.
  int FindIndex(const std::string& source, const std::string& dest) const;

  // Whether the job also stamps current formats, asked when a file entry is added or edited
  // (the file dialog then offers and accepts them). Unset: legacy formats only.
  std::function<bool()> CurrentFormats;
  // Whether the job stamps PDF files (told to the file dialog as well).
  std::function<bool()> PdfFiles;

  void AddFolderClick();
  void AddFileClick();
  void EdititClick();
  void DeleteitClick();
  void FolderListDblClick();

  // Adds an entry for each local folder or file: a folder as a folder entry, a file under the
  // rules of the file dialog (a file it refuses is told and left out). The number added; the
  // last one added is selected.
  int AddDropped(const QStringList& paths);
  // The destination a dropped source gets: beside it, "(stamped)" added to its name
  // ("/a/Reports" -> "/a/Reports (stamped)", "/a/offer.doc" -> "/a/offer (stamped).doc").
  static QString ProposedDestination(const QString& path, bool folder);
  // The local paths a drag carries; empty when it carries none.
  static QStringList LocalPaths(const QMimeData* data);

  QFrame* LocPanel;
  QTreeWidget* FolderList;
  QMenu* PopupMenu1;
  QPushButton* btnAddFolder;
  QPushButton* btnAddFile;
  QPushButton* btnEdit;
  QPushButton* btnRemove;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The entry of the selected row, or -1 when no row is selected.
  int SelectedEntry() const;
  // Edit and Remove need a chosen row.
  void UpdateButtons();

  std::vector<RJobItem> entries_;
};

}  // namespace stampwell
