// A follow-up task as the order thread runs it, and what its steps use of
// the module. Tasks live on the order thread only.
#pragma once

#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "client/order_push_hooks.h"
#include "order_module/order_tasks.h"

namespace order_module {

// What a task's steps use of the module, on the order thread.
class TaskContext {
 public:
  // Has the GUI thread ask the user and waits for the answer; true only for
  // "yes" (a stop of the module ends the wait with false).
  virtual bool Ask(const std::string& question) = 0;
  // The pause between the pieces of a split send; false when the module
  // stops meanwhile.
  virtual bool PauseBetweenPieces() = 0;
  virtual bool Stopping() = 0;
  // Has the order thread run the tasks again soon.
  virtual void WakeTasks() = 0;

 protected:
  ~TaskContext() = default;
};

// The texts a task produces, in order; they become its result's message
// list.
class TaskMessages {
 public:
  void Add(std::string_view text);
  bool Empty() const { return list_.GetCount() == 0; }
  backend::CxDataSet Take() { return std::move(list_); }

 private:
  backend::CxDataSet list_;
};

// Where a task or a part of one stands.
class TaskProgress {
 public:
  bool Over() const { return finished_ || failed_; }
  bool Finished() const { return finished_; }
  bool Failed() const { return failed_; }
  int ErrorCode() const { return errorCode_; }

  void Finish() { finished_ = true; }
  void Fail(int errorCode) {
    failed_ = true;
    errorCode_ = errorCode;
  }

 private:
  bool finished_ = false;
  bool failed_ = false;
  int errorCode_ = 0;
};

class OrderTask {
 public:
  explicit OrderTask(TaskCaller caller);
  virtual ~OrderTask() = default;
  OrderTask(const OrderTask&) = delete;
  OrderTask& operator=(const OrderTask&) = delete;

  // Runs the steps that are due.
  virtual void Run(TaskContext& context) = 0;
  // Takes an order's new state when it concerns the task.
  virtual bool TakeStateChange(const client::OrderStateChange& change, TaskContext& context) = 0;
  // The look at a waiting task when nothing happened for a while.
  virtual void CheckWaiting(TaskContext& context) = 0;
  // The log line written before a state change is offered to the task.
  virtual std::string_view StateChangeLogText() const = 0;

  bool Over() const { return progress_.Over(); }
  // 0 when the task finished, else its error code.
  int ResultCode() const { return progress_.Finished() ? 0 : progress_.ErrorCode(); }
  const TaskCaller& Caller() const { return caller_; }
  TaskMessages& Messages() { return messages_; }

 protected:
  TaskProgress progress_;
  TaskMessages messages_;

 private:
  TaskCaller caller_;
};

}  // namespace order_module
