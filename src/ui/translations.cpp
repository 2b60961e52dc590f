#include "ui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/paths.h"

namespace stampwell {

QString TranslationsDir() {
  return QString::fromStdString(DataDir()) + QStringLiteral("translations/");
}

QString InstallTranslations(QCoreApplication& app, const QLocale& locale) {
  // Owned by the application, so they live as long as the texts they translate.
  auto* qt = new QTranslator(&app);
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(qt);
  else
    delete qt;

  auto* own = new QTranslator(&app);
  // QTranslator tries each of the locale's UI languages in turn ("de_AT" finds "de").
  if (own->load(locale, QStringLiteral("stampwell"), QStringLiteral("_"), TranslationsDir())) {
    QCoreApplication::installTranslator(own);
    return own->filePath();
  }
  delete own;
  return QString();
}

}  // namespace stampwell
