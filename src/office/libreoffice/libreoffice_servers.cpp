// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/libreoffice_servers.h"

#include <atomic>

#include "office/automation/automation.h"
#include "office/libreoffice/excel_server.h"
#include "office/libreoffice/office_process.h"
#include "office/libreoffice/powerpoint_server.h"
#include "office/libreoffice/word_server.h"

namespace stampwell {

namespace {
std::atomic<bool> hasDisplay{false};
std::atomic<long long> callLimitMs{120000};
std::atomic<int> restartLimit{kOfficeRestartLimit};
std::atomic<bool> excelWithoutView{true};
}  // namespace

void SetOfficeHasDisplay(bool value) { hasDisplay = value; }
void EndAllOfficeProcesses() { TOfficeProcess::EndAll(); }
bool OfficeHasDisplay() { return hasDisplay; }

void SetOfficeCallLimit(std::chrono::milliseconds limit) { callLimitMs = limit.count(); }
std::chrono::milliseconds OfficeCallLimit() {
  return std::chrono::milliseconds(callLimitMs.load());
}

void SetOfficeRestartLimit(int documents) { restartLimit = documents < 0 ? 0 : documents; }
int OfficeRestartLimit() { return restartLimit; }

void SetExcelLoadsWithoutView(bool withoutView) { excelWithoutView = withoutView; }
bool ExcelLoadsWithoutView() { return excelWithoutView; }

void RegisterLibreOfficeServers() {
  RegisterOleServer("Word.Application", [] { return CreateWordApplication(); });
  RegisterOleServer("Excel.Application", [] { return CreateExcelApplication(); });
  RegisterOleServer("PowerPoint.Application", [] { return CreatePowerPointApplication(); });
}

}  // namespace stampwell
