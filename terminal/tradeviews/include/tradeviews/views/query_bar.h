// CTQReturnViewBar: what the five docking query bars share. The bar holds
// its filter grid with the bar's columns, the layout the grid had when the
// bar last closed (saved under the bar's grid-state name), and its context
// menu, whose items a derived bar appends before the two export items on
// the first right-click. It exports what the grid shows to CSV and HTML,
// and hears the grid's right-clicks and double-clicks as its CGridParent.
// The account column shows only in the institution terminal.
#pragma once

#include <QMenu>
#include <QWidget>
#include <memory>
#include <optional>

#include "tradeviews/model/bar_cells.h"
#include "tradeviews/model/bar_services.h"
#include "tradeviews/model/bar_table.h"
#include "tradeviews/model/query_bar_layout.h"
#include "ui/filter_grid.h"
#include "ui/grid_model.h"
#include "ui/view_context.h"

namespace tradeviews {

// The context menus' command ids.
namespace bar_command {
inline constexpr int kExportCsv = 12346;
inline constexpr int kExportHtml = 12347;
inline constexpr int kCancelOrder = 12349;
inline constexpr int kChangePrice = 12350;
inline constexpr int kFillFromTrade = 12351;
inline constexpr int kFillFromOrder = 12356;
inline constexpr int kForecast = 12359;
inline constexpr int kQuickClose = 12360;
inline constexpr int kQuickLock = 12361;
inline constexpr int kReverse = 12362;
inline constexpr int kMarketReverse = 12363;
inline constexpr int kCancelAll = 12369;
inline constexpr int kCancelCustomer = 12370;
inline constexpr int kFundSync = 12371;
}  // namespace bar_command

class CTQReturnViewBar : public QWidget, protected ui::CGridParent {
 public:
  // The bar acts through `services`, which it keeps; it follows the engine
  // table of `table`, when it has one.
  CTQReturnViewBar(QWidget* parent, const ui::ViewContext& context, QueryBarLayout spec,
                   std::unique_ptr<BarServices> services, std::optional<BarTableKind> table);
  // Saves the grid's layout under the grid-state name.
  ~CTQReturnViewBar() override;

  const QueryBarLayout& Spec() const { return spec_; }
  ui::CFilterGridCtrl& Grid() const { return *grid_; }
  ui::GridModel& Rows() { return rows_; }
  // The context menu; empty until the first right-click fills it.
  QMenu& ContextMenu() const { return *menu_; }
  bool Institution() const { return institution_; }

  // A table-change record of the bar's table, as the main frame routes it.
  void OnTableChanged(const engine::TableChangeRecord& record);

  // Runs a command of the context menu; false for one the bar does not
  // know.
  bool RunCommand(int commandId);
  void ExportToCSV();
  void ExportToHtml();

 protected:
  // The bar's own items, appended once before the export items.
  virtual void AppendMenuItems(QMenu& menu);
  // The bar's own commands; false for one it does not know.
  virtual bool OnCommand(int commandId);

  // CGridParent: the menu at the point; a double-click does nothing here.
  void OnGridContextMenu(const ui::GridMouse& mouse) override;
  void OnGridDblClk(const ui::GridMouse& mouse) override;

  // The row the commands act on, and the one under a point of the grid's
  // viewport; null for none.
  const ui::GridRow* SelectedRow() const;
  const ui::GridRow* RowAt(QPoint point) const;

  BarServices& Services() const { return *services_; }
  BarLookups& Lookups() { return lookups_; }
  BarPrompts& Prompts() const { return *prompts_; }

 private:
  QueryBarLayout spec_;
  ui::RegistryStore* registry_;
  bool institution_;
  std::unique_ptr<BarServices> services_;
  std::unique_ptr<BarPrompts> prompts_;
  BarLookups lookups_;
  ui::GridModel rows_;
  std::optional<QueryBarTable> table_;
  ui::CFilterGridCtrl* grid_;
  QMenu* menu_;
};

}  // namespace tradeviews
