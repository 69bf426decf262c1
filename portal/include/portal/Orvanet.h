// Orvanet: the portal library through which the terminal reaches its trading
// back end. Each connection carries request texts to one back end over TCP,
// matches the answers to them, hands pushed lines to the caller and, when the
// back end goes away, reconnects on its own through the caller's server list.
//
// Texts: request texts go in as pointer and length; every text that comes out
// (answers, messages) goes to a text sink, a callback that receives the whole
// text at once with its length, whatever its size, so nothing is ever cut.
// OV_AppendToString is a ready sink for a std::string.
//
// Threads: every connection has a reader thread of its own. The connection
// state, push and next-server callbacks run on it; they must return promptly
// and must not call OV_SendAndRecv, OV_DisConnect or OV_Stop (a send from a
// callback would wait for an answer that only the blocked thread could read;
// a disconnect from it is refused). The log callback may run on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/little_endian.h"

#define ORVANET_API __attribute__((visibility("default")))

namespace platform {
class Event;
}

// Connection states, as reported to the connection state callback and by
// OV_GetConnectionState.
enum : int {
  OV_STATE_DISCONNECTED = 0,  // never connected, closed, or reconnecting given up
  OV_STATE_CONNECTED = 1,     // logged in: requests can be sent
  OV_STATE_RETRY_WAIT = 2,    // the connection dropped; waiting before the next try
  OV_STATE_RECONNECTING = 3,  // connecting and logging in to the next server
};

// Connection numbers that OV_Connect accepts: 0 .. OV_MAX_CONNECTIONS - 1.
enum : int { OV_MAX_CONNECTIONS = 64 };

// Size of the address buffer handed to the next-server callback.
enum : int { OV_SERVER_ADDRESS_SIZE = 100 };

// The 1400-byte connect block of OV_Connect. Its members are byte arrays so
// that the record has no padding; numbers in it are little-endian and are
// read and written with the accessors in namespace orvanet below. Every
// member not set stays zero.
struct OV_ConnectBlock {
  unsigned char connection[4];  // i32: the connection number (the caller's slot index)
  unsigned char unused4[1];
  char loginText[1027];        // zero-terminated login request, sent first on every connect
  unsigned char proxyKind[4];  // i32: 0 none; others (socket and HTTP proxies) are refused
  char proxyHost[100];         // zero-terminated
  unsigned char proxyPort[2];  // u16
  char proxyUser[50];          // zero-terminated
  char proxyPassword[50];      // zero-terminated
  unsigned char unused1238[2];
  unsigned char unused1240[4];  // always 0
  unsigned char unused1244[52];
  char serverAddress[100];      // zero-terminated host name or IP address text
  unsigned char serverPort[4];  // u32: TCP port, 1..65535
};

static_assert(sizeof(OV_ConnectBlock) == 1400);
static_assert(offsetof(OV_ConnectBlock, connection) == 0);
static_assert(offsetof(OV_ConnectBlock, loginText) == 5);
static_assert(offsetof(OV_ConnectBlock, proxyKind) == 1032);
static_assert(offsetof(OV_ConnectBlock, proxyHost) == 1036);
static_assert(offsetof(OV_ConnectBlock, proxyPort) == 1136);
static_assert(offsetof(OV_ConnectBlock, proxyUser) == 1138);
static_assert(offsetof(OV_ConnectBlock, proxyPassword) == 1188);
static_assert(offsetof(OV_ConnectBlock, unused1240) == 1240);
static_assert(offsetof(OV_ConnectBlock, serverAddress) == 1296);
static_assert(offsetof(OV_ConnectBlock, serverPort) == 1396);

