#include "platform/question.h"

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

std::mutex questionMutex;
QuestionHandler installedQuestion;

}  // namespace

bool AskYesNo(std::string_view question, std::string_view caption) {
  QuestionHandler handler;
  {
    std::lock_guard lock(questionMutex);
    handler = installedQuestion;
  }
  if (handler) return handler(question, caption);
  std::fprintf(stderr, "%.*s%s%.*s (no)\n", static_cast<int>(caption.size()), caption.data(),
               caption.empty() ? "" : ": ", static_cast<int>(question.size()), question.data());
  return false;
}

void SetQuestionHandler(QuestionHandler handler) {
  std::lock_guard lock(questionMutex);
  installedQuestion = std::move(handler);
}

}  // namespace platform
