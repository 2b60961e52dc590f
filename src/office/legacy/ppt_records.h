// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The records of a PowerPoint 97-2003 document stream and of the drawings inside it: an
// 8-byte header (version and instance, type, length), then either bytes (an atom) or more
// records (a container, version 0xF).
namespace stampwell::legacy {

// A record whose header does not fit the bytes around it; what() says where.
class EPptFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file the splices do not take on (another format, encrypted, signed, ...); what() says
// which.
class EPptUnsupported : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// (The drawings inside .xls files are made of the same records.)
struct RPptRecord {
  std::uint16_t VerInst = 0;
  std::uint16_t Type = 0;
  std::string Atom;                  // an atom's bytes
  std::vector<RPptRecord> Children;  // a container's records

  unsigned Version() const { return VerInst & 0xFu; }
  unsigned Instance() const { return VerInst >> 4; }
  bool IsContainer() const { return Version() == 0xFu; }

  // The record at pos of data (its header and everything its length covers); pos moves past
  // it. A container's records must fill it exactly.
  static RPptRecord Parse(std::string_view data, std::size_t& pos);
  // The record as stored, lengths computed anew.
  std::string Bytes() const;

  // The first record of that type directly inside this one, or nullptr.
  RPptRecord* Child(std::uint16_t type);
  const RPptRecord* Child(std::uint16_t type) const;
};

// Little-endian numbers inside an atom; out of range reads throw EPptFormatError.
std::uint32_t ReadU32(std::string_view data, std::size_t at);
std::uint16_t ReadU16(std::string_view data, std::size_t at);
void WriteU16(std::string& data, std::size_t at, std::uint16_t value);
void WriteU32(std::string& data, std::size_t at, std::uint32_t value);
void AppendU16(std::string& data, std::uint16_t value);
void AppendU32(std::string& data, std::uint32_t value);

}  // namespace stampwell::legacy
