// An engine with its request builders, loaders and single-row queries
// opened for tests, started for account 8001 with a back end that the test
// answers request by request.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "backend/account_table.h"
#include "backend/request_record.h"
#include "engine/operation_engine.h"
#include "engine/row_field.h"

namespace download_test {

inline constexpr const char* kMachineAddress = "00-11-22-33-44-55";
inline constexpr int kSequenceNo = 7;

// Its own downloads never run, so that the test alone talks to the back end.
class OpenEngine : public engine::COperationEngine {
 public:
  ~OpenEngine() override { StopDownloadThread(); }

  using COperationEngine::AskBackEnd;
  using COperationEngine::BuildCloseStrategyRequest;
  using COperationEngine::BuildCombinationDetailRequest;
  using COperationEngine::BuildContractRequest;
  using COperationEngine::BuildExchangeSeatRequest;
  using COperationEngine::BuildExercisableQuantityRequest;
  using COperationEngine::BuildExerciseOrderRequest;
  using COperationEngine::BuildFeeRateRequest;
  using COperationEngine::BuildFundRequest;
  using COperationEngine::BuildLastPriceRequest;
  using COperationEngine::BuildOptionParamsRequest;
  using COperationEngine::BuildOrderRequest;
  using COperationEngine::BuildOrderTypeRequest;
  using COperationEngine::BuildPositionDetailRequest;
  using COperationEngine::BuildSystemDateRequest;
  using COperationEngine::BuildTradeCodeRequest;
  using COperationEngine::BuildTradeRequest;
  using COperationEngine::BuildTradingParameterRequest;
  using COperationEngine::ClearPerAccountDownloadTables;
  using COperationEngine::EngineAccountKey;
  using COperationEngine::LoadCloseStrategies;
  using COperationEngine::LoadCombinationDetails;
  using COperationEngine::LoadConditionOrders;
  using COperationEngine::LoadContracts;
  using COperationEngine::LoadExchangeSeats;
  using COperationEngine::LoadFunds;
  using COperationEngine::LoadOrders;
  using COperationEngine::LoadOrderTypes;
  using COperationEngine::LoadPositionDetails;
  using COperationEngine::LoadProfitLossOrders;
  using COperationEngine::LoadSpecialOrders;
  using COperationEngine::LoadTradeCodes;
  using COperationEngine::LoadTrades;
  using COperationEngine::OnPushLine;
  using COperationEngine::QueryExercisableQuantity;
  using COperationEngine::QueryExerciseOrder;
  using COperationEngine::QueryFeeRate;
  using COperationEngine::QueryLastPrice;
  using COperationEngine::QueryOptionParams;
  using COperationEngine::QueryOrderRecord;
  using COperationEngine::TableAt;
  using COperationEngine::TakeChangeQueue;
  using COperationEngine::UpsertExercisableQuantity;

 protected:
  bool DownloadAll() override { return false; }
  bool DownloadAfterReconnect() override { return false; }
};

// The rows of a table, each read from its entry.
template <engine::EngineRow Row>
std::vector<Row> Rows(const backend::CxDataSet& table) {
  std::vector<Row> rows;
  for (std::uint32_t index = 0; index < table.GetCount(); ++index) {
    const std::optional<Row> row = engine::RowFromBytes<Row>(table.GetValue(index));
    EXPECT_TRUE(row.has_value()) << "entry " << index;
    if (row) rows.push_back(*row);
  }
  return rows;
}

// An answer of these lines.
inline backend::CxDataSet Answer(std::initializer_list<std::string> lines) {
  backend::CxDataSet answer;
  for (const std::string& line : lines) answer.AddText(line);
  return answer;
}

// A line of fields 1 to `fields.size()`, each followed by "|".
inline std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields) line += field + "|";
  return line;
}

// A data line with fields 1 to `count`: empty but for those given (field
// number, text).
inline std::string DataLine(int count, std::initializer_list<std::pair<int, std::string>> given) {
  std::vector<std::string> fields(static_cast<std::size_t>(count));
  fields[0] = "A";
  for (const auto& [field, text] : given) fields[static_cast<std::size_t>(field) - 1] = text;
  return Line(fields);
}

inline const std::string kStatusLine = "A|||Y|0|";

// One request the engine sent: its slot, single-packet flag and text.
struct SentRequest {
  int slot;
  bool singlePacket;
  std::string text;
};

// Account 8001 (password "secret", trading date 20261210) logged in on
// slot 0 and an engine started for it, whose synchronous sends the test
// answers through `respond`.
class ScriptedEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    backend::AccountKey key;
    std::strcpy(key.customerNo, "8001");
    std::strcpy(key.password, "secret");
    accounts.AddAccount(key);
    // Field 9 of the log-in answer is the trading date.
    accounts.UpdateAccountFromAnswer("8001", "A|||Y|||||20261210|");
    engine::EngineCallbacks callbacks;
    callbacks.sendSync = [this](backend::RequestRecord& record, std::string&) {
      backend::SubRequest& subRequest = *record.At(0);
      sent.push_back({record.connection, subRequest.singlePacket != 0, subRequest.requestText});
      if (respond) {
        for (const std::string& line : respond(subRequest.requestText)) subRequest.answer.AddText(line);
      }
      record.done = record.count;
      return true;
    };
    callbacks.nextSequenceNo = [] { return kSequenceNo; };
    callbacks.tableChanged = [this](const engine::TableChangeRecord& record) { changes.push_back(record); };
    // The download thread logs too.
    callbacks.log = [this](int, const char* text) {
      std::lock_guard guard(logMutex_);
      logLines_.emplace_back(text);
    };
    ASSERT_TRUE(engine.Start({.machineAddress = kMachineAddress,
                              .requestPrefix = "",
                              .applicationTag = "Pellora",
                              .accounts = &accounts,
                              .loginType = backend::kTradingLogin},
                             std::move(callbacks)));
  }

  std::vector<std::string> LogLines() const {
    std::lock_guard guard(logMutex_);
    return logLines_;
  }

  // The answer lines to a request text; none when unset.
  std::function<std::vector<std::string>(const std::string& requestText)> respond;
  std::vector<SentRequest> sent;
  std::vector<engine::TableChangeRecord> changes;
  // Declared before the engine, whose download thread logs until it stops.
  mutable std::mutex logMutex_;
  std::vector<std::string> logLines_;
  backend::AccountTable accounts;
  OpenEngine engine;
};

}  // namespace download_test
