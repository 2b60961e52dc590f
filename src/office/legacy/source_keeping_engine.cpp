// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/source_keeping_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "jobs/file_utils.h"
#include "office/legacy/ppt_mark_splice.h"
#include "office/legacy/xls_mark_splice.h"

namespace stampwell::legacy {
namespace {

bool ReadWhole(const std::string& path, std::string& out) {
  if (!IsRegularFile(path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// bytes replace dest through a temporary file beside it, which takes dest's permissions.
void ReplaceFile(const std::string& dest, const std::string& bytes) {
  struct stat st {};
  const bool had = ::stat(dest.c_str(), &st) == 0;
  const std::string temp = TempNameBeside(dest);
  RegisterTempFile(temp);
  auto fail = [&](int error) {
    ::unlink(temp.c_str());
    UnregisterTempFile(temp);
    throw std::runtime_error(WriteErrorText(dest, error));
  };
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) fail(errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      fail(error);
    }
    done += static_cast<std::size_t>(n);
  }
  const mode_t mode = had ? (st.st_mode & 07777) : static_cast<mode_t>(NewFileMode());
  if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
    const int error = errno;
    ::close(fd);
    fail(error);
  }
  if (::close(fd) != 0) fail(errno);
  if (::rename(temp.c_str(), dest.c_str()) != 0) fail(errno);
  UnregisterTempFile(temp);
}

bool HasExtension(const std::string& path, const std::string& extension) {
  if (path.size() < extension.size()) return false;
  return std::equal(extension.begin(), extension.end(), path.end() - extension.size(),
                    [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

TSourceKeepingEngine::TSourceKeepingEngine(std::unique_ptr<TFileEngine> inner, TSpliceMarks splice,
                                           std::string extension)
    : inner_(std::move(inner)), splice_(std::move(splice)), extension_(std::move(extension)) {}

bool TSourceKeepingEngine::Open(const std::string& source) {
  source_ = source;
  return inner_->Open(source);
}

void TSourceKeepingEngine::AddWaterMark(const RDocSettings& settings) {
  markText_ = settings.DocWaterMarkStr;
  inner_->AddWaterMark(settings);
}

std::vector<std::string> TSourceKeepingEngine::Notes() const {
  std::vector<std::string> notes = inner_->Notes();
  if (!lastReason_.empty())
    notes.push_back("saved through LibreOffice's export, not into the original file: " +
                    lastReason_);
  return notes;
}

void TSourceKeepingEngine::SaveAs(const std::string& dest) {
  lastReason_.clear();
  if (!HasExtension(source_, extension_)) {
    inner_->SaveAs(dest);
    return;
  }
  // Read before the office saves: an in-place job saves over the source.
  std::string source;
  const bool haveSource = ReadWhole(source_, source);
  inner_->SaveAs(dest);
  // A source that is no compound file at all (a web page or text named so) holds nothing a
  // splice keeps: the office's copy is all there is, as for the kind's other formats.
  static const std::string kCompoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  if (haveSource && source.compare(0, kCompoundSignature.size(), kCompoundSignature) != 0) return;
  std::string stamped;
  if (!haveSource || !ReadWhole(dest, stamped)) {
    lastReason_ = "the source or the office's copy cannot be read again";
    return;
  }
  RSpliced spliced = splice_(source, stamped, markText_);
  if (!spliced.Done) {
    lastReason_ = spliced.Reason.empty() ? "not taken" : spliced.Reason;
    return;
  }
  ReplaceFile(dest, spliced.Bytes);
}

std::unique_ptr<TFileEngine> MakeSourceKeepingPptEngine(std::unique_ptr<TFileEngine> office) {
  return std::make_unique<TSourceKeepingEngine>(std::move(office), &SplicePptMarks, ".ppt");
}

std::unique_ptr<TFileEngine> MakeSourceKeepingXlsEngine(std::unique_ptr<TFileEngine> office) {
  return std::make_unique<TSourceKeepingEngine>(std::move(office), &SpliceXlsMarks, ".xls");
}

}  // namespace stampwell::legacy
