// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <optional>

#include "jobs/job_settings.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QRadioButton;
class QToolButton;

namespace stampwell {

class TColorListBox;
class TLinkLabel;
class TscFontComboBox;

// The watermark page of a job: text, size, font, colour (a named one from the list, or any
// colour from the colour dialog beside it), transparency and style, with a link that shows
// the current values on a sample document in LibreOffice. Keeps its own copy of the
// job's RDocSettings. Reading never changes a stored colour or font the user did not touch,
// even when the lists do not offer it. A font that is not installed is shown as the family
// the system's font matching draws in its place, marked as such.
class TDocSetFrame : public QWidget {
  Q_OBJECT

 public:
  explicit TDocSetFrame(QWidget* parent = nullptr);

  // Puts the page's record into the controls, copying rec in first when given. An empty text
  // shows "CONFIDENTIAL"; a size the list does not offer selects "66".
  void ShowSettings(const std::optional<RDocSettings>& rec = std::nullopt);
  // Takes the controls into the record; false (after telling the user) when the text is
  // empty. Texts are stored as typed, not trimmed.
  bool ReadSettings();
  // The font a job without one gets (what a profile without the key reads as).
  static constexpr const char* kDefaultFont = "Arial";
  // Transparent, oblique, grey; the three strings stay as they are.
  void DefaultValue();
  // Builds the sample document in a visible Word and stamps it with the page's current
  // values; Word stays open for the user. Failures are reported by the engine or the page.
  void ViewResultClick();
  // Opens the colour dialog at the shown colour; the chosen colour becomes the list's choice.
  void ChooseColorClick();

  RDocSettings DocSettings;

  QFrame* LocPanel;
  QGroupBox* GroupBox2;
  QLabel* Label2;
  QComboBox* wmString;
  QLabel* Label4;
  QComboBox* wmSize;
  QLabel* Label5;
  TscFontComboBox* wmFont;
  // Shown beside the font when the job's font (or the default font of a new job) is not
  // installed and the family the system draws in its place is shown instead.
  QLabel* wmFontSubstitute;
  QLabel* Label1;
  TColorListBox* wmColor;
  QToolButton* wmColorPick;
  QCheckBox* IsTranparent;
  QLabel* Label3;
  QRadioButton* Style1;
  QRadioButton* Style2;
  TLinkLabel* ViewResult;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FrameResize();
  void ShowFont(const QString& stored);

  // True while the shown font name is one the picker does not list and the user has not
  // picked another: reading then keeps the stored name.
  bool keepStoredFont_ = false;
};

}  // namespace stampwell
