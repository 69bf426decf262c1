// The middleware functions the engine calls, bound by ordinal when the
// library loads. A function the middleware lacks fails its calls with
// kHalvostNotInitialised.
#pragma once

#include <string>

#include "middleware/Halvost.h"

namespace gatelin {

struct HostParams {
  HalvostParam a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
};

class MiddlewareLink {
 public:
  MiddlewareLink();

  // Ordinal 6.
  int LoginCall(int connection, const HostParams& host, const std::string& request, char* reply, int replySize) const;
  // Ordinal 24 with function 5001.
  int HookCall(int connection, const HostParams& host, const std::string& request, char* reply, int replySize,
               HalvostReplyHook hook) const;
  // Ordinal 25.
  int LoginHookCall(int connection, const HostParams& host, const std::string& request, char* reply, int replySize,
                    HalvostReplyHook hook) const;
  // Ordinal 11, without pre-empt event and with the default time-out.
  int Call(int connection, int function, const std::string& request, char* reply, int replySize) const;
  // Ordinal 17.
  void ErrorText(int code, char* buffer, int size) const;
  // Ordinal 8.
  void Close(int connection) const;

 private:
  HalvostLoginCallFn loginCall_;
  HalvostCloseFn close_;
  HalvostCallFn call_;
  HalvostErrorTextFn errorText_;
  HalvostHookCallFn hookCall_;
  HalvostLoginHookCallFn loginHookCall_;
};

}  // namespace gatelin
