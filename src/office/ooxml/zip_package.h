// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct zip;

namespace stampwell::ooxml {

// A package that cannot be read or written; the message reads well after "Error in <file>:".
class EPackageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An Office Open XML package (a zip archive) opened for reading, with the parts a stamp
// changes or adds kept aside. Saving writes a new archive: every part nobody wrote is copied
// from the source archive as it is stored there (compressed bytes, not recompressed), the
// others are stored anew; the entry order of the source is kept and new parts follow it.
// Part names are zip entry names ("word/document.xml", no leading slash); lookups ignore
// case, as the package format does.
class TZipPackage {
 public:
  TZipPackage() = default;
  TZipPackage(const TZipPackage&) = delete;
  TZipPackage& operator=(const TZipPackage&) = delete;
  ~TZipPackage();

  // Opens path for reading; throws EPackageError when it is not a readable zip archive.
  // Any package open before is closed first.
  void Open(const std::string& path);
  // Forgets the archive and every change; never throws.
  void Close();
  bool IsOpen() const { return zip_ != nullptr; }
  const std::string& Path() const { return path_; }

  // The entry names of the source archive in their order, then the parts added.
  std::vector<std::string> PartNames() const;
  // The name as stored for name in any case, or "" when there is no such part.
  std::string Find(const std::string& name) const;
  bool Has(const std::string& name) const { return !Find(name).empty(); }
  // The current content of a part (written or stored); throws EPackageError when missing or
  // unreadable.
  std::string Read(const std::string& name) const;
  // Replaces a part's content, or adds the part.
  void Write(const std::string& name, std::string data);
  // Whether a part was written since Open.
  bool Written(const std::string& name) const;
  // The parts written since Open (changed and added).
  std::vector<std::string> WrittenParts() const;

  // Writes the package to dest through a temporary file beside it, then renames it over
  // dest (which may be the source itself). Throws EPackageError; dest stays as it was then.
  void SaveAs(const std::string& dest) const;

 private:
  struct ::zip* zip_ = nullptr;
  std::string path_;
  std::vector<std::string> names_;               // source entries, in order
  std::map<std::string, std::size_t> byLower_;   // lower-case name -> index in names_/added
  std::map<std::string, std::string> written_;   // stored name -> content
  std::vector<std::string> added_;               // new parts, in the order they were added
};

}  // namespace stampwell::ooxml
