#include "backend/transport.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/program_log.h"
#include "backend/request_queue.h"
#include "backend/server_rotation.h"
#include "comm_slot.h"
#include "platform/ini_file.h"
#include "platform/sync.h"

namespace backend {
namespace {

constexpr const char* kApplicationTag = "Pellora";
// Handed to the portal unchanged: reconnect tries, answer time-out (ms),
// connect time-out (s), pause between tries (s) and two reserved values.
constexpr int kReconnectAttempts = 999;
constexpr int kAnswerTimeoutMs = 15000;
constexpr int kConnectTimeoutSeconds = 5;
constexpr int kRetryPauseSeconds = 3;
constexpr int kPortalReserved = 3;
constexpr int kAddressSize = 64;
constexpr const char* kBadSlotText = "使用的连接号小于零或者超过最大连接数！";
constexpr const char* kSystemSettingsFile = "\\Config\\SysParam.ini";

std::atomic<int> theFollowUpWindow{kDefaultFollowUpWindow};

CommSlot* Slot(int index) {
  // Built first, so that it outlives the slots: a slot still connected at
  // exit finishes its records into it as it closes.
  [[maybe_unused]] static ResultQueue& results = TheResultQueue();
  static CommSlot slots[kSlotCount] = {CommSlot(0), CommSlot(1), CommSlot(2)};
  return index >= 0 && index < kSlotCount ? &slots[index] : nullptr;
}

struct LocalAddresses {
  std::mutex mutex;  // guards both texts
  std::string machine;
  std::string ip;
};

LocalAddresses& Addresses() {
  static LocalAddresses addresses;
  return addresses;
}

struct StateHook {
  std::mutex mutex;  // guards hook
  std::shared_ptr<const ConnectionStateHook> hook;
};

StateHook& TheStateHook() {
  static StateHook hook;
  return hook;
}

// Reads one of the portal's local address texts; false when it fails.
bool ReadAddress(int (*read)(char*, int), std::string& text) {
  char buffer[kAddressSize] = {};
  if (read(buffer, sizeof buffer) != 1) return false;
  text.assign(buffer, strnlen(buffer, sizeof buffer));
  return true;
}

void LogUnsavedPushLine(std::string_view line) {
  WriteLogLine(kLogConnectionError, ("无法保存推送数据：" + std::string(line)).c_str());
}

// The lines of a received block as one push item on the result queue: one
// record, one list and one turn of the queue's lock for the whole block. A
// line too long for a list entry is left out alone, not with the block.
void QueuePushLines(int connection, std::span<const std::string_view> lines) {
  thread_local std::vector<std::string_view> storable;
  storable.clear();
  for (const std::string_view line : lines) {
    if (line.size() < CxDataSet::kMaxValueLength) {
      storable.push_back(line);
    } else {
      LogUnsavedPushLine(line);
    }
  }
  if (storable.empty()) return;
  RequestPtr record = CreatePushItem(connection, storable);
  if (!record) {
    for (const std::string_view line : storable) LogUnsavedPushLine(line);
    return;
  }
  PostToResultQueue(std::move(record));
}

}  // namespace

bool StartCommunication(std::string_view versionText, std::string& message) {
  message.clear();
  const std::string version(versionText);
  if (OV_Start(kApplicationTag, version.c_str(), kReconnectAttempts, kAnswerTimeoutMs, kConnectTimeoutSeconds,
               kRetryPauseSeconds, kPortalReserved, kPortalReserved, OnPortalConnectionState, OnReceivePushData,
               WriteLogLine, OnNextServer, OV_AppendToString, &message) != 1) {
    return false;
  }
  SetFollowUpWindow(
      platform::ReadIniInt(kSystemSettingsFile, "Communication", "FollowUpWindow", kDefaultFollowUpWindow));
  LocalAddresses& addresses = Addresses();
  std::lock_guard lock(addresses.mutex);
  if (!ReadAddress(OV_GetLocalMachineAddr, addresses.machine) || !ReadAddress(OV_GetLocalIpAddr, addresses.ip)) {
    message = "读取本机地址失败！";
    OV_Stop();
    return false;
  }
  return true;
}

void StopCommunication() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    std::string ignored;
    DisconnectSlot(slot, ignored);
  }
  OV_Stop();
}

void SetFollowUpWindow(int window) { theFollowUpWindow = std::clamp(window, 1, kMaxFollowUpWindow); }

int FollowUpWindow() { return theFollowUpWindow; }

std::string LocalMachineAddress() {
  std::lock_guard lock(Addresses().mutex);
  return Addresses().machine;
}

std::string LocalIpAddress() {
  std::lock_guard lock(Addresses().mutex);
  return Addresses().ip;
}

