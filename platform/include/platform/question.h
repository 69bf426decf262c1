// Yes/No questions to the user from code below the windows, the question
// box's stand-in. A program with windows installs a handler that shows a
// modal Yes/No box; without one nobody can answer, so every question reads
// as "no" and its text goes to standard error.
#pragma once

#include <functional>
#include <string_view>

namespace platform {

// True for "yes".
using QuestionHandler = std::function<bool(std::string_view question, std::string_view caption)>;

bool AskYesNo(std::string_view question, std::string_view caption = {});
// An empty handler restores the default.
void SetQuestionHandler(QuestionHandler handler);

}  // namespace platform
