// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

}  // namespace stampwell::in_office
