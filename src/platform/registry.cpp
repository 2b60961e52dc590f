// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry.h"

#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "platform/message_sink.h"
#include "platform/paths.h"
#include "platform/strings.h"

namespace stampwell {

struct TRegistry::Value {
  std::string name;
  ValueType type = ValueType::String;
  std::string text;                 // String
  std::uint32_t number = 0;         // DWord
  std::vector<std::uint8_t> bytes;  // Binary
};

struct TRegistry::Key {
  std::string name;
  std::vector<std::unique_ptr<Key>> subkeys;
  std::vector<Value> values;

  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  // A subtree is released key by key from a list, not by one destructor call per level, so
  // that a key nested hundreds of thousands deep cannot exhaust the stack.
  ~Key() {
    std::vector<std::unique_ptr<Key>> pending = std::move(subkeys);
    while (!pending.empty()) {
      std::unique_ptr<Key> key = std::move(pending.back());
      pending.pop_back();
      for (auto& child : key->subkeys) pending.push_back(std::move(child));
      key->subkeys.clear();
    }
  }

  Key* Child(const std::string& childName) const {
    for (const auto& k : subkeys)
      if (SameText(k->name, childName)) return k.get();
    return nullptr;
  }
};

namespace {

constexpr const char* kFileHeader = "Windows Registry Editor Version 5.00";
constexpr const char* kFileHeader4 = "REGEDIT4";

// Splits a key path into its parts. A single leading backslash and a trailing one are
// allowed; an empty part in between makes the path malformed.
std::optional<std::vector<std::string>> SplitKeyPath(const std::string& keyPath) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  if (!keyPath.empty() && keyPath[0] == '\\') start = 1;
  std::size_t end = keyPath.size();
  if (end > start && keyPath[end - 1] == '\\') --end;
  if (start >= end) return parts;
  while (true) {
    std::size_t sep = keyPath.find('\\', start);
    if (sep == std::string::npos || sep > end) sep = end;
    if (sep == start) return std::nullopt;
    parts.push_back(keyPath.substr(start, sep - start));
    if (sep == end) break;
    start = sep + 1;
  }
  return parts;
}

std::string FailedToGetData(const std::string& name) {
  return "Failed to get data for '" + name + "'";
}
std::string InvalidDataType(const std::string& name) {
  return "Invalid data type for '" + name + "'";
}

// Hand-written registry files are UTF-8, possibly with a byte-order mark.
std::string WithoutByteOrderMark(const std::string& raw) {
  if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return raw.substr(3);
  return raw;
}

class ParseError : public std::runtime_error {
 public:
  ParseError(int line, const std::string& reason) : std::runtime_error(reason), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// Reads a quoted string starting at text[pos] == '"'. Only \\ and \" are escapes, as the
// registry editor writes them; any other backslash sequence is an error rather than a guess.
std::string ReadQuoted(const std::string& text, std::size_t& pos, int line) {
  std::string out;
  ++pos;  // opening quote
  while (pos < text.size()) {
    char c = text[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (pos + 1 >= text.size()) break;
      char n = text[pos + 1];
      if (n != '\\' && n != '"') throw ParseError(line, "invalid escape sequence");
      out += n;
      pos += 2;
      continue;
    }
    out += c;
    ++pos;
  }
  throw ParseError(line, "unterminated string");
}

void SkipBlanks(const std::string& text, std::size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
}

// After a value's data only blanks or a ';' comment may follow.
void ExpectLineEnd(const std::string& text, std::size_t pos, int line) {
  SkipBlanks(text, pos);
  if (pos < text.size() && text[pos] != ';') throw ParseError(line, "unexpected text after value");
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::vector<std::uint8_t> ParseHexBytes(const std::string& list, int line) {
  std::vector<std::uint8_t> bytes;
  std::size_t pos = 0;
  std::string cleaned;
  for (char c : list)
    if (c != ' ' && c != '\t') cleaned += c;
  if (cleaned.empty()) return bytes;
  while (pos <= cleaned.size()) {
    std::size_t comma = cleaned.find(',', pos);
    if (comma == std::string::npos) comma = cleaned.size();
    std::string byte = cleaned.substr(pos, comma - pos);
    if (byte.empty() || byte.size() > 2 || !IsHexDigit(byte[0]) ||
        (byte.size() == 2 && !IsHexDigit(byte[1])))
      throw ParseError(line, "invalid hex data");
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
    pos = comma + 1;
    if (comma == cleaned.size()) break;
  }
  return bytes;
}

class RegFileParser {
 public:
  explicit RegFileParser(TRegistry& target) : reg_(target) {}

  void Parse(const std::string& text) {
    if (text.size() >= 2 && text.compare(0, 2, "\xFF\xFE") == 0)
      throw ParseError(1, "the file is UTF-16; save it as UTF-8");
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    bool seenHeader = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const int lineNo = static_cast<int>(i) + 1;
      std::string trimmed = Trim(lines[i]);
      if (trimmed.empty()) continue;
      if (!seenHeader) {
        if (trimmed != kFileHeader && trimmed != kFileHeader4)
          throw ParseError(lineNo, "missing \"Windows Registry Editor Version 5.00\" header");
        seenHeader = true;
        continue;
      }
      if (trimmed[0] == ';') continue;
      if (trimmed[0] == '[') {
        KeyLine(trimmed, lineNo);
        continue;
      }
      // A value's hex data may continue over several lines, each ending with a backslash.
      std::string logical = trimmed;
      while (!logical.empty() && logical.back() == '\\' && IsHexValue(logical)) {
        logical.pop_back();
        if (++i >= lines.size()) throw ParseError(lineNo, "hex data continues past end of file");
        logical += Trim(lines[i]);
      }
      ValueLine(logical, lineNo);
    }
    if (!seenHeader) throw ParseError(1, "missing \"Windows Registry Editor Version 5.00\" header");
  }

 private:
  static bool IsHexValue(const std::string& line) {
    std::size_t eq = line.find("=hex");
    return eq != std::string::npos;
  }

  void KeyLine(const std::string& line, int lineNo) {
    if (line.back() != ']') throw ParseError(lineNo, "key line does not end with ']'");
    std::string inner = line.substr(1, line.size() - 2);
    bool remove = false;
    if (!inner.empty() && inner[0] == '-') {
      remove = true;
      inner.erase(0, 1);
    }
    std::size_t sep = inner.find('\\');
    std::string hive = inner.substr(0, sep);
    std::string rest = sep == std::string::npos ? std::string() : inner.substr(sep);
    static const char* const kOtherHives[] = {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT",
                                              "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
    if (SameText(hive, "HKEY_LOCAL_MACHINE")) {
      if (!SplitKeyPath(rest) || (sep != std::string::npos && rest.size() == 1))
        throw ParseError(lineNo, "invalid key path");
      if (remove) {
        reg_.DeleteKey(rest);
        inKey_ = false;
      } else {
        reg_.AddKey(rest);
        currentKey_ = rest;
        inKey_ = true;
      }
      inHive_ = true;
      return;
    }
    for (const char* other : kOtherHives) {
      if (SameText(hive, other)) {
        // Another hive is not part of this view: its values are read and dropped.
        inHive_ = false;
        inKey_ = !remove;
        return;
      }
    }
    throw ParseError(lineNo, "unknown root key '" + hive + "'");
  }

  void ValueLine(const std::string& line, int lineNo) {
    std::size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      name = ReadQuoted(line, pos, lineNo);
    } else {
      throw ParseError(lineNo, "expected a key line, a value line or a comment");
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') throw ParseError(lineNo, "expected '='");
    ++pos;
    SkipBlanks(line, pos);
    if (!inKey_) throw ParseError(lineNo, "value outside of a key");
    const bool keep = inHive_;
    const std::string data = line.substr(pos);

    if (!data.empty() && data[0] == '"') {
      std::size_t p = pos;
      std::string value = ReadQuoted(line, p, lineNo);
      ExpectLineEnd(line, p, lineNo);
      if (keep) reg_.SetString(currentKey_, name, value);
      return;
    }
    if (data == "-" || (data.size() > 1 && data[0] == '-' && Trim(data.substr(1)).empty())) {
      if (keep) reg_.DeleteValue(currentKey_, name);
      return;
    }
    std::string lower = LowerCase(data);
    if (lower.rfind("dword:", 0) == 0) {
      std::string digits = Trim(data.substr(6));
      std::size_t semi = digits.find(';');
      if (semi != std::string::npos) digits = Trim(digits.substr(0, semi));
      if (digits.empty() || digits.size() > 8)
        throw ParseError(lineNo, "dword needs 1 to 8 hex digits");
      for (char c : digits)
        if (!IsHexDigit(c)) throw ParseError(lineNo, "invalid dword");
      if (keep)
        reg_.SetDWord(currentKey_, name,
                      static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16)));
      return;
    }
    if (lower.rfind("hex", 0) == 0) {
      std::size_t colon = data.find(':');
      if (colon == std::string::npos) throw ParseError(lineNo, "invalid hex value");
      std::string kind = LowerCase(data.substr(0, colon));
      std::vector<std::uint8_t> bytes = ParseHexBytes(data.substr(colon + 1), lineNo);
      if (!keep) return;
      if (kind == "hex(4)") {
        if (bytes.size() != 4) throw ParseError(lineNo, "hex(4) needs 4 bytes");
        reg_.SetDWord(currentKey_, name,
                      static_cast<std::uint32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                                 (static_cast<std::uint32_t>(bytes[3]) << 24)));
      } else if (kind == "hex" ||
                 (kind.size() > 5 && kind.rfind("hex(", 0) == 0 && kind.back() == ')')) {
        reg_.SetBinary(currentKey_, name, bytes);
      } else {
        throw ParseError(lineNo, "invalid hex value");
      }
      return;
    }
    throw ParseError(lineNo, "unknown value type");
  }

