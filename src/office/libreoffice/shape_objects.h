// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include "office/libreoffice/guarded_object.h"
#include "office/libreoffice/office_document.h"

namespace stampwell {

// The arguments of Office's AddTextEffect, in points.
struct RTextEffect {
  std::string Text;
  std::string FontName;
  double Size = 36;
  bool Bold = false;
  bool Italic = false;
  double Left = 0;
  double Top = 0;
  // Writer: where the shape is anchored. A place in the text (at its paragraph), or a page
  // (AnchorPage, from 1); with neither, the first paragraph of the host's header.
  css::uno::Reference<css::text::XTextRange> Anchor;
  sal_Int16 AnchorPage = 0;
};

// An Office Range that stands for the place a Writer shape is anchored at, as the shape's
// Anchor gives it and AddTextEffect takes it: a place in the text, or a page.
class TAnchorPlace : public TGuardedObject {
 public:
  TAnchorPlace(GuardFn guard, css::uno::Reference<css::text::XTextRange> range, sal_Int16 page)
      : TGuardedObject(std::move(guard)), Range(std::move(range)), Page(page) {}
  const css::uno::Reference<css::text::XTextRange> Range;
  const sal_Int16 Page;
};

// Where a fontwork shape lives: a Writer page header, or a sheet's / master's draw page.
struct RShapeHost {
  std::shared_ptr<TOfficeDocument> Doc;
  css::uno::Reference<css::drawing::XShapes> Container;  // the draw page holding the shapes
  // Writer only: the header, or the body for the body's shapes; a new shape without an
  // anchor of its own goes to its first paragraph.
  css::uno::Reference<css::text::XText> HeaderText;
  // Told of every text effect added through the host's Shapes (may be empty).
  std::function<void(const css::uno::Reference<css::drawing::XShape>&)> TextEffectAdded;
  // Told of every name given through the host's shape objects, and of every shape they remove
  // (may be empty).
  std::function<void(const css::uno::Reference<css::drawing::XShape>&, const std::string&)>
      ShapeNamed;
  std::function<void(const css::uno::Reference<css::drawing::XShape>&)> ShapeRemoved;
  // Writer only, set for a header: Word draws a header's shapes beneath everything of the
  // body, the body's text and the shapes behind it included, whatever their wrapping says.
  // The wrapping each shape of the document's headers was given, which it reads back as
  // (the office keeps only that the shape lies behind).
  std::shared_ptr<std::map<css::uno::Reference<css::uno::XInterface>, int>> HeaderWraps;
};

// The guard that bounds every call of an object of doc's process.
TGuardedObject::GuardFn GuardOf(const std::shared_ptr<TOfficeProcess>& process);

// Creates a fontwork text shape sized to its text and adds it to the host: anchored in the
// header (Writer), or at effect.Left/Top on the draw page.
css::uno::Reference<css::drawing::XShape> AddFontworkShape(const RShapeHost& host,
                                                           const RTextEffect& effect);

// Where text starts: its start, or where it begins with a table (a Word header may hold only
// a table, and the text then has no start of its own), the start of the table's first cell.
css::uno::Reference<css::text::XTextRange> FirstParagraphStart(
    const css::uno::Reference<css::text::XText>& text);

// The type name of LibreOffice's custom shapes, text effects among them.
inline constexpr char kCustomShapeType[] = "com.sun.star.drawing.CustomShape";

// Whether shape is a text effect: its text laid along a text path and painted with its fill.
// Only custom shapes have a geometry; any other shape is told apart by its type alone.
bool IsTextEffect(const css::uno::Reference<css::drawing::XShape>& shape);
// The same judged from a custom shape's CustomShapeGeometry value.
bool IsTextEffectGeometry(const css::uno::Any& geometry);

// Whether a draw page has a backdrop of its own that hides what lies behind it: an opaque
// picture or filled shape, not a text effect, covering most of the page. On a slide such a
// backdrop hides every shape its master shows.
bool HasOpaqueBackdrop(const TOfficeDocument& doc,
                       const css::uno::Reference<css::drawing::XShapes>& page);

// Whether the transparency mask of a bitmap, as XBitmap::getMaskDIB gives it (a BMP file of
// 8-bit grey values, 0 where the picture is opaque), leaves at least 95 % of the picture
// opaque: a screenshot whose rounded corners or edges let the page through still hides what
// lies behind it. A mask in any other layout counts as not opaque.
bool MaskMostlyOpaque(const css::uno::Sequence<sal_Int8>& dib);

// The values of the named properties of object, in one call where it can set and read many
// at once (the names in ascending order, as that call requires); a property the object does
// not have reads as an empty value.
// Sets several properties of object at once where it can (one call to the office instead of
// one per property), else one by one; names in ascending order. A shape's setPropertyValues
// passes over a name it does not know or a value of the wrong type in silence: only names
// and values every caller's objects take belong here.
void WriteProperties(const css::uno::Reference<css::uno::XInterface>& object,
                     const std::vector<const char*>& names,
                     const std::vector<css::uno::Any>& values);

std::vector<css::uno::Any> ReadProperties(const css::uno::Reference<css::uno::XInterface>& object,
                                          const std::vector<const char*>& names);

// The Office shape object over a shape: Name, Type, Select, Delete, Fill, Line, TextEffect,
// WrapFormat, Rotation, Left/Top/Width/Height (points), ScaleHeight/ScaleWidth, ZOrder,
// LockAspectRatio, RelativeVerticalPosition; in Writer also RelativeHorizontalPosition and
// Anchor.
DispatchPtr MakeShapeObject(const RShapeHost& host,
                            const css::uno::Reference<css::drawing::XShape>& shape);

// The shapes of a collection in their current order: how many there are, and the one at a
// place counted from 0 (EOleError for a place outside the collection).
struct RShapeList {
  std::function<int()> Count;
  std::function<css::uno::Reference<css::drawing::XShape>(int)> At;
};
// The shapes of a draw page of doc, each asked for only when needed and kept by doc
// (TOfficeDocument::KeepShape).
RShapeList PageShapes(const std::shared_ptr<TOfficeDocument>& doc,
                      const css::uno::Reference<css::drawing::XShapes>& page);
// The shape at index i of a draw page of doc (empty if that is no shape), kept by doc. Every
// shape the servers read from a page is asked for through this or PageShapes.
css::uno::Reference<css::drawing::XShape> ShapeAt(
    const TOfficeDocument& doc, const css::uno::Reference<css::container::XIndexAccess>& page,
    sal_Int32 i);
css::uno::Reference<css::drawing::XShape> ShapeAt(
    const TOfficeDocument& doc, const css::uno::Reference<css::drawing::XShapes>& page,
    sal_Int32 i);

// The Office Shapes collection: Count, Item(i) from 1, AddTextEffect (in Writer its ninth
// argument, a shape's Anchor, anchors the new shape where that shape is anchored).
DispatchPtr MakeShapesObject(const RShapeHost& host, RShapeList shapes);
// The same over a list made whole each time it is asked.
DispatchPtr MakeShapesObject(
    const RShapeHost& host,
    std::function<std::vector<css::uno::Reference<css::drawing::XShape>>()> list);

}  // namespace stampwell
