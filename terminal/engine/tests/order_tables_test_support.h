// An engine started for accounts 8001 and 8002 (slot 0 signs its own
// requests) whose special, stored, profit/loss and condition-order updates
// the tests call directly. The back end answers each request by its
// function number as the test scripts it, and the user answers questions
// through a scripted prompt; both note whether the engine lock was free
// while they were asked.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "backend/account_table.h"
#include "backend/data_set_block.h"
#include "backend/field_text.h"
#include "engine/row_field.h"
#include "engine/testing/download_test_support.h"
#include "engine/user_prompt.h"

namespace order_tables_test {

using download_test::Answer;
using download_test::DataLine;
using download_test::Rows;
using engine::PromptAnswer;
using engine::SetText;
using engine::Table;
using engine::TableChangeRecord;
using engine::Text;

class OrderTablesEngine : public download_test::OpenEngine {
 public:
  using COperationEngine::AddConditionOrder;
  using COperationEngine::AddSpecialOrder;
  using COperationEngine::ApplyConditionOrderAnswer;
  using COperationEngine::ApplyConditionOrderCancel;
  using COperationEngine::ApplyConditionOrderChange;
  using COperationEngine::ApplyConditionOrderState;
  using COperationEngine::ApplyProfitLossOrderAdd;
  using COperationEngine::ApplyProfitLossOrderChange;
  using COperationEngine::ApplyProfitLossOrderDelete;
  using COperationEngine::ApplySpecialCancelAnswer;
  using COperationEngine::ApplySpecialOrderAnswer;
  using COperationEngine::ApplyStoredOrderAdd;
  using COperationEngine::ApplyStoredOrderChange;
  using COperationEngine::ApplyStoredOrderDelete;
  using COperationEngine::ApplyStoredOrderSend;
  using COperationEngine::LoadExerciseOrders;
  using COperationEngine::lock_;
  using COperationEngine::OnConditionOrderPush;
  using COperationEngine::OnSpecialOrderPush;
  using COperationEngine::OnSpecialOrderStatePush;
  using COperationEngine::ResetTables;
  using COperationEngine::SetDownloadState;

  // The initial download on the caller's thread.
  bool RunInitialDownload() { return COperationEngine::DownloadAll(); }
};

// Whether another thread can take the lock now.
inline bool LockIsFree(platform::CriticalSection& lock) {
  bool free = false;
  std::thread other([&] {
    free = lock.try_lock();
    if (free) lock.unlock();
  });
  other.join();
  return free;
}

// Answers each question with the next scripted answer (OK when none is
// left) and notes the question.
class ScriptedPrompt : public engine::UserPrompt {
 public:
  explicit ScriptedPrompt(platform::CriticalSection& engineLock) : engineLock_(engineLock) {}

  PromptAnswer Ask(const engine::UserQuestion& question) override {
    asked.push_back(question);
    lockFreeWhenAsked = lockFreeWhenAsked && LockIsFree(engineLock_);
    if (answers.empty()) return PromptAnswer::kOk;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  // The texts asked or told, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const engine::UserQuestion& question : asked) texts.push_back(question.text);
    return texts;
  }

  std::deque<PromptAnswer> answers;
  std::vector<engine::UserQuestion> asked;
  bool lockFreeWhenAsked = true;

