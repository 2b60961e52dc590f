// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/powerpoint_server.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/beans/XPropertyContainer.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/drawing/XMasterPageTarget.hpp>
#include <com/sun/star/drawing/XMasterPagesSupplier.hpp>
#include <com/sun/star/text/XText.hpp>

#include "office/libreoffice/in_office.h"
#include "office/libreoffice/office_application.h"
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

// The user-defined document property that carries shape names through the .ppt format.
constexpr const char* kPptFilter = "MS PowerPoint 97";

// The master pages and slides of a presentation, listed once: no slide or master is added or
// removed through this server, and the names record and the slide master ask for them again
// and again.
class TPptPages {
 public:
  explicit TPptPages(std::weak_ptr<TOfficeDocument> doc) : doc_(std::move(doc)) {}
  const std::vector<Reference<css::drawing::XShapes>>& Masters() {
    List();
    return masters_;
  }
  const std::vector<Reference<css::drawing::XShapes>>& Slides() {
    List();
    return slides_;
  }

 private:
  void List() {
    if (listed_) return;
    auto doc = doc_.lock();
    if (!doc) throw EOleError("No presentation is open.");
    auto fill = [](const Reference<css::container::XIndexAccess>& pages,
                   std::vector<Reference<css::drawing::XShapes>>& into) {
      for (sal_Int32 i = 0, n = pages->getCount(); i < n; ++i)
        into.emplace_back(pages->getByIndex(i), UNO_QUERY_THROW);
    };
    Reference<css::drawing::XMasterPagesSupplier> masters(doc->Model(), UNO_QUERY_THROW);
    fill(Reference<css::container::XIndexAccess>(masters->getMasterPages(), UNO_QUERY_THROW),
         masters_);
    Reference<css::drawing::XDrawPagesSupplier> slides(doc->Model(), UNO_QUERY_THROW);
    fill(Reference<css::container::XIndexAccess>(slides->getDrawPages(), UNO_QUERY_THROW),
         slides_);
    listed_ = true;
  }

  std::weak_ptr<TOfficeDocument> doc_;
  bool listed_ = false;

 public:
  // The shape at index i of one of the presentation's pages, kept by the presentation.
  Reference<css::drawing::XShape> ShapeAt(const Reference<css::drawing::XShapes>& page,
                                          sal_Int32 i) {
    auto doc = doc_.lock();
    if (!doc) throw EOleError("No presentation is open.");
    return stampwell::ShapeAt(*doc, page, i);
  }

 private:
  std::vector<Reference<css::drawing::XShapes>> masters_, slides_;

 public:
  // The names a presentation read from .ppt carries are those given through this server and
  // those brought back from its record: the format keeps no names of its own. Such a
  // presentation keeps a list of its named shapes, so that its record is written without
  // asking every shape of every master and slide for its name on each save.
  void TrackNames() { tracking_ = true; }
  bool TracksNames() const { return tracking_; }
  void Named(const Reference<css::drawing::XShape>& shape,
             const Reference<css::drawing::XShapes>& page, const std::string& name) {
    if (!tracking_) return;
    for (auto& n : named_) {
      if (n.shape == shape) {
        n.page = page;
        n.name = name;
        return;
      }
    }
    named_.push_back({shape, page, name});
  }
  void Removed(const Reference<css::drawing::XShape>& shape) {
    std::erase_if(named_, [&shape](const TNamed& n) { return n.shape == shape; });
  }
  // The page a place key of the record names ("<m>" a master, "s<k>" a slide); empty if none.
  Reference<css::drawing::XShapes> PageOf(const std::string& key) {
    const bool slide = !key.empty() && key[0] == 's';
    const std::string digits = slide ? key.substr(1) : key;
    if (digits.empty() || digits.size() > 6 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
      return {};
    const auto& list = slide ? Slides() : Masters();
    const std::size_t i = std::stoul(digits);
    return i < list.size() ? list[i] : Reference<css::drawing::XShapes>();
  }
  // The record of the named shapes listed, in the order of their places and positions. On a
  // slide, as in NamedShapePlaces, only text effects count and are counted.
  std::vector<RShapeNameEntry> NamedEntries() {
    std::vector<std::pair<std::size_t, RShapeNameEntry>> ordered;
    const auto& masters = Masters();
    const auto& slides = Slides();
    for (const auto& n : named_) {
      if (n.name.empty()) continue;
      std::size_t place = 0;
      std::string key;
      bool slide = false;
      for (std::size_t m = 0; m < masters.size() && key.empty(); ++m)
        if (masters[m] == n.page) place = m, key = std::to_string(m);
      for (std::size_t k = 0; k < slides.size() && key.empty(); ++k)
        if (slides[k] == n.page) place = masters.size() + k, key = "s" + std::to_string(k), slide = true;
      if (key.empty()) continue;
      int index = 0;
      bool found = false;
      for (sal_Int32 i = 0, count = n.page->getCount(); i < count && !found; ++i) {
        const Reference<css::drawing::XShape> shape = ShapeAt(n.page, i);
        if (shape == n.shape)
          found = true;
        else if (!slide || IsTextEffect(shape))
          ++index;
      }
      if (!found || (slide && !IsTextEffect(n.shape))) continue;
      ordered.push_back({place, {key, index, n.name, ShapeText(n.shape)}});
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
      return a.first != b.first ? a.first < b.first : a.second.Index < b.second.Index;
    });
    std::vector<RShapeNameEntry> entries;
    for (auto& [place, entry] : ordered) entries.push_back(std::move(entry));
    return entries;
  }

