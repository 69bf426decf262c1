// Halvost: the communication middleware that the secure-login engine and the
// connection-pool library call to reach a trading back end. Hosts bind its
// functions by ordinal: HalvostGetProcByOrdinal(n) gives the function of
// ordinal n, to be cast to the matching Halvost*Fn type below; the named
// declarations are the same functions for hosts that link by name.
//
// Every function returns 0 for success, otherwise one of the error codes
// below (HalvostErrorText gives its text). Texts are GBK. Reply buffers are
// written up to their size: an answer that does not fit fails with
// kHalvostReplyTooLong instead of being cut.
//
// This build is a stand-in: it carries requests to a back end over TCP in
// its own frames. It offers the ordinals of the secure-login engine (6, 8,
// 11, 17, 24, 25) and those of the connection-pool library (1, 2, 3, 5, 6,
// 7, 8, 11, 17, 18, 20, 22); HalvostGetProcByOrdinal gives null for any
// other ordinal.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(HALVOST_BUILD)
#define HALVOST_API __attribute__((visibility("default")))
#else
#define HALVOST_API
#endif

namespace platform {
class Event;
}

// ---------------------------------------------------------------------------
// Error codes and limits

enum HalvostError : int {
  kHalvostOk = 0,
  kHalvostBadArgument = -1,
  kHalvostNotConnected = -2,    // no open connection of that number
  kHalvostConnectFailed = -3,   // no server of the record accepted
  kHalvostTransport = -4,       // the connection broke or was closed during the call
  kHalvostTimedOut = -5,        // no answer within the time-out
  kHalvostReplyTooLong = -6,    // the answer does not fit the reply buffer
  kHalvostRequestTooLong = -7,  // the request is longer than kHalvostMaxRequestLength
  kHalvostNotInitialised = -8,
  kHalvostPreempted = -9,  // the caller's pre-empt event was set
  kHalvostServerUnreachable = -30,
};

// The longest request text, in bytes without the terminator, that a call
// accepts; longer ones fail with kHalvostRequestTooLong.
inline constexpr int kHalvostMaxRequestLength = 4096;
// A time-out argument at or below 0 (the callers pass -2) takes this one.
inline constexpr int kHalvostDefaultTimeoutMs = 15000;

// Connection states reported to the connection-state hook.
enum HalvostState : int {
  kHalvostConnecting = 3,
  kHalvostBroken = 4,  // lost by the network or the server
  kHalvostConnected = 5,
  kHalvostClosed = 6,  // closed by the host
};

// ---------------------------------------------------------------------------
// Records

// Where to connect: up to three servers tried in order (a place with an empty
// host or port 0 is skipped). The proxy fields are accepted and not used: the
// stand-in always connects directly.
struct HalvostServerPlace {
  char host[20];  // NUL-terminated address or name
  std::int32_t port;
};
static_assert(sizeof(HalvostServerPlace) == 24);

struct HalvostConnectRecord {
  std::int32_t reserved;  // 0
  HalvostServerPlace servers[3];
  std::int32_t proxyMode;  // 0 none, 2 proxy without user, 3 proxy with user
  char proxyHost[20];
  std::int32_t proxyPort;
  char proxyUser[100];
  char proxyPassword[100];
};
static_assert(offsetof(HalvostConnectRecord, servers) == 4);
static_assert(offsetof(HalvostConnectRecord, proxyMode) == 76);
static_assert(offsetof(HalvostConnectRecord, proxyHost) == 80);
static_assert(offsetof(HalvostConnectRecord, proxyPort) == 100);
static_assert(offsetof(HalvostConnectRecord, proxyUser) == 104);
static_assert(offsetof(HalvostConnectRecord, proxyPassword) == 204);
static_assert(sizeof(HalvostConnectRecord) == 304);

// Hooks that the middleware calls on its own threads.
extern "C" {
// A connection changed state (HalvostState values).
typedef void (*HalvostStateHook)(int connection, int oldState, int newState);
// Pushed data: a run of NUL-terminated GBK lines, `length` bytes in all.
typedef void (*HalvostReceiveHook)(int connection, const char* data, int length);
// A trace line of the middleware.
typedef void (*HalvostTraceHook)(const char* text);
}

