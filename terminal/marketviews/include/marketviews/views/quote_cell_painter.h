// Paints the cells of the quotation grids: a cell's text in its colour,
// aligned in the cell, on the row's background. Figures are plain ASCII:
// their glyphs are looked up once per font and drawn as a glyph run, without
// the text layout that the toolkit's item painting does for every cell and
// that would cost the GUI thread more than the quotes themselves. Other
// texts (names) are drawn as the toolkit draws text. The painter draws the
// grid lines too, at the right and the bottom of each cell where the table
// view draws them (the views show no grid of their own): the view draws
// every line across each rectangle it repaints, one line at a time.
#pragma once

#include <QColor>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QStyledItemDelegate>
#include <array>
#include <string_view>

#include "ui/grid_model.h"
#include "ui/grid_table_model.h"

namespace marketviews {

// The font of the quotation grids' figures.
QFont QuoteGridFont();

class QuoteCellPainter final : public QStyledItemDelegate {
 public:
  // The grid's rows and its table model outlive the painter.
  QuoteCellPainter(const ui::GridTableModel& table, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  // The glyphs of the printable ASCII characters in one font.
  struct AsciiGlyphs {
    QFont font;
    QRawFont raw;
    std::array<quint32, 95> indexes{};
    std::array<qreal, 95> advances{};
    qreal ascent = 0;
    qreal descent = 0;
  };
  const AsciiGlyphs& GlyphsFor(const QFont& font) const;
  // Draws an ASCII text; false for any other text.
  bool DrawAscii(QPainter& painter, const QRect& rect, Qt::Alignment alignment, std::string_view text) const;

  // The grid lines' colour as the style gives it for the view's palette.
  QColor GridColour(const QStyleOptionViewItem& option) const;

  const ui::GridTableModel& table_;
  mutable AsciiGlyphs glyphs_;
  // The run of the text being drawn.
  mutable QGlyphRun run_;
  mutable QList<quint32> indexes_;
  mutable QList<QPointF> positions_;
  mutable QColor gridColour_;
  mutable qint64 gridPalette_ = 0;
};

}  // namespace marketviews
