// The exported C functions: argument checks, texts handed to the caller's
// sinks, and no exception let out of the library.
#include "portal/Orvanet.h"

#include <chrono>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/format.h"
#include "platform/local_address.h"
#include "portal.h"

namespace {

using portal::Portal;

void Give(OV_TextSink sink, void* context, const std::string& text) {
  if (sink != nullptr) sink(context, text.data(), static_cast<int>(text.size()));
}

// Runs `body`; an exception (out of memory, no thread to start) becomes a
// failure with its reason given to the sink.
template <typename Body>
int Guarded(OV_TextSink sink, void* context, Body body) {
  try {
    return body() ? 1 : 0;
  } catch (const std::exception& error) {
    try {
      Give(sink, context, platform::Format("通讯库内部错误：%s", error.what()));
    } catch (...) {
    }
  } catch (...) {
  }
  return 0;
}

constexpr const char* kInvalidRequestText = "请求内容无效！";

// The request text a caller handed over; nothing when pointer and length
// do not make one.
std::optional<std::string_view> RequestText(const char* request, int length) {
  if (length < 0 || (request == nullptr && length > 0)) return std::nullopt;
  return std::string_view(request, static_cast<std::size_t>(length));
}

// Copies `text` with its zero into the caller's buffer; false when it does not fit.
bool CopyOut(const std::string& text, char* buffer, int bufferSize) {
  if (buffer == nullptr || bufferSize <= 0 || text.size() >= static_cast<std::size_t>(bufferSize)) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

extern "C" {

int OV_Start(const char* applicationTag, const char* versionText, int reconnectAttempts, int answerTimeoutMs,
             int connectTimeoutSeconds, int retryPauseSeconds, int /*reserved1*/, int /*reserved2*/,
             OV_ConnectionStateCallback onState, OV_PushDataCallback onPush, OV_LogCallback onLog,
             OV_NextServerCallback onNextServer, OV_TextSink message, void* messageContext) {
  return Guarded(message, messageContext, [&] {
    using std::chrono::milliseconds;
    using std::chrono::seconds;
    // The shortest pause keeps a refused server from being hammered.
    const milliseconds shortestPause{100};
    portal::Settings settings;
    settings.reconnectAttempts = reconnectAttempts;
    settings.answerTimeout = milliseconds{answerTimeoutMs};
    settings.connectTimeout = seconds{connectTimeoutSeconds};
    settings.retryPause = retryPauseSeconds == 0 ? shortestPause : milliseconds{seconds{retryPauseSeconds}};
    settings.onState = onState;
    settings.onPush = onPush;
    settings.onLog = onLog;
    settings.onNextServer = onNextServer;
    std::string text;
    if (!Portal::Instance().Start(settings, text)) {
      Give(message, messageContext, text);
      return false;
    }
    settings.Log(portal::kLogNote, platform::Format("通讯库已启动：%s %s", applicationTag ? applicationTag : "",
                                                    versionText ? versionText : ""));
    return true;
  });
}

int OV_Stop(void) {
  return Guarded(nullptr, nullptr, [] { return Portal::Instance().Stop(); });
}

int OV_Connect(OV_ConnectBlock* block, OV_TextSink reply, void* replyContext) {
  return Guarded(reply, replyContext, [&] {
    std::string text = "连接参数为空！";
    const bool connected = block != nullptr && Portal::Instance().Connect(*block, text);
    Give(reply, replyContext, text);
    return connected;
  });
}

int OV_DisConnect(int connection) {
  return Guarded(nullptr, nullptr, [&] { return Portal::Instance().Disconnect(connection); });
}

int OV_GetConnectionState(int connection) {
  try {
    return Portal::Instance().State(connection);
  } catch (...) {
    return OV_STATE_DISCONNECTED;
  }
}

int OV_SendAndRecv(int connection, int function, platform::Event* abortEvent, const char* request, int requestLength,
                   OV_TextSink reply, void* replyContext) {
  return Guarded(reply, replyContext, [&] {
    std::string text = kInvalidRequestText;
    const std::optional<std::string_view> requestText = RequestText(request, requestLength);
    const bool answered = requestText && Portal::Instance().Send(connection, function, abortEvent, *requestText, text);
    Give(reply, replyContext, text);
    return answered;
  });
}

int OV_SendOnly(int connection, int function, platform::Event* abortEvent, const char* request, int requestLength,
                OV_TextSink reply, void* replyContext) {
  int sequence = 0;
  Guarded(reply, replyContext, [&] {
    std::string text = kInvalidRequestText;
    const std::optional<std::string_view> requestText = RequestText(request, requestLength);
    std::optional<std::uint32_t> sent;
    if (requestText) sent = Portal::Instance().SendOnly(connection, function, abortEvent, *requestText, text);
    if (!sent) {
      Give(reply, replyContext, text);
      return false;
    }
    sequence = static_cast<int>(*sent);
    return true;
  });
  return sequence;
}

int OV_SendOnlyMany(int connection, int function, platform::Event* abortEvent, const char* const* requests,
                    const int* requestLengths, int count, int* sequences, OV_TextSink reply, void* replyContext) {
  return Guarded(reply, replyContext, [&] {
    std::string text = kInvalidRequestText;
    std::vector<std::string_view> texts;
    for (int i = 0; requests != nullptr && requestLengths != nullptr && i < count; ++i) {
      const std::optional<std::string_view> request = RequestText(requests[i], requestLengths[i]);
      if (!request) break;
      texts.push_back(*request);
    }
    std::vector<std::uint32_t> sent;
    const bool ok = count > 0 && sequences != nullptr && texts.size() == static_cast<std::size_t>(count) &&
                    Portal::Instance().SendOnlyMany(connection, function, abortEvent, texts, sent, text);
    if (!ok) {
      Give(reply, replyContext, text);
      return false;
    }
    for (std::size_t i = 0; i < sent.size(); ++i) sequences[i] = static_cast<int>(sent[i]);
    return true;
  });
}

int OV_RecvAnswer(int connection, int sequence, platform::Event* abortEvent, OV_TextSink reply, void* replyContext) {
  return Guarded(reply, replyContext, [&] {
    std::string text = platform::Format("请求序号%d无效！", sequence);
    const bool answered =
        sequence > 0 && Portal::Instance().Receive(connection, static_cast<std::uint32_t>(sequence), abortEvent, text);
    Give(reply, replyContext, text);
    return answered;
  });
}

int OV_Abandon(int connection, int sequence) {
  return Guarded(nullptr, nullptr, [&] {
    return sequence > 0 && Portal::Instance().Abandon(connection, static_cast<std::uint32_t>(sequence));
  });
}

int OV_GetLocalMachineAddr(char* buffer, int bufferSize) {
  return Guarded(nullptr, nullptr, [&] { return CopyOut(platform::FindLocalAddresses().machine, buffer, bufferSize); });
}

int OV_GetLocalIpAddr(char* buffer, int bufferSize) {
  return Guarded(nullptr, nullptr, [&] { return CopyOut(platform::FindLocalAddresses().ip, buffer, bufferSize); });
}

}  // extern "C"
