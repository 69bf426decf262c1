#include "ui/question_bridge.h"

#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace ui {

struct QuestionBridge::Shared {
  Asker asker;
  std::mutex mutex;  // guards stopped and every waiting answer
  std::condition_variable answered;
  bool stopped = false;
};

namespace {

struct Pending {
  std::optional<Answer> answer;
};

}  // namespace

QuestionBridge::QuestionBridge(Asker asker) : shared_(std::make_shared<Shared>()), guiContext_(new QObject) {
  shared_->asker = std::move(asker);
}

QuestionBridge::~QuestionBridge() { Stop(); }

bool QuestionBridge::Stopped() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->stopped;
}

void QuestionBridge::Stop() {
  std::lock_guard lock(shared_->mutex);
  shared_->stopped = true;
  shared_->answered.notify_all();
}

Answer QuestionBridge::Ask(const Question& question) {
  const Answer declined = DecliningAnswer(question.buttons);
  if (Stopped()) return declined;
  if (QThread::currentThread() == guiContext_->thread()) return shared_->asker(question);

  auto pending = std::make_shared<Pending>();
  std::shared_ptr<Shared> shared = shared_;
  QMetaObject::invokeMethod(
      guiContext_.get(),
      [shared, pending, question] {
        {
          std::lock_guard lock(shared->mutex);
          if (shared->stopped) return;
        }
        // No lock while the box runs: Stop() must get through meanwhile.
        const Answer answer = shared->asker(question);
        std::lock_guard lock(shared->mutex);
        pending->answer = answer;
        shared->answered.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(shared->mutex);
  shared->answered.wait(lock, [&] { return pending->answer.has_value() || shared->stopped; });
  return pending->answer.value_or(declined);
}

}  // namespace ui
