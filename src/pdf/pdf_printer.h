// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace stampwell {

class TRegistry;

// The two printer drivers that write PDF files, compared exactly (case and blanks count).
inline constexpr const char* kDistillerDriver = "AdobePS Acrobat Distiller";
inline constexpr const char* kConverterDriver = "Adobe PDF Converter";

// The key whose subkeys are the installed printers, and the prefix of one printer's key.
inline constexpr const char* kPrintersKey = "\\System\\CurrentControlSet\\Control\\Print\\Printers";
inline constexpr const char* kPrinterKeyPrefix =
    "\\System\\CurrentControlSet\\Control\\Print\\Printers\\";

// A printer that writes PDF files: its name, its driver and the folder the driver writes into.
struct PdfPrinterTarget {
  std::string PrinterName;
  std::string DriverName;
  std::string OutputDir;  // "" when no folder can be worked out for it
};

// True for the two accepted PDF driver names.
bool IsPdfDriver(const std::string& driverName);

// The folder into which printer printerName, driven by driverName, writes its PDF files:
// - the Distiller driver writes onto the desktop (GetSpecialFolderPath(CSIDL_DESKTOP));
// - the Converter driver writes into the folder above the desktop followed by the printer's
//   DsSpooler "location" value (folder above + PathDelim + location).
// nullopt when there is no answer: another driver, or a desktop path without a separator.
std::optional<std::string> PdfOutputDir(const TRegistry& registry, const std::string& printerName,
                                        const std::string& driverName);

// The one place that decides whether printerName is a PDF printer and where it writes:
// reads the printer's "Printer Driver" from its key in registry and, for an accepted
// driver, its output folder (PdfOutputDir). nullopt for an unknown printer or another driver.
// Throws ERegistryException when the printer's values have the wrong type.
std::optional<PdfPrinterTarget> FindPdfPrinter(const TRegistry& registry,
                                               const std::string& printerName);

// PDF prints made on the calling thread go into this folder instead of the PDF printer's own
// output folder; "" (the default) restores the printer's folder. A run with several workers
// gives each worker a folder of its own, so that documents of the same name printed at the
// same time never meet.
void SetThreadPdfOutputDir(const std::string& dir);
const std::string& ThreadPdfOutputDir();

}  // namespace stampwell
