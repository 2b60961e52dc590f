// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/shape_name_record.h"

#include <sstream>

#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/beans/XPropertyContainer.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/text/XText.hpp>

#include "office/libreoffice/uno_convert.h"

namespace stampwell {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using uno::ToOU;
using uno::ToStd;

namespace {

constexpr const char* kNamesProperty = "StampwellShapeNames";

std::string Escape(const std::string& s) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (c == '%' || c == ';' || c == '|' || c < 0x20) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// False for an escape that is cut off or not hexadecimal.
bool Unescape(const std::string& s, std::string& out) {
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) return false;
    const int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

Reference<css::beans::XPropertyContainer> UserProperties(const TOfficeDocument& doc) {
  Reference<css::document::XDocumentPropertiesSupplier> supplier(doc.Model(), UNO_QUERY_THROW);
  return supplier->getDocumentProperties()->getUserDefinedProperties();
}

}  // namespace

std::string ShapeName(const Reference<css::drawing::XShape>& shape) {
  Reference<css::container::XNamed> named(shape, UNO_QUERY);
  return named.is() ? ToStd(named->getName()) : std::string();
}


std::string ShapeText(const Reference<css::drawing::XShape>& shape) {
  Reference<css::text::XText> text(shape, UNO_QUERY);
  return text.is() ? ToStd(text->getString()) : std::string();
}

std::string EncodeShapeNames(const std::vector<RShapeNameEntry>& entries) {
  std::ostringstream out;
  for (const auto& e : entries)
    out << Escape(e.Key) << ';' << e.Index << ';' << Escape(e.Name) << ';' << Escape(e.Text)
        << '|';
  return out.str();
}

std::vector<RShapeNameEntry> DecodeShapeNames(const std::string& text) {
  std::vector<RShapeNameEntry> entries;
  std::istringstream records(text);
  std::string record;
  while (std::getline(records, record, '|')) {
    std::vector<std::string> f;
    std::istringstream fields(record);
    std::string field;
    while (std::getline(fields, field, ';')) f.push_back(field);
    if (f.size() == 3) f.push_back("");  // an empty text leaves no last field
    if (f.size() != 4 || f[1].empty() || f[1].size() > 9 ||
        f[1].find_first_not_of("0123456789") != std::string::npos)
      continue;
    RShapeNameEntry e;
    e.Index = std::stoi(f[1]);
    if (!Unescape(f[0], e.Key) || !Unescape(f[2], e.Name) || !Unescape(f[3], e.Text) ||
        e.Name.empty())
      continue;
    entries.push_back(std::move(e));
  }
  return entries;
}

void RecordShapeNames(const TOfficeDocument& doc, const std::vector<RShapePlace>& places) {
  std::vector<RShapeNameEntry> entries;
  for (const auto& place : places)
    for (size_t i = 0; i < place.Shapes.size(); ++i) {
      const std::string name = ShapeName(place.Shapes[i]);
      if (!name.empty())
        entries.push_back({place.Key, int(i), name, ShapeText(place.Shapes[i])});
    }
  WriteShapeNameRecord(doc, entries);
}

void WriteShapeNameRecord(const TOfficeDocument& doc, const std::vector<RShapeNameEntry>& entries) {
  auto container = UserProperties(doc);
  Reference<css::beans::XPropertySet> set(container, UNO_QUERY_THROW);
  const OUString key = OUString::createFromAscii(kNamesProperty);
  const Any value(ToOU(EncodeShapeNames(entries)));
  try {
    set->setPropertyValue(key, value);
  } catch (const css::beans::UnknownPropertyException&) {
    container->addProperty(key, css::beans::PropertyAttribute::REMOVABLE, value);
  }
}

std::vector<RRestoredName> RestoreShapeNames(
    const TOfficeDocument& doc, const std::function<std::vector<RShapePlace>()>& listPlaces) {
  std::vector<RRestoredName> restored;
  Reference<css::beans::XPropertySet> set(UserProperties(doc), UNO_QUERY_THROW);
  const OUString key = OUString::createFromAscii(kNamesProperty);
  OUString value;
  try {
    if (!(set->getPropertyValue(key) >>= value)) return restored;
  } catch (const css::beans::UnknownPropertyException&) {
    return restored;  // no record
  }
  const auto entries = DecodeShapeNames(ToStd(value));
  if (entries.empty()) return restored;
  const auto places = listPlaces();
  for (const auto& e : entries) {
    for (const auto& place : places) {
      if (place.Key != e.Key) continue;
      auto fits = [&](size_t i) {
        const auto& shape = place.Shapes[i];
        return shape.is() && ShapeName(shape).empty() && ShapeText(shape) == e.Text;
      };
      Reference<css::drawing::XShape> target;
      if (e.Index >= 0 && size_t(e.Index) < place.Shapes.size() && fits(size_t(e.Index)))
        target = place.Shapes[size_t(e.Index)];
      for (size_t i = 0; !target.is() && i < place.Shapes.size(); ++i)
        if (fits(i)) target = place.Shapes[i];
      if (target.is()) {
        Reference<css::container::XNamed>(target, UNO_QUERY_THROW)->setName(ToOU(e.Name));
        restored.push_back({e.Key, target, e.Name});
      }
      break;
    }
  }
  return restored;
}

}  // namespace stampwell
