// The option quote board (the model of CTMarketOptionDlg): the option map
// built once the contracts are downloaded, the series shown in the T grid
// (with a quote reference for its underlying futures contract, whose price
// places the strike at the money), the option shown in the detail panel,
// the quotes reaching both, and the board's layout. It listens to the quote
// object for quotes. Nothing here asks the back end: the underlying's price
// comes from the quote table, or for an index option from a look-up the
// owner runs in the background. GUI thread only; no toolkit.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gridctl/model/grid_types.h"
#include "marketviews/model/contract_catalogue.h"
#include "marketviews/model/option_detail.h"
#include "marketviews/model/option_series.h"
#include "marketviews/model/option_t_rows.h"
#include "quotes/optional_contract.h"
#include "quotes/watch_callback.h"

namespace marketviews {

using gridctl::Rect;

// Where the board's parts stand in its client rectangle.
struct BoardLayout {
  Rect centreButton;  // "定位平值期权"
  Rect seriesCombo;
  Rect detail;  // empty when hidden
  Rect detailToggle;
  Rect grid;
};
BoardLayout LayOutBoard(const Rect& client, bool detailHidden);

class OptionBoard final : public quotes::CWatchCallback {
 public:
  // The price an index option's exchange ("cffex") gives its underlying
  // index, or none yet (the owner asks in the background and calls
  // Reshade once it knows).
  using IndexPrice = std::function<std::optional<double>(const OptionContract& option)>;
  // Told the text of a notice for the output pane.
  using Notice = std::function<void(const std::string& text)>;

  // The quote object outlives the board.
  OptionBoard(quotes::CtbOptionalContract& quotes, IndexPrice indexPrice, Notice notice);
  ~OptionBoard();
  OptionBoard(const OptionBoard&) = delete;
  OptionBoard& operator=(const OptionBoard&) = delete;

  // Builds the option map the first time it has any series and shows the
  // first series; false (and nothing kept) while the map is empty, so that
  // the next download of the contracts tries again.
  bool LoadOptionContracts(OptionMap map, ContractCatalogue catalogue);
  bool Loaded() const { return loaded_; }
  const OptionMap& Map() const { return map_; }

  // The series shown (the picker's current text).
  const std::string& CurrentSeries() const { return series_; }
  // Shows the series; false, nothing changed, for a series the map does not
  // hold.
  bool ShowSeries(const std::string& name);
  // The option of the strike row and side is shown in the detail panel.
  void SelectOption(const std::string& code);

  OptionTRows& Grid() { return grid_; }
  const OptionDetail& Detail() const { return detail_; }
  const ContractCatalogue& Catalogue() const { return catalogue_; }

  // The underlying's price as known now; -1 when it is not.
  double UnderlyingPrice() const;
  // Shades the rows around the strike at the money; the row.
  int Reshade();
  // The shown rows changed: their contracts come first for the quote slots,
  // before the series' other rows and before other holders' contracts.
  void OnRowsShown(int first, int last);

  // Told when a quote changed the shading or the detail panel's values.
  void SetRefreshHandler(std::function<void()> handler) { refresh_ = std::move(handler); }

  bool OnQuote(int event, const backend::QuoteRecord* quote) override;

 private:
  void HoldUnderlying(const std::optional<quotes::ContractKey>& key);
  void TellUnquoted();
  std::string LetterOf(const std::string& code) const;

  quotes::CtbOptionalContract& quotes_;
  IndexPrice indexPrice_;
  Notice notice_;
  bool loaded_ = false;
  OptionMap map_;
  ContractCatalogue catalogue_;
  std::string series_;
  // The underlying futures contract of the series shown, whose quote the
  // board holds; none for an index option.
  std::optional<quotes::ContractKey> underlying_;
  OptionTRows grid_;
  OptionDetail detail_;
  std::vector<std::string> unquoted_;
  std::function<void()> refresh_;
};

}  // namespace marketviews
