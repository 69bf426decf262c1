#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::CombinationDetailRow;
using engine::PositionDetailRow;
using engine::PositionSummaryRow;
using engine::Table;
using engine::Text;
using engine::TradeRow;

// cu2609 and cu2612: futures of multiplier 10; m2609C3000: a call of
// multiplier 10. Rates (engine_testing::FeeRates): a lot pays 0.0001 of its
// value plus 2 to open or close, 0.0002 plus 1 to close today, and a margin
// of 0.1 of its value.
void AddContractsAndRates(CalculationEngine& engine) {
  for (const std::string_view code : {"cu2609", "cu2612"}) {
    engine::ContractRow futures = Contract({.code = code, .multiplier = "10"});
    SetText(futures.szVarietyCode, "cu");
    engine.Add(Table::kContracts, futures);
  }
  engine.Add(Table::kContracts, Option("m2609C3000", "10"));
  for (const std::string_view contract : {"cu2609", "cu2612", "m2609C3000"}) {
    engine.backEndFeeRates.push_back(FeeRates(contract));
  }
}

class TradePositions : public ::testing::Test {
 protected:
  void SetUp() override { AddContractsAndRates(engine); }

  CalculationEngine engine;
};

struct TradeCase {
  std::string_view name;
  TradeRow trade;
  double fee;
  std::string_view margin;
  std::string_view commission;
  std::string_view royalty;
  std::vector<std::string> details;  // "<deal number>:<lots>:<margin>" after the trade
};

TEST(TradeReplay, ADownloadedTradeIsCostedAndAppliedToTheDetails) {
  const TradeCase cases[] = {
      // 2 lots of 30000: fee 2 * (3 + 2), margin 2 * 3000.
      {"futures bought to open",
       Trade({.lots = "2", .price = "3000", .dealNo = "7"}),
       10.0,
       "6000.00",
       "10.00",
       "0.00",
       {"1:1:3000.00", "2:1:3000.00", "7:2:6000.00"}},
      // A lot of 30000 closed: 3 + 2; the oldest lot goes.
      {"futures sold to close",
       Trade({.buySell = "1", .openClose = "1", .lots = "1", .price = "3000", .dealNo = "7"}),
       5.0,
       "",
       "5.00",
       "0.00",
       {"2:1:3000.00"}},
      // Closed today: 6 + 1; today's lot goes.
      {"futures sold to close today",
       Trade({.buySell = "1", .openClose = "2", .lots = "1", .price = "3000", .dealNo = "7"}),
       7.0,
       "",
       "7.00",
       "0.00",
       {"1:1:3000.00"}},
      // A premium of 2 * 10 * 50 = 1000 and a fee of 2 * (0.05 + 2); a bought
      // option holds no margin.
      {"option bought to open",
       Trade({.contract = "m2609C3000", .lots = "2", .price = "50", .dealNo = "7"}),
       4.1,
       "0.00",
       "4.10",
       "1000.00",
       {"1:1:3000.00", "2:1:3000.00", "7:2:0.00"}},
  };
  for (const TradeCase& test : cases) {
    SCOPED_TRACE(test.name);
    CalculationEngine engine;
    AddContractsAndRates(engine);
    engine.Add(Table::kPositionDetails, Detail({.lots = "1", .price = "3000", .margin = "3000.00"}));
    engine.Add(Table::kPositionDetails,
               Detail({.openDate = kToday, .dealNo = "2", .lots = "1", .price = "3000", .margin = "3000.00"}));

    TradeRow trade = test.trade;
    EXPECT_DOUBLE_EQ(engine.CalcTradeFee(trade), test.fee);
    EXPECT_EQ(Text(trade.szMargin), test.margin);
    EXPECT_EQ(Text(trade.szCommission), test.commission);
    EXPECT_EQ(Text(trade.szRoyalty), test.royalty);
    std::vector<std::string> details;
    for (const PositionDetailRow& row : engine.Rows<PositionDetailRow>(Table::kPositionDetails)) {
      details.push_back(std::string(Text(row.szDealNo)) + ":" + std::string(Text(row.szPositionVolume)) + ":" +
                        std::string(Text(row.szEngrossCautionMoney)));
    }
    EXPECT_EQ(details, test.details);
  }
}

