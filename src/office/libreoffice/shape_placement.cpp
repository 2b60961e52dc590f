// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/awt/XBitmap.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/drawing/FillStyle.hpp>
#include <com/sun/star/drawing/HomogenMatrix3.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/WrapTextMode.hpp>

#include "office/libreoffice/shape_parts.h"
#include "office/page_coverage.h"
#include "office/libreoffice/uno_convert.h"

namespace stampwell::shape {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using Args = DispatchObject::Args;

Placement PlacementOf(const css::drawing::HomogenMatrix3& m) {
  const double a = m.Line1.Column1, b = m.Line2.Column1;
  const double c = m.Line1.Column2, d = m.Line2.Column2;
  Placement p;
  p.width = std::hypot(a, b);
  p.angle = p.width > 0 ? std::atan2(b, a) : 0.0;
  const double cs = std::cos(p.angle), sn = std::sin(p.angle);
  p.height = cs * d - sn * c;
  p.skew = cs * c + sn * d;
  p.cx = m.Line1.Column3 + (a + c) / 2;
  p.cy = m.Line2.Column3 + (b + d) / 2;
  return p;
}

css::drawing::HomogenMatrix3 MatrixOf(const Placement& p) {
  const double cs = std::cos(p.angle), sn = std::sin(p.angle);
  const double a = p.width * cs, b = p.width * sn;
  const double c = p.skew * cs - p.height * sn, d = p.skew * sn + p.height * cs;
  css::drawing::HomogenMatrix3 m;
  m.Line1.Column1 = a;
  m.Line1.Column2 = c;
  m.Line1.Column3 = p.cx - (a + c) / 2;
  m.Line2.Column1 = b;
  m.Line2.Column2 = d;
  m.Line2.Column3 = p.cy - (b + d) / 2;
  m.Line3.Column1 = 0;
  m.Line3.Column2 = 0;
  m.Line3.Column3 = 1;
  return m;
}

namespace {

// Office's value for "centred" in Left and Top.
constexpr double kCentred = -999995;
constexpr double kPt = 2540.0 / 72.0;

constexpr const char* kTransformation = "Transformation";

// The shape's placement with every change made here, sent or still held. Reading it leaves
// other held writes held: fill, line, name and order do not move a shape.
Placement CurrentPlacement(const PShape& shape) {
  css::drawing::HomogenMatrix3 m;
  if (const Any* held = shape->Held(kTransformation))
    *held >>= m;
  else
    shape->PropsKeepingHeld()->getPropertyValue(OUString::createFromAscii(kTransformation)) >>= m;
  return PlacementOf(m);
}

void Place(const PShape& shape, const Placement& p) {
  Write(shape, kTransformation, Any(MatrixOf(p)));
}

// The angle in Office's clockwise degrees, to the office's hundredth of a degree, from 0 up to
// 360; and back.
double ClockwiseDegrees(const Placement& p) {
  return uno::RotateAngleToClockwiseDegrees(
      uno::ClockwiseDegreesToRotateAngle(p.angle * 180.0 / M_PI));
}

double ClockwiseRadians(double degrees) {
  return -uno::ClockwiseDegreesToRotateAngle(degrees) / 100.0 * M_PI / 180.0;
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
        const Placement p = CurrentPlacement(shape);
        return OleVariant((p.cx - p.width / 2) / kPt);
      },
      [shape](const OleVariant& v) {
        Placement p = CurrentPlacement(shape);
        p.cx = std::round(v.AsDouble() * kPt) + p.width / 2;
        Place(shape, p);
      });
  obj.Prop(
      "Top",
      [shape](const Args&) {
        const Placement p = CurrentPlacement(shape);
        return OleVariant((p.cy - std::abs(p.height) / 2) / kPt);
      },
      [shape](const OleVariant& v) {
        Placement p = CurrentPlacement(shape);
        p.cy = std::round(v.AsDouble() * kPt) + std::abs(p.height) / 2;
        Place(shape, p);
      });
}

}  // namespace

