// Questions to the user from any thread, answered in a message box on the
// GUI thread. A question asked on the GUI thread runs its box at once;
// from another thread it is queued to the GUI thread and the asking thread
// waits for the answer. Stop() ends every wait (the question is declined)
// and declines every later question, so a thread that shut-down joins never
// waits for a box. Create and destroy it on the GUI thread.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "ui/message_box.h"

namespace ui {

struct Question {
  std::string text;     // GBK
  std::string caption;  // GBK
  Buttons buttons = Buttons::kOk;
  BoxIcon icon = BoxIcon::kNone;
};

class QuestionBridge {
 public:
  // Shows a question on the GUI thread and answers it.
  using Asker = std::function<Answer(const Question& question)>;

  explicit QuestionBridge(Asker asker);
  ~QuestionBridge();
  QuestionBridge(const QuestionBridge&) = delete;
  QuestionBridge& operator=(const QuestionBridge&) = delete;

  // Any thread.
  Answer Ask(const Question& question);
  // Any thread; for good.
  void Stop();
  bool Stopped() const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::unique_ptr<QObject> guiContext_;  // lives on the GUI thread; queued questions die with it
};

}  // namespace ui
