#include "run/file_kinds.h"

#include <algorithm>

#include "jobs/file_utils.h"
#include "office/office_file_engines.h"
#include "platform/paths.h"
#include "platform/strings.h"

namespace stampwell {

bool RFileKind::Takes(const std::string& source, const RJobSettings& settings) const {
  if (enabledBy && !(settings.*enabledBy)) return false;
  if (!Stamps(settings) && !settings.PDF) return false;
  const std::string ext = LowerCase(ExtractFileExt(source));
  auto in = [&](const std::vector<std::string>& list) {
    return std::find(list.begin(), list.end(), ext) != list.end();
  };
  return in(extensions) || (settings.ModernFormats && in(modernExtensions));
}

const std::vector<RFileKind>& StandardFileKinds() {
  static const std::vector<RFileKind> kinds = [] {
    using K = RFileKind;
    std::vector<RFileKind> list;

    K word;
    word.name = "Word";
    word.extensions = {".doc"};
    word.modernExtensions = {".docx", ".docm", ".odt"};
    word.stampSwitch = &RJobSettings::Doc;
    word.printTag = "Doc";
    word.openFailure = K::OpenFailure::LogFixedText;
    word.openFailureText = "Error in Open world file:";
    word.stampOrder = K::StepOrder::ShowWorkCount;
    word.printOrder = K::StepOrder::ShowWorkCount;
    word.makeEngine = [](TPDFStack& pdf) { return std::make_unique<TWordFileEngine>(&pdf); };
    list.push_back(std::move(word));

    K excel;
    excel.name = "Excel";
    excel.extensions = {".xls"};
    excel.modernExtensions = {".xlsx", ".xlsm", ".ods"};
    excel.stampSwitch = &RJobSettings::Xls;
    excel.printTag = "Xls";
    excel.openFailure = K::OpenFailure::Log;
    excel.stampOrder = K::StepOrder::WorkCount;
    excel.printOrder = K::StepOrder::WorkCount;
    excel.makeEngine = [](TPDFStack& pdf) { return std::make_unique<TExcelFileEngine>(&pdf); };
    list.push_back(std::move(excel));

    K ppt;
    ppt.name = "PowerPoint";
    ppt.extensions = {".ppt"};
    ppt.modernExtensions = {".pptx", ".pptm", ".odp"};
    ppt.stampSwitch = &RJobSettings::Ppt;
    ppt.printTag = "Ppt";
    ppt.openFailure = K::OpenFailure::Log;
    ppt.stampOrder = K::StepOrder::CountShowWork;
    ppt.printOrder = K::StepOrder::CountShowWork;
    ppt.makeEngine = [](TPDFStack& pdf) { return std::make_unique<TPptFileEngine>(&pdf); };
    list.push_back(std::move(ppt));
    return list;
  }();
  return kinds;
}

const RFileKind* KindOf(const std::vector<RFileKind>& kinds, const std::string& source,
                        const RJobSettings& settings) {
  for (const RFileKind& kind : kinds)
    if (kind.Takes(source, settings)) return &kind;
  return nullptr;
}

}  // namespace stampwell
