// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "jobs/job_settings.h"

class QLabel;
class QPushButton;

namespace stampwell {

class TJobTypeFrame;
class TSettingFrame;
class TFolderFrame;
class TDocSetFrame;

// The modal dialog that builds a new job in four steps (job type, general settings, folders
// and files, watermark) and writes it as a new profile file. It ends with Accepted only after
// the profile was written; Cancel writes nothing.
class TfrmNewWizard : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kPageTop = 20;
  static constexpr int kPageLeft = 135;
  static constexpr int kPageWidth = 500;
  static constexpr int kPageHeight = 270;
  static constexpr int kLastStep = 4;

  explicit TfrmNewWizard(QWidget* owner = nullptr);
  ~TfrmNewWizard() override;

  void CreateFrames();
  // Starts the folders and files page with these entries (the paths the program was handed).
  void SetSources(const std::vector<RJobItem>& items);
  // Shows exactly the page of Step (1 to 4) and sets the buttons; any other value does nothing.
  void ShowPage(int Step);
  // Moves the step-1 choice into the general page's record (not its controls).
  void SetSettings();
  // Reads both settings pages and writes the new profile. False, with the user told why,
  // when a page refuses its values, the name is taken or the file cannot be written.
  bool SaveJob();
  // The file name of the profile written, once SaveJob has succeeded.
  const std::string& SavedFileName() const { return savedFileName_; }

  void btnPreClick();
  void btnNextClick();
  void btnSaveClick();
  void btnCancelClick();

  int CurStep = 1;
  TJobTypeFrame* JobTypeFrame = nullptr;
  TSettingFrame* SettingFrame = nullptr;
  TFolderFrame* FolderFrame = nullptr;
  TDocSetFrame* DocSetFrame = nullptr;

  QLabel* Image1 = nullptr;
  QPushButton* btnPre = nullptr;
  QPushButton* btnNext = nullptr;
  QPushButton* btnSave = nullptr;
  QPushButton* btnCancel = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormActivate();
  void KeepStep2Choices();
  bool activated_ = false;
  std::string savedFileName_;
};

}  // namespace stampwell