 private:
  struct TNamed {
    Reference<css::drawing::XShape> shape;
    Reference<css::drawing::XShapes> page;
    std::string name;
  };
  bool tracking_ = false;
  std::vector<TNamed> named_;
};

// A host for the shapes of one page of the presentation: names given and shapes removed
// through it are told to the presentation's list of named shapes.
RShapeHost PageHost(const std::shared_ptr<TOfficeDocument>& doc,
                    const std::shared_ptr<TPptPages>& pages,
                    const Reference<css::drawing::XShapes>& page) {
  RShapeHost host{doc, page, {}, {}};
  std::weak_ptr<TPptPages> weak = pages;
  host.ShapeNamed = [weak, page](const Reference<css::drawing::XShape>& shape,
                                 const std::string& name) {
    if (auto p = weak.lock()) p->Named(shape, page, name);
  };
  host.ShapeRemoved = [weak](const Reference<css::drawing::XShape>& shape) {
    if (auto p = weak.lock()) p->Removed(shape);
  };
  return host;
}

// The host of a mark added through the slide master on one of the pages it goes to. A name
// given to the mark is its alone among the text effects of that page: another text effect
// there of that name is an earlier copy of the same mark, and it goes, so that the page never
// shows the mark twice. The engine's search removes the first shape of the mark's name it
// finds; a file that already carries two (stamped twice by a build whose search could miss
// the earlier mark, or by hand) would keep the other one beside the new mark.
RShapeHost MarkHost(const std::shared_ptr<TOfficeDocument>& doc,
                    const std::shared_ptr<TPptPages>& pages,
                    const Reference<css::drawing::XShapes>& page) {
  RShapeHost host = PageHost(doc, pages, page);
  host.ShapeNamed = [named = host.ShapeNamed, removed = host.ShapeRemoved, doc, page](
                        const Reference<css::drawing::XShape>& shape, const std::string& name) {
    if (!name.empty()) {
      std::vector<Reference<css::drawing::XShape>> earlier;
      for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i) {
        const Reference<css::drawing::XShape> other = ShapeAt(*doc, page, i);
        if (other.is() && other != shape && ShapeName(other) == name && IsTextEffect(other))
          earlier.push_back(other);
      }
      for (const auto& other : earlier) {
        page->remove(other);
        if (removed) removed(other);
      }
    }
    if (named) named(shape, name);
  };
  return host;
}

struct PptDoc {
  std::shared_ptr<TOfficeDocument> doc;
  std::shared_ptr<TPptPages> pages;
  bool printInBackground = true;
  std::string printer;
  // The slide master object, made once per presentation: the engine asks for it and for its
  // shapes many times while it stamps, and which pages it covers cannot change while the
  // presentation is open (no slide or master is added or removed through this server).
  DispatchPtr slideMaster;
};

struct PptState {
  std::shared_ptr<TOfficeApplication> app;
  std::shared_ptr<PptDoc> active;
  int windowState = 1;
  int viewType = 1;
};


