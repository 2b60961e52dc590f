// SPDX-License-Identifier: GPL-3.0-or-later
// The window texts' translations: the .ts sources are complete and keep what the program
// fills in or parses, and the built .qm files turn the windows German or French by locale.
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTranslator>
#include <QXmlStreamReader>

#include "main_test_support.h"
#include "platform/paths.h"
#include "ui/htm_view_frame.h"
#include "ui/main_window.h"
#include "ui/mht_browser.h"
#include "ui/new_wizard.h"
#include "ui/translations.h"

using namespace stampwell;

namespace {

struct Message {
  QString context, source, translation;
  bool finished = true;
};

QList<Message> ReadTs(const QString& path) {
  QList<Message> messages;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return messages;
  QXmlStreamReader xml(&file);
  QString context;
  Message m;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == QLatin1String("name")) {
      context = xml.readElementText();
    } else if (xml.name() == QLatin1String("message")) {
      m = Message{context, QString(), QString(), true};
    } else if (xml.name() == QLatin1String("source")) {
      m.source = xml.readElementText();
    } else if (xml.name() == QLatin1String("translation")) {
      const QString type = xml.attributes().value(QLatin1String("type")).toString();
      m.finished = type.isEmpty();
      m.translation = xml.readElementText();
      messages << m;
    }
  }
  return messages;
}

// The parts of a text the program relies on: its placeholders, its mnemonic (one '&' or
// none) and, in file-dialog filters, the patterns after each '|'.
QStringList Placeholders(const QString& text) {
  QStringList found;
  auto it = QRegularExpression(QStringLiteral("%\\d")).globalMatch(text);
  while (it.hasNext()) found << it.next().captured();
  found.sort();
  return found;
}
QStringList FilterPatterns(const QString& text) {
  QStringList parts = text.split(QLatin1Char('|'));
  QStringList patterns;
  for (int i = 1; i < parts.size(); i += 2) patterns << parts[i];
  return patterns;
}

// Installs the translations for a locale for the life of the object.
class ScopedLanguage {
 public:
  explicit ScopedLanguage(const char* locale) {
    before_ = QCoreApplication::instance()->findChildren<QTranslator*>();
    loaded_ = InstallTranslations(*QCoreApplication::instance(), QLocale(QLatin1String(locale)));
  }
  ~ScopedLanguage() {
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
      if (before_.contains(t)) continue;
      QCoreApplication::removeTranslator(t);
      delete t;
    }
  }
  const QString& Loaded() const { return loaded_; }

 private:
  QList<QTranslator*> before_;
  QString loaded_;
};

}  // namespace

class TranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { SetProgramDir(STAMPWELL_BIN_DIR); }
  void cleanup() { SetProgramDir(""); }

  void everyTextIsTranslatedAndKeepsWhatTheProgramNeeds_data() {
    QTest::addColumn<QString>("lang");
    QTest::newRow("de") << QStringLiteral("de");
    QTest::newRow("fr") << QStringLiteral("fr");
  }
  void everyTextIsTranslatedAndKeepsWhatTheProgramNeeds() {
    QFETCH(QString, lang);
    const auto messages = ReadTs(QStringLiteral(STAMPWELL_TS_DIR "/stampwell_%1.ts").arg(lang));
    QVERIFY(messages.size() > 100);
    for (const Message& m : messages) {
      const QString where = m.context + QStringLiteral(": ") + m.source;
      QVERIFY2(m.finished && !m.translation.trimmed().isEmpty(), qPrintable(where));
      QVERIFY2(Placeholders(m.translation) == Placeholders(m.source), qPrintable(where));
      QVERIFY2(m.translation.count(QLatin1Char('&')) == m.source.count(QLatin1Char('&')),
               qPrintable(where));
      if (m.source.contains(QLatin1Char('|')))
        QVERIFY2(FilterPatterns(m.translation) == FilterPatterns(m.source), qPrintable(where));
    }
  }

  void theUsersLanguageTranslatesTheWindows() {
    {
      ScopedLanguage german("de_DE");
      QVERIFY2(german.Loaded().endsWith(QLatin1String("translations/stampwell_de.qm")),
               qPrintable(german.Loaded()));
      TfrmMain w;
      QCOMPARE(w.aNewJob->text(), QStringLiteral("&Neuer Auftrag..."));
      QCOMPARE(w.JobPageControl->tabText(0), QStringLiteral("Allgemein"));
      TfrmNewWizard wizard;
      QCOMPARE(wizard.btnSave->text(), QStringLiteral("Auftrag &speichern"));
      QCOMPARE(wizard.windowTitle().trimmed(), QStringLiteral("Assistent für neue Aufträge"));
    }
    {
      // A regional variant finds its language.
      ScopedLanguage french("fr_CA");
      QVERIFY(french.Loaded().endsWith(QLatin1String("stampwell_fr.qm")));
      TfrmMain w;
      QCOMPARE(w.aNewJob->text(), QStringLiteral("&Nouvelle tâche..."));
    }
    {
      // A language without a translation keeps the English texts.
      ScopedLanguage other("it_IT");
      QVERIFY(other.Loaded().isEmpty());
      TfrmMain w;
      QCOMPARE(w.aNewJob->text(), QStringLiteral("&New Job..."));
    }
  }

  void theHelpIsShownInTheUsersLanguage() {
    const struct {
      const char* locale;
      const char* heading;
    } cases[] = {{"de_DE", "Hilfe zu Stampwell"},
                 {"fr_BE", "Aide de Stampwell"},
                 {"en_GB", "Stampwell Help"},
                 {"it_IT", "Stampwell Help"}};
    for (const auto& c : cases) {
      QLocale::setDefault(QLocale(QLatin1String(c.locale)));
      THtmViewFrame page;
      page.Init();
      const QString text = page.HtmBrowser->toPlainText();
      QVERIFY2(text.contains(QLatin1String(c.heading)),
               qPrintable(c.locale + (": " + text.left(80))));
    }
    QLocale::setDefault(QLocale::c());
  }
};

QTEST_MAIN(TranslationsTest)
#include "translations_test.moc"
