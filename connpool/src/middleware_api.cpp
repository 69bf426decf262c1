#include "middleware_api.h"

#include <cstring>

namespace connpool {
namespace {

template <typename Fn>
Fn Bind(int ordinal) {
  return reinterpret_cast<Fn>(HalvostGetProcByOrdinal(ordinal));
}

MiddlewareApi BindHalvost() {
  MiddlewareApi api;
  api.initialize = Bind<HalvostInitializeFn>(1);
  api.start = Bind<HalvostStartFn>(2);
  api.stop = Bind<HalvostStopFn>(3);
  api.cleanup = Bind<HalvostCleanupFn>(5);
  api.connect = Bind<HalvostLoginCallFn>(6);
  api.send = Bind<HalvostSendFn>(7);
  api.close = Bind<HalvostCloseFn>(8);
  api.call = Bind<HalvostCallFn>(11);
  api.errorText = Bind<HalvostErrorTextFn>(17);
  api.localMac = Bind<HalvostLocalMacFn>(18);
  api.localIp = Bind<HalvostLocalIpFn>(20);
  api.testServer = Bind<HalvostTestServerFn>(22);
  return api;
}

}  // namespace

int MiddlewareApi::MissingOrdinal() const {
  if (initialize == nullptr) return 1;
  if (start == nullptr) return 2;
  if (stop == nullptr) return 3;
  if (cleanup == nullptr) return 5;
  if (connect == nullptr) return 6;
  if (send == nullptr) return 7;
  if (close == nullptr) return 8;
  if (call == nullptr) return 11;
  if (errorText == nullptr) return 17;
  if (localMac == nullptr) return 18;
  if (localIp == nullptr) return 20;
  if (testServer == nullptr) return 22;
  return 0;
}

std::string MiddlewareApi::ErrorText(int code) const {
  char buffer[kMiddlewareTextSize] = {};
  if (errorText == nullptr || errorText(code, buffer, sizeof buffer) != 0)
    return "通讯中间件错误（" + std::to_string(code) + "）";
  return TextIn(buffer, sizeof buffer);
}

const MiddlewareApi& HalvostApi() {
  static const MiddlewareApi api = BindHalvost();
  return api;
}

std::string TextIn(const char* buffer, std::size_t size) { return std::string(buffer, ::strnlen(buffer, size)); }

}  // namespace connpool
