// The user as the engine asks them: each question is answered with the next
// scripted answer (OK when none is left) and kept, with whether the engine
// lock was free while it was asked.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/user_prompt.h"
#include "platform/sync.h"

namespace engine_testing {

class ScriptedPrompt : public engine::UserPrompt {
 public:
  explicit ScriptedPrompt(platform::CriticalSection& engineLock) : engineLock_(engineLock) {}

  engine::PromptAnswer Ask(const engine::UserQuestion& question) override;

  // The texts asked or told, in order.
  std::vector<std::string> Texts() const;
  void Clear();

  std::deque<engine::PromptAnswer> answers;
  std::vector<engine::UserQuestion> asked;
  bool lockFreeWhenAsked = true;

 private:
  platform::CriticalSection& engineLock_;
};

}  // namespace engine_testing
