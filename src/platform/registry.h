// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace stampwell {

// Raised by the integer and string readers of TRegistry, with the messages
// "Failed to get data for '<value name>'" and "Invalid data type for '<value name>'".
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A read-only view of HKEY_LOCAL_MACHINE: the installed printers and the settings of their
// drivers. Key paths are absolute below HKEY_LOCAL_MACHINE, their parts joined with a
// backslash ("\System\CurrentControlSet\Control\Print\Printers"; the leading backslash is
// optional). Key and value names compare without regard to ASCII case, as in the Windows
// registry. Subkeys enumerate in the order they were first defined.
//
// A view is immutable once shared (the factories hand out shared_ptr<const TRegistry>), so one
// view may be read from several threads at once. The building members (AddKey, Set...) exist
// for the parser, the built-in view and tests.
class TRegistry {
 public:
  enum class ValueType { String, DWord, Binary };

  // The path of the machine's registry file; used when the file exists.
  static constexpr const char* MachineRegistryFile = "/etc/stampwell/registry.reg";

  TRegistry();
  ~TRegistry();
  TRegistry(TRegistry&&) noexcept;
  TRegistry& operator=(TRegistry&&) noexcept;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // ---- reading ----

  // True when the key exists (the root, "" or "\", always exists).
  bool KeyExists(const std::string& keyPath) const;
  // Names of the direct subkeys in enumeration order; nullopt when the key cannot be opened.
  std::optional<std::vector<std::string>> GetKeyNames(const std::string& keyPath) const;
  // The string value name of key keyPath ("" for the default value). A missing key or value
  // reads as "". A value that is not a string type raises "Invalid data type for '<name>'".
  std::string ReadString(const std::string& keyPath, const std::string& name) const;
  // The REG_DWORD value name of key keyPath. A missing key or value raises
  // "Failed to get data for '<name>'"; another type raises "Invalid data type for '<name>'".
  std::int32_t ReadInteger(const std::string& keyPath, const std::string& name) const;
  // Type of a value, nullopt when the key or value is missing.
  std::optional<ValueType> GetDataType(const std::string& keyPath, const std::string& name) const;

  // ---- building ----

  // Creates the key and any missing parent keys. Returns false for a malformed path
  // (an empty part, as in "a\\b").
  bool AddKey(const std::string& keyPath);
  // Removes the key with all its subkeys and values; a missing key is not an error.
  void DeleteKey(const std::string& keyPath);
  // Each setter creates the key when missing and replaces a value of the same name.
  void SetString(const std::string& keyPath, const std::string& name, const std::string& value);
  void SetDWord(const std::string& keyPath, const std::string& name, std::uint32_t value);
  void SetBinary(const std::string& keyPath, const std::string& name,
                 const std::vector<std::uint8_t>& bytes);
  void DeleteValue(const std::string& keyPath, const std::string& name);

  // ---- sources ----

  // Parses registry file text ("Windows Registry Editor Version 5.00" format, UTF-8). Only keys
  // under HKEY_LOCAL_MACHINE are kept. On a line that cannot be parsed, shows a message naming
  // sourceName and the line number and returns an empty view, which holds no printer.
  static std::shared_ptr<const TRegistry> FromText(const std::string& text,
                                                   const std::string& sourceName);
  // Reads and parses the file at path; a file that cannot be read is reported like a parse
  // error and gives an empty view.
  static std::shared_ptr<const TRegistry> FromFile(const std::string& path);
  // The built-in view: one PDF printer "Stampwell PDF" with driver "Adobe PDF Converter",
  // whose prompt settings are all 0 and whose DsSpooler "location" is "PDF".
  static std::shared_ptr<const TRegistry> BuiltIn();
  // The view read from regFile when that file exists, else the built-in view.
  static std::shared_ptr<const TRegistry> MachineFrom(const std::string& regFile);
  // The machine's view: the one set by SetMachine, else MachineFrom(MachineRegistryFile).
  // The file is read afresh on every call, so each caller sees its current content.
  static std::shared_ptr<const TRegistry> Machine();
  // Replaces the machine's view (tests); nullptr restores the default.
  static void SetMachine(std::shared_ptr<const TRegistry> view);

 private:
  struct Key;
  struct Value;
  Key* FindKey(const std::string& keyPath) const;
  const Value* FindValue(const std::string& keyPath, const std::string& name) const;
  Value& ValueForWrite(const std::string& keyPath, const std::string& name);

  std::unique_ptr<Key> root_;
};

}  // namespace stampwell
