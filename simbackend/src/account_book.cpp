#include "account_book.h"

#include <algorithm>

namespace simbackend {

AccountBook::AccountBook(const BackendData& data) {
  for (const Account& account : data.accounts)
    for (const PasswordKind kind : {PasswordKind::kTrading, PasswordKind::kFund, PasswordKind::kOrder})
      passwords_[{account.customer, kind}] = account.password;
  for (const MoneyEntry& entry : data.moneyHistory) {
    money_.push_back({entry, true});
    lastSerial_ = std::max<std::int64_t>(lastSerial_, std::stoll(entry.serial));
  }
}

bool AccountBook::HasPassword(const std::string& customer, PasswordKind kind, const std::string& password) const {
  std::lock_guard lock(mutex_);
  const auto found = passwords_.find({customer, kind});
  return found != passwords_.end() && found->second == password;
}

void AccountBook::SetPassword(const std::string& customer, PasswordKind kind, std::string password) {
  std::lock_guard lock(mutex_);
  passwords_[{customer, kind}] = std::move(password);
}

bool AccountBook::StatementConfirmed(const std::string& customer, const std::string& tradingDay) const {
  std::lock_guard lock(mutex_);
  return confirmedStatements_.count({customer, tradingDay}) > 0;
}

void AccountBook::ConfirmStatement(const std::string& customer, const std::string& tradingDay) {
  std::lock_guard lock(mutex_);
  confirmedStatements_.insert({customer, tradingDay});
}

std::string AccountBook::Status(const std::string& customer) const {
  std::lock_guard lock(mutex_);
  const auto found = statuses_.find(customer);
  return found == statuses_.end() ? "0" : found->second;
}

void AccountBook::SetStatus(const std::string& customer, std::string status) {
  std::lock_guard lock(mutex_);
  statuses_[customer] = std::move(status);
}

std::string AccountBook::AddMoneyEntry(MoneyEntry entry) {
  std::lock_guard lock(mutex_);
  entry.serial = std::to_string(++lastSerial_);
  money_.push_back({std::move(entry), false});
  return money_.back().entry.serial;
}

AccountBook::ReviewResult AccountBook::Review(const std::string& serial, const std::vector<std::string>& customers) {
  std::lock_guard lock(mutex_);
  const auto found = std::find_if(money_.begin(), money_.end(), [&](const MoneyRecord& r) {
    return r.entry.serial == serial &&
           std::find(customers.begin(), customers.end(), r.entry.customer) != customers.end();
  });
  if (found == money_.end()) return ReviewResult::kUnknown;
  if (found->reviewed) return ReviewResult::kAlreadyReviewed;
  found->reviewed = true;
  return ReviewResult::kReviewed;
}

std::vector<MoneyEntry> AccountBook::MoneyHistory(const std::string& customer, const std::string& first,
                                                  const std::string& last,
                                                  std::optional<MoneyDirection> direction) const {
  std::lock_guard lock(mutex_);
  std::vector<MoneyEntry> entries;
  // Dates of eight digits compare as texts.
  for (const MoneyRecord& record : money_)
    if (record.reviewed && record.entry.customer == customer && record.entry.date >= first &&
        record.entry.date <= last && (!direction || record.entry.direction == *direction))
      entries.push_back(record.entry);
  return entries;
}

}  // namespace simbackend
