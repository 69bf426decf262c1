#include "securelogin/testing/engine_folder.h"

#include <filesystem>
#include <fstream>

namespace gatelin_test {
namespace fs = std::filesystem;

std::string DataFolder() { return GATELIN_TEST_DATA; }

std::string PluginFile(const std::string& appId) {
  return std::string(GATELIN_TEST_PLUGINS) + "/" + appId + "/GTN_" + appId + ".so";
}

EngineFolder::EngineFolder(const std::vector<std::string>& appIds) {
  fs::copy_file(DataFolder() + "/Gatelin.ini", folder_.PathOf("Gatelin.ini"));
  for (const std::string& appId : appIds) {
    const std::string folder = SupplierFolder(appId);
    fs::create_directory(folder);
    for (const char* name : {"client.key", "client.crt", "server.crt", "echo.key"}) {
      fs::copy_file(DataFolder() + "/" + name, folder + "/" + name);
    }
    fs::copy_file(PluginFile(appId), folder + "/GTN_" + appId + ".so");
  }
}

void EngineFolder::WriteSettings(const std::string& text) const {
  std::ofstream(folder_.PathOf("Gatelin.ini"), std::ios::binary | std::ios::trunc) << text;
}

void EngineFolder::FailInPlugin(const std::string& appId, const std::string& functions) const {
  std::ofstream(SupplierFolder(appId) + "/fail.txt", std::ios::binary | std::ios::trunc) << functions;
}

void EngineFolder::RemoveServerCertificate(const std::string& appId) const {
  fs::remove(SupplierFolder(appId) + "/server.crt");
}

}  // namespace gatelin_test
