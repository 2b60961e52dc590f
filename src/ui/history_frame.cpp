// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history_frame.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "run/job_log.h"
#include "ui/ui_fonts.h"

namespace stampwell {
namespace {

// "2026-03-07 09:05:03 " before every line the runner writes.
const QRegularExpression& Stamp() {
  static const QRegularExpression stamp(
      QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d) "));
  return stamp;
}

// The text of a log line without its time stamp.
QString Body(const QString& line) {
  const QRegularExpressionMatch m = Stamp().match(line);
  return m.hasMatch() ? line.mid(m.capturedLength()) : line;
}

constexpr int kLineRole = Qt::UserRole + 1;

}  // namespace

QString THistoryRun::Headline() const {
  if (cancelled) return THistoryFrame::tr("Cancelled");
  if (!ended) return THistoryFrame::tr("Did not finish");
  if (failed == 1) return THistoryFrame::tr("Completed: 1 file failed");
  if (failed > 1) return THistoryFrame::tr("Completed: %1 files failed").arg(failed);
  return THistoryFrame::tr("Completed");
}

QString THistoryRun::SummaryLine() const {
  return THistoryFrame::tr("%1  %2 (stamped %3, printed %4, copied %5, failed %6)")
      .arg(started, Headline())
      .arg(stamped)
      .arg(printed)
      .arg(copied)
      .arg(failed);
}

QString THistoryFrame::ReasonInWords(const QString& message) {
  static const QString officeError = QStringLiteral("The office reported an error");
  static const QString officeRefused = QStringLiteral("The office refused the operation");
  if (message.contains(QStringLiteral("cannot be opened"), Qt::CaseInsensitive))
    return tr("the file could not be opened (damaged, protected by a password, or not of its "
              "kind)");
  if (message.startsWith(officeError))
    return tr("the office program reported an error%1").arg(message.mid(officeError.size()));
  if (message.startsWith(officeRefused))
    return tr("the office program refused%1").arg(message.mid(officeRefused.size()));
  return message;
}

bool THistoryFrame::ParseError(const QString& line, QString& file, QString& reason) {
  static const QString prefix = QStringLiteral("Error in ");
  const QString body = Body(line);
  if (!body.startsWith(prefix)) return false;
  // "Error in Open world file:<file>": a Word file that could not be opened.
  static const QString openWord = QStringLiteral("Error in Open world file:");
  if (body.startsWith(openWord)) {
    file = body.mid(openWord.size());
    reason = tr("the file could not be opened (damaged, protected by a password, or not of its "
                "kind)");
    return true;
  }
  // The file name ends at the first ':' (the runner writes "Error in " + file + ":" + message).
  const QString rest = body.mid(prefix.size());
  const int colon = rest.indexOf(QLatin1Char(':'));
  if (colon < 0) {
    file = rest;
    reason.clear();
    return true;
  }
  file = rest.left(colon);
  reason = ReasonInWords(rest.mid(colon + 1));
  return true;
}

QList<THistoryRun> THistoryFrame::ParseRuns(const QStringList& lines) {
  QList<THistoryRun> runs;
  for (int i = 0; i < lines.size(); ++i) {
    const QString body = Body(lines[i]);
    if (body == QLatin1String("Job Begin")) {
      THistoryRun run;
      const QRegularExpressionMatch m = Stamp().match(lines[i]);
      run.started = m.hasMatch() ? m.captured(1) : QString();
      // The hyphen line just before belongs to the run.
      run.firstLine = (i > 0 && Body(lines[i - 1]).startsWith(QLatin1String("-----"))) ? i - 1 : i;
      runs << run;
      continue;
    }
    if (runs.isEmpty()) continue;
    THistoryRun& run = runs.last();
    if (body.startsWith(QLatin1String("Add watermark into ")))
      ++run.stamped;
    else if (body.startsWith(QLatin1String("Print ")) && body.contains(QLatin1String(" to PDF:")))
      ++run.printed;
    else if (body.startsWith(QLatin1String("copy file:")))
      ++run.copied;
    else if (body == QLatin1String("Job Terminated by User"))
      run.cancelled = true;
    else if (body == QLatin1String("Job End"))
      run.ended = true;
    else {
      QString file, reason;
      if (ParseError(lines[i], file, reason)) {
        ++run.failed;
        run.failures << qMakePair(file, reason);
      }
    }
  }
  return runs;
}

THistoryFrame::THistoryFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("HistoryFrame"));
  resize(651, 359);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  LocPanel = new QFrame(this);
  LocPanel->setObjectName(QStringLiteral("LocPanel"));
  LocPanel->setFrameShape(QFrame::NoFrame);
  outer->addWidget(LocPanel);
  auto* inner = new QVBoxLayout(LocPanel);
  inner->setContentsMargins(0, 0, 0, 0);
  Split = new QSplitter(Qt::Vertical, LocPanel);
  Split->setObjectName(QStringLiteral("HistorySplit"));
  Split->setChildrenCollapsible(false);
  inner->addWidget(Split);

  Runs = new QTreeWidget(Split);
  Runs->setObjectName(QStringLiteral("Runs"));
  Runs->setHeaderLabels({tr("Runs, newest first")});
  Runs->setRootIsDecorated(true);
  Runs->setUniformRowHeights(true);
  Runs->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(Runs, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) ScrollToLine(item->data(0, kLineRole).toInt());
  });

  History = new QPlainTextEdit(Split);
  History->setObjectName(QStringLiteral("History"));
  History->setReadOnly(true);
  History->setFont(DesktopFont());
  History->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  History->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  History->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Split->addWidget(Runs);
  Split->addWidget(History);
  Split->setStretchFactor(0, 1);
  Split->setStretchFactor(1, 2);
}

