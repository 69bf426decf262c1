#include "library.h"

#include <cstdlib>
#include <utility>

#include "answer_text.h"
#include "connect_record.h"
#include "platform/format.h"
#include "platform/gbk.h"
#include "request_text.h"
#include "text.h"

namespace connpool {
namespace {

// What the middleware is asked for at the log-in.
constexpr int kLoginFunction = 1258;
constexpr int kLoginTimeoutMs = 60000;
// A time-out below 0 takes the middleware's own.
constexpr int kMiddlewareTimeout = -2;
constexpr int kAcceptedLoginRows = 5;
constexpr int kPushRows = 4;
constexpr std::string_view kPushTitle = "接收通讯推送";
constexpr std::size_t kNameLength = 63;

// The start record's values other than the hooks.
constexpr std::int32_t kMaxQueuedRequests = 999;
constexpr std::int32_t kAnswerTimeoutMs = 15000;
constexpr std::int32_t kConnectTimeoutSeconds = 5;
constexpr std::int32_t kReconnectTries = 3;
constexpr std::int32_t kHeartbeatSeconds = 3;

// Runs an action when the scope ends, however it ends.
template <typename Action>
class OnScopeExit {
 public:
  explicit OnScopeExit(Action action) : action_(std::move(action)) {}
  ~OnScopeExit() { action_(); }
  OnScopeExit(const OnScopeExit&) = delete;
  OnScopeExit& operator=(const OnScopeExit&) = delete;

