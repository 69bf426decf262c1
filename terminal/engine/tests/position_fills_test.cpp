#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::ClosingFill;
using engine::FundRow;
using engine::OpeningFill;
using engine::PositionDetailRow;
using engine::PositionSummaryRow;
using engine::Table;
using engine::Text;

class PositionFills : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    engine.Add(Table::kContracts, Option("m2609C3000", "10"));
  }

  FundRow FundNow() { return engine.Rows<FundRow>(Table::kFunds).at(0); }
  PositionSummaryRow SummaryNow(std::size_t index = 0) {
    return engine.Rows<PositionSummaryRow>(Table::kPositionSummary).at(index);
  }
  // "<table id><letter>" of each record told to the GUI.
  std::vector<std::string> Told() {
    std::vector<std::string> told;
    for (const auto& notified : engine.notified) {
      told.push_back(std::to_string(notified.record.TableId()) + notified.record.Operation());
    }
    return told;
  }

  CalculationEngine engine;
};

OpeningFill Opening(std::string_view buySell, int lots, std::string_view price, std::string_view contract = "cu2609") {
  return {.price = price,
          .lots = lots,
          .account = kAccount,
          .exchangeCode = kExchange,
          .seatCode = kSeat,
          .tradeCode = kTradeCode,
          .contractCode = contract,
          .buySell = buySell,
          .hedge = "0",
          .dealNo = "7",
          .combinationKind = "ordinary",
          .multiplier = 10};
}

ClosingFill Closing(std::string_view buySell, std::string_view price, std::string_view contract = "cu2609") {
  return {.price = price,
          .account = kAccount,
          .exchangeCode = kExchange,
          .seatCode = kSeat,
          .tradeCode = kTradeCode,
          .contractCode = contract,
          .hedge = "0",
          .buySell = buySell,
          .multiplier = 10};
}

TEST_F(PositionFills, OpeningFillsAddAPositionAndBookItsMarginAndFee) {
  // A buy order of 2 lots froze a margin of 6000.00 and a fee of 10.00.
  engine.Add(Table::kFunds, Fund({.buyFrozen = "6000.00",
                                  .usable = "93990.00",
                                  .equity = "100000.00",
                                  .feeFrozen = "10.00",
                                  .totalFrozen = "6010.00"}));
  OpeningFill first = Opening("0", 2, "3000");
  first.releasedFrozenMargin = 6000.0;
  first.releasedFrozenFee = 10.0;
  first.margin = 6000.0;
  first.fee = 10.0;
  engine.AddTradePosition(first);

  const FundRow fund = FundNow();
  EXPECT_EQ(Text(fund.szUsableMoney), "93990.00");
  EXPECT_EQ(Text(fund.szDynamicRights), "99990.00");
  EXPECT_EQ(Text(fund.szBFreeze), "0.00");
  EXPECT_EQ(Text(fund.szBCautionMoney), "6000.00");
  EXPECT_EQ(Text(fund.szCommissionCharge), "10.00");
  EXPECT_EQ(Text(fund.szFreezeCommissionCharge), "0.00");
  EXPECT_EQ(Text(fund.szTotalFreeze), "0.00");
  EXPECT_EQ(Text(fund.szTotalCautionMoney), "6000.00");
  const PositionSummaryRow opened = SummaryNow();
  EXPECT_EQ(Text(opened.szPositionVolume), "2");
  EXPECT_EQ(Text(opened.szTodayVolume), "2");
  EXPECT_EQ(Text(opened.szOpenCost), "6000.00");
  EXPECT_EQ(Text(opened.szEngrossCautionMoney), "6000.00");
  EXPECT_EQ(Text(engine.Rows<engine::PriceContractRow>(Table::kPriceContracts).at(0).szContractCode), "cu2609");

  OpeningFill second = Opening("0", 1, "3003");
  second.margin = 3003.0;
  engine.AddTradePosition(second);
  const PositionSummaryRow added = SummaryNow();
  EXPECT_EQ(Text(added.szPositionVolume), "3");
  EXPECT_EQ(Text(added.szOpenPrice), "3001.00");
  EXPECT_EQ(Text(added.szPositionPrice), "3001.00");
  EXPECT_EQ(Text(added.szEngrossCautionMoney), "9003.00");
  EXPECT_EQ(engine.Rows<PositionDetailRow>(Table::kPositionDetails).size(), 2u);
  EXPECT_EQ(engine.Rows<engine::PriceContractRow>(Table::kPriceContracts).size(), 1u);
  EXPECT_EQ(Told(), (std::vector<std::string>{"5i", "1u", "5u", "1u"}));
  EXPECT_EQ(engine.notified[0].record.RowCount(), 1);
  EXPECT_EQ(engine.notified[0].record.RowIndex(), 0);
}

