// COperationEngineBase: the calculation engine's tables, its lock, the texts
// of the log-in, the change queue and the callbacks through which the engine
// logs and tells the GUI of changes. COperationEngine (operation_engine.h)
// adds the states, the download thread and the request hooks.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "backend/cx_data_set.h"
#include "engine/engine_query.h"
#include "engine/reference_rows.h"
#include "engine/table_catalogue.h"
#include "engine/table_change_record.h"
#include "platform/sync.h"

namespace engine {

// Writes one line to the program log at a level (1 events and failures, 3
// user-visible steps).
using LogCallback = std::function<void(int level, const char* text)>;
// Tells the GUI of a connection's new state and its state before.
using ConnectionStateCallback = std::function<void(int connection, int flag, int state)>;
// Hands one table-change record to the GUI, which does not keep it.
using TableChangeCallback = std::function<void(const TableChangeRecord& record)>;
// The next request sequence number.
using SequenceNumberCallback = std::function<int()>;
// The last price of a contract from the quote table, or asked from the back
// end when the table lacks it; false when neither has it.
using QuoteLastPriceCallback =
    std::function<bool(std::string_view exchangeCode, std::string_view contractCode, double& lastPrice)>;

class COperationEngineBase {
 public:
  // Widths of the engine's texts, terminating zero included.
  static constexpr std::size_t kMachineAddressSize = 50;
  static constexpr std::size_t kTradingDateSize = 50;
  static constexpr std::size_t kContractCacheTagSize = 256;
  static constexpr std::size_t kRequestTextSize = 50;
  // A log line: "计算引擎：" and the text in 1024 bytes.
  static constexpr std::size_t kLogLineSize = 1024;

  COperationEngineBase();
  virtual ~COperationEngineBase();
  COperationEngineBase(const COperationEngineBase&) = delete;
  COperationEngineBase& operator=(const COperationEngineBase&) = delete;

  // Writes "计算引擎：<text>" through the log callback; nothing without a
  // callback or a text. A text too long for the line is cut on a character
  // boundary.
  void WriteLog(const char* text, int level) const;

  // Hands a record to the GUI now (or holds it where it cannot be handed
  // over now).
  virtual void NotifyTableChange(const TableChangeRecord& record) = 0;

  // The connection slot whose account the engine serves; -1 for none.
  int ConnectionIndex() const { return connectionIndex_.load(); }
  // The slot of the quote gateway connection; -1 for none.
  int QuoteConnectionIndex() const { return quoteConnectionIndex_.load(); }
  void SetQuoteConnectionIndex(int index) { quoteConnectionIndex_.store(index); }

  // The texts of the log-in that every request of the engine carries, and
  // the account's trading date and contract-cache tag.
  struct LoginTexts {
    std::string machineAddress{};
    std::string requestPrefix{};
    std::string applicationTag{};
    std::string customerNumber{};
    std::string password{};
    std::string tradingDate{};
    std::string contractCacheTag{};
  };

  // A copy of the texts, taken under the engine lock.
  LoginTexts GetLoginTexts() const;

  // Copies into `contract` the first contract row whose exchange code and
  // contract code equal the two texts byte for byte; false, with `contract`
  // unchanged, when there is none. Takes the engine lock.
  bool FindContract(std::string_view exchangeCode, std::string_view contractCode, ContractRow& contract) const;

  // --- Table copies and conditional queries, each taken under the engine
  // lock and handed to the caller to keep.
  // A copy of the table of a GUI table id; a table never filled gives an
  // empty list. False with "指定的表号不存在！" for an id that names no table.
  virtual bool GetTableCopy(int tableId, backend::CxDataSet& copy, std::string& error);
  // Stores in the query's result the rows of its table whose keys all match,
  // in table order, each at the table's row size; true also when none
  // matched. False with "不支持该表的条件查询！" for a table the query does
  // not serve.
  bool QueryTableByCondition(EngineQueryRecord& query, std::string& error) const;

 protected:
  // What the engine calls back; installed once, at start.
  struct BaseCallbacks {
    LogCallback log;
    SequenceNumberCallback nextSequenceNo;
    ConnectionStateCallback connectionState;
    TableChangeCallback tableChanged;
    QuoteLastPriceCallback quoteLastPrice;
  };
  void InstallBaseCallbacks(BaseCallbacks callbacks) { callbacks_ = std::move(callbacks); }
  const BaseCallbacks& Callbacks() const { return callbacks_; }
  // Stores the texts, each cut to its field.
  void SetLoginTexts(LoginTexts texts);
  void SetConnectionIndex(int index) { connectionIndex_.store(index); }
  // Marks the calling thread as the GUI thread.
  void BindGuiThread() { guiThread_.store(std::this_thread::get_id()); }
  bool OnGuiThread() const { return guiThread_.load() == std::this_thread::get_id(); }

  // Empties every table except the trade codes, which outlive a new start.
  void ResetTables();

  // A stored table; the engine lock guards it.
  backend::CxDataSet& TableAt(Table table) { return tables_[static_cast<std::size_t>(table)]; }
  const backend::CxDataSet& TableAt(Table table) const { return tables_[static_cast<std::size_t>(table)]; }

