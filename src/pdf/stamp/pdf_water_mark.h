// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "office/file_engine.h"
#include "pdf/stamp/mark_outline.h"

class QPDF;

namespace stampwell {

// The name under which the mark lives in a stamped PDF: the key of its form XObject in the
// pages' resources, and a key of every stream this engine adds (how a restamp finds them).
inline constexpr char kPdfMarkName[] = "/StampwellMark";

// PDF files stamped in place of their pages' content, with QPDF: the job's text drawn once as
// a form XObject (vector outlines of the job's font, its colour, half transparent when asked,
// oblique or level) and placed centred on every page's visible area, upright as the page is
// shown (/Rotate), after the page's own content, inside a watermark artifact
// (/Artifact <</Subtype /Watermark /Stampwell true>> BDC). Everything else of the file stays:
// its objects are written back as they were read (streams byte for byte), encryption and
// permissions included. A PDF source needs no printing: its stamped copy is its PDF.
// Not thread-safe; one engine per worker.
class TPdfWaterMark : public TFileEngine {
 public:
  TPdfWaterMark();
  ~TPdfWaterMark() override;

  // Refuses, with OpenError: "needs a password" (a user password other than empty), "signed
  // document, not stamped" (a signature that stamping would break), "damaged PDF file, QPDF
  // cannot repair it: ..." (nothing readable), "the file cannot be opened" (not a file).
  bool Open(const std::string& source) override;
  std::string OpenError() const override { return error_; }
  void AddWaterMark(const RDocSettings& settings) override;
  void SaveAs(const std::string& dest) override;
  // The stamped copy itself, written to pdfPath as SaveAs writes.
  void PrintToPDFFile(const std::string& pdfPath) override;
  void Close() override;
  void Quit() override;

  // The open document's pages (0 when none is open).
  int PageCount() const;

 private:
  // Takes out every stream and resource a stamp of this engine put in; returns how many
  // pages had one.
  int RemoveMark();

  std::unique_ptr<QPDF> pdf_;
  std::string error_;
  bool needsTransparency_ = false;
  // The outline of the last settings seen: a run stamps many files with one setting.
  std::optional<RDocSettings> outlineFor_;
  RMarkOutline outline_;
};

}  // namespace stampwell