// Where named shapes live in a presentation, for the names record: every master ("<m>") with
// all its shapes, and every slide ("s<k>") with its text effects (marks put on a slide that
// hides its master's objects).
std::vector<RShapePlace> NamedShapePlaces(TPptPages& pages) {
  std::vector<RShapePlace> places;
  auto collect = [&places, &pages](const std::string& key,
                                   const Reference<css::drawing::XShapes>& page,
                                   bool textEffectsOnly) {
    RShapePlace place{key, {}};
    for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i) {
      const Reference<css::drawing::XShape> shape = pages.ShapeAt(page, i);
      if (shape.is() && (!textEffectsOnly || IsTextEffect(shape))) place.Shapes.push_back(shape);
    }
    places.push_back(std::move(place));
  };
  const auto& masters = pages.Masters();
  for (std::size_t m = 0; m < masters.size(); ++m) collect(std::to_string(m), masters[m], false);
  const auto& slides = pages.Slides();
  for (std::size_t k = 0; k < slides.size(); ++k) collect("s" + std::to_string(k), slides[k], true);
  return places;
}

// .ppt files keep no shape names: they travel in the names record.
void RecordNames(const TOfficeDocument& doc, TPptPages& pages) {
  if (doc.FilterName() != kPptFilter) return;
  if (pages.TracksNames())
    WriteShapeNameRecord(doc, pages.NamedEntries());
  else
    RecordShapeNames(doc, NamedShapePlaces(pages));
}

void RestoreNames(const TOfficeDocument& doc, const std::shared_ptr<TPptPages>& pages) {
  if (doc.FilterName() != kPptFilter) return;
  pages->TrackNames();
  for (const auto& r : RestoreShapeNames(doc, [&pages] { return NamedShapePlaces(*pages); }))
    if (auto page = pages->PageOf(r.Key); page.is()) pages->Named(r.Shape, page, r.Name);
}

std::shared_ptr<PptDoc> Require(const std::shared_ptr<PptState>& s) {
  if (!s->active || s->active->doc->IsClosed()) throw EOleError("No presentation is open.");
  if (s->active->doc->Process() != s->app->Process())
    throw EOleError("The presentation was lost when its office process ended");
  return s->active;
}

// One object standing for several: what is set or called on it is set or called on each;
// what is read comes from the first. Reading a sub-object gives the same over the sub-objects.
class TFanOut : public IDispatchObject {
 public:
  explicit TFanOut(std::vector<DispatchPtr> targets) : targets_(std::move(targets)) {}
  OleVariant Get(const std::string& name, const DispatchObject::Args& args) override {
    std::vector<OleVariant> results;
    for (auto& t : targets_) results.push_back(t->Get(name, args));
    return Combine(results);
  }
  void Put(const std::string& name, const OleVariant& value) override {
    for (auto& t : targets_) t->Put(name, value);
  }
  OleVariant Call(const std::string& name, const DispatchObject::Args& args) override {
    std::vector<OleVariant> results;
    for (auto& t : targets_) results.push_back(t->Call(name, args));
    return Combine(results);
  }

 private:
  static OleVariant Combine(const std::vector<OleVariant>& results) {
    if (results.size() > 1 && results.front().Type() == VarType::Dispatch) {
      std::vector<DispatchPtr> subs;
      for (const auto& r : results) subs.push_back(r.AsDispatch());
      return OleVariant(DispatchPtr(std::make_shared<TFanOut>(std::move(subs))));
    }
    return results.front();
  }
  std::vector<DispatchPtr> targets_;
};

