#include "push_pipeline.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "backend/account_table.h"
#include "backend/request_queue.h"
#include "backend/transport.h"
#include "client/engine_order_lookup.h"
#include "client/push_dispatch.h"
#include "client/subscription_list.h"
#include "client/testing/push_lines.h"
#include "engine/operation_engine.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"
#include "order_module/order_module.h"
#include "quotes/contract_key.h"
#include "quotes/quotation_ctrl.h"

namespace push_bench {
namespace {

using engine::Table;
using engine_testing::kAccount;
using engine_testing::kExchange;
using engine_testing::kSeat;
using engine_testing::kToday;
using engine_testing::kTradeCode;
using engine_testing::SetText;

constexpr std::string_view kOrderSeat = "OS1";
constexpr std::string_view kFillContract = "cu2609";
constexpr std::string_view kFillPrice = "50000";
constexpr int kWorkingLots = 1000000;
// The two working orders the fills take turns on: a buy that opens, a sell
// that closes today's lots.
constexpr std::string_view kOpeningOrder = "900001";
constexpr std::string_view kClosingOrder = "900002";
constexpr std::string_view kCloseToday = "2";
// The quote table holds at most 40 contracts; a quote window shows fewer.

// Every contract the account trades: five varieties, twelve months each.
const std::vector<std::string>& Contracts() {
  static const std::vector<std::string> contracts = [] {
    std::vector<std::string> codes;
    for (const char* variety : {"cu", "al", "zn", "rb", "au"}) {
      for (int month = 1; month <= 12; ++month) {
        char code[16];
        std::snprintf(code, sizeof code, "%s26%02d", variety, month);
        codes.emplace_back(code);
      }
    }
    return codes;
  }();
  return contracts;
}

template <engine::EngineRow Row>
void Add(engine::EngineTable& table, const Row& row) {
  if (!engine_testing::AddRow(table, row)) {
    std::fprintf(stderr, "push_pipeline: a table could not take its rows\n");
    std::exit(1);
  }
}

engine::OrderRow WorkingOrder(std::string_view orderNo, std::string_view buySell, std::string_view openClose,
                              std::string_view contract, int lots, std::string_view frozenMargin) {
  return engine_testing::Order({.orderNo = orderNo,
                                .contract = contract,
                                .buySell = buySell,
                                .openClose = openClose,
                                .lots = std::to_string(lots),
                                .price = kFillPrice,
                                .seat = kSeat,
                                .sequence = "1",
                                .orderSeat = kOrderSeat,
                                .frozenMargin = frozenMargin,
                                .frozenFee = "0.00",
                                .frozenPremium = "0.00"});
}

// The engine of the running terminal, its download replaced by the rows it
// is given.
class LoadedEngine : public engine::COperationEngine {
 public:
  ~LoadedEngine() override { StopDownloadThread(); }

  // Puts the account's rows into the tables as the download's loaders do,
  // recalculates as the download ends, and closes the download as the first
  // drain of the result queue does.
  void Load(const AccountLoad& load) {
    {
      std::lock_guard guard(lock_);
      LoadReferenceRows();
      LoadPositions(load.positionDetails);
      LoadOrders(load);
    }
    Recalculate();
    BuildRowIndexes();
    SetDownloadState(engine::DownloadState::kDone);
    OnPushBatchDone();
    if (GetEngineState() != engine::EngineState::kReady) {
      std::fprintf(stderr, "push_pipeline: the engine did not become ready\n");
      std::exit(1);
    }
  }

  std::size_t Rows(Table table) const {
    std::lock_guard guard(lock_);
    return TableAt(table).GetCount();
  }

 protected:
  bool DownloadAll() override { return false; }
  bool DownloadAfterReconnect() override { return false; }
  // The back end's answer: every contract listed ("exchange,contract;")
  // at the price the fills take.
  bool QueryLastPrice(std::string_view contracts, std::string& lastPrices) override {
    lastPrices.clear();
    for (const char c : contracts) {
      if (c == ';') lastPrices.append(kFillPrice).push_back(';');
    }
    return true;
  }

 private:
  void LoadReferenceRows() {
    for (const std::string& contract : Contracts()) {
      Add(TableAt(Table::kContracts), engine_testing::Contract({.code = contract,
                                                                .multiplier = "10",
                                                                .period = std::string_view(contract).substr(2),
                                                                .variety = std::string_view(contract).substr(0, 2)}));
      Add(TableAt(Table::kFeeRates), engine_testing::FeeRates(contract));
    }
    Add(TableAt(Table::kFunds), engine_testing::Fund({.usable = "900000000.00", .equity = "900000000.00"}));
  }

