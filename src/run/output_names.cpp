// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/output_names.h"

#include "platform/paths.h"
#include "platform/strings.h"

namespace stampwell {
namespace {

// The extension of source without its dot, as a name tag ("xls"); "file" without one.
std::string ExtensionTag(const std::string& source) {
  const std::string ext = ExtractFileExt(source);
  return ext.size() > 1 ? LowerCase(ext.substr(1)) : std::string("file");
}

}  // namespace

std::string TOutputNames::Claim(const std::string& path, const std::string& tag) {
  if (claimed_.insert(path).second) return path;
  const std::string ext = ExtractFileExt(path);
  const std::string stem = path.substr(0, path.size() - ext.size());
  for (int n = 1;; ++n) {
    const std::string mark = n == 1 ? tag : tag + " " + std::to_string(n);
    const std::string candidate = stem + " (" + mark + ")" + ext;
    if (claimed_.insert(candidate).second) return candidate;
  }
}

std::vector<RPlannedFile> PlanFolderFiles(const std::vector<RFileKind>& kinds,
                                          const RJobSettings& settings,
                                          const std::string& sourceFolder,
                                          const std::string& destFolder,
                                          const std::vector<std::string>& names,
                                          TOutputNames& outputs) {
  std::vector<RPlannedFile> files;
  files.reserve(names.size());
  // The copies and the saved documents first: they bear their sources' names.
  for (const std::string& name : names) {
    RPlannedFile file;
    file.source = sourceFolder + PathDelim + name;
    file.dest = destFolder + PathDelim + name;
    const bool document = KindOf(kinds, file.source, settings) != nullptr;
    const bool written = document ? !settings.PDF : settings.OtherFiles;
    if (written) file.dest = outputs.Claim(file.dest, "2");
    files.push_back(std::move(file));
  }
  // Then the PDFs, in the walk's order.
  for (RPlannedFile& file : files) {
    if (!settings.PDF || !KindOf(kinds, file.source, settings)) continue;
    const std::string plain = ChangeFileExt(file.dest, ".pdf");
    file.pdf = outputs.Claim(plain, ExtensionTag(file.source));
    if (file.pdf != plain) file.plainPdf = plain;
  }
  return files;
}

RPlannedFile PlanSingleFile(const std::vector<RFileKind>& kinds, const RJobSettings& settings,
                            const std::string& source, const std::string& dest,
                            TOutputNames& outputs) {
  RPlannedFile file;
  file.source = source;
  const bool document = KindOf(kinds, source, settings) != nullptr;
  if (document && settings.PDF) {
    file.dest = dest;
    const std::string plain = ChangeFileExt(dest, ".pdf");
    file.pdf = outputs.Claim(plain, ExtensionTag(source));
    if (file.pdf != plain) file.plainPdf = plain;
  } else {
    // A file stamped in place is the source itself: no other output can have its name.
    file.dest = dest == source ? dest : outputs.Claim(dest, "2");
  }
  return file;
}

}  // namespace stampwell
