#include "ui/history_frame.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "run/job_log.h"
#include "ui/ui_fonts.h"

namespace stampwell {

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
  History = new QPlainTextEdit(LocPanel);
  History->setObjectName(QStringLiteral("History"));
  History->setReadOnly(true);
  History->setFont(DesktopFont());
  History->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  History->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  History->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  inner->addWidget(History);
}

void THistoryFrame::Clear() { History->clear(); }

void THistoryFrame::LoadHistory(const std::string& jobName) {
  TJobLog log(jobName);
  Clear();
  if (!log.OpenLog(false)) return;
  std::string text;
  std::string line;
  while (log.ReadLog(line)) {
    text += line;
    text += '\n';
  }
  log.CloseLog();
  History->setPlainText(QString::fromStdString(text));
}

}  // namespace stampwell
