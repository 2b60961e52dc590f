// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/stamp/mark_outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace stampwell {

namespace {

// Fontconfig's configuration is loaded once and shared; its calls are serialised.
std::mutex& FontconfigMutex() {
  static std::mutex m;
  return m;
}

struct RFontFile {
  std::string path;
  int index = 0;
  bool operator<(const RFontFile& o) const {
    return path != o.path ? path < o.path : index < o.index;
  }
};

// The font fontconfig matches for family; with codepoint > 0, one that also has that
// character. Empty path: none.
RFontFile MatchFont(const std::string& family, char32_t codepoint) {
  std::lock_guard lock(FontconfigMutex());
  if (!FcInit()) return {};
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(""));
  if (!pattern) return {};
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcCharSet* chars = nullptr;
  if (codepoint > 0) {
    chars = FcCharSetCreate();
    FcCharSetAddChar(chars, FcChar32(codepoint));
    FcPatternAddCharSet(pattern, FC_CHARSET, chars);
  }
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  RFontFile found;
  if (match) {
    FcChar8* file = nullptr;
    int index = 0;
    FcCharSet* has = nullptr;
    const bool covers =
        codepoint == 0 || (FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch &&
                           FcCharSetHasChar(has, FcChar32(codepoint)));
    if (covers && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      found = {reinterpret_cast<const char*>(file), index};
    }
    FcPatternDestroy(match);
  }
  if (chars) FcCharSetDestroy(chars);
  FcPatternDestroy(pattern);
  return found;
}

std::u32string DecodeUtf8(const std::string& s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) {
      ++i;  // a stray byte is left out
      continue;
    }
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (d & 0x3F);
    }
    i += ok ? extra + 1 : 1;
    if (ok) out.push_back(cp);
  }
  return out;
}

// A path coordinate in a content stream: two decimals, trailing zeros dropped.
std::string PathNumber(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", std::abs(v) < 0.005 ? 0.0 : v);
  std::string s(buf);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

// Writes an outline in font units as path operators, through x' = ox + x*sx, y' = oy + y*sy.
struct RPathWriter {
  std::string* out;
  double ox, oy, sx, sy;
  double cx = 0, cy = 0;  // the current point, in font units
  bool open = false;

  void Point(double x, double y) {
    *out += PathNumber(ox + x * sx);
    *out += ' ';
    *out += PathNumber(oy + y * sy);
    *out += ' ';
  }
};

int MoveTo(const FT_Vector* to, void* user) {
  auto* w = static_cast<RPathWriter*>(user);
  if (w->open) *w->out += "h\n";
  w->Point(to->x, to->y);
  *w->out += "m\n";
  w->cx = to->x;
  w->cy = to->y;
  w->open = true;
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  auto* w = static_cast<RPathWriter*>(user);
  w->Point(to->x, to->y);
  *w->out += "l\n";
  w->cx = to->x;
  w->cy = to->y;
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* w = static_cast<RPathWriter*>(user);
  w->Point(c1->x, c1->y);
  w->Point(c2->x, c2->y);
  w->Point(to->x, to->y);
  *w->out += "c\n";
  w->cx = to->x;
  w->cy = to->y;
  return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* w = static_cast<RPathWriter*>(user);
  // The quadratic curve as the cubic that draws the same.
  const double x1 = w->cx + 2.0 / 3.0 * (control->x - w->cx);
  const double y1 = w->cy + 2.0 / 3.0 * (control->y - w->cy);
  const double x2 = to->x + 2.0 / 3.0 * (control->x - to->x);
  const double y2 = to->y + 2.0 / 3.0 * (control->y - to->y);
  w->Point(x1, y1);
  w->Point(x2, y2);
  w->Point(to->x, to->y);
  *w->out += "c\n";
  w->cx = to->x;
  w->cy = to->y;
  return 0;
}

struct RFaceDeleter {
  void operator()(FT_Face f) const { FT_Done_Face(f); }
};
struct RLibraryDeleter {
  void operator()(FT_Library l) const { FT_Done_FreeType(l); }
};
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, RFaceDeleter>;

struct RPlacedGlyph {
  FT_Face face;
  FT_UInt glyph;
  double x;  // pen position in points, before the stretch
};

}  // namespace

