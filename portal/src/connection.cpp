#include "connection.h"

#include <algorithm>
#include <limits>
#include <span>
#include <utility>

#include "platform/format.h"

namespace portal {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kNotConnectedText = "通讯连接中断！";
constexpr const char* kClosedText = "通讯连接已关闭！";
constexpr const char* kAbortedText = "通讯操作被中止！";

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::uint32_t kMaxSequence = std::numeric_limits<std::int32_t>::max();

thread_local bool tOnReaderThread = false;

// True when the answer's status field (the fourth) says "N": the back end
// refused the request.
bool IsRefusal(std::string_view answer) {
  for (int separator = 0; separator < 3; ++separator) {
    const std::size_t next = answer.find('|');
    if (next == std::string_view::npos) return false;
    answer.remove_prefix(next + 1);
  }
  const std::string_view status = answer.substr(0, answer.find('|'));
  return status == "N" || status == "n";
}

// `what` names the text sent: the login or a request with its function number.
std::string WriteFailureText(TcpSocket::WriteResult result, const std::string& what, const std::string& reason) {
  switch (result) {
    case TcpSocket::WriteResult::kAborted: return kAbortedText;
    case TcpSocket::WriteResult::kTimedOut: return platform::Format("发送%s超时！", what.c_str());
    case TcpSocket::WriteResult::kFailed:
    case TcpSocket::WriteResult::kDone: break;
  }
  return platform::Format("发送%s失败：%s", what.c_str(), reason.c_str());
}

std::string RequestName(int function) { return platform::Format("请求[功能号%d]", function); }

}  // namespace

Connection::Connection(int number, std::shared_ptr<const Settings> settings, ServerAddress server,
                       std::string loginText)
    : number_(number), settings_(std::move(settings)), loginText_(std::move(loginText)), server_(std::move(server)) {}

Connection::~Connection() { Close(); }

bool Connection::OnReaderThread() { return tOnReaderThread; }

bool Connection::Open(std::string& text) {
  if (!Establish(server_, text)) return false;
  std::lock_guard lock(mutex_);
  if (closing_) {
    text = kClosedText;
    return false;
  }
  state_ = OV_STATE_CONNECTED;
  // Started under the mutex so that Close either sees the thread or has
  // already stopped the open.
  reader_.Start([this](platform::Event& stop) { RunReader(stop); });
  return true;
}

bool Connection::Establish(const ServerAddress& server, std::string& text) {
  std::shared_ptr<TcpSocket> socket = TcpSocket::Connect(
      server, settings_->connectTimeout, [this] { return IsClosing(); }, text);
  if (!socket) return false;
  std::uint32_t sequence = 0;
  {
    std::lock_guard lock(mutex_);
    if (closing_) {
      text = kClosedText;
      return false;
    }
    // Published before the login so that Close can wake the wait for its answer.
    socket_ = socket;
    sequence = TakeSequenceLocked();
  }
  frames_ = FrameReader();
  earlyPushes_.clear();
  settings_->Log(kLogCommunication, loginText_);
  const Deadline deadline = Clock::now() + settings_->answerTimeout;
  std::string frame;
  AppendFrame(frame, FrameKind::kRequest, sequence, loginText_);
  std::string reason;
  const TcpSocket::WriteResult written = socket->WriteAll(frame, nullptr, deadline, reason);
  bool loggedIn = false;
  if (written == TcpSocket::WriteResult::kDone)
    loggedIn = AwaitLoginAnswer(*socket, sequence, deadline, text);
  else
    text = WriteFailureText(written, "登录请求", reason);
  if (!loggedIn) DropSocket(kNotConnectedText);
  return loggedIn;
}

