// The model of the market tab view CQuentaraView: one tab per group of one
// kind that is not hidden, each tab's rows (MarketRows), the quote object's
// current kind and group following the tab the user shows, the quote window
// following the rows the user scrolls to, and the quotes reaching the rows
// of the tab shown. It listens to the quote object for quotes and for
// changes of the groups. GUI thread only; no toolkit.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "marketviews/model/contract_catalogue.h"
#include "marketviews/model/market_rows.h"
#include "quotes/optional_contract.h"
#include "quotes/watch_callback.h"

namespace marketviews {

// Where the first shown row and the last one seen whole stand after a
// scroll, and where they stood before.
struct ScrollPosition {
  int newTop = 0;
  int oldTop = 0;
  int lastVisibleRow = -1;  // -1: no row reaches the bottom of the grid
};

// Whether a scroll moves the group's quote window (whose top row is
// `windowTop`, -1 for none): when the rows shown leave the window.
bool ScrollMovesQuoteWindow(const ScrollPosition& scroll, int windowTop);

class MarketTabs final : public quotes::CWatchCallback {
 public:
  // Listens to the quote object, which outlives this model. `catalogue`
  // gives the contracts' names and ticks afresh at each build of the tabs.
  MarketTabs(quotes::CtbOptionalContract& quotes, int kind, std::function<ContractCatalogue()> catalogue);
  ~MarketTabs();
  MarketTabs(const MarketTabs&) = delete;
  MarketTabs& operator=(const MarketTabs&) = delete;

  int Kind() const { return kind_; }
  // The groups were loaded since the tabs were built (or they never were).
  bool Stale() const { return builtFromLoad_ != quotes_.LoadCount(); }
  // Builds the tabs anew when they are stale; true when it did. The rows of
  // the tabs before are gone: the windows over them must go first.
  bool Refresh();
  int TabCount() const { return static_cast<int>(tabs_.size()); }
  MarketRows& Tab(int index) { return *tabs_.at(static_cast<std::size_t>(index)); }
  const ContractCatalogue& Catalogue() const { return catalogue_; }

  // The tab of the kind's current group; -1 when no tab shows it.
  int CurrentGroupTab() const;
  // The view is shown: its kind becomes the current kind. The tab to show,
  // that of the kind's current group (-1: keep the one shown).
  int OnViewActivated();
  // The tab is shown: its group becomes the current group, and its rows
  // receive the quotes.
  void OnTabActivated(int index);
  int ActiveTab() const { return active_; }
  // The rows of the shown tab were scrolled.
  void OnTabScrolled(int index, const ScrollPosition& scroll);
  // The order of a click on a cell of the tab's rows.
  std::optional<order_module::OrderRecord> ClickOrder(int index, int shownRow, int column,
                                                      const ClickContext& context) const;

  // Told after a tab's rows were refilled from its changed group, with the
  // group's quote window top row (the view shows its rows from there again).
  void SetRefilledHandler(std::function<void(int index, int windowTop)> handler) { refilled_ = std::move(handler); }

  bool OnQuote(int event, const backend::QuoteRecord* quote) override;
  bool OnGroupChanged(int event, int kind, const quotes::ContractGroupList* groups) override;

 private:
  quotes::CtbOptionalContract& quotes_;
  int kind_;
  std::function<ContractCatalogue()> makeCatalogue_;
  ContractCatalogue catalogue_;
  std::vector<std::unique_ptr<MarketRows>> tabs_;
  std::optional<std::uint64_t> builtFromLoad_;
  int active_ = -1;
  std::function<void(int, int)> refilled_;
};

}  // namespace marketviews
