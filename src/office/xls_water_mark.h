#pragma once

#include <string>

#include "jobs/job_settings.h"
#include "office/automation/ole_variant.h"

namespace stampwell {

class TPDFStack;

// The Excel engine: stamps the watermark onto the active sheet of Excel workbooks, saves
// them and prints them. Reaches Excel only through late-bound calls on the
// "Excel.Application" automation server.
//
// Errors: OpenXls catches everything and returns false; a failed start shows its message
// and leaves the application empty; every other operation lets a failing call reach its
// caller. One thread at a time; destroying the engine quits nothing and closes nothing.
class TXlsWaterMark {
 public:
  // Text "confidential", font "Times New Roman", empty size, colour 0, flags false.
  TXlsWaterMark();

  // CoInitialize and create "Excel.Application". On failure shows
  // "Excel open failed,please make sure your excel worked at first！".
  void OpenExcelApp();
  // App.Quit, empties the application, CoUninitialize.
  void CloseExcelApp();
  // Opens the workbook at path (starting Excel first if needed); true on success.
  bool OpenXls(const std::string& path);
  // After a failed open: true when it failed because the office ended under it (a new
  // office was tried too), not because of the file.
  bool OfficeEndedOnOpen = false;
  // save: Doc.Save (the workbook stays open); else Doc.Close (changes are not saved).
  void closeXls(bool save);
  // Saves the open workbook under path (Doc.SaveAs), so that a destination other than the
  // source receives the stamped workbook.
  void SaveAs(const std::string& path);
  // Replaces the watermark "QuillmarkWaterMarkObject1" on the active sheet.
  void AddWaterMark();
  void deleteWaterMark(const std::string& name);
  bool WaterMarkExists(const std::string& name);
  // Throws std::invalid_argument, before any call, when the size text is not a whole number.
  void InsertWaterMarkShape(const std::string& name);
  // Prints the workbook on the PDF printer of PDFStack (named for this print only).
  // Throws std::logic_error when PDFStack is not set.
  void PrintToPDF();
  void PrintToPDFFile(const std::string& path);  // PrintToPDF; path not used
  void ClearPDFDirty() {}                        // nothing to do for workbooks

  bool AppStarted() const { return !app_.IsEmpty(); }
  const std::string& FileName() const { return fileName_; }

  RDocSettings DocSettings;
  TPDFStack* PDFStack = nullptr;  // not owned; only PDFPrinterName is read

 private:
  void StartFailed(const std::string& reason);
  bool startFailureShown_ = false;
  OleVariant Shapes() const;  // App.ActiveSheet.Shapes

  OleVariant app_;
  OleVariant doc_;
  std::string fileName_;
};

}  // namespace stampwell