  void LoadPositions(int count) {
    engine::EngineTable& details = TableAt(Table::kPositionDetails);
    const std::vector<std::string>& contracts = Contracts();
    for (int index = 0; index < count; ++index) {
      Add(details, engine_testing::Detail({.dealNo = "P" + std::to_string(index),
                                           .buySell = index % 2 == 0 ? "0" : "1",
                                           .lots = "10",
                                           .price = kFillPrice,
                                           .margin = "500000.00",
                                           .contract = contracts[static_cast<std::size_t>(index) % contracts.size()]}));
    }
    TableAt(Table::kDownloadedPositionDetails) = details.Copy();
  }

  void LoadOrders(const AccountLoad& load) {
    engine::EngineTable& orders = TableAt(Table::kOrders);
    const std::vector<std::string>& contracts = Contracts();
    for (int index = 0; index < load.finishedOrders + load.restingOrders; ++index) {
      const bool finished = index < load.finishedOrders;
      const std::string& contract = contracts[static_cast<std::size_t>(index) % contracts.size()];
      engine::OrderRow order = WorkingOrder((finished ? "F" : "R") + std::to_string(index), index % 2 == 0 ? "0" : "1",
                                            "0", contract, 10, "50000.00");
      if (finished) {
        SetText(order.szFlagOrderState, "c");
        SetText(order.szDealHands, "10");
        SetText(order.szFrozenCautionMoney, "0.00");
      }
      Add(orders, order);
    }
    Add(orders, WorkingOrder(kOpeningOrder, "0", "0", kFillContract, kWorkingLots, "9000000.00"));
    Add(orders, WorkingOrder(kClosingOrder, "1", kCloseToday, kFillContract, kWorkingLots, "0.00"));
  }
};

constexpr std::string_view kNoBackEnd = "没有后台";

}  // namespace

// --- LineCounter

int LineCounter::AppendOutputLine(std::string_view, int) {
  ++outputLines_;
  Arrived();
  return 1;
}

bool LineCounter::OnQuote(int, const backend::QuoteRecord*) {
  ++quotes_;
  Arrived();
  return true;
}

void LineCounter::OnTableChanged(const engine::TableChangeRecord&) { ++tableChanges_; }

void LineCounter::NoteArrivals(std::size_t lines) {
  arrivals_.clear();
  arrivals_.reserve(lines);
  noting_ = true;
}

void LineCounter::Arrived() {
  if (noting_) arrivals_.push_back(Clock::now());
}

std::vector<quotes::ContractKey> WatchedContracts(std::size_t count) {
  std::vector<quotes::ContractKey> keys;
  for (std::size_t index = 0; index < std::min(count, Contracts().size()); ++index) {
    keys.push_back(quotes::MakeContractKey(kExchange, Contracts()[index]));
  }
  return keys;
}

// --- PushLines

std::string PushLines::NextQuote() {
  const std::size_t step = quotes_++;
  const std::string& contract = Contracts()[step % watched_];
  const int tick = static_cast<int>(step % 97);
  const auto price = [tick](int offset) { return std::to_string(50000 + tick + offset); };
  return client_testing::PushLine(15001, {{9, std::string(kExchange)},
                                          {11, contract},
                                          {12, "铜" + contract.substr(2)},
                                          {13, price(-20)},
                                          {14, price(-10)},
                                          {15, price(40)},
                                          {16, price(-40)},
                                          {17, price(0)},
                                          {18, std::to_string(1000 + step % 5000)},
                                          {19, std::to_string(500000000 + step)},
                                          {21, price(-1)},
                                          {22, price(1)},
                                          {23, "12,4"},
                                          {24, "8,3"},
                                          {25, "55000"},
                                          {26, "45000"},
                                          {27, "50000"},
                                          {31, "315640"},
                                          {39, "0"},
                                          {40, "0"}});
}

std::vector<std::string> PushLines::NextFill(bool withState) {
  const std::size_t step = fills_++;
  const bool opening = step % 2 == 0;
  const std::string_view orderNo = opening ? kOpeningOrder : kClosingOrder;
  const std::string_view buySell = opening ? "0" : "1";
  const std::string_view openClose = opening ? "0" : kCloseToday;
  const int filled = static_cast<int>(step / 2) + 1;
  const std::string sequence = std::to_string(filled + 1);
  std::vector<std::string> lines;
  if (withState) {
    lines.push_back(client_testing::PushLine(15002, {{8, std::string(kAccount)},
                                                     {9, std::string(orderNo)},
                                                     {10, std::string(kExchange)},
                                                     {12, std::string(kFillContract)},
                                                     {14, "p"},
                                                     {16, std::string(buySell)},
                                                     {18, std::string(openClose)},
                                                     {20, "0"},
                                                     {22, std::to_string(kWorkingLots)},
                                                     {23, std::string(kFillPrice)},
                                                     {24, std::to_string(filled)},
                                                     {36, std::string(kSeat)},
                                                     {39, sequence},
                                                     {41, "0"},
                                                     {42, std::string(kOrderSeat)}}));
  }
  lines.push_back(client_testing::PushLine(15005, {{8, std::string(kAccount)},
                                                   {9, std::string(kExchange)},
                                                   {10, std::string(kToday)},
                                                   {11, std::string(orderNo)},
                                                   {12, "p"},
                                                   {14, std::string(kFillContract)},
                                                   {16, std::string(buySell)},
                                                   {18, std::string(openClose)},
                                                   {20, "0"},
                                                   {22, "1"},
                                                   {23, std::to_string(kWorkingLots - filled)},
                                                   {24, std::string(kFillPrice)},
                                                   {27, std::string(kTradeCode)},
                                                   {28, "S" + std::string(orderNo)},
                                                   {29, "D" + std::to_string(step)},
                                                   {30, std::string(kFillContract).substr(2)},
                                                   {31, "09:30:05"},
                                                   {32, std::string(kSeat)},
                                                   {35, sequence},
                                                   {37, std::string(kOrderSeat)}}));
  return lines;
}

// --- Pipeline

class Pipeline::Parts {
 public:
  Parts(const AccountLoad& load, std::size_t watchedContracts, LineCounter& counter)
      : counter_(counter), installed_(counter), orders_(engine_) {
    backend::AccountKey key;
    std::strcpy(key.customerNo, std::string(kAccount).c_str());
    std::strcpy(key.password, "secret");
    accounts_.AddAccount(key);
    // Field 9 of the log-in answer is the trading date.
    accounts_.UpdateAccountFromAnswer(kAccount, "A|||Y|||||" + std::string(kToday) + "|");
    StartEngine();
    engine_.Load(load);
    quoteTable_.MoveQuoteRefs({}, WatchedContracts(watchedContracts));
    quoteTable_.RegisterWatch(&counter);
    orderModule_.Start();
  }
  ~Parts() {
    orderModule_.Stop();
    engine_.Stop();
    while (backend::TheResultQueue().TakeNext()) {
    }
  }

