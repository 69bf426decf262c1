// A loopback back end for tests of the middleware's callers. It listens on
// 127.0.0.1 (a free port), answers each request with what the test scripted
// for its function number, and can hold answers, drop its connections and
// push lines. It serves on its own thread; every method may be called from
// any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "middleware/Halvost.h"

namespace halvost {

// A frame the server received.
struct ReceivedFrame {
  int client = 0;              // numbered from 1 in the order of connecting
  int kind = 0;                // 1 request, 4 session text
  std::uint32_t sequence = 0;  // 0: the request gets no answer
  int function = 0;
  std::string text;
};

class TestServer {
 public:
  // Makes the answer text of a request; runs on the server's thread.
  using Handler = std::function<std::string(const ReceivedFrame& request)>;

  TestServer();
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // A connect record naming this server in its first place.
  HalvostConnectRecord ConnectRecord() const;

  // Requests of `function` are answered with `text`, or with what `handler`
  // makes of them. A function without a script gets an empty answer.
  void Answer(int function, std::string text);
  void Answer(int function, Handler handler);
  // Answers to `function` wait until Release; then they go out in order.
  void Hold(int function);
  void Release(int function);
  // Closes every client connection.
  void DropConnections();
  // Sends `line` as a push to every client.
  void Push(std::string_view line);
  // Sends `data` as it stands (lines with their terminators, or not) as one
  // push frame to client `client`, or to every client for 0.
  void PushData(int client, std::string_view data);

  std::vector<ReceivedFrame> Received() const;
  // Waits until at least `count` frames arrived; false at the time-out.
  bool WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const;
  int ConnectedClients() const;

 private:
  struct Client {
    int fd;
    int number;
  };
  struct HeldAnswer {
    int client;
    int function;
    std::string frame;
  };

  void Serve();
  void Accept();
  // False when the client is gone.
  bool ReadFrom(int fd, int client);
  void Reply(const ReceivedFrame& request);
  void SendToClient(int client, const std::string& frame);  // under mutex_
  void RemoveClient(int fd);

  int listenFd_ = -1;
  int wakeFd_ = -1;
  std::uint16_t port_ = 0;
  int nextClient_ = 1;

  mutable std::mutex mutex_;  // everything below
  mutable std::condition_variable received_;
  std::vector<Client> clients_;
  std::map<int, Handler> handlers_;
  std::set<int> held_;
  std::vector<HeldAnswer> heldAnswers_;
  std::vector<ReceivedFrame> frames_;
  bool stopping_ = false;

  std::thread thread_;
};

}  // namespace halvost