bool ConnectSlot(OV_ConnectBlock& block, std::string& answer, std::string& message, std::string_view loginText) {
  const int slot = orvanet::GetI32(block.connection);
  if (Slot(slot) == nullptr) {
    message = kBadSlotText;
    return false;
  }
  return OpenSlotConnection(message, answer, loginText, slot, block);
}

bool OpenSlotConnection(std::string& message, std::string& answer, std::string_view loginText, int slot,
                        OV_ConnectBlock& block) {
  CommSlot* commSlot = Slot(slot);
  if (commSlot == nullptr) {
    message = kBadSlotText;
    return false;
  }
  // The follow-up tag names this terminal as the machine address does.
  FollowUpSettings followUps{LocalMachineAddress(), static_cast<std::size_t>(FollowUpWindow())};
  return commSlot->Open(block, loginText, std::move(followUps), answer, message);
}

bool DisconnectSlot(int slot, std::string& message) {
  CommSlot* commSlot = Slot(slot);
  if (commSlot == nullptr) {
    message = kBadSlotText;
    return false;
  }
  if (commSlot->IsConnected()) commSlot->Close(message);
  return true;
}

bool CloseSlot(int slot, std::string& message) {
  CommSlot* commSlot = Slot(slot);
  if (commSlot == nullptr) {
    message = kBadSlotText;
    return false;
  }
  return commSlot->Close(message);
}

int FindFreeSlot() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!Slot(slot)->IsConnected()) return slot;
  }
  return -1;
}

int CountFreeSlots() {
  int free = 0;
  for (int slot = 0; slot < kSlotCount; ++slot) free += Slot(slot)->IsConnected() ? 0 : 1;
  return free;
}

bool IsSlotConnected(int slot) {
  const CommSlot* commSlot = Slot(slot);
  return commSlot != nullptr && commSlot->IsConnected();
}

bool ExecuteRequest(RequestRecord& record, std::string& message) {
  CommSlot* commSlot = Slot(record.connection);
  if (commSlot == nullptr) {
    message = kBadSlotText;
    return false;
  }
  platform::Event done(platform::ResetMode::kManual);
  if (!commSlot->Queue(record, &done, message)) return false;
  // Closing the slot finishes the record too, so this wait always ends.
  done.Wait();
  record.waitEvent = nullptr;
  if (record.errorFlag != 0) {
    message = record.errorText;
    return false;
  }
  return true;
}

bool PostRequest(RequestPtr& record, std::string& message) {
  CommSlot* commSlot = record ? Slot(record->connection) : nullptr;
  if (commSlot == nullptr) {
    message = kBadSlotText;
    return false;
  }
  if (!commSlot->Queue(*record, nullptr, message)) return false;
  record.release();  // the slot hands it on to the result queue
  return true;
}

void SetConnectionStateHook(ConnectionStateHook hook) {
  StateHook& state = TheStateHook();
  std::lock_guard lock(state.mutex);
  state.hook = hook ? std::make_shared<const ConnectionStateHook>(std::move(hook)) : nullptr;
}

void OnPortalConnectionState(int connection, int flag, int state) {
  std::shared_ptr<const ConnectionStateHook> hook;
  {
    StateHook& stateHook = TheStateHook();
    std::lock_guard lock(stateHook.mutex);
    hook = stateHook.hook;
  }
  // Called without the lock, so that the hook may take its own locks in any
  // order with a thread that installs a hook.
  if (hook) (*hook)(connection, flag, state);
}

void OnReceivePushData(int connection, const char* data, int length) {
  if (data == nullptr || length <= 0) return;
  std::string_view block(data, static_cast<std::size_t>(length));
  // Kept from block to block on each portal thread: splitting a block
  // allocates nothing once the first blocks have been seen.
  thread_local std::vector<std::string_view> lines;
  lines.clear();
  std::string lastLine;
  while (!block.empty()) {
    const std::size_t end = std::min(block.find('\0'), block.size());
    // A line closed by its zero stays in place; only a last line that the
    // block cuts off unterminated is copied to be terminated.
    const std::string_view line = end < block.size() ? block.substr(0, end) : std::string_view(lastLine.assign(block));
    block.remove_prefix(std::min(end + 1, block.size()));
    if (!line.empty()) lines.push_back(line);
  }
  if (lines.empty()) return;
  WriteLogLines(kLogCommunication, lines);
  QueuePushLines(connection, lines);
}

int OnNextServer(int connection, char* address, int addressSize, unsigned short* port) {
  if (address == nullptr || port == nullptr || addressSize <= 0) return 0;
  const std::optional<ServerRow> next = TheServerRotation().Next(connection);
  if (!next) return 0;
  if (next->address.size() >= static_cast<std::size_t>(addressSize)) {
    WriteLogLine(kLogConnectionError, ("服务器地址超长：" + next->address).c_str());
    return 0;
  }
  next->address.copy(address, next->address.size());
  address[next->address.size()] = '\0';
  *port = next->port;
  return 1;
}

}  // namespace backend
