// COperationEngine: the calculation engine as the rest of the terminal sees
// it. Every request of the back-end client's operations passes through it;
// it refuses the account-changing ones while it downloads, applies their
// answers to its tables, sees every asynchronous answer and pushed line on
// the GUI thread first, and closes each drain of the result queue by ending
// a finished download and delivering the held table-change records.
//
// Threads: the GUI thread (requests, the queue hooks, the batch close), the
// order thread (requests), the download thread and the portal library's
// state thread (connection changes). The engine lock is always taken before
// the download lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "backend/account_table.h"
#include "backend/request_record.h"
#include "engine/operation_engine_base.h"
#include "platform/sync.h"
#include "platform/thread.h"

namespace engine {

// Connection states as the portal library reports them.
namespace connection_state {
inline constexpr int kDisconnected = 0;
inline constexpr int kConnected = 1;
// 2 and 3: reconnecting.
}  // namespace connection_state

enum class EngineState : int {
  kReady = 0,
  kReconnectDownload = 1,  // a reconnect download is pending or running
  kInitialDownload = 2,    // an initial download is pending or running
};

enum class DownloadState : int {
  kIdle = 0,
  kScheduled = 1,
  kDone = 2,  // finished, waiting for the batch close on the GUI thread
};

// Sends a request record through the connection layer and waits for it:
// true once the answer is in the record; false with the reason in `error`.
using SyncSendCallback = std::function<bool(backend::RequestRecord& record, std::string& error)>;
// Queues a request record: true once queued, the record taken over (it
// comes back finished through the result queue); false with the reason in
// `error` and the record left with the caller.
using AsyncSendCallback = std::function<bool(backend::RequestPtr& record, std::string& error)>;

// Everything the engine calls, installed by Start.
struct EngineCallbacks {
  SyncSendCallback sendSync;
  AsyncSendCallback sendAsync;
  // Called once the engine has delivered the end of an initial download.
  std::function<void()> downloadDone;
  LogCallback log;
  SequenceNumberCallback nextSequenceNo;
  ConnectionStateCallback connectionState;
  TableChangeCallback tableChanged;
  // The quote table's price of a contract, for the price lookups.
  QuoteLastPriceCallback quoteLastPrice;
};

// What the engine takes from the log-in at its start.
struct EngineLogin {
  // The local machine (network card) address, field 2 of every request.
  std::string_view machineAddress{};
  // The back-end client's leading request text and the application tag, the
  // first two parameters of every request.
  std::string_view requestPrefix{};
  std::string_view applicationTag{};
  // The logged-in accounts; read, never changed, by the engine. It must
  // outlive the engine's use of it.
  const backend::AccountTable* accounts = nullptr;
  // backend::kTradingLogin or backend::kManagementLogin.
  int loginType = backend::kTradingLogin;
};

// The busy guard's messages.
inline constexpr std::string_view kReconnectBusyText = "计算引擎正在处理断线重连。";
inline constexpr std::string_view kInitialDownloadBusyText = "计算引擎正在处理初始化下载数据。";

class COperationEngine : public COperationEngineBase {
 public:
  // The longest customer number the answer updates are given.
  static constexpr std::size_t kCustomerLength = 31;

  COperationEngine();
  ~COperationEngine() override;

  // --- Lifecycle
  // Called once on the GUI thread after the first log-in: installs the
  // callbacks, serves the account of slot 0 (slot 1 after a management
  // log-in), resets the tables and starts the download thread, which then
  // runs the initial download. False, with the download thread not running,
  // when the thread cannot be started.
  bool Start(const EngineLogin& login, EngineCallbacks callbacks);
  // Serves no connection any more and stops the download thread.
  void Stop();

  EngineState GetEngineState() const { return engineState_.load(); }
  DownloadState GetDownloadState() const { return downloadState_.load(); }

  // --- Requests
  // True when the engine is ready; otherwise false with the busy message in
  // `error`.
  bool CheckBusy(std::string& error) const;
  // Sends a request synchronously on the caller's thread and applies the
  // answers of the account-changing ones, holding their change records for
  // the next batch close. The fee-rate query 5016 is answered locally.
  bool SendRequest(backend::RequestRecord& record, std::string& error);
  // Sends a request asynchronously: 1 answered locally (the record stays
  // with the caller, who queues it as answered), 0 sent (the record is taken
  // over), -1 refused or failed (the record stays with the caller).
  int SendRequestAsync(backend::RequestPtr& record, std::string& error);
  // The send callbacks, with the failure logged; "计算前移未初始化！" when a
  // callback is missing.
  bool SendSync(backend::RequestRecord& record, std::string& error);
  bool SendAsync(backend::RequestPtr& record, std::string& error);
  // SendSync, then true only when the record's first answer passes the
  // answer check. The engine's own requests go this way, past the guard.
  bool SendSyncChecked(backend::RequestRecord& record, std::string& error);

