// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <vector>

namespace stampwell {

// A rectangle of a page, in the page's units.
struct RPageBox {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Which parts of a page a set of boxes covers, on a grid of cells: enough to tell whether
// shapes side by side cover most of a page (a backdrop made of several), without working out
// their union exactly.
class TPageCoverage {
 public:
  TPageCoverage(double width, double height) : width_(width), height_(height) {}
  // Marks the cells whose centre lies within the box.
  void Add(const RPageBox& b) {
    for (int row = 0; row < kCells; ++row) {
      const double y = (row + 0.5) * height_ / kCells;
      if (y < b.y0 || y >= b.y1) continue;
      for (int column = 0; column < kCells; ++column) {
        const double x = (column + 0.5) * width_ / kCells;
        if (x >= b.x0 && x < b.x1) cells_[row * kCells + column] = true;
      }
    }
  }
  // The share of the page covered, 0 to 1.
  double Share() const {
    return double(std::count(cells_.begin(), cells_.end(), true)) / (kCells * kCells);
  }

 private:
  static constexpr int kCells = 48;
  double width_, height_;
  std::vector<bool> cells_ = std::vector<bool>(kCells * kCells, false);
};

}  // namespace stampwell
