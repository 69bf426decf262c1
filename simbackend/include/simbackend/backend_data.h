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

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace simbackend {

inline constexpr const char* kAccountsFile = "accounts.txt";
inline constexpr const char* kQuoteServersFile = "quoteservers.txt";
inline constexpr const char* kContractsFile = "contracts.txt";

enum class AccountKind { kTrading, kManagement };

struct Account {
  AccountKind kind = AccountKind::kTrading;
  std::string customer;
  std::string password;
  std::string name;
  // A management account's trading sub-accounts, in file order.
  std::vector<std::string> managed;
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
};

struct BackendData {
  std::vector<Account> accounts;
  std::vector<MoneyEntry> moneyHistory;
  // The account with which the terminal logs in to the quote servers.
  std::string quoteUser;
  std::string quotePassword;
  std::vector<QuoteServer> quoteServers;
  std::vector<Exchange> exchanges;
  std::vector<Variety> varieties;
  // In file order; an option series expands into its calls, then its puts,
  // each by rising strike.
  std::vector<Contract> contracts;

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
