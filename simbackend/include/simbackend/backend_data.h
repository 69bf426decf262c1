// The data the simulated back end serves, read from its data folder.
//
// The folder holds GBK text files, one record a line: a key naming the kind
// of record, then its values, every field closed by "|". Lines starting
// with "#" are comments; blank lines are skipped. Each file says in its own
// head comment which records it takes.
//
// Prices of contracts are kept as whole numbers of price ticks, so that the
// quotes move and are written without rounding drift.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace simbackend {

inline constexpr const char* kAccountsFile = "accounts.txt";
inline constexpr const char* kQuoteServersFile = "quoteservers.txt";
inline constexpr const char* kContractsFile = "contracts.txt";
inline constexpr const char* kTradingFile = "trading.txt";

enum class AccountKind { kTrading, kManagement };

struct Account {
  AccountKind kind = AccountKind::kTrading;
  std::string customer;
  std::string password;
  std::string name;
  // A management account's trading sub-accounts, in file order.
  std::vector<std::string> managed;
  // A trading account's balance at the close of the previous trading day
  // and its credit line, in cents.
  std::int64_t yesterdayBalance = 0;
  std::int64_t credit = 0;
  // What a trading account's login asks of its settlement statement: "0"
  // nothing, "1" to show it, "2" to show it and have it confirmed.
  std::string statementMode = "0";
};

enum class MoneyDirection { kDeposit, kWithdrawal };

// One deposit or withdrawal of an account's history.
struct MoneyEntry {
  std::string customer;
  std::string date;    // "YYYYMMDD"
  std::string serial;  // the entry's number, unique among all entries
  MoneyDirection direction = MoneyDirection::kDeposit;
  std::int64_t cents = 0;  // the amount, above 0
  std::string moneyType;   // "1" transfer, "2" cheque, "3" bank deposit, "Z" adjustment
  std::string bank;        // the bank's code
  std::string summary;
};

// A bulletin of the notice board, for one customer or for everybody.
struct Bulletin {
  std::string date;      // "YYYYMMDD"
  std::string time;      // "HH:MM:SS"
  std::string level;     // "1" normal, "2" warning, "3" danger, "4" rolling, "5" to confirm
  std::string customer;  // empty: everybody
  std::string text;
};

// An important notice shown at the login, for one customer or for everybody.
struct ImportantNotice {
  std::string customer;  // empty: everybody
  std::string text;
};

struct QuoteServer {
  std::string name;
  std::string address;
  std::uint16_t port = 0;  // 0: the port this back end itself listens on
};

struct Exchange {
  std::string id;    // one character: how quotes and subscriptions name the exchange
  std::string code;  // "sfe", "dce", "czce", "cffex"
  std::string name;
  int bookDepth = 1;  // the price levels of its quotes: 1 or 5
};

// A kind of goods traded as futures, or the options on one.
struct Variety {
  std::size_t exchange = 0;  // into BackendData::exchanges
  std::string code;
  std::string name;
  bool options = false;
  std::int64_t multiplier = 0;  // units per lot
  double tick = 0;              // the smallest price step
  int decimals = 0;             // the decimals prices are written with
  double limitPercent = 0;      // futures: the daily price limit around the previous settlement
  std::string underlying;       // options: the futures variety they are written on
  std::string codeSeparator;    // options: between period, call/put letter and strike in their codes
};

enum class ContractKind { kFutures, kOption };

struct Contract {
  ContractKind kind = ContractKind::kFutures;
  std::size_t exchange = 0;  // into BackendData::exchanges
  std::size_t variety = 0;   // into BackendData::varieties
  std::string code;          // variety code and delivery period, for an option also call/put and strike
  std::string name;
  std::string period;  // delivery period: "2701", at czce "701"
  // Prices in ticks of the variety.
  std::int64_t preSettlement = 0;
  std::int64_t upperLimit = 0;
  std::int64_t lowerLimit = 0;
  // Options only.
  char optionType = 0;      // 'C' call, 'P' put
  std::int64_t strike = 0;  // whole price units
  std::string underlying;   // the futures contract's code: underlying variety and period
  // The day on which long positions are exercised or their exercise is
  // abandoned, "YYYYMMDD"; empty when the data gives none.
  std::string exerciseDate;
};

