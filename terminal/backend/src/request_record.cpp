#include "backend/request_record.h"

#include <cstring>
#include <new>
#include <utility>

#include "backend/data_set_block.h"
#include "backend/field_text.h"
#include "platform/gbk.h"
#include "protocol/function_numbers.h"

namespace backend {
namespace {

constexpr int kStatusField = 4;
constexpr int kCodeField = 5;
constexpr int kErrorTextField = 6;

template <std::size_t N>
void CopyName(std::string_view text, char (&field)[N]) {
  const std::size_t length = platform::GbkFitLength(text, N - 1);
  // An empty view may have no data at all, which memcpy must not be given.
  if (length > 0) std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

// The text of a list entry: its bytes up to the first zero byte.
std::string_view EntryText(std::span<const std::uint8_t> value) {
  if (value.empty()) return {};
  const char* text = reinterpret_cast<const char*>(value.data());
  return {text, strnlen(text, value.size())};
}

// The fields firstField .. firstField + fieldCount - 1 of `line`, trimmed,
// as text entries of `list`.
bool AddTrimmedFields(std::string_view line, int firstField, int fieldCount, CxDataSet& list) {
  for (int field = firstField; field < firstField + fieldCount; ++field) {
    if (!list.AddText(TrimBlanks(GetSeparatedFieldText(field, line)))) return false;
  }
  return true;
}

}  // namespace

SubRequest* RequestRecord::At(int index) {
  return index >= 0 && index < count ? &subRequests[static_cast<std::size_t>(index)] : nullptr;
}

const SubRequest* RequestRecord::At(int index) const {
  return index >= 0 && index < count ? &subRequests[static_cast<std::size_t>(index)] : nullptr;
}

RequestPtr CreateRequest(std::string_view title, int slot, int priority, std::string_view handlerTag,
                         int subRequestCount) {
  if (subRequestCount < 0) return nullptr;
  RequestPtr record(new (std::nothrow) RequestRecord);
  if (!record) return nullptr;
  record->subRequests.reset(new (std::nothrow) SubRequest[static_cast<std::size_t>(subRequestCount)]);
  if (!record->subRequests) return nullptr;
  record->connection = slot;
  record->priority = priority;
  record->count = subRequestCount;
  CopyName(title, record->title);
  CopyName(handlerTag, record->handlerTag);
  return record;
}

bool FreeRequest(RequestPtr& record) {
  const bool held = record != nullptr;
  record.reset();
  return held;
}

std::string FormatRequestText(std::string_view machineAddress, int sequenceNo, int functionNo,
                              const CxDataSet& parameters) {
  std::string text;
  AppendSeparatedField(text, "R");
  AppendSeparatedField(text, machineAddress);
  AppendSeparatedField(text, std::to_string(sequenceNo));
  AppendSeparatedField(text, std::to_string(functionNo));
  for (std::uint32_t index = 0; index < parameters.GetCount(); ++index) {
    AppendSeparatedField(text, EntryText(parameters.GetValue(index)));
  }
  return text;
}

RequestPtr BuildRequestCommand(std::string_view title, int subRequestCount, int slot, int priority,
                               std::string_view handlerTag, std::string_view machineAddress, int sequenceNo,
                               int functionNo, bool singlePacket, const CxDataSet& parameters, std::string& message) {
  RequestPtr record = CreateRequest(title, slot, priority, handlerTag, subRequestCount);
  if (!record) {
    message = std::string(title) + "时，创建请求命令失败！";
    return nullptr;
  }
  if (!SetRequestCommand(0, *record, FormatRequestText(machineAddress, sequenceNo, functionNo, parameters), sequenceNo,
                         functionNo, singlePacket)) {
    message = std::string(title) + "时，增加请求命令失败！";
    return nullptr;
  }
  return record;
}

bool SetRequestCommand(int index, RequestRecord& record, std::string text, int sequenceNo, int functionNo,
                       bool singlePacket) {
  SubRequest* subRequest = record.At(index);
  if (subRequest == nullptr) return false;
  subRequest->sequenceNo = sequenceNo;
  subRequest->functionNo = functionNo;
  subRequest->singlePacket = singlePacket ? 1 : 0;
  subRequest->requestText = std::move(text);
  return true;
}

bool AddCancelSubRequest(RequestRecord& record, const CxDataSet& parameters, std::string_view machineAddress,
                         int sequenceNo, int index) {
  const int function = protocol::function_no::kCancelOrder;
  return SetRequestCommand(index, record, FormatRequestText(machineAddress, sequenceNo, function, parameters),
                           sequenceNo, function, true);
}

AnswerStatus GetAnswerStatus(std::string_view statusLine) {
  const std::string status = GetSeparatedFieldText(kStatusField, statusLine);
  if (status == "Y" || status == "y") return AnswerStatus::kDone;
  if (status == "N" || status == "n") return AnswerStatus::kRefused;
  return AnswerStatus::kInvalid;
}

int CheckReplyResult(int index, std::string& message, const RequestRecord* record) {
  if (record == nullptr) {
    message = "IO数据包没有创建！";
    return kReplyFailureCode;
  }
  if (record->errorFlag != 0) {
    message = record->errorText;
    return kReplyFailureCode;
  }
  const SubRequest* subRequest = record->At(index);
  if (subRequest == nullptr || subRequest->answer.GetCount() == 0) {
    message = "IO返回数据为空！";
    return kReplyFailureCode;
  }
  const std::string_view status = AnswerLine(*subRequest, 0);
  switch (GetAnswerStatus(status)) {
    case AnswerStatus::kDone: return 0;
    case AnswerStatus::kInvalid:
      // Neither done nor refused: a broken answer must not pass for success.
      message = "IO返回数据格式错误：" + std::string(status);
      return kReplyFailureCode;
    case AnswerStatus::kRefused: break;
  }
  message = GetSeparatedFieldText(kErrorTextField, status);
  // A refusal cut before its text must still tell the user something.
  if (TrimBlanks(message).empty()) message = "IO返回数据格式错误：" + std::string(status);
  const std::optional<int> code = ParseDecimal(GetSeparatedFieldText(kCodeField, status));
  // A refusal always fails, also when its code reads as 0 or as no number.
  return code && *code != 0 ? *code : kReplyFailureCode;
}

bool SplitReplyRows(int index, const RequestRecord& record, int firstField, int fieldCount, CxDataSet& rows) {
  const SubRequest* subRequest = record.At(index);
  if (subRequest == nullptr) return false;
  if (subRequest->singlePacket != 0) {
    return AddTrimmedFields(AnswerLine(*subRequest, 0), firstField, fieldCount, rows);
  }
  for (std::size_t line = 1; line < subRequest->answer.GetCount(); ++line) {
    CxDataSet row;
    if (!AddTrimmedFields(AnswerLine(*subRequest, line), firstField, fieldCount, row)) return false;
    const std::span<const std::uint8_t> block = row.View().Bytes();
    if (!rows.AddEntry(nullptr, block.data(), block.size(), data_set_block::kRawType)) return false;
  }
  return true;
}

RequestPtr CreatePushItem(int connection, std::span<const std::string_view> lines) {
  RequestPtr record = CreateRequest("", connection, 0, kPushHandlerTag, 1);
  if (!record || !record->subRequests[0].answer.StartWithTexts(lines)) return nullptr;
  return record;
}

std::uint32_t PushLineCount(const RequestRecord& record) {
  const SubRequest* first = record.At(0);
  return first == nullptr ? 0 : first->answer.GetCount();
}

std::string_view PushLineAt(const RequestRecord& record, std::uint32_t index) {
  const SubRequest* first = record.At(0);
  return first == nullptr ? std::string_view() : AnswerLine(*first, index);
}

std::optional<int> PushCodeOf(std::string_view line) {
  // Read in place: a quote line has some sixty fields, and every line is asked.
  const std::ptrdiff_t before = FindNthSeparator(line, kFieldSeparator, kStatusField - 1);
  if (before < 0) return std::nullopt;
  const std::string_view rest = line.substr(static_cast<std::size_t>(before) + 1);
  const std::size_t end = rest.find(kFieldSeparator);
  if (end == std::string_view::npos) return std::nullopt;
  return ParseDecimal(rest.substr(0, end));
}

std::string_view AnswerLine(const SubRequest& subRequest, std::size_t line) {
  const std::span<const std::uint8_t> value = subRequest.answer.GetValue(line);
  if (value.data() == nullptr) return {};
  return EntryText(value);
}

}  // namespace backend
