// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <com/sun/star/drawing/XShape.hpp>

#include "office/libreoffice/office_document.h"

namespace stampwell {

// Shape names carried through file formats that drop them, in a user-defined document property
// ("StampwellShapeNames"), which those formats keep. The engines recognise their watermark
// only by its name, so a name lost in the file would leave the old mark beside the new one.
//
// A place is where named shapes live (a page header, a master page). Its key must name the
// same place again when the file is loaded another time; a place's shapes are listed in order.
struct RShapePlace {
  std::string Key;
  std::vector<css::uno::Reference<css::drawing::XShape>> Shapes;
};

// The name a shape carries ("" for a shape without one).
std::string ShapeName(const css::uno::Reference<css::drawing::XShape>& shape);

// Writes down every named shape of places: its place, position, name and text (to recognise it
// by), replacing an earlier record.
void RecordShapeNames(const TOfficeDocument& doc, const std::vector<RShapePlace>& places);

// A shape given its name back, and the key of its place.
struct RRestoredName {
  std::string Key;
  css::uno::Reference<css::drawing::XShape> Shape;
  std::string Name;
};

// Gives the recorded names back to shapes that came back without one: the shape at the recorded
// position of its place when its text matches, else the first unnamed shape of that place with
// the recorded text. Names the file carries itself are kept; without a record nothing changes.
// places is asked for only when the document holds a record: listing them costs many calls to
// the office, and most files never had a name taken from them. Returns the shapes named.
std::vector<RRestoredName> RestoreShapeNames(
    const TOfficeDocument& doc, const std::function<std::vector<RShapePlace>()>& places);

// One recorded shape, and the property's text for a list of them: fields separated by ';',
// records by '|'; those two, '%' and control characters percent-escaped. Decoding passes over
// records it cannot read, so a damaged property never keeps a file from opening.
struct RShapeNameEntry {
  std::string Key;
  int Index = 0;
  std::string Name;
  std::string Text;

  bool operator==(const RShapeNameEntry&) const = default;
};
std::string EncodeShapeNames(const std::vector<RShapeNameEntry>& entries);
// Writes entries as the document's record, replacing an earlier one.
void WriteShapeNameRecord(const TOfficeDocument& doc, const std::vector<RShapeNameEntry>& entries);
// The text a shape's entry recognises it by.
std::string ShapeText(const css::uno::Reference<css::drawing::XShape>& shape);
std::vector<RShapeNameEntry> DecodeShapeNames(const std::string& text);

}  // namespace stampwell