 private:
  Action action_;
};

std::string Name(std::string_view name) {
  return std::string(name.substr(0, platform::GbkFitLength(name, kNameLength)));
}

// The middleware's states as the host sees them.
int HostState(int middlewareState) {
  switch (middlewareState) {
    case kHalvostConnected: return LINKARA_STATE_CONNECTED;
    case kHalvostConnecting:
    case kHalvostBroken:
    case kHalvostClosed: return LINKARA_STATE_NOT_CONNECTED;
    default: return LINKARA_STATE_UNKNOWN;
  }
}

HalvostStartRecord StartRecord(int connectionCount, const MiddlewareHooks& hooks) {
  HalvostStartRecord record{};
  record.size = sizeof record;
  record.maxQueuedRequests = kMaxQueuedRequests;
  record.answerTimeoutMs = kAnswerTimeoutMs;
  record.connectTimeoutSeconds = kConnectTimeoutSeconds;
  record.reconnectTries = kReconnectTries;
  record.heartbeatSeconds = kHeartbeatSeconds;
  record.compress = 1;
  record.sendBufferKb = 64;
  record.receiveBufferKb = 64;
  record.traceOn = 1;
  record.stateHook = hooks.state;
  record.receiveHook = hooks.receive;
  record.traceHook = hooks.trace;
  record.reserved = 0;
  record.reportStates = 1;
  record.connectionCount = connectionCount + 1;  // the spare number serves the server test
  return record;
}

}  // namespace

std::unique_ptr<Library> Library::Create(const MiddlewareApi& api, MacAddressCache& mac, const LibrarySetup& setup,
                                         const MiddlewareHooks& middlewareHooks, std::string& error) {
  if (const int missing = api.MissingOrdinal(); missing != 0) {
    error = platform::Format("通讯中间件缺少序号为%d的函数！", missing);
    return nullptr;
  }
  if (setup.connectionCount < 1 || setup.connectionCount > kMaxConnections) {
    error = platform::Format("创建通讯线程池时，连接数：%d，非法！", setup.connectionCount);
    return nullptr;
  }
  std::unique_ptr<Library> library(new Library(api, mac, setup));
  if (!library->Start(middlewareHooks, error)) return nullptr;
  return library;
}

Library::Library(const MiddlewareApi& api, MacAddressCache& mac, const LibrarySetup& setup)
    : api_(api),
      mac_(mac),
      hooks_(setup.hooks),
      firstName_(Name(setup.firstName)),
      secondName_(Name(setup.secondName)),
      connectionCount_(setup.connectionCount),
      states_(static_cast<std::size_t>(setup.connectionCount) + 1, LINKARA_STATE_UNKNOWN),
      reserved_(static_cast<std::size_t>(setup.connectionCount), false),
      executor_(api, mac, [this](TraceType type, std::string_view text) { Trace(type, text); }),
      pool_(setup.connectionCount, executor_,
            {.result = [this](CallBlock* block) { DeliverResult(block); },
             .trace = [this](TraceType type, std::string_view text) { Trace(type, text); }}) {}

bool Library::Start(const MiddlewareHooks& middlewareHooks, std::string& error) {
  const HalvostStartRecord record = StartRecord(connectionCount_, middlewareHooks);
  if (const int code = api_.initialize(&record); code != kHalvostOk) {
    error = api_.ErrorText(code);
    return false;
  }
  if (const int code = api_.start(); code != kHalvostOk) {
    error = api_.ErrorText(code);
    api_.cleanup();
    return false;
  }
  return true;
}

void Library::Shutdown() {
  {
    std::lock_guard lock(connectLock_);
    if (shutDown_) return;
    shutDown_ = true;
  }
  for (int number = 0; number < connectionCount_; ++number) pool_.Stop(number);
  api_.stop();
  api_.cleanup();
}

int Library::Reserve(int number, std::string& error) {
  std::lock_guard lock(connectLock_);
  auto inUse = [&](int candidate) { return reserved_[candidate] || pool_.IsStarted(candidate); };
  if (shutDown_) {
    error = "建立连接时，还没有创建通讯线程池！";
    return -1;
  }
  if (number == -1) {
    for (int candidate = 0; candidate < connectionCount_ && number == -1; ++candidate) {
      if (!inUse(candidate)) number = candidate;
    }
    if (number == -1) {
      error = "建立连接时，没有空闲的连接号！";
      return -1;
    }
  } else if (number < 0 || number >= connectionCount_) {
    error = platform::Format("建立连接时，连接号：%d，非法！", number);
    return -1;
  } else if (inUse(number)) {
    error = platform::Format("使用连接号%d建立连接时，连接号%d已经被使用！", number, number);
    return -1;
  }
  reserved_[number] = true;
  return number;
}

int Library::Connect(int requested, const ServerInfo& server, SubCall& login, std::string& error) {
  const int number = Reserve(requested, error);
  if (number < 0) return -1;
  // Started or not, the number is no longer being connected afterwards.
  const OnScopeExit unreserve([&] {
    std::lock_guard lock(connectLock_);
    reserved_[number] = false;
  });
  if (!LogIn(number, server, login, error) || !StartWorker(number, error)) {
    Trace(TraceType::kConnectFailure, platform::Format("建立连接失败：%s", error.c_str()));
    return -1;
  }
  Trace(TraceType::kEvent, platform::Format("建立连接成功，连接号：%d。", number));
  return number;
}

bool Library::StartWorker(int number, std::string& error) {
  std::lock_guard lock(connectLock_);
  if (shutDown_) {
    error = "建立连接时，还没有创建通讯线程池！";
    return false;
  }
  return pool_.Start(number);
}

bool Library::LogIn(int number, const ServerInfo& server, SubCall& login, std::string& error) {
  const HalvostConnectRecord record = ConnectRecord(server);
  const std::string request = RequestText(mac_.Get(), login.requestNumber, login.functionNumber, login.arguments);
  Trace(TraceType::kCommunication, platform::Format("请求(CID=%d)：%s", number, request.c_str()));
  std::string reply(kAnswerBufferSize, '\0');
  const int code = api_.connect(number, reinterpret_cast<HalvostParam>(&record), kLoginFunction, 0, 0, request.c_str(),
                                reply.data(), kAnswerBufferSize, 0, kLoginTimeoutMs);
  if (code != kHalvostOk) {
    error = api_.ErrorText(code);
    Trace(TraceType::kError, platform::Format("通讯错误(CID=%d)：%s", number, error.c_str()));
    // The middleware may have opened the connection before the log-in failed.
    api_.close(number);
    return false;
  }
  const std::string answer = TextIn(reply.data(), reply.size());
  Trace(TraceType::kCommunication, platform::Format("返回(CID=%d)：%s", number, answer.c_str()));
  PackedList packet;
  PackedList results;
  const bool accepted = IsAccepted(AnswerField(answer, kStatusField));
  if (accepted && AppendFields(answer, kAcceptedLoginRows, packet) &&
      (packet.Count() == 0 || results.AppendListAsValue(packet))) {
    SetResults(login, std::move(results));
    return true;
  }
  error = accepted ? "应答数据包过大，无法保存！" : AnswerField(answer, kMessageField);
  std::string closeError;
  CloseConnection(number, closeError);
  return false;
}

bool Library::Disconnect(int number, std::string& error) {
  if (number < 0 || number >= connectionCount_) {
    error = platform::Format("断开连接时，连接号：%d，非法！", number);
    return false;
  }
  if (!pool_.IsStarted(number)) {
    error = platform::Format("断开连接时，连接号：%d，还没有建立连接！", number);
    return false;
  }
  const bool closed = CloseConnection(number, error);
  if (closed) {
    Trace(TraceType::kEvent, platform::Format("断开连接成功，连接号：%d。", number));
  } else {
    Trace(TraceType::kConnectFailure, platform::Format("断开连接失败，连接号：%d。", number));
  }
  pool_.Stop(number);
  return closed;
}

bool Library::CloseConnection(int number, std::string& error) {
  Trace(TraceType::kEvent, platform::Format("请求(CID=%d)：断开连接。", number));
  if (const int code = api_.close(number); code != kHalvostOk) {
    error = api_.ErrorText(code);
    Trace(TraceType::kError, platform::Format("错误(CID=%d)：%s", number, error.c_str()));
    return false;
  }
  Trace(TraceType::kEvent, platform::Format("返回(CID=%d)：断开连接成功。", number));
  return true;
}

int Library::FreeConnectionCount() const {
  std::lock_guard lock(connectLock_);
  int free = 0;
  for (int number = 0; number < connectionCount_; ++number) {
    if (!reserved_[number] && !pool_.IsStarted(number)) ++free;
  }
  return free;
}

int Library::TestServer(const ServerInfo& server) const {
  constexpr int kAnswered = 1;
  constexpr int kUnreachable = 2;
  constexpr int kFailed = 0;
  bool tried = false;
  int last = kHalvostOk;
  for (int place = 0; place < kServerPlaces; ++place) {
    if (!IsServerEnabled(server, place)) continue;
    tried = true;
    const HalvostConnectRecord record = TestRecord(server, place);
    last = api_.testServer(connectionCount_, &record, kMiddlewareTimeout);
    if (last == kHalvostOk) return kAnswered;
  }
  if (!tried) return kAnswered;
  return last == kHalvostServerUnreachable ? kUnreachable : kFailed;
}

void Library::OnReceive(int connection, const char* data, int length) {
  Trace(TraceType::kEvent, platform::Format("收到推送数据(CID=%d)，长度为：%d。", connection, length));
  for (std::string_view line : PushLines(data, length)) {
    Trace(TraceType::kCommunication,
          platform::Format("接收通讯推送(CID=%d)：%s", connection, std::string(line).c_str()));
    DeliverPush(connection, line);
  }
}

void Library::DeliverPush(int connection, std::string_view line) {
  if (hooks_.result == nullptr) return;
  CallBlockPtr block = PushBlock(connection, line);
  if (block == nullptr) {
    Trace(TraceType::kCommunication, platform::Format("接收通讯推送(CID=%d)：创建请求包失败。", connection));
    return;
  }
  hooks_.result(block.get());
}

CallBlockPtr Library::PushBlock(int connection, std::string_view line) const {
  PackedList packet;
  if (!AppendFields(line, kPushRows, packet)) return nullptr;
  const int pushCode = std::atoi(std::string(packet.TextAt(0)).c_str());
  CallBlockPtr block =
      NewCallBlock({.title = kPushTitle, .connection = connection, .second = firstName_, .third = secondName_}, 1);
  if (block == nullptr || !SetSubCall(*block, 0, {.functionNumber = pushCode, .singlePacket = true})) return nullptr;
  if (packet.Count() > 0 && !AppendResultPacket(*block, 0, packet)) return nullptr;
  block->processed = 1;
  return block;
}

void Library::OnStateChange(int connection, int oldState, int newState) {
  Trace(TraceType::kEvent,
        platform::Format("状态推送，连接号：%d, 原状态：%d, 新状态：%d。", connection, oldState, newState));
  if (hooks_.state == nullptr || connection < 0 || connection > connectionCount_) return;
  const int hostOld = HostState(oldState);
  const int hostNew = HostState(newState);
  {
    std::lock_guard lock(stateLock_);
    int& stored = states_[static_cast<std::size_t>(connection)];
    if (stored == hostNew) return;
    stored = hostNew;
  }
  hooks_.state(connection, hostOld, hostNew);
}

void Library::OnMiddlewareTrace(const char* text) const {
  if (text != nullptr) Trace(TraceType::kCommunication, text);
}

void Library::DeliverResult(CallBlock* block) const {
  if (hooks_.result != nullptr) {
    hooks_.result(block);
  } else {
    FreeCallBlock(block);
  }
}

void Library::Trace(TraceType type, std::string_view text) const {
  if (hooks_.trace == nullptr) return;
  const std::string line = type == TraceType::kCommunication ? MaskPasswordFields(text) : std::string(text);
  hooks_.trace(static_cast<int>(type), line.c_str());
}

}  // namespace connpool
