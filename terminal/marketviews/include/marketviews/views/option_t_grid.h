// CTMarketOptionGridCtrl: the option T grid, a table view over the rows of
// one series (OptionTRows), the calls left of the strike and the puts right
// of it, the rows shaded around the strike at the money, figures in Tahoma.
// The owner learns of the left button pressed on a cell and of the rows
// shown after a scroll or a resize; the grid centres its view on the row at
// the money on request.
#pragma once

#include <QTableView>
#include <functional>

#include "marketviews/model/option_t_rows.h"
#include "ui/grid_table_model.h"

namespace marketviews {

class CTMarketOptionGridCtrl final : public QTableView {
 public:
  // The rows outlive the grid.
  explicit CTMarketOptionGridCtrl(OptionTRows& rows, QWidget* parent = nullptr);

  static constexpr int kRowHeight = 22;

  // Told after the toolkit has handled the press (shown row, column).
  void SetCellPressHandler(std::function<void(int row, int column)> handler) { pressed_ = std::move(handler); }
  // Told the first and the last row shown when they change.
  void SetRowsShownHandler(std::function<void(int first, int last)> handler) { shown_ = std::move(handler); }

  // Selects the cells of the row from one column to another.
  void SelectCells(int row, int firstColumn, int lastColumn);
  // Clears the selection and, when the rows do not all fit, scrolls the row
  // to the middle of the page (a row in the first half page stays put).
  void CentreOnRow(int row);
  // The first and the last row shown, at least in part; -1 for none.
  int FirstShownRow() const;
  int LastShownRow() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void TellRowsShown();

  OptionTRows& rows_;
  ui::GridTableModel* table_;
  std::function<void(int, int)> pressed_;
  std::function<void(int, int)> shown_;
  int shownFirst_ = -1;
  int shownLast_ = -1;
};

}  // namespace marketviews
