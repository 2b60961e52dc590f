// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "jobs/job_settings.h"

namespace stampwell {

// What a look at every page of one PDF found.
struct RPageCheck {
  bool Opened = false;        // the PDF could be read; otherwise Error says why
  std::string Error;          // words that read well after "Error in <file>:"
  int Pages = 0;              // pages rendered
  std::vector<int> Unmarked;  // pages (from 1) on which the mark does not show
  bool Measurable = true;     // false: the mark's colour cannot be told from white paper

  bool AllMarked() const { return Opened && Measurable && Pages > 0 && Unmarked.empty(); }
};

// Renders every page of a PDF at a low resolution (poppler) and looks for the watermark's
// colour on each, the way a reader's eye would: blended over white paper or, given the
// unstamped document's PDF, over that document's own page. Holds no state between checks;
// one instance may check many files, from one thread at a time. 40 dots per inch find the
// same pages as 60 on the test files and the corpus, at three quarters of the time.
class TPageVerifier {
 public:
  explicit TPageVerifier(TColor markColor, double dpi = 40.0);

  // Checks every page of pdfPath, or only the pages (from 1) listed in onlyPages when it is not
  // empty (the others then count as marked). againstPdf, when not empty, is the unstamped
  // document as a PDF: its page n is what lies under the mark on page n (pages it lacks count
  // as white).
  RPageCheck Check(const std::string& pdfPath, const std::string& againstPdf = {},
                   const std::vector<int>& onlyPages = {}) const;

 private:
  TColor color_;
  double dpi_;
};

// "the mark does not show on page(s) 2, 5" (the pages as given, from 1).
std::string UnmarkedPagesText(const std::vector<int>& pages);

// What a run says of one verified file.
struct RVerifyOutcome {
  bool Verified = false;
  // Verified: "Verified <file>: N of N pages". Otherwise the reason, in words that follow
  // "Error in <file>:" ("the mark does not show on page(s) 2, 5").
  std::string Text;
  // Not verified because these pages (from 1) did not show the mark (rather than a PDF that
  // could not be read or a colour that cannot be measured).
  std::vector<int> Unmarked;
};

// Checks pdf, the rendering of the saved file (or the printed PDF itself), for the mark in the
// colour of settings; file is what the log names.
// onlyPages as for TPageVerifier::Check.
RVerifyOutcome VerifyOutput(const std::string& file, const std::string& pdf,
                            const RDocSettings& settings, const std::string& againstPdf = {},
                            const std::vector<int>& onlyPages = {});

}  // namespace stampwell
