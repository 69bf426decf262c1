// What the engine's end-to-end tests share: the engine with its tables open
// for reading, a bounded pump of the result queue, and the account's day in
// the engine held against the simulated back end's book.
#pragma once

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "engine/operation_engine.h"
#include "engine/row_field.h"
#include "engine/testing/open_engine.h"
#include "simbackend/account_view.h"

namespace engine_e2e {

// The engine downloading on its own thread, with its tables open for reading
// and its price refresh for calling.
class VisibleEngine : public engine_testing::OpenEngine {
 public:
  VisibleEngine() : OpenEngine(/*runsOwnDownloads=*/true) {}
};

// Runs `drain` as the GUI thread's timer runs its drain of the result queue,
// a short pause between, until `done` holds; false past `bound`.
bool PumpUntil(const std::function<void()>& drain, const std::function<bool()>& done, std::chrono::milliseconds bound);

using Key = std::vector<std::string>;

// The keys of a list, sorted, to compare as multisets.
std::vector<Key> Sorted(std::vector<Key> keys);

// The keys of the rows of `account`, sorted.
template <typename Row>
std::vector<Key> OfAccount(const std::vector<Row>& rows, std::string_view account,
                           const std::function<Key(const Row&)>& key) {
  std::vector<Key> keys;
  for (const Row& row : rows) {
    if (engine::Text(row.szTradeAccount) == account) keys.push_back(key(row));
  }
  return Sorted(std::move(keys));
}

// Rows of one kind of the account, keyed alike as the engine and as the
// book hold them, sorted.
struct KeyedRows {
  std::string_view what;
  std::vector<Key> engine;
  std::vector<Key> book;

  bool Same() const { return engine == book; }
};

// The account's orders and special orders (with what each still freezes),
// trades and option exercise and abandon applications.
std::vector<KeyedRows> KeyedBusiness(const VisibleEngine& engine, const simbackend::AccountView& book,
                                     std::string_view customer);

// The account's day in the engine as the book holds it: every order and
// special order (with what it still freezes), every trade and application,
// every position of the summary and every amount of the funds to the cent,
// but for the amounts named `apart`.
void ExpectDayAsTheBookHasIt(const VisibleEngine& engine, const simbackend::AccountView& book,
                             std::string_view customer, const std::set<std::string_view>& apart = {});

}  // namespace engine_e2e