// One fund row field and its text.
struct FundField {
  char (FundRow::*field)[16];
  std::string_view text;
};

struct OptionOpeningCase {
  std::string_view name;
  std::string_view buySell;
  FundRow before;
  OpeningFill fill;
  std::vector<FundField> after;
};

TEST_F(PositionFills, AnOptionFillPaysOrTakesItsPremiumOnce) {
  // One lot of the call at 50: a premium of 500.00 and a fee of 2.05. The
  // bought lot's order froze its premium; the sold lot's froze a margin of
  // 2000.00.
  OpeningFill bought = Opening("0", 1, "50", "m2609C3000");
  bought.releasedFrozenFee = 2.05;
  bought.fee = 2.05;
  bought.releasedFrozenPremium = 500.0;
  bought.premium = 500.0;
  OpeningFill sold = Opening("1", 1, "50", "m2609C3000");
  sold.releasedFrozenMargin = 2000.0;
  sold.releasedFrozenFee = 2.05;
  sold.margin = 2000.0;
  sold.fee = 2.05;
  sold.premium = 500.0;
  const OptionOpeningCase cases[] = {
      {"bought: 10000 less the premium and the fee",
       "0",
       Fund({.usable = "9497.95",
             .equity = "10000.00",
             .feeFrozen = "2.05",
             .totalFrozen = "502.05",
             .premiumFrozen = "500.00"}),
       bought,
       {{&FundRow::szRoyaltyOut, "500.00"},
        {&FundRow::szRoyaltyIn, ""},
        {&FundRow::szFrozenRoyalty, "0.00"},
        {&FundRow::szTotalFreeze, "0.00"},
        {&FundRow::szBCautionMoney, "0.00"},
        {&FundRow::szCommissionCharge, "2.05"}}},
      {"sold: the premium comes in, the margin is held",
       "1",
       Fund({.sellFrozen = "2000.00",
             .usable = "7997.95",
             .equity = "10000.00",
             .feeFrozen = "2.05",
             .totalFrozen = "2002.05"}),
       sold,
       {{&FundRow::szRoyaltyIn, "500.00"},
        {&FundRow::szRoyaltyOut, ""},
        {&FundRow::szSFreeze, "0.00"},
        {&FundRow::szSCautionMoney, "2000.00"},
        {&FundRow::szTotalFreeze, "0.00"},
        {&FundRow::szTotalCautionMoney, "2000.00"}}},
  };
  const std::string_view usable[] = {"9497.95", "8497.95"};
  const std::string_view equity[] = {"9497.95", "10497.95"};
  for (std::size_t index = 0; index < std::size(cases); ++index) {
    const OptionOpeningCase& test = cases[index];
    SCOPED_TRACE(test.name);
    CalculationEngine fresh;
    fresh.Add(Table::kFunds, test.before);
    fresh.AddTradePosition(test.fill);
    const FundRow fund = fresh.Rows<FundRow>(Table::kFunds).at(0);
    EXPECT_EQ(Text(fund.szUsableMoney), usable[index]);
    EXPECT_EQ(Text(fund.szDynamicRights), equity[index]);
    for (const FundField& field : test.after) EXPECT_EQ(Text(fund.*field.field), field.text);
  }
}

struct FuturesCloseCase {
  std::string_view name;
  std::string_view oldFloating;  // the position's and the account's floating profit before
  bool floatingProfitCounts;
  std::string_view usable;
  std::string_view equity;
  std::string_view accountFloating;
};

