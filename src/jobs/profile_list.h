// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "jobs/job_profile.h"

namespace stampwell {

// The program-wide list of job profiles, sorted by file name without regard to case.
// UI thread only. Profiles are shared: one that LoadProfiles drops stays valid for whoever
// still holds it (the main window, or a run reached through the profile's Job).
std::vector<std::shared_ptr<TJobProfile>>& ProfileList();

// Replaces ProfileList by the profiles of the program directory: every file whose name starts
// with "sw" (any case) and whose extension, lower-cased, is ".ini", sorted by name without
// regard to case, each constructed (and so loaded) from its name. Folders are not profiles. A
// profile that cannot be read (an unreadable colour) is passed over and the scan goes on; once
// every profile has been read, EProfileLoadError names each one passed over, by its file name,
// with its reason. The profiles that could be read are in the list either way.
void LoadProfiles();

// Profiles that LoadProfiles passed over. The message holds one line per profile:
// "<file name>: <reason>", the lines joined by line feeds.
class EProfileLoadError : public std::runtime_error {
 public:
  EProfileLoadError(const std::string& message, std::vector<std::string> files)
      : std::runtime_error(message), Files(std::move(files)) {}
  std::vector<std::string> Files;
};

// Index in ProfileList of the last profile whose Settings.Name equals name exactly (with
// case), or -1.
int FindProfile(const std::string& name);

}  // namespace stampwell
