// The value pick list of a grid's filter (caption "过滤"): a check list of
// "(全选)" and the column's values, with OK and Cancel. On OK the checks
// are written into the filter being worked on; Cancel leaves it as it was.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <string>
#include <vector>

#include "ui/filter_pick_list.h"
#include "ui/grid_model.h"

namespace ui {

class CFilterListDlg final : public QDialog {
 public:
  // The check list's control id.
  static constexpr int kListId = 1173;

  // `working` outlives the dialog.
  CFilterListDlg(QWidget* parent, std::vector<std::string> values, ColumnFilterState& working);

  QListWidget& List() const { return *list_; }
  const FilterPickList& PickList() const { return pickList_; }

  void accept() override;

 private:
  // Shows the pick list's checks.
  void ShowChecks();

  FilterPickList pickList_;
  ColumnFilterState& working_;
  QListWidget* list_;
  bool showing_ = false;
};

}  // namespace ui
