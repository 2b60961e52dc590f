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

// The file type box holds a fourth row for the current formats; the option box below it
// moves down by that row and holds a third row, the number of workers, with its rows closer
// together. The panel grows by that row and still fits the page (and the wizard's).
constexpr int kTypesHeight = 121;
constexpr int kOptionTop = 176;
constexpr int kOptionHeight = 91;
constexpr int kPanelHeight = 268;
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
  setFont(DesktopFont(8));
  resize(504, 273);

  LocPanel = Make<QFrame>(this, "LocPanel");
  LocPanel->setFrameShape(QFrame::NoFrame);
  LocPanel->setGeometry(0, (273 - kPanelHeight) / 2, 500, kPanelHeight);

  Label1 = Make<QLabel>(LocPanel, "Label1");
  Label1->setText(QStringLiteral("Profile Name:"));
  Label1->adjustSize();
  Label1->move(96, 20);

  sName = Make<QLineEdit>(LocPanel, "sName");
  sName->setMaxLength(50);
  sName->setText(QStringLiteral("Profile1"));
  sName->setGeometry(168, 16, 200, 21);
  Label1->move(168 - 6 - Label1->width(), 16 + (21 - Label1->height()) / 2);
  Label1->setBuddy(sName);

  GroupBox1 = Make<QGroupBox>(LocPanel, "GroupBox1");
  GroupBox1->setTitle(QStringLiteral("File Type Selection"));
  GroupBox1->setGeometry(88, 48, 321, kTypesHeight);
  IsDoc = MakeCheck(GroupBox1, "IsDoc", QStringLiteral("Add Watermark into &Doc File"), 16, 24);
  IsDoc->setChecked(true);
  IsXls = MakeCheck(GroupBox1, "IsXls", QStringLiteral("Add Watermark into &Xls File"), 16, 48);
  IsPpt = MakeCheck(GroupBox1, "IsPpt", QStringLiteral("Add Watermark into &Ppt File"), 16, 72);
  IsModern = MakeCheck(GroupBox1, "IsModern",
                       QStringLiteral("Also .docx, .xlsx, .pptx and OpenDocument files"), 16, 96);

  GroupBox2 = Make<QGroupBox>(LocPanel, "GroupBox2");
  GroupBox2->setTitle(QStringLiteral("Option"));
  GroupBox2->setGeometry(88, kOptionTop, 321, kOptionHeight);
  IsPrintPDF = MakeCheck(GroupBox2, "IsPrintPDF",
                         QStringLiteral("Print Added Watermark Files into PD&F Files"), 8, 16);
  IsCopy = MakeCheck(GroupBox2, "IsCopy",
                     QStringLiteral("Copy &other type files(except:doc,xls,ppt) also in folders"),
                     8, 40);
  WorkersLabel = Make<QLabel>(GroupBox2, "WorkersLabel");
  WorkersLabel->setText(QStringLiteral("&Workers (files at once):"));
  WorkersLabel->adjustSize();
  Workers = Make<QSpinBox>(GroupBox2, "Workers");
  Workers->setRange(0, kMaxWorkers);
  Workers->setSpecialValueText(QStringLiteral("one per core"));
  Workers->setValue(1);
  Workers->setToolTip(
      QStringLiteral("How many files a run stamps at the same time, each in an office process of "
                     "its own. More than one is faster on a machine with several processor "
                     "cores."));
  WorkersLabel->setBuddy(Workers);
  Workers->resize(Workers->sizeHint().width(), 21);
  WorkersLabel->move(8 + 4, 62 + (21 - WorkersLabel->height()) / 2);
  Workers->move(WorkersLabel->x() + WorkersLabel->width() + 6, 62);
  // On the workers' row, after the box: the option box has no room for a fourth row.
  IsVerify = MakeCheck(GroupBox2, "IsVerify", QStringLiteral("&Verify every page"),
                       Workers->x() + Workers->width() + 16, 62 + (21 - 17) / 2);
  IsVerify->setToolTip(
      QStringLiteral("After saving, open each stamped file (and its PDF) again, render every "
                     "page and count the file as failed when a page does not show the mark."));
  // The desktop font may be wider than the designed one: the group boxes grow (staying
  // centred on the panel) until the longest caption fits, since a clipped caption hides what
  // the option does.
  int needed = 321;
  for (QCheckBox* box : {IsDoc, IsXls, IsPpt, IsModern, IsPrintPDF, IsCopy, IsVerify}) {
    box->resize(box->sizeHint().width(), box->height());
    // Never on the box's own caption or frame line.
    const int top = static_cast<QGroupBox*>(box->parentWidget())->contentsRect().top() + 2;
    if (box->y() < top) box->move(box->x(), top);
    needed = std::max(needed, box->x() + box->width() + 8);
  }
  needed = std::max(needed, Workers->x() + Workers->width() + 8);
  needed = std::min(needed, LocPanel->width());
  if (needed > 321) {
    const int left = (LocPanel->width() - needed) / 2;
    GroupBox1->setGeometry(left, 48, needed, kTypesHeight);
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
  IsPrintPDF->setChecked(Settings.PDF);
  IsCopy->setChecked(Settings.OtherFiles);
  Workers->setValue(Shown(Settings.Workers));
  IsVerify->setChecked(Settings.Verify);
  if (!PDFAvailable) IsPrintPDF->setEnabled(false);
}

bool TSettingFrame::ReadSettings() {
  const QString name = sName->text();
  bool result = true;
  if (name.isEmpty()) {
    ShowMessage("Profile cann't be empty, Please input it.");
    result = false;
  }
  Settings.Name = name.toStdString();
  Settings.Doc = IsDoc->isChecked();
  Settings.Xls = IsXls->isChecked();
  Settings.Ppt = IsPpt->isChecked();
  Settings.ModernFormats = IsModern->isChecked();
  Settings.PDF = IsPrintPDF->isChecked();
  Settings.OtherFiles = IsCopy->isChecked();
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
