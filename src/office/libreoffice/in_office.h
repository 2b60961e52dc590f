// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <utility>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <rtl/ustring.hxx>

// What the program and its component inside the office agree on: the component's service
// name, its tasks and the names of their arguments (css::task::XJob::execute; kTask names
// the task).
//
// kExcelStamp: the Excel engine's stamp of kModel (the workbook), kViewSheet being the sheet a
// view would show (-1 when the workbook has a view), with the mark's kText, kFont, kSize
// (decimal text), kColor (0x00BBGGRR), kTransparent, kOblique and kActiveSheetOnly. It
// answers the shapes it added, with the sheet each went on, as one sequence: sheet, shape,
// sheet, shape, ...
// kExcelBeforeStore: what a workbook needs before it is stored with kFilter, for kAdded (the
// text effects added through the program, as the stamp answers them); kExcelAfterStore puts
// back what that changed, right after the store.
// kImpressPagesToMark: the pages of the presentation kModel that a mark on its slide master
// must go on, the slide master first (PresentationPagesToMark), as a sequence of pages.
namespace stampwell::in_office {

inline constexpr const char* kService = "org.stampwell.InOfficeStamp";
inline constexpr const char* kTask = "Task";
inline constexpr const char* kExcelStamp = "ExcelStamp";
inline constexpr const char* kExcelBeforeStore = "ExcelBeforeStore";
inline constexpr const char* kExcelAfterStore = "ExcelAfterStore";
inline constexpr const char* kImpressPagesToMark = "ImpressPagesToMark";
inline constexpr const char* kAdded = "Added";
inline constexpr const char* kFilter = "Filter";
inline constexpr const char* kModel = "Model";
inline constexpr const char* kViewSheet = "ViewSheet";
inline constexpr const char* kText = "Text";
inline constexpr const char* kFont = "Font";
inline constexpr const char* kSize = "Size";
inline constexpr const char* kColor = "Color";
inline constexpr const char* kTransparent = "Transparent";
inline constexpr const char* kOblique = "Oblique";
inline constexpr const char* kActiveSheetOnly = "ActiveSheetOnly";

// Runs task in the component with the arguments given by name, and returns its answer.
inline css::uno::Any Run(const css::uno::Reference<css::task::XJob>& component, const char* task,
                         std::initializer_list<std::pair<const char*, css::uno::Any>> args) {
  css::uno::Sequence<css::beans::NamedValue> values(static_cast<sal_Int32>(args.size() + 1));
  auto* out = values.getArray();
  *out++ = css::beans::NamedValue(rtl::OUString::createFromAscii(kTask),
                                  css::uno::Any(rtl::OUString::createFromAscii(task)));
  for (const auto& [name, value] : args)
    *out++ = css::beans::NamedValue(rtl::OUString::createFromAscii(name), value);
  return component->execute(values);
}

}  // namespace stampwell::in_office
