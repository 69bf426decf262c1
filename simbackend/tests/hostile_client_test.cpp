// The back end against clients that misbehave: oversized and flooded
// requests, connections that never log in, and clients that stop reading
// what is pushed to them. None of them costs the others anything.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "functions.h"
#include "portal/frame.h"
#include "server_fixture.h"
#include "simbackend/backend_data.h"

namespace simbackend_test {
namespace {

using namespace std::chrono_literals;
using simbackend::Server;

constexpr const char* kMalformed = "9003";

// A request signed by the demo trader whose text is `fields` fields long
// (each closed by "|") or, with `padTo`, exactly that many bytes long.
std::string QuoteServersRequest(std::size_t fields, std::size_t padTo = 0) {
  const std::size_t own = fields - 8;  // the head and the business frame
  std::vector<std::string> parameters(own);
  std::string text = RequestText(2, 5451, "10001", "111111", parameters);
  if (padTo > text.size()) text.insert(text.size() - 1, padTo - text.size(), 'p');
  return text;
}

using HostileClientTest = ServerFixture;

TEST_F(HostileClientTest, RequestsBeyondTheBoundsGetTheMalformedRefusalAndTheConnectionGoesOn) {
  auto client = LoggedIn("10001", "111111");
  struct Case {
    const char* what;
    std::string text;
    const char* status;  // field 4 of the answer
  };
  const Case cases[] = {
      {"as many fields as a request may have", QuoteServersRequest(Server::kMaxRequestFields), "Y"},
      {"one field more", QuoteServersRequest(Server::kMaxRequestFields + 1), "N"},
      {"a text of the largest size", QuoteServersRequest(10, Server::kMaxRequestBytes), "Y"},
      {"one byte more", QuoteServersRequest(10, Server::kMaxRequestBytes + 1), "N"},
      {"a flood of separators within the size", std::string(Server::kMaxRequestBytes, '|'), "N"},
      {"the largest frame there is, all separators", std::string(portal::kMaxFrameTextSize, '|'), "N"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string answer = client->Call(c.text);
    ASSERT_EQ(Field(answer, 4), c.status) << answer.substr(0, 100);
    if (Field(answer, 4) == "N") {
      EXPECT_EQ(Field(answer, 5), kMalformed);
      EXPECT_EQ(Field(answer, 6), "请求格式错误！");
    }
    EXPECT_EQ(Field(client->Call(RequestText(3, 5451, "10001", "111111")), 4), "Y") << "the connection goes on";
  }
  // What is kept of the requests is bounded per text.
  for (const simbackend::ReceivedRequest& request : server_->Requests())
    EXPECT_LE(request.text.size(), Server::kMaxRecordedTextBytes);
}

TEST_F(HostileClientTest, OnlyLoginsAndTheRequestsOfLoggedInSessionsAreRecordedWithinTheirBytes) {
  auto anonymous = Connect();
  anonymous->Call(QuoteServersRequest(10, 60000));
  anonymous->Call("junk");
  anonymous->Call(TradingLoginText(1, "10001", "wrong"));
  auto client = LoggedIn("10001", "111111");
  const std::size_t requests = Server::kMaxRecordedBytes / Server::kMaxRecordedTextBytes + 10;
  for (std::size_t i = 0; i < requests; ++i) client->Call(QuoteServersRequest(10, 60000));

  ASSERT_TRUE(server_->WaitForRequests(requests + 2, kWait));
  const std::vector<simbackend::ReceivedRequest> kept = server_->Requests();
  std::size_t bytes = 0;
  for (const simbackend::ReceivedRequest& request : kept) {
    EXPECT_EQ(request.function, 5451);
    EXPECT_EQ(request.text.size(), Server::kMaxRecordedTextBytes);
    bytes += request.text.size();
  }
  EXPECT_LE(bytes, Server::kMaxRecordedBytes);
  EXPECT_EQ(kept.size(), Server::kMaxRecordedBytes / Server::kMaxRecordedTextBytes) << "the latest that fit";

  server_->ClearRequests();
  Connect()->Call(TradingLoginText(1, "10001", "wrong"));
  ASSERT_TRUE(server_->WaitForRequests(1, kWait));
  EXPECT_EQ(server_->Requests().at(0).function, 5001) << "a refused login is kept";
}

class SilentConnectionTest : public ServerFixture {
 protected:
  void SetUp() override {
    simbackend::ServerOptions options;
    options.loginDeadline = 2s;
    StartServer(options);
  }
};

TEST_F(SilentConnectionTest, ManyDoNotLockOutALoginAndGoAtTheirDeadlineWhileQuietLoggedInOnesStay) {
  auto listener = LoggedIn("10001", "111111");  // a terminal that only listens for pushes
  auto loggedOut = LoggedIn("20001", "222222");
  ASSERT_EQ(Field(loggedOut->Call(RequestText(2, 5461, "20001", "222222", {"100", "", "", ""})), 4), "Y");
  std::vector<std::unique_ptr<RawClient>> silent;
  for (int i = 0; i < 256; ++i) silent.push_back(Connect());
  ASSERT_TRUE(server_->WaitForConnectionCount(258, kWait));

  auto fresh = LoggedIn("10001", "111111");

  for (const auto& client : silent) EXPECT_TRUE(client->WaitClosed());
  EXPECT_TRUE(loggedOut->WaitClosed()) << "a logout starts the deadline again";
  EXPECT_TRUE(server_->WaitForConnectionCount(2, kWait));
  for (RawClient* quiet : {listener.get(), fresh.get()})
    EXPECT_EQ(Field(quiet->Call(RequestText(5, 5451, "10001", "111111")), 4), "Y");
}

TEST(ConnectionCapTest, AConnectionBeyondTheCapIsClosedAndOneThatEndsMakesRoom) {
  simbackend::ServerOptions options;
  options.maxConnections = 2;
  std::string error;
  const auto server = Server::Start(options, error);
  ASSERT_NE(server, nullptr) << error;
  auto first = std::make_unique<RawClient>(server->Port());
  RawClient second(server->Port());
  ASSERT_TRUE(server->WaitForConnectionCount(2, kWait));
  RawClient beyond(server->Port());
  EXPECT_TRUE(beyond.WaitClosed());

  first.reset();
  ASSERT_TRUE(server->WaitForConnectionCount(1, kWait));
  RawClient next(server->Port());
  EXPECT_EQ(Field(next.Call(TradingLoginText(1, "10001", "111111")), 4), "Y");
}

// Quote connections subscribed to as many contracts of the demo data as a
// subscription takes, stepped by the test.
class SlowClientTest : public ServerFixture {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(simbackend::LoadBackendData(SIMBACKEND_SOURCE_DATA_FOLDER, data_, error)) << error;
    simbackend::ServerOptions options;
    options.quoteInterval = 0ms;
    StartServer(options);
  }

  // Subscribes; the full quotes that follow stay unread.
  void SubscribeAll(RawClient& client) {
    ASSERT_EQ(Field(client.Call(QuoteLoginText(1, "quote", "quote123")), 4), "Y");
    std::string contracts;
    for (std::size_t i = 0; i < kSubscribed; ++i) {
      const simbackend::Contract& contract = data_.contracts.at(i);
      contracts += data_.exchanges[contract.exchange].id + "," + contract.code + ";";
    }
    const std::string answer = client.Call(RequestText(2, 5450, "10001", "111111", {contracts, "-1", "3", "1"}));
    ASSERT_EQ(Field(answer, 5), std::to_string(kSubscribed)) << answer;
  }

  // The lines of the next push, which must come.
  static std::vector<std::string> NextPush(RawClient& client, std::chrono::milliseconds wait = kWait) {
    std::vector<std::string> lines;
    for (std::optional<portal::Frame> frame = client.NextFrame(wait); frame; frame = client.NextFrame(wait)) {
      if (frame->kind != portal::FrameKind::kPush) continue;
      for (const std::string_view line : portal::SplitPushLines(frame->text)) lines.emplace_back(line);
      break;
    }
    return lines;
  }

  static constexpr std::size_t kSubscribed = simbackend::Functions::kMaxSubscribedContracts;
  simbackend::BackendData data_;
};

TEST_F(SlowClientTest, ASubscriberThatStopsReadingGetsTheLatestQuotesAndNobodyWaitsForIt) {
  RawClient slow(server_->Port(), 4096);
  SubscribeAll(slow);
  RawClient fast(server_->Port());
  SubscribeAll(fast);
  ASSERT_EQ(NextPush(fast).size(), kSubscribed);

  // Far more than the sockets between the back end and the slow client hold.
  constexpr int kSteps = 600;
  std::vector<std::string> latest;
  for (int step = 0; step < kSteps; ++step) {
    ASSERT_EQ(server_->AdvanceQuotes(), 2u) << "step " << step;
    latest = NextPush(fast);
    ASSERT_EQ(latest.size(), kSubscribed) << "step " << step;
  }
  EXPECT_EQ(server_->ConnectionCount(), 2u) << "a slow subscriber is not dropped";

  // Catching up, the slow client ends with the quotes the fast one has, and
  // skipped the steps that were replaced while it did not read.
  int pushes = 0;
  std::vector<std::string> last;
  for (std::vector<std::string> lines = NextPush(slow); !lines.empty(); lines = NextPush(slow, 500ms)) {
    last = std::move(lines);
    ++pushes;
  }
  EXPECT_EQ(last, latest);
  EXPECT_LT(pushes, kSteps);
}

TEST_F(SlowClientTest, PushesOfAnAccountAreNeverDroppedAClientThatDoesNotTakeThemIsClosed) {
  RawClient slow(server_->Port(), 4096);
  ASSERT_EQ(Field(slow.Call(TradingLoginText(1, "10001", "111111")), 4), "Y");
  auto other = LoggedIn("10001", "111111");
  const std::string filler(60000, 'x');

  constexpr int kMostPushes = 2000;
  int pushed = 0;
  for (std::size_t reached = 2; reached == 2 && pushed < kMostPushes; ++pushed) {
    reached = server_->Push("10001", {"R||0|15006|" + std::to_string(pushed) + "|" + filler + "|"});
    ASSERT_GE(reached, 1u);
    const std::optional<std::string> line = other->NextPushLine();
    ASSERT_TRUE(line);
    ASSERT_EQ(Field(*line, 5), std::to_string(pushed)) << "the client that reads gets every push at once";
  }
  EXPECT_LT(pushed, kMostPushes) << "the slow client is closed once its queue passes its bound";
  EXPECT_GT(static_cast<std::size_t>(pushed) * filler.size(), Server::kMaxQueuedBytes);

  // What the slow client got before its close is every push from the first
  // on, none left out.
  int received = 0;
  while (const std::optional<std::string> line = slow.NextPushLine()) {
    ASSERT_EQ(Field(*line, 5), std::to_string(received));
    ++received;
  }
  EXPECT_TRUE(slow.WaitClosed());
  EXPECT_GT(received, 0);
  EXPECT_LT(received, pushed);
  EXPECT_TRUE(server_->WaitForConnectionCount(1, kWait));
}

}  // namespace
}  // namespace simbackend_test
