// Malformed answers fed to every operation that reads an answer: the
// answer check must give its documented code and text for an answer it
// refuses, and the operation must read a damaged but accepted answer (lines
// cut short, extra fields, words where numbers belong, an 8 KB line, 0x01
// or "|" inside a value) without crashing or reading past it. The log-in
// answer and the quote push are read by their own parsers and fed alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "backend/account_table.h"
#include "backend/request_record.h"
#include "client/account_queries.h"
#include "client/investor_service.h"
#include "client/login.h"
#include "client/management_operations.h"
#include "client/notice_operations.h"
#include "client/operation_frame.h"
#include "client/option_operations.h"
#include "client/order_operations.h"
#include "client/order_push_hooks.h"
#include "client/push_handlers.h"
#include "client/quote_operations.h"
#include "client/quote_push.h"
#include "client/session_operations.h"
#include "client/settlement_operations.h"
#include "client/testing/client_test.h"
#include "client/testing/push_lines.h"
#include "protocol/function_numbers.h"

namespace {

using client_testing::AddAccount;
using client_testing::AnswerLine;
namespace fn = protocol::function_no;

// --- Damage done to the line that carries an answer's values

// Fields 1 to n of a line, the rest cut off mid-field.
std::string CutAfter(const std::string& line, int n) {
  std::size_t end = 0;
  for (int k = 0; k < n; ++k) end = line.find('|', end) + 1;
  return line.substr(0, end) + "trunc";
}

int FieldCount(const std::string& line) { return static_cast<int>(std::count(line.begin(), line.end(), '|')); }

// Field n of a line replaced (the line grows to n fields when shorter).
std::string WithField(const std::string& line, int n, const std::string& text) {
  std::vector<std::string> fields = client_testing::Fields(line);
  if (fields.size() < static_cast<std::size_t>(n)) fields.resize(static_cast<std::size_t>(n));
  fields[static_cast<std::size_t>(n) - 1] = text;
  std::string damaged;
  for (const std::string& field : fields) damaged += field + "|";
  return damaged;
}

struct Damage {
  const char* name;
  std::function<std::string(const std::string& line, int numericField, int textField)> apply;
};

const std::vector<Damage>& Damages() {
  static const std::vector<Damage> damages = {
      {"the four leading fields alone", [](const std::string& line, int, int) { return CutAfter(line, 4); }},
      {"line cut short",
       [](const std::string& line, int, int) { return CutAfter(line, std::max(4, FieldCount(line) / 2)); }},
      {"extra fields", [](const std::string& line, int, int) { return line + "extra|9999|\x01|"; }},
      {"words in a numeric field", [](const std::string& line, int n, int) { return WithField(line, n, "nan"); }},
      {"infinity in a numeric field", [](const std::string& line, int n, int) { return WithField(line, n, "-inf"); }},
      {"8 KB line", [](const std::string& line, int, int t) { return WithField(line, t, std::string(8192, 'L')); }},
      {"0x01 inside a value",
       [](const std::string& line, int, int t) {
         return WithField(line, t,
                          "a\x01"
                          "b\x01");
       }},
      {"| inside a value", [](const std::string& line, int, int t) { return WithField(line, t, "a|b"); }},
      {"empty line", [](const std::string&, int, int) { return std::string(); }},
  };
  return damages;
}

// --- The operations

struct Operation {
  const char* name;
  int functionNo;
  // Runs the operation; false with the reason in the message.
  std::function<bool(std::string& message)> run;
  // The undamaged answer. The damage goes to its last line: the status line
  // of a single-line answer, the one row of a multi-line answer.
  std::vector<std::string> lines;
  int numericField;
  int textField;
};

class BadAnswers : public client_testing::ScriptedBackEndTest {
 protected:
  void SetUp() override {
    ScriptedBackEndTest::SetUp();
    AddAccount("10001", "111111", 0);
    AddAccount("20001", "222222", 1);
    ASSERT_TRUE(engine.MakeReady());
  }

  // One call with the answer given: whether it passed, and its message.
  std::pair<bool, std::string> RunWith(const Operation& operation, std::vector<std::string> lines) {
    Answer(operation.functionNo, std::move(lines));
    std::string message;
    const bool passed = operation.run(message);
    return {passed, message};
  }

