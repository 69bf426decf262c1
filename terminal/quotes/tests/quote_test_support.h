// Small builders and recorders shared by the quote tests.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/quote_record.h"
#include "quotes/contract_key.h"
#include "quotes/quote_subscriber.h"
#include "quotes/watch_callback.h"

namespace quotes::testing {

inline backend::CxDataSet KeyList(std::initializer_list<ContractKey> keys) {
  backend::CxDataSet list;
  for (const ContractKey& key : keys) AppendContractKey(list, key);
  return list;
}

// A quote for the contract with the given name (empty for a nameless one).
inline backend::QuoteRecord Quote(const ContractKey& key, std::string_view name, float last) {
  backend::QuoteRecord quote;
  key.Exchange().copy(quote.szExchange, sizeof quote.szExchange - 1);
  key.Code().copy(quote.szCode, sizeof quote.szCode - 1);
  name.copy(quote.szName, sizeof quote.szName - 1);
  quote.fNewPrice = last;
  return quote;
}

// The contract codes of slots, in slot order.
inline std::vector<std::string> Codes(std::span<const backend::QuoteSlot> slots) {
  std::vector<std::string> codes;
  for (const backend::QuoteSlot& slot : slots) codes.emplace_back(slot.quote.szCode);
  return codes;
}

class RecordingSubscriber : public QuoteSubscriber {
 public:
  void SetSubscriptionList(std::span<const backend::QuoteSlot> slots) override { lists.emplace_back(Codes(slots)); }
  std::vector<std::vector<std::string>> lists;
};

class RecordingListener : public CWatchCallback {
 public:
  explicit RecordingListener(std::string name = {}) : name_(std::move(name)) {}
  bool OnQuote(int event, const backend::QuoteRecord* quote) override {
    events.push_back(event);
    quotes.push_back(*quote);
    if (calls != nullptr) calls->push_back(name_);
    return true;
  }
  std::vector<int> events;
  std::vector<backend::QuoteRecord> quotes;
  std::vector<std::string>* calls = nullptr;  // shared call order of several listeners

 private:
  std::string name_;
};

}  // namespace quotes::testing
