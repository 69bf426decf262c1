// CallBlock: one request of a host, a header and n sub-calls in one block.
// Each sub-call is a function number with its argument list; the worker that
// runs the block stores each sub-call's result code, error text and result
// list in it. Hosts build and read blocks in this layout (records with
// pointers: the natural 64-bit layout, field order fixed).
//
// Blocks come from malloc, like list blocks: FreeCallBlock frees every
// sub-call's argument and result list, then the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "connpool/packed_list.h"

namespace platform {
class Event;
}

namespace connpool {

inline constexpr std::size_t kCallTextSize = 64;
inline constexpr std::size_t kErrorTextSize = 1024;
inline constexpr std::size_t kHostDataSize = 512;

struct SubCall {
  std::int32_t requestNumber;  // written into the request text
  std::int32_t functionNumber;
  std::int32_t singlePacket;  // 1: the answer's rows follow its status in the same packet
  std::int32_t resultCode;    // kCallDone or a failure code (call_transport.h)
  char errorText[kErrorTextSize];
  PackedBlock* arguments;                 // one text entry per argument
  PackedBlock* results;                   // one binary entry per answer packet, each a whole list block
  unsigned char hostData[kHostDataSize];  // carried, never read
};

// Called on the worker thread after each sub-call; returning 0 skips the
// block's remaining sub-calls.
using SubCallCallback = int (*)(int index, SubCall* subCall);

struct CallBlock {
  std::uint32_t size;       // CallBlockSize(subCallCount)
  void* heap;               // private heap; null, blocks come from malloc
  std::int32_t connection;  // set at submission
  std::int32_t priority;    // greater runs first; 2 pre-empts a lower one
  std::uint8_t retry;       // set by the worker when a sub-call was interrupted
  std::uint8_t reserved[3];
  platform::Event* done;  // set at submission: the synchronous submitter's wake-up, else null
  char title[kCallTextSize];
  char second[kCallTextSize];
  char third[kCallTextSize];
  std::int32_t hostValue;
  SubCallCallback callback;  // optional
  std::int32_t subCallCount;
  std::int32_t requeueCount;  // times re-queued after an interruption; 0 at submission
  std::int32_t processed;     // sub-calls run so far

  // The sub-calls follow the header in the same block.
  SubCall* SubCalls() { return reinterpret_cast<SubCall*>(reinterpret_cast<std::byte*>(this) + sizeof(CallBlock)); }
  const SubCall* SubCalls() const {
    return reinterpret_cast<const SubCall*>(reinterpret_cast<const std::byte*>(this) + sizeof(CallBlock));
  }
};

static_assert(sizeof(void*) == 8, "the sizes below are those of the 64-bit layout");
static_assert(sizeof(SubCall) == 1568 && offsetof(SubCall, arguments) == 1040);
static_assert(sizeof(CallBlock) == 264 && sizeof(CallBlock) % alignof(SubCall) == 0);

constexpr std::size_t CallBlockSize(std::size_t subCallCount) {
  return sizeof(CallBlock) + sizeof(SubCall) * subCallCount;
}

void FreeCallBlock(CallBlock* block);

struct CallBlockDeleter {
  void operator()(CallBlock* block) const { FreeCallBlock(block); }
};
using CallBlockPtr = std::unique_ptr<CallBlock, CallBlockDeleter>;

struct CallBlockHead {
  std::string_view title = {};
  int connection = 0;
  int priority = 0;
  std::string_view second = {};
  std::string_view third = {};
  int hostValue = 0;
};

// A zero-filled block with `subCallCount` sub-calls and the given head (texts
// cut to 63 bytes on a GBK character boundary). Null when `subCallCount` is
// below 1 or memory runs out.
CallBlockPtr NewCallBlock(const CallBlockHead& head, int subCallCount);

struct SubCallSetup {
  int requestNumber = 0;
  int functionNumber = 0;
  bool singlePacket = false;
  const PackedBlock* arguments = nullptr;    // copied; the caller's list stays its own
  std::span<const std::byte> hostData = {};  // at most kHostDataSize bytes are kept
};

// False for an index outside the block, or when the argument list cannot be
// copied (the sub-call is then left as it was).
bool SetSubCall(CallBlock& block, int index, const SubCallSetup& setup);

// Appends a copy of `packet`'s block to the sub-call's result list.
bool AppendResultPacket(CallBlock& block, int index, const PackedList& packet);

// Replaces the sub-call's result list, freeing the one it held.
void SetResults(SubCall& subCall, PackedList results);
// Copies `text` into the error text, cut on a GBK character boundary.
void SetErrorText(SubCall& subCall, std::string_view text);

}  // namespace connpool
