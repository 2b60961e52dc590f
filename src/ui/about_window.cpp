#include "ui/about_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/images/image_list.h"

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

QString TfrmAbout::SupportUrl() { return QStringLiteral("https://stampwell.example.com/support"); }
QString TfrmAbout::HomeUrl() { return QStringLiteral("https://stampwell.example.com/"); }

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About.."));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
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

  Version = new QLabel(QStringLiteral("Version: 2.0"), this);
  Version->setObjectName(QStringLiteral("Version"));
  SupportLink =
      MakeLink(this, QStringLiteral("SupportLink"), QStringLiteral("Support"), SupportUrl());
  HomeLink = MakeLink(this, QStringLiteral("HomeLink"), QStringLiteral("Home page"), HomeUrl());

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* head = new QHBoxLayout;
  head->addWidget(icon);
  head->addSpacing(12);
  head->addWidget(Name);
  head->addStretch();
  auto* links = new QHBoxLayout;
  links->addWidget(SupportLink);
  links->addSpacing(24);
  links->addWidget(HomeLink);
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
  all->addLayout(links);
  all->addSpacing(12);
  all->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
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
