#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/testing/answers.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::SetText;
using engine::Table;
using engine::Text;
using engine_testing::Answer;
using engine_testing::Change;
using engine_testing::DataLine;

constexpr bool kHeld = false;
constexpr bool kAtOnce = true;

// A buy order of account 8001 freezing 1000.00 margin, 5.00 fee and 2.50
// premium; its number is stored as "00123".
engine::OrderRow BuyOrder(std::string_view state, std::string_view sequence = "5") {
  return engine_testing::Order({.exchange = "S",
                                .orderNo = "00123",
                                .contract = "cu2701",
                                .state = state,
                                .sequence = sequence,
                                .orderSeat = "S001",
                                .frozenMargin = "1000.00",
                                .frozenFee = "5.00",
                                .frozenPremium = "2.50"});
}

// The fund amounts the order updates move.
struct FundAmounts {
  std::string usable;
  std::string buyFrozen;
  std::string sellFrozen;
  std::string totalFrozen;
  std::string feeFrozen;
  std::string premiumFrozen;
  bool operator==(const FundAmounts&) const = default;
};

FundAmounts AmountsOf(const engine::FundRow& fund) {
  return {std::string(Text(fund.szUsableMoney)),
          std::string(Text(fund.szBFreeze)),
          std::string(Text(fund.szSFreeze)),
          std::string(Text(fund.szTotalFreeze)),
          std::string(Text(fund.szFreezeCommissionCharge)),
          std::string(Text(fund.szFrozenRoyalty))};
}

[[maybe_unused]] std::ostream& operator<<(std::ostream& out, const FundAmounts& amounts) {
  return out << amounts.usable << "/" << amounts.buyFrozen << "/" << amounts.sellFrozen << "/" << amounts.totalFrozen
             << "/" << amounts.feeFrozen << "/" << amounts.premiumFrozen;
}

// What SellFrozenFund holds.
const FundAmounts kUntouchedFund{"10000.00", "0.00", "200.00", "200.00", "0.00", "0.00"};

// The fund with that order's amounts frozen, and with them given back.
const FundAmounts kBuyFrozen{"8992.50", "1000.00", "200.00", "1207.50", "5.00", "2.50"};
const FundAmounts kReleased{"10000.00", "0.00", "200.00", "200.00", "0.00", "0.00"};

class OrderAnswersAndPushes : public engine_testing::StartedEngine<> {
 protected:
  // The status line alone answers every query, as the back end answers for
  // a row it does not know.
  void SetUp() override {
    StartedEngine::SetUp();
    backEnd.OtherwiseRows({});
  }

  FundAmounts FundNow() { return AmountsOf(engine.Rows<engine::FundRow>(Table::kFunds).at(0)); }
  std::vector<engine::OrderRow> Orders() { return engine.Rows<engine::OrderRow>(Table::kOrders); }

  // The fund row and the buy order, frozen, with their records forgotten.
  void FundAndBuyOrder(std::string_view state, std::string_view sequence = "5") {
    Reset();
    engine.Add(Table::kFunds, engine_testing::SellFrozenFund());
    ASSERT_TRUE(engine.AddOrder(BuyOrder(state, sequence), kAtOnce).has_value());
    ASSERT_EQ(FundNow(), kBuyFrozen);
    gui.changes.clear();
  }
};

// --- The fund answer

