#include "middleware_link.h"

#include <cstdio>

namespace gatelin {
namespace {

// Requests of the login rounds carry this function number on ordinal 24.
constexpr int kLoginFunction = 5001;
// The middleware's default answer time-out.
constexpr int kDefaultTimeout = -2;

template <typename Fn>
Fn Bind(int ordinal) {
  return reinterpret_cast<Fn>(HalvostGetProcByOrdinal(ordinal));
}

}  // namespace

MiddlewareLink::MiddlewareLink()
    : loginCall_(Bind<HalvostLoginCallFn>(6)),
      close_(Bind<HalvostCloseFn>(8)),
      call_(Bind<HalvostCallFn>(11)),
      errorText_(Bind<HalvostErrorTextFn>(17)),
      hookCall_(Bind<HalvostHookCallFn>(24)),
      loginHookCall_(Bind<HalvostLoginHookCallFn>(25)) {}

int MiddlewareLink::LoginCall(int connection, const HostParams& host, const std::string& request, char* reply,
                              int replySize) const {
  if (!loginCall_) return kHalvostNotInitialised;
  return loginCall_(connection, host.a, host.b, host.c, host.d, request.c_str(), reply, replySize, host.e, host.f);
}

int MiddlewareLink::HookCall(int connection, const HostParams& host, const std::string& request, char* reply,
                             int replySize, HalvostReplyHook hook) const {
  if (!hookCall_) return kHalvostNotInitialised;
  return hookCall_(connection, kLoginFunction, request.c_str(), reply, replySize, host.e, host.f, hook);
}

int MiddlewareLink::LoginHookCall(int connection, const HostParams& host, const std::string& request, char* reply,
                                  int replySize, HalvostReplyHook hook) const {
  if (!loginHookCall_) return kHalvostNotInitialised;
  return loginHookCall_(connection, host.a, host.b, host.c, host.d, request.c_str(), reply, replySize, host.e, host.f,
                        hook);
}

int MiddlewareLink::Call(int connection, int function, const std::string& request, char* reply, int replySize) const {
  if (!call_) return kHalvostNotInitialised;
  return call_(connection, function, request.c_str(), reply, replySize, nullptr, kDefaultTimeout);
}

void MiddlewareLink::ErrorText(int code, char* buffer, int size) const {
  if (errorText_) {
    errorText_(code, buffer, size);
  } else if (size > 0) {
    std::snprintf(buffer, static_cast<std::size_t>(size), "%d", code);
  }
}

void MiddlewareLink::Close(int connection) const {
  if (close_) close_(connection);
}

}  // namespace gatelin
