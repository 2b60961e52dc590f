// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/job_log.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>

#include "jobs/file_utils.h"
#include "platform/paths.h"

namespace stampwell {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kReadChunk = 65536;

std::mutex g_clockMutex;
TJobLog::Clock g_clock;

std::tm Now() {
  TJobLog::Clock clock;
  {
    std::lock_guard lock(g_clockMutex);
    clock = g_clock;
  }
  if (clock) return clock();
  std::time_t t = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&t, &local);
  return local;
}

std::string TimeStamp(const std::tm& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d ", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buffer;
}

std::string ErrnoText(int error) { return std::strerror(error); }

}  // namespace

TJobLog::TJobLog(const std::string& jobName) : FileName("sw" + jobName + ".log") {}

TJobLog::~TJobLog() { CloseLog(); }

void TJobLog::SetClock(Clock clock) {
  std::lock_guard lock(g_clockMutex);
  g_clock = std::move(clock);
}

bool TJobLog::OpenLog(bool append) {
  CloseLog();
  ErrorText.clear();
  auto fail = [&](const std::string& message) {
    ErrorText += "when open log file " + FileName + "have one error!" + message + kCrLf;
    return false;
  };
  if (!IsPlainFileName(FileName)) return fail("Invalid file name");
  const std::string path = ProgramDir() + FileName;
  if (append) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return fail(ErrnoText(errno));
    fd_ = fd;
    mode_ = Mode::Append;
    return true;
  }
  if (!FileExists(path)) return false;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(ErrnoText(errno));
  fd_ = fd;
  mode_ = Mode::Read;
  buffer_.clear();
  pos_ = 0;
  eof_ = false;
  return true;
}

namespace {
// Taken shared by every line written, alone by WriteLastLines.
std::shared_mutex g_sealMutex;
bool g_sealed = false;
}  // namespace

bool TJobLog::WriteLog(const std::string& text) {
  std::shared_lock lock(g_sealMutex);
  if (g_sealed) return false;  // the program is on its way out; its log has ended
  return WriteLine(text);
}

bool TJobLog::WriteLastLines(const std::vector<std::string>& lines) {
  std::unique_lock lock(g_sealMutex);
  if (g_sealed) return false;
  g_sealed = true;
  bool ok = true;
  for (const auto& line : lines) ok = WriteLine(line) && ok;
  return ok;
}

bool TJobLog::WriteLine(const std::string& text) {
  auto fail = [&](const std::string& message) {
    ErrorText += "when write log:" + FileName + "error!" + message + kCrLf;
    return false;
  };
  if (mode_ == Mode::Closed) return fail("File not open");
  if (mode_ != Mode::Append) return fail("File not open for output");
  // One write per line, straight to the file: readers see each line as soon as it is logged.
  const std::string line = TimeStamp(Now()) + EscapeLine(text) + kCrLf;
  const char* p = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(ErrnoText(errno));
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string TJobLog::EscapeLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool TJobLog::FillBuffer() {
  if (eof_) return false;
  buffer_.erase(0, pos_);
  pos_ = 0;
  char chunk[kReadChunk];
  for (;;) {
    ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ErrorText += "when Read log:" + FileName + "error!" + ErrnoText(errno) + kCrLf;
      eof_ = true;
      return false;
    }
    if (n == 0) {
      eof_ = true;
      return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }
}

bool TJobLog::ReadLog(std::string& line) {
  if (mode_ != Mode::Read) {
    ErrorText += "when Read log:" + FileName + "error!" +
                 (mode_ == Mode::Closed ? "File not open" : "File not open for input") + kCrLf;
    return false;
  }
  for (;;) {
    std::size_t end = buffer_.find_first_of("\r\n", pos_);
    // A CR as the last byte read may be the first half of a CR LF: read on to know.
    if (end != std::string::npos && !(buffer_[end] == '\r' && end + 1 == buffer_.size() && !eof_)) {
      line.assign(buffer_, pos_, end - pos_);
      pos_ = end + 1;
      if (buffer_[end] == '\r' && pos_ < buffer_.size() && buffer_[pos_] == '\n') ++pos_;
      return true;
    }
    if (!FillBuffer()) {
      if (pos_ >= buffer_.size()) return false;  // end of the file
      end = buffer_.find_first_of("\r\n", pos_);
      if (end != std::string::npos) continue;         // a final lone CR, now known to end its line
      line.assign(buffer_, pos_, std::string::npos);  // last line without a line end
      pos_ = buffer_.size();
      return true;
    }
  }
}

bool TJobLog::CloseLog() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  mode_ = Mode::Closed;
  buffer_.clear();
  pos_ = 0;
  eof_ = false;
  return true;
}

}  // namespace stampwell
