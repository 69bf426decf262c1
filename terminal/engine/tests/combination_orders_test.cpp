#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/testing/answers.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::SpecialOrderRow;
using engine::Table;
using engine::Text;
using engine_testing::Answer;
using engine_testing::Change;
using engine_testing::DataLine;
using engine_testing::SellFrozenFund;

// The fund amounts that frozen orders move.
struct FundAmounts {
  std::string usable;
  std::string buyFrozen;
  std::string sellFrozen;
  std::string totalFrozen;
  std::string feeFrozen;
  bool operator==(const FundAmounts&) const = default;
};

FundAmounts AmountsOf(const engine::FundRow& fund) {
  return {std::string(Text(fund.szUsableMoney)), std::string(Text(fund.szBFreeze)), std::string(Text(fund.szSFreeze)),
          std::string(Text(fund.szTotalFreeze)), std::string(Text(fund.szFreezeCommissionCharge))};
}

[[maybe_unused]] std::ostream& operator<<(std::ostream& out, const FundAmounts& amounts) {
  return out << amounts.usable << "/" << amounts.buyFrozen << "/" << amounts.sellFrozen << "/" << amounts.totalFrozen
             << "/" << amounts.feeFrozen;
}

// What SellFrozenFund holds.
const FundAmounts kUntouchedFund{"10000.00", "0.00", "200.00", "200.00", "0.00"};

constexpr bool kHeld = false;
constexpr bool kAtOnce = true;

// The send answer (5321) of a two-leg order of account 8001 on strategy
// "DS", whose first leg buys and second sells: leg 1 freezes 1000.00 and a
// fee of 3.00, leg 2 800.00 and 3.00.
backend::CxDataSet SendAnswer(const std::string& orderNo, const std::string& strategy = "DS") {
  return Answer({DataLine(
      45, {{4, "Y"},         {5, "8001"},   {6, orderNo},     {7, "a"},       {8, "3"},  {11, "D"},   {13, "D01"},
           {18, "09:30:01"}, {23, "0"},     {25, "2"},        {27, strategy}, {30, "0"}, {31, "0"},   {32, "0"},
           {34, "m2701"},    {35, "m2705"}, {38, "1000.004"}, {39, "800"},    {42, "3"}, {43, "3.00"}})});
}

// The cancel answer (5322) of order 00321 on exchange D, seat D01.
backend::CxDataSet CancelAnswer(const std::string& state, const std::string& sequence) {
  return Answer(
      {DataLine(24, {{4, "Y"}, {6, "321"}, {7, state}, {8, sequence}, {11, "D"}, {13, "D01"}, {20, "10:00:00"}})});
}

// A pushed line of a special order of account 8001 (15008 or 15009).
std::string Push(const std::string& code, const std::string& sequence, const std::string& releaseFlag) {
  return DataLine(41, {{4, code},
                       {8, "8001"},
                       {9, "00321"},
                       {10, "c"},
                       {11, sequence},
                       {14, "D"},
                       {16, "D01"},
                       {21, "09:30:01"},
                       {22, "09:30:02"},
                       {23, "09:31:00"},
                       {26, "2"},
                       {27, "3650"},
                       {41, releaseFlag}});
}

// The order as 5134 answers it, for an order the engine has not seen.
std::string DownloadedOrderLine() {
  return DataLine(56, {{5, "00321"},
                       {6, "D"},
                       {9, "a"},
                       {12, "0"},
                       {29, "3"},
                       {32, "D01"},
                       {34, "DS"},
                       {48, "1000"},
                       {49, "800"},
                       {52, "3"},
                       {53, "3"}});
}

const FundAmounts kLegsFrozen{"8194.00", "1000.00", "1000.00", "2006.00", "6.00"};

std::vector<std::string> LegAmounts(const SpecialOrderRow& row) {
  return {std::string(Text(row.szLegFrozenMoney1)),  std::string(Text(row.szLegFrozenMoney2)),
          std::string(Text(row.szLegFrozenMoney3)),  std::string(Text(row.szLegFrozenMoney4)),
          std::string(Text(row.szLegFrozenCharge1)), std::string(Text(row.szLegFrozenCharge2)),
          std::string(Text(row.szLegFrozenCharge3)), std::string(Text(row.szLegFrozenCharge4))};
}

const std::vector<std::string> kSentLegs{"1000.00", "800.00", "0.00", "0.00", "3.00", "3.00", "0.00", "0.00"};
const std::vector<std::string> kReleasedLegs(8, "0.00");

