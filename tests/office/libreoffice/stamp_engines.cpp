// SPDX-License-Identifier: GPL-3.0-or-later
#include "stamp_engines.h"

namespace stampwell::test {

void TStampEngines::SetPdfStack(TPDFStack* stack) {
  word.PDFStack = excel.PDFStack = powerpoint.PDFStack = stack;
}

namespace {

template <class Engine, class Open, class Close>
bool StampWith(Engine& engine, Open open, Close close, const std::string& source,
               const RDocSettings& settings, const std::string& target) {
  if (!(engine.*open)(source)) return false;
  try {
    engine.DocSettings = settings;
    engine.AddWaterMark();
    if (target.empty())
      engine.PrintToPDFFile("");
    else
      engine.SaveAs(target);
  } catch (...) {
    try {
      (engine.*close)(false);
    } catch (...) {
    }
    throw;
  }
  (engine.*close)(false);
  return true;
}

}  // namespace

bool TStampEngines::Stamp(const std::string& kind, const std::string& source,
                          const RDocSettings& settings, const std::string& target) {
  if (kind == "doc")
    return StampWith(word, &TDocWaterMark::OpenDoc, &TDocWaterMark::closeDoc, source, settings,
                     target);
  if (kind == "xls")
    return StampWith(excel, &TXlsWaterMark::OpenXls, &TXlsWaterMark::closeXls, source, settings,
                     target);
  return StampWith(powerpoint, &TPptWaterMark::OpenPpt, &TPptWaterMark::closePpt, source,
                   settings, target);
}

void TStampEngines::Quit() {
  if (word.AppStarted()) word.CloseWordApp();
  if (excel.AppStarted()) excel.CloseExcelApp();
  if (powerpoint.AppStarted()) powerpoint.ClosePptApp();
}

}  // namespace stampwell::test
