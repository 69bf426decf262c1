#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quote_test_support.h"
#include "quotes/quotation_ctrl.h"

namespace {

using quotes::testing::RecordingListener;

class QuoteWatch : public ::testing::Test {
 protected:
  QuoteWatch() {
    for (RecordingListener* listener : {&a, &b, &c}) listener->calls = &calls;
    table.AddQuoteRefs(quotes::testing::KeyList({kKey}).View());
  }

  // The listeners called for one applied quote, in order.
  std::vector<std::string> Notified() {
    calls.clear();
    EXPECT_TRUE(table.ApplyQuote(quotes::testing::Quote(kKey, "沪铜2409", 1)));
    return calls;
  }

  const quotes::ContractKey kKey = quotes::MakeContractKey("S", "cu2409");
  std::vector<std::string> calls;
  RecordingListener a{"a"}, b{"b"}, c{"c"};
  quotes::CtbQuotationCtrl table;
};

using ListenerNames = std::vector<std::string>;

TEST_F(QuoteWatch, ListenersAreCalledInRegistrationOrderDuplicatesIncluded) {
  EXPECT_TRUE(table.RegisterWatch(&a));
  EXPECT_TRUE(table.RegisterWatch(&b));
  EXPECT_TRUE(table.RegisterWatch(&a));
  EXPECT_TRUE(table.RegisterWatch(&c));
  EXPECT_FALSE(table.RegisterWatch(nullptr));
  EXPECT_EQ(Notified(), (ListenerNames{"a", "b", "a", "c"}));

  // The first registration goes and the rest close up.
  table.UnregisterWatch(&a);
  EXPECT_EQ(Notified(), (ListenerNames{"b", "a", "c"}));
  RecordingListener stranger;
  table.UnregisterWatch(&stranger);
  table.UnregisterWatch(&a);
  EXPECT_EQ(Notified(), (ListenerNames{"b", "c"}));
  table.UnregisterWatch(&b);
  table.UnregisterWatch(&c);
  EXPECT_EQ(Notified(), ListenerNames{});
}

// A window may stop listening, or make another one listen, from inside its
// quote handler.
TEST_F(QuoteWatch, ListenersMayJoinAndLeaveWhileBeingCalled) {
  class Leaver : public RecordingListener {
   public:
    Leaver(quotes::CtbQuotationCtrl& table, quotes::CWatchCallback* leaving, quotes::CWatchCallback* joining)
        : RecordingListener("leaver"), table_(table), leaving_(leaving), joining_(joining) {}
    bool OnQuote(int event, const backend::QuoteRecord* quote) override {
      RecordingListener::OnQuote(event, quote);
      table_.UnregisterWatch(this);
      table_.UnregisterWatch(leaving_);
      if (joining_ != nullptr) table_.RegisterWatch(std::exchange(joining_, nullptr));
      return true;
    }

   private:
    quotes::CtbQuotationCtrl& table_;
    quotes::CWatchCallback* leaving_;
    quotes::CWatchCallback* joining_;
  };

  Leaver leaver(table, &b, &c);
  leaver.calls = &calls;
  table.RegisterWatch(&a);
  table.RegisterWatch(&leaver);
  table.RegisterWatch(&b);
  table.RegisterWatch(&a);
  EXPECT_EQ(Notified(), (ListenerNames{"a", "leaver", "a", "c"}));
  EXPECT_EQ(Notified(), (ListenerNames{"a", "a", "c"}));
}

}  // namespace
