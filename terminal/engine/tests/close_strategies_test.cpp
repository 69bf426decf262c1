#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "engine/testing/calculation_engine.h"
#include "engine/testing/started_engine.h"

namespace {

using namespace engine_testing;
using engine::CombinationDetailRow;
using engine::PositionDetailRow;
using engine::Table;
using engine::Text;

// A detail of one lot, of its deal number, kind and combination number.
struct DetailSpec {
  std::string_view openDate;
  std::string_view dealNo;
  std::string_view kind = "ordinary";
  std::string_view combinationNo = "";
  std::string_view lots = "1";
};

struct ConsumptionCase {
  std::string_view name;
  std::string_view strategyText;  // the exchange's close strategy; empty: no row
  std::string_view openClose;
  std::vector<DetailSpec> details;
  int lots;
  std::vector<std::string> left;  // "<deal number>:<lots>" of the details left, in table order
};

std::vector<std::string> DetailsLeft(CalculationEngine& engine) {
  std::vector<std::string> left;
  for (const PositionDetailRow& row : engine.Rows<PositionDetailRow>(Table::kPositionDetails)) {
    left.push_back(std::string(Text(row.szDealNo)) + ":" + std::string(Text(row.szPositionVolume)));
  }
  return left;
}

TEST(CloseStrategies, EachStrategyTakesTheLotsInItsOwnOrder) {
  const std::string_view today = kToday;
  const std::string_view yesterday = kYesterday;
  const ConsumptionCase cases[] = {
      {"oldest day first", "策略1", "1", {{today, "1"}, {yesterday, "2"}}, 1, {"1:1"}},
      {"newest day first", "策略3", "1", {{yesterday, "1"}, {today, "2"}}, 1, {"1:1"}},
      {"deal numbers compare as numbers", "策略1", "1", {{today, "10"}, {today, "9"}}, 1, {"10:1"}},
      {"no strategy row is oldest first", "", "1", {{today, "1"}, {yesterday, "2"}}, 1, {"1:1"}},
      {"an unknown strategy is oldest first", "策略9", "1", {{today, "1"}, {yesterday, "2"}}, 1, {"1:1"}},
      {"close today is newest first", "策略1", "2", {{yesterday, "1"}, {today, "2"}}, 1, {"1:1"}},
      {"ordinary before a leg of the same deal", "策略1", "1", {{today, "1", "0", "C1"}, {today, "1"}}, 1, {"1:1"}},
      {"between legs the smaller combination",
       "策略1",
       "1",
       {{today, "1", "0", "C2"}, {today, "1", "0", "C1"}},
       1,
       {"1:1"}},
      {"ordinary first even when opened later", "策略2", "1", {{yesterday, "1", "0", "C1"}, {today, "2"}}, 1, {"1:1"}},
      {"ordinary rows oldest first", "策略2", "1", {{today, "1"}, {yesterday, "2"}}, 1, {"1:1"}},
      {"legs by combination, not by day",
       "策略2",
       "1",
       {{yesterday, "1", "0", "C2"}, {today, "2", "0", "C1"}},
       1,
       {"1:1"}},
      {"newest day, then ordinary first",
       "策略3",
       "1",
       {{today, "1", "0", "C1"}, {today, "2"}, {yesterday, "3"}},
       1,
       {"1:1", "3:1"}},
      {"newest day, legs by combination then deal",
       "策略3",
       "1",
       {{today, "1", "0", "C1"}, {today, "2", "0", "C1"}, {today, "3", "0", "C0"}},
       2,
       {"2:1"}},
      {"a close runs over several rows",
       "策略1",
       "1",
       {{yesterday, "1", "ordinary", "", "2"}, {today, "2", "ordinary", "", "5"}},
       3,
       {"2:4"}},
  };
  for (const ConsumptionCase& test : cases) {
    SCOPED_TRACE(test.name);
    CalculationEngine engine;
    if (!test.strategyText.empty()) {
      engine::CloseStrategyRow strategy{};
      SetText(strategy.szExchangeCode, kExchange);
      SetText(strategy.szCloseStrategy, test.strategyText);
      engine.Add(Table::kCloseStrategies, strategy);
    }
    for (const DetailSpec& spec : test.details) {
      PositionDetailRow row = Detail({.openDate = spec.openDate,
                                      .dealNo = spec.dealNo,
                                      .lots = spec.lots,
                                      .price = "3000",
                                      .margin = "100.00",
                                      .kind = spec.kind});
      SetText(row.szCombinationNo, spec.combinationNo);
      engine.Add(Table::kPositionDetails, row);
    }
    engine.Close(Closing("1", test.lots), test.openClose);
    EXPECT_EQ(DetailsLeft(engine), test.left);
  }
}

// Each close takes its lots from the details as the table holds them then,
// however rows were removed or appended between the closes.
TEST(CloseStrategies, EachCloseSeesTheDetailsAsTheyAreNow) {
  CalculationEngine engine;
  const auto add = [&](std::string_view lots, std::string_view openDate, std::string_view dealNo,
                       std::string_view contract = "cu2609") {
    engine.Add(Table::kPositionDetails, Detail({.openDate = openDate,
                                                .dealNo = dealNo,
                                                .lots = lots,
                                                .price = "3000",
                                                .margin = "100.00",
                                                .contract = contract}));
  };
  const auto removeRow = [&](std::uint32_t index) {
    std::lock_guard guard(engine.lock_);
    ASSERT_TRUE(engine.TableAt(Table::kPositionDetails).RemoveEntry(index));
  };
  add("2", kYesterday, "1");
  add("9", "20260801", "9", "cu2612");
  add("1", kToday, "2");
  add("1", kToday, "3");
  engine.Close(Closing("1", 1));
  EXPECT_EQ(DetailsLeft(engine), (std::vector<std::string>{"1:1", "9:9", "2:1", "3:1"}));

  removeRow(1);  // the other contract's detail: the later rows move up
  add("1", "20260801", "4");
  engine.Close(Closing("1", 1));
  EXPECT_EQ(DetailsLeft(engine), (std::vector<std::string>{"1:1", "2:1", "3:1"})) << "the oldest, appended last";

  removeRow(2);  // the last detail, and another in its place
  add("1", "20260701", "5");
  engine.Close(Closing("1", 1));
  EXPECT_EQ(DetailsLeft(engine), (std::vector<std::string>{"1:1", "2:1"}));

  engine.Close(Closing("1", 2));
  EXPECT_EQ(DetailsLeft(engine), std::vector<std::string>{});
}

// The exchange's strategy may change while details are held: the next
// close takes them in the new order, whatever order the table holds them in.
TEST(CloseStrategies, AStrategyChangedWhileDetailsAreHeldTakesItsOwnOrder) {
  CalculationEngine engine;
  const auto setStrategy = [&](std::string_view text) {
    std::lock_guard guard(engine.lock_);
    engine::CloseStrategyRow strategy{};
    SetText(strategy.szExchangeCode, kExchange);
    SetText(strategy.szCloseStrategy, text);
    engine::EngineTable& strategies = engine.TableAt(Table::kCloseStrategies);
    strategies.Clear();
    engine.Add(Table::kCloseStrategies, strategy);
  };
  setStrategy("策略1");
  const std::string_view openDates[] = {kToday, kYesterday, kToday, "20260801", kYesterday};
  for (std::size_t deal = 1; deal <= std::size(openDates); ++deal) {
    engine.Add(Table::kPositionDetails, Detail({.openDate = openDates[deal - 1],
                                                .dealNo = std::to_string(deal),
                                                .lots = "1",
                                                .price = "3000",
                                                .margin = "100.00"}));
  }
  engine.Close(Closing("1", 1));
  EXPECT_EQ(DetailsLeft(engine), (std::vector<std::string>{"1:1", "2:1", "3:1", "5:1"})) << "the oldest day";

  setStrategy("策略3");
  engine.Close(Closing("1", 2));
  EXPECT_EQ(DetailsLeft(engine), (std::vector<std::string>{"2:1", "5:1"})) << "today's, by deal number";

  setStrategy("策略2");
  engine.Close(Closing("1", 1));
  EXPECT_EQ(DetailsLeft(engine), (std::vector<std::string>{"5:1"})) << "yesterday's, by deal number";
}

TEST(CloseStrategies, APartlyClosedDetailKeepsItsShareOfTheMargin) {
  CalculationEngine engine;
  engine.Add(Table::kPositionDetails, Detail({.lots = "2", .price = "3000", .margin = "100.00"}));
  engine.Add(Table::kPositionDetails,
             Detail({.openDate = kToday, .dealNo = "2", .lots = "5", .price = "3000", .margin = "333.33"}));
  // A detail of another side, account or contract is never a candidate.
  engine.Add(
      Table::kPositionDetails,
      Detail({.openDate = "20260901", .dealNo = "0", .buySell = "1", .lots = "9", .price = "3000", .margin = "1.00"}));
  engine.Add(Table::kPositionDetails, Detail({.openDate = "20260901",
                                              .dealNo = "0",
                                              .lots = "9",
                                              .price = "3000",
                                              .margin = "1.00",
                                              .contract = "cu2612"}));

  engine.Close(Closing("1", 3));

  const std::vector<PositionDetailRow> rows = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Text(rows[0].szPositionVolume), "4");
  // One fifth released: 333.33 / 5 = 66.666, 66.67 by the money rule.
  EXPECT_EQ(Text(rows[0].szEngrossCautionMoney), "266.66");
}

