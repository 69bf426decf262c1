// The user's part in the back end's questions: the prompt that asks, what a
// question answers without one, and the answer's request sent with its
// outcome told to the user.
#include <mutex>
#include <utility>

#include "engine/operation_engine.h"
#include "engine/user_prompt.h"
#include "platform/gbk.h"

namespace engine {
namespace {

// A message box takes at most this many bytes with the terminating zero.
constexpr std::size_t kMessageSize = 1024;

}  // namespace

PromptAnswer DeclinedAnswer(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::kOk: return PromptAnswer::kOk;
    case PromptButtons::kYesNo: return PromptAnswer::kNo;
    case PromptButtons::kOkCancel:
    case PromptButtons::kRetryCancel: return PromptAnswer::kCancel;
    case PromptButtons::kAbortRetryIgnore: return PromptAnswer::kAbort;
  }
  return PromptAnswer::kCancel;
}

void COperationEngineBase::SetUserPrompt(std::shared_ptr<UserPrompt> prompt) {
  std::lock_guard guard(lock_);
  userPrompt_ = std::move(prompt);
}

PromptAnswer COperationEngineBase::AskUser(const UserQuestion& question) const {
  std::shared_ptr<UserPrompt> prompt;
  {
    std::lock_guard guard(lock_);
    prompt = userPrompt_;
  }
  return prompt ? prompt->Ask(question) : DeclinedAnswer(question.buttons);
}

void COperationEngineBase::TellUser(std::string text) const {
  text.resize(platform::GbkFitLength(text, kMessageSize - 1));
  AskUser({std::move(text), PromptButtons::kOk, PromptIcon::kNone});
}

bool COperationEngineBase::SendAndTell(backend::RequestRecord& record, std::string_view success,
                                       std::string_view failure,
                                       const std::function<void(const backend::CxDataSetView& answer)>& onAnswer) {
  std::string error;
  if (!SendEngineRequest(record, error)) {
    TellUser(std::string(failure) + error);
    return false;
  }
  if (onAnswer && record.At(0) != nullptr) onAnswer(record.At(0)->answer.View());
  TellUser(std::string(success));
  return true;
}

bool COperationEngine::SendEngineRequest(backend::RequestRecord& record, std::string& error) {
  return SendSyncChecked(record, error);
}

}  // namespace engine
