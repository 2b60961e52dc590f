// SPDX-License-Identifier: GPL-3.0-or-later
// The program's component inside the office: an engine's stamp run where the document is.
//
// Over the bridge every call on an office object is a round trip between two processes
// (0.15 ms here), and an Excel stamp of a three-sheet workbook makes some two hundred of them.
// Loaded into the office, the same engine code over the same servers makes them as plain
// calls. The office loads this library when the program hands it the registration file
// (TOfficeProcess::InOfficeStamper); the program's call into it is bounded by the call limit
// like any other, so a stamp that hangs here ends the office process, not the program.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cppuhelper/factory.hxx>
#include <cppuhelper/implbase2.hxx>
#include <cppuhelper/implementationentry.hxx>
#include <cppuhelper/supportsservice.hxx>

#include "office/libreoffice/excel_server.h"
#include "office/libreoffice/in_office.h"
#include "office/libreoffice/office_document.h"
#include "office/libreoffice/office_process.h"
#include "office/libreoffice/powerpoint_server.h"
#include "office/libreoffice/uno_convert.h"
#include "office/xls_water_mark.h"

namespace stampwell {
namespace {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;

// The job's arguments by name; a missing one reads as its default.
class TJobArgs {
 public:
  explicit TJobArgs(const Sequence<css::beans::NamedValue>& args) : args_(args) {}

  template <class T>
  T Get(const char* name, T fallback = T()) const {
    for (const auto& a : args_)
      if (a.Name.equalsAscii(name)) {
        T value = fallback;
        a.Value >>= value;
        return value;
      }
    return fallback;
  }
  std::string Text(const char* name) const { return uno::ToStd(Get<OUString>(name)); }

 private:
  const Sequence<css::beans::NamedValue>& args_;
};

// The model a task works on; it fails without one.
Reference<css::frame::XModel> RequireModel(const TJobArgs& args) {
  const auto model = args.Get<Reference<css::frame::XModel>>(in_office::kModel);
  if (!model.is()) throw css::lang::IllegalArgumentException(OUString("No document given"), {}, 0);
  return model;
}

Any StampWorkbook(const Reference<css::uno::XComponentContext>& context, const TJobArgs& args) {
  const RExcelHere here =
      ExcelObjectsHere(context, RequireModel(args), args.Get<sal_Int32>(in_office::kViewSheet, -1));
  TXlsWaterMark engine;
  engine.StampInOffice = false;  // this is the office
  engine.DocSettings.DocWaterMarkStr = args.Text(in_office::kText);
  engine.DocSettings.DocFontName = args.Text(in_office::kFont);
  engine.DocSettings.DocWatermarkSize = args.Text(in_office::kSize);
  engine.DocSettings.DocWatermarkColor =
      static_cast<TColor>(args.Get<sal_Int64>(in_office::kColor));
  engine.DocSettings.Transparent = args.Get<bool>(in_office::kTransparent);
  engine.DocSettings.HX = args.Get<bool>(in_office::kOblique);
  engine.ActiveSheetOnly = args.Get<bool>(in_office::kActiveSheetOnly);
  engine.UseWorkbook(OleVariant(here.App), OleVariant(here.Workbook));
  engine.AddWaterMark();
  // The last mark's writes are held for a call that would send them: none follows here.
  here.Process->SendHeldWrites();
  return Any(AddedAsSequence(*here.Added));
}

// One component per office process, and the program stores one document at a time in it:
// what a store changed is kept here until the program's call after the store.
class TInOfficeStamp : public cppu::WeakImplHelper2<css::task::XJob, css::lang::XServiceInfo> {
 public:
  explicit TInOfficeStamp(Reference<css::uno::XComponentContext> context)
      : context_(std::move(context)) {}

  Any SAL_CALL execute(const Sequence<css::beans::NamedValue>& arguments) override {
    const TJobArgs args(arguments);
    const std::string task = args.Text(in_office::kTask);
    try {
      if (task == in_office::kExcelStamp) return StampWorkbook(context_, args);
      if (task == in_office::kExcelBeforeStore) {
        const auto doc = TOfficeDocument::Adopt(TOfficeProcess::Here(context_), OfficeKind::Calc,
                                                RequireModel(args));
        auto restore = PrepareWorkbookStore(
            *doc,
            AddedFromSequence(args.Get<Sequence<Reference<css::uno::XInterface>>>(in_office::kAdded)),
            args.Text(in_office::kFilter));
        std::lock_guard<std::mutex> lock(mutex_);
        afterStore_ = std::move(restore);
        return Any();
      }
      if (task == in_office::kImpressPagesToMark) {
        const auto pages = PresentationPagesToMark(TOfficeDocument::Adopt(
            TOfficeProcess::Here(context_), OfficeKind::Impress, RequireModel(args)));
        Sequence<Reference<css::uno::XInterface>> list(static_cast<sal_Int32>(pages.size()));
        std::copy(pages.begin(), pages.end(), list.getArray());
        return Any(list);
      }
      if (task == in_office::kExcelAfterStore) {
        std::function<void()> restore;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          restore.swap(afterStore_);
        }
        if (restore) restore();
        return Any();
      }
    } catch (const css::uno::Exception&) {
      throw;
    } catch (const std::exception& e) {
      // The program reads the message as the office's answer to its call.
      throw css::uno::RuntimeException(uno::ToOU(e.what()));
    } catch (...) {
      throw css::uno::RuntimeException(OUString("The stamp failed inside the office"));
    }
    throw css::lang::IllegalArgumentException(uno::ToOU("No such task: " + task), {}, 0);
  }

  OUString SAL_CALL getImplementationName() override { return ImplementationName(); }
  sal_Bool SAL_CALL supportsService(const OUString& name) override {
    return cppu::supportsService(this, name);
  }
  Sequence<OUString> SAL_CALL getSupportedServiceNames() override { return ServiceNames(); }

  static OUString ImplementationName() { return OUString::createFromAscii(in_office::kService); }
  static Sequence<OUString> ServiceNames() {
    const OUString name = ImplementationName();
    return Sequence<OUString>(&name, 1);
  }

 private:
  Reference<css::uno::XComponentContext> context_;
  std::mutex mutex_;
  std::function<void()> afterStore_;
};

Reference<css::uno::XInterface> SAL_CALL Create(
    const Reference<css::uno::XComponentContext>& context) {
  return static_cast<cppu::OWeakObject*>(new TInOfficeStamp(context));
}

const cppu::ImplementationEntry kEntries[] = {
    {Create, TInOfficeStamp::ImplementationName, TInOfficeStamp::ServiceNames,
     cppu::createSingleComponentFactory, nullptr, 0},
    {nullptr, nullptr, nullptr, nullptr, nullptr, 0}};

}  // namespace
}  // namespace stampwell

extern "C" SAL_DLLPUBLIC_EXPORT void* component_getFactory(const char* implementation,
                                                           void* serviceManager, void* registry) {
  return cppu::component_getFactoryHelper(implementation, serviceManager, registry,
                                          stampwell::kEntries);
}
