// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "jobs/job_settings.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace stampwell {

// The modal dialog that adds or edits one entry of a job: a single file or a folder. The
// caller fills Rec before showing it and reads Rec after it ended with Accepted. OK is
// refused (with a message) while a path is missing, and for a file while an extension is
// not one the job can stamp; it warns when source and destination are the same. The two
// kinds differ only in captions, browsing (files or folders) and the checks of a file.
class TItemDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { File, Folder };

  TItemDialog(Kind kind, QWidget* parent = nullptr);

  RJobItem Rec;
  // For a file: the job also stamps current formats (.docx, .xlsx, .pptx, OpenDocument):
  // they are then offered and accepted as well.
  bool CurrentFormats = false;
  // The job also stamps PDF files: a .pdf source is offered and accepted, with a .pdf
  // destination (its stamped copy).
  bool PdfFiles = false;

  QLabel* Label1;
  QLineEdit* Source;  // object name "Source" (file) or "SourceDir" (folder)
  QPushButton* btnSource;
  QLabel* Label2;
  QLineEdit* Dest;  // "Dest" or "DestDir"
  QPushButton* btnDest;
  QLabel* Label3;
  QLineEdit* sComments;
  QLabel* Label4;
  QPushButton* btnOK;
  QPushButton* btnCancel;

  void FormShow();
  void btnSourceClick();
  void btnDestClick();
  void btnOKClick();
  void btnCancelClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // For a file entry: false (with the user told why) when its extensions cannot be run.
  bool FileExtensionsOk(const std::string& source, const std::string& dest) const;

  const Kind kind_;
};

// The dialog for a single file ("frmAddFile").
class TfrmAddFile : public TItemDialog {
  Q_OBJECT

 public:
  explicit TfrmAddFile(QWidget* parent = nullptr) : TItemDialog(Kind::File, parent) {}
};

// The dialog for a folder ("frmAddFolder"); its path edits are also known by their names.
class TfrmAddFolder : public TItemDialog {
  Q_OBJECT

 public:
  explicit TfrmAddFolder(QWidget* parent = nullptr) : TItemDialog(Kind::Folder, parent) {}

  QLineEdit*& SourceDir = Source;
  QLineEdit*& DestDir = Dest;
};

}  // namespace stampwell
