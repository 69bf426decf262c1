#include "engine/testing/scripted_prompt.h"

#include "engine/testing/open_engine.h"

namespace engine_testing {

engine::PromptAnswer ScriptedPrompt::Ask(const engine::UserQuestion& question) {
  asked.push_back(question);
  lockFreeWhenAsked = lockFreeWhenAsked && LockIsFree(engineLock_);
  if (answers.empty()) return engine::PromptAnswer::kOk;
  const engine::PromptAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::vector<std::string> ScriptedPrompt::Texts() const {
  std::vector<std::string> texts;
  for (const engine::UserQuestion& question : asked) texts.push_back(question.text);
  return texts;
}

void ScriptedPrompt::Clear() {
  asked.clear();
  answers.clear();
}

}  // namespace engine_testing
