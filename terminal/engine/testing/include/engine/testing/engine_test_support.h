// A started engine with a recording GUI and a scripted back end, for the
// engine's tests. The test's own thread is the engine's GUI thread.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "backend/account_table.h"
#include "backend/data_set_block.h"
#include "backend/request_record.h"
#include "engine/operation_engine.h"

namespace engine_test {

using engine::TableChangeRecord;

struct ConnectionStateCall {
  int connection;
  int flag;
  int state;
  bool operator==(const ConnectionStateCall&) const = default;
};

// Everything the engine tells the GUI and writes to the log.
class RecordingGui {
 public:
  engine::EngineCallbacks Callbacks() {
    engine::EngineCallbacks callbacks;
    callbacks.log = [this](int level, const char* text) {
      std::lock_guard guard(mutex_);
      logLines.emplace_back(level, text);
    };
    callbacks.tableChanged = [this](const TableChangeRecord& record) {
      std::lock_guard guard(mutex_);
      changes.push_back(record);
    };
    callbacks.connectionState = [this](int connection, int flag, int state) {
      std::lock_guard guard(mutex_);
      connectionStates.push_back({connection, flag, state});
    };
    callbacks.downloadDone = [this] {
      std::lock_guard guard(mutex_);
      ++downloadDoneCalls;
    };
    return callbacks;
  }

  std::vector<int> ChangedTableIds() const {
    std::lock_guard guard(mutex_);
    std::vector<int> ids;
    for (const TableChangeRecord& record : changes) ids.push_back(record.TableId());
    return ids;
  }
  std::vector<std::string> LogTexts() const {
    std::lock_guard guard(mutex_);
    std::vector<std::string> texts;
    for (const auto& line : logLines) texts.push_back(line.second);
    return texts;
  }
  std::vector<std::pair<int, std::string>> LogLines() const {
    std::lock_guard guard(mutex_);
    return logLines;
  }
  void Clear() {
    std::lock_guard guard(mutex_);
    changes.clear();
    connectionStates.clear();
    logLines.clear();
    downloadDoneCalls = 0;
  }

  std::vector<TableChangeRecord> changes;
  std::vector<ConnectionStateCall> connectionStates;
  std::vector<std::pair<int, std::string>> logLines;
  int downloadDoneCalls = 0;

 private:
  mutable std::mutex mutex_;
};

// One call of an answer update that the engine routed.
struct AppliedAnswer {
  std::string update;
  std::string customer;
  std::vector<std::string> texts;  // answer lines, or request fields
  bool deliverAtOnce = false;
};

// The engine with its protected parts opened for tests and its answer
// updates recorded. Its downloads never succeed: the engine stays busy until
// the test finishes a download itself.
class TestEngine : public engine::COperationEngine {
 public:
  ~TestEngine() override { StopDownloadThread(); }

  using COperationEngine::lock_;
  using COperationEngine::OnGuiThread;
  using COperationEngine::RaiseChange;
  using COperationEngine::TableAt;

  // What the download thread does when a download succeeds.
  void FinishDownload(engine::DownloadState state = engine::DownloadState::kDone) { SetDownloadState(state); }

  std::vector<AppliedAnswer> applied;
  std::vector<std::string> pushLines;
  // Runs inside the order answer update (5011), under the engine lock.
  std::function<void(bool deliverAtOnce)> onOrderAnswer;
  // The text the local fee-rate answer adds.
  std::string feeRateAnswer = "A|||Y||";

 protected:
  bool DownloadAll() override { return false; }
  bool DownloadAfterReconnect() override { return false; }