bool Connection::AwaitLoginAnswer(TcpSocket& socket, std::uint32_t sequence, Deadline deadline, std::string& text) {
  std::vector<char> buffer(kReadChunk);
  for (std::size_t bytes = 0;;) {
    for (DecodeResult next = frames_.Next(); next.status != DecodeStatus::kIncomplete; next = frames_.Next()) {
      if (next.status != DecodeStatus::kComplete) {
        text = "登录应答格式错误！";
        return false;
      }
      Frame& frame = next.frame;
      if (frame.kind == FrameKind::kAnswer && frame.sequence == sequence) {
        text = std::move(frame.text);
        return true;
      }
      if (frame.kind == FrameKind::kPush) earlyPushes_.push_back(std::move(frame.text));
    }
    if (!socket.WaitReadable(deadline)) {
      text =
          platform::Format("等待登录应答超时（%lld毫秒）！", static_cast<long long>(settings_->answerTimeout.count()));
      return false;
    }
    std::string reason;
    const long received = socket.Read(buffer.data(), buffer.size(), reason);
    if (IsClosing()) {
      text = kClosedText;
      return false;
    }
    if (received <= 0) {
      text = received == 0 ? "登录时服务器断开了连接！" : platform::Format("登录时读取应答失败：%s", reason.c_str());
      return false;
    }
    // A back end pushes little, if anything, before it answers the login:
    // one that goes on is not followed any further.
    bytes += static_cast<std::size_t>(received);
    if (bytes > kMaxBytesBeforeLoginAnswer) {
      text = platform::Format("登录应答之前收到的数据超过%zu字节，协议错误，连接被拒绝！", kMaxBytesBeforeLoginAnswer);
      return false;
    }
    frames_.Append(std::string_view(buffer.data(), static_cast<std::size_t>(received)));
  }
}

bool Connection::Call(int function, platform::Event* abort, std::string_view request, std::string& text) {
  const std::optional<std::uint32_t> sequence = Send(function, abort, request, text);
  return sequence && Receive(*sequence, abort, text);
}

std::optional<std::uint32_t> Connection::Send(int function, platform::Event* abort, std::string_view request,
                                              std::string& text) {
  std::vector<std::uint32_t> sequences;
  if (!SendMany(function, abort, std::span(&request, 1), sequences, text)) return std::nullopt;
  return sequences.front();
}

bool Connection::SendMany(int function, platform::Event* abort, std::span<const std::string_view> requests,
                          std::vector<std::uint32_t>& sequences, std::string& text) {
  sequences.clear();
  const Deadline deadline = Clock::now() + settings_->answerTimeout;
  if (abort != nullptr && abort->IsSet()) {
    text = kAbortedText;
    return false;
  }
  for (const std::string_view request : requests) {
    if (request.size() > kMaxFrameTextSize) {
      text = platform::Format("%s超长（%zu字节）！", RequestName(function).c_str(), request.size());
      return false;
    }
  }
  std::shared_ptr<TcpSocket> socket;
  {
    std::lock_guard lock(mutex_);
    if (state_ != OV_STATE_CONNECTED || !socket_) {
      text = closing_ ? kClosedText : kNotConnectedText;
      return false;
    }
    socket = socket_;
    // Waiting before they go out: an answer may come before WriteAll returns.
    for (std::size_t i = 0; i < requests.size(); ++i) {
      sequences.push_back(TakeSequenceLocked());
      pending_.emplace(sequences.back(), std::make_shared<PendingCall>(function, deadline));
    }
  }
  // One write for all: the back end takes them in together.
  std::string frames;
  for (std::size_t i = 0; i < requests.size(); ++i) {
    AppendFrame(frames, FrameKind::kRequest, sequences[i], requests[i]);
    settings_->Log(kLogCommunication, std::string(requests[i]));
  }
  std::string reason;
  const TcpSocket::WriteResult written = socket->WriteAll(frames, abort, deadline, reason);
  if (written == TcpSocket::WriteResult::kDone) return true;
  std::lock_guard lock(mutex_);
  text = WriteFailureText(written, RequestName(function), reason);
  bool dropped = false;
  for (const std::uint32_t sequence : sequences) {
    const auto found = pending_.find(sequence);
    if (found == pending_.end()) continue;
    // The connection dropped under the write: that is the reason.
    if (found->second->failed && !dropped) text = found->second->text;
    dropped = dropped || found->second->failed;
    pending_.erase(found);
  }
  sequences.clear();
  if (!dropped) settings_->Log(kLogTransportError, text);
  return false;
}

bool Connection::Receive(std::uint32_t sequence, platform::Event* abort, std::string& text) {
  std::shared_ptr<PendingCall> call;
  {
    std::lock_guard lock(mutex_);
    const auto found = pending_.find(sequence);
    if (found == pending_.end()) {
      text = platform::Format("请求[序号%u]没有等待中的应答！", sequence);
      return false;
    }
    call = found->second;
  }
  WaitForAnswer(*call, abort);
  return TakeAnswer(sequence, *call, abort, text);
}