TEST_F(PositionFills, AFuturesCloseBooksItsProfitAndReleasesItsMargin) {
  // 2 lots bought at 3000 (margin 6000.00); one is sold at 3100, the last
  // price: closing profit (3100 - 3000) * 10 = 1000.00, the lot left floats
  // 1000.00, 3000.00 of margin is freed, the fee of 5.10 was frozen.
  const FuturesCloseCase cases[] = {
      {"a floating profit kept out of the available funds", "2000.00", false, "54000.00", "99994.90", "1000.00"},
      {"a floating profit counted in the available funds", "2000.00", true, "53000.00", "99994.90", "1000.00"},
      {"a floating loss that turns into a profit", "-500.00", false, "54500.00", "102494.90", "1000.00"},
      {"the same counted in the available funds", "-500.00", true, "55500.00", "102494.90", "1000.00"},
  };
  for (const FuturesCloseCase& test : cases) {
    SCOPED_TRACE(test.name);
    CalculationEngine fresh;
    fresh.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    fresh.SetFloatingProfitCounts(test.floatingProfitCounts);
    fresh.Add(Table::kPositionDetails, Detail({.lots = "2", .price = "3000", .margin = "6000.00"}));
    PositionSummaryRow position = fresh.ApplyTradeToPositions(Position("0"));
    SetText(position.szProfitAndLoss_CC, test.oldFloating);
    fresh.Add(Table::kPositionSummary, position);
    fresh.Add(Table::kPriceContracts, PriceRow("cu2609", "3100"));
    fresh.Add(Table::kFunds, Fund({.buyMargin = "6000.00",
                                   .usable = "50000.00",
                                   .equity = "100000.00",
                                   .floatingProfit = test.oldFloating,
                                   .feeFrozen = "5.10",
                                   .totalFrozen = "5.10",
                                   .totalMargin = "6000.00"}));

    fresh.Close(engine_testing::Closing("1", 1));
    ClosingFill fill = Closing("1", "3100");
    fill.releasedFrozenFee = 5.10;
    fill.fee = 5.10;
    fresh.UpdatePositionSummary(fill);

    const PositionSummaryRow left = fresh.Rows<PositionSummaryRow>(Table::kPositionSummary).at(0);
    EXPECT_EQ(Text(left.szPositionVolume), "1");
    EXPECT_EQ(Text(left.szNewPrice), "3100.00");
    EXPECT_EQ(Text(left.szProfitAndLoss_CC), "1000.00");
    EXPECT_EQ(Text(left.szEngrossCautionMoney), "3000.00");
    const FundRow fund = fresh.Rows<FundRow>(Table::kFunds).at(0);
    EXPECT_EQ(Text(fund.szUsableMoney), test.usable);
    EXPECT_EQ(Text(fund.szDynamicRights), test.equity);
    EXPECT_EQ(Text(fund.szProfitAndLoss), test.accountFloating);
    EXPECT_EQ(Text(fund.szOffsetProfitAndLoss), "1000.00");
    EXPECT_EQ(Text(fund.szBCautionMoney), "3000.00");
    EXPECT_EQ(Text(fund.szTotalCautionMoney), "3000.00");
    EXPECT_EQ(Text(fund.szCommissionCharge), "5.10");
    EXPECT_EQ(Text(fund.szFreezeCommissionCharge), "0.00");
    EXPECT_EQ(Text(fund.szTotalFreeze), "0.00");
  }
}

TEST_F(PositionFills, LotsLeftWithoutAPriceShowNoFloatingResult) {
  engine.Add(Table::kPositionDetails, Detail({.lots = "2", .price = "3000", .margin = "6000.00"}));
  PositionSummaryRow position = engine.ApplyTradeToPositions(Position("0"));
  SetText(position.szProfitAndLoss_CC, "300.00");
  engine.Add(Table::kPositionSummary, position);
  engine.Add(Table::kFunds, Fund({.usable = "50000.00", .equity = "100000.00", .floatingProfit = "300.00"}));

  engine.Close(engine_testing::Closing("1", 1));
  engine.UpdatePositionSummary(Closing("1", "3100"));

  // Neither the contracts to price nor the back end know a price: the lot
  // left is not valued at 0.
  const PositionSummaryRow left = SummaryNow();
  EXPECT_EQ(Text(left.szNewPrice), "-");
  EXPECT_EQ(Text(left.szProfitAndLoss_CC), "-");
  EXPECT_EQ(Text(FundNow().szProfitAndLoss), "0.00");
  EXPECT_EQ(Text(FundNow().szOffsetProfitAndLoss), "1000.00");
}

TEST_F(PositionFills, AnOpeningFillOfNoLotsAveragesToZero) {
  engine.Add(Table::kPositionSummary, Summary({.lots = "0"}));
  engine.AddTradePosition(Opening("0", 0, "3000"));
  const PositionSummaryRow row = SummaryNow();
  EXPECT_EQ(Text(row.szPositionVolume), "0");
  EXPECT_EQ(Text(row.szOpenPrice), "0.00");
  EXPECT_EQ(Text(row.szPositionPrice), "0.00");
}

