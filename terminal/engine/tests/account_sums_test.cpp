#include "engine/account_sums.h"

#include <gtest/gtest.h>

#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::OrderKindRow;
using engine::PositionSummaryRow;
using engine::Table;
using engine::Text;

// A summary row priced by the refresh: lots, direction, kind, costs and
// holding price.
PositionSummaryRow Held(std::string_view buySell, std::string_view tradeClass, std::string_view lots,
                        std::string_view openCost, std::string_view positionCost, std::string_view positionPrice = "") {
  return Summary({.lots = lots,
                  .positionPrice = positionPrice,
                  .buySell = buySell,
                  .positionCost = positionCost,
                  .openCost = openCost,
                  .tradeClass = tradeClass});
}

struct ProfitTexts {
  std::string_view newPrice, floating, markToMarket, marketValue, inTheMoney;
};

void ExpectProfit(const PositionSummaryRow& row, const ProfitTexts& expected) {
  EXPECT_EQ(Text(row.szNewPrice), expected.newPrice);
  EXPECT_EQ(Text(row.szProfitAndLoss_KC), expected.floating);
  EXPECT_EQ(Text(row.szProfitAndLoss_CC), expected.markToMarket);
  EXPECT_EQ(Text(row.szOptionMarketValue), expected.marketValue);
  EXPECT_EQ(Text(row.szFLOATINGMARGIN), expected.inTheMoney);
}

class ContractProfit : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    // Sold and bought futures, bought and sold options (the kind comes from
    // the row), and a row of another contract that stays as it is.
    engine.Add(Table::kPositionSummary, Held("1", "0", "2", "6100", "6000"));
    engine.Add(Table::kPositionSummary, Held("0", "0", "2", "5900", "6000"));
    engine.Add(Table::kPositionSummary, Held("0", "1", "3", "30", "30"));
    engine.Add(Table::kPositionSummary, Held("1", "1", "3", "30", "30", "2980"));
    PositionSummaryRow other = Held("0", "0", "1", "1", "1");
    SetText(other.szContractCode, "cu2612");
    engine.Add(Table::kPositionSummary, other);
  }

  std::vector<PositionSummaryRow> Refresh(std::string_view price) {
    engine.UpdateContractProfit(PriceRow("cu2609", price), engine.TableAt(Table::kPositionSummary));
    return engine.Rows<PositionSummaryRow>(Table::kPositionSummary);
  }

  CalculationEngine engine;
};

TEST_F(ContractProfit, AListedPriceRefreshesEveryRowOfTheContract) {
  const std::vector<PositionSummaryRow> rows = Refresh("2990");
  // Sold futures: 10 * 6000 - 2 * 10 * 2990 = 200.
  ExpectProfit(rows[0], {"2990", "1200.00", "200.00", "-", "-"});
  ExpectProfit(rows[1], {"2990", "800.00", "-200.00", "-", "-"});
  // Options: 3 lots * 10 * 2990 of market value; the sold one lies 10 above
  // its holding price.
  ExpectProfit(rows[2], {"2990", "-", "-", "89700.00", "0.00"});
  ExpectProfit(rows[3], {"2990", "-", "-", "-89700.00", "300.00"});
  ExpectProfit(rows[4], {"", "", "", "", ""});
  EXPECT_EQ(engine.quoteAsks, 0);
}

TEST_F(ContractProfit, WithoutAListedPriceTheQuoteGivesTheProfitsOrEveryValueIsUnknown) {
  engine.quotes["F1,cu2609"] = 2990;
  for (const std::string_view noPrice : {"", "0"}) {
    const std::vector<PositionSummaryRow> rows = Refresh(noPrice);
    ExpectProfit(rows[0], {"-", "1200.00", "200.00", "-", "-"});
    ExpectProfit(rows[2], {"-", "-", "-", "89700.00", "0.00"});
  }
  EXPECT_TRUE(engine.lockFreeDuringQuote);

  engine.quotes.clear();
  const std::vector<PositionSummaryRow> rows = Refresh("");
  for (const PositionSummaryRow& row : std::span(rows).first(4)) ExpectProfit(row, {"-", "-", "-", "-", "-"});
}

