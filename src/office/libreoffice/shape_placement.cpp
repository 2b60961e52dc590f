#include <cmath>

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/drawing/FillStyle.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/WrapTextMode.hpp>

#include "office/libreoffice/shape_parts.h"
#include "office/libreoffice/uno_convert.h"

namespace stampwell::shape {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using Args = DispatchObject::Args;

namespace {

// Office's value for "centred" in Left and Top.
constexpr double kCentred = -999995;
constexpr double kPt = 2540.0 / 72.0;

// Centre of the shape's bounding box and its unrotated size, in 1/100 mm. Office's Left and
// Top are the unrotated frame's corner; LibreOffice reports a rotated shape's position from
// its rotated outline, so the frame is rebuilt around the (rotation-invariant) centre.
struct Frame {
  double cx, cy, w, h;
};

// The centre of the shape's bounding box, in 1/100 mm: the one point that turning the shape
// about its centre does not move.
struct Centre {
  double cx, cy;
};

Centre CentreOf(const PShape& shape) {
  const auto bound = Read<css::awt::Rectangle>(shape, "BoundRect");
  return {bound.X + bound.Width / 2.0, bound.Y + bound.Height / 2.0};
}

Frame FrameOf(const PShape& shape, const css::awt::Size& size) {
  const Centre c = CentreOf(shape);
  return {c.cx, c.cy, double(size.Width), double(size.Height)};
}

Frame FrameOf(const PShape& shape) { return FrameOf(shape, shape->Shape()->getSize()); }

void MoveBy(const PShape& shape, double dx, double dy) {
  const auto x = static_cast<sal_Int32>(std::lround(dx));
  const auto y = static_cast<sal_Int32>(std::lround(dy));
  if (x == 0 && y == 0) return;  // already in place: spare the office two calls
  auto pos = shape->Shape()->getPosition();
  pos.X += x;
  pos.Y += y;
  shape->Shape()->setPosition(pos);
}

void AddWriterPlacement(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  auto extras = c.extras;
  // Placement in a Writer header: -999995 centres on the page's text area.
  obj.Prop(
      "Left",
      [shape](const Args&) {
        if (Read<sal_Int16>(shape, "HoriOrient") == css::text::HoriOrientation::CENTER)
          return OleVariant(kCentred);
        return OleVariant(uno::HmmToPoints(Read<sal_Int32>(shape, "HoriOrientPosition")));
      },
      [shape](const OleVariant& v) {
        const double left = v.AsDouble();
        if (left == kCentred) {
          WriteMany(shape, {"HoriOrient", "HoriOrientRelation"},
                    {Any(css::text::HoriOrientation::CENTER),
                     Any(css::text::RelOrientation::PAGE_PRINT_AREA)});
        } else {
          WriteMany(shape, {"HoriOrient", "HoriOrientPosition"},
                    {Any(css::text::HoriOrientation::NONE), Any(sal_Int32(uno::PointsToHmm(left)))});
        }
      });
  obj.Prop(
      "Top",
      [shape](const Args&) {
        if (Read<sal_Int16>(shape, "VertOrient") == css::text::VertOrientation::CENTER)
          return OleVariant(kCentred);
        return OleVariant(uno::HmmToPoints(Read<sal_Int32>(shape, "VertOrientPosition")));
      },
      [shape, extras](const OleVariant& v) {
        const double top = v.AsDouble();
        if (top == kCentred) {
          // Centred on the margin (text area) or on the page, as the relative position says.
          WriteMany(shape, {"VertOrient", "VertOrientRelation"},
                    {Any(css::text::VertOrientation::CENTER),
                     Any(extras->relativeVertical == 1 ? css::text::RelOrientation::PAGE_FRAME
                                                       : css::text::RelOrientation::PAGE_PRINT_AREA)});
        } else {
          WriteMany(shape, {"VertOrient", "VertOrientPosition"},
                    {Any(css::text::VertOrientation::NONE), Any(sal_Int32(uno::PointsToHmm(top)))});
        }
      });
  obj.Prop(
      "RelativeVerticalPosition",
      [extras](const Args&) { return OleVariant(extras->relativeVertical); },
      [shape, extras](const OleVariant& v) {
        extras->relativeVertical = v.AsInt();
        sal_Int16 rel = css::text::RelOrientation::PAGE_PRINT_AREA;  // 0: margin
        if (extras->relativeVertical == 1) rel = css::text::RelOrientation::PAGE_FRAME;
        if (extras->relativeVertical == 2) rel = css::text::RelOrientation::FRAME;
        if (extras->relativeVertical == 3) rel = css::text::RelOrientation::TEXT_LINE;
        Write(shape, "VertOrientRelation", Any(rel));
      });
}

void AddPagePlacement(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  obj.Prop(
      "Left",
      [shape](const Args&) {
        const Frame f = FrameOf(shape);
        return OleVariant((f.cx - f.w / 2) / kPt);
      },
      [shape](const OleVariant& v) {
        const Frame f = FrameOf(shape);
        MoveBy(shape, v.AsDouble() * kPt - (f.cx - f.w / 2), 0);
      });
  obj.Prop(
      "Top",
      [shape](const Args&) {
        const Frame f = FrameOf(shape);
        return OleVariant((f.cy - f.h / 2) / kPt);
      },
      [shape](const OleVariant& v) {
        const Frame f = FrameOf(shape);
        MoveBy(shape, 0, v.AsDouble() * kPt - (f.cy - f.h / 2));
      });
}

}  // namespace

void AddSizeAndRotation(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  auto extras = c.extras;
  const bool writer = c.InWriter();
  obj.Prop(
      "Rotation",
      [shape](const Args&) {
        return OleVariant(
            uno::RotateAngleToClockwiseDegrees(Read<sal_Int32>(shape, "RotateAngle")));
      },
      [shape, writer](const OleVariant& v) {
        // On a page LibreOffice turns a shape about its position; Office turns it about its
        // centre, which stays where it was.
        const Centre before = writer ? Centre{} : CentreOf(shape);
        Write(shape, "RotateAngle", Any(sal_Int32(uno::ClockwiseDegreesToRotateAngle(v.AsDouble()))));
        if (writer) return;
        const Centre after = CentreOf(shape);
        MoveBy(shape, before.cx - after.cx, before.cy - after.cy);
      });
  obj.Prop(
      "LockAspectRatio", [extras](const Args&) { return OleVariant(extras->lockAspectRatio); },
      [extras](const OleVariant& v) { extras->lockAspectRatio = v.AsBool(); });

  // Size in points; scaling is relative to the current size. As in Office, a change of size
  // keeps the frame's top left corner (on a page; a Writer header shape keeps its anchoring).
  auto resize = [shape, writer](double widthFactor, double heightFactor, double width,
                                double height) {
    auto size = shape->Shape()->getSize();
    const Frame before = writer ? Frame{} : FrameOf(shape, size);
    if (width >= 0) size.Width = uno::PointsToHmm(width);
    if (height >= 0) size.Height = uno::PointsToHmm(height);
    size.Width = static_cast<sal_Int32>(std::lround(size.Width * widthFactor));
    size.Height = static_cast<sal_Int32>(std::lround(size.Height * heightFactor));
    shape->Shape()->setSize(size);
    if (writer) return;
    const Frame after = FrameOf(shape);
    MoveBy(shape, (before.cx - before.w / 2) - (after.cx - after.w / 2),
           (before.cy - before.h / 2) - (after.cy - after.h / 2));
  };
  obj.Prop(
      "Width",
      [shape](const Args&) { return OleVariant(uno::HmmToPoints(shape->Shape()->getSize().Width)); },
      [resize](const OleVariant& v) { resize(1, 1, v.AsDouble(), -1); });
  obj.Prop(
      "Height",
      [shape](const Args&) { return OleVariant(uno::HmmToPoints(shape->Shape()->getSize().Height)); },
      [resize](const OleVariant& v) { resize(1, 1, -1, v.AsDouble()); });
  obj.Func("ScaleHeight", [resize](const Args& a) {
    resize(1, ArgAt(a, 0).AsDouble(), -1, -1);
    return OleVariant();
  });
  obj.Func("ScaleWidth", [resize](const Args& a) {
    resize(ArgAt(a, 0).AsDouble(), 1, -1, -1);
    return OleVariant();
  });
}

void AddPlacement(TGuardedObject& obj, const Context& c) {
  if (c.InWriter())
    AddWriterPlacement(obj, c);
  else
    AddPagePlacement(obj, c);
}

void AddWrapFormat(TGuardedObject& obj, const Context& c) {
  if (!c.InWriter()) return;
  auto shape = c.shape;
  auto extras = c.extras;
  auto wrap = std::make_shared<TGuardedObject>(c.guard);
  wrap->Prop(
      "AllowOverlap",
      [shape](const Args&) {
        bool allow = true;
        Props(shape)->getPropertyValue(OUString("AllowOverlap")) >>= allow;
        return OleVariant(allow);
      },
      [shape](const OleVariant& v) { WriteIfPresent(shape, "AllowOverlap", Any(v.AsBool())); });
  wrap->Prop(
      "Side", [extras](const Args&) { return OleVariant(extras->wrapSide); },
      [extras](const OleVariant& v) { extras->wrapSide = v.AsInt(); });
  wrap->Prop(
      "Type",
      [shape](const Args&) {
        const auto mode = Read<css::text::WrapTextMode>(shape, "TextWrap");
        const bool opaque = Read<bool>(shape, "Opaque");
        if (mode == css::text::WrapTextMode_THROUGH) return OleVariant(opaque ? 3 : 5);
        if (mode == css::text::WrapTextMode_NONE) return OleVariant(4);
        return OleVariant(0);
      },
      [shape](const OleVariant& v) {
        switch (v.AsInt()) {
          case 3:  // in front of the text
            WriteMany(shape, {"Opaque", "TextWrap"},
                      {Any(true), Any(css::text::WrapTextMode_THROUGH)});
            break;
          case 5:  // behind the text
            WriteMany(shape, {"Opaque", "TextWrap"},
                      {Any(false), Any(css::text::WrapTextMode_THROUGH)});
            break;
          case 4:  // top and bottom
            Write(shape, "TextWrap", Any(css::text::WrapTextMode_NONE));
            break;
          default:  // square, tight, through
            Write(shape, "TextWrap", Any(css::text::WrapTextMode_PARALLEL));
            break;
        }
      });
  wrap->WritesOnly({"AllowOverlap", "Side", "Type"});
  obj.Prop("WrapFormat", [wrap](const Args&) { return OleVariant(DispatchPtr(wrap)); });
}

namespace {

// Whether a sheet's file format keeps a drawing behind the cells: OpenDocument does; .xls and
// .xlsx read every drawing back in front of them (Excel has no layer behind the cells).
bool KeepsBehindCells(const std::string& filter) { return filter.empty() || filter == "calc8"; }

// The frontmost backdrop of page: a picture or filled shape that covers most of the page, such
// as a master's background picture. Returns the index after which self is to stand to be in
// front of it, counted without self; -1 if there is none.
sal_Int32 FrontmostBackdrop(const Reference<css::drawing::XShapes>& page,
                            const Reference<css::drawing::XShape>& self) {
  // A page without a size (none of the office's pages) has no backdrop.
  sal_Int32 width = 0, height = 0;
  const auto size = ReadProperties(page, {"Height", "Width"});
  size[0] >>= height;
  size[1] >>= width;
  const double pageArea = double(width) * height;
  if (pageArea <= 0) return -1;
  sal_Int32 found = -1, own = -1;
  for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i) {
    Reference<css::drawing::XShape> shape(page->getByIndex(i), UNO_QUERY);
    if (shape == self) own = i;
    if (!shape.is() || shape == self) continue;
    // One call for the fill (and a custom shape's geometry) of each shape; a shape without
    // such a property reads it as empty. The bounds, which the office may have to lay the
    // shape's text out for, are read only for a backdrop candidate.
    const OUString type = shape->getShapeType();
    const bool custom = type == kCustomShapeType;
    const auto values = ReadProperties(shape, custom ? std::vector<const char*>{"CustomShapeGeometry", "FillStyle"}
                                                     : std::vector<const char*>{"FillStyle"});
    if (custom && IsTextEffectGeometry(values.front())) continue;
    const bool picture = type == "com.sun.star.drawing.GraphicObjectShape";
    css::drawing::FillStyle fill = css::drawing::FillStyle_NONE;
    const bool filled = (values.back() >>= fill) && fill != css::drawing::FillStyle_NONE;
    if (!picture && !filled) continue;
    css::awt::Rectangle r;
    ReadProperties(shape, {"BoundRect"}).front() >>= r;
    const double x0 = std::max<double>(r.X, 0), y0 = std::max<double>(r.Y, 0);
    const double x1 = std::min<double>(r.X + r.Width, width);
    const double y1 = std::min<double>(r.Y + r.Height, height);
    if (x1 <= x0 || y1 <= y0) continue;
    if ((x1 - x0) * (y1 - y0) >= 0.6 * pageArea) found = i;
  }
  // The index the shape takes to stand right in front of it (the others close up when the
  // shape leaves a place below it).
  return own >= 0 && own < found ? found - 1 : found;
}

}  // namespace

