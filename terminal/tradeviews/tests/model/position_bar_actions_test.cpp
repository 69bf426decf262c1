#include "tradeviews/model/position_bar_actions.h"

#include <gtest/gtest.h>

#include "support/bar_engine.h"
#include "tradeviews/model/bar_rows.h"
#include "tradeviews/model/query_bar_layout.h"

namespace {

using namespace tradeviews;
using engine::SetText;
using engine::Table;
using engine::Text;
using engine_testing::Summary;
using engine_testing::SummaryFields;
using tradeviews_testing::Texts;

backend::QuoteRecord Quote(float bid, float ask, float lower = 0, float upper = 0) {
  backend::QuoteRecord quote{};
  quote.fBuyPrice1 = bid;
  quote.fSellPrice1 = ask;
  quote.fLowerLimitPrice = lower;
  quote.fUpperLimitPrice = upper;
  return quote;
}

class PositionBarActions : public tradeviews_testing::BarEngine {
 protected:
  ui::GridRow RowOf(const SummaryFields& fields) { return PositionGridRow(Summary(fields), lookups); }
  RowQuotation Quotation(backend::QuoteRecord quote) { return {"S", quote}; }
};

TEST(ClosePrice, ALongPositionSellsAtTheBidLessTheLevelNotBelowTheLowerLimit) {
  EXPECT_EQ(ClosePriceOf(Quote(3500.004f, 0), true, 1, 1), "3499.00");
  EXPECT_EQ(ClosePriceOf(Quote(3500, 0, 3499.5f), true, 1, 1), "3499.50");
  EXPECT_EQ(ClosePriceOf(Quote(0, 0, 3400), true, 1, 1), "0.00");
}

TEST(ClosePrice, AShortPositionBuysAtTheAskPlusTheLevelNotAboveTheUpperLimit) {
  EXPECT_EQ(ClosePriceOf(Quote(0, 3000.4f), false, 2, 0.2), "3000.80");
  EXPECT_EQ(ClosePriceOf(Quote(0, 3000.4f, 0, 3000.6f), false, 2, 0.2), "3000.60");
}

TEST(ClosePrice, APriceOfATickBelowACentKeepsItsDecimals) {
  EXPECT_EQ(ClosePriceOf(Quote(101.305f, 0), true, 1, 0.005), "101.300");
}

TEST_F(PositionBarActions, AQuickCloseSendsTheOppositeSideAtTheClosePrice) {
  services.settings.priceLevel = 1;
  QuickOrder(RowOf({.contract = "m2609", .lots = "4", .buySell = "0"}), "平仓", Quotation(Quote(3000.2f, 3000.4f)),
             false, services);
  ASSERT_EQ(services.orders.size(), 1u);
  EXPECT_EQ(services.orders[0],
            (Texts{"", "", "", "S", "m2609", "1", "1", "0", "4", "3000.00", "T01", "S01", "0", "0", "", "0", "8001"}));

  // A lock opens the other side; a short position buys.
  QuickOrder(RowOf({.contract = "m2609", .hedge = "1", .lots = "2", .buySell = "1"}), "开仓",
             Quotation(Quote(3000.2f, 3000.4f)), false, services);
  ASSERT_EQ(services.orders.size(), 2u);
  EXPECT_EQ(services.orders[1][5], "0");
  EXPECT_EQ(services.orders[1][6], "0");
  EXPECT_EQ(services.orders[1][7], "1");
  EXPECT_EQ(services.orders[1][9], "3000.60");
}

TEST_F(PositionBarActions, WithoutABidTheCloseGoesOutAtZero) {
  QuickOrder(RowOf({.lots = "1"}), "平仓", Quotation(Quote(0, 0)), false, services);
  ASSERT_EQ(services.orders.size(), 1u);
  EXPECT_EQ(services.orders[0][9], "0.00");
}

TEST_F(PositionBarActions, ADoubleClickFillsTheFormUnlessTheSettingSendsTheClose) {
  const ui::GridRow row = RowOf({.contract = "m2609", .hedge = "1", .lots = "4", .buySell = "0"});
  QuickOrder(row, "平仓", Quotation(Quote(3000.2f, 3000.4f)), true, services);
  EXPECT_TRUE(services.orders.empty());
  ASSERT_EQ(services.forms.size(), 1u);
  const order_module::OrderRecord& form = services.forms[0];
  EXPECT_EQ(Text(form.customerNo), "8001");
  EXPECT_EQ(Text(form.contractCode), "m2609");
  EXPECT_EQ(Text(form.buySell), "1");
  EXPECT_EQ(Text(form.openClose), "1");
  EXPECT_EQ(Text(form.hedge), "1");
  EXPECT_EQ(Text(form.lots), "4");
  EXPECT_EQ(Text(form.price), "3000.20");

  services.settings.doubleClickSendsClose = true;
  QuickOrder(row, "平仓", Quotation(Quote(3000.2f, 3000.4f)), true, services);
  EXPECT_EQ(services.orders.size(), 1u);
  EXPECT_EQ(services.forms.size(), 1u);
}

TEST_F(PositionBarActions, AReverseOpensTheDialogWithTheClosePriceAndLots) {
  ReverseOrder(RowOf({.lots = "2", .buySell = "1"}), "平仓", Quotation(Quote(76000, 76010)), prompts, services);
  ASSERT_TRUE(prompts.reverse.has_value());
  const PositionOrderRecord& record = *prompts.reverse;
  EXPECT_EQ(Text(record.contract), "cu2609");
  EXPECT_EQ(Text(record.buySell), "卖出");
  EXPECT_EQ(Text(record.openClose), "平仓");
  EXPECT_EQ(Text(record.lots), "2");
  EXPECT_EQ(Text(record.price), "76010.00");
  const ReverseTicket ticket = ReverseTicketOf(record);
  EXPECT_EQ(ticket.sideText, "买入");
  EXPECT_EQ(ticket.sideCode, "0");
  EXPECT_EQ(ticket.order.seat, "S01");
  EXPECT_EQ(ticket.order.tradeCode, "T01");
  EXPECT_EQ(ticket.order.exchangeCode, "S");
  EXPECT_EQ(ticket.order.OpenCloseCode(), "1");
}

TEST_F(PositionBarActions, TheReverseDialogChecksItsEditsInOrder) {
  PositionOrderRecord record{};
  SetText(record.customer, "8001");
  SetText(record.contract, "cu2609");
  SetText(record.info, "S01|T01|S|");
  SetText(record.buySell, "买入");
  SetText(record.openClose, "平仓");
  const ReverseTicket ticket = ReverseTicketOf(record);
  struct Case {
    ReverseInputs inputs;
    const char* message;
  };
  for (const Case& test : {
           Case{{"", "1", "76000", "1"}, "平仓价格不能为空!"},
           Case{{"76000", "0", "76000", "1"}, "平仓手数不能为空或零!"},
           Case{{"76000", "", "76000", "1"}, "平仓手数不能为空或零!"},
           Case{{"76000", "1", "", "1"}, "开仓价格不能为空!"},
           Case{{"76000", "1", "76000", "0"}, "开仓手数不能为空或零!"},
           Case{{"76005", "1", "76000", "1"}, "平仓价格不符合最小变动价位!"},
           Case{{"76000", "1", "76003", "1"}, "平仓价格不符合最小变动价位!"},
           Case{{"abc", "1", "76000", "1"}, "平仓价格不符合最小变动价位!"},
       }) {
    EXPECT_EQ(SubmitReverse(ticket, test.inputs, services), test.message);
  }
  EXPECT_TRUE(services.reverses.empty());

  // A price of 0 is no price: it needs no tick.
  EXPECT_EQ(SubmitReverse(ticket, {"76010", "2", "0", "3"}, services), "");
  ASSERT_EQ(services.reverses.size(), 1u);
  EXPECT_EQ(services.reverses[0], (Texts{"",    "",  "",  "S", "cu2609", "1", "1", "0", "2", "76010", "T01",
                                         "S01", "0", "0", "",  "3",      "0", "0", "0", "0", "8001"}));
}

TEST_F(PositionBarActions, AMarketReverseGoesOutAtOnceWithMarketCodes) {
  MarketReverseOrder(RowOf({.hedge = "1", .lots = "3", .buySell = "0"}), "1", services);
  ASSERT_EQ(services.reverses.size(), 1u);
  EXPECT_EQ(services.reverses[0], (Texts{"",    "",  "",  "S", "cu2609", "1", "1", "1", "3", "0",   "T01",
                                         "S01", "1", "2", "",  "3",      "0", "1", "2", "0", "8001"}));
  MarketReverseOrder(RowOf({.buySell = "1"}), "1", services);
  EXPECT_EQ(services.reverses[1][5], "0");
}

TEST_F(PositionBarActions, TheForecastIsThePriceAtWhichTheFundsRunOut) {
  engine.Add(Table::kFunds, engine_testing::Fund({.usable = "20000"}));
  const auto forecast = [&](std::string_view side) {
    ui::GridRow row = RowOf({.lots = "2", .positionPrice = "3500", .buySell = side});
    // cu2609 has 5 per lot: the example's multiplier is 10.
    engine.Replace(Table::kContracts, engine_testing::Contract({.exchange = "S", .multiplier = "10", .tick = "10"}));
    return LiquidationForecast(row, engine);
  };
  EXPECT_EQ(forecast("0"), "合     约：cu2609\n买     卖：买入\n持仓手数：2\n持仓均价：3500.00\n穿仓价格：2500.00\n");
  EXPECT_NE(forecast("1").value_or("").find("穿仓价格：4500.00\n"), std::string::npos);
}

TEST_F(PositionBarActions, TheForecastShowsNoPriceWhereNoneCanBeTold) {
  engine.Add(Table::kFunds, engine_testing::Fund({.account = "other", .usable = "20000"}));
  EXPECT_NE(LiquidationForecast(RowOf({.lots = "2"}), engine).value_or("").find("穿仓价格：-\n"), std::string::npos);
  engine.Add(Table::kFunds, engine_testing::Fund({.usable = "20000"}));
  EXPECT_NE(LiquidationForecast(RowOf({.lots = "0"}), engine).value_or("").find("穿仓价格：-\n"), std::string::npos);
  MakeReconnecting();
  EXPECT_FALSE(LiquidationForecast(RowOf({.lots = "2"}), engine).has_value());
}

}  // namespace
