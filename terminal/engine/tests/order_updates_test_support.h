// An engine started for account 8001 whose order and exercise updates the
// tests call directly, with a back end that answers the single-order queries
// as the test scripts them and a GUI that records what it is told.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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

namespace order_updates_test {

using download_test::Answer;
using download_test::DataLine;
using download_test::Rows;
using engine::SetText;
using engine::Table;
using engine::TableChangeRecord;
using engine::Text;

class UpdatingEngine : public download_test::OpenEngine {
 public:
  using COperationEngine::AddExerciseOrder;
  using COperationEngine::AddOrder;
  using COperationEngine::ApplyCancelAnswer;
  using COperationEngine::ApplyFundAnswer;
  using COperationEngine::ApplyOrderAnswer;
  using COperationEngine::LoadExerciseOrders;
  using COperationEngine::lock_;
  using COperationEngine::OnCancelPush;
  using COperationEngine::OnExerciseCancelAnswer;
  using COperationEngine::OnExerciseCancelPush;
  using COperationEngine::OnExerciseOrderAnswer;
  using COperationEngine::OnExerciseOrderPush;
  using COperationEngine::OnOrderStatePush;
  using COperationEngine::ResetTables;
};

// A record as the tests compare it.
struct Change {
  int tableId;
  char operation;
  int rowIndex;
  bool operator==(const Change&) const = default;
};

inline std::vector<Change> ChangesOf(const std::vector<TableChangeRecord>& records) {
  std::vector<Change> changes;
  for (const TableChangeRecord& record : records) {
    changes.push_back({record.TableId(), record.Operation(), record.RowIndex()});
  }
  return changes;
}

// The function number of a request text: its field 4.
inline int FunctionOf(const std::string& requestText) {
  return std::stoi(backend::GetSeparatedFieldText(4, requestText));
}

class OrderUpdates : public ::testing::Test {
 protected:
  void SetUp() override {
    backend::AccountKey key;
    std::strcpy(key.customerNo, "8001");
    std::strcpy(key.password, "secret");
    accounts.AddAccount(key);
    engine::EngineCallbacks callbacks;
    callbacks.sendSync = [this](backend::RequestRecord& record, std::string&) {
      backend::SubRequest& subRequest = *record.At(0);
      askedFunctions.push_back(FunctionOf(subRequest.requestText));
      lockFreeWhileAsked = lockFreeWhileAsked && LockIsFree();
      for (const std::string& line : backEndLines) subRequest.answer.AddText(line);
      record.done = record.count;
      return true;
    };
    callbacks.tableChanged = [this](const TableChangeRecord& record) { delivered.push_back(record); };
    ASSERT_TRUE(engine.Start({.machineAddress = download_test::kMachineAddress,
                              .applicationTag = "Pellora",
                              .accounts = &accounts,
                              .loginType = backend::kTradingLogin},
                             std::move(callbacks)));
  }

  // The download thread calls the engine's virtual downloads: it stops
  // before the engine's destructors begin.
  void TearDown() override { engine.Stop(); }

  // Starts a case afresh: empty tables, nothing delivered or asked.
  void Reset() {
    engine.ResetTables();
    delivered.clear();
    askedFunctions.clear();
  }

  // The records delivered at once and those held in the change queue.
  std::vector<Change> Delivered() const { return ChangesOf(delivered); }
  std::vector<Change> Held() { return ChangesOf(engine.TakeChangeQueue()); }

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

  // The status line followed by these lines answers the next queries; the
  // status line alone answers that the back end knows no such row.
  void BackEndAnswers(std::vector<std::string> dataLines) {
    backEndLines = {"A|||Y|" + std::to_string(dataLines.size()) + "|"};
    backEndLines.insert(backEndLines.end(), dataLines.begin(), dataLines.end());
  }

  std::vector<TableChangeRecord> delivered;
  std::vector<int> askedFunctions;
  std::vector<std::string> backEndLines{"A|||Y|0|"};
  bool lockFreeWhileAsked = true;
  backend::AccountTable accounts;
  UpdatingEngine engine;

 private:
  // Whether another thread can take the engine lock now.
  bool LockIsFree() {
    bool free = false;
    std::thread other([&] {
      free = engine.lock_.try_lock();
      if (free) engine.lock_.unlock();
    });
    other.join();
    return free;
  }
};

// The fund row of account 8001: 10000.00 usable, 200.00 frozen for a sell
// order, nothing else frozen.
inline engine::FundRow Fund() {
  engine::FundRow fund{};
  SetText(fund.szTradeAccount, "8001");
  SetText(fund.szUsableMoney, "10000.00");
  SetText(fund.szDynamicRights, "10000.00");
  SetText(fund.szBFreeze, "0.00");
  SetText(fund.szSFreeze, "200.00");
  SetText(fund.szTotalFreeze, "200.00");
  SetText(fund.szFreezeCommissionCharge, "0.00");
  SetText(fund.szFrozenRoyalty, "0.00");
  SetText(fund.szIOMoneyToday, "300.00");
  SetText(fund.szCreditMoney, "0.00");
  return fund;
}

// The fund amounts the order updates move.
struct FundAmounts {
  std::string usable;
  std::string buyFrozen;
  std::string sellFrozen;
  std::string totalFrozen;
  std::string feeFrozen;
  std::string premiumFrozen;
  bool operator==(const FundAmounts&) const = default;
};

inline FundAmounts AmountsOf(const engine::FundRow& fund) {
  return {std::string(Text(fund.szUsableMoney)),
          std::string(Text(fund.szBFreeze)),
          std::string(Text(fund.szSFreeze)),
          std::string(Text(fund.szTotalFreeze)),
          std::string(Text(fund.szFreezeCommissionCharge)),
          std::string(Text(fund.szFrozenRoyalty))};
}

inline std::ostream& operator<<(std::ostream& out, const FundAmounts& amounts) {
  return out << amounts.usable << "/" << amounts.buyFrozen << "/" << amounts.sellFrozen << "/" << amounts.totalFrozen
             << "/" << amounts.feeFrozen << "/" << amounts.premiumFrozen;
}

inline const FundAmounts kUntouchedFund{"10000.00", "0.00", "200.00", "200.00", "0.00", "0.00"};

inline std::ostream& operator<<(std::ostream& out, const Change& change) {
  return out << change.tableId << change.operation << change.rowIndex;
}

}  // namespace order_updates_test
