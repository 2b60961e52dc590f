// SPDX-License-Identifier: GPL-3.0-or-later
#include "package_check.h"

#include <zip.h>

#include <functional>
#include <stdexcept>

#include <pugixml.hpp>

#include "office/ooxml/mark_style.h"

namespace stampwell::test {

std::map<std::string, RStoredEntry> ReadEntries(const std::string& path) {
  std::map<std::string, RStoredEntry> entries;
  int error = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (!z) return entries;
  for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(z, zip_uint64_t(i), 0, &st);
    RStoredEntry e;
    e.compSize = st.comp_size;
    e.crc = st.crc;
    e.method = st.comp_method;
    e.data.resize(st.size);
    zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
    if (f) {
      zip_fread(f, e.data.data(), e.data.size());
      zip_fclose(f);
    }
    entries[st.name] = std::move(e);
  }
  zip_discard(z);
  return entries;
}

std::vector<std::string> EntryOrder(const std::string& path) {
  std::vector<std::string> names;
  int error = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (!z) return names;
  for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i)
    names.push_back(zip_get_name(z, zip_uint64_t(i), 0));
  zip_discard(z);
  return names;
}

void WritePackage(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& entries) {
  int error = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!z) throw std::runtime_error("cannot create " + path);
  for (const auto& [name, data] : entries) {
    zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
    zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8);
  }
  if (zip_close(z) != 0) throw std::runtime_error("cannot write " + path);
}

std::multiset<std::string> XmlItems(const std::string& xml) {
  std::multiset<std::string> items;
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size(), pugi::parse_full | pugi::parse_ws_pcdata))
    return items;
  std::function<void(const pugi::xml_node&, const std::string&)> walk =
      [&](const pugi::xml_node& node, const std::string& path) {
        for (const auto& c : node.children()) {
          if (c.type() == pugi::node_element) {
            std::string item = path + "/" + c.name();
            items.insert("element " + item);
            for (const auto& a : c.attributes())
              items.insert("attribute " + item + "@" + a.name() + "=" + a.value());
            walk(c, item);
          } else if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
            items.insert("text " + path + ": " + c.value());
          }
        }
      };
  walk(doc, "");
  return items;
}

std::vector<std::string> MissingItems(const std::string& source, const std::string& result) {
  auto have = XmlItems(result);
  std::vector<std::string> missing;
  for (const auto& item : XmlItems(source)) {
    const auto at = have.find(item);
    if (at == have.end())
      missing.push_back(item);
    else
      have.erase(at);
  }
  return missing;
}

std::vector<std::string> MarkNamesIn(const std::string& xml) {
  std::vector<std::string> names;
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size())) return names;
  for (const auto& found : doc.select_nodes("//*")) {
    const auto e = found.node();
    const std::string name = e.name();
    std::string candidate;
    if (name == "v:shape") candidate = e.attribute("id").value();
    if (name.size() >= 5 && name.compare(name.size() - 5, 5, "cNvPr") == 0)
      candidate = e.attribute("name").value();
    if (ooxml::IsMarkName(candidate)) names.push_back(candidate);
  }
  return names;
}

}  // namespace stampwell::test
