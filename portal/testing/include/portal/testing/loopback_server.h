// A back end for tests: listens on a loopback port, serves one client
// connection at a time in the portal's frames, answers the login (the first
// request of a connection) at once, and answers every other request as the
// test's script says, or holds it until the test answers it.
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

namespace portal_testing {

struct ReceivedRequest {
  int connection = 0;          // 1 for the first accepted connection, 2 for the next ...
  std::uint32_t sequence = 0;  // the frame's sequence number
  std::string text;
};

// The answer to a request text, or nothing to hold the request for Answer().
// It runs on the server's thread under the server's lock, so it may keep
// state of its own but must not call back into the server.
using Script = std::function<std::optional<std::string>(const std::string& request)>;

// Ready scripts: answers "A:" followed by the request's text; holds every request.
std::optional<std::string> Echo(const std::string& request);
std::optional<std::string> HoldAll(const std::string& request);

class LoopbackServer {
 public:
  // The answer to every login unless SetLoginAnswer() says otherwise.
  static constexpr const char* kLoginAnswer = "R|srv|1|Y|0|";

  explicit LoopbackServer(Script script);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t Port() const { return port_; }

  // Both take effect from the next request on.
  void SetScript(Script script);
  void SetLoginAnswer(std::string answer);
  // From the next login on, `count` push frames holding `block` go out
  // before its answer, as long as the client takes them.
  void SetLoginPrelude(std::string block, std::size_t count);

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
  void SendPrelude();
  // False when the client is gone.
  bool Send(const std::string& bytes);

  int listener_ = -1;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  Script script_;
  std::string loginAnswer_ = kLoginAnswer;
  std::string preludeBlock_;
  std::size_t preludeCount_ = 0;
  int client_ = -1;
  bool closed_ = false;
  std::vector<ReceivedRequest> requests_;
  platform::WorkerThread thread_;
};

}  // namespace portal_testing
