// COperationEngineBase: the calculation engine's tables, its lock, the texts
// of the log-in, the change queue and the callbacks through which the engine
// logs and tells the GUI of changes. COperationEngine (operation_engine.h)
// adds the states, the download thread and the request hooks.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "backend/account_table.h"
#include "backend/cx_data_set.h"
#include "backend/exercise_order_row.h"
#include "backend/request_record.h"
#include "engine/account_sums.h"
#include "engine/answer_fields.h"
#include "engine/download_row_loader.h"
#include "engine/engine_query.h"
#include "engine/engine_table.h"
#include "engine/order_quantities.h"
#include "engine/per_lot_costs.h"
#include "engine/position_changes.h"
#include "engine/reference_rows.h"
#include "engine/request_builders.h"
#include "engine/table_catalogue.h"
#include "engine/table_change_record.h"
#include "engine/trading_rows.h"
#include "engine/user_prompt.h"
#include "platform/sync.h"

namespace engine {

class OrderIndex;
class PositionBook;
class RowIndex;
class KeyedRows;
class FeeRateReadings;
struct FeeRates;

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

// What a read of a table in place is handed: first how many rows follow
// (when `count` is set), then the bytes of each row in table order.
struct RowVisitor {
  std::function<void(std::uint32_t rows)> count{};
  std::function<void(std::span<const std::uint8_t> row)> row{};
};

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
  // The trading date alone, for the paths that need no other text.
  std::string TradingDate() const;

  // Copies into `contract` the first contract row whose exchange code and
  // contract code equal the two texts byte for byte; false, with `contract`
  // unchanged, when there is none. Takes the engine lock.
  bool FindContract(std::string_view exchangeCode, std::string_view contractCode, ContractRow& contract) const;

  // --- Table copies and conditional queries, each taken under the engine
  // lock and handed to the caller to keep.
  // A copy of the table of a GUI table id; a table never filled gives an
  // empty list. False with "指定的表号不存在！" for an id that names no table.
  virtual bool GetTableCopy(int tableId, backend::CxDataSet& copy, std::string& error);
  // Hands `visit` the rows of the table of a GUI table id, read in place
  // under the engine lock: no writer changes the table during the visit,
  // and nothing is copied. The visitor runs with the lock held, so it must
  // not call into the GUI or wait for another thread. The tables built for
  // the GUI (position summary, combinations) are built as for a copy and
  // visited from that copy, without the lock. False, with the error of
  // GetTableCopy, for an id that names no table.
  virtual bool ReadTable(int tableId, const RowVisitor& visit, std::string& error);
  // Stores in the query's result the rows of its table whose keys all match,
  // in table order, each at the table's row size; true also when none
  // matched. False with "不支持该表的条件查询！" for a table the query does
  // not serve.
  bool QueryTableByCondition(EngineQueryRecord& query, std::string& error) const;

  // --- Per-lot costs, the lookups behind them, and order quantities. Each
  // takes the engine lock for its table reads but never takes it across the
  // quote fallback (QuoteLastPrice), which may wait for the back end and
  // post to the GUI's output pane; a caller that already holds the lock
  // keeps it held there.

