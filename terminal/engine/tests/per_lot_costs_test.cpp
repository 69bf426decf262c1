#include "engine/per_lot_costs.h"

#include <gtest/gtest.h>

#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::LotCostQuery;
using engine::LotCosts;
using engine::Table;
using engine::Text;

class PerLotCosts : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    engine.backEndFeeRates.push_back(FeeRates("cu2609"));
  }

  static LotCostQuery Lot(std::string_view contract, std::string_view buySell, std::string_view openClose, double price,
                          std::string_view hedge = "0") {
    return {.exchangeCode = kExchange,
            .seatCode = kSeat,
            .contractCode = contract,
            .buySell = buySell,
            .openClose = openClose,
            .hedge = hedge,
            .customer = kAccount,
            .price = price};
  }

  static void ExpectCosts(const LotCosts& costs, double margin, double fee, double premium) {
    EXPECT_DOUBLE_EQ(costs.margin, margin);
    EXPECT_DOUBLE_EQ(costs.fee, fee);
    EXPECT_DOUBLE_EQ(costs.premium, premium);
  }

  CalculationEngine engine;
};

TEST_F(PerLotCosts, FuturesTakeTheMarginPairOfTheirSideAndHedgeAndTheFeeSetOfTheirOpenCloseCode) {
  engine::FeeRateRow& rates = engine.backEndFeeRates[0];
  SetPair(rates.sellSpeculationMargin, "0.12", "0");
  SetPair(rates.buyHedgeMargin, "0.08", "0");
  SetPair(rates.sellHedgeMargin, "0.09", "5");
  struct Case {
    std::string_view buySell, openClose, hedge;
    double margin, fee;
  };
  // One lot at 3000 with multiplier 10 is worth 30000: open/close fee
  // 0.0001 * 30000 + 2 = 5, close-today fee 0.0002 * 30000 + 1 = 7.
  const Case cases[] = {
      {"0", "0", "0", 3000, 5}, {"1", "0", "0", 3600, 5}, {"0", "0", "1", 2400, 5},
      {"1", "0", "1", 2705, 5}, {"0", "1", "0", 0, 5},    {"0", "2", "0", 0, 7},
  };
  for (const Case& c : cases) {
    LotCosts costs{.margin = -1};
    ASSERT_TRUE(engine.CalcOptionMargin(Lot("cu2609", c.buySell, c.openClose, 3000, c.hedge), costs));
    SCOPED_TRACE(std::string(c.buySell).append(c.openClose).append(c.hedge));
    ExpectCosts(costs, c.margin, c.fee, 0);
  }
}

TEST_F(PerLotCosts, AnOptionBoughtToOpenPaysItsPremiumAndNoMargin) {
  engine.Add(Table::kContracts, Option("m2609-C-3000", "10"));
  engine.backEndFeeRates.push_back(FeeRates("m2609-C-3000"));
  LotCosts costs;
  ASSERT_TRUE(engine.CalcOptionMargin(Lot("m2609-C-3000", "0", "0", 25.5), costs));
  // Premium 25.5 * 10 = 255; fee 0.0001 * 255 + 2.
  ExpectCosts(costs, 0, 2.0255, 255);
}

TEST_F(PerLotCosts, ASoldCffexCallTakesTheExchangesRuleWithItsParameters) {
  engine.Add(Table::kExchangeSeats, ExchangeSeat({.abbreviation = "cffex"}));
  engine.Add(Table::kContracts, Option("IO2609-C-3000", "100"));
  engine.backEndFeeRates.push_back(FeeRates("IO2609-C-3000"));
  engine::OptionParamsRow params{};
  SetText(params.szExchangeCode, kExchange);
  SetText(params.szContractCode, "IO2609-C-3000");
  SetText(params.szUnderlyingPrice, "2900");
  SetText(params.szGuaranteeNumerator, "1");
  SetText(params.szGuaranteeDenominator, "2");
  engine.backEndOptionParams.push_back(params);

  // Premium 50 * 100 = 5000; out of the money (3000 - 2900) * 100 = 10000;
  // A = 0.1 * 2900 * 100 - 10000 = 19000 beats B = 0.1 * 0.5 * 2900 * 100 =
  // 14500; C = 0: margin 19000 + 5000.
  LotCosts costs;
  ASSERT_TRUE(engine.CalcOptionMargin(Lot("IO2609-C-3000", "1", "0", 50), costs));
  ExpectCosts(costs, 24000, 0.0001 * 5000 + 2, 5000);

  // A guarantee denominator that reads as integer 0 has no ratio.
  SetText(engine.backEndOptionParams[0].szContractCode, "IO2609-P-3000");
  SetText(engine.backEndOptionParams[0].szGuaranteeDenominator, "0.5");
  engine.Add(Table::kContracts, Option("IO2609-P-3000", "100"));
  engine.backEndFeeRates.push_back(FeeRates("IO2609-P-3000"));
  EXPECT_FALSE(engine.CalcOptionMargin(Lot("IO2609-P-3000", "1", "0", 50), costs));
  ExpectCosts(costs, 0, 0, 0);
}

