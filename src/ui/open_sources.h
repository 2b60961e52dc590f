// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "jobs/job_settings.h"

namespace stampwell {

// The job entries for paths handed to the program (a file manager's "Open With", or the
// command line): a folder becomes a folder entry whose destination is a sibling folder named
// "<folder>-stamped"; a .doc/.docx/.xls/.xlsx/.ppt/.pptx/.pdf file (and the other current
// formats a job handles) becomes a file entry whose destination is "<name>-stamped.<ext>"
// beside it. Both destinations can be changed in the wizard before the job is saved; none is
// ever the source itself, so a job made this way never writes over what it was given.
// Relative paths are taken from the current folder. Paths that are neither such a file nor
// an existing folder are refused, in order, and get no entry; a path given twice gets one
// entry.
struct RHandedSources {
  std::vector<RJobItem> Items;
  std::vector<std::string> Refused;
};
RHandedSources JobItemsForSources(const std::vector<std::string>& paths);

}  // namespace stampwell