  // The results each operation fills, kept across its calls.
  client::SystemDate systemDate;
  client::OrderStateAnswer orderState;
  engine::OrderRow orderRow{};
  int errorCode = 0;
  backend::CxDataSet list;
  std::vector<client::BulletinRecord> bulletins;
  std::string text;
  client::OptionsAbandonApplication abandon;
  backend::ExerciseOrderRow exerciseRow{};
  client::MonitorCentreKey key;
  client::QuoteServerInfo servers;
  backend::QuoteRecord quote{};
  std::string entryNo;

  std::vector<Operation> Operations() {
    const std::string rowsStatus = "A|||Y|1|";
    const client::OrderFields order{"S", "cu2701", "0", "0", "0", "1", "70000", "M1", "S001", "1", "0", "0", "0"};
    const std::array<std::string_view, 8> taskValues{"1", "2", "3", "4", "5", "6", "7", "8"};
    const std::array<std::string_view, 8> exerciseTexts{"S", "cu2702C76000", "3", "S001", "1", "", "", ""};
    const std::array<std::string_view, 5> cancelTexts{"77", "S", "S001", "1", ""};
    // clang-format off
    return {
        {"funds", fn::kQueryFunds, [](std::string& m) { return client::QueryFunds("10001", m); }, {AnswerLine(30)}, 22,
         15},
        {"system date", fn::kQuerySystemDate, [this](std::string& m) { return client::QuerySystemDate(systemDate, m); },
         {AnswerLine(10)}, 5, 6},
        {"seat time difference", fn::kQuerySeatTimeDifference,
         [](std::string& m) { return client::QuerySeatTimeDifference(m) != nullptr; }, {rowsStatus, AnswerLine(8)}, 5,
         6},
        {"order state", fn::kQueryOrderState,
         [this](std::string& m) { return client::QueryOrderState("10001", "123", "S", "S001", orderState, m); },
         {AnswerLine(9)}, 5, 6},
        {"order", fn::kSendOrder,
         [=, this](std::string& m) { return client::SendOrder(order, "10001", orderRow, m, errorCode); },
         {AnswerLine(47, {{21, "70010.5"}, {43, "1000"}})}, 43, 11},
        {"cancel", fn::kCancelOrder,
         [this](std::string& m) { return client::CancelOrder("10001", "123", "S001", "S001", list, m); },
         {AnswerLine(16)}, 12, 9},
        {"profit/loss order", fn::kSendProfitLossOrder,
         [=, this](std::string& m) {
           return client::SendProfitLossOrder("10001", "123", "S", "S001", taskValues, list, m);
         },
         {AnswerLine(36)}, 12, 10},
        {"password rules", fn::kQueryPasswordRules,
         [](std::string& m) { return client::QueryPasswordRules("1", m) != nullptr; }, {rowsStatus, AnswerLine(8)}, 5,
         6},
        {"kind password change", fn::kChangeKindPassword,
         [](std::string& m) { return client::ChangePassword("111111", 2, "333333", m); }, {AnswerLine(6)}, 5, 6},
        {"password change", fn::kChangePassword,
         [](std::string& m) { return client::ChangePassword("111111", 0, "111111", m); }, {AnswerLine(6)}, 5, 6},
        {"bulletins", fn::kQueryBulletins,
         [this](std::string& m) {
           bulletins.clear();
           return client::QueryBulletins("10001", "1", "20261201", "20261210", bulletins, m);
         },
         {rowsStatus, AnswerLine(11)}, 9, 7},
        {"important notices", fn::kQueryImportantNotices,
         [this](std::string& m) { return client::QueryImportantNotices(text, m); }, {rowsStatus, AnswerLine(8)}, 5, 6},
        {"customer status", fn::kMaintainCustomerStatus,
         [](std::string& m) { return client::MaintainCustomerStatus("a", "b", m); }, {AnswerLine(6)}, 5, 6},
        {"deposit entry", fn::kEditCustomerIOMoney,
         [this](std::string& m) { return client::EditCustomerIOMoney("a", "b", "c", "d", "e", "f", entryNo, m); },
         {AnswerLine(6)}, 5, 6},
        {"deposit review", fn::kReviewCustomerIOMoney,
         [](std::string& m) { return client::ReviewCustomerIOMoney("1", m); }, {AnswerLine(6)}, 5, 6},
        {"CTP check-in", fn::kCheckInToCTP,
         [this](std::string& m) { return client::CheckInToCTP("a", "b", "c", text, m); }, {AnswerLine(8)}, 7, 8},
        {"settlement parameters", fn::kQuerySettlementParams,
         [this](std::string& m) { return client::QuerySettlementParams(list, m); }, {rowsStatus, AnswerLine(7)}, 5, 6},
        {"settlement statement", fn::kQuerySettlementStatement,
         [this](std::string& m) { return client::QuerySettlementStatement("10001", "20261210", "1", list, m); },
         {rowsStatus, AnswerLine(4)}, 4, 4},
        {"settlement confirmation", fn::kConfirmSettlementStatement,
         [](std::string& m) { return client::ConfirmSettlementStatement(m); }, {AnswerLine(6)}, 5, 6},
        {"abandon application", fn::kApplyOptionsAbandon,
         [this](std::string& m) { return client::ApplyOptionsAbandon(abandon, m); }, {AnswerLine(18)}, 9, 10},
        {"exercise order", fn::kSendOptionsExerciseOrder,
         [=, this](std::string& m) { return client::SendOptionsExerciseOrder(exerciseTexts, "10001", exerciseRow, m); },
         {AnswerLine(38)}, 12, 8},
        {"exercise cancel", fn::kCancelOptionsExerciseOrder,
         [=, this](std::string& m) { return client::CancelOptionsExerciseOrder(cancelTexts, "10001", exerciseRow, m); },
         {AnswerLine(25)}, 12, 17},
        {"monitor centre key", fn::kQueryMonitorCentreKey,
         [this](std::string& m) { return client::QueryMonitorCentreKey(key, m); }, {AnswerLine(8)}, 5, 6},
        {"quote servers", fn::kQueryQuoteServerInfo,
         [this](std::string& m) {
           servers.servers.clear();
           return client::QueryQuoteServerInfo(servers, m);
         },
         {rowsStatus, AnswerLine(10, {{3, "127.0.0.1"}, {4, "7000"}})}, 4, 3},
        {"quotation", fn::kQueryQuotation,
         [this](std::string& m) { return client::QueryQuoteRecord("S", "cu2701", quote, m); },
         {AnswerLine(52, {{13, "70000"}, {19, "3,4"}})}, 13, 8},
    };
    // clang-format on
  }
};

// The answer check's documented outcomes, the same for every operation.
struct Refusal {
  const char* name;
  std::vector<std::string> lines;
  std::string message;
  int code;  // as an order reports it
};

const std::vector<Refusal> kRefusals = {
    {"no answer", {}, "IO返回数据为空！", backend::kReplyFailureCode},
    {"an empty status line", {""}, "IO返回数据格式错误：", backend::kReplyFailureCode},
    {"a status neither Y nor N", {"A|||X|0|"}, "IO返回数据格式错误：A|||X|0|", backend::kReplyFailureCode},
    {"a refusal", {"A|||N|1002|资金不足|"}, "资金不足", 1002},
    {"a refusal whose code is no number", {"A|||N|abc|资金不足|"}, "资金不足", backend::kReplyFailureCode},
    {"a refusal cut in its code", {"A|||N|1002"}, "IO返回数据格式错误：A|||N|1002", backend::kReplyFailureCode},
    {"a refusal cut before its text", {"A|||N|1002|"}, "IO返回数据格式错误：A|||N|1002|", 1002},
    {"a refusal with an 8 KB text", {"A|||N|1002|" + std::string(8192, 'E') + "|"}, std::string(8192, 'E'), 1002},
};

// The quotation reports every failure with its own text.
std::string FailureText(const Operation& operation, const std::string& checkersText) {
  return operation.functionNo == fn::kQueryQuotation ? "查询合约cu2701 价格失败！" : checkersText;
}

TEST_F(BadAnswers, EveryOperationReportsARefusedAnswerWithTheCheckersText) {
  for (const Operation& operation : Operations()) {
    for (const Refusal& refusal : kRefusals) {
      const auto [passed, message] = RunWith(operation, refusal.lines);
      EXPECT_FALSE(passed) << operation.name << ", " << refusal.name;
      EXPECT_EQ(message, FailureText(operation, refusal.message)) << operation.name << ", " << refusal.name;
      if (operation.functionNo == fn::kSendOrder) {
        EXPECT_EQ(errorCode, refusal.code) << refusal.name;
      }
    }
  }
}

TEST_F(BadAnswers, EveryOperationReadsADamagedAcceptedAnswerWithinItsBounds) {
  for (const Operation& operation : Operations()) {
    ASSERT_TRUE(RunWith(operation, operation.lines).first) << operation.name;
    for (const Damage& damage : Damages()) {
      std::vector<std::string> lines = operation.lines;
      lines.back() = damage.apply(lines.back(), operation.numericField, operation.textField);
      const bool statusBroken = lines.size() == 1 && lines.back().empty();
      const auto [passed, message] = RunWith(operation, lines);
      const std::string trace = std::string(operation.name) + ", " + damage.name;
      if (statusBroken) {
        EXPECT_FALSE(passed) << trace;
        EXPECT_EQ(message, FailureText(operation, "IO返回数据格式错误：")) << trace;
        continue;
      }
      // An accepted answer reads its missing fields as empty: the memory
      // checker's builds hold every read to the line and every copy to its
      // member.
      EXPECT_TRUE(passed) << trace << ": " << message;
    }
  }
}

TEST_F(BadAnswers, AQuotationAnswerWithoutNumbersGivesNoInfiniteOrUndefinedPrice) {
  const Operation quotation = Operations().back();
  ASSERT_EQ(quotation.functionNo, fn::kQueryQuotation);
  for (const char* word : {"nan", "inf", "-inf", "1e999"}) {
    std::string line = AnswerLine(52);
    for (const int n : {9, 10, 11, 12, 13, 15, 17, 18, 21, 22, 23, 24, 30, 38}) line = WithField(line, n, word);
    ASSERT_TRUE(RunWith(quotation, {line}).first) << word;
    for (const double price :
         {double{quote.fLastClosePrice}, double{quote.fOpenPrice}, double{quote.fHighestPrice},
          double{quote.fLowestPrice}, double{quote.fNewPrice}, quote.dAmount, double{quote.fBuyPrice1},
          double{quote.fSellPrice1}, double{quote.fUpperLimitPrice}, double{quote.fLowerLimitPrice},
          double{quote.fPreSettlementPrice}, double{quote.fSettlementPrice}, double{quote.depth[0].fBuyPrice},
          double{quote.depth[0].fSellPrice}}) {
      EXPECT_TRUE(std::isfinite(price)) << word;
    }
  }
}

// --- The log-in answer (5001) and the quote push (15001), read by their own
// parsers.

TEST_F(BadAnswers, TheLoginAnswerAndTheQuotePushReadDamagedLinesWithinTheirBounds) {
  const std::string loginAnswer = AnswerLine(43, {{9, "20261210"}, {42, "S42"}});
  std::string quoteLine = "R|sim|0|15001|";
  for (int n = 5; n <= 58; ++n) quoteLine += (n == 9 ? "S" : n == 11 ? "cu2701" : "1") + std::string("|");
  for (const Damage& damage : Damages()) {
    SCOPED_TRACE(damage.name);
    const std::string login = damage.apply(loginAnswer, 5, 42);
    std::string message;
    if (backend::GetAnswerStatus(login) != backend::AnswerStatus::kDone) {
      EXPECT_FALSE(client::CheckLoginAnswer(login, message));
    }
    backend::TheAccountTable().UpdateAccountFromAnswer("10001", login);
    const backend::AccountRecord* account = backend::TheAccountTable().FindAccountBySlot(0);
    ASSERT_NE(account, nullptr);
    for (int n = 1; n <= 50; ++n) EXPECT_LE(account->Field(n).size(), 8192u);

    backend::QuoteRecord pushed{};
    client::ParseQuotePush(damage.apply(quoteLine, 17, 12), pushed);
    EXPECT_TRUE(std::isfinite(pushed.fNewPrice));
    EXPECT_LT(std::strlen(pushed.szName), sizeof pushed.szName);
  }
}

// --- The pushes the GUI thread handles after the engine (15002 to 15013)

// Every order is known, and every state change is kept.
class EveryOrderKnown : public client::OrderLookup, public client::OrderStateQueue {
 public:
  std::optional<client::KnownOrder> FindOrder(std::string_view, std::string_view, std::string_view,
                                              std::string_view) override {
    return client::KnownOrder{"123", "S001", "S001", "cu2701", "2", "70000"};
  }
  void QueueOrderStateChange(const client::OrderStateChange& change) override { changes.push_back(change); }

