// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "office/automation/ole_variant.h"

namespace stampwell {

// Creates a "Word.Application" object: a new Writer process and Word's object model over it
// (Documents, ActiveDocument, Selection with header views, shapes, printing, Quit).
DispatchPtr CreateWordApplication();

}  // namespace stampwell
