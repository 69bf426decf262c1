#include "comm_slot.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <utility>

#include "backend/answer_bounds.h"
#include "backend/field_text.h"
#include "backend/program_log.h"
#include "follow_up_window.h"

namespace backend {
namespace {

constexpr const char* kConnectionLost = "通讯连接中断！";

void Log(int type, const std::string& text) { WriteLogLine(type, text.c_str()); }

// The follow-up packets an answer announces (field 5): none when the field
// is no count; bound + 1 for any count beyond `bound`, however large.
std::size_t PacketCount(std::string_view reply, std::size_t bound) {
  const std::string field = GetSeparatedFieldText(5, reply);
  const std::string_view digits = TrimBlanks(field);
  std::uint64_t count = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
  if (error == std::errc::result_out_of_range) return bound + 1;
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return 0;
  return count > bound ? bound + 1 : static_cast<std::size_t>(count);
}

// Adds one answer line; false, with the reason in `reply`, when it is too
// long to keep.
bool AddAnswerLine(CxDataSet& lines, std::string& reply) {
  if (lines.AddText(reply)) return true;
  reply = "应答数据长" + std::to_string(reply.size()) + "字节，超出可保存的长度！";
  return false;
}

}  // namespace

CommSlot::~CommSlot() {
  std::string ignored;
  if (IsConnected()) Close(ignored);
}

bool CommSlot::Open(OV_ConnectBlock& block, std::string_view loginText, FollowUpSettings followUps, std::string& answer,
                    std::string& message) {
  std::lock_guard life(lifecycle_);
  if (IsConnected()) {
    message = "连接号" + std::to_string(index_) + "已经建立连接！";
    return false;
  }
  if (!orvanet::SetText(block.loginText, loginText)) {
    message = loginText.size() >= sizeof block.loginText ? "登录请求超长！" : "登录请求含有空字符！";
    return false;
  }
  std::string reply;
  if (OV_Connect(&block, OV_AppendToString, &reply) != 1) {
    message = std::move(reply);
    return false;
  }
  WriteAnswerLine(ParseDecimal(GetSeparatedFieldText(4, loginText)).value_or(0), reply);
  answer = std::move(reply);
  const int connection = orvanet::GetI32(block.connection);
  {
    std::lock_guard lock(mutex_);
    abort_.Reset();
    work_.Reset();
    followUps_ = std::move(followUps);
    connection_ = connection;
  }
  worker_.Start([this, connection](platform::Event& stop) { Run(stop, connection); });
  return true;
}

bool CommSlot::Close(std::string& message) {
  std::lock_guard life(lifecycle_);
  int connection = -1;
  {
    std::lock_guard lock(mutex_);
    if (connection_ < 0) {
      message = "断开连接错误[连接号：" + std::to_string(connection_) + "]：断连状态时又进行了断连操作";
      Log(kLogConnectionError, message);
      return false;
    }
    connection = connection_;
    stopping_ = true;
    if (current_ != nullptr) current_->aborted = true;
    abort_.Set();
  }
  worker_.Stop();
  {
    std::lock_guard lock(mutex_);
    while (RequestRecord* record = queue_.PopFront()) Fail(*record, kConnectionLost);
  }
  OV_DisConnect(connection);
  std::lock_guard lock(mutex_);
  connection_ = -1;
  stopping_ = false;
  return true;
}

bool CommSlot::IsConnected() const {
  std::lock_guard lock(mutex_);
  return connection_ >= 0;
}

bool CommSlot::Queue(RequestRecord& record, platform::Event* done, std::string& message) {
  std::lock_guard lock(mutex_);
  if (connection_ < 0) {
    message = "执行操作[" + std::string(record.title) + "]时，还没有建立通讯连接！";
    return false;
  }
  if (stopping_ || OV_GetConnectionState(index_) != OV_STATE_CONNECTED) {
    message = kConnectionLost;
    return false;
  }
  if (record.priority == 2 && current_ != nullptr && current_->priority < 2) {
    current_->aborted = true;
    abort_.Set();
  }
  record.waitEvent = done;
  record.done = 0;
  record.aborted = false;
  record.connection = connection_;
  if (!queue_.Enqueue(&record)) {
    message = "执行操作[" + std::string(record.title) + "]时，请求队列无法增长！";
    return false;
  }
  work_.Set();
  return true;
}

void CommSlot::Run(platform::Event& stop, int connection) {
  // The stop event comes first: it wins over pending work.
  while (platform::WaitForAny({&stop, &work_}, platform::kWaitForever) == 1) {
    std::unique_lock lock(mutex_);
    // Reset before draining: a record queued meanwhile is either taken in
    // this pass or sets the event again.
    work_.Reset();
    while (!stopping_) {
      RequestRecord* record = queue_.PopFront();
      if (record == nullptr) break;
      current_ = record;
      Serve(*record, connection, lock);
    }
  }
}

void CommSlot::Serve(RequestRecord& record, int connection, std::unique_lock<std::mutex>& lock) {
  while (record.done < record.count) {
    std::string reply;
    if (!SendSubRequest(record, record.done, connection, reply, lock)) {
      OnSendFailed(record, reply);
      return;
    }
    ++record.done;
  }
  Finish(record);
}

bool CommSlot::SendSubRequest(RequestRecord& record, int index, int connection, std::string& reply,
                              std::unique_lock<std::mutex>& lock) {
  SubRequest& subRequest = record.subRequests[static_cast<std::size_t>(index)];
  if (!Exchange(record, connection, subRequest.functionNo, subRequest.requestText, reply, lock)) return false;
  WriteAnswerLine(subRequest.functionNo, reply);
  CxDataSet lines;
  if (!AddAnswerLine(lines, reply)) return false;
  if (subRequest.singlePacket == 0 && GetAnswerStatus(reply) == AnswerStatus::kDone) {
    const AnswerBound bound = AnswerBoundFor(subRequest.functionNo);
    const std::size_t packets = PacketCount(reply, bound.packets);
    if (packets > bound.packets) {
      reply = "功能号" + std::to_string(subRequest.functionNo) + "的应答宣称" + GetSeparatedFieldText(5, reply) +
              "个后续数据包，超过上限" + std::to_string(bound.packets) + "个，请求失败！";
      return false;
    }
    if (packets > 0 && !FetchFollowUps(record, index, connection, packets, lines, reply, lock)) return false;
  }
  subRequest.answer = std::move(lines);
  return true;
}

bool CommSlot::FetchFollowUps(RequestRecord& record, int index, int connection, std::size_t packets, CxDataSet& lines,
                              std::string& reply, std::unique_lock<std::mutex>& lock) {
  const SubRequest& subRequest = record.subRequests[static_cast<std::size_t>(index)];
  const AnswerBound bound = AnswerBoundFor(subRequest.functionNo);
  // The rest of the answer comes one packet per follow-up request.
  std::string followUp;
  for (const std::string& field :
       {std::string("R"), followUps_.tag, std::to_string(subRequest.sequenceNo), std::string("0")}) {
    AppendSeparatedField(followUp, field);
  }
  FollowUpWindow window(connection, abort_, std::move(followUp), packets, followUps_.window);
  std::size_t bytes = reply.size();  // the status line's
  return CallPortal(record, lock, [&] {
    if (record.rowSink != nullptr) record.rowSink->ExpectRows(index, packets);
    for (std::size_t row = 0; row < packets; ++row) {
      if (!window.Next(reply)) return false;
      WriteAnswerLine(kFollowUpFunction, reply);
      bytes += reply.size();
      if (bytes > bound.bytes) {
        reply = "功能号" + std::to_string(subRequest.functionNo) + "的应答超过上限" + std::to_string(bound.bytes) +
                "字节，请求失败！";
        return false;
      }
      if (record.rowSink != nullptr)
        record.rowSink->TakeRow(index, reply);
      else if (!AddAnswerLine(lines, reply))
        return false;
    }
    return true;
  });
}

bool CommSlot::Exchange(const RequestRecord& record, int connection, int function, const std::string& text,
                        std::string& reply, std::unique_lock<std::mutex>& lock) {
  reply.clear();
  if (text.size() > INT_MAX) {
    reply = "请求长" + std::to_string(text.size()) + "字节，超出可发送的长度！";
    return false;
  }
  return CallPortal(record, lock, [&] {
    return OV_SendAndRecv(connection, function, &abort_, text.data(), static_cast<int>(text.size()), OV_AppendToString,
                          &reply) == 1;
  });
}

template <typename Calls>
bool CommSlot::CallPortal(const RequestRecord& record, std::unique_lock<std::mutex>& lock, Calls calls) {
  if (stopping_ || record.aborted) return false;
  // Reset under the lock, where it is set: an abort from now on holds until
  // the calls end.
  abort_.Reset();
  lock.unlock();
  const bool done = calls();
  lock.lock();
  return done;
}

void CommSlot::OnSendFailed(RequestRecord& record, const std::string& reply) {
  if (stopping_) {
    Fail(record, kConnectionLost);
    return;
  }
  const std::string& text = record.subRequests[static_cast<std::size_t>(record.done)].requestText;
  // A record whose rows went to its sink cannot take its answer again.
  if (record.aborted && record.priority >= 1 && record.rowSink == nullptr) {
    Log(kLogNote, "优先级大于零的通讯操作被重排：" + MaskPasswordFields(text) + "。");
    record.aborted = false;
    current_ = nullptr;
    // It resumes at the sub-request it was on, after the records that
    // pre-empted it.
    if (!queue_.Enqueue(&record)) Fail(record, "执行操作[" + std::string(record.title) + "]时，请求队列无法增长！");
    return;
  }
  if (record.aborted) {
    // The text reaches the log, output lines and message boxes: never with
    // its password.
    const std::string cancelled = "优先级等于零的通讯操作被取消：" + MaskPasswordFields(text) + "。";
    Log(kLogNote, cancelled);
    Fail(record, cancelled);
    return;
  }
  Log(kLogTransportError, reply);
  Fail(record, reply);
}

void CommSlot::Fail(RequestRecord& record, std::string text) {
  record.errorFlag = 1;
  record.errorText = std::move(text);
  Finish(record);
}

void CommSlot::Finish(RequestRecord& record) {
  // Cleared before the record is handed back: its owner may free it at once.
  if (current_ == &record) current_ = nullptr;
  if (record.waitEvent != nullptr) {
    record.waitEvent->Set();
  } else if (!PostToResultQueue(RequestPtr(&record))) {
    Log(kLogConnectionError, "通讯结果队列无法增长，丢弃了一个已完成的请求。");
  }
}

}  // namespace backend