TEST(PendingCloseLots, OnlyPendingCloseOrdersOfTheContractAndDirectionCount) {
  CalculationEngine engine;
  using engine::OrderRow;
  const OrderRow counted[] = {
      Order({.state = "p", .openClose = "1", .lots = "5", .traded = "2"}),  // 3 pending
      Order({.openClose = "2", .lots = "4"}),                               // 4 pending, closing today
  };
  OrderRow otherTradeCode = Order({.state = "n", .openClose = "1", .lots = "100"});
  SetText(otherTradeCode.szMapCode, "T02");
  const OrderRow ignored[] = {
      Order({.state = "c", .openClose = "1", .lots = "5", .traded = "5"}),         // fully traded
      Order({.state = "d", .openClose = "1", .lots = "5"}),                        // cancelled
      Order({.state = "n", .lots = "5"}),                                          // opening
      Order({.state = "n", .buySell = "1", .openClose = "1", .lots = "5"}),        // the other direction
      Order({.contract = "cu2612", .state = "n", .openClose = "1", .lots = "5"}),  // another contract
      otherTradeCode,
  };
  for (const OrderRow& order : counted) engine.Add(Table::kOrders, order);
  for (const OrderRow& order : ignored) engine.Add(Table::kOrders, order);

  engine::PendingCloseKey key{.account = kAccount,
                              .exchangeCode = kExchange,
                              .tradeCode = "T01",
                              .contractCode = "cu2609",
                              .hedge = "0",
                              .buySell = "0"};
  engine::PendingCloseLots lots = engine.SumDirectionVolume(key);
  EXPECT_EQ(lots.lots, 7);
  EXPECT_EQ(lots.todayLots, 4);

  // An empty trade code stands for any.
  key.tradeCode = "";
  EXPECT_EQ(engine.SumDirectionVolume(key).lots, 107);
}

TEST(PendingCloseLots, ASpecialOrderAddsTheRatioTimesItsOpenCombinationsForItsClosingLeg) {
  CalculationEngine engine;
  // "DS" closing ("1" as key 5): buy leg cu2609, sell leg cu2612.
  engine.Add(Table::kSpecialOrders, SpecialOrder({.state = "p",
                                                  .tradeCode = kTradeCode,
                                                  .traded = "2",
                                                  .lots = "6",
                                                  .strategy = "DS",
                                                  .key4 = "0",
                                                  .key5 = "1",
                                                  .legContracts = {"cu2609", "cu2612"}}));

  engine::PendingCloseKey key{.account = kAccount,
                              .exchangeCode = kExchange,
                              .tradeCode = "T01",
                              .contractCode = "cu2612",
                              .hedge = "0",
                              .buySell = "1"};
  EXPECT_EQ(engine.SumDirectionVolume(key).lots, 4);
  key.buySell = "0";  // the leg of cu2612 sells
  EXPECT_EQ(engine.SumDirectionVolume(key).lots, 0);
  key.contractCode = "cu2609";
  EXPECT_EQ(engine.SumDirectionVolume(key).lots, 4);
}

TEST(AccountSums, FrozenAmountsCountEveryOrderAndEveryLegOfASpecialOrderOnce) {
  CalculationEngine engine;
  engine::OrderRow buy =
      Order({.state = "n", .lots = "1", .frozenMargin = "3000.00", .frozenFee = "5.00", .frozenPremium = "255.00"});
  engine::OrderRow sell =
      Order({.state = "n", .buySell = "1", .lots = "1", .frozenMargin = "3600.004", .frozenFee = "5.00"});
  engine::OrderRow otherAccount = buy;
  SetText(otherAccount.szTradeAccount, "8002");
  for (const engine::OrderRow& order : {buy, sell, otherAccount}) engine.Add(Table::kOrders, order);

  // "SPD" with key 4 "1": the first leg sells, the second buys.
  engine::SpecialOrderRow spread = SpecialOrder({.strategy = "SPD",
                                                 .key4 = "1",
                                                 .key5 = "0",
                                                 .legFrozenMoney = {"100.00", "50.00"},
                                                 .legFrozenFees = {"1.00", "2.00"}});
  engine.Add(Table::kSpecialOrders, spread);
  // A special order of no known kind freezes nothing here.
  SetText(spread.szStrategyCode, "XYZ");
  engine.Add(Table::kSpecialOrders, spread);

  for (int pass = 0; pass < 2; ++pass) {
    const engine::FrozenSums sums = engine.SumAccountFrozen(kAccount);
    EXPECT_DOUBLE_EQ(sums.buy, 3050);
    EXPECT_DOUBLE_EQ(sums.sell, 3700);
    EXPECT_DOUBLE_EQ(sums.fee, 13);
    EXPECT_DOUBLE_EQ(sums.premium, 255);
  }
}

