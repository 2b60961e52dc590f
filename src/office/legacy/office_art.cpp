// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/office_art.h"

#include <algorithm>
#include <vector>

#include "office/office_shapes.h"

namespace stampwell::legacy {
namespace {

constexpr std::uint32_t kShapesPerCluster = 1024;
constexpr char kSummaryStream[] = "\005DocumentSummaryInformation";
constexpr char kNameRecordProperty[] = "StampwellShapeNames";

}  // namespace

std::string Utf16(const std::string& utf8) {
  std::string out;
  auto unit = [&out](std::uint32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>((u >> 8) & 0xFF));
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i++]);
    std::uint32_t cp = c;
    int extra = 0;
    if (c >= 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else if (c >= 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if (c >= 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    }
    for (int k = 0; k < extra && i < utf8.size(); ++k, ++i)
      cp = cp << 6 | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 | (cp >> 10));
      unit(0xDC00 | (cp & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

std::string Utf8(std::string utf16) {
  while (utf16.size() >= 2 && utf16[utf16.size() - 1] == 0 && utf16[utf16.size() - 2] == 0)
    utf16.resize(utf16.size() - 2);
  std::string out;
  for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
    std::uint32_t cp = ReadU16(utf16, i);
    if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < utf16.size()) {
      const std::uint32_t low = ReadU16(utf16, i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | cp >> 6));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | cp >> 12));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | cp >> 18));
      out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::optional<std::string> ComplexProperty(const RPptRecord& sp, std::uint16_t pid) {
  const RPptRecord* fopt = sp.Child(art::kFopt);
  if (!fopt) return std::nullopt;
  const std::string& a = fopt->Atom;
  const unsigned n = fopt->Instance();
  std::size_t complexAt = 6u * n;
  if (complexAt > a.size()) throw EPptFormatError("a shape's property table is cut short");
  for (unsigned i = 0; i < n; ++i) {
    const std::uint16_t opid = ReadU16(a, 6u * i);
    const std::uint32_t value = ReadU32(a, 6u * i + 2);
    if (!(opid & 0x8000)) continue;
    if (value > a.size() - complexAt) throw EPptFormatError("a shape's property runs past it");
    if ((opid & 0x3FFF) == pid) return a.substr(complexAt, value);
    complexAt += value;
  }
  return std::nullopt;
}

std::string ShapeNameOf(const RPptRecord& sp) {
  const auto name = ComplexProperty(sp, art::kPropName);
  return name ? Utf8(*name) : std::string();
}

unsigned ShapeType(const RPptRecord& sp) {
  const RPptRecord* fsp = sp.Child(art::kFsp);
  return fsp ? fsp->Instance() : 0;
}

bool IsOurNamedMark(const RPptRecord& sp) {
  return sp.Type == art::kSpContainer && IsOurMarkName(ShapeNameOf(sp));
}

bool IsOurMarkName(const std::string& name) {
  const std::string prefix = kWaterMarkPrefix;
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 9) return false;
  if (name.compare(0, prefix.size(), prefix) != 0 || name[prefix.size()] == '0') return false;
  return name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

void KeepOurName(RPptRecord& sp) {
  if (!IsOurNamedMark(sp)) NameShape(sp, std::string(kWaterMarkPrefix) + "1");
}

bool IsWordArtOf(const RPptRecord& sp, const std::string& text) {
  if (sp.Type != art::kSpContainer || ShapeType(sp) != art::kPlainTextWordArt) return false;
  const auto geoText = ComplexProperty(sp, art::kPropGeoText);
  return geoText && Utf8(*geoText) == text;
}

