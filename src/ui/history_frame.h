#pragma once

#include <QWidget>

#include <string>

class QFrame;
class QPlainTextEdit;

namespace stampwell {

// The "Job History" page: shows a job's log read-only, its lines in file order, each ending
// with a line break. It never writes or clears the log; a job without a log shows nothing.
class THistoryFrame : public QWidget {
  Q_OBJECT

 public:
  explicit THistoryFrame(QWidget* parent = nullptr);

  // Shows the log of the job of that name. The text is assembled first and handed to the
  // control once, so a long log appears at once. A read error keeps the lines read so far.
  void LoadHistory(const std::string& jobName);
  void Clear();

  QFrame* LocPanel;
  QPlainTextEdit* History;
};

}  // namespace stampwell