  // The margin, fee and premium of one lot, each rounded by the per-lot
  // rule; false, with all three 0, when the account has no fee rate for the
  // contract or a sold "cffex" option lacks its parameters. A contract kind
  // other than futures ("0" or empty) and option ("1") costs nothing.
  bool CalcOptionMargin(const LotCostQuery& query, LotCosts& costs);
  // The same of a contract the caller has found already.
  bool CalcLotCosts(const LotCostQuery& query, const ContractRow& contract, LotCosts& costs);
  // The fee-rate row of the four keys, from the cache or, on a miss, asked
  // from the back end and cached. The engine lock is held across the query,
  // so that one key is cached once.
  bool FindFeeRate(std::string_view exchangeCode, std::string_view seatCode, std::string_view contractCode,
                   std::string_view customer, FeeRateRow& row);
  // The same row's rates as numbers.
  bool FindFeeRates(std::string_view exchangeCode, std::string_view seatCode, std::string_view contractCode,
                    std::string_view customer, FeeRates& rates);
  // The parameters of an option contract, from the cache or asked and cached
  // as FindFeeRate does.
  bool FindOptionParams(std::string_view exchangeCode, std::string_view contractCode, std::string_view customer,
                        OptionParamsRow& row);
  // The contract's price from the contracts to price, else asked from the
  // back end; rounded by the last-price rule, 0 when neither has one.
  double GetLastPrice(std::string_view exchangeCode, std::string_view contractCode);
  // The abbreviation ("sfe", "dce", "czce", "cffex") and the name of the
  // first exchange-seat row of an exchange code; false when there is none.
  bool FindExchangeAbbreviation(std::string_view exchangeCode, std::string& abbreviation) const;
  bool FindExchangeSeat(std::string_view exchangeCode, std::string& exchangeName) const;
  // The first order row whose exchange, order seat and order number are
  // these very texts, found through the order index.
  std::optional<OrderRow> FindOrderByTexts(const OrderSelectors& order);
  // The order kind (combination definition) of the five keys, zero-filled
  // first. The built-in kinds "DS" (only with key 4 "0") and "SPD" answer
  // without the table; any other strategy is the table's first row of the
  // same keys.
  bool FindOrderKind(std::string_view exchangeCode, std::string_view strategyCode, std::string_view key3,
                     std::string_view key4, std::string_view key5, OrderKindRow& kind) const;
  // Held, closable and openable volumes of one contract for the record's
  // account, exchange, seat, hedge and trade code; with `volumesOnly` the
  // funds and openable volumes stay 0. No volume is negative.
  virtual bool GetPositionQuantities(QuantityRecord& record, bool volumesOnly, std::string& error);
  // The same for an order on a combination strategy; false with
  // kStrategyNotFoundText when the strategy is not among the order kinds.
  virtual bool GetCombinationQuantities(const CombinationQuantityQuery& query, CombinationQuantities& quantities,
                                        std::string& error);

  // --- The user's answers to the back end's questions on condition orders.
  // Installs the prompt that asks them and tells how their answers went;
  // the engine shares it. Without one every question is declined (the
  // declining answer is still sent where the back end waits for one).
  void SetUserPrompt(std::shared_ptr<UserPrompt> prompt);

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
  EngineTable& TableAt(Table table) { return tables_[static_cast<std::size_t>(table)]; }
  const EngineTable& TableAt(Table table) const { return tables_[static_cast<std::size_t>(table)]; }