void AddSizeAndRotation(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  auto extras = c.extras;
  const bool writer = c.InWriter();
  // A Writer header shape turns about its centre as its anchoring keeps it; on a page the
  // placement turns the frame about its centre.
  obj.Prop(
      "Rotation",
      [shape, writer](const Args&) {
        if (!writer) return OleVariant(ClockwiseDegrees(CurrentPlacement(shape)));
        return OleVariant(
            uno::RotateAngleToClockwiseDegrees(Read<sal_Int32>(shape, "RotateAngle")));
      },
      [shape, writer](const OleVariant& v) {
        if (writer) {
          Write(shape, "RotateAngle",
                Any(sal_Int32(uno::ClockwiseDegreesToRotateAngle(v.AsDouble()))));
          return;
        }
        Placement p = CurrentPlacement(shape);
        p.angle = ClockwiseRadians(v.AsDouble());
        Place(shape, p);
      });
  obj.Prop(
      "LockAspectRatio", [extras](const Args&) { return OleVariant(extras->lockAspectRatio); },
      [extras](const OleVariant& v) { extras->lockAspectRatio = v.AsBool(); });

  // Size in points; scaling is relative to the current size. As in Office, a change of size
  // keeps the frame's top left corner (on a page; a Writer header shape keeps its anchoring).
  auto resize = [shape, writer](double widthFactor, double heightFactor, double width,
                                double height) {
    auto scaled = [](double current, double points, double factor) {
      const double size = points >= 0 ? uno::PointsToHmm(points) : current;
      return double(std::lround(size * factor));
    };
    if (writer) {
      auto size = shape->Shape()->getSize();
      size.Width = static_cast<sal_Int32>(scaled(size.Width, width, widthFactor));
      size.Height = static_cast<sal_Int32>(scaled(size.Height, height, heightFactor));
      shape->Shape()->setSize(size);
      return;
    }
    Placement p = CurrentPlacement(shape);
    const double w = scaled(std::lround(p.width), width, widthFactor);
    const double h0 = std::abs(p.height);
    const double h = scaled(std::lround(h0), height, heightFactor);
    p.cx += (w - p.width) / 2;
    p.cy += (h - h0) / 2;
    p.width = w;
    if (h0 > 0) p.skew *= h / h0;
    p.height = p.height < 0 ? -h : h;
    Place(shape, p);
  };
  obj.Prop(
      "Width",
      [shape, writer](const Args&) {
        if (!writer) return OleVariant(CurrentPlacement(shape).width / kPt);
        return OleVariant(uno::HmmToPoints(shape->Shape()->getSize().Width));
      },
      [resize](const OleVariant& v) { resize(1, 1, v.AsDouble(), -1); });
  obj.Prop(
      "Height",
      [shape, writer](const Args&) {
        if (!writer) return OleVariant(std::abs(CurrentPlacement(shape).height) / kPt);
        return OleVariant(uno::HmmToPoints(shape->Shape()->getSize().Height));
      },
      [resize](const OleVariant& v) { resize(1, 1, -1, v.AsDouble()); });
  obj.Func("ScaleHeight", [resize](const Args& a) {
    resize(1, ArgAt(a, 0).AsDouble(), -1, -1);
    return OleVariant();
  });
  obj.Func("ScaleWidth", [resize](const Args& a) {
    resize(ArgAt(a, 0).AsDouble(), 1, -1, -1);
    return OleVariant();
  });
  // On a page, every member above only writes the shape's own placement or reads it.
  if (!writer) obj.WritesOnly({"Width", "Height", "ScaleHeight", "ScaleWidth"});
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
  // In a header, in front of the text is in front of the header's text only: the shape is
  // drawn behind the body's text, as Word draws it (and as LibreOffice reads it back from a
  // Word file); it reads back as set.
  const auto headerWraps = c.host.HeaderWraps;
  auto key = [shape] {
    return Reference<css::uno::XInterface>(shape->ShapeKeepingHeld(), UNO_QUERY);
  };
  wrap->Prop(
      "Type",
      [shape, headerWraps, key](const Args&) {
        if (headerWraps)
          if (auto it = headerWraps->find(key()); it != headerWraps->end())
            return OleVariant(it->second);
        const auto mode = Read<css::text::WrapTextMode>(shape, "TextWrap");
        const bool opaque = Read<bool>(shape, "Opaque");
        if (mode == css::text::WrapTextMode_THROUGH) return OleVariant(opaque ? 3 : 5);
        if (mode == css::text::WrapTextMode_NONE) return OleVariant(4);
        return OleVariant(0);
      },
      [shape, headerWraps, key](const OleVariant& v) {
        if (headerWraps) (*headerWraps)[key()] = v.AsInt();
        switch (v.AsInt()) {
          case 3:  // in front of the text
            WriteMany(shape, {"Opaque", "TextWrap"},
                      {Any(!headerWraps), Any(css::text::WrapTextMode_THROUGH)});
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

// Whether a backdrop candidate hides what lies behind it wholly: a fill without transparency,
// or a picture not made transparent as a whole whose own pixels, where it has a transparency
// mask, are almost all opaque. A drawn (vector) picture counts as opaque: it cannot be told
// from here whether it paints its own background, and the pictures that cover a whole slide
// (charts, and slides or drawings pasted as objects) mostly do.
bool HidesWhatIsBehind(const Reference<css::drawing::XShape>& shape, bool picture) {
  if (!picture) {
    sal_Int16 transparence = 0;
    ReadProperties(shape, {"FillTransparence"}).front() >>= transparence;
    return transparence == 0;
  }
  const auto values = ReadProperties(shape, {"Graphic", "Transparency"});
  sal_Int16 transparency = 0;
  values[1] >>= transparency;
  if (transparency != 0) return false;
  Reference<css::beans::XPropertySet> graphic(values[0], UNO_QUERY);
  if (!graphic.is()) return true;
  try {
    sal_Int8 kind = 0;  // css::graphic::GraphicType: 1 a bitmap (pixel), 2 a drawing (vector)
    bool alpha = false;
    graphic->getPropertyValue(OUString("GraphicType")) >>= kind;
    graphic->getPropertyValue(OUString("Alpha")) >>= alpha;
    if (kind != 1 || !alpha) return true;
    Reference<css::awt::XBitmap> bitmap(graphic, UNO_QUERY);
    return bitmap.is() && MaskMostlyOpaque(bitmap->getMaskDIB());
  } catch (const css::uno::Exception&) {
    return true;
  }
}

// Where a backdrop candidate lies on the page: a picture, embedded object or filled shape, or a
// group's such members (a group has no fill of its own: a backdrop drawn as a group of filled
// shapes covers what its members cover). With opaqueOnly, only what hides what lies behind it.
// Text effects (marks among them) are no backdrop.
void AddBackdropParts(const Reference<css::drawing::XShape>& shape, bool opaqueOnly,
                      double width, double height, std::vector<RPageBox>& parts) {
  const OUString type = shape->getShapeType();
  if (type == "com.sun.star.drawing.GroupShape") {
    Reference<css::container::XIndexAccess> members(shape, UNO_QUERY);
    if (!members.is()) return;
    for (sal_Int32 i = 0, n = members->getCount(); i < n; ++i) {
      Reference<css::drawing::XShape> member(members->getByIndex(i), UNO_QUERY);
      if (member.is()) AddBackdropParts(member, opaqueOnly, width, height, parts);
    }
    return;
  }
  // One call for the fill (and a custom shape's geometry) of each shape; a shape without
  // such a property reads it as empty. The bounds, which the office may have to lay the
  // shape's text out for, are read only for a backdrop candidate.
  const bool custom = type == kCustomShapeType;
  const auto values = ReadProperties(shape, custom ? std::vector<const char*>{"CustomShapeGeometry", "FillStyle"}
                                                   : std::vector<const char*>{"FillStyle"});
  if (custom && IsTextEffectGeometry(values.front())) return;
  // An embedded object (a chart, a slide or drawing pasted as an object) is drawn as its
  // picture, and is a backdrop like one.
  const bool picture = type == "com.sun.star.drawing.GraphicObjectShape" ||
                       type == "com.sun.star.drawing.OLE2Shape";
  css::drawing::FillStyle fill = css::drawing::FillStyle_NONE;
  const bool filled = (values.back() >>= fill) && fill != css::drawing::FillStyle_NONE;
  if (!picture && !filled) return;
  if (opaqueOnly && !HidesWhatIsBehind(shape, picture)) return;
  css::awt::Rectangle r;
  ReadProperties(shape, {"BoundRect"}).front() >>= r;
  const double x0 = std::max<double>(r.X, 0), y0 = std::max<double>(r.Y, 0);
  const double x1 = std::min<double>(r.X + r.Width, width);
  const double y1 = std::min<double>(r.Y + r.Height, height);
  if (x1 > x0 && y1 > y0) parts.push_back({x0, y0, x1, y1});
}

// The frontmost backdrop of page: what covers most of the page behind everything else, such
// as a master's background picture. That is a picture, embedded object or filled shape (or
// group of them) covering most of the page by itself, or large ones that do so side by side
// (a dark band over the top of a slide and a picture over the rest); with opaqueOnly, only
// what hides what lies behind it (HidesWhatIsBehind). Returns the index after which self is
// to stand to be in front of it, counted without self; -1 if there is none.
sal_Int32 FrontmostBackdrop(const TOfficeDocument& doc,
                            const Reference<css::drawing::XShapes>& page,
                            const Reference<css::drawing::XShape>& self, bool opaqueOnly = false) {
  constexpr double kBackdrop = 0.6;  // of the page, by itself or side by side
  constexpr double kPart = 0.25;     // of the page, to count as a part of a backdrop
  // A page without a size (none of the office's pages) has no backdrop.
  sal_Int32 width = 0, height = 0;
  const auto size = ReadProperties(page, {"Height", "Width"});
  size[0] >>= height;
  size[1] >>= width;
  if (double(width) * height <= 0) return -1;
  sal_Int32 found = -1, own = -1, frontmostPart = -1;
  TPageCoverage together(width, height);
  for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i) {
    const Reference<css::drawing::XShape> shape = ShapeAt(doc, page, i);
    if (shape == self) own = i;
    if (!shape.is() || shape == self) continue;
    std::vector<RPageBox> parts;
    AddBackdropParts(shape, opaqueOnly, width, height, parts);
    if (parts.empty()) continue;
    TPageCoverage covers(width, height);
    for (const auto& part : parts) covers.Add(part);
    const double share = covers.Share();
    if (share >= kBackdrop) found = i;
    if (share >= kPart) {
      for (const auto& part : parts) together.Add(part);
      frontmostPart = i;
    }
  }
  if (together.Share() >= kBackdrop) found = std::max(found, frontmostPart);
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
      if (impress && host.Container.is())
        back = FrontmostBackdrop(*host.Doc, host.Container, shape->ShapeKeepingHeld()) + 1;
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

namespace stampwell {

bool MaskMostlyOpaque(const css::uno::Sequence<sal_Int8>& dib) {
  const auto* b = reinterpret_cast<const unsigned char*>(dib.getConstArray());
  const sal_Int32 size = dib.getLength();
  auto u32 = [b](int at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
  };
  if (size < 54 || b[0] != 'B' || b[1] != 'M') return false;
  const std::uint32_t offset = u32(10), header = u32(14), compression = u32(30);
  const std::int64_t width = std::int32_t(u32(18)), height = std::llabs(std::int32_t(u32(22)));
  const int bits = b[28] | b[29] << 8;
  if (header < 40 || bits != 8 || compression != 0 || width <= 0 || height <= 0) return false;
  const std::uint64_t stride = (std::uint64_t(width) + 3) / 4 * 4;
  const std::uint64_t paletteAt = 14 + std::uint64_t(header);
  if (offset < paletteAt + 256 * 4 || offset + stride * std::uint64_t(height) > std::uint64_t(size))
    return false;
  std::uint64_t opaque = 0;
  for (std::int64_t y = 0; y < height; ++y) {
    const unsigned char* row = b + offset + stride * y;
    for (std::int64_t x = 0; x < width; ++x)
      if (b[paletteAt + 4 * row[x] + 2] < 16) ++opaque;  // the grey of its palette entry
  }
  return opaque >= 0.95 * double(width) * height;
}

bool HasOpaqueBackdrop(const TOfficeDocument& doc,
                       const css::uno::Reference<css::drawing::XShapes>& page) {
  return shape::FrontmostBackdrop(doc, page, css::uno::Reference<css::drawing::XShape>(), true) >= 0;
}

}  // namespace stampwell
