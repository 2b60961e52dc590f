// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "jobs/job_settings.h"
#include "office/automation/ole_variant.h"

namespace stampwell {

class TPDFStack;

// The PowerPoint engine: stamps the watermark onto the slide master of presentations,
// saves them and prints them. Reaches PowerPoint only through late-bound calls on the
// "PowerPoint.Application" automation server; every file operation goes through
// App.ActivePresentation, the presentation the last open made active.
//
// Errors: OpenPpt catches everything and returns false; a failed start shows its message
// and leaves the application empty; every other operation lets a failing call reach its
// caller. One thread at a time; destroying the engine quits nothing and closes nothing.
class TPptWaterMark {
 public:
  // Text "confidential", font "Times New Roman", empty size, colour 0, flags false.
  TPptWaterMark();

  // CoInitialize, create "PowerPoint.Application", WindowState := 2 (minimised), then
  // Visible := true. On failure shows
  // "Powerpoint open failed,please make sure your Powerpoint worked at first！".
  void OpenPptApp();
  // App.Quit, empties the application, CoUninitialize.
  void ClosePptApp();
  // Opens the presentation at path (starting PowerPoint first if needed); true on success.
  bool OpenPpt(const std::string& path);
  // After a failed open: true when it failed because the office ended under it (a new
  // office was tried too), not because of the file.
  bool OfficeEndedOnOpen = false;
  // save: ActivePresentation.Save (it stays open); else ActivePresentation.Close.
  void closePpt(bool save);
  // ActivePresentation.SaveAs under path.
  void SaveAs(const std::string& path);
  // Replaces the watermark "QuillmarkWaterMarkObject1" on the slide master.
  void AddWaterMark();
  void deleteWaterMark(const std::string& name);
  bool WaterMarkExists(const std::string& name);
  // Adds the watermark centred on the slide master. Throws std::invalid_argument, before
  // any call, when the size text is not a whole number; an error after the switch to the
  // master view leaves that view on.
  void InsertWaterMarkShape(const std::string& name);
  // Prints the active presentation in the foreground on the PDF printer of PDFStack (set in
  // its print options and not set back). Throws std::logic_error when PDFStack is not set.
  void PrintToPDF();
  void PrintToPDFFile(const std::string& path);  // PrintToPDF; path not used
  void ClearPDFDirty() {}                        // nothing to do for presentations

  bool AppStarted() const { return !app_.IsEmpty(); }
  const std::string& FileName() const { return fileName_; }

  RDocSettings DocSettings;
  TPDFStack* PDFStack = nullptr;  // not owned; only PDFPrinterName is read

 private:
  void StartFailed(const std::string& reason);
  bool startFailureShown_ = false;
  OleVariant Presentation() const;  // App.ActivePresentation
  OleVariant Shapes() const;        // App.ActivePresentation.SlideMaster.Shapes

  OleVariant app_;
  OleVariant doc_;  // the result of the last successful open; operations use Presentation()
  std::string fileName_;
};

}  // namespace stampwell
