#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <limits>

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

struct Document {
  bool exists = false;
  std::vector<Line> lines;

  // Index of the first header of section, or npos.
  std::size_t FindSection(const std::string& section) const {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].kind == LineKind::Section && SameText(lines[i].name, section)) return i;
    return std::string::npos;
  }
  // One past the last line of the section whose header is at index header.
  std::size_t SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Section) ++i;
    return i;
  }
  std::size_t FindKey(const std::string& section, const std::string& ident) const {
    std::size_t header = FindSection(section);
    if (header == std::string::npos) return std::string::npos;
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
      if (lines[i].kind == LineKind::Key && SameText(lines[i].name, ident)) return i;
    return std::string::npos;
  }
};

// Reads the whole file. A missing file is an empty document; a file that exists but cannot
// be read gives false (readers then see it as empty, writers refuse to replace it).
bool ReadBytes(const std::string& path, std::string& bytes, bool& exists) {
  bytes.clear();
  exists = false;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
  exists = true;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
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

Document Parse(const std::string& bytes) {
  Document doc;
  std::size_t start = 0;
  const std::size_t size = bytes.size();
  while (start < size) {
    std::size_t end = start;
    while (end < size && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    doc.lines.push_back(Classify(bytes.substr(start, end - start)));
    if (end < size && bytes[end] == '\r' && end + 1 < size && bytes[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return doc;
}

Document Load(const std::string& path, bool& readable) {
  std::string bytes;
  bool exists = false;
  readable = ReadBytes(path, bytes, exists);
  if (!readable) return {};
  Document doc = Parse(bytes);
  doc.exists = exists;
  return doc;
}

Document LoadForReading(const std::string& path) {
  bool readable = false;
  return Load(path, readable);
}

[[noreturn]] void FailWrite(const std::string& path) {
  throw EIniFileException("Unable to write to " + path);
}

Document LoadForWriting(const std::string& path) {
  bool readable = false;
  Document doc = Load(path, readable);
  if (!readable) FailWrite(path);
  return doc;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Refuses what a line-based file could not give back as written.
void CheckWritable(const std::string& path, const std::string& section, const std::string* ident,
                   const std::string* value) {
  if (HasLineBreakOrNul(section)) FailWrite(path);
  if (ident) {
    std::string key = Trim(*ident);
    if (HasLineBreakOrNul(*ident) || ident->find('=') != std::string::npos || key.empty() ||
        key[0] == ';' || key[0] == '[')
      FailWrite(path);
  }
  if (value && HasLineBreakOrNul(*value)) FailWrite(path);
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

void Save(const std::string& path, const Document& doc) {
  std::string bytes;
  for (const Line& line : doc.lines) {
    bytes += line.text;
    bytes += "\r\n";
  }
  ReplaceFile(path, bytes);
}

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  if (value.size() > kValueBuffer - 1) value.resize(kValueBuffer - 1);
  return value;
}

// Names that fit a list buffer: each name and its NUL, plus the closing NUL.
void AddIfFits(std::vector<std::string>& names, std::size_t& used, const std::string& name,
               bool& full) {
  if (full) return;
  if (used + name.size() + 1 + 1 > kNameListBuffer) {
    full = true;
    return;
  }
  used += name.size() + 1;
  names.push_back(name);
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

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& defaultValue) const {
  Document doc = LoadForReading(fileName_);
  std::size_t key = doc.FindKey(section, ident);
  if (key == std::string::npos) return defaultValue;
  return Unquote(doc.lines[key].value);
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
  CheckWritable(fileName_, section, &ident, &value);
  Document doc = LoadForWriting(fileName_);
  std::size_t header = doc.FindSection(section);
  if (header == std::string::npos) {
    doc.lines.push_back(Classify("[" + section + "]"));
    doc.lines.push_back(Classify(ident + "=" + value));
    Save(fileName_, doc);
    return;
  }
  std::size_t key = doc.FindKey(section, ident);
  if (key != std::string::npos) {
    Line& line = doc.lines[key];
    line = Classify(line.name + "=" + value);
  } else {
    std::size_t insertAt = doc.SectionEnd(header);
    while (insertAt > header + 1 && Trim(doc.lines[insertAt - 1].text).empty()) --insertAt;
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                     Classify(ident + "=" + value));
  }
  Save(fileName_, doc);
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                   std::int32_t defaultValue) const {
  Document doc = LoadForReading(fileName_);
  std::size_t key = doc.FindKey(section, ident);
  if (key == std::string::npos) return defaultValue;
  return ParseIniInteger(Unquote(doc.lines[key].value)).value_or(defaultValue);
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
  Document doc = LoadForReading(fileName_);
  std::vector<std::string> names;
  std::size_t used = 0;
  bool full = false;
  for (const Line& line : doc.lines)
    if (line.kind == LineKind::Section && !line.name.empty())
      AddIfFits(names, used, line.name, full);
  return names;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  Document doc = LoadForReading(fileName_);
  std::vector<std::string> names;
  std::size_t header = doc.FindSection(section);
  if (header == std::string::npos) return names;
  std::size_t used = 0;
  bool full = false;
  for (std::size_t i = header + 1, end = doc.SectionEnd(header); i < end; ++i)
    if (doc.lines[i].kind == LineKind::Key) AddIfFits(names, used, doc.lines[i].name, full);
  return names;
}

bool TIniFile::SectionExists(const std::string& section) const {
  return LoadForReading(fileName_).FindSection(section) != std::string::npos;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const {
  return LoadForReading(fileName_).FindKey(section, ident) != std::string::npos;
}

void TIniFile::EraseSection(const std::string& section) {
  Document doc = LoadForWriting(fileName_);
  std::size_t header = doc.FindSection(section);
  if (header == std::string::npos) return;
  doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(header),
                  doc.lines.begin() + static_cast<std::ptrdiff_t>(doc.SectionEnd(header)));
  Save(fileName_, doc);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  Document doc = LoadForWriting(fileName_);
  std::size_t key = doc.FindKey(section, ident);
  if (key == std::string::npos) return;
  doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(key));
  Save(fileName_, doc);
}

}  // namespace stampwell
