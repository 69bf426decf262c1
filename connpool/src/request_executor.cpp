#include "request_executor.h"

#include <cctype>
#include <charconv>

#include "answer_text.h"
#include "platform/format.h"
#include "request_text.h"
#include "text.h"

namespace connpool {
namespace {

// Their first answer carries a packet of its own before the further ones.
constexpr int kHeadedFunctions[] = {5451, 3001};

constexpr std::string_view kPacketTooLargeText = "应答数据包过大，无法保存！";

// Answer field positions.
constexpr int kCountField = 5;
constexpr int kSinglePacketRows = 5;
constexpr int kHeadRows = 6;
constexpr int kFollowUpRows = 4;

bool IsHeaded(int function) {
  for (int headed : kHeadedFunctions) {
    if (function == headed) return true;
  }
  return false;
}

// The packet count as the back end writes it; -1 when the field is no
// count (a negative number or garbage after leading digits is not one).
int PacketCount(std::string_view field) {
  while (!field.empty() && std::isspace(static_cast<unsigned char>(field.front()))) field.remove_prefix(1);
  if (field.empty()) return 0;
  int count = -1;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), count);
  if (error != std::errc() || end != field.data() + field.size() || count < 0) return -1;
  return count;
}

// Appends the closed fields from field n on as one packet, when there are any.
int AppendPacket(std::string_view answer, int n, PackedList& results, std::string& error) {
  PackedList packet;
  if (AppendFields(answer, n, packet) && (packet.Count() == 0 || results.AppendListAsValue(packet))) return kCallDone;
  error = kPacketTooLargeText;
  return kCallFailed;
}

}  // namespace

int RequestExecutor::Call(const SubCallRequest& request, platform::Event& preempt, PackedList& results,
                          std::string& error) noexcept {
  try {
    return Run(request, preempt, results, error);
  } catch (...) {
    // Out of memory while building a text: nothing was sent, or the answer
    // cannot be kept.
    error = "通讯发生异常错误！";
    return kCallException;
  }
}

int RequestExecutor::Run(const SubCallRequest& request, platform::Event& preempt, PackedList& results,
                         std::string& error) {
  const std::string mac = mac_.Get();
  std::string answer;
  const std::string text = RequestText(mac, request.requestNumber, request.functionNumber, request.arguments);
  if (const int code = Exchange(request.connection, request.functionNumber, text, preempt, answer, error);
      code != kCallDone)
    return code;

  if (!IsAccepted(AnswerField(answer, kStatusField))) {
    error = AnswerField(answer, kMessageField);
    return kAnswerRefused;
  }
  // The log-in with the new password makes sense only once the change took.
  if (request.functionNumber == kPasswordChangeFunction) SendRelogin(request.connection, mac, request.arguments);
  if (request.singlePacket) return AppendPacket(answer, kSinglePacketRows, results, error);

  const std::string countField = AnswerField(answer, kCountField);
  const int count = PacketCount(countField);
  if (count < 0) {
    error = platform::Format("应答的数据包个数（%s）非法！", countField.c_str());
    return kCallFailed;
  }
  if (count == 0) return kNoResultData;
  if (IsHeaded(request.functionNumber)) {
    if (const int code = AppendPacket(answer, kHeadRows, results, error); code != kCallDone) return code;
  }
  return FetchFollowUps(request, mac, count, preempt, results, error);
}

int RequestExecutor::FetchFollowUps(const SubCallRequest& request, std::string_view mac, int count,
                                    platform::Event& preempt, PackedList& results, std::string& error) {
  const std::string text = FollowUpText(mac, request.requestNumber);
  std::string answer;
  for (int packet = 0; packet < count; ++packet) {
    int code = Exchange(request.connection, 0, text, preempt, answer, error);
    if (code == kCallDone) code = AppendPacket(answer, kFollowUpRows, results, error);
    if (code != kCallDone) return code;
  }
  return kCallDone;
}

int RequestExecutor::Exchange(int connection, int function, const std::string& request, platform::Event& preempt,
                              std::string& answer, std::string& error) {
  Trace(TraceType::kCommunication, platform::Format("请求(CID=%d)：%s", connection, request.c_str()));
  std::string reply(kAnswerBufferSize, '\0');
  int code;
  try {
    code = api_.call(connection, function, request.c_str(), reply.data(), kAnswerBufferSize, &preempt, -2);
  } catch (...) {
    error = TextIn(reply.data(), reply.size());
    Trace(TraceType::kError, platform::Format("错误(CID=%d)：通讯发生异常错误！", connection));
    return kCallException;
  }
  if (code != kHalvostOk) {
    error = api_.ErrorText(code);
    Trace(TraceType::kError, platform::Format("错误(CID=%d)：%s", connection, error.c_str()));
    return code == kHalvostPreempted ? kCallInterrupted : kCallFailed;
  }
  answer = TextIn(reply.data(), reply.size());
  Trace(TraceType::kCommunication, platform::Format("返回(CID=%d)：%s", connection, answer.c_str()));
  return kCallDone;
}

void RequestExecutor::SendRelogin(int connection, std::string_view mac, const PackedBlock* changeArguments) {
  const int code = api_.send(connection, ReloginText(mac, changeArguments).c_str());
  if (code != kHalvostOk)
    Trace(TraceType::kError, platform::Format("错误(CID=%d)：%s", connection, api_.ErrorText(code).c_str()));
}

}  // namespace connpool
