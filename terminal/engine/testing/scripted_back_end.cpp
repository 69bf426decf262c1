#include "engine/testing/scripted_back_end.h"

#include "backend/field_text.h"
#include "backend/testing/request_texts.h"
#include "engine/testing/open_engine.h"

namespace engine_testing {

std::string SentRequest::Field(int n) const { return backend::GetSeparatedFieldText(n, text); }

std::vector<std::string> SentRequest::Fields() const { return backend_testing::Fields(text); }

void ScriptedBackEnd::Answer(int function, std::vector<std::string> lines, int subRequest) {
  Answer(
      function, [lines = std::move(lines)](const SentRequest&) { return lines; }, subRequest);
}

void ScriptedBackEnd::Answer(int function, Script script, int subRequest) {
  std::lock_guard guard(mutex_);
  scripts_[{function, subRequest}] = std::move(script);
}

void ScriptedBackEnd::Otherwise(Script script) {
  std::lock_guard guard(mutex_);
  otherwise_ = std::move(script);
}

void ScriptedBackEnd::OtherwiseRows(const std::vector<std::string>& rows) {
  std::vector<std::string> lines{"A|||Y|" + std::to_string(rows.size()) + "|"};
  lines.insert(lines.end(), rows.begin(), rows.end());
  Otherwise([lines](const SentRequest&) { return lines; });
}

void ScriptedBackEnd::Forget(int function) {
  std::lock_guard guard(mutex_);
  std::erase_if(scripts_, [function](const auto& script) { return script.first.first == function; });
}

void ScriptedBackEnd::Lose(int function) {
  std::lock_guard guard(mutex_);
  lost_.insert(function);
}

void ScriptedBackEnd::OnRequest(int function, std::function<void()> hook) {
  std::lock_guard guard(mutex_);
  hooks_[function] = std::move(hook);
}

void ScriptedBackEnd::Reset() {
  std::lock_guard guard(mutex_);
  scripts_.clear();
  otherwise_ = nullptr;
  lost_.clear();
  hooks_.clear();
  sent_.clear();
}

std::vector<SentRequest> ScriptedBackEnd::Sent() const {
  std::lock_guard guard(mutex_);
  return sent_;
}

std::vector<std::string> ScriptedBackEnd::SentTexts() const {
  std::vector<std::string> texts;
  for (const SentRequest& request : Sent()) texts.push_back(request.text);
  return texts;
}

std::vector<int> ScriptedBackEnd::SentFunctions() const {
  std::vector<int> functions;
  for (const SentRequest& request : Sent()) functions.push_back(request.function);
  return functions;
}

void ScriptedBackEnd::ClearSent() {
  std::lock_guard guard(mutex_);
  sent_.clear();
}

engine::SyncSendCallback ScriptedBackEnd::Sync() {
  return [this](backend::RequestRecord& record, std::string& error) { return Send(record, error); };
}

engine::AsyncSendCallback ScriptedBackEnd::Async() {
  return [this](backend::RequestPtr& record, std::string& error) {
    ++asyncSends;
    if (refuseAsync) {
      error = "执行操作[" + std::string(record->title) + "]时，还没有建立通讯连接！";
      return false;
    }
    posted.push_back(std::move(record));
    return true;
  };
}

bool ScriptedBackEnd::Send(backend::RequestRecord& record, std::string& error) {
  ++syncSends;
  if (watched_ != nullptr && !LockIsFree(*watched_)) lockFreeWhenSent_ = false;
  std::vector<SentRequest> requests;
  for (int index = 0; index < record.count; ++index) {
    const backend::SubRequest& subRequest = *record.At(index);
    requests.push_back({record.title, record.connection, record.priority, subRequest.functionNo, subRequest.sequenceNo,
                        subRequest.singlePacket != 0, subRequest.requestText});
  }
  std::vector<std::function<void()>> hooks;
  bool lost = transportError;
  {
    std::lock_guard guard(mutex_);
    for (const SentRequest& request : requests) {
      sent_.push_back(request);
      if (const auto hook = hooks_.find(request.function); hook != hooks_.end() && hook->second) {
        hooks.push_back(hook->second);
      }
      lost = lost || lost_.contains(request.function);
    }
  }
  for (const std::function<void()>& hook : hooks) hook();
  if (lost) {
    record.errorFlag = 1;
    record.errorText = error = "通讯连接中断！";
    return false;
  }
  for (int index = 0; index < record.count; ++index) {
    for (const std::string& line : AnswerOf(requests[static_cast<std::size_t>(index)], index)) {
      record.At(index)->answer.AddText(line);
    }
  }
  record.done = record.count;
  return true;
}

std::vector<std::string> ScriptedBackEnd::AnswerOf(const SentRequest& request, int subRequest) const {
  Script script;
  {
    std::lock_guard guard(mutex_);
    auto found = scripts_.find({request.function, subRequest});
    if (found == scripts_.end()) found = scripts_.find({request.function, kEverySubRequest});
    script = found != scripts_.end() ? found->second : otherwise_;
  }
  return script ? script(request) : std::vector<std::string>{};
}

}  // namespace engine_testing
