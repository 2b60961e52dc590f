// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/file_kinds.h"

#include <algorithm>

#include "jobs/file_utils.h"
#include "office/legacy/source_keeping_engine.h"
#include "office/office_file_engines.h"
#include "office/ooxml/ooxml_water_mark.h"
#include "pdf/stamp/pdf_water_mark.h"
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
    std::vector<RFileKind> list = PackageFileKinds();
    const auto& office = OfficeFileKinds();
    list.insert(list.end(), office.begin(), office.end());
    const auto& pdf = PdfFileKinds();
    list.insert(list.end(), pdf.begin(), pdf.end());
    return list;
  }();
  return kinds;
}

const std::vector<RFileKind>& PackageFileKinds() {
  static const std::vector<RFileKind> kinds = [] {
    using K = RFileKind;
    std::vector<RFileKind> list;
    // Each stamped in its own package; its PDF printed from the saved stamped package by the
    // office engine of its application. Every open that fails is logged with its reason.
    auto package = [&](const char* name, std::vector<std::string> extensions,
                       bool RJobSettings::*stampSwitch, const char* printTag, const char* printWith,
                       const RFileKind& like) {
      K kind;
      kind.name = name;
      kind.modernExtensions = std::move(extensions);
      kind.stampSwitch = stampSwitch;
      kind.enabledBy = &RJobSettings::ModernFormats;
      kind.printTag = printTag;
      kind.openFailure = K::OpenFailure::Log;
      kind.stampOrder = like.stampOrder;
      kind.printOrder = like.printOrder;
      kind.pdfBy = K::PdfBy::KindEngine;
      kind.printWith = printWith;
      kind.makeEngine = [](TPDFStack&) { return std::make_unique<TOoxmlWaterMark>(); };
      list.push_back(std::move(kind));
    };
    const auto& office = OfficeFileKinds();
    package("Word package", {".docx", ".docm"}, &RJobSettings::Doc, "Doc", "Word", office[0]);
    package("Excel package", {".xlsx", ".xlsm"}, &RJobSettings::Xls, "Xls", "Excel", office[1]);
    package("PowerPoint package", {".pptx", ".pptm"}, &RJobSettings::Ppt, "Ppt", "PowerPoint",
            office[2]);
    return list;
  }();
  return kinds;
}

const std::vector<RFileKind>& OfficeFileKinds() {
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
    // As for PowerPoint below: the saved copy gives way to the source with its marks.
    excel.makeEngine = [](TPDFStack& pdf) {
      return legacy::MakeSourceKeepingXlsEngine(std::make_unique<TExcelFileEngine>(&pdf));
    };
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
    // LibreOffice stamps, prints and saves; the saved copy then gives way to the source with
    // the copy's marks spliced in, so that nothing else passes through the binary export.
    ppt.makeEngine = [](TPDFStack& pdf) {
      return legacy::MakeSourceKeepingPptEngine(std::make_unique<TPptFileEngine>(&pdf));
    };
    list.push_back(std::move(ppt));
    return list;
  }();
  return kinds;
}

const std::vector<RFileKind>& PdfFileKinds() {
  static const std::vector<RFileKind> kinds = [] {
    using K = RFileKind;
    std::vector<RFileKind> list;
    K pdf;
    pdf.name = "PDF";
    pdf.extensions = {".pdf"};
    pdf.stampSwitch = &RJobSettings::PdfFiles;
    pdf.enabledBy = &RJobSettings::PdfFiles;
    pdf.printTag = "PDF";
    pdf.openFailure = K::OpenFailure::Log;
    pdf.stampOrder = K::StepOrder::ShowWorkCount;
    pdf.printOrder = K::StepOrder::ShowWorkCount;
    pdf.pdfBy = K::PdfBy::Engine;
    pdf.makeEngine = [](TPDFStack&) { return std::make_unique<TPdfWaterMark>(); };
    list.push_back(std::move(pdf));
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
