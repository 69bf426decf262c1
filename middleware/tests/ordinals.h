// The middleware's functions bound by ordinal, as its hosts bind them.
#pragma once

#include <chrono>

#include "middleware/Halvost.h"

namespace halvost_test {

inline constexpr auto kBound = std::chrono::seconds(10);  // no test waits longer than this

template <typename Fn>
Fn Ordinal(int ordinal) {
  return reinterpret_cast<Fn>(HalvostGetProcByOrdinal(ordinal));
}

inline const auto Initialize = Ordinal<HalvostInitializeFn>(1);
inline const auto Start = Ordinal<HalvostStartFn>(2);
inline const auto Stop = Ordinal<HalvostStopFn>(3);
inline const auto Cleanup = Ordinal<HalvostCleanupFn>(5);
inline const auto LoginCall = Ordinal<HalvostLoginCallFn>(6);
inline const auto Send = Ordinal<HalvostSendFn>(7);
inline const auto Close = Ordinal<HalvostCloseFn>(8);
inline const auto Call = Ordinal<HalvostCallFn>(11);
inline const auto ErrorText = Ordinal<HalvostErrorTextFn>(17);
inline const auto LocalMac = Ordinal<HalvostLocalMacFn>(18);
inline const auto LocalIp = Ordinal<HalvostLocalIpFn>(20);
inline const auto TestServerFn = Ordinal<HalvostTestServerFn>(22);
inline const auto HookCall = Ordinal<HalvostHookCallFn>(24);
inline const auto LoginHookCall = Ordinal<HalvostLoginHookCallFn>(25);

}  // namespace halvost_test
