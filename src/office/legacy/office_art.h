// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "office/legacy/compound_file.h"
#include "office/legacy/ppt_records.h"

// The drawings inside .ppt and .xls files (the Office drawing format: shapes with property
// tables, a document-wide list of shape ids) and how this program's marks are told apart in
// them.
namespace stampwell::legacy {

namespace art {
inline constexpr std::uint16_t kDggContainer = 0xF000;
inline constexpr std::uint16_t kDgContainer = 0xF002;
inline constexpr std::uint16_t kSpgrContainer = 0xF003;
inline constexpr std::uint16_t kSpContainer = 0xF004;
inline constexpr std::uint16_t kFdgg = 0xF006;
inline constexpr std::uint16_t kFdg = 0xF008;
inline constexpr std::uint16_t kFsp = 0xF00A;
inline constexpr std::uint16_t kFopt = 0xF00B;
inline constexpr std::uint16_t kPropGeoText = 0x00C0;
inline constexpr std::uint16_t kPropName = 0x0380;
inline constexpr unsigned kPlainTextWordArt = 136;
}  // namespace art

// A shape's type (0 without a shape record).
unsigned ShapeType(const RPptRecord& sp);
// The variable-length value of a shape property (a UTF-16 string, for instance), if set.
std::optional<std::string> ComplexProperty(const RPptRecord& sp, std::uint16_t pid);
// A shape's name, or "".
std::string ShapeNameOf(const RPptRecord& sp);
// Text as the UTF-16LE the format stores, and back (trailing zeros dropped).
std::string Utf16(const std::string& utf8);
std::string Utf8(std::string utf16);

// A mark of this program: a shape named with the watermark prefix and a number.
bool IsOurNamedMark(const RPptRecord& sp);
bool IsOurMarkName(const std::string& name);
// A copy's mark keeps the name the office gave it (a workbook's are named by page), or takes
// the prefix and "1" when the office's export dropped it, so that a restamp knows it.
void KeepOurName(RPptRecord& sp);
// Plain-text WordArt of text: how LibreOffice's export writes a mark (unnamed).
bool IsWordArtOf(const RPptRecord& sp, const std::string& text);
// Gives a shape the name a restamp knows it by (a new entry of its property table).
void NameShape(RPptRecord& sp, const std::string& name);
// The shape ids used anywhere inside r.
void CollectShapeIds(const RPptRecord& r, std::set<std::uint32_t>& ids);

// The document's list of shape ids (its drawing group's first record), handed out per drawing
// in clusters of 1024. Throws EPptFormatError when the record does not hold its clusters.
class TShapeIds {
 public:
  explicit TShapeIds(RPptRecord& fdgg);
  // A new id for drawing dgid, none of used; a new cluster when the drawing's are full.
  std::uint32_t Allocate(std::uint32_t dgid, const std::set<std::uint32_t>& used);
  // count shapes of the document went.
  void Removed(std::uint32_t count);
  // A drawing more (or fewer) in the document.
  void DrawingAdded();
  // The largest drawing id the clusters name.
  std::uint32_t LargestDrawingId() const;

 private:
  std::uint32_t Taken(std::uint32_t spid);
  RPptRecord& fdgg_;
};

// Why a compound file must not be spliced, or "": it carries a signature, or LibreOffice
// wrote it for an earlier stamp (its summary keeps the shape names LibreOffice's export drops,
// and its marks are unnamed in the file).
std::string SpliceRefusal(const TCompoundFile& file);

}  // namespace stampwell::legacy
