// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <limits>
#include <unordered_map>

#include "platform/paths.h"
#include "platform/strings.h"

namespace stampwell {
namespace {

constexpr std::size_t kValueBuffer = 2048;      // a value comes back with at most 2047 chars
constexpr std::size_t kNameListBuffer = 16384;  // section and key name lists

enum class LineKind { Other, Section, Key };

struct Line {
  std::string text;  // as found in the file, without its line end
  LineKind kind = LineKind::Other;
  std::string name;   // section or key name, blanks removed
  std::string value;  // key value, blanks removed, quotes kept
};

Line Classify(std::string text) {
  Line line;
  line.text = std::move(text);
  std::string t = Trim(line.text);
  if (!t.empty() && t[0] == '[') {
    auto close = t.rfind(']');
    if (close != std::string::npos && close > 0) {
      line.kind = LineKind::Section;
      line.name = Trim(std::string_view(t).substr(1, close - 1));
      return line;
    }
    // A '[' line without ']' is no header; it may still be a key line.
  }
  if (t.empty() || t[0] == ';') return line;
  auto eq = t.find('=');
  if (eq == std::string::npos) return line;
  line.kind = LineKind::Key;
  line.name = Trim(std::string_view(t).substr(0, eq));
  line.value = Trim(std::string_view(t).substr(eq + 1));
  return line;
}

struct Section {
  Line header;
  std::vector<Line> lines;  // up to the next header

  Line* FindKey(const std::string& ident) {
    for (Line& line : lines)
      if (line.kind == LineKind::Key && SameText(line.name, ident)) return &line;
    return nullptr;
  }
};

// The file as lines grouped by section, with the first section of each name indexed.
struct Document {
  bool bom = false;            // the file starts with a UTF-8 byte-order mark, kept on rewrite
  std::vector<Line> preamble;  // lines before the first header: in no section
  std::vector<Section> sections;
  std::unordered_map<std::string, std::size_t> index;  // lower-cased name -> first section

