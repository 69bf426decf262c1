// The questions the engine puts to the user, and the messages that tell the
// user how an answer went. The back end asks about condition orders (a
// trigger already met, an action to choose) and waits for the user's
// answer; the engine has no windows of its own, so the program installs a
// UserPrompt that shows each question as a modal message box.
#pragma once

#include <string>

namespace engine {

enum class PromptButtons {
  kOk,
  kYesNo,
  kOkCancel,
  kRetryCancel,
  kAbortRetryIgnore,
};

enum class PromptIcon {
  kNone,
  kQuestion,
  kStop,
};

// The button the user pressed.
enum class PromptAnswer {
  kOk,
  kCancel,
  kYes,
  kNo,
  kRetry,
  kAbort,
  kIgnore,
};

struct UserQuestion {
  std::string text;  // GBK
  PromptButtons buttons = PromptButtons::kOk;
  PromptIcon icon = PromptIcon::kNone;
};

class UserPrompt {
 public:
  virtual ~UserPrompt() = default;

  // Shows the question modally, with the application's title as caption,
  // and returns the button pressed; one of the question's buttons (a box
  // closed without a button answers Cancel, or No for Yes/No). Called on
  // the thread that applies the answer or push: the GUI thread for pushes
  // and asynchronous answers, the requesting thread (which may be the order
  // thread) for synchronous ones. The engine never holds its lock across the
  // call.
  virtual PromptAnswer Ask(const UserQuestion& question) = 0;
};

// What a question answers when no prompt is installed: the button that
// declines (Cancel, No or Abort; OK for a plain message).
PromptAnswer DeclinedAnswer(PromptButtons buttons);

}  // namespace engine
