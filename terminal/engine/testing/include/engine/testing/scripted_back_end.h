// The back end as an engine's send callbacks see it: each sub-request is
// answered with the lines the test scripted for its function number (and
// sub-request), and every request sent is kept. Safe to use from the
// engine's threads.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "backend/request_record.h"
#include "engine/operation_engine.h"
#include "platform/sync.h"

namespace engine_testing {

// One sub-request as it went out.
struct SentRequest {
  std::string title;
  int slot = 0;
  int priority = 0;
  int function = 0;
  int sequenceNo = 0;
  bool singlePacket = false;
  std::string text;

  // Field n (from 1) of the text; empty past its end.
  std::string Field(int n) const;
  std::vector<std::string> Fields() const;
};

class ScriptedBackEnd {
 public:
  // The answer lines of a request.
  using Script = std::function<std::vector<std::string>(const SentRequest& request)>;
  static constexpr int kEverySubRequest = -1;

  // Answers `function` (only sub-request `subRequest` of a record, when
  // given) with these lines, or with what the script gives, in place of
  // what it answered before.
  void Answer(int function, std::vector<std::string> lines, int subRequest = kEverySubRequest);
  void Answer(int function, Script script, int subRequest = kEverySubRequest);
  // Answers what no script of its function answers; nothing when unset.
  void Otherwise(Script script);
  // Answers what no script answers with a status line that counts these
  // rows, and the rows.
  void OtherwiseRows(const std::vector<std::string>& rows);
  // Answers `function` no more.
  void Forget(int function);
  // Fails `function` as the connection layer fails a lost request.
  void Lose(int function);
  // Runs `hook` on the sending thread whenever `function` is sent, before
  // it is answered.
  void OnRequest(int function, std::function<void()> hook);
  // Forgets every script, loss, hook and request sent.
  void Reset();

  // Notes with every send whether another thread could take this lock.
  void WatchLock(platform::CriticalSection& lock) { watched_ = &lock; }
  bool LockFreeWhenSent() const { return lockFreeWhenSent_; }

  std::vector<SentRequest> Sent() const;
  std::vector<std::string> SentTexts() const;
  std::vector<int> SentFunctions() const;
  void ClearSent();

  engine::SyncSendCallback Sync();
  // Takes a queued record over, as the connection layer does, or refuses it
  // (`refuseAsync`) as the connection layer refuses a request before its
  // connection is made.
  engine::AsyncSendCallback Async();

  // Every synchronous send fails as a lost connection.
  std::atomic<bool> transportError = false;
  bool refuseAsync = false;
  std::atomic<int> syncSends = 0;
  int asyncSends = 0;
  std::vector<backend::RequestPtr> posted;

 private:
  bool Send(backend::RequestRecord& record, std::string& error);
  std::vector<std::string> AnswerOf(const SentRequest& request, int subRequest) const;

  mutable std::mutex mutex_;
  std::map<std::pair<int, int>, Script> scripts_;  // by function and sub-request
  Script otherwise_;
  std::set<int> lost_;
  std::map<int, std::function<void()>> hooks_;
  std::vector<SentRequest> sent_;
  platform::CriticalSection* watched_ = nullptr;
  std::atomic<bool> lockFreeWhenSent_ = true;
};

}  // namespace engine_testing