  void AddLine(Line line) {
    if (line.kind == LineKind::Section) {
      index.emplace(LowerCase(line.name), sections.size());
      sections.push_back({std::move(line), {}});
    } else if (sections.empty()) {
      preamble.push_back(std::move(line));
    } else {
      sections.back().lines.push_back(std::move(line));
    }
  }
  Section* Find(const std::string& name) {
    auto it = index.find(LowerCase(name));
    return it == index.end() ? nullptr : &sections[it->second];
  }
  void Erase(std::size_t at) {
    const std::string key = LowerCase(sections[at].header.name);
    sections.erase(sections.begin() + static_cast<std::ptrdiff_t>(at));
    for (auto& [name, i] : index)
      if (i > at) --i;
    // The erased section was the first of its name; a later one of that name comes first now.
    index.erase(key);
    for (std::size_t i = at; i < sections.size(); ++i)
      if (SameText(sections[i].header.name, key)) {
        index.emplace(key, i);
        break;
      }
  }
  std::string Serialize() const {
    std::string bytes = bom ? "\xEF\xBB\xBF" : "";
    auto put = [&](const Line& line) {
      bytes += line.text;
      bytes += "\r\n";
    };
    for (const Line& line : preamble) put(line);
    for (const Section& section : sections) {
      put(section.header);
      for (const Line& line : section.lines) put(line);
    }
    return bytes;
  }
};

Document Parse(const std::string& bytes) {
  Document doc;
  std::size_t start = 0;
  const std::size_t size = bytes.size();
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {  // saved by an editor that marks UTF-8
    doc.bom = true;
    start = 3;
  }
  while (start < size) {
    std::size_t end = start;
    while (end < size && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    doc.AddLine(Classify(bytes.substr(start, end - start)));
    if (end < size && bytes[end] == '\r' && end + 1 < size && bytes[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return doc;
}

// What identifies one version of a file: a rewrite through rename gives a new inode, and an
// edit in place changes the size or the times.
struct Signature {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};

  bool operator==(const Signature& o) const {
    return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec &&
           ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

Signature SignatureOf(const struct stat& st) {
  Signature sig;
  sig.exists = true;
  sig.dev = st.st_dev;
  sig.ino = st.st_ino;
  sig.size = st.st_size;
  sig.mtime = st.st_mtim;
  sig.ctime = st.st_ctim;
  return sig;
}

// Reads the whole file. A missing file is empty; a file that exists but cannot be read
// gives false.
bool ReadBytes(const std::string& path, std::string& bytes, Signature& sig) {
  bytes.clear();
  sig = {};
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  if (ok) sig = SignatureOf(st);
  char buffer[16384];
  while (ok) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok;
}

Signature CurrentSignature(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return SignatureOf(st);
}

[[noreturn]] void FailWrite(const std::string& path) {
  throw EIniFileException("Unable to write to " + path);
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Refuses what a line-based file could not give back as written.
void CheckWritable(const std::string& path, const std::string& section, const std::string& ident,
                   const std::string& value) {
  std::string key = Trim(ident);
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(ident) || HasLineBreakOrNul(value) ||
      ident.find('=') != std::string::npos || key.empty() || key[0] == ';' || key[0] == '[')
    FailWrite(path);
}

bool WriteAll(int fd, const std::string& data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// Replaces path by bytes through a temporary file in the same folder. The temporary name
// starts with a dot, so no profile scan can take it for a profile.
void ReplaceFile(const std::string& path, const std::string& bytes) {
  static std::atomic<unsigned> counter{0};
  std::string temp = ExtractFilePath(path) + "." + ExtractFileName(path) + ".swtmp-" +
                     std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
  mode_t mode = 0666;
  struct stat old {};
  bool keepMode = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  if (keepMode) mode = old.st_mode & 07777;
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) FailWrite(path);
  bool ok = WriteAll(fd, bytes);
  if (ok && keepMode) ok = ::fchmod(fd, mode) == 0;  // not narrowed by the umask
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    ::unlink(temp.c_str());
    FailWrite(path);
  }
}

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  if (value.size() > kValueBuffer - 1) value.resize(kValueBuffer - 1);
  return value;
}

// Names that fit a list buffer: each name and its NUL, plus the closing NUL.
std::vector<std::string> FittingNames(const std::vector<const std::string*>& candidates) {
  std::vector<std::string> names;
  std::size_t used = 1;
  for (const std::string* name : candidates) {
    if (used + name->size() + 1 > kNameListBuffer) break;
    used += name->size() + 1;
    names.push_back(*name);
  }
  return names;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  bool hex = false;
  if (!text.empty() && text[0] == '$') {
    hex = true;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit = hex ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    auto bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }
  if (negative) {
    if (value > 2147483648ull) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
  }
  if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// The parsed file of one TIniFile object, and the pending changes of a batch.
struct TIniFile::State {
  Document doc;
  Signature sig;  // the file version doc was parsed from, or last written as
  bool valid = false;
  bool updating = false;
  bool dirty = false;

  // Brings doc up to the file as it is now (inside a batch, doc is the pending file).
  // False when the file exists but cannot be read.
  bool Refresh(const std::string& path) {
    if (updating && valid) return true;
    if (valid) {
      Signature now = CurrentSignature(path);
      if (now == sig) return true;
    }
    std::string bytes;
    Signature read;
    valid = false;
    if (!ReadBytes(path, bytes, read)) {
      doc = {};
      return false;
    }
    doc = Parse(bytes);
    sig = read;
    valid = true;
    return true;
  }
  // The document to read from: a file that cannot be read reads as empty.
  Document& ForReading(const std::string& path) {
    Refresh(path);
    return doc;
  }
  // The document to change: a file that exists but cannot be read is never replaced.
  Document& ForWriting(const std::string& path) {
    if (!Refresh(path)) FailWrite(path);
    return doc;
  }
  // Writes doc now, or at EndUpdate inside a batch.
  void Commit(const std::string& path) {
    if (updating) {
      dirty = true;
      return;
    }
    try {
      ReplaceFile(path, doc.Serialize());
    } catch (...) {
      valid = false;
      throw;
    }
    sig = CurrentSignature(path);
  }
};

TIniFile::TIniFile(std::string fileName)
    : fileName_(std::move(fileName)), state_(std::make_unique<State>()) {}
TIniFile::~TIniFile() = default;
TIniFile::TIniFile(TIniFile&&) noexcept = default;
TIniFile& TIniFile::operator=(TIniFile&&) noexcept = default;

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& defaultValue) const {
  Section* s = state_->ForReading(fileName_).Find(section);
  Line* key = s ? s->FindKey(ident) : nullptr;
  return key ? Unquote(key->value) : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
  CheckWritable(fileName_, section, ident, value);
  Document& doc = state_->ForWriting(fileName_);
  if (Section* s = doc.Find(section)) {
    if (Line* key = s->FindKey(ident)) {
      *key = Classify(key->name + "=" + value);  // keeps the file's spelling of the name
    } else {
      auto at = s->lines.end();
      while (at != s->lines.begin() && Trim((at - 1)->text).empty()) --at;
      s->lines.insert(at, Classify(ident + "=" + value));
    }
  } else {
    doc.AddLine(Classify("[" + section + "]"));
    doc.AddLine(Classify(ident + "=" + value));
  }
  state_->Commit(fileName_);
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                   std::int32_t defaultValue) const {
  Section* s = state_->ForReading(fileName_).Find(section);
  Line* key = s ? s->FindKey(ident) : nullptr;
  if (!key) return defaultValue;
  return ParseIniInteger(Unquote(key->value)).value_or(defaultValue);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident,
                            std::int32_t value) {
  WriteString(section, ident, std::to_string(value));
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident,
                        bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<const std::string*> names;
  for (const Section& s : state_->ForReading(fileName_).sections)
    if (!s.header.name.empty()) names.push_back(&s.header.name);
  return FittingNames(names);
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  std::vector<const std::string*> names;
  if (Section* s = state_->ForReading(fileName_).Find(section))
    for (const Line& line : s->lines)
      if (line.kind == LineKind::Key) names.push_back(&line.name);
  return FittingNames(names);
}

bool TIniFile::SectionExists(const std::string& section) const {
  return state_->ForReading(fileName_).Find(section) != nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const {
  Section* s = state_->ForReading(fileName_).Find(section);
  return s && s->FindKey(ident);
}

void TIniFile::EraseSection(const std::string& section) {
  Document& doc = state_->ForWriting(fileName_);
  Section* s = doc.Find(section);
  if (!s) return;
  doc.Erase(static_cast<std::size_t>(s - doc.sections.data()));
  state_->Commit(fileName_);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  Document& doc = state_->ForWriting(fileName_);
  Section* s = doc.Find(section);
  Line* key = s ? s->FindKey(ident) : nullptr;
  if (!key) return;
  s->lines.erase(s->lines.begin() + (key - s->lines.data()));
  state_->Commit(fileName_);
}

void TIniFile::BeginUpdate() {
  if (state_->updating) return;
  state_->ForWriting(fileName_);
  state_->updating = true;
  state_->dirty = false;
}

void TIniFile::EndUpdate() {
  if (!state_->updating) return;
  state_->updating = false;
  if (!state_->dirty) return;
  state_->dirty = false;
  state_->Commit(fileName_);
}

}  // namespace stampwell
