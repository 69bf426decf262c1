// The order module over a started engine whose tables the test fills, a
// back end scripted per function number, questions answered from a script
// and a shell that keeps each result with its messages. The test's thread
// is the GUI thread: it pumps the module's results and questions.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "client/testing/client_test_support.h"
#include "client/testing/recording_backend.h"
#include "engine/reference_rows.h"
#include "engine/row_field.h"
#include "engine/table_catalogue.h"
#include "engine/trading_rows.h"
#include "order_module/order_module.h"
#include "platform/message.h"
#include "platform/question.h"

namespace order_module_test {

using engine::SetText;
using engine::Table;

inline constexpr const char* kAccount = "10001";

// The engine with its tables opened to the test.
class TableEngine : public client_test::ReadyEngine {
 public:
  template <engine::EngineRow Row>
  void Add(Table table, const Row& row) {
    std::lock_guard guard(lock_);
    const auto bytes = engine::RowBytes(row);
    ASSERT_TRUE(TableAt(table).AddEntry(nullptr, bytes.data(), bytes.size(), backend::data_set_block::kRawType));
  }
  // The table holds this row only.
  template <engine::EngineRow Row>
  void Set(Table table, const Row& row) {
    {
      std::lock_guard guard(lock_);
      TableAt(table).FreeBlock();
    }
    Add(table, row);
  }
};

inline engine::ExchangeSeatRow Seat(const char* exchange, const char* seat, const char* closeToday,
                                    const char* marketOrders) {
  engine::ExchangeSeatRow row{};
  SetText(row.szExchangeCode, exchange);
  SetText(row.szExchangeName, "上期所");
  SetText(row.szExchangeAbbr, "sfe");
  SetText(row.szSeatCode, seat);
  SetText(row.szCloseTodayFlag, closeToday);
  SetText(row.szMarketOrderFlag, marketOrders);
  return row;
}

// Lots held of cu2701 at S through seat S001 with trade code TC01.
inline engine::PositionSummaryRow Position(const char* buySell, int lots, int todayLots) {
  engine::PositionSummaryRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szExchangeCode, "S");
  SetText(row.szContractCode, "cu2701");
  SetText(row.szFlagSH, "0");
  SetText(row.szMapCode, "TC01");
  SetText(row.szSeatCode, "S001");
  SetText(row.szFlagBS, buySell);
  engine::SetInt(row.szPositionVolume, lots);
  engine::SetInt(row.szTodayVolume, todayLots);
  return row;
}

// An order of cu2701 at S placed through seat S001.
inline engine::OrderRow Order(const char* account, const char* orderNo, const char* buySell, const char* openClose,
                              const char* state, int lots) {
  engine::OrderRow row{};
  SetText(row.szTradeAccount, account);
  SetText(row.szExchangeCode, "S");
  SetText(row.szOrderNo, orderNo);
  SetText(row.szContractCode, "cu2701");
  SetText(row.szNameBS, buySell);
  SetText(row.szNameEO, openClose);
  SetText(row.szNameSH, "0");
  SetText(row.szFlagOrderState, state);
  engine::SetInt(row.szOrderHands, lots);
  SetText(row.szSeatCode, "S001");
  SetText(row.szOrderSeat, "S001");
  return row;
}

// Parameter k of a request, from its fields.
inline std::string Parameter(const std::vector<std::string>& fields, std::size_t k) {
  return k + 3 < fields.size() ? fields[k + 3] : std::string();
}

// A back end that answers each function by a script, and keeps the fields
// of every request. Called on the order thread and the test's thread.
class ScriptedBackEnd {
 public:
  using Script = std::function<std::vector<std::string>(const std::vector<std::string>& fields)>;

  ScriptedBackEnd() {
    // Orders are numbered from 801 and taken in state "n".
    Answer(5011, [this](const std::vector<std::string>& fields) {
      const std::string seat = Parameter(fields, 13);
      return std::vector<std::string>{client_test::AnswerLine(46, {{5, std::to_string(nextOrderNo_++)},
                                                                   {6, Parameter(fields, 5)},
                                                                   {8, Parameter(fields, 6)},
                                                                   {10, "n"},
                                                                   {12, Parameter(fields, 7)},
                                                                   {14, Parameter(fields, 8)},
                                                                   {18, Parameter(fields, 10)},
                                                                   {19, Parameter(fields, 11)},
                                                                   {32, seat},
                                                                   {34, seat}})};
    });
    Answer(5012, {"A|m|1|Y|"});
  }

  void Answer(int function, Script script) {
    std::lock_guard lock(mutex_);
    scripts_[function] = std::move(script);
  }
  void Answer(int function, std::vector<std::string> lines) {
    Answer(function, [lines](const std::vector<std::string>&) { return lines; });
  }

  // The engine's synchronous send.
  bool Send(backend::RequestRecord& record, std::string&) {
    backend::SubRequest& request = *record.At(0);
    const std::vector<std::string> fields = client_test::Fields(request.requestText);
    Script script;
    {
      std::lock_guard lock(mutex_);
      requests_.emplace_back(request.functionNo, fields);
      const auto found = scripts_.find(request.functionNo);
      if (found != scripts_.end()) script = found->second;
    }
    changed_.notify_all();
    if (script) {
      for (const std::string& line : script(fields)) request.answer.AddText(line);
    }
    record.done = record.count;
    return true;
  }

