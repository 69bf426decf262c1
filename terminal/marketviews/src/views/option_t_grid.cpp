#include "marketviews/views/option_t_grid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "marketviews/views/quote_cell_painter.h"
#include "ui/colours_fonts.h"

namespace marketviews {
namespace {

// A cell on its shade (the selection's colour when selected), its text
// painted as the market grids paint theirs.
class ShadedCellPainter final : public QStyledItemDelegate {
 public:
  ShadedCellPainter(const OptionTRows& rows, const ui::GridTableModel& table, QObject* parent)
      : QStyledItemDelegate(parent), rows_(rows), text_(new QuoteCellPainter(table, this)) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!option.state.testFlag(QStyle::State_Selected)) {
      painter->fillRect(option.rect, ui::ColourFromRef(rows_.Background(index.row(), index.column())));
    }
    text_->paint(painter, option, index);
  }

 private:
  const OptionTRows& rows_;
  QuoteCellPainter* text_;
};

}  // namespace

CTMarketOptionGridCtrl::CTMarketOptionGridCtrl(OptionTRows& rows, QWidget* parent)
    : QTableView(parent), rows_(rows), table_(new ui::GridTableModel(rows.Rows(), this)) {
  setObjectName("CTMarketOptionGridCtrl");
  setModel(table_);
  setItemDelegate(new ShadedCellPainter(rows_, *table_, this));
  setFont(QuoteGridFont());
  QPalette look = palette();
  look.setColor(QPalette::Text, Qt::black);
  look.setColor(QPalette::Highlight, QColor(0x1E, 0x3C, 0x78));
  look.setColor(QPalette::HighlightedText, Qt::white);
  setPalette(look);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  horizontalHeader()->setHighlightSections(false);
  for (int column = 0; column < rows.Rows().ColumnCount(); ++column) {
    setColumnWidth(column, rows.Rows().Column(column).width);
  }
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { TellRowsShown(); });
  connect(table_, &QAbstractItemModel::modelReset, this, [this] { TellRowsShown(); });
  connect(table_, &QAbstractItemModel::rowsInserted, this, [this] { TellRowsShown(); });
}

void CTMarketOptionGridCtrl::SelectCells(int row, int firstColumn, int lastColumn) {
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  selectionModel()->select(QItemSelection(table_->index(row, firstColumn), table_->index(row, lastColumn)),
                           QItemSelectionModel::ClearAndSelect);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void CTMarketOptionGridCtrl::CentreOnRow(int row) {
  clearSelection();
  QScrollBar* bar = verticalScrollBar();
  const int page = viewport()->height();
  if (table_->rowCount() * kRowHeight <= page) return;
  const int position = row * kRowHeight;
  if (position < page / 2) return;
  bar->setValue(position - page / 2);
}

int CTMarketOptionGridCtrl::FirstShownRow() const { return rowAt(0); }

int CTMarketOptionGridCtrl::LastShownRow() const {
  const int last = rowAt(viewport()->height() - 1);
  return last < 0 ? table_->rowCount() - 1 : last;
}

void CTMarketOptionGridCtrl::TellRowsShown() {
  const int first = FirstShownRow();
  const int last = LastShownRow();
  if (first == shownFirst_ && last == shownLast_) return;
  shownFirst_ = first;
  shownLast_ = last;
  if (shown_ && first >= 0) shown_(first, last);
}

void CTMarketOptionGridCtrl::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && index.isValid() && pressed_) pressed_(index.row(), index.column());
}

void CTMarketOptionGridCtrl::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  TellRowsShown();
}

}  // namespace marketviews
