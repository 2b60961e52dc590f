// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/item_dialog_layout.h"

#include <QCoreApplication>

#include "ui/ui_fonts.h"

namespace stampwell {

TItemDialogLayout TItemDialogLayout::Build(QDialog* dialog, int width, int height,
                                           const QString& sourceCaption, const QString& sourceName,
                                           const QString& destCaption, const QString& destName,
                                           const QString& noteText) {
  dialog->setFont(DesktopFont());
  dialog->setFixedSize(width, height);
  dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto makeLabel = [&](const QString& text, const char* name) {
    auto* label = new QLabel(text, dialog);
    label->setObjectName(QString::fromLatin1(name));
    label->adjustSize();
    return label;
  };
  auto makeEdit = [&](const QString& name) {
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(name);
    return edit;
  };
  auto makeButton = [&](const QString& text, const char* name) {
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
  };

  TItemDialogLayout l;
  l.sourceLabel = makeLabel(sourceCaption, "Label1");
  l.source = makeEdit(sourceName);
  l.btnSource = makeButton(QStringLiteral("..."), "btnSource");
  l.destLabel = makeLabel(destCaption, "Label2");
  l.dest = makeEdit(destName);
  l.btnDest = makeButton(QStringLiteral("..."), "btnDest");
  l.commentsLabel = makeLabel(
      QCoreApplication::translate("stampwell::TItemDialogLayout", "&Comments:"), "Label3");
  l.comments = makeEdit(QStringLiteral("sComments"));
  l.note = makeLabel(noteText, "Label4");
  l.btnOK = makeButton(QCoreApplication::translate("stampwell::TItemDialogLayout", "&OK"), "btnOK");
  l.btnOK->setDefault(true);
  l.btnCancel = makeButton(QCoreApplication::translate("stampwell::TItemDialogLayout", "&Cancel"),
                           "btnCancel");

  // The edits start after the widest caption, so no caption is ever cut.
  const int margin = 12;
  const int captionWidth =
      std::max({l.sourceLabel->width(), l.destLabel->width(), l.commentsLabel->width()});
  const int editLeft = margin + captionWidth + 8;
  const int browseWidth = 25;
  const int editWidth = width - editLeft - margin - browseWidth - 6;
  const int rowHeight = 21;
  int y = 12;
  for (auto [label, edit, browse] : {std::tuple{l.sourceLabel, l.source, l.btnSource},
                                     std::tuple{l.destLabel, l.dest, l.btnDest}}) {
    label->move(margin, y + (rowHeight - label->height()) / 2);
    edit->setGeometry(editLeft, y, editWidth, rowHeight);
    browse->setGeometry(editLeft + editWidth + 6, y, browseWidth, rowHeight);
    label->setBuddy(edit);
    y += 31;
  }
  l.commentsLabel->move(margin, y + (rowHeight - l.commentsLabel->height()) / 2);
  l.comments->setGeometry(editLeft, y, width - editLeft - margin, rowHeight);
  l.commentsLabel->setBuddy(l.comments);
  y += 29;

  const int buttonTop = height - 25 - 10;
  l.note->setWordWrap(true);
  l.note->setGeometry(margin, y, width - 2 * margin, buttonTop - y - 4);
  l.note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  l.btnCancel->setGeometry(width - margin - 75, buttonTop, 75, 25);
  l.btnOK->setGeometry(width - margin - 75 - 8 - 75, buttonTop, 75, 25);

  QWidget::setTabOrder(l.source, l.btnSource);
  QWidget::setTabOrder(l.btnSource, l.dest);
  QWidget::setTabOrder(l.dest, l.btnDest);
  QWidget::setTabOrder(l.btnDest, l.btnOK);
  QWidget::setTabOrder(l.btnOK, l.btnCancel);
  QWidget::setTabOrder(l.btnCancel, l.comments);
  return l;
}

}  // namespace stampwell
