// The middleware's state: its open connections by number and the settings
// and hooks of its start record. One instance per process.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "connection.h"
#include "middleware/Halvost.h"

namespace halvost {

class Middleware final : public ConnectionListener {
 public:
  static Middleware& Instance();

  Middleware() = default;
  ~Middleware() override;

  // Takes the hooks and the default time-out of a start record.
  void Configure(const HalvostStartRecord& record);

  // A call on connection `number`, opening it with `record` when it is not
  // open (null: kHalvostNotConnected). `hook`, when given, sees the answer.
  int Call(int number, const HalvostConnectRecord* record, int function, std::string_view request, std::string& answer,
           platform::Event* preempt, int timeoutMs);
  // Hands an answer to a reply hook and sends the session text it makes.
  void RunReplyHook(int number, HalvostReplyHook hook, const char* request, const std::string& answer);
  int Close(int number);
  void CloseAll();
  // Sends a request that gets no answer on an open connection.
  int Send(int number, std::string_view request);
  // Hands a line to the start record's trace hook, when there is one.
  void Trace(std::string_view text);

  std::chrono::milliseconds Timeout(int timeoutMs) const;

  void OnPush(int connection, std::string_view data) override;
  void OnStateChange(int connection, int oldState, int newState) override;

 private:
  std::shared_ptr<Connection> OpenConnection(int number);
  std::shared_ptr<Connection> Open(int number, const HalvostConnectRecord& record, int& error);

  mutable std::mutex mutex_;  // connections_ and settings_
  std::map<int, std::shared_ptr<Connection>> connections_;
  HalvostStartRecord settings_{};
};

// Copies `text` with a terminator into a buffer of `size` bytes; false (and
// an empty buffer) when it does not fit.
bool CopyToBuffer(std::string_view text, char* buffer, int size);

}  // namespace halvost