  // The delivery rule of every record the engine raises: at once through
  // NotifyTableChange, or held in the change queue until the next batch
  // close on the GUI thread.
  void RaiseChange(const TableChangeRecord& record, bool deliverAtOnce);
  // Queues a connection-state record for `connection`; a record of that
  // connection already waiting in the queue only takes the new state (it
  // keeps the flag it was queued with).
  void QueueConnectionState(int state, int connection, int flag);
  // Appends a record to the change queue (the record is lost when memory
  // runs out).
  void AppendToChangeQueue(const TableChangeRecord& record);
  // Empties the change queue and returns its records in queue order, each
  // held row of a keyed table refreshed from that row's current content.
  std::vector<TableChangeRecord> TakeChangeQueue();
  // Delivers taken records: connection states to the connection-state
  // callback, every other record through NotifyTableChange. Called on the GUI
  // thread without the engine lock.
  void DeliverChangeRecords(std::span<const TableChangeRecord> records);

  // --- Answers that change the account, applied under the engine lock. The
  // customer is that of the account on the request's connection slot; the
  // answer is lent. With `deliverAtOnce` the records go to the GUI at once,
  // else to the change queue.
  virtual void ApplyFundAnswer(std::string_view customer, const backend::CxDataSetView& answer,
                               bool deliverAtOnce);
  virtual void ApplyOrderAnswer(std::string_view customer, const backend::CxDataSetView& answer,
                                bool deliverAtOnce);
  virtual void ApplyCancelAnswer(std::string_view customer, const backend::CxDataSetView& answer,
                                 bool deliverAtOnce);
  virtual void OnExerciseOrderAnswer(std::string_view customer, const backend::CxDataSetView& answer,
                                     bool deliverAtOnce);
  virtual void OnExerciseCancelAnswer(std::string_view customer, const backend::CxDataSetView& answer,
                                      bool deliverAtOnce);
  virtual void ApplySpecialOrderAnswer(std::string_view customer, const backend::CxDataSetView& answer,
                                       bool deliverAtOnce);
  virtual void ApplySpecialCancelAnswer(std::string_view customer, const backend::CxDataSetView& answer,
                                        bool deliverAtOnce);
  // The stored-order change of 5460 takes the fields of its request text.
  virtual void ApplyStoredOrderChange(std::string_view customer, std::span<const std::string> requestFields);
  virtual void ApplyStoredOrderAdd(std::string_view customer, const backend::CxDataSetView& answer);
  virtual void ApplyStoredOrderDelete(std::string_view customer, std::string_view storedOrderNo);
  virtual void ApplyStoredOrderSend(std::string_view customer, const backend::CxDataSetView& answer,
                                    std::string_view storedOrderNo);
  virtual void ApplyProfitLossOrderAdd(const backend::CxDataSetView& answer);
  virtual void ApplyProfitLossOrderChange(const backend::CxDataSetView& answer);
  virtual void ApplyProfitLossOrderDelete(const backend::CxDataSetView& answer);
  virtual void ApplyConditionOrderAnswer(const backend::CxDataSetView& answer);
  virtual void ApplyConditionOrderChange(const backend::CxDataSetView& answer);
  virtual void ApplyConditionOrderCancel(const backend::CxDataSetView& answer);
  virtual void ApplyConditionOrderState(const backend::CxDataSetView& answer);
  // Table loads of the asynchronous queries 5474 and 5478.
  virtual void LoadProfitLossOrders(const backend::CxDataSetView& answer);
  virtual void LoadConditionOrders(const backend::CxDataSetView& answer);
  // Fills `answer` with the engine's own answer to a fee-rate query (5016).
  virtual void LocalFeeRateAnswer(std::string_view exchangeCode, std::string_view seatCode,
                                  std::string_view contractCode, std::string_view customer,
                                  backend::CxDataSet& answer);
  // Refreshes last prices, floating profit and funds while the engine idles.
  virtual void RefreshPrices();

  // --- Single-row queries to the back end, for the rows the engine lacks.
  // The engine's own requests go past the busy guard; each is false when
  // the request fails or its answer lacks the row. This class has no
  // connection and answers false.
  virtual bool QueryFeeRate(std::string_view exchangeCode, std::string_view seatCode, std::string_view contractCode,
                            std::string_view customer, FeeRateRow& row);
  virtual bool QueryOptionParams(std::string_view exchangeCode, std::string_view optionKind,
                                 std::string_view contractCode, std::string_view customer, OptionParamsRow& row);
  // `contracts` is "exchange,contract;" repeated; `lastPrices` receives the
  // answer's price list followed by ";".
  virtual bool QueryLastPrice(std::string_view contracts, std::string& lastPrices);

  // The quote fallback of the price lookups; false when none is installed.
  bool QuoteLastPrice(std::string_view exchangeCode, std::string_view contractCode, double& lastPrice) const;

  // Guards every table, the change queue and the texts.
  mutable platform::CriticalSection lock_;

 private:
  std::array<backend::CxDataSet, kTableCount> tables_;
  BaseCallbacks callbacks_;
  std::atomic<int> connectionIndex_{-1};
  std::atomic<int> quoteConnectionIndex_{-1};
  std::atomic<std::thread::id> guiThread_{};

  LoginTexts loginTexts_;
};

}  // namespace engine
