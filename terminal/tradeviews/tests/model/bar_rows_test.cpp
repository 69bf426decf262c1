#include "tradeviews/model/bar_rows.h"

#include <gtest/gtest.h>

#include "support/bar_engine.h"
#include "tradeviews/model/query_bar_layout.h"

namespace {

using namespace tradeviews;
using engine::SetText;
using engine_testing::Order;
using engine_testing::Summary;
using engine_testing::Trade;
using tradeviews_testing::kBond;
using tradeviews_testing::kCopper;
using tradeviews_testing::kMeal;
using tradeviews_testing::kUnpriced;

class BarRows : public tradeviews_testing::BarEngine {};

TEST_F(BarRows, AnOrderShowsItsCodesAsTextsAndItsPricesInItsTicksDecimals) {
  namespace c = order_column;
  engine::OrderRow order = Order({.orderNo = "000123",
                                  .contract = kBond,
                                  .state = "p",
                                  .buySell = "1",
                                  .openClose = "2",
                                  .lots = "5",
                                  .price = "101.335",
                                  .traded = "2",
                                  .frozenMargin = "1234.5"});
  SetText(order.szDealPrice, "101.34");
  SetText(order.szOrderFormType, "0");
  SetText(order.szDealAttr, "2");
  SetText(order.szOrderType, "N");
  SetText(order.szTradeClass, "0");
  const ui::GridRow row = OrderGridRow(order, lookups);
  ASSERT_EQ(row.ColumnCount(), c::kCount);
  EXPECT_EQ(row.Text(c::kOrderNo), "123");
  EXPECT_EQ(row.Text(c::kState), "部分成交");
  EXPECT_EQ(row.Colour(c::kState), kGreen);
  EXPECT_EQ(row.Text(c::kBuySell), "卖出");
  EXPECT_EQ(row.Colour(c::kBuySell), kGreen);
  EXPECT_EQ(row.Text(c::kOpenClose), "平今");
  EXPECT_EQ(row.Colour(c::kOpenClose), kBlue);
  EXPECT_EQ(row.Text(c::kPrice), "101.335");
  EXPECT_EQ(row.Text(c::kTradedPrice), "101.340");
  EXPECT_EQ(row.Colour(c::kTradedLots), kRed);
  EXPECT_EQ(row.Text(c::kFrozenMargin), "1234.50");
  EXPECT_EQ(row.Text(c::kFrozenFee), "0.00");
  EXPECT_EQ(row.Text(c::kPriceType), "限价");
  EXPECT_EQ(row.Text(c::kDealAttribute), "剩余即撤销[FAK]");
  EXPECT_EQ(row.Text(c::kOrderKind), "盈损单普通委托");
  EXPECT_EQ(row.Text(c::kHedge), "投机");
  EXPECT_EQ(row.Text(c::kTradeCode), "T01");
  EXPECT_EQ(row.Text(c::kProductKind), "期货");
}

TEST_F(BarRows, OrderStatesAndNumbersTakeTheirColoursAndForms) {
  namespace c = order_column;
  struct Case {
    const char* state;
    const char* orderNo;
    std::uint32_t stateColour;
    const char* shownNo;
  };
  for (const Case& test : {Case{"c", "7", kRed, "7"}, Case{"a", "0", kGreen, ""}, Case{"t", "", kGreen, ""},
                           Case{"d", "x", kOlive, ""}, Case{"", "42", kOlive, "42"}}) {
    const ui::GridRow row = OrderGridRow(Order({.orderNo = test.orderNo, .state = test.state}), lookups);
    EXPECT_EQ(row.Colour(c::kState), test.stateColour) << test.state;
    EXPECT_EQ(row.Text(c::kOrderNo), test.shownNo) << test.orderNo;
    EXPECT_EQ(row.Colour(c::kTradedLots), ui::kDefaultColour);
  }
}

TEST_F(BarRows, PricesShowAtLeastTwoDecimalsAndAnUnknownContractTwo) {
  for (const auto& [contract, shown] : {std::pair{kCopper, "76430.00"}, std::pair{kMeal, "76430.00"},
                                        std::pair{kBond, "76430.000"}, std::pair{kUnpriced, "76430.00"}}) {
    const ui::GridRow row = OrderGridRow(Order({.contract = contract, .price = "76430"}), lookups);
    EXPECT_EQ(row.Text(order_column::kPrice), shown) << contract;
  }
}

TEST_F(BarRows, ATradesPremiumIsPaidOnABuyAndReceivedOnASell) {
  namespace c = trade_column;
  struct Case {
    const char* buySell;
    const char* premium;
    const char* shown;
    std::uint32_t colour;
  };
  for (const Case& test : {Case{"0", "120", "-120.00", kGreen}, Case{"1", "120", "120.00", kRed},
                           Case{"0", "0", "0.00", kBlack}, Case{"1", "", "0.00", kBlack},
                           // A refund on a buy reads as a receipt, not as "--5.00".
                           Case{"0", "-5", "5.00", kRed}}) {
    engine::TradeRow trade =
        Trade({.exchange = "S", .buySell = test.buySell, .lots = "1", .price = "3000", .dealNo = "9"});
    SetText(trade.szOrderNo, "0042");
    SetText(trade.szRoyalty, test.premium);
    const ui::GridRow row = TradeGridRow(trade, lookups);
    EXPECT_EQ(row.Text(c::kPremium), test.shown) << test.buySell << " " << test.premium;
    EXPECT_EQ(row.Colour(c::kPremium), test.colour) << test.buySell << " " << test.premium;
    EXPECT_EQ(row.Text(c::kOrderNo), "42");
    EXPECT_EQ(row.Text(c::kMargin), "0.00");
    EXPECT_EQ(row.Text(c::kExchangeName), "上期所");
  }
}

TEST_F(BarRows, ATradeOfAnUnknownExchangeShowsTheExchangesCode) {
  const ui::GridRow row = TradeGridRow(Trade({.exchange = "Q"}), lookups);
  EXPECT_EQ(row.Text(trade_column::kExchangeName), "Q");
}

TEST_F(BarRows, AFundRowShowsRiskInWordsAndRatiosInPerCent) {
  namespace c = fund_column;
  engine::FundRow fund = engine_testing::Fund(
      {.previousBalance = "1000.005", .usable = "20000", .floatingProfit = "-3.5", .optionValue = "0"});
  SetText(fund.szSecurity, "2");
  SetText(fund.szDynamicRiskLevel, "0.8512");
  SetText(fund.szDynamicRiskLevel2, "0.5");
  ui::GridRow row = FundGridRow(fund);
  EXPECT_EQ(row.Text(c::kPreviousBalance), "1000.01");
  EXPECT_EQ(row.Text(c::kAvailable), "20000.00");
  EXPECT_EQ(row.Text(c::kFloatingProfit), "-3.5");
  EXPECT_EQ(row.Colour(c::kFloatingProfit), kGreen);
  EXPECT_EQ(row.Colour(c::kOptionValue), kBlack);
  EXPECT_EQ(row.Text(c::kRiskLevel), "强平");
  EXPECT_EQ(row.Text(c::kCompanyRisk), "85.12%");
  EXPECT_EQ(row.Text(c::kExchangeRisk), "50.00%");
  SetText(fund.szSecurity, "");
  row = FundGridRow(fund);
  EXPECT_EQ(row.Text(c::kRiskLevel), "正常");
}

TEST_F(BarRows, APositionShowsItsClosableLotsAndSignedAmounts) {
  namespace c = position_column;
  engine::PositionSummaryRow position =
      Summary({.contract = kMeal, .lots = "4", .positionPrice = "3000.333", .buySell = "0"});
  engine.Add(engine::Table::kPositionSummary, position);
  SetText(position.szProfitAndLoss_KC, "-");
  SetText(position.szProfitAndLoss_CC, "12.5");
  SetText(position.szOptionMarketValue, "0");
  SetText(position.szNewPrice, "3001.2");
  const ui::GridRow row = PositionGridRow(position, lookups);
  EXPECT_EQ(row.Text(c::kBuySell), "买入");
  EXPECT_EQ(row.Colour(c::kBuySell), kRed);
  EXPECT_EQ(row.Text(c::kClosable), "4");
  EXPECT_EQ(row.Text(c::kFloatingProfit), "-");
  EXPECT_EQ(row.Text(c::kMarkedProfit), "12.50");
  EXPECT_EQ(row.Colour(c::kMarkedProfit), kRed);
  EXPECT_EQ(row.Text(c::kOptionValue), "0.00");
  EXPECT_EQ(row.Colour(c::kOptionValue), kBlack);
  EXPECT_EQ(row.Text(c::kPositionPrice), "3000.33");
  EXPECT_EQ(row.Text(c::kLastPrice), "3001.20");
  EXPECT_EQ(row.Text(c::kHedge), "投机");
}

TEST_F(BarRows, AnUpdatedPositionKeepsWhatNamesItAndRefreshesTheRest) {
  namespace c = position_column;
  engine::PositionSummaryRow position = Summary({.lots = "4", .buySell = "1"});
  const ui::GridRow shown = PositionGridRow(position, lookups);
  ui::GridRow edited = shown;
  edited.SetText(c::kContract, "as shown");
  SetText(position.szPositionVolume, "9");
  const ui::GridRow refreshed = RefreshedPositionGridRow(edited, position, lookups);
  EXPECT_EQ(refreshed.Text(c::kContract), "as shown");
  EXPECT_EQ(refreshed.Text(c::kVolume), "9");
  EXPECT_EQ(refreshed.Text(c::kBuySell), "卖出");
}

TEST_F(BarRows, AContractShowsItsTickInItsOwnDecimals) {
  namespace c = contract_column;
  for (const auto& [tick, shown] : {std::pair{"10", "10"}, std::pair{"0.2", "0.2"}, std::pair{"0.005", "0.005"}}) {
    const ui::GridRow row = ContractGridRow(engine_testing::Contract({.tick = tick, .optionType = "p"}));
    EXPECT_EQ(row.Text(c::kPriceTick), shown);
    EXPECT_EQ(row.Text(c::kOptionType), "看跌期权");
    EXPECT_EQ(row.Text(c::kProductKind), "期货");
  }
}

TEST_F(BarRows, KeysNameWhatARecordFindsItsRowBy) {
  const engine::OrderRow order = Order({.orderNo = "17", .orderSeat = "S9"});
  EXPECT_EQ(OrderRowKeyOf(order), ui::MakeOrderRowKey("S9", engine_testing::kContract, "17"));
  engine::TradeRow first = Trade({.dealNo = "1"});
  engine::TradeRow second = Trade({.dealNo = "2"});
  SetText(first.szOrderNo, "17");
  SetText(second.szOrderNo, "17");
  EXPECT_EQ(TradeRowKeyOf(first), TradeRowKeyOf(second));
  EXPECT_EQ(FundRowKeyOf(engine_testing::Fund({})), ui::HashRowKey(engine_testing::kAccount));
  EXPECT_NE(PositionRowKeyOf(Summary({.buySell = "0"})), PositionRowKeyOf(Summary({.buySell = "1"})));
}

}  // namespace
