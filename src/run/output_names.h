// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <set>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "run/file_kinds.h"

namespace stampwell {

// The outputs of one run, handed out so that no output of the run replaces another output of
// the same run. A name is claimed when a file is planned, whether it is then written or
// skipped (its destination exists), so the same sources get the same names on every run and
// the skip rule finds them again.
class TOutputNames {
 public:
  // Claims path and returns it when no earlier output of the run has it; else claims and
  // returns the first free of "<name> (<tag>)<ext>", "<name> (<tag> 2)<ext>", ... in the
  // same folder.
  std::string Claim(const std::string& path, const std::string& tag);
  bool Claimed(const std::string& path) const { return claimed_.count(path) > 0; }

 private:
  std::set<std::string> claimed_;
};

// One file of a folder with the outputs the run gives it.
struct RPlannedFile {
  std::string source;
  std::string dest;  // the saved (or copied) file
  std::string pdf;   // the PDF file, for a document of a kind with PDF output; else empty
  // Set when the PDF is not the plain "<name>.pdf": another output of the run has that name.
  std::string plainPdf;
};

// Plans the files of one folder (their names, in the walk's order) with the run's outputs:
// the copies and the saved documents keep their own names; then each document's PDF takes
// "<name>.pdf" in the walk's order, or, when a copy or an earlier document of the run has it,
// "<name> (<extension>).pdf" ("report (xls).pdf" beside report.doc's "report.pdf", "memo
// (doc).pdf" beside a copied memo.pdf).
std::vector<RPlannedFile> PlanFolderFiles(const std::vector<RFileKind>& kinds,
                                          const RJobSettings& settings,
                                          const std::string& sourceFolder,
                                          const std::string& destFolder,
                                          const std::vector<std::string>& names,
                                          TOutputNames& outputs);

// The same for one single file entry (source to dest).
RPlannedFile PlanSingleFile(const std::vector<RFileKind>& kinds, const RJobSettings& settings,
                            const std::string& source, const std::string& dest,
                            TOutputNames& outputs);

}  // namespace stampwell
