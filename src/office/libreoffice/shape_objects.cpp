#include "office/libreoffice/shape_objects.h"

#include <cmath>

#include <com/sun/star/awt/FontSlant.hpp>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/FillStyle.hpp>
#include <com/sun/star/drawing/LineStyle.hpp>
#include <com/sun/star/drawing/TextFitToSizeType.hpp>
#include <com/sun/star/drawing/XEnhancedCustomShapeDefaulter.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/WrapTextMode.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextTable.hpp>

#include "office/libreoffice/shape_parts.h"
#include "office/libreoffice/uno_convert.h"

namespace stampwell {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using uno::ToOU;
using uno::ToStd;

namespace {

bool IsWriter(const RShapeHost& host) { return host.Doc->Kind() == OfficeKind::Writer; }

void Write(const Reference<css::drawing::XShape>& shape, const char* name, const Any& value) {
  Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)
      ->setPropertyValue(OUString::createFromAscii(name), value);
}

// Sets a property the shape may not have in every application.
void WriteIfPresent(const Reference<css::drawing::XShape>& shape, const char* name,
                    const Any& value) {
  try {
    Write(shape, name, value);
  } catch (const css::beans::UnknownPropertyException&) {
  }
}

// Makes the shape a text effect proper: its text is laid along the shape's text path and
// painted with the shape's fill. The fontwork defaults give the geometry but leave TextPath
// out; without it the shape is a plain box whose text is drawn as ordinary text in the
// character colour, and the binary filters then write neither the text effect nor its
// opacity (the mark comes back solid, turned twice in a sheet, or not at all).
void MakeTextPath(const Reference<css::drawing::XShape>& shape) {
  css::uno::Sequence<css::beans::PropertyValue> geometry;
  Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)
          ->getPropertyValue(OUString("CustomShapeGeometry")) >>=
      geometry;
  std::vector<css::beans::PropertyValue> items;
  for (const auto& item : geometry)
    if (item.Name != "TextPath") items.push_back(item);
  css::beans::PropertyValue on;
  on.Name = "TextPath";
  on.Value <<= true;
  css::beans::PropertyValue path;
  path.Name = "TextPath";
  path.Value <<= css::uno::Sequence<css::beans::PropertyValue>(&on, 1);
  items.push_back(path);
  Write(shape, "CustomShapeGeometry",
        Any(css::uno::Sequence<css::beans::PropertyValue>(items.data(), sal_Int32(items.size()))));
}

// Where a shape is anchored in a header: its start, or where the header holds only a table
// (Word allows it; the text then has no start of its own), the start of its first cell.
Reference<css::text::XTextRange> FirstParagraphStart(const Reference<css::text::XText>& text) {
  Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY_THROW);
  auto e = access->createEnumeration();
  if (e->hasMoreElements()) {
    Reference<css::text::XTextTable> table(e->nextElement(), UNO_QUERY);
    if (table.is()) {
      const auto cells = table->getCellNames();
      if (cells.hasElements()) {
        Reference<css::text::XText> cell(table->getCellByName(cells[0]), UNO_QUERY_THROW);
        return FirstParagraphStart(cell);
      }
    }
  }
  return text->getStart();
}

}  // namespace

TGuardedObject::GuardFn GuardOf(const std::shared_ptr<TOfficeProcess>& process) {
  std::weak_ptr<TOfficeProcess> weak = process;
  return [weak](const std::function<OleVariant()>& fn) {
    auto p = weak.lock();
    if (!p) throw EOleError("The office application has been quit");
    return p->Guard(fn);
  };
}

Reference<css::drawing::XShape> AddFontworkShape(const RShapeHost& host,
                                                 const RTextEffect& effect) {
  Reference<css::lang::XMultiServiceFactory> factory(host.Doc->Model(), UNO_QUERY_THROW);
  Reference<css::drawing::XShape> shape(
      factory->createInstance(OUString("com.sun.star.drawing.CustomShape")), UNO_QUERY_THROW);
  // Office sizes a new text effect to its text; an average glyph is about half an em wide.
  std::size_t glyphs = 0;
  for (unsigned char c : effect.Text)
    if ((c & 0xC0) != 0x80) ++glyphs;
  const double size = effect.Size > 0 ? effect.Size : 36;
  const double widthPt = std::max<std::size_t>(glyphs, 1) * size * 0.5;
  shape->setSize(css::awt::Size(uno::PointsToHmm(widthPt), uno::PointsToHmm(size * 1.2)));
  if (IsWriter(host)) {
    Write(shape, "AnchorType", Any(css::text::TextContentAnchorType_AT_PARAGRAPH));
    Reference<css::text::XTextContent> content(shape, UNO_QUERY_THROW);
    const auto at = FirstParagraphStart(host.HeaderText);
    at->getText()->insertTextContent(at, content, false);
    Write(shape, "HoriOrient", Any(css::text::HoriOrientation::NONE));
    Write(shape, "HoriOrientPosition", Any(uno::PointsToHmm(effect.Left)));
    Write(shape, "VertOrient", Any(css::text::VertOrientation::NONE));
    Write(shape, "VertOrientPosition", Any(uno::PointsToHmm(effect.Top)));
  } else {
    host.Container->add(shape);
    shape->setPosition(
        css::awt::Point(uno::PointsToHmm(effect.Left), uno::PointsToHmm(effect.Top)));
  }
  Reference<css::drawing::XEnhancedCustomShapeDefaulter> defaulter(shape, UNO_QUERY_THROW);
  defaulter->createCustomShapeDefaults(OUString("fontwork-plain-text"));
  // Like WordArt, the text is stretched to the shape: the shape's size decides, not the text.
  WriteIfPresent(shape, "TextAutoGrowHeight", Any(false));
  WriteIfPresent(shape, "TextAutoGrowWidth", Any(false));
  MakeTextPath(shape);
  Reference<css::text::XText>(shape, UNO_QUERY_THROW)->setString(ToOU(effect.Text));
  Write(shape, "CharFontName", Any(ToOU(effect.FontName)));
  Write(shape, "CharHeight", Any(float(size)));
  {
    // The binary formats take the text effect's font from the text itself.
    auto text = Reference<css::text::XText>(shape, UNO_QUERY_THROW);
    auto cursor = text->createTextCursor();
    cursor->gotoStart(false);
    cursor->gotoEnd(true);
    Reference<css::beans::XPropertySet> cp(cursor, UNO_QUERY_THROW);
    cp->setPropertyValue(OUString("CharFontName"), Any(ToOU(effect.FontName)));
    cp->setPropertyValue(OUString("CharHeight"), Any(float(size)));
  }
  Write(shape, "CharWeight",
        Any(effect.Bold ? css::awt::FontWeight::BOLD : css::awt::FontWeight::NORMAL));
  Write(shape, "CharPosture",
        Any(effect.Italic ? css::awt::FontSlant_ITALIC : css::awt::FontSlant_NONE));
  return shape;
}

