#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/testing/answers.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using backend::ExerciseOrderRow;
using engine::ExercisableQuantityRow;
using engine::SetText;
using engine::Table;
using engine::Text;
using engine_testing::Answer;
using engine_testing::Change;
using engine_testing::DataLine;

// The two frozen quantities of an exercisable row: of kinds other than "1",
// and of kind "1".
using FrozenLots = std::pair<std::string, std::string>;

constexpr bool kHeld = false;
constexpr bool kAtOnce = true;

// Application 77 of account 8001 on option cu2702C76000 at exchange "S", key
// "S001", waiting ("a") with 3 lots of kind "1".
ExerciseOrderRow Application(std::string_view state = "a", std::string_view kind = "1") {
  return engine_testing::Application({.applicationNo = "77",
                                      .exchange = "S",
                                      .contract = "cu2702C76000",
                                      .state = state,
                                      .tradeCode = "81000101",
                                      .seat = "S001",
                                      .lots = "3",
                                      .key = "S001",
                                      .kind = kind});
}

// The exercisable quantity of that option position: 4 lots frozen by
// abandon applications and 5 by exercise applications.
ExercisableQuantityRow Quantity() {
  return engine_testing::ExercisableQuantity(
      {.exchange = "S", .contract = "cu2702C76000", .key = "S001", .frozenLots = "4", .frozenLotsOfKind1 = "5"});
}

// The application's line of the exercise-order answer (5246).
std::string DownloadedLine(const char* state, const char* sequence, const char* kind) {
  return DataLine(35, {{4, "8001"},
                       {5, "77"},
                       {6, "S"},
                       {7, "cu2702C76000"},
                       {8, state},
                       {9, "81000101"},
                       {10, "S001"},
                       {11, "3"},
                       {24, "note"},
                       {25, "not kept"},
                       {26, "S001"},
                       {31, sequence},
                       {35, kind}});
}

// A cancel answer (5241) of the application.
backend::CxDataSet CancelAnswer(const char* kind) {
  return Answer({DataLine(
      25,
      {{4, "Y"}, {6, "77"}, {7, "S"}, {9, "d"}, {12, "3"}, {16, "10:00:01"}, {17, "x17"}, {20, "S001"}, {25, kind}})});
}

class ExerciseOrders : public engine_testing::StartedEngine<> {
 protected:
  // The status line alone answers every query, as the back end answers for
  // a row it does not know.
  void SetUp() override {
    StartedEngine::SetUp();
    backEnd.OtherwiseRows({});
  }

  std::vector<ExerciseOrderRow> Applications() { return engine.Rows<ExerciseOrderRow>(Table::kExerciseOrders); }
  std::vector<ExercisableQuantityRow> Quantities() {
    return engine.Rows<ExercisableQuantityRow>(Table::kExercisableQuantities);
  }
  // The two frozen quantities of the first exercisable row.
  FrozenLots FrozenNow() {
    const ExercisableQuantityRow row = Quantities().at(0);
    return {std::string(Text(row.szFrozenHands)), std::string(Text(row.szFrozenHandsKind1))};
  }
  void SeatsKnowExchangeS() {
    engine.LoadExchangeSeats(
        Answer({"A|||Y|", DataLine(9, {{4, "S"}, {5, "上期所"}, {6, "sfe"}, {7, "S001"}})}).View());
  }
};

TEST_F(ExerciseOrders, TheDownloadAddsOneApplicationPerDataLineWithItsExchangeName) {
  SeatsKnowExchangeS();
  engine.LoadExerciseOrders(Answer({"A|||Y|0|"}).View());
  EXPECT_TRUE(Applications().empty());

  engine.LoadExerciseOrders(Answer({"A|||Y|1|", DownloadedLine("a", "4", "2")}).View());
  const std::vector<ExerciseOrderRow> applications = Applications();
  ASSERT_EQ(applications.size(), 1u);
  EXPECT_EQ(Text(applications[0].szApplicationNo), "77");
  EXPECT_EQ(Text(applications[0].szExchangeName), "上期所");
  EXPECT_EQ(Text(applications[0].szLots), "3");
  EXPECT_EQ(Text(applications[0].szKey), "S001");
  EXPECT_EQ(Text(applications[0].szText12B), "4");
  EXPECT_EQ(Text(applications[0].szKindFlag), "2");
  EXPECT_EQ(Text(applications[0].szText256), "note");
  // A download freezes nothing and tells nothing: its end reloads the tables.
  EXPECT_TRUE(Quantities().empty());
  EXPECT_TRUE(gui.Changes().empty());
  EXPECT_TRUE(Held().empty());
}

