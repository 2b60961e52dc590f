// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "office/file_engine.h"
#include "office/legacy/splice_result.h"

namespace stampwell::legacy {

using TSpliceMarks = std::function<RSpliced(const std::string& source, const std::string& stamped,
                                            const std::string& markText)>;

// An office engine whose saved copy gives way to the source with the copy's marks spliced in:
// the office stamps, prints and saves as always; after its save, the splice reads the source
// as it was before the save (dest may be the source itself) and the office's copy, and where
// it can, replaces dest with the source plus the marks (atomically, with dest's permissions).
// Where it cannot, the office's copy stays. Everything else is the inner engine's.
// Only sources named with the extension given (".xls", any case) that are compound files are
// spliced: the office's engine of a kind also saves other formats (.ods, .odp) in their own
// way, and a web page or text named .xls has nothing a splice could keep.
class TSourceKeepingEngine : public TFileEngine {
 public:
  TSourceKeepingEngine(std::unique_ptr<TFileEngine> inner, TSpliceMarks splice,
                       std::string extension);

  bool Open(const std::string& source) override;
  std::string OpenError() const override { return inner_->OpenError(); }
  void AddWaterMark(const RDocSettings& settings) override;
  // The office engine's notes, and after a save that kept the office's copy, a line that says
  // so and why ("saved through LibreOffice's export, not into the original file: encrypted").
  std::vector<std::string> Notes() const override;
  void SaveAs(const std::string& dest) override;
  void PrintToPDFFile(const std::string& pdfPath) override { inner_->PrintToPDFFile(pdfPath); }
  void Close() override { inner_->Close(); }
  void Quit() override { inner_->Quit(); }

  // The office's engine, for the settings only it knows.
  TFileEngine& Inner() { return *inner_; }
  // Why the last save kept the office's copy ("" when the source was kept).
  const std::string& LastReason() const { return lastReason_; }

 private:
  std::unique_ptr<TFileEngine> inner_;
  TSpliceMarks splice_;
  std::string extension_;
  std::string source_;
  std::string markText_;
  std::string lastReason_;
};

// The .ppt and .xls engines of the run: the office's engine with SplicePptMarks or
// SpliceXlsMarks behind its save.
std::unique_ptr<TFileEngine> MakeSourceKeepingPptEngine(std::unique_ptr<TFileEngine> office);
std::unique_ptr<TFileEngine> MakeSourceKeepingXlsEngine(std::unique_ptr<TFileEngine> office);

}  // namespace stampwell::legacy
