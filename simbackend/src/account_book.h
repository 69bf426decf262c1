// What the management of the accounts changes while the back end runs:
// the accounts' status and their deposits and withdrawals. Kept in memory
// only, starting from the data folder; their trading is the trading
// floor's (trading_floor.h). Thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "simbackend/backend_data.h"

namespace simbackend {

class AccountBook {
 public:
  explicit AccountBook(const BackendData& data);

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
  std::vector<MoneyRecord> money_;
  std::int64_t lastSerial_ = 0;
};

}  // namespace simbackend
