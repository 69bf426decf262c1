// Knows the policies and suppliers of the settings file, loads one supplier
// plug-in at a time and offers the lookups and the password change of the
// login flow. Runs on the caller's thread; not for concurrent use.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "gatelin_settings.h"
#include "plugin_module.h"

namespace gatelin {

// The size of the error texts that plug-in functions fill.
inline constexpr int kPluginErrorSize = 512;

// A failure: the engine's message and the plug-in's own text, if any.
struct Failure {
  std::string message;
  std::string pluginText;
};

struct PolicyEntry {
  std::string displayName;
  int supplierNumber = 1;
  int kindId = 0;
};

class SupplierManager {
 public:
  SupplierManager() = default;
  ~SupplierManager() { Unload(); }
  SupplierManager(const SupplierManager&) = delete;
  SupplierManager& operator=(const SupplierManager&) = delete;

  // Reads "Gatelin.ini" of the engine folder; any plug-in is unloaded first.
  void Load(std::string engineFolder);
  const std::string& EngineFolder() const { return engineFolder_; }

  int PolicyKind(int policy) const;        // -1 when unknown
  int SupplierIdOf(int policy) const;      // -1 when unknown
  int SupplierNumberOf(int policy) const;  // 1 when unknown
  std::optional<std::string> AppIdOfPolicy(int policy) const;
  std::optional<std::string> AppIdOfSupplier(int supplierId) const;
  std::optional<std::string> SupplierNameOf(int policy) const;
  int CapabilityMask(int supplierId) const;  // -1 when unknown
  int PolicyCount() const { return static_cast<int>(settings_.supplierPolicies.size()); }
  std::optional<PolicyEntry> Entry(int policy) const;

  // Makes the plug-in of the policy's supplier current, with a session for
  // `secret`. The current one is kept only when it serves the same supplier
  // with the same secret; otherwise a fresh session is opened.
  std::optional<Failure> MakeCurrent(int policy, std::string_view secret);
  void Unload();
  // The current plug-in's functions; null when none is loaded.
  const PluginFunctions* Current() const { return module_ ? &functions_ : nullptr; }

  // Changes the secret of the supplier's key; 1 changed, else 0 with the
  // reason in `failure`.
  int ChangeSupplierPassword(int policy, const char* oldSecret, const char* newSecret, Failure& failure);

 private:
  const SupplierPolicyRecord* FindPolicy(int policy) const;
  const SafeSupplierRecord* FindSupplier(int supplierId) const;
  // The application id of the supplier of `policy`, or the failure message.
  std::optional<Failure> PluginAppId(int supplierId, std::string& appId) const;
  std::optional<Failure> Load(int supplierId, const std::string& appId, std::string_view secret);

  std::string engineFolder_;
  GatelinSettings settings_;
  int currentSupplier_ = -1;
  std::string currentSecret_;
  std::unique_ptr<PluginModule> module_;
  PluginFunctions functions_;
};

}  // namespace gatelin
