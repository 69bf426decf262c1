// CallTransport: what a worker needs to run one sub-call on its connection.
// The library's binding to the communication middleware implements it; tests
// use a fake. One transport serves every worker, so Call must be safe to run
// on several threads at once.
#pragma once

#include <string>

#include "connpool/packed_list.h"

namespace platform {
class Event;
}

namespace connpool {

// Result codes of a sub-call.
inline constexpr int kCallDone = 0;
inline constexpr int kNoResultData = -1;     // the answer said "Y" with no packets
inline constexpr int kAnswerRefused = -2;    // the answer said something other than "Y"
inline constexpr int kCallInterrupted = -3;  // the middleware call was cut short, e.g. pre-empted
inline constexpr int kCallFailed = -4;       // the middleware call failed otherwise
inline constexpr int kCallException = -5;    // the call raised an exception

struct SubCallRequest {
  int connection = 0;
  int requestNumber = 0;
  int functionNumber = 0;
  bool singlePacket = false;
  const PackedBlock* arguments = nullptr;  // may be null: no arguments
};

class CallTransport {
 public:
  virtual ~CallTransport() = default;

  // Runs one sub-call and returns its result code. On kCallDone `results`
  // holds the answer packets (one binary entry per packet list); otherwise
  // `error` holds the failure text. `preempt` is reset by the worker before
  // each sub-call; Call must not reset it, and must return kCallInterrupted
  // promptly when it is set before or during the call. Call never throws.
  virtual int Call(const SubCallRequest& request, platform::Event& preempt, PackedList& results,
                   std::string& error) noexcept = 0;
};

}  // namespace connpool
