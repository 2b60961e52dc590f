// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "ui/sc_font_combo_box.h"

namespace stampwell::test {

// A fixed font list for pickers under test, independent of the fonts installed: 14 TrueType
// faces (FaceA .. FaceN), one symbol face, one raster face, one vertical face and one face of
// another character set.
std::vector<TscFontFace> FakeFonts();

// Takes row of the picker's open list the way a user does: open the list, move the
// highlight to row, press Enter, let the queued close-up run.
void TakeFromList(TscFontComboBox* picker, int row);

// What a reader would see wrong in root as shown: a caption clipped by its control, a control
// outside its parent or across its group's frame, a wrapped label taller than its room, two
// controls of one parent over each other. Empty when the layout is sound.
QStringList LayoutProblems(QWidget* root);

}  // namespace stampwell::test