bool IsTextEffect(const Reference<css::drawing::XShape>& shape) {
  Reference<css::beans::XPropertySet> props(shape, UNO_QUERY);
  if (!props.is() || !props->getPropertySetInfo()->hasPropertyByName("CustomShapeGeometry"))
    return false;
  css::uno::Sequence<css::beans::PropertyValue> geometry;
  props->getPropertyValue(OUString("CustomShapeGeometry")) >>= geometry;
  for (const auto& item : geometry) {
    if (item.Name != "TextPath") continue;
    css::uno::Sequence<css::beans::PropertyValue> path;
    item.Value >>= path;
    for (const auto& p : path) {
      bool on = false;
      if (p.Name == "TextPath" && (p.Value >>= on)) return on;
    }
  }
  return false;
}

DispatchPtr MakeShapeObject(const RShapeHost& host, const Reference<css::drawing::XShape>& shape) {
  const shape::Context c{host, shape, GuardOf(host.Doc->Process()),
                         std::make_shared<shape::Extras>()};
  auto obj = std::make_shared<TGuardedObject>(c.guard);
  using Args = DispatchObject::Args;
  obj->Prop(
      "Name",
      [shape](const Args&) {
        return OleVariant(
            ToStd(Reference<css::container::XNamed>(shape, UNO_QUERY_THROW)->getName()));
      },
      [shape](const OleVariant& v) {
        Reference<css::container::XNamed>(shape, UNO_QUERY_THROW)->setName(ToOU(v.AsString()));
      });
  obj->Func("Select", [](const Args&) { return OleVariant(); });
  obj->Func("Delete", [host, shape](const Args&) {
    if (host.Container.is()) host.Container->remove(shape);
    return OleVariant();
  });
  shape::AddFill(*obj, c);
  shape::AddLine(*obj, c);
  shape::AddTextEffect(*obj, c);
  shape::AddSizeAndRotation(*obj, c);
  shape::AddPlacement(*obj, c);
  shape::AddWrapFormat(*obj, c);
  shape::AddOrder(*obj, c);
  return obj;
}

DispatchPtr MakeShapesObject(const RShapeHost& host,
                             std::function<std::vector<Reference<css::drawing::XShape>>()> list) {
  auto obj = std::make_shared<TGuardedObject>(GuardOf(host.Doc->Process()));
  using Args = DispatchObject::Args;
  obj->Prop("Count", [list](const Args&) { return OleVariant(int(list().size())); });
  obj->Func("Item", [host, list](const Args& a) {
    const auto shapes = list();
    const int index = ArgAt(a, 0).AsInt();
    if (index < 1 || index > int(shapes.size()))
      throw EOleError("The index into the specified collection is out of bounds.");
    return OleVariant(MakeShapeObject(host, shapes[index - 1]));
  });
  obj->Func("AddTextEffect", [host](const Args& a) {
    RTextEffect effect;
    effect.Text = ArgAt(a, 1).AsString();
    effect.FontName = ArgAt(a, 2).AsString();
    effect.Size = ArgAt(a, 3).IsEmpty() ? 36 : ArgAt(a, 3).AsDouble();
    effect.Bold = !ArgAt(a, 4).IsEmpty() && ArgAt(a, 4).AsBool();
    effect.Italic = !ArgAt(a, 5).IsEmpty() && ArgAt(a, 5).AsBool();
    effect.Left = ArgAt(a, 6).IsEmpty() ? 0 : ArgAt(a, 6).AsDouble();
    effect.Top = ArgAt(a, 7).IsEmpty() ? 0 : ArgAt(a, 7).AsDouble();
    return OleVariant(MakeShapeObject(host, AddFontworkShape(host, effect)));
  });
  return obj;
}

}  // namespace stampwell