 private:
  platform::CriticalSection& engineLock_;
};

// A record as the tests compare it.
struct Change {
  int tableId;
  char operation;
  int rowIndex;
  bool operator==(const Change&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Change& change) {
  return out << change.tableId << change.operation << change.rowIndex;
}

inline std::vector<Change> ChangesOf(const std::vector<TableChangeRecord>& records) {
  std::vector<Change> changes;
  for (const TableChangeRecord& record : records) {
    changes.push_back({record.TableId(), record.Operation(), record.RowIndex()});
  }
  return changes;
}

inline constexpr const char* kAccepted = "A|||Y|";
inline constexpr const char* kRefused = "A|||N|1002|资金不足|";

class OrderTables : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* customer : {"8001", "8002"}) {
      backend::AccountKey key;
      std::strcpy(key.customerNo, customer);
      std::strcpy(key.password, "secret");
      key.slot = static_cast<int>(accounts.Count());
      accounts.AddAccount(key);
    }
    engine::EngineCallbacks callbacks;
    callbacks.sendSync = [this](backend::RequestRecord& record, std::string&) {
      backend::SubRequest& subRequest = *record.At(0);
      sent.push_back(subRequest.requestText);
      lockFreeWhenSent = lockFreeWhenSent && LockIsFree(engine.lock_);
      const int functionNo = std::stoi(backend::GetSeparatedFieldText(4, subRequest.requestText));
      for (const std::string& line : backEnd[functionNo]) subRequest.answer.AddText(line);
      record.done = record.count;
      return true;
    };
    callbacks.nextSequenceNo = [] { return download_test::kSequenceNo; };
    callbacks.tableChanged = [this](const TableChangeRecord& record) { delivered.push_back(record); };
    callbacks.log = [this](int level, const char* text) {
      std::lock_guard guard(logMutex_);
      if (level == 3) logLines_.emplace_back(text);
    };
    ASSERT_TRUE(engine.Start({.machineAddress = download_test::kMachineAddress,
                              .applicationTag = "Pellora",
                              .accounts = &accounts,
                              .loginType = backend::kTradingLogin},
                             std::move(callbacks)));
    engine.SetUserPrompt(prompt);
  }

  // The download thread calls the engine's virtual downloads: it stops
  // before the engine's destructors begin.
  void TearDown() override { engine.Stop(); }

  // Starts a case afresh: empty tables, nothing delivered, sent, asked or
  // logged.
  void Reset() {
    engine.ResetTables();
    delivered.clear();
    sent.clear();
    prompt->asked.clear();
    prompt->answers.clear();
    std::lock_guard guard(logMutex_);
    logLines_.clear();
  }

  // The records delivered at once and those held in the change queue.
  std::vector<Change> Delivered() const { return ChangesOf(delivered); }
  std::vector<Change> Held() { return ChangesOf(engine.TakeChangeQueue()); }

  // The engine's log lines of level 3, without the download thread's.
  std::vector<std::string> Notes() const {
    std::lock_guard guard(logMutex_);
    std::vector<std::string> notes;
    for (const std::string& line : logLines_) {
      if (line.find("下载") == std::string::npos) notes.push_back(line);
    }
    return notes;
  }

  template <engine::EngineRow Row>
  std::vector<Row> RowsOf(Table table) {
    std::lock_guard guard(engine.lock_);
    return Rows<Row>(engine.TableAt(table));
  }

  template <engine::EngineRow Row>
  void Add(Table table, const Row& row) {
    std::lock_guard guard(engine.lock_);
    const auto bytes = engine::RowBytes(row);
    ASSERT_TRUE(engine.TableAt(table).AddEntry(nullptr, bytes.data(), bytes.size(), backend::data_set_block::kRawType));
  }

  // Everything the engine's callbacks touch is declared before the engine,
  // whose download thread logs until it stops.
  // The answer lines of the back end, by function number; none for a
  // function the test does not script.
  std::map<int, std::vector<std::string>> backEnd;
  std::vector<std::string> sent;
  bool lockFreeWhenSent = true;
  std::vector<TableChangeRecord> delivered;
  mutable std::mutex logMutex_;
  std::vector<std::string> logLines_;
  backend::AccountTable accounts;
  OrderTablesEngine engine;
  std::shared_ptr<ScriptedPrompt> prompt = std::make_shared<ScriptedPrompt>(engine.lock_);
};

// A fund row: 10000.00 usable, 200.00 frozen for a sell order, nothing
// else frozen.
inline engine::FundRow Fund(std::string_view account) {
  engine::FundRow fund{};
  SetText(fund.szTradeAccount, account);
  SetText(fund.szUsableMoney, "10000.00");
  SetText(fund.szBFreeze, "0.00");
  SetText(fund.szSFreeze, "200.00");
  SetText(fund.szTotalFreeze, "200.00");
  SetText(fund.szFreezeCommissionCharge, "0.00");
  return fund;
}

// The fund amounts that frozen orders move.
struct FundAmounts {
  std::string usable;
  std::string buyFrozen;
  std::string sellFrozen;
  std::string totalFrozen;
  std::string feeFrozen;
  bool operator==(const FundAmounts&) const = default;
};

inline FundAmounts AmountsOf(const engine::FundRow& fund) {
  return {std::string(Text(fund.szUsableMoney)), std::string(Text(fund.szBFreeze)), std::string(Text(fund.szSFreeze)),
          std::string(Text(fund.szTotalFreeze)), std::string(Text(fund.szFreezeCommissionCharge))};
}

inline std::ostream& operator<<(std::ostream& out, const FundAmounts& amounts) {
  return out << amounts.usable << "/" << amounts.buyFrozen << "/" << amounts.sellFrozen << "/" << amounts.totalFrozen
             << "/" << amounts.feeFrozen;
}

inline const FundAmounts kUntouchedFund{"10000.00", "0.00", "200.00", "200.00", "0.00"};

// The start of every request the engine signs: "R", the machine address,
// the sequence number, the function, the empty request prefix, the
// application tag and account 8001 with its password.
inline std::string RequestHead(int functionNo) {
  return "R|" + std::string(download_test::kMachineAddress) + "|" + std::to_string(download_test::kSequenceNo) + "|" +
         std::to_string(functionNo) + "||Pellora|8001|secret|";
}

}  // namespace order_tables_test
