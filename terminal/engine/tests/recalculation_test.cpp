#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/combination_contract_row.h"
#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::FundRow;
using engine::PositionDetailRow;
using engine::PositionSummaryRow;
using engine::PriceContractRow;
using engine::Table;
using engine::Text;
using engine::TradeRow;

// A download as the recalculation finds it.
//
// Account 8001 held 2 lots of cu2609 bought at 3000 before the open (margin
// 6000.00), sold 1 lot at 3100 and bought 1 lot at 3050 today, and has a
// buy order pending with 3050.00 and 5.05 frozen; cu2609 is at 3080 now.
// Account 8002 holds a call on F1 and one on F2, the "cffex" exchange, and
// the call is at 60. The fund rows hold the back end's own figures, which
// the recalculation replaces.
void LoadDownload(CalculationEngine& engine) {
  engine::ContractRow futures = Contract({.code = "cu2609", .multiplier = "10"});
  SetText(futures.szVarietyCode, "cu");
  engine.Add(Table::kContracts, futures);
  engine.Add(Table::kContracts, Option("m2609C3000", "10"));
  engine::ContractRow index = Option("io2609C4000", "100");
  SetText(index.szExchangeCode, "F2");
  engine.Add(Table::kContracts, index);
  engine.backEndFeeRates.push_back(FeeRates("cu2609"));
  engine.Add(Table::kExchangeSeats, ExchangeSeat({.abbreviation = "sfe"}));
  engine.Add(Table::kExchangeSeats, ExchangeSeat({.exchange = "F2", .abbreviation = "cffex"}));
  engine::CombinationContractRow combination{};
  SetText(combination.szExchangeCode, kExchange);
  engine.Add(Table::kCombinationContracts, combination);

  engine.Add(Table::kPositionDetails, Detail({.lots = "2", .price = "3000", .margin = "6000.00"}));
  const std::pair<std::string_view, std::string_view> calls[] = {{kExchange, "m2609C3000"}, {"F2", "io2609C4000"}};
  for (const auto& [exchange, contract] : calls) {
    PositionDetailRow option =
        Detail({.dealNo = "2", .lots = "1", .price = "50", .margin = "0.00", .contract = contract});
    SetText(option.szTradeAccount, "8002");
    SetText(option.szExchangeCode, exchange);
    engine.Add(Table::kPositionDetails, option);
  }
  engine.Add(Table::kTrades, Trade({.buySell = "1", .openClose = "1", .lots = "1", .price = "3100", .dealNo = "5"}));
  engine.Add(Table::kTrades, Trade({.lots = "1", .price = "3050", .dealNo = "6"}));
  engine::OrderRow order = Order({.lots = "1"});
  SetText(order.szFrozenCautionMoney, "3050.00");
  SetText(order.szFrozenCharge, "5.05");
  engine.Add(Table::kOrders, order);

  engine.Add(Table::kFunds, Fund({.previousBalance = "100000.00",
                                  .usable = "1.00",
                                  .equity = "1.00",
                                  .fees = "99.00",
                                  .totalMargin = "99.00"}));
  FundRow options = Fund({.previousBalance = "10000.00", .usable = "1.00", .equity = "1.00"});
  SetText(options.szTradeAccount, "8002");
  engine.Add(Table::kFunds, options);

  engine.lastPrices = [](std::string_view list) -> std::optional<std::string> {
    const std::map<std::string, std::string> prices{{"F1,cu2609", "3080"}, {"F1,m2609C3000", "60"}};
    std::string answer;
    for (std::size_t start = 0; start < list.size();) {
      const std::size_t end = list.find(';', start);
      const auto price = prices.find(std::string(list.substr(start, end - start)));
      answer.append(price == prices.end() ? "" : price->second).append(";");
      start = end + 1;
    }
    return answer;
  };
}

class Recalculation : public ::testing::Test {
 protected:
  void SetUp() override { LoadDownload(engine); }

  CalculationEngine engine;
};

