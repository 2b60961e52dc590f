// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

#include "jobs/job_settings.h"

namespace stampwell {

// Drop-down list of named colours: the 16 standard colours, the 4 extended ones (money green,
// sky blue, cream, medium grey) and the desktop's colours, each with its swatch under a
// readable name ("Money green", "Desktop: button face"); the name the profile stores
// ("clMoneyGreen") is the entry's tooltip. Any other colour (chosen in the colour dialog, or
// from a hand-edited profile) is shown as one extra entry "Custom #RRGGBB" and reads back
// unchanged.
class TColorListBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TColorListBox(QWidget* parent = nullptr);

  // The colour of the selected entry (0 when nothing is selected).
  TColor Selected() const;
  // Selects the entry of value, adding the extra entry when no named entry has it.
  void SetSelected(TColor value);

  // Number of named entries (without the extra entry).
  int NamedCount() const { return namedCount_; }

  // The on-screen colour of a stored colour value (system colours through the palette).
  static QColor ToQColor(TColor value);
  // The stored colour value of an on-screen colour (red in the low byte, as profiles keep it).
  static TColor FromQColor(const QColor& color);
  // The readable name of a named colour's stored name: "clMoneyGreen" -> "Money green".
  static QString ReadableName(const QString& storedName);

 private:
  int namedCount_ = 0;
};

}  // namespace stampwell
