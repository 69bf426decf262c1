#include "tcp_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "platform/format.h"
#include "platform/sync.h"

namespace portal {
namespace {

using std::chrono::milliseconds;

// How often a wait that the system cannot interrupt for us (a connect in
// progress, a full send buffer) looks at its cancel condition.
constexpr milliseconds kTick{50};

std::string SystemReason(int error) { return std::system_category().message(error); }

int PollTimeout(Deadline deadline, milliseconds cap) {
  const auto left = std::chrono::ceil<milliseconds>(deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp(left, milliseconds{0}, cap).count());
}

// Waits for `events` on the descriptor for at most `timeoutMs`; true when any
// arrived. EINTR counts as nothing arrived: callers loop on their deadline.
bool PollOnce(int descriptor, short events, int timeoutMs) {
  pollfd entry{.fd = descriptor, .events = events, .revents = 0};
  return ::poll(&entry, 1, timeoutMs) > 0;
}

// Result of one connect attempt: the descriptor, or -1 with `error` set.
int ConnectOne(const addrinfo& address, Deadline deadline, const std::function<bool()>& cancelled,
               const ServerAddress& server, std::string& error) {
  const int descriptor = ::socket(address.ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (descriptor < 0) {
    error = platform::Format("连接服务器%s:%u失败：%s", server.host.c_str(), server.port, SystemReason(errno).c_str());
    return -1;
  }
  int result = ::connect(descriptor, address.ai_addr, address.ai_addrlen);
  if (result != 0 && errno == EINPROGRESS) {
    for (;;) {
      if (cancelled()) {
        error = "连接已被关闭！";
        break;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        error = platform::Format("连接服务器%s:%u超时！", server.host.c_str(), server.port);
        break;
      }
      if (!PollOnce(descriptor, POLLOUT, PollTimeout(deadline, kTick))) continue;
      int socketError = 0;
      socklen_t length = sizeof socketError;
      ::getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &socketError, &length);
      result = socketError == 0 ? 0 : -1;
      errno = socketError;
      break;
    }
  }
  if (result == 0) {
    // Reads block (Shutdown wakes them); writes pass MSG_DONTWAIT themselves.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    const int on = 1;
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return descriptor;
  }
  if (error.empty())
    error = platform::Format("连接服务器%s:%u失败：%s", server.host.c_str(), server.port, SystemReason(errno).c_str());
  ::close(descriptor);
  return -1;
}

}  // namespace

std::shared_ptr<TcpSocket> TcpSocket::Connect(const ServerAddress& server, milliseconds timeout,
                                              const std::function<bool()>& cancelled, std::string& error) {
  const Deadline deadline = std::chrono::steady_clock::now() + timeout;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const int lookup = ::getaddrinfo(server.host.c_str(), std::to_string(server.port).c_str(), &hints, &found);
  if (lookup != 0) {
    error = platform::Format("找不到服务器%s：%s", server.host.c_str(), ::gai_strerror(lookup));
    return nullptr;
  }
  std::shared_ptr<TcpSocket> socket;
  for (const addrinfo* address = found; address != nullptr && !socket; address = address->ai_next) {
    error.clear();
    const int descriptor = ConnectOne(*address, deadline, cancelled, server, error);
    if (descriptor >= 0) socket = std::make_shared<TcpSocket>(descriptor);
    if (cancelled()) break;
  }
  ::freeaddrinfo(found);
  return socket;
}

TcpSocket::~TcpSocket() { ::close(descriptor_); }

TcpSocket::WriteResult TcpSocket::WriteAll(std::string_view bytes, const platform::Event* abort, Deadline deadline,
                                           std::string& error) {
  std::lock_guard lock(writeMutex_);
  std::size_t written = 0;
  auto giveUp = [&](WriteResult result) {
    if (written > 0) Shutdown();
    return result;
  };
  while (written < bytes.size()) {
    if (abort != nullptr && abort->IsSet()) return giveUp(WriteResult::kAborted);
    const ssize_t sent =
        ::send(descriptor_, bytes.data() + written, bytes.size() - written, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent > 0) {
      written += static_cast<std::size_t>(sent);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      error = SystemReason(errno);
      return giveUp(WriteResult::kFailed);
    }
    if (std::chrono::steady_clock::now() >= deadline) return giveUp(WriteResult::kTimedOut);
    PollOnce(descriptor_, POLLOUT, PollTimeout(deadline, kTick));
  }
  return WriteResult::kDone;
}

long TcpSocket::Read(char* buffer, std::size_t size, std::string& error) {
  for (;;) {
    const ssize_t received = ::recv(descriptor_, buffer, size, 0);
    if (received >= 0) return static_cast<long>(received);
    if (errno == EINTR) continue;
    error = SystemReason(errno);
    return -1;
  }
}

bool TcpSocket::WaitReadable(Deadline deadline) {
  for (;;) {
    const int timeoutMs = PollTimeout(deadline, milliseconds::max());
    if (PollOnce(descriptor_, POLLIN, timeoutMs)) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
}

void TcpSocket::Shutdown() { ::shutdown(descriptor_, SHUT_RDWR); }

}  // namespace portal
