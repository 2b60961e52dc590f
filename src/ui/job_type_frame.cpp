// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/job_type_frame.h"

#include "ui/htm_view_frame.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <algorithm>

#include "pdf/pdf_stack.h"
#include "ui/link_label.h"
#include "ui/program_windows.h"
#include "ui/ui_fonts.h"

namespace stampwell {
namespace {

template <typename W>
W* Place(W* widget, const char* name, int left, int top) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->move(left, top);
  widget->adjustSize();
  return widget;
}

}  // namespace

TJobTypeFrame::TJobTypeFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("JobTypeFrame"));
  resize(501, 270);

  JobPanel = new QFrame(this);
  JobPanel->setObjectName(QStringLiteral("JobPanel"));
  JobPanel->setFrameShape(QFrame::NoFrame);
  JobPanel->setGeometry(0, 16, 500, 250);
  JobPanel->setFont(DesktopFont());

  Label1 =
      Place(new QLabel(tr("Choose what the job does"), JobPanel), "Label1", 56, 48);
  WaterMark =
      Place(new QRadioButton(tr("Add a watermark to office files"), JobPanel),
            "WaterMark", 96, 80);
  PrintPDF =
      Place(new QRadioButton(tr("Print office files to PDF files"), JobPanel),
            "PrintPDF", 96, 112);
  WatermarkPDF = Place(
      new QRadioButton(
          tr("Add a watermark to office files, then print them to PDF files"),
          JobPanel),
      "WatermarkPDF", 96, 144);
  auto* group = new QButtonGroup(this);
  group->setExclusive(true);
  group->addButton(WaterMark);
  group->addButton(PrintPDF);
  group->addButton(WatermarkPDF);
  WaterMark->setChecked(true);

  tips = new TLinkLabel(tr("How are PDF files printed?"),
                        JobPanel);
  Place(tips, "tips", 96, 176);
  connect(tips, &TLinkLabel::clicked, this, [this] { tipsClick(); });

  // The choices keep their designed place unless the desktop font is wider than the design
  // font; then they move left just enough for their captions to stay whole inside the page.
  int widest = 0;
  for (QWidget* w : {static_cast<QWidget*>(WaterMark), static_cast<QWidget*>(PrintPDF),
                     static_cast<QWidget*>(WatermarkPDF), static_cast<QWidget*>(tips)})
    widest = std::max(widest, w->sizeHint().width());
  const int left = std::max(8, std::min(96, width() - 16 - widest));
  for (QWidget* w : {static_cast<QWidget*>(WaterMark), static_cast<QWidget*>(PrintPDF),
                     static_cast<QWidget*>(WatermarkPDF), static_cast<QWidget*>(tips)})
    w->move(left, w->y());
  Label1->move(std::min(56, left), Label1->y());
}

void TJobTypeFrame::initvalue() {
  const bool pdf = PDFAvailable;
  PrintPDF->setEnabled(pdf);
  WatermarkPDF->setEnabled(pdf);
  if (pdf)
    WatermarkPDF->setChecked(true);
  else
    WaterMark->setChecked(true);
}

// The link leads to the help section on PDF output.
void TJobTypeFrame::tipsClick() { TProgramWindows::ShowHelp(QString::fromLatin1(kPdfHelpAnchor)); }

}  // namespace stampwell
