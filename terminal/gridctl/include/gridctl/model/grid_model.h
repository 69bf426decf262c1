// GridModel: everything of a grid window that needs no window: its settings,
// the column table, the rows and cells in the embedded field and record
// store with each row's selection flag and cell attributes, the current row
// and column, the selection range, sorting by a column, the scroll-bar
// layout, scrolling, and hit tests in client co-ordinates. The window
// (CxGridBase) paints it and hears of its changes through the observer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gridctl/model/grid_data.h"
#include "gridctl/model/grid_types.h"

namespace gridctl {

struct GridSettings {
  int headerHeight = 20;
  int rowHeight = 18;
  FontSpec headerFont{"宋体", 14};
  FontSpec rowFont{"宋体", 14};
  std::uint32_t background = 0xFFFFFF;  // where there are no cells
  std::uint32_t headerBackground = 0xF5F3F0;
  std::uint32_t headerTextColour = 0x404040;
  bool alternateRows = true;
  std::uint32_t evenRowColour = 0xE0FFE0;
  std::uint32_t oddRowColour = 0xE0FFFF;  // also of every row without alternation
  std::uint32_t textColour = 0x000000;
  std::uint32_t selectedTextColour = 0xFFFFFF;
  std::uint32_t selectionColour = 0xFFA000;
  std::uint32_t headerLightEdge = 0xFFFFFF;
  std::uint32_t headerDarkEdge = 0x606060;
  std::uint32_t gridLineColour = 0xC0C0C0;
  std::uint32_t fixedLineColour = 0x404040;
  bool verticalLines = true;
  bool horizontalLines = true;
  bool resizableColumns = true;
  bool sortOnHeaderClick = true;
  bool selectRowOnClick = true;
  bool keepCellColoursWhenSelected = false;
  bool multiSelect = false;
  bool titleTips = true;
  std::uint32_t tipTextColour = 0x000000;
  std::uint32_t tipBackground = 0xE0FFFF;
  int dividerTolerance = 2;
  int fixedColumns = 0;
  int fixedRows = 0;
  bool scrollBarsShown = true;  // the list grids scroll without showing bars
  Size imageSize{16, 16};       // of one image of the cell image strip
};

struct Column {
  std::uint32_t headerBackground = kDefaultColour;
  std::uint32_t headerTextColour = kDefaultColour;
  int width = 0;  // pixels, never below 0
  bool alignRight = false;
  std::int32_t field = -1;
  bool hidden = false;
  std::int32_t dataWidth = 0;  // bytes of the store field
  std::int32_t type = kTextFieldType;
  int decimals = 0;  // of a numeric column's sort key
  // A hidden column takes no space anywhere.
  int ShownWidth() const { return hidden ? 0 : width; }
};

// What a cell holds beyond its text; made when the cell's text is first set.
struct CellAttributes {
  std::int32_t field = -1;
  CellKind kind = CellKind::kText;
  std::uint32_t background = kDefaultColour;
  std::uint32_t textColour = kDefaultColour;
  FontSpec font{"", 0};  // height 0: the grid's row font
  // Check state (check box), image number (image), style bits (edit, combo).
  std::int32_t value = 0;
  bool editing = false;    // an in-place editor runs over the cell
  int textLimit = 0;       // of a combo's edit part; 0 = 255
  int dropHeight = 0;      // of a combo's list in pixels; 0 = from its items
  std::string chosenText;  // what a combo cell shows
};

// The edit style bit that shows an edit cell's text as "*".
inline constexpr std::int32_t kPasswordStyle = 0x20;

// The row block every record carries.
struct RowBlock : RecordExtra {
  bool selected = false;
  std::vector<CellAttributes> cells;  // in order of first use
};

// How the grid's change reaches its window.
class GridModelObserver {
 public:
  virtual ~GridModelObserver() = default;
  virtual void OnGridNotify(int code, int kind, int row, int column, int extra) = 0;
  // Rows, columns, widths or the scrolled place changed: lay out the scroll
  // bars again and repaint.
  virtual void OnGridLayout() = 0;
  virtual void OnGridRepaint() = 0;
  virtual void OnGridRepaintCell(int row, std::int32_t field) = 0;
};

// The scroll bars the content asks for and their ranges.
struct ScrollLayout {
  bool horizontal = false;  // bars wanted by the content
  bool vertical = false;
  bool horizontalShown = false;  // bars shown (a list grid shows none)
  bool verticalShown = false;
  int horizontalMax = 0;
  int horizontalPosition = 0;
  int verticalMax = 0;
  int verticalPosition = 0;
  Size viewport;  // the client area left for the cells
};

enum class ScrollAction { kLineBack, kLineForward, kPageBack, kPageForward, kToStart, kToEnd, kThumb };

class GridModel {
 public:
  static constexpr int kMaxColumns = 64;
  static constexpr int kSortAscending = 1;
  static constexpr int kSortDescending = -1;