  using View = backend::CxDataSetView;
  void ApplyFundAnswer(std::string_view customer, const View& answer, bool at) override {
    Record("fund", customer, Lines(answer), at);
  }
  void ApplyOrderAnswer(std::string_view customer, const View& answer, bool at) override {
    std::lock_guard guard(lock_);
    Record("order", customer, Lines(answer), at);
    if (onOrderAnswer) onOrderAnswer(at);
  }
  void ApplyCancelAnswer(std::string_view customer, const View& answer, bool at) override {
    Record("cancel", customer, Lines(answer), at);
  }
  void OnExerciseOrderAnswer(std::string_view customer, const View& answer, bool at) override {
    Record("exercise order", customer, Lines(answer), at);
  }
  void OnExerciseCancelAnswer(std::string_view customer, const View& answer, bool at) override {
    Record("exercise cancel", customer, Lines(answer), at);
  }
  void ApplySpecialOrderAnswer(std::string_view customer, const View& answer, bool at) override {
    Record("special order", customer, Lines(answer), at);
  }
  void ApplySpecialCancelAnswer(std::string_view customer, const View& answer, bool at) override {
    Record("special cancel", customer, Lines(answer), at);
  }
  void ApplyStoredOrderChange(std::string_view customer, std::span<const std::string> fields) override {
    Record("stored order change", customer, {fields.begin(), fields.end()}, false);
  }
  void ApplyStoredOrderAdd(std::string_view customer, const View& answer) override {
    Record("stored order add", customer, Lines(answer), false);
  }
  void ApplyStoredOrderDelete(std::string_view customer, std::string_view storedOrderNo) override {
    Record("stored order delete", customer, {std::string(storedOrderNo)}, false);
  }
  void ApplyStoredOrderSend(std::string_view customer, const View&, std::string_view storedOrderNo) override {
    Record("stored order send", customer, {std::string(storedOrderNo)}, false);
  }
  void ApplyProfitLossOrderAdd(const View& answer) override { Record("profit/loss add", "", Lines(answer), false); }
  void ApplyProfitLossOrderChange(const View& answer) override {
    Record("profit/loss change", "", Lines(answer), false);
  }
  void ApplyProfitLossOrderDelete(const View& answer) override {
    Record("profit/loss delete", "", Lines(answer), false);
  }
  void ApplyConditionOrderAnswer(const View& answer) override { Record("condition add", "", Lines(answer), false); }
  void ApplyConditionOrderChange(const View& answer) override { Record("condition change", "", Lines(answer), false); }
  void ApplyConditionOrderCancel(const View& answer) override { Record("condition cancel", "", Lines(answer), false); }
  void ApplyConditionOrderState(const View& answer) override { Record("condition state", "", Lines(answer), false); }
  void LoadProfitLossOrders(const View& answer) override { Record("profit/loss load", "", Lines(answer), false); }
  void LoadConditionOrders(const View& answer) override { Record("condition load", "", Lines(answer), false); }
  void LocalFeeRateAnswer(std::string_view exchangeCode, std::string_view seatCode, std::string_view contractCode,
                          std::string_view customer, backend::CxDataSet& answer) override {
    Record("local fee rate", customer, {std::string(exchangeCode), std::string(seatCode), std::string(contractCode)},
           false);
    answer.AddText(feeRateAnswer);
  }
  void OnPushLine(std::string_view line) override { pushLines.emplace_back(line); }

 private:
  static std::vector<std::string> Lines(const backend::CxDataSetView& answer) {
    std::vector<std::string> lines;
    for (std::uint32_t index = 0; index < answer.GetCount(); ++index) {
      lines.emplace_back(reinterpret_cast<const char*>(answer.GetDataPtr(index)));
    }
    return lines;
  }
  void Record(std::string update, std::string_view customer, std::vector<std::string> texts, bool at) {
    applied.push_back({std::move(update), std::string(customer), std::move(texts), at});
  }
};

// The back end as the send callbacks see it: a synchronous request is
// answered with the lines given for its function number (and sub-request),
// or fails with a transport error as the connection layer reports one.
class ScriptedBackEnd {
 public:
  static constexpr int kEverySubRequest = -1;

  void Answer(int functionNo, std::vector<std::string> lines, int subRequest = kEverySubRequest) {
    answers_.push_back({functionNo, subRequest, std::move(lines)});
  }
  void ClearAnswers() { answers_.clear(); }