// The presentation's slide master: the master page its first slide shows (the first master
// page when it has no slide). LibreOffice reads an Office Open XML presentation with one
// master page per layout, in an order that changes from one save to the next: the first
// master page is then often one no slide shows, and a mark found on it one time is looked for
// on another master page the next, so that a restamp adds a second mark beside the first.
//
// Where a mark put on the slide master must also go so that every slide shows it: the slide
// master, every other master that a slide follows and shows the objects of, every slide that
// hides its master's objects, and every slide whose own opaque backdrop covers its master
// (there the mark is put behind the slide's own content, in front of the backdrop).
// The first of the pages returned is the slide master.
std::vector<Reference<css::drawing::XShapes>> PagesToMark(const TOfficeDocument& doc,
                                                         TPptPages& pptPages) {
  std::vector<Reference<css::drawing::XShapes>> pages;
  auto add = [&pages](const Reference<css::drawing::XShapes>& page) {
    for (const auto& p : pages)
      if (p == page) return;
    pages.push_back(page);
  };
  const auto& slides = pptPages.Slides();
  // The slide master: the master page of the first slide, else the first master page.
  Reference<css::drawing::XShapes> firstMaster;
  if (!slides.empty()) {
    Reference<css::drawing::XMasterPageTarget> first(slides.front(), UNO_QUERY);
    if (first.is()) firstMaster.set(first->getMasterPage(), UNO_QUERY);
  }
  if (!firstMaster.is()) {
    if (pptPages.Masters().empty()) throw EOleError("The presentation has no slide master");
    firstMaster = pptPages.Masters().front();
  }
  pages.push_back(firstMaster);
  for (std::size_t i = 0; i < slides.size(); ++i) {
    const Reference<css::drawing::XShapes>& slide = slides[i];
    Reference<css::beans::XPropertySet> props(slide, UNO_QUERY);
    bool showsMaster = true;
    try {
      if (props.is()) props->getPropertyValue(OUString("IsBackgroundObjectsVisible")) >>= showsMaster;
    } catch (const css::beans::UnknownPropertyException&) {
      // A page without the property shows its master's objects.
    }
    if (!showsMaster) {
      add(slide);
      continue;
    }
    // A slide whose own backdrop (a picture or filled shape over most of it) hides its
    // master's objects shows the master's mark nowhere: it gets a copy of its own, in front
    // of that backdrop and behind the rest of the slide's content.
    if (HasOpaqueBackdrop(doc, slide)) add(slide);
    if (i == 0) continue;  // its master is the slide master, already listed
    Reference<css::drawing::XMasterPageTarget> target(slide, UNO_QUERY);
    if (!target.is()) continue;
    Reference<css::drawing::XShapes> master(target->getMasterPage(), UNO_QUERY);
    if (master.is()) add(master);
  }
  return pages;
}

// The slide master of the presentation. A .ppt made by PowerPoint carries a title master
// besides the slide master, and later ones several designs, each a master of its own here; a
// slide may also hide its master's objects. A shape added to the slide master is added to
// every page PagesToMark names, so that every slide shows it; the copies share the shape's
// name and take every change made to it, its removal included. The pages are found once,
// when the object is made.
// PagesToMark, inside the office when the program's component is there (one call instead of
// a few for every shape of every slide).
std::vector<Reference<css::drawing::XShapes>> PagesToMarkOf(const std::shared_ptr<TOfficeDocument>& doc,
                                                           TPptPages& pptPages) {
  if (const auto stamper = doc->Process()->InOfficeStamper(); stamper.is()) {
    css::uno::Sequence<Reference<css::uno::XInterface>> found;
    in_office::Run(stamper, in_office::kImpressPagesToMark,
                   {{in_office::kModel, css::uno::Any(doc->Model())}}) >>= found;
    std::vector<Reference<css::drawing::XShapes>> pages;
    for (const auto& page : found) pages.emplace_back(page, UNO_QUERY_THROW);
    if (!pages.empty()) return pages;
  }
  return PagesToMark(*doc, pptPages);
}

