// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// Reading packages back for the tests, straight through libzip and pugixml: what each entry
// stores, and the elements and texts of an XML part.
namespace stampwell::test {

struct RStoredEntry {
  std::string data;              // uncompressed content
  unsigned long long compSize = 0;
  unsigned crc = 0;
  int method = 0;
};

// Every entry of the zip archive at path, by name; empty when it is not one.
std::map<std::string, RStoredEntry> ReadEntries(const std::string& path);
// Entry names in archive order.
std::vector<std::string> EntryOrder(const std::string& path);
// Writes a zip archive with the given entries, deflated, in the given order.
void WritePackage(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& entries);

// What an XML part holds: each element as its ancestry and name, each attribute with its
// element's, each text with its ancestry and content.
std::multiset<std::string> XmlItems(const std::string& xml);
// The items of source that result lacks (empty: every element and text of source stays).
std::vector<std::string> MissingItems(const std::string& source, const std::string& result);

// Names (VML id or drawing cNvPr name) in an XML part that are this program's marks.
std::vector<std::string> MarkNamesIn(const std::string& xml);

}  // namespace stampwell::test
