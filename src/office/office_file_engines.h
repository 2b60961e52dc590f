// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "office/doc_water_mark.h"
#include "office/file_engine.h"
#include "office/ppt_water_mark.h"
#include "office/xls_water_mark.h"

namespace stampwell {

class TPDFStack;

// The Word, Excel and PowerPoint engines behind the run's per-file pipeline (TFileEngine).
// Each adapter owns its engine and prints through the PDF printer of the stack it is given.
//
// Saving in place (dest is the open file) stores the document once: Word saves the open
// document (closeDoc(true)), Excel and PowerPoint save it under its own name and close it
// unsaved; once saved the document counts as closed, so the Close that follows does nothing
// (after a save that failed it closes the document unsaved).
//
// OpenError tells an open that failed because the office ended (twice: the servers try a new
// office once) from a file the office cannot open.
//
// Unlike the contract's plain engines, these let an error of the office out of Close and Quit:
// the runner logs or passes over what they throw, where an office that would not close or
// quit deserves a line.
template <typename Engine>
class TOfficeFileEngine : public TFileEngine {
 public:
  explicit TOfficeFileEngine(TPDFStack* pdfStack) { engine_.PDFStack = pdfStack; }

  bool Open(const std::string& source) override;
  std::string OpenError() const override {
    return engine_.OfficeEndedOnOpen
               ? "the office ended while opening the file, also when the file was tried again "
                 "with a new office"
               : "the file cannot be opened";
  }
  void AddWaterMark(const RDocSettings& settings) override {
    engine_.DocSettings = settings;
    engine_.AddWaterMark();
  }
  void SaveAs(const std::string& dest) override;
  void PrintToPDFFile(const std::string& pdfPath) override { engine_.PrintToPDFFile(pdfPath); }
  void Close() override;
  void Quit() override;

  // The engine itself, for what only it does (the Word sample page).
  Engine& Office() { return engine_; }
  // Marks a document opened outside Open (the Word sample page) as the open one.
  void Adopt() { open_ = true; }

 private:
  Engine engine_;
  bool open_ = false;
};

using TWordFileEngine = TOfficeFileEngine<TDocWaterMark>;
using TExcelFileEngine = TOfficeFileEngine<TXlsWaterMark>;
using TPptFileEngine = TOfficeFileEngine<TPptWaterMark>;

extern template class TOfficeFileEngine<TDocWaterMark>;
extern template class TOfficeFileEngine<TXlsWaterMark>;
extern template class TOfficeFileEngine<TPptWaterMark>;

}  // namespace stampwell
