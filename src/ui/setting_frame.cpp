// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/setting_frame.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>

#include "pdf/pdf_stack.h"
#include "platform/message_sink.h"
#include "ui/ui_fonts.h"

namespace stampwell {
namespace {

// The file type box holds a fourth row for the current formats and a fifth for PDF files;
// the option box below it holds the PDF, copy and replace switches and the number of workers.
// The panel grows by those rows and still fits the page (and the wizard's).
constexpr int kTypesTop = 44;
constexpr int kTypesHeight = 130;
constexpr int kOptionTop = 178;
constexpr int kOptionHeight = 110;
constexpr int kPanelHeight = 290;
// The most workers the box offers; a profile may hold more (or less than 0), which the page
// then shows at the nearest end and keeps as it is unless the user changes the box.
constexpr int kMaxWorkers = 64;

int Shown(int workers) { return std::clamp(workers, 0, kMaxWorkers); }

template <typename W>
W* Make(QWidget* parent, const char* name) {
  auto* w = new W(parent);  // owned by parent
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption, int x, int y,
                     int width = 0) {
  auto* box = Make<QCheckBox>(parent, name);
  box->setText(caption);
  box->adjustSize();
  box->setGeometry(x, y, width > 0 ? width : box->width(), 17);
  return box;
}

}  // namespace

TSettingFrame::TSettingFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SettingFrame"));
  setFont(DesktopFont());
  resize(504, std::max(273, kPanelHeight));

  LocPanel = Make<QFrame>(this, "LocPanel");
  LocPanel->setFrameShape(QFrame::NoFrame);
  LocPanel->setGeometry(0, std::max(0, (273 - kPanelHeight) / 2), 500, kPanelHeight);

  Label1 = Make<QLabel>(LocPanel, "Label1");
  Label1->setText(tr("Job name:"));
  Label1->adjustSize();
  Label1->move(96, 20);

  sName = Make<QLineEdit>(LocPanel, "sName");
  sName->setMaxLength(50);
  sName->setText(QStringLiteral("Profile1"));
  sName->setGeometry(168, 16, 200, 21);
  Label1->move(168 - 6 - Label1->width(), 16 + (21 - Label1->height()) / 2);
  Label1->setBuddy(sName);

  GroupBox1 = Make<QGroupBox>(LocPanel, "GroupBox1");
  GroupBox1->setTitle(tr("File types"));
  GroupBox1->setGeometry(88, kTypesTop, 321, kTypesHeight);
  IsDoc = MakeCheck(GroupBox1, "IsDoc", tr("Add a watermark to &Word files (.doc)"), 16, 20);
  IsDoc->setChecked(true);
  IsXls = MakeCheck(GroupBox1, "IsXls", tr("Add a watermark to &Excel files (.xls)"), 16, 42);
  IsPpt = MakeCheck(GroupBox1, "IsPpt", tr("Add a watermark to &PowerPoint files (.ppt)"), 16, 64);
  IsModern = MakeCheck(GroupBox1, "IsModern",
                       tr("Also .docx, .xlsx, .pptx and OpenDocument files"), 16, 86);
  IsPdf = MakeCheck(GroupBox1, "IsPdf", tr("Also stamp PDF files"), 16, 108);

