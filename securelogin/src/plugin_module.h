// A supplier plug-in loaded from its file, with its functions bound by name.
#pragma once

#include <memory>
#include <string>

#include "securelogin/gtn_plugin.h"

namespace gatelin {

// The functions a login uses; all bound while a plug-in is current.
struct PluginFunctions {
  GtnGetSupplierInfoFn getSupplierInfo = nullptr;
  GtnGetCustCertDetailFn getCustCertDetail = nullptr;
  GtnCheckServiceCertValidFn checkServiceCertValid = nullptr;
  GtnInitializeSessionFn initializeSession = nullptr;
  GtnClearSessionFn clearSession = nullptr;
  GtnSignDataFn signData = nullptr;
  GtnVerifySignDataFn verifySignData = nullptr;
  GtnEnvelopeFn envelope = nullptr;
  GtnDownLoadCertificateFn downLoadCertificate = nullptr;
  GtnUpTransCertificateFn upTransCertificate = nullptr;
  GtnChangePasswordFn changePassword = nullptr;
};

class PluginModule {
 public:
  // Loads the library at `path`; null when it cannot be loaded.
  static std::unique_ptr<PluginModule> Load(const std::string& path);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // Binds the function `name` into `slot`; false when the plug-in lacks it.
  template <typename Fn>
  bool Bind(Fn& slot, const char* name) const {
    slot = reinterpret_cast<Fn>(Find(name));
    return slot != nullptr;
  }

 private:
  explicit PluginModule(void* handle) : handle_(handle) {}
  void* Find(const char* name) const;

  void* handle_;
};

// "%s/%s/GTN_%s.so" of the engine folder and the application id.
std::string PluginPath(const std::string& engineFolder, const std::string& appId);
// "%s/%s": where the plug-in keeps the supplier's files.
std::string SupplierFolder(const std::string& engineFolder, const std::string& appId);

}  // namespace gatelin
