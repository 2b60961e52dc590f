// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/help_window.h"

#include <QVBoxLayout>

#include "ui/htm_view_frame.h"
#include "ui/ui_fonts.h"

namespace stampwell {

TfrmHelp::TfrmHelp(QWidget* mainWindow) : QWidget(nullptr, Qt::Window), mainWindow_(mainWindow) {
  setObjectName(QStringLiteral("frmHelp"));
  setWindowTitle(tr("Stampwell Help"));
  setFont(DesktopFont());
  resize(588, 410);
  FormCreate();
}

void TfrmHelp::FormCreate() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  HtmViewFrame = new THtmViewFrame(this);
  layout->addWidget(HtmViewFrame);
  HtmViewFrame->Init();
}

void TfrmHelp::ShowHelp(const QString& anchor) {
  if (!placed_ && mainWindow_ != nullptr) {
    const QRect owner = mainWindow_->frameGeometry();
    move(owner.center() - QPoint(width() / 2, height() / 2));
    placed_ = true;
  }
  show();
  raise();
  if (!anchor.isEmpty()) HtmViewFrame->ScrollToAnchor(anchor);
}

}  // namespace stampwell
