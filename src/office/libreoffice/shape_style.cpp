// SPDX-License-Identifier: GPL-3.0-or-later
#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/drawing/FillStyle.hpp>
#include <com/sun/star/drawing/LineStyle.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>

#include "office/libreoffice/shape_parts.h"
#include "office/libreoffice/uno_convert.h"

namespace stampwell::shape {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;
using uno::ToStd;
using Args = DispatchObject::Args;

namespace {

DispatchPtr ColorObject(TGuardedObject::GuardFn guard, std::function<std::uint32_t()> get,
                        std::function<void(std::uint32_t)> put) {
  auto obj = std::make_shared<TGuardedObject>(guard);
  obj->Prop(
      "RGB", [get](const Args&) { return OleVariant(int(get())); },
      [put](const OleVariant& v) { put(static_cast<std::uint32_t>(v.AsInt())); });
  obj->WritesOnly({"RGB"});
  return obj;
}

}  // namespace

const Reference<css::drawing::XShape>& TShapeRef::Shape() const {
  SendHeld();
  return shape_;
}

const Reference<css::beans::XPropertySet>& TShapeRef::Props() const {
  SendHeld();
  return PropsKeepingHeld();
}

const Reference<css::beans::XPropertySet>& TShapeRef::PropsKeepingHeld() const {
  if (!props_.is()) props_.set(shape_, UNO_QUERY_THROW);
  return props_;
}

const Any* TShapeRef::Held(const char* name) const {
  const auto it = held_.find(name);
  return it == held_.end() ? nullptr : &it->second;
}

const Reference<css::beans::XMultiPropertySet>& TShapeRef::MultiProps() const {
  if (!multiKnown_) {
    multi_.set(shape_, css::uno::UNO_QUERY);
    multiKnown_ = true;
  }
  return multi_;
}

void TShapeRef::Hold(const char* name, const Any& value) const {
  held_[name] = value;
  if (registered_) return;
  auto process = process_.lock();
  if (!process) throw EOleError("The office application has been quit");
  registered_ = true;
  // The process keeps the shape until its writes are sent, even when the Office object over
  // it is already gone.
  process->HoldWrites([self = shared_from_this()] {
    self->registered_ = false;
    self->SendHeld();
  });
}

void TShapeRef::SendHeld() const {
  if (held_.empty()) return;
  const auto held = std::move(held_);
  held_.clear();
  css::uno::Sequence<OUString> names(sal_Int32(held.size()));
  css::uno::Sequence<Any> values(sal_Int32(held.size()));
  sal_Int32 i = 0;
  for (const auto& [name, value] : held) {
    names.getArray()[i] = OUString::createFromAscii(name.c_str());
    values.getArray()[i++] = value;
  }
  if (const auto& multi = MultiProps(); multi.is() && held.size() > 1) {
    multi->setPropertyValues(names, values);
    return;
  }
  if (!props_.is()) props_.set(shape_, UNO_QUERY_THROW);
  for (i = 0; i < names.getLength(); ++i) props_->setPropertyValue(names[i], values[i]);
}

void Write(const PShape& shape, const char* name, const Any& value) { shape->Hold(name, value); }

void WriteMany(const PShape& shape, const std::vector<const char*>& names,
               const std::vector<Any>& values) {
  for (std::size_t i = 0; i < names.size(); ++i) shape->Hold(names[i], values[i]);
}

void WriteIfPresent(const PShape& shape, const char* name, const Any& value) {
  try {
    Props(shape)->setPropertyValue(OUString::createFromAscii(name), value);
  } catch (const css::beans::UnknownPropertyException&) {
    // Not a property of shapes in this application.
  }
}

bool Context::InWriter() const { return host.Doc->Kind() == OfficeKind::Writer; }
bool Context::InCalc() const { return host.Doc->Kind() == OfficeKind::Calc; }

// A text effect's glyphs are painted with the shape's fill, in LibreOffice as in Office, and
// the binary formats keep the fill (colour and opacity) with the shape: colour and
// transparency live there and nowhere else.
void AddFill(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  auto fill = std::make_shared<TGuardedObject>(c.guard);
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
    return OleVariant();
  });
  fill->Prop(
      "Transparency",
      [shape](const Args&) {
        return OleVariant(uno::PercentToTransparency(Read<sal_Int16>(shape, "FillTransparence")));
      },
      [shape](const OleVariant& v) {
        Write(shape, "FillTransparence", Any(uno::TransparencyToPercent(v.AsDouble())));
      });
  auto guard = c.guard;
  fill->Prop("ForeColor", [guard, shape](const Args&) {
    return OleVariant(ColorObject(
        guard, [shape] { return uno::UnoToOfficeRgb(Read<sal_Int32>(shape, "FillColor")); },
        [shape](std::uint32_t rgb) { Write(shape, "FillColor", Any(uno::OfficeRgbToUno(rgb))); }));
  });
  fill->WritesOnly({"Visible", "Solid", "Transparency", "ForeColor"});
  obj.Prop("Fill", [fill](const Args&) { return OleVariant(DispatchPtr(fill)); });
}

void AddLine(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  auto extras = c.extras;
  auto guard = c.guard;
  auto line = std::make_shared<TGuardedObject>(c.guard);
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
            ReadOwn<css::drawing::LineStyle>(shape, "LineStyle") != css::drawing::LineStyle_NONE)
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
  line->WritesOnly({"Visible", "Weight", "DashStyle", "Style", "Transparency", "ForeColor",
                    "BackColor"});
  obj.Prop("Line", [line](const Args&) { return OleVariant(DispatchPtr(line)); });
}

void AddTextEffect(TGuardedObject& obj, const Context& c) {
  auto shape = c.shape;
  auto extras = c.extras;
  auto effect = std::make_shared<TGuardedObject>(c.guard);
  effect->Prop(
      "NormalizedHeight",
      [extras](const Args&) { return OleVariant(extras->normalizedHeight != 0); },
      [extras](const OleVariant& v) { extras->normalizedHeight = v.AsDouble(); });
  effect->Prop("Text", [shape](const Args&) {
    return OleVariant(ToStd(Reference<css::text::XText>(shape->Shape(), UNO_QUERY_THROW)->getString()));
  });
  effect->Prop("FontName", [shape](const Args&) {
    // The font of the text itself: what the file keeps and what is drawn.
    auto text = Reference<css::text::XText>(shape->Shape(), UNO_QUERY_THROW);
    auto cursor = text->createTextCursor();
    cursor->gotoStart(false);
    cursor->goRight(1, true);
    OUString font;
    Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
        ->getPropertyValue(OUString("CharFontName")) >>= font;
    return OleVariant(ToStd(font));
  });
  effect->Prop("FontSize", [shape](const Args&) {
    return OleVariant(double(Read<float>(shape, "CharHeight")));
  });
  effect->WritesOnly({"NormalizedHeight", "Text", "FontName", "FontSize"});
  obj.Prop("TextEffect", [effect](const Args&) { return OleVariant(DispatchPtr(effect)); });
}

}  // namespace stampwell::shape
