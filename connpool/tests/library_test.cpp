// The library against a scripted middleware: creation, connection states,
// pushed data, middleware trace lines and the server test. Nothing connects
// here, so no worker runs.
#include "library.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fake_middleware.h"
#include "test_support.h"

namespace connpool {
namespace {

using testing::FakeMiddleware;

// What the host's hooks received; the hooks run on the test's thread here.
struct HostLog {
  std::vector<std::string> traces;
  std::vector<std::string> states;
  std::vector<std::string> pushes;  // a summary of each push block
};
HostLog* hostLog = nullptr;

void OnTrace(int type, const char* text) { hostLog->traces.push_back(std::to_string(type) + " " + text); }
void OnState(int connection, int oldState, int newState) {
  hostLog->states.push_back(std::to_string(connection) + " " + std::to_string(oldState) + "->" +
                            std::to_string(newState));
}
// Reads the block while it lives: the library frees a push block afterwards.
void OnResult(CallBlock* block) {
  const SubCall& subCall = block->SubCalls()[0];
  std::string summary = std::string(block->title) + "/" + std::to_string(block->connection) + "/" +
                        std::to_string(block->priority) + "/" + block->second + "/" + block->third + "/" +
                        std::to_string(block->hostValue) + "/" + std::to_string(block->subCallCount) + "/" +
                        std::to_string(block->processed) + "/" + std::to_string(subCall.requestNumber) + "/" +
                        std::to_string(subCall.functionNumber) + "/" + std::to_string(subCall.singlePacket) + ":";
  const BorrowedList results(subCall.results);
  for (int index = 0; index < results->Count(); ++index) {
    const BorrowedList packet(reinterpret_cast<const PackedBlock*>(results->ValueAt(index).data()));
    for (int field = 0; field < packet->Count(); ++field) summary += std::string(packet->TextAt(field)) + ",";
    summary += ";";
  }
  hostLog->pushes.push_back(summary);
}

class LibraryTest : public ::testing::Test {
 protected:
  LibraryTest() { hostLog = &log; }
  ~LibraryTest() override {
    if (library) library->Shutdown();
    hostLog = nullptr;
  }

  std::unique_ptr<Library> Create(int count, const MiddlewareApi& with) {
    error.clear();
    const LibrarySetup setup{
        .hooks = {OnTrace, OnState, OnResult}, .firstName = "first", .secondName = longName, .connectionCount = count};
    return Library::Create(with, mac, setup, {}, error);
  }

