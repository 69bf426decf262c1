// One client connection of the back end: a reader thread that cuts the
// stream into frames and hands each request on, whole-frame writes from any
// thread, the session logged in on it, and the rows of its multi-row answers
// that wait for their follow-up requests.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/thread.h"
#include "portal/frame.h"
#include "session.h"

namespace simbackend {

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  // Called on the reader thread for every request frame.
  using RequestHandler = std::function<void(Connection&, portal::Frame&)>;
  // Called once, last, on the reader thread, with why the connection ended.
  using ClosedHandler = std::function<void(Connection&, const std::string&)>;

  // Takes over the connected socket `descriptor`.
  Connection(std::uint64_t id, int descriptor, std::string peer);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  std::uint64_t Id() const { return id_; }
  const std::string& Peer() const { return peer_; }

  void Start(RequestHandler onRequest, ClosedHandler onClosed);
  // Writes encoded frames whole; writers never interleave. A write that
  // fails or stalls (the client stopped reading) drops the connection.
  bool Send(std::string_view frames);
  // Ends both directions: the reader wakes and the connection ends.
  void Shutdown();
  // Shuts down and waits for the reader thread. Never from that thread.
  void Join();
  // True once the reader has ended.
  bool Finished() const { return finished_.load(); }

  Session CurrentSession() const;
  void SetSession(Session session);

  // Rows of a multi-row answer, named by its request's sequence number, for
  // the reader thread only. The oldest answer's rows are dropped when
  // kMaxWaitingAnswers answers wait.
  void KeepRows(const std::string& sequence, std::vector<std::string> rows);
  std::optional<std::string> TakeRow(const std::string& sequence);

  static constexpr std::size_t kMaxWaitingAnswers = 64;

 private:
  void Read(platform::Event& stop, const RequestHandler& onRequest, const ClosedHandler& onClosed);

  const std::uint64_t id_;
  const int descriptor_;
  const std::string peer_;
  std::mutex writeMutex_;  // one writer at a time
  std::atomic<bool> finished_{false};
  std::atomic<bool> shutDown_{false};  // by the server, not by the client
  mutable std::mutex sessionMutex_;    // guards session_
  Session session_;
  std::map<std::string, std::deque<std::string>> rows_;
  std::deque<std::string> rowsOrder_;  // sequence numbers in rows_, oldest first
  platform::WorkerThread reader_;
};

}  // namespace simbackend
