// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <string>

class QFrame;
class QPlainTextEdit;
class QSplitter;
class QTreeWidget;

namespace stampwell {

// One run as the log tells it.
struct THistoryRun {
  QString started;     // the date and time of its "Job Begin" line
  int firstLine = -1;  // the line (from 0) where the run starts in the log
  int stamped = 0, printed = 0, copied = 0, failed = 0;
  bool cancelled = false;  // "Job Terminated by User"
  bool ended = false;      // "Job End" was written
  // Each failed file with its reason in words.
  QList<QPair<QString, QString>> failures;

  // "Completed", "Completed: 2 files failed", "Cancelled", "Did not finish".
  QString Headline() const;
  // The run's line in the list: its time, headline and counts.
  QString SummaryLine() const;
};

// The "History" page: a job's runs, newest first, one summary line each, with the files that
// failed and why beneath a run; below them the job's log read-only, its lines in file order,
// each ending with a line break, error lines marked, scrolled to the newest run. Choosing a
// run scrolls the log to it. It never writes or clears the log; a job without a log shows
// nothing.
class THistoryFrame : public QWidget {
  Q_OBJECT

 public:
  explicit THistoryFrame(QWidget* parent = nullptr);

  // Shows the log of the job of that name. The text is assembled first and handed to the
  // control once, so a long log appears at once. A read error keeps the lines read so far.
  void LoadHistory(const std::string& jobName);
  void Clear();

  // The runs of a log's lines (each with its time stamp), oldest first.
  static QList<THistoryRun> ParseRuns(const QStringList& lines);
  // What an "Error in <file>:<message>" line says, as file and reason in words; false for
  // any other line.
  static bool ParseError(const QString& line, QString& file, QString& reason);
  // A runner's error message as a reason a user reads.
  static QString ReasonInWords(const QString& message);
  // The log lines marked as errors (numbers from 0).
  QList<int> MarkedLines() const { return marked_; }

  QFrame* LocPanel;
  QSplitter* Split;
  QTreeWidget* Runs;
  QPlainTextEdit* History;

 private:
  void ScrollToLine(int line);

  QList<int> marked_;
};

}  // namespace stampwell
