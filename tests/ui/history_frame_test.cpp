// SPDX-License-Identifier: GPL-3.0-or-later
// The history page: the runs newest first with their failures, and the job's log as written,
// all runs in order, nothing for a job that never ran, and never touches the log file.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTreeWidget>
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

  // The runs newest first, one summary line each, the failed files and why beneath a run;
  // error lines marked in the log, which opens at the newest run.
  void runsNewestFirstWithTheirFailuresInWords() {
    test::ScopedProgramDir dir;
    std::string text;
    auto run = [&text](const char* at, std::initializer_list<const char*> lines) {
      for (const char* line : lines) text += std::string(at) + " " + line + "\r\n";
    };
    for (int r = 0; r < 30; ++r)
      run("2026-12-01 08:00:00", {"----------------------------------------------", "Job Begin",
                                  "copy file:/in/a.txt to:/out/a.txt", "Job End",
                                  "----------------------------------------------"});
    run("2026-12-08 09:30:00",
        {"----------------------------------------------", "Job Begin",
         "Add watermark into /in/r.doc", "Print Doc file:/in/r.doc to PDF:/out/r.pdf",
         "Error in Open world file:/in/broken.doc",
         "Error in /in/book.xls:the file cannot be opened",
         "Error in /in/deck.ppt:The office reported an error while saving",
         "Job Terminated by User", "Job End", "----------------------------------------------"});
    test::WriteFile(dir.Path() + "swMixed.log", text);
    THistoryFrame page;
    page.resize(640, 480);
    page.show();
    page.LoadHistory("Mixed");
    QCOMPARE(page.Runs->topLevelItemCount(), 31);
    QTreeWidgetItem* newest = page.Runs->topLevelItem(0);
    QCOMPARE(newest->text(0), QStringLiteral("2026-12-08 09:30:00  Cancelled (stamped 1, printed 1, "
                                             "copied 0, failed 3)"));
    QCOMPARE(page.Runs->topLevelItem(1)->text(0),
             QStringLiteral("2026-12-01 08:00:00  Completed (stamped 0, printed 0, copied 1, "
                            "failed 0)"));
    QCOMPARE(newest->childCount(), 3);
    const QString unopened = QStringLiteral(
        "the file could not be opened (damaged, protected by a password, or not of its kind)");
    QCOMPARE(newest->child(0)->text(0), QStringLiteral("/in/broken.doc: ") + unopened);
    QCOMPARE(newest->child(1)->text(0), QStringLiteral("/in/book.xls: ") + unopened);
    QCOMPARE(newest->child(2)->text(0),
             QStringLiteral("/in/deck.ppt: the office program reported an error while saving"));
    // The three error lines are marked, in the log's own order.
    const int first = 30 * 5;
    QCOMPARE(page.MarkedLines(), (QList<int>{first + 4, first + 5, first + 6}));
    QCOMPARE(page.History->extraSelections().size(), 3);
    // The log is in file order and opens at the newest run: its first line is in sight.
    auto inSight = [&page](int line) {
      QCoreApplication::processEvents();
      const QTextCursor at(page.History->document()->findBlockByNumber(line));
      const QRect r = page.History->cursorRect(at);
      return r.top() >= 0 && r.bottom() <= page.History->viewport()->height();
    };
    QVERIFY(page.History->verticalScrollBar()->value() > 0);
    QVERIFY(inSight(first));
    QVERIFY(!inSight(0));
    // Choosing an older run shows it.
    page.Runs->setCurrentItem(page.Runs->topLevelItem(30));
    QCOMPARE(page.History->verticalScrollBar()->value(), 0);
    page.Runs->setCurrentItem(newest->child(1));
    QVERIFY(inSight(first));
  }

  void aRunWithoutItsEndSaysSo() {
    const QList<THistoryRun> runs = THistoryFrame::ParseRuns(
        {QStringLiteral("2026-12-08 10:00:00 Job Begin"),
         QStringLiteral("2026-12-08 10:00:01 Add watermark into /in/x.doc")});
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs[0].Headline(), QStringLiteral("Did not finish"));
    QCOMPARE(runs[0].firstLine, 0);
    QString file, reason;
    QVERIFY(!THistoryFrame::ParseError(QStringLiteral("2026-12-08 10:00:01 Job End"), file,
                                       reason));
  }
};

QTEST_MAIN(HistoryFrameTest)
#include "history_frame_test.moc"
