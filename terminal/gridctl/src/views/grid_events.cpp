#include "gridctl/views/grid_events.h"

#include <QCoreApplication>

namespace gridctl {

QEvent::Type NotifyEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QEvent::Type CommandEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

int SendNotify(QWidget* target, CxGridNotify record) {
  if (target == nullptr) return 0;
  NotifyEvent event(std::move(record));
  QCoreApplication::sendEvent(target, &event);
  return event.result;
}

void PostCommand(QWidget* target, int id, int code, QObject* sender) {
  if (target != nullptr) QCoreApplication::postEvent(target, new CommandEvent(id, code, sender));
}

void SendCommand(QWidget* target, int id, int code, QObject* sender) {
  if (target == nullptr) return;
  CommandEvent event(id, code, sender);
  QCoreApplication::sendEvent(target, &event);
}

}  // namespace gridctl
