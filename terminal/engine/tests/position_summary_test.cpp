#include <gtest/gtest.h>

#include "costs_test_support.h"

namespace {

using namespace costs_test;
using engine::PositionDetailRow;
using engine::PositionKinds;
using engine::PositionSummaryRow;

constexpr std::string_view kToday = "20260915";

PositionDetailRow Detail(std::string_view contract, std::string_view buySell, std::string_view lots,
                         std::string_view openPrice, std::string_view openDate = "20260914") {
  PositionDetailRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szContractCode, contract);
  SetText(row.szFlagBS, buySell);
  SetText(row.szFlagSH, "0");
  SetText(row.szMapCode, "T01");
  SetText(row.szSeatCode, kSeat);
  SetText(row.szPositionVolume, lots);
  SetText(row.szOpenPrice, openPrice);
  SetText(row.szPositionPrice, openPrice);
  SetText(row.szEngrossCautionMoney, "100.00");
  SetText(row.szOpenDate, openDate);
  SetText(row.szPosKind, "ordinary");
  return row;
}

class PositionSummary : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.SetLoginTexts({.tradingDate = std::string(kToday)});
    engine.Add(Table::kContracts, Contract("cu2609", "10", "0"));
  }

  std::vector<PositionSummaryRow> Build(PositionKinds kinds = PositionKinds::kAll) {
    backend::CxDataSet output;
    engine.BuildPositionSummary(output, kinds);
    return CostsEngine::RowsOf<PositionSummaryRow>(output);
  }

  CostsEngine engine;
};

TEST_F(PositionSummary, DetailsOfOneKeyAreSummedIntoOneRowWithAveragePrices) {
  engine.Add(Table::kPositionDetails, Detail("cu2609", "0", "2", "10"));
  engine.Add(Table::kPositionDetails, Detail(" cu2609\t", "0", "3", "20", kToday));
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
  PositionDetailRow otherSeat = Detail("cu2609", "0", "1", "10");
  SetText(otherSeat.szSeatCode, "S02");
  PositionDetailRow leg = Detail("cu2609", "0", "4", "10");
  SetText(leg.szPosKind, "SPD");
  SetText(leg.szSeatCode, "S03");
  const PositionDetailRow details[] = {Detail("cu2609", "0", "2", "10"), Detail("cu2609", "1", "2", "10"), otherSeat,
                                       leg, Detail(" \t", "0", "9", "10")};
  for (const PositionDetailRow& detail : details) engine.Add(Table::kPositionDetails, detail);

  EXPECT_EQ(Build().size(), 4u);
  const std::vector<PositionSummaryRow> ordinary = Build(PositionKinds::kOrdinaryOnly);
  ASSERT_EQ(ordinary.size(), 3u);
  EXPECT_EQ(Text(ordinary[0].szTodayVolume), "");
  EXPECT_EQ(Text(ordinary[1].szFlagBS), "1");
  EXPECT_EQ(Text(ordinary[2].szSeatCode), "S02");
}

TEST_F(PositionSummary, NoLotsHaveAveragePricesOfZero) {
  engine.Add(Table::kPositionDetails, Detail("cu2609", "0", "0", "10"));
  engine.Add(Table::kPositionDetails, Detail("cu2609", "0", "0", "20"));
  const std::vector<PositionSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szPositionVolume), "0");
  EXPECT_EQ(Text(rows[0].szOpenPrice), "0.00");
  EXPECT_EQ(Text(rows[0].szPositionPrice), "0.00");
}

TEST_F(PositionSummary, TheRowsArePricedFromTheContractsToPrice) {
  engine.Add(Table::kPositionDetails, Detail("cu2609", "1", "2", "3000"));
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", "2990"));
  const std::vector<PositionSummaryRow> rows = Build();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szNewPrice), "2990");
  EXPECT_EQ(Text(rows[0].szProfitAndLoss_CC), "200.00");
}

}  // namespace
