// The functions of the communication middleware that the library calls,
// bound by ordinal. Tests give the library a table of their own.
#pragma once

#include <string>

#include "middleware/Halvost.h"

namespace connpool {

struct MiddlewareApi {
  HalvostInitializeFn initialize = nullptr;  // 1
  HalvostStartFn start = nullptr;            // 2
  HalvostStopFn stop = nullptr;              // 3
  HalvostCleanupFn cleanup = nullptr;        // 5
  HalvostLoginCallFn connect = nullptr;      // 6: connect and log in
  HalvostSendFn send = nullptr;              // 7: send without answer
  HalvostCloseFn close = nullptr;            // 8
  HalvostCallFn call = nullptr;              // 11: call with a pre-empt event
  HalvostErrorTextFn errorText = nullptr;    // 17
  HalvostLocalMacFn localMac = nullptr;      // 18
  HalvostLocalIpFn localIp = nullptr;        // 20
  HalvostTestServerFn testServer = nullptr;  // 22

  // The ordinal of the first function missing, or 0 when all are bound.
  int MissingOrdinal() const;
  // The middleware's text of an error code.
  std::string ErrorText(int code) const;
};

// The functions of Halvost, bound once per process.
const MiddlewareApi& HalvostApi();

// The size of the middleware's text buffers.
inline constexpr int kMiddlewareTextSize = 1024;

// The text a middleware function wrote into `buffer`, read within its size.
std::string TextIn(const char* buffer, std::size_t size);

}  // namespace connpool
