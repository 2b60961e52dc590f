// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QPixmap>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace stampwell {

class TFormExampleFont;

enum TscFontType : unsigned {
  ftTrueTypeAnsi = 1,
  ftTrueTypeSymbol = 2,
  ftRaster = 4,
};
using TscFontTypes = unsigned;  // a set of TscFontType bits

// One installed face as the font enumeration reports it; kind is empty for fonts that are
// never listed (other character sets, device or vector fonts).
struct TscFontFace {
  QString name;
  std::optional<TscFontType> kind;
};

// Drop-down list of installed fonts. Entries are "Face=Mark" texts (Arial=TA): the first
// UsedCount entries are the recently used fonts, most recent first, and the rest are the
// enumerated fonts sorted without regard to case. While the list is open a preview window
// beside the picker shows the highlighted face. The owner reads and sets the chosen font
// through FontName only; every font taken (from the list or through SetFontName) enters the
// recently used zone, a font chosen with the keyboard while the list is closed does not.
class TscFontComboBox : public QComboBox {
  Q_OBJECT

 public:
  using FontEnumerator = std::function<std::vector<TscFontFace>()>;

  explicit TscFontComboBox(QWidget* parent = nullptr);
  ~TscFontComboBox() override;

  // The faces of Qt's font database: smoothly scalable fonts count as TrueType, those whose
  // writing systems include Symbol as symbol fonts, those without Latin or Symbol as other
  // character sets; bitmap-only fonts are raster fonts.
  // Each family is listed once under the name users know it by: a family that several
  // foundries supply ("C059 [UKWN]", "C059 [urw]") is the one family "C059".
  static std::vector<TscFontFace> SystemFonts();
  // The families of Qt's list without their foundry, each once, in first-seen order.
  static QStringList FamilyNames(const QStringList& qtFamilies);
  // The installed family that the system's font matching (fontconfig) gives for name, the
  // one a document asking for name is drawn with; empty when nothing matches.
  static QString MatchFamily(const QString& name);
  // Replaces the font enumeration (tests); takes effect at the next LoadFonts.
  void SetFontEnumerator(FontEnumerator enumerator);

  // Fills the list once the properties are set: clears the recently used zone, skips faces
  // starting with "@", keeps the kinds in FontTypes, sorts without regard to case.
  void LoadFonts();

  QString FontName() const { return fontName_; }
  // Selects the first entry (recently used zone first) of that face and takes it. A face that
  // is not listed changes nothing; an empty name takes the first entry.
  void SetFontName(const QString& name);

  // Takes the selected entry as the chosen font (see the class comment); nothing happens
  // without a selection.
  void UseSelectedFont();

  // Where the preview window goes for a picker at pickerGlobal: beside its bottom-right
  // corner, flipped to its left or above it when it would leave the screen.
  static QPoint PreviewPosition(const QRect& pickerGlobal, const QSize& preview,
                                const QRect& screen);

  // Draws one entry: used for the open list (inList) and for the closed display field.
  void DrawItem(QPainter& painter, int index, const QRect& rect, bool selected, bool inList);

  int UsedCount() const { return usedCount_; }
  bool ListDropped() const { return listDropped_; }
  TFormExampleFont* Preview() const { return preview_.get(); }
  QStringList Entries() const;

  // Properties.
  TscFontTypes FontTypes = ftTrueTypeAnsi | ftTrueTypeSymbol;
  bool MoveUsedToTop = true;
  int MaxUsed = 5;
  QColor ColorUsed = QColor(0, 0, 0x80);  // navy
  bool ShowPreview = true;
  bool ShowPreviewInList = true;
  bool ShowPreviewInEdit = false;
  bool ShowImagesFontType = true;

  QString PreviewText() const { return previewText_; }
  void SetPreviewText(const QString& text);
  int PreviewWidth() const { return previewWidth_; }
  void SetPreviewWidth(int width);
  int PreviewHeight() const { return previewHeight_; }
  void SetPreviewHeight(int height);
  bool ShowPreviewFontName() const { return showPreviewFontName_; }
  void SetShowPreviewFontName(bool show);

  void showPopup() override;  // DropDown
  void hidePopup() override;  // the list's close-up

 signals:
  // A font has been taken: from the open list, or with the keyboard while the list is closed.
  void clicked();
  // The list is opening.
  void dropDown();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Click(int index);
  void CloseUp();
  void UpdatePreview(int index);
  QString SampleText() const;
  const QPixmap& ImageFor(const QString& mark) const;
  void SelectQuietly(int index);

  std::unique_ptr<TFormExampleFont> preview_;
  FontEnumerator enumerator_;
  QString fontName_;
  QString previewText_;
  int previewWidth_ = 240;
  int previewHeight_ = 60;
  bool showPreviewFontName_ = true;
  int usedCount_ = 0;
  bool listDropped_ = false;
  bool updating_ = false;  // selection changes made by the picker itself
  QPixmap imageAnsi_;
  QPixmap imageSymbol_;
  QPixmap imageRaster_;
};

}  // namespace stampwell