TEST_F(PositionFills, TheSummaryRowHoldsWhatItsDetailsSumToThroughOpensAndCloses) {
  const auto expectResummed = [&] {
    const PositionSummaryRow row = SummaryNow();
    const PositionSummaryRow resummed = engine.ApplyTradeToPositions(Position("0"));
    EXPECT_EQ(Text(row.szPositionVolume), Text(resummed.szPositionVolume));
    EXPECT_EQ(Text(row.szTodayVolume), Text(resummed.szTodayVolume));
    EXPECT_EQ(Text(row.szOpenCost), Text(resummed.szOpenCost));
    EXPECT_EQ(Text(row.szPositionCost), Text(resummed.szPositionCost));
    EXPECT_EQ(Text(row.szEngrossCautionMoney), Text(resummed.szEngrossCautionMoney));
    // A row of one fill shows that fill's price as pushed.
    if (engine::ReadInt(row.szPositionVolume) > 3) {
      EXPECT_EQ(Text(row.szOpenPrice), Text(resummed.szOpenPrice));
      EXPECT_EQ(Text(row.szPositionPrice), Text(resummed.szPositionPrice));
    }
  };
  // Prices whose costs fall between cents, so that each detail's own
  // rounding shows.
  const std::pair<std::string_view, double> opens[] = {
      {"3000.335", 9001.01}, {"3001.125", 6002.25}, {"2999.995", 3000.0}};
  int lots = 3;
  for (const auto& [price, margin] : opens) {
    SCOPED_TRACE(price);
    OpeningFill fill = Opening("0", lots--, price);
    fill.margin = margin;
    engine.AddTradePosition(fill);
    expectResummed();
  }
  EXPECT_EQ(Text(SummaryNow().szPositionVolume), "6");
  EXPECT_EQ(Text(SummaryNow().szEngrossCautionMoney), "18003.26");

  engine.Close(engine_testing::Closing("1", 4));
  engine.UpdatePositionSummary(Closing("1", "3005"));
  expectResummed();
  EXPECT_EQ(Text(SummaryNow().szPositionVolume), "2");
  EXPECT_EQ(Text(SummaryNow().szOpenPrice), Text(engine.ApplyTradeToPositions(Position("0")).szOpenPrice));
  // The row keeps the contract's texts it was opened with.
  EXPECT_EQ(Text(SummaryNow().szVarietyCode), Text(engine.ApplyTradeToPositions(Position("0")).szVarietyCode));
}

TEST_F(PositionFills, AClosedOutPositionIsDeletedAfterTheGuiHearsOfIt) {
  // Sold at 3000 and bought back at 2900: 2 * 100 * 10 = 2000.00.
  engine.Add(Table::kPositionDetails, Detail({.buySell = "1", .lots = "2", .price = "3000", .margin = "6000.00"}));
  engine.Add(Table::kPositionSummary, engine.ApplyTradeToPositions(Position("1")));
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", "2950"));
  engine.Add(Table::kPriceContracts, PriceRow("cu2612", "3100"));
  engine.Add(Table::kFunds,
             Fund({.sellMargin = "6000.00", .usable = "50000.00", .equity = "100000.00", .totalMargin = "6000.00"}));

  engine.Close(engine_testing::Closing("0", 2));
  engine.UpdatePositionSummary(Closing("0", "2900"));

  ASSERT_EQ(Told(), (std::vector<std::string>{"5d", "1u"}));
  EXPECT_EQ(engine.notified[0].record.RowCount(), 0);
  EXPECT_EQ(engine.notified[0].record.RowIndex(), 0);
  EXPECT_EQ(engine.notified[0].summaryRows, 1u);  // the row was still there
  EXPECT_TRUE(engine.Rows<PositionSummaryRow>(Table::kPositionSummary).empty());
  const std::vector<engine::PriceContractRow> prices = engine.Rows<engine::PriceContractRow>(Table::kPriceContracts);
  ASSERT_EQ(prices.size(), 1u);
  EXPECT_EQ(Text(prices[0].szContractCode), "cu2612");
  const FundRow fund = FundNow();
  EXPECT_EQ(Text(fund.szOffsetProfitAndLoss), "2000.00");
  EXPECT_EQ(Text(fund.szSCautionMoney), "0.00");
  EXPECT_EQ(Text(fund.szUsableMoney), "58000.00");
  EXPECT_EQ(Text(fund.szDynamicRights), "102000.00");
}

