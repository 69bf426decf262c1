#include "socket_connect.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace halvost {
namespace {

// The record's host text, which need not be NUL-terminated within its field.
std::string HostText(const HalvostServerPlace& place) {
  std::size_t length = 0;
  while (length < sizeof place.host && place.host[length] != '\0') ++length;
  return std::string(place.host, length);
}

bool WaitConnected(int fd, std::chrono::milliseconds timeout) {
  pollfd polled{fd, POLLOUT, 0};
  int ready;
  do {
    ready = ::poll(&polled, 1, static_cast<int>(timeout.count()));
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return false;
  int error = 0;
  socklen_t length = sizeof error;
  return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

int ConnectTo(const addrinfo& address, std::chrono::milliseconds timeout) {
  const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) return -1;
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  const bool connected =
      ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 || (errno == EINPROGRESS && WaitConnected(fd, timeout));
  if (!connected) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, flags);
  const int noDelay = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
  return fd;
}

int ConnectToPlace(const HalvostServerPlace& place, std::chrono::milliseconds timeout) {
  const std::string host = HostText(place);
  if (host.empty() || place.port <= 0 || place.port > 65535) return -1;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(place.port).c_str(), &hints, &found) != 0) return -1;
  int fd = -1;
  for (const addrinfo* address = found; address && fd < 0; address = address->ai_next) {
    fd = ConnectTo(*address, timeout);
  }
  ::freeaddrinfo(found);
  return fd;
}

}  // namespace

int ConnectToFirstServer(const HalvostConnectRecord& record, std::chrono::milliseconds timeout) {
  for (const HalvostServerPlace& place : record.servers) {
    if (const int fd = ConnectToPlace(place, timeout); fd >= 0) return fd;
  }
  return -1;
}

}  // namespace halvost
