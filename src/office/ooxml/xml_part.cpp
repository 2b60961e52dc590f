// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ooxml/xml_part.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

#include "platform/strings.h"

namespace stampwell::ooxml {

namespace {

// Everything a part holds is kept: the declaration, comments, processing instructions, a
// document type, and text made of white space only (a space run in a Word paragraph).
constexpr unsigned kParseFlags = pugi::parse_full | pugi::parse_ws_pcdata;

// The strict spelling of a transitional namespace ("" when it has none).
std::string StrictOf(const std::string& uri) {
  static const std::map<std::string, std::string> strict = {
      {ns::W, "http://purl.oclc.org/ooxml/wordprocessingml/main"},
      {ns::R, "http://purl.oclc.org/ooxml/officeDocument/relationships"},
      {ns::P, "http://purl.oclc.org/ooxml/presentationml/main"},
      {ns::A, "http://purl.oclc.org/ooxml/drawingml/main"},
      {ns::XDR, "http://purl.oclc.org/ooxml/drawingml/spreadsheetDrawing"},
      {ns::S, "http://purl.oclc.org/ooxml/spreadsheetml/main"},
  };
  const auto at = strict.find(uri);
  return at == strict.end() ? std::string() : at->second;
}

std::string Folder(const std::string& part) {
  const auto slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::vector<std::string> Segments(const std::string& path) {
  std::vector<std::string> out;
  std::string seg;
  std::istringstream in(path);
  while (std::getline(in, seg, '/')) out.push_back(seg);
  return out;
}

}  // namespace

void ParseXml(pugi::xml_document& doc, const std::string& data, const std::string& part) {
  const auto result = doc.load_buffer(data.data(), data.size(), kParseFlags);
  if (!result)
    throw EPackageError("the package part " + part + " is not well-formed XML (" +
                        result.description() + ")");
}

std::string SerializeXml(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

std::string SerializeNode(const pugi::xml_node& node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

std::string LocalName(const char* qualified) {
  const char* colon = std::strchr(qualified, ':');
  return colon ? colon + 1 : qualified;
}

TNamespaces::TNamespaces(pugi::xml_node root) : root_(root) {}

bool TNamespaces::Prefix(const std::string& uri, std::string& prefix) const {
  const std::string strict = StrictOf(uri);
  for (const auto& a : root_.attributes()) {
    const std::string name = a.name();
    const std::string value = a.value();
    if (value != uri && (strict.empty() || value != strict)) continue;
    if (name == "xmlns") {
      prefix.clear();
      return true;
    }
    if (name.rfind("xmlns:", 0) == 0) {
      prefix = name.substr(6);
      return true;
    }
  }
  return false;
}

std::string TNamespaces::Name(const std::string& uri, const std::string& local,
                              const char* preferred) {
  std::string prefix;
  if (!Prefix(uri, prefix)) {
    prefix = preferred;
    for (int n = 1; root_.attribute(("xmlns:" + prefix).c_str()); ++n)
      prefix = std::string(preferred) + std::to_string(n);
    root_.append_attribute(("xmlns:" + prefix).c_str()) = uri.c_str();
  }
  return prefix.empty() ? local : prefix + ":" + local;
}

bool TNamespaces::Is(const pugi::xml_node& node, const std::string& uri,
                     const char* local) const {
  if (node.type() != pugi::node_element) return false;
  const char* name = node.name();
  const char* colon = std::strchr(name, ':');
  const char* nodeLocal = colon ? colon + 1 : name;
  if (std::strcmp(nodeLocal, local) != 0) return false;
  std::string prefix;
  if (!Prefix(uri, prefix)) return false;
  const std::size_t prefixLength = colon ? std::size_t(colon - name) : 0;
  return prefix.size() == prefixLength && prefix.compare(0, prefixLength, name, prefixLength) == 0;
}

std::string RelsPartOf(const std::string& part) {
  const auto slash = part.rfind('/');
  if (slash == std::string::npos) return "_rels/" + part + ".rels";
  return part.substr(0, slash) + "/_rels/" + part.substr(slash + 1) + ".rels";
}

std::string ResolveTarget(const std::string& part, const std::string& target) {
  std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : Folder(part) + target;
  std::vector<std::string> out;
  for (const auto& seg : Segments(path)) {
    if (seg.empty() || seg == ".") continue;
    if (seg == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(seg);
  }
  std::string joined;
  for (const auto& seg : out) joined += (joined.empty() ? "" : "/") + seg;
  return joined;
}

std::string RelativeTarget(const std::string& part, const std::string& target) {
  const auto from = Segments(Folder(part));
  const auto to = Segments(target);
  std::size_t common = 0;
  while (common < from.size() && common + 1 < to.size() && from[common] == to[common]) ++common;
  std::string rel;
  for (std::size_t i = common; i < from.size(); ++i)
    if (!from[i].empty()) rel += "../";
  for (std::size_t i = common; i < to.size(); ++i) rel += to[i] + (i + 1 < to.size() ? "/" : "");
  return rel;
}

bool IsRelType(const std::string& type, const char* kind) {
  const std::string tail = std::string("/") + kind;
  return type.size() > tail.size() && type.compare(type.size() - tail.size(), tail.size(), tail) == 0;
}

TRelationships::TRelationships(TZipPackage& package, std::string sourcePart)
    : package_(package), sourcePart_(std::move(sourcePart)), relsPart_(RelsPartOf(sourcePart_)) {
  if (!package_.Has(relsPart_)) {
    doc_.append_child("Relationships").append_attribute("xmlns") = ns::PKG_RELS;
    return;
  }
  ParseXml(doc_, package_.Read(relsPart_), relsPart_);
  for (const auto& r : doc_.document_element().children()) {
    if (LocalName(r.name()) != "Relationship") continue;
    rels_.push_back({r.attribute("Id").value(), r.attribute("Type").value(),
                     r.attribute("Target").value(), r.attribute("TargetMode").value()});
  }
}

const RRelationship* TRelationships::ById(const std::string& id) const {
  for (const auto& r : rels_)
    if (r.Id == id) return &r;
  return nullptr;
}

std::vector<std::string> TRelationships::Targets(const char* kind) const {
  std::vector<std::string> parts;
  for (const auto& r : rels_)
    if (IsRelType(r.Type, kind) && r.TargetMode != "External")
      parts.push_back(ResolveTarget(sourcePart_, r.Target));
  return parts;
}

std::string TRelationships::TargetOf(const std::string& id) const {
  const auto* r = ById(id);
  if (!r || r->TargetMode == "External") return "";
  return ResolveTarget(sourcePart_, r->Target);
}

std::string TRelationships::Add(const std::string& type, const std::string& targetPart) {
  std::string id;
  for (int n = int(rels_.size()) + 1;; ++n) {
    id = "rId" + std::to_string(n);
    if (!ById(id)) break;
  }
  const std::string target = RelativeTarget(sourcePart_, targetPart);
  auto r = doc_.document_element().append_child("Relationship");
  r.append_attribute("Id") = id.c_str();
  r.append_attribute("Type") = type.c_str();
  r.append_attribute("Target") = target.c_str();
  rels_.push_back({id, type, target, ""});
  changed_ = true;
  return id;
}

void TRelationships::Save() {
  if (!changed_) return;
  std::string xml = SerializeXml(doc_);
  if (!package_.Has(relsPart_))
    xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n" + xml;
  package_.Write(relsPart_, std::move(xml));
  changed_ = false;
}

TContentTypes::TContentTypes(TZipPackage& package) : package_(package) {
  ParseXml(doc_, package_.Read("[Content_Types].xml"), "[Content_Types].xml");
}

std::string TContentTypes::TypeOf(const std::string& part) const {
  const std::string name = "/" + LowerCase(part);
  std::string byExtension;
  const auto dot = part.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : LowerCase(part.substr(dot + 1));
  for (const auto& e : doc_.document_element().children()) {
    const std::string local = LocalName(e.name());
    if (local == "Override" && LowerCase(e.attribute("PartName").value()) == name)
      return e.attribute("ContentType").value();
    if (local == "Default" && LowerCase(e.attribute("Extension").value()) == extension)
      byExtension = e.attribute("ContentType").value();
  }
  return byExtension;
}

std::vector<std::string> TContentTypes::PartsOfType(const std::string& type) const {
  std::vector<std::string> parts;
  for (const auto& name : package_.PartNames())
    if (TypeOf(name) == type) parts.push_back(name);
  return parts;
}

void TContentTypes::AddOverride(const std::string& part, const std::string& type) {
  if (TypeOf(part) == type) return;
  auto root = doc_.document_element();
  const char* prefixed = std::strchr(root.name(), ':');
  const std::string name =
      prefixed ? std::string(root.name(), prefixed + 1) + "Override" : std::string("Override");
  auto e = root.append_child(name.c_str());
  e.append_attribute("PartName") = ("/" + part).c_str();
  e.append_attribute("ContentType") = type.c_str();
  changed_ = true;
}

void TContentTypes::Save() {
  if (!changed_) return;
  package_.Write("[Content_Types].xml", SerializeXml(doc_));
  changed_ = false;
}

std::string FreePartName(const TZipPackage& package, const std::string& folder,
                         const std::string& stem, const std::string& extension) {
  for (int n = 1;; ++n) {
    std::string name = folder + stem + std::to_string(n) + extension;
    if (!package.Has(name)) return name;
  }
}

}  // namespace stampwell::ooxml
