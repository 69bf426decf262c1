// The settings areas of the application shell: each one a CTQConfig over its
// ini file and its data record, loaded when the login dialog opens, shown in
// and read from its page, and saved when the settings sheet is confirmed.
//
// Files (in "Config" of the program folder): "Configs.ini" (sections
// "TraderServerSet", "ProxyServer", "Login", "CheckInToCTP"),
// "EntrustParam.ini" ("EntrustCommon", "EntrustAdv"), "SysParam.ini"
// ("SysHotKey", "MediaVoice") and "VarietyParamSet.ini" ("VarietyParam").
// A missing file or key gives the defaults; failed writes are not reported.
// No toolkit: the pages implement the page interfaces below.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "client/order_settings.h"
#include "client/settings_registry.h"
#include "client/settings_store.h"
#include "shell/settings_records.h"

namespace shell {

// A page that shows one settings record and reads it back. A page may show
// the records of several areas: each sees it as the same settings page.
template <class Record>
class RecordPage : public virtual client::SettingsPage {
 public:
  virtual void ShowRecord(const Record& record) = 0;
  virtual void ReadRecord(Record& record) = 0;
};

// The trader-server page: a list of servers, six cells a row (name, IP,
// port, ping, load, composite).
class ServerListPage : public virtual client::SettingsPage {
 public:
  virtual void AddServerRow(const std::vector<std::string>& cells) = 0;
  virtual int ServerRowCount() const = 0;
  virtual std::string ServerCell(int row, int column) const = 0;
};

// The login dialog as "LoginSet" sees it.
class LoginPage : public client::SettingsPage {
 public:
  virtual void SetRememberChecks(bool saveUser, bool autoSelectServer) = 0;
  virtual void SetCustomerNo(const std::string& customerNo) = 0;
  // Select the item of that text; no change when none has it.
  virtual void SelectRoleText(const std::string& text) = 0;
  virtual void SelectGatewayText(const std::string& text) = 0;

  virtual bool SaveUserChecked() const = 0;
  virtual bool AutoSelectChecked() const = 0;
  virtual std::string CustomerNoText() const = 0;
  virtual std::string RoleText() const = 0;
  virtual std::string GatewayText() const = 0;
};

class TraderServerArea : public client::CTQConfig {
 public:
  TraderServerArea();
  bool Load() override;
  bool Save() override;
  bool ToPage() override;
  bool FromPage() override;

 private:
  TraderServerSettings* Record() const { return static_cast<TraderServerSettings*>(Data()); }
  // The count the file held at the last load or save.
  int storedCount_ = 0;
};

class ProxyServerArea : public client::CTQConfig {
 public:
  bool Load() override;
  // The file also holds a password: it is kept readable by the user only.
  bool Save() override;
  bool ToPage() override;
  bool FromPage() override;

 private:
  ProxySettings* Record() const { return static_cast<ProxySettings*>(Data()); }
};

class LoginArea : public client::CTQConfig {
 public:
  bool Load() override;
  // The "Login" keys; "SaveUserName" only while "记住账号" is on (else the
  // remembered number is removed). "AutoCheckIn" is the check-in dialog's.
  bool Save() override;
  bool ToPage() override;
  bool FromPage() override;
  // Writes "AutoCheckIn" of section "CheckInToCTP".
  bool SaveAutoCheckIn();

 private:
  LoginSettings* Record() const { return static_cast<LoginSettings*>(Data()); }
};

// What the variety rows are built from: one contract of the engine's table.
struct VarietyContract {
  std::string varietyName, varietyCode, contractCode, exchangeCode, exchangeName, priceTick;
};
// Fills the list with the engine's contracts in table order; false while the
// engine cannot give them.
using VarietyContractSource = std::function<bool(std::vector<VarietyContract>& contracts)>;

class VarietyParamArea : public client::CTQConfig {
 public:
  explicit VarietyParamArea(VarietyContractSource contracts);
  // Rebuilds the rows from the engine's contracts, then reads each row's
  // values.
  bool Load() override;
  // Rewrites the section from the rows that carry a value; does nothing
  // while the rows were not built from the engine's contracts, so that a
  // save before the contracts are known keeps the file.
  bool Save() override;
  bool ToPage() override;
  bool FromPage() override;

  bool BuiltFromContracts() const { return builtFromContracts_; }

 private:
  client::VarietyParamRows* Record() const { return static_cast<client::VarietyParamRows*>(Data()); }
  VarietyContractSource contracts_;
  bool builtFromContracts_ = false;
};

class EntrustCommonArea : public client::CTQConfig {
 public:
  EntrustCommonArea();
  bool Load() override;
  bool Save() override;
  bool ToPage() override;
  bool FromPage() override;

 private:
  client::OrderSettings* Record() const { return static_cast<client::OrderSettings*>(Data()); }
};

class EntrustAdvancedArea : public client::CTQConfig {
 public:
  EntrustAdvancedArea();
  bool Load() override;
  bool Save() override;
  bool ToPage() override;
  bool FromPage() override;

 private:
  client::OrderSettings* Record() const { return static_cast<client::OrderSettings*>(Data()); }
};

class SysParamArea : public client::CTQConfig {
 public:
  SysParamArea();
  bool Load() override;
  bool Save() override;
  bool ToPage() override;
  bool FromPage() override;

 private:
  HotKeySettings* Record() const { return static_cast<HotKeySettings*>(Data()); }
};

class VoiceArea : public client::CTQConfig {
 public:
  VoiceArea();
  // Replaces the items with the seven events, then reads the type and each
  // event's sound file (the default file in "\Res\" when none is set).
  bool Load() override;
  bool Save() override;
  bool ToPage() override;
  bool FromPage() override;

 private:
  VoiceSettings* Record() const { return static_cast<VoiceSettings*>(Data()); }
};

// The records the rest of the program reads.
struct SettingsRecords {
  TraderServerSettings traderServers;
  LoginSettings login;
  ProxySettings proxy;
  client::VarietyParamRows varieties;
  client::OrderSettings orders;
  HotKeySettings hotKey;
  VoiceSettings voice;
};

// Every area with its record. Build it once the program folder is known.
class ShellSettings {
 public:
  explicit ShellSettings(VarietyContractSource contracts);
  // Takes the areas out of the registry they were registered in.
  ~ShellSettings();
  ShellSettings(const ShellSettings&) = delete;
  ShellSettings& operator=(const ShellSettings&) = delete;

  // Registers the eight areas in their order, binds each to its record and
  // loads it: what the login dialog does when it opens.
  void RegisterAndLoad(client::ConfigRegistry& registry);

  SettingsRecords records;
  TraderServerArea traderServer;
  LoginArea login;
  ProxyServerArea proxy;
  VarietyParamArea varieties;
  EntrustCommonArea entrustCommon;
  EntrustAdvancedArea entrustAdvanced;
  SysParamArea sysParam;
  VoiceArea voice;

 private:
  client::ConfigRegistry* registry_ = nullptr;
};

}  // namespace shell
