// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/job_files.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <exception>
#include <filesystem>

#include "jobs/file_utils.h"
#include "jobs/job_profile.h"
#include "jobs/profile_list.h"
#include "platform/ini_file.h"
#include "platform/message_sink.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "ui/ui_dialogs.h"
#include "ui/ui_text.h"

namespace stampwell {
namespace {

// The texts of these windows, translated into the user's language. A text the translations
// do not hold (a system error's) is shown as it is.
QString Tr(const char* text) { return QCoreApplication::translate("stampwell::TJobFiles", text); }
void Tell(const char* text) { ShowMessage(Tr(text).toStdString()); }
using stampwell::Tell;
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

const char* const kTextFilter =
    QT_TRANSLATE_NOOP("stampwell::TJobFiles", "Text files (*.txt)|*.txt|All files (*.*)|*.*");

bool HoldsSeparator(const std::string& name) {
  return name.find(PathDelim) != std::string::npos || name.find('\0') != std::string::npos;
}

// Moves from to to when from exists; false when a move was needed and failed.
bool MoveIfPresent(const std::string& from, const std::string& to) {
  if (from == to || !FileExists(from)) return true;
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  return !ec;
}

void RemoveIfPresent(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

// Removes a staged import file unless it was renamed into a profile.
class StagedFile {
 public:
  explicit StagedFile(std::string path) : path_(std::move(path)) {}
  ~StagedFile() {
    if (!path_.empty()) RemoveIfPresent(path_);
  }
  void Release() { path_.clear(); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The file name under which an import is staged in the program directory: the chosen file's
// name with ".ini", unless a file of that name exists or it could be taken for a profile, in
// which case "Import<n>.ini" for the first n not in use. An existing file is never replaced.
std::string StagingName(const std::string& chosenPath) {
  const std::string dir = ProgramDir();
  std::string name = ChangeFileExt(ExtractFileName(chosenPath), ".ini");
  const bool looksLikeProfile = LowerCase(name).rfind("sw", 0) == 0;
  if (!looksLikeProfile && !FileExists(dir + name)) return name;
  for (int n = 1;; ++n) {
    name = "Import" + std::to_string(n) + ".ini";
    if (!FileExists(dir + name)) return name;
  }
}

}  // namespace

const char* const TJobFiles::kSeparatorInName = QT_TRANSLATE_NOOP(
    "stampwell::TJobFiles",
    "A job name cannot hold the path separator \"/\", please input another name!");
const char* const TJobFiles::kNameTaken = QT_TRANSLATE_NOOP(
    "stampwell::TJobFiles", "A job of this name exists already; please choose another name.");

TJobFiles::TJobFiles(QWidget* dialogParent) : parent_(dialogParent) {}

std::string TJobFiles::ProfileFileName(const std::string& name) { return "sw" + name + ".ini"; }
std::string TJobFiles::LogFileName(const std::string& name) { return "sw" + name + ".log"; }

bool TJobFiles::Rename(TJobProfile& job, const std::string& newName) {
  const std::string oldName = job.Settings.Name;
  const std::string target = ProfileFileName(newName);
  if (newName == oldName && job.FileName == target) return true;
  if (HoldsSeparator(newName) || !IsPlainFileName(target)) {
    Tell(kSeparatorInName);
    return false;
  }
  const std::string dir = ProgramDir();
  if (target != job.FileName && FileExists(dir + target)) {
    Tell(kNameTaken);
    return false;
  }
  if (!MoveIfPresent(job.FilePath(), dir + target)) {
    Tell(Tr(QT_TRANSLATE_NOOP("stampwell::TJobFiles", "Unable to write to %1"))
             .arg(Q(dir + target)));
    return false;
  }
  // The log goes with the profile. A log left by a job of the new name that no longer
  // exists gives way: no profile of that name was there.
  MoveIfPresent(dir + LogFileName(oldName), dir + LogFileName(newName));
  job.FileName = target;
  job.Settings.Name = newName;
  return true;
}

bool TJobFiles::SaveBack(TJobProfile& job, const RJobSettings& settings,
                         const RDocSettings& docSettings, const std::vector<RJobItem>& items) {
  if (settings.Name != job.Settings.Name) Rename(job, settings.Name);
  const std::string keptName = job.Settings.Name;
  job.Settings = settings;
  job.Settings.Name = keptName;  // the new name only when the files could follow it
  job.DocSettings = docSettings;
  job.ClearItems();
  for (const RJobItem& item : items) job.Items.push_back(item);
  try {
    job.Save();
  } catch (const std::exception& e) {
    Tell(e.what());
    return false;
  }
  return true;
}

bool TJobFiles::Delete(TJobProfile& job) {
  const QString question = Tr(QT_TRANSLATE_NOOP("stampwell::TJobFiles",
                                                "Delete the job \"%1\" together with its history?"))
                               .arg(Q(job.Settings.Name));
  if (!TUiDialogs::Question(parent_, question)) return false;
  auto& list = ProfileList();
  list.erase(
      std::remove_if(list.begin(), list.end(),
                     [&job](const std::shared_ptr<TJobProfile>& p) { return p.get() == &job; }),
      list.end());
  // The profile file, the log the runs of this name write and the log named after the file
  // (they differ only for a profile whose file was named by hand).
  if (IsPlainFileName(LogFileName(job.Settings.Name)))
    RemoveIfPresent(ProgramDir() + LogFileName(job.Settings.Name));
  job.DeleteFiles();
  return true;
}

bool TJobFiles::Export(const TJobProfile& job) {
  std::optional<QString> chosen = TUiDialogs::SaveFile(
      parent_, Tr(QT_TRANSLATE_NOOP("stampwell::TJobFiles", "Export")), Tr(kTextFilter));
  if (!chosen) return false;
  std::string path = S(*chosen);
  // Default extension: a name typed without one gets ".txt".
  if (ExtractFileExt(path).empty()) path += ".txt";
  CopyFileBlocks(ProgramDir() + job.FileName, path);
  return FileExists(path);
}

std::optional<std::string> TJobFiles::Import() {
  std::optional<QString> chosen = TUiDialogs::OpenFile(
      parent_, Tr(QT_TRANSLATE_NOOP("stampwell::TJobFiles", "Import")), Tr(kTextFilter));
  if (!chosen) return std::nullopt;
  const std::string dir = ProgramDir();
  const std::string source = S(*chosen);
  StagedFile staged(dir + StagingName(source));
  CopyFileBlocks(source, staged.Path());

  try {
    std::string name;
    std::string text;
    if (FileExists(staged.Path())) {
      TIniFile ini(staged.Path());
      name = ini.ReadString("BasicInfo", "Name", "");
      text = ini.ReadString("DocInfo", "DocWaterMarkStr", "");
    }
    if (name.empty() && text.empty()) {
      Tell(QT_TRANSLATE_NOOP("stampwell::TJobFiles",
                             "This text file does not look like an exported job; please check it."));
      return std::nullopt;
    }
    // Asked again until the name is free; a name with a separator would place the profile
    // outside the program directory, and the user is told that, not that it is taken.
    for (;;) {
      if (HoldsSeparator(name))
        Tell(kSeparatorInName);
      else if (FileExists(dir + ProfileFileName(name)))
        Tell(QT_TRANSLATE_NOOP("stampwell::TJobFiles", "A job of this name exists already."));
      else
        break;
      std::optional<QString> answer = TUiDialogs::InputBox(
          parent_, Tr(QT_TRANSLATE_NOOP("stampwell::TJobFiles", "Import Job")),
          Tr(QT_TRANSLATE_NOOP("stampwell::TJobFiles", "Please enter another name:")), Q(name));
      // Cancelling returns the proposed value, so the question comes again.
      name = answer ? S(*answer) : name;
    }
    const std::string fileName = ProfileFileName(name);
    std::filesystem::rename(staged.Path(), dir + fileName);
    staged.Release();
    TIniFile ini(dir + fileName);
    ini.WriteString("BasicInfo", "Name", name);
    return fileName;
  } catch (const std::exception& e) {
    Tell(e.what());
    return std::nullopt;
  }
}

}  // namespace stampwell