TEST_F(PositionFills, AContractStaysPricedWhileTheOtherSideHoldsIt) {
  engine.Add(Table::kPositionDetails, Detail({.buySell = "1", .lots = "2", .price = "3000", .margin = "6000.00"}));
  engine.Add(Table::kPositionDetails,
             Detail({.dealNo = "2", .buySell = "0", .lots = "1", .price = "3010", .margin = "3010.00"}));
  engine.Add(Table::kPositionSummary, engine.ApplyTradeToPositions(Position("0")));
  engine.Add(Table::kPositionSummary, engine.ApplyTradeToPositions(Position("1")));
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", "2950"));
  engine.Add(Table::kFunds, Fund({.buyMargin = "3010.00", .sellMargin = "6000.00", .usable = "50000.00"}));

  engine.Close(engine_testing::Closing("0", 2));
  engine.UpdatePositionSummary(Closing("0", "2900"));

  const std::vector<PositionSummaryRow> held = engine.Rows<PositionSummaryRow>(Table::kPositionSummary);
  ASSERT_EQ(held.size(), 1u);
  EXPECT_EQ(Text(held[0].szFlagBS), "0");
  const std::vector<engine::PriceContractRow> prices = engine.Rows<engine::PriceContractRow>(Table::kPriceContracts);
  ASSERT_EQ(prices.size(), 1u);
  EXPECT_EQ(Text(prices[0].szContractCode), "cu2609");
}

TEST_F(PositionFills, BuyingBackASoldOptionReleasesThePremiumItsOrderFroze) {
  // One sold call (margin 2000.00) bought back at 60: a premium of 600.00,
  // frozen by the order with a fee of 2.05.
  engine.Add(Table::kPositionDetails,
             Detail({.buySell = "1", .lots = "1", .price = "50", .margin = "2000.00", .contract = "m2609C3000"}));
  engine.Add(Table::kPositionSummary, engine.ApplyTradeToPositions(Position("1", "m2609C3000")));
  engine.Add(Table::kFunds, Fund({.sellMargin = "2000.00",
                                  .usable = "7000.00",
                                  .equity = "10000.00",
                                  .feeFrozen = "2.05",
                                  .totalFrozen = "602.05",
                                  .totalMargin = "2000.00",
                                  .premiumFrozen = "600.00",
                                  .optionValue = "-500.00"}));

  engine.Close(engine_testing::Closing("0", 1, "m2609C3000"));
  ClosingFill fill = Closing("0", "60", "m2609C3000");
  fill.releasedFrozenFee = 2.05;
  fill.fee = 2.05;
  fill.releasedFrozenPremium = 600.0;
  engine.UpdatePositionSummary(fill);

  const FundRow fund = FundNow();
  // 7000 - 600 paid + 600 unfrozen + 2000 margin freed.
  EXPECT_EQ(Text(fund.szUsableMoney), "9000.00");
  EXPECT_EQ(Text(fund.szDynamicRights), "9397.95");
  EXPECT_EQ(Text(fund.szRoyaltyOut), "600.00");
  EXPECT_EQ(Text(fund.szFrozenRoyalty), "0.00");
  EXPECT_EQ(Text(fund.szTotalFreeze), "0.00");
  EXPECT_EQ(Text(fund.szSCautionMoney), "0.00");
  EXPECT_EQ(Text(fund.szOffsetProfitAndLoss), "0.00");
  EXPECT_EQ(Text(fund.szOptionMarketValue), "0.00");
}

TEST_F(PositionFills, AFreedLegMovesItsNewMarginIntoTheFunds) {
  engine.Add(Table::kContracts, Contract({.code = "cu2612", .multiplier = "10"}));
  engine.backEndFeeRates.push_back(FeeRates("cu2612"));
  AddCombinationPosition(engine);
  PositionSummaryRow sold = engine.ApplyTradeToPositions(Position("1", "cu2612"));
  SetText(sold.szProfitAndLoss_CC, "-100.00");
  engine.Add(Table::kPositionSummary, sold);
  engine.Add(Table::kFunds,
             Fund({.buyMargin = "6000.00", .usable = "50000.00", .equity = "100000.00", .totalMargin = "6000.00"}));

  const engine::LegList legs = engine.Close(engine_testing::Closing("1", 1));
  ASSERT_EQ(legs.size(), 1u);
  engine.RecomputeSummaryMargin(legs[0].position);

  const PositionSummaryRow row = SummaryNow();
  EXPECT_EQ(Text(row.szPositionVolume), "2");
  EXPECT_EQ(Text(row.szEngrossCautionMoney), "3100.00");
  EXPECT_EQ(Text(row.szProfitAndLoss_CC), "-100.00");
  const FundRow fund = FundNow();
  EXPECT_EQ(Text(fund.szSCautionMoney), "3100.00");
  EXPECT_EQ(Text(fund.szTotalCautionMoney), "9100.00");
  EXPECT_EQ(Text(fund.szUsableMoney), "46900.00");
  EXPECT_EQ(Told(), (std::vector<std::string>{"5u", "1u"}));
}

}  // namespace
