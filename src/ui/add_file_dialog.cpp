#include "ui/add_file_dialog.h"

#include "platform/message_sink.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "ui/item_dialog_layout.h"
#include "ui/ui_dialogs.h"

namespace stampwell {
namespace {

bool ExtensionIn(const std::string& path, std::initializer_list<const char*> allowed) {
  const std::string ext = LowerCase(ExtractFileExt(path));
  for (const char* a : allowed) {
    if (ext == a) return true;
  }
  return false;
}

bool CurrentFormat(const std::string& path) {
  return ExtensionIn(path, {".docx", ".docm", ".odt", ".xlsx", ".xlsm", ".ods", ".pptx", ".pptm",
                            ".odp"});
}

}  // namespace

TfrmAddFile::TfrmAddFile(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAddFile"));
  setWindowTitle(QStringLiteral("Add Files"));
  const TItemDialogLayout l = TItemDialogLayout::Build(
      this, 489, 178, QStringLiteral("&Source File:"), QStringLiteral("Source"),
      QStringLiteral("&Destionation File:"), QStringLiteral("Dest"),
      QStringLiteral("Note: If Destination file is the same with Source, it mean just add the "
                     "water mark to original file"));
  Label1 = l.sourceLabel;
  Source = l.source;
  btnSource = l.btnSource;
  Label2 = l.destLabel;
  Dest = l.dest;
  btnDest = l.btnDest;
  Label3 = l.commentsLabel;
  sComments = l.comments;
  Label4 = l.note;
  btnOK = l.btnOK;
  btnCancel = l.btnCancel;
  connect(btnSource, &QPushButton::clicked, this, &TfrmAddFile::btnSourceClick);
  connect(btnDest, &QPushButton::clicked, this, &TfrmAddFile::btnDestClick);
  connect(btnOK, &QPushButton::clicked, this, &TfrmAddFile::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmAddFile::btnCancelClick);

  // FormCreate
  Rec.Type = 0;
  Rec.Source.clear();
  Rec.Dest.clear();
}

void TfrmAddFile::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TfrmAddFile::FormShow() {
  if (!Rec.Source.empty()) Source->setText(QString::fromStdString(Rec.Source));
  if (!Rec.Dest.empty()) Dest->setText(QString::fromStdString(Rec.Dest));
  if (!Rec.Comments.empty()) sComments->setText(QString::fromStdString(Rec.Comments));
}

void TfrmAddFile::btnSourceClick() {
  const QString filter =
      CurrentFormats
          ? QStringLiteral("Word files (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|"
                           "Excel files (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|"
                           "Powerpoint Files(*.ppt, *.pptx, *.pptm, *.odp)|"
                           "*.ppt;*.pptx;*.pptm;*.odp")
          : QStringLiteral("Word files (*.Doc)|*.Doc|Excel files (*.Xls)|*.Xls|Powerpoint "
                           "Files(*.Ppt)|*.Ppt");
  const QString offered =
      PdfFiles ? filter + QStringLiteral("|PDF files (*.pdf)|*.pdf") : filter;
  if (auto path = TUiDialogs::OpenFile(this, QString(), offered)) {
    Source->setText(*path);
  }
}

void TfrmAddFile::btnDestClick() {
  if (auto path = TUiDialogs::SaveFile(this, QString(), QString())) Dest->setText(*path);
}

void TfrmAddFile::btnOKClick() {
  const std::string source = Source->text().toStdString();
  const std::string dest = Dest->text().toStdString();
  if (source.empty() || dest.empty()) {
    ShowMessage("please input source File and destionation File at first");
    return;
  }
  const bool pdf = PdfFiles && ExtensionIn(source, {".pdf"});
  if (pdf && !ExtensionIn(dest, {".pdf"})) {
    ShowMessage("Destination File Extension Must Be .pdf For A PDF Source File!");
    return;
  }
  // Only the source's kind decides the engine; the destination may also be a PDF. Both
  // refusals speak of the source extension.
  const bool current = CurrentFormats && CurrentFormat(source);
  if (current && !CurrentFormat(dest) && !ExtensionIn(dest, {".pdf"})) {
    ShowMessage(
        "Destination File Extension Must Be One Of The Current Formats "
        "(.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) Or .pdf!");
    return;
  }
  if (!pdf && !current && (!ExtensionIn(source, {".doc", ".xls", ".ppt"}) ||
                   !ExtensionIn(dest, {".doc", ".xls", ".ppt", ".pdf"}))) {
    ShowMessage(CurrentFormats
                    ? "Source File Extension Only Can Be .doc/.xls/.ppt, "
                      ".docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp!"
                    : "Source File Extension Only Can Be .doc/.xls/.ppt!");
    return;
  }
  Rec.Type = 0;
  Rec.Source = source;
  Rec.Dest = dest;
  Rec.Comments = sComments->text().toStdString();
  if (source == dest) {
    ShowMessage(
        "Since destination file are the same with source, please close all office "
        "application when running job!");
  }
  accept();
}

void TfrmAddFile::btnCancelClick() { reject(); }

}  // namespace stampwell