TEST_F(Recalculation, ReplaysTheDaysTradesOverThePositionsBeforeTheOpen) {
  engine.Recalculate();

  const std::vector<TradeRow> trades = engine.Rows<TradeRow>(Table::kTrades);
  // Closed: 0.0001 * 31000 + 2; opened: 0.0001 * 30500 + 2, margin 0.1 * 30500.
  EXPECT_EQ(Text(trades[0].szCommission), "5.10");
  EXPECT_EQ(Text(trades[0].szMargin), "");
  EXPECT_EQ(Text(trades[0].szRoyalty), "0.00");
  EXPECT_EQ(Text(trades[1].szCommission), "5.05");
  EXPECT_EQ(Text(trades[1].szMargin), "3050.00");

  const std::vector<PositionDetailRow> details = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(details.size(), 4u);
  EXPECT_EQ(Text(details[0].szPositionVolume), "1");
  EXPECT_EQ(Text(details[0].szEngrossCautionMoney), "3000.00");
  EXPECT_EQ(Text(details[3].szDealNo), "6");
  EXPECT_EQ(Text(details[3].szOpenDate), kToday);

  const std::vector<PositionSummaryRow> summary = engine.Rows<PositionSummaryRow>(Table::kPositionSummary);
  ASSERT_EQ(summary.size(), 3u);
  const PositionSummaryRow& held = summary[0];
  EXPECT_EQ(Text(held.szPositionVolume), "2");
  EXPECT_EQ(Text(held.szTodayVolume), "1");
  EXPECT_EQ(Text(held.szPositionPrice), "3025.00");
  EXPECT_EQ(Text(held.szEngrossCautionMoney), "6050.00");
  EXPECT_EQ(Text(held.szNewPrice), "3080.00");
  // 2 * 10 * 3080 - 10 * 6050.
  EXPECT_EQ(Text(held.szProfitAndLoss_CC), "1100.00");
  EXPECT_EQ(Text(summary[1].szOptionMarketValue), "600.00");

  std::vector<std::string> priced;
  for (const PriceContractRow& row : engine.Rows<PriceContractRow>(Table::kPriceContracts)) {
    priced.push_back(std::string(Text(row.szExchangeCode)) + "," + std::string(Text(row.szContractCode)));
  }
  EXPECT_EQ(priced, (std::vector<std::string>{"F1,cu2609", "F1,m2609C3000", "F2,io2609C4000"}));
  EXPECT_EQ(engine.exercisableUpdates, (std::vector<std::string>{"m2609C3000"}));

  const std::vector<engine::ExchangeSeatRow> seats = engine.Rows<engine::ExchangeSeatRow>(Table::kExchangeSeats);
  EXPECT_EQ(Text(seats[0].szCombinationFlag), "1");
  EXPECT_EQ(Text(seats[1].szCombinationFlag), "0");

  EXPECT_NE(std::ranges::find(engine.logLines, "计算引擎：持仓0:cu2609|0|0|2|1|3025.00|3025.00|6050.00|"),
            engine.logLines.end());
}

struct FundCase {
  std::string_view name;
  bool floatingProfitCounts;
  std::string_view usable;
};

TEST(RecalculatedFunds, AreRecomputedFromTheDaysFiguresAndThePositions) {
  // 100000 + 1000 closed - 10.15 fees - 3055.05 frozen - 6050 margin, and
  // the floating profit of 1100 when it counts.
  const FundCase cases[] = {
      {"a floating profit kept out of the available funds", false, "91884.80"},
      {"a floating profit counted in them", true, "92984.80"},
  };
  for (const FundCase& test : cases) {
    SCOPED_TRACE(test.name);
    CalculationEngine engine;
    LoadDownload(engine);
    engine.SetFloatingProfitCounts(test.floatingProfitCounts);
    engine.Recalculate();

    const std::vector<FundRow> funds = engine.Rows<FundRow>(Table::kFunds);
    const FundRow& fund = funds[0];
    EXPECT_EQ(Text(fund.szUsableMoney), test.usable);
    EXPECT_EQ(Text(fund.szDynamicRights), "102089.85");
    EXPECT_EQ(Text(fund.szBFreeze), "3050.00");
    EXPECT_EQ(Text(fund.szSFreeze), "0.00");
    EXPECT_EQ(Text(fund.szBCautionMoney), "6050.00");
    EXPECT_EQ(Text(fund.szSCautionMoney), "0.00");
    EXPECT_EQ(Text(fund.szCommissionCharge), "10.15");
    EXPECT_EQ(Text(fund.szProfitAndLoss), "1100.00");
    EXPECT_EQ(Text(fund.szOffsetProfitAndLoss), "1000.00");
    EXPECT_EQ(Text(fund.szFreezeCommissionCharge), "5.05");
    EXPECT_EQ(Text(fund.szTotalFreeze), "3055.05");
    EXPECT_EQ(Text(fund.szTotalCautionMoney), "6050.00");
    EXPECT_EQ(Text(fund.szFrozenRoyalty), "0.00");
    EXPECT_EQ(Text(fund.szOptionMarketValue), "0.00");
    EXPECT_EQ(Text(fund.szFLOATINGMARGIN), "0.00");
    // The bought calls: 10000 available, and the market value of the priced
    // one in the equity.
    EXPECT_EQ(Text(funds[1].szUsableMoney), "10000.00");
    EXPECT_EQ(Text(funds[1].szDynamicRights), "10600.00");
    EXPECT_EQ(Text(funds[1].szOptionMarketValue), "600.00");
  }
}

TEST(RecalculatedFunds, TakeThePremiumsOfTheDaysOptionTrades) {
  // The back end's figures (none) were taken before the fills that the
  // trades, downloaded after them, hold: 2 calls bought at 50 and 1 sold at
  // 55, multiplier 10.
  CalculationEngine engine;
  LoadDownload(engine);
  engine.Add(Table::kTrades, Trade({.contract = "m2609C3000", .lots = "2", .price = "50", .dealNo = "8"}));
  engine.Add(
      Table::kTrades,
      Trade({.contract = "m2609C3000", .buySell = "1", .openClose = "1", .lots = "1", .price = "55", .dealNo = "9"}));
  engine.Recalculate();

  const FundRow recomputed = engine.Rows<FundRow>(Table::kFunds)[0];
  EXPECT_EQ(Text(recomputed.szRoyaltyOut), "1000.00");
  EXPECT_EQ(Text(recomputed.szRoyaltyIn), "550.00");
}

}  // namespace
