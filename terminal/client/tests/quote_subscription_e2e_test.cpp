// Quotes end to end: log in to the simulated back end and its market gateway
// over loopback sockets, subscribe three contracts through the quote table
// and the subscription list, and pump the quotes that come back into the
// quote table and its listener, with the engine and its GUI callbacks in
// the path as in the running terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "backend/transport.h"
#include "client/engine_callbacks.h"
#include "client/login.h"
#include "client/push_dispatch.h"
#include "client/quote_subscription.h"
#include "client/subscription_list.h"
#include "client/testing/client_test.h"
#include "protocol/function_numbers.h"
#include "quotes/optional_contract.h"
#include "quotes/watch_callback.h"

namespace {

using client_testing::Fields;
using client_testing::kBound;

const std::vector<quotes::ContractKey> kContracts = {quotes::MakeContractKey("S", "cu2701"),
                                                     quotes::MakeContractKey("D", "m2701"),
                                                     quotes::MakeContractKey("Z", "SR701")};

// The quotes the listener heard, per contract.
class QuoteCounter : public quotes::CWatchCallback {
 public:
  bool OnQuote(int event, const backend::QuoteRecord* quote) override {
    if (event == quotes::kQuoteEvent) ++counts[quote->szCode];
    return true;
  }
  // Every contract heard at least `count` times.
  bool Heard(int count) const {
    if (counts.size() != kContracts.size()) return false;
    for (const auto& [code, heard] : counts) {
      if (heard < count) return false;
    }
    return true;
  }
  std::map<std::string, int> counts;
};

class QuoteSubscriptionEndToEnd : public client_testing::SimulatedBackEndTest {
 protected:
  void TearDown() override {
    backend::SetConnectionStateHook(nullptr);
    SimulatedBackEndTest::TearDown();
  }

  // The engine as start-up starts it: sending over the transport, telling
  // the GUI through the callbacks, learning of connection changes.
  void StartEngineAsAtStartUp() {
    engine::EngineCallbacks callbacks = SendingCallbacks(backend::ExecuteRequest, backend::PostRequest);
    guiCallbacks.BindTo(callbacks);
    ASSERT_NO_FATAL_FAILURE(StartEngine(std::move(callbacks)));
    backend::SetConnectionStateHook(
        [this](int connection, int flag, int state) { engine.OnConnectionState(state, flag, connection); });
  }

  // Drains the result queue as the main frame's timer does until `done`
  // holds, within the bound.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      while (pump.ProcessReceiveQueue()) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  quotes::CtbOptionalContract quoteTable;
  QuoteCounter listener;
  client::SubscriptionList subscriptions{client::QuoteSubscriptionSender()};
  client::EngineGuiCallbacks guiCallbacks{engine, quoteTable};
  client::ReceivePump pump{engine, subscriptions, {.quotes = &quoteTable}};
};

TEST_F(QuoteSubscriptionEndToEnd, ThreeSubscribedContractsReceiveTheirQuotes) {
  std::string message;
  ASSERT_TRUE(client::Login(message, {backend::kTradingLogin, "10001", "111111"})) << message;
  StartEngineAsAtStartUp();
  client::QuoteServerInfo info;
  ASSERT_TRUE(client::QueryQuoteServerInfo(info, message)) << message;
  ASSERT_TRUE(client::LoginQuoteGateway(message, info)) << message;
  const int quoteSlot = engine.QuoteConnectionIndex();
  ASSERT_EQ(quoteSlot, 1);

  quoteTable.SetQuoteSubscriber(&subscriptions);
  ASSERT_TRUE(quoteTable.RegisterWatch(&listener));
  backend::CxDataSet keys;
  for (const quotes::ContractKey& key : kContracts) quotes::AppendContractKey(keys, key);
  quoteTable.AddQuoteRefs(keys.View());
  EXPECT_TRUE(subscriptions.Busy());

  // The full quotes first, then the updates of a step of the market, which
  // carry their prices as differences from a base price.
  ASSERT_TRUE(PumpUntil([&] { return listener.Heard(1) && !subscriptions.Busy(); }))
      << listener.counts.size() << " contracts quoted";
  server->AdvanceQuotes();
  ASSERT_TRUE(PumpUntil([&] { return listener.Heard(2); }));
  EXPECT_TRUE(shell.OutputLines().empty()) << shell.OutputLines()[0].text;

  for (const quotes::ContractKey& key : kContracts) {
    SCOPED_TRACE(std::string(key.Code()));
    backend::QuoteRecord quote;
    ASSERT_TRUE(quoteTable.FindQuote(key.Exchange(), key.Code(), quote));
    EXPECT_NE(quote.szName[0], '\0');
    EXPECT_GT(quote.fPreSettlementPrice, 0);
    EXPECT_GT(quote.fUpperLimitPrice, quote.fLowerLimitPrice);
    EXPECT_GE(quote.fNewPrice, quote.fLowerLimitPrice);
    EXPECT_LE(quote.fNewPrice, quote.fUpperLimitPrice);
  }
  const std::vector<std::string> subscriptionTexts = RequestsOf(protocol::function_no::kSubscribeQuotation);
  ASSERT_FALSE(subscriptionTexts.empty());
  for (const std::string& text : subscriptionTexts) {
    const std::vector<std::string> fields = Fields(text);
    ASSERT_EQ(fields.size(), 12u) << text;
    EXPECT_EQ(fields[6], "10001");
    EXPECT_EQ(fields[8], "S,cu2701;D,m2701;Z,SR701;");
  }
}

}  // namespace
