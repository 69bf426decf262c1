// The quotation grids of the market tabs: CTQMarketGridCtrl (futures and
// combinations) and CTQMarketOptionGridCtrl (options). A table view over a
// tab's rows, white and coloured figures on black in Tahoma, a row header
// of 35 pixels, and the contract column frozen at the left while the other
// columns scroll. Rows repaint once per pump tick, however often their
// quotes changed. The owner learns of scrolls (to move the quote window) and
// of the left button pressed on a cell (to fill the order form). Of a row
// whose quote changed only the cells whose text or colour changed repaint.
#pragma once

#include <QTableView>
#include <functional>
#include <unordered_map>

#include "marketviews/model/market_tabs.h"
#include "ui/grid_model.h"
#include "ui/grid_table_model.h"

namespace marketviews {

class CTQMarketGridCtrl : public QTableView {
 public:
  // The rows outlive the grid.
  explicit CTQMarketGridCtrl(ui::GridModel& rows, QWidget* parent = nullptr);
  ~CTQMarketGridCtrl() override;

  ui::GridTableModel& TableModel() const { return *table_; }
  // The view of the frozen contract column, over the grid's left edge.
  QTableView& FrozenColumn() const { return *frozen_; }

  // Told after each change of the first row shown.
  void SetScrollHandler(std::function<void(const ScrollPosition&)> handler) { scrolled_ = std::move(handler); }
  // Told when the left button goes down on a cell (shown row, column),
  // before the grid selects it.
  void SetCellPressHandler(std::function<void(int row, int column)> handler) { pressed_ = std::move(handler); }

  // The last row seen whole at the bottom; -1 when the rows end above it.
  int LastVisibleRow() const;
  // The row height the grid keeps.
  static constexpr int kRowHeight = 22;
  static constexpr int kRowHeaderWidth = 35;

 protected:
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles = QList<int>()) override;
  void rowsInserted(const QModelIndex& parent, int first, int last) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void updateGeometries() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceFrozenColumn();
  void OnScrolled(int top);

  ui::GridTableModel* table_;
  QTableView* frozen_;
  // Each row as it was last told changed: only its cells that differ from
  // it are painted again.
  std::unordered_map<ui::RowId, ui::GridRow> told_;
  int top_ = 0;
  std::function<void(const ScrollPosition&)> scrolled_;
  std::function<void(int, int)> pressed_;
};

class CTQMarketOptionGridCtrl final : public CTQMarketGridCtrl {
 public:
  explicit CTQMarketOptionGridCtrl(ui::GridModel& rows, QWidget* parent = nullptr);
};

}  // namespace marketviews