  GroupBox2 = Make<QGroupBox>(LocPanel, "GroupBox2");
  GroupBox2->setTitle(tr("Option"));
  GroupBox2->setGeometry(88, kOptionTop, 321, kOptionHeight);
  IsPrintPDF = MakeCheck(GroupBox2, "IsPrintPDF",
                         tr("Print the watermarked files to PD&F files"), 8, 16);
  IsCopy = MakeCheck(GroupBox2, "IsCopy",
                     tr("Copy all &other files of the folders too"),
                     8, 38);
  IsOverwrite = MakeCheck(GroupBox2, "IsOverwrite", tr("Replace e&xisting destinations"), 8, 60);
  IsOverwrite->setToolTip(
      tr("Off, a run passes over every file whose destination exists. On, it stamps, prints "
         "and copies those files again, replacing their destinations (never another output "
         "of the same run)."));
  WorkersLabel = Make<QLabel>(GroupBox2, "WorkersLabel");
  WorkersLabel->setText(tr("&Workers (files at once):"));
  WorkersLabel->adjustSize();
  Workers = Make<QSpinBox>(GroupBox2, "Workers");
  Workers->setRange(0, kMaxWorkers);
  Workers->setSpecialValueText(tr("one per core"));
  Workers->setValue(1);
  Workers->setToolTip(
      tr("How many files a run stamps at the same time, each in an office process of "
         "its own. More than one is faster on a machine with several processor "
         "cores."));
  WorkersLabel->setBuddy(Workers);
  Workers->resize(Workers->sizeHint().width(), 21);
  // The rows of each box one under the other from just below its caption, so that the
  // desktop font's caption height never puts a row on the caption or on the next row.
  for (QGroupBox* group : {GroupBox1, GroupBox2}) {
    int y = group->contentsRect().top() + 2;
    for (QObject* child : group->children()) {
      auto* box = qobject_cast<QCheckBox*>(child);
      if (!box) continue;
      box->move(box->x(), y);
      y += 22;
    }
    if (group == GroupBox2) {
      WorkersLabel->move(8 + 4, y + (21 - WorkersLabel->height()) / 2);
      Workers->move(WorkersLabel->x() + WorkersLabel->width() + 6, y);
    }
  }
  // On the workers' row, after the box: the option box has no room for another row.
  IsVerify = MakeCheck(GroupBox2, "IsVerify", tr("&Verify every page"),
                       Workers->x() + Workers->width() + 16, Workers->y() + (21 - 17) / 2);
  IsVerify->setToolTip(
      tr("After saving, open each stamped file (and its PDF) again, render every page and "
         "count the file as failed when a page does not show the mark."));
  // The desktop font may be wider than the designed one: the group boxes grow (staying
  // centred on the panel) until the longest caption fits, since a clipped caption hides what
  // the option does.
  int needed = 321;
  for (QCheckBox* box : {IsDoc, IsXls, IsPpt, IsModern, IsPdf, IsPrintPDF, IsCopy, IsOverwrite,
                         IsVerify}) {
    box->resize(box->sizeHint().width(), box->height());
    needed = std::max(needed, box->x() + box->width() + 8);
  }
  needed = std::max(needed, Workers->x() + Workers->width() + 8);
  needed = std::min(needed, LocPanel->width());
  if (needed > 321) {
    const int left = (LocPanel->width() - needed) / 2;
    GroupBox1->setGeometry(left, kTypesTop, needed, kTypesHeight);
    GroupBox2->setGeometry(left, kOptionTop, needed, kOptionHeight);
  }
}

void TSettingFrame::ShowSettings(const std::optional<RJobSettings>& rec) {
  if (rec) Settings = *rec;
  if (!Settings.Name.empty()) sName->setText(QString::fromStdString(Settings.Name));
  IsDoc->setChecked(Settings.Doc);
  IsXls->setChecked(Settings.Xls);
  IsPpt->setChecked(Settings.Ppt);
  IsModern->setChecked(Settings.ModernFormats);
  IsPdf->setChecked(Settings.PdfFiles);
  IsPrintPDF->setChecked(Settings.PDF);
  IsCopy->setChecked(Settings.OtherFiles);
  IsOverwrite->setChecked(Settings.Overwrite);
  Workers->setValue(Shown(Settings.Workers));
  IsVerify->setChecked(Settings.Verify);
  if (!PDFAvailable) IsPrintPDF->setEnabled(false);
}

bool TSettingFrame::ReadSettings() {
  const QString name = sName->text();
  bool result = true;
  if (name.isEmpty()) {
    ShowMessage(tr("The job name cannot be empty; please enter one.").toStdString());
    result = false;
  }
  Settings.Name = name.toStdString();
  Settings.Doc = IsDoc->isChecked();
  Settings.Xls = IsXls->isChecked();
  Settings.Ppt = IsPpt->isChecked();
  Settings.ModernFormats = IsModern->isChecked();
  Settings.PdfFiles = IsPdf->isChecked();
  Settings.PDF = IsPrintPDF->isChecked();
  Settings.OtherFiles = IsCopy->isChecked();
  Settings.Overwrite = IsOverwrite->isChecked();
  Settings.Verify = IsVerify->isChecked();
  // A value the box cannot show stays as the profile holds it until the user changes it.
  if (Workers->value() != Shown(Settings.Workers)) Settings.Workers = Workers->value();
  return result;
}

void TSettingFrame::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FrameResize();
}

void TSettingFrame::FrameResize() {
  const int left = LocPanel->width() < width() ? (width() - LocPanel->width()) / 2 : 0;
  const int top = LocPanel->height() < height() ? (height() - LocPanel->height()) / 2 : 0;
  LocPanel->move(left, top);
}

}  // namespace stampwell
