#include "order_module/testing/order_module_test.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>

#include "backend/transport.h"
#include "client/operation_frame.h"
#include "client/order_push_hooks.h"
#include "engine/testing/rows.h"
#include "platform/message.h"
#include "platform/question.h"

namespace order_module_testing {

engine::ExchangeSeatRow Seat(const char* exchange, const char* seat, const char* closeToday, const char* marketOrders) {
  return engine_testing::ExchangeSeat({.exchange = exchange,
                                       .name = "上期所",
                                       .abbreviation = "sfe",
                                       .seat = seat,
                                       .closeToday = closeToday,
                                       .marketOrders = marketOrders});
}

engine::PositionSummaryRow Position(const char* buySell, int lots, int todayLots) {
  return engine_testing::Summary({.account = kAccount,
                                  .exchange = "S",
                                  .contract = "cu2701",
                                  .lots = std::to_string(lots),
                                  .tradeCode = "TC01",
                                  .todayLots = std::to_string(todayLots),
                                  .buySell = buySell,
                                  .seat = "S001"});
}

engine::OrderRow Order(const char* account, const char* orderNo, const char* buySell, const char* openClose,
                       const char* state, int lots) {
  return engine_testing::Order({.account = account,
                                .exchange = "S",
                                .orderNo = orderNo,
                                .contract = "cu2701",
                                .state = state,
                                .buySell = buySell,
                                .openClose = openClose,
                                .lots = std::to_string(lots),
                                .seat = "S001",
                                .orderSeat = "S001"});
}

std::string Parameter(const std::vector<std::string>& fields, std::size_t k) {
  return k + 3 < fields.size() ? fields[k + 3] : std::string();
}

// --- ResultShell

void ResultShell::OnOrderResults(const backend::CGlobalStringList& items) {
  RecordingShell::OnOrderResults(items);
  const backend::CxDataSet* messages = module_.DeliveredMessages(items.GetAt(2));
  ASSERT_NE(messages, nullptr);
  results.push_back({items.GetAt(0), items.GetAt(1), client_testing::ListTexts(messages->View()), items.GetAt(3)});
}

// --- ScriptedUser

ScriptedUser::ScriptedUser() {
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

ScriptedUser::~ScriptedUser() {
  platform::SetQuestionHandler(nullptr);
  platform::SetMessageHandler(nullptr);
}

void ScriptedUser::WillAnswer(std::initializer_list<bool> answers) {
  std::lock_guard lock(mutex_);
  answers_.insert(answers_.end(), answers);
}

std::vector<std::string> ScriptedUser::Questions() const {
  std::lock_guard lock(mutex_);
  return questions_;
}

std::vector<std::string> ScriptedUser::Boxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

// --- OrderModuleTest

void OrderModuleTest::SetUp() {
  client_testing::AddAccount(kAccount, "111111", 0);
  backEnd.Answer(
      5011, [nextOrderNo = std::make_shared<std::atomic<int>>(801)](const engine_testing::SentRequest& request) {
        const std::vector<std::string> fields = request.Fields();
        const std::string seat = Parameter(fields, 13);
        return std::vector<std::string>{client_testing::AnswerLine(46, {{5, std::to_string((*nextOrderNo)++)},
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
  backEnd.Answer(5012, {"A|m|1|Y|"});
  backEnd.refuseAsync = true;
  StartEngine(SendingCallbacks(backEnd.Sync(), backEnd.Async()));
  ASSERT_TRUE(engine.MakeReady());
  ASSERT_TRUE(module.Start());
}

void OrderModuleTest::TearDown() {
  module.Stop();
  client::InstallOperationEngine(nullptr);
  engine.Stop();
}

std::vector<std::vector<std::string>> OrderModuleTest::Requests(int function) const {
  std::vector<std::vector<std::string>> found;
  for (const engine_testing::SentRequest& request : backEnd.Sent()) {
    if (request.function == function) found.push_back(request.Fields());
  }
  return found;
}

std::vector<std::string> OrderModuleTest::Parameters(int function, std::size_t k) const {
  std::vector<std::string> values;
  for (const auto& fields : Requests(function)) values.push_back(Parameter(fields, k));
  return values;
}

bool OrderModuleTest::PumpUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + client_testing::kBound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    module.DeliverResults();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

DeliveredResult OrderModuleTest::NextResult() {
  const std::size_t before = resultShell.results.size();
  EXPECT_TRUE(PumpUntil([&] { return resultShell.results.size() > before; })) << "no result came";
  return resultShell.results.size() > before ? resultShell.results[before] : DeliveredResult{};
}

bool OrderModuleTest::WaitForRequests(int function, std::size_t count) {
  return PumpUntil([&] { return Requests(function).size() >= count; });
}

void OrderModuleTest::QueueState(const char* orderNo, const char* state, const char* volume, const char* remaining) {
  module.QueueOrderStateChange(client::MakeOrderStateChange("S001", orderNo, "S001", state, volume, remaining));
}

}  // namespace order_module_testing