  // Runs inside every synchronous send, as the back end answers.
  std::function<void()> duringSend;

  engine::SyncSendCallback Sync() {
    return [this](backend::RequestRecord& record, std::string& error) {
      ++syncSends;
      if (duringSend) duringSend();
      if (transportError) {
        record.errorFlag = 1;
        record.errorText = error = "通讯连接中断！";
        return false;
      }
      for (int index = 0; index < record.count; ++index) {
        backend::SubRequest& sub = *record.At(index);
        for (const Scripted& answer : answers_) {
          if (answer.functionNo != sub.functionNo) continue;
          if (answer.subRequest != kEverySubRequest && answer.subRequest != index) continue;
          for (const std::string& line : answer.lines) sub.answer.AddText(line);
        }
      }
      record.done = record.count;
      return true;
    };
  }
  // Takes a queued record over, as the connection layer does.
  engine::AsyncSendCallback Async() {
    return [this](backend::RequestPtr& record, std::string& error) {
      ++asyncSends;
      if (refuseAsync) {
        error = "执行操作[下单]时，还没有建立通讯连接！";
        return false;
      }
      posted.push_back(std::move(record));
      return true;
    };
  }

  int syncSends = 0;
  int asyncSends = 0;
  std::vector<backend::RequestPtr> posted;
  bool transportError = false;
  bool refuseAsync = false;

 private:
  struct Scripted {
    int functionNo;
    int subRequest;
    std::vector<std::string> lines;
  };
  std::vector<Scripted> answers_;
};

// A request of one sub-request: "R|<address>|1|<function>|" and the
// parameters, on slot 0.
inline backend::RequestPtr MakeRequest(int functionNo, const std::vector<std::string>& parameters = {}) {
  backend::CxDataSet list;
  for (const std::string& parameter : parameters) list.AddText(parameter);
  std::string message;
  backend::RequestPtr record =
      backend::BuildRequestCommand("请求", 1, 0, 2, "", "00-11-22-33-44-55", 1, functionNo, true, list, message);
  EXPECT_NE(record, nullptr) << message;
  return record;
}

// The leading parameters of every business request: reserved text,
// application tag, customer number, password.
inline std::vector<std::string> Leading(std::vector<std::string> more = {}) {
  std::vector<std::string> parameters{"", "Pellora", "8001", "secret"};
  parameters.insert(parameters.end(), more.begin(), more.end());
  return parameters;
}

// Waits, at most a few seconds, until `done` holds.
inline bool Eventually(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// A fixture with one trading account on slot 0 and a started engine.
class StartedEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    backend::AccountKey key;
    std::strcpy(key.customerNo, "8001");
    std::strcpy(key.password, "secret");
    key.slot = 0;
    accounts.AddAccount(key);
    engine::EngineCallbacks callbacks = gui.Callbacks();
    callbacks.sendSync = backEnd.Sync();
    callbacks.sendAsync = backEnd.Async();
    ASSERT_TRUE(engine.Start({.machineAddress = "00-11-22-33-44-55",
                              .requestPrefix = "",
                              .applicationTag = "Pellora",
                              .accounts = &accounts,
                              .loginType = backend::kTradingLogin},
                             std::move(callbacks)));
    // The download thread's first line, so that it cannot interleave with
    // the lines a test looks for.
    ASSERT_TRUE(Eventually([this] { return !gui.LogTexts().empty(); }));
  }

  // Ends the initial download the engine starts with: ready, the start's
  // records delivered and forgotten.
  void MakeReady() {
    engine.FinishDownload();
    engine.OnPushBatchDone();
    ASSERT_EQ(engine.GetEngineState(), engine::EngineState::kReady);
    gui.Clear();
  }

  backend::AccountTable accounts;
  RecordingGui gui;
  ScriptedBackEnd backEnd;
  TestEngine engine;
};

}  // namespace engine_test
