// RequestExecutor: runs one sub-call through the middleware. It sends the
// request text, reads the answer's status, fetches the further packets of a
// multi-packet answer, and after an accepted password change sends the
// log-in with the new password.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "connpool/call_transport.h"
#include "connpool/worker_pool.h"
#include "mac_address.h"
#include "middleware_api.h"

namespace connpool {

using TraceSink = std::function<void(TraceType type, std::string_view text)>;

// The size of the answer buffer given to the middleware: far beyond the
// longest answer a list packet can hold, so no answer that fits one is cut.
inline constexpr int kAnswerBufferSize = 64 * 1024;

class RequestExecutor final : public CallTransport {
 public:
  // `api`, `mac` and `trace` must outlive the executor.
  RequestExecutor(const MiddlewareApi& api, MacAddressCache& mac, TraceSink trace)
      : api_(api), mac_(mac), trace_(std::move(trace)) {}

  int Call(const SubCallRequest& request, platform::Event& preempt, PackedList& results,
           std::string& error) noexcept override;

 private:
  int Run(const SubCallRequest& request, platform::Event& preempt, PackedList& results, std::string& error);
  // Sends one request and waits for its answer: kCallDone with `answer`, or
  // a failure code with `error`.
  int Exchange(int connection, int function, const std::string& request, platform::Event& preempt, std::string& answer,
               std::string& error);
  int FetchFollowUps(const SubCallRequest& request, std::string_view mac, int count, platform::Event& preempt,
                     PackedList& results, std::string& error);
  void SendRelogin(int connection, std::string_view mac, const PackedBlock* changeArguments);
  void Trace(TraceType type, const std::string& text) const { trace_(type, text); }

  const MiddlewareApi& api_;
  MacAddressCache& mac_;
  const TraceSink trace_;
};

}  // namespace connpool
