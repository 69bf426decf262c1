#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "backend/request_record.h"
#include "engine/testing/answers.h"
#include "engine/testing/open_engine.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::DownloadState;
using engine::EngineState;
using engine::Table;
using engine::Text;
using engine_testing::Change;
using engine_testing::DataLine;

// A pushed line as the GUI thread's drain hands it to the engine.
void PushLine(engine::COperationEngine& engine, const std::string& line) {
  backend::RequestPtr record = backend::CreateRequest("", 0, 0, backend::kPushHandlerTag, 1);
  record->At(0)->answer.AddText(line);
  engine.OnPushData(*record);
}

// Records which handler each pushed line reached.
class PushEngine : public engine_testing::OpenEngine {
 public:
  // The download thread calls virtual members: it stops before this class
  // goes, so that no base destructor changes the object under it.
  ~PushEngine() override { StopDownloadThread(); }

  std::vector<std::pair<std::string, std::string>> handled;

 protected:
  void OnOrderStatePush(std::string_view line) override { Handled("order state", line); }
  void OnConditionOrderPush(std::string_view line) override { Handled("condition order", line); }
  void OnCancelPush(std::string_view line) override { Handled("cancel", line); }
  void OnTradePush(std::string_view line) override { Handled("trade", line); }
  void OnSpecialOrderPush(std::string_view line) override { Handled("special order", line); }
  void OnSpecialOrderStatePush(std::string_view line) override { Handled("special order state", line); }
  void OnExerciseOrderPush(std::string_view line) override { Handled("exercise order", line); }
  void OnExerciseCancelPush(std::string_view line) override { Handled("exercise cancel", line); }

 private:
  void Handled(std::string handler, std::string_view line) { handled.emplace_back(std::move(handler), line); }
};

class PushDispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::EngineCallbacks callbacks;
    callbacks.tableChanged = [this](const engine::TableChangeRecord& record) { reloads.push_back(record.TableId()); };
    ASSERT_TRUE(engine.Start({.machineAddress = engine_testing::kMachineAddress}, std::move(callbacks)));
    // The initial download of the start ends.
    engine.SetDownloadState(DownloadState::kDone);
    engine.OnPushBatchDone();
    ASSERT_EQ(engine.GetEngineState(), EngineState::kReady);
    reloads.clear();
  }

  void Push(const std::string& line) { PushLine(engine, line); }

  std::vector<int> reloads;
  PushEngine engine;
};

TEST_F(PushDispatch, EachPushCodeReachesItsHandlerWithTheWholeLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"15002", "order state"},
      {"15003", "condition order"},
      {"15004", "cancel"},
      {"15005", "trade"},
      {"15008", "special order"},
      {"15009", "special order state"},
      {"15012", "exercise order"},
      {"15013", "exercise cancel"},
      {"15001", ""},
      {"15007", ""},
      {"15010", ""},
      {"x", ""},
  };
  for (const auto& [code, handler] : cases) {
    engine.handled.clear();
    const std::string line = "A|1|2|" + code + "|8001|";
    Push(line);
    if (handler.empty()) {
      EXPECT_TRUE(engine.handled.empty()) << code;
    } else {
      EXPECT_EQ(engine.handled, (std::vector<std::pair<std::string, std::string>>{{handler, line}})) << code;
    }
  }
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReady);
}

TEST_F(PushDispatch, AMessagePushWithFieldNineOneDownloadsEverythingAgain) {
  for (const char* field9 : {"0", "", "2", "1x"}) {
    Push(std::string("A|1|2|15006|1|||通知|") + field9 + "|");
    EXPECT_EQ(engine.GetEngineState(), EngineState::kReady) << field9;
    EXPECT_EQ(engine.GetDownloadState(), DownloadState::kIdle) << field9;
  }
  Push("A|1|2|15006|1|||通知|1|");
  EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload);
  EXPECT_EQ(engine.GetDownloadState(), DownloadState::kScheduled);

  // When that download is done, the GUI reloads the tables of an initial download.
  engine.SetDownloadState(DownloadState::kDone);
  engine.OnPushBatchDone();
  EXPECT_EQ(reloads, (std::vector<int>{1, 2, 3, 4, 5, 7, 20, 21, 11, 12, 8, 10, 17}));
}