void THistoryFrame::Clear() {
  History->clear();
  History->setExtraSelections({});
  Runs->clear();
  marked_.clear();
}

void THistoryFrame::LoadHistory(const std::string& jobName) {
  TJobLog log(jobName);
  Clear();
  if (!log.OpenLog(false)) return;
  std::string text;
  std::string line;
  QStringList lines;
  while (log.ReadLog(line)) {
    text += line;
    text += '\n';
    lines << QString::fromStdString(line);
  }
  log.CloseLog();
  History->setPlainText(QString::fromStdString(text));

  // Error lines stand out.
  QList<QTextEdit::ExtraSelection> marks;
  QTextCharFormat errorFormat;
  errorFormat.setBackground(QColor(0xFF, 0xE4, 0xE1));
  errorFormat.setForeground(QColor(0xA0, 0x00, 0x00));
  errorFormat.setProperty(QTextFormat::FullWidthSelection, true);
  for (int i = 0; i < lines.size(); ++i) {
    if (!Body(lines[i]).startsWith(QLatin1String("Error in "))) continue;
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(History->document()->findBlockByNumber(i));
    mark.format = errorFormat;
    marks << mark;
    marked_ << i;
  }
  History->setExtraSelections(marks);

  // The runs, newest first, each with its failed files.
  const QList<THistoryRun> runs = ParseRuns(lines);
  for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
    auto* item = new QTreeWidgetItem(Runs, QStringList(run->SummaryLine()));
    item->setData(0, kLineRole, run->firstLine);
    if (run->failed > 0 || run->cancelled || !run->ended)
      item->setForeground(0, QColor(0xA0, 0x00, 0x00));
    for (const auto& [file, reason] : run->failures) {
      auto* child = new QTreeWidgetItem(
          item, QStringList(reason.isEmpty() ? file : tr("%1: %2").arg(file, reason)));
      child->setData(0, kLineRole, run->firstLine);
      child->setToolTip(0, child->text(0));
    }
  }
  // The newest run is the one in sight.
  if (!runs.isEmpty()) ScrollToLine(runs.last().firstLine);
}

void THistoryFrame::ScrollToLine(int line) {
  if (line < 0) return;
  const QTextBlock block = History->document()->findBlockByNumber(line);
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  History->setTextCursor(cursor);
  // The run's first line at the top of the view (as far as the text reaches).
  History->verticalScrollBar()->setValue(line);
}

}  // namespace stampwell
