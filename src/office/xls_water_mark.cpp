#include "office/xls_water_mark.h"

#include <stdexcept>

#include "office/automation/automation.h"
#include "office/office_shapes.h"
#include "pdf/pdf_stack.h"
#include "platform/message_sink.h"

namespace stampwell {

TXlsWaterMark::TXlsWaterMark() {
  DocSettings.DocWaterMarkStr = "confidential";
  DocSettings.DocFontName = "Times New Roman";
}

// The start failure is told once per engine, with its reason; a later file that cannot
// start the application fails its open without telling it again.
void TXlsWaterMark::StartFailed(const std::string& reason) {
  if (startFailureShown_) return;
  startFailureShown_ = true;
  const std::string text =
      "Excel open failed,please make sure your excel worked at first\xEF\xBC\x81";
  ShowMessage(reason.empty() ? text : text + "\n" + reason);
}

void TXlsWaterMark::OpenExcelApp() {
  try {
    app_ = StartOfficeApplication("Excel.Application");
  } catch (const std::exception& e) {
    StartFailed(e.what());
  } catch (...) {
    StartFailed("");
  }
}

void TXlsWaterMark::CloseExcelApp() {
  app_.Call("Quit");
  app_ = OleVariant();
  CoUninitialize();
}

bool TXlsWaterMark::OpenXls(const std::string& path) {
  fileName_ = path;
  OfficeEndedOnOpen = false;
  try {
    if (app_.IsEmpty()) OpenExcelApp();
    OleVariant doc = app_.Get("workBooks").Call("Open", {path});
    doc_ = doc;
    return true;
  } catch (const EOfficeEnded&) {
    OfficeEndedOnOpen = true;
    return false;
  } catch (...) {
    return false;
  }
}

void TXlsWaterMark::closeXls(bool save) {
  if (save)
    doc_.Call("Save");
  else
    doc_.Call("Close");
}

void TXlsWaterMark::SaveAs(const std::string& path) { doc_.Call("SaveAs", {path}); }

void TXlsWaterMark::AddWaterMark() {
  const std::string name = std::string(kWaterMarkPrefix) + "1";
  if (WaterMarkExists(name)) deleteWaterMark(name);
  InsertWaterMarkShape(name);
}

OleVariant TXlsWaterMark::Shapes() const { return app_.Get("ActiveSheet").Get("Shapes"); }

void TXlsWaterMark::deleteWaterMark(const std::string& name) {
  WalkShapes([this] { return Shapes(); }, name, true);
}

bool TXlsWaterMark::WaterMarkExists(const std::string& name) {
  return WalkShapes([this] { return Shapes(); }, name, false);
}

void TXlsWaterMark::InsertWaterMarkShape(const std::string& name) {
  const int size = ParseWatermarkSize(DocSettings.DocWatermarkSize);
  OleVariant shape = Shapes().Call("AddTextEffect", TextEffectArgs(DocSettings, size, 50, 50));
  shape.Call("Select");
  shape.Put("Name", name);
  shape.Call("ScaleHeight", {Fixed("1.23"), false});
  shape.Call("ScaleWidth", {Fixed("1.6"), false});
  ApplyFillAndLine(shape, DocSettings);
  shape.Call("ZOrder", {1});
  shape.Put("Height", 80);
  shape.Put("Width", 400);
}

void TXlsWaterMark::PrintToPDF() {
  if (!PDFStack) throw std::logic_error("TXlsWaterMark::PrintToPDF: no TPDFStack set");
  std::vector<OleVariant> args = WithPlaceholders({}, 4);
  args.push_back(PDFStack->PDFPrinterName);
  doc_.Call("PrintOut", WithPlaceholders(std::move(args), 3));
}

void TXlsWaterMark::PrintToPDFFile(const std::string& /*path*/) { PrintToPDF(); }

}  // namespace stampwell
