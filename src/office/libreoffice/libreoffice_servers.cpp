// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/libreoffice_servers.h"

#include <atomic>
#include <mutex>

#include "office/automation/automation.h"
#include "office/libreoffice/excel_server.h"
#include "office/libreoffice/office_process.h"
#include "office/libreoffice/powerpoint_server.h"
#include "office/libreoffice/word_server.h"
#include "platform/paths.h"

namespace stampwell {

namespace {
std::atomic<bool> hasDisplay{false};
std::atomic<long long> callLimitMs{120000};
std::atomic<int> restartLimit{kOfficeRestartLimit};
std::atomic<bool> excelWithoutView{true};
std::atomic<bool> stampsInOffice{true};
std::atomic<long long> stampsMadeInOffice{0};
std::mutex componentsMutex;
std::string componentsFile;  // "" for the search from the executable's folder
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

void SetStampsInOffice(bool inOffice) { stampsInOffice = inOffice; }
bool StampsInOffice() { return stampsInOffice; }
long long StampsMadeInOffice() { return stampsMadeInOffice; }
void CountStampMadeInOffice() { ++stampsMadeInOffice; }

void SetInOfficeComponentsFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(componentsMutex);
  componentsFile = path;
}

std::string InOfficeComponentsFile() {
  {
    std::lock_guard<std::mutex> lock(componentsMutex);
    if (!componentsFile.empty()) return FileExists(componentsFile) ? componentsFile : "";
  }
  return FindInOfficeComponents(ExecutableDir());
}

std::string FindInOfficeComponents(const std::string& exeDir) {
  for (const std::string& folder : {exeDir, exeDir + STAMPWELL_COMPONENT_FROM_BIN + "/"})
    if (FileExists(folder + kInOfficeComponentsName)) return folder + kInOfficeComponentsName;
  return "";
}

void RegisterLibreOfficeServers() {
  RegisterOleServer("Word.Application", [] { return CreateWordApplication(); });
  RegisterOleServer("Excel.Application", [] { return CreateExcelApplication(); });
  RegisterOleServer("PowerPoint.Application", [] { return CreatePowerPointApplication(); });
}

}  // namespace stampwell
