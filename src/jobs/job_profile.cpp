// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/job_profile.h"

#include <unistd.h>
#include <string>

#include "jobs/color_encoding.h"
#include "jobs/file_utils.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/strings.h"

namespace stampwell {
namespace {

const std::string kBasicInfo = "BasicInfo";
const std::string kDocInfo = "DocInfo";
constexpr TColor kDefaultColor = 0x808080;  // clGray

// The profile's INI file; throws the write error at once for a name that would leave the
// program directory (reading callers check IsPlainFileName before they get here).
TIniFile IniFor(const TJobProfile& profile) {
  if (!IsPlainFileName(profile.FileName))
    throw EIniFileException("Unable to write to " + profile.FilePath());
  return TIniFile(profile.FilePath());
}

// Erases every section but the two fixed ones. They are compared without case: EraseSection
// finds sections without case, so erasing a "BASICINFO" spelling would erase the settings
// that Save has just written into it.
void EraseItemSectionsOf(TIniFile& ini) {
  for (const std::string& section : ini.ReadSections())
    if (!SameText(section, kBasicInfo) && !SameText(section, kDocInfo)) ini.EraseSection(section);
}

// The item sections "0", "1", ... in place of the old ones.
void WriteItems(TIniFile& ini, const std::vector<RJobItem>& items) {
  EraseItemSectionsOf(ini);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const RJobItem& item = items[i];
    const std::string section = std::to_string(i);
    ini.WriteInteger(section, "Type", item.Type);
    ini.WriteString(section, "Source", item.Source);
    ini.WriteString(section, "Dest", item.Dest);
    ini.WriteString(section, "Comments", item.Comments);
  }
}

}  // namespace

TJobProfile::TJobProfile() {
  DocSettings.Transparent = true;
  DocSettings.HX = true;
}

TJobProfile::TJobProfile(const std::string& fileName) : TJobProfile() {
  FileName = fileName;
  Load();
}

std::string TJobProfile::FilePath() const { return ProgramDir() + FileName; }

bool TJobProfile::Exists() const { return IsPlainFileName(FileName) && FileExists(FilePath()); }

void TJobProfile::Load() {
  // A name outside the program directory reads like a missing file: all defaults.
  TIniFile ini(IsPlainFileName(FileName) ? FilePath() : std::string());
  Settings.Name = ini.ReadString(kBasicInfo, "Name", "");
  Settings.AutoRun = ini.ReadBool(kBasicInfo, "AutoRun", false);
  Settings.Doc = ini.ReadBool(kBasicInfo, "Doc", true);
  Settings.Xls = ini.ReadBool(kBasicInfo, "Xls", false);
  Settings.Ppt = ini.ReadBool(kBasicInfo, "Ppt", false);
  Settings.PDF = ini.ReadBool(kBasicInfo, "PDF", false);
  Settings.OtherFiles = ini.ReadBool(kBasicInfo, "OtherFiles", true);
  Settings.EveryMinutes = ini.ReadInteger(kBasicInfo, "EveryMinutes", 100);
  Settings.Workers = ini.ReadInteger(kBasicInfo, "Workers", 1);
  Settings.ModernFormats = ini.ReadBool(kBasicInfo, "ModernFormats", false);
  Settings.Overwrite = ini.ReadBool(kBasicInfo, "Overwrite", false);
  Settings.PdfFiles = ini.ReadBool(kBasicInfo, "PdfFiles", false);
  Settings.ActiveSheetOnly = ini.ReadBool(kBasicInfo, "ActiveSheetOnly", false);
  Settings.Verify = ini.ReadBool(kBasicInfo, "Verify", false);
  MaxFolder = ini.ReadInteger(kDocInfo, "MaxFolder", 0);
  DocSettings.DocWaterMarkStr = ini.ReadString(kDocInfo, "DocWaterMarkStr", "Confidential");
  DocSettings.DocFontName = ini.ReadString(kDocInfo, "DocFontName", "Arial");
  DocSettings.DocWatermarkSize = ini.ReadString(kDocInfo, "DocWatermarkSize", "60");
  DocSettings.DocWatermarkColor =
      StringToColor(ini.ReadString(kDocInfo, "DocWatermarkColor", ColorToString(kDefaultColor)));
  DocSettings.Transparent = ini.ReadBool(kDocInfo, "Transparent", true);
  DocSettings.HX = ini.ReadBool(kDocInfo, "HX", true);
  LoadItems();
}

void TJobProfile::LoadItems() {
  ClearItems();
  Items = ReadItems();
}

