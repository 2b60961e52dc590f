// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "jobs/job_settings.h"
#include "office/automation/ole_variant.h"

namespace stampwell {

// What the three watermark engines share: argument building, the start of an Office
// application, the walk over a shape collection and the steps of the insertion that are
// the same for more than one engine. Free functions, so that the engines stay three
// parallel classes.

// Prefix of every watermark shape name; a shape is ours only on an exact, case-sensitive
// match of its whole name.
inline constexpr char kWaterMarkPrefix[] = "QuillmarkWaterMarkObject";

// The watermark size text as a decimal integer (optional sign, surrounding blanks allowed).
// Any other text, the empty one included, and values outside 32 bits throw
// std::invalid_argument ("'<text>' is not a valid integer value").
int ParseWatermarkSize(const std::string& text);

// head followed by count missing-argument placeholders.
std::vector<OleVariant> WithPlaceholders(std::vector<OleVariant> head, std::size_t count);

// A colour passed unchanged: the same 32 bits as an Automation integer.
OleVariant ColorArg(TColor color);

// The eight arguments of AddTextEffect: preset 0, text, font, size, not bold (0), not
// italic (0), left, top.
std::vector<OleVariant> TextEffectArgs(const RDocSettings& settings, int size, int left, int top);

// An exact fixed-point argument from its decimal text ("0.75").
OleVariant Fixed(const char* decimal);

// Transparency value: the given fixed-point value when transparent is set, else Int 0.
OleVariant TransparencyArg(bool transparent, const char* decimal);

// Rotation: 315 for an oblique watermark, else 0.
OleVariant RotationArg(bool oblique);

// CoInitialize on the calling thread, then the application object for progId. When the
// creation fails the initialisation is released again (so the thread's count matches the
// applications that really run) and the error propagates.
OleVariant StartOfficeApplication(const std::string& progId);

// The walk over a shape collection: Count read once, then Item(i) -> Name for i from 1;
// the first shape whose name equals name exactly is the match. shapes() is evaluated for
// each read, so every read goes through the collection's full member chain. When
// deleteMatch is set, the match gets Delete and the walk stops. Returns whether a match
// was found.
bool WalkShapes(const std::function<OleVariant()>& shapes, const std::string& name,
                bool deleteMatch);

// Fill and outline of an Excel or PowerPoint watermark, in this order: Fill.Visible true,
// Fill.Transparency 0.7 or 0, Rotation 315 or 0, Fill.ForeColor.RGB colour, Line.Weight
// 0.75, Line.DashStyle 1, Line.Style 1, Line.Transparency 0.7 or 0, Line.Visible false,
// Line.BackColor.RGB colour.
void ApplyFillAndLine(const OleVariant& shape, const RDocSettings& settings);

// Nearest whole number, halves to the even neighbour (209.5 -> 210, 208.5 -> 208).
// Throws std::range_error outside 32 bits.
int RoundHalfEven(double value);

}  // namespace stampwell
