// One connection slot: a portal connection, the queue of requests waiting
// for it and the worker thread that sends them one by one. The rows of a
// multi-packet answer come through a window of follow-up requests in flight.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "backend/request_queue.h"
#include "backend/request_record.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "portal/Orvanet.h"

namespace backend {

// How a slot asks for the rows of a multi-packet answer.
struct FollowUpSettings {
  std::string tag;         // names this terminal in follow-up requests
  std::size_t window = 1;  // follow-up requests in flight at a time
};

class CommSlot {
 public:
  explicit CommSlot(int index) : index_(index) {}
  ~CommSlot();
  CommSlot(const CommSlot&) = delete;
  CommSlot& operator=(const CommSlot&) = delete;

  // Connects with the block (its login text set from `loginText`) and
  // starts the worker.
  bool Open(OV_ConnectBlock& block, std::string_view loginText, FollowUpSettings followUps, std::string& answer,
            std::string& message);
  // Finishes every queued and running request with a transport error, stops
  // and joins the worker, and closes the portal connection.
  bool Close(std::string& message);

  bool IsConnected() const;

  // Queues the record; a priority-2 record pre-empts a running one of lower
  // priority. `done` is set when the record is finished; without it the
  // finished record goes to the result queue.
  bool Queue(RequestRecord& record, platform::Event* done, std::string& message);

 private:
  void Run(platform::Event& stop, int connection);
  // Sends the record's sub-requests from the one it is on; finishes the
  // record, or queues it again when it was pre-empted.
  void Serve(RequestRecord& record, int connection, std::unique_lock<std::mutex>& lock);
  bool SendSubRequest(RequestRecord& record, int index, int connection, std::string& reply,
                      std::unique_lock<std::mutex>& lock);
  // Fetches the `packets` rows that the status line in `reply` (and in
  // `lines`) announced into `lines`, or into the record's row sink.
  bool FetchFollowUps(RequestRecord& record, int index, int connection, std::size_t packets, CxDataSet& lines,
                      std::string& reply, std::unique_lock<std::mutex>& lock);
  bool Exchange(const RequestRecord& record, int connection, int function, const std::string& text, std::string& reply,
                std::unique_lock<std::mutex>& lock);
  // Runs the portal calls of `calls` with the queue lock left, unless the
  // record was aborted or the slot closes: an abort that came between two
  // of them holds for the next.
  template <typename Calls>
  bool CallPortal(const RequestRecord& record, std::unique_lock<std::mutex>& lock, Calls calls);
  void OnSendFailed(RequestRecord& record, const std::string& reply);
  void Finish(RequestRecord& record);
  void Fail(RequestRecord& record, std::string text);

  const int index_;
  std::mutex lifecycle_;  // one open or close at a time

  mutable std::mutex mutex_;  // the queue lock: guards everything below
  RequestQueue queue_;
  RequestRecord* current_ = nullptr;
  int connection_ = -1;    // the portal connection number; -1 while free
  bool stopping_ = false;  // set while the slot closes
  FollowUpSettings followUps_;

  // Set under the queue lock; makes the running portal call give up.
  platform::Event abort_{platform::ResetMode::kManual};
  platform::Event work_{platform::ResetMode::kManual};
  platform::WorkerThread worker_;
};

}  // namespace backend
