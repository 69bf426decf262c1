// The terminal's transport to the trading back end over the portal library
// (Orvanet): three connection slots, each with its own request queue and
// worker thread, synchronous and asynchronous requests, and the portal's
// callbacks for connection states, pushed lines and server rotation.
//
// Priorities: a priority-2 request aborts a running send of lower priority
// on its slot; an aborted request of priority 1 or 2 is queued again and
// resumes at the sub-request it was on, one of priority 0 fails. Waiting
// requests are ordered by priority.
//
// Finished asynchronous requests and pushed lines go to the result queue
// (request_queue.h), which the GUI thread drains.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "backend/request_record.h"
#include "portal/Orvanet.h"

namespace backend {

inline constexpr int kSlotCount = 3;

// The rows of a multi-packet answer come one per follow-up request; a slot
// keeps up to a window of them in flight. The window is the setting
// FollowUpWindow of section Communication in "\Config\SysParam.ini", read
// by StartCommunication: 1 asks for one row at a time, for a back end that
// takes no pipelined requests.
inline constexpr int kDefaultFollowUpWindow = 256;
inline constexpr int kMaxFollowUpWindow = 4096;
// The window of the slots connected from now on: below 1 it is 1, above
// kMaxFollowUpWindow that maximum.
void SetFollowUpWindow(int window);
int FollowUpWindow();

// Starts the portal library with this terminal's settings and callbacks,
// reads the local addresses and the follow-up window. False with the reason
// in `message`.
bool StartCommunication(std::string_view versionText, std::string& message);
// Closes every connected slot, then stops the portal library.
void StopCommunication();

// The network card address (field 2 of every request) and the IP address
// that the portal reported at start.
std::string LocalMachineAddress();
std::string LocalIpAddress();

// Connects the slot that the block's connection number names (0..2) with
// `loginText` as the first request, and starts the slot's worker. True with
// the login answer in `answer` (the caller judges it); false with the reason.
bool ConnectSlot(OV_ConnectBlock& block, std::string& answer, std::string& message, std::string_view loginText);
// The same for a slot the caller chose, without checking the block's number.
bool OpenSlotConnection(std::string& message, std::string& answer, std::string_view loginText, int slot,
                        OV_ConnectBlock& block);
// Closes the slot when it is connected. False only for a slot index outside
// 0..2.
bool DisconnectSlot(int slot, std::string& message);
// Closes a connected slot: every request still queued or running on it
// finishes with "通讯连接中断！", its worker is stopped and joined, and the
// portal connection is closed. False with the disconnect error when the slot
// is not connected.
bool CloseSlot(int slot, std::string& message);

// The first slot without a connection, or -1.
int FindFreeSlot();
int CountFreeSlots();
bool IsSlotConnected(int slot);

// Queues the record on the slot its connection field names and waits until
// it is finished. True when the transport did not fail; false with the
// reason (the record's error text, or why it could not be queued).
bool ExecuteRequest(RequestRecord& record, std::string& message);
// Queues the record and returns at once: on success the record is taken
// over and arrives, finished, in the result queue; on failure it stays with
// the caller.
bool PostRequest(RequestPtr& record, std::string& message);

// Receives every connection state change (connection number, the state
// before, the new state) on the portal's threads; the engine installs it.
using ConnectionStateHook = std::function<void(int connection, int flag, int state)>;
void SetConnectionStateHook(ConnectionStateHook hook);

// The callbacks handed to the portal library.
void OnPortalConnectionState(int connection, int flag, int state);
// Logs the non-empty lines of a push block and queues them, in order, as
// one push item.
void OnReceivePushData(int connection, const char* data, int length);
// The next server of the connection's rotation; 0, keeping the current
// server, when its list is empty.
int OnNextServer(int connection, char* address, int addressSize, unsigned short* port);

}  // namespace backend