// --- Pushes that come during a download, through their handlers

class PushesDuringADownload : public engine_testing::StartedEngine<> {
 protected:
  PushesDuringADownload() : StartedEngine({.scriptedUser = true}) {}

  void SetUp() override {
    StartedEngine::SetUp();
    MakeReady();
  }

  void Push(const std::string& line) { PushLine(engine, line); }

  // The records delivered but for the reloads that end a download.
  std::vector<Change> Updates() const {
    std::vector<Change> updates;
    for (const Change& change : gui.Changes()) {
      if (change.operation != 'f') updates.push_back(change);
    }
    return updates;
  }
};

TEST_F(PushesDuringADownload, AQuestionASpecialOrderStateAndAnApplicationStateAreEachAppliedOnceItHasEnded) {
  // Special order 321 at exchange D, order seat D01, at state sequence 1,
  // and application 77 at exchange S, key S001, of the usual account.
  engine.Add(Table::kSpecialOrders,
             engine_testing::SpecialOrder(
                 {.orderNo = "321", .state = "a", .sequence = "1", .exchange = "D", .orderSeat = "D01"}));
  engine.Add(Table::kExerciseOrders,
             engine_testing::Application({.applicationNo = "77", .exchange = "S", .state = "n", .key = "S001"}));
  prompt->answers = {engine::PromptAnswer::kOk};
  backEnd.Answer(5482, {"A|||Y|"});

  engine.RequestFullDownload();
  ASSERT_EQ(engine.GetEngineState(), EngineState::kInitialDownload);
  const std::string question = "条件单已触发，是否下单？";
  Push(DataLine(14, {{4, "15003"}, {9, "1"}, {10, "C1"}, {11, "K2"}, {14, question}}));
  Push(DataLine(41, {{4, "15009"}, {8, "8001"}, {9, "321"}, {10, "c"}, {11, "2"}, {14, "D"}, {16, "D01"}, {41, "1"}}));
  Push(DataLine(31, {{4, "15012"}, {8, "8001"}, {9, "77"}, {10, "S"}, {12, "p"}, {28, "2"}, {31, "S001"}}));
  engine.OnPushBatchDone();
  EXPECT_TRUE(prompt->asked.empty()) << "nothing while the download runs";
  EXPECT_EQ(Text(engine.Rows<engine::SpecialOrderRow>(Table::kSpecialOrders).at(0).szFlagOrderState), "a");
  EXPECT_EQ(Text(engine.Rows<backend::ExerciseOrderRow>(Table::kExerciseOrders).at(0).szStateCode), "n");

  engine.FinishDownload();
  engine.OnPushBatchDone();
  EXPECT_EQ(prompt->Texts(), (std::vector<std::string>{question, "确认成功！"}));
  EXPECT_TRUE(prompt->lockFreeWhenAsked);
  ASSERT_EQ(backEnd.SentFunctions(), std::vector<int>{5482});
  EXPECT_EQ(backEnd.Sent()[0].Field(9) + backEnd.Sent()[0].Field(10) + backEnd.Sent()[0].Field(11), "C1K21");
  EXPECT_EQ(Text(engine.Rows<engine::SpecialOrderRow>(Table::kSpecialOrders).at(0).szFlagOrderState), "c");
  EXPECT_EQ(Text(engine.Rows<backend::ExerciseOrderRow>(Table::kExerciseOrders).at(0).szStateCode), "p");
  // After the reloads that end the download.
  EXPECT_EQ(Updates(), (std::vector<Change>{{3, 'u', 0}, {21, 'u', 0}}));
  EXPECT_EQ(gui.Changes().back(), (Change{21, 'u', 0}));

  gui.Clear();
  engine.OnPushBatchDone();
  EXPECT_EQ(prompt->asked.size(), 2u) << "asked once";
  EXPECT_EQ(backEnd.SentFunctions().size(), 1u);
  EXPECT_TRUE(gui.Changes().empty());
}

}  // namespace
