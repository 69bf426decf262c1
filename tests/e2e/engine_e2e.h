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

// The account's orders and trades, keyed as the book's are below.
std::vector<Key> EngineOrderKeys(const VisibleEngine& engine, std::string_view customer);
std::vector<Key> EngineTradeKeys(const VisibleEngine& engine, std::string_view customer);
std::vector<Key> BookOrderKeys(const simbackend::AccountView& book);
std::vector<Key> BookTradeKeys(const simbackend::AccountView& book);

// The account's day in the engine as the book holds it: every order (with
// what it still freezes), every trade, every position of the summary and
// every amount of the funds to the cent, but for the amounts named `apart`.
void ExpectDayAsTheBookHasIt(const VisibleEngine& engine, const simbackend::AccountView& book,
                             std::string_view customer, const std::set<std::string_view>& apart = {});

}  // namespace engine_e2e