std::vector<RJobItem> TJobProfile::ReadItems() const {
  std::vector<RJobItem> items;
  if (!IsPlainFileName(FileName)) return items;
  TIniFile ini(FilePath());
  for (const std::string& section : ini.ReadSections()) {
    if (SameText(section, kBasicInfo) || SameText(section, kDocInfo)) continue;
    RJobItem item;
    const std::int32_t type = ini.ReadInteger(section, "Type", 1);
    item.Source = ini.ReadString(section, "Source", "");
    item.Dest = ini.ReadString(section, "Dest", "");
    item.Comments = ini.ReadString(section, "Comments", "");
    if (item.Source.empty() || item.Dest.empty()) continue;
    item.Type = static_cast<std::uint8_t>(type & 0xFF);
    items.push_back(std::move(item));
  }
  return items;
}

void TJobProfile::Save() {
  if (FileName.empty()) return;
  TIniFile ini = IniFor(*this);
  // One batch: the file is replaced once, with the whole profile, or not at all.
  ini.BeginUpdate();
  ini.WriteString(kBasicInfo, "Name", Settings.Name);
  ini.WriteBool(kBasicInfo, "AutoRun", Settings.AutoRun);
  ini.WriteBool(kBasicInfo, "Doc", Settings.Doc);
  ini.WriteBool(kBasicInfo, "Xls", Settings.Xls);
  ini.WriteBool(kBasicInfo, "Ppt", Settings.Ppt);
  ini.WriteBool(kBasicInfo, "PDF", Settings.PDF);
  ini.WriteBool(kBasicInfo, "OtherFiles", Settings.OtherFiles);
  ini.WriteInteger(kBasicInfo, "EveryMinutes", Settings.EveryMinutes);
  // Written only when a job asks for more than the one worker a profile means without it;
  // an existing key is left as it is.
  if (Settings.Workers != 1 || ini.ValueExists(kBasicInfo, "Workers"))
    ini.WriteInteger(kBasicInfo, "Workers", Settings.Workers);
  // Last of their section, where a profile written before the switches existed gets them
  // appended.
  ini.WriteBool(kBasicInfo, "ModernFormats", Settings.ModernFormats);
  // Written once set, so that a profile of a job that never replaced stays as it was.
  if (Settings.Overwrite || ini.ValueExists(kBasicInfo, "Overwrite"))
    ini.WriteBool(kBasicInfo, "Overwrite", Settings.Overwrite);
  ini.WriteBool(kBasicInfo, "PdfFiles", Settings.PdfFiles);
  // Written only when on, or when the profile has the key already: profiles that never
  // asked stay as they were.
  if (Settings.ActiveSheetOnly || ini.ValueExists(kBasicInfo, "ActiveSheetOnly"))
    ini.WriteBool(kBasicInfo, "ActiveSheetOnly", Settings.ActiveSheetOnly);
  if (Settings.Verify || ini.ValueExists(kBasicInfo, "Verify"))
    ini.WriteBool(kBasicInfo, "Verify", Settings.Verify);
  ini.WriteInteger(kDocInfo, "MaxFolder", MaxFolder);
  ini.WriteString(kDocInfo, "DocWaterMarkStr", DocSettings.DocWaterMarkStr);
  ini.WriteString(kDocInfo, "DocFontName", DocSettings.DocFontName);
  ini.WriteString(kDocInfo, "DocWatermarkSize", DocSettings.DocWatermarkSize);
  ini.WriteString(kDocInfo, "DocWatermarkColor", ColorToString(DocSettings.DocWatermarkColor));
  ini.WriteBool(kDocInfo, "Transparent", DocSettings.Transparent);
  ini.WriteBool(kDocInfo, "HX", DocSettings.HX);
  WriteItems(ini, Items);
  ini.EndUpdate();
}

void TJobProfile::SaveItems() {
  TIniFile ini = IniFor(*this);
  ini.BeginUpdate();
  WriteItems(ini, Items);
  ini.EndUpdate();
}

void TJobProfile::EraseItemSections() {
  TIniFile ini = IniFor(*this);
  ini.BeginUpdate();
  EraseItemSectionsOf(ini);
  ini.EndUpdate();
}

void TJobProfile::ClearItems() {
  while (!Items.empty()) Items.pop_back();
}

void TJobProfile::DeleteFiles() {
  if (!IsPlainFileName(FileName)) return;
  ::unlink(FilePath().c_str());
  std::string logName = ChangeFileExt(FileName, ".log");
  if (IsPlainFileName(logName)) ::unlink((ProgramDir() + logName).c_str());
}

}  // namespace stampwell
