#include "engine_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace gatelin_test {
namespace fs = std::filesystem;

std::string DataFolder() { return GATELIN_TEST_DATA; }

std::string PluginFile(const std::string& appId) {
  return std::string(GATELIN_TEST_PLUGINS) + "/" + appId + "/GTN_" + appId + ".so";
}

EngineFolder::EngineFolder(const std::vector<std::string>& appIds) {
  std::string pattern = (fs::temp_directory_path() / "gatelin-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
  path_ = pattern;
  fs::copy_file(DataFolder() + "/Gatelin.ini", path_ + "/Gatelin.ini");
  for (const std::string& appId : appIds) {
    const std::string folder = SupplierFolder(appId);
    fs::create_directory(folder);
    for (const char* name : {"client.key", "client.crt", "server.crt", "echo.key"}) {
      fs::copy_file(DataFolder() + "/" + name, folder + "/" + name);
    }
    fs::copy_file(PluginFile(appId), folder + "/GTN_" + appId + ".so");
  }
}

EngineFolder::~EngineFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void EngineFolder::WriteSettings(const std::string& text) const {
  std::ofstream(path_ + "/Gatelin.ini", std::ios::binary | std::ios::trunc) << text;
}

void EngineFolder::FailInPlugin(const std::string& appId, const std::string& functions) const {
  std::ofstream(SupplierFolder(appId) + "/fail.txt", std::ios::binary | std::ios::trunc) << functions;
}

void EngineFolder::RemoveServerCertificate(const std::string& appId) const {
  fs::remove(SupplierFolder(appId) + "/server.crt");
}

}  // namespace gatelin_test