TEST(CloseStrategies, ADetailOfNoLotsGoesWithoutTakingAnyLots) {
  CalculationEngine engine;
  engine.Add(Table::kPositionDetails, Detail({.lots = "0", .price = "3000", .margin = "100.00"}));
  engine.Add(Table::kPositionDetails,
             Detail({.openDate = kToday, .dealNo = "2", .lots = "2", .price = "3000", .margin = "200.00"}));

  engine.Close(Closing("1", 1));

  EXPECT_EQ(DetailsLeft(engine), (std::vector<std::string>{"2:1"}));
  EXPECT_EQ(Text(engine.Rows<PositionDetailRow>(Table::kPositionDetails)[0].szEngrossCautionMoney), "100.00");
}

class CloseWithoutPositions : public StartedEngine<> {};

TEST_F(CloseWithoutPositions, HasTheEngineDownloadTheAccountAgain) {
  MakeReady();
  engine.Add(Table::kPositionDetails, Detail({.lots = "1", .price = "3000", .margin = "100.00"}));
  engine::LegList legs;
  // A buy closes sell positions, and there are none.
  engine.CloseByStrategy(engine::CloseStrategy::kOldestFirst, legs, Closing("0", 1));

  EXPECT_EQ(engine.GetEngineState(), engine::EngineState::kInitialDownload);
  EXPECT_EQ(engine.GetDownloadState(), engine::DownloadState::kScheduled);
  const auto rows = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szPositionVolume), "1");
  EXPECT_TRUE(legs.empty());
}

