// The functions that hosts bind by ordinal. None lets an exception out.
#include <algorithm>
#include <cstdint>
#include <string>

#include "error_text.h"
#include "middleware.h"
#include "platform/gbk.h"
#include "pool_exports.h"

namespace {

using halvost::CopyToBuffer;
using halvost::Middleware;

// Runs a call and hands its answer to the reply buffer and the hook.
int CallInto(int connection, const HalvostConnectRecord* record, int function, const char* request, char* reply,
             int replySize, platform::Event* preempt, int timeoutMs, HalvostReplyHook hook) noexcept {
  if (!request || !reply || replySize <= 0) return kHalvostBadArgument;
  reply[0] = '\0';
  try {
    std::string answer;
    const int result = Middleware::Instance().Call(connection, record, function, request, answer, preempt, timeoutMs);
    if (result != kHalvostOk) return result;
    if (!CopyToBuffer(answer, reply, replySize)) return kHalvostReplyTooLong;
    if (hook) Middleware::Instance().RunReplyHook(connection, hook, request, answer);
    return kHalvostOk;
  } catch (...) {
    return kHalvostTransport;
  }
}

const HalvostConnectRecord* RecordOf(HalvostParam a) { return reinterpret_cast<const HalvostConnectRecord*>(a); }

int TimeoutOf(HalvostParam f) { return f > 0 && f < INT32_MAX ? static_cast<int>(f) : 0; }

int FunctionOf(HalvostParam b) { return b >= INT32_MIN && b <= INT32_MAX ? static_cast<int>(b) : 0; }

}  // namespace

extern "C" {

int HalvostLoginCall(int connection, HalvostParam a, HalvostParam b, HalvostParam, HalvostParam, const char* request,
                     char* reply, int replySize, HalvostParam, HalvostParam f) {
  return CallInto(connection, RecordOf(a), FunctionOf(b), request, reply, replySize, nullptr, TimeoutOf(f), nullptr);
}

int HalvostClose(int connection) {
  try {
    return Middleware::Instance().Close(connection);
  } catch (...) {
    return kHalvostTransport;
  }
}

int HalvostCall(int connection, int function, const char* request, char* reply, int replySize, platform::Event* preempt,
                int timeoutMs) {
  return CallInto(connection, nullptr, function, request, reply, replySize, preempt, timeoutMs, nullptr);
}

int HalvostErrorText(int code, char* buffer, int size) {
  if (!buffer || size <= 0) return kHalvostBadArgument;
  try {
    const std::string text = halvost::ErrorText(code);
    const std::size_t length = platform::GbkFitLength(text, static_cast<std::size_t>(size) - 1);
    text.copy(buffer, length);
    buffer[length] = '\0';
    return kHalvostOk;
  } catch (...) {
    buffer[0] = '\0';
    return kHalvostBadArgument;
  }
}

int HalvostHookCall(int connection, int function, const char* request, char* reply, int replySize, HalvostParam,
                    HalvostParam f, HalvostReplyHook hook) {
  return CallInto(connection, nullptr, function, request, reply, replySize, nullptr, TimeoutOf(f), hook);
}

int HalvostLoginHookCall(int connection, HalvostParam a, HalvostParam b, HalvostParam, HalvostParam,
                         const char* request, char* reply, int replySize, HalvostParam, HalvostParam f,
                         HalvostReplyHook hook) {
  return CallInto(connection, RecordOf(a), FunctionOf(b), request, reply, replySize, nullptr, TimeoutOf(f), hook);
}

void* HalvostGetProcByOrdinal(int ordinal) {
  switch (ordinal) {
    case 6: return reinterpret_cast<void*>(&HalvostLoginCall);
    case 8: return reinterpret_cast<void*>(&HalvostClose);
    case 11: return reinterpret_cast<void*>(&HalvostCall);
    case 17: return reinterpret_cast<void*>(&HalvostErrorText);
    case 24: return reinterpret_cast<void*>(&HalvostHookCall);
    case 25: return reinterpret_cast<void*>(&HalvostLoginHookCall);
    default: return halvost::PoolProcByOrdinal(ordinal);
  }
}

}  // extern "C"
