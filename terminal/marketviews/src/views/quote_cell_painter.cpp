#include "marketviews/views/quote_cell_painter.h"

#include <QApplication>
#include <QGlyphRun>
#include <QPainter>

#include "ui/colours_fonts.h"
#include "ui/gbk_text.h"

namespace marketviews {
namespace {

constexpr int kFontPixels = 15;
constexpr int kTextMargin = 3;
constexpr char kFirstAscii = ' ';
constexpr char kLastAscii = '~';

bool IsPrintableAscii(std::string_view text) {
  for (const char c : text) {
    if (c < kFirstAscii || c > kLastAscii) return false;
  }
  return true;
}

}  // namespace

QFont QuoteGridFont() {
  QFont font = ui::FontOf("Tahoma", 10);
  font.setPixelSize(kFontPixels);
  font.setWeight(QFont::Normal);
  return font;
}

QuoteCellPainter::QuoteCellPainter(const ui::GridTableModel& table, QObject* parent)
    : QStyledItemDelegate(parent), table_(table) {}

const QuoteCellPainter::AsciiGlyphs& QuoteCellPainter::GlyphsFor(const QFont& font) const {
  if (glyphs_.raw.isValid() && glyphs_.font == font) return glyphs_;
  glyphs_.font = font;
  glyphs_.raw = QRawFont::fromFont(font);
  QString characters;
  for (char c = kFirstAscii; c <= kLastAscii; ++c) characters += QChar(c);
  const QList<quint32> indexes = glyphs_.raw.glyphIndexesForString(characters);
  const QList<QPointF> advances = glyphs_.raw.advancesForGlyphIndexes(indexes);
  for (qsizetype i = 0; i < indexes.size() && i < static_cast<qsizetype>(glyphs_.indexes.size()); ++i) {
    glyphs_.indexes[static_cast<std::size_t>(i)] = indexes[i];
    glyphs_.advances[static_cast<std::size_t>(i)] = advances.value(i).x();
  }
  glyphs_.ascent = glyphs_.raw.ascent();
  glyphs_.descent = glyphs_.raw.descent();
  return glyphs_;
}

bool QuoteCellPainter::DrawAscii(QPainter& painter, const QRect& rect, Qt::Alignment alignment,
                                 std::string_view text) const {
  if (!IsPrintableAscii(text)) return false;
  const AsciiGlyphs& glyphs = GlyphsFor(painter.font());
  if (!glyphs.raw.isValid()) return false;
  // The lists keep their room from cell to cell: the run lets go of them
  // after each text.
  indexes_.clear();
  positions_.clear();
  qreal x = 0;
  for (const char c : text) {
    const std::size_t at = static_cast<std::size_t>(c - kFirstAscii);
    indexes_.push_back(glyphs.indexes[at]);
    positions_.emplace_back(x, 0);
    x += glyphs.advances[at];
  }
  run_.setRawFont(glyphs.raw);
  run_.setGlyphIndexes(indexes_);
  run_.setPositions(positions_);
  const qreal left = alignment.testFlag(Qt::AlignLeft)      ? rect.left()
                     : alignment.testFlag(Qt::AlignHCenter) ? rect.left() + (rect.width() - x) / 2
                                                            : rect.right() + 1 - x;
  const qreal baseline = rect.top() + (rect.height() - glyphs.ascent - glyphs.descent) / 2 + glyphs.ascent;
  painter.drawGlyphRun(QPointF(left, baseline), run_);
  run_.setGlyphIndexes({});
  run_.setPositions({});
  return true;
}

void QuoteCellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  // The view's last pixel column and row of each cell are its grid lines.
  const QRect cell = option.rect.adjusted(0, 0, -1, -1);
  const QColor grid = GridColour(option);
  painter->fillRect(QRect(option.rect.left(), option.rect.bottom(), option.rect.width(), 1), grid);
  painter->fillRect(QRect(option.rect.right(), option.rect.top(), 1, cell.height()), grid);

  const std::optional<ui::RowId> id = table_.RowAt(index.row());
  const ui::GridRow* row = id ? table_.Rows().Row(*id) : nullptr;
  if (row == nullptr) return;
  const bool selected = option.state.testFlag(QStyle::State_Selected);
  if (selected) painter->fillRect(cell, option.palette.brush(QPalette::Highlight));
  const std::uint32_t colour = row->Colour(index.column());
  painter->setPen(selected                       ? option.palette.color(QPalette::HighlightedText)
                  : colour == ui::kDefaultColour ? option.palette.color(QPalette::Text)
                                                 : ui::ColourFromRef(colour));
  if (painter->font() != option.font) painter->setFont(option.font);
  const QRect rect = cell.adjusted(kTextMargin, 0, -kTextMargin, 0);
  const auto alignment = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
  const std::string_view text = row->Text(index.column());
  if (text.empty() || DrawAscii(*painter, rect, alignment, text)) return;
  painter->drawText(rect, static_cast<int>(alignment), ui::FromGbk(text));
}

QColor QuoteCellPainter::GridColour(const QStyleOptionViewItem& option) const {
  if (!gridColour_.isValid() || gridPalette_ != option.palette.cacheKey()) {
    const QStyle* style = option.widget != nullptr ? option.widget->style() : QApplication::style();
    gridColour_ =
        QColor::fromRgba(static_cast<QRgb>(style->styleHint(QStyle::SH_Table_GridLineColor, &option, option.widget)));
    gridPalette_ = option.palette.cacheKey();
  }
  return gridColour_;
}

}  // namespace marketviews
