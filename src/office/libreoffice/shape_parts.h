#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/drawing/XShape.hpp>

#include "office/libreoffice/guarded_object.h"
#include "office/libreoffice/office_process.h"
#include "office/libreoffice/shape_objects.h"

// The members of the Office shape object, one group per sub-object it serves. Each group
// holds the conversions between Office's model and LibreOffice's for its properties.
namespace stampwell::shape {

// What Office remembers about a shape that LibreOffice has no property for.
struct Extras {
  bool lockAspectRatio = false;
  double normalizedHeight = 0;
  int wrapSide = 0;
  int relativeVertical = 0;
  std::uint32_t lineBackColor = 0;
  int dashStyle = 1;
  int lineStyle = 1;
};

// A shape of the office process and its property set. The property set is asked for once,
// when first needed, and kept: each query of an interface is a round trip to the office.
//
// Property writes are held and sent together in one call (setPropertyValues, in the order of
// the names, as that call requires; a later write of a name replaces an earlier one): before
// anything else is done with the shape here, and before the next call into the office process
// that may depend on them (TOfficeProcess::HoldWrites). The writes of one shape do not depend
// on each other's order: each sets an independent attribute.
class TShapeRef : public std::enable_shared_from_this<TShapeRef> {
 public:
  TShapeRef(css::uno::Reference<css::drawing::XShape> shape,
            std::weak_ptr<TOfficeProcess> process)
      : shape_(std::move(shape)), process_(std::move(process)) {}
  // The shape and its property set, with every held write sent first.
  const css::uno::Reference<css::drawing::XShape>& Shape() const;
  const css::uno::Reference<css::beans::XPropertySet>& Props() const;
  // Empty when the shape cannot set several properties at once.
  const css::uno::Reference<css::beans::XMultiPropertySet>& MultiProps() const;
  void Hold(const char* name, const css::uno::Any& value) const;
  void SendHeld() const;

 private:
  css::uno::Reference<css::drawing::XShape> shape_;
  std::weak_ptr<TOfficeProcess> process_;
  mutable css::uno::Reference<css::beans::XPropertySet> props_;
  mutable css::uno::Reference<css::beans::XMultiPropertySet> multi_;
  mutable bool multiKnown_ = false;
  mutable std::map<std::string, css::uno::Any> held_;
  mutable bool registered_ = false;
};
using PShape = std::shared_ptr<const TShapeRef>;

// One shape as the member groups see it.
struct Context {
  RShapeHost host;
  PShape shape;
  TGuardedObject::GuardFn guard;
  std::shared_ptr<Extras> extras;
  bool InWriter() const;
  bool InCalc() const;
};

inline const css::uno::Reference<css::beans::XPropertySet>& Props(const PShape& shape) {
  return shape->Props();
}

template <class T>
T Read(const PShape& shape, const char* name) {
  T value{};
  Props(shape)->getPropertyValue(OUString::createFromAscii(name)) >>= value;
  return value;
}

void Write(const PShape& shape, const char* name, const css::uno::Any& value);
// Sets several properties in one call to the office; names in ascending order. The shapes of
// every application take a set of properties at once; those of LibreOffice pass over a name
// they do not know or a value of the wrong type in silence, so only names every shape of the
// caller's application has belong here.
void WriteMany(const PShape& shape, const std::vector<const char*>& names,
               const std::vector<css::uno::Any>& values);
// Sets a property the shape may not have in every application (AllowOverlap in Calc).
void WriteIfPresent(const PShape& shape, const char* name, const css::uno::Any& value);

// Fill: Visible, Solid, ForeColor.RGB, Transparency.
void AddFill(TGuardedObject& obj, const Context& c);
// Line (outline): Visible, Weight, DashStyle, Style, Transparency, ForeColor, BackColor.
void AddLine(TGuardedObject& obj, const Context& c);
// TextEffect: NormalizedHeight, Text, FontName, FontSize.
void AddTextEffect(TGuardedObject& obj, const Context& c);
// Rotation, LockAspectRatio, Width, Height, ScaleWidth, ScaleHeight.
void AddSizeAndRotation(TGuardedObject& obj, const Context& c);
// Left, Top (and in Writer RelativeVerticalPosition).
void AddPlacement(TGuardedObject& obj, const Context& c);
// WrapFormat (Writer only): AllowOverlap, Side, Type.
void AddWrapFormat(TGuardedObject& obj, const Context& c);
// ZOrder, ZOrderPosition, BehindCells.
void AddOrder(TGuardedObject& obj, const Context& c);

}  // namespace stampwell::shape
