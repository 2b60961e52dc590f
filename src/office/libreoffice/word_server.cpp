// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/word_server.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XContentEnumerationAccess.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/ParagraphAdjust.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include "office/libreoffice/office_application.h"
#include "office/libreoffice/ooxml_package.h"
#include "office/libreoffice/shape_name_record.h"
#include "office/libreoffice/shape_objects.h"
#include "office/libreoffice/uno_convert.h"
#include "platform/paths.h"

namespace stampwell {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using uno::ToOU;
using uno::ToStd;
using Args = DispatchObject::Args;

namespace {

// Word's SeekView values that this server distinguishes.
constexpr int kSeekMainDocument = 0;
constexpr int kSeekPrimaryHeader = 1;
constexpr int kSeekFirstPageHeader = 2;
constexpr int kSeekEvenPagesHeader = 3;
constexpr int kSeekCurrentPageHeader = 9;

// One open Word document: the loaded document and the selection in it.
struct WordDoc {
  std::shared_ptr<TOfficeDocument> doc;
  Reference<css::text::XTextCursor> cursor;  // the selection in the body
  int seekView = kSeekMainDocument;
  int section = 1;  // the section (from 1) whose range was selected last
  // The header the selection stands in, found once per selection and view: the engine asks
  // for the header's shapes many times in a row. Dropped whenever the selection, the view or
  // the page setup changes.
  mutable Reference<css::text::XText> header;
  mutable bool headerKnown = false;
  void Moved() const { headerKnown = false; }
  // What the engine asks for again and again, found once: the draw page, the page styles
  // by name, and (until the body text is edited) where the sections start and the style of
  // the first page.
  mutable Reference<css::drawing::XShapes> drawPage;
  mutable Reference<css::container::XNameAccess> pageStyles;
  mutable std::map<OUString, Reference<css::beans::XPropertySet>> styles;
  mutable std::optional<std::vector<Reference<css::text::XTextRange>>> sectionStarts;
  mutable std::vector<OUString> sectionStyles;  // the page style each section starts, once read
  mutable OUString firstPageStyle;
  // Whether a header got a shape since its shapes were last put beneath the body's.
  mutable bool headerShapeAdded = false;
  // The shapes of the body, those anchored as a character included (BodyShapes), found when
  // first asked for and then kept with the shapes added and removed through Document.Shapes.
  struct BodyShape {
    Reference<css::drawing::XShape> shape;
    bool asCharacter;
  };
  mutable std::optional<std::vector<BodyShape>> bodyShapes;
  // The wrapping given to the shapes of the headers (RShapeHost::HeaderWraps).
  std::shared_ptr<std::map<Reference<css::uno::XInterface>, int>> headerWraps =
      std::make_shared<std::map<Reference<css::uno::XInterface>, int>>();
  void Edited() const {
    Moved();
    sectionStarts.reset();
    sectionStyles.clear();
    firstPageStyle.clear();
  }
};

struct WordState {
  std::shared_ptr<TOfficeApplication> app;
  std::string activePrinter;
  std::shared_ptr<WordDoc> active;
};


Reference<css::text::XTextDocument> TextDoc(const WordDoc& d) {
  return Reference<css::text::XTextDocument>(d.doc->Model(), UNO_QUERY_THROW);
}

Reference<css::beans::XPropertySet> PageStyle(const WordDoc& d, const OUString& name) {
  if (auto it = d.styles.find(name); it != d.styles.end()) return it->second;
  if (!d.pageStyles.is()) {
    Reference<css::style::XStyleFamiliesSupplier> families(d.doc->Model(), UNO_QUERY_THROW);
    d.pageStyles.set(families->getStyleFamilies()->getByName(OUString("PageStyles")),
                     UNO_QUERY_THROW);
  }
  Reference<css::beans::XPropertySet> style(d.pageStyles->getByName(name), UNO_QUERY_THROW);
  d.styles.emplace(name, style);
  return style;
}

OUString PageStyleAt(const Reference<css::text::XTextRange>& range) {
  OUString name;
  Reference<css::beans::XPropertySet> props(range, UNO_QUERY);
  if (props.is()) props->getPropertyValue(OUString("PageStyleName")) >>= name;
  return name.isEmpty() ? OUString("Standard") : name;
}

// The body's paragraphs (and tables) where a Word section starts: the first one, and every
// one that applies a page style.
std::vector<Reference<css::text::XTextRange>> FindSectionStarts(const WordDoc& d) {
  std::vector<Reference<css::text::XTextRange>> starts;
  Reference<css::container::XEnumerationAccess> access(TextDoc(d)->getText(), UNO_QUERY_THROW);
  auto e = access->createEnumeration();
  bool first = true;
  while (e->hasMoreElements()) {
    Reference<css::beans::XPropertySet> props(e->nextElement(), UNO_QUERY);
    if (!props.is()) continue;
    OUString pageDesc;
    try {
      props->getPropertyValue(OUString("PageDescName")) >>= pageDesc;
    } catch (const css::uno::Exception&) {
    }
    if (!first && pageDesc.isEmpty()) continue;
    Reference<css::text::XTextRange> range(props, UNO_QUERY);
    if (!range.is()) {
      // A table: its place is the start of its first cell (a table cannot report an anchor).
      Reference<css::text::XTextTable> table(props, UNO_QUERY);
      if (table.is()) {
        const auto cells = table->getCellNames();
        if (cells.hasElements())
          range = FirstParagraphStart(
              Reference<css::text::XText>(table->getCellByName(cells[0]), UNO_QUERY_THROW));
      }
    }
    if (range.is()) starts.push_back(range->getStart());
    first = false;
  }
  if (starts.empty()) starts.push_back(TextDoc(d)->getText()->getStart());
  return starts;
}

// Every paragraph of the body is asked for its page style: found once per edit of the body.
const std::vector<Reference<css::text::XTextRange>>& SectionStarts(const WordDoc& d) {
  if (!d.sectionStarts) d.sectionStarts = FindSectionStarts(d);
  return *d.sectionStarts;
}

// The page style section k (from 0) starts: read once per edit of the body.
const OUString& SectionStyle(const WordDoc& d, std::size_t k) {
  const auto& starts = SectionStarts(d);
  if (d.sectionStyles.size() != starts.size()) d.sectionStyles.assign(starts.size(), OUString());
  if (d.sectionStyles[k].isEmpty()) d.sectionStyles[k] = PageStyleAt(starts[k]);
  return d.sectionStyles[k];
}

// The page style that governs the document's page setup: the one its first page uses.
Reference<css::beans::XPropertySet> FirstPageStyle(const WordDoc& d) {
  if (d.firstPageStyle.isEmpty()) d.firstPageStyle = PageStyleAt(TextDoc(d)->getText()->getStart());
  return PageStyle(d, d.firstPageStyle);
}

// The header the selection stands in after SeekView; turns the header on when create is set.
Reference<css::text::XText> SelectedHeader(const WordDoc& d, bool create) {
  if (d.seekView == kSeekMainDocument)
    throw EOleError("This command is not available: the selection is not in a header");
  if (d.headerKnown && (d.header.is() || !create)) return d.header;
  auto style = PageStyle(d, PageStyleAt(Reference<css::text::XTextRange>(d.cursor.get())));
  bool on = false;
  style->getPropertyValue(OUString("HeaderIsOn")) >>= on;
  if (!on) {
    if (!create) {
      d.header.clear();
      d.headerKnown = true;
      return {};
    }
    style->setPropertyValue(OUString("HeaderIsOn"), Any(true));
  }
  const OUString prop = d.seekView == kSeekEvenPagesHeader   ? OUString("HeaderTextLeft")
                        : d.seekView == kSeekFirstPageHeader ? OUString("HeaderTextFirst")
                                                             : OUString("HeaderText");
  Reference<css::text::XText> text;
  style->getPropertyValue(prop) >>= text;
  if (!text.is()) throw EOleError("The header is not available");
  d.header = text;
  d.headerKnown = true;
  return text;
}

Reference<css::drawing::XShapes> DrawPage(const WordDoc& d) {
  if (d.drawPage.is()) return d.drawPage;
  Reference<css::drawing::XDrawPageSupplier> supplier(d.doc->Model(), UNO_QUERY_THROW);
  d.drawPage.set(supplier->getDrawPage(), UNO_QUERY_THROW);
  return d.drawPage;
}

// The shapes anchored in a header, found through the header's paragraphs: the draw page would
// also list the copies the layout makes for every further page that repeats the header.
std::vector<Reference<css::drawing::XShape>> ShapesIn(const Reference<css::text::XText>& header) {
  std::vector<Reference<css::drawing::XShape>> result;
  if (!header.is()) return result;
  auto add = [&result](const Reference<css::uno::XInterface>& holder) {
    Reference<css::container::XContentEnumerationAccess> contents(holder, UNO_QUERY);
    if (!contents.is()) return;
    auto e = contents->createContentEnumeration(OUString("com.sun.star.text.TextContent"));
    while (e.is() && e->hasMoreElements()) {
      Reference<css::drawing::XShape> shape(e->nextElement(), UNO_QUERY);
      if (!shape.is()) continue;
      bool known = false;
      for (const auto& s : result) known = known || s == shape;
      if (!known) result.push_back(shape);
    }
  };
  // Paragraphs of the header, and of the cells of its tables (a header may hold only a
  // table, and a mark is then anchored in its first cell).
  std::function<void(const Reference<css::container::XEnumerationAccess>&)> walk =
      [&](const Reference<css::container::XEnumerationAccess>& text) {
        if (!text.is()) return;
        auto paragraphs = text->createEnumeration();
        while (paragraphs->hasMoreElements()) {
          Reference<css::uno::XInterface> paragraph(paragraphs->nextElement(), UNO_QUERY);
          if (Reference<css::text::XTextTable> table(paragraph, UNO_QUERY); table.is()) {
            for (const auto& cell : table->getCellNames())
              walk(Reference<css::container::XEnumerationAccess>(table->getCellByName(cell),
                                                                 UNO_QUERY));
            continue;
          }
          add(paragraph);  // shapes anchored at the paragraph
          // Shapes anchored at a character are listed by the "Frame" portions.
          Reference<css::container::XEnumerationAccess> portions(paragraph, UNO_QUERY);
          if (!portions.is()) continue;
          auto pe = portions->createEnumeration();
          while (pe->hasMoreElements()) {
            Reference<css::uno::XInterface> portion(pe->nextElement(), UNO_QUERY);
            add(portion);
          }
        }
      };
  walk(Reference<css::container::XEnumerationAccess>(header, UNO_QUERY_THROW));
  return result;
}

// The entries of the draw page. The layout adds and drops its copies of header shapes (one
// for each further page that repeats a header) as it formats pages, also between two calls
// from here: the page may shrink under the loop (the reading then starts again, three times
// at most, else keeps what it read), and an entry may be gone by the time it is asked about.
std::vector<Reference<css::drawing::XShape>> DrawPageEntries(const WordDoc& d) {
  const auto page = DrawPage(d);
  std::vector<Reference<css::drawing::XShape>> entries;
  for (int attempt = 0; attempt < 3; ++attempt) {
    entries.clear();
    try {
      for (sal_Int32 i = 0; i < page->getCount(); ++i)
        if (auto shape = ShapeAt(*d.doc, page, i); shape.is()) entries.push_back(shape);
      return entries;
    } catch (const css::lang::IndexOutOfBoundsException&) {
    }
  }
  return entries;
}

// Whether a shape is anchored in the body: in its text, or in a table or frame that lies in
// it (and not in a header's or footer's). A shape anchored at a page is not asked here.
bool InBody(const Reference<css::drawing::XShape>& shape, const Reference<css::text::XText>& body) {
  Reference<css::text::XTextContent> content(shape, UNO_QUERY);
  Reference<css::text::XTextRange> at = content.is() ? content->getAnchor() : nullptr;
  for (int depth = 0; depth < 8 && at.is(); ++depth) {
    if (at->getText() == body) return true;
    // Out of the table or frame the place lies in, to where that is anchored.
    Reference<css::text::XTextContent> outer;
    Reference<css::beans::XPropertySet> props(at, UNO_QUERY);
    for (const char* name : {"TextTable", "TextFrame"}) {
      if (outer.is() || !props.is()) break;
      try {
        props->getPropertyValue(OUString::createFromAscii(name)) >>= outer;
      } catch (const css::uno::Exception&) {
      }
    }
    if (!outer.is()) return false;
    at = outer->getAnchor();
  }
  return false;
}

// The shapes of the body: every shape anchored in it (InBody) or at a page, not those of a
// header or footer. Read once; kept up to date by Document.Shapes.
const std::vector<WordDoc::BodyShape>& BodyShapes(const WordDoc& d) {
  if (d.bodyShapes) return *d.bodyShapes;
  std::vector<WordDoc::BodyShape> result;
  const Reference<css::text::XText> body = TextDoc(d)->getText();
  for (const auto& shape : DrawPageEntries(d)) {
    try {
      css::text::TextContentAnchorType type = css::text::TextContentAnchorType_AT_PARAGRAPH;
      ReadProperties(shape, {"AnchorType"}).front() >>= type;
      if (type != css::text::TextContentAnchorType_AT_PAGE && !InBody(shape, body)) continue;
      bool known = false;
      for (const auto& b : result) known = known || b.shape == shape;
      if (!known)
        result.push_back({shape, type == css::text::TextContentAnchorType_AS_CHARACTER});
    } catch (const css::uno::RuntimeException&) {
      // A copy the layout dropped meanwhile.
    }
  }
  d.bodyShapes = std::move(result);
  return *d.bodyShapes;
}

// Document.Shapes: the body's shapes as Word lists them, in their drawing order, without
// those anchored as a character (Word lists those apart, as inline shapes). A new shape
// goes to the place its AddTextEffect names (a shape's Anchor), else to the start of the
// body.
DispatchPtr MakeBodyShapes(const std::shared_ptr<WordDoc>& d) {
  RShapeHost host{d->doc, DrawPage(*d), TextDoc(*d)->getText(), {}, {}, {}, {}};
  host.TextEffectAdded = [d](const Reference<css::drawing::XShape>& shape) {
    BodyShapes(*d);
    d->bodyShapes->push_back({shape, false});
  };
  host.ShapeRemoved = [d](const Reference<css::drawing::XShape>& shape) {
    if (!d->bodyShapes) return;
    auto& v = *d->bodyShapes;
    v.erase(std::remove_if(v.begin(), v.end(), [&](const auto& b) { return b.shape == shape; }),
            v.end());
  };
  auto floating = [d] {
    std::vector<Reference<css::drawing::XShape>> list;
    for (const auto& b : BodyShapes(*d))
      if (!b.asCharacter) list.push_back(b.shape);
    return list;
  };
  return MakeShapesObject(host, floating);
}

// Puts every shape of the headers beneath every shape of the body, as Word's header layer
// lies beneath the body and as LibreOffice reads a Word file back: a backdrop of the body
// then hides a header's mark in the document here as it does in the saved file, and the
// mark's copy in front of the backdrop is the only mark on that page. Each keeps its order
// among its own kind. The layout's copies of a header shape for further pages that repeat
// the header are on the draw page too, each in a place of its own, and move with the rest.
// Done before the document is stored or printed, when a header got a shape since.
void PutHeadersBeneathTheBody(const WordDoc& d) {
  if (!d.headerShapeAdded) return;
  d.headerShapeAdded = false;
  const auto& body = BodyShapes(d);
  if (body.empty()) return;  // most documents: nothing of the body to lie beneath
  auto zOf = [](const Reference<css::drawing::XShape>& shape) {
    sal_Int32 z = -1;
    ReadProperties(shape, {"ZOrder"}).front() >>= z;
    return z;
  };
  sal_Int32 lowest = -1;
  for (const auto& b : body) {
    try {
      const sal_Int32 z = zOf(b.shape);
      if (z >= 0 && (lowest < 0 || z < lowest)) lowest = z;
    } catch (const css::uno::RuntimeException&) {
    }
  }
  if (lowest < 0) return;
  // The headers' shapes above it, in their order: each goes to that place, above the ones
  // moved before it, and the body's shapes move up by one.
  std::vector<std::pair<sal_Int32, Reference<css::drawing::XShape>>> above;
  for (const auto& shape : DrawPageEntries(d)) {
    bool inBody = false;
    for (const auto& b : body) inBody = inBody || b.shape == shape;
    if (inBody) continue;
    try {
      if (const sal_Int32 z = zOf(shape); z > lowest) above.emplace_back(z, shape);
    } catch (const css::uno::RuntimeException&) {
      // A copy the layout dropped meanwhile.
    }
  }
  std::sort(above.begin(), above.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  sal_Int32 target = lowest;
  for (const auto& [z, shape] : above) {
    try {
      Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)
          ->setPropertyValue(OUString("ZOrder"), Any(target));
      ++target;
    } catch (const css::uno::RuntimeException&) {
      // A copy the layout dropped meanwhile.
    }
  }
}

int PageCount(const WordDoc& d) {
  auto controller = d.doc->Model()->getCurrentController();
  Reference<css::beans::XPropertySet> props(controller, UNO_QUERY_THROW);
  sal_Int32 pages = 0;
  props->getPropertyValue(OUString("PageCount")) >>= pages;
  return pages;
}

// The Office Open XML filters, which write no shape names that LibreOffice reads back.
bool DropsShapeNames(const std::string& filter) { return IsWordOpenXmlFilter(filter); }

// Every header of the page styles the body uses, in the order of the sections that first use
// them, keyed by that order and the header's kind: the same keys for the same document after
// a reload, whatever names the page styles get.
std::vector<RShapePlace> HeaderPlaces(const WordDoc& d) {
  std::vector<OUString> styles;
  for (const auto& start : SectionStarts(d)) {
    const OUString name = PageStyleAt(start);
    if (std::find(styles.begin(), styles.end(), name) == styles.end()) styles.push_back(name);
  }
  std::vector<RShapePlace> places;
  for (size_t i = 0; i < styles.size(); ++i) {
    auto style = PageStyle(d, styles[i]);
    bool on = false, firstShared = true, leftShared = true;
    style->getPropertyValue(OUString("HeaderIsOn")) >>= on;
    if (!on) continue;
    style->getPropertyValue(OUString("FirstIsShared")) >>= firstShared;
    style->getPropertyValue(OUString("HeaderIsShared")) >>= leftShared;
    std::vector<const char*> kinds = {"HeaderText"};
    if (!firstShared) kinds.push_back("HeaderTextFirst");
    if (!leftShared) kinds.push_back("HeaderTextLeft");
    for (const char* kind : kinds) {
      Reference<css::text::XText> header;
      style->getPropertyValue(OUString::createFromAscii(kind)) >>= header;
      if (header.is()) places.push_back({std::to_string(i) + "/" + kind, ShapesIn(header)});
    }
  }
  return places;
}

// Keeps the names of header shapes through the formats that drop them.
void KeepShapeNames(const std::shared_ptr<WordDoc>& d) {
  if (DropsShapeNames(d->doc->FilterName()))
    RestoreShapeNames(*d->doc, [&d] { return HeaderPlaces(*d); });
  std::weak_ptr<WordDoc> weak = d;
  d->doc->SetStoreHook([weak](const std::string& filter) -> std::function<void()> {
    auto doc = weak.lock();
    if (doc) PutHeadersBeneathTheBody(*doc);
    if (doc && DropsShapeNames(filter)) RecordShapeNames(*doc->doc, HeaderPlaces(*doc));
    return {};
  });
}

std::shared_ptr<WordDoc> Require(const std::shared_ptr<WordState>& s) {
  if (!s->active || s->active->doc->IsClosed())
    throw EOleError("This command is not available because no document is open.");
  if (s->active->doc->Process() != s->app->Process())
    throw EOleError("The document was lost when its office process ended");
  return s->active;
}

std::shared_ptr<WordDoc> Adopt(const std::shared_ptr<WordState>& s,
                               std::shared_ptr<TOfficeDocument> doc) {
  auto d = std::make_shared<WordDoc>();
  d->doc = std::move(doc);
  auto text = TextDoc(*d)->getText();
  d->cursor = text->createTextCursorByRange(text->getStart());
  s->active = d;
  return d;
}

// A page setup over the page style style() finds: DifferentFirstPageHeaderFooter and
// OddAndEvenPagesHeaderFooter, read and written.
DispatchPtr MakePageSetup(const std::shared_ptr<WordDoc>& d, const TGuardedObject::GuardFn& guard,
                          std::function<Reference<css::beans::XPropertySet>()> style) {
  auto pageSetup = std::make_shared<TGuardedObject>(guard);
  // The page's size in points.
  for (const char* name : {"PageWidth", "PageHeight"}) {
    const OUString property = OUString::createFromAscii(name[4] == 'W' ? "Width" : "Height");
    pageSetup->Prop(name, [style, property](const Args&) {
      sal_Int32 hmm = 0;
      style()->getPropertyValue(property) >>= hmm;
      return OleVariant(uno::HmmToPoints(hmm));
    });
  }
  pageSetup->Prop(
      "DifferentFirstPageHeaderFooter",
      [style](const Args&) {
        bool shared = true;
        style()->getPropertyValue(OUString("FirstIsShared")) >>= shared;
        return OleVariant(shared ? 0 : -1);
      },
      [d, style](const OleVariant& v) {
        style()->setPropertyValue(OUString("FirstIsShared"), Any(!v.AsBool()));
        d->Moved();
      });
  pageSetup->Prop(
      "OddAndEvenPagesHeaderFooter",
      [style](const Args&) {
        bool shared = true;
        style()->getPropertyValue(OUString("HeaderIsShared")) >>= shared;
        return OleVariant(shared ? 0 : -1);
      },
      [d, style](const OleVariant& v) {
        style()->setPropertyValue(OUString("HeaderIsShared"), Any(!v.AsBool()));
        d->Moved();
      });
  return pageSetup;
}

DispatchPtr MakeDocument(const std::shared_ptr<WordState>& s, const std::shared_ptr<WordDoc>& d) {
  auto guard = GuardOf(d->doc->Process());
  auto obj = std::make_shared<TGuardedObject>(guard);
  std::weak_ptr<WordState> weak = s;
  obj->Func("Save", [d](const Args&) {
    d->doc->Save();
    return OleVariant();
  });
  obj->Func("SaveAs", [d](const Args& a) {
    // SaveAs(FileName, FileFormat, LockComments, Password, ...): the format stays the
    // document's own; a password encrypts the file.
    const OleVariant password = ArgAt(a, 3);
    d->doc->SaveAs(ArgAt(a, 0).AsString(), password.IsEmpty() ? "" : password.AsString());
    return OleVariant();
  });
  obj->Func("Close", [d, weak](const Args&) {
    d->doc->Close();
    if (auto st = weak.lock(); st && st->active == d) st->active.reset();
    return OleVariant();
  });
  obj->Func("Activate", [d, weak](const Args&) {
    if (auto st = weak.lock()) st->active = d;
    return OleVariant();
  });
  // Saved: true while the document has no unsaved changes; setting it to true makes the
  // office treat the document as unchanged, so closing its window asks nothing.
  obj->Prop(
      "Saved",
      [d](const Args&) {
        css::uno::Reference<css::util::XModifiable> modifiable(d->doc->Model(),
                                                               css::uno::UNO_QUERY);
        return OleVariant(!modifiable.is() || !modifiable->isModified());
      },
      [d](const OleVariant& v) {
        css::uno::Reference<css::util::XModifiable> modifiable(d->doc->Model(),
                                                               css::uno::UNO_QUERY);
        if (modifiable.is()) modifiable->setModified(!v.AsBool());
      });
  obj->Prop("Name", [d](const Args&) { return OleVariant(d->doc->Name()); });
  obj->Prop("FullName", [d](const Args&) { return OleVariant(d->doc->FullName()); });

  obj->Prop("Shapes", [d](const Args&) { return OleVariant(MakeBodyShapes(d)); });

  auto pageSetup = MakePageSetup(d, guard, [d] { return FirstPageStyle(*d); });
  obj->Prop("PageSetup", [pageSetup](const Args&) { return OleVariant(DispatchPtr(pageSetup)); });

  auto sections = std::make_shared<TGuardedObject>(guard);
  sections->Prop("Count", [d](const Args&) { return OleVariant(int(SectionStarts(*d).size())); });
  sections->Func("Item", [d, guard](const Args& a) {
    const auto& starts = SectionStarts(*d);
    const int index = ArgAt(a, 0).AsInt();
    if (index < 1 || index > int(starts.size()))
      throw EOleError("The requested member of the collection does not exist.");
    auto start = starts[index - 1];
    auto range = std::make_shared<TGuardedObject>(guard);
    range->Func("Select", [d, start, index](const Args&) {
      // A section that starts in a table: the selection moves into the table's first cell.
      if (start->getText() == d->cursor->getText())
        d->cursor->gotoRange(start, false);
      else
        d->cursor = start->getText()->createTextCursorByRange(start);
      d->section = index;
      d->Moved();
      return OleVariant();
    });
    auto section = std::make_shared<TGuardedObject>(guard);
    section->Prop("Range", [range](const Args&) { return OleVariant(DispatchPtr(range)); });
    // The section's own page setup: the page style it starts.
    section->Prop("PageSetup", [d, index, guard](const Args&) {
      return OleVariant(MakePageSetup(d, guard, [d, index] {
        return PageStyle(*d, SectionStyle(*d, std::size_t(index - 1)));
      }));
    });
    return OleVariant(DispatchPtr(section));
  });
  obj->Prop("Sections", [sections](const Args&) { return OleVariant(DispatchPtr(sections)); });

  obj->Prop("BuiltInDocumentProperties", [d, guard](const Args& a) {
    const int which = ArgAt(a, 0).AsInt();
    if (which != 14)
      throw EOleError("Document property " + std::to_string(which) + " is not available");
    auto prop = std::make_shared<TGuardedObject>(guard);
    prop->Prop("Value", [d](const Args&) { return OleVariant(PageCount(*d)); });
    prop->Prop("Name", [](const Args&) { return OleVariant("Number of Pages"); });
    return OleVariant(DispatchPtr(prop));
  });
  return obj;
}

DispatchPtr MakeSelection(const std::shared_ptr<WordState>& s) {
  auto obj = std::make_shared<TGuardedObject>(s->app->Guard());
  auto paragraph = std::make_shared<TGuardedObject>(s->app->Guard());
  paragraph->Prop(
      "Alignment",
      [s](const Args&) {
        css::style::ParagraphAdjust adjust = css::style::ParagraphAdjust_LEFT;
        Reference<css::beans::XPropertySet>(Require(s)->cursor, UNO_QUERY_THROW)
            ->getPropertyValue(OUString("ParaAdjust")) >>= adjust;
        switch (adjust) {
          case css::style::ParagraphAdjust_CENTER:
            return OleVariant(1);
          case css::style::ParagraphAdjust_RIGHT:
            return OleVariant(2);
          case css::style::ParagraphAdjust_BLOCK:
            return OleVariant(3);
          default:
            return OleVariant(0);
        }
      },
      [s](const OleVariant& v) {
        static const css::style::ParagraphAdjust map[] = {
            css::style::ParagraphAdjust_LEFT, css::style::ParagraphAdjust_CENTER,
            css::style::ParagraphAdjust_RIGHT, css::style::ParagraphAdjust_BLOCK};
        const int i = v.AsInt();
        if (i < 0 || i > 3) throw EOleError("Alignment value out of range");
        Reference<css::beans::XPropertySet>(Require(s)->cursor, UNO_QUERY_THROW)
            ->setPropertyValue(OUString("ParaAdjust"), Any(sal_Int16(map[i])));
      });
  obj->Prop("ParagraphFormat",
            [paragraph](const Args&) { return OleVariant(DispatchPtr(paragraph)); });
  auto font = std::make_shared<TGuardedObject>(s->app->Guard());
  font->Prop(
      "Size",
      [s](const Args&) {
        float h = 0;
        Reference<css::beans::XPropertySet>(Require(s)->cursor, UNO_QUERY_THROW)
            ->getPropertyValue(OUString("CharHeight")) >>= h;
        return OleVariant(double(h));
      },
      [s](const OleVariant& v) {
        Reference<css::beans::XPropertySet>(Require(s)->cursor, UNO_QUERY_THROW)
            ->setPropertyValue(OUString("CharHeight"), Any(float(v.AsDouble())));
      });
  font->Prop(
      "Name",
      [s](const Args&) {
        OUString n;
        Reference<css::beans::XPropertySet>(Require(s)->cursor, UNO_QUERY_THROW)
            ->getPropertyValue(OUString("CharFontName")) >>= n;
        return OleVariant(ToStd(n));
      },
      [s](const OleVariant& v) {
        Reference<css::beans::XPropertySet>(Require(s)->cursor, UNO_QUERY_THROW)
            ->setPropertyValue(OUString("CharFontName"), Any(ToOU(v.AsString())));
      });
  obj->Prop("Font", [font](const Args&) { return OleVariant(DispatchPtr(font)); });
  obj->Func("TypeText", [s](const Args& a) {
    auto d = Require(s);
    d->cursor->getText()->insertString(Reference<css::text::XTextRange>(d->cursor.get()),
                                       ToOU(ArgAt(a, 0).AsString()), true);
    d->cursor->collapseToEnd();
    d->Edited();
    return OleVariant();
  });
  obj->Func("TypeParagraph", [s](const Args&) {
    auto d = Require(s);
    d->cursor->getText()->insertControlCharacter(Reference<css::text::XTextRange>(d->cursor.get()),
                                                 css::text::ControlCharacter::PARAGRAPH_BREAK,
                                                 false);
    d->cursor->collapseToEnd();
    d->Edited();
    return OleVariant();
  });
  obj->Func("MoveRight", [s](const Args& a) {
    auto d = Require(s);
    const int unit = ArgAt(a, 0).IsEmpty() ? 1 : ArgAt(a, 0).AsInt();
    if (unit != 1) throw EOleError("MoveRight supports moving by characters only");
    const int count = ArgAt(a, 1).IsEmpty() ? 1 : ArgAt(a, 1).AsInt();
    const bool extend = !ArgAt(a, 2).IsEmpty() && ArgAt(a, 2).AsInt() == 1;
    const bool moved = d->cursor->goRight(static_cast<sal_Int16>(count), extend);
    d->Moved();
    return OleVariant(moved ? count : 0);
  });
  obj->Prop("Text",
            [s](const Args&) { return OleVariant(ToStd(Require(s)->cursor->getString())); });
  std::weak_ptr<WordState> weak = s;
  obj->Prop("HeaderFooter", [weak](const Args&) {
    auto st = weak.lock();
    if (!st) throw EOleError("Word has been quit");
    auto d = Require(st);
    auto header = SelectedHeader(*d, false);  // raises outside a header view
    RShapeHost host{d->doc, DrawPage(*d), header, {}, {}, {}, d->headerWraps};
    host.TextEffectAdded = [d](const Reference<css::drawing::XShape>&) {
      d->headerShapeAdded = true;
    };
    auto headerFooter = std::make_shared<TGuardedObject>(GuardOf(d->doc->Process()));
    headerFooter->Prop("Shapes", [d, host](const Args&) {
      RShapeHost h = host;
      if (!h.HeaderText.is()) h.HeaderText = SelectedHeader(*d, true);
      // Every shape of the document is on its draw page: when that is empty (as in most
      // files before their first stamp), one call tells that the header has none either.
      return OleVariant(MakeShapesObject(h, [d] {
        if (DrawPage(*d)->getCount() == 0) return std::vector<Reference<css::drawing::XShape>>();
        return ShapesIn(SelectedHeader(*d, false));
      }));
    });
    headerFooter->Prop("IsHeader", [](const Args&) { return OleVariant(true); });
    // True when an earlier section shows this same header: the section continues a page
    // style that one started (a page style has one set of headers).
    headerFooter->Prop("LinkToPrevious", [d](const Args&) {
      const int sections = int(SectionStarts(*d).size());
      if (d->section < 2 || d->section > sections) return OleVariant(false);
      const OUString& mine = SectionStyle(*d, std::size_t(d->section - 1));
      for (int k = 0; k + 1 < d->section; ++k)
        if (SectionStyle(*d, std::size_t(k)) == mine) return OleVariant(true);
      return OleVariant(false);
    });
    return OleVariant(DispatchPtr(headerFooter));
  });
  return obj;
}

}  // namespace

DispatchPtr CreateWordApplication() {
  auto s = std::make_shared<WordState>();
  s->app = std::make_shared<TOfficeApplication>("Word", true);
  auto app = std::make_shared<TGuardedObject>(s->app->Guard());

  app->Prop(
      "Visible", [s](const Args&) { return OleVariant(s->app->Visible()); },
      [s](const OleVariant& v) {
        s->app->SetVisible(v.AsBool(), s->active ? s->active->doc : nullptr);
      });
  app->Prop("Name", [](const Args&) { return OleVariant("Microsoft Word"); });

  auto documents = std::make_shared<TGuardedObject>(s->app->Guard());
  documents->Func("Open", [s](const Args& a) {
    const std::string path = ArgAt(a, 0).AsString();
    auto doc = s->app->OpenDocument([&path](std::shared_ptr<TOfficeProcess> process) {
      return TOfficeDocument::Open(std::move(process), OfficeKind::Writer, path, true);
    });
    auto d = Adopt(s, doc);
    KeepShapeNames(d);
    if (s->app->Visible()) s->app->SetVisible(true, doc);
    return OleVariant(MakeDocument(s, d));
  });
  documents->Func("Add", [s](const Args&) {
    auto doc = TOfficeDocument::New(s->app->Process(), OfficeKind::Writer, true);
    auto d = Adopt(s, doc);
    KeepShapeNames(d);
    if (s->app->Visible()) s->app->SetVisible(true, doc);
    return OleVariant(MakeDocument(s, d));
  });
  app->Prop("Documents", [documents](const Args&) { return OleVariant(DispatchPtr(documents)); });
  app->Prop("ActiveDocument", [s](const Args&) { return OleVariant(MakeDocument(s, Require(s))); });

  auto selection = MakeSelection(s);
  app->Prop("Selection", [selection](const Args&) { return OleVariant(selection); });

  auto view = std::make_shared<TGuardedObject>(s->app->Guard());
  view->Prop(
      "SeekView", [s](const Args&) { return OleVariant(Require(s)->seekView); },
      [s](const OleVariant& v) {
        const int seek = v.AsInt();
        if (seek != kSeekMainDocument && seek != kSeekPrimaryHeader &&
            seek != kSeekFirstPageHeader && seek != kSeekEvenPagesHeader &&
            seek != kSeekCurrentPageHeader)
          throw EOleError("SeekView " + std::to_string(seek) + " is not supported");
        Require(s)->seekView = seek;
        Require(s)->Moved();
      });
  auto pane = std::make_shared<TGuardedObject>(s->app->Guard());
  pane->Prop("View", [view](const Args&) { return OleVariant(DispatchPtr(view)); });
  auto window = std::make_shared<TGuardedObject>(s->app->Guard());
  window->Prop("ActivePane", [pane](const Args&) { return OleVariant(DispatchPtr(pane)); });
  window->Prop("View", [view](const Args&) { return OleVariant(DispatchPtr(view)); });
  app->Prop("ActiveWindow", [window](const Args&) { return OleVariant(DispatchPtr(window)); });

  app->Prop(
      "ActivePrinter", [s](const Args&) { return OleVariant(s->activePrinter); },
      [s](const OleVariant& v) { s->activePrinter = v.AsString(); });
  app->Func("PrintOut", [s](const Args&) {
    auto d = Require(s);
    PutHeadersBeneathTheBody(*d);
    s->app->PrintDocument(*d->doc, s->activePrinter);
    return OleVariant();
  });
  // Quit must work on a dead process too, so it runs outside the guard.
  auto quit = [s](const Args&) {
    s->active.reset();
    s->app->Quit();
    return OleVariant();
  };
  app->FuncUnguarded("Quit", quit);
  return app;
}

}  // namespace stampwell
