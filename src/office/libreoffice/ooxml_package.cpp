#include "office/libreoffice/ooxml_package.h"

#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/embed/ElementModes.hpp>
#include <com/sun/star/embed/XStorage.hpp>
#include <com/sun/star/embed/XTransactedObject.hpp>
#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/io/XOutputStream.hpp>
#include <com/sun/star/io/XStream.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/lang/XSingleServiceFactory.hpp>

#include "office/libreoffice/uno_convert.h"

namespace stampwell {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY_THROW;

bool IsWordOpenXmlFilter(const std::string& filter) {
  return filter == "MS Word 2007 XML" || filter == "MS Word 2007 XML VBA" ||
         filter == "Office Open XML Text";
}

namespace {

// The value of attribute name in the start tag tag ("" when absent).
std::string Attribute(const std::string& tag, const std::string& name) {
  for (std::size_t at = tag.find(name + "=\""); at != std::string::npos;
       at = tag.find(name + "=\"", at + 1)) {
    // A whole attribute name: preceded by white space, not part of a longer name.
    if (at == 0 || (tag[at - 1] != ' ' && tag[at - 1] != '\t' && tag[at - 1] != '\n' &&
                    tag[at - 1] != '\r'))
      continue;
    const std::size_t from = at + name.size() + 2;
    const std::size_t to = tag.find('"', from);
    if (to == std::string::npos) return "";
    return tag.substr(from, to - from);
  }
  return "";
}

// Start of the next element named element ("<v:shape" matches neither "<v:shapetype" nor
// "<v:shapes"), or npos.
std::size_t FindElement(const std::string& xml, const std::string& element, std::size_t from) {
  for (std::size_t at = xml.find(element, from); at != std::string::npos;
       at = xml.find(element, at + 1)) {
    const std::size_t after = at + element.size();
    if (after < xml.size() && (xml[after] == ' ' || xml[after] == '>' || xml[after] == '/' ||
                               xml[after] == '\t' || xml[after] == '\n' || xml[after] == '\r'))
      return at;
  }
  return std::string::npos;
}

}  // namespace

std::map<std::string, std::string> VmlShapeTypes(const std::string& partXml) {
  std::map<std::string, std::string> types;
  for (std::size_t at = FindElement(partXml, "<v:shapetype", 0); at != std::string::npos;
       at = FindElement(partXml, "<v:shapetype", at + 1)) {
    const std::size_t tagEnd = partXml.find('>', at);
    if (tagEnd == std::string::npos) break;
    const std::string tag = partXml.substr(at, tagEnd + 1 - at);
    std::size_t end = tagEnd + 1;
    if (partXml[tagEnd - 1] != '/') {
      const std::size_t close = partXml.find("</v:shapetype>", tagEnd);
      if (close == std::string::npos) break;
      end = close + std::string("</v:shapetype>").size();
    }
    const std::string id = Attribute(tag, "id");
    if (!id.empty() && !types.count(id)) types[id] = partXml.substr(at, end - at);
  }
  return types;
}

std::string WithVmlShapeTypes(const std::string& partXml,
                              const std::map<std::string, std::string>& known) {
  const auto own = VmlShapeTypes(partXml);
  std::string result = partXml;
  std::map<std::string, bool> added;
  for (std::size_t at = FindElement(result, "<v:shape", 0); at != std::string::npos;
       at = FindElement(result, "<v:shape", at + 1)) {
    const std::size_t tagEnd = result.find('>', at);
    if (tagEnd == std::string::npos) break;
    std::string type = Attribute(result.substr(at, tagEnd + 1 - at), "type");
    if (!type.empty() && type[0] == '#') type.erase(0, 1);
    if (type.empty() || own.count(type) || added[type]) continue;
    const auto definition = known.find(type);
    if (definition == known.end()) continue;
    result.insert(at, definition->second);
    added[type] = true;
    at += definition->second.size();
  }
  return result;
}

namespace {

std::string ReadStream(const Reference<css::embed::XStorage>& storage, const OUString& name) {
  Reference<css::io::XStream> stream(
      storage->openStreamElement(name, css::embed::ElementModes::READ), UNO_QUERY_THROW);
  auto in = stream->getInputStream();
  std::string data;
  Sequence<sal_Int8> chunk;
  while (in->readBytes(chunk, 65536) > 0)
    data.append(reinterpret_cast<const char*>(chunk.getConstArray()), std::size_t(chunk.getLength()));
  in->closeInput();
  return data;
}

void WriteStream(const Reference<css::embed::XStorage>& storage, const OUString& name,
                 const std::string& data) {
  Reference<css::io::XStream> stream(
      storage->openStreamElement(
          name, css::embed::ElementModes::READWRITE | css::embed::ElementModes::TRUNCATE),
      UNO_QUERY_THROW);
  auto out = stream->getOutputStream();
  out->writeBytes(Sequence<sal_Int8>(reinterpret_cast<const sal_Int8*>(data.data()),
                                     sal_Int32(data.size())));
  out->closeOutput();
}

}  // namespace

int CompleteVmlShapeTypes(const Reference<css::uno::XComponentContext>& context,
                          const std::string& path) {
  Reference<css::lang::XSingleServiceFactory> factory(
      context->getServiceManager()->createInstanceWithContext(
          OUString("com.sun.star.embed.StorageFactory"), context),
      UNO_QUERY_THROW);
  css::beans::PropertyValue format;
  format.Name = "StorageFormat";
  format.Value <<= OUString("ZipFormat");
  const Any args[] = {Any(uno::FileUrl(path)), Any(css::embed::ElementModes::READWRITE),
                      Any(Sequence<css::beans::PropertyValue>(&format, 1))};
  // The storage factory is only offered through this (deprecated) factory interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  Reference<css::embed::XStorage> root(
      factory->createInstanceWithArguments(Sequence<Any>(args, 3)), UNO_QUERY_THROW);
#pragma GCC diagnostic pop
  struct Dispose {
    Reference<css::embed::XStorage> storage;
    ~Dispose() {
      try {
        Reference<css::lang::XComponent>(storage, UNO_QUERY_THROW)->dispose();
      } catch (...) {
      }
    }
  } disposeRoot{root};
  if (!root->hasByName(OUString("word")) || !root->isStorageElement(OUString("word"))) return 0;
  Reference<css::embed::XStorage> word(
      root->openStorageElement(OUString("word"), css::embed::ElementModes::READWRITE),
      UNO_QUERY_THROW);
  Dispose disposeWord{word};
  std::vector<std::pair<OUString, std::string>> parts;
  std::map<std::string, std::string> known;
  for (const OUString& name : word->getElementNames()) {
    if (!name.endsWith(".xml") || !word->isStreamElement(name)) continue;
    parts.emplace_back(name, ReadStream(word, name));
    for (const auto& [id, definition] : VmlShapeTypes(parts.back().second))
      known.emplace(id, definition);
  }
  int changed = 0;
  for (const auto& [name, xml] : parts) {
    const std::string completed = WithVmlShapeTypes(xml, known);
    if (completed == xml) continue;
    WriteStream(word, name, completed);
    ++changed;
  }
  if (changed == 0) return 0;
  Reference<css::embed::XTransactedObject>(word, UNO_QUERY_THROW)->commit();
  Reference<css::embed::XTransactedObject>(root, UNO_QUERY_THROW)->commit();
  return changed;
}

}  // namespace stampwell
