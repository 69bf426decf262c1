#include <gtest/gtest.h>

#include "engine/combination_summary_row.h"
#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::CombinationDetailRow;
using engine::CombinationSummaryRow;
using engine::Table;
using engine::Text;

// Leg `legNumber` of combination `combination` on the strategy.
CombinationDetailRow LegOf(std::string_view combination, std::string_view legNumber, std::string_view contract,
                           std::string_view buySell, std::string_view lots, std::string_view price,
                           std::string_view margin, std::string_view strategy = "SP") {
  return Leg({.legNumber = legNumber,
              .combinationNo = combination,
              .contract = contract,
              .lots = lots,
              .buySell = buySell,
              .price = price,
              .margin = margin,
              .strategy = strategy});
}

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
  engine.Add(Table::kCombinationDetails, LegOf("C1", "2", "cu2612", "1", "6", "2990", "1000"));
  engine.Add(Table::kCombinationDetails, LegOf("C1", "1", "cu2609", "0", "4", "3000", "1200"));
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
  EXPECT_EQ(Text(engine.Rows<CombinationDetailRow>(Table::kCombinationDetails)[0].szAnswerField38), "");
}

TEST_F(CombinationTable, EqualPositionsAreMergedAndTheRowsSorted) {
  const CombinationDetailRow legs[] = {
      LegOf("C3", "1", "cu2610", "0", "1", "3000", "100"),   LegOf("C3", "2", "cu2612", "1", "2", "2990", "100"),
      LegOf("C1", "1", "cu2609", "0", "1", "3000", "100"),   LegOf("C1", "2", "cu2612", "1", "2", "2990", "100"),
      LegOf("C2", "1", "cu2609", "0", "3", "3004", "300"),   LegOf("C2", "2", "cu2612", "1", "6", "2990", "300"),
      LegOf("C4", "1", "cu2609", "0", "1", "1", "1", "XYZ"),  // of no known kind
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
  engine.Add(Table::kCombinationDetails, LegOf("C1", "1", "cu2609", "0", "1", "3000", "100", "Z"));
  engine.Add(Table::kCombinationDetails, LegOf("C1", "1", "cu2609", "0", "2", "3003", "50", "Z"));
  engine.Add(Table::kCombinationDetails, LegOf("C1", "2", "cu2612", "1", "7", "2990", "10", "Z"));
  const std::vector<CombinationSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szLegVolume[0]), "3");
  EXPECT_EQ(Text(rows[0].szLegPrice[0]), "3002.00");
  EXPECT_EQ(Text(rows[0].szLegMargin[0]), "150.00");
  EXPECT_EQ(Text(rows[0].szPositionVolume), "3");
}

}  // namespace
