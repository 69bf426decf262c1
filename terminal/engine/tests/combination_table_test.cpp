#include <gtest/gtest.h>

#include "engine/combination_summary_row.h"
#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::CombinationDetailRow;
using engine::CombinationSummaryRow;
using engine::Table;
using engine::Text;

class CombinationTable : public ::testing::Test {
 protected:
  void SetUp() override {
    // "SP": leg 1 of ratio 1 and leg 2 of ratio 2, priced leg 1 - leg 2.
    engine.Add(
        Table::kOrderKinds,
        OrderKind({.strategy = "SP", .legs = {{.ratio = "1", .priceSign = "1"}, {.ratio = "2", .priceSign = "-1"}}}));
  }

  std::vector<CombinationSummaryRow> Build() {
    backend::CxDataSet output;
    engine.BuildCombinationTable(output);
    return RowsOf<CombinationSummaryRow>(output);
  }

  CalculationEngine engine;
};

TEST_F(CombinationTable, TheLegsOfACombinationMakeOneRowBoundByTheirRatios) {
  engine.Add(Table::kCombinationDetails, Leg({.legNumber = "2",
                                              .combinationNo = "C1",
                                              .contract = "cu2612",
                                              .lots = "6",
                                              .buySell = "1",
                                              .price = "2990",
                                              .margin = "1000",
                                              .strategy = "SP"}));
  engine.Add(Table::kCombinationDetails, Leg({.legNumber = "1",
                                              .combinationNo = "C1",
                                              .contract = "cu2609",
                                              .lots = "4",
                                              .buySell = "0",
                                              .price = "3000",
                                              .margin = "1200",
                                              .strategy = "SP"}));
  const std::vector<CombinationSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  const CombinationSummaryRow& row = rows[0];
  EXPECT_EQ(Text(row.szCombinationCode), "SP cu2609&cu2612");
  EXPECT_EQ(Text(row.szPositionVolume), "3");  // min(4 / 1, 6 / 2)
  EXPECT_EQ(Text(row.szCombinationPrice), "10.00");
  EXPECT_EQ(Text(row.szEngrossCautionMoney), "2200.00");
  EXPECT_EQ(Text(row.szLegCount), "2");
  EXPECT_EQ(Text(row.szLegContractCode[0]), "cu2609");
  EXPECT_EQ(Text(row.szLegFlagBS[1]), "1");
  EXPECT_EQ(Text(row.szLegVolume[1]), "6");
  EXPECT_EQ(Text(row.szLegPrice[1]), "2990.00");
  // The details are left as they were.
  EXPECT_EQ(Text(engine.Rows<CombinationDetailRow>(Table::kCombinationDetails)[0].szCombField38), "");
}

TEST_F(CombinationTable, EqualPositionsAreMergedAndTheRowsSorted) {
  const CombinationDetailRow legs[] = {
      Leg({.legNumber = "1",
           .combinationNo = "C3",
           .contract = "cu2610",
           .lots = "1",
           .buySell = "0",
           .price = "3000",
           .margin = "100",
           .strategy = "SP"}),
      Leg({.legNumber = "2",
           .combinationNo = "C3",
           .contract = "cu2612",
           .lots = "2",
           .buySell = "1",
           .price = "2990",
           .margin = "100",
           .strategy = "SP"}),
      Leg({.legNumber = "1",
           .combinationNo = "C1",
           .contract = "cu2609",
           .lots = "1",
           .buySell = "0",
           .price = "3000",
           .margin = "100",
           .strategy = "SP"}),
      Leg({.legNumber = "2",
           .combinationNo = "C1",
           .contract = "cu2612",
           .lots = "2",
           .buySell = "1",
           .price = "2990",
           .margin = "100",
           .strategy = "SP"}),
      Leg({.legNumber = "1",
           .combinationNo = "C2",
           .contract = "cu2609",
           .lots = "3",
           .buySell = "0",
           .price = "3004",
           .margin = "300",
           .strategy = "SP"}),
      Leg({.legNumber = "2",
           .combinationNo = "C2",
           .contract = "cu2612",
           .lots = "6",
           .buySell = "1",
           .price = "2990",
           .margin = "300",
           .strategy = "SP"}),
      Leg({.legNumber = "1",
           .combinationNo = "C4",
           .contract = "cu2609",
           .lots = "1",
           .buySell = "0",
           .price = "1",
           .margin = "1",
           .strategy = "XYZ"}),  // of no known kind
  };
  for (const CombinationDetailRow& leg : legs) engine.Add(Table::kCombinationDetails, leg);
  const std::vector<CombinationSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(Text(rows[0].szCombinationCode), "SP cu2609&cu2612");
  EXPECT_EQ(Text(rows[1].szCombinationCode), "SP cu2610&cu2612");
  const CombinationSummaryRow& merged = rows[0];
  EXPECT_EQ(Text(merged.szPositionVolume), "4");
  // Prices 10 and 14, weighted by 1 and 3 combinations.
  EXPECT_EQ(Text(merged.szCombinationPrice), "13.00");
  EXPECT_EQ(Text(merged.szEngrossCautionMoney), "800.00");
  EXPECT_EQ(Text(merged.szLegVolume[0]), "4");
  EXPECT_EQ(Text(merged.szLegPrice[0]), "3003.00");
  EXPECT_EQ(Text(merged.szLegMargin[0]), "400.00");
  EXPECT_EQ(Text(merged.szLegVolume[1]), "8");
}

TEST_F(CombinationTable, LegsOfOneSlotAverageTheirPricesAndALegOfRatioZeroSetsNoBound) {
  engine::OrderKindRow kind = engine.Rows<engine::OrderKindRow>(Table::kOrderKinds)[0];
  SetText(kind.szStrategyCode, "Z");
  SetText(kind.legs[1].szVolumeRatio, "0");
  engine.Add(Table::kOrderKinds, kind);
  engine.Add(Table::kCombinationDetails, Leg({.legNumber = "1",
                                              .combinationNo = "C1",
                                              .contract = "cu2609",
                                              .lots = "1",
                                              .buySell = "0",
                                              .price = "3000",
                                              .margin = "100",
                                              .strategy = "Z"}));
  engine.Add(Table::kCombinationDetails, Leg({.legNumber = "1",
                                              .combinationNo = "C1",
                                              .contract = "cu2609",
                                              .lots = "2",
                                              .buySell = "0",
                                              .price = "3003",
                                              .margin = "50",
                                              .strategy = "Z"}));
  engine.Add(Table::kCombinationDetails, Leg({.legNumber = "2",
                                              .combinationNo = "C1",
                                              .contract = "cu2612",
                                              .lots = "7",
                                              .buySell = "1",
                                              .price = "2990",
                                              .margin = "10",
                                              .strategy = "Z"}));
  const std::vector<CombinationSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szLegVolume[0]), "3");
  EXPECT_EQ(Text(rows[0].szLegPrice[0]), "3002.00");
  EXPECT_EQ(Text(rows[0].szLegMargin[0]), "150.00");
  EXPECT_EQ(Text(rows[0].szPositionVolume), "3");
}

}  // namespace
