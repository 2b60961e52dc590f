// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "office/automation/ole_variant.h"

namespace stampwell {

// Creates a "PowerPoint.Application" object: a new Impress process and PowerPoint's object
// model over it (Presentations.Open, ActivePresentation with SlideMaster.Shapes, print
// options, Save/SaveAs/Close/PrintOut, ActiveWindow.ViewType, Quit). Shape names survive
// the .ppt format, which keeps none of its own.
DispatchPtr CreatePowerPointApplication();

}  // namespace stampwell