TEST_F(TradePositions, AnOpeningTradeBecomesADetailOfTheTradingDate) {
  TradeRow trade = Trade({.buySell = "1", .lots = "3", .price = "3010", .dealNo = "42"});
  SetText(trade.szAnswerField24, "X");
  engine.CalcTradeFee(trade);

  const std::vector<PositionDetailRow> rows = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(rows.size(), 1u);
  const PositionDetailRow& row = rows[0];
  EXPECT_EQ(Text(row.szTradeAccount), kAccount);
  EXPECT_EQ(Text(row.szTradingDate), kToday);
  EXPECT_EQ(Text(row.szOpenDate), kToday);
  EXPECT_EQ(Text(row.szDealNo), "42");
  EXPECT_EQ(Text(row.szSeatCode), kSeat);
  EXPECT_EQ(Text(row.szExchangeCode), kExchange);
  EXPECT_EQ(Text(row.szAnswerField11), "X");
  EXPECT_EQ(Text(row.szMapCode), kTradeCode);
  EXPECT_EQ(Text(row.szAccountDay), "2609");
  EXPECT_EQ(Text(row.szFlagBS), "1");
  EXPECT_EQ(Text(row.szFlagSH), "0");
  EXPECT_EQ(Text(row.szPositionVolume), "3");
  EXPECT_EQ(Text(row.szPositionPrice), "3010");
  EXPECT_EQ(Text(row.szOpenPrice), "3010");
  EXPECT_EQ(Text(row.szEngrossCautionMoney), "9030.00");
  EXPECT_EQ(Text(row.szAnswerField21), "9030.00");
  EXPECT_EQ(Text(row.szVolumePerHand), "10");
  EXPECT_EQ(Text(row.szPosKind), "ordinary");
  EXPECT_EQ(Text(row.szCombinationNo), "");
  EXPECT_EQ(Text(row.szContractCode), "cu2609");
  EXPECT_TRUE(engine.Rows<CombinationDetailRow>(Table::kCombinationDetails).empty());
}

TEST_F(TradePositions, ALegOfASpecialOrderOpensACombinationLeg) {
  engine.Add(Table::kSpecialOrders, SpecialOrder({.systemNo = "S9",
                                                  .strategy = "SPD",
                                                  .key3 = "0",
                                                  .key4 = "0",
                                                  .key5 = "0",
                                                  .legContracts = {"cu2609", "cu2612"}}));

  TradeRow first = Trade({.lots = "2", .price = "3000", .dealNo = "11"});
  TradeRow second = Trade({.contract = "cu2612", .buySell = "1", .lots = "2", .price = "3100", .dealNo = "12"});
  SetText(first.szSysNo, "S9");
  SetText(second.szSysNo, "S9");
  engine.CalcTradeFee(first);
  engine.CalcTradeFee(second);

  // The spread's second leg carries no margin of its own.
  EXPECT_EQ(Text(first.szMargin), "6000.00");
  EXPECT_EQ(Text(second.szMargin), "0.00");
  const std::vector<PositionDetailRow> details = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(details.size(), 2u);
  EXPECT_EQ(Text(details[0].szPosKind), "0");
  EXPECT_EQ(Text(details[1].szPosKind), "0");

  const std::vector<CombinationDetailRow> legs = engine.Rows<CombinationDetailRow>(Table::kCombinationDetails);
  ASSERT_EQ(legs.size(), 2u);
  const CombinationDetailRow& leg = legs[1];
  EXPECT_EQ(Text(leg.szTradeAccount), kAccount);
  EXPECT_EQ(Text(leg.szOpenDate), kToday);  // open date
  EXPECT_EQ(Text(leg.szSeatCode), kSeat);
  EXPECT_EQ(Text(leg.szPosKind), "0");         // combination kind
  EXPECT_EQ(Text(leg.szLegNo), "2");           // leg number
  EXPECT_EQ(Text(leg.szCombinationNo), "S9");  // combination number
  EXPECT_EQ(Text(leg.szDealNo), "12");         // deal number
  EXPECT_EQ(Text(leg.szVarietyCode), "cu");
  EXPECT_EQ(Text(leg.szAccountDay), "2612");
  EXPECT_EQ(Text(leg.szPositionVolume), "2");
  EXPECT_EQ(Text(leg.szFlagBS), "1");
  EXPECT_EQ(Text(leg.szPositionPrice), "3100");
  EXPECT_EQ(Text(leg.szEngrossCautionMoney), "0.00");
  EXPECT_EQ(Text(leg.szStrategyCode), "SPD");

  // Closing the first leg frees the second into an ordinary position.
  const engine::LegList freed = engine.Close(Closing("1", 2));
  ASSERT_EQ(freed.size(), 1u);
  EXPECT_EQ(freed[0].position, Position("1", "cu2612"));
  const std::vector<PositionDetailRow> after = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(Text(after[0].szPosKind), "ordinary");
  EXPECT_EQ(Text(after[0].szEngrossCautionMoney), "6200.00");
}

