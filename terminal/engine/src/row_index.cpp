#include "row_index.h"

#include <bit>
#include <utility>

namespace engine {
namespace {

constexpr std::size_t kFirstChains = 64;

std::uint64_t HashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }

}  // namespace

const std::vector<std::uint32_t>& RowIndex::RowsOf(const EngineTable& table, std::string_view key) {
  CatchUp(table);
  found_.clear();
  if (chains_.empty()) return found_;
  const std::uint64_t hash = HashOf(key);
  const HashChain& chain = chains_[SlotOf(hash)];
  const EngineTable& entries = table;
  // Keys of another hash may share the chain's hash: each row's key is read
  // again.
  for (std::uint32_t row = chain.first; row != kNoRow; row = nextOfRow_[row]) {
    key_.clear();
    if (keyOf_(entries.GetValue(row), key_) && key_ == key) found_.push_back(row);
  }
  return found_;
}

void RowIndex::Forget() {
  idOfRow_.clear();
  nextOfRow_.clear();
  chains_.clear();
  chainCount_ = 0;
}

void RowIndex::Rebuild(const EngineTable& table) {
  Forget();
  CatchUp(table);
}

bool RowIndex::SeenRowsInPlace(const EngineTable& entries) const {
  return idOfRow_.empty() ||
         (entries.GetCount() >= idOfRow_.size() && entries.GetId(idOfRow_.size() - 1) == idOfRow_.back());
}

void RowIndex::CatchUp(const EngineTable& table) {
  const EngineTable& entries = table;
  if (!SeenRowsInPlace(entries)) Forget();
  const std::uint32_t count = entries.GetCount();
  if (idOfRow_.empty()) {
    idOfRow_.reserve(count);
    nextOfRow_.reserve(count);
    // Room for a key per row, so that a long table's keys are not moved
    // as their table grows.
    if (chains_.size() < 2 * std::size_t{count}) ResizeChains(std::bit_ceil(2 * std::size_t{count}));
  }
  for (auto row = static_cast<std::uint32_t>(idOfRow_.size()); row < count; ++row) {
    idOfRow_.push_back(*entries.GetId(row));
    nextOfRow_.push_back(kNoRow);
    key_.clear();
    if (keyOf_(entries.GetValue(row), key_)) Link(row, HashOf(key_));
  }
}

void RowIndex::Link(std::uint32_t row, std::uint64_t hash) {
  if (2 * (chainCount_ + 1) > chains_.size()) ResizeChains(chains_.empty() ? kFirstChains : 2 * chains_.size());
  HashChain& chain = chains_[SlotOf(hash)];
  if (chain.first == kNoRow) {
    chain = {hash, row, row};
    ++chainCount_;
    return;
  }
  nextOfRow_[chain.last] = row;
  chain.last = row;
}

std::size_t RowIndex::SlotOf(std::uint64_t hash) const {
  const std::size_t mask = chains_.size() - 1;
  std::size_t slot = hash & mask;
  while (chains_[slot].first != kNoRow && chains_[slot].hash != hash) slot = (slot + 1) & mask;
  return slot;
}

void RowIndex::ResizeChains(std::size_t slots) {
  std::vector<HashChain> old = std::exchange(chains_, std::vector<HashChain>(slots));
  for (const HashChain& chain : old) {
    if (chain.first != kNoRow) chains_[SlotOf(chain.hash)] = chain;
  }
}

}  // namespace engine
