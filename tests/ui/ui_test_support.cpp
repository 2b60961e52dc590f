// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui_test_support.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

namespace {

bool IsControl(QWidget* w) {
  return qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
         qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QGroupBox*>(w);
}

}  // namespace

QStringList LayoutProblems(QWidget* root) {
  QStringList problems;
  const QList<QWidget*> all = root->findChildren<QWidget*>();
  for (QWidget* w : all) {
    if (!w->isVisibleTo(root) || !IsControl(w) || w->objectName().startsWith("qt_")) continue;
    const QString name = w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
    if (!w->parentWidget()->rect().contains(w->geometry())) {
      problems << name + QStringLiteral(" lies outside its parent");
    }
    // Inside a group box, below its caption and within its frame.
    if (auto* group = qobject_cast<QGroupBox*>(w->parentWidget());
        group && !group->contentsRect().contains(w->geometry())) {
      problems << name + QStringLiteral(" crosses the frame of ") + group->objectName();
    }
    // Push buttons have a style minimum wider than their text; what matters is the text.
    int needed = 0;
    if (auto* push = qobject_cast<QPushButton*>(w)) {
      needed = push->fontMetrics().horizontalAdvance(QString(push->text()).remove('&')) + 6;
    } else if (qobject_cast<QAbstractButton*>(w) ||
               (qobject_cast<QLabel*>(w) && !static_cast<QLabel*>(w)->wordWrap())) {
      needed = w->sizeHint().width();
    }
    if (w->width() < needed) {
      problems << QStringLiteral("%1 is clipped (%2 < %3)").arg(name).arg(w->width()).arg(needed);
    }
    if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap()) {
      if (label->heightForWidth(label->width()) > label->height()) {
        problems << name + QStringLiteral(" wraps beyond its height");
      }
    }
    for (QWidget* other : all) {
      if (other == w || other->parentWidget() != w->parentWidget() || !IsControl(other) ||
          !other->isVisibleTo(root) || other < w) {
        continue;
      }
      if (w->geometry().intersects(other->geometry())) {
        problems << name + QStringLiteral(" overlaps ") + other->objectName();
      }
    }
  }
  return problems;
}

}  // namespace stampwell::test