TEST_F(ExerciseOrders, ASendAnswerAddsItsApplicationOnceAndFreezesItsLots) {
  SeatsKnowExchangeS();
  const backend::CxDataSet answer = Answer({DataLine(38, {{4, "Y"},
                                                          {5, "8001"},
                                                          {6, "77"},
                                                          {7, "S"},
                                                          {8, "cu2702C76000"},
                                                          {9, "a"},
                                                          {10, "81000101"},
                                                          {11, "S001"},
                                                          {12, "3"},
                                                          {25, "S001"},
                                                          {34, "12.345"},
                                                          {35, "1"},
                                                          {38, "1"}})});
  engine.OnExerciseOrderAnswer("8001", answer.View(), kHeld);
  engine.OnExerciseOrderAnswer("8001", answer.View(), kHeld);
  // An answer without an application number names no application.
  engine.OnExerciseOrderAnswer("8001", Answer({"A|||Y|"}).View(), kHeld);

  const std::vector<ExerciseOrderRow> applications = Applications();
  ASSERT_EQ(applications.size(), 1u);
  EXPECT_EQ(Text(applications[0].szExchangeName), "上期所");
  EXPECT_EQ(Text(applications[0].szAmounts[0]), "12.35");
  EXPECT_EQ(Text(applications[0].szAmounts[1]), "1.00");
  // The position had no exercisable row: one is made for it.
  const std::vector<ExercisableQuantityRow> quantities = Quantities();
  ASSERT_EQ(quantities.size(), 1u);
  EXPECT_EQ(Text(quantities[0].szExerciseKey), "S001");
  EXPECT_EQ(Text(quantities[0].szFlagBS), "81000101");
  EXPECT_EQ(Text(quantities[0].szFlagSH), "S001");
  EXPECT_EQ(FrozenNow(), (FrozenLots{"", "3"}));
  EXPECT_EQ(Held(), (std::vector<Change>{{21, 'i', 0}}));
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{20, 'u', 0}}));
}

TEST_F(ExerciseOrders, ACancelAnswerLowersTheQuantityOfItsKindOnceAndTellsItAtOnce) {
  struct Case {
    const char* kind;
    FrozenLots added;
    FrozenLots cancelled;
  };
  for (const Case& c : {Case{"1", {"4", "8"}, {"4", "5"}}, Case{"2", {"7", "5"}, {"4", "5"}}}) {
    Reset();
    engine.Add(Table::kExercisableQuantities, Quantity());
    ASSERT_TRUE(engine.AddExerciseOrder(Application("a", c.kind), kHeld).has_value());
    EXPECT_EQ(FrozenNow(), c.added) << c.kind;
    gui.changes.clear();
    (void)Held();

    for (int repeat = 0; repeat < 2; ++repeat) {
      engine.OnExerciseCancelAnswer("8001", CancelAnswer(c.kind).View(), kHeld);
      EXPECT_EQ(FrozenNow(), c.cancelled) << c.kind << repeat;
    }
    EXPECT_EQ(gui.Changes(), (std::vector<Change>{{20, 'u', 0}})) << c.kind;
    EXPECT_EQ(Held(), (std::vector<Change>{{21, 'u', 0}, {21, 'u', 0}})) << c.kind;
    const ExerciseOrderRow application = Applications().at(0);
    EXPECT_EQ(Text(application.szStateCode), "d");
    EXPECT_EQ(Text(application.szTexts16B[3]), "10:00:01");
    EXPECT_EQ(Text(application.szTexts16B[4]), "x17");
    EXPECT_TRUE(backEnd.SentFunctions().empty());
  }
}

