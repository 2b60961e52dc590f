// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

// The compound files (OLE2 structured storage) that hold .doc, .xls and .ppt documents, read
// and written through libgsf.
namespace stampwell::legacy {

// A compound file that cannot be read or written; what() says why.
class ECompoundFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One storage (a folder) or stream of a compound file, named by its path from the root.
struct RCompoundEntry {
  std::vector<std::string> Path;
  bool IsStorage = false;
  std::array<unsigned char, 16> ClassId{};  // storages only
  std::string Data;                         // streams only
};

// The whole tree of a compound file in memory. Writing it gives a new container (its own
// sector layout) holding the same storages, class ids and stream bytes.
class TCompoundFile {
 public:
  // Throws ECompoundFileError when bytes are no compound file.
  static TCompoundFile Read(const std::string& bytes);
  std::string Write() const;

  // The stream of that name directly under the root, or nullptr.
  std::string* Stream(const std::string& name);
  const std::string* Stream(const std::string& name) const;
  // True when an entry (storage or stream) of that name lies directly under the root.
  bool HasTopLevel(const std::string& name) const;

  std::array<unsigned char, 16> RootClassId{};
  // Depth first, each storage before what it holds.
  std::vector<RCompoundEntry> Entries;
};

}  // namespace stampwell::legacy
