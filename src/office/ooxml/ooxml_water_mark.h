// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "office/file_engine.h"
#include "office/ooxml/package_stamps.h"
#include "office/ooxml/zip_package.h"

namespace stampwell {

// The kind of an Office Open XML package, from its file name.
enum class EOoxmlKind { None, Word, Excel, PowerPoint };
// .docx/.docm -> Word, .xlsx/.xlsm -> Excel, .pptx/.pptm -> PowerPoint (any case).
EOoxmlKind OoxmlKindOf(const std::string& path);

// The current Office formats stamped in their own package, without an office process: the
// mark is added the way the Office application adds its own, every part the mark does not
// need is written back byte for byte (stored, not recompressed), and the parts it changes
// keep every element and text they had. Macros stay. A package that carries a digital
// signature is not stamped (the stamp would break it); an encrypted one (a compound file,
// not a zip archive) cannot be opened.
//
// Printing is not this engine's: PrintToPDFFile throws; the pipeline prints the saved
// package through an office engine.
class TOoxmlWaterMark : public TFileEngine {
 public:
  bool Open(const std::string& source) override;
  std::string OpenError() const override { return openError_; }
  // Throws std::invalid_argument for a size that is not a whole number of at least 1, and
  // ooxml::EPackageError for a package whose parts cannot be read.
  void AddWaterMark(const RDocSettings& settings) override;
  std::vector<std::string> Notes() const override { return notes_; }
  void SaveAs(const std::string& dest) override;
  void PrintToPDFFile(const std::string& pdfPath) override;
  void Close() override;
  void Quit() override { Close(); }

  // Excel: one mark on the sheet active when the workbook was saved (the behaviour of
  // stored jobs that ask for it), instead of one on every printed page of every sheet.
  bool ActiveSheetOnly = false;

  // The marks the last AddWaterMark placed, and the parts it wrote.
  int Marks() const { return marks_; }
  const ooxml::TZipPackage& Package() const { return package_; }

 private:
  ooxml::TZipPackage package_;
  EOoxmlKind kind_ = EOoxmlKind::None;
  std::string openError_ = "the file cannot be opened";
  std::vector<std::string> notes_;
  int marks_ = 0;
};

}  // namespace stampwell
