#include <gtest/gtest.h>

#include "costs_test_support.h"

namespace {

using namespace costs_test;
using engine::CombinationDetailRow;
using engine::CombinationSummaryRow;

CombinationDetailRow Leg(std::string_view combination, std::string_view legNumber, std::string_view contract,
                         std::string_view buySell, std::string_view lots, std::string_view price,
                         std::string_view margin, std::string_view strategy = "SP") {
  CombinationDetailRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szCombField9, legNumber);
  SetText(row.szCombField11, combination);
  SetText(row.szCombField16, contract.substr(0, 2));
  SetText(row.szCombField17, contract.substr(2));
  SetText(row.szCombField19, lots);
  SetText(row.szCombField22, buySell);
  SetText(row.szCombField23, price);
  SetText(row.szCombField31, margin);
  SetText(row.szCombField36, strategy);
  SetText(row.szCombField37, "0");
  return row;
}

class CombinationTable : public ::testing::Test {
 protected:
  void SetUp() override {
    // "SP": leg 1 of ratio 1 and leg 2 of ratio 2, priced leg 1 - leg 2.
    engine::OrderKindRow kind{};
    SetText(kind.szExchangeCode, kExchange);
    SetText(kind.szStrategyCode, "SP");
    SetText(kind.szKindKey3, "0");
    SetText(kind.szKindKey4, "0");
    SetText(kind.szKindKey5, "0");
    SetText(kind.szLegCount, "2");
    const char* const ratios[] = {"1", "2"};
    const char* const signs[] = {"1", "-1"};
    for (std::size_t leg = 0; leg < 2; ++leg) {
      SetText(kind.legs[leg].szVolumeRatio, ratios[leg]);
      SetText(kind.legs[leg].szPriceSign, signs[leg]);
    }
    engine.Add(Table::kOrderKinds, kind);
  }

  std::vector<CombinationSummaryRow> Build() {
    backend::CxDataSet output;
    engine.BuildCombinationTable(output);
    return CostsEngine::RowsOf<CombinationSummaryRow>(output);
  }

  CostsEngine engine;
};

TEST_F(CombinationTable, TheLegsOfACombinationMakeOneRowBoundByTheirRatios) {
  engine.Add(Table::kCombinationDetails, Leg("C1", "2", "cu2612", "1", "6", "2990", "1000"));
  engine.Add(Table::kCombinationDetails, Leg("C1", "1", "cu2609", "0", "4", "3000", "1200"));
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
      Leg("C3", "1", "cu2610", "0", "1", "3000", "100"),   Leg("C3", "2", "cu2612", "1", "2", "2990", "100"),
      Leg("C1", "1", "cu2609", "0", "1", "3000", "100"),   Leg("C1", "2", "cu2612", "1", "2", "2990", "100"),
      Leg("C2", "1", "cu2609", "0", "3", "3004", "300"),   Leg("C2", "2", "cu2612", "1", "6", "2990", "300"),
      Leg("C4", "1", "cu2609", "0", "1", "1", "1", "XYZ"),  // of no known kind
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
  engine.Add(Table::kCombinationDetails, Leg("C1", "1", "cu2609", "0", "1", "3000", "100", "Z"));
  engine.Add(Table::kCombinationDetails, Leg("C1", "1", "cu2609", "0", "2", "3003", "50", "Z"));
  engine.Add(Table::kCombinationDetails, Leg("C1", "2", "cu2612", "1", "7", "2990", "10", "Z"));
  const std::vector<CombinationSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szLegVolume[0]), "3");
  EXPECT_EQ(Text(rows[0].szLegPrice[0]), "3002.00");
  EXPECT_EQ(Text(rows[0].szLegMargin[0]), "150.00");
  EXPECT_EQ(Text(rows[0].szPositionVolume), "3");
}

}  // namespace
