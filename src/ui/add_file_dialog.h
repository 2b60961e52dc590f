#pragma once

#include <QDialog>

#include "jobs/job_settings.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace stampwell {

// Modal dialog that adds or edits one file entry. The caller fills Rec before showing it and
// reads Rec after it ended with Accepted. OK is refused (with a message) while a path is
// missing or an extension is not one the job can stamp; it warns when source and
// destination are the same file.
class TfrmAddFile : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAddFile(QWidget* parent = nullptr);

  RJobItem Rec;
  // The job also stamps current formats (.docx, .xlsx, .pptx, OpenDocument): they are then
  // offered and accepted as well.
  bool CurrentFormats = false;
  // The job also stamps PDF files: a .pdf source is offered and accepted, with a .pdf
  // destination (its stamped copy).
  bool PdfFiles = false;

  QLabel* Label1;
  QLineEdit* Source;
  QPushButton* btnSource;
  QLabel* Label2;
  QLineEdit* Dest;
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
};

}  // namespace stampwell
