// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ppt_water_mark.h"

#include <stdexcept>

#include "office/automation/automation.h"
#include "office/office_shapes.h"
#include "pdf/pdf_stack.h"
#include "platform/message_sink.h"

namespace stampwell {

namespace {

constexpr int kMinimized = 2;
constexpr int kViewSlideMaster = 2;
constexpr int kViewSlide = 1;

}  // namespace

TPptWaterMark::TPptWaterMark() {
  DocSettings.DocWaterMarkStr = "confidential";
  DocSettings.DocFontName = "Times New Roman";
}

// The start failure is told once per engine, with its reason; a later file that cannot
// start the application fails its open without telling it again.
void TPptWaterMark::StartFailed(const std::string& reason) {
  if (startFailureShown_) return;
  startFailureShown_ = true;
  const std::string text =
      "Powerpoint open failed,please make sure your Powerpoint worked at first\xEF\xBC\x81";
  ShowMessage(reason.empty() ? text : text + "\n" + reason);
}

void TPptWaterMark::OpenPptApp() {
  try {
    app_ = StartOfficeApplication("PowerPoint.Application");
    app_.Put("WindowState", kMinimized);
    app_.Put("Visible", true);
  } catch (const std::exception& e) {
    StartFailed(e.what());
  } catch (...) {
    StartFailed("");
  }
}

void TPptWaterMark::ClosePptApp() {
  app_.Call("Quit");
  app_ = OleVariant();
  CoUninitialize();
}

bool TPptWaterMark::OpenPpt(const std::string& path) {
  fileName_ = path;
  OfficeEndedOnOpen = false;
  try {
    if (app_.IsEmpty()) OpenPptApp();
    OleVariant doc = app_.Get("Presentations").Call("Open", {path});
    doc_ = doc;
    return true;
  } catch (const EOfficeEnded&) {
    OfficeEndedOnOpen = true;
    return false;
  } catch (...) {
    return false;
  }
}

OleVariant TPptWaterMark::Presentation() const { return app_.Get("ActivePresentation"); }

void TPptWaterMark::closePpt(bool save) {
  if (save)
    Presentation().Call("Save");
  else
    Presentation().Call("Close");
}

void TPptWaterMark::SaveAs(const std::string& path) { Presentation().Call("SaveAs", {path}); }

void TPptWaterMark::AddWaterMark() {
  const std::string name = std::string(kWaterMarkPrefix) + "1";
  if (WaterMarkExists(name)) deleteWaterMark(name);
  InsertWaterMarkShape(name);
}

OleVariant TPptWaterMark::Shapes() const { return Presentation().Get("SlideMaster").Get("Shapes"); }

void TPptWaterMark::deleteWaterMark(const std::string& name) {
  WalkShapes([this] { return Shapes(); }, name, true);
}

bool TPptWaterMark::WaterMarkExists(const std::string& name) {
  return WalkShapes([this] { return Shapes(); }, name, false);
}

void TPptWaterMark::InsertWaterMarkShape(const std::string& name) {
  const int size = ParseWatermarkSize(DocSettings.DocWatermarkSize);
  OleVariant shape = Shapes().Call("AddTextEffect", TextEffectArgs(DocSettings, size, 50, 50));
  app_.Get("ActiveWindow").Put("ViewType", kViewSlideMaster);
  shape.Call("Select");
  shape.Put("Name", name);
  shape.Call("ScaleHeight", {Fixed("1.23"), false});
  shape.Call("ScaleWidth", {Fixed("1.6"), false});
  ApplyFillAndLine(shape, DocSettings);
  // Centred on the master; both computed before either is set.
  const double masterWidth = Presentation().Get("SlideMaster").Get("Width").AsDouble();
  const double shapeWidth = shape.Get("Width").AsDouble();
  const double masterHeight = Presentation().Get("SlideMaster").Get("Height").AsDouble();
  const double shapeHeight = shape.Get("Height").AsDouble();
  const int left = RoundHalfEven(masterWidth / 2 - shapeWidth / 2);
  const int top = RoundHalfEven(masterHeight / 2 - shapeHeight / 2);
  shape.Put("Left", left);
  shape.Put("Top", top);
  shape.Call("ZOrder", {1});
  app_.Get("ActiveWindow").Put("ViewType", kViewSlide);
}

void TPptWaterMark::PrintToPDF() {
  if (!PDFStack) throw std::logic_error("TPptWaterMark::PrintToPDF: no TPDFStack set");
  Presentation().Get("PrintOptions").Put("PrintInBackground", 0);
  Presentation().Get("PrintOptions").Put("ActivePrinter", PDFStack->PDFPrinterName);
  Presentation().Call("PrintOut");
}

void TPptWaterMark::PrintToPDFFile(const std::string& /*path*/) { PrintToPDF(); }

}  // namespace stampwell
