// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace stampwell {

// A colour in the platform convention: RGB as 0x00BBGGRR (red in the lowest byte), a system
// colour as 0xFF000000 + index, clNone 0x1FFFFFFF, clDefault 0x20000000.
using TColor = std::uint32_t;

// General settings of a job, copied by value between profile, pages and runner.
struct RJobSettings {
  std::string Name;
  bool Doc = false;
  bool Xls = false;
  bool Ppt = false;
  bool AutoRun = false;
  bool PDF = false;
  bool OtherFiles = false;
  std::int32_t EveryMinutes = 0;
  // Files handled at once by a run ("Workers" in [BasicInfo]; absent: 1; 0: one per
  // processor core). Only the runner reads it.
  std::int32_t Workers = 1;
  // Also handle the current formats: .docx/.docm/.odt under Doc, .xlsx/.xlsm/.ods under Xls,
  // .pptx/.pptm/.odp under Ppt (and under PDF). Off for every profile that does not ask.
  bool ModernFormats = false;
  // Replace existing destinations ("Overwrite" in [BasicInfo]; absent: 0): a run stamps,
  // prints and copies again where its destinations exist. Off, an existing destination is
  // skipped. Never an output of the same run, and never a source.
  bool Overwrite = false;
  // Also stamp .pdf files ("PdfFiles" in [BasicInfo]; absent: off, so stored jobs behave as
  // before). A stamped PDF is its own PDF output.
  bool PdfFiles = false;
  // Workbooks get the mark on the sheet they show when opened only (one mark per workbook),
  // as jobs did before every printed sheet was stamped ("ActiveSheetOnly" in [BasicInfo];
  // absent: off).
  bool ActiveSheetOnly = false;
  // Each saved file (and its PDF) is opened again apart from the run's own document, its
  // pages rendered and the mark looked for on every one; a page without it fails the file
  // ("Verify" in [BasicInfo]; absent: off).
  bool Verify = false;

  bool operator==(const RJobSettings&) const = default;
};

// Watermark settings of a job.
struct RDocSettings {
  std::string DocWaterMarkStr;
  std::string DocFontName;
  std::string DocWatermarkSize;  // decimal text, for example "60"
  TColor DocWatermarkColor = 0;
  bool Transparent = false;
  bool HX = false;  // true: oblique watermark; false: horizontal

  bool operator==(const RDocSettings&) const = default;
};

// One item of a job: a single file (Type 0) or a folder (any other Type).
struct RJobItem {
  std::uint8_t Type = 0;
  std::string Source;
  std::string Dest;
  std::string Comments;

  bool operator==(const RJobItem&) const = default;
};

}  // namespace stampwell
