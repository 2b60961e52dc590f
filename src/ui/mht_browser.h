// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTextBrowser>

#include "ui/mhtml_archive.h"

namespace stampwell {

// A text browser that shows a web archive: the archive's start document is displayed, and
// the pictures, style sheets and linked pages it refers to are served from the archive's
// own parts. Links to the web open in the desktop's browser.
class TMhtBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit TMhtBrowser(QWidget* parent = nullptr);

  // Loads the archive at a "file://" address (or a plain path). False, with the browser left
  // blank, when the file cannot be read or holds nothing to show.
  bool Navigate(const QString& address);
  // Shows an archive already in memory.
  void ShowArchive(TMhtmlArchive archive);

  const TMhtmlArchive& Archive() const { return archive_; }
  // Address of the part on show, which relative references resolve against.
  QUrl CurrentLocation() const { return current_; }

  QVariant loadResource(int type, const QUrl& name) override;

 protected:
  void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

 private:
  void ShowPart(const TMhtmlPart& part, const QString& fragment);

  TMhtmlArchive archive_;
  QUrl current_;
};

}  // namespace stampwell