  const std::string longName = std::string(70, 'n');
  HostLog log;
  FakeMiddleware middleware;
  const MiddlewareApi api = middleware.Api();
  MacAddressCache mac{api.localMac};
  std::string error;
  std::unique_ptr<Library> library;
};

TEST_F(LibraryTest, CreationChecksTheMiddlewareAndTheConnectionCount) {
  MiddlewareApi incomplete = api;
  incomplete.call = nullptr;
  EXPECT_EQ(Create(3, incomplete), nullptr);
  EXPECT_EQ(error, "通讯中间件缺少序号为11的函数！");
  for (int count : {0, -1, kMaxConnections + 1}) {
    EXPECT_EQ(Create(count, api), nullptr);
    EXPECT_EQ(error, "创建通讯线程池时，连接数：" + std::to_string(count) + "，非法！");
  }
  EXPECT_TRUE(middleware.events.empty());

  middleware.initializeCode = kHalvostBadArgument;
  EXPECT_EQ(Create(3, api), nullptr);
  EXPECT_EQ(error, "错误-1");
  middleware.initializeCode = kHalvostOk;
  middleware.startCode = kHalvostNotInitialised;
  EXPECT_EQ(Create(3, api), nullptr);
  EXPECT_EQ(error, "错误-8");
  EXPECT_EQ(middleware.events, (std::vector<std::string>{"initialize", "initialize", "start", "cleanup"}));
  EXPECT_TRUE(log.traces.empty());
}

TEST_F(LibraryTest, TheStartRecordCarriesTheSettingsAndOneSpareNumber) {
  middleware.events.clear();
  library = Create(kMaxConnections, api);
  ASSERT_NE(library, nullptr) << error;
  const HalvostStartRecord& record = middleware.startRecord;
  EXPECT_EQ(record.size, sizeof(HalvostStartRecord));
  EXPECT_STREQ(record.productName, "");
  EXPECT_EQ(record.maxQueuedRequests, 999);
  EXPECT_EQ(record.answerTimeoutMs, 15000);
  EXPECT_EQ(record.connectTimeoutSeconds, 5);
  EXPECT_EQ(record.reconnectTries, 3);
  EXPECT_EQ(record.heartbeatSeconds, 3);
  EXPECT_EQ(record.compress, 1);
  EXPECT_EQ(record.sendBufferKb, 64);
  EXPECT_EQ(record.receiveBufferKb, 64);
  EXPECT_EQ(record.traceOn, 1);
  EXPECT_EQ(record.reportStates, 1);
  EXPECT_EQ(record.connectionCount, kMaxConnections + 1);
  EXPECT_EQ(library->FreeConnectionCount(), kMaxConnections);

  library->Shutdown();
  library->Shutdown();
  EXPECT_EQ(middleware.events, (std::vector<std::string>{"initialize", "start", "stop", "cleanup"}))
      << "the middleware is stopped once";
}

TEST_F(LibraryTest, StatesReachTheHostOnlyWhenTheyChange) {
  library = Create(2, api);
  ASSERT_NE(library, nullptr) << error;
  const struct {
    int connection;
    int oldState;
    int newState;
    const char* reported;  // null: nothing reaches the hook
  } cases[] = {
      {0, kHalvostConnecting, kHalvostConnected, "0 2->1"},
      {0, kHalvostConnected, kHalvostConnected, nullptr},
      {0, kHalvostConnected, kHalvostBroken, "0 1->2"},
      {0, kHalvostConnecting, kHalvostBroken, nullptr},  // 2 -> 2 again
      {0, kHalvostBroken, kHalvostClosed, nullptr},
      {1, 7, 9, nullptr},  // unknown states map to 0, which is what was stored
      {1, kHalvostConnecting, kHalvostConnected, "1 2->1"},
      {1, kHalvostConnected, 99, "1 1->0"},
      {2, kHalvostConnecting, kHalvostConnected, "2 2->1"},  // the spare number of the server test
      {3, kHalvostConnecting, kHalvostConnected, nullptr},
      {-1, kHalvostConnecting, kHalvostConnected, nullptr},
  };
  for (const auto& c : cases) {
    const std::size_t before = log.states.size();
    log.traces.clear();
    library->OnStateChange(c.connection, c.oldState, c.newState);
    if (c.reported) {
      ASSERT_EQ(log.states.size(), before + 1) << c.connection << " " << c.newState;
      EXPECT_EQ(log.states.back(), c.reported);
    } else {
      EXPECT_EQ(log.states.size(), before) << c.connection << " " << c.newState;
    }
    EXPECT_EQ(log.traces, (std::vector<std::string>{"3 状态推送，连接号：" + std::to_string(c.connection) +
                                                    ", 原状态：" + std::to_string(c.oldState) + ", 新状态：" +
                                                    std::to_string(c.newState) + "。"}));
  }
}

TEST_F(LibraryTest, PushedLinesReachTheResultHookAsBlocksOfOneDoneSubCall) {
  library = Create(2, api);
  ASSERT_NE(library, nullptr) << error;
  // An exact-size heap copy, its last line without terminator: a read past
  // its length is caught by the address sanitizer.
  const char raw[] = "R|m|0|15001|a|b|\0\0R|m|0|15002||Pellora|10001|pw|\0R|m|0|15003|c|";
  const std::string data(raw, sizeof raw - 1);
  const auto copy = std::make_unique<char[]>(data.size());
  std::memcpy(copy.get(), data.data(), data.size());
  library->OnReceive(1, copy.get(), static_cast<int>(data.size()));

  const std::string head = "接收通讯推送/1/0/first/" + std::string(63, 'n') + "/0/1/1/0/";
  EXPECT_EQ(log.pushes,
            (std::vector<std::string>{head + "15001/1:15001,a,b,;", head + "15002/1:15002,,Pellora,10001,pw,;",
                                      head + "15003/1:15003,c,;"}));
  EXPECT_EQ(log.traces, (std::vector<std::string>{
                            "3 收到推送数据(CID=1)，长度为：" + std::to_string(data.size()) + "。",
                            "4 接收通讯推送(CID=1)：R|m|0|15001|a|b|",
                            "4 接收通讯推送(CID=1)：R|m|0|15002||Pellora|10001|********|",
                            "4 接收通讯推送(CID=1)：R|m|0|15003|c|",
                        }));
}

TEST_F(LibraryTest, MiddlewareTraceLinesAreCommunicationLinesWithPasswordsMasked) {
  library = Create(2, api);
  ASSERT_NE(library, nullptr) << error;
  library->OnMiddlewareTrace("发送：R|m|4|5014||Pellora|10001|old|new|");
  library->OnMiddlewareTrace(nullptr);
  EXPECT_EQ(log.traces, (std::vector<std::string>{"4 发送：R|m|4|5014||Pellora|10001|********|********|"}));
}

TEST_F(LibraryTest, TheServerTestTriesEachEnabledPlaceAloneOnTheSpareNumber) {
  library = Create(3, api);
  ASSERT_NE(library, nullptr) << error;
  ServerInfo info{};
  const char* hosts[] = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};
  for (int place = 0; place < 3; ++place) std::strcpy(info.servers[place].host, hosts[place]);
  middleware.events.clear();
  EXPECT_EQ(library->TestServer(info), 1) << "no server enabled";
  EXPECT_TRUE(middleware.events.empty()) << "the middleware is not asked";

