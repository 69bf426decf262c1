// The exported functions: the current pool, the error buffers, and no
// exception let out of the library.
#include "connpool/Linkara.h"

#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "library.h"
#include "text.h"

namespace {

using connpool::Library;

// LinkaraCreate and LinkaraDestroy, one at a time.
std::mutex lifecycle;
// The current pool. An export keeps its own reference while it runs, so a
// pool destroyed meanwhile stays alive until that export returns.
std::mutex currentLock;
std::shared_ptr<Library> current;  // guarded by currentLock

std::shared_ptr<Library> Current() {
  std::lock_guard lock(currentLock);
  return current;
}

std::shared_ptr<Library> Exchange(std::shared_ptr<Library> replacement) {
  std::lock_guard lock(currentLock);
  return std::exchange(current, std::move(replacement));
}

connpool::MacAddressCache& MacCache() {
  static connpool::MacAddressCache cache(connpool::HalvostApi().localMac);
  return cache;
}

void GiveError(char* buffer, int size, std::string_view text) {
  if (buffer != nullptr && size > 0) connpool::CopyToField(buffer, static_cast<std::size_t>(size), text);
}

// Runs `body`, which returns the export's result and may set a failure
// text; an exception becomes `failed` with a text of its own.
template <typename Body>
int Guarded(char* error, int errorSize, int failed, Body body) noexcept {
  try {
    std::string text;
    const int result = body(text);
    if (!text.empty()) GiveError(error, errorSize, text);
    return result;
  } catch (const std::bad_alloc&) {
    GiveError(error, errorSize, "申请内存堆出错！");
  } catch (...) {
    GiveError(error, errorSize, "通讯库内部错误！");
  }
  return failed;
}

// The middleware's hooks: they reach the pool that is current.
void OnMiddlewareState(int connection, int oldState, int newState) {
  try {
    if (auto library = Current()) library->OnStateChange(connection, oldState, newState);
  } catch (...) {
  }
}

void OnMiddlewareReceive(int connection, const char* data, int length) {
  try {
    if (auto library = Current()) library->OnReceive(connection, data, length);
  } catch (...) {
  }
}

void OnMiddlewareTrace(const char* text) {
  try {
    if (auto library = Current()) library->OnMiddlewareTrace(text);
  } catch (...) {
  }
}

void DestroyCurrent() {
  if (std::shared_ptr<Library> old = Exchange(nullptr)) old->Shutdown();
}

// The address text, cut to LINKARA_ADDRESS_SIZE - 1 bytes.
char* GiveAddress(char* buffer, const std::string& text) {
  if (buffer != nullptr) connpool::CopyToField(buffer, LINKARA_ADDRESS_SIZE, text);
  return buffer;
}

}  // namespace

extern "C" {

int LinkaraCreate(LinkaraTraceHook trace, LinkaraStateHook state, LinkaraResultHook result, const char* firstName,
                  const char* secondName, int connectionCount, char* error, int errorSize) {
  return Guarded(error, errorSize, 0, [&](std::string& text) {
    std::lock_guard lock(lifecycle);
    DestroyCurrent();
    const connpool::LibrarySetup setup{.hooks = {trace, state, result},
                                       .firstName = firstName != nullptr ? firstName : "",
                                       .secondName = secondName != nullptr ? secondName : "",
                                       .connectionCount = connectionCount};
    std::shared_ptr<Library> library = Library::Create(
        connpool::HalvostApi(), MacCache(), setup, {OnMiddlewareState, OnMiddlewareReceive, OnMiddlewareTrace}, text);
    if (library == nullptr) return 0;
    Exchange(std::move(library));
    return 1;
  });
}

void LinkaraDestroy() {
  try {
    std::lock_guard lock(lifecycle);
    DestroyCurrent();
  } catch (...) {
  }
}

int LinkaraConnect(int connection, const connpool::ServerInfo* server, connpool::SubCall* login, char* error,
                   int errorSize) {
  return Guarded(error, errorSize, -1, [&](std::string& text) {
    const auto library = Current();
    if (library == nullptr) {
      text = "建立连接时，还没有创建通讯线程池！";
      return -1;
    }
    if (server == nullptr || login == nullptr) {
      text = "建立连接时，服务器信息或登录请求为空！";
      return -1;
    }
    return library->Connect(connection, *server, *login, text);
  });
}

int LinkaraDisConnect(int connection, char* error, int errorSize) {
  return Guarded(error, errorSize, 0, [&](std::string& text) {
    const auto library = Current();
    if (library == nullptr) {
      text = "断开连接时，还没有创建通讯线程池！";
      return 0;
    }
    return library->Disconnect(connection, text) ? 1 : 0;
  });
}

int LinkaraDoFunction(int connection, connpool::CallBlock* block, char* error, int errorSize) {
  return Guarded(error, errorSize, 0, [&](std::string& text) {
    const auto library = Current();
    if (library == nullptr) {
      text = "同步通讯调用时，还没有创建通讯线程池！";
      return 0;
    }
    return library->DoFunction(connection, block, text) ? 1 : 0;
  });
}

int LinkaraDoFunctionSA(int connection, connpool::CallBlock* block, char* error, int errorSize) {
  return Guarded(error, errorSize, 0, [&](std::string& text) {
    const auto library = Current();
    if (library == nullptr) {
      text = "异步讯调用时，还没有创建通讯线程池！";
      return 0;
    }
    return library->DoFunctionAsync(connection, block, text) ? 1 : 0;
  });
}

int LinkaraGetFreeConnectionCount() {
  try {
    const auto library = Current();
    return library != nullptr ? library->FreeConnectionCount() : 0;
  } catch (...) {
    return 0;
  }
}

int LinkaraTestServer(const connpool::ServerInfo* server) {
  try {
    const auto library = Current();
    return library != nullptr && server != nullptr ? library->TestServer(*server) : 0;
  } catch (...) {
    return 0;
  }
}

char* LinkaraGetLocalIPAddress(char* buffer) {
  try {
    std::string text;
    const connpool::MiddlewareApi& api = connpool::HalvostApi();
    char address[connpool::kMiddlewareTextSize] = {};
    if (api.localIp != nullptr && api.localIp(address, sizeof address) == kHalvostOk)
      text = connpool::TextIn(address, sizeof address);
    return GiveAddress(buffer, text);
  } catch (...) {
    return GiveAddress(buffer, {});
  }
}

char* LinkaraGetLocalMacAddress(char* buffer) {
  try {
    return GiveAddress(buffer, MacCache().Get());
  } catch (...) {
    return GiveAddress(buffer, {});
  }
}

}  // extern "C"
