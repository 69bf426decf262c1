// What the grid library's window tests share: an owner window that keeps
// every notification and command it gets, and shown, active windows.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <string>
#include <vector>

#include "gridctl/views/grid_events.h"
#include "ui/testing/gui_test.h"

namespace gridctl::testing {

struct Command {
  int id;
  int code;
  friend bool operator==(const Command&, const Command&) = default;
};

class RecordingOwner : public QWidget {
 public:
  RecordingOwner() { resize(420, 300); }

  std::vector<CxGridNotify> notices;
  std::vector<Command> commands;
  int enterPresses = 0;

  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const CxGridNotify& notice : notices) codes.push_back(notice.code);
    return codes;
  }
  const CxGridNotify* Last(int code) const {
    for (auto notice = notices.rbegin(); notice != notices.rend(); ++notice) {
      if (notice->code == code) return &*notice;
    }
    return nullptr;
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() == NotifyEvent::EventType()) {
      notices.push_back(static_cast<NotifyEvent*>(event)->Record());
      return true;
    }
    if (event->type() == CommandEvent::EventType()) {
      const auto* command = static_cast<CommandEvent*>(event);
      commands.push_back({command->Id(), command->Code()});
      return true;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return) {
      ++enterPresses;
      return true;
    }
    return QWidget::event(event);
  }
};

// Shows the window, makes it the active one and waits until it is exposed.
inline bool ShowActive(QWidget& window) {
  window.show();
  QApplication::setActiveWindow(&window);
  return ui::testing::WaitUntil([&] { return window.isVisible() && QApplication::activeWindow() == &window; });
}

// Mouse input as the platform delivers it at a screen point to the window
// of `under`, routed by the toolkit (an open pop-up gets all of it).
inline void Mouse(QTest::MouseAction action, QWidget* under, QPoint global, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = {}) {
  QWindow* window = under->window()->windowHandle();
  QTest::mouseEvent(action, window, button, modifiers, window->mapFromGlobal(global));
}

inline QPoint GlobalCentre(const QWidget* widget, const QRect& local) { return widget->mapToGlobal(local.center()); }

}  // namespace gridctl::testing
