// How the grid library's windows reach their owners: a notification event
// that carries the notification record, sent and answered at once, and a
// command event (a control or menu id and a notification code), posted.
#pragma once

#include <QEvent>
#include <QWidget>
#include <string>

namespace gridctl {

// The notification record.
struct CxGridNotify {
  // The standard header: sending window, its control id, the code.
  QWidget* sender = nullptr;
  int id = 0;
  int code = 0;
  int kind = -1;  // -1 grid events; 1 check box, 2 image, 3 edit, 4 combo cell
  int row = -1;
  int column = -1;  // a field id
  int extra = 0;
  // Only in the in-place editors' records and in the edit-started record.
  std::string text;
};

class NotifyEvent : public QEvent {
 public:
  explicit NotifyEvent(CxGridNotify record) : QEvent(EventType()), record_(std::move(record)) {}
  static QEvent::Type EventType();
  const CxGridNotify& Record() const { return record_; }
  // What the receiver answers; 0 unless it sets one.
  int result = 0;

 private:
  CxGridNotify record_;
};

class CommandEvent : public QEvent {
 public:
  CommandEvent(int id, int code, QObject* sender) : QEvent(EventType()), id_(id), code_(code), sender_(sender) {}
  static QEvent::Type EventType();
  int Id() const { return id_; }      // the control id, or the chosen menu item's id
  int Code() const { return code_; }  // the notification code, or the menu's identifier
  QObject* Sender() const { return sender_; }

 private:
  int id_;
  int code_;
  QObject* sender_;
};

// Sends the record to the window and returns its answer; 0 without a window.
int SendNotify(QWidget* target, CxGridNotify record);
// Posts the command to the window, which gets it from the event loop; the
// event is dropped when the window is gone by then.
void PostCommand(QWidget* target, int id, int code, QObject* sender);
// Sends the command at once.
void SendCommand(QWidget* target, int id, int code, QObject* sender);

}  // namespace gridctl
