#include "ui/add_folder_dialog.h"

#include "platform/message_sink.h"
#include "ui/item_dialog_layout.h"
#include "ui/ui_dialogs.h"

namespace stampwell {

TfrmAddFolder::TfrmAddFolder(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAddFolder"));
  setWindowTitle(tr("Add Folder"));
  const TItemDialogLayout l = TItemDialogLayout::Build(
      this, 486, 171, tr("&Source folder:"), QStringLiteral("SourceDir"),
      tr("&Destination folder:"), QStringLiteral("DestDir"),
      tr("Note: when the destination is the source folder itself, the watermark is added to "
         "the original files."));
  Label1 = l.sourceLabel;
  SourceDir = l.source;
  btnSource = l.btnSource;
  Label2 = l.destLabel;
  DestDir = l.dest;
  btnDest = l.btnDest;
  Label3 = l.commentsLabel;
  sComments = l.comments;
  Label4 = l.note;
  btnOK = l.btnOK;
  btnCancel = l.btnCancel;
  connect(btnSource, &QPushButton::clicked, this, &TfrmAddFolder::btnSourceClick);
  connect(btnDest, &QPushButton::clicked, this, &TfrmAddFolder::btnDestClick);
  connect(btnOK, &QPushButton::clicked, this, &TfrmAddFolder::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmAddFolder::btnCancelClick);

  // FormCreate
  Rec.Type = 1;
  Rec.Source.clear();
  Rec.Dest.clear();
}

void TfrmAddFolder::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TfrmAddFolder::FormShow() {
  if (!Rec.Source.empty()) SourceDir->setText(QString::fromStdString(Rec.Source));
  if (!Rec.Dest.empty()) DestDir->setText(QString::fromStdString(Rec.Dest));
  if (!Rec.Comments.empty()) sComments->setText(QString::fromStdString(Rec.Comments));
}

void TfrmAddFolder::btnSourceClick() {
  if (auto path = TUiDialogs::BrowseFolder(this, tr("Choose a folder"))) {
    SourceDir->setText(*path);
  }
}

void TfrmAddFolder::btnDestClick() {
  if (auto path = TUiDialogs::BrowseFolder(this, tr("Choose a folder"))) {
    DestDir->setText(*path);
  }
}

void TfrmAddFolder::btnOKClick() {
  Rec.Type = 1;
  Rec.Source = SourceDir->text().toStdString();
  Rec.Dest = DestDir->text().toStdString();
  Rec.Comments = sComments->text().toStdString();
  if (Rec.Source.empty() || Rec.Dest.empty()) {
    ShowMessage(tr("Please enter a source folder and a destination folder first.").toStdString());
    return;
  }
  if (Rec.Source == Rec.Dest) {
    ShowMessage(tr("The destination is the source itself: please close its files in every "
                   "office program before the job runs.")
                    .toStdString());
  }
  accept();
}

void TfrmAddFolder::btnCancelClick() { reject(); }

}  // namespace stampwell
