// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sc_font_combo_box.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QPainter>
#include <QScreen>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>

#include <fontconfig/fontconfig.h>

#include "ui/form_example_font.h"

static void InitUiResources() { Q_INIT_RESOURCE(ui_resources); }

namespace stampwell {
namespace {

constexpr int kItemHeight = 18;

// Hands the drawing of the open list's entries to the picker.
class FontItemDelegate : public QStyledItemDelegate {
 public:
  explicit FontItemDelegate(TscFontComboBox* combo) : QStyledItemDelegate(combo), combo_(combo) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter->save();
    combo_->DrawItem(*painter, index.row(), option.rect,
                     option.state.testFlag(QStyle::State_Selected), true);
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), kItemHeight);
  }

 private:
  TscFontComboBox* combo_;
};

// A type image, drawn transparently: its bottom-left pixel's colour does not paint.
QPixmap LoadTypeImage(const QString& name) {
  const QImage image(QStringLiteral(":/") + name);
  QPixmap pixmap = QPixmap::fromImage(image);
  if (!image.isNull()) {
    pixmap.setMask(pixmap.createMaskFromColor(QColor(image.pixel(0, image.height() - 1))));
  }
  return pixmap;
}

QString MarkOf(TscFontType kind) {
  switch (kind) {
    case ftTrueTypeAnsi:
      return QStringLiteral("TA");
    case ftTrueTypeSymbol:
      return QStringLiteral("TS");
    case ftRaster:
      return QStringLiteral("R");
  }
  return QString();
}

// Splits "Face=Mark"; the mark never holds "=", the face might.
std::pair<QString, QString> SplitEntry(const QString& entry) {
  const int eq = entry.lastIndexOf('=');
  if (eq < 0) return {entry, QString()};
  return {entry.left(eq), entry.mid(eq + 1)};
}

}  // namespace

TscFontComboBox::TscFontComboBox(QWidget* parent) : QComboBox(parent) {
  InitUiResources();
  setObjectName(QStringLiteral("scFontComboBox"));
  QFont f = font();
  f.setPointSize(10);
  setFont(f);
  resize(200, height());
  setMaxVisibleItems(12);
  setItemDelegate(new FontItemDelegate(this));

  preview_ = std::make_unique<TFormExampleFont>();
  preview_->resize(previewWidth_, previewHeight_);
  preview_->hide();

  imageAnsi_ = LoadTypeImage(QStringLiteral("FONTTRUETYPEANSI"));
  imageSymbol_ = LoadTypeImage(QStringLiteral("FONTTRUETYPESYMBOL"));
  imageRaster_ = LoadTypeImage(QStringLiteral("FONTRASTER"));

  connect(this, &QComboBox::currentIndexChanged, this, &TscFontComboBox::Click);
  connect(this, &QComboBox::highlighted, this, &TscFontComboBox::UpdatePreview);
}

TscFontComboBox::~TscFontComboBox() = default;

QStringList TscFontComboBox::FamilyNames(const QStringList& qtFamilies) {
  QStringList names;
  for (const QString& family : qtFamilies) {
    QString name = family;
    // Qt names a family that several foundries supply as "Family [Foundry]".
    const int bracket = name.lastIndexOf(QStringLiteral(" ["));
    if (bracket > 0 && name.endsWith(']')) name.truncate(bracket);
    if (!names.contains(name)) names << name;
  }
  return names;
}

