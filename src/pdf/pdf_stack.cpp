// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdf_stack.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "jobs/file_utils.h"
#include "pdf/pdf_printer.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/strings.h"

namespace stampwell {

bool PDFAvailable = false;

namespace {

namespace fs = std::filesystem;

// True when both files can be read and hold the same bytes. This is how a flush learns
// whether the copy reached its destination: the copy routine reports failures to the user
// but returns nothing.
bool SameContent(const std::string& a, const std::string& b) {
  std::error_code ec;
  const auto sizeA = fs::file_size(a, ec);
  if (ec) return false;
  const auto sizeB = fs::file_size(b, ec);
  if (ec || sizeA != sizeB) return false;
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  if (!fa || !fb) return false;
  char bufA[65536], bufB[65536];
  while (fa && fb) {
    fa.read(bufA, sizeof bufA);
    fb.read(bufB, sizeof bufB);
    if (fa.gcount() != fb.gcount()) return false;
    if (!std::equal(bufA, bufA + fa.gcount(), bufB)) return false;
  }
  return fa.eof() && fb.eof();
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

// A name beside path that no file uses yet: "report (1).pdf", "report (2).pdf", ... cut to
// the name limit where needed. "" when none of the first thousand is free (or usable).
std::string FreeNameBeside(const std::string& path) {
  const std::string folder = ExtractFilePath(path);
  const std::string name = ExtractFileName(path);
  const std::string ext = ExtractFileExt(name);
  const std::string stem = name.substr(0, name.size() - ext.size());
  for (int n = 1; n <= 1000; ++n) {
    const std::string suffix = " (" + std::to_string(n) + ")" + ext;
    if (suffix.size() >= kMaxFileNameBytes) return std::string();
    const std::string cut = Utf8CutToBytes(stem, kMaxFileNameBytes - suffix.size());
    const std::string candidate = folder + cut + suffix;
    std::error_code ec;
    if (!fs::exists(candidate, ec) && !ec) return candidate;
  }
  return std::string();
}

}  // namespace

TPDFStack::TPDFStack(std::shared_ptr<const TRegistry> registry)
    : registry_(registry ? std::move(registry) : TRegistry::Machine()) {
  PDFUsable = CheckPDFPrinter();
}

TPDFStack::~TPDFStack() = default;

bool TPDFStack::CheckPDFPrinter() {
  GetPrinterList();
  PDFFound = false;
  PDFPrinterName.clear();
  // Every printer is looked at: when several qualify, the one listed last wins.
  for (std::size_t i = 0; i < DriverNames.size(); ++i) {
    if (IsPdfDriver(DriverNames[i])) {
      PDFDriverName = DriverNames[i];
      PDFPrinterName = PrinterNames[i];
      PDFFound = true;
    }
  }
  if (PDFFound && !PDFPrinterName.empty()) PDFParaOK = CheckPDFPara();
  if (PDFParaOK && PDFFound) GetPDFOutputDir();
  return PDFParaOK && PDFFound;
}

bool TPDFStack::CheckPDFPara() {
  const std::string key = kPrinterKeyPrefix + PDFPrinterName + "\\PrinterDriverData";
  // Read in this order, each with no fallback: the first bad value ends the check.
  const auto view = registry_->ReadInteger(key, "ViewPrintOutput");
  const auto ask = registry_->ReadInteger(key, "AskToReplacePDF");
  const auto prompt = registry_->ReadInteger(key, "PromptForFileName");
  return view == 0 && ask == 0 && prompt == 0;
}

void TPDFStack::GetPrinterList() {
  const auto names = registry_->GetKeyNames(kPrintersKey);
  if (!names) return;
  for (const auto& subkey : *names) {
    const std::string key = std::string(kPrintersKey) + "\\" + subkey;
    PrinterNames.push_back(registry_->ReadString(key, "Name"));
    DriverNames.push_back(registry_->ReadString(key, "Printer Driver"));
  }
}

void TPDFStack::GetPDFOutputDir() {
  if (auto dir = PdfOutputDir(*registry_, PDFPrinterName, PDFDriverName)) PDFOutputDir = *dir;
}

void TPDFStack::InitStack() {
  PDFFileNames.clear();
  PDFDestFiles.clear();
  itemStates_.clear();
  itemSources_.clear();
  errors_.clear();
}

void TPDFStack::AddPDFPrintItem(const std::string& PDFFileName, const std::string& DestFile,
                                const std::string& Source) {
  // An earlier item still waiting for the same file name can no longer be told apart from
  // this print, which has just written (or will write) that name: the file in the output
  // folder belongs to this item, never to the earlier one.
  for (std::size_t i = 0; i < PDFFileNames.size(); ++i)
    if (itemStates_[i] == ItemState::Waiting && PDFFileNames[i] == PDFFileName)
      itemStates_[i] = ItemState::Dropped;
  ClearPreItems();
  PDFFileNames.push_back(PDFFileName);
  PDFDestFiles.push_back(DestFile);
  itemSources_.push_back(Source.empty() ? DestFile : Source);
  itemStates_.push_back(ItemState::Waiting);
  HasPrintItems = true;
}

void TPDFStack::ClearPreItems() {
  for (std::size_t i = 0; i < PDFFileNames.size(); ++i) FlushItem(i);
}

void TPDFStack::ClearStack() {
  PDFFileNames.clear();
  PDFDestFiles.clear();
  itemStates_.clear();
  itemSources_.clear();
}

std::vector<TPDFStack::FlushError> TPDFStack::TakeErrors() {
  std::vector<FlushError> taken;
  taken.swap(errors_);
  return taken;
}

bool TPDFStack::Awaits(const std::string& PDFFileName) const {
  for (std::size_t i = 0; i < PDFFileNames.size(); ++i)
    if (itemStates_[i] == ItemState::Waiting && PDFFileNames[i] == PDFFileName) return true;
  return false;
}

bool TPDFStack::PrepareForPrint(const std::string& PDFFileName) {
  ClearPreItems();
  bool clean = true;
  for (std::size_t i = 0; i < PDFFileNames.size(); ++i) {
    if (PDFFileNames[i] != PDFFileName) continue;
    if (itemStates_[i] == ItemState::Waiting) {
      itemStates_[i] = ItemState::Dropped;
      clean = false;
    } else if (itemStates_[i] == ItemState::CopyFailed) {
      // The only copy of that PDF: keep it from being overwritten by the coming print.
      const std::string path = OutputPathOf(PDFFileName);
      if (!path.empty() && FileExists(path)) {
        const std::string aside = FreeNameBeside(path);
        std::error_code ec;
        if (!aside.empty()) fs::rename(path, aside, ec);
        if (aside.empty() || ec)
          throw std::runtime_error("cannot print to " + path +
                                   ": the earlier PDF of that name could not be moved aside");
      }
    }
  }
  return clean;
}

std::string TPDFStack::OutputPath(const std::string& fileName) const {
  return OutputPathOf(fileName);
}

std::string TPDFStack::OutputPathOf(const std::string& fileName) const {
  // Without an output folder there is nowhere to look (the path would name the root folder).
  if (PDFOutputDir.empty()) return std::string();
  return PDFOutputDir + PathDelim + fileName;
}

void TPDFStack::FlushItem(std::size_t i) {
  if (itemStates_[i] != ItemState::Waiting) return;
  const std::string path = OutputPathOf(PDFFileNames[i]);
  const std::string& dest = PDFDestFiles[i];
  if (path.empty() || dest.empty() || !FileExists(path)) return;
  if (SameFile(path, dest)) {
    // The destination is the output file itself: it is already where it belongs, and a copy
    // followed by a delete would destroy it.
    itemStates_[i] = ItemState::Moved;
    return;
  }
  std::string error;
  const bool copied = CopyFileChecked(path, dest, &error);
  if (copied && SameContent(path, dest)) {
    std::error_code ec;
    fs::remove(path, ec);
    itemStates_[i] = ItemState::Moved;
  } else {
    // The output-folder file is the only copy of this PDF and stays where it is.
    itemStates_[i] = ItemState::CopyFailed;
    if (error.empty()) error = "cannot write " + dest + ": the copy differs from the PDF";
    errors_.push_back({itemSources_[i], error});
  }
}

}  // namespace stampwell