// The start record given to HalvostInitialize. Its callbacks are pointers of
// the native width, so the record is 124 bytes where pointers are 32 bits
// and 144 bytes where they are 64; `size` holds sizeof(HalvostStartRecord).
struct HalvostStartRecord {
  std::uint32_t size;
  char productName[30];
  char productVersion[30];
  std::int32_t maxQueuedRequests;      // 999
  std::int32_t answerTimeoutMs;        // 15000; the default time-out of calls
  std::int32_t connectTimeoutSeconds;  // 5
  std::int32_t reconnectTries;         // 3
  std::int32_t heartbeatSeconds;       // 3
  std::int32_t compress;               // 1
  std::int32_t sendBufferKb;           // 64
  std::int32_t receiveBufferKb;        // 64
  std::int32_t traceOn;                // 1
  HalvostStateHook stateHook;
  HalvostReceiveHook receiveHook;
  HalvostTraceHook traceHook;
  std::uint32_t reserved;        // 0
  std::int32_t reportStates;     // 1
  std::int32_t connectionCount;  // connection numbers 0 .. count - 1
};
static_assert(offsetof(HalvostStartRecord, productName) == 4);
static_assert(offsetof(HalvostStartRecord, productVersion) == 34);
static_assert(offsetof(HalvostStartRecord, maxQueuedRequests) == 64);
static_assert(offsetof(HalvostStartRecord, traceOn) == 96);
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(HalvostStartRecord, stateHook) == 100);
static_assert(offsetof(HalvostStartRecord, receiveHook) == 104);
static_assert(offsetof(HalvostStartRecord, traceHook) == 108);
static_assert(offsetof(HalvostStartRecord, reserved) == 112);
static_assert(offsetof(HalvostStartRecord, connectionCount) == 120);
static_assert(sizeof(HalvostStartRecord) == 124);
#else
static_assert(offsetof(HalvostStartRecord, stateHook) == 104);
static_assert(offsetof(HalvostStartRecord, receiveHook) == 112);
static_assert(offsetof(HalvostStartRecord, traceHook) == 120);
static_assert(offsetof(HalvostStartRecord, reserved) == 128);
static_assert(offsetof(HalvostStartRecord, connectionCount) == 136);
static_assert(sizeof(HalvostStartRecord) == 144);
#endif

// ---------------------------------------------------------------------------
// Functions by ordinal

