// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "jobs/job_settings.h"
#include "office/automation/ole_variant.h"

namespace stampwell {

class TPDFStack;

// The Word engine: stamps the watermark into the page headers of Word documents, saves and
// prints them, and builds the preview document. Reaches Word only through late-bound calls
// on the "Word.Application" automation server.
//
// Errors: OpenDoc catches everything and returns false; NewSWDoc shows the error's own
// message and returns false; a failed start shows its message and leaves the application
// empty; every other operation lets a failing call reach its caller.
// One thread at a time; the thread that starts Word is the one that quits it. Destroying
// the engine quits nothing and closes nothing.
// True for the names the Word marking rule gives its header shapes: the prefix followed by a
// section number, or by "First" or "Even" and a section number.
bool IsOurHeaderMarkName(const std::string& name);
// True for the names of the mark's copies on pages whose body covers the header's mark:
// the prefix followed by "Cover" and a number.
bool IsOurBackdropMarkName(const std::string& name);

class TDocWaterMark {
 public:
  // Text "confidential", font "Times New Roman", empty size, colour 0, flags false.
  TDocWaterMark();

  // CoInitialize, create "Word.Application", App.Visible := false. On failure shows
  // "Word open failed,please make sure your word worked at first！".
  void OpenWordApp();
  // App.Quit, empties the application, CoUninitialize.
  void CloseWordApp();
  // Opens path read-only (starting Word first if needed); true on success. On failure the
  // open document stays what it was.
  bool OpenDoc(const std::string& path);
  // After a failed open: true when it failed because the office ended under it (a new
  // office was tried too), not because of the file.
  bool OfficeEndedOnOpen = false;
  // save: Doc.Save (the document stays open); else Doc.Close without saving.
  void closeDoc(bool save);
  // Doc.SaveAs under path, format left to Word.
  void SaveAs(const std::string& path);
  // Replaces the watermark in every header a page of the document can show: each section's
  // primary header, and its first-page and even-pages headers where the section has them;
  // and on every page whose body has a backdrop behind its text that would hide the header's
  // mark, puts a copy of the mark in the body, in front of that backdrop.
  // Throws std::invalid_argument, before any call, when the size text is not a whole number.
  void AddWaterMark();
  // Deletes the first header shape named exactly name, if any.
  void deleteWaterMark(const std::string& name);
  // True when a header shape is named exactly name.
  bool WaterMarkExists(const std::string& name);
  // Adds the watermark text effect to the current header and names it name. Throws
  // std::invalid_argument, before any call, when the size text is not a whole number.
  void InsertWaterMarkShape(const std::string& name);
  // Makes the PDF printer of PDFStack Word's active printer (it stays so) and prints the
  // document in the foreground. Throws std::logic_error when PDFStack is not set.
  void PrintToPDF();
  // PrintToPDF; the target path is the printer's business, not used here.
  void PrintToPDFFile(const std::string& path);
  // Prints on Word's active printer.
  void PrintToPrinter();
  // Prints "Sample.doc" of the data folder (DataDir) to PDF and closes it. Does nothing more
  // when the sample cannot be opened (so no other document is printed or closed).
  void ClearPDFDirty();
  // Builds the preview document (starting Word first if needed); true on success,
  // otherwise shows the error's message and returns false.
  bool NewSWDoc(bool visible);
  // Doc.Saved := true: the document counts as unchanged, so closing it asks nothing. For the
  // preview document, a sample that nobody saves.
  void MarkSaved();

  // The open document's Name (its file name; a new document's title, "Document1", ...),
  // under which Word's PDF printer writes it.
  std::string DocumentName() const;

  // True once Word has been started and not quit since.
  bool AppStarted() const { return !app_.IsEmpty(); }
  // The path last asked to open (stored before the open is tried).
  const std::string& FileName() const { return fileName_; }

  // The watermark settings; the job runner replaces them after each successful open.
  RDocSettings DocSettings;
  // The job's PDF printer support; not owned, only its PDFPrinterName is read.
  TPDFStack* PDFStack = nullptr;

 private:
  void StartFailed(const std::string& reason);
  bool startFailureShown_ = false;
  OleVariant Shapes() const;  // App.Selection.HeaderFooter.Shapes
  void SetSeekView(int view);
  void DeleteOurShapes();  // every shape of the current header named by the marking rule
  void MarkBackdrops();
  bool IsBackdrop(const OleVariant& shape, const std::function<double()>& pageArea);
  // Styles a new mark shape and names it: the settings' fill and angle, centred.
  void StyleMark(OleVariant shape, const std::string& name, int wrapType);

  OleVariant app_;
  OleVariant doc_;
  std::string fileName_;
};

}  // namespace stampwell
