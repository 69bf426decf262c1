#include "listener.h"

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>

#include "event_loop.h"

namespace simbackend {
namespace {

// Pause before accepting again after a passing failure.
constexpr std::chrono::milliseconds kRetryPause{50};

}  // namespace

struct Listener::Acceptor {
  explicit Acceptor(asio::io_context& context) : socket(context), retry(context) {}
  asio::ip::tcp::acceptor socket;
  asio::steady_timer retry;
};

Listener::Listener(EventLoop& loop) : acceptor_(std::make_unique<Acceptor>(loop.Context())) {}

Listener::~Listener() = default;

bool Listener::Open(std::uint16_t port, std::string& error) {
  const asio::ip::tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
  asio::error_code failure;
  asio::ip::tcp::acceptor& socket = acceptor_->socket;
  socket.open(endpoint.protocol(), failure);
  if (!failure) socket.set_option(asio::socket_base::reuse_address(true), failure);
  if (failure) {
    error = "cannot create a socket: " + failure.message();
    return false;
  }
  socket.bind(endpoint, failure);
  if (failure) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + failure.message();
    return false;
  }
  socket.listen(asio::socket_base::max_listen_connections, failure);
  if (failure) {
    error = "cannot listen: " + failure.message();
    return false;
  }
  port_ = socket.local_endpoint().port();
  return true;
}

void Listener::Start(AcceptHandler onAccept) {
  onAccept_ = std::move(onAccept);
  asio::post(acceptor_->socket.get_executor(), [this] { AcceptNext(); });
}

void Listener::Close() {
  asio::error_code ignored;
  acceptor_->retry.cancel();
  acceptor_->socket.close(ignored);
}

void Listener::AcceptNext() {
  acceptor_->socket.async_accept([this](const asio::error_code& failure, asio::ip::tcp::socket client) {
    if (failure == asio::error::operation_aborted || !acceptor_->socket.is_open()) return;
    if (failure) {
      // Out of descriptors, or the client gave up: try again shortly.
      acceptor_->retry.expires_after(kRetryPause);
      acceptor_->retry.async_wait([this](const asio::error_code& cancelled) {
        if (!cancelled) AcceptNext();
      });
      return;
    }
    asio::error_code ignored;
    client.set_option(asio::ip::tcp::no_delay(true), ignored);
    const asio::ip::tcp::endpoint peer = client.remote_endpoint(ignored);
    onAccept_(client.release(), peer.address().to_string() + ":" + std::to_string(peer.port()));
    AcceptNext();
  });
}

}  // namespace simbackend
