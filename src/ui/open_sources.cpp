// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/open_sources.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace stampwell {
namespace {

std::string LowerExtension(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

bool OpenableFile(const std::filesystem::path& path) {
  static constexpr std::array<const char*, 13> kTypes = {
      ".doc", ".docx", ".docm", ".odt", ".xls",  ".xlsx", ".xlsm",
      ".ods", ".ppt",  ".pptx", ".pptm", ".odp", ".pdf"};
  const std::string ext = LowerExtension(path);
  return std::find(kTypes.begin(), kTypes.end(), ext) != kTypes.end();
}

}  // namespace

RHandedSources JobItemsForSources(const std::vector<std::string>& paths) {
  namespace fs = std::filesystem;
  RHandedSources result;
  std::vector<RJobItem>& items = result.Items;
  for (const std::string& given : paths) {
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(given), ec);
    if (ec || given.empty()) {
      result.Refused.push_back(given);
      continue;
    }
    path = path.lexically_normal();
    // "/a/b/" names the folder "/a/b": its destination is a sibling, not a child.
    if (!path.has_filename() && path.has_parent_path() && path != path.root_path())
      path = path.parent_path();
    RJobItem item;
    if (fs::is_directory(path, ec)) {
      if (path == path.root_path()) {
        result.Refused.push_back(given);
        continue;
      }
      item.Type = 1;
      item.Source = path.string();
      item.Dest = path.string() + "-stamped";
    } else if (fs::is_regular_file(path, ec) && OpenableFile(path)) {
      item.Type = 0;
      item.Source = path.string();
      fs::path dest = path;
      dest.replace_filename(path.stem().string() + "-stamped" + path.extension().string());
      item.Dest = dest.string();
    } else {
      result.Refused.push_back(given);
      continue;
    }
    const bool seen = std::any_of(items.begin(), items.end(), [&](const RJobItem& other) {
      return other.Source == item.Source;
    });
    if (!seen) items.push_back(item);
  }
  return result;
}

}  // namespace stampwell
