#include "middleware/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "wire.h"

namespace halvost {
namespace {

int ListenOnLoopback(std::uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("test server: no socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    throw std::runtime_error("test server: cannot listen on loopback");
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

TestServer::TestServer() {
  listenFd_ = ListenOnLoopback(port_);
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
  thread_ = std::thread([this] { Serve(); });
}

TestServer::~TestServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
  thread_.join();
  for (const Client& client : clients_) ::close(client.fd);
  ::close(listenFd_);
  ::close(wakeFd_);
}

HalvostConnectRecord TestServer::ConnectRecord() const {
  HalvostConnectRecord record{};
  std::strcpy(record.servers[0].host, "127.0.0.1");
  record.servers[0].port = port_;
  return record;
}

void TestServer::Answer(int function, std::string text) {
  Answer(function, [text = std::move(text)](const ReceivedFrame&) { return text; });
}

void TestServer::Answer(int function, Handler handler) {
  std::lock_guard lock(mutex_);
  handlers_[function] = std::move(handler);
}

void TestServer::Hold(int function) {
  std::lock_guard lock(mutex_);
  held_.insert(function);
}

void TestServer::Release(int function) {
  std::lock_guard lock(mutex_);
  held_.erase(function);
  auto waiting = std::stable_partition(heldAnswers_.begin(), heldAnswers_.end(),
                                       [function](const HeldAnswer& held) { return held.function != function; });
  for (auto it = waiting; it != heldAnswers_.end(); ++it) SendToClient(it->client, it->frame);
  heldAnswers_.erase(waiting, heldAnswers_.end());
}

void TestServer::DropConnections() {
  std::lock_guard lock(mutex_);
  // The server thread sees the end of each stream and forgets the client.
  for (const Client& client : clients_) ::shutdown(client.fd, SHUT_RDWR);
  heldAnswers_.clear();
}

void TestServer::Push(std::string_view line) {
  std::string text(line);
  text.push_back('\0');
  PushData(0, text);
}

void TestServer::PushData(int client, std::string_view data) {
  const std::string frame = wire::Encode({wire::FrameKind::kPush, 0, 0, std::string(data)});
  std::lock_guard lock(mutex_);
  for (const Client& known : clients_) {
    if (client == 0 || known.number == client) wire::WriteAll(known.fd, frame);
  }
}

std::vector<ReceivedFrame> TestServer::Received() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

bool TestServer::WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return received_.wait_for(lock, timeout, [&] { return frames_.size() >= count; });
}

int TestServer::ConnectedClients() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(clients_.size());
}

void TestServer::Serve() {
  for (;;) {
    std::vector<pollfd> polled{{wakeFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
    std::vector<int> numbers{0, 0};
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      for (const Client& client : clients_) {
        polled.push_back({client.fd, POLLIN, 0});
        numbers.push_back(client.number);
      }
    }
    if (::poll(polled.data(), polled.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (polled[0].revents) return;
    if (polled[1].revents & POLLIN) Accept();
    for (std::size_t i = 2; i < polled.size(); ++i) {
      if (polled[i].revents && !ReadFrom(polled[i].fd, numbers[i])) RemoveClient(polled[i].fd);
    }
  }
}

void TestServer::Accept() {
  const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  const int noDelay = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
  std::lock_guard lock(mutex_);
  clients_.push_back({fd, nextClient_++});
}

bool TestServer::ReadFrom(int fd, int client) {
  wire::Frame frame;
  if (wire::ReadFrame(fd, frame) != wire::ReadStatus::kFrame) return false;
  ReceivedFrame request{client, static_cast<int>(frame.kind), frame.sequence, frame.function, std::move(frame.text)};
  {
    std::lock_guard lock(mutex_);
    frames_.push_back(request);
  }
  received_.notify_all();
  if (request.kind == static_cast<int>(wire::FrameKind::kRequest) && request.sequence != 0) Reply(request);
  return true;
}

void TestServer::Reply(const ReceivedFrame& request) {
  Handler handler;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = handlers_.find(request.function); found != handlers_.end()) handler = found->second;
  }
  // The handler runs unlocked: it may script the server further.
  std::string text = handler ? handler(request) : std::string();
  const std::string frame =
      wire::Encode({wire::FrameKind::kAnswer, request.sequence, request.function, std::move(text)});
  std::lock_guard lock(mutex_);
  if (held_.contains(request.function)) {
    heldAnswers_.push_back({request.client, request.function, frame});
  } else {
    SendToClient(request.client, frame);
  }
}

void TestServer::SendToClient(int client, const std::string& frame) {
  for (const Client& known : clients_) {
    if (known.number == client) wire::WriteAll(known.fd, frame);
  }
}

void TestServer::RemoveClient(int fd) {
  std::lock_guard lock(mutex_);
  const auto found =
      std::find_if(clients_.begin(), clients_.end(), [fd](const Client& client) { return client.fd == fd; });
  if (found == clients_.end()) return;
  std::erase_if(heldAnswers_, [&](const HeldAnswer& held) { return held.client == found->number; });
  ::close(fd);
  clients_.erase(found);
}

}  // namespace halvost
