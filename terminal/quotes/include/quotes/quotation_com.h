// CtbQuotationCom: the quote table. It holds the contracts whose quotes the
// terminal currently wants (at most 40), each with the last quote received
// and the number of references that keep it; the set of contracts is the
// quote subscription, sent again through the QuoteSubscriber whenever it
// changes.
//
// Threads: quotes are applied and references taken and dropped on the GUI
// thread; FindQuote is also called from other threads (the engine's). The
// table's lock guards the slots and is held only to read or change them.
// Listeners (NotifyQuote) and the subscriber are called after the lock is
// released, with copies taken under it, so that a listener may call back
// into the table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/quote_record.h"
#include "quotes/contract_key.h"
#include "quotes/quote_subscriber.h"

namespace quotes {

class CtbQuotationCom {
 public:
  static constexpr std::size_t kMaxSlots = 40;

  CtbQuotationCom() { slotIndex_.fill(kNoSlot); }
  virtual ~CtbQuotationCom() = default;
  CtbQuotationCom(const CtbQuotationCom&) = delete;
  CtbQuotationCom& operator=(const CtbQuotationCom&) = delete;

  // Where the subscription goes; none (the default) sends nothing. Set on
  // the GUI thread before quotes are applied.
  void SetQuoteSubscriber(QuoteSubscriber* subscriber) { subscriber_ = subscriber; }

  // Applies a pushed quote to its contract's slot and notifies the
  // listeners. A quote with a name replaces the slot's quote; a nameless one
  // updates only the changing values. False, with nothing notified, when
  // the contract has no slot or when a nameless quote arrives for a slot that
  // never received a named one (the subscription is then sent again).
  bool ApplyQuote(const backend::QuoteRecord& quote);
  // Copies the quote held for the contract; false, `quote` untouched, when
  // the contract has no slot. Safe on any thread.
  bool FindQuote(std::string_view exchange, std::string_view code, backend::QuoteRecord& quote) const;

  // One reference per key of the list (nameless 34-byte ContractKeys). A key
  // whose contract has a slot notifies the listeners at once with the held
  // quote; a new contract gets a slot while fewer than 40 exist. Always true.
  bool AddQuoteRefs(const backend::CxDataSetView& keys);
  // Drops one reference per key; a contract whose references are all gone
  // leaves the table. True when at least one slot was removed.
  bool ReleaseQuoteRefs(const backend::CxDataSetView& keys);
  // Releases the old keys, then adds the new ones. 0, doing nothing, when
  // both are empty; else 1.
  int ReplaceWatchedContracts(const std::vector<ContractKey>& oldKeys, const std::vector<ContractKey>& newKeys);
  // Drops one reference per key of `release` and takes one per key of `add`
  // in one step, as a window that moves over a list of contracts does: a
  // contract in both lists keeps its slot and its quote, the listeners hear
  // the held quotes of the added contracts that had a slot, and the
  // subscription goes out once, when the set of contracts changed.
  void MoveQuoteRefs(std::span<const ContractKey> release, std::span<const ContractKey> add);

  // Gives each wanted contract that holds references but found no slot the
  // slot of a contract outside `keep` and `wanted`, the slot made last
  // first; that contract's references then wait without a slot. The
  // contracts that gave up their slots; the subscription goes out once.
  std::vector<ContractKey> TakeSlots(std::span<const ContractKey> wanted, std::span<const ContractKey> keep);
  // The contracts that hold references without a slot (the table was full).
  std::vector<ContractKey> UnslottedContracts() const;
  // Sends the current slots to the subscriber again (after the quote
  // connection comes back).
  void ResendSubscription();
  // A copy of the slots in slot order.
  std::vector<backend::QuoteSlot> CopySlots() const;

 protected:
  // Called for every applied quote and for every held quote a new reference
  // asks for, with a copy of the slot's quote, outside the table's lock. The
  // table itself tells no one.
  virtual void NotifyQuote(const backend::QuoteRecord& /*quote*/) {}

 private:
  // References to a contract that got no slot because the table was full.
  struct UnslottedRefs {
    ContractKey key;
    int count = 0;
  };

  // MoveQuoteRefs; true when a slot was removed.
  bool MoveRefs(std::span<const ContractKey> release, std::span<const ContractKey> add);
  void Subscribe(std::span<const backend::QuoteSlot> slots);

  // The helpers below expect the lock held.
  backend::QuoteSlot* FindSlot(std::string_view exchange, std::string_view code);
  const backend::QuoteSlot* FindSlot(std::string_view exchange, std::string_view code) const;
  backend::QuoteSlot* FindSlot(const ContractKey& key) { return FindSlot(key.Exchange(), key.Code()); }
  bool CreateSlot(const ContractKey& key);
  std::vector<UnslottedRefs>::iterator FindUnslotted(const ContractKey& key);
  void CountUnslotted(const ContractKey& key, int delta);
  int TakeUnslotted(const ContractKey& key);
  void RemoveUnreferencedSlots();
  std::vector<backend::QuoteSlot> SnapshotSlots() const;
  // The slots by the hash of their exchange and contract code, open
  // addressing with linear probing: every pushed quote looks its slot up.
  static std::size_t Bucket(std::string_view exchange, std::string_view code);
  void IndexSlots();

  static constexpr std::size_t kBuckets = 128;  // a power of two, over three times kMaxSlots
  static constexpr std::uint8_t kNoSlot = 0xFF;
  static_assert(kMaxSlots < kNoSlot && kBuckets > 2 * kMaxSlots && (kBuckets & (kBuckets - 1)) == 0);

  mutable std::mutex mutex_;
  std::size_t slotCount_ = 0;
  std::array<backend::QuoteSlot, kMaxSlots> slots_{};
  std::array<std::uint8_t, kBuckets> slotIndex_;
  std::vector<UnslottedRefs> unslotted_;
  QuoteSubscriber* subscriber_ = nullptr;
};

static_assert(sizeof(std::array<backend::QuoteSlot, CtbQuotationCom::kMaxSlots>) == CtbQuotationCom::kMaxSlots * 232,
              "slots lie back to back with a 232-byte stride");

}  // namespace quotes
