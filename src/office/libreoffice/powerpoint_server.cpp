#include "office/libreoffice/powerpoint_server.h"

#include <sstream>

#include <com/sun/star/beans/PropertyAttribute.hpp>
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

// LibreOffice writes no shape names into .ppt files; they go through a document property.
constexpr const char* kPptFilter = "MS PowerPoint 97";

struct PptDoc {
  std::shared_ptr<TOfficeDocument> doc;
  bool printInBackground = true;
  std::string printer;
};

struct PptState {
  std::shared_ptr<TOfficeApplication> app;
  std::shared_ptr<PptDoc> active;
  int windowState = 1;
  int viewType = 1;
};

OleVariant Nothing() { return OleVariant(); }

Reference<css::container::XIndexAccess> Masters(const TOfficeDocument& doc) {
  Reference<css::drawing::XMasterPagesSupplier> supplier(doc.Model(), UNO_QUERY_THROW);
  return Reference<css::container::XIndexAccess>(supplier->getMasterPages(), UNO_QUERY_THROW);
}

Reference<css::drawing::XShapes> Master(const TOfficeDocument& doc, sal_Int32 index) {
  return Reference<css::drawing::XShapes>(Masters(doc)->getByIndex(index), UNO_QUERY_THROW);
}

// Every master page, keyed by its index.
std::vector<RShapePlace> MasterPlaces(const TOfficeDocument& doc) {
  std::vector<RShapePlace> places;
  auto masters = Masters(doc);
  for (sal_Int32 m = 0, nm = masters->getCount(); m < nm; ++m) {
    auto page = Master(doc, m);
    RShapePlace place{std::to_string(m), {}};
    for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i)
      place.Shapes.emplace_back(page->getByIndex(i), UNO_QUERY);
    places.push_back(std::move(place));
  }
  return places;
}

// Before a store in .ppt: write down the names of the shapes on the masters.
void RecordNames(const TOfficeDocument& doc, const std::string& filter) {
  if (filter == kPptFilter) RecordShapeNames(doc, MasterPlaces(doc));
}

// After loading a .ppt: give back the recorded names to shapes that came back without one.
void RestoreNames(const TOfficeDocument& doc) {
  if (doc.FilterName() == kPptFilter) RestoreShapeNames(doc, MasterPlaces(doc));
}

std::shared_ptr<PptDoc> Require(const std::shared_ptr<PptState>& s) {
  if (!s->active || s->active->doc->IsClosed()) throw EOleError("No presentation is open.");
  if (s->active->doc->Process() != s->app->Process())
    throw EOleError("The presentation was lost when its office process ended");
  return s->active;
}

// The presentation's slide master: the master page its first slide shows (the first master
// page when it has no slide). LibreOffice reads an Office Open XML presentation with one
// master page per layout and in an order that changes from one save to the next, so the
// first master page is often one that no slide shows, and a mark found there one time is
// looked for on another master page the next.
Reference<css::drawing::XShapes> SlideMasterPage(const TOfficeDocument& doc) {
  Reference<css::drawing::XDrawPagesSupplier> supplier(doc.Model(), UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> slides(supplier->getDrawPages(), UNO_QUERY_THROW);
  if (slides->getCount() > 0) {
    Reference<css::drawing::XMasterPageTarget> first(slides->getByIndex(0), UNO_QUERY);
    if (first.is() && first->getMasterPage().is())
      return Reference<css::drawing::XShapes>(first->getMasterPage(), UNO_QUERY_THROW);
  }
  return Master(doc, 0);
}

DispatchPtr MakeSlideMaster(const std::shared_ptr<TOfficeDocument>& doc) {
  auto page = SlideMasterPage(*doc);
  Reference<css::beans::XPropertySet> props(page, UNO_QUERY_THROW);
  RShapeHost host{doc, page, {}};
  auto obj = std::make_shared<TGuardedObject>(GuardOf(doc->Process()));
  obj->Prop("Shapes", [host, page](const Args&) {
    return OleVariant(MakeShapesObject(host, [page] {
      std::vector<Reference<css::drawing::XShape>> shapes;
      for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i)
        shapes.emplace_back(page->getByIndex(i), UNO_QUERY);
      return shapes;
    }));
  });
  obj->Prop("Width", [props](const Args&) {
    sal_Int32 w = 0;
    props->getPropertyValue(OUString("Width")) >>= w;
    return OleVariant(uno::HmmToPoints(w));
  });
  obj->Prop("Height", [props](const Args&) {
    sal_Int32 h = 0;
    props->getPropertyValue(OUString("Height")) >>= h;
    return OleVariant(uno::HmmToPoints(h));
  });
  return obj;
}

