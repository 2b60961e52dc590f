// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "office/ooxml/zip_package.h"

// Reading and writing the XML parts of a package with pugixml: a part is parsed with all it
// holds (declaration, comments, processing instructions, white-space text) and written back
// without indentation, so that every element, attribute and text of the source stays.
namespace stampwell::ooxml {

// English Metric Units, the drawing unit of Office Open XML, in a point.
inline constexpr double kEmuPerPoint = 12700;

// The namespaces the stamps use, in their transitional spelling; the strict one is accepted
// wherever a part is read.
namespace ns {
inline constexpr char W[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr char R[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr char V[] = "urn:schemas-microsoft-com:vml";
inline constexpr char O[] = "urn:schemas-microsoft-com:office:office";
inline constexpr char W10[] = "urn:schemas-microsoft-com:office:word";
inline constexpr char P[] = "http://schemas.openxmlformats.org/presentationml/2006/main";
inline constexpr char A[] = "http://schemas.openxmlformats.org/drawingml/2006/main";
inline constexpr char XDR[] =
    "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing";
inline constexpr char S[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr char PKG_RELS[] = "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr char CONTENT_TYPES[] =
    "http://schemas.openxmlformats.org/package/2006/content-types";
}  // namespace ns

// Parses a part; throws EPackageError naming the part when it is not well-formed XML.
void ParseXml(pugi::xml_document& doc, const std::string& data, const std::string& part);
// The document as written back: no indentation, the source's declaration when it had one.
std::string SerializeXml(const pugi::xml_document& doc);
// One node as markup.
std::string SerializeNode(const pugi::xml_node& node);

// The prefixes of one part's namespaces, as its root element declares them. Element names
// are compared as prefix:local, which is how the Office applications write every part.
class TNamespaces {
 public:
  explicit TNamespaces(pugi::xml_node root);
  // The prefix bound to uri (or its strict spelling) on the root ("" for the default
  // namespace); false when the root does not declare it.
  bool Prefix(const std::string& uri, std::string& prefix) const;
  // The qualified name of local in uri ("w:p", or "p" under a default namespace). When the
  // root does not declare uri, it is declared there with preferred as prefix (or a free
  // variant of it).
  std::string Name(const std::string& uri, const std::string& local, const char* preferred);
  // Whether node's name is local in namespace uri. False when the root does not declare uri.
  bool Is(const pugi::xml_node& node, const std::string& uri, const char* local) const;

 private:
  pugi::xml_node root_;
};

// The local part of a qualified name ("w:p" -> "p").
std::string LocalName(const char* qualified);

// "word/document.xml" -> "word/_rels/document.xml.rels"; "" -> "_rels/.rels".
std::string RelsPartOf(const std::string& part);
// A relationship target of part as a part name: relative to the part's folder, "/" for
// the package root, "." and ".." resolved, percent escapes left as they are.
std::string ResolveTarget(const std::string& part, const std::string& target);
// target relative to the folder of part (the way the Office applications write targets).
std::string RelativeTarget(const std::string& part, const std::string& target);

// Whether a relationship type ends in "/" + kind ("header", "slideMaster", ...), in the
// transitional and the strict spelling alike.
bool IsRelType(const std::string& type, const char* kind);

struct RRelationship {
  std::string Id, Type, Target, TargetMode;
};

// The relationships of one part, editable; Save writes the part back when something was
// added or removed.
class TRelationships {
 public:
  TRelationships(TZipPackage& package, std::string sourcePart);
  const std::vector<RRelationship>& All() const { return rels_; }
  const RRelationship* ById(const std::string& id) const;
  // The internal targets of relationships of the kind, as part names, in their order.
  std::vector<std::string> Targets(const char* kind) const;
  // The part an internal relationship id points to ("" when none).
  std::string TargetOf(const std::string& id) const;
  // Adds a relationship of the full type to the part targetPart; returns its new id.
  std::string Add(const std::string& type, const std::string& targetPart);
  void Save();

 private:
  TZipPackage& package_;
  std::string sourcePart_, relsPart_;
  pugi::xml_document doc_;
  std::vector<RRelationship> rels_;
  bool changed_ = false;
};

// The package's [Content_Types].xml, editable.
class TContentTypes {
 public:
  explicit TContentTypes(TZipPackage& package);
  // The content type of part ("" when the package does not say).
  std::string TypeOf(const std::string& part) const;
  // Every part (by name, no leading slash) the package gives type.
  std::vector<std::string> PartsOfType(const std::string& type) const;
  void AddOverride(const std::string& part, const std::string& type);
  void Save();

 private:
  TZipPackage& package_;
  pugi::xml_document doc_;
  bool changed_ = false;
};

// A part name not used yet: folder + stem + N + extension, N counting from 1.
std::string FreePartName(const TZipPackage& package, const std::string& folder,
                         const std::string& stem, const std::string& extension);

}  // namespace stampwell::ooxml
