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

#include "office/libreoffice/uno_convert.h"

namespace stampwell {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using uno::ToOU;
using uno::ToStd;

namespace {

// Office's value for "centred" in Left and Top.
constexpr double kCentred = -999995;
constexpr double kPt = 2540.0 / 72.0;

Reference<css::beans::XPropertySet> Props(const Reference<css::drawing::XShape>& shape) {
  return Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW);
}

template <class T>
T Read(const Reference<css::drawing::XShape>& shape, const char* name) {
  T value{};
  Props(shape)->getPropertyValue(OUString::createFromAscii(name)) >>= value;
  return value;
}

void Write(const Reference<css::drawing::XShape>& shape, const char* name, const Any& value) {
  Props(shape)->setPropertyValue(OUString::createFromAscii(name), value);
}

// Sets a property the shape may not have in every application (AllowOverlap in Calc).
void WriteIfPresent(const Reference<css::drawing::XShape>& shape, const char* name,
                    const Any& value) {
  try {
    Props(shape)->setPropertyValue(OUString::createFromAscii(name), value);
  } catch (const css::beans::UnknownPropertyException&) {
    // Not a property of shapes in this application.
  }
}

// What Office remembers about a shape that LibreOffice has no property for.
struct ShapeExtras {
  bool lockAspectRatio = false;
  double normalizedHeight = 0;
  int wrapSide = 0;
  int relativeVertical = 0;
  std::uint32_t lineBackColor = 0;
  int dashStyle = 1;
  int lineStyle = 1;
};

OleVariant Nothing() { return OleVariant(); }

bool IsWriter(const RShapeHost& host) { return host.Doc->Kind() == OfficeKind::Writer; }

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

DispatchPtr ColorObject(TGuardedObject::GuardFn guard, std::function<std::uint32_t()> get,
                        std::function<void(std::uint32_t)> put) {
  auto obj = std::make_shared<TGuardedObject>(guard);
  obj->Prop(
      "RGB", [get](const DispatchObject::Args&) { return OleVariant(int(get())); },
      [put](const OleVariant& v) { put(static_cast<std::uint32_t>(v.AsInt())); });
  return obj;
}

// WordArt's plain text fills its box from edge to edge; without ScaleX in the fontwork text
// path, LibreOffice keeps the text's own proportions and leaves it at the box's left end.
void StretchTextToWidth(const Reference<css::drawing::XShape>& shape) {
  css::uno::Sequence<css::beans::PropertyValue> geometry;
  Props(shape)->getPropertyValue(OUString("CustomShapeGeometry")) >>= geometry;
  std::vector<css::beans::PropertyValue> items(geometry.begin(), geometry.end());
  for (auto& item : items) {
    if (item.Name != "TextPath") continue;
    css::uno::Sequence<css::beans::PropertyValue> path;
    item.Value >>= path;
    std::vector<css::beans::PropertyValue> entries(path.begin(), path.end());
    bool found = false;
    for (auto& e : entries)
      if (e.Name == "ScaleX") {
        e.Value <<= true;
        found = true;
      }
    if (!found) {
      css::beans::PropertyValue scale;
      scale.Name = "ScaleX";
      scale.Value <<= true;
      entries.push_back(scale);
    }
    item.Value <<=
        css::uno::Sequence<css::beans::PropertyValue>(entries.data(), sal_Int32(entries.size()));
  }
  Props(shape)->setPropertyValue(
      OUString("CustomShapeGeometry"),
      Any(css::uno::Sequence<css::beans::PropertyValue>(items.data(), sal_Int32(items.size()))));
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
    host.HeaderText->insertTextContent(host.HeaderText->getStart(), content, false);
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
  WriteIfPresent(shape, "TextFitToSize", Any(css::drawing::TextFitToSizeType_PROPORTIONAL));
  StretchTextToWidth(shape);
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

DispatchPtr MakeShapeObject(const RShapeHost& host, const Reference<css::drawing::XShape>& shape) {
  auto guard = GuardOf(host.Doc->Process());
  auto extras = std::make_shared<ShapeExtras>();
  auto obj = std::make_shared<TGuardedObject>(guard);
  using Args = DispatchObject::Args;
  const bool writer = IsWriter(host);

  obj->Prop(
      "Name",
      [shape](const Args&) {
        return OleVariant(
            ToStd(Reference<css::container::XNamed>(shape, UNO_QUERY_THROW)->getName()));
      },
      [shape](const OleVariant& v) {
        Reference<css::container::XNamed>(shape, UNO_QUERY_THROW)->setName(ToOU(v.AsString()));
      });
  obj->Func("Select", [](const Args&) { return Nothing(); });
  obj->Func("Delete", [host, shape](const Args&) {
    if (host.Container.is()) host.Container->remove(shape);
    return Nothing();
  });

  // Fill: visible, solid, colour (Office RGB), transparency 0..1. A fontwork shape is drawn
  // with its character colour while the file keeps its fill: both are set.
  auto fill = std::make_shared<TGuardedObject>(guard);
  fill->Prop(
      "Visible",
      [shape](const Args&) {
        return OleVariant(Read<css::drawing::FillStyle>(shape, "FillStyle") !=
                          css::drawing::FillStyle_NONE);
      },
      [shape](const OleVariant& v) {
        Write(shape, "FillStyle",
              Any(v.AsBool() ? css::drawing::FillStyle_SOLID : css::drawing::FillStyle_NONE));
      });
  fill->Func("Solid", [shape](const Args&) {
    Write(shape, "FillStyle", Any(css::drawing::FillStyle_SOLID));
    return Nothing();
  });
  fill->Prop(
      "Transparency",
      [shape](const Args&) {
        return OleVariant(uno::PercentToTransparency(Read<sal_Int16>(shape, "FillTransparence")));
      },
      [shape](const OleVariant& v) {
        const sal_Int16 percent = uno::TransparencyToPercent(v.AsDouble());
        Write(shape, "FillTransparence", Any(percent));
        WriteIfPresent(shape, "CharTransparence", Any(percent));
      });
  fill->Prop("ForeColor", [guard, shape](const Args&) {
    return OleVariant(ColorObject(
        guard, [shape] { return uno::UnoToOfficeRgb(Read<sal_Int32>(shape, "FillColor")); },
        [shape](std::uint32_t rgb) {
          Write(shape, "FillColor", Any(uno::OfficeRgbToUno(rgb)));
          WriteIfPresent(shape, "CharColor", Any(uno::OfficeRgbToUno(rgb)));
        }));
  });
  obj->Prop("Fill", [fill](const Args&) { return OleVariant(DispatchPtr(fill)); });

  // Line (outline).
  auto line = std::make_shared<TGuardedObject>(guard);
  line->Prop(
      "Visible",
      [shape](const Args&) {
        return OleVariant(Read<css::drawing::LineStyle>(shape, "LineStyle") !=
                          css::drawing::LineStyle_NONE);
      },
      [shape](const OleVariant& v) {
        Write(shape, "LineStyle",
              Any(v.AsBool() ? css::drawing::LineStyle_SOLID : css::drawing::LineStyle_NONE));
      });
  line->Prop(
      "Weight",
      [shape](const Args&) {
        return OleVariant(uno::HmmToPoints(Read<sal_Int32>(shape, "LineWidth")));
      },
      [shape](const OleVariant& v) {
        Write(shape, "LineWidth", Any(sal_Int32(uno::PointsToHmm(v.AsDouble()))));
      });
  line->Prop(
      "DashStyle", [extras](const Args&) { return OleVariant(extras->dashStyle); },
      [shape, extras](const OleVariant& v) {
        extras->dashStyle = v.AsInt();
        // Only solid lines are drawn by this server; a visible line becomes solid.
        if (extras->dashStyle == 1 &&
            Read<css::drawing::LineStyle>(shape, "LineStyle") != css::drawing::LineStyle_NONE)
          Write(shape, "LineStyle", Any(css::drawing::LineStyle_SOLID));
      });
  line->Prop(
      "Style", [extras](const Args&) { return OleVariant(extras->lineStyle); },
      [extras](const OleVariant& v) { extras->lineStyle = v.AsInt(); });
  line->Prop(
      "Transparency",
      [shape](const Args&) {
        return OleVariant(uno::PercentToTransparency(Read<sal_Int16>(shape, "LineTransparence")));
      },
      [shape](const OleVariant& v) {
        Write(shape, "LineTransparence", Any(sal_Int16(uno::TransparencyToPercent(v.AsDouble()))));
      });
  line->Prop("ForeColor", [guard, shape](const Args&) {
    return OleVariant(ColorObject(
        guard, [shape] { return uno::UnoToOfficeRgb(Read<sal_Int32>(shape, "LineColor")); },
        [shape](std::uint32_t rgb) { Write(shape, "LineColor", Any(uno::OfficeRgbToUno(rgb))); }));
  });
  line->Prop("BackColor", [guard, extras](const Args&) {
    // The background colour of a patterned line; solid lines do not show it.
    return OleVariant(ColorObject(
        guard, [extras] { return extras->lineBackColor; },
        [extras](std::uint32_t rgb) { extras->lineBackColor = rgb; }));
  });
  obj->Prop("Line", [line](const Args&) { return OleVariant(DispatchPtr(line)); });

  auto textEffect = std::make_shared<TGuardedObject>(guard);
  textEffect->Prop(
      "NormalizedHeight",
      [extras](const Args&) { return OleVariant(extras->normalizedHeight != 0); },
      [extras](const OleVariant& v) { extras->normalizedHeight = v.AsDouble(); });
  textEffect->Prop("Text", [shape](const Args&) {
    return OleVariant(ToStd(Reference<css::text::XText>(shape, UNO_QUERY_THROW)->getString()));
  });
  textEffect->Prop("FontName", [shape](const Args&) {
    // The font of the text itself: what the file keeps and what is drawn.
    auto text = Reference<css::text::XText>(shape, UNO_QUERY_THROW);
    auto cursor = text->createTextCursor();
    cursor->gotoStart(false);
    cursor->goRight(1, true);
    OUString font;
    Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
        ->getPropertyValue(OUString("CharFontName")) >>= font;
    return OleVariant(ToStd(font));
  });
  textEffect->Prop("FontSize", [shape](const Args&) {
    return OleVariant(double(Read<float>(shape, "CharHeight")));
  });
  obj->Prop("TextEffect",
            [textEffect](const Args&) { return OleVariant(DispatchPtr(textEffect)); });

  obj->Prop(
      "Rotation",
      [shape](const Args&) {
        return OleVariant(
            uno::RotateAngleToClockwiseDegrees(Read<sal_Int32>(shape, "RotateAngle")));
      },
      [shape](const OleVariant& v) {
        Write(shape, "RotateAngle",
              Any(sal_Int32(uno::ClockwiseDegreesToRotateAngle(v.AsDouble()))));
      });
  obj->Prop(
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
  obj->Prop(
      "Width",
      [shape](const Args&) { return OleVariant(uno::HmmToPoints(shape->getSize().Width)); },
      [resize](const OleVariant& v) { resize(1, 1, v.AsDouble(), -1); });
  obj->Prop(
      "Height",
      [shape](const Args&) { return OleVariant(uno::HmmToPoints(shape->getSize().Height)); },
      [resize](const OleVariant& v) { resize(1, 1, -1, v.AsDouble()); });
  obj->Func("ScaleHeight", [resize](const Args& a) {
    resize(1, ArgAt(a, 0).AsDouble(), -1, -1);
    return Nothing();
  });
  obj->Func("ScaleWidth", [resize](const Args& a) {
    resize(ArgAt(a, 0).AsDouble(), 1, -1, -1);
    return Nothing();
  });

  if (writer) {
    // Placement in a Writer header: -999995 centres on the page's text area.
    obj->Prop(
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
    obj->Prop(
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
    obj->Prop(
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
    auto wrap = std::make_shared<TGuardedObject>(guard);
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
    obj->Prop("WrapFormat", [wrap](const Args&) { return OleVariant(DispatchPtr(wrap)); });
  } else {
    obj->Prop(
        "Left",
        [shape](const Args&) {
          const Frame f = FrameOf(shape);
          return OleVariant((f.cx - f.w / 2) / kPt);
        },
        [shape](const OleVariant& v) {
          const Frame f = FrameOf(shape);
          MoveBy(shape, v.AsDouble() * kPt - (f.cx - f.w / 2), 0);
        });
    obj->Prop(
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

  // Position in the stacking order from 1 (the back); in a sheet, the background layer (behind
  // the cells) comes before the front layer.
  obj->Prop("ZOrderPosition",
            [shape](const Args&) { return OleVariant(int(Read<sal_Int32>(shape, "ZOrder")) + 1); });
  obj->Prop("BehindCells", [host, shape](const Args&) {
    return OleVariant(host.Doc->Kind() == OfficeKind::Calc &&
                      Read<sal_Int16>(shape, "LayerID") == 1);
  });
  // ZOrder: 0/1 bring to front / send to back. In a sheet, "back" is behind the cells.
  obj->Func("ZOrder", [host, shape](const Args& a) {
    const int cmd = ArgAt(a, 0).AsInt();
    if (cmd == 1 || cmd == 3) {
      if (host.Doc->Kind() == OfficeKind::Calc) Write(shape, "LayerID", Any(sal_Int16(1)));
      Write(shape, "ZOrder", Any(sal_Int32(0)));
    } else if (cmd == 0 || cmd == 2) {
      if (host.Doc->Kind() == OfficeKind::Calc) Write(shape, "LayerID", Any(sal_Int16(0)));
      sal_Int32 count = host.Container.is() ? host.Container->getCount() : 0;
      Write(shape, "ZOrder", Any(sal_Int32(std::max<sal_Int32>(count - 1, 0))));
    }
    return Nothing();
  });
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