DispatchPtr MakeSlideMaster(const std::shared_ptr<TOfficeDocument>& doc,
                            const std::shared_ptr<TPptPages>& pages) {
  const auto masters = PagesToMarkOf(doc, *pages);
  const auto page = masters.front();
  Reference<css::beans::XPropertySet> props(page, UNO_QUERY_THROW);
  auto guard = GuardOf(doc->Process());
  auto obj = std::make_shared<TGuardedObject>(guard);
  const RShapeHost host = PageHost(doc, pages, page);
  auto shapes = std::make_shared<TGuardedObject>(guard);
  shapes->Prop("Count", [page](const Args&) { return OleVariant(int(page->getCount())); });
  // Item(i): the i-th shape of the slide master, together with its named copies.
  shapes->Func("Item", [doc, pages, host, masters, page](const Args& a) {
    const Reference<css::drawing::XShape> shape =
        PageShapes(doc, page).At(ArgAt(a, 0).AsInt() - 1);
    DispatchPtr item = MakeShapeObject(host, shape);
    if (masters.size() < 2) return OleVariant(item);
    const std::string name = ShapeName(shape);
    if (name.empty()) return OleVariant(item);
    std::vector<DispatchPtr> all{item};
    for (std::size_t m = 1; m < masters.size(); ++m) {
      for (sal_Int32 i = 0, n = masters[m]->getCount(); i < n; ++i) {
        const Reference<css::drawing::XShape> copy = ShapeAt(*doc, masters[m], i);
        if (copy.is() && ShapeName(copy) == name) {
          all.push_back(MakeShapeObject(PageHost(doc, pages, masters[m]), copy));
          break;
        }
      }
    }
    return OleVariant(DispatchPtr(std::make_shared<TFanOut>(std::move(all))));
  });
  shapes->Func("AddTextEffect", [doc, pages, masters](const Args& a) {
    std::vector<DispatchPtr> all;
    for (const auto& master : masters) {
      auto collection = MakeShapesObject(MarkHost(doc, pages, master), [] {
        return std::vector<Reference<css::drawing::XShape>>();
      });
      all.push_back(collection->Call("AddTextEffect", a).AsDispatch());
    }
    if (all.size() == 1) return OleVariant(all.front());
    return OleVariant(DispatchPtr(std::make_shared<TFanOut>(std::move(all))));
  });
  obj->Prop("Shapes", [shapes](const Args&) { return OleVariant(DispatchPtr(shapes)); });
  // The size of the master page, read once: the slide size does not change here.
  auto size = std::make_shared<std::optional<std::pair<sal_Int32, sal_Int32>>>();
  auto pageSize = [props, size] {
    if (!size->has_value()) {
      sal_Int32 w = 0, h = 0;
      props->getPropertyValue(OUString("Width")) >>= w;
      props->getPropertyValue(OUString("Height")) >>= h;
      *size = std::pair{w, h};
    }
    return size->value();
  };
  obj->Prop("Width",
            [pageSize](const Args&) { return OleVariant(uno::HmmToPoints(pageSize().first)); });
  obj->Prop("Height",
            [pageSize](const Args&) { return OleVariant(uno::HmmToPoints(pageSize().second)); });
  // Neither the page's size nor its shapes object depends on shape properties still held.
  obj->WritesOnly({"Shapes", "Width", "Height"});
  return obj;
}

DispatchPtr MakePresentation(const std::shared_ptr<PptState>& s, const std::shared_ptr<PptDoc>& d) {
  auto guard = GuardOf(d->doc->Process());
  auto obj = std::make_shared<TGuardedObject>(guard);
  std::weak_ptr<PptState> weak = s;
  auto doc = d->doc;
  obj->Func("Save", [doc](const Args&) {
    doc->Save();
    return OleVariant();
  });
  obj->Func("SaveAs", [doc](const Args& a) {
    doc->SaveAs(ArgAt(a, 0).AsString());
    return OleVariant();
  });
  obj->Func("Close", [d, weak](const Args&) {
    d->doc->Close();
    if (auto st = weak.lock(); st && st->active == d) st->active.reset();
    return OleVariant();
  });
  obj->Prop("SlideMaster", [d](const Args&) {
    if (!d->slideMaster) d->slideMaster = MakeSlideMaster(d->doc, d->pages);
    return OleVariant(d->slideMaster);
  });
  // Which pages the slide master covers does not depend on shape properties still held.
  obj->WritesOnly({"SlideMaster"});
  auto slides = std::make_shared<TGuardedObject>(guard);
  auto pages = [doc] {
    Reference<css::drawing::XDrawPagesSupplier> supplier(doc->Model(), UNO_QUERY_THROW);
    return Reference<css::container::XIndexAccess>(supplier->getDrawPages(), UNO_QUERY_THROW);
  };
  slides->Prop("Count", [pages](const Args&) { return OleVariant(int(pages()->getCount())); });
  slides->Func("Item", [doc, d, pages, guard](const Args& a) {
    auto list = pages();
    const int index = ArgAt(a, 0).AsInt();
    if (index < 1 || index > list->getCount()) throw EOleError("Slides.Item: index out of range");
    Reference<css::drawing::XShapes> page(list->getByIndex(index - 1), UNO_QUERY_THROW);
    auto slide = std::make_shared<TGuardedObject>(guard);
    const RShapeHost host = PageHost(doc, d->pages, page);
    slide->Prop("Shapes", [host, page](const Args&) {
      return OleVariant(MakeShapesObject(host, PageShapes(host.Doc, page)));
    });
    return OleVariant(DispatchPtr(slide));
  });
  obj->Prop("Slides", [slides](const Args&) { return OleVariant(DispatchPtr(slides)); });
  auto options = std::make_shared<TGuardedObject>(guard);
  options->Prop(
      "PrintInBackground", [d](const Args&) { return OleVariant(d->printInBackground); },
      [d](const OleVariant& v) { d->printInBackground = v.AsBool(); });
  options->Prop(
      "ActivePrinter", [d](const Args&) { return OleVariant(d->printer); },
      [d](const OleVariant& v) { d->printer = v.AsString(); });
  obj->Prop("PrintOptions", [options](const Args&) { return OleVariant(DispatchPtr(options)); });
  // Printing always completes before PrintOut returns, in the background or not.
  obj->Func("PrintOut", [d, weak](const Args&) {
    auto st = weak.lock();
    if (!st) throw EOleError("PowerPoint has been quit");
    st->app->PrintDocument(*d->doc, d->printer);
    return OleVariant();
  });
  obj->Prop("Name", [doc](const Args&) { return OleVariant(doc->Name()); });
  obj->Prop("FullName", [doc](const Args&) { return OleVariant(doc->FullName()); });
  return obj;
}

}  // namespace

