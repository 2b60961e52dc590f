// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdf_printer.h"

#include "jobs/file_utils.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace stampwell {
namespace {
thread_local std::string t_pdfOutputDir;
}  // namespace

void SetThreadPdfOutputDir(const std::string& dir) { t_pdfOutputDir = dir; }
const std::string& ThreadPdfOutputDir() { return t_pdfOutputDir; }

bool IsPdfDriver(const std::string& driverName) {
  return driverName == kDistillerDriver || driverName == kConverterDriver;
}

std::optional<std::string> PdfOutputDir(const TRegistry& registry, const std::string& printerName,
                                        const std::string& driverName) {
  if (driverName == kDistillerDriver) return GetSpecialFolderPath(CSIDL_DESKTOP);
  if (driverName != kConverterDriver) return std::nullopt;
  const std::string location =
      registry.ReadString(kPrinterKeyPrefix + printerName + "\\DsSpooler", "location");
  const std::string desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
  const std::size_t cut = desktop.rfind(PathDelim);
  if (cut == std::string::npos || cut == 0) return std::nullopt;
  return desktop.substr(0, cut) + PathDelim + location;
}

std::optional<PdfPrinterTarget> FindPdfPrinter(const TRegistry& registry,
                                               const std::string& printerName) {
  const std::string key = kPrinterKeyPrefix + printerName;
  if (printerName.empty() || !registry.KeyExists(key)) return std::nullopt;
  PdfPrinterTarget target;
  target.PrinterName = printerName;
  target.DriverName = registry.ReadString(key, "Printer Driver");
  if (!IsPdfDriver(target.DriverName)) return std::nullopt;
  target.OutputDir = PdfOutputDir(registry, printerName, target.DriverName).value_or("");
  return target;
}

}  // namespace stampwell
