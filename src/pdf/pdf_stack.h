// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace stampwell {

class TRegistry;

// Program-wide: true when the PDF printer found at start-up is usable. Set once by the main
// window from its own TPDFStack; read by the pages that offer PDF output.
extern bool PDFAvailable;

// The printer side of PDF output: finds the PDF printer in the registry, checks that its
// driver writes files without asking, knows the folder the driver writes into, and keeps the
// list of expected PDF files that it moves from that folder to their destinations.
//
// A job's instance is used from one thread only; nothing here is locked.
class TPDFStack {
 public:
  // Runs printer detection (CheckPDFPrinter) on registry, or on the machine's registry view
  // when none is given. Registry errors while reading the driver settings
  // (ERegistryException) leave the constructor: no object is made.
  explicit TPDFStack(std::shared_ptr<const TRegistry> registry = nullptr);
  ~TPDFStack();
  TPDFStack(const TPDFStack&) = delete;
  TPDFStack& operator=(const TPDFStack&) = delete;

  // Finds the PDF printer, checks its settings and finds its output folder.
  // Returns PDFFound && PDFParaOK.
  bool CheckPDFPrinter();
  // True exactly when ViewPrintOutput, AskToReplacePDF and PromptForFileName of the chosen
  // printer are all 0. Throws ERegistryException for a missing or non-DWORD value.
  bool CheckPDFPara();
  // Appends the "Name" and "Printer Driver" of every installed printer, in enumeration order.
  void GetPrinterList();
  // Sets PDFOutputDir from PDFDriverName (left unchanged when no folder can be worked out).
  void GetPDFOutputDir();

  // Starts an empty list of pending items.
  void InitStack();
  // Flushes (ClearPreItems), then appends the pair and sets HasPrintItems.
  // PDFFileName is the bare file name the driver writes; DestFile is the full destination.
  // An earlier item still waiting for the same file name is dropped before the flush: the
  // file of that name now belongs to this print, so it can never reach the earlier item's
  // destination. (PrepareForPrint, called before the print, saves the earlier PDF.)
  // Source names the printed document in error reports (DestFile when not given).
  void AddPDFPrintItem(const std::string& PDFFileName, const std::string& DestFile,
                       const std::string& Source = "");
  // Moves every pending file that has appeared in the output folder to its destination.
  // An item is moved at most once; a file whose copy fails stays in the output folder, its
  // item is not tried again, and the failure is kept for TakeErrors (nothing is shown).
  void ClearPreItems();
  // A PDF that could not be moved to its destination: the printed document (the Source given
  // to AddPDFPrintItem) and what went wrong, in the user's words.
  struct FlushError {
    std::string Source;
    std::string Message;
  };
  // The failures of the flushes since the last call, oldest first.
  std::vector<FlushError> TakeErrors();
  // True while an item waits for a file of that name to appear in the output folder.
  bool Awaits(const std::string& PDFFileName) const;
  // Where the output folder holds a file of that name; "" without an output folder.
  std::string OutputPath(const std::string& fileName) const;
  // Ends the list of pending items. Files not moved by then stay in the output folder.
  void ClearStack();

  // Call before printing a document whose PDF the driver will write as PDFFileName.
  // Flushes the pending items first, so that a PDF already written under that name reaches
  // its own destination before the new print overwrites it. If an earlier item still waits
  // for a file of that name afterwards, that item is dropped (it can no longer be told apart
  // from the new print), and a file left behind under that name by a failed copy is renamed
  // aside in the output folder so that the new print cannot overwrite it; when that cannot be
  // done (no free name, a failed rename) std::runtime_error says so and nothing is printed
  // over it. Returns true when no earlier item had to be dropped.
  bool PrepareForPrint(const std::string& PDFFileName);

  // The registry view this object reads.
  const TRegistry& Registry() const { return *registry_; }

  std::vector<std::string> PrinterNames;
  std::vector<std::string> DriverNames;
  std::vector<std::string> PDFFileNames;
  std::vector<std::string> PDFDestFiles;
  bool PDFFound = false;
  bool PDFParaOK = false;
  bool PDFUsable = false;
  bool HasPrintItems = false;
  std::string PDFPrinterName;
  std::string PDFDriverName;
  std::string PDFOutputDir;

 private:
  // What became of each pending item, parallel to PDFFileNames.
  enum class ItemState { Waiting, Moved, CopyFailed, Dropped };

  std::string OutputPathOf(const std::string& fileName) const;
  void FlushItem(std::size_t i);

  std::shared_ptr<const TRegistry> registry_;
  std::vector<ItemState> itemStates_;
  std::vector<std::string> itemSources_;
  std::vector<FlushError> errors_;
};

}  // namespace stampwell
