// The listening socket of the back end on the loopback interface.
#pragma once

#include <cstdint>
#include <string>

namespace simbackend {

class Listener {
 public:
  Listener() = default;
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Binds 127.0.0.1:`port` (0 for a free one). False with the reason in `error`.
  bool Open(std::uint16_t port, std::string& error);
  std::uint16_t Port() const { return port_; }

  enum class AcceptResult { kAccepted, kRetry, kClosed };
  // Blocks until a client connects; its socket (with the write time-out set)
  // and "address:port" go to the out parameters. kRetry for a passing
  // failure, kClosed once Shutdown() was called.
  AcceptResult Accept(int& descriptor, std::string& peer);
  // Wakes a blocked Accept for good.
  void Shutdown();
  // Closes the socket once no thread can be in Accept: later connects are refused.
  void Close();

  // A write stalled this long means the client stopped reading.
  static constexpr int kWriteTimeoutSeconds = 10;

 private:
  int descriptor_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace simbackend
