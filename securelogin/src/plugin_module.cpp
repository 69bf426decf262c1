#include "plugin_module.h"

#include <dlfcn.h>

namespace gatelin {

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& path) {
  // Local binding keeps the plug-in's names from standing in for another's.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  return std::unique_ptr<PluginModule>(new PluginModule(handle));
}

PluginModule::~PluginModule() { ::dlclose(handle_); }

void* PluginModule::Find(const char* name) const { return ::dlsym(handle_, name); }

std::string SupplierFolder(const std::string& engineFolder, const std::string& appId) {
  return engineFolder + "/" + appId;
}

std::string PluginPath(const std::string& engineFolder, const std::string& appId) {
  return SupplierFolder(engineFolder, appId) + "/GTN_" + appId + ".so";
}

}  // namespace gatelin
