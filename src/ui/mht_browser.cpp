// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mht_browser.h"

#include <QDesktopServices>

namespace stampwell {

TMhtBrowser::TMhtBrowser(QWidget* parent) : QTextBrowser(parent) {
  setObjectName(QStringLiteral("HtmBrowser"));
  // Every link comes to doSetSource: an address may name a page of the archive even when it
  // looks like a web address; only what the archive lacks goes to the desktop's browser.
  setOpenExternalLinks(false);
  setOpenLinks(true);
}

bool TMhtBrowser::Navigate(const QString& address) {
  const QUrl url(address);
  const QString path = url.isLocalFile() ? url.toLocalFile() : address;
  TMhtmlArchive archive;
  if (!archive.Load(path) || archive.Root() == nullptr) {
    clear();
    return false;
  }
  ShowArchive(std::move(archive));
  return true;
}

void TMhtBrowser::ShowArchive(TMhtmlArchive archive) {
  archive_ = std::move(archive);
  if (const TMhtmlPart* root = archive_.Root()) {
    ShowPart(*root, QString());
  } else {
    clear();
  }
}

void TMhtBrowser::ShowPart(const TMhtmlPart& part, const QString& fragment) {
  current_ = part.location;
  document()->setBaseUrl(current_);
  const QString text = TMhtmlArchive::Text(part);
  if (part.contentType == "text/html") {
    setHtml(text);
  } else {
    setPlainText(text);
  }
  if (!fragment.isEmpty()) scrollToAnchor(fragment);
}

QVariant TMhtBrowser::loadResource(int type, const QUrl& name) {
  if (const TMhtmlPart* part = archive_.Find(name, current_)) {
    if (type == QTextDocument::StyleSheetResource || type == QTextDocument::HtmlResource) {
      return TMhtmlArchive::Text(*part);
    }
    return part->body;
  }
  // Nothing outside the archive is fetched.
  return QVariant();
}

void TMhtBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
  Q_UNUSED(type);
  if (name.isEmpty()) return;
  // A link within the page on show.
  if (name.isRelative() && name.path().isEmpty() && name.hasFragment()) {
    scrollToAnchor(name.fragment());
    return;
  }
  if (const TMhtmlPart* part = archive_.Find(name, current_)) {
    const QUrl target = current_.isEmpty() ? name : current_.resolved(name);
    if (part->location.adjusted(QUrl::RemoveFragment) == current_.adjusted(QUrl::RemoveFragment) &&
        !current_.isEmpty()) {
      scrollToAnchor(target.fragment());
    } else {
      ShowPart(*part, target.fragment());
    }
    return;
  }
  if (!name.isRelative()) QDesktopServices::openUrl(name);
}

}  // namespace stampwell
