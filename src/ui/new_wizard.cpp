// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/new_wizard.h"

#include <QCheckBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <exception>
#include <string>

#include "jobs/job_profile.h"
#include "platform/message_sink.h"
#include "platform/paths.h"
#include "ui/doc_set_frame.h"
#include "ui/folder_frame.h"
#include "ui/images/image_list.h"
#include "ui/job_type_frame.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"
#include "ui/ui_fonts.h"
#include "ui/ui_text.h"

namespace stampwell {
namespace {

// The decorative picture on the left: a blue band with the job picture.
QPixmap SidePicture() {
  QPixmap pixmap(113, 289);
  QPainter p(&pixmap);
  QLinearGradient gradient(0, 0, 0, 289);
  gradient.setColorAt(0.0, QColor(40, 80, 160));
  gradient.setColorAt(1.0, QColor(150, 190, 240));
  p.fillRect(pixmap.rect(), gradient);
  const QPixmap doc = TImageList::ProgressFrames().Pixmap(4).scaled(72, 72, Qt::KeepAspectRatio,
                                                                    Qt::SmoothTransformation);
  p.drawPixmap((113 - doc.width()) / 2, 40, doc);
  QFont font = p.font();
  font.setBold(true);
  font.setPointSize(11);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 130, 113, 24), Qt::AlignCenter, QStringLiteral("Stampwell"));
  return pixmap;
}

