// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui_test_support.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QTest>

namespace stampwell::test {

std::vector<TscFontFace> FakeFonts() {
  std::vector<TscFontFace> faces;
  // Deliberately unsorted, with mixed case, so that the picker's own sort shows.
  for (const char* name : {"FaceK", "faceB", "FaceA", "FaceN", "FaceC", "FaceD", "FaceE", "FaceM",
                           "FaceF", "FaceG", "FaceH", "FaceI", "FaceJ", "FaceL"}) {
    faces.push_back({QString::fromLatin1(name), ftTrueTypeAnsi});
  }
  faces.push_back({QStringLiteral("SymbolFace"), ftTrueTypeSymbol});
  faces.push_back({QStringLiteral("RasterFace"), ftRaster});
  faces.push_back({QStringLiteral("@VerticalFace"), ftTrueTypeAnsi});
  faces.push_back({QStringLiteral("OtherCharset"), std::nullopt});
  return faces;
}

void TakeFromList(TscFontComboBox* picker, int row) {
  picker->showPopup();
  QAbstractItemView* view = picker->view();
  view->setCurrentIndex(picker->model()->index(row, 0));
  QTest::keyClick(view, Qt::Key_Return);
  QCoreApplication::processEvents();
}

}  // namespace stampwell::test