  TRegistry& reg_;
  std::string currentKey_;
  bool inKey_ = false;
  bool inHive_ = false;
};

std::mutex& MachineMutex() {
  static std::mutex m;
  return m;
}
std::shared_ptr<const TRegistry>& MachineOverride() {
  static std::shared_ptr<const TRegistry> view;
  return view;
}

}  // namespace

TRegistry::TRegistry() : root_(std::make_unique<Key>()) {}
TRegistry::~TRegistry() = default;
TRegistry::TRegistry(TRegistry&&) noexcept = default;
TRegistry& TRegistry::operator=(TRegistry&&) noexcept = default;

TRegistry::Key* TRegistry::FindKey(const std::string& keyPath) const {
  auto parts = SplitKeyPath(keyPath);
  if (!parts) return nullptr;
  Key* key = root_.get();
  for (const auto& part : *parts) {
    key = key->Child(part);
    if (!key) return nullptr;
  }
  return key;
}

const TRegistry::Value* TRegistry::FindValue(const std::string& keyPath,
                                             const std::string& name) const {
  const Key* key = FindKey(keyPath);
  if (!key) return nullptr;
  for (const auto& v : key->values)
    if (SameText(v.name, name)) return &v;
  return nullptr;
}

bool TRegistry::KeyExists(const std::string& keyPath) const { return FindKey(keyPath) != nullptr; }

