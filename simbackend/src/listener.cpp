#include "listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace simbackend {
namespace {

std::string SystemError(const char* what) {
  char text[256];
  return std::string(what) + ": " + strerror_r(errno, text, sizeof text);
}

}  // namespace

Listener::~Listener() { Close(); }

void Listener::Close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

bool Listener::Open(std::uint16_t port, std::string& error) {
  descriptor_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (descriptor_ < 0) {
    error = SystemError("cannot create a socket");
    return false;
  }
  const int reuse = 1;
  ::setsockopt(descriptor_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  socklen_t length = sizeof address;
  if (::bind(descriptor_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    error = SystemError(("cannot listen on 127.0.0.1:" + std::to_string(port)).c_str());
    return false;
  }
  if (::listen(descriptor_, SOMAXCONN) != 0 ||
      ::getsockname(descriptor_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = SystemError("cannot listen");
    return false;
  }
  port_ = ntohs(address.sin_port);
  return true;
}

Listener::AcceptResult Listener::Accept(int& descriptor, std::string& peer) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  descriptor = ::accept4(descriptor_, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
  if (descriptor < 0) return errno == EINVAL ? AcceptResult::kClosed : AcceptResult::kRetry;
  const timeval timeout{kWriteTimeoutSeconds, 0};
  ::setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  const int noDelay = 1;
  ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
  char text[INET_ADDRSTRLEN] = "?";
  ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  peer = std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
  return AcceptResult::kAccepted;
}

void Listener::Shutdown() {
  if (descriptor_ >= 0) ::shutdown(descriptor_, SHUT_RDWR);
}

}  // namespace simbackend
