// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/xls_mark_splice.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "office/legacy/compound_file.h"
#include "office/legacy/office_art.h"
#include "office/office_shapes.h"

namespace stampwell::legacy {
namespace {

using namespace art;

// Record types of the workbook stream.
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kDcon = 0x0050;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kHfPicture = 0x0866;
constexpr std::uint16_t kIndex = 0x020B;
constexpr std::uint16_t kMsoDrawing = 0x00EC;
constexpr std::uint16_t kMsoDrawingGroup = 0x00EB;
constexpr std::uint16_t kName = 0x0018;
constexpr std::uint16_t kNote = 0x001C;
constexpr std::uint16_t kObj = 0x005D;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kSxView = 0x00B0;
constexpr std::uint16_t kTxo = 0x01B6;
constexpr std::uint16_t kWindow2 = 0x023E;
constexpr std::size_t kMaxData = 8224;  // the most a record holds; more goes on in CONTINUEs
constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kWorksheet = 0x0010;  // the substream type of a worksheet's BOF
constexpr char kWorkbookStream[] = "Workbook";

struct Record {
  std::uint16_t id = 0;
  std::string data;
  std::int64_t offset = -1;  // in the source stream; -1 for a record written here
};

std::vector<Record> ReadRecords(const std::string& stream, std::string& tail) {
  std::vector<Record> records;
  std::size_t pos = 0;
  while (stream.size() - pos >= 4) {
    const std::uint16_t id = ReadU16(stream, pos);
    const std::uint16_t length = ReadU16(stream, pos + 2);
    if (id == 0 && length == 0) break;  // the zeros that pad a stream
    if (length > stream.size() - pos - 4)
      throw EPptFormatError("a workbook record runs past the stream");
    records.push_back({id, stream.substr(pos + 4, length), static_cast<std::int64_t>(pos)});
    pos += 4 + length;
  }
  tail = stream.substr(pos);
  if (tail.find_first_not_of('\0') != std::string::npos)
    throw EPptFormatError("the workbook stream ends inside a record");
  return records;
}

// Records of id holding bytes: the first up to the most a record holds, the rest in CONTINUEs.
void AppendSplit(std::vector<Record>& out, std::uint16_t id, std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size(); at += kMaxData) {
    out.push_back({at == 0 ? id : kContinue, std::string(bytes.substr(at, kMaxData)), -1});
  }
}

// Where a substream that starts at `first` (a BOF) ends: the index past its matching EOF.
std::size_t SubstreamEnd(const std::vector<Record>& records, std::size_t first) {
  int depth = 0;
  for (std::size_t i = first; i < records.size(); ++i) {
    if (records[i].id == kBof) ++depth;
    if (records[i].id == kEof && --depth == 0) return i + 1;
  }
  throw EPptFormatError("a sheet has no end");
}

// A sheet's drawing: the Office drawing bytes that its MSODRAWING records hold one after
// another, and the records that lie between them (each shape's OBJ, a text box's TXO, a
// chart's substream), each group at the length of drawing bytes before it.
struct Drawing {
  std::size_t first = 0, last = 0;  // the records it spans, [first, last)
  std::string bytes;
  std::vector<std::pair<std::size_t, std::vector<Record>>> between;
};

Drawing ReadDrawing(const std::vector<Record>& records, std::size_t first, std::size_t end) {
  Drawing d;
  d.first = first;
  auto attach = [&d](Record r) {
    if (d.between.empty() || d.between.back().first != d.bytes.size())
      d.between.push_back({d.bytes.size(), {}});
    d.between.back().second.push_back(std::move(r));
  };
  // A TXO is followed by CONTINUEs with its text, then with its formatting runs; every other
  // CONTINUE here carries drawing bytes (Excel writes a shape's bytes so after a text box).
  std::size_t textLeft = 0, runsLeft = 0;
  std::size_t i = first;
  while (i < end) {
    const Record& r = records[i];
    if (r.id == kContinue && textLeft > 0) {
      const bool wide = !r.data.empty() && (r.data[0] & 1);
      const std::size_t chars = r.data.empty() ? 0 : (r.data.size() - 1) / (wide ? 2 : 1);
      textLeft -= std::min(textLeft, std::max<std::size_t>(chars, 1));
      attach(r);
      ++i;
    } else if (r.id == kContinue && runsLeft > 0) {
      runsLeft -= std::min(runsLeft, std::max<std::size_t>(r.data.size(), 1));
      attach(r);
      ++i;
    } else if (r.id == kMsoDrawing || r.id == kContinue) {
      d.bytes += r.data;
      ++i;
    } else if (r.id == kObj || r.id == kTxo) {
      if (r.id == kTxo) {
        if (r.data.size() < 14) throw EPptFormatError("a text box's record is cut short");
        textLeft = ReadU16(r.data, 10);
        runsLeft = textLeft > 0 ? ReadU16(r.data, 12) : 0;
      }
      attach(r);
      ++i;
    } else if (r.id == kBof) {
      const std::size_t chartEnd = SubstreamEnd(records, i);
      for (; i < chartEnd; ++i) attach(records[i]);
    } else {
      break;
    }
  }
  d.last = i;
  for (std::size_t k = i; k < end; ++k) {
    if (records[k].id == kBof)
      k = SubstreamEnd(records, k) - 1;
    else if (records[k].id == kMsoDrawing)
      throw EPptUnsupported("a sheet's drawing lies in two places");
  }
  return d;
}

// One shape of a drawing's top group with the records that belong to it, at their distance
// from the shape's first byte.
struct Unit {
  RPptRecord shape;
  std::vector<std::pair<std::size_t, std::vector<Record>>> between;
};

struct ParsedDrawing {
  RPptRecord dg;            // the drawing, its top group's shapes taken out
  std::size_t groupAt = 0;  // which of dg's records is the top group
  std::vector<Unit> units;  // the top group's shapes after its own
};

ParsedDrawing ParseDrawing(const Drawing& d) {
  ParsedDrawing p;
  std::size_t pos = 0;
  p.dg = RPptRecord::Parse(d.bytes, pos);
  if (pos != d.bytes.size() || p.dg.Type != kDgContainer || p.dg.Bytes() != d.bytes)
    throw EPptFormatError("a sheet's drawing does not read back as it is");
  std::size_t at = 8;
  std::size_t groupStart = 0;
  bool found = false;
  for (std::size_t c = 0; c < p.dg.Children.size(); ++c) {
    if (p.dg.Children[c].Type == kSpgrContainer && !found) {
      p.groupAt = c;
      groupStart = at;
      found = true;
    }
    at += p.dg.Children[c].Bytes().size();
  }
  if (!found) throw EPptFormatError("a sheet's drawing has no group");
  RPptRecord& group = p.dg.Children[p.groupAt];
  if (group.Children.empty()) throw EPptFormatError("a sheet's drawing has no group shape");
  std::size_t unitStart = groupStart + 8 + group.Children.front().Bytes().size();
  std::size_t b = 0;  // the next group of records between drawing bytes
  auto before = [&d, &b](std::size_t limit) {
    return b < d.between.size() && d.between[b].first <= limit;
  };
  if (before(unitStart)) throw EPptFormatError("records lie before a sheet's shapes");
  for (std::size_t c = 1; c < group.Children.size(); ++c) {
    Unit u;
    u.shape = group.Children[c];
    const std::size_t end = unitStart + u.shape.Bytes().size();
    while (before(end)) {
      u.between.push_back({d.between[b].first - unitStart, d.between[b].second});
      ++b;
    }
    p.units.push_back(std::move(u));
    unitStart = end;
  }
  if (b != d.between.size()) throw EPptFormatError("records lie after a sheet's shapes");
  group.Children.resize(1);
  return p;
}

// The records of a drawing: its bytes in MSODRAWING records, cut where other records lie.
void AppendDrawing(std::vector<Record>& out, ParsedDrawing& p) {
  RPptRecord& group = p.dg.Children[p.groupAt];
  const RPptRecord patriarch = group.Children.front();
  std::vector<std::pair<std::size_t, const std::vector<Record>*>> between;
  std::size_t groupStart = 8;
  for (std::size_t c = 0; c < p.groupAt; ++c) groupStart += p.dg.Children[c].Bytes().size();
  std::size_t at = groupStart + 8 + patriarch.Bytes().size();
  for (const Unit& u : p.units) {
    group.Children.push_back(u.shape);
    for (const auto& [offset, records] : u.between) between.push_back({at + offset, &records});
    at += u.shape.Bytes().size();
  }
  const std::string bytes = p.dg.Bytes();
  std::size_t pos = 0;
  for (const auto& [offset, records] : between) {
    if (offset > pos)
      AppendSplit(out, kMsoDrawing, std::string_view(bytes).substr(pos, offset - pos));
    pos = offset;
    for (const Record& r : *records) out.push_back({r.id, r.data, r.offset});
  }
  if (pos < bytes.size()) AppendSplit(out, kMsoDrawing, std::string_view(bytes).substr(pos));
}

std::uint16_t ObjectId(const Record& obj) {
  return obj.data.size() >= 8 && ReadU16(obj.data, 0) == 0x15 ? ReadU16(obj.data, 6) : 0;
}

// A sheet's name as its entry stores it (one or two bytes a character), as UTF-16.
std::string SheetName(const std::string& entry) {
  if (entry.size() < 8) throw EPptFormatError("a sheet's entry is cut short");
  const std::size_t chars = static_cast<unsigned char>(entry[6]);
  const bool wide = entry[7] & 1;
  if (entry.size() < 8 + chars * (wide ? 2 : 1))
    throw EPptFormatError("a sheet's name is cut short");
  std::string name;
  for (std::size_t c = 0; c < chars; ++c) {
    name.push_back(entry[8 + c * (wide ? 2 : 1)]);
    name.push_back(wide ? entry[9 + c * 2] : '\0');
  }
  return name;
}

// The sheets of a workbook: name (as UTF-16) and where its substream begins.
struct Sheet {
  std::string name;
  std::size_t first = 0, end = 0;  // record indices of its substream
  bool worksheet = false;          // not a chart, macro or dialog sheet
};

struct Workbook {
  std::vector<Record> records;
  std::string tail;
  std::size_t globalsEnd = 0;
  std::vector<Sheet> sheets;
};

Workbook ReadWorkbook(const TCompoundFile& file) {
  const std::string* stream = file.Stream(kWorkbookStream);
  if (!stream) throw EPptUnsupported("not an Excel 97-2003 workbook");
  Workbook w;
  w.records = ReadRecords(*stream, w.tail);
  if (w.records.empty() || w.records.front().id != kBof || w.records.front().data.size() < 4 ||
      ReadU16(w.records.front().data, 0) != kBiff8)
    throw EPptUnsupported("not an Excel 97-2003 workbook");
  w.globalsEnd = SubstreamEnd(w.records, 0);
  std::map<std::int64_t, std::size_t> at;
  for (std::size_t i = 0; i < w.records.size(); ++i) at[w.records[i].offset] = i;
  for (std::size_t i = 0; i < w.globalsEnd; ++i) {
    const Record& r = w.records[i];
    if (r.id == kFilePass) throw EPptUnsupported("encrypted");
    if (r.id != kBoundSheet) continue;
    auto first = at.find(ReadU32(r.data, 0));
    if (first == at.end() || w.records[first->second].id != kBof)
      throw EPptFormatError("a sheet is not where the workbook says");
    const Record& bof = w.records[first->second];
    w.sheets.push_back({SheetName(r.data), first->second, SubstreamEnd(w.records, first->second),
                        bof.data.size() >= 4 && ReadU16(bof.data, 2) == kWorksheet});
  }
  return w;
}

std::optional<Drawing> SheetDrawing(const Workbook& w, const Sheet& s) {
  for (std::size_t i = s.first + 1; i < s.end; ++i) {
    if (w.records[i].id == kBof) {
      i = SubstreamEnd(w.records, i) - 1;
      continue;
    }
    if (w.records[i].id == kMsoDrawing) return ReadDrawing(w.records, i, s.end - 1);
  }
  return std::nullopt;
}

// A sheet's print range: the built-in name Print_Area that holds it (its record in the globals)
// and where in that record its formula lies.
struct PrintRange {
  std::size_t record = 0;
  std::size_t formulaAt = 0, formulaSize = 0;
  std::string_view Formula(const Workbook& w) const {
    return std::string_view(w.records[record].data).substr(formulaAt, formulaSize);
  }
};

// The print ranges of a workbook, by the sheet they belong to (1 for its first). A name whose
// record goes on in a CONTINUE is left out: it is not read, and so never rewritten.
std::map<std::uint16_t, PrintRange> PrintRanges(const Workbook& w) {
  constexpr std::uint16_t kBuiltIn = 0x0020;
  constexpr unsigned char kPrintArea = 0x06;
  std::map<std::uint16_t, PrintRange> ranges;
  for (std::size_t i = 0; i < w.globalsEnd; ++i) {
    const std::string& d = w.records[i].data;
    if (w.records[i].id != kName || d.size() < 16) continue;
    if (i + 1 < w.records.size() && w.records[i + 1].id == kContinue) continue;
    const bool builtIn = (ReadU16(d, 0) & kBuiltIn) != 0;
    const auto nameLength = static_cast<unsigned char>(d[3]);
    const std::uint16_t sheet = ReadU16(d, 8);
    const bool wide = (d[14] & 1) != 0;
    const std::size_t formulaAt = 15 + (wide ? 2 : 1);
    const std::size_t formulaSize = ReadU16(d, 4);
    if (!builtIn || nameLength != 1 || sheet == 0 || static_cast<unsigned char>(d[15]) != kPrintArea ||
        (wide && d[16] != 0) || d.size() < formulaAt + formulaSize)
      continue;
    ranges.try_emplace(sheet, PrintRange{i, formulaAt, formulaSize});
  }
  return ranges;
}

// One cell block of a print range's formula, and where in the formula its sheet index lies.
struct CellBlock3d {
  std::size_t sheetAt = 0;
  std::uint16_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
  bool Contains(const CellBlock3d& b) const {
    return firstRow <= b.firstRow && lastRow >= b.lastRow && firstColumn <= b.firstColumn &&
           lastColumn >= b.lastColumn;
  }
  bool operator==(const CellBlock3d& b) const { return Contains(b) && b.Contains(*this); }
};

// The cell blocks of a print range's formula, as Excel writes one: a block, a cell, or several
// of them joined into a union. Nothing for a formula of any other token.
std::optional<std::vector<CellBlock3d>> PrintRangeBlocks(std::string_view formula) {
  constexpr std::uint16_t kColumn = 0x00FF;  // the column of a reference, without its flags
  std::vector<CellBlock3d> blocks;
  for (std::size_t pos = 0; pos < formula.size();) {
    switch (static_cast<unsigned char>(formula[pos])) {
      case 0x3B:
      case 0x5B:
      case 0x7B:  // a block of cells on a sheet
        if (formula.size() - pos < 11) return std::nullopt;
        blocks.push_back({pos + 1, ReadU16(formula, pos + 3), ReadU16(formula, pos + 5),
                          static_cast<std::uint16_t>(ReadU16(formula, pos + 7) & kColumn),
                          static_cast<std::uint16_t>(ReadU16(formula, pos + 9) & kColumn)});
        pos += 11;
        break;
      case 0x3A:
      case 0x5A:
      case 0x7A: {  // one cell on a sheet
        if (formula.size() - pos < 7) return std::nullopt;
        const std::uint16_t row = ReadU16(formula, pos + 3);
        const auto column = static_cast<std::uint16_t>(ReadU16(formula, pos + 5) & kColumn);
        blocks.push_back({pos + 1, row, row, column, column});
        pos += 7;
        break;
      }
      case 0x29:
      case 0x49:
      case 0x69:  // the length of the union that follows
        pos += 3;
        break;
      case 0x10:  // the union of the two before
        pos += 1;
        break;
      default:
        return std::nullopt;
    }
  }
  if (blocks.empty() || formula.size() > 0xFFFF) return std::nullopt;
  return blocks;
}

// The office grows a sheet's print range to take in a mark that lies outside it (a sheet with
// a print range prints nothing else): the source's print range takes the copy's blocks, with
// the source's own sheet reference, so that the mark prints. A print range the office changed
// otherwise, or one that does not read, is not carried: the splice is refused rather than
// leave a mark that does not print. The records to write, by the index of the one they replace.
std::map<std::size_t, Record> GrownPrintRanges(const Workbook& s, const Workbook& t) {
  std::map<std::size_t, Record> grown;
  const auto copyRanges = PrintRanges(t);
  for (const auto& [sheet, range] : PrintRanges(s)) {
    const auto copy = copyRanges.find(sheet);
    if (copy == copyRanges.end()) continue;
    const std::string_view formula = range.Formula(s);
    const auto before = PrintRangeBlocks(formula);
    const std::string_view copyFormula = copy->second.Formula(t);
    const auto after = PrintRangeBlocks(copyFormula);
    if (!before || !after) {
      if (!before && !after && formula == copyFormula) continue;
      throw EPptUnsupported("a print range it does not read");
    }
    if (*before == *after) continue;
    bool grew = before->size() == after->size();
    for (std::size_t i = 0; grew && i < before->size(); ++i)
      grew = (*after)[i].Contains((*before)[i]);
    const std::uint16_t sheetRef = ReadU16(formula, before->front().sheetAt);
    for (const CellBlock3d& b : *before) grew = grew && ReadU16(formula, b.sheetAt) == sheetRef;
    if (!grew) throw EPptUnsupported("the office changed a print range other than by growing it");
    std::string newFormula(copyFormula);
    for (const CellBlock3d& b : *after) WriteU16(newFormula, b.sheetAt, sheetRef);
    Record name = s.records[range.record];
    name.offset = -1;
    name.data = name.data.substr(0, range.formulaAt) + newFormula +
                name.data.substr(range.formulaAt + range.formulaSize);
    WriteU16(name.data, 4, static_cast<std::uint16_t>(newFormula.size()));
    if (name.data.size() > kMaxData) throw EPptUnsupported("a print range too long to write");
    grown.emplace(range.record, std::move(name));
  }
  return grown;
}

// The mark shapes of LibreOffice's copy of a sheet, with their records, and the copy's group
// shape (to give a sheet without a drawing one).
struct CopyMarks {
  std::vector<Unit> marks;
  RPptRecord patriarch;
};

CopyMarks MarksOfCopy(const Workbook& t, const Sheet& s, const std::string& text) {
  CopyMarks found;
  const auto drawing = SheetDrawing(t, s);
  if (!drawing) return found;
  ParsedDrawing p = ParseDrawing(*drawing);
  found.patriarch = p.dg.Children[p.groupAt].Children.front();
  for (Unit& u : p.units)
    if (IsWordArtOf(u.shape, text)) found.marks.push_back(std::move(u));
  return found;
}

RPptRecord& FdgOf(RPptRecord& dg) {
  RPptRecord* fdg = dg.Child(kFdg);
  if (!fdg || fdg->Atom.size() < 8) throw EPptFormatError("a sheet's drawing has no shape count");
  return *fdg;
}

// A copy's mark made the source's: a new id, the name a restamp knows it by, a new object id.
Unit Adopted(Unit mark, std::uint32_t spid, std::uint16_t objectId) {
  RPptRecord* fsp = mark.shape.Child(kFsp);
  if (!fsp || fsp->Atom.size() < 8) throw EPptFormatError("the mark has no shape record");
  WriteU32(fsp->Atom, 0, spid);
  const std::size_t before = mark.shape.Bytes().size();
  KeepOurName(mark.shape);
  const std::size_t grown = mark.shape.Bytes().size() - before;
  bool hasObject = false;
  for (auto& [offset, records] : mark.between) {
    offset += grown;  // they follow the property table, which grew
    for (Record& r : records) {
      r.offset = -1;
      if (r.id == kObj && ObjectId(r) != 0) {
        r.data[6] = static_cast<char>(objectId & 0xFF);
        r.data[7] = static_cast<char>(objectId >> 8);
        hasObject = true;
      }
    }
  }
  if (!hasObject) throw EPptFormatError("the mark has no object record");
  return mark;
}

// Where a sheet without a drawing takes one: before what follows the objects of a sheet.
std::size_t NewDrawingPlace(const Workbook& w, const Sheet& s) {
  for (std::size_t i = s.first + 1; i < s.end; ++i) {
    const std::uint16_t id = w.records[i].id;
    if (id == kBof) {
      i = SubstreamEnd(w.records, i) - 1;
      continue;
    }
    if (id == kHfPicture || id == kNote || id == kSxView || id == kDcon || id == kWindow2) return i;
  }
  throw EPptUnsupported("a sheet has no place for a drawing");
}

// The names of the shapes of each sheet's drawing, sheet by sheet.
std::vector<std::vector<std::string>> ShapeNames(const Workbook& w) {
  std::vector<std::vector<std::string>> names;
  for (const Sheet& sheet : w.sheets) {
    names.emplace_back();
    if (const auto drawing = SheetDrawing(w, sheet))
      for (const Unit& u : ParseDrawing(*drawing).units)
        names.back().push_back(ShapeNameOf(u.shape));
  }
  return names;
}

RSpliced SpliceWorkbook(const std::string& source, const std::string& stamped,
                        const std::string& markText) {
  TCompoundFile src = TCompoundFile::Read(source);
  if (const std::string refusal = SpliceRefusal(src); !refusal.empty())
    throw EPptUnsupported(refusal);
  const Workbook s = ReadWorkbook(src);
  const TCompoundFile copy = TCompoundFile::Read(stamped);
  const Workbook t = ReadWorkbook(copy);
  if (s.sheets.size() != t.sheets.size()) throw EPptUnsupported("the sheets do not correspond");
  for (std::size_t i = 0; i < s.sheets.size(); ++i)
    if (s.sheets[i].name != t.sheets[i].name) throw EPptUnsupported("the sheets do not correspond");

  // The drawing group: the source's, or a new one.
  std::size_t groupFirst = s.globalsEnd - 1, groupEnd = groupFirst;  // its records
  RPptRecord dgg;
  bool hadGroup = false;
  for (std::size_t i = 0; i < s.globalsEnd; ++i) {
    if (s.records[i].id != kMsoDrawingGroup) continue;
    std::string bytes = s.records[i].data;
    std::size_t k = i + 1;
    // Writers go on in CONTINUEs or in more records of the drawing group itself.
    for (;
         k < s.globalsEnd && (s.records[k].id == kContinue || s.records[k].id == kMsoDrawingGroup);
         ++k)
      bytes += s.records[k].data;
    std::size_t pos = 0;
    dgg = RPptRecord::Parse(bytes, pos);
    if (pos != bytes.size() || dgg.Type != kDggContainer || dgg.Bytes() != bytes)
      throw EPptFormatError("the drawing group does not read back as it is");
    groupFirst = i;
    groupEnd = k;
    hadGroup = true;
    break;
  }
  if (!hadGroup) {
    for (std::size_t i = 0; i < s.globalsEnd; ++i)
      if (s.records[i].id == kSst) {
        groupFirst = groupEnd = i;
        break;
      }
    dgg.VerInst = 0xF;
    dgg.Type = kDggContainer;
    RPptRecord fdgg;
    fdgg.Type = kFdgg;
    AppendU32(fdgg.Atom, 0);  // the largest id handed out
    AppendU32(fdgg.Atom, 1);  // clusters, plus one
    AppendU32(fdgg.Atom, 0);  // shapes saved
    AppendU32(fdgg.Atom, 0);  // drawings saved
    dgg.Children.push_back(fdgg);
  }
  RPptRecord* fdgg = dgg.Child(kFdgg);
  if (!fdgg) throw EPptFormatError("the drawing group has no id list");
  TShapeIds ids(*fdgg);

  // Each sheet's records from its drawing on, as they will be written.
  std::map<std::size_t, std::pair<std::size_t, std::vector<Record>>> replaced;  // by first index
  std::uint32_t largestDrawing = ids.LargestDrawingId();
  // Each sheet's drawing, read once: the new drawings' ids follow every existing one.
  std::vector<std::optional<Drawing>> drawings;
  std::vector<ParsedDrawing> parsed(s.sheets.size());
  for (std::size_t i = 0; i < s.sheets.size(); ++i) {
    drawings.push_back(SheetDrawing(s, s.sheets[i]));
    if (drawings.back()) {
      parsed[i] = ParseDrawing(*drawings.back());
      largestDrawing = std::max(largestDrawing, FdgOf(parsed[i].dg).Instance());
    }
  }
  std::size_t found = 0;
  std::vector<std::size_t> expected;  // marks per sheet
  for (std::size_t i = 0; i < s.sheets.size(); ++i) {
    CopyMarks marks = MarksOfCopy(t, t.sheets[i], markText);
    found += marks.marks.size();
    expected.push_back(marks.marks.size());
    const auto& drawing = drawings[i];
    if (!drawing && marks.marks.empty()) continue;
    if (!s.sheets[i].worksheet && !marks.marks.empty())
      throw EPptUnsupported("a mark on a chart or macro sheet");
    ParsedDrawing p;
    std::uint16_t objectId = 1;
    std::set<std::uint32_t> used;
    std::size_t removed = 0;
    if (drawing) {
      p = std::move(parsed[i]);
      for (const Unit& u : p.units) {
        if (IsWordArtOf(u.shape, markText) && !IsOurNamedMark(u.shape))
          throw EPptUnsupported("a WordArt of the mark's text that is not the program's own");
        CollectShapeIds(u.shape, used);
      }
      const std::size_t before = p.units.size();
      p.units.erase(std::remove_if(p.units.begin(), p.units.end(),
                                   [](const Unit& u) { return IsOurNamedMark(u.shape); }),
                    p.units.end());
      removed = before - p.units.size();
      // Object ids are the sheet's own; a removed mark's may be given again.
      for (const Unit& u : p.units)
        for (const auto& group : u.between)
          for (const Record& r : group.second)
            if (r.id == kObj) objectId = std::max<std::uint16_t>(objectId, ObjectId(r) + 1);
      if (removed == 0 && marks.marks.empty()) continue;
    } else {
      p.dg.VerInst = 0xF;
      p.dg.Type = kDgContainer;
      RPptRecord fdg;
      fdg.VerInst = static_cast<std::uint16_t>(++largestDrawing << 4);
      fdg.Type = kFdg;
      AppendU32(fdg.Atom, 0);
      AppendU32(fdg.Atom, 0);
      RPptRecord group;
      group.VerInst = 0xF;
      group.Type = kSpgrContainer;
      group.Children.push_back(marks.patriarch);
      p.dg.Children = {fdg, group};
      p.groupAt = 1;
      ids.DrawingAdded();
      RPptRecord* fsp = group.Children.front().Child(kFsp);
      if (!fsp || fsp->Atom.size() < 8) throw EPptFormatError("the copy's drawing has no group");
      const std::uint32_t spid = ids.Allocate(fdg.Instance(), used);
      used.insert(spid);
      WriteU32(p.dg.Children[1].Children.front().Child(kFsp)->Atom, 0, spid);
      WriteU32(p.dg.Children[0].Atom, 0, 1);
      WriteU32(p.dg.Children[0].Atom, 4, spid);
    }
    RPptRecord& fdg = FdgOf(p.dg);
    for (Unit& mark : marks.marks) {
      const std::uint32_t spid = ids.Allocate(fdg.Instance(), used);
      used.insert(spid);
      WriteU32(fdg.Atom, 4, std::max(ReadU32(fdg.Atom, 4), spid));
      p.units.push_back(Adopted(std::move(mark), spid, objectId++));
    }
    const std::uint32_t csp = ReadU32(fdg.Atom, 0) + static_cast<std::uint32_t>(marks.marks.size());
    WriteU32(fdg.Atom, 0, csp > removed ? csp - static_cast<std::uint32_t>(removed) : 0);
    ids.Removed(static_cast<std::uint32_t>(removed));
    std::vector<Record> out;
    AppendDrawing(out, p);
    if (drawing) {
      replaced[drawing->first] = {drawing->last, std::move(out)};
    } else {
      const std::size_t place = NewDrawingPlace(s, s.sheets[i]);
      replaced[place] = {place, std::move(out)};
    }
  }
  if (found == 0) throw EPptUnsupported("no mark in LibreOffice's copy");
  std::map<std::size_t, Record> printRanges = GrownPrintRanges(s, t);
  for (auto& [index, name] : printRanges) replaced[index] = {index + 1, {name}};
  {
    std::vector<Record> group;
    AppendSplit(group, kMsoDrawingGroup, dgg.Bytes());
    replaced[groupFirst] = {groupEnd, std::move(group)};
  }

  // The stream: the source's records, the replaced runs in their place.
  std::vector<Record> out;
  for (std::size_t i = 0; i < s.records.size();) {
    auto r = replaced.find(i);
    if (r == replaced.end()) {
      out.push_back(s.records[i++]);
      continue;
    }
    for (Record& rec : r->second.second) out.push_back(std::move(rec));
    // A run that ends where it starts is inserted before the record there.
    if (r->second.first == i)
      out.push_back(s.records[i++]);
    else
      i = r->second.first;
  }
  // Where each source record went; the offsets that point at records, or into them, follow.
  std::map<std::int64_t, std::pair<std::uint32_t, std::size_t>> moved;  // new offset, size
  std::uint64_t size = 0;
  for (const Record& r : out) {
    if (r.offset >= 0) moved[r.offset] = {static_cast<std::uint32_t>(size), 4 + r.data.size()};
    size += 4 + r.data.size();
  }
  if (size + s.tail.size() > 0xFFFFFFFFull) throw EPptUnsupported("the workbook grows past 4 GB");
  auto shift = [&moved](std::uint32_t old) -> std::uint32_t {
    auto it = moved.upper_bound(old);
    if (it == moved.begin()) throw EPptFormatError("an offset points before the stream");
    --it;
    const std::uint64_t within = old - static_cast<std::uint64_t>(it->first);
    // Only drawing records and print ranges were written anew, and nothing points at them.
    if (within >= it->second.second) throw EPptFormatError("an offset points at a changed record");
    return static_cast<std::uint32_t>(it->second.first + within);
  };
  for (Record& r : out) {
    if (r.offset < 0) continue;
    if (r.id == kBoundSheet && r.data.size() >= 4) {
      WriteU32(r.data, 0, shift(ReadU32(r.data, 0)));
    } else if (r.id == kIndex && r.data.size() >= 16) {
      if (const std::uint32_t xf = ReadU32(r.data, 12); xf != 0) WriteU32(r.data, 12, shift(xf));
      for (std::size_t at = 16; at + 4 <= r.data.size(); at += 4)
        WriteU32(r.data, at, shift(ReadU32(r.data, at)));
    } else if (r.id == kExtSst) {
      for (std::size_t at = 2; at + 8 <= r.data.size(); at += 8)
        WriteU32(r.data, at, shift(ReadU32(r.data, at)));
    }
  }
  std::string stream;
  stream.reserve(size + s.tail.size());
  for (const Record& r : out) {
    AppendU16(stream, r.id);
    AppendU16(stream, static_cast<std::uint16_t>(r.data.size()));
    stream += r.data;
  }
  stream += s.tail;
  *src.Stream(kWorkbookStream) = std::move(stream);
  RSpliced result{true, src.Write(), {}};
  // The file written reads back whole, with the copy's marks on each sheet and no others, and
  // with the print ranges written.
  const Workbook written = ReadWorkbook(TCompoundFile::Read(result.Bytes));
  const auto names = ShapeNames(written);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (i >= names.size() || std::count_if(names[i].begin(), names[i].end(), IsOurMarkName) !=
                                 static_cast<std::ptrdiff_t>(expected[i]))
      throw EPptFormatError("the spliced workbook does not read back as written");
  }
  const auto writtenRanges = PrintRanges(written);
  for (const auto& [index, name] : printRanges) {
    const auto range = writtenRanges.find(ReadU16(name.data, 8));
    if (range == writtenRanges.end() ||
        range->second.Formula(written) !=
            std::string_view(name.data).substr(range->second.formulaAt, ReadU16(name.data, 4)))
      throw EPptFormatError("the spliced workbook does not read back as written");
  }
  return result;
}

}  // namespace

std::vector<std::vector<std::string>> XlsShapeNames(const std::string& bytes) {
  return ShapeNames(ReadWorkbook(TCompoundFile::Read(bytes)));
}

RSpliced SpliceXlsMarks(const std::string& source, const std::string& stamped,
                        const std::string& markText) {
  try {
    return SpliceWorkbook(source, stamped, markText);
  } catch (const std::exception& e) {  // EPptUnsupported and every format or file error
    return {false, {}, e.what()};
  }
}

}  // namespace stampwell::legacy
