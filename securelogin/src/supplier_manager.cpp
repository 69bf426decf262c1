#include "supplier_manager.h"

#include <cstring>
#include <vector>

namespace gatelin {
namespace {

std::string LoadInterfaceFailed(const char* name) { return std::string("加载接口<") + name + ">失败"; }

// The text a plug-in left in its error buffer, read no further than the buffer.
std::string PluginText(const std::vector<char>& buffer) {
  return std::string(buffer.data(), ::strnlen(buffer.data(), buffer.size()));
}

// Binds each function in the order the calls below name them; the failure
// names the first one missing.
class Binder {
 public:
  explicit Binder(const PluginModule& module) : module_(module) {}
  template <typename Fn>
  void operator()(Fn& slot, const char* name) {
    if (!missing_ && !module_.Bind(slot, name)) missing_ = Failure{LoadInterfaceFailed(name), {}};
  }
  std::optional<Failure> Missing() const { return missing_; }

 private:
  const PluginModule& module_;
  std::optional<Failure> missing_;
};

std::optional<Failure> BindLoginFunctions(const PluginModule& module, PluginFunctions& f) {
  Binder bind(module);
  bind(f.getCustCertDetail, "GetcustCertDetail");
  bind(f.checkServiceCertValid, "CheckServiceCertValid");
  bind(f.initializeSession, "InitializeSession");
  bind(f.clearSession, "ClearSession");
  bind(f.signData, "SignData");
  bind(f.verifySignData, "VerifySignData");
  bind(f.envelope, "Envelope");
  bind(f.downLoadCertificate, "DownLoadCertificate");
  bind(f.upTransCertificate, "UpTransCertificate");
  return bind.Missing();
}

std::optional<Failure> BindPasswordFunctions(const PluginModule& module, PluginFunctions& f) {
  Binder bind(module);
  bind(f.initializeSession, "InitializeSession");
  bind(f.clearSession, "ClearSession");
  bind(f.changePassword, "ChangePassword");
  return bind.Missing();
}

}  // namespace

void SupplierManager::Load(std::string engineFolder) {
  Unload();
  engineFolder_ = std::move(engineFolder);
  settings_ = LoadGatelinSettings(engineFolder_ + "/" + kSettingsFileName);
}

const SupplierPolicyRecord* SupplierManager::FindPolicy(int policy) const {
  for (const auto& record : settings_.supplierPolicies) {
    if (record.policyNumber == policy) return &record;
  }
  return nullptr;
}

const SafeSupplierRecord* SupplierManager::FindSupplier(int supplierId) const {
  for (const auto& record : settings_.suppliers) {
    if (record.id == supplierId) return &record;
  }
  return nullptr;
}

int SupplierManager::PolicyKind(int policy) const {
  const auto* record = FindPolicy(policy);
  return record ? record->kindId : -1;
}

int SupplierManager::SupplierIdOf(int policy) const {
  const auto* record = FindPolicy(policy);
  return record ? record->supplierId : -1;
}

int SupplierManager::SupplierNumberOf(int policy) const {
  const auto* supplier = FindSupplier(SupplierIdOf(policy));
  return supplier ? supplier->number : 1;
}

std::optional<std::string> SupplierManager::AppIdOfPolicy(int policy) const {
  return AppIdOfSupplier(SupplierIdOf(policy));
}

std::optional<std::string> SupplierManager::AppIdOfSupplier(int supplierId) const {
  const auto* supplier = FindSupplier(supplierId);
  if (!supplier) return std::nullopt;
  return supplier->appId;
}

std::optional<std::string> SupplierManager::SupplierNameOf(int policy) const {
  const auto* supplier = FindSupplier(SupplierIdOf(policy));
  if (!supplier) return std::nullopt;
  return supplier->name;
}

int SupplierManager::CapabilityMask(int supplierId) const {
  const auto* supplier = FindSupplier(supplierId);
  return supplier ? supplier->capabilityMask : -1;
}

std::optional<PolicyEntry> SupplierManager::Entry(int policy) const {
  const auto* record = FindPolicy(policy);
  if (!record) return std::nullopt;
  return PolicyEntry{record->displayName, SupplierNumberOf(policy), record->kindId};
}

std::optional<Failure> SupplierManager::PluginAppId(int supplierId, std::string& appId) const {
  if (supplierId < 1) return Failure{"不能获取厂商的ID", {}};
  auto found = AppIdOfSupplier(supplierId);
  // The id names a folder below the engine's: it must stay there.
  if (!found || found->empty() || *found == "." || *found == ".." || found->find('/') != std::string::npos) {
    return Failure{"不能获取厂商的应用ID", {}};
  }
  appId = std::move(*found);
  return std::nullopt;
}

std::optional<Failure> SupplierManager::MakeCurrent(int policy, std::string_view secret) {
  const int supplierId = SupplierIdOf(policy);
  std::string appId;
  if (auto failure = PluginAppId(supplierId, appId)) return failure;
  if (module_ && currentSupplier_ == supplierId && currentSecret_ == secret) return std::nullopt;
  Unload();
  return Load(supplierId, appId, secret);
}

std::optional<Failure> SupplierManager::Load(int supplierId, const std::string& appId, std::string_view secret) {
  auto module = PluginModule::Load(PluginPath(engineFolder_, appId));
  if (!module) return Failure{"不能获取厂商模块,可能没有安装", {}};
  PluginFunctions functions;
  if (!module->Bind(functions.getSupplierInfo, "GetSupplierInfo"))
    return Failure{LoadInterfaceFailed("GetSupplierInfo"), {}};
  unsigned char info[GTN_SUPPLIER_INFO_SIZE] = {};
  functions.getSupplierInfo(info);
  std::uint32_t capabilities;
  std::memcpy(&capabilities, info + GTN_SUPPLIER_INFO_CAPABILITIES_OFFSET, sizeof capabilities);
  const int mask = CapabilityMask(supplierId);
  if (mask < 0) return Failure{"不能获取厂商的应用位图", {}};
  if ((capabilities & static_cast<std::uint32_t>(mask)) != static_cast<std::uint32_t>(mask)) {
    return Failure{"该厂商不支持该种认证方式", {}};
  }
  if (auto failure = BindLoginFunctions(*module, functions)) return failure;

  std::vector<char> error(kPluginErrorSize, '\0');
  const std::string secretText(secret);
  if (!functions.initializeSession(SupplierFolder(engineFolder_, appId).c_str(), secretText.c_str(), error.data(),
                                   kPluginErrorSize)) {
    return Failure{"调用认证厂商功能失败", PluginText(error)};
  }
  module_ = std::move(module);
  functions_ = functions;
  currentSupplier_ = supplierId;
  currentSecret_ = secretText;
  return std::nullopt;
}

void SupplierManager::Unload() {
  if (functions_.clearSession) functions_.clearSession();
  functions_ = PluginFunctions{};
  module_.reset();
  currentSupplier_ = -1;
  currentSecret_.clear();
}

int SupplierManager::ChangeSupplierPassword(int policy, const char* oldSecret, const char* newSecret,
                                            Failure& failure) {
  const int supplierId = SupplierIdOf(policy);
  std::string appId;
  if (auto found = PluginAppId(supplierId, appId)) {
    failure = *found;
    return 0;
  }
  if (module_ && currentSupplier_ == supplierId) {
    failure = {"证书已加载，不能修改私钥密码，请在登录前修改密码。", {}};
    return 0;
  }
  auto module = PluginModule::Load(PluginPath(engineFolder_, appId));
  if (!module) {
    failure = {"不能获取厂商模块,可能没有安装", {}};
    return 0;
  }
  PluginFunctions functions;
  if (auto missing = BindPasswordFunctions(*module, functions)) {
    failure = *missing;
    return 0;
  }
  std::vector<char> error(kPluginErrorSize, '\0');
  const char* oldText = oldSecret ? oldSecret : "";
  const char* newText = newSecret ? newSecret : "";
  int result = 0;
  if (functions.initializeSession(SupplierFolder(engineFolder_, appId).c_str(), oldText, error.data(),
                                  kPluginErrorSize)) {
    result = functions.changePassword(oldText, newText, error.data(), kPluginErrorSize);
    functions.clearSession();
  }
  if (result != 1) {
    failure = {PluginText(error), {}};
    return 0;
  }
  return 1;
}

}  // namespace gatelin
