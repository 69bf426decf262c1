// The listening socket of the back end on the loopback interface, accepting
// on the network loop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace simbackend {

class EventLoop;

class Listener {
 public:
  explicit Listener(EventLoop& loop);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Binds 127.0.0.1:`port` (0 for a free one). False with the reason in `error`.
  bool Open(std::uint16_t port, std::string& error);
  std::uint16_t Port() const { return port_; }

  // Called on the loop thread with each accepted socket's descriptor (the
  // callee owns it) and "address:port".
  using AcceptHandler = std::function<void(int descriptor, const std::string& peer)>;
  // Accepts from now on; a passing failure (out of descriptors) is retried
  // shortly.
  void Start(AcceptHandler onAccept);
  // On the loop thread: stops accepting and closes the socket, so that later
  // connects are refused.
  void Close();

 private:
  struct Acceptor;

  void AcceptNext();

  std::unique_ptr<Acceptor> acceptor_;
  std::uint16_t port_ = 0;
  AcceptHandler onAccept_;
};

}  // namespace simbackend
