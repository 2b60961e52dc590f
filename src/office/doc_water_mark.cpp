#include "office/doc_water_mark.h"

#include <stdexcept>

#include "office/automation/automation.h"
#include "office/office_shapes.h"
#include "pdf/pdf_stack.h"
#include "platform/message_sink.h"
#include "platform/paths.h"

namespace stampwell {

namespace {

// SeekView values.
constexpr int kSeekMainDocument = 0;
constexpr int kSeekPrimaryHeader = 1;
constexpr int kSeekEvenPagesHeader = 3;
constexpr int kSeekCurrentPageHeader = 9;
// Word's value for a centred position.
constexpr int kCentered = -999995;
// The page count in BuiltInDocumentProperties.
constexpr int kPropertyPages = 14;

}  // namespace

TDocWaterMark::TDocWaterMark() {
  DocSettings.DocWaterMarkStr = "confidential";
  DocSettings.DocFontName = "Times New Roman";
}

// The start failure is told once per engine, with its reason; a later file that cannot
// start the application fails its open without telling it again.
void TDocWaterMark::StartFailed(const std::string& reason) {
  if (startFailureShown_) return;
  startFailureShown_ = true;
  const std::string text =
      "Word open failed,please make sure your word worked at first\xEF\xBC\x81";
  ShowMessage(reason.empty() ? text : text + "\n" + reason);
}

void TDocWaterMark::OpenWordApp() {
  try {
    app_ = StartOfficeApplication("Word.Application");
    app_.Put("Visible", false);
  } catch (const std::exception& e) {
    StartFailed(e.what());
  } catch (...) {
    StartFailed("");
  }
}

void TDocWaterMark::CloseWordApp() {
  app_.Call("Quit");
  app_ = OleVariant();
  CoUninitialize();
}

bool TDocWaterMark::OpenDoc(const std::string& path) {
  fileName_ = path;
  OfficeEndedOnOpen = false;
  try {
    if (app_.IsEmpty()) OpenWordApp();
    OleVariant doc = app_.Get("Documents")
                         .Call("Open", {path, false, true, false, OleVariant::Missing(),
                                        OleVariant::Missing(), true});
    doc_ = doc;
    return true;
  } catch (const EOfficeEnded&) {
    OfficeEndedOnOpen = true;
    return false;
  } catch (...) {
    return false;
  }
}

void TDocWaterMark::closeDoc(bool save) {
  if (save)
    doc_.Call("Save");
  else
    doc_.Call("Close", {0, OleVariant::Missing(), OleVariant::Missing()});
}

void TDocWaterMark::SaveAs(const std::string& path) {
  doc_.Call("SaveAs", WithPlaceholders({path}, 10));
}

void TDocWaterMark::SetSeekView(int view) {
  app_.Get("ActiveWindow").Get("ActivePane").Get("View").Put("SeekView", view);
}

void TDocWaterMark::Stamp(const std::string& name) {
  if (WaterMarkExists(name)) deleteWaterMark(name);
  InsertWaterMarkShape(name);
}

void TDocWaterMark::AddWaterMark() {
  const bool first = doc_.Get("PageSetup").Get("DifferentFirstPageHeaderFooter").AsBool();
  const bool oddEven = doc_.Get("PageSetup").Get("OddAndEvenPagesHeaderFooter").AsBool();
  if (!first && !oddEven) {
    const int sections = doc_.Get("Sections").Get("Count").AsInt();
    for (int i = 1; i <= sections; ++i) {
      doc_.Get("Sections").Get("Item", {i}).Get("Range").Call("Select");
      SetSeekView(kSeekCurrentPageHeader);
      Stamp(kWaterMarkPrefix + std::to_string(i));
    }
  }
  auto pages = [this] {
    return doc_.Get("BuiltInDocumentProperties", {kPropertyPages}).Get("value").AsInt();
  };
  if (first && !oddEven && pages() > 1) {
    SetSeekView(kSeekPrimaryHeader);
    Stamp(std::string(kWaterMarkPrefix) + "1");
  }
  if (oddEven && pages() > 3) {
    SetSeekView(kSeekEvenPagesHeader);
    Stamp(std::string(kWaterMarkPrefix) + "2");
  }
  SetSeekView(kSeekMainDocument);
}

OleVariant TDocWaterMark::Shapes() const {
  return app_.Get("Selection").Get("HeaderFooter").Get("Shapes");
}

void TDocWaterMark::deleteWaterMark(const std::string& name) {
  WalkShapes([this] { return Shapes(); }, name, true);
}

bool TDocWaterMark::WaterMarkExists(const std::string& name) {
  return WalkShapes([this] { return Shapes(); }, name, false);
}

void TDocWaterMark::InsertWaterMarkShape(const std::string& name) {
  const int size = ParseWatermarkSize(DocSettings.DocWatermarkSize);
  OleVariant shape = Shapes().Call("AddTextEffect", TextEffectArgs(DocSettings, size, 0, 0));
  shape.Call("Select");
  shape.Put("Name", name);
  shape.Get("TextEffect").Put("NormalizedHeight", 0);
  shape.Get("Line").Put("Visible", 0);
  shape.Get("Fill").Put("Visible", -1);
  shape.Get("Fill").Call("Solid");
  shape.Get("Fill").Get("ForeColor").Put("RGB", ColorArg(DocSettings.DocWatermarkColor));
  shape.Get("Fill").Put("Transparency", TransparencyArg(DocSettings.Transparent, "0.5"));
  shape.Put("Rotation", RotationArg(DocSettings.HX));
  shape.Put("LockAspectRatio", true);
  shape.Get("WrapFormat").Put("AllowOverlap", -1);
  shape.Get("WrapFormat").Put("Side", 0);
  shape.Get("WrapFormat").Put("Type", 3);
  shape.Put("RelativeVerticalPosition", 0);
  shape.Put("Left", kCentered);
  shape.Put("Top", kCentered);
}

void TDocWaterMark::PrintToPDF() {
  if (!PDFStack) throw std::logic_error("TDocWaterMark::PrintToPDF: no TPDFStack set");
  app_.Put("ActivePrinter", PDFStack->PDFPrinterName);
  app_.Call("PrintOut", WithPlaceholders({false}, 18));
}

void TDocWaterMark::PrintToPDFFile(const std::string& /*path*/) { PrintToPDF(); }

std::string TDocWaterMark::DocumentName() const { return doc_.Get("Name").AsString(); }

void TDocWaterMark::PrintToPrinter() { app_.Call("PrintOut", WithPlaceholders({false}, 18)); }

void TDocWaterMark::ClearPDFDirty() {
  if (!OpenDoc(DataDir() + "Sample.doc")) return;
  PrintToPDFFile(ProgramDir() + "Sample.pdf");
  closeDoc(false);
}

void TDocWaterMark::MarkSaved() { doc_.Put("Saved", true); }

bool TDocWaterMark::NewSWDoc(bool visible) {
  if (app_.IsEmpty()) OpenWordApp();
  try {
    app_.Put("Visible", visible);
    doc_ = app_.Get("Documents").Call("Add", {"Normal", 0, 0, true});
    app_.Get("Selection").Get("ParagraphFormat").Put("Alignment", 1);
    app_.Get("Selection").Get("Font").Put("Size", 28);
    app_.Get("Selection").Call("TypeText", {"Stampwell"});
    app_.Get("Selection").Call("TypeParagraph");
    app_.Get("Selection").Call("TypeText", {"Batch watermarks for Office documents "});
    app_.Get("Selection").Call("MoveRight", {1, 1, 1});
    return true;
  } catch (const std::exception& e) {
    ShowMessage(e.what());
  } catch (...) {
    ShowMessage("Unknown error");
  }
  return false;
}

}  // namespace stampwell
