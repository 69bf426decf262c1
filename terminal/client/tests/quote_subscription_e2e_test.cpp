// Quotes end to end: log in to the simulated back end and its market gateway
// over loopback sockets, subscribe contracts through the quote table and the
// subscription list (three by hand, or the current group's window once the
// contracts are downloaded), and pump the quotes that come back into the
// quote table and its listener, with the engine and its GUI callbacks in
// the path as in the running terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "backend/transport.h"
#include "client/engine_callbacks.h"
#include "client/login.h"
#include "client/push_dispatch.h"
#include "client/quote_operations.h"
#include "client/quote_subscription.h"
#include "client/subscription_list.h"
#include "client/testing/client_test.h"
#include "platform/testing/temporary_folder.h"
#include "protocol/function_numbers.h"
#include "quotes/optional_contract.h"
#include "quotes/quote_object.h"
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
  bool Heard(const std::vector<std::string>& codes, int count) const {
    return std::all_of(codes.begin(), codes.end(), [&](const std::string& code) {
      const auto heard = counts.find(code);
      return heard != counts.end() && heard->second >= count;
    });
  }
  std::map<std::string, int> counts;
};

std::vector<std::string> CodesOf(std::span<const quotes::ContractKey> keys) {
  std::vector<std::string> codes;
  for (const quotes::ContractKey& key : keys) codes.emplace_back(key.Code());
  return codes;
}

// The simulated back end and its market gateway logged in over loopback
// sockets, with the engine and its GUI callbacks, the subscription list and
// the queue pump of the running terminal around a quote object.
class QuotesOverTheWire : public client_testing::SimulatedBackEndTest {
 protected:
  explicit QuotesOverTheWire(quotes::CtbOptionalContract& quoteObject)
      : quoteTable(quoteObject),
        guiCallbacks(engine, quoteTable),
        pump(engine, subscriptions, {.quotes = &quoteTable}) {}

  void TearDown() override {
    backend::SetConnectionStateHook(nullptr);
    quoteTable.StopWatching();
    quoteTable.UnregisterWatch(&listener);
    quoteTable.SetQuoteSubscriber(nullptr);
    SimulatedBackEndTest::TearDown();
  }

