// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "jobs/job_settings.h"
#include "office/doc_water_mark.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"

namespace stampwell::test {

// One engine of each kind, used the way the job runner uses them for one file.
struct TStampEngines {
  TDocWaterMark word;
  TXlsWaterMark excel;
  TPptWaterMark powerpoint;

  // The engines print on stack's PDF printer.
  void SetPdfStack(TPDFStack* stack);
  // Opens source (kind "doc", "xls" or "ppt"), stamps it with settings and saves it as target,
  // or prints it when target is empty; closes it without saving. False when it cannot be
  // opened; the engines' errors pass through after the file has been closed.
  bool Stamp(const std::string& kind, const std::string& source, const RDocSettings& settings,
             const std::string& target);
  // Quits the applications that were started.
  void Quit();
};

}  // namespace stampwell::test