std::optional<std::vector<std::string>> TRegistry::GetKeyNames(const std::string& keyPath) const {
  const Key* key = FindKey(keyPath);
  if (!key) return std::nullopt;
  std::vector<std::string> names;
  names.reserve(key->subkeys.size());
  for (const auto& k : key->subkeys) names.push_back(k->name);
  return names;
}

std::string TRegistry::ReadString(const std::string& keyPath, const std::string& name) const {
  const Value* v = FindValue(keyPath, name);
  if (!v) return std::string();
  if (v->type != ValueType::String) throw ERegistryException(InvalidDataType(name));
  return v->text;
}

std::int32_t TRegistry::ReadInteger(const std::string& keyPath, const std::string& name) const {
  const Value* v = FindValue(keyPath, name);
  if (!v) throw ERegistryException(FailedToGetData(name));
  if (v->type != ValueType::DWord) throw ERegistryException(InvalidDataType(name));
  return static_cast<std::int32_t>(v->number);
}

std::optional<TRegistry::ValueType> TRegistry::GetDataType(const std::string& keyPath,
                                                           const std::string& name) const {
  const Value* v = FindValue(keyPath, name);
  if (!v) return std::nullopt;
  return v->type;
}

bool TRegistry::AddKey(const std::string& keyPath) {
  auto parts = SplitKeyPath(keyPath);
  if (!parts) return false;
  Key* key = root_.get();
  for (const auto& part : *parts) {
    Key* child = key->Child(part);
    if (!child) {
      key->subkeys.push_back(std::make_unique<Key>());
      child = key->subkeys.back().get();
      child->name = part;
    }
    key = child;
  }
  return true;
}

