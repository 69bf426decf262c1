// One client connection of the back end, served on the network loop: it
// cuts the stream into frames and hands each request on, writes what is
// sent to it from a bounded queue of its own (any thread may send; nobody
// waits for the client), closes itself when the client has not logged in
// within its deadline, and keeps the session logged in on it and the rows of
// its multi-row answers that wait for their follow-up requests.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "outgoing_queue.h"
#include "portal/frame.h"
#include "session.h"

namespace simbackend {

class EventLoop;

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  struct Limits {
    // A request frame with a longer text is handed on without its text.
    std::size_t maxRequestBytes = 0;
    // Bytes that may wait to be written; past them the connection closes.
    std::size_t maxQueuedBytes = 0;
    // Time to log in, from the connection's start or its logout.
    std::chrono::milliseconds loginDeadline{0};
  };

  // Called on the loop thread for every request frame; an oversized one
  // comes with its text left out, which no function takes.
  using RequestHandler = std::function<void(Connection&, portal::Frame&)>;
  // Called once, last, on the loop thread, with why the connection ended.
  using ClosedHandler = std::function<void(Connection&, const std::string&)>;

  // Takes over the connected socket `descriptor`.
  Connection(EventLoop& loop, std::uint64_t id, int descriptor, std::string peer, Limits limits);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  std::uint64_t Id() const { return id_; }
  const std::string& Peer() const { return peer_; }

  // On the loop thread: starts reading and the login deadline.
  void Start(RequestHandler onRequest, ClosedHandler onClosed);

  // Queue encoded frames, or quote updates (which replace the waiting
  // update of their contract), for the connection's writer; from any
  // thread, never waiting. False once the connection is closing; when the
  // queue would pass its bound, the connection closes and nothing is kept.
  bool Send(std::string frames);
  bool SendQuoteUpdates(const std::vector<QuoteUpdate>& updates);

  // Closes from any thread, as a dropped network would, once what waits in
  // the queue went out (or a short while passed).
  void Shutdown();
  // On the loop thread: closes at once, dropping what waits.
  void Abort(const std::string& reason);
  // True once the connection is closing or closed.
  bool Closed() const { return closing_.load(); }

  Session CurrentSession() const;
  // On the loop thread. Logging in stops the login deadline; logging out
  // starts it again.
  void SetSession(Session session);

  // Rows of a multi-row answer, named by its request's sequence number, for
  // the loop thread only. The oldest answer's rows are dropped when
  // kMaxWaitingAnswers answers wait.
  void KeepRows(const std::string& sequence, std::vector<std::string> rows);
  std::optional<std::string> TakeRow(const std::string& sequence);

  static constexpr std::size_t kMaxWaitingAnswers = 64;

 private:
  struct Io;

  // What the loop thread does, each step on it.
  void ReadNext();
  void OnReadable();
  void WriteNext();
  void ArmLoginDeadline();
  // Closing: the writer drains the queue (within kDrainTime), then Finish().
  void Close(const std::string& reason);
  // Closes the socket and reports the end, once.
  void Finish(const std::string& reason);
  // From any thread: adds to the queue and starts the writer unless it runs.
  bool Queue(const std::function<bool(OutgoingQueue&)>& add);

  EventLoop& loop_;
  const std::uint64_t id_;
  const std::string peer_;
  const Limits limits_;
  std::unique_ptr<Io> io_;  // loop thread only, like the members up to mutex_
  portal::FrameReader frames_;
  RequestHandler onRequest_;
  ClosedHandler onClosed_;
  bool finished_ = false;

  std::mutex mutex_;  // guards queue_ and writing_
  OutgoingQueue queue_;
  bool writing_ = false;  // a write is under way or about to start
  std::atomic<bool> closing_{false};

  mutable std::mutex sessionMutex_;  // guards session_
  Session session_;

  std::map<std::string, std::deque<std::string>> rows_;
  std::deque<std::string> rowsOrder_;  // sequence numbers in rows_, oldest first
};

}  // namespace simbackend
