// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/shape_objects.h"

#include <cmath>
#include <map>
#include <mutex>

#include <com/sun/star/awt/FontSlant.hpp>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/FillStyle.hpp>
#include <com/sun/star/drawing/LineStyle.hpp>
#include <com/sun/star/drawing/TextFitToSizeType.hpp>
#include <com/sun/star/drawing/XEnhancedCustomShapeDefaulter.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
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


// The geometry of a text effect proper: LibreOffice's "fontwork-plain-text" defaults with
// TextPath on, so that the text is laid along the shape's text path and painted with the
// shape's fill. The fontwork defaults give the geometry but leave TextPath out; without it the
// shape is a plain box whose text is drawn as ordinary text in the character colour, and the
// binary filters then write neither the text effect nor its opacity (the mark comes back
// solid, turned twice in a sheet, or not at all).
//
// The defaults set nothing but the geometry (every other property of a shape made with them
// equals that of one given the geometry alone), and the geometry is the same for every shape:
// it is taken from the first shape made, per application, and given to the later ones as it is.
css::uno::Sequence<css::beans::PropertyValue> TextEffectGeometry(
    OfficeKind kind, const Reference<css::drawing::XShape>& shape) {
  static std::mutex mutex;
  static std::map<OfficeKind, css::uno::Sequence<css::beans::PropertyValue>> known;
  {
    std::lock_guard lock(mutex);
    auto it = known.find(kind);
    if (it != known.end()) return it->second;
  }
  Reference<css::drawing::XEnhancedCustomShapeDefaulter> defaulter(shape, UNO_QUERY_THROW);
  defaulter->createCustomShapeDefaults(OUString("fontwork-plain-text"));
  css::uno::Sequence<css::beans::PropertyValue> geometry;
  Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)
          ->getPropertyValue(OUString("CustomShapeGeometry")) >>= geometry;
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
  css::uno::Sequence<css::beans::PropertyValue> result(items.data(), sal_Int32(items.size()));
  std::lock_guard lock(mutex);
  known.emplace(kind, result);
  return result;
}

}  // namespace

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

void WriteProperties(const Reference<css::uno::XInterface>& object,
                     const std::vector<const char*>& names, const std::vector<Any>& values) {
  css::uno::Sequence<OUString> keys(sal_Int32(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i)
    keys.getArray()[i] = OUString::createFromAscii(names[i]);
  Reference<css::beans::XMultiPropertySet> multi(object, UNO_QUERY);
  if (multi.is()) {
    multi->setPropertyValues(keys,
                             css::uno::Sequence<Any>(values.data(), sal_Int32(values.size())));
    return;
  }
  Reference<css::beans::XPropertySet> props(object, UNO_QUERY_THROW);
  for (std::size_t i = 0; i < names.size(); ++i) props->setPropertyValue(keys[sal_Int32(i)], values[i]);
}

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
  // Every step below is a call to the office; the properties go in groups, in as few calls
  // as the order of the steps allows.
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
    Reference<css::text::XTextContent> content(shape, UNO_QUERY_THROW);
    if (effect.AnchorPage > 0) {
      // Anchored at a page: it goes in through the body's start, then takes its page.
      WriteProperties(shape, {"AnchorPageNo", "AnchorType"},
                      {Any(effect.AnchorPage), Any(css::text::TextContentAnchorType_AT_PAGE)});
      const auto at = effect.Anchor.is() ? effect.Anchor : FirstParagraphStart(host.HeaderText);
      at->getText()->insertTextContent(at->getStart(), content, false);
    } else {
      Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)
          ->setPropertyValue(OUString("AnchorType"),
                             Any(css::text::TextContentAnchorType_AT_PARAGRAPH));
      const auto at = effect.Anchor.is() ? effect.Anchor->getStart()
                                         : FirstParagraphStart(host.HeaderText);
      at->getText()->insertTextContent(at, content, false);
    }
    WriteProperties(shape, {"HoriOrient", "HoriOrientPosition", "VertOrient", "VertOrientPosition"},
                    {Any(css::text::HoriOrientation::NONE), Any(uno::PointsToHmm(effect.Left)),
                     Any(css::text::VertOrientation::NONE), Any(uno::PointsToHmm(effect.Top))});
  } else {
    host.Container->add(shape);
    shape->setPosition(
        css::awt::Point(uno::PointsToHmm(effect.Left), uno::PointsToHmm(effect.Top)));
  }
  // Like WordArt, the text is stretched to the shape: the shape's size decides, not the text
  // (set before the text goes in, which would otherwise grow the shape).
  WriteProperties(shape, {"CustomShapeGeometry", "TextAutoGrowHeight", "TextAutoGrowWidth"},
                  {Any(TextEffectGeometry(host.Doc->Kind(), shape)), Any(false), Any(false)});
  auto text = Reference<css::text::XText>(shape, UNO_QUERY_THROW);
  text->setString(ToOU(effect.Text));
  WriteProperties(
      shape, {"CharFontName", "CharHeight", "CharPosture", "CharWeight"},
      {Any(ToOU(effect.FontName)), Any(float(size)),
       Any(effect.Italic ? css::awt::FontSlant_ITALIC : css::awt::FontSlant_NONE),
       Any(effect.Bold ? css::awt::FontWeight::BOLD : css::awt::FontWeight::NORMAL)});
  // The binary formats take the text effect's font from the text itself.
  auto cursor = text->createTextCursor();
  cursor->gotoStart(false);
  cursor->gotoEnd(true);
  WriteProperties(cursor, {"CharFontName", "CharHeight"},
                  {Any(ToOU(effect.FontName)), Any(float(size))});
  return shape;
}

