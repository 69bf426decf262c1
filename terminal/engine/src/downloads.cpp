// The engine's downloads, run on the download thread: the initial download
// (the trading day, the reference tables, the contracts and every account's
// business of the day) and the shorter download after a reconnect (the
// accounts' funds, orders and trades, over the positions kept from the
// initial download).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "download_rows.h"
#include "engine/contract_cache.h"
#include "engine/operation_engine.h"
#include "platform/format.h"
#include "typed_rows.h"

namespace engine {
namespace {

using backend::AccountKey;
using backend::CxDataSetView;

// The system date's status line carries the trading day.
constexpr int kTradingDayField = 5;
// The trading parameters' rows: key (a seat code), name, value.
constexpr std::string_view kFloatingProfitParameter = "ACCFRZ";
constexpr std::string_view kFloatingProfitCounts = "T0";
constexpr std::string_view kExerciseInstructionParameter = "ZXZL";
constexpr int kParameterKeyField = 4;
constexpr int kParameterValueField = 6;

std::string CustomerOf(const AccountKey& key) {
  return std::string(key.customerNo, strnlen(key.customerNo, sizeof key.customerNo));
}

// A load that takes any answer.
template <typename Load>
std::function<bool(const CxDataSetView&)> Taking(Load load) {
  return [load](const CxDataSetView& answer) {
    load(answer);
    return true;
  };
}

// Hands the rows of an answer to their loader as the transport receives
// them, on its thread.
class StreamedRows final : public backend::AnswerRowSink {
 public:
  explicit StreamedRows(const DownloadRowLoader& loader) : loader_(loader) {}

  void ExpectRows(int, std::size_t rows) override { loader_.reserve(rows); }
  void TakeRow(int, std::string_view row) override { download_rows::ForDataLine(row, loader_.line); }