void NameShape(RPptRecord& sp, const std::string& name) {
  RPptRecord* fopt = sp.Child(art::kFopt);
  if (!fopt) throw EPptFormatError("the mark has no property table");
  struct Property {
    std::uint16_t opid;
    std::uint32_t value;
    std::string data;  // a complex property's value
  };
  const std::string& a = fopt->Atom;
  const unsigned n = fopt->Instance();
  std::vector<Property> properties;
  std::size_t complexAt = 6u * n;
  if (complexAt > a.size()) throw EPptFormatError("a shape's property table is cut short");
  for (unsigned i = 0; i < n; ++i) {
    Property p{ReadU16(a, 6u * i), ReadU32(a, 6u * i + 2), {}};
    if (p.opid & 0x8000) {
      if (p.value > a.size() - complexAt) throw EPptFormatError("a shape's property runs past it");
      p.data = a.substr(complexAt, p.value);
      complexAt += p.value;
    }
    properties.push_back(std::move(p));
  }
  std::string value = Utf16(name);
  value.append(2, '\0');
  // The name replaces one the shape has (LibreOffice's export names a workbook's shapes),
  // else it is added last.
  auto named = std::find_if(properties.begin(), properties.end(), [](const Property& p) {
    return (p.opid & 0x3FFF) == art::kPropName && (p.opid & 0x8000);
  });
  if (named == properties.end())
    named = properties.insert(properties.end(), Property{art::kPropName | 0x8000, 0, {}});
  named->value = static_cast<std::uint32_t>(value.size());
  named->data = value;
  std::string table, data;
  for (const Property& p : properties) {
    AppendU16(table, p.opid);
    AppendU32(table, p.value);
    data += p.data;
  }
  fopt->Atom = table + data + a.substr(complexAt);
  fopt->VerInst = static_cast<std::uint16_t>(properties.size() << 4 | fopt->Version());
}

void CollectShapeIds(const RPptRecord& r, std::set<std::uint32_t>& ids) {
  if (r.Type == art::kFsp && r.Atom.size() >= 4) ids.insert(ReadU32(r.Atom, 0));
  for (const RPptRecord& c : r.Children) CollectShapeIds(c, ids);
}

TShapeIds::TShapeIds(RPptRecord& fdgg) : fdgg_(fdgg) {
  if (fdgg_.Type != art::kFdgg || fdgg_.Atom.size() < 16)
    throw EPptFormatError("the drawing group is missing");
  const std::uint32_t cidcl = ReadU32(fdgg_.Atom, 4);
  if (cidcl == 0 || fdgg_.Atom.size() < 16 + 8ull * (cidcl - 1))
    throw EPptFormatError("the drawing group's clusters are cut short");
}

std::uint32_t TShapeIds::Allocate(std::uint32_t dgid, const std::set<std::uint32_t>& used) {
  std::string& a = fdgg_.Atom;
  const std::uint32_t clusters = ReadU32(a, 4) - 1;
  for (std::uint32_t k = clusters; k-- > 0;) {
    if (ReadU32(a, 16 + 8 * k) != dgid) continue;
    for (std::uint32_t cur = ReadU32(a, 20 + 8 * k); cur < kShapesPerCluster; ++cur) {
      const std::uint32_t spid = (k + 1) * kShapesPerCluster + cur;
      WriteU32(a, 20 + 8 * k, cur + 1);
      if (used.count(spid)) continue;
      return Taken(spid);
    }
  }
  // A new cluster for this drawing.
  a.resize(16 + 8ull * clusters);
  AppendU32(a, dgid);
  AppendU32(a, 1);
  WriteU32(a, 4, clusters + 2);
  return Taken((clusters + 1) * kShapesPerCluster);
}

void TShapeIds::Removed(std::uint32_t count) {
  const std::uint32_t saved = ReadU32(fdgg_.Atom, 8);
  WriteU32(fdgg_.Atom, 8, saved > count ? saved - count : 0);
}

void TShapeIds::DrawingAdded() { WriteU32(fdgg_.Atom, 12, ReadU32(fdgg_.Atom, 12) + 1); }

std::uint32_t TShapeIds::LargestDrawingId() const {
  std::uint32_t largest = 0;
  for (std::uint32_t k = 0; k + 1 < ReadU32(fdgg_.Atom, 4); ++k)
    largest = std::max(largest, ReadU32(fdgg_.Atom, 16 + 8 * k));
  return largest;
}

std::uint32_t TShapeIds::Taken(std::uint32_t spid) {
  std::string& a = fdgg_.Atom;
  WriteU32(a, 0, std::max(ReadU32(a, 0), spid + 1));
  WriteU32(a, 8, ReadU32(a, 8) + 1);
  return spid;
}

std::string SpliceRefusal(const TCompoundFile& file) {
  for (const char* signature : {"_signatures", "_xmlsignatures", "\005DigitalSignature"})
    if (file.HasTopLevel(signature)) return "signed";
  if (const std::string* summary = file.Stream(kSummaryStream)) {
    if (summary->find(kNameRecordProperty) != std::string::npos ||
        summary->find(Utf16(kNameRecordProperty)) != std::string::npos)
      return "LibreOffice wrote the source for an earlier stamp";
  }
  return "";
}

}  // namespace stampwell::legacy
