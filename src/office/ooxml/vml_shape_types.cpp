// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ooxml/vml_shape_types.h"

#include <set>

#include "office/ooxml/xml_part.h"

namespace stampwell::ooxml {

namespace {

bool Parse(pugi::xml_document& doc, const std::string& xml) {
  try {
    ParseXml(doc, xml, "");
    return true;
  } catch (const EPackageError&) {
    return false;
  }
}

bool IsVml(const pugi::xml_node& node, const char* local) {
  return node.type() == pugi::node_element && LocalName(node.name()) == local &&
         std::string(node.name()).rfind("v:", 0) == 0;
}

}  // namespace

std::map<std::string, std::string> VmlShapeTypes(const std::string& partXml) {
  std::map<std::string, std::string> types;
  pugi::xml_document doc;
  if (!Parse(doc, partXml)) return types;
  for (const auto& found : doc.select_nodes("//*")) {
    const auto e = found.node();
    if (!IsVml(e, "shapetype")) continue;
    const std::string id = e.attribute("id").value();
    if (!id.empty() && !types.count(id)) types[id] = SerializeNode(e);
  }
  return types;
}

std::string WithVmlShapeTypes(const std::string& partXml,
                              const std::map<std::string, std::string>& known) {
  pugi::xml_document doc;
  if (!Parse(doc, partXml)) return partXml;
  std::set<std::string> defined;
  std::vector<pugi::xml_node> shapes;
  for (const auto& found : doc.select_nodes("//*")) {
    const auto e = found.node();
    if (IsVml(e, "shapetype")) defined.insert(e.attribute("id").value());
    if (IsVml(e, "shape")) shapes.push_back(e);
  }
  bool changed = false;
  for (auto& shape : shapes) {
    std::string type = shape.attribute("type").value();
    if (!type.empty() && type[0] == '#') type.erase(0, 1);
    if (type.empty() || defined.count(type)) continue;
    const auto definition = known.find(type);
    if (definition == known.end()) continue;
    pugi::xml_document fragment;
    if (!Parse(fragment, definition->second)) continue;
    shape.parent().insert_copy_before(fragment.document_element(), shape);
    defined.insert(type);
    changed = true;
  }
  return changed ? SerializeXml(doc) : partXml;
}

int CompleteVmlShapeTypes(const std::string& path) {
  TZipPackage package;
  package.Open(path);
  std::vector<std::pair<std::string, std::string>> parts;
  std::map<std::string, std::string> known;
  for (const auto& name : package.PartNames()) {
    if (name.rfind("word/", 0) != 0 || name.size() < 4 ||
        name.compare(name.size() - 4, 4, ".xml") != 0)
      continue;
    parts.emplace_back(name, package.Read(name));
    if (parts.back().second.find("shapetype") == std::string::npos) continue;
    for (const auto& [id, definition] : VmlShapeTypes(parts.back().second))
      known.emplace(id, definition);
  }
  if (known.empty()) return 0;
  int changed = 0;
  for (const auto& [name, xml] : parts) {
    std::string completed = WithVmlShapeTypes(xml, known);
    if (completed == xml) continue;
    package.Write(name, std::move(completed));
    ++changed;
  }
  if (changed > 0) package.SaveAs(path);
  return changed;
}

}  // namespace stampwell::ooxml