 private:
  const DownloadRowLoader& loader_;
};

}  // namespace

bool COperationEngine::DownloadAll() {
  BeginDownload();
  WriteLog("初始化下载。", 3);
  EmptyDownloadTables(DownloadKind::kInitial);
  if (!DownloadReferenceTables() || !DownloadContracts() || !DownloadAccounts(DownloadKind::kInitial)) return false;
  Recalculate();
  BuildRowIndexes();
  WriteLog("初始化下载完成。", 3);
  return true;
}

bool COperationEngine::DownloadAfterReconnect() {
  BeginDownload();
  WriteLog("断线重连处理。", 1);
  EmptyDownloadTables(DownloadKind::kReconnect);
  if (!DownloadAccounts(DownloadKind::kReconnect)) return false;
  RestoreDownloadedPositions();
  Recalculate();
  BuildRowIndexes();
  WriteLog("断线重连处理完成。", 1);
  return true;
}

bool COperationEngine::DownloadStep(const StepPlan& step) {
  if (DownloadInterrupted()) return false;
  WriteLog(step.text.c_str(), 1);
  const bool optional = step.need == StepNeed::kOptional;
  // A request that cannot be made, and a failed send, are logged where they
  // fail.
  backend::RequestPtr record = step.makeRequest();
  if (!record) return optional;
  // Rows loaded before the step fails are emptied with the tables when the
  // download runs again.
  std::optional<StreamedRows> streamed;
  if (step.rows) record->rowSink = &streamed.emplace(*step.rows);
  std::string error;
  if (!SendSync(*record, error)) return false;
  if (record->errorFlag != 0) {
    WriteLog(record->errorText.c_str(), 1);
    return false;
  }
  if (backend::CheckReplyResult(0, error, record.get()) != 0) {
    WriteLog(error.c_str(), 1);
    return optional;
  }
  // An answer that came after a gap in the connection is not loaded.
  if (DownloadInterrupted()) return false;
  const CxDataSetView answer = record->At(0)->answer.View();
  if (!step.rows) return step.load(answer);
  // A transport that kept the rows in the answer hands them over here.
  LoadAnswer(*step.rows, answer);
  return true;
}

bool COperationEngine::DownloadSteps(std::span<const StepPlan> steps) {
  return std::ranges::all_of(steps, [this](const StepPlan& step) { return DownloadStep(step); });
}

bool COperationEngine::DownloadInterrupted() {
  return downloadThread_.StopEvent().IsSet() || ConnectionIndex() < 0 || connectionLosses_.load() != downloadLosses_;
}

void COperationEngine::EmptyDownloadTables(DownloadKind kind) {
  // A push or answer being applied ends first; those after it wait for the
  // download (the engine is no longer ready).
  std::lock_guard applying(applyLock_);
  std::lock_guard guard(lock_);
  for (const Table table : {Table::kFunds, Table::kOrders, Table::kSpecialOrders, Table::kTrades, Table::kChangeQueue,
                            Table::kExercisableQuantities, Table::kExerciseOrders}) {
    TableAt(table).Clear();
  }
  ForgetRowIndexes();
  // Loaded once per account, so emptied once before the first.
  if (kind == DownloadKind::kInitial) ClearPerAccountDownloadTables();
}

bool COperationEngine::DownloadReferenceTables() {
  // An answer cut before its trading day leaves the day the engine holds:
  // without one, no trade, position or cache would be dated.
  const auto storeTradingDay = [this](const CxDataSetView& answer) {
    const LineFields line(AnswerLineAt(answer, 0));
    if (line.Trimmed(kTradingDayField).empty()) {
      WriteLog("系统日期应答缺少交易日，仍用原交易日。", 1);
      return;
    }
    std::lock_guard guard(lock_);
    LoginTexts texts = GetLoginTexts();
    texts.tradingDate = line.Field(kTradingDayField);
    SetLoginTexts(std::move(texts));
  };
  // The one parameter row is required.
  const auto storeFloatingProfitFlag = [this](const CxDataSetView& answer) {
    if (answer.GetCount() < 2) return false;
    SetFloatingProfitCounts(LineFields(AnswerLineAt(answer, 1)).Trimmed(kParameterValueField) == kFloatingProfitCounts);
    return true;
  };
  // Each row names a seat and the option instructions it takes.
  const auto storeExerciseInstructions = [this](const CxDataSetView& answer) {
    std::lock_guard guard(lock_);
    EngineTable& seats = TableAt(Table::kExchangeSeats);
    download_rows::ForEachDataLine(answer, [&](const LineFields& line) {
      for (std::uint32_t index = 0; index < seats.GetCount(); ++index) {
        std::optional<ExchangeSeatRow> seat = typed_rows::RowAt<ExchangeSeatRow>(seats, index);
        if (!seat || Text(seat->szSeatCode) != line.Trimmed(kParameterKeyField)) continue;
        SetText(seat->szExerciseInstruction, line.Trimmed(kParameterValueField));
        typed_rows::StoreRow(seats, index, *seat);
        break;
      }
    });
  };
  const StepPlan steps[] = {
      {"下载系统日期。", [this] { return BuildSystemDateRequest(); }, Taking(storeTradingDay)},
      {"下载交易所席位信息。", [this] { return BuildExchangeSeatRequest(); },
       Taking([this](const CxDataSetView& answer) { LoadExchangeSeats(answer); })},
      {"下载交易参数-浮动盈利是否记入交易可用。",
       [this] { return BuildTradingParameterRequest(kFloatingProfitParameter); }, storeFloatingProfitFlag},
      {"下载交易参数- 交易所是否支持执行或放弃指令",
       [this] { return BuildTradingParameterRequest(kExerciseInstructionParameter); },
       Taking(storeExerciseInstructions)},
      {"下载平仓策略。", [this] { return BuildCloseStrategyRequest(); },
       Taking([this](const CxDataSetView& answer) { LoadCloseStrategies(answer); })},
      {"下载定单类型。", [this] { return BuildOrderTypeRequest(); },
       Taking([this](const CxDataSetView& answer) { LoadOrderTypes(answer); })},
  };
  return DownloadSteps(steps);
}

bool COperationEngine::DownloadContracts() {
  const std::string path = ContractCachePath();
  const LoginTexts texts = GetLoginTexts();
  const ContractCacheKey key{texts.tradingDate, texts.contractCacheTag};
  const std::string text = "下载合约。";
  if (const std::optional<backend::CxDataSet> cached = ReadContractCache(path, key)) {
    if (DownloadInterrupted()) return false;
    WriteLog(text.c_str(), 1);
    LoadContracts(cached->View());
    return true;
  }
  return DownloadStep({text, [this] { return BuildContractRequest(); }, Taking([&](const CxDataSetView& answer) {
                         LoadContracts(answer);
                         // A file that cannot be written costs the next log-in
                         // the contracts' answer, nothing more.
                         WriteContractCache(path, key, answer);
                       })});
}

bool COperationEngine::DownloadAccounts(DownloadKind kind) {
  const backend::AccountTable* accounts = accounts_.load();
  if (accounts == nullptr) return true;
  const std::size_t first = loginType_.load() == backend::kManagementLogin ? 1 : 0;
  for (std::size_t index = first; index < accounts->Count(); ++index) {
    if (!DownloadAccount(accounts->At(index).key, kind)) return false;
  }
  return true;
}

bool COperationEngine::DownloadAccount(const AccountKey& key, DownloadKind kind) {
  const std::string customer = CustomerOf(key);
  const bool initial = kind == DownloadKind::kInitial;
  // The reconnect download loads "again" ("重新") and leaves out the trade
  // codes and the positions, which it keeps.
  const auto text = [&](const char* format) {
    return (initial ? "" : "重新") + platform::Format(format, customer.c_str());
  };
  struct AccountStep {
    bool initialOnly;
    StepPlan plan;
  };
  const auto streaming = [&](const char* format, std::function<backend::RequestPtr()> makeRequest,
                             DownloadRowLoader loader) {
    return StepPlan{text(format), std::move(makeRequest), nullptr, StepNeed::kRequired, std::move(loader)};
  };
  const AccountStep steps[] = {
      {true, streaming(
                 "下载交易编码:%s。", [&] { return BuildTradeCodeRequest(key); }, TradeCodeLoader())},
      {false, {text("下载资金:%s。"), [&] { return BuildFundRequest(key); }, Taking([&](const CxDataSetView& answer) {
                 LoadFunds(answer, customer, initial);
               })}},
      {false, streaming(
                  "下载综合委托:%s。", [&] { return BuildOrderRequest(key); }, OrderLoader(customer))},
      {false,
       {text("下载期权执行/放弃委托:%s。"), [&] { return BuildExerciseOrderRequest(key); },
        Taking([this](const CxDataSetView& answer) { LoadExerciseOrders(answer); }), StepNeed::kOptional}},
      {true, streaming(
                 "下载昨日持仓明细:%s。", [&] { return BuildPositionDetailRequest(key); }, PositionDetailLoader())},
      {true,
       streaming(
           "下载昨日组合持仓明细:%s。", [&] { return BuildCombinationDetailRequest(key); }, CombinationDetailLoader())},
      {false, streaming(
                  "下载成交明细:%s。", [&] { return BuildTradeRequest(key); }, TradeLoader(customer))},
  };
  std::vector<StepPlan> plans;
  for (const AccountStep& step : steps) {
    if (initial || !step.initialOnly) plans.push_back(step.plan);
  }
  return DownloadSteps(plans);
}

void COperationEngine::RestoreDownloadedPositions() {
  std::lock_guard guard(lock_);
  TableAt(Table::kPositionSummary).Clear();
  TableAt(Table::kPositionDetails) = TableAt(Table::kDownloadedPositionDetails).Copy();
  TableAt(Table::kCombinationDetails) = TableAt(Table::kDownloadedCombinationDetails).Copy();
  ForgetRowIndexes();
}

void COperationEngine::NoteConnectionLoss() {
  std::lock_guard downloadLock(downloadLock_);
  ++connectionLosses_;
  // A download that finished but was not closed yet is out of date: it runs
  // again once the connection is back.
  if (downloadState_.load() == DownloadState::kDone) downloadState_.store(DownloadState::kScheduled);
}

void COperationEngine::CompleteDownload(EngineState ran) {
  std::lock_guard downloadLock(downloadLock_);
  if (connectionLosses_.load() != downloadLosses_ || engineState_.load() != ran ||
      downloadState_.load() == DownloadState::kDone) {
    return;
  }
  downloadState_.store(DownloadState::kDone);
}

}  // namespace engine
