#include "portal.h"

#include <utility>

#include "platform/format.h"

namespace portal {
namespace {

// Reads the server, the login text and the proxy kind from a connect block;
// false with the reason in `text` when one of them is unusable.
bool ReadConnectBlock(const OV_ConnectBlock& block, ServerAddress& server, std::string& loginText, std::string& text) {
  const std::optional<std::string_view> login = orvanet::GetText(block.loginText);
  if (!login || login->empty()) {
    text = login ? "登录请求为空！" : "登录请求超长！";
    return false;
  }
  if (const std::int32_t proxyKind = orvanet::GetI32(block.proxyKind); proxyKind != 0) {
    text = platform::Format("不支持通过代理服务器连接（代理类型%d）！", proxyKind);
    return false;
  }
  const std::optional<std::string_view> host = orvanet::GetText(block.serverAddress);
  if (!host || host->empty()) {
    text = "服务器地址为空！";
    return false;
  }
  const auto port = static_cast<std::uint32_t>(orvanet::GetI32(block.serverPort));
  if (port == 0 || port > 65535) {
    text = platform::Format("服务器端口%u无效！", port);
    return false;
  }
  server = ServerAddress{std::string(*host), static_cast<std::uint16_t>(port)};
  loginText.assign(*login);
  return true;
}

}  // namespace

Portal& Portal::Instance() {
  static Portal instance;
  return instance;
}

Portal::~Portal() { Stop(); }

bool Portal::Start(const Settings& settings, std::string& message) {
  if (settings.reconnectAttempts < 0 || settings.answerTimeout.count() <= 0 || settings.connectTimeout.count() <= 0 ||
      settings.retryPause.count() < 0) {
    message = "通讯库启动参数无效！";
    return false;
  }
  std::lock_guard lock(mutex_);
  if (settings_) {
    message = "通讯库已经启动！";
    return false;
  }
  settings_ = std::make_shared<const Settings>(settings);
  return true;
}

bool Portal::Stop() {
  if (Connection::OnReaderThread()) return false;
  std::map<int, std::shared_ptr<Connection>> closing;
  {
    std::lock_guard lock(mutex_);
    if (!settings_) return false;
    closing.swap(connections_);
    settings_.reset();
  }
  for (auto& [number, connection] : closing) connection->Close();
  return true;
}

bool Portal::Connect(OV_ConnectBlock& block, std::string& text) {
  const std::int32_t number = orvanet::GetI32(block.connection);
  ServerAddress server;
  std::string loginText;
  std::shared_ptr<Connection> connection;
  std::shared_ptr<const Settings> settings;
  {
    std::lock_guard lock(mutex_);
    if (!settings_) {
      text = "通讯库尚未启动！";
      return false;
    }
    if (number < 0 || number >= OV_MAX_CONNECTIONS) {
      text = platform::Format("连接号%d无效！", number);
      return false;
    }
    if (connections_.contains(number)) {
      text = platform::Format("连接号%d已经建立连接！", number);
      return false;
    }
    if (!ReadConnectBlock(block, server, loginText, text)) return false;
    settings = settings_;
    // Taken before connecting, so that the number is not opened twice at once
    // and a disconnect or stop meanwhile ends the attempt.
    connection = std::make_shared<Connection>(number, settings, server, std::move(loginText));
    connections_.emplace(number, connection);
  }
  bool opened = false;
  try {
    opened = connection->Open(text);
  } catch (...) {
    Forget(number, connection);
    throw;
  }
  if (!opened) {
    settings->Log(kLogConnection, platform::Format("连接%d连接服务器%s:%u失败：%s", number, server.host.c_str(),
                                                   server.port, text.c_str()));
    Forget(number, connection);
    return false;
  }
  settings->Log(kLogConnection,
                platform::Format("连接%d已连接到服务器%s:%u。", number, server.host.c_str(), server.port));
  orvanet::SetI32(block.connection, number);
  return true;
}

bool Portal::Disconnect(int number) {
  if (Connection::OnReaderThread()) return false;
  std::shared_ptr<Connection> connection;
  {
    std::lock_guard lock(mutex_);
    const auto found = connections_.find(number);
    if (found == connections_.end()) return false;
    connection = std::move(found->second);
    connections_.erase(found);
  }
  connection->Close();
  return true;
}

int Portal::State(int number) const {
  const std::shared_ptr<Connection> connection = Find(number);
  return connection ? connection->State() : OV_STATE_DISCONNECTED;
}

bool Portal::Send(int number, int function, platform::Event* abort, std::string_view request, std::string& text) {
  const std::shared_ptr<Connection> connection = FindConnected(number, text);
  return connection && connection->Call(function, abort, request, text);
}

std::optional<std::uint32_t> Portal::SendOnly(int number, int function, platform::Event* abort,
                                              std::string_view request, std::string& text) {
  const std::shared_ptr<Connection> connection = FindConnected(number, text);
  return connection ? connection->Send(function, abort, request, text) : std::nullopt;
}

bool Portal::SendOnlyMany(int number, int function, platform::Event* abort, std::span<const std::string_view> requests,
                          std::vector<std::uint32_t>& sequences, std::string& text) {
  const std::shared_ptr<Connection> connection = FindConnected(number, text);
  return connection && connection->SendMany(function, abort, requests, sequences, text);
}

bool Portal::Receive(int number, std::uint32_t sequence, platform::Event* abort, std::string& text) {
  const std::shared_ptr<Connection> connection = FindConnected(number, text);
  return connection && connection->Receive(sequence, abort, text);
}

bool Portal::Abandon(int number, std::uint32_t sequence) {
  const std::shared_ptr<Connection> connection = Find(number);
  return connection && connection->Abandon(sequence);
}

void Portal::Forget(int number, const std::shared_ptr<Connection>& connection) {
  std::lock_guard lock(mutex_);
  // A stop or disconnect meanwhile may have taken the number already.
  if (const auto found = connections_.find(number); found != connections_.end() && found->second == connection)
    connections_.erase(found);
}

std::shared_ptr<Connection> Portal::FindConnected(int number, std::string& text) const {
  std::shared_ptr<Connection> connection = Find(number);
  if (!connection) text = platform::Format("连接号%d没有建立连接！", number);
  return connection;
}

std::shared_ptr<Connection> Portal::Find(int number) const {
  std::lock_guard lock(mutex_);
  const auto found = connections_.find(number);
  return found == connections_.end() ? nullptr : found->second;
}

}  // namespace portal