TEST_F(OrderAnswersAndPushes, AFundAnswerMovesUsableMoneyByTheDaysDepositsAndCredit) {
  struct Case {
    const char* deposits;
    const char* credit;
    const char* usable;
    const char* equity;
  };
  // The stored day's deposits are 300.00 and the credit 0.00.
  for (const Case& c : {Case{"1300.00", "0", "11000.00", "11000.00"}, Case{"300", "500.00", "10500.00", "10000.00"},
                        Case{"300.00", "0.00", "10000.00", "10000.00"}}) {
    Reset();
    engine.Add(Table::kFunds, engine_testing::SellFrozenFund());
    // The answer's own usable money, equity and frozen amounts are not taken.
    engine.ApplyFundAnswer("8001",
                           Answer({DataLine(35, {{4, "Y"},
                                                 {8, "999"},
                                                 {13, "1.00"},
                                                 {14, "2.00"},
                                                 {15, "0.31"},
                                                 {16, "1"},
                                                 {22, c.deposits},
                                                 {24, "999"},
                                                 {28, c.credit},
                                                 {30, "0.29"}})})
                               .View(),
                           kHeld);
    const engine::FundRow fund = engine.Rows<engine::FundRow>(Table::kFunds).at(0);
    EXPECT_EQ(Text(fund.szUsableMoney), c.usable) << c.deposits << " " << c.credit;
    EXPECT_EQ(Text(fund.szDynamicRights), c.equity) << c.deposits << " " << c.credit;
    EXPECT_EQ(Text(fund.szDynamicRiskLevel), "0.31");
    EXPECT_EQ(Text(fund.szSecurity), "1");
    EXPECT_EQ(Text(fund.szDynamicRiskLevel2), "0.29");
    EXPECT_EQ(Text(fund.szSFreeze), "200.00");
    EXPECT_EQ(Text(fund.szTotalFreeze), "200.00");
    EXPECT_EQ(Held(), (std::vector<Change>{{1, 'u', 0}}));
    EXPECT_TRUE(gui.Changes().empty());
  }
}

TEST_F(OrderAnswersAndPushes, AFundAnswerWithoutTheAccountsRowOrWithoutItsFieldsChangesNothing) {
  const backend::CxDataSet full = Answer({DataLine(35, {{4, "Y"}, {22, "5000"}})});
  engine.ApplyFundAnswer("8001", full.View(), kAtOnce);
  EXPECT_TRUE(engine.Rows<engine::FundRow>(Table::kFunds).empty());

  engine.Add(Table::kFunds, engine_testing::SellFrozenFund());
  // A bare status line would read as no deposits at all.
  engine.ApplyFundAnswer("8001", Answer({"A|||Y|0|"}).View(), kAtOnce);
  EXPECT_EQ(Text(engine.Rows<engine::FundRow>(Table::kFunds).at(0).szUsableMoney), "10000.00");
  EXPECT_TRUE(gui.Changes().empty());
  EXPECT_TRUE(Held().empty());
}

// --- The order answer

TEST_F(OrderAnswersAndPushes, AnOrderAnswerAddsItsOrderOnceAndFreezesItsAmounts) {
  engine.LoadContracts(Answer({"A|||Y|", DataLine(24, {{4, "S"}, {6, "cu2701"}, {22, "0"}})}).View());
  engine.Add(Table::kFunds, engine_testing::SellFrozenFund());
  const auto answer = [](const char* orderNo) {
    return Answer({DataLine(47, {{4, "Y"},
                                 {5, orderNo},
                                 {6, "S"},
                                 {7, "上海期货交易所"},
                                 {8, "cu2701"},
                                 {10, "a"},
                                 {11, "已经报入"},
                                 {12, "0"},
                                 {14, "0"},
                                 {16, "0"},
                                 {18, "2"},
                                 {19, "70000"},
                                 {21, "70010.5"},
                                 {34, "S001"},
                                 {43, "1000.004"},
                                 {44, "5"},
                                 {47, "2.5"}})});
  };
  engine.ApplyOrderAnswer("8001", answer("00123").View(), kHeld);
  // The same order again, its number written another way.
  engine.ApplyOrderAnswer("8001", answer("00123").View(), kHeld);
  engine.ApplyOrderAnswer("8001", answer("123").View(), kHeld);
  // An answer without an order number names no order.
  engine.ApplyOrderAnswer("8001", Answer({"A|||Y|"}).View(), kHeld);

  const std::vector<engine::OrderRow> orders = Orders();
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(Text(orders[0].szOrderNo), "00123");
  EXPECT_EQ(Text(orders[0].szExchangeCode), "S");
  EXPECT_EQ(Text(orders[0].szFlagOrderState), "a");
  EXPECT_EQ(Text(orders[0].szOrderStateText), "已经报入");
  EXPECT_EQ(Text(orders[0].szOrderHands), "2");
  EXPECT_EQ(Text(orders[0].szDealPrice), "70010.50");
  EXPECT_EQ(Text(orders[0].szOrderSeat), "S001");
  EXPECT_EQ(Text(orders[0].szTradeClass), "0");
  EXPECT_EQ(Text(orders[0].szFrozenCautionMoney), "1000.00");
  EXPECT_EQ(Text(orders[0].szFrozenCharge), "5.00");
  EXPECT_EQ(Text(orders[0].szFrozenPremium), "2.50");
  EXPECT_EQ(FundNow(), kBuyFrozen);
  EXPECT_EQ(Held(), (std::vector<Change>{{2, 'i', 0}, {1, 'u', 0}}));
}