// A combination of two legs of ratio 1: a buy of cu2609 and a sell of
// cu2612, both of 2 lots and opened today by the deals 11 and 12.
class CombinationRelease : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    engine.Add(Table::kContracts, Contract({.code = "cu2612", .multiplier = "10"}));
    engine.backEndFeeRates.push_back(FeeRates("cu2612"));
    AddCombinationPosition(engine);
  }

  std::vector<std::string> LegLots() {
    std::vector<std::string> lots;
    for (const CombinationDetailRow& row : engine.Rows<CombinationDetailRow>(Table::kCombinationDetails)) {
      lots.push_back(std::string(Text(row.szLegNo)) + ":" + std::string(Text(row.szPositionVolume)));
    }
    return lots;
  }

  CalculationEngine engine;
};

TEST_F(CombinationRelease, ClosingOneLotOfALegFreesOneLotOfTheOtherLeg) {
  const engine::LegList legs = engine.Close(Closing("1", 1));

  ASSERT_EQ(legs.size(), 1u);
  EXPECT_EQ(legs[0].dealNo, "12");
  EXPECT_EQ(legs[0].lots, 1);
  EXPECT_EQ(legs[0].position, Position("1", "cu2612"));
  EXPECT_EQ(LegLots(), (std::vector<std::string>{"1:1", "2:1"}));

  const std::vector<PositionDetailRow> rows = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Text(rows[0].szPositionVolume), "1");
  EXPECT_EQ(Text(rows[0].szEngrossCautionMoney), "3000.00");
  EXPECT_EQ(Text(rows[1].szPosKind), "0");
  EXPECT_EQ(Text(rows[1].szPositionVolume), "1");
  // The freed lot is an ordinary position with the margin of one sold lot
  // opened at its holding price: 0.1 * 3100 * 10.
  EXPECT_EQ(Text(rows[2].szPosKind), "ordinary");
  EXPECT_EQ(Text(rows[2].szContractCode), "cu2612");
  EXPECT_EQ(Text(rows[2].szPositionVolume), "1");
  EXPECT_EQ(Text(rows[2].szEngrossCautionMoney), "3100.00");
}