// A seat of the back end at an exchange. Its flags are "0" or "1".
struct Seat {
  std::size_t exchange = 0;  // into BackendData::exchanges
  std::string code;
  std::string grouped;      // the exchange's contracts are grouped and shown in the terminal
  std::string closeToday;   // the exchange takes close-today orders on this seat
  std::string marketOrder;  // the exchange takes market orders on this seat
  std::string combination;  // the exchange takes combination orders on this seat
  // Seconds by which the exchange's clock at this seat is ahead of the back end's.
  std::int64_t timeDifference = 0;
};

// A combination strategy of an exchange, on which special (two-legged)
// orders are placed: "SPD" (a spread, either side) or "DS" (bought only).
// Its first leg takes the order's side, its second the other side; only the
// first leg is margined.
struct CombinationStrategy {
  std::size_t exchange = 0;
  std::string code;
  std::string name;
};

// Which open positions a close consumes first at an exchange: 1 the oldest,
// 2 single positions before combination legs, 3 the newest.
struct CloseStrategy {
  std::size_t exchange = 0;
  int number = 1;
};

// An order type that an exchange takes, with two codes carried along.
struct OrderType {
  std::size_t exchange = 0;
  std::string code;       // the price type: "0" limit, "1" market ...
  std::string attribute;  // the validity: "0" day, "1" fill or kill, "2" fill and kill
  std::string flag;
};

inline constexpr const char* kFloatingProfitParameter = "ACCFRZ";
inline constexpr const char* kFloatingProfitAvailable = "T0";
inline constexpr const char* kExerciseParameter = "ZXZL";

// A trading or settlement parameter: "ACCFRZ" (whether floating profit is
// available, "T0" yes), "ZXZL" per seat (the exercise instructions taken:
// "1" exercise, "2" abandon, "3" both), "STATUS" per exchange (its market
// state) and any other.
struct TradingParameter {
  std::string name;
  std::string key;  // empty, a seat or an exchange id
  std::string value;
  std::string note;
};

// The fee and margin rates of one contract, as decimal texts: three pairs of
// (rate by amount, amount per lot) for opening and closing, three for
// closing today's positions, then the margin pairs for buy speculation,
// sell speculation, buy hedge and sell hedge.
struct ContractRates {
  std::array<std::string, 6> openCloseFee;
  std::array<std::string, 6> closeTodayFee;
  std::array<std::string, 8> margin;
};

// What the back end tells of an option variety's options beyond the
// contract: the price of the underlying (an index for options on one) and
// the guarantee coefficient of sold options as a fraction.
struct OptionParams {
  std::size_t variety = 0;      // the option variety
  std::string underlyingPrice;  // empty: the underlying futures contract's last price
  std::string numerator;
  std::string denominator;
  std::string fourth;  // carried along
};

// A trade code of an account at an exchange. Its type: "1" hedge orders
// only, "2" none, "3" speculation only, else every order.
struct TradeCode {
  std::string customer;
  std::size_t exchange = 0;
  std::string code;
  std::string seat;
  std::string type;

  // Whether orders with that hedge code may go out with it.
  bool Takes(std::string_view hedge) const;
};

// Codes of the terminal: buy/sell "0" buy, "1" sell; open/close "0" open,
// "1" close, "2" close today; hedge "0" speculation, "1" hedge.
struct PositionDetail {  // held before the market opened
  std::string customer;
  std::size_t contract = 0;
  std::string buySell;
  std::string hedge;
  std::int64_t lots = 0;
  std::int64_t openPrice = 0;   // ticks
  std::string openDate;         // "YYYYMMDD"
  std::int64_t dealNumber = 0;  // of the opening trade
  std::string tradeCode;
  std::string seat;
};

struct DayOrder {
  std::string customer;
  std::int64_t number = 0;  // unique among the customer's orders
  std::size_t contract = 0;
  std::string buySell;
  std::string openClose;
  std::string hedge;
  std::int64_t lots = 0;
  std::int64_t price = 0;  // ticks
  std::string state;       // the terminal's order state codes: "a", "c", "d" ...
  std::string time;        // "HH:MM:SS"
  std::string cancelTime;  // empty unless cancelled
  std::string tradeCode;
  std::string seat;
};

