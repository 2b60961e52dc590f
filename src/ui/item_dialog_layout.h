// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace stampwell {

// The controls both entry dialogs share, built and placed in one way: two path rows with
// browse buttons, a comments row, a note and the OK / Cancel buttons, in a fixed client area.
struct TItemDialogLayout {
  QLabel* sourceLabel;
  QLineEdit* source;
  QPushButton* btnSource;
  QLabel* destLabel;
  QLineEdit* dest;
  QPushButton* btnDest;
  QLabel* commentsLabel;
  QLineEdit* comments;
  QLabel* note;
  QPushButton* btnOK;
  QPushButton* btnCancel;

  static TItemDialogLayout Build(QDialog* dialog, int width, int height,
                                 const QString& sourceCaption, const QString& sourceName,
                                 const QString& destCaption, const QString& destName,
                                 const QString& noteText);
};

}  // namespace stampwell