RMarkOutline OutlineMark(const std::string& text, const std::string& fontName, double size) {
  if (!(size > 0) || !std::isfinite(size))
    throw std::runtime_error("watermark size must be positive");
  const std::u32string chars = DecodeUtf8(text);

  FT_Library raw = nullptr;
  if (FT_Init_FreeType(&raw) != 0) throw std::runtime_error("the font library cannot start");
  std::unique_ptr<std::remove_pointer_t<FT_Library>, RLibraryDeleter> library(raw);

  std::map<RFontFile, FacePtr> faces;
  auto open = [&](const RFontFile& file) -> FT_Face {
    if (file.path.empty()) return nullptr;
    auto it = faces.find(file);
    if (it != faces.end()) return it->second.get();
    FT_Face face = nullptr;
    if (FT_New_Face(library.get(), file.path.c_str(), file.index, &face) != 0 ||
        !FT_IS_SCALABLE(face)) {
      if (face) FT_Done_Face(face);
      face = nullptr;
    }
    faces.emplace(file, FacePtr(face));
    return face;
  };

  const RFontFile primaryFile = MatchFont(fontName, 0);
  FT_Face primary = open(primaryFile);
  if (!primary) throw std::runtime_error("no font found for \"" + fontName + "\"");

  RMarkOutline mark;
  mark.FontFile = primaryFile.path;
  // The box a new text effect gets: half an em per character, 1.2 em high.
  mark.Width = std::max<std::size_t>(chars.size(), 1) * size * 0.5;
  mark.Height = size * 1.2;

  // Lay the glyphs out at the font size, each from the first font that has it, and find
  // the ink's bounds.
  std::vector<RPlacedGlyph> placed;
  double pen = 0;
  double left = 0, bottom = 0, right = 0, top = 0;
  bool inked = false;
  FT_Face previousFace = nullptr;
  FT_UInt previousGlyph = 0;
  for (char32_t c : chars) {
    FT_Face face = primary;
    FT_UInt glyph = FT_Get_Char_Index(primary, c);
    if (glyph == 0 && c > 0x20) {
      face = open(MatchFont(fontName, c));
      glyph = face ? FT_Get_Char_Index(face, c) : 0;
    }
    if (!face || (glyph == 0 && c > 0x20)) continue;  // no font has it
    const double unit = size / face->units_per_EM;
    if (face == previousFace && previousGlyph != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kern{};
      if (FT_Get_Kerning(face, previousGlyph, glyph, FT_KERNING_UNSCALED, &kern) == 0)
        pen += kern.x * unit;
    }
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
      continue;
    FT_BBox box{};
    if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE && face->glyph->outline.n_points > 0 &&
        FT_Outline_Get_BBox(&face->glyph->outline, &box) == 0) {
      const double x0 = pen + box.xMin * unit, x1 = pen + box.xMax * unit;
      const double y0 = box.yMin * unit, y1 = box.yMax * unit;
      if (!inked) {
        left = x0, right = x1, bottom = y0, top = y1;
        inked = true;
      } else {
        left = std::min(left, x0), right = std::max(right, x1);
        bottom = std::min(bottom, y0), top = std::max(top, y1);
      }
    }
    placed.push_back({face, glyph, pen});
    pen += face->glyph->advance.x * unit;
    previousFace = face;
    previousGlyph = glyph;
  }
  if (!inked || right <= left || top <= bottom) {
    mark.Path.clear();
    return mark;
  }

  // Stretch, as the office stretches a text effect's text: the ink's bounds to the box.
  const double stretchX = mark.Width / (right - left);
  const double stretchY = mark.Height / (top - bottom);

  FT_Outline_Funcs funcs{};
  funcs.move_to = MoveTo;
  funcs.line_to = LineTo;
  funcs.conic_to = ConicTo;
  funcs.cubic_to = CubicTo;
  for (const auto& g : placed) {
    if (FT_Load_Glyph(g.face, g.glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) !=
            0 ||
        g.face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
      continue;
    const double u = size / g.face->units_per_EM;
    RPathWriter writer{&mark.Path, (g.x - left) * stretchX, -bottom * stretchY, u * stretchX,
                       u * stretchY};
    FT_Outline_Decompose(&g.face->glyph->outline, &funcs, &writer);
    if (writer.open) mark.Path += "h\n";
  }
  return mark;
}

}  // namespace stampwell