void TRegistry::DeleteKey(const std::string& keyPath) {
  auto parts = SplitKeyPath(keyPath);
  if (!parts || parts->empty()) return;
  Key* parent = root_.get();
  for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
    parent = parent->Child((*parts)[i]);
    if (!parent) return;
  }
  auto& subs = parent->subkeys;
  for (auto it = subs.begin(); it != subs.end(); ++it) {
    if (SameText((*it)->name, parts->back())) {
      subs.erase(it);
      return;
    }
  }
}

TRegistry::Value& TRegistry::ValueForWrite(const std::string& keyPath, const std::string& name) {
  if (!AddKey(keyPath)) throw std::invalid_argument("malformed registry key path: " + keyPath);
  Key* key = FindKey(keyPath);
  for (auto& v : key->values) {
    if (SameText(v.name, name)) {
      v = Value{};
      v.name = name;
      return v;
    }
  }
  key->values.push_back(Value{});
  key->values.back().name = name;
  return key->values.back();
}

void TRegistry::SetString(const std::string& keyPath, const std::string& name,
                          const std::string& value) {
  Value& v = ValueForWrite(keyPath, name);
  v.type = ValueType::String;
  v.text = value;
}

void TRegistry::SetDWord(const std::string& keyPath, const std::string& name, std::uint32_t value) {
  Value& v = ValueForWrite(keyPath, name);
  v.type = ValueType::DWord;
  v.number = value;
}

void TRegistry::SetBinary(const std::string& keyPath, const std::string& name,
                          const std::vector<std::uint8_t>& bytes) {
  Value& v = ValueForWrite(keyPath, name);
  v.type = ValueType::Binary;
  v.bytes = bytes;
}

void TRegistry::DeleteValue(const std::string& keyPath, const std::string& name) {
  Key* key = FindKey(keyPath);
  if (!key) return;
  auto& values = key->values;
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (SameText(it->name, name)) {
      values.erase(it);
      return;
    }
  }
}

std::shared_ptr<const TRegistry> TRegistry::FromText(const std::string& text,
                                                     const std::string& sourceName) {
  auto view = std::make_shared<TRegistry>();
  try {
    RegFileParser(*view).Parse(WithoutByteOrderMark(text));
  } catch (const ParseError& e) {
    ShowMessage("Error in registry file " + sourceName + " at line " + std::to_string(e.Line()) +
                ": " + e.what());
    return std::make_shared<TRegistry>();
  }
  return view;
}

std::shared_ptr<const TRegistry> TRegistry::FromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ShowMessage("Error in registry file " + path + ": cannot open the file");
    return std::make_shared<TRegistry>();
  }
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    ShowMessage("Error in registry file " + path + ": cannot read the file");
    return std::make_shared<TRegistry>();
  }
  return FromText(raw, path);
}

std::shared_ptr<const TRegistry> TRegistry::BuiltIn() {
  static const std::shared_ptr<const TRegistry> view = [] {
    auto reg = std::make_shared<TRegistry>();
    const std::string printer =
        "\\System\\CurrentControlSet\\Control\\Print\\Printers\\Stampwell PDF";
    reg->SetString(printer, "Name", "Stampwell PDF");
    reg->SetString(printer, "Printer Driver", "Adobe PDF Converter");
    reg->SetDWord(printer + "\\PrinterDriverData", "ViewPrintOutput", 0);
    reg->SetDWord(printer + "\\PrinterDriverData", "AskToReplacePDF", 0);
    reg->SetDWord(printer + "\\PrinterDriverData", "PromptForFileName", 0);
    reg->SetString(printer + "\\DsSpooler", "location", "PDF");
    return std::shared_ptr<const TRegistry>(std::move(reg));
  }();
  return view;
}

std::shared_ptr<const TRegistry> TRegistry::MachineFrom(const std::string& regFile) {
  if (FileExists(regFile)) return FromFile(regFile);
  return BuiltIn();
}

std::shared_ptr<const TRegistry> TRegistry::Machine() {
  {
    std::lock_guard<std::mutex> lock(MachineMutex());
    if (MachineOverride()) return MachineOverride();
  }
  return MachineFrom(MachineRegistryFile);
}

void TRegistry::SetMachine(std::shared_ptr<const TRegistry> view) {
  std::lock_guard<std::mutex> lock(MachineMutex());
  MachineOverride() = std::move(view);
}

}  // namespace stampwell
