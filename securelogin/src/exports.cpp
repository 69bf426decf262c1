// The engine's exports over its one engine object. None lets an exception
// out: a failure inside is reported as the engine's failure.
#include "login_engine.h"
#include "platform/files.h"

namespace {

// Never destroyed: at process exit the supplier's plug-in and the libraries
// it uses may already be torn down, so nothing may call into it then. Hosts
// unload the plug-in with GTN_ExitInstance.
gatelin::LoginEngine& Engine() {
  static auto* engine = new gatelin::LoginEngine;
  return *engine;
}

// The engine's folder: "GTNdll" beside the host executable.
std::string HostSubFolder(const char* name) { return platform::ProgramFolder() + "/" + name; }

}  // namespace

extern "C" {

int GTN_InitInstance(GtnLogFunction log) {
  try {
    return Engine().InitInstance(log, HostSubFolder("GTNdll"));
  } catch (...) {
    return 0;
  }
}

int GTN_ExitInstance(void) {
  try {
    return Engine().ExitInstance();
  } catch (...) {
    return 0;
  }
}

int GTN_Login(int connection, GtnHostParam a, GtnHostParam b, GtnHostParam c, GtnHostParam d, const char* request,
              const char* secret, int policy, char* reply, int replySize, GtnHostParam e, GtnHostParam f) {
  try {
    return Engine().Login(connection, {a, b, c, d, e, f}, request, secret, policy, reply, replySize);
  } catch (...) {
    return GTN_FAILED;
  }
}

int GTN_ReLogin(GtnHostParam a, const char* request, char* reply, int replySize, GtnHostParam e, GtnHostParam f) {
  try {
    return Engine().ReLogin(a, request, reply, replySize, e, f);
  } catch (...) {
    return GTN_FAILED;
  }
}

int GTN_ChangeSEpassword(int policy, const char* oldSecret, const char* newSecret, char* error, int errorSize) {
  try {
    return Engine().ChangePassword(policy, oldSecret, newSecret, error, errorSize);
  } catch (...) {
    return 0;
  }
}

int GTN_GetGTNpolicyList(unsigned char* list) {
  if (!list) return 0;
  Engine().PolicyList(list);
  return 1;
}

char* GTN_GetDllVersion(char* buffer, int size) {
  if (!buffer || size <= 0) return buffer;
  const std::string_view version = gatelin::kGatelinVersion;
  const std::size_t length = std::min(version.size(), static_cast<std::size_t>(size) - 1);
  version.copy(buffer, length);
  buffer[length] = '\0';
  return buffer;
}

}  // extern "C"
