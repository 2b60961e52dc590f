#pragma once

#include <memory>
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
// regard to case, each constructed (and so loaded) from its name. Folders are not profiles. An
// error while loading one (an unreadable colour) stops the scan and reaches the caller; the
// profiles met before it stay in the list.
void LoadProfiles();

// Index in ProfileList of the last profile whose Settings.Name equals name exactly (with
// case), or -1.
int FindProfile(const std::string& name);

}  // namespace stampwell
