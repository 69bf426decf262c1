#include "portal/testing/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

#include "portal/frame.h"

namespace portal_testing {

std::optional<std::string> Echo(const std::string& request) { return "A:" + request; }

std::optional<std::string> HoldAll(const std::string&) { return std::nullopt; }

LoopbackServer::LoopbackServer(Script script) : script_(std::move(script)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 4) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (listener_ >= 0) ::close(listener_);
    throw std::runtime_error("loopback server cannot listen");
  }
  port_ = ntohs(address.sin_port);
  thread_.Start([this](platform::Event& stop) { Serve(stop); });
}

LoopbackServer::~LoopbackServer() {
  Close();
  thread_.Stop();
  ::close(listener_);
}

void LoopbackServer::SetScript(Script script) {
  std::lock_guard lock(mutex_);
  script_ = std::move(script);
}

void LoopbackServer::SetLoginAnswer(std::string answer) {
  std::lock_guard lock(mutex_);
  loginAnswer_ = std::move(answer);
}

bool LoopbackServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

std::vector<ReceivedRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::SetLoginPrelude(std::string block, std::size_t count) {
  std::lock_guard lock(mutex_);
  preludeBlock_ = std::move(block);
  preludeCount_ = count;
}

void LoopbackServer::SendPrelude() {
  std::string frame;
  std::size_t count = 0;
  {
    std::lock_guard lock(mutex_);
    portal::AppendFrame(frame, portal::FrameKind::kPush, 0, preludeBlock_);
    count = preludeCount_;
  }
  for (std::size_t i = 0; i < count && Send(frame); ++i) {
  }
}

void LoopbackServer::Answer(std::uint32_t sequence, const std::string& text) {
  std::string frame;
  portal::AppendFrame(frame, portal::FrameKind::kAnswer, sequence, text);
  Send(frame);
}

void LoopbackServer::Push(const std::string& block) {
  std::string frame;
  portal::AppendFrame(frame, portal::FrameKind::kPush, 0, block);
  Send(frame);
}

void LoopbackServer::DropClient() {
  std::lock_guard lock(mutex_);
  if (client_ >= 0) ::shutdown(client_, SHUT_RDWR);
}

void LoopbackServer::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  ::shutdown(listener_, SHUT_RDWR);
  if (client_ >= 0) ::shutdown(client_, SHUT_RDWR);
}

bool LoopbackServer::Send(const std::string& bytes) {
  std::lock_guard lock(mutex_);
  return client_ >= 0 &&
         ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

void LoopbackServer::Serve(platform::Event& stop) {
  for (int connection = 1; !stop.IsSet(); ++connection) {
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;  // Close() shut the listener down
    {
      std::lock_guard lock(mutex_);
      if (closed_) {
        ::close(client);
        return;
      }
      client_ = client;
    }
    ServeClient(client, connection);
    std::lock_guard lock(mutex_);
    client_ = -1;
    ::close(client);
  }
}

void LoopbackServer::ServeClient(int client, int connection) {
  portal::FrameReader frames;
  bool loggedIn = false;
  char buffer[4096];
  for (;;) {
    const ssize_t received = ::recv(client, buffer, sizeof buffer, 0);
    if (received <= 0) return;
    frames.Append(std::string_view(buffer, static_cast<std::size_t>(received)));
    for (auto next = frames.Next(); next.status != portal::DecodeStatus::kIncomplete; next = frames.Next()) {
      if (next.status != portal::DecodeStatus::kComplete) return;
      const portal::Frame& frame = next.frame;
      std::optional<std::string> answer;
      {
        // Recorded before it is answered: a caller that has its answer
        // finds the request on the list.
        std::lock_guard lock(mutex_);
        answer = loggedIn ? script_(frame.text) : loginAnswer_;
        requests_.push_back({connection, frame.sequence, frame.text});
        changed_.notify_all();
      }
      if (!loggedIn) SendPrelude();
      loggedIn = true;
      if (answer) Answer(frame.sequence, *answer);
    }
  }
}

}  // namespace portal_testing
