#include "client/subscription_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using backend::QuoteSlot;
using client::SubscriptionList;

QuoteSlot Slot(const std::string& exchange, const std::string& code, int subscribeFlag = 0) {
  QuoteSlot slot;
  exchange.copy(slot.quote.szExchange, sizeof slot.quote.szExchange - 1);
  code.copy(slot.quote.szCode, sizeof slot.quote.szCode - 1);
  slot.subscribeFlag = subscribeFlag;
  slot.refCount = 1;
  return slot;
}

// A subscription list whose sends are recorded; each send succeeds unless
// the test says otherwise.
class SubscriptionListTest : public ::testing::Test {
 protected:
  void Set(const std::vector<QuoteSlot>& slots) { list.SetSubscriptionList(slots); }

  std::vector<std::string> sent;
  bool sendSucceeds = true;
  SubscriptionList list{[this](std::string_view text) {
    sent.emplace_back(text);
    return sendSucceeds;
  }};
};

TEST_F(SubscriptionListTest, TheTextListsEachContractWithItsSubscribeMark) {
  Set({Slot("1", "a1", 1), Slot("2", "b2", 0)});
  EXPECT_EQ(sent, (std::vector<std::string>{"1,a1;#;2,b2;"}));
  EXPECT_TRUE(list.Busy());
}

TEST_F(SubscriptionListTest, AtMostFortyContractsAreTaken) {
  std::vector<QuoteSlot> slots;
  for (int index = 0; index < 41; ++index) slots.push_back(Slot("1", "c" + std::to_string(index)));
  Set(slots);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].find("1,c39;"), std::string::npos);
  EXPECT_EQ(sent[0].find("c40"), std::string::npos);
}

TEST_F(SubscriptionListTest, OnlyTheNewestListWaitsBehindTheOutstandingOne) {
  Set({Slot("1", "a1")});
  Set({Slot("1", "b1")});
  Set({Slot("1", "c1")});
  EXPECT_EQ(sent.size(), 1u);

  list.CommitSubscriptionList();
  EXPECT_EQ(sent, (std::vector<std::string>{"1,a1;", "1,c1;"}));
  EXPECT_TRUE(list.Busy());

  // Nothing waits any more: the list rests.
  list.CommitSubscriptionList();
  EXPECT_FALSE(list.Busy());
  EXPECT_EQ(sent.size(), 2u);
}

TEST_F(SubscriptionListTest, ReleasingEveryContractWhileBusyStillSendsTheEmptyList) {
  Set({Slot("1", "a1")});
  Set({});
  list.CommitSubscriptionList();
  EXPECT_EQ(sent, (std::vector<std::string>{"1,a1;", ""}));
}

TEST_F(SubscriptionListTest, AFailedSubscriptionIsSentOnceMoreThenRestsUntilTheNextChange) {
  Set({Slot("1", "a1")});
  list.RetrySubscriptionList();
  EXPECT_EQ(sent, (std::vector<std::string>{"1,a1;", "1,a1;"}));
  EXPECT_TRUE(list.Busy());

  list.RetrySubscriptionList();
  EXPECT_FALSE(list.Busy());
  EXPECT_EQ(sent.size(), 2u);
  // A stray answer of an idle list changes nothing.
  list.RetrySubscriptionList();
  list.CommitSubscriptionList();
  EXPECT_EQ(sent.size(), 2u);

  // A change (or the quote connection coming back) sends again, with a
  // fresh second chance.
  Set({Slot("1", "b1")});
  list.RetrySubscriptionList();
  EXPECT_EQ(sent, (std::vector<std::string>{"1,a1;", "1,a1;", "1,b1;", "1,b1;"}));
}

TEST_F(SubscriptionListTest, AFailedSubscriptionGivesWayToTheWaitingList) {
  Set({Slot("1", "a1")});
  list.RetrySubscriptionList();  // the second send of a1
  Set({Slot("1", "b1")});
  list.RetrySubscriptionList();  // a1 failed again; b1 goes in its place
  EXPECT_EQ(sent, (std::vector<std::string>{"1,a1;", "1,a1;", "1,b1;"}));
  // b1 has its own second chance.
  list.RetrySubscriptionList();
  EXPECT_EQ(sent.back(), "1,b1;");
  EXPECT_EQ(sent.size(), 4u);
}

TEST_F(SubscriptionListTest, ASendThatCannotStartLeavesTheListIdle) {
  sendSucceeds = false;
  Set({Slot("1", "a1")});
  EXPECT_FALSE(list.Busy());
  // The next change is not stuck behind an answer that never comes.
  sendSucceeds = true;
  Set({Slot("1", "b1")});
  EXPECT_EQ(sent, (std::vector<std::string>{"1,a1;", "1,b1;"}));
  EXPECT_TRUE(list.Busy());
}

}  // namespace
