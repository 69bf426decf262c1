#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "quote_test_support.h"
#include "quotes/quotation_ctrl.h"
#include "quotes/quote_object.h"

namespace {

using backend::QuoteRecord;
using quotes::ContractKey;
using quotes::MakeContractKey;
using quotes::testing::Codes;
using quotes::testing::KeyList;
using quotes::testing::Quote;
using SubscribedLists = std::vector<std::vector<std::string>>;

const ContractKey kCopper = MakeContractKey("S", "cu2409");
const ContractKey kAluminium = MakeContractKey("S", "al2409");
const ContractKey kZinc = MakeContractKey("S", "zn2409");

class QuoteTable : public ::testing::Test {
 protected:
  QuoteTable() {
    table.SetQuoteSubscriber(&subscriber);
    table.RegisterWatch(&listener);
  }

  void Add(std::initializer_list<ContractKey> keys) { EXPECT_TRUE(table.AddQuoteRefs(KeyList(keys).View())); }
  bool Release(std::initializer_list<ContractKey> keys) { return table.ReleaseQuoteRefs(KeyList(keys).View()); }
  QuoteRecord Held(const ContractKey& key) {
    QuoteRecord quote;
    EXPECT_TRUE(table.FindQuote(key.Exchange(), key.Code(), quote)) << key.Code();
    return quote;
  }
  bool Holds(const ContractKey& key) {
    QuoteRecord quote;
    return table.FindQuote(key.Exchange(), key.Code(), quote);
  }
  std::vector<int> RefCounts() {
    std::vector<int> counts;
    for (const backend::QuoteSlot& slot : table.CopySlots()) counts.push_back(slot.refCount);
    return counts;
  }

  quotes::testing::RecordingSubscriber subscriber;
  quotes::testing::RecordingListener listener;
  quotes::CtbQuotationCtrl table;
};

// Every value of the record set, distinct per field, from `base` on.
QuoteRecord FullQuote(const ContractKey& key, std::string_view name, float base) {
  QuoteRecord quote = Quote(key, name, base + 1);
  quote.dAmount = base + 2;
  quote.dwVolume = static_cast<int>(base) + 3;
  quote.dwOpenInterest = static_cast<int>(base) + 4;
  quote.fLastClosePrice = base + 5;
  quote.fOpenPrice = base + 6;
  quote.fHighestPrice = base + 7;
  quote.fLowestPrice = base + 8;
  quote.fLowerLimitPrice = base + 9;
  quote.fUpperLimitPrice = base + 10;
  quote.dwPreOpenInterest = static_cast<int>(base) + 11;
  quote.fPreSettlementPrice = base + 12;
  quote.fSettlementPrice = base + 13;
  quote.fClosePrice = base + 14;
  quote.fBuyPrice1 = base + 15;
  quote.dwBuyVolume1 = static_cast<int>(base) + 16;
  quote.fSellPrice1 = base + 17;
  quote.dwSellVolume1 = static_cast<int>(base) + 18;
  for (int level = 0; level < 4; ++level) {
    quote.depth[level] = {base + 20 + level, static_cast<int>(base) + 30 + level, base + 40 + level,
                          static_cast<int>(base) + 50 + level};
  }
  quote.dwBuyVolumeSecond = static_cast<int>(base) + 60;
  quote.dwSellVolumeSecond = static_cast<int>(base) + 61;
  return quote;
}

TEST_F(QuoteTable, NamedQuoteReplacesTheSlotAndNotifies) {
  Add({kCopper});
  const QuoteRecord named = FullQuote(kCopper, "沪铜2409", 100);
  ASSERT_TRUE(table.ApplyQuote(named));
  ASSERT_EQ(listener.events, std::vector<int>{quotes::kQuoteEvent});
  EXPECT_EQ(std::memcmp(&listener.quotes[0], &named, sizeof named), 0);
  const QuoteRecord held = Held(kCopper);
  EXPECT_EQ(std::memcmp(&held, &named, sizeof named), 0);
}

TEST_F(QuoteTable, NamelessQuoteUpdatesOnlyTheChangingValues) {
  Add({kCopper});
  ASSERT_TRUE(table.ApplyQuote(FullQuote(kCopper, "沪铜2409", 100)));
  const QuoteRecord update = FullQuote(kCopper, "", 500);
  ASSERT_TRUE(table.ApplyQuote(update));

  const QuoteRecord held = Held(kCopper);
  EXPECT_STREQ(held.szName, "沪铜2409");
  EXPECT_EQ(held.fLastClosePrice, 105);
  EXPECT_EQ(held.fOpenPrice, 106);
  EXPECT_EQ(held.dwPreOpenInterest, 111);
  EXPECT_EQ(held.fPreSettlementPrice, 112);
  EXPECT_EQ(held.fClosePrice, 114);

  EXPECT_EQ(held.fNewPrice, update.fNewPrice);
  EXPECT_EQ(held.dAmount, update.dAmount);
  EXPECT_EQ(held.dwVolume, update.dwVolume);
  EXPECT_EQ(held.dwOpenInterest, update.dwOpenInterest);
  EXPECT_EQ(held.fHighestPrice, update.fHighestPrice);
  EXPECT_EQ(held.fLowestPrice, update.fLowestPrice);
  EXPECT_EQ(held.fLowerLimitPrice, update.fLowerLimitPrice);
  EXPECT_EQ(held.fUpperLimitPrice, update.fUpperLimitPrice);
  EXPECT_EQ(held.fSettlementPrice, update.fSettlementPrice);
  // The whole book: level 1, levels 2 to 5 and the two second volumes.
  constexpr std::size_t kBookStart = offsetof(QuoteRecord, fBuyPrice1);
  constexpr std::size_t kBookEnd = offsetof(QuoteRecord, reserved2);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&held) + kBookStart,
                        reinterpret_cast<const char*>(&update) + kBookStart, kBookEnd - kBookStart),
            0);
  ASSERT_EQ(listener.quotes.size(), 2u);
  EXPECT_EQ(std::memcmp(&listener.quotes[1], &held, sizeof held), 0);
}

