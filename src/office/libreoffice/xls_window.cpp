// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/xls_window.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace stampwell {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMaxChain = 1u << 22;  // sectors; bounds any loop on a damaged file

std::uint16_t U16(const std::vector<unsigned char>& b, std::size_t at) {
  return at + 2 <= b.size() ? static_cast<std::uint16_t>(b[at] | b[at + 1] << 8) : 0;
}
std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
  return at + 4 <= b.size() ? static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 |
                                                         b[at + 2] << 16 |
                                                         static_cast<std::uint32_t>(b[at + 3]) << 24)
                            : 0;
}

// A compound file (MS-CFB), read whole: its allocation tables and streams by name.
class CompoundFile {
 public:
  bool Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::size_t>(in.tellg());
    if (size < 512 || size > (std::size_t{1} << 31)) return false;
    in.seekg(0);
    data_.resize(size);
    if (!in.read(reinterpret_cast<char*>(data_.data()), static_cast<std::streamsize>(size)))
      return false;
    static const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (int i = 0; i < 8; ++i)
      if (data_[static_cast<std::size_t>(i)] != kSignature[i]) return false;
    const unsigned shift = U16(data_, 0x1E);
    const unsigned miniShift = U16(data_, 0x20);
    if ((shift != 9 && shift != 12) || miniShift != 6) return false;
    sector_ = std::size_t{1} << shift;
    miniCutoff_ = U32(data_, 0x38);
    // The sector allocation table: its sectors are listed in the header, then in DIFAT sectors.
    std::vector<std::uint32_t> fatSectors;
    const std::uint32_t fatCount = U32(data_, 0x2C);
    for (std::size_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
      fatSectors.push_back(U32(data_, 0x4C + 4 * i));
    std::uint32_t difat = U32(data_, 0x44);
    for (std::uint32_t guard = 0; fatSectors.size() < fatCount && difat < kEndOfChain; ++guard) {
      if (guard > kMaxChain || !Inside(difat)) return false;
      const std::size_t base = Offset(difat);
      const std::size_t perSector = sector_ / 4 - 1;
      for (std::size_t i = 0; i < perSector && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(U32(data_, base + 4 * i));
      difat = U32(data_, base + 4 * perSector);
    }
    for (std::uint32_t s : fatSectors) {
      if (!Inside(s)) return false;
      for (std::size_t i = 0; i < sector_ / 4; ++i) fat_.push_back(U32(data_, Offset(s) + 4 * i));
    }
    if (!Chain(U32(data_, 0x30), directory_)) return false;
    std::vector<unsigned char> miniFatBytes;
    if (U32(data_, 0x3C) < kEndOfChain && !Chain(U32(data_, 0x3C), miniFatBytes)) return false;
    for (std::size_t i = 0; i + 4 <= miniFatBytes.size(); i += 4)
      miniFat_.push_back(U32(miniFatBytes, i));
    // The root entry's stream is the mini stream.
    if (directory_.size() < 128) return false;
    if (U32(directory_, 0x74) < kEndOfChain && !Chain(U32(directory_, 0x74), miniStream_))
      return false;
    return true;
  }

  // The stream of that (ASCII) name anywhere in the directory; false when there is none.
  bool Stream(const std::string& name, std::vector<unsigned char>& out) const {
    for (std::size_t at = 0; at + 128 <= directory_.size(); at += 128) {
      if (directory_[at + 0x42] != 2) continue;  // a stream
      const std::size_t length = U16(directory_, at + 0x40);
      if (length != 2 * (name.size() + 1)) continue;
      bool same = true;
      for (std::size_t i = 0; i < name.size() && same; ++i)
        same = directory_[at + 2 * i] == static_cast<unsigned char>(name[i]) &&
               directory_[at + 2 * i + 1] == 0;
      if (!same) continue;
      const std::uint32_t start = U32(directory_, at + 0x74);
      const std::uint32_t size = U32(directory_, at + 0x78);
      out.clear();
      if (size < miniCutoff_) {
        for (std::uint32_t s = start, guard = 0; s < kEndOfChain; s = miniFat_[s], ++guard) {
          if (guard > kMaxChain || s >= miniFat_.size()) return false;
          const std::size_t from = std::size_t{s} * 64;
          if (from + 64 > miniStream_.size()) return false;
          out.insert(out.end(), miniStream_.begin() + static_cast<std::ptrdiff_t>(from),
                     miniStream_.begin() + static_cast<std::ptrdiff_t>(from + 64));
        }
      } else if (!Chain(start, out)) {
        return false;
      }
      if (out.size() < size) return false;
      out.resize(size);
      return true;
    }
    return false;
  }

 private:
  bool Inside(std::uint32_t s) const { return Offset(s) + sector_ <= data_.size(); }
  std::size_t Offset(std::uint32_t s) const { return (std::size_t{s} + 1) * sector_; }
  bool Chain(std::uint32_t s, std::vector<unsigned char>& out) const {
    for (std::uint32_t guard = 0; s < kEndOfChain; ++guard) {
      if (guard > kMaxChain || !Inside(s) || s >= fat_.size()) return false;
      const auto from = data_.begin() + static_cast<std::ptrdiff_t>(Offset(s));
      out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(sector_));
      s = fat_[s];
    }
    return true;
  }

  std::vector<unsigned char> data_;
  std::size_t sector_ = 512;
  std::uint32_t miniCutoff_ = 4096;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> miniFat_;
  std::vector<unsigned char> directory_;
  std::vector<unsigned char> miniStream_;
};

}  // namespace

std::optional<int> XlsActiveSheet(const std::string& path) {
  CompoundFile file;
  if (!file.Load(path)) return std::nullopt;
  std::vector<unsigned char> book;
  if (!file.Stream("Workbook", book) && !file.Stream("Book", book)) return std::nullopt;
  // The workbook globals: from the first BOF to its EOF.
  constexpr std::uint16_t kBof = 0x0809, kEof = 0x000A, kFilePass = 0x002F, kWindow1 = 0x003D,
                          kBoundSheet = 0x0085;
  if (U16(book, 0) != kBof) return std::nullopt;
  int sheets = 0;
  std::optional<int> active;
  for (std::size_t at = 0; at + 4 <= book.size();) {
    const std::uint16_t type = U16(book, at);
    const std::size_t length = U16(book, at + 2);
    const std::size_t data = at + 4;
    if (data + length > book.size()) return std::nullopt;
    if (type == kEof) break;
    if (type == kFilePass) return std::nullopt;  // the records after it are encrypted
    if (type == kWindow1 && !active && length >= 12) active = U16(book, data + 10);
    if (type == kBoundSheet) {
      if (length < 6 || book[data + 5] != 0) return std::nullopt;  // not a worksheet
      ++sheets;
    }
    at = data + length;
  }
  const int index = active.value_or(0);
  if (sheets == 0 || index >= sheets) return std::nullopt;
  return index;
}

}  // namespace stampwell
