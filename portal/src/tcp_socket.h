// A connected TCP socket that several threads share: one reads, any may
// write whole frames, any may shut it down to wake the reader. The
// descriptor is closed only when the last owner lets go, so a shut-down
// socket is never confused with a descriptor the process has reused.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace platform {
class Event;
}

namespace portal {

using Deadline = std::chrono::steady_clock::time_point;

struct ServerAddress {
  std::string host;
  std::uint16_t port = 0;
};

class TcpSocket {
 public:
  // Connects within `timeout`, trying each address the host name resolves
  // to. Gives up early once `cancelled` returns true (asked every tick).
  // Null with the reason in `error` on failure.
  static std::shared_ptr<TcpSocket> Connect(const ServerAddress& server, std::chrono::milliseconds timeout,
                                            const std::function<bool()>& cancelled, std::string& error);

  explicit TcpSocket(int descriptor) : descriptor_(descriptor) {}
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  enum class WriteResult { kDone, kAborted, kTimedOut, kFailed };

  // Writes all of `bytes` as one unit: concurrent writers never interleave
  // (a writer waits for the one before it to finish or give up).
  // `abort` (may be null) and the deadline are watched while the socket
  // cannot take more. A write cut off part-way leaves the stream unusable,
  // so the socket is then shut down. kFailed gives the system's reason.
  WriteResult WriteAll(std::string_view bytes, const platform::Event* abort, Deadline deadline, std::string& error);

  // Blocks until bytes arrive. 0 at the end of the stream (also after
  // Shutdown), -1 on an error with the reason in `error`.
  long Read(char* buffer, std::size_t size, std::string& error);

  // True when a Read will not block (bytes, end of stream or an error);
  // false when the deadline passed first.
  bool WaitReadable(Deadline deadline);

  // Ends both directions; wakes a blocked Read or WaitReadable.
  void Shutdown();

 private:
  const int descriptor_;
  std::mutex writeMutex_;
};

}  // namespace portal
