// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/doc_water_mark.h"

#include <functional>
#include <stdexcept>
#include <vector>

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
constexpr int kSeekFirstPageHeader = 2;
constexpr int kSeekEvenPagesHeader = 3;
// Word's value for a centred position.
constexpr int kCentered = -999995;
// WrapFormat.Type: in front of the text, behind it.
constexpr int kWrapInFront = 3;
constexpr int kWrapBehind = 5;
// Shape.Type (MsoShapeType) of the objects that can cover a page: drawings, embedded
// objects, pictures (linked or not), text boxes.
constexpr int kMsoAutoShape = 1;
constexpr int kMsoEmbeddedOleObject = 7;
constexpr int kMsoLinkedPicture = 11;
constexpr int kMsoPicture = 13;
constexpr int kMsoTextBox = 17;
// The share of the page an object behind the text must cover to count as the page's backdrop.
constexpr double kBackdropShare = 0.5;

// True for "<prefix><kind><n>": n a section or copy number from 1, without leading zeros.
bool IsOurNumberedName(const std::string& name, const std::string& kind) {
  const std::string prefix = std::string(kWaterMarkPrefix) + kind;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string rest = name.substr(prefix.size());
  return !rest.empty() && rest[0] != '0' && rest.size() <= 9 &&
         rest.find_first_not_of("0123456789") == std::string::npos;
}

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

// Every header a page can show gets the mark: each section's primary header, its first-page
// header when the section has a different first page, its even-pages header when odd and even
// pages differ; whatever the page count (a header that shows on no page yet costs nothing
// and is right once the text grows). A section whose header is the previous one's (linked)
// is left out: its header has the mark already.
//
// Names: a section's primary header keeps "<prefix><section>", as the single-header rule
// named it, and the even-pages header of the first section keeps "<prefix>2"; the other
// headers get "<prefix>First<section>" and "<prefix>Even<section>". A restamp first takes
// every shape named by this rule out of every header it visits (the copies of an earlier
// stamp, under any of these names, even from a document with more sections then), and only
// then adds the new ones: so however the headers were stamped before, each ends with one mark.
void TDocWaterMark::AddWaterMark() {
  // The size is checked before anything is deleted or added.
  ParseWatermarkSize(DocSettings.DocWatermarkSize);
  struct Place {
    int section;
    int seek;
    std::string name;
  };
  std::vector<Place> places;
  const OleVariant sections = doc_.Get("Sections");
  const int count = sections.Get("Count").AsInt();
  for (int i = 1; i <= count; ++i) {
    const OleVariant setup = sections.Get("Item", {i}).Get("PageSetup");
    const std::string number = std::to_string(i);
    places.push_back({i, kSeekPrimaryHeader, kWaterMarkPrefix + number});
    if (setup.Get("DifferentFirstPageHeaderFooter").AsBool())
      places.push_back({i, kSeekFirstPageHeader, kWaterMarkPrefix + ("First" + number)});
    if (setup.Get("OddAndEvenPagesHeaderFooter").AsBool())
      places.push_back(
          {i, kSeekEvenPagesHeader,
           i == 1 ? std::string(kWaterMarkPrefix) + "2" : kWaterMarkPrefix + ("Even" + number)});
  }
  // Goes to a place's header; false when that header is the previous section's.
  int selected = 0;
  auto go = [&](const Place& place) {
    if (place.section != selected) {
      sections.Get("Item", {place.section}).Get("Range").Call("Select");
      selected = place.section;
    }
    SetSeekView(place.seek);
    return place.section == 1 ||
           !app_.Get("Selection").Get("HeaderFooter").Get("LinkToPrevious").AsBool();
  };
  std::vector<bool> own(places.size(), false);
  for (std::size_t k = 0; k < places.size(); ++k) {
    own[k] = go(places[k]);
    if (own[k]) DeleteOurShapes();
  }
  // Before the headers get theirs: the body's shapes are then read without them. Nothing
  // here selects anything, so the selection stays in the header it is in.
  MarkBackdrops();
  for (std::size_t k = 0; k < places.size(); ++k) {
    if (!own[k]) continue;
    // One header in all: the selection is still there.
    if (places.size() > 1) go(places[k]);
    InsertWaterMarkShape(places[k].name);
  }
  SetSeekView(kSeekMainDocument);
}

