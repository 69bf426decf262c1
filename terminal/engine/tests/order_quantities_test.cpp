#include "engine/order_quantities.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/testing/calculation_engine.h"
#include "engine/testing/started_engine.h"

namespace {

using namespace engine_testing;
using engine::CombinationQuantities;
using engine::CombinationQuantityQuery;
using engine::QuantityRecord;
using engine::Table;

QuantityRecord Query(std::string_view contract, std::string_view price, std::string_view tradeCode = "T01") {
  QuantityRecord record;
  std::memset(&record, 0, sizeof record);
  SetText(record.szTradeAccount, kAccount);
  SetText(record.szExchangeCode, kExchange);
  SetText(record.szContractCode, contract);
  SetText(record.szFlagSH, "0");
  SetText(record.szPrice, price);
  SetText(record.szMapCode, tradeCode);
  SetText(record.szSeatCode, kSeat);
  return record;
}

class OrderQuantities : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.Add(Table::kFunds, Fund({.usable = "100000.00"}));
    engine.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    engine.backEndFeeRates.push_back(FeeRates("cu2609"));
  }

  QuantityRecord Quantities(QuantityRecord record, bool volumesOnly = false) {
    std::string error;
    EXPECT_TRUE(engine.COperationEngineBase::GetPositionQuantities(record, volumesOnly, error));
    return record;
  }

  CalculationEngine engine;
};

TEST_F(OrderQuantities, OpenableLotsAreTheFundsOverTheCostOfOneLot) {
  // One lot at 3000: margin 3000 and fee 5, so 100000 / 3005 gives 33 lots.
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", "3000"));
  for (const std::string_view price : {"3000", "", "0"}) {
    SCOPED_TRACE(price);
    const QuantityRecord record = Quantities(Query("cu2609", price));
    EXPECT_DOUBLE_EQ(record.usableMoney, 100000.0);
    EXPECT_EQ(record.openableBuy, 33);
    EXPECT_EQ(record.openableSell, 33);
  }
  const QuantityRecord volumesOnly = Quantities(Query("cu2609", "3000"), true);
  EXPECT_EQ(volumesOnly.usableMoney, 0.0);
  EXPECT_EQ(volumesOnly.openableBuy, 0);
}

TEST_F(OrderQuantities, ALotThatCostsNothingOrFundsBelowZeroOpenNothing) {
  engine::FeeRateRow& rates = engine.backEndFeeRates[0];
  rates = engine::FeeRateRow{};
  SetText(rates.szTradeAccount, kAccount);
  SetText(rates.szExchangeCode, kExchange);
  SetText(rates.szSeatCode, kSeat);
  SetText(rates.szContractCode, "cu2609");
  QuantityRecord record = Quantities(Query("cu2609", "3000"));
  EXPECT_EQ(record.openableBuy, 0);
  EXPECT_EQ(record.openableSell, 0);

  engine.TableAt(Table::kFunds).Clear();
  engine.Add(Table::kFunds, Fund({.usable = "-500.00"}));
  engine.backEndFeeRates[0] = FeeRates("cu2609");
  record = Quantities(Query("cu2609", "3000"));
  EXPECT_EQ(record.openableBuy, 0);
  EXPECT_EQ(record.openableSell, 0);
}

TEST_F(OrderQuantities, ABoughtOptionPaysItsPremiumOnceAndASoldOneItsMargin) {
  engine.Add(Table::kExchangeSeats, ExchangeSeat({.abbreviation = "dce"}));
  engine.Add(Table::kContracts, Option("m2609-P-2000", "10"));
  engine.backEndFeeRates.push_back(FeeRates("m2609-P-2000"));
  engine.quotes["F1,m2609"] = 2100;
  // A buy lot costs the premium 300 and the fee 2.03: 100000 / 302.03 = 331.09.
  // A sell lot the margin 1900 and the fee: 100000 / 1902.03 = 52.57.
  const QuantityRecord record = Quantities(Query("m2609-P-2000", "30"));
  EXPECT_EQ(record.openableBuy, 331);
  EXPECT_EQ(record.openableSell, 52);
  // The underlying's quote was asked with the engine lock free.
  EXPECT_EQ(engine.quoteAsks, 1);
  EXPECT_TRUE(engine.lockFreeDuringQuote);
}

TEST_F(OrderQuantities, ClosableLotsAreTheOtherSidesHeldLotsLessPendingCloses) {
  engine.Add(Table::kPositionSummary, Summary({.lots = "5", .todayLots = "2"}));
  engine.Add(Table::kPositionSummary, Summary({.lots = "3", .todayLots = "1", .buySell = "1"}));
  engine.Add(Table::kPositionSummary, Summary({.contract = "cu2612", .lots = "9", .todayLots = "9", .buySell = "1"}));
  engine::PositionSummaryRow otherSeat = Summary({.lots = "7", .todayLots = "7"});
  SetText(otherSeat.szSeatCode, "S02");
  engine.Add(Table::kPositionSummary, otherSeat);
  engine::PositionSummaryRow otherTradeCode = Summary({.lots = "4"});
  SetText(otherTradeCode.szMapCode, "T02");
  engine.Add(Table::kPositionSummary, otherTradeCode);
  // A sell closing one of the buy lots is pending.
  engine.Add(Table::kOrders, Order({.state = "n", .buySell = "1", .openClose = "1", .lots = "1"}));

  QuantityRecord record = Quantities(Query("cu2609", "3000"));
  EXPECT_EQ(record.heldBuy, 5);
  EXPECT_EQ(record.heldSell, 3);
  EXPECT_EQ(record.heldTodayBuy, 2);
  EXPECT_EQ(record.heldTodaySell, 1);
  EXPECT_EQ(record.closableBuy, 3);
  EXPECT_EQ(record.closableSell, 4);
  EXPECT_EQ(record.closableTodayBuy, 1);
  EXPECT_EQ(record.closableTodaySell, 2);

  // An empty trade code takes every trade code.
  record = Quantities(Query("cu2609", "3000", ""));
  EXPECT_EQ(record.heldBuy, 9);

  // Pending closes above the held lots close nothing more.
  engine.Add(Table::kOrders, Order({.state = "n", .openClose = "2", .lots = "5"}));
  record = Quantities(Query("cu2609", "3000"));
  EXPECT_EQ(record.closableBuy, 0);
  EXPECT_EQ(record.closableTodayBuy, 0);
}

