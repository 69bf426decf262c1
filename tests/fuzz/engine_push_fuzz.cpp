// Pushed lines of any function number (order state 15002, cancel 15004,
// trade 15005, special orders 15008 and 15009, exercise orders...) given to
// a started engine loaded with an account's contracts, orders, trades and
// positions. After each input every table must still hold well-formed rows
// of its kind; the sanitizers watch for the rest.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "backend/account_table.h"
#include "backend/exercise_order_row.h"
#include "backend/request_record.h"
#include "engine/reference_rows.h"
#include "engine/stored_order_row.h"
#include "engine/table_catalogue.h"
#include "engine/testing/answers.h"
#include "engine/testing/open_engine.h"
#include "engine/testing/started_engine.h"
#include "engine/trading_rows.h"
#include "fuzz_support.h"

namespace {

using engine::Table;
using engine_testing::Answer;
using engine_testing::DataLine;
using engine_testing::kStatusLine;

// Lines of one input given to the engine; more add little but time.
constexpr int kMaxPushLines = 32;

class PushedEngine : public engine_testing::OpenEngine {
 public:
  // The tables as a download of account 8001 leaves them: two contracts, an
  // open order and an open special order (order 00321 on seat D01, strategy DS), a trade
  // and a position; and the engine ready, also when the input before asked
  // for a download again. The end of a download applies the pushes held
  // while it ran, and one of them may ask for a download again: each end
  // uses up at least one held push, so a few ends see them all.
  void Load() {
    for (int end = 0; end <= kMaxPushLines; ++end) {
      SetDownloadState(engine::DownloadState::kDone);
      OnPushBatchDone();
      if (GetEngineState() == engine::EngineState::kReady) break;
    }
    fuzz::Check(GetEngineState() == engine::EngineState::kReady, "the engine is ready");
    {
      std::lock_guard guard(lock_);
      ResetTables();
    }
    LoadContracts(Answer({kStatusLine, DataLine(24, {{4, "F1"}, {6, "cu2609"}, {22, "0"}}),
                          DataLine(24, {{4, "F1"}, {6, "m2609-C-3000"}, {22, "1"}})})
                      .View());
    LoadFunds(Answer({kStatusLine, DataLine(30, {{2, "8001"}, {5, "100000.00"}})}).View(), "8001", false);
    const backend::CxDataSet orders =
        Answer({kStatusLine, DataLine(57, {{5, "12"}, {6, "F1"}, {7, "cu2609"}, {48, "1.00"}}),
                DataLine(57, {{5, "00321"},
                              {6, "D"},
                              {9, "a"},
                              {12, "0"},
                              {29, "3"},
                              {32, "D01"},
                              {34, "DS"},
                              {48, "1000"},
                              {49, "800"},
                              {52, "3"},
                              {53, "3"}})});
    LoadOrders("8001", orders.View());
    LoadSpecialOrders("8001", orders.View());
    LoadTrades("8001", Answer({kStatusLine, DataLine(24, {{20, "1"}})}).View());
    LoadPositionDetails(Answer({kStatusLine, DataLine(25, {{8, "8001"}, {25, "cu2609"}})}).View());
  }
};

// The row size of each table that holds rows of one kind.
struct TableRows {
  Table table;
  std::size_t rowSize;
};
constexpr TableRows kTableRows[] = {
    {Table::kFunds, sizeof(engine::FundRow)},
    {Table::kContracts, sizeof(engine::ContractRow)},
    {Table::kOrders, sizeof(engine::OrderRow)},
    {Table::kSpecialOrders, sizeof(engine::SpecialOrderRow)},
    {Table::kTrades, sizeof(engine::TradeRow)},
    {Table::kPositionSummary, sizeof(engine::PositionSummaryRow)},
    {Table::kPositionDetails, sizeof(engine::PositionDetailRow)},
    {Table::kDownloadedPositionDetails, sizeof(engine::PositionDetailRow)},
    {Table::kCombinationDetails, sizeof(engine::CombinationDetailRow)},
    {Table::kDownloadedCombinationDetails, sizeof(engine::CombinationDetailRow)},
    {Table::kPriceContracts, sizeof(engine::PriceContractRow)},
    {Table::kStoredOrders, sizeof(engine::StoredOrderRow)},
    {Table::kConditionOrders, sizeof(engine::ConditionOrderRow)},
    {Table::kProfitLossOrders, sizeof(engine::ProfitLossOrderRow)},
    {Table::kExercisableQuantities, sizeof(engine::ExercisableQuantityRow)},
    {Table::kExerciseOrders, sizeof(backend::ExerciseOrderRow)},
};

void CheckTables(PushedEngine& engine) {
  std::lock_guard guard(engine.lock_);
  for (const TableRows& rows : kTableRows) {
    const engine::EngineTable& table = engine.TableAt(rows.table);
    for (std::uint32_t index = 0; index < table.GetCount(); ++index) {
      const std::span<const std::uint8_t> row = table.GetValue(index);
      fuzz::Check(row.data() != nullptr && row.size() == rows.rowSize, "every row of a table is a whole row");
    }
  }
}

// The engine lives for the whole run: starting one per input would spend
// the run on threads. Each input starts from the same loaded tables.
struct Fixture {
  Fixture() {
    engine_testing::LogIn(accounts, {.loginAnswer = "A|||Y|||||20261210|"});
    engine::EngineCallbacks callbacks;
    // The back end knows no order it is asked about.
    callbacks.sendSync = [](backend::RequestRecord& record, std::string&) {
      record.done = record.count;
      return true;
    };
    fuzz::Check(engine_testing::StartEngine(engine, accounts, backend::kTradingLogin, std::move(callbacks)),
                "the engine starts");
    // The download thread stops, so that every input runs on this thread
    // alone and the same input always does the same; each input ends the
    // download itself (Load).
    engine.StopDownloadThread();
  }

  backend::AccountTable accounts;
  PushedEngine engine;
};

void Push(PushedEngine& engine, std::string_view line) {
  backend::RequestPtr record = backend::CreateRequest("", 0, 0, backend::kPushHandlerTag, 1);
  record->At(0)->answer.AddText(line);
  engine.OnPushData(*record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture* fixture = new Fixture;  // lives to the end of the run
  PushedEngine& engine = fixture->engine;
  engine.Load();
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  for (int line = 0; line < kMaxPushLines && !rest.empty(); ++line) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    Push(engine, rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  engine.OnPushBatchDone();
  CheckTables(engine);
  return 0;
}
