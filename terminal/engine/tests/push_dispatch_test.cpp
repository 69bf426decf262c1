#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "backend/request_record.h"
#include "engine/testing/answers.h"
#include "engine/testing/open_engine.h"

namespace {

using engine::DownloadState;
using engine::EngineState;

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

  void Push(const std::string& line) {
    backend::RequestPtr record = backend::CreateRequest("", 0, 0, backend::kPushHandlerTag, 1);
    record->At(0)->answer.AddText(line);
    engine.OnPushData(*record);
  }

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

}  // namespace
