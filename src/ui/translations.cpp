// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "platform/paths.h"

namespace stampwell {

QString TranslationsDir() {
  return QString::fromStdString(DataDir()) + QStringLiteral("translations/");
}

QString InstallTranslations(QCoreApplication& app, const QLocale& locale) {
  // Once loaded, owned by the application, so they live as long as the texts they translate.
  auto qt = std::make_unique<QTranslator>();
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    qt->setParent(&app);
    QCoreApplication::installTranslator(qt.release());
  }

  auto own = std::make_unique<QTranslator>();
  // QTranslator tries each of the locale's UI languages in turn ("de_AT" finds "de").
  if (!own->load(locale, QStringLiteral("stampwell"), QStringLiteral("_"), TranslationsDir()))
    return QString();
  const QString loaded = own->filePath();
  own->setParent(&app);
  QCoreApplication::installTranslator(own.release());
  return loaded;
}

}  // namespace stampwell
