#include <gtest/gtest.h>

#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::PositionDetailRow;
using engine::PositionKinds;
using engine::PositionSummaryRow;
using engine::Table;
using engine::Text;

class PositionSummary : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.SetLoginTexts({.tradingDate = std::string(kToday)});
    engine.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
  }

  std::vector<PositionSummaryRow> Build(PositionKinds kinds = PositionKinds::kAll) {
    engine::EngineTable output;
    engine.BuildPositionSummary(output, kinds);
    return RowsOf<PositionSummaryRow>(output);
  }

  CalculationEngine engine;
};

TEST_F(PositionSummary, DetailsOfOneKeyAreSummedIntoOneRowWithAveragePrices) {
  engine.Add(Table::kPositionDetails, Detail({.lots = "2", .price = "10", .margin = "100.00"}));
  engine.Add(Table::kPositionDetails,
             Detail({.openDate = kToday, .lots = "3", .price = "20", .margin = "100.00", .contract = " cu2609\t"}));
  const std::vector<PositionSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  const PositionSummaryRow& row = rows[0];
  EXPECT_EQ(Text(row.szContractCode), "cu2609");
  EXPECT_EQ(Text(row.szPositionVolume), "5");
  EXPECT_EQ(Text(row.szTodayVolume), "3");
  EXPECT_EQ(Text(row.szOpenCost), "80.00");
  EXPECT_EQ(Text(row.szOpenPrice), "16.00");
  EXPECT_EQ(Text(row.szPositionCost), "80.00");
  EXPECT_EQ(Text(row.szPositionPrice), "16.00");
  EXPECT_EQ(Text(row.szEngrossCautionMoney), "200.00");
  EXPECT_EQ(Text(row.szTradeClass), "0");
  // The details keep the trimmed contract code.
  EXPECT_EQ(Text(engine.Rows<PositionDetailRow>(Table::kPositionDetails)[1].szContractCode), "cu2609");
}

TEST_F(PositionSummary, EachSideSeatAndKindOfDetailKeepsItsOwnRow) {
  PositionDetailRow otherSeat = Detail({.lots = "1", .price = "10", .margin = "100.00"});
  SetText(otherSeat.szSeatCode, "S02");
  PositionDetailRow leg = Detail({.lots = "4", .price = "10", .margin = "100.00"});
  SetText(leg.szPosKind, "SPD");
  SetText(leg.szSeatCode, "S03");
  const PositionDetailRow details[] = {Detail({.lots = "2", .price = "10", .margin = "100.00"}),
                                       Detail({.buySell = "1", .lots = "2", .price = "10", .margin = "100.00"}),
                                       otherSeat, leg,
                                       Detail({.lots = "9", .price = "10", .margin = "100.00", .contract = " \t"})};
  for (const PositionDetailRow& detail : details) engine.Add(Table::kPositionDetails, detail);

  EXPECT_EQ(Build().size(), 4u);
  const std::vector<PositionSummaryRow> ordinary = Build(PositionKinds::kOrdinaryOnly);
  ASSERT_EQ(ordinary.size(), 3u);
  EXPECT_EQ(Text(ordinary[0].szTodayVolume), "");
  EXPECT_EQ(Text(ordinary[1].szFlagBS), "1");
  EXPECT_EQ(Text(ordinary[2].szSeatCode), "S02");
}

TEST_F(PositionSummary, NoLotsHaveAveragePricesOfZero) {
  engine.Add(Table::kPositionDetails, Detail({.lots = "0", .price = "10", .margin = "100.00"}));
  engine.Add(Table::kPositionDetails, Detail({.lots = "0", .price = "20", .margin = "100.00"}));
  const std::vector<PositionSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szPositionVolume), "0");
  EXPECT_EQ(Text(rows[0].szOpenPrice), "0.00");
  EXPECT_EQ(Text(rows[0].szPositionPrice), "0.00");
}

TEST_F(PositionSummary, TheRowsArePricedFromTheContractsToPrice) {
  engine.Add(Table::kPositionDetails, Detail({.buySell = "1", .lots = "2", .price = "3000", .margin = "100.00"}));
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", "2990"));
  const std::vector<PositionSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szNewPrice), "2990");
  EXPECT_EQ(Text(rows[0].szProfitAndLoss_CC), "200.00");
}

}  // namespace
