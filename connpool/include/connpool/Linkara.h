// Linkara: the connection-pool communication library. A host creates one pool
// of numbered connections with three hooks, connects numbers with a server
// record and a log-in sub-call, and runs call blocks (call_block.h) on them,
// synchronously or asynchronously. Requests reach the back end through the
// communication middleware Halvost.
//
// Results: every function returns a small integer (1 for success unless said
// otherwise). A failure text goes into the caller's error buffer (text,
// size), cut to size - 1 bytes on a GBK character boundary and terminated;
// a null buffer or a size of 0 gets nothing.
//
// Threads: the exported functions may be called from any host thread. The
// hooks run on the library's threads: a finished asynchronous block reaches
// the result hook on its connection's worker; pushes, connection states and
// the middleware's trace lines arrive on the middleware's threads. Hooks
// must return promptly, must not wait for a synchronous call, must not call
// LinkaraCreate or LinkaraDestroy, and the result hook must not disconnect
// the connection of the block it was handed (its worker runs the hook).
#pragma once

#include <cstddef>
#include <cstdint>

#include "connpool/call_block.h"
#include "platform/little_endian.h"

#define LINKARA_API __attribute__((visibility("default")))

// Trace types given to the trace hook.
enum : int {
  LINKARA_TRACE_ERROR = 1,
  LINKARA_TRACE_CONNECT_FAILURE = 2,  // a connect or a disconnect failed
  LINKARA_TRACE_EVENT = 3,
  LINKARA_TRACE_COMMUNICATION = 4,  // requests, answers, pushes, middleware lines; passwords masked
};

// Connection states given to the state hook.
enum : int {
  LINKARA_STATE_UNKNOWN = 0,
  LINKARA_STATE_CONNECTED = 1,
  LINKARA_STATE_NOT_CONNECTED = 2,
};

// Size of the buffers of LinkaraGetLocalMacAddress and
// LinkaraGetLocalIPAddress: the address text is cut to fit.
enum : int { LINKARA_ADDRESS_SIZE = 64 };

namespace connpool {

// One server place of ServerInfo.
struct ServerPlace {
  unsigned char enabled[4];  // i32: 0 = not used
  char host[16];             // NUL-terminated address or name
  unsigned char port[2];     // u16
  unsigned char reserved[2];
};

// Where to connect, given to LinkaraConnect and LinkaraTestServer. A byte
// layout: numbers are little-endian, read and written with the accessors
// below. Members not named are not read.
struct ServerInfo {
  unsigned char unused0[64];
  unsigned char proxyKind[4];  // i32: below 1 = no proxy
  unsigned char unused68[4];
  char proxyHost[16];            // NUL-terminated
  unsigned char proxyPort[4];    // i32
  char proxyUser[64];            // NUL-terminated
  char proxyPassword[64];        // NUL-terminated
  unsigned char serverCount[4];  // i32: server places in use (connect only)
  unsigned char unused224[4];
  ServerPlace servers[3];
};

static_assert(sizeof(ServerPlace) == 24);
static_assert(offsetof(ServerPlace, host) == 4 && offsetof(ServerPlace, port) == 20);
static_assert(sizeof(ServerInfo) == 300);
static_assert(offsetof(ServerInfo, proxyKind) == 64);
static_assert(offsetof(ServerInfo, proxyHost) == 72);
static_assert(offsetof(ServerInfo, proxyPort) == 88);
static_assert(offsetof(ServerInfo, proxyUser) == 92);
static_assert(offsetof(ServerInfo, proxyPassword) == 156);
static_assert(offsetof(ServerInfo, serverCount) == 220);
static_assert(offsetof(ServerInfo, servers) == 228);

inline std::int32_t ReadInt32(const unsigned char (&field)[4]) {
  return static_cast<std::int32_t>(platform::LoadLittleEndian<std::uint32_t>(field));
}
inline void WriteInt32(unsigned char (&field)[4], std::int32_t value) {
  platform::StoreLittleEndian(field, static_cast<std::uint32_t>(value));
}
inline std::uint16_t ReadUint16(const unsigned char (&field)[2]) {
  return platform::LoadLittleEndian<std::uint16_t>(field);
}
inline void WriteUint16(unsigned char (&field)[2], std::uint16_t value) { platform::StoreLittleEndian(field, value); }

}  // namespace connpool

extern "C" {

// A trace line (LINKARA_TRACE_* type, GBK text).
typedef void (*LinkaraTraceHook)(int type, const char* text);
// A connection changed state (LINKARA_STATE_* values); reported only when
// the state differs from the one reported last for that number.
typedef void (*LinkaraStateHook)(int connection, int oldState, int newState);
// A finished asynchronous block, which the hook then owns (FreeCallBlock);
// or a pushed line as a block of one sub-call (title "接收通讯推送", the
// push code as function number, the line's fields from the fourth on as its
// only result packet), which the library frees when the hook returns.
typedef void (*LinkaraResultHook)(connpool::CallBlock* block);

// Starts the middleware and makes a pool of `connectionCount` connections
// (1 to 1000), numbered from 0. The two names (at most 63 bytes each) go
// into the blocks of pushed lines. A second call first destroys the pool.
// 1 created, 0 failed.
LINKARA_API int LinkaraCreate(LinkaraTraceHook trace, LinkaraStateHook state, LinkaraResultHook result,
                              const char* firstName, const char* secondName, int connectionCount, char* error,
                              int errorSize);
// Stops every connection's worker (a waiting synchronous caller returns at
// once with a failed sub-call; queued asynchronous blocks reach the result
// hook failed), then stops the middleware, which closes the connections.
LINKARA_API void LinkaraDestroy();

// Connects `connection`, or with -1 the lowest free number, and logs in with
// the `login` sub-call (request number, function number and arguments);
// the log-in answer's fields from the fifth on become the sub-call's only
// result packet. The connection number, or -1.
LINKARA_API int LinkaraConnect(int connection, const connpool::ServerInfo* server, connpool::SubCall* login,
                               char* error, int errorSize);
// Closes the connection and stops its worker: calls still queued on it fail.
// 1 closed, 0 failed (the worker is stopped either way).
LINKARA_API int LinkaraDisConnect(int connection, char* error, int errorSize);

// Runs `block` on `connection` and returns once it is done (1) with each
// sub-call's result code, error text and result list; 0 refused.
LINKARA_API int LinkaraDoFunction(int connection, connpool::CallBlock* block, char* error, int errorSize);
// Queues `block` on `connection` (1): from then on it belongs to the library
// until the result hook receives it. 0 refused: the block stays the caller's.
LINKARA_API int LinkaraDoFunctionSA(int connection, connpool::CallBlock* block, char* error, int errorSize);

// Connections not in use; 0 before creation.
LINKARA_API int LinkaraGetFreeConnectionCount();
// Tries each enabled server place alone: 1 a server answered (or none is
// enabled), 2 the last one tried was unreachable, 0 otherwise and before
// creation.
LINKARA_API int LinkaraTestServer(const connpool::ServerInfo* server);

// Write the address text into `buffer` (LINKARA_ADDRESS_SIZE bytes) and
// return it; null for a null buffer. The MAC address is asked of the
// middleware once; the IP address on every call.
LINKARA_API char* LinkaraGetLocalIPAddress(char* buffer);
LINKARA_API char* LinkaraGetLocalMacAddress(char* buffer);

}  // extern "C"