  void Drain() {
    while (pump_.ProcessReceiveQueue()) {
    }
    orderModule_.DeliverResults();
  }

  std::size_t Rows(Table table) const { return engine_.Rows(table); }
  quotes::CtbOptionalContract& Quotes() { return quoteTable_; }

  std::size_t FailedSends() const {
    std::lock_guard guard(logMutex_);
    return failedSends_;
  }

 private:
  void StartEngine() {
    engine::EngineCallbacks callbacks;
    callbacks.sendSync = [](backend::RequestRecord&, std::string& error) {
      error = kNoBackEnd;
      return false;
    };
    callbacks.sendAsync = [](backend::RequestPtr&, std::string& error) {
      error = kNoBackEnd;
      return false;
    };
    callbacks.log = [this](int, const char* text) {
      std::lock_guard guard(logMutex_);
      if (std::strstr(text, kNoBackEnd.data()) != nullptr) ++failedSends_;
    };
    callbacks.nextSequenceNo = [] { return 1; };
    callbacks.tableChanged = [this](const engine::TableChangeRecord& record) { counter_.OnTableChanged(record); };
    callbacks.quoteLastPrice = [this](std::string_view exchange, std::string_view contract, double& price) {
      backend::QuoteRecord quote;
      if (!quoteTable_.FindQuote(exchange, contract, quote)) return false;
      price = quote.fNewPrice;
      return true;
    };
    if (!engine_testing::StartEngine(engine_, accounts_, backend::kTradingLogin, std::move(callbacks))) {
      std::fprintf(stderr, "push_pipeline: the engine did not start\n");
      std::exit(1);
    }
  }

  LineCounter& counter_;
  client_testing::ScopedShell installed_;
  backend::AccountTable accounts_;
  LoadedEngine engine_;
  client::EngineOrderLookup orders_;
  quotes::CtbOptionalContract quoteTable_;
  order_module::OrderModule orderModule_;
  client::SubscriptionList subscriptions_{[](std::string_view) { return true; }};
  client::ReceivePump pump_{
      engine_,
      subscriptions_,
      {.quotes = &quoteTable_, .accounts = &accounts_, .orders = &orders_, .orderStates = &orderModule_}};
  mutable std::mutex logMutex_;  // the download thread logs too
  std::size_t failedSends_ = 0;
};

Pipeline::Pipeline(const AccountLoad& load, std::size_t watchedContracts)
    : parts_(std::make_unique<Parts>(load, watchedContracts, counter_)) {}

Pipeline::~Pipeline() = default;

void Pipeline::Receive(const std::vector<std::string>& lines) {
  std::string block;
  for (const std::string& line : lines) {
    block += line;
    block += '\0';
  }
  backend::OnReceivePushData(0, block.data(), static_cast<int>(block.size()));
}

void Pipeline::PumpTick() { parts_->Drain(); }

quotes::CtbOptionalContract& Pipeline::Quotes() { return parts_->Quotes(); }

std::size_t Pipeline::TableRows(Table table) const { return parts_->Rows(table); }

std::size_t Pipeline::FailedSends() const { return parts_->FailedSends(); }

}  // namespace push_bench