// --- The cancel answer

TEST_F(OrderAnswersAndPushes, ACancelAnswerUpdatesAWorkingOrderAndReleasesOnlyWhenItIsCancelled) {
  struct Case {
    const char* storedState;
    const char* answeredState;
    const char* stateAfter;
    FundAmounts fund;
    std::vector<Change> held;
  };
  const std::vector<Case> cases = {
      {"a", "f", "f", kBuyFrozen, {{2, 'u', 0}}},
      {"p", "d", "d", kReleased, {{1, 'u', 0}, {2, 'u', 0}}},
      {"c", "d", "c", kBuyFrozen, {}},
      {"d", "d", "d", kBuyFrozen, {}},
  };
  for (const Case& c : cases) {
    FundAndBuyOrder(c.storedState);
    // The answer names the order "123", the table holds "00123".
    engine.ApplyCancelAnswer("8001",
                             Answer({DataLine(16, {{4, "Y"},
                                                   {6, "123"},
                                                   {8, c.answeredState},
                                                   {9, "已经撤销"},
                                                   {12, "1"},
                                                   {13, "70000"},
                                                   {14, "10:01:02"},
                                                   {15, "S"},
                                                   {16, "S001"}})})
                                 .View(),
                             kHeld);
    const engine::OrderRow order = Orders().at(0);
    EXPECT_EQ(Text(order.szFlagOrderState), c.stateAfter) << c.storedState << c.answeredState;
    EXPECT_EQ(FundNow(), c.fund) << c.storedState << c.answeredState;
    EXPECT_EQ(Held(), c.held) << c.storedState << c.answeredState;
    EXPECT_TRUE(gui.Changes().empty());
    if (c.held.empty()) continue;
    EXPECT_EQ(Text(order.szDealHands), "1");
    EXPECT_EQ(Text(order.szDelOrderTime), "10:01:02");
    const bool released = c.fund == kReleased;
    EXPECT_EQ(Text(order.szFrozenCautionMoney), released ? "0.00" : "1000.00");
    EXPECT_EQ(Text(order.szFrozenPremium), released ? "0.00" : "2.50");
  }
}

// --- The order-state and cancel pushes

// A push of the buy order: state, state sequence and release flag.
std::string Push(const char* state, const char* sequence, const char* releaseFlag) {
  return DataLine(42, {{4, "15002"},
                       {8, "8001"},
                       {9, "123"},
                       {10, "S"},
                       {14, state},
                       {15, "已经撤销"},
                       {24, "1"},
                       {25, "70000.5"},
                       {31, "10:00:09"},
                       {33, "x33"},
                       {34, "10:00:10"},
                       {39, sequence},
                       {41, releaseFlag},
                       {42, "S001"}});
}

TEST_F(OrderAnswersAndPushes, AStatePushChangesTheOrderWhenItIsNewerAndReleasesWhenItsFlagIsSet) {
  struct Case {
    const char* sequence;
    const char* releaseFlag;
    bool newer;
    const char* declareTimeAfter;
    FundAmounts fund;
    std::vector<Change> delivered;
  };
  // The order's state sequence is 5.
  const std::vector<Case> cases = {
      // The state the order has, told again: only the time it was reported.
      {"5", "1", false, "10:00:09", kBuyFrozen, {{2, 'u', 0}}},
      {"4", "1", false, "", kBuyFrozen, {}},
      {"6", "0", true, "10:00:09", kBuyFrozen, {{2, 'u', 0}, {19, 'u', 1}}},
      {"6", "1", true, "10:00:09", kReleased, {{1, 'u', 0}, {2, 'u', 0}, {19, 'u', 1}}},
  };
  engine::ConditionOrderRow other{};
  engine::ConditionOrderRow placing{};
  SetText(other.szOrderNo, "124");
  SetText(placing.szOrderNo, "00123");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sequence) + c.releaseFlag);
    FundAndBuyOrder("a");
    engine.Add(Table::kConditionOrders, other);
    engine.Add(Table::kConditionOrders, placing);
    engine.OnOrderStatePush(Push("p", c.sequence, c.releaseFlag));

    const engine::OrderRow order = Orders().at(0);
    EXPECT_EQ(Text(order.szDeclareTime), c.declareTimeAfter);
    EXPECT_EQ(Text(order.szFlagOrderState), c.newer ? "p" : "a");
    EXPECT_EQ(Text(order.szOrderStateText), c.newer ? "已经撤销" : "");
    EXPECT_EQ(Text(order.szStateSequence), c.newer ? "6" : "5");
    EXPECT_EQ(Text(engine.Rows<engine::ConditionOrderRow>(Table::kConditionOrders).at(1).szFlagOrderState),
              c.newer ? "p" : "");
    EXPECT_EQ(FundNow(), c.fund);
    EXPECT_EQ(gui.Changes(), c.delivered);
    EXPECT_TRUE(backEnd.SentFunctions().empty());
  }
}

