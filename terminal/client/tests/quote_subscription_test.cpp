#include "client/quote_subscription.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/operation_frame.h"
#include "client/subscription_list.h"
#include "client/testing/client_test.h"

namespace {

using client_testing::AddAccount;
using client_testing::Fields;
using client_testing::ScriptedBackEndTest;

constexpr int kQuoteSlot = 1;

class QuoteSubscription : public ScriptedBackEndTest {
 protected:
  void SetUp() override {
    ScriptedBackEndTest::SetUp();
    AddAccount("10001", "111111", 0);
    engine.SetQuoteConnectionIndex(kQuoteSlot);
  }
};

TEST_F(QuoteSubscription, GoesOutOnTheQuoteConnectionSignedBySlotZerosAccount) {
  client::SubscriptionList list(client::QuoteSubscriptionSender());
  backend::QuoteSlot slot;
  std::string("S").copy(slot.quote.szExchange, 1);
  std::string("cu2701").copy(slot.quote.szCode, 6);
  const backend::QuoteSlot slots[] = {slot};
  // Sent while the engine still downloads: a subscription changes no account.
  list.SetSubscriptionList(slots);

  EXPECT_TRUE(list.Busy());
  ASSERT_EQ(backEnd.posted.size(), 1u);
  const backend::RequestRecord& record = *backEnd.posted[0];
  EXPECT_STREQ(record.title, "注册行情");
  EXPECT_STREQ(record.handlerTag, "_SubscibeQuotation");
  EXPECT_EQ(record.connection, kQuoteSlot);
  EXPECT_EQ(record.priority, 2);
  ASSERT_EQ(record.count, 1);
  EXPECT_EQ(record.At(0)->functionNo, 5450);
  EXPECT_EQ(record.At(0)->singlePacket, 1);
  const std::vector<std::string> fields = Fields(record.At(0)->requestText);
  EXPECT_EQ(std::vector<std::string>(fields.begin() + 3, fields.end()),
            (std::vector<std::string>{"5450", "", "Pellora", "10001", "111111", "S,cu2701;", "-1", "3", "1"}));
}

TEST_F(QuoteSubscription, ARefusedSendLeavesTheListIdle) {
  client::SubscriptionList list(client::QuoteSubscriptionSender());
  backEnd.refuseAsync = true;
  list.SetSubscriptionList({});
  EXPECT_FALSE(list.Busy());

  std::string message;
  EXPECT_FALSE(client::SubscribeQuotation("S,cu2701;", kQuoteSlot, message));
  EXPECT_EQ(message, "执行操作[注册行情]时，还没有建立通讯连接！");

  client::InstallOperationEngine(nullptr);
  backEnd.refuseAsync = false;
  list.SetSubscriptionList({});
  EXPECT_FALSE(list.Busy());
  EXPECT_TRUE(backEnd.posted.empty());
}

}  // namespace