  // The delivery rule of every record the engine raises: at once through
  // NotifyTableChange, or held in the change queue until the next batch
  // close on the GUI thread.
  void RaiseChange(const TableChangeRecord& record, bool deliverAtOnce);
  // The `deliverAtOnce` of changes that pushes and single answers raise.
  static constexpr bool kAtOnce = true;
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
  virtual void ApplyFundAnswer(std::string_view customer, const backend::CxDataSetView& answer, bool deliverAtOnce);
  virtual void ApplyOrderAnswer(std::string_view customer, const backend::CxDataSetView& answer, bool deliverAtOnce);
  virtual void ApplyCancelAnswer(std::string_view customer, const backend::CxDataSetView& answer, bool deliverAtOnce);
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
                                  std::string_view contractCode, std::string_view customer, backend::CxDataSet& answer);
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

  // --- Floating profit, account sums and the tables built from the details.
  // Each takes the engine lock; none takes it across the quote fallback.

  // Refreshes last price, floating profits and option values of the rows of
  // `summary` (the stored summary or a list of the caller) that hold the
  // price row's contract. Without a listed price (empty or 0) the quote
  // fallback gives the price, asked once per call.
  void UpdateContractProfit(const PriceContractRow& price, EngineTable& summary);
  // Sums over the account's rows of the order, special-order and position
  // summary tables. The frozen sums count every leg of a special order of a
  // known kind; each call starts from 0.
  FrozenSums SumAccountFrozen(std::string_view account) const;
  MarginSums SumSummaryMargins(std::string_view account) const;
  OptionValueSums SumOptionValues(std::string_view account) const;
  PendingCloseLots SumDirectionVolume(const PendingCloseKey& key) const;
  // Appends to `output` one summary row per account, exchange, contract,
  // direction, hedge, trade code and seat of the current position details,
  // then prices them. Leaves the details' contract codes trimmed.
  void BuildPositionSummary(EngineTable& output, PositionKinds kinds);
  // Appends to `output` one row per combination position of the current
  // combination details, merged and sorted; the details stay unchanged.
  void BuildCombinationTable(backend::CxDataSet& output) const;
  // The margin of one lot of an option sold to open.
  std::optional<double> SoldOptionMargin(const LotCostQuery& query, const ContractRow& option, const FeeRates& rates,
                                         double premium);
  // The option parameters asked so far; only ever appended to. The engine
  // lock guards them.
  std::vector<OptionParamsRow> optionParams_;

  // --- Engine requests, download loaders, single-row queries and pushes.
  //
  // The engine's own account as the signer of its requests: its customer
  // number and password, on its connection slot.
  backend::AccountKey EngineAccountKey() const;
  // A record of one sub-request with priority 2 and no handler tag, on the
  // signer's slot, whose text is "R|address|sequence|function|" followed by
  // the request prefix text, the application tag, the signer's customer
  // number and password and then the parameters, each followed by "|". The
  // single-packet flag follows the request's answer form. Null, with the
  // failure logged, when the record cannot be made.
  backend::RequestPtr BuildEngineRequest(const EngineRequest& request, const backend::AccountKey& signer,
                                         std::initializer_list<std::string_view> parameters) const;
  // The builders of the engine's requests, one per function number. Those
  // of the reference tables and of last prices are signed by the engine's
  // own account; the others by the account they are for.
  backend::RequestPtr BuildSystemDateRequest() const;                                           // 5122
  backend::RequestPtr BuildTradingParameterRequest(std::string_view name) const;                // 5127
  backend::RequestPtr BuildCloseStrategyRequest() const;                                        // 5131
  backend::RequestPtr BuildOrderTypeRequest() const;                                            // 5323
  backend::RequestPtr BuildExchangeSeatRequest() const;                                         // 5454
  backend::RequestPtr BuildContractRequest() const;                                             // 5008
  backend::RequestPtr BuildTradeCodeRequest(const backend::AccountKey& account) const;          // 5300
  backend::RequestPtr BuildFundRequest(const backend::AccountKey& account) const;               // 5002
  backend::RequestPtr BuildPositionDetailRequest(const backend::AccountKey& account) const;     // 5132
  backend::RequestPtr BuildCombinationDetailRequest(const backend::AccountKey& account) const;  // 5133
  backend::RequestPtr BuildTradeRequest(const backend::AccountKey& account) const;              // 5003
  backend::RequestPtr BuildOrderRequest(const backend::AccountKey& account,
                                        const OrderSelectors& order = {}) const;  // 5134
  backend::RequestPtr BuildExerciseOrderRequest(const backend::AccountKey& account,
                                                const OrderSelectors& application = {}) const;  // 5246
  backend::RequestPtr BuildExercisableQuantityRequest(const backend::AccountKey& account,
                                                      const ExercisableSelectors& position) const;  // 5242
  // The contract's option flag goes with it; empty for an unknown contract.
  backend::RequestPtr BuildFeeRateRequest(const backend::AccountKey& account, std::string_view exchangeCode,
                                          std::string_view seatCode, std::string_view contractCode) const;  // 5016
  backend::RequestPtr BuildOptionParamsRequest(const backend::AccountKey& account, std::string_view exchangeCode,
                                               std::string_view optionKind,
                                               std::string_view contractCode) const;  // 5245
  // `contracts` is "exchange,contract;" repeated. Goes on the quote
  // connection's slot when there is one.
  backend::RequestPtr BuildLastPriceRequest(std::string_view contracts) const;  // 5128
  // The longest contract list a last-price request can carry within
  // kMaxRequestTextLength.
  std::size_t LastPriceListRoom() const;

  // Loaders of the download answers: each takes the engine lock for its
  // whole run and appends one row per data line (the lines after the status
  // line; the fund answer's data is its status line). A row that cannot be
  // stored is dropped; the others are still loaded.
  // The reference tables: each is emptied first.
  void LoadExchangeSeats(const backend::CxDataSetView& answer);
  void LoadCloseStrategies(const backend::CxDataSetView& answer);
  void LoadOrderTypes(const backend::CxDataSetView& answer);
  void LoadContracts(const backend::CxDataSetView& answer);
  // The per-account tables, loaded once per account of a download. The trade
  // codes and the position and combination details keep every account's rows;
  // ClearPerAccountDownloadTables empties them once before an initial
  // download's first account.
  void LoadTradeCodes(const backend::CxDataSetView& answer);
  // One fund row of `account`, and one 'u' record of it delivered at once
  // (`notifyNow`) or held in the change queue.
  void LoadFunds(const backend::CxDataSetView& answer, std::string_view account, bool notifyNow);
  // The order answer's lines without a strategy code are orders, those with
  // one are special orders; each loader takes its own from the same answer.
  void LoadOrders(std::string_view account, const backend::CxDataSetView& answer);
  void LoadSpecialOrders(std::string_view account, const backend::CxDataSetView& answer);
  // Afterwards the whole trade table is in ascending order of deal number.
  void LoadTrades(std::string_view account, const backend::CxDataSetView& answer);
  // The rows name their account themselves. Afterwards the downloaded copy
  // holds the same rows as the current table.
  void LoadPositionDetails(const backend::CxDataSetView& answer);
  void LoadCombinationDetails(const backend::CxDataSetView& answer);
  // Empties the trade codes and the current and downloaded position and
  // combination details, so that a repeated download does not add their rows
  // twice.
  void ClearPerAccountDownloadTables();

  // The loaders of the long per-account answers, one data line at a time
  // (download_row_loader.h above), as the whole-answer loaders load them.
  DownloadRowLoader TradeCodeLoader();
  // The orders and the special orders of the order answer.
  DownloadRowLoader OrderLoader(std::string account);
  DownloadRowLoader PositionDetailLoader();
  DownloadRowLoader CombinationDetailLoader();
  DownloadRowLoader TradeLoader(std::string account);

  // More single-row queries, as QueryFeeRate above: this class has no
  // connection and answers false (or does nothing).
  // The order (table id 2) or special order (table id 3) of `customer` as a
  // change record of that one row.
  virtual bool QueryOrderRecord(const OrderSelectors& order, std::string_view customer, TableChangeRecord& record);
  // The exercise application of `customer` as a change record of table id 21.
  virtual bool QueryExerciseOrder(const OrderSelectors& application, std::string_view customer,
                                  TableChangeRecord& record);
  virtual bool QueryExercisableQuantity(ExercisableQuantityRow& row, std::string_view customer,
                                        const ExercisableSelectors& position);
  // Asks the back end for the exercisable quantity of a long option position
  // and adds its row, or gives the row of the same position the two fresh
  // frozen quantities, and tells the GUI at once; a failed query is logged
  // and changes nothing. Nothing for a null position.
  virtual void UpsertExercisableQuantity(const PositionSummaryRow* position);

  // The handlers of the pushed lines, one per push code (the dispatcher is
  // COperationEngine::OnPushLine); each takes the whole line.
  virtual void OnOrderStatePush(std::string_view line);         // 15002
  virtual void OnConditionOrderPush(std::string_view line);     // 15003
  virtual void OnCancelPush(std::string_view line);             // 15004
  virtual void OnTradePush(std::string_view line);              // 15005
  virtual void OnSpecialOrderPush(std::string_view line);       // 15008
  virtual void OnSpecialOrderStatePush(std::string_view line);  // 15009
  virtual void OnExerciseOrderPush(std::string_view line);      // 15012
  virtual void OnExerciseCancelPush(std::string_view line);     // 15013

  // --- Trades into positions: the close strategies, the fills of pushed
  // trades, the price refresh and the recalculation after a download. Each
  // takes the engine lock for its table work. Those that can reach the quote
  // fallback (through CalcOptionMargin or UpdateContractProfit) let the lock
  // go around it, so their callers must not hold it: CalcTradeFee, the close
  // strategies, RefreshPrices and Recalculate.

  // The close strategy of an exchange, from its first close-strategy row:
  // "策略1", "策略2" or "策略3"; oldest first for any other text and for an
  // exchange without a row.
  CloseStrategy GetCloseStrategy(std::string_view exchangeCode) const;
  // The strategy of one closing trade: a close-today trade ("2") always
  // takes the newest lots first.
  CloseStrategy CloseStrategyOf(std::string_view exchangeCode, std::string_view openClose) const;
  // Takes the trade's lots out of the current position details, best
  // candidate first by the strategy's order, and appends to `legs` every
  // other leg of a combination position that the close broke up (those
  // legs' details are single-contract positions afterwards). When no detail
  // is left to take lots from, the local picture is out of step with the
  // back end: OnPositionsOutOfStep, and the rest of the trade is dropped.
  void CloseByStrategy(CloseStrategy strategy, LegList& legs, const ClosingTrade& trade);
  void CloseByStrategy1(LegList& legs, const ClosingTrade& trade);
  void CloseByStrategy2(LegList& legs, const ClosingTrade& trade);
  void CloseByStrategy3(LegList& legs, const ClosingTrade& trade);
  // Takes up to `lots` out of the detail at `detailIndex` (removed once
  // empty, its margin reduced in step) and returns the lots still to close.
  // A combination leg releases the combination's other legs into `legs`;
  // BreakUpReleasedLegs then makes their details single-contract positions.
  // Called with the engine lock held.
  int ConsumeDetail(LegList& legs, std::size_t detailIndex, int lots);
  // Takes `lots` out of the combination-detail row of the leg and as many
  // combinations, by the legs' volume ratios, out of the other legs of its
  // combination, each of which becomes one entry of `legs`. Returns the
  // number of entries written. Called with the engine lock held.
  int ReleaseCombinationLegs(LegList& legs, std::string_view openDate, std::string_view dealNo,
                             std::string_view combinationKind, int lots);
  // Makes the details of the legs from `first` on single-contract
  // positions, each with the margin of an opening trade of its lots, and
  // notes in each leg the summary row it changed. Called without the lock.
  void BreakUpReleasedLegs(LegList& legs, std::size_t first);
  // The local positions disagree with the back end's.
  virtual void OnPositionsOutOfStep() = 0;

  // Replays one downloaded trade: writes its margin, fee and premium into
  // the row, adds an opening trade to the position details (a leg of a
  // special order also to the combination details) or closes by the
  // exchange's strategy, and returns its fee.
  double CalcTradeFee(TradeRow& trade);
  // The fills of a pushed trade. Each changes the details, the summary, the
  // contracts to price and the account's fund row, and tells the GUI at once;
  // none reaches the quote fallback, so the trade push may hold the lock.
  void AddTradePosition(const OpeningFill& fill);
  // After the close strategy took the fill's lots out of the details.
  void UpdatePositionSummary(const ClosingFill& fill);
  // Rebuilds a summary row whose details' margins changed and moves the
  // difference into the account's fund row.
  void RecomputeSummaryMargin(const PositionKey& position);
  // The current details of one summary row summed into a fresh row; all zero
  // when they hold no lots. Changes nothing.
  PositionSummaryRow ApplyTradeToPositions(const PositionKey& position);
  // After a download: replays the day's trades over the positions before the
  // open, rebuilds the summary, the exercisable quantities and the contracts
  // to price, refreshes the prices and recomputes every fund row and the
  // exchanges' combination flags.
  void Recalculate();
  // The steps of Recalculate that change the details and the fund rows: the
  // trades replayed, with the fees and closing profit of every fund row's
  // account, and every fund row recomputed from them.
  std::vector<AccountTotals> ReplayTrades();
  void RecomputeFundRows(const std::vector<AccountTotals>& totals);
  // Whether a floating profit adds to the available funds (a floating loss
  // always takes from them); set by the download.
  bool FloatingProfitCounts() const { return floatingProfitCounts_.load(); }
  void SetFloatingProfitCounts(bool counts) { floatingProfitCounts_.store(counts); }
  std::atomic<bool> floatingProfitCounts_{false};

  // --- Orders and option exercise applications as answers and pushes change
  // them. Each takes the engine lock itself; those that ask the back end for
  // a row the engine lacks give the lock up while the back end answers, so
  // their callers must not hold it.
  //
  // Appends an order row and raises its 'i' record, then freezes the order's
  // margin, fee and premium in the first fund row of its account and raises
  // that row's 'u' record. The row's index; nothing, with nothing changed,
  // when the table cannot grow.
  std::optional<std::uint32_t> AddOrder(const OrderRow& row, bool deliverAtOnce);
  // Gives the order's frozen amounts back to the first fund row of its
  // account (one 'u' record) and zeroes them on the order, so that a second
  // release gives nothing. Without a fund row they stay on the order.
  void ReleaseOrderFrozen(OrderRow& order, bool deliverAtOnce);
  // Appends an application and raises its 'i' record; a waiting one ("a")
  // adds its lots to the exercisable quantity of its option position.
  std::optional<std::uint32_t> AddExerciseOrder(const backend::ExerciseOrderRow& row, bool deliverAtOnce);
  // One application per data line of an exercise-order answer (5246), its
  // exchange name from the exchange seats; no record.
  void LoadExerciseOrders(const backend::CxDataSetView& answer);
  // The index of the account's order (application) of these keys, order
  // numbers compared by value and, when given, the application's kind flag
  // too. One the table lacks is asked from the back end and added with its
  // records delivered at once; `guard` holds the engine lock and lets it go
  // while the back end answers. Nothing when the back end does not know it
  // either.
  std::optional<std::uint32_t> FindOrFetchOrder(const OrderSelectors& order, std::string_view account,
                                                std::unique_lock<platform::CriticalSection>& guard);
  std::optional<std::uint32_t> FindOrFetchExerciseOrder(const OrderSelectors& application, std::string_view account,
                                                        std::optional<std::string_view> kindFlag,
                                                        std::unique_lock<platform::CriticalSection>& guard);
  // Keeps the exercisable quantity in step with an application whose state
  // went from `previousState` to its current one: a change into "a" adds the
  // application's lots, one into "d" takes them off; its record goes at once.
  void FollowExerciseState(std::string_view previousState, const backend::ExerciseOrderRow& application);
  // Applies an exercise push to its application (the one of the pushed keys
  // and, when given, kind flag) when the push is newer than the row: `change`
  // writes the pushed fields, the row takes the pushed state sequence, its
  // record goes at once and its new state is followed.
  void ApplyExercisePush(const LineFields& line, std::optional<std::string_view> kindFlag,
                         const std::function<void(backend::ExerciseOrderRow&)>& change);

  // --- Special, stored, profit/loss and condition orders as their answers
  // and pushes change them, and the back end's questions on condition
  // orders. Each takes the engine lock for its table work. Those that ask
  // the back end for an order the engine lacks, or ask the user, let the
  // lock go while they wait, so their callers must not hold it: the
  // special-order cancel answer and pushes, the stored-order send, the
  // condition-order answer (5477) and the condition-order push.
  //
  // Appends a special order and raises its 'i' record, then freezes the
  // frozen margins and fees of its legs, by the sides its order kind gives
  // the legs, in the first fund row of the order's account and raises that
  // row's 'u' record. An order of an unknown kind freezes nothing. The row's
  // index; nothing, with nothing changed, when the table cannot grow.
  std::optional<std::uint32_t> AddSpecialOrder(const SpecialOrderRow& row, bool deliverAtOnce);
  // Gives the legs' frozen amounts back to the first fund row of the
  // order's own account (its 'u' record delivered at once) and zeroes them on
  // the order, so that a second release gives nothing. Without the order's
  // kind or a fund row they stay on the order.
  void ReleaseSpecialOrderFrozen(SpecialOrderRow& order);
  // The index of the account's special order of these keys, found or
  // fetched from the back end and added as FindOrFetchOrder does for orders.
  std::optional<std::uint32_t> FindOrFetchSpecialOrder(const OrderSelectors& order, std::string_view account,
                                                       std::unique_lock<platform::CriticalSection>& guard);
  // Applies a special-order push (15008, 15009) to its order when the push
  // is newer than the row: `change` writes the pushed fields, the legs'
  // frozen amounts are released when `release` says so, and the order's
  // record goes at once.
  void ApplySpecialOrderPush(const LineFields& line, bool release, const std::function<void(SpecialOrderRow&)>& change);
  // The parts of the condition-order push (15003): a profit/loss order's
  // new state and status text, the back end's two questions, and a
  // condition order's new state.
  void OnProfitLossOrderState(std::string_view orderNo, std::string_view state, std::string_view statusText);
  void ConfirmConditionOrder(std::string_view orderNo, std::string_view secondText, std::string_view question);
  void ChooseConditionOrderAction(std::string_view question, std::string_view orderNo, std::string_view secondText,
                                  std::string_view choiceKind);
  void OnConditionOrderState(std::string_view orderNo, std::string_view state);
  // Appends a condition order and raises its 'i' record at once.
  void AddConditionOrder(const ConditionOrderRow& row);
  // Stores a state code in the condition order of the number and raises
  // its 'u' record at once; nothing without such an order.
  void SetConditionOrderState(std::string_view orderNo, std::string_view stateCode);
  // Asks the user to confirm a condition order whose trigger is already
  // met; on Yes sends the confirmation (5477) and stores the confirmed
  // order from its answer without asking again.
  void ConfirmTriggeredConditionOrder(const ConditionOrderRow& row);
  // Sends a request and tells the user its outcome: `success` after
  // `onAnswer` has taken the answer, or `failure` followed by the reason.
  // True when the request went through.
  bool SendAndTell(backend::RequestRecord& record, std::string_view success, std::string_view failure,
                   const std::function<void(const backend::CxDataSetView& answer)>& onAnswer = {});
  // The installed prompt's answer, or the declining one; and a plain
  // message with an OK button.
  PromptAnswer AskUser(const UserQuestion& question) const;
  void TellUser(std::string text) const;
  // Sends one of the engine's own requests past the busy guard and checks
  // its answer: true once the record holds an accepted answer, else false
  // with the reason in `error`.
  virtual bool SendEngineRequest(backend::RequestRecord& record, std::string& error) = 0;
  // The engine lock guards it.
  std::shared_ptr<UserPrompt> userPrompt_;

  // --- The trade push (15005): a fill booked once into its order or special
  // order, the positions, the funds and the trades, each change told to the
  // GUI at once. The push holds the engine lock but while the back end
  // answers for an order the engine lacks, while the fill's costs are
  // computed and while a closing fill's strategy takes its lots.
  //
  // The order a fill belongs to: a row of the special orders or the orders.
  struct FillOrder {
    Table table;
    std::uint32_t index;
  };
  // The account's special order, else its order, of these keys, order
  // numbers compared by value. One that neither table holds is asked from
  // the back end and added with its records delivered at once; `guard` holds
  // the engine lock and lets it go while the back end answers. Nothing when
  // the back end does not know it either.
  std::optional<FillOrder> FindOrFetchFillOrder(const OrderSelectors& order, std::string_view account,
                                                std::unique_lock<platform::CriticalSection>& guard);
  // Advances the order at `index` by the pushed fill `line` when the fill
  // leaves fewer of its lots open, scaling its frozen amounts to the lots
  // still open, and returns what the fill frees of them (its margin on the
  // order's side).
  FrozenSums AdvanceOrder(std::uint32_t index, const LineFields& line);
  // The same for the special order at `index` of the order kind `kind`; its
  // legs' freed margin and fee go back to the account's funds at once, each
  // leg's margin from the side of the leg.
  void AdvanceSpecialOrder(std::uint32_t index, const LineFields& line, const OrderKindRow& kind);
  // Gives freed frozen amounts back to the available funds of the account's
  // first fund row; nothing without a fund row or without an amount.
  void ReleaseToFund(std::string_view account, const FrozenSums& released);
  // A closing fill of `fee`: the strategy takes its lots (without the lock,
  // which `guard` holds on entry and on return), then the summary, the
  // funds and the summary rows of the combination legs the close broke up
  // follow.
  void BookClosingFill(const TradeRow& trade, int multiplier, double fee, const FrozenSums& released,
                       std::unique_lock<platform::CriticalSection>& guard);
  // Appends a pushed trade row and tells the GUI at once.
  void AppendPushedTrade(const TradeRow& trade);

  // The order table's row of an order, found through the order index.
  std::optional<std::uint32_t> FindOrderRow(const OrderSelectors& order, std::string_view account);
  // The position book brought up to the current position details (under
  // the lock): whoever then changes or removes a detail tells it.
  PositionBook& FollowedPositions();
  // The row of the position details that holds entry `id`.
  std::optional<std::uint32_t> DetailRowOf(std::uint32_t id) const;
  // The rows of the day's trades whose fill number SameOrderNo calls the
  // same as `dealNo`, in table order; the answer lasts until the next such
  // lookup or until the trades change (under the lock).
  const std::vector<std::uint32_t>& TradeRowsOf(std::string_view dealNo);
  // The indexes beside the tables walk them afresh: for tables emptied or
  // replaced (under the lock).
  void ForgetRowIndexes();
  // The indexes beside the tables are brought up to them, so that the first
  // push after a download finds them made (takes the lock).
  void BuildRowIndexes();

  // Guards every table, the change queue and the texts.
  mutable platform::CriticalSection lock_;

 private:
  std::array<EngineTable, kTableCount> tables_;
  // The pushes' way to their orders (under the lock).
  std::unique_ptr<OrderIndex> orderIndex_;
  // The current position details by position (under the lock).
  std::unique_ptr<PositionBook> positionBook_;
  // The day's trades by fill number (under the lock).
  std::unique_ptr<RowIndex> tradeIndex_;
  // The contracts by exchange and contract code (under the lock); a lookup
  // adds to it.
  mutable std::unique_ptr<KeyedRows> contractRows_;
  BaseCallbacks callbacks_;
  std::atomic<int> connectionIndex_{-1};
  std::atomic<int> quoteConnectionIndex_{-1};
  std::atomic<std::thread::id> guiThread_{};

  LoginTexts loginTexts_;
  // The fee rates asked by exchange, seat, contract and account: every fill
  // looks its own up (under the lock).
  std::unique_ptr<KeyedRows> feeRateRows_;
  // Their rates as numbers, read once per row (under the lock).
  std::unique_ptr<FeeRateReadings> feeRateReadings_;
  // The summary rows by position key: each fill updates its own (under the
  // lock).
  std::unique_ptr<KeyedRows> summaryRows_;
};

}  // namespace engine
