// The engine's calculations for tests, without a start: the back end's
// fee rates, option parameters and last prices and the quote table are
// scripted, every query counted, and what the GUI is told is recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/position_changes.h"
#include "engine/testing/open_engine.h"

namespace engine_testing {

class CalculationEngine : public OpenEngine {
 public:
  // Trading on kToday, logging into `logLines`, the quote table as `quotes`.
  CalculationEngine();
  // The download thread calls virtual members: it stops before this class
  // goes, so that no base destructor changes the object under it.
  ~CalculationEngine() override { StopDownloadThread(); }

  // Closes by the strategy the trade's exchange and open/close code choose.
  engine::LegList Close(const engine::ClosingTrade& trade, std::string_view openClose = "1");

  // What the GUI is told at once, with the summary's row count when it is
  // told.
  struct Notified {
    engine::TableChangeRecord record;
    std::uint32_t summaryRows;
  };
  void NotifyTableChange(const engine::TableChangeRecord& record) override;
  std::vector<Notified> notified;

  // The back end's rows, by key; every query is counted.
  std::vector<engine::FeeRateRow> backEndFeeRates;
  std::vector<engine::OptionParamsRow> backEndOptionParams;
  std::map<std::string, std::string> backEndLastPrices;  // contract list -> answer
  // When set, the back end's last prices instead: the answer to a contract
  // list, or a failed query when it gives nothing.
  std::function<std::optional<std::string>(std::string_view contracts)> lastPrices;
  int feeRateQueries = 0;
  int optionParamQueries = 0;
  std::vector<std::string> lastPriceQueries;
  // The quote table: "exchange,contract" -> last price.
  std::map<std::string, double> quotes;
  int quoteAsks = 0;
  bool lockFreeDuringQuote = false;
  std::vector<std::string> logLines;
  std::vector<std::string> exercisableUpdates;  // contracts whose quantities were asked

 protected:
  bool QueryFeeRate(std::string_view exchange, std::string_view seat, std::string_view contract,
                    std::string_view customer, engine::FeeRateRow& row) override;
  bool QueryOptionParams(std::string_view exchange, std::string_view optionKind, std::string_view contract,
                         std::string_view customer, engine::OptionParamsRow& row) override;
  bool QueryLastPrice(std::string_view contracts, std::string& answer) override;
  void UpsertExercisableQuantity(const engine::PositionSummaryRow* position) override;
};

// Combination position S9 of strategy SPD, its legs of ratio 1, each of 2
// lots opened today: a buy of cu2609 by deal 11 holding 6000.00 of margin and
// a sell of cu2612 by deal 12 holding none; their position details and
// combination legs.
void AddCombinationPosition(OpenEngine& engine);

// The usual account's closing trade of `lots`.
engine::ClosingTrade Closing(std::string_view buySell, int lots, std::string_view contract = kContract);

// The usual account's position on one side of a contract.
engine::PositionKey Position(std::string_view buySell, std::string_view contract = kContract);

}  // namespace engine_testing
