// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/strings.h"

namespace stampwell {

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
static char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (auto& c : r) c = LowerAscii(c);
  return r;
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (auto& c : r) c = UpperAscii(c);
  return r;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

namespace {
bool StartsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }
}  // namespace

std::size_t Utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (char c : s) n += StartsCharacter(c);
  return n;
}

std::string Utf8CutToChars(std::string_view s, std::size_t maxChars) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!StartsCharacter(s[i])) continue;
    if (n == maxChars) return std::string(s.substr(0, i));
    ++n;
  }
  return std::string(s);
}

std::string Utf8CutToBytes(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return std::string(s);
  std::size_t n = maxBytes;
  while (n > 0 && !StartsCharacter(s[n])) --n;
  return std::string(s.substr(0, n));
}

}  // namespace stampwell
