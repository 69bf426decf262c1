// What the management of the accounts changes while the back end runs:
// the accounts' status, their deposits and withdrawals, their passwords and
// the settlement statements they confirmed. Kept in memory only, starting
// from the data folder; their trading is the trading floor's
// (trading_floor.h). Thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "simbackend/backend_data.h"

namespace simbackend {

// The kinds of an account's passwords, as the terminal numbers them. The
// trading password is the one that logs in and signs the requests.
enum class PasswordKind { kTrading = 1, kFund = 2, kOrder = 3 };

class AccountBook {
 public:
  explicit AccountBook(const BackendData& data);

  // Whether `password` is the account's password of that kind; every one
  // starts as the password of the data folder. False for no account.
  bool HasPassword(const std::string& customer, PasswordKind kind, const std::string& password) const;
  void SetPassword(const std::string& customer, PasswordKind kind, std::string password);

  // Whether the account confirmed its settlement statement of the trading day.
  bool StatementConfirmed(const std::string& customer, const std::string& tradingDay) const;
  void ConfirmStatement(const std::string& customer, const std::string& tradingDay);

  // "0" normal unless set otherwise.
  std::string Status(const std::string& customer) const;
  void SetStatus(const std::string& customer, std::string status);

  // Enters a deposit or withdrawal that counts once reviewed; its serial
  // number (the entry's own is replaced).
  std::string AddMoneyEntry(MoneyEntry entry);
  enum class ReviewResult { kReviewed, kUnknown, kAlreadyReviewed };
  // Reviews the entry with that serial number when it belongs to one of `customers`.
  ReviewResult Review(const std::string& serial, const std::vector<std::string>& customers);
  // The reviewed entries of the customer dated from `first` to `last`
  // ("YYYYMMDD"), of one direction or both, in the order they were entered.
  std::vector<MoneyEntry> MoneyHistory(const std::string& customer, const std::string& first, const std::string& last,
                                       std::optional<MoneyDirection> direction) const;

 private:
  struct MoneyRecord {
    MoneyEntry entry;
    bool reviewed = false;
  };

  mutable std::mutex mutex_;                     // guards everything below
  std::map<std::string, std::string> statuses_;  // by customer
  std::map<std::pair<std::string, PasswordKind>, std::string> passwords_;
  std::set<std::pair<std::string, std::string>> confirmedStatements_;  // customer and trading day
  std::vector<MoneyRecord> money_;
  std::int64_t lastSerial_ = 0;
};

}  // namespace simbackend
