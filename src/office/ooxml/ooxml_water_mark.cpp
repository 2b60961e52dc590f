// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ooxml/ooxml_water_mark.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "office/ooxml/xml_part.h"

namespace stampwell {

using ooxml::EPackageError;

namespace {

std::string Extension(const std::string& path) {
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// An encrypted Office package is a compound file (the OLE container) holding an
// "EncryptionInfo" stream beside the encrypted package; any other compound file is not a
// package at all.
bool IsEncryptedPackage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[8] = {};
  if (!in.read(magic, 8)) return false;
  static const unsigned char kCompound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (!std::equal(magic, magic + 8, reinterpret_cast<const char*>(kCompound))) return false;
  const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string name;  // the stream's name as a directory entry holds it: UTF-16LE
  for (char c : std::string("EncryptionInfo")) {
    name += c;
    name += '\0';
  }
  return data.find(name) != std::string::npos;
}

// A digital signature: a signature the package's signature origin points to, or a
// signature part where the Office applications keep them.
bool IsSigned(ooxml::TZipPackage& package) {
  ooxml::TRelationships rels(package, "");
  for (const auto& r : rels.All()) {
    if (r.Type.find("digital-signature") == std::string::npos || !ooxml::IsRelType(r.Type, "origin"))
      continue;
    const std::string origin = rels.TargetOf(r.Id);
    if (origin.empty() || !package.Has(origin)) continue;
    if (!ooxml::TRelationships(package, origin).Targets("signature").empty()) return true;
  }
  for (const auto& name : package.PartNames())
    if (name.rfind("_xmlsignatures/", 0) == 0 && name.find("/_rels/") == std::string::npos &&
        name.back() != '/' && name.compare(15, 6, "origin") != 0)
      return true;
  return false;
}

}  // namespace

EOoxmlKind OoxmlKindOf(const std::string& path) {
  const std::string ext = Extension(path);
  if (ext == "docx" || ext == "docm") return EOoxmlKind::Word;
  if (ext == "xlsx" || ext == "xlsm") return EOoxmlKind::Excel;
  if (ext == "pptx" || ext == "pptm") return EOoxmlKind::PowerPoint;
  return EOoxmlKind::None;
}

bool TOoxmlWaterMark::Open(const std::string& source) {
  Close();
  openError_ = "the file cannot be opened";
  kind_ = OoxmlKindOf(source);
  if (kind_ == EOoxmlKind::None) return false;
  if (IsEncryptedPackage(source)) {
    openError_ = "needs a password";
    return false;
  }
  try {
    package_.Open(source);
    if (!package_.Has("[Content_Types].xml")) {
      package_.Close();
      return false;
    }
    if (IsSigned(package_)) {
      package_.Close();
      openError_ = "signed document, not stamped";
      return false;
    }
  } catch (const std::exception&) {
    package_.Close();
    return false;
  }
  return true;
}

void TOoxmlWaterMark::AddWaterMark(const RDocSettings& settings) {
  if (!package_.IsOpen()) throw std::logic_error("no document is open");
  const ooxml::RMarkStyle style = ooxml::MarkStyleOf(settings);
  notes_.clear();
  switch (kind_) {
    case EOoxmlKind::Word:
      marks_ = ooxml::StampWordDocument(package_, style);
      break;
    case EOoxmlKind::Excel:
      marks_ = ooxml::StampWorkbook(package_, style, {ActiveSheetOnly}, &notes_);
      break;
    case EOoxmlKind::PowerPoint:
      marks_ = ooxml::StampPresentation(package_, style);
      break;
    case EOoxmlKind::None:
      break;
  }
  if (marks_ == 0) throw EPackageError("the document has no place for the mark");
}

void TOoxmlWaterMark::SaveAs(const std::string& dest) {
  if (!package_.IsOpen()) throw std::logic_error("no document is open");
  package_.SaveAs(dest);
}

void TOoxmlWaterMark::PrintToPDFFile(const std::string& /*pdfPath*/) {
  throw std::logic_error("the package engine does not print; print the saved package");
}

void TOoxmlWaterMark::Close() {
  package_.Close();
  marks_ = 0;
}

}  // namespace stampwell
