// Quote subscriptions, quote pushes and the quote query, as a client sees them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "data_folder.h"
#include "portal/frame.h"
#include "pushed_quote.h"
#include "server_fixture.h"
#include "simbackend/backend_data.h"

namespace simbackend_test {
namespace {

using namespace std::chrono_literals;

constexpr double kPriceEpsilon = 1e-6;

simbackend::ServerOptions QuoteOptions(std::uint64_t seed, std::chrono::milliseconds interval) {
  simbackend::ServerOptions options;
  options.quoteSeed = seed;
  options.quoteInterval = interval;
  return options;
}

std::string SubscriptionText(int sequence, const std::string& contracts) {
  return RequestText(sequence, 5450, "10001", "111111", {contracts, "-1", "3", "1"});
}

// The lines of the next frame, which must be a push.
std::vector<std::string> NextPush(RawClient& client) {
  const std::optional<portal::Frame> frame = client.NextFrame();
  if (!frame || frame->kind != portal::FrameKind::kPush) {
    ADD_FAILURE() << "no push came";
    return {};
  }
  std::vector<std::string> lines;
  for (const std::string_view line : portal::SplitPushLines(frame->text)) lines.emplace_back(line);
  return lines;
}

std::vector<PushedQuote> NextQuotes(RawClient& client) {
  std::vector<PushedQuote> quotes;
  for (const std::string& line : NextPush(client)) quotes.push_back(ReadQuotePush(line));
  return quotes;
}

std::vector<std::string> Contracts(const std::vector<PushedQuote>& quotes) {
  std::vector<std::string> codes;
  for (const PushedQuote& quote : quotes) codes.push_back(quote.contract);
  return codes;
}

class QuoteTest : public ServerFixture {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(simbackend::LoadBackendData(SIMBACKEND_SOURCE_DATA_FOLDER, data_, error)) << error;
    StartServer(QuoteOptions(7, 0ms));
  }

  std::unique_ptr<RawClient> QuoteConnection() {
    auto client = Connect();
    EXPECT_EQ(Field(client->Call(QuoteLoginText(1, "quote", "quote123")), 4), "Y");
    return client;
  }

  const simbackend::Contract& ContractOf(const PushedQuote& quote) const {
    return data_.contracts[data_.FindContract(quote.exchange, quote.contract)];
  }
  double Price(const simbackend::Contract& contract, std::int64_t ticks) const {
    return std::stod(data_.PriceText(contract, ticks));
  }

  // Every price of the quote lies within its contract's limits, which the
  // quote carries as they are in the data.
  void ExpectWithinLimits(const PushedQuote& quote) const {
    SCOPED_TRACE(quote.contract);
    const simbackend::Contract& contract = ContractOf(quote);
    const double lower = Price(contract, contract.lowerLimit);
    const double upper = Price(contract, contract.upperLimit);
    EXPECT_NEAR(quote.lowerLimit, lower, kPriceEpsilon);
    EXPECT_NEAR(quote.upperLimit, upper, kPriceEpsilon);
    for (const double price : {quote.last, quote.high, quote.low}) {
      EXPECT_GE(price, lower - kPriceEpsilon);
      EXPECT_LE(price, upper + kPriceEpsilon);
    }
    EXPECT_TRUE(quote.low <= quote.last && quote.last <= quote.high);
    for (const auto* side : {&quote.bids, &quote.asks})
      for (const PushedLevel& level : *side)
        if (level.volume > 0 && level.price != 0) {
          EXPECT_GE(level.price, lower - kPriceEpsilon);
          EXPECT_LE(level.price, upper + kPriceEpsilon);
        }
    EXPECT_TRUE(quote.bids[0].volume == 0 || quote.asks[0].volume == 0 || quote.bids[0].price < quote.asks[0].price);
  }

