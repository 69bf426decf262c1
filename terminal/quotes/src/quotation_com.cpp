#include "quotes/quotation_com.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

namespace quotes {
namespace {

using backend::QuoteRecord;
using backend::QuoteSlot;

// A new combination contract (its code joins two legs with "&") shows this
// last price until its first quote arrives.
constexpr float kCombinationStartPrice = 100000.0f;

bool HasName(const QuoteRecord& quote) { return quote.szName[0] != '\0'; }

// A price of 0 (or what rounding leaves of it) stands for no price.
bool IsPrice(float price) { return std::fabs(price) >= 1e-6f; }

// The day's extreme after a nameless quote: the quote's own figure when it
// carries one; else its last price when that goes beyond the held extreme
// (or no extreme is held yet); else the held one.
template <typename Beyond>
float UpdatedExtreme(float held, float reported, float last, Beyond beyond) {
  if (IsPrice(reported)) return reported;
  if (IsPrice(last) && (!IsPrice(held) || beyond(last, held))) return last;
  return held;
}

// A nameless quote carries only the values that change during the day; the
// name, previous close, opening price, previous settlement, previous open
// interest and closing price stay as the last named quote gave them.
void ApplyChangingValues(QuoteRecord& held, const QuoteRecord& update) {
  held.fHighestPrice = UpdatedExtreme(held.fHighestPrice, update.fHighestPrice, update.fNewPrice, std::greater<>());
  held.fLowestPrice = UpdatedExtreme(held.fLowestPrice, update.fLowestPrice, update.fNewPrice, std::less<>());
  held.fNewPrice = update.fNewPrice;
  held.dAmount = update.dAmount;
  held.dwVolume = update.dwVolume;
  held.dwOpenInterest = update.dwOpenInterest;
  held.fLowerLimitPrice = update.fLowerLimitPrice;
  held.fUpperLimitPrice = update.fUpperLimitPrice;
  held.fSettlementPrice = update.fSettlementPrice;
  held.fBuyPrice1 = update.fBuyPrice1;
  held.dwBuyVolume1 = update.dwBuyVolume1;
  held.fSellPrice1 = update.fSellPrice1;
  held.dwSellVolume1 = update.dwSellVolume1;
  std::copy(std::begin(update.depth), std::end(update.depth), std::begin(held.depth));
  held.dwBuyVolumeSecond = update.dwBuyVolumeSecond;
  held.dwSellVolumeSecond = update.dwSellVolumeSecond;
}

}  // namespace

bool CtbQuotationCom::ApplyQuote(const QuoteRecord& quote) {
  std::optional<QuoteRecord> applied;
  std::vector<QuoteSlot> resend;
  {
    std::lock_guard lock(mutex_);
    QuoteSlot* slot = FindSlot(FieldText(quote.szExchange), FieldText(quote.szCode));
    if (slot == nullptr) return false;
    if (HasName(quote)) {
      slot->quote = quote;
      applied = slot->quote;
    } else if (!HasName(slot->quote)) {
      // Only a named quote gives the values that nameless ones leave out;
      // asking again makes the back end send one.
      resend = SnapshotSlots();
    } else {
      ApplyChangingValues(slot->quote, quote);
      applied = slot->quote;
    }
  }
  if (!applied) {
    Subscribe(resend);
    return false;
  }
  NotifyQuote(*applied);
  return true;
}

bool CtbQuotationCom::FindQuote(std::string_view exchange, std::string_view code, QuoteRecord& quote) const {
  std::lock_guard lock(mutex_);
  const QuoteSlot* slot = FindSlot(exchange, code);
  if (slot == nullptr) return false;
  quote = slot->quote;
  return true;
}

bool CtbQuotationCom::AddQuoteRefs(const backend::CxDataSetView& keys) {
  MoveRefs({}, ReadContractKeys(keys));
  return true;
}

bool CtbQuotationCom::ReleaseQuoteRefs(const backend::CxDataSetView& keys) {
  return MoveRefs(ReadContractKeys(keys), {});
}

int CtbQuotationCom::ReplaceWatchedContracts(const std::vector<ContractKey>& oldKeys,
                                             const std::vector<ContractKey>& newKeys) {
  if (oldKeys.empty() && newKeys.empty()) return 0;
  if (!oldKeys.empty()) MoveRefs(oldKeys, {});
  if (!newKeys.empty()) MoveRefs({}, newKeys);
  return 1;
}

void CtbQuotationCom::MoveQuoteRefs(std::span<const ContractKey> release, std::span<const ContractKey> add) {
  MoveRefs(release, add);
}

std::vector<ContractKey> CtbQuotationCom::TakeSlots(std::span<const ContractKey> wanted,
                                                    std::span<const ContractKey> keep) {
  const auto listed = [](std::span<const ContractKey> keys, const ContractKey& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
  };
  std::vector<ContractKey> given;
  std::vector<QuoteSlot> subscription;
  {
    std::lock_guard lock(mutex_);
    for (const ContractKey& key : wanted) {
      if (FindSlot(key) != nullptr || FindUnslotted(key) == unslotted_.end()) continue;
      auto victim = std::make_reverse_iterator(slots_.begin() + static_cast<std::ptrdiff_t>(slotCount_));
      const auto first = std::make_reverse_iterator(slots_.begin());
      victim = std::find_if(victim, first, [&](const QuoteSlot& slot) {
        const ContractKey held = KeyOf(slot.quote);
        return !listed(keep, held) && !listed(wanted, held);
      });
      if (victim == first) break;
      const ContractKey evicted = KeyOf(victim->quote);
      CountUnslotted(evicted, victim->refCount);
      victim->refCount = 0;
      RemoveUnreferencedSlots();
      const int references = TakeUnslotted(key);
      CreateSlot(key);
      FindSlot(key)->refCount = references;
      given.push_back(evicted);
    }
    if (!given.empty()) subscription = SnapshotSlots();
  }
  if (!given.empty()) Subscribe(subscription);
  return given;
}

std::vector<ContractKey> CtbQuotationCom::UnslottedContracts() const {
  std::lock_guard lock(mutex_);
  std::vector<ContractKey> keys;
  for (const UnslottedRefs& refs : unslotted_) keys.push_back(refs.key);
  return keys;
}

void CtbQuotationCom::ResendSubscription() { Subscribe(CopySlots()); }

std::vector<QuoteSlot> CtbQuotationCom::CopySlots() const {
  std::lock_guard lock(mutex_);
  return SnapshotSlots();
}

// The added contracts that hold a slot are counted before any reference is
// dropped, so that a contract in both lists never leaves the table; new
// slots are made once the dropped ones are gone, so that a full table makes
// room first.
bool CtbQuotationCom::MoveRefs(std::span<const ContractKey> release, std::span<const ContractKey> add) {
  std::vector<QuoteRecord> held;
  std::vector<QuoteSlot> subscription;
  bool slotsRemoved = false;
  bool slotsCreated = false;
  {
    std::lock_guard lock(mutex_);
    std::vector<ContractKey> newContracts;
    for (const ContractKey& key : add) {
      if (QuoteSlot* slot = FindSlot(key)) {
        ++slot->refCount;
        held.push_back(slot->quote);
      } else {
        newContracts.push_back(key);
      }
    }
    for (const ContractKey& key : release) {
      if (QuoteSlot* slot = FindSlot(key)) {
        slotsRemoved |= --slot->refCount < 1;
      } else {
        CountUnslotted(key, -1);
      }
    }
    if (slotsRemoved) RemoveUnreferencedSlots();
    // A key may come twice in one list: its first turn makes the slot.
    for (const ContractKey& key : newContracts) {
      if (QuoteSlot* slot = FindSlot(key)) {
        ++slot->refCount;
      } else if (CreateSlot(key)) {
        slotsCreated = true;
      } else {
        CountUnslotted(key, +1);
      }
    }
    if (slotsRemoved || slotsCreated) subscription = SnapshotSlots();
  }
  for (const QuoteRecord& quote : held) NotifyQuote(quote);
  if (slotsRemoved || slotsCreated) Subscribe(subscription);
  return slotsRemoved;
}

void CtbQuotationCom::Subscribe(std::span<const QuoteSlot> slots) {
  if (subscriber_ != nullptr) subscriber_->SetSubscriptionList(slots);
}

QuoteSlot* CtbQuotationCom::FindSlot(std::string_view exchange, std::string_view code) {
  return const_cast<QuoteSlot*>(std::as_const(*this).FindSlot(exchange, code));
}

const QuoteSlot* CtbQuotationCom::FindSlot(std::string_view exchange, std::string_view code) const {
  for (std::size_t bucket = Bucket(exchange, code);; bucket = (bucket + 1) % kBuckets) {
    const std::uint8_t index = slotIndex_[bucket];
    if (index == kNoSlot) return nullptr;
    const QuoteSlot& slot = slots_[index];
    if (FieldText(slot.quote.szCode) == code && FieldText(slot.quote.szExchange) == exchange) return &slot;
  }
}

std::size_t CtbQuotationCom::Bucket(std::string_view exchange, std::string_view code) {
  // FNV-1a over both texts, a zero byte between them.
  std::uint32_t hash = 2166136261u;
  const auto mix = [&hash](std::string_view text) {
    for (const char c : text) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    hash *= 16777619u;
  };
  mix(exchange);
  mix(code);
  return hash % kBuckets;
}

void CtbQuotationCom::IndexSlots() {
  slotIndex_.fill(kNoSlot);
  for (std::size_t index = 0; index < slotCount_; ++index) {
    const QuoteRecord& quote = slots_[index].quote;
    std::size_t bucket = Bucket(FieldText(quote.szExchange), FieldText(quote.szCode));
    while (slotIndex_[bucket] != kNoSlot) bucket = (bucket + 1) % kBuckets;
    slotIndex_[bucket] = static_cast<std::uint8_t>(index);
  }
}

// References taken while the table was full count towards the new slot, so
// the contract stays until every holder has let it go.
bool CtbQuotationCom::CreateSlot(const ContractKey& key) {
  if (slotCount_ == kMaxSlots) return false;
  QuoteSlot& slot = slots_[slotCount_++];
  slot = QuoteSlot{};
  std::memcpy(slot.quote.szExchange, key.exchange, sizeof key.exchange);
  std::memcpy(slot.quote.szCode, key.code, sizeof key.code);
  if (key.Code().find('&') != std::string_view::npos) slot.quote.fNewPrice = kCombinationStartPrice;
  slot.refCount = 1 + TakeUnslotted(key);
  IndexSlots();
  return true;
}

std::vector<CtbQuotationCom::UnslottedRefs>::iterator CtbQuotationCom::FindUnslotted(const ContractKey& key) {
  return std::find_if(unslotted_.begin(), unslotted_.end(), [&](const UnslottedRefs& refs) { return refs.key == key; });
}

void CtbQuotationCom::CountUnslotted(const ContractKey& key, int delta) {
  const auto found = FindUnslotted(key);
  if (found == unslotted_.end()) {
    if (delta > 0) unslotted_.push_back({key, delta});
    return;
  }
  found->count += delta;
  if (found->count < 1) unslotted_.erase(found);
}

int CtbQuotationCom::TakeUnslotted(const ContractKey& key) {
  const auto found = FindUnslotted(key);
  if (found == unslotted_.end()) return 0;
  const int count = found->count;
  unslotted_.erase(found);
  return count;
}

void CtbQuotationCom::RemoveUnreferencedSlots() {
  const auto end = slots_.begin() + static_cast<std::ptrdiff_t>(slotCount_);
  const auto kept = std::remove_if(slots_.begin(), end, [](const QuoteSlot& slot) { return slot.refCount < 1; });
  slotCount_ = static_cast<std::size_t>(kept - slots_.begin());
  IndexSlots();
}

std::vector<QuoteSlot> CtbQuotationCom::SnapshotSlots() const {
  return {slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(slotCount_)};
}

}  // namespace quotes
