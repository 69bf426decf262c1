// A scripted middleware for tests of the request executor and the library
// that need answers the stand-in would not give: an exception, a code of
// the test's choosing, a failing start. Single-threaded: one test at a time
// owns the script (FakeMiddleware::Script), and no worker runs its calls.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "middleware_api.h"

namespace connpool::testing {

class FakeMiddleware {
 public:
  // What one call answers: a middleware code, the answer text, or an
  // exception after writing `answer` into the buffer.
  struct Reply {
    int code = kHalvostOk;
    std::string answer;
    bool raise = false;
  };
  static Reply Answer(std::string text) { return {kHalvostOk, std::move(text), false}; }
  static Reply Failure(int code) { return {code, {}, false}; }
  static Reply Raise(std::string partialAnswer) { return {kHalvostOk, std::move(partialAnswer), true}; }

  FakeMiddleware() { active_ = this; }
  ~FakeMiddleware() { active_ = nullptr; }
  FakeMiddleware(const FakeMiddleware&) = delete;
  FakeMiddleware& operator=(const FakeMiddleware&) = delete;

  MiddlewareApi Api() const {
    MiddlewareApi api;
    api.initialize = [](const HalvostStartRecord* record) {
      active_->events.push_back("initialize");
      active_->startRecord = *record;
      return active_->initializeCode;
    };
    api.start = [] { return Event("start", active_->startCode); };
    api.stop = [] { return Event("stop", kHalvostOk); };
    api.cleanup = [] { return Event("cleanup", kHalvostOk); };
    api.connect = [](int, HalvostParam, HalvostParam, HalvostParam, HalvostParam, const char*, char*, int, HalvostParam,
                     HalvostParam) { return static_cast<int>(kHalvostConnectFailed); };
    api.send = [](int connection, const char* request) -> int {
      active_->sends.push_back(std::to_string(connection) + " " + request);
      return kHalvostOk;
    };
    api.close = [](int connection) { return Event("close " + std::to_string(connection), kHalvostOk); };
    api.call = [](int connection, int function, const char* request, char* reply, int replySize, platform::Event*,
                  int) {
      active_->calls.push_back(std::to_string(connection) + " " + std::to_string(function) + " " + request);
      Reply next = active_->replies.empty() ? Reply{} : active_->replies.front();
      if (!active_->replies.empty()) active_->replies.pop_front();
      next.answer.copy(reply, static_cast<std::size_t>(replySize) - 1);
      reply[std::min(next.answer.size(), static_cast<std::size_t>(replySize) - 1)] = '\0';
      if (next.raise) throw std::runtime_error("middleware failure");
      return next.code;
    };
    api.errorText = [](int code, char* buffer, int size) -> int {
      const std::string text = "错误" + std::to_string(code);
      text.copy(buffer, static_cast<std::size_t>(size) - 1);
      buffer[std::min(text.size(), static_cast<std::size_t>(size) - 1)] = '\0';
      return kHalvostOk;
    };
    api.localMac = [](char* buffer, int) -> int {
      std::strcpy(buffer, "00-11-22-33-44-55");
      return kHalvostOk;
    };
    api.localIp = [](char* buffer, int) -> int {
      std::strcpy(buffer, "10.1.1.1");
      return kHalvostOk;
    };
    api.testServer = [](int connection, const HalvostConnectRecord* record, int) {
      active_->events.push_back("test " + std::to_string(connection) + " " + record->servers[0].host);
      const int code = active_->testResults.empty() ? kHalvostOk : active_->testResults.front();
      if (!active_->testResults.empty()) active_->testResults.pop_front();
      return code;
    };
    return api;
  }

  // The script and what the middleware was asked.
  std::deque<Reply> replies;
  std::deque<int> testResults;
  int initializeCode = kHalvostOk;
  int startCode = kHalvostOk;
  HalvostStartRecord startRecord{};
  std::vector<std::string> calls;   // "connection function request"
  std::vector<std::string> sends;   // "connection request"
  std::vector<std::string> events;  // life cycle, closes and server tests

 private:
  static int Event(const std::string& what, int code) {
    active_->events.push_back(what);
    return code;
  }

  static inline FakeMiddleware* active_ = nullptr;
};

}  // namespace connpool::testing
