// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace stampwell {

// The log of one job: program directory + "sw" + job name + ".log", one time-stamped line
// ("yyyy-mm-dd hh:nn:ss " + text, CR LF) per WriteLog, appended run after run and read back
// line by line by the history page. One object serves one opening on one thread.
//
// No operation raises an error or shows a message: each reports failure through its result
// and adds a description to ErrorText. Every line reaches the file as it is written, so a
// reader sees a running job's log up to its last line. A job name that would put the log
// outside the program directory (one holding a path separator) cannot be opened.
class TJobLog {
 public:
  // Sets FileName; opens nothing.
  explicit TJobLog(const std::string& jobName);
  ~TJobLog();
  TJobLog(const TJobLog&) = delete;
  TJobLog& operator=(const TJobLog&) = delete;

  std::string FileName;
  std::string ErrorText;

  // append: open for writing at the end, creating the file when missing. Otherwise open an
  // existing file for reading from its start; a missing file gives false and creates nothing.
  bool OpenLog(bool append);
  // Writes the local time stamp and text as one line. Line breaks and other control
  // characters in text (a file name may hold them) are written escaped (EscapeLine), so that
  // one call is always one line and no text can forge another.
  bool WriteLog(const std::string& text);
  // Writes lines as the last of this log: from then on no TJobLog of this program writes
  // another line, on any thread. For a program's way out at once (a second Ctrl-C), so that
  // its log still ends whole. False when another caller sealed the logs first.
  bool WriteLastLines(const std::vector<std::string>& lines);
  // text with CR as "\r", LF as "\n" and the other control characters but tab as "\xHH".
  static std::string EscapeLine(const std::string& text);
  // The next line without its line end (CR LF, LF or CR); false at the end or on an error.
  bool ReadLog(std::string& line);
  // Closes the file; always true.
  bool CloseLog();

  // The local time used for time stamps (tests); an empty function restores the system clock.
  using Clock = std::function<std::tm()>;
  static void SetClock(Clock clock);

 private:
  enum class Mode { Closed, Append, Read };

  bool FillBuffer();
  bool WriteLine(const std::string& text);

  Mode mode_ = Mode::Closed;
  int fd_ = -1;
  std::string buffer_;  // read ahead, from pos_
  std::size_t pos_ = 0;
  bool eof_ = false;
};

}  // namespace stampwell