  // --- GUI-thread hooks of the result-queue pump
  // Applies a finished asynchronous answer of an account-changing request
  // while the engine is ready, delivering its records at once.
  void OnAsyncAnswer(const backend::RequestRecord& record);
  // Hands the pushed lines of a push item, in order, to the push dispatcher
  // while the engine is ready.
  // While it downloads, every push that the dispatcher applies to the
  // tables is held, and applied in the order they came once the download
  // has ended: a download that asked for a table before such a change would
  // otherwise never learn of it, and a question would never be answered.
  void OnPushData(const backend::RequestRecord& record);
  // The same for one line of a push item whose push code the caller has
  // read already.
  void OnPushData(std::string_view line, std::optional<int> pushCode);
  static constexpr std::size_t kMaxPushesHeldForDownload = 4096;
  // Closes a drain of the result queue: ends a finished download with its
  // reload records, then delivers the held records and, after a download,
  // applies the pushes held while it ran. Skips its turn when another
  // thread holds the engine lock.
  void OnPushBatchDone();

  // --- Other entries
  // The portal library's connection-state callback, on its own thread.
  void OnConnectionState(int state, int flag, int connection);
  // Schedules a full download when the engine is ready and none is
  // scheduled.
  void RequestFullDownload();
  // Hands a record to the GUI when no download is scheduled or waiting to
  // be closed; a record raised off the GUI thread is held for the next batch
  // close instead.
  void NotifyTableChange(const TableChangeRecord& record) override;

  // --- Table copies and conditional queries, refused with the busy
  // message while the engine downloads.
  bool GetTableCopy(int tableId, backend::CxDataSet& copy, std::string& error) override;
  bool ReadTable(int tableId, const RowVisitor& visit, std::string& error) override;
  bool QueryTableByCondition(EngineQueryRecord& query, std::string& error) const;
  // The conditional query without the busy guard, for callers that have
  // decided themselves what a busy engine answers.
  bool QueryTableByConditionUnguarded(EngineQueryRecord& query, std::string& error) const;

  // --- Order quantities, refused while the engine downloads.
  bool GetPositionQuantities(QuantityRecord& record, bool volumesOnly, std::string& error) override;
  bool GetCombinationQuantities(const CombinationQuantityQuery& query, CombinationQuantities& quantities,
                                std::string& error) override;

  // --- Trades into positions: a close that finds no position to take its
  // lots from has the engine download the account again.
  void OnPositionsOutOfStep() override;

  // --- Special, stored, profit/loss and condition orders: the answers to
  // the back end's questions go out through SendSyncChecked.
  bool SendEngineRequest(backend::RequestRecord& record, std::string& error) override;

 protected:
  // Routes one pushed line by its push code, read from the line or as the
  // caller read it.
  void OnPushLine(std::string_view line);
  virtual void OnPushLine(std::string_view line, std::optional<int> pushCode);
  // The downloads, run on the download thread; true when every required
  // step succeeded.
  virtual bool DownloadAll();
  virtual bool DownloadAfterReconnect();

  // Stops the download thread; a class that overrides the downloads stops
  // it before it goes.
  void StopDownloadThread();
  // Stores the download state under the download lock.
  void SetDownloadState(DownloadState state);

  // --- Engine requests and single-row queries.
  //
  // Sends one of the engine's own requests (built by the base's builders)
  // past the busy guard and takes its answer lines into `answer`. False, with
  // the reason in `error`, when there is no record, the send fails or the
  // answer is refused; a failed build or send is logged already.
  bool AskBackEnd(backend::RequestPtr record, backend::CxDataSet& answer, std::string& error);
  // The key of a logged-in account; false, logged under the request's
  // title, when no account of that customer number is logged in.
  bool AccountKeyFor(std::string_view customer, std::string_view title, backend::AccountKey& key) const;
  // Each asks the back end for one row of `customer` (last prices: of the
  // contracts listed) and is false when the request fails or the answer lacks
  // the row.
  bool QueryFeeRate(std::string_view exchangeCode, std::string_view seatCode, std::string_view contractCode,
                    std::string_view customer, FeeRateRow& row) override;
  bool QueryOptionParams(std::string_view exchangeCode, std::string_view optionKind, std::string_view contractCode,
                         std::string_view customer, OptionParamsRow& row) override;
  // Lists of any length go out in as many requests as they need; the prices
  // come back in list order, one ";"-terminated item per contract.
  bool QueryLastPrice(std::string_view contracts, std::string& lastPrices) override;
  bool QueryOrderRecord(const OrderSelectors& order, std::string_view customer, TableChangeRecord& record) override;
  bool QueryExerciseOrder(const OrderSelectors& application, std::string_view customer,
                          TableChangeRecord& record) override;
  bool QueryExercisableQuantity(ExercisableQuantityRow& row, std::string_view customer,
                                const ExercisableSelectors& position) override;
  void UpsertExercisableQuantity(const PositionSummaryRow* position) override;

