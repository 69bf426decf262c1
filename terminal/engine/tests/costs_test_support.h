// An engine whose back-end queries and quote fallback are scripted, with the
// cost calculations and table builds opened for tests, and builders of the
// rows they read.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/combination_summary_row.h"
#include "engine/reference_rows.h"
#include "engine/testing/account_rows.h"
#include "engine/testing/engine_test_support.h"
#include "engine/trading_rows.h"

namespace costs_test {

using engine::SetText;
using engine::Table;
using engine::Text;

class CostsEngine : public engine_test::TestEngine {
 public:
  CostsEngine() {
    BaseCallbacks callbacks;
    callbacks.quoteLastPrice = [this](std::string_view exchange, std::string_view contract, double& price) {
      ++quoteAsks;
      lockFreeDuringQuote = LockFreeForOtherThreads();
      const auto quote = quotes.find(std::string(exchange) + "," + std::string(contract));
      if (quote == quotes.end()) return false;
      price = quote->second;
      return true;
    };
    InstallBaseCallbacks(std::move(callbacks));
  }

  using COperationEngineBase::BuildCombinationTable;
  using COperationEngineBase::BuildPositionSummary;
  using COperationEngineBase::SetLoginTexts;
  using COperationEngineBase::SumAccountFrozen;
  using COperationEngineBase::SumDirectionVolume;
  using COperationEngineBase::SumOptionValues;
  using COperationEngineBase::SumSummaryMargins;
  using COperationEngineBase::UpdateContractProfit;

  template <engine::EngineRow Row>
  void Add(Table table, const Row& row) {
    ASSERT_TRUE(engine_testing::AddRow(TableAt(table), row));
  }
  template <engine::EngineRow Row>
  std::vector<Row> Rows(Table table) {
    return RowsOf<Row>(TableAt(table));
  }
  template <engine::EngineRow Row>
  static std::vector<Row> RowsOf(const backend::CxDataSet& list) {
    std::vector<Row> rows;
    for (std::uint32_t index = 0; index < list.GetCount(); ++index) {
      rows.push_back(*engine::RowFromBytes<Row>(list.GetValue(index)));
    }
    return rows;
  }

  // The back end's rows, by key; every query is counted.
  std::vector<engine::FeeRateRow> backEndFeeRates;
  std::vector<engine::OptionParamsRow> backEndOptionParams;
  std::map<std::string, std::string> backEndLastPrices;  // contract list -> answer
  int feeRateQueries = 0;
  int optionParamQueries = 0;
  std::vector<std::string> lastPriceQueries;
  // The quote table: "exchange,contract" -> last price.
  std::map<std::string, double> quotes;
  int quoteAsks = 0;
  bool lockFreeDuringQuote = false;

 protected:
  bool QueryFeeRate(std::string_view exchange, std::string_view seat, std::string_view contract,
                    std::string_view customer, engine::FeeRateRow& row) override {
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
  bool QueryOptionParams(std::string_view exchange, std::string_view, std::string_view contract, std::string_view,
                         engine::OptionParamsRow& row) override {
    ++optionParamQueries;
    for (const engine::OptionParamsRow& params : backEndOptionParams) {
      if (Text(params.szExchangeCode) == exchange && Text(params.szContractCode) == contract) {
        row = params;
        return true;
      }
    }
    return false;
  }
  bool QueryLastPrice(std::string_view contracts, std::string& lastPrices) override {
    lastPriceQueries.emplace_back(contracts);
    const auto answer = backEndLastPrices.find(std::string(contracts));
    if (answer == backEndLastPrices.end()) return false;
    lastPrices = answer->second;
    return true;
  }

 private:
  // Whether another thread could take the engine lock now.
  bool LockFreeForOtherThreads() {
    bool free = false;
    std::thread other([&] {
      if (lock_.try_lock()) {
        free = true;
        lock_.unlock();
      }
    });
    other.join();
    return free;
  }
};

// The account, exchange, seat and contract most tests use, and the rows
// shared with the benchmarks.
using engine_testing::Contract;
using engine_testing::FeeRates;
using engine_testing::Fund;
using engine_testing::kAccount;
using engine_testing::kExchange;
using engine_testing::kSeat;
using engine_testing::Order;
using engine_testing::SetPair;

inline engine::ContractRow Option(std::string_view code, std::string_view multiplier, std::string_view type,
                                  std::string_view strike, std::string_view variety, std::string_view period) {
  engine::ContractRow row = Contract(code, multiplier, "1");
  SetText(row.szOptionType, type);
  SetText(row.szStrikePrice, strike);
  SetText(row.szVarietyCode, variety);
  SetText(row.szAccountDay, period);
  return row;
}

inline engine::ExchangeSeatRow ExchangeSeat(std::string_view exchange, std::string_view abbreviation,
                                            std::string_view name = "") {
  engine::ExchangeSeatRow row{};
  SetText(row.szExchangeCode, exchange);
  SetText(row.szExchangeAbbr, abbreviation);
  SetText(row.szExchangeName, name);
  SetText(row.szSeatCode, kSeat);
  return row;
}

inline engine::PriceContractRow PriceRow(std::string_view contract, std::string_view price,
                                         std::string_view exchange = kExchange) {
  engine::PriceContractRow row{};
  SetText(row.szExchangeCode, exchange);
  SetText(row.szContractCode, contract);
  SetText(row.szNewPrice, price);
  return row;
}

// A position summary row of the usual account, exchange, seat and hedge.
inline engine::PositionSummaryRow Summary(std::string_view contract, std::string_view buySell, std::string_view lots,
                                          std::string_view todayLots = "") {
  engine::PositionSummaryRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szContractCode, contract);
  SetText(row.szFlagSH, "0");
  SetText(row.szFlagBS, buySell);
  SetText(row.szPositionVolume, lots);
  SetText(row.szTodayVolume, todayLots);
  SetText(row.szSeatCode, kSeat);
  SetText(row.szMapCode, "T01");
  return row;
}

}  // namespace costs_test
