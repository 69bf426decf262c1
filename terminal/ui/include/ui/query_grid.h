// The query grid of the query form views and the settings pages: the filter
// grid that remembers the text of the cell edited last and, on the right
// button's release, opens the popup menu of the form view that holds it.
// Those windows fill it with InsertGridColumns and CreateGridRow.
#pragma once

#include <QMenu>
#include <string>

#include "ui/filter_grid.h"

namespace ui {

// A window that offers its popup menu to the query grid inside it (the
// query form views).
class GridMenuHost {
 public:
  // Null when it has none.
  virtual QMenu* GridPopupMenu() = 0;

 protected:
  ~GridMenuHost() = default;
};

class CTQGridCtrl : public CFilterGridCtrl {
 public:
  explicit CTQGridCtrl(GridModel& rows, QWidget* parent = nullptr);

  // The text of the cell edited last; empty before any edit.
  const std::string& LastEditedValue() const { return lastEditedValue_; }

 protected:
  // The parent's popup menu at the cursor, when the parent is a window that
  // offers one; nothing otherwise.
  void OnRightButtonUp(const GridMouse& mouse) override;
  // Read from the stored row, not from what the editor held.
  void OnItemChanged(RowId id, int column) override;

 private:
  std::string lastEditedValue_;
};

}  // namespace ui
