#include "shell/settings_areas.h"

namespace shell {

ShellSettings::ShellSettings(VarietyContractSource contracts) : varieties(std::move(contracts)) {}

void ShellSettings::RegisterAndLoad(client::ConfigRegistry& registry) {
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