  std::vector<client::OrderStateChange> changes;
};

struct Push {
  const char* name;
  void (client::PushHandlers::*handle)(std::string_view line);
  std::string line;
  int numericField;
  int textField;
};

TEST_F(BadAnswers, ThePushHandlersReadDamagedPushesWithinTheirBounds) {
  using client::PushHandlers;
  using client_testing::PushLine;
  const client_testing::PushFields order{{8, "10001"}, {9, "123"}, {14, "a"},    {15, "已经报入"},
                                         {22, "2"},    {24, "0"},  {36, "S001"}, {42, "S001"}};
  // clang-format off
  const std::vector<Push> pushes = {
      {"order push 15002", &PushHandlers::OnOrderPush, PushLine(15002, order), 22, 15},
      {"cancel push 15004", &PushHandlers::OnCancelPush, PushLine(15004, order), 24, 15},
      {"trade push 15005", &PushHandlers::OnTradePush,
       PushLine(15005, {{8, "10001"}, {9, "S"}, {11, "123"}, {12, "p"}, {17, "cu2701"}, {22, "1"}, {23, "1"},
                        {36, "S001"}, {37, "S001"}}),
       23, 17},
      {"notice push 15006", &PushHandlers::OnMessagePush, PushLine(15006, {{9, "0"}, {14, "1"}, {17, "通知"}}), 14,
       17},
      {"exchange state push 15006", &PushHandlers::OnMessagePush,
       PushLine(15006, {{9, "2"}, {17, "开盘"}, {19, "S"}, {20, "5"}}), 20, 19},
      {"message box push 15007", &PushHandlers::OnMessageBoxPush, PushLine(15007, {{8, "标题"}, {9, "内容"}}), 8, 9},
      {"exercise push 15012", &PushHandlers::OnExerciseOrderPush,
       PushLine(15012, {{9, "77"}, {11, "cu2702C76000"}, {12, "a"}, {15, "3"}, {42, "1"}}), 15, 11},
      {"exercise cancel push 15013", &PushHandlers::OnExerciseCancelPush,
       PushLine(15013, {{9, "77"}, {12, "d"}, {25, "10:00:00"}, {42, "1"}}), 12, 25},
  };
  // clang-format on
  EveryOrderKnown orders;
  PushHandlers handlers(backend::TheAccountTable(), &orders, &orders);
  for (const Push& push : pushes) {
    for (const Damage& damage : Damages()) {
      const std::string trace = std::string(push.name) + ", " + damage.name;
      shell.Clear();
      orders.changes.clear();
      (handlers.*push.handle)(damage.apply(push.line, push.numericField, push.textField));
      // Each field is read through a bounded copy: no line carries the 8 KB.
      for (const client_testing::OutputLine& line : shell.OutputLines()) EXPECT_LT(line.text.size(), 4096u) << trace;
      for (const client::OrderStateChange& change : orders.changes) {
        EXPECT_LT(strnlen(change.orderNo, sizeof change.orderNo), sizeof change.orderNo) << trace;
        EXPECT_LT(strnlen(change.seatCode, sizeof change.seatCode), sizeof change.seatCode) << trace;
      }
    }
  }
}

}  // namespace
