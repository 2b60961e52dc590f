// SPDX-License-Identifier: GPL-3.0-or-later
#include "mark_finder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace stampwell {

namespace {

// A channel tells the blend only where the mark's colour lies this far from what is under it.
constexpr int kInformativeSpan = 100;
// The least blend toward the mark's colour that counts (antialiased edges and faint tints of
// the page itself stay below it).
constexpr double kLeastBlend = 0.15;
// How far a pixel may lie from the blend its channels agree on.
constexpr double kMostResidual = 25.0;
// The fewest pixels of a mark at 60 dots per inch: a few letters' strokes.
constexpr double kMinimumPixelsAt60Dpi = 30.0;

}  // namespace

TMarkFinder::TMarkFinder(TColor color, double dpi)
    : red_(int(color & 0xFF)), green_(int((color >> 8) & 0xFF)), blue_(int((color >> 16) & 0xFF)) {
  const double scale = dpi / 60.0;
  minimumPixels_ = std::size_t(std::max(4.0, std::round(kMinimumPixelsAt60Dpi * scale * scale)));
}

bool TMarkFinder::Measurable() const {
  return 255 - red_ > kInformativeSpan || 255 - green_ > kInformativeSpan ||
         255 - blue_ > kInformativeSpan;
}

RMarkPixels TMarkFinder::Measure(const RPageImage& page, const RPageImage* under) const {
  RMarkPixels m;
  m.Left = page.Width;
  m.Top = page.Height;
  m.Right = -1;
  m.Bottom = -1;
  if (under && (under->Width != page.Width || under->Height != page.Height || !under->Rgb))
    under = nullptr;
  const int mark[3] = {red_, green_, blue_};
  const std::size_t count = std::size_t(page.Width) * std::size_t(page.Height);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* px = page.Rgb + 3 * i;
    const std::uint8_t* bg = under ? under->Rgb + 3 * i : nullptr;
    double blend = 0;
    int informative = 0;
    int span[3];
    for (int c = 0; c < 3; ++c) {
      const int paper = bg ? bg[c] : 255;
      span[c] = paper - mark[c];
      if (std::abs(span[c]) > kInformativeSpan) {
        blend += double(paper - px[c]) / span[c];
        ++informative;
      }
    }
    if (informative == 0) continue;
    blend /= informative;
    if (blend <= kLeastBlend) continue;
    double residual = 0;
    for (int c = 0; c < 3; ++c) {
      const int paper = bg ? bg[c] : 255;
      residual = std::max(residual, std::abs(px[c] - (paper - blend * span[c])));
    }
    if (residual >= kMostResidual) continue;
    ++m.Pixels;
    const int x = int(i % std::size_t(page.Width));
    const int y = int(i / std::size_t(page.Width));
    m.Left = std::min(m.Left, x);
    m.Right = std::max(m.Right, x);
    m.Top = std::min(m.Top, y);
    m.Bottom = std::max(m.Bottom, y);
  }
  return m;
}

bool TMarkFinder::Shows(const RPageImage& page, const RPageImage* under) const {
  return Measure(page, under).Pixels >= minimumPixels_;
}

}  // namespace stampwell