  simbackend::BackendData data_;
};

TEST_F(QuoteTest, ASubscriptionSendsFullQuotesAndEachStepUpdatesWithinTheLimits) {
  auto client = QuoteConnection();
  // Unknown contracts and repeats are left out; "#;" marks a flagged entry.
  const std::string answer = client->Call(SubscriptionText(2, "S,cu2702;#;D,m2705;J,IO2612-C-3900;S,cu2702;Z,XX999;"));
  EXPECT_EQ(Field(answer, 4), "Y");
  EXPECT_EQ(Field(answer, 5), "3");

  const std::vector<PushedQuote> full = NextQuotes(*client);
  ASSERT_EQ(Contracts(full), (std::vector<std::string>{"cu2702", "m2705", "IO2612-C-3900"}));
  EXPECT_EQ(full[0].name, "铜2702");
  EXPECT_EQ(full[1].name, "豆粕2705");
  EXPECT_EQ(full[2].name, "沪深300股指期权2612-C-3900");
  for (const PushedQuote& quote : full) {
    EXPECT_EQ(quote.code, "15001");
    EXPECT_NEAR(quote.preSettlement, Price(ContractOf(quote), ContractOf(quote).preSettlement), kPriceEpsilon);
    EXPECT_GT(quote.preClose, 0);
    EXPECT_GT(quote.open, 0);
    EXPECT_TRUE(quote.bidOrders >= 1 && quote.bidOrders <= quote.bids[0].volume) << quote.contract;
    ExpectWithinLimits(quote);
  }
  // The copper book is five levels deep, one tick apart; the soybean meal book one level.
  EXPECT_NEAR(full[0].bids[0].price - full[0].bids[1].price, 10, kPriceEpsilon);
  EXPECT_GT(full[0].asks[4].volume, 0);
  EXPECT_EQ(full[1].bids[1].volume, 0);

  std::vector<std::int64_t> volumes = {full[0].volume, full[1].volume, full[2].volume};
  for (int step = 0; step < 60; ++step) {
    ASSERT_EQ(server_->AdvanceQuotes(), 1u);
    const std::vector<PushedQuote> updates = NextQuotes(*client);
    ASSERT_EQ(Contracts(updates), Contracts(full));
    for (std::size_t i = 0; i < updates.size(); ++i) {
      EXPECT_EQ(updates[i].name, "");
      EXPECT_EQ(updates[i].preClose, 0);  // kept by the terminal from the full quote
      EXPECT_GT(updates[i].volume, volumes[i]);
      volumes[i] = updates[i].volume;
      ExpectWithinLimits(updates[i]);
    }
  }

  // The quote query reads the same market, with its prices written in full.
  const std::string copper = client->Call(RequestText(3, 5007, "10001", "111111", {"S", "cu2702"}));
  const std::vector<std::string> none = client->Pushes();
  EXPECT_TRUE(none.empty());
  ASSERT_EQ(Field(copper, 4), "Y") << copper;
  EXPECT_EQ(Field(copper, 7), "cu2702");
  EXPECT_EQ(Field(copper, 8), "铜2702");
  EXPECT_EQ(std::to_string(volumes[0]), Field(copper, 14));
}

TEST_F(QuoteTest, TheQuoteQueryAnswersInTheLayoutOfThePushWithoutBasePrice) {
  auto client = QuoteConnection();
  const std::string answer = client->Call(RequestText(2, 5007, "10001", "111111", {"sfe", "cu2702"}));
  ASSERT_EQ(Field(answer, 4), "Y") << answer;
  EXPECT_EQ(FieldCount(answer), 44u);
  EXPECT_EQ(Field(answer, 5), "S");
  EXPECT_EQ(Field(answer, 7), "cu2702");
  EXPECT_EQ(Field(answer, 8), "铜2702");
  EXPECT_EQ(Field(answer, 21), "81860");  // upper limit
  EXPECT_EQ(Field(answer, 22), "71160");  // lower limit
  EXPECT_EQ(Field(answer, 23), "76510");  // previous settlement
  EXPECT_EQ(Field(answer, 24), "");       // no settlement while trading
  EXPECT_THAT(Field(answer, 19), ::testing::MatchesRegex("[0-9]+,[0-9]+"));
  // Bid levels 2 to 5 from field 29 on, volume then price, one tick apart.
  const double bestBid = std::stod(Field(answer, 17));
  for (int level = 0; level < 4; ++level) {
    EXPECT_GT(std::stoll(Field(answer, 29 + 2 * level)), 0);
    EXPECT_NEAR(std::stod(Field(answer, 30 + 2 * level)), bestBid - 10 * (level + 1), kPriceEpsilon);
  }

  const std::string unknown = client->Call(RequestText(3, 5007, "10001", "111111", {"S", "XX999"}));
  EXPECT_EQ(Field(unknown, 4), "N");
  EXPECT_EQ(Field(unknown, 5), "2001");
  EXPECT_EQ(Field(unknown, 6), "合约XX999不存在！");
  const std::string malformed = client->Call(SubscriptionText(4, "S,cu2702;cu2703;"));
  EXPECT_EQ(Field(malformed, 5), "9003");
  EXPECT_EQ(Field(malformed, 6), "行情订阅格式错误：cu2703");
}

TEST_F(QuoteTest, ANewSubscriptionReplacesTheSetOfItsConnectionOnly) {
  auto first = QuoteConnection();
  auto second = QuoteConnection();
  first->Call(SubscriptionText(2, "S,cu2702;"));
  EXPECT_EQ(Contracts(NextQuotes(*first)), std::vector<std::string>{"cu2702"});
  second->Call(SubscriptionText(2, "S,cu2702;D,m2705;"));
  EXPECT_EQ(NextPush(*second).size(), 2u);

  first->Call(SubscriptionText(3, "D,m2705;"));
  const std::vector<PushedQuote> replaced = NextQuotes(*first);
  ASSERT_EQ(Contracts(replaced), std::vector<std::string>{"m2705"});
  EXPECT_EQ(replaced[0].name, "豆粕2705");

  EXPECT_EQ(server_->AdvanceQuotes(), 2u);
  EXPECT_EQ(Contracts(NextQuotes(*first)), std::vector<std::string>{"m2705"});
  EXPECT_EQ(Contracts(NextQuotes(*second)), (std::vector<std::string>{"cu2702", "m2705"}));

  // An empty subscription ends the updates: nothing comes before the next answer.
  EXPECT_EQ(Field(first->Call(SubscriptionText(4, "")), 5), "0");
  EXPECT_EQ(server_->AdvanceQuotes(), 1u);
  EXPECT_EQ(Field(first->Call(RequestText(5, 5451, "10001", "111111")), 4), "Y");
  EXPECT_TRUE(first->Pushes().empty());
  EXPECT_EQ(NextPush(*second).size(), 2u);
}

TEST_F(QuoteTest, AtItsLimitsTheMarketStopsAndTheBookHoldsNoOrderBeyondThem) {
  DataFolder folder;
  folder.CopyShipped();
  // Limits of 0.02 %: one tick either side of the previous settlement price.
  folder.Write(simbackend::kContractsFile,
               "exchange|S|sfe|上期所|5|\nvariety|sfe|cu|铜|5|10|0.02|\nfuture|sfe|cu|2702|76510|\n");
  // Without the shipped contracts the shipped business and rates have nothing to refer to.
  folder.Write(simbackend::kAccountsFile, "trader|10001|111111|张明|\n");
  folder.Write(simbackend::kTradingFile,
               "parameter|ACCFRZ||T0||\nfee|sfe|0|cu|开平|0|1|0|0|0|0|\nfee|sfe|0|cu|平今|0|1|0|0|0|0|\n"
               "margin|sfe|0|cu|0.1|0|0.1|0|0.1|0|0.1|0|\n");
  simbackend::ServerOptions options = QuoteOptions(5, 0ms);
  options.dataFolder = folder.Path();
  StartServer(options);
  auto client = QuoteConnection();
  client->Call(SubscriptionText(2, "S,cu2702;"));
  NextPush(*client);
  bool atUpper = false, atLower = false;
  for (int step = 0; step < 100; ++step) {
    server_->AdvanceQuotes();
    const PushedQuote quote = NextQuotes(*client).at(0);
    EXPECT_TRUE(quote.last >= 76500 && quote.last <= 76520) << quote.last;
    for (const auto* side : {&quote.bids, &quote.asks})
      for (const PushedLevel& level : *side) {
        EXPECT_TRUE(level.volume == 0 || (level.price >= 76500 && level.price <= 76520)) << level.price;
        EXPECT_TRUE(level.volume > 0 || level.price == 0) << level.price;
      }
    atUpper = atUpper || quote.last == 76520;
    atLower = atLower || quote.last == 76500;
  }
  EXPECT_TRUE(atUpper && atLower);
}

TEST(QuoteSeedTest, TheSameSeedGivesTheSameQuotesAndAnotherSeedOthers) {
  const auto pushes = [](std::uint64_t seed) {
    std::string error;
    const auto server = simbackend::Server::Start(QuoteOptions(seed, 0ms), error);
    EXPECT_NE(server, nullptr) << error;
    RawClient client(server->Port());
    client.Call(QuoteLoginText(1, "quote", "quote123"));
    client.Call(SubscriptionText(2, "S,au2702;J,T2703;Z,SR703C5900;"));
    std::vector<std::string> texts = NextPush(client);
    for (int step = 0; step < 5; ++step) {
      server->AdvanceQuotes();
      const std::vector<std::string> lines = NextPush(client);
      texts.insert(texts.end(), lines.begin(), lines.end());
    }
    return texts;
  };
  const std::vector<std::string> first = pushes(11);
  EXPECT_EQ(first.size(), 18u);
  EXPECT_EQ(pushes(11), first);
  EXPECT_NE(pushes(12), first);
}

TEST(QuoteThreadTest, UpdatesFlowOnTheirOwnUntilTheServerStops) {
  std::string error;
  const auto server = simbackend::Server::Start(QuoteOptions(3, 5ms), error);
  ASSERT_NE(server, nullptr) << error;
  RawClient client(server->Port());
  client.Call(QuoteLoginText(1, "quote", "quote123"));
  client.Call(SubscriptionText(2, "J,IF2612;"));
  EXPECT_EQ(ReadQuotePush(NextPush(client).at(0)).name, "沪深300股指2612");
  for (int update = 0; update < 3; ++update) {
    const std::vector<std::string> lines = NextPush(client);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(ReadQuotePush(lines[0]).name, "");
  }
  server->Stop();
  EXPECT_TRUE(client.WaitClosed());
}

}  // namespace
}  // namespace simbackend_test
