// The history page: shows a job's log as written, all runs in order, nothing for a job that
// never ran, and never touches the log file.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

#include "platform/paths.h"
#include "run/job_log.h"
#include "support/temp_dir.h"
#include "ui/history_frame.h"

using namespace stampwell;

class HistoryFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void emptyWithoutLog() {
    test::ScopedProgramDir dir;
    THistoryFrame page;
    page.History->setPlainText(QStringLiteral("left from another job"));
    test::MessageRecorder messages;
    page.LoadHistory("Never");
    QVERIFY(page.History->toPlainText().isEmpty());
    QVERIFY(messages.Messages().empty());
    QVERIFY(!FileExists(dir.Path() + "swNever.log"));  // reading creates nothing
  }

  void showsAllRunsInFileOrder() {
    test::ScopedProgramDir dir;
    for (const char* run : {"first", "second"}) {
      TJobLog log("Weekly");
      QVERIFY(log.OpenLog(true));
      QVERIFY(log.WriteLog("Job Begin"));
      QVERIFY(log.WriteLog(std::string("run ") + run));
      QVERIFY(log.WriteLog("Job End"));
      log.CloseLog();
    }
    const std::string before = test::ReadFile(dir.Path() + "swWeekly.log");
    THistoryFrame page;
    page.LoadHistory("Weekly");
    const QStringList lines = page.History->toPlainText().split('\n');
    QCOMPARE(lines.size(), 7);  // six lines, each ending with a break
    QVERIFY(lines[0].endsWith(QStringLiteral(" Job Begin")));
    QVERIFY(lines[1].endsWith(QStringLiteral(" run first")));
    QVERIFY(lines[4].endsWith(QStringLiteral(" run second")));
    QVERIFY(lines[5].endsWith(QStringLiteral(" Job End")));
    QVERIFY(lines[6].isEmpty());
    // The date-and-time prefix stays as written.
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d "))
                .match(lines[0])
                .hasMatch());
    QCOMPARE(test::ReadFile(dir.Path() + "swWeekly.log"), before);
  }

  void showsLinesUnchangedIncludingLastWithoutLineEnd() {
    test::ScopedProgramDir dir;
    test::WriteFile(dir.Path() + "swRaw.log",
                    "2026-03-07 09:05:03 Job Begin\r\n  indented \r\n\r\n"
                    "2026-03-07 09:05:04 caf\xC3\xA9\r\nno line end");
    THistoryFrame page;
    page.LoadHistory("Raw");
    QCOMPARE(page.History->toPlainText(),
             QString::fromUtf8("2026-03-07 09:05:03 Job Begin\n  indented \n\n"
                               "2026-03-07 09:05:04 caf\xC3\xA9\nno line end\n"));
  }

  void reloadReplacesPreviousJob() {
    test::ScopedProgramDir dir;
    test::WriteFile(dir.Path() + "swA.log", "line of A\r\n");
    test::WriteFile(dir.Path() + "swB.log", "line of B\r\n");
    THistoryFrame page;
    page.LoadHistory("A");
    page.LoadHistory("B");
    QCOMPARE(page.History->toPlainText(), QStringLiteral("line of B\n"));
    page.Clear();
    QVERIFY(page.History->toPlainText().isEmpty());
  }

  void isReadOnlyWithVerticalScrollBarOnly() {
    THistoryFrame page;
    QVERIFY(page.History->isReadOnly());
    QCOMPARE(page.History->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(page.History->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff);
  }

  void longLogIsShownWhole() {
    test::ScopedProgramDir dir;
    std::string text;
    for (int i = 0; i < 100000; ++i)
      text += "2026-03-07 09:05:03 file " + std::to_string(i) + "\r\n";
    test::WriteFile(dir.Path() + "swBig.log", text);
    THistoryFrame page;
    page.LoadHistory("Big");
    QCOMPARE(page.History->document()->blockCount(), 100001);
    QCOMPARE(page.History->document()->findBlockByNumber(99999).text(),
             QStringLiteral("2026-03-07 09:05:03 file 99999"));
  }
};

QTEST_MAIN(HistoryFrameTest)
#include "history_frame_test.moc"