TEST_F(OrderAnswersAndPushes, AStatePushFindsItsOrderWhereverTheTableHasMovedIt) {
  // Pushes find their orders through an index of the order table: it must
  // follow the rows when orders before them leave and when the table is
  // loaded again with others in front.
  engine::OrderRow sameNumberOtherSeat = BuyOrder("a");
  SetText(sameNumberOtherSeat.szOrderSeat, "S002");
  engine::OrderRow otherNumber = BuyOrder("a");
  SetText(otherNumber.szOrderNo, "124");
  const auto sequenceOf = [this](std::string_view seat, std::string_view orderNo) {
    for (const engine::OrderRow& order : Orders()) {
      if (Text(order.szOrderSeat) == seat && Text(order.szOrderNo) == orderNo) {
        return std::string(Text(order.szStateSequence));
      }
    }
    return std::string("none");
  };

  FundAndBuyOrder("a");
  engine.Add(Table::kOrders, otherNumber);
  engine.OnOrderStatePush(Push("p", "6", "0"));
  EXPECT_EQ(sequenceOf("S001", "00123"), "6");

  {
    std::lock_guard guard(engine.lock_);
    engine.TableAt(Table::kOrders).RemoveEntry(0);
  }
  engine.Add(Table::kOrders, sameNumberOtherSeat);
  ASSERT_TRUE(engine.AddOrder(BuyOrder("p", "6"), kAtOnce).has_value());
  engine.OnOrderStatePush(Push("p", "7", "0"));
  EXPECT_EQ(sequenceOf("S001", "00123"), "7");
  EXPECT_EQ(sequenceOf("S002", "00123"), "5");
  EXPECT_EQ(sequenceOf("S001", "124"), "5");
  EXPECT_TRUE(backEnd.SentFunctions().empty());
}

TEST_F(OrderAnswersAndPushes, ACancelPushReleasesWhenItsFlagIsZeroAndNeverTwice) {
  struct Step {
    const char* sequence;
    const char* releaseFlag;
    FundAmounts fund;
    std::vector<Change> delivered;
  };
  const std::vector<std::vector<Step>> scenarios = {
      {{"6", "2", kBuyFrozen, {{2, 'u', 0}}}},
      {{"5", "0", kBuyFrozen, {}}},
      // The second push is newer still, but the amounts are given back.
      {{"6", "0", kReleased, {{1, 'u', 0}, {2, 'u', 0}}}, {"7", "0", kReleased, {{2, 'u', 0}}}},
  };
  for (const std::vector<Step>& steps : scenarios) {
    FundAndBuyOrder("a");
    for (const Step& step : steps) {
      gui.changes.clear();
      engine.OnCancelPush(Push("d", step.sequence, step.releaseFlag));
      EXPECT_EQ(FundNow(), step.fund) << step.sequence << step.releaseFlag;
      EXPECT_EQ(gui.Changes(), step.delivered) << step.sequence << step.releaseFlag;
    }
    const engine::OrderRow order = Orders().at(0);
    if (steps[0].delivered.empty()) {
      EXPECT_EQ(Text(order.szFlagOrderState), "a");
      continue;
    }
    EXPECT_EQ(Text(order.szFlagOrderState), "d");
    EXPECT_EQ(Text(order.szDealHands), "1");
    EXPECT_EQ(Text(order.szDealPrice), "70000.5");
    EXPECT_EQ(Text(order.szAnswerField23), "x33");
    EXPECT_EQ(Text(order.szDelOrderTime), "10:00:10");
  }
}

