// The registry of the settings areas: each area's object bound to its data
// record under a section name, so that the login dialog can load every
// area, the settings sheet can read every page back and save every area,
// and any code can find an area by name. Used on the GUI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "client/settings_store.h"

namespace client {

struct ConfigEntry {
  static constexpr std::size_t kNameSize = 128;

  char name[kNameSize] = {};  // zero-padded; at most 127 bytes, cut on a GBK character
  CTQConfig* config = nullptr;
  void* data = nullptr;
  std::int32_t flag = 0;  // always 0

  ConfigEntry() = default;
  ConfigEntry(std::string_view sectionName, CTQConfig* object, void* record);

  std::string_view Name() const;

  // Each forwards to the entry's object and gives false when there is none.
  // BindData gives the object the entry's data record.
  bool BindData() const;
  bool Load() const;
  bool Save() const;
  bool FromPage() const;
};
// 140 bytes where pointers take 4.
static_assert(sizeof(ConfigEntry) == 152);

class ConfigRegistry {
 public:
  // Appends the entry unless its name is registered already (the first
  // registration wins); false when it was ignored.
  bool Register(const ConfigEntry& entry);
  // Removes every entry of the object, so that an object that goes away
  // leaves no entry behind that points at it.
  void Unregister(const CTQConfig* config);
  // The object of the first entry with the name (compared as its first 127
  // bytes, as the names are kept), or null.
  CTQConfig* Find(std::string_view name) const;
  // In registration order.
  const std::vector<ConfigEntry>& Entries() const { return entries_; }

  // Save, or FromPage, of every object in registration order; true when every
  // one of them succeeded.
  bool SaveAll() const;
  bool ReadAllFromPages() const;

 private:
  std::vector<ConfigEntry> entries_;
};

// One area of the application shell and its data record.
struct SettingsArea {
  CTQConfig* config = nullptr;
  void* data = nullptr;
};

// The application shell's eight areas. The common and the advanced
// order-entry areas share one data record.
struct SettingsAreas {
  SettingsArea traderServer;             // CTQTraderServerConfig
  SettingsArea login;                    // CTQLoginConfig
  SettingsArea proxyServer;              // CTQProxyServerConfig
  SettingsArea varietyParams;            // CTQVarietyParamSetConfig
  CTQConfig* entrustCommon = nullptr;    // CTQEntrustParamSetCommonConfig
  CTQConfig* entrustAdvanced = nullptr;  // CTQEntrustParamSetAdvancedConfig
  void* entrustData = nullptr;
  SettingsArea sysParam;  // CTQSysSetSysParamConfig
  SettingsArea voice;     // CTQSysSetVoiceConfig
};

// The program's registry.
ConfigRegistry& TheConfigRegistry();

// Registers the areas in this order: "TraderServerConfig", "LoginSet",
// "ProxyServerSet", "VarietyParamSet", "EntrustParamSetCommon",
// "EntrustParamSetAdv", "SyssetSysParam", "SyssetSysParamVoiceSet".
void RegisterConfigs(const SettingsAreas& areas, ConfigRegistry& registry = TheConfigRegistry());

// The operations of the program's registry.
bool RegisterConfig(ConfigEntry entry);
CTQConfig* FindConfig(std::string_view name);
bool SaveAllConfigs();
bool ReadAllConfigsFromPages();

}  // namespace client
