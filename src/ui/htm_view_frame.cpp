// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/htm_view_frame.h"

#include <QFrame>
#include <QLocale>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/paths.h"
#include "ui/mht_browser.h"

namespace stampwell {

THtmViewFrame::THtmViewFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("HtmViewFrame"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  HtmPanel = new QFrame(this);
  HtmPanel->setObjectName(QStringLiteral("HtmPanel"));
  HtmPanel->setFrameShape(QFrame::NoFrame);
  outer->addWidget(HtmPanel);
  auto* inner = new QVBoxLayout(HtmPanel);
  inner->setContentsMargins(0, 0, 0, 0);
  HtmBrowser = new TMhtBrowser(HtmPanel);
  inner->addWidget(HtmBrowser);
}

void THtmViewFrame::Init() {
  // The help in the user's language where it is translated (help_<language>.mht), else
  // the English one.
  std::string path = DataDir() + "help.mht";
  for (const QString& language : QLocale().uiLanguages()) {
    const std::string translated =
        DataDir() + "help_" + language.left(2).toLower().toStdString() + ".mht";
    if (language.left(2).compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) break;
    if (FileExists(translated)) {
      path = translated;
      break;
    }
  }
  if (!FileExists(path)) return;
  HtmBrowser->Navigate(QUrl::fromLocalFile(QString::fromStdString(path)).toString());
}

void THtmViewFrame::ScrollToAnchor(const QString& anchor) { HtmBrowser->scrollToAnchor(anchor); }

}  // namespace stampwell
