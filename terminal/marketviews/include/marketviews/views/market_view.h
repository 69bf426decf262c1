// The windows of the market window's tabs. CQuentaraView is the tab view of
// one kind of groups ("期权合约" shows the option groups, "期货合约" the
// futures groups), one tab per group; each tab is a CTQMarketView (or a
// CTQMarketOptionView) whose grid shows the group's contracts with their
// live quotes. Showing a tab makes its group the current group, scrolling
// its grid moves the group's quote window, and a click on a price cell
// fills the order form. The tabs are built anew after every download of
// the contracts.
#pragma once

#include <QTabWidget>
#include <memory>

#include "marketviews/model/market_tabs.h"
#include "marketviews/views/market_grid.h"
#include "ui/view_context.h"

namespace ui {
class RegistryStore;
}

namespace marketviews {

// One tab: a group's rows in a grid filling the tab. A futures view keeps
// its grid's column layout under its title between runs.
class CTQMarketView : public QWidget {
 public:
  // `registry` null: the layout is neither loaded nor saved.
  CTQMarketView(MarketRows& rows, ui::RegistryStore* registry, QWidget* parent = nullptr);
  ~CTQMarketView() override;

  CTQMarketGridCtrl& Grid() const { return *grid_; }
  const MarketRows& Rows() const { return rows_; }

 protected:
  CTQMarketView(MarketRows& rows, ui::RegistryStore* registry, CTQMarketGridCtrl* grid, QWidget* parent);

 private:
  MarketRows& rows_;
  ui::RegistryStore* registry_;
  CTQMarketGridCtrl* grid_;
};

// An option group's tab; its layout is not kept.
class CTQMarketOptionView final : public CTQMarketView {
 public:
  explicit CTQMarketOptionView(MarketRows& rows, QWidget* parent = nullptr);
};

class CQuentaraView final : public QTabWidget {
 public:
  // The context's quote object and receivers outlive the view.
  CQuentaraView(const ui::ViewContext& context, int kind, QWidget* parent = nullptr);
  ~CQuentaraView() override;

  MarketTabs& Model() const { return *model_; }
  CTQMarketView* TabView(int index) const;
  // Builds the tabs anew when the groups were loaded since they were built.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // A window for each of the model's tabs.
  void BuildTabs();
  // Deletes every tab's window; the tabs' changes are not the user's.
  void RemoveTabs();
  // The view came to the front: its kind and its shown tab's group become
  // current.
  void Activate();
  void OnCellPressed(int tab, int row, int column);
  void OnRefilled(int tab, int windowTop);

  ui::ViewContext context_;
  std::unique_ptr<MarketTabs> model_;
  bool building_ = false;
};

// The order settings' price level ("PriceLevel"), read at each click; 0
// without order settings.
int OrderPriceLevel(const ui::ViewContext& context);

}  // namespace marketviews
