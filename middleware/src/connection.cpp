#include "connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include "platform/sync.h"
#include "wire.h"

namespace halvost {

struct Connection::PendingCall {
  platform::Event done{platform::ResetMode::kManual};
  int result = kHalvostTransport;
  std::string answer;
};

std::shared_ptr<Connection> Connection::Start(int number, int fd, ConnectionListener& listener) {
  auto connection = std::make_shared<Connection>(Token{}, number, fd, listener);
  connection->reader_ = std::thread([self = connection] { self->ReadLoop(); });
  return connection;
}

Connection::Connection(Token, int number, int fd, ConnectionListener& listener)
    : number_(number), fd_(fd), listener_(listener) {}

Connection::~Connection() {
  // The last owner may be the reader itself, once it has finished.
  if (reader_.joinable()) {
    if (reader_.get_id() == std::this_thread::get_id()) {
      reader_.detach();
    } else {
      Close();
    }
  }
  ::close(fd_);
}

bool Connection::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

int Connection::Call(int function, std::string_view request, std::string& answer, platform::Event* preempt,
                     std::chrono::milliseconds timeout) {
  if (request.size() > static_cast<std::size_t>(kHalvostMaxRequestLength)) return kHalvostRequestTooLong;
  auto call = std::make_shared<PendingCall>();
  std::uint32_t sequence;
  {
    std::lock_guard lock(mutex_);
    if (!open_) return kHalvostTransport;
    sequence = nextSequence_++;
    if (nextSequence_ == 0) nextSequence_ = 1;  // 0 marks frames without answer
    pending_[sequence] = call;
  }
  auto forget = [&] {
    std::lock_guard lock(mutex_);
    pending_.erase(sequence);
  };
  if (const int sent = SendFrame(static_cast<int>(wire::FrameKind::kRequest), sequence, function, request);
      sent != kHalvostOk) {
    forget();
    return sent;
  }
  const bool answered = preempt ? platform::WaitForAny({preempt, &call->done}, timeout) == 1 : call->done.Wait(timeout);
  forget();
  if (!answered) return preempt && preempt->IsSet() ? kHalvostPreempted : kHalvostTimedOut;
  std::lock_guard lock(mutex_);
  if (call->result == kHalvostOk) answer = std::move(call->answer);
  return call->result;
}

int Connection::Send(int function, std::string_view text) {
  if (text.size() > static_cast<std::size_t>(kHalvostMaxRequestLength)) return kHalvostRequestTooLong;
  return SendFrame(static_cast<int>(wire::FrameKind::kRequest), 0, function, text);
}

int Connection::SendSession(std::string_view text) {
  return SendFrame(static_cast<int>(wire::FrameKind::kSession), 0, 0, text);
}

int Connection::SendFrame(int kind, std::uint32_t sequence, int function, std::string_view text) {
  const std::string bytes = wire::Encode({static_cast<wire::FrameKind>(kind), sequence, function, std::string(text)});
  std::lock_guard lock(sendMutex_);
  if (!IsOpen()) return kHalvostTransport;
  return wire::WriteAll(fd_, bytes) ? kHalvostOk : kHalvostTransport;
}

void Connection::Close() {
  {
    std::lock_guard lock(mutex_);
    if (open_) closedByHost_ = true;
  }
  // Wakes the reader, which ends the waiting calls and reports the state.
  ::shutdown(fd_, SHUT_RDWR);
  FailPendingCalls();
  // Closed from a hook on the reader thread: the reader ends by itself.
  std::lock_guard lock(closeMutex_);
  if (reader_.joinable() && reader_.get_id() != std::this_thread::get_id()) reader_.join();
}

void Connection::ReadLoop() {
  listener_.OnStateChange(number_, kHalvostConnecting, kHalvostConnected);
  wire::Frame frame;
  while (wire::ReadFrame(fd_, frame) == wire::ReadStatus::kFrame) {
    if (frame.kind == wire::FrameKind::kAnswer) {
      FinishCall(frame.sequence, std::move(frame.text));
    } else if (frame.kind == wire::FrameKind::kPush) {
      listener_.OnPush(number_, frame.text);
    }
  }
  bool byHost;
  {
    std::lock_guard lock(mutex_);
    open_ = false;
    byHost = closedByHost_;
  }
  ::shutdown(fd_, SHUT_RDWR);
  FailPendingCalls();
  listener_.OnStateChange(number_, kHalvostConnected, byHost ? kHalvostClosed : kHalvostBroken);
}

void Connection::FinishCall(std::uint32_t sequence, std::string answer) {
  std::lock_guard lock(mutex_);
  const auto found = pending_.find(sequence);
  if (found == pending_.end()) return;  // the caller gave up on it
  found->second->result = kHalvostOk;
  found->second->answer = std::move(answer);
  found->second->done.Set();
  pending_.erase(found);
}

void Connection::FailPendingCalls() {
  std::lock_guard lock(mutex_);
  open_ = false;
  for (auto& [sequence, call] : pending_) {
    call->result = kHalvostTransport;
    call->done.Set();
  }
  pending_.clear();
}

}  // namespace halvost
