// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/profile_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/paths.h"
#include "platform/strings.h"

namespace stampwell {
namespace {

bool IsProfileFileName(const std::string& name) {
  return name.size() >= 2 && SameText(name.substr(0, 2), "sw") &&
         LowerCase(ExtractFileExt(name)) == ".ini";
}

// Names of the program directory's profile files.
std::vector<std::string> ProfileFileNames(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (dirent* entry = ::readdir(d)) {
    std::string name = entry->d_name;
    if (!IsProfileFileName(name) || DirectoryExists(dir + name)) continue;
    names.push_back(name);
  }
  ::closedir(d);
  // Sorted by name without regard to case, as the listing of the system the profiles come
  // from gives them, rather than in the file system's hash order.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string la = LowerCase(a), lb = LowerCase(b);
    return la != lb ? la < lb : a < b;
  });
  return names;
}

}  // namespace

std::vector<std::shared_ptr<TJobProfile>>& ProfileList() {
  static std::vector<std::shared_ptr<TJobProfile>> list;
  return list;
}

void LoadProfiles() {
  auto& list = ProfileList();
  list.clear();
  std::string message;
  std::vector<std::string> failed;
  for (const std::string& name : ProfileFileNames(ProgramDir())) {
    try {
      list.push_back(std::make_shared<TJobProfile>(name));
    } catch (const std::exception& e) {
      if (!message.empty()) message += '\n';
      message += name + ": " + e.what();
      failed.push_back(name);
    }
  }
  if (!failed.empty()) throw EProfileLoadError(message, std::move(failed));
}

int FindProfile(const std::string& name) {
  const auto& list = ProfileList();
  int found = -1;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i]->Settings.Name == name) found = static_cast<int>(i);
  return found;
}

}  // namespace stampwell
