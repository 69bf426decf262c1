// A back end for the transport tests: listens on a loopback port, serves one
// client connection at a time in the portal's frames, answers the login (the
// first request of a connection) at once, and answers every other request as
// the test's script says, or holds it until the test answers it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/thread.h"

namespace backend_testing {

struct ReceivedRequest {
  int connection = 0;          // 1 for the first accepted connection, 2 for the next ...
  std::uint32_t sequence = 0;  // the frame's sequence number
  std::string text;
};

// The answer to a request text, or nothing to hold the request.
using Script = std::function<std::optional<std::string>(const std::string& request)>;

class ScriptedServer {
 public:
  static constexpr const char* kLoginAnswer = "R|srv|0|Y|0|";

  explicit ScriptedServer(Script script);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  std::uint16_t Port() const { return port_; }

  // Waits until `count` requests (logins included) have come in; false after
  // the time-out.
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::vector<ReceivedRequest> Requests() const;

  // Answers a held request of the current connection.
  void Answer(std::uint32_t sequence, const std::string& text);
  // Sends a push frame holding `block` as it is.
  void Push(const std::string& block);
  // Drops the current client connection; the listener stays.
  void DropClient();
  // Closes the listener too: later connects are refused.
  void Close();

 private:
  void Serve(platform::Event& stop);
  void ServeClient(int client, int connection);
  void Send(const std::string& bytes);

  const Script script_;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  int client_ = -1;
  bool closed_ = false;
  std::vector<ReceivedRequest> requests_;
  platform::WorkerThread thread_;
};

}  // namespace backend_testing