class SpecialOrders : public engine_testing::StartedEngine<> {
 protected:
  SpecialOrders() : StartedEngine({.customers = {"8001", "8002"}, .scriptedUser = true}) {}

  // The fund rows of 8002 and 8001, in this order, so that only the order's
  // own account can take its amounts.
  void TwoFunds() {
    engine.Add(Table::kFunds, SellFrozenFund("8002"));
    engine.Add(Table::kFunds, SellFrozenFund("8001"));
  }
  FundAmounts FundOf(std::string_view account) {
    for (const engine::FundRow& fund : engine.Rows<engine::FundRow>(Table::kFunds)) {
      if (Text(fund.szTradeAccount) == account) return AmountsOf(fund);
    }
    return {};
  }
  std::vector<SpecialOrderRow> Orders() { return engine.Rows<SpecialOrderRow>(Table::kSpecialOrders); }

  // The sent order in the table with its legs frozen, its records forgotten.
  void SentOrder() {
    Reset();
    TwoFunds();
    engine.ApplySpecialOrderAnswer("8001", SendAnswer("00321").View(), kAtOnce);
    ASSERT_EQ(FundOf("8001"), kLegsFrozen);
    gui.changes.clear();
  }
};

TEST_F(SpecialOrders, ASentOrderIsAddedOnceWithItsLegsFrozenByTheirSides) {
  TwoFunds();
  engine.ApplySpecialOrderAnswer("8001", SendAnswer("00321").View(), kHeld);
  ASSERT_EQ(Orders().size(), 1u);
  const SpecialOrderRow order = Orders()[0];
  EXPECT_EQ(Text(order.szTradeAccount), "8001");
  EXPECT_EQ(Text(order.szOrderNo), "00321");
  EXPECT_EQ(Text(order.szFlagOrderState), "a");
  EXPECT_EQ(Text(order.szStateSequence), "3");
  EXPECT_EQ(Text(order.szExchangeCode), "D");
  EXPECT_EQ(Text(order.szOrderSeat), "D01");
  EXPECT_EQ(Text(order.szOrderTime), "09:30:01");
  EXPECT_EQ(Text(order.szOrderHands), "2");
  EXPECT_EQ(Text(order.szStrategyCode), "DS");
  EXPECT_EQ(Text(order.szLegContractCode1), "m2701");
  EXPECT_EQ(Text(order.szLegContractCode2), "m2705");
  EXPECT_EQ(LegAmounts(order), kSentLegs);
  EXPECT_EQ(FundOf("8001"), kLegsFrozen);
  EXPECT_EQ(FundOf("8002"), kUntouchedFund);
  EXPECT_EQ(Held(), (std::vector<Change>{{3, 'i', 0}, {1, 'u', 0}}));
  EXPECT_TRUE(gui.Changes().empty());

  // The same answer again, its number written another way.
  engine.ApplySpecialOrderAnswer("8001", SendAnswer("321").View(), kHeld);
  EXPECT_EQ(Orders().size(), 1u);
  EXPECT_EQ(FundOf("8001"), kLegsFrozen);
  EXPECT_TRUE(Held().empty());
}

TEST_F(SpecialOrders, AnOrderOfAnUnknownKindFreezesNothingAndItsCancelReleasesNothing) {
  TwoFunds();
  engine.ApplySpecialOrderAnswer("8001", SendAnswer("00321", "XYZ").View(), kAtOnce);
  EXPECT_EQ(Orders().size(), 1u);
  EXPECT_EQ(FundOf("8001"), kUntouchedFund);
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{3, 'i', 0}}));

  gui.changes.clear();
  engine.ApplySpecialCancelAnswer("8001", CancelAnswer("d", "4").View(), kAtOnce);
  EXPECT_EQ(Text(Orders()[0].szFlagOrderState), "d");
  EXPECT_EQ(LegAmounts(Orders()[0]), kSentLegs);
  EXPECT_EQ(FundOf("8001"), kUntouchedFund);
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{3, 'u', 0}}));
}

