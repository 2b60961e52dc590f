// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/drawing/HomogenMatrix3.hpp>
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
  // The shape with its held writes still held: for telling it apart from other shapes.
  const css::uno::Reference<css::drawing::XShape>& ShapeKeepingHeld() const { return shape_; }
  // The property set with the held writes still held: only for reading what none of them can
  // change.
  const css::uno::Reference<css::beans::XPropertySet>& PropsKeepingHeld() const;
  void Hold(const char* name, const css::uno::Any& value) const;
  // The value held for the name, not yet sent; null when none is.
  const css::uno::Any* Held(const char* name) const;
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

// The value a property has or is about to have: its held write, else read from the office with
// the other held writes left held. Only for a property that no write of another one changes.
template <class T>
T ReadOwn(const PShape& shape, const char* name) {
  T value{};
  if (const css::uno::Any* held = shape->Held(name))
    *held >>= value;
  else
    shape->PropsKeepingHeld()->getPropertyValue(OUString::createFromAscii(name)) >>= value;
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

// Where a shape on a page stands, as its transformation (the unit square mapped onto the
// shape's frame) tells: the frame scaled, sheared and turned about its centre, which is then
// put at (cx, cy). Office's Left and Top are the corner of the unturned frame around that
// centre, and Office turns a shape about its centre.
//
// The transformation is read in one call that the office answers from what it keeps. Its
// position (getPosition) and bounds (BoundRect) would do as well, but asking for them makes the
// office lay a text effect's outline out again after every change of size or angle, a
// millisecond each time, several times over one stamp. A change is held as a write of the
// whole transformation (see TShapeRef), so that a run of changes of size, angle and place
// reaches the office as one.
struct Placement {
  double width = 0;   // along the turned frame's first axis, in 1/100 mm
  double height = 0;  // along its second axis; negative for a mirrored frame
  double skew = 0;    // the shear: height times the tangent of the shear angle
  double angle = 0;   // radians, clockwise on the page (whose y axis points down)
  double cx = 0, cy = 0;
};
Placement PlacementOf(const css::drawing::HomogenMatrix3& m);
css::drawing::HomogenMatrix3 MatrixOf(const Placement& p);

}  // namespace stampwell::shape
