#include "tradeviews/model/order_bar_actions.h"

#include <gtest/gtest.h>

#include "support/bar_engine.h"
#include "tradeviews/model/bar_rows.h"
#include "tradeviews/model/query_bar_layout.h"

namespace {

using namespace tradeviews;
using engine::SetText;
using engine::Text;
using engine_testing::Order;
using engine_testing::OrderFields;
using tradeviews_testing::Texts;

class OrderBarActions : public tradeviews_testing::BarEngine {
 protected:
  void SetUp() override {
    BarEngine::SetUp();
    grid_.SetColumns(OrderBarLayout().columns);
  }

  ui::GridRow RowOf(const OrderFields& fields) { return OrderGridRow(Order(fields), lookups); }
  void Show(const OrderFields& fields) { grid_.AddRow(RowOf(fields)); }

  static backend::QuoteRecord Quote(float bid, float ask) {
    backend::QuoteRecord quote{};
    quote.fBuyPrice1 = bid;
    quote.fSellPrice1 = ask;
    return quote;
  }

  ui::GridModel grid_;
};

TEST_F(OrderBarActions, OnlyAWorkingOrderIsCancelled) {
  for (const char* state : {"c", "d", "f", ""}) {
    CancelOrder(RowOf({.orderNo = "5", .state = state}), false, services, prompts);
  }
  EXPECT_TRUE(services.cancels.empty());
  EXPECT_EQ(prompts.messages, Texts(4, "此委托单不可撤!"));

  for (const char* state : {"n", "p", "a", "t"}) {
    CancelOrder(RowOf({.orderNo = "5", .state = state, .seat = "S01", .orderSeat = "S09"}), false, services, prompts);
  }
  ASSERT_EQ(services.cancels.size(), 4u);
  EXPECT_EQ(services.cancels[0].customer, "8001");
  EXPECT_EQ(services.cancels[0].orderNos, Texts{"5"});
  EXPECT_EQ(services.cancels[0].seats, Texts{"S01"});
  EXPECT_EQ(services.cancels[0].orderSeats, Texts{"S09"});
}

TEST_F(OrderBarActions, ACancelAsksFirstWhenTheSettingsSaySoAndShowsARefusal) {
  services.settings.confirmCancel = true;
  prompts.answerOk = false;
  CancelOrder(RowOf({.orderNo = "77"}), false, services, prompts);
  EXPECT_EQ(prompts.questions, Texts{" 待撤委托单号: 77\n\n\n 确定撤单吗?"});
  EXPECT_TRUE(services.cancels.empty());

  // Without an order number there is nothing to ask about or to send.
  CancelOrder(RowOf({.orderNo = ""}), false, services, prompts);
  EXPECT_EQ(prompts.questions.size(), 1u);
  EXPECT_TRUE(services.cancels.empty());

  prompts.answerOk = true;
  services.refusal = "计算引擎正在处理断线重连。";
  CancelOrder(RowOf({.account = "9002", .orderNo = "77"}), true, services, prompts);
  ASSERT_EQ(services.cancels.size(), 1u);
  EXPECT_EQ(services.cancels[0].customer, "9002");
  EXPECT_EQ(prompts.messages, Texts{"计算引擎正在处理断线重连。"});
}

TEST_F(OrderBarActions, ABatchCancelSendsOneRequestPerCustomerInGridOrder) {
  Show({.account = "A", .orderNo = "1"});
  Show({.account = "B", .orderNo = "2", .seat = "S2", .orderSeat = "O2"});
  Show({.account = "A", .orderNo = "3", .state = "c"});
  Show({.account = "A", .orderNo = "4", .state = "p"});
  Show({.account = "B", .orderNo = "", .state = "a"});
  // Rows the filter hides are cancelled too.
  ui::ColumnFilterState filter{order_column::kOrderNo, false, {"1"}};
  grid_.SetFilter(filter);
  BatchCancel(grid_, "", true, services);
  ASSERT_EQ(services.batches.size(), 2u);
  EXPECT_EQ(services.batches[0].customer, "A");
  EXPECT_EQ(services.batches[0].orderNos, (Texts{"1", "4"}));
  EXPECT_EQ(services.batches[1].customer, "B");
  EXPECT_EQ(services.batches[1].orderNos, Texts{"2"});
  EXPECT_EQ(services.batches[1].seats, Texts{"S2"});
  EXPECT_EQ(services.batches[1].orderSeats, Texts{"O2"});
  EXPECT_EQ(services.logLines, Texts{"撤批量单请求成功！"});

  BatchCancel(grid_, "B", true, services);
  ASSERT_EQ(services.batches.size(), 3u);
  EXPECT_EQ(services.batches[2].customer, "B");
  EXPECT_EQ(services.logLines.back(), "撤批量单B请求成功！");
  // The filter is text in the line, never a format.
  BatchCancel(grid_, "%s%n", true, services);
  EXPECT_EQ(services.logLines.back(), "撤批量单%s%n请求成功！");
}

TEST_F(OrderBarActions, ABatchCancelOfFinishedOrdersSendsNothingAndOfNoRowsLogsNothing) {
  BatchCancel(grid_, "", false, services);
  EXPECT_TRUE(services.logLines.empty());
  Show({.orderNo = "1", .state = "c"});
  Show({.orderNo = "2", .state = "d"});
  BatchCancel(grid_, "", false, services);
  EXPECT_TRUE(services.batches.empty());
  EXPECT_EQ(services.logLines, Texts{"撤批量单请求成功！"});
}

TEST_F(OrderBarActions, ARefusedBatchStopsTheGroupsAfterIt) {
  for (const char* account : {"A", "B", "C"}) Show({.account = account, .orderNo = "1"});
  services.refuseBatchFrom = 1;
  BatchCancel(grid_, "", true, services);
  EXPECT_EQ(services.batches.size(), 2u);
  EXPECT_EQ(services.logLines, Texts{"撤批量单请求失败！"});
}

TEST_F(OrderBarActions, TheOrderFormGetsTheOtherSidesPriceMovedByThePriceLevel) {
  services.settings.priceLevel = 2;
  services.quotation = Quote(3000.2f, 3000.4f);
  FillOrderForm(RowOf({.account = "8001", .contract = "m2609", .buySell = "0", .openClose = "1", .lots = "3"}),
                kOrderBarFill, services);
  ASSERT_EQ(services.forms.size(), 1u);
  const order_module::OrderRecord& buy = services.forms[0];
  EXPECT_EQ(Text(buy.contractCode), "m2609");
  EXPECT_EQ(Text(buy.customerNo), "8001");
  EXPECT_EQ(Text(buy.buySell), "0");
  EXPECT_EQ(Text(buy.openClose), "1");
  EXPECT_EQ(Text(buy.hedge), "0");
  EXPECT_EQ(Text(buy.lots), "3");
  EXPECT_EQ(Text(buy.price), "3000.80");
  EXPECT_EQ(services.quoteExchanges, Texts{"S"});

  FillOrderForm(RowOf({.contract = "m2609", .buySell = "1"}), kOrderBarFill, services);
  EXPECT_EQ(Text(services.forms[1].price), "2999.80");
}

TEST_F(OrderBarActions, AFilledPriceKeepsTheTicksDecimals) {
  services.settings.priceLevel = 1;
  services.quotation = Quote(101.305f, 101.31f);
  FillOrderForm(RowOf({.contract = "T2609", .buySell = "1"}), kOrderBarFill, services);
  ASSERT_EQ(services.forms.size(), 1u);
  EXPECT_EQ(Text(services.forms[0].price), "101.300");
  EXPECT_EQ(PriceMovedByTicks(0, true, 3, 0.2), "0.00");
}

TEST_F(OrderBarActions, WithoutAQuotationOrAContractTheFormGetsNoPriceOrNothing) {
  FillOrderForm(RowOf({.contract = "m2609"}), kOrderBarFill, services);
  ASSERT_EQ(services.forms.size(), 1u);
  EXPECT_EQ(Text(services.forms[0].price), "");
  FillOrderForm(RowOf({.contract = " \t"}), kOrderBarFill, services);
  EXPECT_EQ(services.forms.size(), 1u);
}

TEST_F(OrderBarActions, AChangeOfPriceTakesTheUntradedLotsOfAWorkingLimitOrder) {
  engine::OrderRow order = Order({.account = "8001",
                                  .orderNo = "55",
                                  .contract = "m2609",
                                  .state = "p",
                                  .buySell = "1",
                                  .openClose = "1",
                                  .lots = "5",
                                  .price = "3001.2",
                                  .traded = "2",
                                  .seat = "S01",
                                  .orderSeat = "S09"});
  SetText(order.szOrderFormType, "0");
  SetText(order.szDealAttr, "1");
  ChangePrice(OrderGridRow(order, lookups), services, prompts);
  ASSERT_TRUE(prompts.changePrice.has_value());
  const ChangePriceRecord& record = *prompts.changePrice;
  EXPECT_EQ(Text(record.orderNo), "55");
  EXPECT_EQ(Text(record.exchange), "S");
  EXPECT_EQ(Text(record.seat), "S01");
  EXPECT_EQ(Text(record.contract), "m2609");
  EXPECT_EQ(Text(record.tradeCode), "T01");
  EXPECT_EQ(Text(record.buySell), "1");
  EXPECT_EQ(Text(record.openClose), "1");
  EXPECT_EQ(Text(record.lots), "3");
  EXPECT_EQ(Text(record.price), "3001.20");
  EXPECT_EQ(Text(record.hedge), "0");
  EXPECT_EQ(Text(record.orderSeat), "S09");
  EXPECT_EQ(Text(record.priceType), "0");
  EXPECT_EQ(Text(record.dealAttribute), "1");
  EXPECT_EQ(Text(record.customer), "8001");
}

TEST_F(OrderBarActions, OnlyWorkingLimitOrdersChangePrice) {
  engine::OrderRow market = Order({.orderNo = "1"});
  SetText(market.szOrderFormType, "1");
  ChangePrice(OrderGridRow(market, lookups), services, prompts);
  ChangePrice(RowOf({.orderNo = "2", .state = "c"}), services, prompts);
  EXPECT_EQ(prompts.messages, Texts(2, "此委托单不可改价下单!"));
  EXPECT_FALSE(prompts.changePrice.has_value());
  // No price type at all is a limit order.
  ChangePrice(RowOf({.orderNo = "3", .state = "n"}), services, prompts);
  EXPECT_TRUE(prompts.changePrice.has_value());
}

}  // namespace
