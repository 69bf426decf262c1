// A throw-away engine folder for one test: "Gatelin.ini" and one supplier
// folder per plug-in, each with the test keys and its plug-in copied in.
#pragma once

#include <string>
#include <vector>

#include "platform/testing/temporary_folder.h"

namespace gatelin_test {

// The passphrase of the test keys.
constexpr const char* kSecret = "123456";

// Where the test keys and the settings file are (the tests' data folder).
std::string DataFolder();
// The built plug-in of an application id ("TESTCA", "NOSIGN", ...).
std::string PluginFile(const std::string& appId);

class EngineFolder {
 public:
  // Copies the tests' "Gatelin.ini" and sets up the given suppliers.
  explicit EngineFolder(const std::vector<std::string>& appIds);
  EngineFolder() : EngineFolder(std::vector<std::string>{}) {}

  const std::string& Path() const { return folder_.Path(); }
  std::string SupplierFolder(const std::string& appId) const { return folder_.PathOf(appId); }
  void WriteSettings(const std::string& text) const;
  // Names the plug-in functions of a supplier that are to fail.
  void FailInPlugin(const std::string& appId, const std::string& functions) const;
  void RemoveServerCertificate(const std::string& appId) const;

 private:
  platform_testing::TemporaryFolder folder_{"gatelin"};
};

}  // namespace gatelin_test
