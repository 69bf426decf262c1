// Request records: one record per exchange with the trading back end. A
// record names who asked (title, connection slot, priority, handler tag) and
// holds one or more sub-requests, each with the request text to send and,
// once answered, its answer lines. Pushed lines travel in the same record.
//
// Request text: "R|<machine address>|<sequence number>|<function number>|"
// followed by each parameter and "|". An answer's first line is its status
// line: field 4 "Y" (done) or "N" (refused); on "Y" field 5 counts the
// follow-up packets, on "N" field 5 is the error code and field 6 its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"

namespace platform {
class Event;
}

namespace backend {

// The one failure code for a missing answer and a failed transport.
inline constexpr int kReplyFailureCode = 99999;
// The handler tag of a record that carries a pushed line.
inline constexpr std::string_view kPushHandlerTag = "_ReceivePushData";
// Width of the title, the reserved text and the handler tag, terminator included.
inline constexpr std::size_t kRecordNameSize = 48;

struct SubRequest {
  std::int32_t sequenceNo = 0;
  std::int32_t functionNo = 0;
  // 1: the whole answer is one line; 0: its first line announces follow-ups.
  std::int32_t singlePacket = 0;
  std::string requestText;
  // Entry 0 is the first answer line; entries 1..k the follow-up packets.
  CxDataSet answer;
  std::uint8_t reserved[256] = {};
};

// Takes the follow-up rows of a record's multi-packet answers as they come
// in, in place of the answer list, which then holds the status line alone:
// on the slot's worker thread, in the order of the answer, with no lock of
// the transport held. A record whose rows go to a sink cannot take an answer
// again, so a pre-emption fails it as it fails a record of priority 0.
class AnswerRowSink {
 public:
  // The status line of sub-request `index` announced `rows` rows (1 or
  // more), which follow.
  virtual void ExpectRows(int index, std::size_t rows) = 0;
  // One row of the answer to sub-request `index`.
  virtual void TakeRow(int index, std::string_view row) = 0;

 protected:
  ~AnswerRowSink() = default;
};

// Lives in memory only and is handed between threads by pointer: the natural
// 64-bit layout, in the order of the fields it always had. It is allocated
// as an object (RequestPtr), so it carries neither its byte size nor a heap
// of its own; texts that can grow are strings.
struct RequestRecord {
  // The slot index (0..2) until the record is queued, then the slot's portal
  // connection number.
  std::int32_t connection = 0;
  std::int32_t priority = 0;  // 0 ordinary; 1 and 2 urgent; 2 pre-empts
  // Set under the slot's queue lock when a running send of the record was
  // pre-empted or its slot is closing.
  bool aborted = false;
  // The synchronous caller's event; null for an asynchronous record.
  platform::Event* waitEvent = nullptr;
  char title[kRecordNameSize] = {};
  char reservedText[kRecordNameSize] = {};
  char handlerTag[kRecordNameSize] = {};
  std::uint32_t reserved1 = 0;
  void* reserved2 = nullptr;
  std::uint32_t errorFlag = 0;  // 1 when the transport failed
  std::string errorText;
  std::int32_t count = 0;  // sub-requests
  std::int32_t done = 0;   // sub-requests answered; the next one to send
  std::unique_ptr<SubRequest[]> subRequests;
  // Where the rows of multi-packet answers go; null to keep them in the
  // answer lists. Owned by whoever set it, for as long as the record runs.
  AnswerRowSink* rowSink = nullptr;

  // Sub-request `index`, or null outside 0 .. count-1.
  SubRequest* At(int index);
  const SubRequest* At(int index) const;
  bool IsPush() const { return std::string_view(handlerTag) == kPushHandlerTag; }
};

static_assert(sizeof(SubRequest) == 312, "64-bit layout of a sub-request");
static_assert(sizeof(RequestRecord) == 248, "64-bit layout of a request record");

using RequestPtr = std::unique_ptr<RequestRecord>;

// A new record with `subRequestCount` empty sub-requests; the title and the
// handler tag are cut to 47 bytes on a character boundary. Null for a
// negative count or when memory runs out.
RequestPtr CreateRequest(std::string_view title, int slot, int priority, std::string_view handlerTag,
                         int subRequestCount);

// Frees the record and every answer it holds; false when there was none.
bool FreeRequest(RequestPtr& record);

// "R|address|sequence|function|" and each parameter text followed by "|",
// every 0x7C byte of a value written as 0x01. The parameters are the text
// entries of `parameters`, in entry order.
std::string FormatRequestText(std::string_view machineAddress, int sequenceNo, int functionNo,
                              const CxDataSet& parameters);

// Creates a record and writes sub-request 0. Null on failure with
// "<title>时，创建请求命令失败！" or "<title>时，增加请求命令失败！" in `message`.
RequestPtr BuildRequestCommand(std::string_view title, int subRequestCount, int slot, int priority,
                               std::string_view handlerTag, std::string_view machineAddress, int sequenceNo,
                               int functionNo, bool singlePacket, const CxDataSet& parameters, std::string& message);

// Stores a ready request text into sub-request `index`; false outside the count.
bool SetRequestCommand(int index, RequestRecord& record, std::string text, int sequenceNo, int functionNo,
                       bool singlePacket);

// Writes a single-packet cancel (function 5012) of the parameters into
// sub-request `index`; false outside the count.
bool AddCancelSubRequest(RequestRecord& record, const CxDataSet& parameters, std::string_view machineAddress,
                         int sequenceNo, int index);

// The status (field 4) of an answer's first line, in either case.
enum class AnswerStatus { kDone, kRefused, kInvalid };
AnswerStatus GetAnswerStatus(std::string_view statusLine);

// The outcome of sub-request `index`: 0 for an answer whose status is "Y"
// (any case), the back end's code with its text in `message` for an "N"
// answer (the format-error text when it carries no text), and
// kReplyFailureCode with a message for a missing record, a transport error,
// a missing answer, an "N" answer whose code is 0 or no number, and a status
// that is neither "Y" nor "N".
int CheckReplyResult(int index, std::string& message, const RequestRecord* record);

// The answer of sub-request `index` as rows of `fieldCount` trimmed texts
// taken from field `firstField` on (an absent field gives an empty text). A
// single-packet answer gives its status line's fields as text entries of
// `rows`; a multi-packet answer gives one nested row list per follow-up line.
// False when there is no such sub-request or a row cannot be stored.
bool SplitReplyRows(int index, const RequestRecord& record, int firstField, int fieldCount, CxDataSet& rows);

// Answer line `line` of a sub-request (up to its terminating zero); empty
// when there is no such line.
std::string_view AnswerLine(const SubRequest& subRequest, std::size_t line);

// A push item holding `lines` (the lines of one received block, in order)
// as the answer lines of its one sub-request, in a list that fits them.
// Null when there are no lines, a line is too long for a list entry, or
// memory runs out.
RequestPtr CreatePushItem(int connection, std::span<const std::string_view> lines);

// The lines of a push item (its first sub-request's answer lines): how many,
// and each; none for an item without a sub-request.
std::uint32_t PushLineCount(const RequestRecord& record);
std::string_view PushLineAt(const RequestRecord& record, std::uint32_t index);
// The push code (field 4) of a pushed line; nothing when it is no number.
std::optional<int> PushCodeOf(std::string_view line);

}  // namespace backend