std::vector<TscFontFace> TscFontComboBox::SystemFonts() {
  std::vector<TscFontFace> faces;
  const QStringList all = QFontDatabase::families();
  QStringList visible;
  for (const QString& family : all)
    if (!QFontDatabase::isPrivateFamily(family)) visible << family;
  for (const QString& name : FamilyNames(visible)) {
    // The kind of the family is that of the first foundry Qt lists for it.
    QString family = name;
    for (const QString& f : visible) {
      if (f == name || f.startsWith(name + QStringLiteral(" ["))) {
        family = f;
        break;
      }
    }
    TscFontFace face{name, std::nullopt};
    if (QFontDatabase::isSmoothlyScalable(family)) {
      const auto systems = QFontDatabase::writingSystems(family);
      if (systems.contains(QFontDatabase::Symbol)) {
        face.kind = ftTrueTypeSymbol;
      } else if (systems.contains(QFontDatabase::Latin)) {
        face.kind = ftTrueTypeAnsi;
      }
    } else if (QFontDatabase::isBitmapScalable(family) || !QFontDatabase::isScalable(family)) {
      face.kind = ftRaster;
    }
    faces.push_back(std::move(face));
  }
  return faces;
}

QString TscFontComboBox::MatchFamily(const QString& name) {
  if (!FcInit()) return QString();
  const QByteArray utf8 = name.toUtf8();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  QString family;
  FcChar8* value = nullptr;
  if (match && FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch)
    family = QString::fromUtf8(reinterpret_cast<const char*>(value));
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return family;
}

void TscFontComboBox::SetFontEnumerator(FontEnumerator enumerator) {
  enumerator_ = std::move(enumerator);
}

void TscFontComboBox::LoadFonts() {
  updating_ = true;
  usedCount_ = 0;
  clear();
  const std::vector<TscFontFace> faces = enumerator_ ? enumerator_() : SystemFonts();
  QStringList entries;
  for (const TscFontFace& face : faces) {
    if (face.name.startsWith('@') || !face.kind) continue;
    if ((FontTypes & *face.kind) == 0) continue;
    entries << face.name + '=' + MarkOf(*face.kind);
  }
  std::stable_sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  addItems(entries);
  setCurrentIndex(-1);
  updating_ = false;
}

QStringList TscFontComboBox::Entries() const {
  QStringList out;
  for (int i = 0; i < count(); ++i) out << itemText(i);
  return out;
}

void TscFontComboBox::SelectQuietly(int index) {
  const bool was = updating_;
  updating_ = true;
  setCurrentIndex(index);
  updating_ = was;
}

void TscFontComboBox::SetFontName(const QString& name) {
  if (count() == 0) return;
  if (name.isEmpty()) {
    SelectQuietly(0);
    UseSelectedFont();
    return;
  }
  // The whole face must match: "Sans" must not take "DejaVu Sans".
  const QString prefix = name + '=';
  for (int i = 0; i < count(); ++i) {
    if (itemText(i).startsWith(prefix)) {
      SelectQuietly(i);
      UseSelectedFont();
      return;
    }
  }
}

void TscFontComboBox::UseSelectedFont() {
  const int index = currentIndex();
  if (index < 0) return;
  const QString entry = itemText(index);
  fontName_ = SplitEntry(entry).first;
  listDropped_ = false;
  if (MoveUsedToTop && index != 0) {
    const bool was = updating_;
    updating_ = true;
    int found = -1;
    for (int i = 0; i < usedCount_; ++i) {
      if (itemText(i) == entry) {
        found = i;
        break;
      }
    }
    if (found >= 0) {
      removeItem(found);
      insertItem(0, entry);
    } else {
      insertItem(0, entry);
      ++usedCount_;
    }
    if (MaxUsed != 0 && usedCount_ > MaxUsed) {
      removeItem(MaxUsed);
      --usedCount_;
    }
    setCurrentIndex(0);
    updating_ = was;
  }
  update();
}

QPoint TscFontComboBox::PreviewPosition(const QRect& pickerGlobal, const QSize& preview,
                                        const QRect& screen) {
  int x = pickerGlobal.x() + pickerGlobal.width();
  int y = pickerGlobal.y() + pickerGlobal.height();
  if (x + preview.width() > screen.x() + screen.width()) x = pickerGlobal.x() - preview.width();
  if (y + preview.height() > screen.y() + screen.height()) y = pickerGlobal.y() - preview.height();
  return QPoint(x, y);
}

