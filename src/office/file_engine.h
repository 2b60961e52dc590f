// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>
#include "jobs/job_settings.h"

namespace stampwell {

// One kind of document behind the run's one per-file pipeline: open, stamp, save, print,
// close, quit. Errors of AddWaterMark/SaveAs/PrintToPDFFile are exceptions (std::exception
// with a message that reads well after "Error in <file>:"); Open reports by its result.
class TFileEngine {
 public:
  virtual ~TFileEngine() = default;
  // Opens source for reading only. false: the file cannot be opened; OpenError() says why in
  // words ("needs a password", "signed document, not stamped", "the file cannot be opened").
  virtual bool Open(const std::string& source) = 0;
  virtual std::string OpenError() const { return "the file cannot be opened"; }
  // Adds the job's watermark to the open document, replacing one this program placed before.
  virtual void AddWaterMark(const RDocSettings& settings) = 0;
  // What the last AddWaterMark changed in the document beside the mark, one line each, in
  // words that read well after "<file>: " (empty: nothing).
  virtual std::vector<std::string> Notes() const { return {}; }
  // Writes the open (stamped) document to dest, atomically (temporary file beside dest, then
  // rename); dest may be the source itself (in-place job). Creates no folders.
  virtual void SaveAs(const std::string& dest) = 0;
  // Writes a PDF of the open (stamped) document to pdfPath.
  virtual void PrintToPDFFile(const std::string& pdfPath) = 0;
  // Closes the open document without saving; never throws; no-op when none is open.
  virtual void Close() = 0;
  // Ends whatever the engine started (office processes); never throws.
  virtual void Quit() = 0;
};

}  // namespace stampwell
