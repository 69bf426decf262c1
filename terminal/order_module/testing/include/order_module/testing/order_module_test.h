// The order module over a started engine whose tables the test fills, a
// back end scripted per function number, questions answered from a script
// and a shell that keeps each result with its messages. The test's thread
// is the GUI thread: it pumps the module's results and questions.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "backend/global_string_list.h"
#include "client/testing/client_test.h"
#include "client/testing/recording_shell.h"
#include "engine/reference_rows.h"
#include "engine/testing/scripted_back_end.h"
#include "engine/trading_rows.h"
#include "order_module/order_module.h"

namespace order_module_testing {

// The account the tests trade for, on slot 0.
inline constexpr const char* kAccount = "10001";

// Seat S001 of exchange S (上期所, "sfe") and what it takes.
engine::ExchangeSeatRow Seat(const char* exchange, const char* seat, const char* closeToday, const char* marketOrders);

// Lots held of cu2701 at S through seat S001 with trade code TC01.
engine::PositionSummaryRow Position(const char* buySell, int lots, int todayLots);

// An order of cu2701 at S placed through seat S001.
engine::OrderRow Order(const char* account, const char* orderNo, const char* buySell, const char* openClose,
                       const char* state, int lots);

// Parameter k of a request, from its fields.
std::string Parameter(const std::vector<std::string>& fields, std::size_t k);

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

  void OnOrderResults(const backend::CGlobalStringList& items) override;

  std::vector<DeliveredResult> results;  // the GUI thread's only

 private:
  const order_module::OrderModule& module_;
};

// The user: answers the questions from a script (no answer left: no) and
// keeps every question and message box.
class ScriptedUser {
 public:
  ScriptedUser();
  ~ScriptedUser();

  void WillAnswer(std::initializer_list<bool> answers);
  std::vector<std::string> Questions() const;
  std::vector<std::string> Boxes() const;

 private:
  mutable std::mutex mutex_;
  std::deque<bool> answers_;
  std::vector<std::string> questions_;
  std::vector<std::string> boxes_;
};

class OrderModuleTest : public client_testing::ClientTest {
 protected:
  OrderModuleTest() : resultShell(module), installedShell_(resultShell) {}

  // The back end takes orders (5011), numbering them from 801 in state "n",
  // and cancels (5012).
  void SetUp() override;
  void TearDown() override;

  // The fields of every request of the function, in order.
  std::vector<std::vector<std::string>> Requests(int function) const;
  // One parameter of every request of the function.
  std::vector<std::string> Parameters(int function, std::size_t k) const;

  // Runs the GUI thread's part (questions, results) until the condition
  // holds; false when it did not within the bound.
  bool PumpUntil(const std::function<bool()>& condition);
  // The next result the shell receives.
  DeliveredResult NextResult();
  // Pumps until the back end received `count` requests of the function.
  bool WaitForRequests(int function, std::size_t count);

  void QueueState(const char* orderNo, const char* state, const char* volume, const char* remaining);

  engine_testing::ScriptedBackEnd backEnd;
  ScriptedUser user;
  order_module::OrderModule module;
  ResultShell resultShell;

 private:
  client_testing::ScopedShell installedShell_;
};

}  // namespace order_module_testing