TEST_F(CombinationRelease, ClosingAWholeLegMakesTheOtherLegOrdinary) {
  const engine::LegList legs = engine.Close(Closing("1", 2));

  ASSERT_EQ(legs.size(), 1u);
  EXPECT_EQ(legs[0].lots, 2);
  EXPECT_TRUE(LegLots().empty());
  const std::vector<PositionDetailRow> rows = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szPosKind), "ordinary");
  EXPECT_EQ(Text(rows[0].szPositionVolume), "2");
  EXPECT_EQ(Text(rows[0].szEngrossCautionMoney), "6200.00");
}

TEST_F(CombinationRelease, ALegOfRatioZeroCountsOneLotPerCombination) {
  engine.Add(Table::kOrderKinds, OrderKind({.strategy = "SP0", .legs = {{.ratio = "0"}, {.ratio = "0"}}}));
  {
    std::lock_guard guard(engine.lock_);
    engine::EngineTable& legs = engine.TableAt(Table::kCombinationDetails);
    for (std::uint32_t index = 0; index < legs.GetCount(); ++index) {
      CombinationDetailRow row = *engine::RowFromBytes<CombinationDetailRow>(legs.GetValue(index));
      SetText(row.szStrategyCode, "SP0");
      std::memcpy(legs.GetDataPtr(index), &row, sizeof row);
    }
  }

  const engine::LegList freed = engine.Close(Closing("1", 1));

  ASSERT_EQ(freed.size(), 1u);
  EXPECT_EQ(freed[0].lots, 1);
  EXPECT_EQ(LegLots(), (std::vector<std::string>{"1:1", "2:1"}));
}

TEST_F(CombinationRelease, TheMarginOfAFreedSoldOptionIsQuotedWithoutTheLock) {
  // The other leg is a sold call whose underlying has no price: its margin
  // asks the quote table.
  engine.Add(Table::kContracts, Option("m2609C3000", "10"));
  engine.backEndFeeRates.push_back(FeeRates("m2609C3000"));
  engine.quotes["F1,m2609"] = 2900.0;
  {
    std::lock_guard guard(engine.lock_);
    engine.TableAt(Table::kPositionDetails).RemoveEntry(1);
    engine.TableAt(Table::kCombinationDetails).RemoveEntry(1);
  }
  engine.Add(Table::kPositionDetails, Detail({.openDate = kToday,
                                              .dealNo = "12",
                                              .buySell = "1",
                                              .lots = "2",
                                              .price = "50",
                                              .margin = "0.00",
                                              .kind = "0",
                                              .contract = "m2609C3000"}));
  engine.Add(Table::kCombinationDetails, Leg({.openDate = kToday,
                                              .kind = "0",
                                              .legNumber = "2",
                                              .combinationNo = "S9",
                                              .dealNo = "12",
                                              .contract = "m2609C3000",
                                              .lots = "2",
                                              .strategy = "SPD"}));

  engine.Close(Closing("1", 2));

  EXPECT_GT(engine.quoteAsks, 0);
  EXPECT_TRUE(engine.lockFreeDuringQuote);
  const std::vector<PositionDetailRow> rows = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szPosKind), "ordinary");
  EXPECT_NE(Text(rows[0].szEngrossCautionMoney), "0.00");
}

}  // namespace
