#include "engine/testing/calculation_engine.h"

#include <utility>

namespace engine_testing {

using engine::Text;

CalculationEngine::CalculationEngine() {
  BaseCallbacks callbacks;
  callbacks.log = [this](int, const char* text) { logLines.emplace_back(text); };
  callbacks.quoteLastPrice = [this](std::string_view exchange, std::string_view contract, double& price) {
    ++quoteAsks;
    lockFreeDuringQuote = LockFreeForOtherThreads();
    const auto quote = quotes.find(std::string(exchange) + "," + std::string(contract));
    if (quote == quotes.end()) return false;
    price = quote->second;
    return true;
  };
  InstallBaseCallbacks(std::move(callbacks));
  SetLoginTexts({.tradingDate = std::string(kToday)});
}

engine::LegList CalculationEngine::Close(const engine::ClosingTrade& trade, std::string_view openClose) {
  engine::LegList legs;
  CloseByStrategy(CloseStrategyOf(trade.exchangeCode, openClose), legs, trade);
  return legs;
}

void CalculationEngine::NotifyTableChange(const engine::TableChangeRecord& record) {
  notified.push_back({record, TableAt(engine::Table::kPositionSummary).GetCount()});
}

bool CalculationEngine::QueryFeeRate(std::string_view exchange, std::string_view seat, std::string_view contract,
                                     std::string_view customer, engine::FeeRateRow& row) {
  ++feeRateQueries;
  for (const engine::FeeRateRow& rates : backEndFeeRates) {
    if (Text(rates.szExchangeCode) == exchange && Text(rates.szSeatCode) == seat &&
        Text(rates.szContractCode) == contract && Text(rates.szTradeAccount) == customer) {
      row = rates;
      return true;
    }
  }
  return false;
}

bool CalculationEngine::QueryOptionParams(std::string_view exchange, std::string_view, std::string_view contract,
                                          std::string_view, engine::OptionParamsRow& row) {
  ++optionParamQueries;
  for (const engine::OptionParamsRow& params : backEndOptionParams) {
    if (Text(params.szExchangeCode) == exchange && Text(params.szContractCode) == contract) {
      row = params;
      return true;
    }
  }
  return false;
}

bool CalculationEngine::QueryLastPrice(std::string_view contracts, std::string& answer) {
  lastPriceQueries.emplace_back(contracts);
  if (lastPrices) {
    const std::optional<std::string> prices = lastPrices(contracts);
    if (prices) answer = *prices;
    return prices.has_value();
  }
  const auto found = backEndLastPrices.find(std::string(contracts));
  if (found == backEndLastPrices.end()) return false;
  answer = found->second;
  return true;
}

void CalculationEngine::UpsertExercisableQuantity(const engine::PositionSummaryRow* position) {
  exercisableUpdates.emplace_back(Text(position->szContractCode));
}

void AddCombinationPosition(OpenEngine& engine) {
  struct LegOpened {
    std::string_view legNumber, dealNo, contract, buySell, price, margin;
  };
  for (const LegOpened& leg :
       {LegOpened{"1", "11", "cu2609", "0", "3000", "6000.00"}, LegOpened{"2", "12", "cu2612", "1", "3100", "0.00"}}) {
    engine.Add(engine::Table::kPositionDetails, Detail({.openDate = kToday,
                                                        .dealNo = leg.dealNo,
                                                        .buySell = leg.buySell,
                                                        .lots = "2",
                                                        .price = leg.price,
                                                        .margin = leg.margin,
                                                        .kind = "0",
                                                        .contract = leg.contract}));
    engine.Add(engine::Table::kCombinationDetails, Leg({.openDate = kToday,
                                                        .kind = "0",
                                                        .legNumber = leg.legNumber,
                                                        .combinationNo = "S9",
                                                        .dealNo = leg.dealNo,
                                                        .contract = leg.contract,
                                                        .lots = "2",
                                                        .strategy = "SPD"}));
  }
}

engine::ClosingTrade Closing(std::string_view buySell, int lots, std::string_view contract) {
  return {.account = kAccount,
          .exchangeCode = kExchange,
          .seatCode = kSeat,
          .tradeCode = kTradeCode,
          .contractCode = contract,
          .buySell = buySell,
          .hedge = "0",
          .lots = lots};
}

engine::PositionKey Position(std::string_view buySell, std::string_view contract) {
  return {.account = std::string(kAccount),
          .exchangeCode = std::string(kExchange),
          .seatCode = std::string(kSeat),
          .tradeCode = std::string(kTradeCode),
          .contractCode = std::string(contract),
          .hedge = "0",
          .buySell = std::string(buySell)};
}

}  // namespace engine_testing