TEST_F(PerLotCosts, ASoldPutOfAnyOtherExchangeTakesTheGeneralRuleAtTheUnderlyingsPrice) {
  engine.Add(Table::kExchangeSeats, ExchangeSeat({.abbreviation = "dce"}));
  engine.Add(Table::kContracts, Option("m2609-P-2000", "10"));
  engine.backEndFeeRates.push_back(FeeRates("m2609-P-2000"));
  engine.Add(Table::kPriceContracts, PriceRow("m2609", "2100"));

  // Premium 30 * 10 = 300; out of the money (2100 - 2000) * 10 = 1000;
  // N = 0.1 * 10 * 2100 = 2100; Q = 2100 + 300 - 500 = 1900 beats
  // 300 + 0.5 * 2100 = 1350.
  LotCosts costs;
  ASSERT_TRUE(engine.CalcOptionMargin(Lot("m2609-P-2000", "1", "0", 30), costs));
  ExpectCosts(costs, 1900, 0.0001 * 300 + 2, 300);
  EXPECT_EQ(engine.quoteAsks, 0);
}

TEST_F(PerLotCosts, WithoutAnyLastPriceTheUnderlyingIsQuotedOutsideTheEngineLock) {
  engine.Add(Table::kContracts, Option("m2609-P-2000", "10"));
  engine.backEndFeeRates.push_back(FeeRates("m2609-P-2000"));
  engine.quotes["F1,m2609"] = 2100;

  LotCosts costs;
  ASSERT_TRUE(engine.CalcOptionMargin(Lot("m2609-P-2000", "1", "0", 30), costs));
  EXPECT_DOUBLE_EQ(costs.margin, 1900);
  EXPECT_EQ(engine.lastPriceQueries, std::vector<std::string>{"F1,m2609;"});
  EXPECT_EQ(engine.quoteAsks, 1);
  EXPECT_TRUE(engine.lockFreeDuringQuote);
}

TEST_F(PerLotCosts, AnUnknownContractKindCostsNothingAndAMissingFeeRateFails) {
  engine.Add(Table::kContracts, Contract({.code = "x2609", .multiplier = "10", .tradeClass = "2"}));
  engine.backEndFeeRates.push_back(FeeRates("x2609"));
  LotCosts costs{.margin = 1, .fee = 1, .premium = 1};
  EXPECT_TRUE(engine.CalcOptionMargin(Lot("x2609", "0", "0", 3000), costs));
  ExpectCosts(costs, 0, 0, 0);

  costs = {.margin = 1, .fee = 1, .premium = 1};
  EXPECT_FALSE(engine.CalcOptionMargin(Lot("cu2612", "0", "0", 3000), costs));
  ExpectCosts(costs, 0, 0, 0);
}

TEST_F(PerLotCosts, EachAmountIsRoundedByThePerLotRule) {
  SetPair(engine.backEndFeeRates[0].openCloseFees[0], "0.0000045", "0");
  LotCosts costs;
  // 0.0000045 * 10 * 0.1 + 2 = 2.0000045 rounds up to 2.00001 under the
  // 0.55555 bias.
  ASSERT_TRUE(engine.CalcOptionMargin(Lot("cu2609", "0", "1", 0.1), costs));
  EXPECT_DOUBLE_EQ(costs.fee, 2.00001);
  ASSERT_TRUE(engine.CalcOptionMargin(Lot("cu2609", "0", "1", 0.01), costs));
  EXPECT_DOUBLE_EQ(costs.fee, 2.0);
}