void TscFontComboBox::showPopup() {
  listDropped_ = true;
  emit dropDown();
  QComboBox::showPopup();
  if (ShowPreview) {
    const QRect picker(mapToGlobal(QPoint(0, 0)), size());
    QScreen* scr = screen();
    const QRect screenRect = scr ? scr->geometry() : QRect(0, 0, 1 << 20, 1 << 20);
    preview_->move(PreviewPosition(picker, preview_->size(), screenRect));
    UpdatePreview(currentIndex() >= 0 ? currentIndex() : 0);
    preview_->show();
  }
}

void TscFontComboBox::hidePopup() {
  QComboBox::hidePopup();
  preview_->hide();
  if (!listDropped_) return;
  // The list's own selection handling runs after this returns; the font is taken once it
  // has settled, so that the entry the user picked is the one selected.
  QMetaObject::invokeMethod(this, &TscFontComboBox::CloseUp, Qt::QueuedConnection);
}

void TscFontComboBox::CloseUp() {
  if (!listDropped_) return;
  setFocus();
  preview_->hide();
  UseSelectedFont();
  emit clicked();
}

void TscFontComboBox::Click(int index) {
  if (updating_ || listDropped_ || index < 0) return;
  fontName_ = SplitEntry(itemText(index)).first;
  emit clicked();
}

QString TscFontComboBox::SampleText() const {
  return previewText_.trimmed().isEmpty() ? QStringLiteral("AaBbYyZz") : previewText_;
}

void TscFontComboBox::UpdatePreview(int index) {
  if (!ShowPreview || index < 0 || index >= count()) return;
  preview_->ShowFace(SplitEntry(itemText(index)).first, SampleText());
}

void TscFontComboBox::SetPreviewText(const QString& text) {
  previewText_ = text;
  preview_->SetSampleText(text);
}

void TscFontComboBox::SetPreviewWidth(int width) {
  previewWidth_ = width;
  preview_->resize(previewWidth_, previewHeight_);
}

void TscFontComboBox::SetPreviewHeight(int height) {
  previewHeight_ = height;
  preview_->resize(previewWidth_, previewHeight_);
}

void TscFontComboBox::SetShowPreviewFontName(bool show) {
  showPreviewFontName_ = show;
  preview_->SetFontNameVisible(show);
}

const QPixmap& TscFontComboBox::ImageFor(const QString& mark) const {
  if (mark == QLatin1String("TA")) return imageAnsi_;
  if (mark == QLatin1String("TS")) return imageSymbol_;
  return imageRaster_;
}

void TscFontComboBox::DrawItem(QPainter& painter, int index, const QRect& rect, bool selected,
                               bool inList) {
  if (index < 0 || index >= count()) return;
  const auto [face, mark] = SplitEntry(itemText(index));
  painter.fillRect(
      rect, selected ? palette().color(QPalette::Highlight) : palette().color(QPalette::Base));
  if (ShowImagesFontType) painter.drawPixmap(rect.left() + 2, rect.top() + 1, ImageFor(mark));

  const QColor textColor =
      listDropped_ && index < usedCount_ ? ColorUsed : palette().color(QPalette::Text);
  QFont textFont = font();
  const bool ownFace = inList ? ShowPreviewInList : ShowPreviewInEdit;
  if (ownFace && mark != QLatin1String("TS")) textFont.setFamily(face);
  painter.setFont(textFont);
  painter.setPen(textColor);
  const int x = rect.left() + (ShowImagesFontType ? 20 : 4);
  painter.drawText(QRect(x, rect.top() + 1, rect.right() - x, rect.height() - 1),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, face);

  if (inList && listDropped_ && MoveUsedToTop && index == usedCount_ - 1) {
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(0, rect.bottom(), width(), rect.bottom());
  }
}

void TscFontComboBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  option.currentIcon = QIcon();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect field =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  if (currentIndex() >= 0) {
    painter.setClipRect(field);
    DrawItem(painter, currentIndex(), field, false, false);
  }
}

}  // namespace stampwell
