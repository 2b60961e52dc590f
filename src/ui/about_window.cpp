#include "ui/about_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/images/image_list.h"
#include "ui/program_windows.h"

#ifndef STAMPWELL_VERSION
#define STAMPWELL_VERSION "0.0.0"
#endif

namespace stampwell {

QString TfrmAbout::BuildVersion() { return QStringLiteral(STAMPWELL_VERSION); }

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(tr("About Stampwell"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setPixmap(TImageList::ProgressFrames().Pixmap(4));

  Name = new QLabel(QStringLiteral("Stampwell"), this);
  Name->setObjectName(QStringLiteral("ProductName"));
  QFont bold = Name->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.5);
  Name->setFont(bold);

  Version = new QLabel(tr("Version %1").arg(BuildVersion()), this);
  Version->setObjectName(QStringLiteral("Version"));
  Description = new QLabel(
      tr("Stamps a text watermark into Word, Excel and PowerPoint files in bulk, and prints "
         "them to PDF files, with LibreOffice."),
      this);
  Description->setObjectName(QStringLiteral("Description"));
  Description->setWordWrap(true);
  HelpLink = new QLabel(
      QStringLiteral("<a href=\"#help\">%1</a>").arg(tr("Open the help").toHtmlEscaped()), this);
  HelpLink->setObjectName(QStringLiteral("HelpLink"));
  HelpLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(HelpLink, &QLabel::linkActivated, this, [] { TProgramWindows::ShowHelp(); });

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* head = new QHBoxLayout;
  head->addWidget(icon);
  head->addSpacing(12);
  head->addWidget(Name);
  head->addStretch();
  auto* links = new QHBoxLayout;
  links->addWidget(HelpLink);
  links->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* all = new QVBoxLayout(this);
  all->setContentsMargins(20, 16, 20, 12);
  all->addLayout(head);
  all->addSpacing(8);
  all->addWidget(Version);
  all->addSpacing(8);
  all->addWidget(Description);
  all->addSpacing(8);
  all->addLayout(links);
  all->addSpacing(12);
  all->addLayout(buttons);
  Description->setMinimumWidth(320);
  setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

void TfrmAbout::showEvent(QShowEvent* event) {
  // Centred on its owner each time it is shown.
  if (QWidget* owner = parentWidget()) {
    const QRect area = owner->frameGeometry();
    move(area.center() - rect().center());
  }
  QDialog::showEvent(event);
}

}  // namespace stampwell