TEST_F(OrderQuantities, CombinationsAreBoundByTheFundsAndTheLegsTheyClose) {
  engine.Add(Table::kContracts, Contract({.code = "cu2612", .multiplier = "10"}));
  engine.backEndFeeRates.push_back(FeeRates("cu2612"));
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", "3000"));
  engine.Add(Table::kPriceContracts, PriceRow("cu2612", "3000"));
  // "SPD" with key 4 "0": buy cu2609, sell cu2612; only the first leg is
  // margined. Held: 4 sell lots of cu2609 and 6 buy lots of cu2612, of
  // which a pending order closes 1.
  engine.Add(Table::kPositionSummary, Summary({.lots = "4", .buySell = "1"}));
  engine.Add(Table::kPositionSummary, Summary({.contract = "cu2612", .lots = "6"}));
  engine.Add(Table::kOrders,
             Order({.contract = "cu2612", .state = "n", .buySell = "1", .openClose = "1", .lots = "1"}));

  const CombinationQuantityQuery query{.account = kAccount,
                                       .exchangeCode = kExchange,
                                       .strategyCode = "SPD",
                                       .key4 = "0",
                                       .legContracts = {"cu2609", "cu2612"},
                                       .hedge = "0",
                                       .tradeCode = "T01",
                                       .seatCode = kSeat};
  CombinationQuantities quantities;
  std::string error;
  ASSERT_TRUE(engine.COperationEngineBase::GetCombinationQuantities(query, quantities, error));
  EXPECT_DOUBLE_EQ(quantities.usableMoney, 100000.0);
  // Closing: the legs bound it to min(4, 6 - 1) = 4; a combination costs
  // two close fees of 5.
  EXPECT_EQ(quantities.closable, 4);
  // Opening: margin 3000 of the first leg and two fees: 100000 / 3010.
  EXPECT_EQ(quantities.openable, 33);

  const CombinationQuantityQuery unknown{.exchangeCode = kExchange, .strategyCode = "XYZ"};
  EXPECT_FALSE(engine.COperationEngineBase::GetCombinationQuantities(unknown, quantities, error));
  EXPECT_EQ(error, engine::kStrategyNotFoundText);
}

TEST_F(OrderQuantities, ACombinationLegOfRatioZeroSetsNoBound) {
  engine::OrderKindRow kind{};
  SetText(kind.szExchangeCode, kExchange);
  SetText(kind.szStrategyCode, "ZR");
  SetText(kind.szLegCount, "1");
  SetText(kind.legs[0].szFlagBS, "0");
  SetText(kind.legs[0].szVolumeRatio, "0");
  for (const std::string_view openClose : {"1", "0"}) {
    SetText(kind.szKindKey5, openClose);
    SetText(kind.legs[0].szFlagEO, openClose);
    engine.Add(Table::kOrderKinds, kind);
  }
  const CombinationQuantityQuery query{.account = kAccount,
                                       .exchangeCode = kExchange,
                                       .strategyCode = "ZR",
                                       .legContracts = {"cu2609"},
                                       .hedge = "0",
                                       .seatCode = kSeat};
  CombinationQuantities quantities;
  std::string error;
  ASSERT_TRUE(engine.COperationEngineBase::GetCombinationQuantities(query, quantities, error));
  EXPECT_EQ(quantities.closable, -1);
  EXPECT_EQ(quantities.openable, -1);
}

TEST(ClosableVolume, IsRefusedWhileTheEngineDownloads) {
  CalculationEngine engine;
  QuantityRecord record = Query("cu2609", "3000");
  record.heldBuy = 42;
  std::string error;
  EXPECT_FALSE(engine::GetClosableVolume(engine, record, false, error));
  EXPECT_EQ(error, engine::kInitialDownloadBusyText);
  EXPECT_EQ(record.heldBuy, 42);
  CombinationQuantities quantities;
  error.clear();
  EXPECT_FALSE(engine.GetCombinationQuantities({.strategyCode = "SPD"}, quantities, error));
  EXPECT_EQ(error, engine::kInitialDownloadBusyText);
}

class ClosableVolumeWhenReady : public engine_testing::StartedEngine<> {};

TEST_F(ClosableVolumeWhenReady, AnswersFromTheEnginesTables) {
  MakeReady();
  const engine::PositionSummaryRow held = Summary({.lots = "5"});
  const auto bytes = engine::RowBytes(held);
  ASSERT_TRUE(
      engine.TableAt(Table::kPositionSummary).AddEntry(bytes.data(), bytes.size(), backend::data_set_block::kRawType));
  QuantityRecord record = Query("cu2609", "3000");
  std::string error;
  ASSERT_TRUE(engine::GetClosableVolume(engine, record, true, error)) << error;
  EXPECT_EQ(record.closableSell, 5);
}

}  // namespace