struct DayTrade {
  std::string customer;
  std::size_t order = 0;  // into BackendData::orders
  std::int64_t dealNumber = 0;
  std::int64_t lots = 0;
  std::int64_t price = 0;  // ticks
  std::string time;
  // The leg of the order it filled: 1 its own contract (the first leg of a
  // special order), 2 the second leg of a special order.
  int leg = 1;
};

struct BackendData {
  std::vector<Account> accounts;
  std::vector<MoneyEntry> moneyHistory;
  std::vector<Bulletin> bulletins;
  std::vector<ImportantNotice> notices;
  // The account with which the terminal logs in to the quote servers.
  std::string quoteUser;
  std::string quotePassword;
  std::vector<QuoteServer> quoteServers;
  std::vector<Exchange> exchanges;
  std::vector<Variety> varieties;
  // In file order; an option series expands into its calls, then its puts,
  // each by rising strike.
  std::vector<Contract> contracts;
  // Of trading.txt; `rates` by contract index.
  std::vector<Seat> seats;
  std::vector<CloseStrategy> closeStrategies;
  std::vector<OrderType> orderTypes;
  std::vector<TradingParameter> parameters;
  std::vector<ContractRates> rates;
  std::vector<OptionParams> optionParams;
  std::vector<CombinationStrategy> strategies;
  // The accounts' business before and during the trading day, in file order.
  std::vector<TradeCode> tradeCodes;
  std::vector<PositionDetail> positions;
  std::vector<DayOrder> orders;
  std::vector<DayTrade> trades;

  // Null when there is no such account.
  const Account* FindAccount(std::string_view customer) const;
  // The management account whose sub-accounts include `customer`; null when none.
  const Account* FindManager(std::string_view customer) const;
  // The exchange named by its id ("S") or its code ("sfe"); null when none.
  const Exchange* FindExchange(std::string_view idOrCode) const;
  // The contract's index in `contracts`, or kNoContract.
  std::size_t FindContract(std::string_view exchangeIdOrCode, std::string_view code) const;

  const Variety& VarietyOf(const Contract& contract) const { return varieties[contract.variety]; }
  const Exchange& ExchangeOf(const Contract& contract) const { return exchanges[contract.exchange]; }
  // A price in ticks of the contract as the back end writes it: "68010", "763.40".
  std::string PriceText(const Contract& contract, std::int64_t ticks) const;
  double Price(const Contract& contract, std::int64_t ticks) const;
  // The seat with that code; null when there is none.
  const Seat* FindSeat(std::string_view code) const;
  // Whether a floating profit counts as available funds ("ACCFRZ" is "T0").
  bool FloatingProfitAvailable() const;
  // The option exercise instructions that the seat takes ("ZXZL"): "1"
  // exercise only, "2" abandon only, "3" both (also when none is given).
  std::string ExerciseInstructions(std::string_view seat) const;
  // The close strategy of the exchange (1 when none is given).
  int CloseStrategyOf(std::size_t exchange) const;
  // The option parameters of an option contract's variety; null when none.
  const OptionParams* OptionParamsOf(const Contract& option) const;
  // The exchange's combination strategy with that code; null when none.
  const CombinationStrategy* FindStrategy(std::size_t exchange, std::string_view code) const;
  // The trade code that an order of the customer at the exchange with that
  // hedge code goes out with; null when none fits.
  const TradeCode* TradeCodeFor(std::string_view customer, std::size_t exchange, std::string_view hedge) const;

  static constexpr std::size_t kNoContract = static_cast<std::size_t>(-1);
};

// Reads every file of the data folder. False, with `data` untouched and the
// file, line and fault named in `error`, when a file is missing, too large,
// not well-formed GBK text, or holds a record that is malformed or
// inconsistent with the others.
bool LoadBackendData(const std::string& folder, BackendData& data, std::string& error);

// The data folder shipped with the back end: "data" beside the running
// program when it is there, else the one in the source tree.
std::string DefaultDataFolder();

}  // namespace simbackend
