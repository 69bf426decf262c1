#include "connpool/call_block.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "block_memory.h"
#include "text.h"

namespace connpool {
namespace {

SubCall* SubCallAt(CallBlock& block, int index) {
  if (index < 0 || index >= block.subCallCount) return nullptr;
  return &block.SubCalls()[index];
}

}  // namespace

void FreeCallBlock(CallBlock* block) {
  if (block == nullptr) return;
  for (int index = 0; index < block->subCallCount; ++index) {
    SubCall& subCall = block->SubCalls()[index];
    PackedList(std::exchange(subCall.arguments, nullptr)).Free();
    PackedList(std::exchange(subCall.results, nullptr)).Free();
  }
  ReleaseBlock(block);
}

CallBlockPtr NewCallBlock(const CallBlockHead& head, int subCallCount) {
  if (subCallCount < 1) return nullptr;
  const std::size_t size = CallBlockSize(static_cast<std::size_t>(subCallCount));
  CallBlockPtr block(static_cast<CallBlock*>(AllocateBlock(size)));
  if (block == nullptr) return nullptr;
  block->size = static_cast<std::uint32_t>(size);
  block->connection = head.connection;
  block->priority = head.priority;
  CopyToField(block->title, sizeof block->title, head.title);
  CopyToField(block->second, sizeof block->second, head.second);
  CopyToField(block->third, sizeof block->third, head.third);
  block->hostValue = head.hostValue;
  block->subCallCount = subCallCount;
  return block;
}

bool SetSubCall(CallBlock& block, int index, const SubCallSetup& setup) {
  SubCall* subCall = SubCallAt(block, index);
  if (subCall == nullptr) return false;
  PackedBlock* arguments = nullptr;
  if (setup.arguments != nullptr) {
    arguments = PackedList::CloneBlock(setup.arguments);
    if (arguments == nullptr) return false;
  }
  PackedList(std::exchange(subCall->arguments, arguments)).Free();
  subCall->requestNumber = setup.requestNumber;
  subCall->functionNumber = setup.functionNumber;
  subCall->singlePacket = setup.singlePacket ? 1 : 0;
  const std::size_t kept = std::min(setup.hostData.size(), kHostDataSize);
  if (kept > 0) std::memcpy(subCall->hostData, setup.hostData.data(), kept);
  return true;
}

bool AppendResultPacket(CallBlock& block, int index, const PackedList& packet) {
  SubCall* subCall = SubCallAt(block, index);
  if (subCall == nullptr) return false;
  PackedList results(subCall->results);
  const bool appended = results.AppendListAsValue(packet);
  subCall->results = results.Detach();
  return appended;
}

void SetResults(SubCall& subCall, PackedList results) {
  PackedList(std::exchange(subCall.results, results.Detach())).Free();
}

void SetErrorText(SubCall& subCall, std::string_view text) {
  CopyToField(subCall.errorText, sizeof subCall.errorText, text);
}

}  // namespace connpool
