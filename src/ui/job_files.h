// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jobs/job_settings.h"

class QWidget;

namespace stampwell {

class TJobProfile;

// The operations on a job's files that the main window offers: saving the pages back into a
// profile, renaming, deleting, exporting and importing. Each rule lives here once, and every
// question or message goes through the program's dialogs, so the operations run (and are
// tested) without the window.
//
// A job's profile "sw<Name>.ini" and its log "sw<Name>.log" always go together: a job whose
// name changes has both files moved to the new name, and deleting a job removes both.
class TJobFiles {
 public:
  // dialogParent: the window the questions and file dialogs belong to (may be null).
  explicit TJobFiles(QWidget* dialogParent = nullptr);

  // Copies the three records into job and writes its file. A changed name moves the profile
  // and its log to the new name first; a name that is taken or holds a path separator is
  // refused with a message, and the job keeps its old name while the rest is saved.
  // False (the user told why) when the file could not be written.
  bool SaveBack(TJobProfile& job, const RJobSettings& settings, const RDocSettings& docSettings,
                const std::vector<RJobItem>& items);

  // Moves the profile and the log of job to the files of newName and sets its name and file
  // name; true when the job now bears newName. Refused, with a message, for a taken name or
  // one holding a path separator.
  bool Rename(TJobProfile& job, const std::string& newName);

  // Asks (Yes/No, naming the job); on Yes removes the job from the profile list and deletes
  // its profile and its log. True when the job was deleted.
  bool Delete(TJobProfile& job);

  // Asks for a target file and copies the profile file there (".txt" added to a name typed
  // without extension). True when a copy was made.
  bool Export(const TJobProfile& job);

  // Asks for an export file and makes it a profile of the program directory, asking for
  // another name while its name is taken. The profile's file name, or nothing when the user
  // cancelled or the file was no export file (the user is told).
  std::optional<std::string> Import();

  // "sw" + name + ".ini" and "sw" + name + ".log".
  static std::string ProfileFileName(const std::string& name);
  static std::string LogFileName(const std::string& name);

  // The message for a job name that holds a path separator.
  static const char* const kSeparatorInName;
  // The message for a name that another job's profile already has.
  static const char* const kNameTaken;

 private:
  QWidget* parent_;
};

}  // namespace stampwell