  // --- The steps of the initial and the reconnect download (downloads.cpp).
  // Each step logs its text, asks the back end and loads the answer; a step
  // that fails ends its download, which the download thread runs again. A
  // download stops at its next step when the engine stops, and fails when a
  // connection it uses dropped since it began, so that no download ends with
  // tables loaded partly before and partly after a gap.
  enum class DownloadKind { kInitial, kReconnect };
  // Whether a step's failure ends the download. An optional step is passed
  // over when the back end refuses it, but not when the connection fails.
  enum class StepNeed { kRequired, kOptional };
  // One step: its log line, the request it makes and the load of the answer,
  // which is false when the answer is not what the step needs; or, for an
  // answer of many rows, the loader that takes each row as the transport
  // receives it.
  struct StepPlan {
    std::string text;
    std::function<backend::RequestPtr()> makeRequest;
    std::function<bool(const backend::CxDataSetView& answer)> load;
    StepNeed need = StepNeed::kRequired;
    std::optional<DownloadRowLoader> rows = std::nullopt;
  };
  bool DownloadStep(const StepPlan& step);
  // The steps in order, up to the first that fails.
  bool DownloadSteps(std::span<const StepPlan> steps);
  // Every download begins here: from now on a connection loss counts
  // against it.
  void BeginDownload() { downloadLosses_ = connectionLosses_.load(); }
  // The engine stops (it serves no connection, or its thread is asked to
  // stop), or a connection dropped since BeginDownload.
  bool DownloadInterrupted();
  // Empties what both downloads load again; an initial download also the
  // tables loaded per account.
  void EmptyDownloadTables(DownloadKind kind);
  // The trading day, the exchange seats with their parameters, the close
  // strategies and the order types.
  bool DownloadReferenceTables();
  // From the cache file of the trading day, else from the back end.
  bool DownloadContracts();
  // Every logged-in trading account: after a management log-in the accounts
  // after the first, which is the management account itself.
  bool DownloadAccounts(DownloadKind kind);
  bool DownloadAccount(const backend::AccountKey& key, DownloadKind kind);
  // The positions as downloaded become the current ones again.
  void RestoreDownloadedPositions();
  // A connection the downloads use left the connected state.
  void NoteConnectionLoss();
  // Marks the download that ran as done, unless a connection dropped while
  // it ran or another download was asked for meanwhile.
  void CompleteDownload(EngineState ran);

  // Connection losses so far, and their count when the running download
  // began (the downloading thread's own).
  std::atomic<unsigned> connectionLosses_{0};
  unsigned downloadLosses_ = 0;
  // Who logged in: backend::kTradingLogin or backend::kManagementLogin.
  std::atomic<int> loginType_{backend::kTradingLogin};

 private:
  bool StartDownloadThread();
  void RunDownloadThread(platform::Event& stop);
  void RunDownloadStep(bool idleTick);

  // The pushes applied to the tables, each with its handler (push_dispatch.cpp).
  struct PushRoute;
  static const PushRoute* FindPushRoute(int code);
  // Applies a pushed line while the engine is ready; a push applied to the
  // tables that comes while it downloads is held.
  void ApplyOrHoldPush(std::string_view line, std::optional<int> pushCode);
  // The pushes held while a download runs (GUI thread only), in the order
  // they came, at most kMaxPushesHeldForDownload; beyond that the account
  // is downloaded again once this download has ended.
  void HoldPushForDownload(const PushRoute& route, std::string_view line);
  void ReplayPushesHeldForDownload();
  struct HeldPush {
    const PushRoute* route;
    std::string line;
  };
  std::vector<HeldPush> pushesHeldForDownload_;
  bool pushesHeldOverflowed_ = false;
  // Held while a push or an answer is applied and while a download empties
  // the tables it loads, so that neither lands in the middle of the other:
  // a push that lets the engine lock go to fetch its order would otherwise
  // add rows the download then loads again. Taken before the engine lock.
  std::mutex applyLock_;

  void AnswerFeeRateLocally(backend::RequestRecord& record);
  // The table from function number to the update of the engine's tables
  // that its answers get; null for a number whose answers change none.
  struct AnswerRoute;
  static const AnswerRoute* FindAnswerRoute(int functionNo);
  // Tests every answered sub-request of a request and applies it by its
  // route.
  void ApplyAnswers(const backend::RequestRecord& record, const AnswerRoute& route, bool deliverAtOnce);
  // One send callback's call, its failure logged.
  template <typename Callback, typename Record>
  bool Send(const Callback& send, Record& record, std::string& error);
  // The customer number of the account on a connection slot, cut to 31
  // bytes; empty when none is logged in there.
  std::string CustomerOfSlot(int slot) const;

  std::atomic<int> connectionState_{connection_state::kDisconnected};
  std::atomic<int> connectionFlag_{0};
  std::atomic<EngineState> engineState_{EngineState::kInitialDownload};

  // The download thread and the states it shares; the download lock guards
  // the transitions of both states.
  platform::CriticalSection downloadLock_;
  platform::Event workEvent_{platform::ResetMode::kManual};
  platform::WorkerThread downloadThread_;
  std::atomic<DownloadState> downloadState_{DownloadState::kIdle};

  SyncSendCallback sendSync_;
  AsyncSendCallback sendAsync_;
  std::function<void()> downloadDone_;
  std::atomic<const backend::AccountTable*> accounts_{nullptr};
};

}  // namespace engine
