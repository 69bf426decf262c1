#include "ui/query_grid.h"

namespace ui {

CTQGridCtrl::CTQGridCtrl(GridModel& rows, QWidget* parent) : CFilterGridCtrl(rows, parent) {
  setObjectName("CTQGridCtrl");
}

void CTQGridCtrl::OnRightButtonUp(const GridMouse& mouse) {
  auto* host = dynamic_cast<GridMenuHost*>(parentWidget());
  QMenu* menu = host == nullptr ? nullptr : host->GridPopupMenu();
  if (menu != nullptr) menu->popup(viewport()->mapToGlobal(mouse.point));
}

void CTQGridCtrl::OnItemChanged(RowId id, int column) {
  const GridRow* row = Rows().Row(id);
  lastEditedValue_ = row == nullptr ? std::string() : std::string(row->Text(column));
}

}  // namespace ui
