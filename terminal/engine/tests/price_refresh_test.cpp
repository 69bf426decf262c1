#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::FundRow;
using engine::PositionSummaryRow;
using engine::PriceContractRow;
using engine::Table;
using engine::TableChangeRecord;
using engine::Text;

// The items of a contract list or a price answer ("a;b;c;").
std::vector<std::string> Items(std::string_view list) {
  std::vector<std::string> items;
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = list.find(';', start);
    items.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

TEST(PriceRefresh, ContractsArePricedInBatchesThatFitTheirListText) {
  struct BatchCase {
    std::string_view name;
    std::size_t contracts;
    std::size_t codeLength;
    std::vector<std::size_t> batches;
  };
  const BatchCase cases[] = {
      {"at most 100 contracts a batch", 250, 4, {100, 100, 50}},
      // "F1," and 31 characters and ";" are 35 bytes: 29 fit 1023.
      {"long codes end a batch early", 100, 31, {29, 29, 29, 13}},
  };
  for (const BatchCase& test : cases) {
    SCOPED_TRACE(test.name);
    CalculationEngine engine;
    std::vector<std::string> codes;
    for (std::size_t index = 0; index < test.contracts; ++index) {
      const std::string number = std::to_string(1000 + index).substr(1);  // three digits
      codes.push_back(std::string(test.codeLength - 3, 'x') + number);
      engine.Add(Table::kPriceContracts, PriceRow(codes.back(), ""));
    }
    engine.lastPrices = [](std::string_view list) -> std::optional<std::string> {
      std::string answer;
      for (std::size_t item = 0; item < Items(list).size(); ++item) answer.append("7;");
      return answer;
    };
    engine.RefreshPrices();

    std::vector<std::size_t> batches;
    std::vector<std::string> listed;
    for (const std::string& list : engine.lastPriceQueries) {
      EXPECT_LT(list.size(), 1024u);
      const std::vector<std::string> items = Items(list);
      batches.push_back(items.size());
      for (const std::string& item : items) listed.push_back(item.substr(3));
    }
    EXPECT_EQ(batches, test.batches);
    EXPECT_EQ(listed, codes);
    for (const PriceContractRow& row : engine.Rows<PriceContractRow>(Table::kPriceContracts)) {
      EXPECT_EQ(Text(row.szNewPrice), "7.00");
    }
  }
}

TEST(PriceRefresh, AShortAnswerPricesTheRestAtZeroAndAFailedQueryChangesNoPrice) {
  CalculationEngine engine;
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", "2900.00"));
  engine.Add(Table::kPriceContracts, PriceRow("cu2612", "2900.00"));
  engine.Add(Table::kPositionSummary, Summary({.contract = "cu2612", .lots = "1"}));
  engine.quotes["F1,cu2612"] = 3050.0;
  engine.lastPrices = [](std::string_view) -> std::optional<std::string> { return "3000;"; };
  engine.RefreshPrices();
  std::vector<PriceContractRow> rows = engine.Rows<PriceContractRow>(Table::kPriceContracts);
  EXPECT_EQ(Text(rows[0].szNewPrice), "3000.00");
  EXPECT_EQ(Text(rows[1].szNewPrice), "0.00");
  // The position without a price takes the quote, asked without the lock.
  EXPECT_EQ(Text(engine.Rows<PositionSummaryRow>(Table::kPositionSummary).at(0).szNewPrice), "-");
  EXPECT_EQ(engine.quoteAsks, 1);
  EXPECT_TRUE(engine.lockFreeDuringQuote);

  engine.lastPrices = [](std::string_view) -> std::optional<std::string> { return std::nullopt; };
  engine.RefreshPrices();
  rows = engine.Rows<PriceContractRow>(Table::kPriceContracts);
  EXPECT_EQ(Text(rows[0].szNewPrice), "3000.00");
  EXPECT_EQ(Text(rows[1].szNewPrice), "0.00");
}

struct FloatingCase {
  std::string_view name;
  std::string_view price;
  bool floatingProfitCounts;
  std::string_view floating;
  std::string_view usable;
  std::string_view equity;
};

TEST(PriceRefresh, TheFloatingResultReachesTheFundsByTheFloatingProfitRule) {
  // 2 lots sold for 6000 in all, multiplier 10; the day's fees 10.00, a
  // margin of 6000.00. 10 * 6000 - 2 * 10 * 2990 = 200.00.
  const FloatingCase cases[] = {
      {"a profit kept out of the available funds", "2990", false, "200.00", "93990.00", "100190.00"},
      {"a profit counted in them", "2990", true, "200.00", "94190.00", "100190.00"},
      {"a loss always taken from them", "3010", false, "-200.00", "93790.00", "99790.00"},
  };
  for (const FloatingCase& test : cases) {
    SCOPED_TRACE(test.name);
    CalculationEngine engine;
    engine.SetFloatingProfitCounts(test.floatingProfitCounts);
    engine.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    engine.Add(Table::kPositionDetails, Detail({.buySell = "1", .lots = "2", .price = "3000", .margin = "6000.00"}));
    engine.Add(Table::kPositionSummary, engine.ApplyTradeToPositions(Position("1")));
    engine.Add(Table::kPriceContracts, PriceRow("cu2609", ""));
    engine.Add(Table::kFunds, Fund({.previousBalance = "100000.00",
                                    .usable = "1.00",
                                    .equity = "1.00",
                                    .fees = "10.00",
                                    .totalMargin = "6000.00"}));
    // An account without positions keeps its balances less the option
    // floating margin it held.
    FundRow idle =
        Fund({.previousBalance = "500.00", .usable = "1.00", .equity = "1.00", .optionFloatingMargin = "300.00"});
    SetText(idle.szTradeAccount, "8002");
    engine.Add(Table::kFunds, idle);
    const std::string answer = std::string(test.price) + ";";
    engine.lastPrices = [&answer](std::string_view) -> std::optional<std::string> { return answer; };

    engine.RefreshPrices();

    const PositionSummaryRow position = engine.Rows<PositionSummaryRow>(Table::kPositionSummary).at(0);
    EXPECT_EQ(Text(position.szProfitAndLoss_CC), test.floating);
    const std::vector<FundRow> funds = engine.Rows<FundRow>(Table::kFunds);
    EXPECT_EQ(Text(funds[0].szProfitAndLoss), test.floating);
    EXPECT_EQ(Text(funds[0].szUsableMoney), test.usable);
    EXPECT_EQ(Text(funds[0].szDynamicRights), test.equity);
    EXPECT_EQ(Text(funds[0].szOptionMarketValue), "0.00");
    EXPECT_EQ(Text(funds[1].szUsableMoney), "200.00");
    EXPECT_EQ(Text(funds[1].szDynamicRights), "500.00");
    EXPECT_EQ(Text(funds[1].szProfitAndLoss), "0.00");
    EXPECT_EQ(Text(funds[1].szFLOATINGMARGIN), "0.00");
  }
}

TEST(PriceRefresh, TheGuiHearsOfEachSummaryRowAndEachFundRowAtTheNextBatchClose) {
  CalculationEngine engine;
  engine.Add(Table::kPositionSummary, Summary({.lots = "1"}));
  engine.Add(Table::kPositionSummary, Summary({.contract = "cu2612", .lots = "1"}));
  engine.Add(Table::kPriceContracts, PriceRow("cu2609", ""));
  engine.Add(Table::kFunds, Fund({.usable = "1.00"}));
  engine.lastPrices = [](std::string_view) -> std::optional<std::string> { return "3000;"; };

  engine.RefreshPrices();

  std::vector<std::string> queued;
  for (const TableChangeRecord& record : engine.TakeChangeQueue()) {
    queued.push_back(std::to_string(record.TableId()) + record.Operation() + std::to_string(record.RowCount()) + "/" +
                     std::to_string(record.RowIndex()) + "/" + std::to_string(record.Flag()));
  }
  EXPECT_EQ(queued, (std::vector<std::string>{"5u2/0/1", "5u2/-1/1", "5u2/1/1", "5u2/-1/1", "1u1/0/0"}));
  EXPECT_TRUE(engine.notified.empty());
}

TEST(PriceRefresh, NothingToPriceLeavesEverythingAsItIs) {
  CalculationEngine engine;
  engine.SetFloatingProfitCounts(true);
  engine.Add(Table::kFunds, Fund({.previousBalance = "500.00", .usable = "1.00", .equity = "2.00"}));
  engine.RefreshPrices();
  EXPECT_TRUE(engine.lastPriceQueries.empty());
  EXPECT_TRUE(engine.TakeChangeQueue().empty());
  EXPECT_EQ(Text(engine.Rows<FundRow>(Table::kFunds).at(0).szUsableMoney), "1.00");
}

TEST(LocalFeeRateAnswer, AnswersFromTheCacheInTheBackEndsLayout) {
  CalculationEngine engine;
  engine.Add(Table::kFeeRates, FeeRates("cu2609"));
  backend::CxDataSet answer;
  engine.LocalFeeRateAnswer(kExchange, kSeat, "cu2609", kAccount, answer);

  const std::string expected = "A|||Y||8001|F1|S01|cu2609|0.0001|0|0|2|0|0|0.0002|0|0|1|0|0|||0.1|0|0.1|0|0.1|0|0.1|0|";
  ASSERT_EQ(answer.GetCount(), 1u);
  EXPECT_EQ(answer.GetValue(0).size(), expected.size() + 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(answer.GetDataPtr(0)), expected.c_str());
  EXPECT_EQ(engine.feeRateQueries, 0);
  EXPECT_EQ(engine.logLines, (std::vector<std::string>{"计算引擎：" + expected}));
}

TEST(LocalFeeRateAnswer, AsksTheBackEndOnAMissAndSaysNWhenItHasNoRate) {
  CalculationEngine engine;
  engine.backEndFeeRates.push_back(FeeRates("cu2609"));
  backend::CxDataSet found;
  engine.LocalFeeRateAnswer(kExchange, kSeat, "cu2609", kAccount, found);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(found.GetDataPtr(0))).substr(0, 7), "A|||Y||");
  EXPECT_EQ(engine.Rows<engine::FeeRateRow>(Table::kFeeRates).size(), 1u);

  backend::CxDataSet missing;
  engine.LocalFeeRateAnswer(kExchange, kSeat, "cu2612", kAccount, missing);
  ASSERT_EQ(missing.GetCount(), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(missing.GetDataPtr(0)), "A|||N||查询费率失败！|");
  EXPECT_EQ(engine.feeRateQueries, 2);
}

}  // namespace
