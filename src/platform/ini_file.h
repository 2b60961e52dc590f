// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace stampwell {

// Raised when an INI file cannot be written; the message is "Unable to write to " + path.
class EIniFileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The integer forms that profiles accept: decimal with an optional sign, "$" + hex or
// "0x" + hex (at most 32 bits; hex values above 0x7FFFFFFF wrap to negative). Any other text,
// and a decimal out of the 32-bit range, gives no value.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// An INI file with the semantics of the Windows private-profile functions. Nothing is kept
// open: every read sees the file as it is now (a parsed copy is reused only while the file's
// identity, size and times are unchanged), and every write re-reads it, changes it and
// replaces it atomically (temporary file in the same folder, then rename), so a crash leaves
// either the old or the new file. Written files use CR LF; LF, CR and a missing final
// line end are read as well.
//
// Reading: a UTF-8 byte-order mark at the start is skipped (and kept when the file is
// rewritten); section and key names compare without regard to case (ASCII); blanks around names
// and values are ignored; a value in a matching pair of ' or " quotes comes back without them;
// at most 2047 characters of a value come back; lines starting with ';' and lines without '='
// are not keys; of two equal sections or keys the first counts; a missing file reads as empty.
//
// Writing: a key is replaced in place (its line keeps its position and the file's spelling of
// the names) or appended after the last non-blank line of its section; a missing section is
// appended at the end of the file; a missing file is created (its folder must exist). Values
// are written exactly as given. Names or values that a line-based file cannot hold (line
// breaks, NUL, '=' in a key, a key read back as a comment or section) are refused like any
// other write failure: EIniFileException("Unable to write to " + path).
class TIniFile {
 public:
  explicit TIniFile(std::string fileName);
  ~TIniFile();
  TIniFile(TIniFile&&) noexcept;
  TIniFile& operator=(TIniFile&&) noexcept;

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& defaultValue) const;
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);

  // The value as ParseIniInteger reads it, else defaultValue.
  std::int32_t ReadInteger(const std::string& section, const std::string& ident,
                           std::int32_t defaultValue) const;
  // Written in decimal.
  void WriteInteger(const std::string& section, const std::string& ident, std::int32_t value);

  // Read as an integer (default 1 or 0), any non-zero value meaning true.
  bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const;
  // Written as "1" or "0".
  void WriteBool(const std::string& section, const std::string& ident, bool value);

  // Section names in file order, as many as fit a 16384-byte list in which each name is
  // followed by a NUL and the list by one more NUL. Unnamed sections are not listed.
  std::vector<std::string> ReadSections() const;
  // Key names of the section in file order, under the same 16384-byte limit.
  std::vector<std::string> ReadSection(const std::string& section) const;

  // True when a header of the section is in the file (even without keys).
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& ident) const;

  // Removes the first section of that name: its header and every line up to the next header.
  // A missing section leaves the file untouched.
  void EraseSection(const std::string& section);
  // Removes the key's line; a missing key leaves the file untouched.
  void DeleteKey(const std::string& section, const std::string& ident);

  // Batches writes: after BeginUpdate, writes and erases change only this object's copy of
  // the file (reads through this object see them); EndUpdate writes the result in one atomic
  // replacement, or raises the write error. An object destroyed inside a batch, as when an
  // exception leaves it, writes nothing, so a failed batch leaves the old file whole.
  void BeginUpdate();
  void EndUpdate();

 private:
  struct State;

  std::string fileName_;
  std::unique_ptr<State> state_;  // the parsed file, reused while the file is unchanged
};

}  // namespace stampwell
