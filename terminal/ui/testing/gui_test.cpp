#include "ui/testing/gui_test.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "ui/gbk_text.h"

namespace ui::testing {
namespace {

QMessageBox::StandardButton ButtonOf(Answer answer) {
  switch (answer) {
    case Answer::kOk: return QMessageBox::Ok;
    case Answer::kCancel: return QMessageBox::Cancel;
    case Answer::kYes: return QMessageBox::Yes;
    case Answer::kNo: return QMessageBox::No;
    case Answer::kRetry: return QMessageBox::Retry;
    case Answer::kAbort: return QMessageBox::Abort;
    case Answer::kIgnore: return QMessageBox::Ignore;
  }
  return QMessageBox::NoButton;
}

const char* const kWatchName = "uiTestingWatch";

// Polls every 50 ms, from the event loop of whatever runs, until `act`
// answers true or the time is up.
void Watch(std::function<bool()> act, std::chrono::milliseconds timeout) {
  auto* timer = new QTimer(qApp);
  timer->setObjectName(kWatchName);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act), deadline] {
    // Stop first: the action may run a modal loop of its own.
    timer->stop();
    if (act() || std::chrono::steady_clock::now() > deadline) {
      timer->deleteLater();
    } else {
      timer->start();
    }
  });
  timer->start(50);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}

QWidget* FindShownWindow(const QString& objectName) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == objectName && window->isVisible()) return window;
  }
  return nullptr;
}

QMessageBox* ShownMessageBox() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(window); box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

std::string BoxText(const QMessageBox* box) { return box == nullptr ? std::string() : ToGbk(box->text()); }

bool PressBoxButton(QMessageBox* box, Answer answer) {
  QAbstractButton* button = box == nullptr ? nullptr : box->button(ButtonOf(answer));
  if (button == nullptr) return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

void WhenShown(const QString& objectName, std::function<void(QWidget* window)> action,
               std::chrono::milliseconds timeout) {
  Watch(
      [objectName, action = std::move(action)] {
        QWidget* window = FindShownWindow(objectName);
        if (window == nullptr) return false;
        action(window);
        return true;
      },
      timeout);
}

// Presses the answer on the box shown, if any; true when there was one.
bool AnswerShownBox(Answer answer, const std::function<void(const std::string& text)>& seen) {
  QMessageBox* box = ShownMessageBox();
  if (box == nullptr) return false;
  if (seen) seen(BoxText(box));
  PressBoxButton(box, answer);
  return true;
}

void WhenMessageBox(Answer answer, std::function<void(const std::string& text)> seen,
                    std::chrono::milliseconds timeout) {
  Watch([answer, seen = std::move(seen)] { return AnswerShownBox(answer, seen); }, timeout);
}

void WhenMessageBoxes(Answer answer, std::function<void(const std::string& text)> seen,
                      std::chrono::milliseconds timeout) {
  Watch(
      [answer, seen = std::move(seen)] {
        AnswerShownBox(answer, seen);
        return false;
      },
      timeout);
}

void CancelWatches() {
  for (QTimer* timer : qApp->findChildren<QTimer*>(kWatchName, Qt::FindDirectChildrenOnly)) {
    timer->stop();
    timer->deleteLater();
  }
}

namespace {

// A window shows what its pending layout requests make of it: a scroll
// area, for one, shows or hides its bars only then.
void ApplyPendingLayouts() { QCoreApplication::sendPostedEvents(); }

}  // namespace

bool SaveWindowPng(QWidget* window, const std::string& path) {
  if (window == nullptr) return false;
  ApplyPendingLayouts();
  return window->grab().save(QString::fromStdString(path), "PNG");
}

namespace {

// "<name>.png" in the screenshot folder, which is made when missing.
QString ScreenshotPath(std::string_view name) {
  const char* folder = std::getenv("QUENTARA_SCREENSHOT_DIR");
  const QString dir = folder != nullptr && *folder != '\0' ? QString::fromLocal8Bit(folder)
                                                           : QString::fromUtf8(QUENTARA_SCREENSHOT_DIR);
  QDir().mkpath(dir);
  return dir + "/" + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + ".png";
}

}  // namespace

std::string SaveScreenshot(QWidget* window, std::string_view name) {
  const QString path = ScreenshotPath(name);
  return SaveWindowPng(window, path.toStdString()) ? path.toStdString() : std::string();
}

std::string SaveScreenshot(const std::vector<QWidget*>& windows, std::string_view name) {
  ApplyPendingLayouts();
  QRect bounds;
  for (QWidget* window : windows) bounds |= QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
  QPixmap picture(bounds.size());
  picture.fill(Qt::darkGray);
  QPainter painter(&picture);
  for (QWidget* window : windows)
    painter.drawPixmap(window->mapToGlobal(QPoint(0, 0)) - bounds.topLeft(), window->grab());
  painter.end();
  const QString path = ScreenshotPath(name);
  return picture.save(path, "PNG") ? path.toStdString() : std::string();
}

}  // namespace ui::testing
