#include "client/settings_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/gbk.h"

namespace client {
namespace {

std::string_view KeptName(std::string_view name) {
  return name.substr(0, platform::GbkFitLength(name, ConfigEntry::kNameSize - 1));
}

}  // namespace

ConfigEntry::ConfigEntry(std::string_view sectionName, CTQConfig* object, void* record) : config(object), data(record) {
  KeptName(sectionName).copy(name, kNameSize - 1);
}

std::string_view ConfigEntry::Name() const { return {name, strnlen(name, kNameSize)}; }

bool ConfigEntry::BindData() const {
  if (!config) return false;
  config->BindData(data);
  return true;
}

bool ConfigEntry::Load() const { return config && config->Load(); }

bool ConfigEntry::Save() const { return config && config->Save(); }

bool ConfigEntry::FromPage() const { return config && config->FromPage(); }

bool ConfigRegistry::Register(const ConfigEntry& entry) {
  if (Find(entry.Name())) return false;
  entries_.push_back(entry);
  return true;
}

void ConfigRegistry::Unregister(const CTQConfig* config) {
  std::erase_if(entries_, [config](const ConfigEntry& entry) { return entry.config == config; });
}

CTQConfig* ConfigRegistry::Find(std::string_view name) const {
  const std::string_view kept = KeptName(name);
  const auto found =
      std::find_if(entries_.begin(), entries_.end(), [kept](const ConfigEntry& entry) { return entry.Name() == kept; });
  return found == entries_.end() ? nullptr : found->config;
}

bool ConfigRegistry::SaveAll() const {
  bool saved = true;
  for (const ConfigEntry& entry : entries_) saved = entry.Save() && saved;
  return saved;
}

bool ConfigRegistry::ReadAllFromPages() const {
  bool read = true;
  for (const ConfigEntry& entry : entries_) read = entry.FromPage() && read;
  return read;
}

ConfigRegistry& TheConfigRegistry() {
  static ConfigRegistry registry;
  return registry;
}

void RegisterConfigs(const SettingsAreas& areas, ConfigRegistry& registry) {
  const ConfigEntry entries[] = {
      {"TraderServerConfig", areas.traderServer.config, areas.traderServer.data},
      {"LoginSet", areas.login.config, areas.login.data},
      {"ProxyServerSet", areas.proxyServer.config, areas.proxyServer.data},
      {"VarietyParamSet", areas.varietyParams.config, areas.varietyParams.data},
      {"EntrustParamSetCommon", areas.entrustCommon, areas.entrustData},
      {"EntrustParamSetAdv", areas.entrustAdvanced, areas.entrustData},
      {"SyssetSysParam", areas.sysParam.config, areas.sysParam.data},
      {"SyssetSysParamVoiceSet", areas.voice.config, areas.voice.data},
  };
  for (const ConfigEntry& entry : entries) registry.Register(entry);
}

bool RegisterConfig(ConfigEntry entry) { return TheConfigRegistry().Register(entry); }

CTQConfig* FindConfig(std::string_view name) { return TheConfigRegistry().Find(name); }

bool SaveAllConfigs() { return TheConfigRegistry().SaveAll(); }

bool ReadAllConfigsFromPages() { return TheConfigRegistry().ReadAllFromPages(); }

}  // namespace client