// --- Orders the engine does not hold yet

// The back end's line of the order "123" as a sell order of state "a",
// sequence 5, freezing 300.00 margin and 1.00 fee; with a strategy code it
// is a special order.
std::string FetchedOrder(const char* strategyCode = "") {
  return DataLine(57, {{4, "8001"},
                       {5, "123"},
                       {6, "S"},
                       {7, "cu2701"},
                       {9, "a"},
                       {12, "1"},
                       {29, "5"},
                       {32, "S001"},
                       {34, strategyCode},
                       {48, "300"},
                       {52, "1"}});
}

TEST_F(OrderAnswersAndPushes, APushForAnUnknownOrderFetchesItWithoutHoldingTheLockAndThenApplies) {
  engine.Add(Table::kFunds, engine_testing::SellFrozenFund());
  backEnd.OtherwiseRows({FetchedOrder()});
  engine.OnCancelPush(Push("d", "6", "0"));

  EXPECT_EQ(backEnd.SentFunctions(), std::vector<int>{5134});
  EXPECT_TRUE(backEnd.LockFreeWhenSent());
  const std::vector<engine::OrderRow> orders = Orders();
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(Text(orders[0].szOrderNo), "123");
  EXPECT_EQ(Text(orders[0].szFlagOrderState), "d");
  EXPECT_EQ(Text(orders[0].szFrozenCautionMoney), "0.00");
  // Frozen when it was added, given back by the push.
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{2, 'i', 0}, {1, 'u', 0}, {1, 'u', 0}, {2, 'u', 0}}));
  EXPECT_EQ(Text(engine::RowFromBytes<engine::FundRow>(gui.changes[1].Row())->szSFreeze), "500.00");
  EXPECT_EQ(FundNow(), kUntouchedFund);
}

TEST_F(OrderAnswersAndPushes, AnOrderTheBackEndDoesNotGiveChangesNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> backEndLines;
  };
  const std::vector<Case> cases = {
      {"unknown", {}},
      {"a special order", {FetchedOrder("SP")}},
      {"another order", {DataLine(57, {{5, "124"}, {6, "S"}, {32, "S001"}})}},
  };
  for (const Case& c : cases) {
    Reset();
    engine.Add(Table::kFunds, engine_testing::SellFrozenFund());
    backEnd.OtherwiseRows(c.backEndLines);
    engine.OnOrderStatePush(Push("p", "6", "1"));
    engine.ApplyCancelAnswer(
        "8001", Answer({DataLine(16, {{4, "Y"}, {6, "123"}, {8, "d"}, {15, "S"}, {16, "S001"}})}).View(), kHeld);
    EXPECT_EQ(backEnd.SentFunctions(), (std::vector<int>{5134, 5134})) << c.name;
    EXPECT_TRUE(Orders().empty()) << c.name;
    EXPECT_EQ(FundNow(), kUntouchedFund) << c.name;
    EXPECT_TRUE(gui.Changes().empty()) << c.name;
    EXPECT_TRUE(Held().empty()) << c.name;
  }
}

TEST_F(OrderAnswersAndPushes, ACancelAnswerForAnUnknownOrderAddsTheFetchedOrderAtOnce) {
  engine.Add(Table::kFunds, engine_testing::SellFrozenFund());
  backEnd.OtherwiseRows({FetchedOrder()});
  // A bare status line names no order: the back end is not asked for all.
  engine.ApplyCancelAnswer("8001", Answer({"A|||Y|"}).View(), kHeld);
  EXPECT_TRUE(backEnd.SentFunctions().empty());
  EXPECT_TRUE(Orders().empty());

  engine.ApplyCancelAnswer(
      "8001", Answer({DataLine(16, {{4, "Y"}, {6, "123"}, {8, "d"}, {15, "S"}, {16, "S001"}})}).View(), kHeld);
  EXPECT_EQ(backEnd.SentFunctions(), std::vector<int>{5134});
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{2, 'i', 0}, {1, 'u', 0}}));
  EXPECT_EQ(Held(), (std::vector<Change>{{1, 'u', 0}, {2, 'u', 0}}));
  EXPECT_EQ(Text(Orders().at(0).szFlagOrderState), "d");
  EXPECT_EQ(FundNow(), kUntouchedFund);
}

}  // namespace