  GridModel() = default;
  GridModel(const GridModel&) = delete;
  GridModel& operator=(const GridModel&) = delete;

  void SetObserver(GridModelObserver* observer) { observer_ = observer; }
  GridSettings& Settings() { return settings_; }
  const GridSettings& Settings() const { return settings_; }

  // Columns. The capacity is set by whoever creates the grid (at most 64).
  void SetColumnCapacity(int capacity);
  int ColumnCapacity() const { return columnCapacity_; }
  // The new column's field id, or -1 at the capacity; store failures pass
  // through (columns can be added only while there are no rows).
  std::int32_t AddColumn(std::int32_t dataWidth, int displayWidth);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const std::vector<Column>& Columns() const { return columns_; }
  int GetColumnOfField(std::int32_t field) const;
  std::int32_t GetFieldOfColumn(int column) const;
  const Column* ColumnRecord(int column) const;
  void SetColumnWidth(int column, int width);
  void SetColumnHidden(int column, bool hidden);
  void SetColumnAlignRight(int column, bool alignRight);
  void SetColumnColours(int column, std::uint32_t headerBackground, std::uint32_t headerTextColour);
  // Sorts the column by the value of its texts, rounded to the decimals.
  void SetColumnNumeric(int column, int decimals);
  // Moves a scrolled column's record to another scrolled column's place;
  // false when either is fixed, outside the table, or both are the same.
  bool MoveScrolledColumn(int from, int to);

  // Rows and cells.
  std::int32_t AddRow();
  void ClearRows();
  int GetRowCount() const { return store_.RecordCount(); }
  // Stores the text (cut to the column's width less one byte) and the kind;
  // a cell's existing colours, font and value stay. False for an unknown
  // row or a field of no column.
  bool SetCellText(int row, std::int32_t field, std::string_view text, CellKind kind);
  std::string_view GetCellText(int row, std::int32_t field) const { return store_.GetCellText(field, row); }
  // Image cells only.
  bool SetCellValue(int row, std::int32_t field, std::int32_t value);
  // The cell's attributes, or null for a cell whose text was never set.
  const CellAttributes* Cell(int row, std::int32_t field) const;
  CellAttributes* MutableCell(int row, std::int32_t field);
  int GetCellKind(int row, std::int32_t field) const;
  std::uint32_t GetCellBackColour(int row, std::int32_t field) const;
  std::uint32_t GetCellTextColour(int row, std::int32_t field) const;
  std::optional<FontSpec> GetCellFont(int row, std::int32_t field) const;
  bool SetCellColours(int row, std::int32_t field, std::uint32_t background, std::uint32_t textColour);
  bool SetCellFont(int row, std::int32_t field, const FontSpec& font);
  // Check state, edit or combo style bits: any kind.
  bool SetCellStyle(int row, std::int32_t field, std::int32_t value);
  bool SetComboLimits(int row, std::int32_t field, int textLimit, int dropHeight);
  bool SetChosenText(int row, std::int32_t field, std::string_view text);
  bool SetCellEditing(int row, std::int32_t field, bool editing);
  const CxGridData& Store() const { return store_; }

