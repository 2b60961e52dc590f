// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <vector>

#include <com/sun/star/drawing/XShapes.hpp>

#include "office/automation/ole_variant.h"

namespace stampwell {

// Creates a "PowerPoint.Application" object: a new Impress process and PowerPoint's object
// model over it (Presentations.Open, ActivePresentation with SlideMaster.Shapes, print
// options, Save/SaveAs/Close/PrintOut, ActiveWindow.ViewType, Quit). Shape names survive
// the .ppt format, which keeps none of its own.
DispatchPtr CreatePowerPointApplication();

class TOfficeDocument;

// Where a mark put on the slide master must go so that every slide shows it, the slide master
// first: every master a slide shows the objects of, every slide that hides them, and every
// slide whose own opaque backdrop covers them. Reading each slide's backdrop takes a few calls
// a shape, so the servers ask the program's component inside the office for it when they can.
std::vector<css::uno::Reference<css::drawing::XShapes>> PresentationPagesToMark(
    const std::shared_ptr<TOfficeDocument>& doc);

}  // namespace stampwell
