#include "middleware.h"

#include <unistd.h>

#include <cstring>
#include <vector>

#include "socket_connect.h"

namespace halvost {
namespace {

constexpr std::chrono::seconds kConnectTimeout{5};
// What a reply hook may write, terminator included.
constexpr int kSessionTextSize = 1024;

}  // namespace

Middleware& Middleware::Instance() {
  static Middleware instance;
  return instance;
}

Middleware::~Middleware() { CloseAll(); }

void Middleware::Configure(const HalvostStartRecord& record) {
  std::lock_guard lock(mutex_);
  settings_ = record;
}

std::chrono::milliseconds Middleware::Timeout(int timeoutMs) const {
  if (timeoutMs > 0) return std::chrono::milliseconds(timeoutMs);
  std::lock_guard lock(mutex_);
  const int configured = settings_.answerTimeoutMs;
  return std::chrono::milliseconds(configured > 0 ? configured : kHalvostDefaultTimeoutMs);
}

std::shared_ptr<Connection> Middleware::OpenConnection(int number) {
  std::lock_guard lock(mutex_);
  const auto found = connections_.find(number);
  if (found == connections_.end()) return nullptr;
  if (found->second->IsOpen()) return found->second;
  connections_.erase(found);  // broken: the next log-in call opens it anew
  return nullptr;
}

std::shared_ptr<Connection> Middleware::Open(int number, const HalvostConnectRecord& record, int& error) {
  const int fd = ConnectToFirstServer(record, kConnectTimeout);
  if (fd < 0) {
    error = kHalvostConnectFailed;
    return nullptr;
  }
  auto connection = Connection::Start(number, fd, *this);
  std::shared_ptr<Connection> replaced;
  {
    std::lock_guard lock(mutex_);
    auto& slot = connections_[number];
    if (slot && slot->IsOpen()) {
      replaced = connection;  // another thread opened it meanwhile
      connection = slot;
    } else {
      slot = connection;
    }
  }
  if (replaced) replaced->Close();
  return connection;
}

int Middleware::Call(int number, const HalvostConnectRecord* record, int function, std::string_view request,
                     std::string& answer, platform::Event* preempt, int timeoutMs) {
  if (request.size() > static_cast<std::size_t>(kHalvostMaxRequestLength)) return kHalvostRequestTooLong;
  auto connection = OpenConnection(number);
  if (!connection) {
    if (!record) return kHalvostNotConnected;
    int error = kHalvostOk;
    connection = Open(number, *record, error);
    if (!connection) return error;
  }
  return connection->Call(function, request, answer, preempt, Timeout(timeoutMs));
}

void Middleware::RunReplyHook(int number, HalvostReplyHook hook, const char* request, const std::string& answer) {
  std::vector<char> out(kSessionTextSize, '\0');
  const int length = hook(number, request, answer.c_str(), out.data(), kSessionTextSize);
  // A hook that claims more than it may write is not believed.
  if (length <= 0 || length >= kSessionTextSize) return;
  const std::size_t written = ::strnlen(out.data(), static_cast<std::size_t>(length));
  if (auto connection = OpenConnection(number)) connection->SendSession(std::string_view(out.data(), written));
}

int Middleware::Close(int number) {
  std::shared_ptr<Connection> connection;
  {
    std::lock_guard lock(mutex_);
    const auto found = connections_.find(number);
    if (found == connections_.end()) return kHalvostNotConnected;
    connection = std::move(found->second);
    connections_.erase(found);
  }
  const bool wasOpen = connection->IsOpen();
  connection->Close();
  return wasOpen ? kHalvostOk : kHalvostNotConnected;
}

void Middleware::CloseAll() {
  std::map<int, std::shared_ptr<Connection>> closing;
  {
    std::lock_guard lock(mutex_);
    closing.swap(connections_);
  }
  for (auto& [number, connection] : closing) connection->Close();
}

int Middleware::Send(int number, std::string_view request) {
  auto connection = OpenConnection(number);
  if (!connection) return kHalvostNotConnected;
  return connection->Send(0, request);
}

void Middleware::Trace(std::string_view text) {
  HalvostTraceHook hook;
  {
    std::lock_guard lock(mutex_);
    hook = settings_.traceHook;
  }
  if (hook) hook(std::string(text).c_str());
}

void Middleware::OnPush(int connection, std::string_view data) {
  HalvostReceiveHook hook;
  {
    std::lock_guard lock(mutex_);
    hook = settings_.receiveHook;
  }
  if (hook) hook(connection, data.data(), static_cast<int>(data.size()));
}

void Middleware::OnStateChange(int connection, int oldState, int newState) {
  HalvostStateHook hook;
  {
    std::lock_guard lock(mutex_);
    hook = settings_.stateHook;
  }
  if (hook) hook(connection, oldState, newState);
}

bool CopyToBuffer(std::string_view text, char* buffer, int size) {
  if (!buffer || size <= 0) return false;
  if (text.size() >= static_cast<std::size_t>(size)) {
    buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return true;
}

}  // namespace halvost
