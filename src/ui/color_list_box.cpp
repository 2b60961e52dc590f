// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/color_list_box.h"

#include "jobs/color_encoding.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace stampwell {
namespace {

constexpr TColor kSystem = clSystemColor;

QColor SystemColor(unsigned index) {
  const QPalette pal = QApplication::palette();
  switch (index) {
    case 0:
      return pal.color(QPalette::Button);
    case 1:
      return pal.color(QPalette::Dark);
    case 2:
      return pal.color(QPalette::Active, QPalette::Highlight);
    case 3:
      return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 4:
      return pal.color(QPalette::Window);
    case 5:
      return pal.color(QPalette::Base);
    case 6:
      return pal.color(QPalette::Shadow);
    case 7:
      return pal.color(QPalette::WindowText);
    case 8:
      return pal.color(QPalette::Text);
    case 9:
      return pal.color(QPalette::Active, QPalette::HighlightedText);
    case 10:
      return pal.color(QPalette::Mid);
    case 11:
      return pal.color(QPalette::Midlight);
    case 12:
      return pal.color(QPalette::Dark);
    case 13:
      return pal.color(QPalette::Highlight);
    case 14:
      return pal.color(QPalette::HighlightedText);
    case 15:
      return pal.color(QPalette::Button);
    case 16:
      return pal.color(QPalette::Mid);
    case 17:
      return pal.color(QPalette::Disabled, QPalette::Text);
    case 18:
      return pal.color(QPalette::ButtonText);
    case 19:
      return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20:
      return pal.color(QPalette::Light);
    case 21:
      return pal.color(QPalette::Shadow);
    case 22:
      return pal.color(QPalette::Midlight);
    case 23:
      return pal.color(QPalette::ToolTipText);
    case 24:
      return pal.color(QPalette::ToolTipBase);
    case 26:
      return pal.color(QPalette::Link);
    case 27:
      return pal.color(QPalette::Active, QPalette::Highlight).lighter(130);
    case 28:
      return pal.color(QPalette::Inactive, QPalette::Highlight).lighter(130);
    case 29:
      return pal.color(QPalette::Highlight);
    case 30:
      return pal.color(QPalette::Window);
    default:
      return pal.color(QPalette::Window);
  }
}

QIcon Swatch(TColor value) {
  QPixmap pix(16, 12);
  pix.fill(TColorListBox::ToQColor(value));
  QPainter painter(&pix);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 15, 11);
  return QIcon(pix);
}

}  // namespace

QString TColorListBox::ReadableName(const QString& storedName) {
  QString name = storedName.startsWith(QLatin1String("cl")) ? storedName.mid(2) : storedName;
  // Words of the stored name, split before each capital: "BtnFace" -> "Btn Face".
  QStringList words;
  QString word;
  for (QChar c : name) {
    if (c.isUpper() && !word.isEmpty() && !word.back().isDigit()) {
      words << word;
      word.clear();
    }
    word += c;
  }
  if (!word.isEmpty()) words << word;
  static const QHash<QString, QString> spelled{
      {QStringLiteral("Btn"), QStringLiteral("Button")},
      {QStringLiteral("Med"), QStringLiteral("Medium")},
      {QStringLiteral("Bk"), QStringLiteral("Background")},
      {QStringLiteral("Dk"), QStringLiteral("Dark")},
      {QStringLiteral("3D"), QStringLiteral("3D")},
      {QStringLiteral("Info"), QStringLiteral("Tooltip")},
      {QStringLiteral("App"), QStringLiteral("Application")},
      {QStringLiteral("Work"), QStringLiteral("Work")}};
  QStringList out;
  for (int i = 0; i < words.size(); ++i) {
    QString w = spelled.value(words[i], words[i]);
    if (i > 0 && !w.startsWith(QLatin1String("3D"))) w = w.toLower();
    out << w;
  }
  return out.join(QLatin1Char(' '));
}

TColor TColorListBox::FromQColor(const QColor& color) {
  return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}

QColor TColorListBox::ToQColor(TColor value) {
  if ((value & 0xFF000000u) == kSystem) return SystemColor(value & 0xFFu);
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

TColorListBox::TColorListBox(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(16, 12));
  // Every named colour but "none" and "default", which the list does not offer.
  for (const NamedColor& c : NamedColors()) {
    if (c.value == clNone || c.value == clDefault) continue;
    const QString stored = QString::fromLatin1(c.name);
    QString shown = ReadableName(stored);
    if ((c.value & 0xFF000000u) == kSystem) shown = tr("Desktop: %1").arg(shown.toLower());
    addItem(Swatch(c.value), shown, QVariant::fromValue<uint>(c.value));
    setItemData(count() - 1, stored, Qt::ToolTipRole);
  }
  namedCount_ = count();
  SetSelected(0x808080);
}

TColor TColorListBox::Selected() const {
  if (currentIndex() < 0) return 0;
  return currentData().value<uint>();
}

void TColorListBox::SetSelected(TColor value) {
  for (int i = 0; i < namedCount_; ++i) {
    if (itemData(i).value<uint>() == value) {
      // The extra entry only ever stands for the colour last shown.
      while (count() > namedCount_) removeItem(count() - 1);
      setCurrentIndex(i);
      return;
    }
  }
  const QColor shown = ToQColor(value);
  const QString name = (value & 0xFF000000u) == 0
                           ? tr("Custom %1").arg(shown.name(QColor::HexRgb).toUpper())
                           : QStringLiteral("$%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
  if (count() > namedCount_) {
    setItemText(namedCount_, name);
    setItemIcon(namedCount_, Swatch(value));
    setItemData(namedCount_, QVariant::fromValue<uint>(value));
  } else {
    addItem(Swatch(value), name, QVariant::fromValue<uint>(value));
  }
  setItemData(namedCount_, QString::fromStdString(ColorToString(value)), Qt::ToolTipRole);
  setCurrentIndex(namedCount_);
}

}  // namespace stampwell