TEST(AccountSums, MarginsAndOptionValuesSumTheAccountsSummaryRows) {
  CalculationEngine engine;
  PositionSummaryRow buy = Summary({.lots = "1"});
  SetText(buy.szEngrossCautionMoney, "3000.123456");
  SetText(buy.szProfitAndLoss_CC, "200.00");
  SetText(buy.szOptionMarketValue, "-");
  SetText(buy.szFLOATINGMARGIN, "-");
  PositionSummaryRow sold = Summary({.contract = "m2609-C-3000", .lots = "1", .buySell = "1"});
  SetText(sold.szEngrossCautionMoney, "1900");
  SetText(sold.szProfitAndLoss_CC, "-");
  SetText(sold.szOptionMarketValue, "-375.00");
  SetText(sold.szFLOATINGMARGIN, "75.00");
  PositionSummaryRow otherAccount = buy;
  SetText(otherAccount.szTradeAccount, "8002");
  for (const PositionSummaryRow& row : {buy, sold, otherAccount}) engine.Add(Table::kPositionSummary, row);

  const engine::MarginSums margins = engine.SumSummaryMargins(kAccount);
  EXPECT_DOUBLE_EQ(margins.buy, 3000.12346);
  EXPECT_DOUBLE_EQ(margins.sell, 1900);
  const engine::OptionValueSums values = engine.SumOptionValues(kAccount);
  EXPECT_DOUBLE_EQ(values.floatingProfit, 200);
  EXPECT_DOUBLE_EQ(values.marketValue, -375);
  EXPECT_DOUBLE_EQ(values.inTheMoney, 75);
}

TEST(OrderKinds, TheBuiltInKindsAnswerWithoutTheTable) {
  CalculationEngine engine;
  struct Case {
    std::string_view strategy, key4;
    bool found;
    std::string_view firstLegSide, secondLegSide;
  };
  const Case cases[] = {
      {"DS", "0", true, "0", "1"},  {"DS", "1", false, "", ""},  {"SPD", "0", true, "0", "1"},
      {"SPD", "1", true, "1", "0"}, {"XYZ", "0", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.strategy) + " " + std::string(c.key4));
    OrderKindRow kind{};
    SetText(kind.szStrategyCode, "stale");
    ASSERT_EQ(engine.FindOrderKind(kExchange, c.strategy, "7", c.key4, "1", kind), c.found);
    EXPECT_EQ(Text(kind.legs[0].szFlagBS), c.firstLegSide);
    EXPECT_EQ(Text(kind.legs[1].szFlagBS), c.secondLegSide);
    if (!c.found) {
      EXPECT_EQ(Text(kind.szStrategyCode), "");
      continue;
    }
    EXPECT_EQ(Text(kind.szKindKey3), "7");
    EXPECT_EQ(Text(kind.szLegCount), "2");
    for (const engine::OrderKindLeg& leg : std::span(kind.legs).first(2)) {
      EXPECT_EQ(Text(leg.szFlagEO), "1");
      EXPECT_EQ(Text(leg.szVolumeRatio), "1");
    }
    EXPECT_EQ(Text(kind.legs[0].szPriceSign), "1");
    EXPECT_EQ(Text(kind.legs[1].szPriceSign), "-1");
    EXPECT_EQ(Text(kind.legs[0].szMarginFactor), "1");
    EXPECT_EQ(Text(kind.legs[1].szMarginFactor), "0");
  }
}

TEST(OrderKinds, AnyOtherStrategyIsTheFirstTableRowOfAllFiveKeys) {
  CalculationEngine engine;
  engine.Add(Table::kOrderKinds, OrderKind({.strategy = "BFLY", .legCount = "3"}));
  engine.Add(Table::kOrderKinds, OrderKind({.strategy = "BFLY", .legCount = "4"}));

  OrderKindRow kind{};
  ASSERT_TRUE(engine.FindOrderKind(kExchange, "BFLY", "0", "0", "0", kind));
  EXPECT_EQ(Text(kind.szLegCount), "3");
  EXPECT_FALSE(engine.FindOrderKind(kExchange, "BFLY", "0", "0", "1", kind));
  EXPECT_FALSE(engine.FindOrderKind("F2", "BFLY", "0", "0", "0", kind));
}

}  // namespace
