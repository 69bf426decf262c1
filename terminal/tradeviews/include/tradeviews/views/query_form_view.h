// The base of the query form views that the query docks show: a strip of 32
// pixels for the view's own controls above one query grid, whose columns
// the view lists, whose layout is saved and restored under the view's grid
// state name, whose right-click menu exports it to a CSV file, and whose
// queries run at most once in five seconds.
//
// A view is made in two steps, so that the view's own operations take part:
// construction, then Create() (grid parameters, style and columns, the saved
// layout, the menu), then OnInitialUpdate(). MakeQueryView does all three.
#pragma once

#include <QHBoxLayout>
#include <QMenu>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "engine/table_change_record.h"
#include "tradeviews/model/query_rows.h"
#include "tradeviews/model/query_throttle.h"
#include "ui/grid_model.h"
#include "ui/query_grid.h"
#include "ui/view_context.h"

namespace tradeviews {

inline constexpr int kQueryGridId = 1218;
inline constexpr int kExportCsvCommand = 1220;
inline constexpr int kStripHeight = 32;
// The title of the views' message boxes.
inline constexpr std::string_view kViewTitle = "Quentara";

class CTQOtherQryBaseView : public QWidget, public ui::GridMenuHost, public ui::CGridParent {
 public:
  // `templateId` is the form's resource number, kept as the property
  // "formId".
  CTQOtherQryBaseView(QWidget* parent, const ui::ViewContext& context, int templateId);
  // Saves the grid layout under the grid state name.
  ~CTQOtherQryBaseView() override;

  // The creation: grid parameters, grid style with the columns, the saved
  // layout, the popup menu.
  void Create();
  virtual void OnInitialUpdate() {}

  virtual void OnTableChanged(const engine::TableChangeRecord& record);
  virtual void InitCombos() {}
  // Grid id 1218, results shown at once, no grid state name.
  virtual void InitGridParams();
  virtual void InitColumns() {}
  // The grid's font and columns.
  virtual void InitGridStyle();
  // Runs the view's query; false when it failed (and said why).
  virtual bool DoQuery(backend::CxDataSet& result);
  virtual void ShowQueryResult(const backend::CxDataSet& result);

  // The query, unless the last ran less than five seconds ago: then the
  // wait is shown and nothing is asked.
  void QueryWithThrottle();
  // The save dialog, then the grid's shown rows and columns as CSV.
  void ExportToCSV();

  ui::CTQGridCtrl& Grid() const { return *grid_; }
  ui::GridModel& Rows() { return rows_; }
  const std::string& GridStateName() const { return gridStateName_; }
  // ui::GridMenuHost
  QMenu* GridPopupMenu() override { return menu_.get(); }

 protected:
  // ui::CGridParent: the grid's own right-button release opens the popup
  // menu; nothing else happens by default.
  void OnGridContextMenu(const ui::GridMouse&) override {}
  void OnGridDblClk(const ui::GridMouse&) override {}

  // Where the view puts its controls, and the row they stand in.
  QWidget* Strip() const { return strip_; }
  QHBoxLayout* StripLayout() const { return stripLayout_; }
  const ui::ViewContext& Context() const { return context_; }
  // A message box with the caption (the views' title by default).
  void ShowMessage(std::string_view text, std::string_view caption = kViewTitle);
  // An output line of the type (client::OutputLineType).
  void Output(int type, std::string_view text) const;
  // The customer chosen in the order form (the customer on slot 0 where it
  // offers no choice); false after telling the user why there is none.
  bool ChosenCustomer(std::string& customerNo);
  // Replaces the rows by these cells, in order.
  void ShowRows(const std::vector<Cells>& rows);
  // A read-only row of the grid holding these cells.
  ui::GridRow RowOf(const Cells& cells) const;

  std::vector<ui::ColumnSpec> columns_;
  int gridId_ = kQueryGridId;
  // 1: the result arrives later, through the frame's routing.
  int asynchronous_ = 0;
  std::string gridStateName_;

 private:
  ui::ViewContext context_;
  ui::GridModel rows_;
  QWidget* strip_;
  QHBoxLayout* stripLayout_;
  ui::CTQGridCtrl* grid_;
  std::unique_ptr<QMenu> menu_;
  QueryThrottle throttle_;
};

// A view made and created, ready to show.
template <class View>
View* MakeQueryView(QWidget* parent, const ui::ViewContext& context) {
  auto* view = new View(parent, context);
  view->Create();
  view->OnInitialUpdate();
  return view;
}

}  // namespace tradeviews
