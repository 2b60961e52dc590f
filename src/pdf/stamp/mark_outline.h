// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace stampwell {

// The watermark text as vector outlines: the glyphs of the font that fontconfig picks for
// the job's font name (the same substitution the office applies), laid out with the font's
// own advances and kerning, its ink stretched (as the office stretches a text effect's) to the
// box the office gives a new text effect: half the font size per character wide, 1.2 times
// the font size high.
// Outlines rather than text: the mark looks the same in every reader, needs no embedded font
// and adds no words to the document's text.
struct RMarkOutline {
  std::string Path;  // path construction operators (m l c h) in points, inside the box
  double Width = 0;  // the box, in points
  double Height = 0;
  std::string FontFile;  // the font file drawn (the first one, when glyphs came from several)
};

// Throws std::runtime_error when no font can be found at all or size is not positive. A
// character that no font has is left out; an empty or blank text gives an empty Path.
RMarkOutline OutlineMark(const std::string& text, const std::string& fontName, double size);

}  // namespace stampwell
