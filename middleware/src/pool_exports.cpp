// None lets an exception out.
#include "pool_exports.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>

#include "middleware.h"
#include "platform/local_address.h"
#include "socket_connect.h"

namespace halvost {
namespace {

// Where a server test is given no time-out of its own.
constexpr std::chrono::seconds kTestConnectTimeout{5};

// Start refuses to run before a start record has been taken.
std::atomic<bool> initialised{false};

// Writes `text` into a caller's buffer; the code of the outcome.
int Give(const std::string& text, char* buffer, int size) {
  if (!buffer || size <= 0) return kHalvostBadArgument;
  return CopyToBuffer(text, buffer, size) ? kHalvostOk : kHalvostReplyTooLong;
}

template <typename Body>
int Guarded(Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return kHalvostTransport;
  }
}

}  // namespace
}  // namespace halvost

extern "C" {

int HalvostInitialize(const HalvostStartRecord* record) {
  if (!record || record->size != sizeof(HalvostStartRecord)) return kHalvostBadArgument;
  return halvost::Guarded([&] {
    halvost::Middleware::Instance().Configure(*record);
    halvost::initialised = true;
    return kHalvostOk;
  });
}

int HalvostStart() {
  if (!halvost::initialised) return kHalvostNotInitialised;
  return halvost::Guarded([] {
    halvost::Middleware::Instance().Trace("通讯中间件服务已启动。");
    return kHalvostOk;
  });
}

int HalvostStop() {
  return halvost::Guarded([] {
    halvost::Middleware& middleware = halvost::Middleware::Instance();
    middleware.CloseAll();
    middleware.Trace("通讯中间件服务已停止。");
    return kHalvostOk;
  });
}

int HalvostCleanup() {
  return halvost::Guarded([] {
    halvost::Middleware::Instance().Configure(HalvostStartRecord{});
    halvost::initialised = false;
    return kHalvostOk;
  });
}

int HalvostSend(int connection, const char* request) {
  if (!request) return kHalvostBadArgument;
  return halvost::Guarded([&] { return halvost::Middleware::Instance().Send(connection, request); });
}

int HalvostLocalMac(char* buffer, int size) {
  return halvost::Guarded([&] { return halvost::Give(platform::FindLocalAddresses().machine, buffer, size); });
}

int HalvostLocalIp(char* buffer, int size) {
  return halvost::Guarded([&] { return halvost::Give(platform::FindLocalAddresses().ip, buffer, size); });
}

int HalvostTestServer(int, const HalvostConnectRecord* record, int timeoutMs) {
  if (!record) return kHalvostBadArgument;
  return halvost::Guarded([&] {
    const std::chrono::milliseconds timeout =
        timeoutMs > 0 ? std::chrono::milliseconds(timeoutMs) : halvost::kTestConnectTimeout;
    const int fd = halvost::ConnectToFirstServer(*record, timeout);
    if (fd < 0) return static_cast<int>(kHalvostServerUnreachable);
    ::close(fd);
    return static_cast<int>(kHalvostOk);
  });
}

}  // extern "C"

void* halvost::PoolProcByOrdinal(int ordinal) {
  switch (ordinal) {
    case 1: return reinterpret_cast<void*>(&HalvostInitialize);
    case 2: return reinterpret_cast<void*>(&HalvostStart);
    case 3: return reinterpret_cast<void*>(&HalvostStop);
    case 5: return reinterpret_cast<void*>(&HalvostCleanup);
    case 7: return reinterpret_cast<void*>(&HalvostSend);
    case 18: return reinterpret_cast<void*>(&HalvostLocalMac);
    case 20: return reinterpret_cast<void*>(&HalvostLocalIp);
    case 22: return reinterpret_cast<void*>(&HalvostTestServer);
    default: return nullptr;
  }
}
