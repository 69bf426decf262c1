#include "marketviews/views/market_grid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

#include "marketviews/views/quote_cell_painter.h"
#include "ui/colours_fonts.h"

namespace marketviews {
namespace {

// Figures on black; the flat colour is the text's, and the grid lines and the
// selection stay quiet.
void ApplyLook(QTableView& view) {
  view.setFont(QuoteGridFont());
  QPalette palette = view.palette();
  palette.setColor(QPalette::Base, Qt::black);
  palette.setColor(QPalette::Text, ui::ColourFromRef(MarketColours{}.flat));
  palette.setColor(QPalette::Highlight, QColor(0x1E, 0x3C, 0x78));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Mid, QColor(0x40, 0x40, 0x40));  // the grid lines
  view.setPalette(palette);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::SingleSelection);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.setWordWrap(false);
  view.setShowGrid(false);  // the cell painter draws it
  view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  view.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(CTQMarketGridCtrl::kRowHeight);
  view.horizontalHeader()->setHighlightSections(false);
  view.horizontalHeader()->setStretchLastSection(false);
  view.horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
}

// The frozen contract column: a row's code is set when the row is made, so a
// change of its quote leaves the column as it is (the grid repaints a code
// that changes all the same).
class FrozenColumnView final : public QTableView {
 public:
  using QTableView::QTableView;

 protected:
  void dataChanged(const QModelIndex&, const QModelIndex&, const QList<int>&) override {}
};

}  // namespace

CTQMarketGridCtrl::CTQMarketGridCtrl(ui::GridModel& rows, QWidget* parent)
    : QTableView(parent), table_(new ui::GridTableModel(rows, this)), frozen_(new FrozenColumnView(this)) {
  setObjectName("CTQMarketGridCtrl");
  setModel(table_);
  ApplyLook(*this);
  verticalHeader()->setFixedWidth(kRowHeaderWidth);
  for (int column = 0; column < rows.ColumnCount(); ++column) setColumnWidth(column, rows.Column(column).width);

  // The contract column stays in place over the grid's left edge; the two
  // views share the model, the selection and the row they start at.
  setItemDelegate(new QuoteCellPainter(*table_, this));
  frozen_->setObjectName("frozenColumn");
  frozen_->setModel(table_);
  frozen_->setSelectionModel(selectionModel());
  ApplyLook(*frozen_);
  frozen_->setItemDelegate(new QuoteCellPainter(*table_, frozen_));
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->verticalHeader()->hide();
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  for (int column = 1; column < rows.ColumnCount(); ++column) frozen_->setColumnHidden(column, true);
  frozen_->setColumnWidth(0, columnWidth(0));
  frozen_->viewport()->installEventFilter(this);
  viewport()->stackUnder(frozen_);
  frozen_->show();

  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
    if (column != 0) return;
    frozen_->setColumnWidth(0, size);
    PlaceFrozenColumn();
  });
  connect(frozen_->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(), &QScrollBar::setValue);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top) { OnScrolled(top); });
  PlaceFrozenColumn();
}

CTQMarketGridCtrl::~CTQMarketGridCtrl() { frozen_->viewport()->removeEventFilter(this); }

int CTQMarketGridCtrl::LastVisibleRow() const { return rowAt(viewport()->height() - kRowHeight / 2); }

void CTQMarketGridCtrl::OnScrolled(int top) {
  const ScrollPosition scroll{top, top_, LastVisibleRow()};
  top_ = top;
  if (scrolled_) scrolled_(scroll);
}

void CTQMarketGridCtrl::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                    const QList<int>& roles) {
  if (state() == QAbstractItemView::EditingState || !topLeft.isValid() || !bottomRight.isValid()) {
    QTableView::dataChanged(topLeft, bottomRight, roles);
    return;
  }
  // Only the cells whose text or colour changed: a run of them in a row is
  // one rectangle, and the same runs of neighbouring rows merge into few.
  QRegion cells;
  bool codeChanged = false;
  for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
    const std::optional<ui::RowId> id = table_->RowAt(row);
    const ui::GridRow* now = id ? table_->Rows().Row(*id) : nullptr;
    if (now == nullptr) continue;
    const auto [told, first] = told_.try_emplace(*id, *now);
    const auto changed = [&](int column) {
      return first || now->Text(column) != told->second.Text(column) ||
             now->Colour(column) != told->second.Colour(column);
    };
    bool any = false;
    for (int column = topLeft.column(); column <= bottomRight.column(); ++column) {
      if (!changed(column)) continue;
      int last = column;
      while (last < bottomRight.column() && changed(last + 1)) ++last;
      cells += visualRect(table_->index(row, column)).united(visualRect(table_->index(row, last)));
      codeChanged |= column == 0;
      any = true;
      column = last;
    }
    if (any && !first) told->second = *now;
  }
  viewport()->update(cells);
  if (codeChanged) frozen_->viewport()->update();
}

// A row's id may serve another contract after a refill.
void CTQMarketGridCtrl::rowsInserted(const QModelIndex& parent, int first, int last) {
  told_.clear();
  QTableView::rowsInserted(parent, first, last);
}

// The right button neither selects nor clicks: the grids have no menu.
void CTQMarketGridCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) return;
  if (event->button() == Qt::LeftButton && pressed_) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) pressed_(index.row(), index.column());
  }
  QTableView::mousePressEvent(event);
}

bool CTQMarketGridCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == frozen_->viewport() && event->type() == QEvent::MouseButtonPress) {
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() == Qt::RightButton) return true;
    const QModelIndex index = frozen_->indexAt(press->position().toPoint());
    if (press->button() == Qt::LeftButton && index.isValid() && pressed_) pressed_(index.row(), index.column());
  }
  return QTableView::eventFilter(watched, event);
}

void CTQMarketGridCtrl::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceFrozenColumn();
}

void CTQMarketGridCtrl::updateGeometries() {
  QTableView::updateGeometries();
  PlaceFrozenColumn();
}

void CTQMarketGridCtrl::PlaceFrozenColumn() {
  frozen_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                       viewport()->height() + horizontalHeader()->height());
}

CTQMarketOptionGridCtrl::CTQMarketOptionGridCtrl(ui::GridModel& rows, QWidget* parent)
    : CTQMarketGridCtrl(rows, parent) {
  setObjectName("CTQMarketOptionGridCtrl");
}

}  // namespace marketviews
