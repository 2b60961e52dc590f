// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/ppt_records.h"

namespace stampwell::legacy {

std::uint32_t ReadU32(std::string_view data, std::size_t at) {
  if (at > data.size() || data.size() - at < 4)
    throw EPptFormatError("a number lies past a record");
  const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + at;
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

std::uint16_t ReadU16(std::string_view data, std::size_t at) {
  if (at > data.size() || data.size() - at < 2)
    throw EPptFormatError("a number lies past a record");
  const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + at;
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

void WriteU16(std::string& data, std::size_t at, std::uint16_t value) {
  if (at > data.size() || data.size() - at < 2)
    throw EPptFormatError("a number lies past a record");
  data[at] = static_cast<char>(value & 0xFF);
  data[at + 1] = static_cast<char>(value >> 8);
}

void WriteU32(std::string& data, std::size_t at, std::uint32_t value) {
  if (at > data.size() || data.size() - at < 4)
    throw EPptFormatError("a number lies past a record");
  for (int i = 0; i < 4; ++i) data[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void AppendU16(std::string& data, std::uint16_t value) {
  data.push_back(static_cast<char>(value & 0xFF));
  data.push_back(static_cast<char>(value >> 8));
}

void AppendU32(std::string& data, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

RPptRecord RPptRecord::Parse(std::string_view data, std::size_t& pos) {
  if (pos > data.size() || data.size() - pos < 8)
    throw EPptFormatError("a record header lies past the end, at " + std::to_string(pos));
  RPptRecord record;
  record.VerInst = ReadU16(data, pos);
  record.Type = ReadU16(data, pos + 2);
  const std::uint32_t length = ReadU32(data, pos + 4);
  const std::size_t start = pos + 8;
  if (length > data.size() - start)
    throw EPptFormatError("a record runs past the end, at " + std::to_string(pos));
  const std::size_t end = start + length;
  if (record.IsContainer()) {
    std::size_t at = start;
    const std::string_view inside = data.substr(0, end);
    while (at < end) record.Children.push_back(Parse(inside, at));
  } else {
    record.Atom.assign(data.substr(start, length));
  }
  pos = end;
  return record;
}

std::string RPptRecord::Bytes() const {
  std::string body;
  if (IsContainer()) {
    for (const RPptRecord& child : Children) body += child.Bytes();
  } else {
    body = Atom;
  }
  std::string out;
  out.reserve(body.size() + 8);
  AppendU16(out, VerInst);
  AppendU16(out, Type);
  AppendU32(out, static_cast<std::uint32_t>(body.size()));
  out += body;
  return out;
}

RPptRecord* RPptRecord::Child(std::uint16_t type) {
  for (RPptRecord& child : Children)
    if (child.Type == type) return &child;
  return nullptr;
}

const RPptRecord* RPptRecord::Child(std::uint16_t type) const {
  return const_cast<RPptRecord*>(this)->Child(type);
}

}  // namespace stampwell::legacy