bool IsTextEffectGeometry(const Any& value) {
  css::uno::Sequence<css::beans::PropertyValue> geometry;
  if (!(value >>= geometry)) return false;
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

bool IsTextEffect(const Reference<css::drawing::XShape>& shape) {
  if (!shape.is() || shape->getShapeType() != kCustomShapeType) return false;
  Reference<css::beans::XPropertySet> props(shape, UNO_QUERY);
  return props.is() && IsTextEffectGeometry(props->getPropertyValue(OUString("CustomShapeGeometry")));
}

std::vector<Any> ReadProperties(const Reference<css::uno::XInterface>& object,
                                const std::vector<const char*>& names) {
  css::uno::Sequence<OUString> keys(sal_Int32(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i)
    keys.getArray()[i] = OUString::createFromAscii(names[i]);
  Reference<css::beans::XMultiPropertySet> multi(object, UNO_QUERY);
  if (multi.is()) {
    try {
      const auto values = multi->getPropertyValues(keys);
      return std::vector<Any>(values.begin(), values.end());
    } catch (const css::beans::UnknownPropertyException&) {
      // Read them one by one below.
    }
  }
  std::vector<Any> values(names.size());
  Reference<css::beans::XPropertySet> props(object, UNO_QUERY_THROW);
  for (std::size_t i = 0; i < names.size(); ++i) {
    try {
      values[i] = props->getPropertyValue(keys[sal_Int32(i)]);
    } catch (const css::beans::UnknownPropertyException&) {
    }
  }
  return values;
}

namespace {

// Office's MsoShapeType of a shape: a picture 13, an embedded object 7, a text box 17, a group
// 6, a text effect 15, any other drawing 1. Writer's own frames tell their kind by service.
int OfficeShapeType(const Reference<css::drawing::XShape>& shape) {
  const OUString type = shape->getShapeType();
  if (type == "com.sun.star.drawing.GraphicObjectShape") return 13;
  if (type == "com.sun.star.drawing.OLE2Shape") return 7;
  if (type == "com.sun.star.drawing.GroupShape") return 6;
  if (type == kCustomShapeType) return IsTextEffect(shape) ? 15 : 1;
  Reference<css::lang::XServiceInfo> info(shape, UNO_QUERY);
  if (info.is()) {
    if (info->supportsService(OUString("com.sun.star.text.TextGraphicObject"))) return 13;
    if (info->supportsService(OUString("com.sun.star.text.TextEmbeddedObject"))) return 7;
    if (info->supportsService(OUString("com.sun.star.text.TextFrame"))) return 17;
  }
  return 1;
}

}  // namespace

DispatchPtr MakeShapeObject(const RShapeHost& host, const Reference<css::drawing::XShape>& shape) {
  host.Doc->KeepShape(shape);
  const shape::Context c{host, std::make_shared<const shape::TShapeRef>(shape, host.Doc->Process()),
                         GuardOf(host.Doc->Process()), std::make_shared<shape::Extras>()};
  auto obj = std::make_shared<TGuardedObject>(c.guard);
  using Args = DispatchObject::Args;
  obj->Prop(
      "Name",
      [shape](const Args&) {
        return OleVariant(
            ToStd(Reference<css::container::XNamed>(shape, UNO_QUERY_THROW)->getName()));
      },
      [host, shape](const OleVariant& v) {
        const std::string name = v.AsString();
        Reference<css::container::XNamed>(shape, UNO_QUERY_THROW)->setName(ToOU(name));
        if (host.ShapeNamed) host.ShapeNamed(shape, name);
      });
  obj->Prop("Type", [shape](const Args&) { return OleVariant(OfficeShapeType(shape)); });
  if (IsWriter(host)) {
    // Anchor: where the shape is anchored, for AddTextEffect to anchor another one there.
    auto guard = c.guard;
    obj->Prop("Anchor", [guard, shape](const Args&) {
      css::text::TextContentAnchorType type = css::text::TextContentAnchorType_AT_PARAGRAPH;
      sal_Int16 page = 0;
      const auto values = ReadProperties(shape, {"AnchorPageNo", "AnchorType"});
      values[1] >>= type;
      Reference<css::text::XTextRange> range;
      if (type == css::text::TextContentAnchorType_AT_PAGE)
        values[0] >>= page;
      else
        range = Reference<css::text::XTextContent>(shape, UNO_QUERY_THROW)->getAnchor();
      if (!range.is() && page < 1) throw EOleError("The shape has no anchor");
      return OleVariant(DispatchPtr(std::make_shared<TAnchorPlace>(guard, range, page)));
    });
  }
  obj->Func("Select", [](const Args&) { return OleVariant(); });
  obj->Func("Delete", [host, shape](const Args&) {
    if (host.Container.is()) host.Container->remove(shape);
    if (host.ShapeRemoved) host.ShapeRemoved(shape);
    return OleVariant();
  });
  shape::AddFill(*obj, c);
  shape::AddLine(*obj, c);
  shape::AddTextEffect(*obj, c);
  shape::AddSizeAndRotation(*obj, c);
  shape::AddPlacement(*obj, c);
  shape::AddWrapFormat(*obj, c);
  shape::AddOrder(*obj, c);
  // These touch the shape alone (the sub-objects are made here, not in the office), or read
  // only other shapes (ZOrder, which writes its own order as a held write): writes of its
  // properties held back may wait through them.
  obj->WritesOnly({"Select", "Fill", "Line", "TextEffect", "WrapFormat", "Rotation",
                   "LockAspectRatio", "RelativeVerticalPosition", "Left", "Top", "ZOrder"});
  return obj;
}

namespace {

EOleError OutOfBounds() {
  return EOleError("The index into the specified collection is out of bounds.");
}

}  // namespace

Reference<css::drawing::XShape> ShapeAt(const TOfficeDocument& doc,
                                        const Reference<css::container::XIndexAccess>& page,
                                        sal_Int32 i) {
  Reference<css::drawing::XShape> shape(page->getByIndex(i), UNO_QUERY);
  doc.KeepShape(shape);
  return shape;
}

Reference<css::drawing::XShape> ShapeAt(const TOfficeDocument& doc,
                                        const Reference<css::drawing::XShapes>& page,
                                        sal_Int32 i) {
  return ShapeAt(doc, Reference<css::container::XIndexAccess>(page.get()), i);
}

RShapeList PageShapes(const std::shared_ptr<TOfficeDocument>& doc,
                      const Reference<css::drawing::XShapes>& page) {
  return {[page] { return int(page->getCount()); },
          [doc, page](int i) {
            try {
              if (i < 0) throw OutOfBounds();
              return ShapeAt(*doc, page, i);
            } catch (const css::lang::IndexOutOfBoundsException&) {
              throw OutOfBounds();
            }
          }};
}

DispatchPtr MakeShapesObject(const RShapeHost& host,
                             std::function<std::vector<Reference<css::drawing::XShape>>()> list) {
  return MakeShapesObject(host, RShapeList{[list] { return int(list().size()); },
                                           [list](int i) {
                                             const auto shapes = list();
                                             if (i < 0 || i >= int(shapes.size()))
                                               throw OutOfBounds();
                                             return shapes[std::size_t(i)];
                                           }});
}

DispatchPtr MakeShapesObject(const RShapeHost& host, RShapeList shapes) {
  auto obj = std::make_shared<TGuardedObject>(GuardOf(host.Doc->Process()));
  using Args = DispatchObject::Args;
  obj->Prop("Count", [shapes](const Args&) { return OleVariant(shapes.Count()); });
  obj->Func("Item", [host, shapes](const Args& a) {
    return OleVariant(MakeShapeObject(host, shapes.At(ArgAt(a, 0).AsInt() - 1)));
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
    if (const OleVariant anchor = ArgAt(a, 8); IsWriter(host) && !anchor.IsEmpty()) {
      const auto place = anchor.Type() == VarType::Dispatch
                             ? std::dynamic_pointer_cast<TAnchorPlace>(anchor.AsDispatch())
                             : nullptr;
      if (!place) throw EOleError("The anchor is not a range of this document");
      effect.Anchor = place->Range;
      effect.AnchorPage = place->Page;
    }
    const auto shape = AddFontworkShape(host, effect);
    if (host.TextEffectAdded) host.TextEffectAdded(shape);
    return OleVariant(MakeShapeObject(host, shape));
  });
  return obj;
}

}  // namespace stampwell
