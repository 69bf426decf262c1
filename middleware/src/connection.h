// One open connection to a back end: calls wait for the answer whose
// sequence number matches theirs, a reader thread takes answers and pushes
// off the socket. Closing the connection, by the host or by the network,
// ends every waiting call with kHalvostTransport.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "middleware/Halvost.h"

namespace platform {
class Event;
}

namespace halvost {

class ConnectionListener {
 public:
  virtual ~ConnectionListener() = default;
  // Called on the connection's reader thread.
  virtual void OnPush(int connection, std::string_view data) = 0;
  virtual void OnStateChange(int connection, int oldState, int newState) = 0;
};

class Connection {
  struct Token {};

 public:
  // Takes over a connected socket and starts reading it. The reader keeps
  // the connection alive until the socket closes, so a hook that closes the
  // connection from the reader thread is safe.
  static std::shared_ptr<Connection> Start(int number, int fd, ConnectionListener& listener);
  Connection(Token, int number, int fd, ConnectionListener& listener);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int Number() const { return number_; }
  bool IsOpen() const;

  // Sends a request and waits for its answer; kHalvostOk with `answer` set,
  // or the error code.
  int Call(int function, std::string_view request, std::string& answer, platform::Event* preempt,
           std::chrono::milliseconds timeout);
  // Sends a request that gets no answer.
  int Send(int function, std::string_view text);
  // Sends the session text of a reply hook; it gets no answer.
  int SendSession(std::string_view text);
  // Closes the socket and ends every waiting call; waits for the reader.
  void Close();

 private:
  struct PendingCall;

  int SendFrame(int kind, std::uint32_t sequence, int function, std::string_view text);
  void ReadLoop();
  void FailPendingCalls();
  void FinishCall(std::uint32_t sequence, std::string answer);

  const int number_;
  const int fd_;
  ConnectionListener& listener_;
  std::mutex sendMutex_;      // one frame at a time on the socket
  mutable std::mutex mutex_;  // open_, closedByHost_, pending_, nextSequence_
  bool open_ = true;
  bool closedByHost_ = false;
  std::map<std::uint32_t, std::shared_ptr<PendingCall>> pending_;
  std::uint32_t nextSequence_ = 1;
  std::mutex closeMutex_;  // one closer joins the reader
  std::thread reader_;
};

}  // namespace halvost
