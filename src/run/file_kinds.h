// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "office/file_engine.h"

namespace stampwell {

class TPDFStack;

// One kind of document the run stamps: which files are of it, which engine handles them and
// the few ways in which its steps differ in the log, the counts and the display. Everything
// else (the order open, stamp, save, print, close; the skip and failure rules) is the one
// pipeline of TFileWorker, the same for every kind.
struct RFileKind {
  // How an open that fails is told.
  enum class OpenFailure {
    LogFixedText,  // logged as openFailureText + source (Word's "Error in Open world file:")
    FrontEndOnly,  // only to the front end, "Error in <source>:" + OpenError(); no log line
    Log,           // logged as "Error in <source>:" + OpenError()
  };
  // When a step (stamp, print) is counted done and shown, relative to its log line (always
  // first) and its work.
  enum class StepOrder {
    ShowWorkCount,  // show the action, do the work, count it done
    WorkCount,      // do the work, count it done; not shown
    CountShowWork,  // count it done, show the action, then do the work
  };
  // How the PDF of a file is made.
  enum class PdfBy {
    PrinterStack,  // the engine prints on the PDF printer; the PDF stack moves the result
    Engine,        // the engine writes pdfPath itself (a PDF source: its stamped copy)
    KindEngine,    // the engine of kind printWith opens a saved stamped copy and prints it
  };

  std::string name;                           // in error lines of its quit ("Error in Word:...")
  std::vector<std::string> extensions;        // lower case, with the dot; always of this kind
  std::vector<std::string> modernExtensions;  // of this kind when ModernFormats is on
  // The job switch that stamps files of this kind (Doc, Xls, Ppt). A file is of the kind
  // when this switch or PDF is on.
  bool RJobSettings::*stampSwitch = nullptr;
  // A switch without which the kind does not exist at all (nullptr: none).
  bool RJobSettings::*enabledBy = nullptr;
  // The PDF action line: "Print " + printTag + " file:<source> to PDF:<pdf>".
  std::string printTag;
  OpenFailure openFailure = OpenFailure::Log;
  std::string openFailureText;  // for LogFixedText
  StepOrder stampOrder = StepOrder::ShowWorkCount;
  StepOrder printOrder = StepOrder::ShowWorkCount;
  PdfBy pdfBy = PdfBy::PrinterStack;
  std::string printWith;  // for KindEngine: the name of the kind whose engine prints
  // Makes the kind's engine; pdfStack is the worker's (for engines that print on the PDF
  // printer). Called once per worker, when the worker first meets a file of the kind.
  std::function<std::unique_ptr<TFileEngine>(TPDFStack& pdfStack)> makeEngine;

  // True when source (by its extension, in any letter case) is of this kind under settings.
  bool Takes(const std::string& source, const RJobSettings& settings) const;
  // True when the run stamps files of this kind under settings.
  bool Stamps(const RJobSettings& settings) const { return settings.*stampSwitch; }
};

// The kinds a run knows, in the order they are tried (the first that takes a file has it):
// PackageFileKinds(), then OfficeFileKinds(), then PdfFileKinds().
const std::vector<RFileKind>& StandardFileKinds();
// The current Office formats in a job with ModernFormats, stamped in their own package
// without an office process (TOoxmlWaterMark): .docx/.docm under Doc, .xlsx/.xlsm under Xls,
// .pptx/.pptm under Ppt. Their PDFs are printed by the office kind of their application
// from the saved stamped package. Their open failures are logged ("Error in <file>:signed
// document, not stamped").
const std::vector<RFileKind>& PackageFileKinds();
// Word (.doc; .docx/.docm/.odt), Excel (.xls; .xlsx/.xlsm/.ods) and PowerPoint (.ppt;
// .pptx/.pptm/.odp) through the office engines; in the standard kinds, the current Office
// formats reach them only for printing.
const std::vector<RFileKind>& OfficeFileKinds();
// PDF files (.pdf) in a job with PdfFiles, stamped through TPdfWaterMark; stamped, a PDF is
// its own PDF output.
const std::vector<RFileKind>& PdfFileKinds();

// The kind of source among kinds, or nullptr: a file the run copies (or passes over).
const RFileKind* KindOf(const std::vector<RFileKind>& kinds, const std::string& source,
                        const RJobSettings& settings);

}  // namespace stampwell
