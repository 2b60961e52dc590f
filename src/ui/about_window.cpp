// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/images/image_list.h"
#include "ui/program_windows.h"

namespace stampwell {
namespace {

QLabel* MakeLink(QWidget* parent, const QString& objectName, const QString& text,
                 const QString& url) {
  auto* label = new QLabel(parent);
  label->setObjectName(objectName);
  // The link opens through QDesktopServices, so that tests can catch it with a URL handler.
  label->setText(QStringLiteral("<a href=\"%1\" style=\"text-decoration: underline\">%2</a>")
                     .arg(url, text.toHtmlEscaped()));
  label->setTextFormat(Qt::RichText);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  label->setOpenExternalLinks(false);
  QObject::connect(label, &QLabel::linkActivated,
                   [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  return label;
}

}  // namespace

// The build's version and the project's addresses, set by the build. An address the project
// does not have yet is empty, and its link is left out rather than pointing anywhere else.
#ifndef STAMPWELL_VERSION
#define STAMPWELL_VERSION "0.0.0"
#endif
#ifndef STAMPWELL_HOMEPAGE_URL
#define STAMPWELL_HOMEPAGE_URL ""
#endif
#ifndef STAMPWELL_SUPPORT_URL
#define STAMPWELL_SUPPORT_URL ""
#endif

QString TfrmAbout::SupportUrl() { return QStringLiteral(STAMPWELL_SUPPORT_URL); }
QString TfrmAbout::HomeUrl() { return QStringLiteral(STAMPWELL_HOMEPAGE_URL); }
QString TfrmAbout::BuildVersion() { return QStringLiteral(STAMPWELL_VERSION); }
QString TfrmAbout::LicenseUrl() { return QStringLiteral("https://www.gnu.org/licenses/gpl-3.0.html"); }

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
  License = new QLabel(
      tr("Free software under the GNU General Public License, version 3 or later "
         "(GPL-3.0-or-later), without any warranty."),
      this);
  License->setObjectName(QStringLiteral("License"));
  License->setWordWrap(true);
  LicenseLink = MakeLink(this, QStringLiteral("LicenseLink"), tr("Licence"), LicenseUrl());
  if (!SupportUrl().isEmpty())
    SupportLink = MakeLink(this, QStringLiteral("SupportLink"), tr("Support"), SupportUrl());
  if (!HomeUrl().isEmpty())
    HomeLink = MakeLink(this, QStringLiteral("HomeLink"), tr("Home page"), HomeUrl());
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
  for (QLabel* link : {HelpLink, LicenseLink, SupportLink, HomeLink}) {
    if (!link) continue;
    if (links->count() > 0) links->addSpacing(24);
    links->addWidget(link);
  }
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
  all->addWidget(License);
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