extern "C" {

// Given to ordinals 24 and 25: called on the calling thread with each answer
// before the call returns; writes at most outSize - 1 bytes and a terminator
// into `out` and returns the length written. A text returned (length > 0)
// becomes the session text of the connection and is sent to the server.
typedef int (*HalvostReplyHook)(int connection, const char* request, const char* reply, char* out, int outSize);

// Host parameters pass through the login flow unchanged; they are values of
// the native width, so that one can carry a record's address.
typedef std::intptr_t HalvostParam;

// Ordinal 1: keeps the start record (its hooks and time-out) for the calls
// that follow. kHalvostBadArgument when the record or its size is wrong.
// Calls are served without it too (the secure-login engine's hosts do not
// initialise): with no hooks and the default time-out.
typedef int (*HalvostInitializeFn)(const HalvostStartRecord* record);
// Ordinal 2: starts the middleware's service; kHalvostNotInitialised before
// ordinal 1 has taken a start record.
typedef int (*HalvostStartFn)();
// Ordinal 3: closes every connection (each waiting call ends with
// kHalvostTransport) and stops the service.
typedef int (*HalvostStopFn)();
// Ordinal 5: forgets the start record and its hooks.
typedef int (*HalvostCleanupFn)();

// Ordinal 6: call with log-in parameters. When `connection` is not open yet,
// `a` is the address of a HalvostConnectRecord to open it with (0 fails with
// kHalvostNotConnected); an open connection ignores `a`. `b` is the function
// number of the request, `c`, `d` and `e` are not used, `f` is the time-out
// in milliseconds. The answer text goes into `reply` (replySize bytes).
typedef int (*HalvostLoginCallFn)(int connection, HalvostParam a, HalvostParam b, HalvostParam c, HalvostParam d,
                                  const char* request, char* reply, int replySize, HalvostParam e, HalvostParam f);
// Ordinal 7: sends a request that gets no answer on an open connection
// (kHalvostNotConnected otherwise).
typedef int (*HalvostSendFn)(int connection, const char* request);
// Ordinal 8: closes a connection; every call waiting on it ends with
// kHalvostTransport. kHalvostNotConnected when it is not open.
typedef int (*HalvostCloseFn)(int connection);
// Ordinal 11: sends a request of function `function` and waits for its
// answer, at most `timeoutMs` (at or below 0: the default). `preempt`, when
// given, is a manual-reset event waited on together with the answer: once it
// is set the call returns kHalvostPreempted at once.
typedef int (*HalvostCallFn)(int connection, int function, const char* request, char* reply, int replySize,
                             platform::Event* preempt, int timeoutMs);
// Ordinal 17: the text of an error code, cut to size - 1 bytes.
typedef int (*HalvostErrorTextFn)(int code, char* buffer, int size);
// Ordinal 18: the local MAC address text ("00-1A-2B-3C-4D-5E").
typedef int (*HalvostLocalMacFn)(char* buffer, int size);
// Ordinal 20: the local IP address text.
typedef int (*HalvostLocalIpFn)(char* buffer, int size);
// Ordinal 22: tries the servers of the record in order under `connection`
// without keeping the connection (at or below 0 `timeoutMs` takes 5 s per
// server); kHalvostServerUnreachable when no server accepts.
typedef int (*HalvostTestServerFn)(int connection, const HalvostConnectRecord* record, int timeoutMs);
// Ordinal 24: ordinal 11 for a connection that is open, with a reply hook.
// `e` is not used, `f` is the time-out in milliseconds.
typedef int (*HalvostHookCallFn)(int connection, int function, const char* request, char* reply, int replySize,
                                 HalvostParam e, HalvostParam f, HalvostReplyHook hook);
// Ordinal 25: ordinal 6 with a reply hook.
typedef int (*HalvostLoginHookCallFn)(int connection, HalvostParam a, HalvostParam b, HalvostParam c, HalvostParam d,
                                      const char* request, char* reply, int replySize, HalvostParam e, HalvostParam f,
                                      HalvostReplyHook hook);

// The function of an ordinal, or null when this build does not offer it.
HALVOST_API void* HalvostGetProcByOrdinal(int ordinal);

HALVOST_API int HalvostInitialize(const HalvostStartRecord* record);  // 1
HALVOST_API int HalvostStart();                                       // 2
HALVOST_API int HalvostStop();                                        // 3
HALVOST_API int HalvostCleanup();                                     // 5
HALVOST_API int HalvostLoginCall(int connection, HalvostParam a, HalvostParam b, HalvostParam c, HalvostParam d,
                                 const char* request, char* reply, int replySize, HalvostParam e, HalvostParam f);  // 6
HALVOST_API int HalvostSend(int connection, const char* request);                                                   // 7
HALVOST_API int HalvostClose(int connection);                                                                       // 8
HALVOST_API int HalvostCall(int connection, int function, const char* request, char* reply, int replySize,
                            platform::Event* preempt, int timeoutMs);  // 11
HALVOST_API int HalvostErrorText(int code, char* buffer, int size);    // 17
HALVOST_API int HalvostLocalMac(char* buffer, int size);               // 18
HALVOST_API int HalvostLocalIp(char* buffer, int size);                // 20
HALVOST_API int HalvostTestServer(int connection, const HalvostConnectRecord* record,
                                  int timeoutMs);  // 22
HALVOST_API int HalvostHookCall(int connection, int function, const char* request, char* reply, int replySize,
                                HalvostParam e, HalvostParam f,
                                HalvostReplyHook hook);  // 24
HALVOST_API int HalvostLoginHookCall(int connection, HalvostParam a, HalvostParam b, HalvostParam c, HalvostParam d,
                                     const char* request, char* reply, int replySize, HalvostParam e, HalvostParam f,
                                     HalvostReplyHook hook);  // 25

}  // extern "C"
