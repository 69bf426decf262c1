#include "engine/account_sums.h"

#include <gtest/gtest.h>

#include "costs_test_support.h"

namespace {

using namespace costs_test;
using engine::OrderKindRow;
using engine::PositionSummaryRow;

// A summary row priced by the refresh: lots, direction, kind, costs and
// holding price.
PositionSummaryRow Held(std::string_view buySell, std::string_view tradeClass, std::string_view lots,
                        std::string_view openCost, std::string_view positionCost, std::string_view positionPrice = "") {
  PositionSummaryRow row = Summary("cu2609", buySell, lots);
  SetText(row.szTradeClass, tradeClass);
  SetText(row.szOpenCost, openCost);
  SetText(row.szPositionCost, positionCost);
  SetText(row.szPositionPrice, positionPrice);
  return row;
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
    engine.Add(Table::kContracts, Contract("cu2609", "10"));
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

  CostsEngine engine;
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
  CostsEngine engine;
  using engine::OrderRow;
  const OrderRow counted[] = {
      Order("cu2609", "0", "1", "p", "5", "2"),  // 3 pending
      Order("cu2609", "0", "2", "a", "4"),       // 4 pending, closing today
  };
  OrderRow otherTradeCode = Order("cu2609", "0", "1", "n", "100");
  SetText(otherTradeCode.szMapCode, "T02");
  const OrderRow ignored[] = {
      Order("cu2609", "0", "1", "c", "5", "5"),  // fully traded
      Order("cu2609", "0", "1", "d", "5"),       // cancelled
      Order("cu2609", "0", "0", "n", "5"),       // opening
      Order("cu2609", "1", "1", "n", "5"),       // the other direction
      Order("cu2612", "0", "1", "n", "5"),       // another contract
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
  CostsEngine engine;
  // "DS" closing ("1" as key 5): buy leg cu2609, sell leg cu2612.
  engine::SpecialOrderRow order{};
  SetText(order.szTradeAccount, kAccount);
  SetText(order.szExchangeCode, kExchange);
  SetText(order.szSpecField21, "T01");
  SetText(order.szStrategyCode, "DS");
  SetText(order.szSpecField12, "0");
  SetText(order.szSpecField10, "1");
  SetText(order.szFlagOrderState, "p");
  SetText(order.szOrderHands, "6");
  SetText(order.szDealHands, "2");
  SetText(order.szLegContractCode1, "cu2609");
  SetText(order.szLegContractCode2, "cu2612");
  engine.Add(Table::kSpecialOrders, order);

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
  CostsEngine engine;
  engine::OrderRow buy = Order("cu2609", "0", "0", "n", "1");
  SetText(buy.szFrozenCautionMoney, "3000.00");
  SetText(buy.szFrozenCharge, "5.00");
  SetText(buy.szFrozenPremium, "255.00");
  engine::OrderRow sell = Order("cu2609", "1", "0", "n", "1");
  SetText(sell.szFrozenCautionMoney, "3600.004");
  SetText(sell.szFrozenCharge, "5.00");
  engine::OrderRow otherAccount = buy;
  SetText(otherAccount.szTradeAccount, "8002");
  for (const engine::OrderRow& order : {buy, sell, otherAccount}) engine.Add(Table::kOrders, order);

  // "SPD" with key 4 "1": the first leg sells, the second buys.
  engine::SpecialOrderRow spread{};
  SetText(spread.szTradeAccount, kAccount);
  SetText(spread.szExchangeCode, kExchange);
  SetText(spread.szStrategyCode, "SPD");
  SetText(spread.szSpecField12, "1");
  SetText(spread.szSpecField10, "0");
  SetText(spread.szLegFrozenMoney1, "100.00");
  SetText(spread.szLegFrozenMoney2, "50.00");
  SetText(spread.szLegFrozenCharge1, "1.00");
  SetText(spread.szLegFrozenCharge2, "2.00");
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
  CostsEngine engine;
  PositionSummaryRow buy = Summary("cu2609", "0", "1");
  SetText(buy.szEngrossCautionMoney, "3000.123456");
  SetText(buy.szProfitAndLoss_CC, "200.00");
  SetText(buy.szOptionMarketValue, "-");
  SetText(buy.szFLOATINGMARGIN, "-");
  PositionSummaryRow sold = Summary("m2609-C-3000", "1", "1");
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
  CostsEngine engine;
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
  CostsEngine engine;
  OrderKindRow row{};
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szStrategyCode, "BFLY");
  SetText(row.szKindKey3, "0");
  SetText(row.szKindKey4, "0");
  SetText(row.szKindKey5, "0");
  SetText(row.szLegCount, "3");
  engine.Add(Table::kOrderKinds, row);
  SetText(row.szLegCount, "4");
  engine.Add(Table::kOrderKinds, row);

  OrderKindRow kind{};
  ASSERT_TRUE(engine.FindOrderKind(kExchange, "BFLY", "0", "0", "0", kind));
  EXPECT_EQ(Text(kind.szLegCount), "3");
  EXPECT_FALSE(engine.FindOrderKind(kExchange, "BFLY", "0", "0", "1", kind));
  EXPECT_FALSE(engine.FindOrderKind("F2", "BFLY", "0", "0", "0", kind));
}

}  // namespace
