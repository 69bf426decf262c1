// Library: one pool of the connection-pool library with its middleware.
// It connects and disconnects numbered connections, runs call blocks on
// them through the worker pool and the request executor, and turns what the
// middleware reports (pushed data, connection states, trace lines) into
// calls of the host's hooks.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "connpool/Linkara.h"
#include "connpool/worker_pool.h"
#include "mac_address.h"
#include "middleware_api.h"
#include "request_executor.h"

namespace connpool {

struct HostHooks {
  LinkaraTraceHook trace = nullptr;
  LinkaraStateHook state = nullptr;
  LinkaraResultHook result = nullptr;
};

// The middleware's hooks of the start record; they must find the library
// that is current when they are called.
struct MiddlewareHooks {
  HalvostStateHook state = nullptr;
  HalvostReceiveHook receive = nullptr;
  HalvostTraceHook trace = nullptr;
};

struct LibrarySetup {
  HostHooks hooks;
  std::string_view firstName;
  std::string_view secondName;
  int connectionCount = 0;
};

inline constexpr int kMaxConnections = 1000;

class Library {
 public:
  // Starts the middleware with `middlewareHooks`; null with `error` set when
  // the setup is refused or the middleware fails to start. `api` and `mac`
  // must outlive the library.
  static std::unique_ptr<Library> Create(const MiddlewareApi& api, MacAddressCache& mac, const LibrarySetup& setup,
                                         const MiddlewareHooks& middlewareHooks, std::string& error);
  // Stops the workers that are left; the middleware is Shutdown's.
  ~Library() = default;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Stops every worker, then the middleware; only the first call acts.
  // Afterwards nothing connects.
  void Shutdown();

  // The connection number, or -1 with `error` set.
  int Connect(int number, const ServerInfo& server, SubCall& login, std::string& error);
  bool Disconnect(int number, std::string& error);
  bool DoFunction(int number, CallBlock* block, std::string& error) { return pool_.SubmitSync(number, block, error); }
  bool DoFunctionAsync(int number, CallBlock* block, std::string& error) {
    return pool_.SubmitAsync(number, block, error);
  }
  int FreeConnectionCount() const;
  // LinkaraTestServer's result.
  int TestServer(const ServerInfo& server) const;

  // What the middleware reports, on its threads.
  void OnReceive(int connection, const char* data, int length);
  void OnStateChange(int connection, int oldState, int newState);
  void OnMiddlewareTrace(const char* text) const;

 private:
  Library(const MiddlewareApi& api, MacAddressCache& mac, const LibrarySetup& setup);

  bool Start(const MiddlewareHooks& middlewareHooks, std::string& error);
  // Picks and reserves the number to connect; -1 with `error` set.
  int Reserve(int number, std::string& error);
  bool LogIn(int number, const ServerInfo& server, SubCall& login, std::string& error);
  // Refused once the library is shut down.
  bool StartWorker(int number, std::string& error);
  // Closes the middleware's connection, with its trace lines.
  bool CloseConnection(int number, std::string& error);
  void DeliverPush(int connection, std::string_view line);
  // A pushed line as a block of one done sub-call (priority 0, host value 0);
  // null when it cannot be made.
  CallBlockPtr PushBlock(int connection, std::string_view line) const;
  void DeliverResult(CallBlock* block) const;
  void Trace(TraceType type, std::string_view text) const;

  const MiddlewareApi& api_;
  MacAddressCache& mac_;
  const HostHooks hooks_;
  const std::string firstName_;
  const std::string secondName_;
  const int connectionCount_;

  mutable std::mutex stateLock_;
  std::vector<int> states_;  // guarded by stateLock_; last state reported per number, the spare one too

  mutable std::mutex connectLock_;
  std::vector<bool> reserved_;  // guarded by connectLock_: numbers being connected
  bool shutDown_ = false;       // guarded by connectLock_

  RequestExecutor executor_;
  WorkerPool pool_;  // last: its workers stop before the rest goes
};

}  // namespace connpool
