#include "shell/settings_areas.h"

namespace shell {

ShellSettings::ShellSettings(VarietyContractSource contracts) : varieties(std::move(contracts)) {}

ShellSettings::~ShellSettings() {
  if (!registry_) return;
  for (const client::CTQConfig* area : std::initializer_list<const client::CTQConfig*>{
           &traderServer, &login, &proxy, &varieties, &entrustCommon, &entrustAdvanced, &sysParam, &voice})
    registry_->Unregister(area);
}

void ShellSettings::RegisterAndLoad(client::ConfigRegistry& registry) {
  registry_ = &registry;
  client::RegisterConfigs({.traderServer = {&traderServer, &records.traderServers},
                           .login = {&login, &records.login},
                           .proxyServer = {&proxy, &records.proxy},
                           .varietyParams = {&varieties, &records.varieties},
                           .entrustCommon = &entrustCommon,
                           .entrustAdvanced = &entrustAdvanced,
                           .entrustData = &records.orders,
                           .sysParam = {&sysParam, &records.hotKey},
                           .voice = {&voice, &records.voice}},
                          registry);
  for (const client::ConfigEntry& entry : registry.Entries()) {
    entry.BindData();
    entry.Load();
  }
}

}  // namespace shell
