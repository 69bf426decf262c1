// The cost-test engine with the position steps opened for tests, and
// builders of the rows they read: trades, position details, combination
// legs and fund rows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "costs_test_support.h"
#include "engine/position_changes.h"

namespace positions_test {

using namespace costs_test;
using engine::FundRow;
using engine::PositionDetailRow;
using engine::PositionSummaryRow;
using engine::TableChangeRecord;
using engine::TradeRow;

using engine_testing::Detail;
using engine_testing::kToday;
using engine_testing::kTradeCode;
using engine_testing::kYesterday;

class PositionsEngine : public CostsEngine {
 public:
  PositionsEngine() {
    BaseCallbacks callbacks = Callbacks();
    callbacks.log = [this](int, const char* text) { logLines.emplace_back(text); };
    InstallBaseCallbacks(std::move(callbacks));
    SetLoginTexts({.tradingDate = std::string(kToday)});
  }

  using COperationEngineBase::AddTradePosition;
  using COperationEngineBase::ApplyTradeToPositions;
  using COperationEngineBase::CalcTradeFee;
  using COperationEngineBase::CloseByStrategy;
  using COperationEngineBase::CloseStrategyOf;
  using COperationEngineBase::GetCloseStrategy;
  using COperationEngineBase::Recalculate;
  using COperationEngineBase::RecomputeSummaryMargin;
  using COperationEngineBase::RefreshPrices;
  using COperationEngineBase::SetFloatingProfitCounts;
  using COperationEngineBase::TakeChangeQueue;
  using COperationEngineBase::UpdatePositionSummary;

  // The engine's own fee-rate answer, which the test engine replaces with a
  // recording one.
  void EngineFeeRateAnswer(std::string_view exchangeCode, std::string_view seatCode, std::string_view contractCode,
                           std::string_view customer, backend::CxDataSet& answer) {
    COperationEngineBase::LocalFeeRateAnswer(exchangeCode, seatCode, contractCode, customer, answer);
  }

  // Closes by the strategy the trade's exchange and open/close code choose.
  engine::LegList Close(const engine::ClosingTrade& trade, std::string_view openClose = "1") {
    engine::LegList legs;
    CloseByStrategy(CloseStrategyOf(trade.exchangeCode, openClose), legs, trade);
    return legs;
  }

  // What the GUI is told at once, with the summary's row count when it is
  // told.
  struct Notified {
    TableChangeRecord record;
    std::uint32_t summaryRows;
  };
  void NotifyTableChange(const TableChangeRecord& record) override {
    notified.push_back({record, TableAt(Table::kPositionSummary).GetCount()});
  }
  std::vector<Notified> notified;

  // The back end's last prices: the answer to a contract list, or a failed
  // query when it gives nothing.
  std::function<std::optional<std::string>(std::string_view contracts)> lastPrices;
  std::vector<std::string> logLines;
  std::vector<std::string> exercisableUpdates;  // contracts whose quantities were asked

 protected:
  bool QueryLastPrice(std::string_view contracts, std::string& answer) override {
    if (!lastPrices) return CostsEngine::QueryLastPrice(contracts, answer);
    lastPriceQueries.emplace_back(contracts);
    const std::optional<std::string> prices = lastPrices(contracts);
    if (prices) answer = *prices;
    return prices.has_value();
  }
  void UpsertExercisableQuantity(const PositionSummaryRow* position) override {
    exercisableUpdates.emplace_back(Text(position->szContractCode));
  }
};

inline TradeRow Trade(std::string_view buySell, std::string_view openClose, std::string_view lots,
                      std::string_view price, std::string_view dealNo, std::string_view contract = "cu2609") {
  TradeRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szContractCode, contract);
  SetText(row.szNameBS, buySell);
  SetText(row.szNameEO, openClose);
  SetText(row.szNameSH, "0");
  SetText(row.szDealHands, lots);
  SetText(row.szDealPrice, price);
  SetText(row.szMapCode, kTradeCode);
  SetText(row.szSysNo, "S" + std::string(dealNo));
  SetText(row.szDealNo, dealNo);
  SetText(row.szTradeField21, contract.substr(2));
  SetText(row.szSeatCode, kSeat);
  return row;
}

// The usual account's closing trade of `lots` on cu2609.
inline engine::ClosingTrade Closing(std::string_view buySell, int lots, std::string_view contract = "cu2609") {
  return {.account = kAccount,
          .exchangeCode = kExchange,
          .seatCode = kSeat,
          .tradeCode = kTradeCode,
          .contractCode = contract,
          .buySell = buySell,
          .hedge = "0",
          .lots = lots};
}

inline engine::PositionKey Position(std::string_view buySell, std::string_view contract = "cu2609") {
  return {.account = std::string(kAccount),
          .exchangeCode = std::string(kExchange),
          .seatCode = std::string(kSeat),
          .tradeCode = std::string(kTradeCode),
          .contractCode = std::string(contract),
          .hedge = "0",
          .buySell = std::string(buySell)};
}

// One fund row field and its text.
struct FundField {
  char (FundRow::*field)[16];
  std::string_view text;
};

inline FundRow FundWith(std::string_view usable, std::string_view equity, std::vector<FundField> fields = {}) {
  FundRow row = Fund(usable);
  SetText(row.szDynamicRights, equity);
  for (const FundField& field : fields) SetText(row.*field.field, field.text);
  return row;
}

}  // namespace positions_test