bool Connection::TakeAnswer(std::uint32_t sequence, PendingCall& call, platform::Event* abort, std::string& text) {
  std::lock_guard lock(mutex_);
  if (const auto found = pending_.find(sequence); found != pending_.end() && found->second.get() == &call)
    pending_.erase(found);
  if (call.finished) {
    // An answer that beat the abort or the time-out is still the answer.
    text = std::move(call.text);
    return !call.failed;
  }
  if (abort != nullptr && abort->IsSet()) {
    text = kAbortedText;
    return false;
  }
  text = platform::Format("等待%s的应答超时（%lld毫秒）！", RequestName(call.function).c_str(),
                          static_cast<long long>(settings_->answerTimeout.count()));
  settings_->Log(kLogTransportError, text);
  return false;
}

bool Connection::Abandon(std::uint32_t sequence) {
  std::lock_guard lock(mutex_);
  return pending_.erase(sequence) > 0;
}

void Connection::WaitForAnswer(PendingCall& call, platform::Event* abort) {
  const auto left = std::max(std::chrono::ceil<std::chrono::milliseconds>(call.deadline - Clock::now()),
                             std::chrono::milliseconds{0});
  if (abort == nullptr)
    call.done.Wait(left);
  else
    platform::WaitForAny({&call.done, abort}, left);
}

int Connection::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void Connection::Close() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    state_ = OV_STATE_DISCONNECTED;
    if (socket_) socket_->Shutdown();
    FailPendingLocked(kClosedText);
  }
  reader_.Stop();
  std::lock_guard lock(mutex_);
  socket_.reset();
}

void Connection::RunReader(platform::Event& stop) {
  tOnReaderThread = true;
  if (settings_->onState != nullptr && !IsClosing())
    settings_->onState(number_, OV_STATE_DISCONNECTED, OV_STATE_CONNECTED);
  DeliverEarlyPushes();
  for (;;) {
    if (std::shared_ptr<TcpSocket> socket = CurrentSocket()) ReadUntilDropped(*socket);
    if (IsClosing()) return;
    DropSocket(kNotConnectedText);
    if (!Reconnect(stop)) break;
  }
  if (!IsClosing()) {
    settings_->Log(kLogConnection, platform::Format("连接%d重连失败，已放弃。", number_));
    ChangeState(OV_STATE_DISCONNECTED);
  }
}

void Connection::ReadUntilDropped(TcpSocket& socket) {
  std::vector<char> buffer(kReadChunk);
  for (;;) {
    for (DecodeResult next = frames_.Next(); next.status != DecodeStatus::kIncomplete; next = frames_.Next()) {
      if (next.status != DecodeStatus::kComplete) {
        settings_->Log(kLogConnection, platform::Format("连接%d收到的数据格式错误，断开重连。", number_));
        return;
      }
      Dispatch(std::move(next.frame));
    }
    std::string reason;
    const long received = socket.Read(buffer.data(), buffer.size(), reason);
    if (received <= 0) {
      if (!IsClosing())
        settings_->Log(kLogConnection, received == 0 ? platform::Format("连接%d被服务器断开。", number_)
                                                     : platform::Format("连接%d读取失败：%s", number_, reason.c_str()));
      return;
    }
    frames_.Append(std::string_view(buffer.data(), static_cast<std::size_t>(received)));
  }
}

bool Connection::Reconnect(platform::Event& stop) {
  ChangeState(OV_STATE_RETRY_WAIT);
  for (int attempt = 1; attempt <= settings_->reconnectAttempts; ++attempt) {
    if (attempt > 1 && stop.Wait(settings_->retryPause)) return false;
    if (IsClosing()) return false;
    const ServerAddress server = NextServer();
    ChangeState(OV_STATE_RECONNECTING);
    settings_->Log(kLogConnection, platform::Format("连接%d第%d次重连服务器%s:%u。", number_, attempt,
                                                    server.host.c_str(), server.port));
    std::string text;
    bool loggedIn = Establish(server, text);
    if (loggedIn && IsRefusal(text)) {
      DropSocket(kNotConnectedText);
      text = "重连时登录被拒绝：" + text;
      loggedIn = false;
    }
    if (loggedIn) {
      server_ = server;
      ChangeState(OV_STATE_CONNECTED);
      settings_->Log(kLogConnection,
                     platform::Format("连接%d已重连到服务器%s:%u。", number_, server.host.c_str(), server.port));
      DeliverEarlyPushes();
      return true;
    }
    if (IsClosing()) return false;
    settings_->Log(kLogConnection, text);
    ChangeState(OV_STATE_RETRY_WAIT);
  }
  return false;
}