  // Logs in to the trading and the market gateway and starts the engine as
  // start-up does: sending over the transport, telling the GUI through the
  // callbacks, learning of connection changes.
  void LogInWithQuotes() {
    std::string message;
    ASSERT_TRUE(client::Login(message, {backend::kTradingLogin, "10001", "111111"})) << message;
    engine::EngineCallbacks callbacks = SendingCallbacks(backend::ExecuteRequest, backend::PostRequest);
    guiCallbacks.BindTo(callbacks);
    ASSERT_NO_FATAL_FAILURE(StartEngine(std::move(callbacks)));
    backend::SetConnectionStateHook(
        [this](int connection, int flag, int state) { engine.OnConnectionState(state, flag, connection); });
    client::QuoteServerInfo info;
    ASSERT_TRUE(client::QueryQuoteServerInfo(info, message)) << message;
    ASSERT_TRUE(client::LoginQuoteGateway(message, info)) << message;
    ASSERT_EQ(engine.QuoteConnectionIndex(), 1);
    quoteTable.SetQuoteSubscriber(&subscriptions);
    ASSERT_TRUE(quoteTable.RegisterWatch(&listener));
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

  // The contracts text of each subscription the back end received.
  std::vector<std::string> SubscribedTexts() {
    std::vector<std::string> texts;
    for (const std::string& text : RequestsOf(protocol::function_no::kSubscribeQuotation)) {
      const std::vector<std::string> fields = Fields(text);
      EXPECT_EQ(fields.size(), 12u) << text;
      if (fields.size() < 12) continue;
      EXPECT_EQ(fields[6], "10001");
      texts.push_back(fields[8]);
    }
    return texts;
  }

  platform_testing::ScopedProgramFolder programFolder{"quotes_e2e"};
  quotes::CtbOptionalContract& quoteTable;
  QuoteCounter listener;
  client::SubscriptionList subscriptions{client::QuoteSubscriptionSender()};
  client::EngineGuiCallbacks guiCallbacks;
  client::ReceivePump pump;
};

struct OwnQuoteObject {
  quotes::CtbOptionalContract quoteObject;
};

class QuoteSubscriptionEndToEnd : private OwnQuoteObject, public QuotesOverTheWire {
 protected:
  QuoteSubscriptionEndToEnd() : QuotesOverTheWire(quoteObject) {}
};

TEST_F(QuoteSubscriptionEndToEnd, ThreeSubscribedContractsReceiveTheirQuotes) {
  ASSERT_NO_FATAL_FAILURE(LogInWithQuotes());
  backend::CxDataSet keys;
  for (const quotes::ContractKey& key : kContracts) quotes::AppendContractKey(keys, key);
  quoteTable.AddQuoteRefs(keys.View());
  EXPECT_TRUE(subscriptions.Busy());

  // The full quotes first, then the updates of a step of the market, which
  // carry their prices as differences from a base price.
  const std::vector<std::string> codes = CodesOf(kContracts);
  ASSERT_TRUE(PumpUntil([&] { return listener.Heard(codes, 1) && !subscriptions.Busy(); }))
      << listener.counts.size() << " contracts quoted";
  server->AdvanceQuotes();
  ASSERT_TRUE(PumpUntil([&] { return listener.Heard(codes, 2); }));
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
  const std::vector<std::string> texts = SubscribedTexts();
  ASSERT_FALSE(texts.empty());
  for (const std::string& text : texts) EXPECT_EQ(text, "S,cu2701;D,m2701;Z,SR701;");
}

// The terminal's own quote object, as the price look-ups read it.
class ContractDownloadEndToEnd : public QuotesOverTheWire {
 protected:
  ContractDownloadEndToEnd() : QuotesOverTheWire(quotes::TheQuoteObject()) {}
};

// Once the contracts are in, the quote window of the current group is
// subscribed without any view asking, its quotes stream into the quote
// table, and a price look-up is answered from the table instead of a quote
// query.
TEST_F(ContractDownloadEndToEnd, TheDownloadsEndSubscribesTheCurrentGroupsWindow) {
  ASSERT_NO_FATAL_FAILURE(LogInWithQuotes());
  ASSERT_TRUE(engine.RunInitialDownload());
  engine.FinishDownload();
  ASSERT_TRUE(PumpUntil([&] { return quoteTable.LoadCount() > 0; }));
  ASSERT_TRUE(quoteTable.IsWatching());
  EXPECT_EQ(quoteTable.FilePath(), programFolder.Path() + "/Config/Common/tbOptionalContractMQ.dat");

  // The first exchange with groups.
  const quotes::ContractGroup* current = quoteTable.Groups(quotes::kFutureKind)->Current();
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(quoteTable.Groups(quotes::kFutureKind)->currentIndex, 0);
  EXPECT_TRUE(current->built);
  const std::vector<std::string> window = CodesOf(current->WindowAt(0));
  ASSERT_EQ(window.size(), 10u);
  ASSERT_TRUE(PumpUntil([&] { return listener.Heard(window, 2) && !subscriptions.Busy(); }));
  // The quote connection's first report of its state sends the same list
  // again.
  std::string expected;
  for (const quotes::ContractKey& key : current->WindowAt(0)) {
    expected += std::string(key.Exchange()) + "," + std::string(key.Code()) + ";";
  }
  const std::vector<std::string> texts = SubscribedTexts();
  ASSERT_FALSE(texts.empty());
  for (const std::string& text : texts) EXPECT_EQ(text, expected);

  const std::size_t quoteQueries = RequestsOf(protocol::function_no::kQueryQuotation).size();
  backend::QuoteRecord quote;
  std::string message;
  ASSERT_TRUE(client::GetQuoteOrQuery(current->keys[3].Exchange(), window[3], quote, message)) << message;
  EXPECT_NE(quote.fNewPrice, 0);
  EXPECT_EQ(RequestsOf(protocol::function_no::kQueryQuotation).size(), quoteQueries);

  // Scrolling the window subscribes the rows that join it.
  ASSERT_TRUE(quoteTable.ScrollQuoteWindow(message, 5));
  const std::vector<std::string> scrolled = CodesOf(current->WindowAt(5));
  ASSERT_TRUE(PumpUntil([&] { return listener.Heard(scrolled, 1) && !subscriptions.Busy(); }));
  EXPECT_EQ(CodesOf(quoteTable.Groups(quotes::kFutureKind)->Current()->WindowAt(5)), scrolled);
}

}  // namespace