TEST_F(SpecialOrders, ACancelAnswerTakesOnlyANewerStateAndACancelGivesTheLegsBackToTheOrdersAccount) {
  SentOrder();
  // Not newer than the stored sequence 3: nothing changes.
  engine.ApplySpecialCancelAnswer("8001", CancelAnswer("d", "3").View(), kHeld);
  EXPECT_EQ(Text(Orders()[0].szFlagOrderState), "a");
  EXPECT_TRUE(Held().empty());

  engine.ApplySpecialCancelAnswer("8001", CancelAnswer("f", "4").View(), kHeld);
  EXPECT_EQ(Text(Orders()[0].szFlagOrderState), "f");
  EXPECT_EQ(Text(Orders()[0].szDelOrderTime), "10:00:00");
  EXPECT_EQ(FundOf("8001"), kLegsFrozen);
  EXPECT_EQ(Held(), (std::vector<Change>{{3, 'u', 0}}));

  engine.ApplySpecialCancelAnswer("8001", CancelAnswer("d", "5").View(), kHeld);
  EXPECT_EQ(Text(Orders()[0].szFlagOrderState), "d");
  EXPECT_EQ(LegAmounts(Orders()[0]), kReleasedLegs);
  EXPECT_EQ(FundOf("8001"), kUntouchedFund);
  EXPECT_EQ(FundOf("8002"), kUntouchedFund);
  // The fund record goes at once, the order's by the answer's delivery.
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{1, 'u', 0}}));
  EXPECT_EQ(Held(), (std::vector<Change>{{3, 'u', 0}}));
}

TEST_F(SpecialOrders, EachPushAdvancesTheOrderAndReleasesByItsOwnFlagRule) {
  struct Case {
    const char* code;
    const char* releaseFlag;
    bool releases;
  };
  for (const Case& c :
       {Case{"15008", "1", true}, Case{"15008", "0", false}, Case{"15009", "0", true}, Case{"15009", "1", false}}) {
    SCOPED_TRACE(std::string(c.code) + " flag " + c.releaseFlag);
    SentOrder();
    const std::string line = Push(c.code, "4", c.releaseFlag);
    if (std::string(c.code) == "15008") {
      engine.OnSpecialOrderPush(line);
    } else {
      engine.OnSpecialOrderStatePush(line);
    }
    const SpecialOrderRow order = Orders().at(0);
    EXPECT_EQ(Text(order.szFlagOrderState), "c");
    EXPECT_EQ(Text(order.szStateSequence), "4");
    EXPECT_EQ(Text(order.szDeclareTime), "09:30:02");
    // Only the state-and-deal push carries the deal.
    EXPECT_EQ(Text(order.szDealHands), std::string(c.code) == "15009" ? "2" : "0");
    EXPECT_EQ(LegAmounts(order), c.releases ? kReleasedLegs : kSentLegs);
    EXPECT_EQ(FundOf("8001"), c.releases ? kUntouchedFund : kLegsFrozen);
    EXPECT_EQ(gui.Changes(),
              c.releases ? (std::vector<Change>{{1, 'u', 0}, {3, 'u', 0}}) : (std::vector<Change>{{3, 'u', 0}}));
    // The record shows the row as stored.
    EXPECT_EQ(LegAmounts(*engine::RowFromBytes<SpecialOrderRow>(gui.changes.back().Row())), LegAmounts(order));

    // The same push again is not newer.
    gui.changes.clear();
    engine.OnSpecialOrderStatePush(Push("15009", "4", "0"));
    EXPECT_TRUE(gui.Changes().empty());
  }
}

TEST_F(SpecialOrders, AnOrderTheEngineLacksIsFetchedWithoutHoldingTheLock) {
  struct Case {
    const char* name;
    std::function<void(engine_testing::OpenEngine&)> apply;
    const char* state;
  };
  const std::vector<Case> cases{
      {"cancel answer",
       [](auto& engine) { engine.ApplySpecialCancelAnswer("8001", CancelAnswer("d", "4").View(), kAtOnce); }, "d"},
      {"push", [](auto& engine) { engine.OnSpecialOrderPush(Push("15008", "4", "1")); }, "c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    TwoFunds();
    // The back end does not know it either: nothing changes.
    backEnd.Answer(5134, {"A|||Y|0|"});
    c.apply(engine);
    EXPECT_TRUE(Orders().empty());
    EXPECT_EQ(backEnd.Sent().size(), 1u);

    backEnd.Answer(5134, {"A|||Y|1|", DownloadedOrderLine()});
    c.apply(engine);
    ASSERT_EQ(Orders().size(), 1u);
    EXPECT_EQ(Text(Orders()[0].szFlagOrderState), c.state);
    // Added with its legs frozen, then cancelled or filled and released.
    EXPECT_EQ(FundOf("8001"), kUntouchedFund);
    EXPECT_EQ(gui.Changes(), (std::vector<Change>{{3, 'i', 0}, {1, 'u', 0}, {1, 'u', 0}, {3, 'u', 0}}));
    EXPECT_TRUE(backEnd.LockFreeWhenSent());
  }
}

}  // namespace