TEST_F(PerLotCosts, ACostFollowsTheRateRowAsItIsNow) {
  // Costs are first reckoned from the rate the back end gave (open/close
  // fee 0.0001 * 30000 + 2 = 5), then the rate table changes under them.
  engine::FeeRateRow raised = FeeRates("cu2609");
  SetPair(raised.openCloseFees[1], "0", "4");
  engine::FeeRateRow otherContract = FeeRates("al2609");
  SetPair(otherContract.openCloseFees[1], "0", "9");
  struct Case {
    std::string_view name;
    engine::FeeRateRow now;  // the table's only row
    double fee;
  };
  const Case cases[] = {
      {"the row written over with a new rate", raised, 7},
      {"the table reloaded with another contract's rate in the row's place", otherContract, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CalculationEngine fresh;
    fresh.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    fresh.backEndFeeRates.push_back(FeeRates("cu2609"));
    LotCosts costs;
    for (int asked = 0; asked < 2; ++asked) {  // asked of the back end, then found in the table
      ASSERT_TRUE(fresh.CalcOptionMargin(Lot("cu2609", "0", "1", 3000), costs));
      EXPECT_DOUBLE_EQ(costs.fee, 5.0);
    }

    fresh.Replace(Table::kFeeRates, c.now);
    ASSERT_TRUE(fresh.CalcOptionMargin(Lot("cu2609", "0", "1", 3000), costs));
    EXPECT_DOUBLE_EQ(costs.fee, c.fee);
  }
}

TEST(RateLookups, ASecondLookupOfAKeyIsAnsweredFromTheCache) {
  CalculationEngine engine;
  engine.backEndFeeRates.push_back(FeeRates("cu2609"));
  engine::OptionParamsRow params{};
  SetText(params.szExchangeCode, kExchange);
  SetText(params.szContractCode, "IO2609-C-3000");
  SetText(params.szUnderlyingPrice, "2900");
  engine.backEndOptionParams.push_back(params);

  for (int lookup = 0; lookup < 2; ++lookup) {
    engine::FeeRateRow rates{};
    ASSERT_TRUE(engine.FindFeeRate(kExchange, kSeat, "cu2609", kAccount, rates));
    EXPECT_EQ(Text(rates.openCloseFees[1].szAmountPerLot), "2");
    engine::OptionParamsRow found{};
    ASSERT_TRUE(engine.FindOptionParams(kExchange, "IO2609-C-3000", kAccount, found));
    EXPECT_EQ(Text(found.szUnderlyingPrice), "2900");
  }
  EXPECT_EQ(engine.feeRateQueries, 1);
  EXPECT_EQ(engine.optionParamQueries, 1);
  EXPECT_EQ(engine.Rows<engine::FeeRateRow>(Table::kFeeRates).size(), 1u);

  // A key the back end does not know is asked each time.
  engine::FeeRateRow rates{};
  EXPECT_FALSE(engine.FindFeeRate(kExchange, "S02", "cu2609", kAccount, rates));
  EXPECT_FALSE(engine.FindFeeRate(kExchange, "S02", "cu2609", kAccount, rates));
  EXPECT_EQ(engine.feeRateQueries, 3);
}

TEST(RateLookups, ALastPriceComesFromTheContractsToPriceElseFromTheBackEnd) {
  CalculationEngine engine;
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", "3001.23456"));
  engine.Add(Table::kPriceContracts, PriceRow("cu2612", "0.00"));
  engine.backEndLastPrices["F1,cu2612;"] = "2990.5;";
  engine.backEndLastPrices["F1,cu2701;"] = "2990.5";

  EXPECT_DOUBLE_EQ(engine.GetLastPrice(kExchange, "cu2609"), 3001.2346);
  EXPECT_TRUE(engine.lastPriceQueries.empty());
  EXPECT_DOUBLE_EQ(engine.GetLastPrice(kExchange, "cu2612"), 2990.5);
  EXPECT_DOUBLE_EQ(engine.GetLastPrice(kExchange, "cu2701"), 0.0);  // an answer without ";"
  EXPECT_DOUBLE_EQ(engine.GetLastPrice(kExchange, "cu2702"), 0.0);  // a failed query
  EXPECT_EQ(engine.lastPriceQueries, (std::vector<std::string>{"F1,cu2612;", "F1,cu2701;", "F1,cu2702;"}));
}

TEST(RateLookups, ExchangeSeatTextsComeFromTheFirstRowOfTheExchange) {
  CalculationEngine engine;
  engine.Add(Table::kExchangeSeats, ExchangeSeat({.exchange = "F2", .name = "大商所", .abbreviation = "dce"}));
  engine.Add(Table::kExchangeSeats, ExchangeSeat({.name = "中金所", .abbreviation = "cffex"}));
  engine.Add(Table::kExchangeSeats, ExchangeSeat({.name = "second", .abbreviation = "sfe"}));
  std::string text = "untouched";
  ASSERT_TRUE(engine.FindExchangeAbbreviation(kExchange, text));
  EXPECT_EQ(text, "cffex");
  ASSERT_TRUE(engine.FindExchangeSeat(kExchange, text));
  EXPECT_EQ(text, "中金所");
  text = "untouched";
  EXPECT_FALSE(engine.FindExchangeAbbreviation("F3", text));
  EXPECT_FALSE(engine.FindExchangeSeat("F3", text));
  EXPECT_EQ(text, "untouched");
}

}  // namespace
