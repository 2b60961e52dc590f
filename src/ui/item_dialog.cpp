// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/item_dialog.h"

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

// What the two kinds of entry show and say.
struct RItemTexts {
  const char* objectName;
  const char* title;
  int width;
  int height;
  const char* sourceCaption;
  const char* sourceName;
  const char* destCaption;
  const char* destName;
  const char* note;
  const char* missingPath;
  const char* samePath;
};

const RItemTexts kFileTexts = {
    "frmAddFile",
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "Add File"),
    489,
    178,
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "&Source file:"),
    "Source",
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "&Destination file:"),
    "Dest",
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "Note: when the destination is the source file itself, the watermark is added to the "
                      "original file."),
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "Please enter a source file and a destination file first."),
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "The destination is the source itself: please close the file in every office program "
                      "before the job runs.")};

const RItemTexts kFolderTexts = {
    "frmAddFolder",
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "Add Folder"),
    486,
    171,
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "&Source folder:"),
    "SourceDir",
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "&Destination folder:"),
    "DestDir",
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "Note: when the destination is the source folder itself, the watermark is added to the "
                      "original files."),
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "Please enter a source folder and a destination folder first."),
    QT_TRANSLATE_NOOP("stampwell::TItemDialog", "The destination is the source itself: please close its files in every office program "
                      "before the job runs.")};

}  // namespace

TItemDialog::TItemDialog(Kind kind, QWidget* parent) : QDialog(parent), kind_(kind) {
  const RItemTexts& t = kind == Kind::File ? kFileTexts : kFolderTexts;
  setObjectName(QString::fromLatin1(t.objectName));
  setWindowTitle(tr(t.title));
  const TItemDialogLayout l = TItemDialogLayout::Build(
      this, t.width, t.height, tr(t.sourceCaption), QString::fromLatin1(t.sourceName),
      tr(t.destCaption), QString::fromLatin1(t.destName), tr(t.note));
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
  connect(btnSource, &QPushButton::clicked, this, &TItemDialog::btnSourceClick);
  connect(btnDest, &QPushButton::clicked, this, &TItemDialog::btnDestClick);
  connect(btnOK, &QPushButton::clicked, this, &TItemDialog::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &TItemDialog::btnCancelClick);

  Rec.Type = kind == Kind::File ? 0 : 1;
  Rec.Source.clear();
  Rec.Dest.clear();
}

void TItemDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TItemDialog::FormShow() {
  if (!Rec.Source.empty()) Source->setText(QString::fromStdString(Rec.Source));
  if (!Rec.Dest.empty()) Dest->setText(QString::fromStdString(Rec.Dest));
  if (!Rec.Comments.empty()) sComments->setText(QString::fromStdString(Rec.Comments));
}

void TItemDialog::btnSourceClick() {
  if (kind_ == Kind::Folder) {
    if (auto path = TUiDialogs::BrowseFolder(this, tr("Choose a folder")))
      Source->setText(*path);
    return;
  }
  const QString filter =
      CurrentFormats
          ? tr("Word files (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|"
               "Excel files (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|"
               "Powerpoint Files(*.ppt, *.pptx, *.pptm, *.odp)|"
               "*.ppt;*.pptx;*.pptm;*.odp")
          : tr("Word files (*.Doc)|*.Doc|Excel files (*.Xls)|*.Xls|Powerpoint "
               "Files(*.Ppt)|*.Ppt");
  const QString offered =
      PdfFiles ? filter + QLatin1Char('|') + tr("PDF files (*.pdf)|*.pdf") : filter;
  if (auto path = TUiDialogs::OpenFile(this, QString(), offered)) Source->setText(*path);
}

void TItemDialog::btnDestClick() {
  if (kind_ == Kind::Folder) {
    if (auto path = TUiDialogs::BrowseFolder(this, tr("Choose a folder")))
      Dest->setText(*path);
    return;
  }
  if (auto path = TUiDialogs::SaveFile(this, QString(), QString())) Dest->setText(*path);
}

bool TItemDialog::FileExtensionsOk(const std::string& source, const std::string& dest) const {
  // Only the source's kind decides the engine; the destination may also be a PDF. Both
  // refusals speak of the source extension.
  const bool pdf = PdfFiles && ExtensionIn(source, {".pdf"});
  if (pdf && !ExtensionIn(dest, {".pdf"})) {
    ShowMessage(tr("The destination of a PDF file must be a .pdf file.").toStdString());
    return false;
  }
  const bool current = CurrentFormats && CurrentFormat(source);
  if (current && !CurrentFormat(dest) && !ExtensionIn(dest, {".pdf"})) {
    ShowMessage(tr("The destination must be a file of one of the current formats "
                   "(.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) or a .pdf file.")
                    .toStdString());
    return false;
  }
  if (!pdf && !current && (!ExtensionIn(source, {".doc", ".xls", ".ppt"}) ||
                   !ExtensionIn(dest, {".doc", ".xls", ".ppt", ".pdf"}))) {
    ShowMessage((CurrentFormats
                     ? tr("Only .doc, .xls, .ppt and .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/"
                          ".pptm/.odp files can be added; the destination may also be a .pdf "
                          "file.")
                     : tr("Only .doc, .xls and .ppt files can be added; the destination may also "
                          "be a .pdf file."))
                    .toStdString());
    return false;
  }
  return true;
}

void TItemDialog::btnOKClick() {
  const RItemTexts& t = kind_ == Kind::File ? kFileTexts : kFolderTexts;
  const std::string source = Source->text().toStdString();
  const std::string dest = Dest->text().toStdString();
  const std::string comments = sComments->text().toStdString();
  if (kind_ == Kind::Folder) {
    // A folder entry keeps what was typed even when it is refused.
    Rec.Source = source;
    Rec.Dest = dest;
    Rec.Comments = comments;
  }
  if (source.empty() || dest.empty()) {
    ShowMessage(tr(t.missingPath).toStdString());
    return;
  }
  if (kind_ == Kind::File && !FileExtensionsOk(source, dest)) return;
  Rec.Type = kind_ == Kind::File ? 0 : 1;
  Rec.Source = source;
  Rec.Dest = dest;
  Rec.Comments = comments;
  if (source == dest) ShowMessage(tr(t.samePath).toStdString());
  accept();
}

void TItemDialog::btnCancelClick() { reject(); }

}  // namespace stampwell
