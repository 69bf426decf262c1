// What the back end's functions change in the accounts while it runs: the
// accounts' status, their deposits and withdrawals, and their option
// exercise and abandon applications. Kept in memory only, starting from the
// data folder; funds and positions are not touched yet. Thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "simbackend/backend_data.h"

namespace simbackend {

// An application to exercise a long option position, or to abandon its
// exercise.
struct ExerciseApplication {
  std::string customer;
  std::string number;    // given by the back end, unique
  std::string exchange;  // the exchange id
  std::string contract;
  std::string state;  // "a" entered, "d" cancelled
  std::string buySell;
  std::string hedge;
  std::int64_t lots = 0;
  std::string tradingCode;
  std::string seat;
  std::string orderSeat;
  std::string type;  // "1" exercise, "2" abandon
  std::string tradingDate;
  std::string orderTime;
  std::string cancelTime;
};

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

  // Enters the application; it as entered, with its number and state.
  ExerciseApplication AddExercise(ExerciseApplication application);
  // The customer's applications in the order they were entered.
  std::vector<ExerciseApplication> Exercises(const std::string& customer) const;

  enum class CancelResult { kCancelled, kUnknown, kAlreadyCancelled };
  // Cancels the customer's application with that number at that exchange,
  // at `time`; `application` receives it as it then stands.
  CancelResult CancelExercise(const std::string& customer, const std::string& number, const std::string& exchange,
                              const std::string& time, ExerciseApplication& application);

 private:
  struct MoneyRecord {
    MoneyEntry entry;
    bool reviewed = false;
  };

  mutable std::mutex mutex_;                     // guards everything below
  std::map<std::string, std::string> statuses_;  // by customer
  std::vector<MoneyRecord> money_;
  std::int64_t lastSerial_ = 0;
  std::vector<ExerciseApplication> exercises_;
};

}  // namespace simbackend