extern "C" {

// Receives one whole text of `length` bytes (not zero-terminated).
typedef void (*OV_TextSink)(void* context, const char* text, int length);

// A connection changed from `flag` (its state before) to `state`.
typedef void (*OV_ConnectionStateCallback)(int connection, int flag, int state);
// A push arrived: `data` holds `length` bytes of lines, each ended by a zero
// byte (an empty line is a lone zero byte). Valid during the call only.
typedef void (*OV_PushDataCallback)(int connection, const char* data, int length);
// A log line: 1 transport errors, 2 connection errors and events, 3 notes,
// 4 communication lines: the requests sent (the callee masks passwords).
// Answers are not logged: only the caller knows the function an answer
// belongs to, and so which of its fields to mask.
typedef void (*OV_LogCallback)(int type, const char* text);
// Names the server for the next reconnect try of `connection`: writes a
// zero-terminated address into `address` (`addressSize` bytes) and the port,
// and returns non-zero. On zero the last server is tried again.
typedef int (*OV_NextServerCallback)(int connection, char* address, int addressSize, unsigned short* port);

// Starts the library. `reconnectAttempts` bounds the tries after a drop
// before the connection is reported lost (state 0); `answerTimeoutMs` bounds
// every wait for an answer (login included); `connectTimeoutSeconds` bounds
// one TCP connect; `retryPauseSeconds` is the pause between two tries (0 for
// the shortest, a tenth of a second); the two reserved values are accepted
// and not used. Any callback may be null. Returns 1, or 0 with the reason
// given to `message` (already started, a value out of range).
ORVANET_API int OV_Start(const char* applicationTag, const char* versionText, int reconnectAttempts,
                         int answerTimeoutMs, int connectTimeoutSeconds, int retryPauseSeconds, int reserved1,
                         int reserved2, OV_ConnectionStateCallback onState, OV_PushDataCallback onPush,
                         OV_LogCallback onLog, OV_NextServerCallback onNextServer, OV_TextSink message,
                         void* messageContext);

// Closes every connection (as OV_DisConnect does) and stops the library.
// Returns 1, or 0 when not started or when called from a callback.
ORVANET_API int OV_Stop(void);

// Opens connection number `block->connection` to the block's server, sends
// the block's login text as the first request and waits for its answer.
// Returns 1 with the login answer given to `reply` (whatever its status: the
// caller judges it) and the connection number left in the block; 0 with the
// reason given to `reply`.
ORVANET_API int OV_Connect(OV_ConnectBlock* block, OV_TextSink reply, void* replyContext);

// Closes a connection: every send still waiting on it ends at once with a
// transport error, its reader thread is stopped and joined, and no callback
// for it follows. Returns 1, or 0 for an unknown number or from a callback.
ORVANET_API int OV_DisConnect(int connection);

// The state of a connection (OV_STATE_...); 0 for an unknown number.
ORVANET_API int OV_GetConnectionState(int connection);

// Sends one request and waits for its answer. Returns 1 with the answer
// given to `reply`, or 0 with the reason given to `reply`: the connection is
// not connected or dropped, the answer time-out passed, or `abortEvent` (may
// be null) was set. An answer that arrives after its send gave up is dropped.
// `function` names the request in messages only.
ORVANET_API int OV_SendAndRecv(int connection, int function, platform::Event* abortEvent, const char* request,
                               int requestLength, OV_TextSink reply, void* replyContext);

// Pipelined requests: OV_SendOnly and OV_SendOnlyMany send without
// waiting, so that several requests are in flight at once; each answer is
// then taken by its sequence number with OV_RecvAnswer, in whatever order
// the caller likes, or given up with OV_Abandon. Every sequence they return
// must be taken or given up: until then its answer is kept.
//
// Sends one request and returns at once: its sequence number (1 or more),
// or 0 with the reason given to `reply` (as OV_SendAndRecv: not connected,
// the send failed or timed out, `abortEvent` set).
ORVANET_API int OV_SendOnly(int connection, int function, platform::Event* abortEvent, const char* request,
                            int requestLength, OV_TextSink reply, void* replyContext);

// Sends `count` requests (1 or more) in one write, in order, without
// waiting: request i is the text `requests[i]` of `requestLengths[i]`
// bytes. Returns 1 with their sequence numbers in `sequences[0 .. count-1]`,
// each to be taken or given up as one of OV_SendOnly; or 0, none of them
// waiting, with the reason given to `reply`.
ORVANET_API int OV_SendOnlyMany(int connection, int function, platform::Event* abortEvent, const char* const* requests,
                                const int* requestLengths, int count, int* sequences, OV_TextSink reply,
                                void* replyContext);

// Waits for the answer to request `sequence`, sent by OV_SendOnly on the
// connection. Returns 1 with the answer given to `reply` (at once when it is
// already in), or 0 with the reason given to `reply`: the connection dropped
// or was closed, the answer time-out counted from the send passed,
// `abortEvent` (may be null) was set, or the sequence is not waiting (never
// sent, taken already or given up). Either way the sequence is done with:
// an answer that comes later is dropped.
ORVANET_API int OV_RecvAnswer(int connection, int sequence, platform::Event* abortEvent, OV_TextSink reply,
                              void* replyContext);

// Gives up the answer to request `sequence`, sent by OV_SendOnly: it is
// dropped when it comes. Returns 1, or 0 when the sequence was not waiting.
ORVANET_API int OV_Abandon(int connection, int sequence);

// The hardware address of the first network interface that is not the
// loopback, as "00-11-22-33-44-55" ("00-00-00-00-00-00" when there is none),
// zero-terminated in `buffer`. Returns 0, writing nothing, when it does not fit.
ORVANET_API int OV_GetLocalMachineAddr(char* buffer, int bufferSize);

// The IPv4 address text of that interface ("127.0.0.1" when it has none),
// zero-terminated in `buffer`. Returns 0, writing nothing, when it does not fit.
ORVANET_API int OV_GetLocalIpAddr(char* buffer, int bufferSize);

}  // extern "C"

// A text sink that appends to the std::string given as context.
inline void OV_AppendToString(void* context, const char* text, int length) {
  static_cast<std::string*>(context)->append(text, static_cast<std::size_t>(length));
}

// Little-endian accessors and bounded text copies for the connect block.
namespace orvanet {

inline std::int32_t GetI32(const unsigned char (&bytes)[4]) {
  return static_cast<std::int32_t>(platform::LoadLittleEndian<std::uint32_t>(bytes));
}

inline void SetI32(unsigned char (&bytes)[4], std::int32_t value) {
  platform::StoreLittleEndian(bytes, static_cast<std::uint32_t>(value));
}

inline std::uint16_t GetU16(const unsigned char (&bytes)[2]) {
  return platform::LoadLittleEndian<std::uint16_t>(bytes);
}

inline void SetU16(unsigned char (&bytes)[2], std::uint16_t value) { platform::StoreLittleEndian(bytes, value); }

// Copies `text` and its terminating zero into the field, zero-filling the
// rest. False, leaving the field as it was, when the text does not fit or
// holds a zero byte.
template <std::size_t N>
bool SetText(char (&field)[N], std::string_view text) {
  if (text.size() >= N || text.find('\0') != std::string_view::npos) return false;
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
  return true;
}

// The text of a field up to its terminating zero; empty when the field holds
// no zero byte (a text that overran its field is not trusted).
template <std::size_t N>
std::optional<std::string_view> GetText(const char (&field)[N]) {
  const void* end = std::memchr(field, '\0', N);
  if (end == nullptr) return std::nullopt;
  return std::string_view(field, static_cast<std::size_t>(static_cast<const char*>(end) - field));
}

}  // namespace orvanet