  // The fields of every request of the function, in order.
  std::vector<std::vector<std::string>> Requests(int function) const {
    std::lock_guard lock(mutex_);
    std::vector<std::vector<std::string>> found;
    for (const auto& [number, fields] : requests_) {
      if (number == function) found.push_back(fields);
    }
    return found;
  }
  // One parameter of every request of the function.
  std::vector<std::string> Parameters(int function, std::size_t k) const {
    std::vector<std::string> values;
    for (const auto& fields : Requests(function)) values.push_back(Parameter(fields, k));
    return values;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<int, Script> scripts_;
  std::vector<std::pair<int, std::vector<std::string>>> requests_;
  int nextOrderNo_ = 801;
};

// One result as the shell received it, with its messages read during the
// delivery.
struct DeliveredResult {
  std::string tag;
  std::string code;
  std::vector<std::string> messages;
  std::string prompt;
};

class ResultShell : public client_testing::RecordingShell {
 public:
  explicit ResultShell(const order_module::OrderModule& module) : module_(module) {}

  void OnOrderResults(const backend::CGlobalStringList& items) override {
    RecordingShell::OnOrderResults(items);
    const backend::CxDataSet* messages = module_.DeliveredMessages(items.GetAt(2));
    ASSERT_NE(messages, nullptr);
    results.push_back({items.GetAt(0), items.GetAt(1), client_test::ListTexts(messages->View()), items.GetAt(3)});
  }

  std::vector<DeliveredResult> results;  // the GUI thread's only

 private:
  const order_module::OrderModule& module_;
};

// The user: answers the questions from a script (no answer left: no) and
// keeps every question and message box.
class ScriptedUser {
 public:
  ScriptedUser() {
    platform::SetQuestionHandler([this](std::string_view question, std::string_view) {
      std::lock_guard lock(mutex_);
      questions_.emplace_back(question);
      if (answers_.empty()) return false;
      const bool yes = answers_.front();
      answers_.pop_front();
      return yes;
    });
    platform::SetMessageHandler([this](std::string_view text, std::string_view) {
      std::lock_guard lock(mutex_);
      boxes_.emplace_back(text);
    });
  }
  ~ScriptedUser() {
    platform::SetQuestionHandler(nullptr);
    platform::SetMessageHandler(nullptr);
  }

  void WillAnswer(std::initializer_list<bool> answers) {
    std::lock_guard lock(mutex_);
    answers_.insert(answers_.end(), answers);
  }
  std::vector<std::string> Questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
  }
  std::vector<std::string> Boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
  }

 private:
  mutable std::mutex mutex_;
  std::deque<bool> answers_;
  std::vector<std::string> questions_;
  std::vector<std::string> boxes_;
};

class OrderModuleTest : public client_test::ClientTest {
 protected:
  OrderModuleTest() : resultShell(module), installedShell_(resultShell) {}

  void SetUp() override {
    client_test::AddAccount(kAccount, "111111", 0);
    engine::EngineCallbacks callbacks = SendingCallbacks(
        [this](backend::RequestRecord& record, std::string& error) { return backEnd.Send(record, error); },
        [](backend::RequestPtr&, std::string& error) {
          error = "no asynchronous requests here";
          return false;
        });
    const std::string machine = backend::LocalMachineAddress();
    ASSERT_TRUE(tables.Start({.machineAddress = machine,
                              .requestPrefix = client::kReservedLeadingText,
                              .applicationTag = client::kApplicationTag,
                              .accounts = &backend::TheAccountTable(),
                              .loginType = backend::GetLoginType()},
                             std::move(callbacks)));
    client::InstallOperationEngine(&tables);
    ASSERT_TRUE(tables.MakeReady());
    ASSERT_TRUE(module.Start());
  }

  void TearDown() override {
    module.Stop();
    client::InstallOperationEngine(nullptr);
    tables.Stop();
  }

  // Runs the GUI thread's part (questions, results) until the condition
  // holds; false when it did not within the bound.
  bool PumpUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + client_test::kBound;
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      module.DeliverResults();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  // The next result the shell receives.
  DeliveredResult NextResult() {
    const std::size_t before = resultShell.results.size();
    EXPECT_TRUE(PumpUntil([&] { return resultShell.results.size() > before; })) << "no result came";
    return resultShell.results.size() > before ? resultShell.results[before] : DeliveredResult{};
  }
  // Pumps until the back end received `count` requests of the function.
  bool WaitForRequests(int function, std::size_t count) {
    return PumpUntil([&] { return backEnd.Requests(function).size() >= count; });
  }

  void QueueState(const char* orderNo, const char* state, const char* volume, const char* remaining) {
    module.QueueOrderStateChange(client::MakeOrderStateChange("S001", orderNo, "S001", state, volume, remaining));
  }

  ScriptedBackEnd backEnd;
  ScriptedUser user;
  TableEngine tables;
  order_module::OrderModule module;
  ResultShell resultShell;

 private:
  client_testing::ScopedShell installedShell_;
};

}  // namespace order_module_test
