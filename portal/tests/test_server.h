// A back end for the tests: listens on a loopback port, serves one client
// connection at a time with the portal's frames, answers the first request
// of every connection (the login) at once, and answers or holds the other
// requests as the test says.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/thread.h"

namespace testing_portal {

struct ReceivedRequest {
  int connection = 0;  // 1 for the first accepted connection, 2 for the next ...
  std::uint32_t sequence = 0;
  std::string text;
};

class TestServer {
 public:
  TestServer();
  ~TestServer();

  std::uint16_t Port() const { return port_; }

  // The answer to every login; "R|srv|1|Y|0|" unless set.
  void SetLoginAnswer(std::string answer);
  // When on (the default), each request after the login is answered with
  // "A:" followed by its text; when off, requests wait for Answer().
  void SetAnswering(bool on);

  // Waits until `count` requests have come in all; false after the time-out.
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::vector<ReceivedRequest> Requests() const;

  // Sends an answer frame, or a push frame holding `text` as it is.
  void Answer(std::uint32_t sequence, const std::string& text);
  void Push(const std::string& text);
  // Drops the current client connection (the listener stays).
  void DropClient();
  // Closes the listener too: later connects are refused.
  void Close();

 private:
  void Serve(platform::Event& stop);
  void ServeClient(int client, int connection);
  void Send(const std::string& bytes);

  int listener_ = -1;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  int client_ = -1;
  bool closed_ = false;
  bool answering_ = true;
  std::string loginAnswer_ = "R|srv|1|Y|0|";
  std::vector<ReceivedRequest> requests_;
  platform::WorkerThread thread_;
};

}  // namespace testing_portal
