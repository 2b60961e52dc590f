#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "jobs/job_settings.h"

class QFrame;
class QMenu;
class QTreeWidget;

namespace stampwell {

// The "Folders/Files Of Job" page: the job's entries (folders and single files with their
// destinations) in a three-column list, edited through a pop-up menu and two modal dialogs.
// The page keeps its own ordered copy of the entries; it never writes a profile.
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

  QFrame* LocPanel;
  QTreeWidget* FolderList;
  QMenu* PopupMenu1;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The entry of the selected row, or -1 when no row is selected.
  int SelectedEntry() const;

  std::vector<RJobItem> entries_;
};

}  // namespace stampwell