  WriteInt32(info.servers[0].enabled, 1);
  WriteInt32(info.servers[2].enabled, 1);
  const struct {
    std::deque<int> results;
    int expected;
    std::size_t tried;
  } cases[] = {
      {{kHalvostServerUnreachable, kHalvostOk}, 1, 2},
      {{kHalvostOk}, 1, 1},
      {{kHalvostServerUnreachable, kHalvostServerUnreachable}, 2, 2},
      {{kHalvostTimedOut, kHalvostServerUnreachable}, 2, 2},
      {{kHalvostServerUnreachable, kHalvostTimedOut}, 0, 2},
  };
  for (const auto& c : cases) {
    middleware.events.clear();
    middleware.testResults = c.results;
    EXPECT_EQ(library->TestServer(info), c.expected);
    ASSERT_EQ(middleware.events.size(), c.tried);
    EXPECT_EQ(middleware.events[0], "test 3 10.0.0.1");
    if (c.tried > 1) {
      EXPECT_EQ(middleware.events[1], "test 3 10.0.0.3");
    }
  }
}

TEST_F(LibraryTest, AFailedLogInClosesWhatTheMiddlewareMayHaveOpened) {
  library = Create(2, api);
  ASSERT_NE(library, nullptr) << error;
  middleware.events.clear();
  ServerInfo info{};
  CallBlockPtr login = NewCallBlock({}, 1);
  EXPECT_EQ(library->Connect(-1, info, login->SubCalls()[0], error), -1);
  EXPECT_EQ(error, "错误-3");
  EXPECT_EQ(middleware.events, (std::vector<std::string>{"close 0"}));
  EXPECT_EQ(log.traces, (std::vector<std::string>{"4 请求(CID=0)：R|00-11-22-33-44-55|0|0|",
                                                  "1 通讯错误(CID=0)：错误-3", "2 建立连接失败：错误-3"}));
  EXPECT_EQ(library->FreeConnectionCount(), 2);
}

TEST(MacAddressCache, AsksUntilTheMiddlewareAnswersThenKeepsTheText) {
  static int asked = 0;
  asked = 0;
  MacAddressCache cache([](char* buffer, int size) -> int {
    if (++asked == 1) return kHalvostTransport;
    std::snprintf(buffer, static_cast<std::size_t>(size), "AA-BB-CC-DD-EE-%02d", asked);
    return kHalvostOk;
  });
  EXPECT_EQ(cache.Get(), "");
  EXPECT_EQ(cache.Get(), "AA-BB-CC-DD-EE-02");
  EXPECT_EQ(cache.Get(), "AA-BB-CC-DD-EE-02");
  EXPECT_EQ(asked, 2);
}

}  // namespace
}  // namespace connpool
