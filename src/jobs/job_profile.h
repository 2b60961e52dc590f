// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jobs/job_settings.h"

namespace stampwell {

class JobDisplay;
class MessageTarget;
class TJob;

// One job: the in-memory form of the profile file "sw" + name + ".ini" in the program
// directory. Used on the UI thread only. Each operation opens, reads or writes and closes the
// file; nothing keeps it open.
//
// Errors: reading never fails for a missing file or key (defaults apply), but a colour text
// that is neither a name nor an integer raises EConvertError out of Load (and so out of the
// constructor). A write that fails raises EIniFileException("Unable to write to " + path).
// Save, SaveItems and EraseItemSections each replace the file in one step, so a failure
// leaves the old file as it was, never half a profile. A FileName that is not a plain file name
// (empty, "." or "..", or holding a path separator) never reaches outside the program directory:
// such a profile reads as missing, cannot be written, and DeleteFiles leaves everything alone.
class TJobProfile {
 public:
  // An empty profile: no file, no items, Transparent and HX on, everything else empty/0.
  TJobProfile();
  // Takes fileName (a name in the program directory, without folder) and calls Load.
  explicit TJobProfile(const std::string& fileName);

  std::string FileName;
  RJobSettings Settings;
  RDocSettings DocSettings;
  std::vector<RJobItem> Items;
  std::int32_t MaxFolder = 0;
  // The runner of the run last started from this profile. It ends and frees itself, so the
  // profile only watches it: lock() gives nothing once the run is over.
  std::weak_ptr<TJob> Job;

  // Program directory + FileName.
  std::string FilePath() const;
  // True when FilePath() is an existing file.
  bool Exists() const;
  // Reads the fixed sections into Settings, MaxFolder and DocSettings, then LoadItems.
  void Load();
  // Replaces Items by ReadItems().
  void LoadItems();
  // The file's item sections, in file order: every section but "BasicInfo" and "DocInfo"
  // (in any letter case) whose "Source" and "Dest" are both set. The one reading of item
  // sections, for the pages and for the runner alike: Type is stored as a byte, so a
  // written value keeps its low 8 bits (absent: 1), and 0 is a single file, anything else
  // a folder (Type=256 reads as 0: a single file; Type=300 as 44: a folder).
  std::vector<RJobItem> ReadItems() const;
  // Writes Settings, MaxFolder, DocSettings and Items; nothing while FileName is empty.
  void Save();
  // EraseItemSections, then Items as sections "0", "1", ...
  void SaveItems();
  // Erases every section that is not "BasicInfo" or "DocInfo". These two are kept whatever
  // the case of their spelling in the file, since Save has just written into them.
  void EraseItemSections();
  void ClearItems();
  // Deletes the profile file and the file of the same name with ".log"; missing files and
  // failures are ignored.
  void DeleteFiles();

  // Builds a runner from this profile and starts it (defined with the runner, in
  // src/run/run_job.cpp; link stampwell_run to use it). The settings are copied from this
  // object, the items are read afresh from the file (ReadItems). MainWindow receives WM_JOBEND when the
  // run has ended; Display receives the progress reports. Both may go away during the run.
  // When the runner cannot be made (PDF printer detection raised a registry error), shows the
  // error, posts WM_JOBEND at once and returns false.
  // prepare, when given, is called with the runner after it is set up and before its thread
  // starts (a front end hooks itself to the run's lines there).
  bool RunJob(std::weak_ptr<MessageTarget> MainWindow, std::weak_ptr<JobDisplay> Display,
              const std::function<void(TJob&)>& prepare = {});
};

}  // namespace stampwell
