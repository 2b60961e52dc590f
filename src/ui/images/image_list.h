// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace stampwell {

// A fixed list of small pictures painted in code, so the program carries no image files.
// MainImages is the list shared by the tool bar and the job tree; ProgressFrames holds the
// five frames of the run animation in the progress window.
class TImageList {
 public:
  // Indices used by the program: 0 job (document with pencil), 1-4 the run animation (a letter
  // drawn into the corner box step by step), 8 Delete, 9 Run, 10 Suspend, 11 Stop, 12 Help,
  // 13 Exit, 15 open folder, 16 closed folder. 5, 6, 7 and 14 are spare pictures.
  static constexpr int kMainCount = 17;
  static constexpr int kFrameCount = 5;

  // 17 pictures of 16 x 16 pixels.
  static const TImageList& MainImages();
  // 5 pictures of 32 x 32 pixels: frame 0 has an empty corner box, frame 4 the whole letter.
  static const TImageList& ProgressFrames();

  int Count() const { return static_cast<int>(images_.size()); }
  // An empty pixmap for an index out of range.
  QPixmap Pixmap(int index) const;
  QIcon Icon(int index) const;

 private:
  explicit TImageList(std::vector<QPixmap> images) : images_(std::move(images)) {}
  std::vector<QPixmap> images_;
};

}  // namespace stampwell