QString FromBytes(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

TfrmNewWizard::TfrmNewWizard(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmNewWizard"));
  setWindowTitle(tr("New Job Wizard"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(DesktopFont());
  setFixedSize(627, 364);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(16, 24, 113, 289);
  Image1->setPixmap(SidePicture());

  auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  btnPre = button("btnPre", tr("&Previous"));
  btnNext = button("btnNext", tr("&Next"));
  btnSave = button("btnSave", tr("&Save Job"));
  btnCancel = button("btnCancel", tr("&Cancel"));
  // Right-aligned in a row, each as wide as its caption needs (at least the designed 85).
  int right = width() - 32;
  for (QPushButton* b : {btnCancel, btnSave, btnNext, btnPre}) {
    const int w = std::max(85, b->sizeHint().width());
    b->setGeometry(right - w, 304, w, 25);
    right -= w + 12;
  }
  connect(btnPre, &QPushButton::clicked, this, [this] { btnPreClick(); });
  connect(btnNext, &QPushButton::clicked, this, [this] { btnNextClick(); });
  connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

  // FormCreate
  CurStep = 1;
  CreateFrames();
  ShowPage(CurStep);
}

TfrmNewWizard::~TfrmNewWizard() = default;  // the pages are children of the window

void TfrmNewWizard::CreateFrames() {
  // The pages would reach 8 pixels past the window's right edge; they stop at it.
  const int pageWidth = std::min(kPageWidth, width() - kPageLeft);
  JobTypeFrame = new TJobTypeFrame(this);
  JobTypeFrame->move(kPageLeft, kPageTop);
  JobTypeFrame->initvalue();

  SettingFrame = new TSettingFrame(this);
  SettingFrame->setGeometry(kPageLeft, kPageTop, pageWidth, kPageHeight);
  SettingFrame->ShowSettings();
  // Shown in their check boxes when step 2 is entered. A new job handles the current formats
  // and PDF files too; stored jobs keep what they had.
  SettingFrame->Settings.OtherFiles = true;
  SettingFrame->Settings.ModernFormats = true;
  SettingFrame->Settings.PdfFiles = true;

  FolderFrame = new TFolderFrame(this);
  FolderFrame->setGeometry(kPageLeft, kPageTop, pageWidth, kPageHeight);
  FolderFrame->InitEntries();
  FolderFrame->CurrentFormats = [this] { return SettingFrame->IsModern->isChecked(); };
  FolderFrame->PdfFiles = [this] { return SettingFrame->IsPdf->isChecked(); };

  DocSetFrame = new TDocSetFrame(this);
  DocSetFrame->setGeometry(kPageLeft, kPageTop, pageWidth, kPageHeight);
  DocSetFrame->DefaultValue();
  DocSetFrame->ShowSettings();
}

void TfrmNewWizard::SetSources(const std::vector<RJobItem>& items) {
  FolderFrame->LoadEntries(items);
}

void TfrmNewWizard::ShowPage(int Step) {
  if (Step < 1 || Step > kLastStep) return;
  QWidget* pages[kLastStep] = {JobTypeFrame, SettingFrame, FolderFrame, DocSetFrame};
  for (int i = 0; i < kLastStep; ++i) pages[i]->setVisible(i == Step - 1);
  if (Step == 2) SettingFrame->ShowSettings();
  btnPre->setEnabled(Step > 1);
  btnNext->setEnabled(Step < kLastStep);
  btnSave->setEnabled(Step == kLastStep);
  btnCancel->setEnabled(true);
  btnNext->setText(tr("Next"));
}

void TfrmNewWizard::SetSettings() {
  RJobSettings& rec = SettingFrame->Settings;
  if (JobTypeFrame->WaterMark->isChecked()) {
    rec.Doc = true;
    rec.PDF = false;
    SettingFrame->IsPrintPDF->setText(tr("Print office files to PDF files"));
  } else if (JobTypeFrame->PrintPDF->isChecked()) {
    rec.Doc = false;
    rec.PDF = true;
    SettingFrame->IsPrintPDF->setText(tr("Print office files to PDF files"));
  } else if (JobTypeFrame->WatermarkPDF->isChecked()) {
    rec.Doc = true;
    rec.PDF = true;
    SettingFrame->IsPrintPDF->setText(tr("Print the watermarked files to PDF files"));
  }
}

bool TfrmNewWizard::SaveJob() {
  if (!SettingFrame->ReadSettings()) return false;
  if (!DocSetFrame->ReadSettings()) return false;

  TJobProfile profile;
  profile.Settings = SettingFrame->Settings;
  profile.DocSettings = DocSetFrame->DocSettings;
  profile.FileName = "sw" + profile.Settings.Name + ".ini";
  profile.MaxFolder = 0;
  for (const RJobItem& entry : FolderFrame->Entries()) profile.Items.push_back(entry);

  // A separator in the name would put the profile outside the program directory; such a file
  // cannot be made where profiles live, as on a system whose file names refuse it.
  if (profile.Settings.Name.find(PathDelim) != std::string::npos) {
    Tell(tr("Unable to write to ") + FromBytes(ProgramDir() + profile.FileName));
    return false;
  }
  if (profile.Exists()) {
    Tell(tr("A job of this name exists already; please choose another name."));
    return false;
  }
  try {
    profile.Save();
  } catch (const std::exception& e) {
    Tell(FromBytes(e.what()));
    return false;
  }
  savedFileName_ = profile.FileName;
  return true;
}

// The check boxes of step 2 go into the page's record when the user leaves the step, so that
// coming back shows them as the user left them rather than as the record had them before.
void TfrmNewWizard::KeepStep2Choices() {
  RJobSettings& rec = SettingFrame->Settings;
  rec.Doc = SettingFrame->IsDoc->isChecked();
  rec.Xls = SettingFrame->IsXls->isChecked();
  rec.Ppt = SettingFrame->IsPpt->isChecked();
  rec.ModernFormats = SettingFrame->IsModern->isChecked();
  rec.PdfFiles = SettingFrame->IsPdf->isChecked();
  rec.PDF = SettingFrame->IsPrintPDF->isChecked();
  rec.OtherFiles = SettingFrame->IsCopy->isChecked();
  rec.Overwrite = SettingFrame->IsOverwrite->isChecked();
  rec.Verify = SettingFrame->IsVerify->isChecked();
}

void TfrmNewWizard::btnPreClick() {
  if (CurStep == 2) KeepStep2Choices();
  if (CurStep >= 2) --CurStep;
  ShowPage(CurStep);
}

void TfrmNewWizard::btnNextClick() {
  if (CurStep == 2) KeepStep2Choices();
  if (CurStep + 1 <= kLastStep) ++CurStep;
  if (CurStep == 2) SetSettings();
  ShowPage(CurStep);
}

void TfrmNewWizard::btnSaveClick() {
  if (SaveJob()) accept();
}

void TfrmNewWizard::btnCancelClick() { reject(); }

void TfrmNewWizard::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!activated_) {
    activated_ = true;
    FormActivate();
  }
}

// Shows the page of the current step. It runs when the wizard first opens; a later activation
// (after one of its message boxes, say) keeps the step and the page the user is on.
void TfrmNewWizard::FormActivate() { ShowPage(CurStep); }

}  // namespace stampwell