bool IsOurHeaderMarkName(const std::string& name) {
  return IsOurNumberedName(name, "") || IsOurNumberedName(name, "First") ||
         IsOurNumberedName(name, "Even");
}

bool IsOurBackdropMarkName(const std::string& name) { return IsOurNumberedName(name, "Cover"); }

// Whether a body shape is a page's backdrop: behind the text, over at least half the page,
// and opaque (a picture or an embedded object, or a box or text box with a fill that is
// less than half transparent).
bool TDocWaterMark::IsBackdrop(const OleVariant& shape, const std::function<double()>& pageArea) {
  if (shape.Get("WrapFormat").Get("Type").AsInt() != kWrapBehind) return false;
  if (shape.Get("Width").AsDouble() * shape.Get("Height").AsDouble() < kBackdropShare * pageArea())
    return false;
  const int type = shape.Get("Type").AsInt();
  if (type == kMsoPicture || type == kMsoLinkedPicture || type == kMsoEmbeddedOleObject)
    return true;
  if (type != kMsoAutoShape && type != kMsoTextBox) return false;
  const OleVariant fill = shape.Get("Fill");
  return fill.Get("Visible").AsBool() && fill.Get("Transparency").AsDouble() < 0.5;
}

// Word draws every header under everything of the body, as LibreOffice does: a page whose
// body has a backdrop (a cover page's filled frame or full-page picture, behind the text)
// hides the header's mark wholly. Each backdrop gets a copy of the mark in the body, anchored
// where the backdrop is, so on its page, placed as the header's mark, in front of the
// backdrop (a new shape goes on top) and behind the text. The copies are named
// "<prefix>Cover<n>"; those of an earlier stamp go first, so a restamp leaves one copy per
// backdrop and none where the backdrop is gone.
void TDocWaterMark::MarkBackdrops() {
  OleVariant shapes = doc_.Get("Shapes");
  const int count = shapes.Get("Count").AsInt();
  if (count == 0) return;
  // The page's size is read only for a document with a shape behind its text.
  double area = -1;
  auto pageArea = [this, &area] {
    if (area < 0) {
      const OleVariant setup = doc_.Get("PageSetup");
      area = setup.Get("PageWidth").AsDouble() * setup.Get("PageHeight").AsDouble();
    }
    return area;
  };
  std::vector<OleVariant> anchors;
  // From the last: a deletion leaves the places of the shapes before it as they were.
  for (int i = count; i >= 1; --i) {
    OleVariant item = shapes.Get("Item", {i});
    if (IsOurBackdropMarkName(item.Get("Name").AsString()))
      item.Call("Delete");
    else if (IsBackdrop(item, pageArea))
      anchors.insert(anchors.begin(), item.Get("Anchor"));
  }
  const int size = ParseWatermarkSize(DocSettings.DocWatermarkSize);
  for (std::size_t k = 0; k < anchors.size(); ++k) {
    std::vector<OleVariant> args = TextEffectArgs(DocSettings, size, 0, 0);
    args.push_back(anchors[k]);
    StyleMark(shapes.Call("AddTextEffect", args),
              std::string(kWaterMarkPrefix) + "Cover" + std::to_string(k + 1), kWrapBehind);
  }
}

void TDocWaterMark::DeleteOurShapes() {
  const int count = Shapes().Get("Count").AsInt();
  // From the last: a deletion leaves the places of the shapes before it as they were.
  for (int i = count; i >= 1; --i) {
    OleVariant item = Shapes().Get("Item", {i});
    if (IsOurHeaderMarkName(item.Get("Name").AsString())) item.Call("Delete");
  }
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
  StyleMark(shape, name, kWrapInFront);
}

void TDocWaterMark::StyleMark(OleVariant shape, const std::string& name, int wrapType) {
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
  shape.Get("WrapFormat").Put("Type", wrapType);
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