std::vector<Reference<css::drawing::XShapes>> PresentationPagesToMark(
    const std::shared_ptr<TOfficeDocument>& doc) {
  TPptPages pages(doc);
  return PagesToMark(*doc, pages);
}

DispatchPtr CreatePowerPointApplication() {
  auto s = std::make_shared<PptState>();
  s->app = std::make_shared<TOfficeApplication>("PowerPoint", false);
  auto app = std::make_shared<TGuardedObject>(s->app->Guard());
  app->Prop(
      "Visible", [s](const Args&) { return OleVariant(s->app->Visible()); },
      [s](const OleVariant& v) {
        s->app->SetVisible(v.AsBool(), s->active ? s->active->doc : nullptr);
      });
  app->Prop(
      "WindowState", [s](const Args&) { return OleVariant(s->windowState); },
      [s](const OleVariant& v) { s->windowState = v.AsInt(); });
  app->Prop("Name", [](const Args&) { return OleVariant("Microsoft PowerPoint"); });
  auto presentations = std::make_shared<TGuardedObject>(s->app->Guard());
  presentations->Func("Open", [s](const Args& a) {
    auto d = std::make_shared<PptDoc>();
    const std::string path = ArgAt(a, 0).AsString();
    d->doc = s->app->OpenDocument([&path](std::shared_ptr<TOfficeProcess> process) {
      return TOfficeDocument::Open(std::move(process), OfficeKind::Impress, path, true, true);
    });
    d->pages = std::make_shared<TPptPages>(d->doc);
    RestoreNames(*d->doc, d->pages);
    std::weak_ptr<TOfficeDocument> weakDoc = d->doc;
    // Only a .ppt needs the record; a PDF keeps no shapes to name.
    d->doc->SetStoreHook([weakDoc, pages = d->pages](const std::string& filter)
                             -> std::function<void()> {
      if (auto doc = weakDoc.lock(); doc && filter == kPptFilter) RecordNames(*doc, *pages);
      return {};
    });
    s->active = d;
    if (s->app->Visible()) s->app->SetVisible(true, d->doc);
    return OleVariant(MakePresentation(s, d));
  });
  app->Prop("Presentations",
            [presentations](const Args&) { return OleVariant(DispatchPtr(presentations)); });
  app->Prop("ActivePresentation",
            [s](const Args&) { return OleVariant(MakePresentation(s, Require(s))); });
  // The presentation object is made here, without a call into the office.
  app->WritesOnly({"ActivePresentation"});
  auto window = std::make_shared<TGuardedObject>(s->app->Guard());
  // The view type only matters to a window on screen; the document model is the same.
  window->Prop(
      "ViewType", [s](const Args&) { return OleVariant(s->viewType); },
      [s](const OleVariant& v) { s->viewType = v.AsInt(); });
  app->Prop("ActiveWindow", [window](const Args&) { return OleVariant(DispatchPtr(window)); });
  app->FuncUnguarded("Quit", [s](const Args&) {
    s->active.reset();
    s->app->Quit();
    return OleVariant();
  });
  return app;
}

}  // namespace stampwell