DispatchPtr MakePresentation(const std::shared_ptr<PptState>& s, const std::shared_ptr<PptDoc>& d) {
  auto guard = GuardOf(d->doc->Process());
  auto obj = std::make_shared<TGuardedObject>(guard);
  std::weak_ptr<PptState> weak = s;
  auto doc = d->doc;
  obj->Func("Save", [doc](const Args&) {
    doc->Save();
    return Nothing();
  });
  obj->Func("SaveAs", [doc](const Args& a) {
    doc->SaveAs(ArgAt(a, 0).AsString());
    return Nothing();
  });
  obj->Func("Close", [d, weak](const Args&) {
    d->doc->Close();
    if (auto st = weak.lock(); st && st->active == d) st->active.reset();
    return Nothing();
  });
  obj->Prop("SlideMaster", [doc](const Args&) { return OleVariant(MakeSlideMaster(doc)); });
  auto slides = std::make_shared<TGuardedObject>(guard);
  auto pages = [doc] {
    Reference<css::drawing::XDrawPagesSupplier> supplier(doc->Model(), UNO_QUERY_THROW);
    return Reference<css::container::XIndexAccess>(supplier->getDrawPages(), UNO_QUERY_THROW);
  };
  slides->Prop("Count", [pages](const Args&) { return OleVariant(int(pages()->getCount())); });
  slides->Func("Item", [doc, pages, guard](const Args& a) {
    auto list = pages();
    const int index = ArgAt(a, 0).AsInt();
    if (index < 1 || index > list->getCount()) throw EOleError("Slides.Item: index out of range");
    Reference<css::drawing::XShapes> page(list->getByIndex(index - 1), UNO_QUERY_THROW);
    auto slide = std::make_shared<TGuardedObject>(guard);
    RShapeHost host{doc, page, {}};
    slide->Prop("Shapes", [host, page](const Args&) {
      return OleVariant(MakeShapesObject(host, [page] {
        std::vector<Reference<css::drawing::XShape>> shapes;
        for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i)
          shapes.emplace_back(page->getByIndex(i), UNO_QUERY);
        return shapes;
      }));
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
    return Nothing();
  });
  obj->Prop("Name", [doc](const Args&) { return OleVariant(doc->Name()); });
  obj->Prop("FullName", [doc](const Args&) { return OleVariant(doc->FullName()); });
  return obj;
}

}  // namespace

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
    RestoreNames(*d->doc);
    std::weak_ptr<TOfficeDocument> weakDoc = d->doc;
    d->doc->SetBeforeStore([weakDoc](const std::string& filter) {
      if (auto doc = weakDoc.lock()) RecordNames(*doc, filter);
    });
    s->active = d;
    if (s->app->Visible()) s->app->SetVisible(true, d->doc);
    return OleVariant(MakePresentation(s, d));
  });
  app->Prop("Presentations",
            [presentations](const Args&) { return OleVariant(DispatchPtr(presentations)); });
  app->Prop("ActivePresentation",
            [s](const Args&) { return OleVariant(MakePresentation(s, Require(s))); });
  auto window = std::make_shared<TGuardedObject>(s->app->Guard());
  // The view type only matters to a window on screen; the document model is the same.
  window->Prop(
      "ViewType", [s](const Args&) { return OleVariant(s->viewType); },
      [s](const OleVariant& v) { s->viewType = v.AsInt(); });
  app->Prop("ActiveWindow", [window](const Args&) { return OleVariant(DispatchPtr(window)); });
  app->FuncUnguarded("Quit", [s](const Args&) {
    s->active.reset();
    s->app->Quit();
    return Nothing();
  });
  return app;
}

}  // namespace stampwell
