// The filter grid: the toolkit grid of every query bar and query view. A
// table view over a row store (GridModel) that adds, per column, a menu
// button in the header with four commands (sort ascending, sort descending,
// value filter, clear filter), the header marks of sort and filter, sorting
// by a header click (Ctrl adds a sort column), and forwards the right
// button's release and the left double-click to its owner. Column order,
// widths and sort are saved and restored under the grid's name.
#pragma once

#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/grid_model.h"
#include "ui/grid_table_model.h"

namespace ui {

class RegistryStore;

// Where the mouse was, in the grid's client co-ordinates (its viewport's),
// and the keys held.
struct GridMouse {
  QPoint point;
  Qt::KeyboardModifiers modifiers;
};

// The owner of a grid, told of its mouse.
class CGridParent {
 public:
  // The right button was released over the grid.
  virtual void OnGridContextMenu(const GridMouse& mouse) = 0;
  // The left button was double-clicked.
  virtual void OnGridDblClk(const GridMouse& mouse) = 0;

 protected:
  ~CGridParent() = default;
};

// The header's commands, with their command ids.
inline constexpr int kSortAscendingCommand = 61508;
inline constexpr int kSortDescendingCommand = 61509;
inline constexpr int kSetFilterCommand = 61510;
inline constexpr int kClearFilterCommand = 61511;

class CFilterGridCtrl;

// The header of a filter grid: each section carries its menu button, which
// shows the column's sort and filter marks.
class FilterHeader final : public QHeaderView {
 public:
  explicit FilterHeader(CFilterGridCtrl* grid);

  // The menu button of a column, in the header's co-ordinates.
  QRect MenuButtonRect(int column) const;
  // The keys held at the last click on a section.
  Qt::KeyboardModifiers ClickModifiers() const { return clickModifiers_; }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  CFilterGridCtrl* grid_;
  Qt::KeyboardModifiers clickModifiers_;
};

class CFilterGridCtrl : public QTableView {
 public:
  // The store outlives the grid.
  CFilterGridCtrl(GridModel& rows, QWidget* parent = nullptr);
  ~CFilterGridCtrl() override;

  GridModel& Rows() const { return rows_; }
  GridTableModel& TableModel() const { return *table_; }
  FilterHeader& Header() const { return *header_; }

  // The owner told of the mouse; null for none.
  void SetListener(CGridParent* listener) { listener_ = listener; }

  // The row under a point of the viewport, or the selected row.
  std::optional<RowId> RowAt(QPoint point) const;
  std::optional<RowId> SelectedRow() const;
  // Shows or hides a column.
  void SetColumnVisible(int column, bool visible);
  // The shown columns, in the order the header shows them.
  std::vector<int> ShownColumns() const;

  // The header's menu of a column, at the bottom-left corner of its button.
  virtual void OnHeaderMenuButtonClick(int column, const QRect& buttonRect);
  // The column whose header menu was opened last; -1 before any.
  int HeaderMenuColumn() const { return headerMenuColumn_; }
  QMenu& HeaderMenu() const { return *headerMenu_; }
  // A click on a column's header: sorts on it, ascending unless it already
  // is; with `add`, as a further sort column.
  void OnHeaderClicked(int column, bool add);
  // The mark of a column's menu button (HeaderMarkOf).
  int GetHeaderMenuButtonImageIndex(int column) const { return HeaderMarkOf(rows_, column); }

  // The header menu's commands, on the header-menu column.
  virtual void OnSortAscending();
  virtual void OnSortDescending();
  // The value pick list of the column's shown values; on OK its choice
  // becomes the filter, replacing a filter on another column.
  virtual void OnSetFilter();
  virtual void OnClearFilter();

  // The column layout and sort saved under the grid's name.
  bool SaveState(RegistryStore& registry, std::string_view gridName) const;
  // False when none is saved that fits.
  bool LoadState(const RegistryStore& registry, std::string_view gridName);

 protected:
  // The right button released; the owner is told, nothing else happens.
  virtual void OnRightButtonUp(const GridMouse& mouse);
  // A cell the user edited was stored.
  virtual void OnItemChanged(RowId id, int column);
  // Runs the pick list over the values for `working`; true on OK.
  virtual bool RunPickList(std::vector<std::string> values, ColumnFilterState& working);

  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles = QList<int>()) override;

 private:
  // Column widths and visibility as the store's columns give them, after
  // the columns were replaced.
  void ApplyColumns();
  // Hidden sections and marks as the store says.
  void SyncHeader();
  void RunCommand(int commandId);

  GridModel& rows_;
  GridTableModel* table_;
  FilterHeader* header_;
  QMenu* headerMenu_;
  CGridParent* listener_ = nullptr;
  int headerMenuColumn_ = -1;
};

}  // namespace ui
