// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <optional>

#include "jobs/job_settings.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace stampwell {

// The general page of a job: its name, the file types to stamp (the legacy formats, and the
// current ones when ModernFormats is on, PDF files when PdfFiles is on), PDF output, copying
// of other files and how many files a run handles at once (Workers). Keeps its own copy of
// the job's RJobSettings; AutoRun and EveryMinutes have no control and pass through a
// show-and-read cycle unchanged.
class TSettingFrame : public QWidget {
  Q_OBJECT

 public:
  explicit TSettingFrame(QWidget* parent = nullptr);

  // Puts the page's record into the controls, copying rec in first when given. An empty Name
  // leaves the name box as it is. Without a PDF printer IsPrintPDF is disabled for good but
  // still shows the record's value.
  void ShowSettings(const std::optional<RJobSettings>& rec = std::nullopt);
  // Takes the controls into the record. False (after telling the user) when the name is
  // empty; the name is stored as typed, blanks included.
  bool ReadSettings();

  RJobSettings Settings;

  QFrame* LocPanel;
  QLabel* Label1;
  QLineEdit* sName;
  QGroupBox* GroupBox1;
  QCheckBox* IsDoc;
  QCheckBox* IsXls;
  QCheckBox* IsPpt;
  QCheckBox* IsModern;  // ModernFormats
  QCheckBox* IsPdf;     // PdfFiles
  QGroupBox* GroupBox2;
  QCheckBox* IsPrintPDF;
  QCheckBox* IsCopy;
  QCheckBox* IsOverwrite;  // Overwrite: replace existing destinations
  QLabel* WorkersLabel;
  QSpinBox* Workers;  // 0 shows as "one per core"
  QCheckBox* IsVerify;  // Verify

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FrameResize();
};

}  // namespace stampwell