TEST_F(TradePositions, TheDetailsOfOneSummaryRowAreSummed) {
  engine.Add(Table::kPositionDetails, Detail({.lots = "2", .price = "3000", .margin = "6000.00"}));
  engine.Add(Table::kPositionDetails,
             Detail({.openDate = kToday, .dealNo = "2", .lots = "1", .price = "3003", .margin = "3003.00"}));
  engine.Add(
      Table::kPositionDetails,
      Detail({.openDate = kToday, .dealNo = "3", .buySell = "1", .lots = "5", .price = "3000", .margin = "1.00"}));

  const PositionSummaryRow row = engine.ApplyTradeToPositions(Position("0"));
  EXPECT_EQ(Text(row.szPositionVolume), "3");
  EXPECT_EQ(Text(row.szTodayVolume), "1");
  EXPECT_EQ(Text(row.szOpenCost), "9003.00");
  EXPECT_EQ(Text(row.szOpenPrice), "3001.00");
  EXPECT_EQ(Text(row.szPositionPrice), "3001.00");
  EXPECT_EQ(Text(row.szEngrossCautionMoney), "9003.00");
  EXPECT_EQ(Text(row.szTradeClass), "0");

  // A bond future's price has three decimals: 2 x 108.455 holds 216.91,
  // not 2 x 108.46, as the summary build sums it.
  engine.Add(Table::kPositionDetails,
             Detail({.dealNo = "4", .buySell = "1", .lots = "2", .price = "108.455", .margin = "1.00"}));
  const PositionSummaryRow bonds = engine.ApplyTradeToPositions(Position("1"));
  EXPECT_EQ(Text(bonds.szPositionVolume), "7");
  EXPECT_EQ(Text(bonds.szPositionCost), "15216.91");
  EXPECT_EQ(Text(bonds.szOpenCost), "15216.91");

  const PositionSummaryRow none = engine.ApplyTradeToPositions(Position("0", "cu2612"));
  EXPECT_EQ(Text(none.szPositionVolume), "");
  EXPECT_EQ(Text(none.szTradeAccount), "");
}

// A summary row as the fills keep it up and as a fresh build of the
// summary gives it must agree to the cent, or a reconnect would show other
// figures: opens at prices of three decimals on both sides, today and
// before, and closes of whole and part details, in a fixed mix.
TEST_F(TradePositions, EachFillsSummaryEqualsAFreshSummaryBuild) {
  engine.SetLoginTexts({.tradingDate = std::string(kToday)});
  const std::string_view prices[] = {"108.455", "3000", "99.995", "3001.005", "0.015"};
  // The sums; a row of one detail copies its prices, and leaves its lots of
  // today empty, where the fill writes averages and a 0.
  const auto summaryText = [](const PositionSummaryRow& row) {
    return std::string(Text(row.szPositionVolume)) + "|" + std::to_string(engine::ReadInt(row.szTodayVolume)) + "|" +
           std::string(Text(row.szOpenCost)) + "|" + std::string(Text(row.szPositionCost)) + "|" +
           std::string(Text(row.szEngrossCautionMoney));
  };
  for (int step = 0; step < 60; ++step) {
    SCOPED_TRACE(step);
    const std::string_view buySell = step % 4 < 2 ? "0" : "1";
    if (step % 3 == 2) {
      engine.Close(Closing(buySell == "0" ? "1" : "0", 1 + step % 4));
    } else {
      const std::string dealNo = std::to_string(100 - step);
      const std::string lots = std::to_string(1 + step % 5);
      if (step % 5 == 0) {
        engine.Add(
            Table::kPositionDetails,
            Detail({.dealNo = dealNo, .buySell = buySell, .lots = lots, .price = prices[step % 5], .margin = "10.01"}));
      } else {
        TradeRow trade = Trade({.buySell = buySell, .lots = lots, .price = prices[step % 5], .dealNo = dealNo});
        engine.CalcTradeFee(trade);
      }
    }
    engine::EngineTable built;
    engine.BuildPositionSummary(built, engine::PositionKinds::kAll);
    for (const std::string_view side : {"0", "1"}) {
      std::string fresh;
      for (const PositionSummaryRow& row : RowsOf<PositionSummaryRow>(built)) {
        if (Text(row.szFlagBS) == side) fresh = summaryText(row);
      }
      const PositionSummaryRow kept = engine.ApplyTradeToPositions(Position(side));
      EXPECT_EQ(Text(kept.szPositionVolume).empty() ? std::string() : summaryText(kept), fresh) << side;
    }
  }
}

}  // namespace