TEST_F(ExerciseOrders, ACancelAnswerForAnUnknownApplicationAsksTheBackEndOnce) {
  // The back end knows no such application.
  engine.OnExerciseCancelAnswer("8001", CancelAnswer("1").View(), kHeld);
  EXPECT_EQ(backEnd.SentFunctions(), std::vector<int>{5246});
  EXPECT_TRUE(Applications().empty());
  EXPECT_TRUE(gui.Changes().empty());
  EXPECT_TRUE(Held().empty());

  // It does: the application is added at once, frozen, and then cancelled.
  Reset();
  engine.Add(Table::kExercisableQuantities, Quantity());
  backEnd.OtherwiseRows({DownloadedLine("a", "4", "1")});
  engine.OnExerciseCancelAnswer("8001", CancelAnswer("1").View(), kHeld);
  EXPECT_EQ(backEnd.SentFunctions(), std::vector<int>{5246});
  EXPECT_TRUE(backEnd.LockFreeWhenSent());
  EXPECT_EQ(Text(Applications().at(0).szStateCode), "d");
  EXPECT_EQ(FrozenNow(), (FrozenLots{"4", "5"}));
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{21, 'i', 0}, {20, 'u', 0}, {20, 'u', 0}}));
  EXPECT_EQ(Held(), (std::vector<Change>{{21, 'u', 0}}));
}

// An exercise push (15012, or with "d" the cancel push 15013) of the
// application.
std::string ExercisePush(const char* code, const char* state, const char* sequence) {
  return DataLine(42, {{4, code},
                       {8, "8001"},
                       {9, "77"},
                       {10, "S"},
                       {12, state},
                       {15, "3"},
                       {16, "x16"},
                       {20, "x20"},
                       {28, sequence},
                       {31, "S001"},
                       {42, "2"}});
}

TEST_F(ExerciseOrders, PushesFreezeTheLotsOnTheWayIntoWaitingAndReleaseThemOnTheWayIntoCancelled) {
  struct Step {
    const char* code;
    const char* state;
    const char* sequence;
    const char* frozenAfter;  // the first quantity: kind "2"
    std::vector<Change> delivered;
  };
  // The first push fetches the application, in state "n" with sequence 3,
  // and is itself no newer.
  const std::vector<Step> steps = {
      {"15012", "n", "3", "4", {{21, 'i', 0}}},
      {"15012", "a", "4", "7", {{21, 'u', 0}, {20, 'u', 0}}},
      {"15012", "a", "5", "7", {{21, 'u', 0}}},  // still waiting
      {"15012", "a", "5", "7", {}},              // not newer
      {"15013", "d", "6", "4", {{21, 'u', 0}, {20, 'u', 0}}},
      {"15013", "d", "7", "4", {{21, 'u', 0}}},  // cancelled already
      {"15013", "d", "6", "4", {}},              // not newer
  };
  engine.Add(Table::kExercisableQuantities, Quantity());
  backEnd.OtherwiseRows({DownloadedLine("n", "3", "2")});
  for (const Step& step : steps) {
    gui.changes.clear();
    const std::string line = ExercisePush(step.code, step.state, step.sequence);
    if (std::string_view(step.code) == "15012") {
      engine.OnExerciseOrderPush(line);
    } else {
      engine.OnExerciseCancelPush(line);
    }
    EXPECT_EQ(FrozenNow().first, step.frozenAfter) << step.code << step.state << step.sequence;
    EXPECT_EQ(FrozenNow().second, "5");
    EXPECT_EQ(gui.Changes(), step.delivered) << step.code << step.state << step.sequence;
  }
  EXPECT_EQ(backEnd.SentFunctions(), std::vector<int>{5246});
  const ExerciseOrderRow application = Applications().at(0);
  EXPECT_EQ(Text(application.szStateCode), "d");
  EXPECT_EQ(Text(application.szText12B), "7");
  EXPECT_EQ(Text(application.szTexts16A[0]), "x16");
  EXPECT_EQ(Text(application.szTexts16B[1]), "x20");
}

}  // namespace