  // Current row and selection.
  int CurrentRow() const { return currentRow_; }
  std::int32_t CurrentColumn() const { return currentColumn_; }
  void SetCurrentColumn(std::int32_t field) { currentColumn_ = field; }
  int SelectionAnchor() const { return anchor_; }
  int SelectionEnd() const { return end_; }
  void SetCurrentRow(int row);
  void SetRowSelected(int row, bool selected);
  bool IsRowSelected(int row) const;
  void ClearSelection();
  // Shift with a press on the row: the rows from the current one to it.
  void ExtendSelectionTo(int row);
  // Ctrl with a press on the row: the row in or out of the selection.
  void ToggleRowSelection(int row);
  // The arrow keys: the current row one down (+1) or up (-1), scrolling it
  // into view; false when there is no row in that direction.
  bool MoveCurrentRow(int delta);

  // Sorting.
  std::int32_t SortField() const { return sortField_; }
  int SortDirection() const { return sortDirection_; }
  // Ascending, or descending when the column is already sorted ascending;
  // false for a column outside the table.
  bool SortByColumn(int column);

  // The character filter of the in-place editors: true swallows a
  // character.
  using CharFilter = std::function<bool(char32_t)>;
  void SetCharFilter(CharFilter filter) { charFilter_ = std::move(filter); }
  const CharFilter& GetCharFilter() const { return charFilter_; }

  // Layout and scrolling. `client` is the client area with the room of any
  // shown scroll bar added back; `barExtent` the width of a vertical and
  // the height of a horizontal scroll bar.
  const ScrollLayout& LayOut(Size client, Size barExtent);
  const ScrollLayout& Layout() const { return layout_; }
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  int FirstScrolledColumn() const { return firstScrolledColumn_; }
  void ScrollVertical(ScrollAction action, int thumbPosition = 0);
  void ScrollHorizontal(ScrollAction action, int thumbPosition = 0);
  int ContentWidth() const;
  int ContentHeight() const;
  int FixedColumnsWidth() const;

  // Hit tests in client co-ordinates; -1 where nothing is hit.
  int VisibleRowCount() const;
  int RowAt(int y) const;
  int ColumnAt(int x) const;
  int HeaderColumnAt(Point point) const;
  int DividerAt(Point point) const;
  // The rectangle of the cell of an absolute row and a column; empty when
  // the row is not in view.
  Rect CellRect(int row, int column) const;
  Rect HeaderRect(int column) const;
  // The visible position of a row, or -1.
  int PositionOfRow(int row) const;
  // The columns in the order they are painted: the fixed ones, then the
  // scrolled ones from the first scrolled column.
  std::vector<int> ShownColumns() const;

  // Column widths by the mouse. The divider's column grows by the drag
  // (not below 0); false when nothing changed.
  bool ResizeColumnFromDivider(int pressX, int releaseX);
  // The width that shows the header and every cell of the column whole.
  int FittingWidth(int column, const TextMeasure& measure) const;

 private:
  RowBlock* BlockOf(int row) const { return store_.GetRecordExtra<RowBlock>(row); }
  void MarkRange(int from, int to, bool selected);
  int LastScrollableTop() const;
  int ColumnLeft(int column) const;
  // The shown column whose span holds x more than `margin` inside its
  // edges.
  int ColumnInside(int x, int margin) const;
  void Notify(int code, int row, int column) const;
  // Lays the grid out again in the client it last had, and tells the
  // window.
  void Relayout();
  void Repaint() const;

  GridSettings settings_;
  GridModelObserver* observer_ = nullptr;
  CxGridData store_;
  std::vector<Column> columns_;
  int columnCapacity_ = 0;
  int currentRow_ = -1;
  std::int32_t currentColumn_ = -1;
  int anchor_ = -1;
  int end_ = -1;
  int topRow_ = 0;
  int firstScrolledColumn_ = 0;
  std::int32_t sortField_ = -1;
  int sortDirection_ = 0;
  CharFilter charFilter_;
  Size client_;     // as last laid out, scroll bars' room included
  Size barExtent_;  // of the scroll bars, as last laid out
  ScrollLayout layout_;
};

}  // namespace gridctl
