#include <cmath>

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/WrapTextMode.hpp>

#include "office/libreoffice/shape_parts.h"
#include "office/libreoffice/uno_convert.h"

namespace stampwell::shape {

using css::uno::Any;
using css::uno::Reference;
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

Frame FrameOf(const Reference<css::drawing::XShape>& shape) {
  const auto bound = Read<css::awt::Rectangle>(shape, "BoundRect");
  const auto size = shape->getSize();
  return {bound.X + bound.Width / 2.0, bound.Y + bound.Height / 2.0, double(size.Width),
          double(size.Height)};
}

void MoveBy(const Reference<css::drawing::XShape>& shape, double dx, double dy) {
  auto pos = shape->getPosition();
  pos.X += static_cast<sal_Int32>(std::lround(dx));
  pos.Y += static_cast<sal_Int32>(std::lround(dy));
  shape->setPosition(pos);
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
          Write(shape, "HoriOrient", Any(css::text::HoriOrientation::CENTER));
          Write(shape, "HoriOrientRelation", Any(css::text::RelOrientation::PAGE_PRINT_AREA));
        } else {
          Write(shape, "HoriOrient", Any(css::text::HoriOrientation::NONE));
          Write(shape, "HoriOrientPosition", Any(sal_Int32(uno::PointsToHmm(left))));
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
          Write(shape, "VertOrient", Any(css::text::VertOrientation::CENTER));
          // Centred on the margin (text area) or on the page, as the relative position says.
          Write(shape, "VertOrientRelation",
                Any(extras->relativeVertical == 1 ? css::text::RelOrientation::PAGE_FRAME
                                                  : css::text::RelOrientation::PAGE_PRINT_AREA));
        } else {
          Write(shape, "VertOrient", Any(css::text::VertOrientation::NONE));
          Write(shape, "VertOrientPosition", Any(sal_Int32(uno::PointsToHmm(top))));
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
        const Frame before = writer ? Frame{} : FrameOf(shape);
        Write(shape, "RotateAngle", Any(sal_Int32(uno::ClockwiseDegreesToRotateAngle(v.AsDouble()))));
        if (writer) return;
        const Frame after = FrameOf(shape);
        MoveBy(shape, before.cx - after.cx, before.cy - after.cy);
      });
  obj.Prop(
      "LockAspectRatio", [extras](const Args&) { return OleVariant(extras->lockAspectRatio); },
      [extras](const OleVariant& v) { extras->lockAspectRatio = v.AsBool(); });

  // Size in points; scaling is relative to the current size. As in Office, a change of size
  // keeps the frame's top left corner (on a page; a Writer header shape keeps its anchoring).
  auto resize = [shape, writer](double widthFactor, double heightFactor, double width,
                                double height) {
    const Frame before = writer ? Frame{} : FrameOf(shape);
    auto size = shape->getSize();
    if (width >= 0) size.Width = uno::PointsToHmm(width);
    if (height >= 0) size.Height = uno::PointsToHmm(height);
    size.Width = static_cast<sal_Int32>(std::lround(size.Width * widthFactor));
    size.Height = static_cast<sal_Int32>(std::lround(size.Height * heightFactor));
    shape->setSize(size);
    if (writer) return;
    const Frame after = FrameOf(shape);
    MoveBy(shape, (before.cx - before.w / 2) - (after.cx - after.w / 2),
           (before.cy - before.h / 2) - (after.cy - after.h / 2));
  };
  obj.Prop(
      "Width",
      [shape](const Args&) { return OleVariant(uno::HmmToPoints(shape->getSize().Width)); },
      [resize](const OleVariant& v) { resize(1, 1, v.AsDouble(), -1); });
  obj.Prop(
      "Height",
      [shape](const Args&) { return OleVariant(uno::HmmToPoints(shape->getSize().Height)); },
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
            Write(shape, "TextWrap", Any(css::text::WrapTextMode_THROUGH));
            Write(shape, "Opaque", Any(true));
            break;
          case 5:  // behind the text
            Write(shape, "TextWrap", Any(css::text::WrapTextMode_THROUGH));
            Write(shape, "Opaque", Any(false));
            break;
          case 4:  // top and bottom
            Write(shape, "TextWrap", Any(css::text::WrapTextMode_NONE));
            break;
          default:  // square, tight, through
            Write(shape, "TextWrap", Any(css::text::WrapTextMode_PARALLEL));
            break;
        }
      });
  obj.Prop("WrapFormat", [wrap](const Args&) { return OleVariant(DispatchPtr(wrap)); });
}

void AddOrder(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  auto host = c.host;
  const bool calc = c.InCalc();
  // Position in the stacking order from 1 (the back); in a sheet, the background layer (behind
  // the cells) comes before the front layer.
  obj.Prop("ZOrderPosition",
           [shape](const Args&) { return OleVariant(int(Read<sal_Int32>(shape, "ZOrder")) + 1); });
  obj.Prop("BehindCells", [shape, calc](const Args&) {
    return OleVariant(calc && Read<sal_Int16>(shape, "LayerID") == 1);
  });
  // ZOrder: 0/1 bring to front / send to back. In a sheet, "back" is behind the cells.
  obj.Func("ZOrder", [host, shape, calc](const Args& a) {
    const int cmd = ArgAt(a, 0).AsInt();
    if (cmd == 1 || cmd == 3) {
      if (calc) Write(shape, "LayerID", Any(sal_Int16(1)));
      Write(shape, "ZOrder", Any(sal_Int32(0)));
    } else if (cmd == 0 || cmd == 2) {
      if (calc) Write(shape, "LayerID", Any(sal_Int16(0)));
      sal_Int32 count = host.Container.is() ? host.Container->getCount() : 0;
      Write(shape, "ZOrder", Any(sal_Int32(std::max<sal_Int32>(count - 1, 0))));
    }
    return OleVariant();
  });
}

}  // namespace stampwell::shape