void AddOrder(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  auto host = c.host;
  const bool calc = c.InCalc();
  const bool impress = host.Doc->Kind() == OfficeKind::Impress;
  // Position in the stacking order from 1 (the back); in a sheet, the background layer (behind
  // the cells) comes before the front layer.
  obj.Prop("ZOrderPosition",
           [shape](const Args&) { return OleVariant(int(Read<sal_Int32>(shape, "ZOrder")) + 1); });
  obj.Prop("BehindCells", [shape, calc](const Args&) {
    return OleVariant(calc && Read<sal_Int16>(shape, "LayerID") == 1);
  });
  // ZOrder: 0/1 bring to front / send to back. In a sheet whose file keeps it, "back" is
  // behind the cells. On a slide or master, "back" stays in front of a backdrop (a picture or
  // filled shape covering most of the page): a mark behind it could never be seen.
  obj.Func("ZOrder", [host, shape, calc, impress](const Args& a) {
    const int cmd = ArgAt(a, 0).AsInt();
    if (cmd == 1 || cmd == 3) {
      if (calc && KeepsBehindCells(host.Doc->FilterName()))
        Write(shape, "LayerID", Any(sal_Int16(1)));
      sal_Int32 back = 0;
      if (impress && host.Container.is()) back = FrontmostBackdrop(host.Container, shape->Shape()) + 1;
      Write(shape, "ZOrder", Any(back));
    } else if (cmd == 0 || cmd == 2) {
      if (calc) Write(shape, "LayerID", Any(sal_Int16(0)));
      sal_Int32 count = host.Container.is() ? host.Container->getCount() : 0;
      Write(shape, "ZOrder", Any(sal_Int32(std::max<sal_Int32>(count - 1, 0))));
    }
    return OleVariant();
  });
}

}  // namespace stampwell::shape
