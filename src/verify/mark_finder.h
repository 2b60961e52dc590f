// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "jobs/job_settings.h"

namespace stampwell {

// One rendered page: width x height pixels, 8-bit red, green and blue in that order, rows
// one after the other without padding.
struct RPageImage {
  int Width = 0;
  int Height = 0;
  const std::uint8_t* Rgb = nullptr;
};

// What the mark's colour looks like on one page.
struct RMarkPixels {
  std::size_t Pixels = 0;  // pixels that read as the mark's colour blended over the page
  int Left = 0, Top = 0, Right = 0, Bottom = 0;  // their bounding box, inclusive
};

// Finds the watermark's colour on rendered pages, whatever its transparency: a pixel shows the
// mark when it reads as the mark's colour blended, by at least a sixth or so, over what lies
// under it (white paper, or the same pixel of the unstamped page when one is given), with
// every colour channel telling the same blend. Channels where the mark's colour lies close to
// what is under it tell nothing and are left out; a pixel where none tells anything is never
// counted, so the unstamped page's own marks of that colour do not count.
class TMarkFinder {
 public:
  // color in the platform convention (0x00BBGGRR). dpi: the resolution the pages are rendered
  // at, which scales the smallest area that counts as a mark.
  explicit TMarkFinder(TColor color, double dpi);

  // The mark's pixels on page; under, when given, is the unstamped page at the same size
  // (a page of another size is measured over white).
  RMarkPixels Measure(const RPageImage& page, const RPageImage* under = nullptr) const;
  // True when page shows enough of the mark's colour to be a mark, not a stray pixel.
  bool Shows(const RPageImage& page, const RPageImage* under = nullptr) const;
  // False when the colour cannot be told from white paper (a mark in near-white): no page can
  // then be said to show it or not.
  bool Measurable() const;
  // The fewest mark pixels that count as the mark at the finder's resolution.
  std::size_t MinimumPixels() const { return minimumPixels_; }

 private:
  int red_, green_, blue_;
  std::size_t minimumPixels_;
};

}  // namespace stampwell