ServerAddress Connection::NextServer() {
  if (settings_->onNextServer == nullptr) return server_;
  char address[OV_SERVER_ADDRESS_SIZE] = {};
  unsigned short port = 0;
  if (settings_->onNextServer(number_, address, sizeof address, &port) == 0) return server_;
  const std::optional<std::string_view> host = orvanet::GetText(address);
  if (!host || host->empty() || port == 0) {
    settings_->Log(kLogConnection, platform::Format("连接%d的下一个服务器地址无效，仍用%s:%u。", number_,
                                                    server_.host.c_str(), server_.port));
    return server_;
  }
  return ServerAddress{std::string(*host), port};
}

void Connection::Dispatch(Frame frame) {
  switch (frame.kind) {
    case FrameKind::kAnswer:
      if (!FinishCall(frame.sequence, std::move(frame.text)))
        settings_->Log(kLogNote, platform::Format("连接%d丢弃过期的应答[序号%u]。", number_, frame.sequence));
      break;
    case FrameKind::kPush: DeliverPush(frame.text); break;
    case FrameKind::kRequest:
      settings_->Log(kLogConnection, platform::Format("连接%d忽略服务器发来的请求[序号%u]。", number_, frame.sequence));
      break;
  }
}

bool Connection::FinishCall(std::uint32_t sequence, std::string answer) {
  std::lock_guard lock(mutex_);
  const auto found = pending_.find(sequence);
  // Abandoned, or answered twice: the answer is no longer wanted.
  if (found == pending_.end() || found->second->finished) return false;
  PendingCall& call = *found->second;
  call.finished = true;
  call.text = std::move(answer);
  call.done.Set();
  return true;
}

void Connection::DeliverPush(std::string_view text) {
  if (text.empty() || settings_->onPush == nullptr) return;
  if (text.back() == '\0') {
    settings_->onPush(number_, text.data(), static_cast<int>(text.size()));
    return;
  }
  // Every line the caller receives ends with a zero byte, the last one too.
  std::string terminated(text);
  terminated.push_back('\0');
  settings_->onPush(number_, terminated.data(), static_cast<int>(terminated.size()));
}

void Connection::DeliverEarlyPushes() {
  for (const std::string& push : earlyPushes_) DeliverPush(push);
  earlyPushes_.clear();
}

void Connection::ChangeState(int state) {
  int before = OV_STATE_DISCONNECTED;
  {
    std::lock_guard lock(mutex_);
    if (closing_ || state_ == state) return;
    before = state_;
    state_ = state;
  }
  if (settings_->onState != nullptr) settings_->onState(number_, before, state);
}

void Connection::DropSocket(const std::string& reason) {
  std::lock_guard lock(mutex_);
  if (socket_) {
    socket_->Shutdown();
    socket_.reset();
  }
  FailPendingLocked(reason);
}

void Connection::FailPendingLocked(const std::string& reason) {
  // Answers already in stay the answers; their senders take them out.
  for (auto& [sequence, call] : pending_) {
    if (call->finished) continue;
    call->finished = true;
    call->failed = true;
    call->text = reason;
    call->done.Set();
  }
}

std::uint32_t Connection::TakeSequenceLocked() {
  // 0 marks a push on the wire; numbers stay within a positive int, as
  // OV_SendOnly hands them out; a number still waiting is never reused.
  for (;; ++nextSequence_) {
    if (nextSequence_ == 0 || nextSequence_ > kMaxSequence) nextSequence_ = 1;
    if (!pending_.contains(nextSequence_)) return nextSequence_++;
  }
}

std::shared_ptr<TcpSocket> Connection::CurrentSocket() const {
  std::lock_guard lock(mutex_);
  return socket_;
}

bool Connection::IsClosing() const {
  std::lock_guard lock(mutex_);
  return closing_;
}

}  // namespace portal