TEST_F(QuoteTable, NamelessQuoteKeepsTheDaysExtremesUnlessItSetsThem) {
  struct Case {
    const char* what;
    float heldHigh, heldLow;
    float reportedHigh, reportedLow, last;
    float high, low;
  };
  const Case cases[] = {
      {"a last price above the high raises it", 10, 5, 0, 0, 12, 12, 5},
      {"a last price inside the range keeps both", 10, 5, 0, 0, 8, 10, 5},
      {"a last price below the low lowers it", 10, 5, 0, 0, 4, 10, 4},
      {"reported extremes are taken as they come", 10, 5, 9, 6, 8, 9, 6},
      {"with no extremes held yet the last price starts both", 0, 0, 0, 0, 7, 7, 7},
      {"no last price leaves both", 10, 5, 0, 0, 0, 10, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    quotes::CtbQuotationCom quotesOnly;
    ASSERT_TRUE(quotesOnly.AddQuoteRefs(KeyList({kCopper}).View()));
    QuoteRecord named = Quote(kCopper, "沪铜2409", 6);
    named.fHighestPrice = c.heldHigh;
    named.fLowestPrice = c.heldLow;
    ASSERT_TRUE(quotesOnly.ApplyQuote(named));
    QuoteRecord update = Quote(kCopper, "", c.last);
    update.fHighestPrice = c.reportedHigh;
    update.fLowestPrice = c.reportedLow;
    ASSERT_TRUE(quotesOnly.ApplyQuote(update));
    QuoteRecord held;
    ASSERT_TRUE(quotesOnly.FindQuote("S", "cu2409", held));
    EXPECT_EQ(held.fHighestPrice, c.high);
    EXPECT_EQ(held.fLowestPrice, c.low);
  }
}

TEST_F(QuoteTable, NamelessQuoteBeforeAnyNamedOneAsksForTheSubscriptionAgain) {
  Add({kCopper, kAluminium});
  ASSERT_EQ(subscriber.lists, (SubscribedLists{{"cu2409", "al2409"}}));

  EXPECT_FALSE(table.ApplyQuote(Quote(kCopper, "", 42)));
  EXPECT_EQ(subscriber.lists, (SubscribedLists{{"cu2409", "al2409"}, {"cu2409", "al2409"}}));
  EXPECT_TRUE(listener.events.empty());
  EXPECT_EQ(Held(kCopper).fNewPrice, 0);

  EXPECT_TRUE(table.ApplyQuote(Quote(kCopper, "沪铜2409", 43)));
  EXPECT_TRUE(table.ApplyQuote(Quote(kCopper, "", 44)));
  EXPECT_EQ(listener.events.size(), 2u);
  EXPECT_EQ(Held(kCopper).fNewPrice, 44);
  EXPECT_EQ(subscriber.lists.size(), 2u);
}

TEST_F(QuoteTable, QuoteForAContractWithoutSlotIsDropped) {
  Add({kCopper});
  EXPECT_FALSE(table.ApplyQuote(Quote(kZinc, "沪锌2409", 1)));
  EXPECT_FALSE(table.ApplyQuote(Quote(MakeContractKey("D", "cu2409"), "沪铜2409", 1)));
  EXPECT_FALSE(Holds(kZinc));
  EXPECT_TRUE(listener.events.empty());
  EXPECT_EQ(subscriber.lists.size(), 1u);
}

TEST_F(QuoteTable, ReferencesKeepASlotUntilTheLastIsReleased) {
  Add({kCopper, kCopper, kAluminium, kZinc});
  EXPECT_EQ(subscriber.lists, (SubscribedLists{{"cu2409", "al2409", "zn2409"}}));
  EXPECT_EQ(RefCounts(), (std::vector<int>{2, 1, 1}));

  EXPECT_FALSE(Release({kCopper}));
  EXPECT_EQ(RefCounts(), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(subscriber.lists.size(), 1u);

  // The later slots move down in order.
  EXPECT_TRUE(Release({kAluminium}));
  EXPECT_EQ(Codes(table.CopySlots()), (std::vector<std::string>{"cu2409", "zn2409"}));
  EXPECT_TRUE(Release({kCopper, kZinc}));
  EXPECT_FALSE(Release({kCopper}));
  EXPECT_EQ(subscriber.lists, (SubscribedLists{{"cu2409", "al2409", "zn2409"}, {"cu2409", "zn2409"}, {}}));
}

TEST_F(QuoteTable, FullTableKeepsCountingSoOneOwnerCannotSilenceAnother) {
  std::vector<ContractKey> fill;
  for (int n = 0; n <= 40; ++n) fill.push_back(MakeContractKey("S", "c" + std::to_string(n)));
  const ContractKey& first = fill.front();
  const ContractKey& late = fill.back();
  table.ReplaceWatchedContracts({}, fill);
  ASSERT_EQ(subscriber.lists.size(), 1u);
  EXPECT_EQ(subscriber.lists[0].size(), 40u);
  EXPECT_FALSE(Holds(late));

  // A second owner asks for the late contract while the table is still
  // full, a third once there is room: the slot stays until all three let go.
  Add({late});
  EXPECT_EQ(subscriber.lists.size(), 1u);
  EXPECT_TRUE(Release({first}));
  Add({late});
  ASSERT_TRUE(Holds(late));
  EXPECT_EQ(table.CopySlots().back().refCount, 3);
  EXPECT_FALSE(Release({late}));
  EXPECT_FALSE(Release({late}));
  EXPECT_TRUE(table.ApplyQuote(Quote(late, "c40", 1)));
  EXPECT_TRUE(Release({late}));
  EXPECT_FALSE(Holds(late));
}

std::vector<std::string> KeyCodes(const std::vector<ContractKey>& keys) {
  std::vector<std::string> codes;
  for (const ContractKey& key : keys) codes.emplace_back(key.Code());
  return codes;
}

TEST_F(QuoteTable, AWantedContractTakesTheLastSlotOutsideTheKeptOnesWhoseReferencesWait) {
  std::vector<ContractKey> fill;
  for (int n = 0; n < 40; ++n) fill.push_back(MakeContractKey("S", "c" + std::to_string(n)));
  table.ReplaceWatchedContracts({}, fill);
  Add({kCopper, kCopper, kZinc});
  EXPECT_EQ(KeyCodes(table.UnslottedContracts()), (std::vector<std::string>{"cu2409", "zn2409"}));
  const std::size_t sent = subscriber.lists.size();

  // c39 is kept: c38 gives up its slot, and a contract without references
  // takes none.
  const std::vector<ContractKey> wanted = {kCopper, kAluminium};
  const std::vector<ContractKey> keep = {fill.back()};
  EXPECT_EQ(KeyCodes(table.TakeSlots(wanted, keep)), (std::vector<std::string>{"c38"}));
  EXPECT_EQ(subscriber.lists.size(), sent + 1);
  ASSERT_TRUE(Holds(kCopper));
  EXPECT_EQ(table.CopySlots().back().refCount, 2);
  EXPECT_FALSE(Holds(kAluminium));
  EXPECT_FALSE(Holds(fill[38]));
  EXPECT_EQ(KeyCodes(table.UnslottedContracts()), (std::vector<std::string>{"zn2409", "c38"}));

  // The contract that gave up its slot keeps its references: it takes a
  // slot again when asked once more after room is made.
  EXPECT_TRUE(Release({kCopper, kCopper}));
  Add({fill[38]});
  ASSERT_TRUE(Holds(fill[38]));
  EXPECT_EQ(table.CopySlots().back().refCount, 2);
  EXPECT_EQ(KeyCodes(table.UnslottedContracts()), (std::vector<std::string>{"zn2409"}));
}

TEST_F(QuoteTable, EveryHeldContractFindsItsOwnSlotAfterSlotsMoveDown) {
  // A full table, each code on two exchanges, so that lookups collide and
  // the exchange tells slots apart; then every third slot goes.
  std::vector<ContractKey> keys;
  for (int n = 0; n < 20; ++n) {
    keys.push_back(MakeContractKey("S", "c" + std::to_string(n)));
    keys.push_back(MakeContractKey("D", "c" + std::to_string(n)));
  }
  table.ReplaceWatchedContracts({}, keys);
  std::vector<ContractKey> released;
  for (std::size_t n = 0; n < keys.size(); n += 3) released.push_back(keys[n]);
  ASSERT_EQ(table.ReplaceWatchedContracts(released, {}), 1);

  for (std::size_t n = 0; n < keys.size(); ++n) {
    const ContractKey& key = keys[n];
    if (n % 3 == 0) {
      EXPECT_FALSE(table.ApplyQuote(Quote(key, "name", 1))) << key.Exchange() << key.Code();
      continue;
    }
    ASSERT_TRUE(table.ApplyQuote(Quote(key, "name", static_cast<float>(n)))) << key.Exchange() << key.Code();
    EXPECT_EQ(Held(key).fNewPrice, static_cast<float>(n));
    EXPECT_STREQ(Held(key).szExchange, std::string(key.Exchange()).c_str());
  }
}

TEST_F(QuoteTable, ReferenceToAHeldContractNotifiesAtOnceWithItsQuote) {
  Add({kCopper, kAluminium});
  ASSERT_TRUE(table.ApplyQuote(Quote(kCopper, "沪铜2409", 71)));
  listener.events.clear();
  listener.quotes.clear();

  Add({kAluminium, kCopper});
  ASSERT_EQ(listener.events, (std::vector<int>{quotes::kQuoteEvent, quotes::kQuoteEvent}));
  EXPECT_STREQ(listener.quotes[0].szCode, "al2409");
  EXPECT_STREQ(listener.quotes[1].szName, "沪铜2409");
  EXPECT_EQ(listener.quotes[1].fNewPrice, 71);
  EXPECT_EQ(subscriber.lists.size(), 1u);
}

TEST_F(QuoteTable, NewCombinationContractShowsItsPlaceholderPrice) {
  const ContractKey spread = MakeContractKey("S", "cu2409&cu2410");
  Add({spread, kCopper});
  EXPECT_EQ(Held(spread).fNewPrice, 100000.0f);
  EXPECT_EQ(Held(kCopper).fNewPrice, 0);
}

// Listeners and the subscriber run outside the table's lock, so they may
// read and change the table.
TEST_F(QuoteTable, ListenersAndTheSubscriberMayCallBackIntoTheTable) {
  class ReenteringListener : public quotes::CWatchCallback {
   public:
    explicit ReenteringListener(quotes::CtbQuotationCom& table) : table_(table) {}
    bool OnQuote(int, const QuoteRecord* quote) override {
      QuoteRecord copy;
      found = table_.FindQuote(quote->szExchange, quote->szCode, copy);
      if (!watchingZinc) {
        watchingZinc = true;
        table_.AddQuoteRefs(KeyList({kZinc}).View());
      }
      return true;
    }
    bool found = false;
    bool watchingZinc = false;

   private:
    quotes::CtbQuotationCom& table_;
  };
  class ReenteringSubscriber : public quotes::QuoteSubscriber {
   public:
    explicit ReenteringSubscriber(quotes::CtbQuotationCom& table) : table_(table) {}
    void SetSubscriptionList(std::span<const backend::QuoteSlot> slots) override {
      sizes.push_back(slots.size());
      tableSizes.push_back(table_.CopySlots().size());
    }
    std::vector<std::size_t> sizes, tableSizes;

   private:
    quotes::CtbQuotationCom& table_;
  };

  ReenteringListener reentering(table);
  ReenteringSubscriber reenteringSubscriber(table);
  table.RegisterWatch(&reentering);
  table.SetQuoteSubscriber(&reenteringSubscriber);
  Add({kCopper});
  ASSERT_TRUE(table.ApplyQuote(Quote(kCopper, "沪铜2409", 1)));
  EXPECT_TRUE(reentering.found);
  EXPECT_TRUE(Holds(kZinc));
  EXPECT_EQ(reenteringSubscriber.sizes, (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(reenteringSubscriber.tableSizes, reenteringSubscriber.sizes);
}

TEST_F(QuoteTable, ReplacingWatchedContractsReleasesTheOldBeforeAddingTheNew) {
  EXPECT_EQ(table.ReplaceWatchedContracts({}, {}), 0);
  EXPECT_TRUE(subscriber.lists.empty());

  EXPECT_EQ(table.ReplaceWatchedContracts({}, {kCopper, kAluminium}), 1);
  EXPECT_EQ(table.ReplaceWatchedContracts({kCopper, kAluminium}, {kAluminium, kZinc}), 1);
  EXPECT_EQ(subscriber.lists, (SubscribedLists{{"cu2409", "al2409"}, {}, {"al2409", "zn2409"}}));
  EXPECT_EQ(table.ReplaceWatchedContracts({kAluminium, kZinc}, {}), 1);
  EXPECT_TRUE(table.CopySlots().empty());
}

TEST_F(QuoteTable, MovingReferencesKeepsTheContractsOfBothListsWithTheirQuotes) {
  Add({kCopper, kAluminium});
  ASSERT_TRUE(table.ApplyQuote(Quote(kAluminium, "沪铝2409", 7)));
  subscriber.lists.clear();
  listener.quotes.clear();

  const std::vector<ContractKey> before = {kCopper, kAluminium};
  const std::vector<ContractKey> after = {kAluminium, kZinc};
  table.MoveQuoteRefs(before, after);
  EXPECT_EQ(subscriber.lists, (SubscribedLists{{"al2409", "zn2409"}}));
  EXPECT_EQ(Held(kAluminium).fNewPrice, 7);
  EXPECT_EQ(RefCounts(), (std::vector<int>{1, 1}));
  ASSERT_EQ(listener.quotes.size(), 1u);  // the held quote of the contract that stays
  EXPECT_STREQ(listener.quotes[0].szCode, "al2409");

  // Nothing that changes the set of contracts: no subscription.
  table.MoveQuoteRefs(after, after);
  EXPECT_EQ(subscriber.lists.size(), 1u);

  // A full table makes room before it takes the new contracts.
  std::vector<ContractKey> fill;
  for (int i = 0; i < 38; ++i) fill.push_back(MakeContractKey("D", "m" + std::to_string(2400 + i)));
  table.MoveQuoteRefs({}, fill);
  const std::vector<ContractKey> dropped = {kZinc};
  const std::vector<ContractKey> late = {MakeContractKey("D", "y2409")};
  table.MoveQuoteRefs(dropped, late);
  EXPECT_TRUE(Holds(late[0]));
  EXPECT_FALSE(Holds(kZinc));
  EXPECT_EQ(table.CopySlots().size(), 40u);
}

TEST(QuoteObject, ChangeQuoteContractsMovesTheOneQuoteObjectsReferences) {
  const ContractKey key = MakeContractKey("Z", "SR409");
  QuoteRecord quote;
  EXPECT_EQ(quotes::ChangeQuoteContracts({}, {}), 0);
  EXPECT_EQ(quotes::ChangeQuoteContracts({}, {key}), 1);
  EXPECT_TRUE(quotes::TheQuoteObject().FindQuote("Z", "SR409", quote));
  EXPECT_EQ(quotes::ChangeQuoteContracts({key}, {}), 1);
  EXPECT_FALSE(quotes::TheQuoteObject().FindQuote("Z", "SR409", quote));
}

}  // namespace
