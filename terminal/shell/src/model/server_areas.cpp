// The areas of "Configs.ini": trading gateways, proxy and the login dialog's
// remembered values.
#include <algorithm>
#include <string>

#include "backend/field_text.h"
#include "client/fixed_text.h"
#include "client/settings_store.h"
#include "ini_values.h"
#include "platform/file_permissions.h"
#include "shell/settings_areas.h"

namespace shell {
namespace {

constexpr std::string_view kTraderSection = "TraderServerSet";
constexpr std::string_view kProxySection = "ProxyServer";
constexpr std::string_view kLoginSection = "Login";
constexpr std::string_view kCheckInSection = "CheckInToCTP";
// A count beyond this in the file is taken as this many: a damaged count
// must not make the load read keys for ever.
constexpr int kMaxServers = 256;

std::string Key(std::string_view prefix, int position) {
  std::string key(prefix);
  client::AppendDecimalText(key, position);
  return key;
}

int CellInt(const std::string& cell) { return backend::ParseDecimal(backend::TrimBlanks(cell)).value_or(0); }

double CellNumber(const std::string& cell) {
  double value = 0;
  return ini::ParseLeadingNumber(cell, value) ? value : 0;
}

}  // namespace

TraderServerArea::TraderServerArea() = default;

bool TraderServerArea::Load() {
  TraderServerSettings* record = Record();
  if (record == nullptr) return false;
  const ini::Section section(IniPath(), kTraderSection);
  storedCount_ = std::clamp(section.Int("ServerCount", 0), 0, kMaxServers);
  // A repeated load replaces the list instead of appending to it.
  record->gateways.clear();
  for (int n = 1; n <= storedCount_; ++n) {
    TraderServerRecord row;
    row.SetAddress(section.Text(Key("IP_", n), 31));
    row.SetPort(static_cast<std::uint16_t>(section.Int(Key("Port_", n), 0)));
    trader_server::SetInUse(row, section.Flag(Key("IsUse_", n)));
    trader_server::SetName(row, section.Text(Key("ServerName_", n), 63));
    trader_server::SetLoad(row, client::ReadProfileFloat(0, IniPath(), Key("ServerLoad_", n)));
    trader_server::SetPing(row, section.Int(Key("PingValue_", n), 0));
    trader_server::SetComposite(row, client::ReadProfileFloat(0, IniPath(), Key("ClientCommendValue_", n)));
    record->gateways.push_back(row);
  }
  return true;
}

bool TraderServerArea::Save() {
  TraderServerSettings* record = Record();
  if (record == nullptr) return false;
  const ini::Section section(IniPath(), kTraderSection);
  // The list as it stands is written, whether or not its page was opened.
  const int count = static_cast<int>(record->gateways.size());
  for (int n = count + 1; n <= storedCount_; ++n) {
    for (const char* prefix :
         {"IP_", "Port_", "IsUse_", "ServerName_", "ServerLoad_", "PingValue_", "ClientCommendValue_"}) {
      section.Delete(Key(prefix, n));
    }
  }
  for (int n = 1; n <= count; ++n) {
    const TraderServerRecord& row = record->gateways[static_cast<std::size_t>(n - 1)];
    section.WriteText(Key("IP_", n), row.Address());
    section.WriteInt(Key("Port_", n), row.Port());
    section.WriteFlag(Key("IsUse_", n), trader_server::InUse(row));
    section.WriteText(Key("ServerName_", n), trader_server::Name(row));
    section.WriteNumber(Key("ServerLoad_", n), trader_server::Load(row));
    section.WriteInt(Key("PingValue_", n), trader_server::Ping(row));
    section.WriteNumber(Key("ClientCommendValue_", n), trader_server::Composite(row));
  }
  section.WriteInt("ServerCount", count);
  storedCount_ = count;
  return true;
}

bool TraderServerArea::ToPage() {
  auto* page = dynamic_cast<ServerListPage*>(Page());
  if (Record() == nullptr || page == nullptr) return false;
  for (const TraderServerRecord& row : Record()->gateways) {
    page->AddServerRow({std::string(trader_server::Name(row)), std::string(row.Address()), std::to_string(row.Port()),
                        std::to_string(trader_server::Ping(row)), client::FixedText(trader_server::Load(row), 2),
                        client::FixedText(trader_server::Composite(row), 2)});
  }
  return true;
}

bool TraderServerArea::FromPage() {
  auto* page = dynamic_cast<ServerListPage*>(Page());
  TraderServerSettings* record = Record();
  if (record == nullptr || page == nullptr) return false;
  std::vector<TraderServerRecord> rows;
  for (int r = 0; r < page->ServerRowCount(); ++r) {
    TraderServerRecord row;
    trader_server::SetName(row, page->ServerCell(r, 0));
    row.SetAddress(page->ServerCell(r, 1));
    const int port = CellInt(page->ServerCell(r, 2));
    row.SetPort(static_cast<std::uint16_t>(port >= 0 && port <= 0xFFFF ? port : 0));
    trader_server::SetPing(row, CellInt(page->ServerCell(r, 3)));
    trader_server::SetLoad(row, CellNumber(page->ServerCell(r, 4)));
    trader_server::SetComposite(row, CellNumber(page->ServerCell(r, 5)));
    // The page does not show the in-use flag: a row keeps the flag of the
    // row it replaces.
    const std::size_t index = static_cast<std::size_t>(r);
    trader_server::SetInUse(row, index < record->gateways.size() && trader_server::InUse(record->gateways[index]));
    rows.push_back(row);
  }
  record->gateways = std::move(rows);
  if (record->selected >= static_cast<int>(record->gateways.size())) record->selected = -1;
  return true;
}

bool ProxyServerArea::Load() {
  ProxySettings* record = Record();
  if (record == nullptr) return false;
  const ini::Section section(IniPath(), kProxySection);
  record->server.proxyType = section.Int("ProxyType", 0);
  SetField(record->server.proxyIp, section.Text("ProxyIP", 31));
  const int port = section.Int("ProxyPort", 0);
  record->server.proxyPort = static_cast<std::uint16_t>(port >= 0 && port <= 0xFFFF ? port : 0);
  record->verifyUser = section.Flag("VerifyUser");
  SetField(record->server.user, section.Text("User", 63));
  SetField(record->server.userPassword, section.Text("UserPwd", 63));
  return true;
}

bool ProxyServerArea::Save() {
  ProxySettings* record = Record();
  if (record == nullptr) return false;
  platform::RestrictToOwner(IniPath());
  const ini::Section section(IniPath(), kProxySection);
  section.WriteInt("ProxyType", record->server.proxyType);
  section.WriteText("ProxyIP", FieldText(record->server.proxyIp));
  section.WriteInt("ProxyPort", record->server.proxyPort);
  section.WriteFlag("VerifyUser", record->verifyUser);
  section.WriteText("User", FieldText(record->server.user));
  section.WriteText("UserPwd", FieldText(record->server.userPassword));
  return true;
}

bool ProxyServerArea::ToPage() {
  auto* page = dynamic_cast<RecordPage<ProxySettings>*>(Page());
  if (Record() == nullptr || page == nullptr) return false;
  page->ShowRecord(*Record());
  return true;
}

bool ProxyServerArea::FromPage() {
  auto* page = dynamic_cast<RecordPage<ProxySettings>*>(Page());
  if (Record() == nullptr || page == nullptr) return false;
  page->ReadRecord(*Record());
  return true;
}

bool LoginArea::Load() {
  LoginSettings* record = Record();
  if (record == nullptr) return false;
  const ini::Section login(IniPath(), kLoginSection);
  record->saveUser = login.Flag("SaveUser");
  record->autoSelectServer = login.Flag("AutoSelectServer");
  SetField(record->saveUserName, login.Text("SaveUserName", 63));
  SetField(record->loginType, login.Text("LoginType", 31));
  SetField(record->serverSet, login.Text("ServerSet", 31));
  record->autoCheckIn = ini::Section(IniPath(), kCheckInSection).Flag("AutoCheckIn");
  return true;
}

bool LoginArea::Save() {
  LoginSettings* record = Record();
  if (record == nullptr) return false;
  const ini::Section login(IniPath(), kLoginSection);
  login.WriteFlag("SaveUser", record->saveUser);
  login.WriteFlag("AutoSelectServer", record->autoSelectServer);
  if (record->saveUser) {
    login.WriteText("SaveUserName", FieldText(record->saveUserName));
  } else {
    login.Delete("SaveUserName");
  }
  login.WriteText("LoginType", FieldText(record->loginType));
  login.WriteText("ServerSet", FieldText(record->serverSet));
  return true;
}

bool LoginArea::SaveAutoCheckIn() {
  if (Record() == nullptr) return false;
  ini::Section(IniPath(), kCheckInSection).WriteFlag("AutoCheckIn", Record()->autoCheckIn);
  return true;
}

bool LoginArea::ToPage() {
  auto* page = dynamic_cast<LoginPage*>(Page());
  const LoginSettings* record = Record();
  if (record == nullptr || page == nullptr) return false;
  page->SetRememberChecks(record->saveUser != 0, record->autoSelectServer != 0);
  if (record->saveUser) page->SetCustomerNo(std::string(FieldText(record->saveUserName)));
  page->SelectRoleText(std::string(FieldText(record->loginType)));
  page->SelectGatewayText(std::string(FieldText(record->serverSet)));
  return true;
}

bool LoginArea::FromPage() {
  auto* page = dynamic_cast<LoginPage*>(Page());
  LoginSettings* record = Record();
  if (record == nullptr || page == nullptr) return false;
  record->saveUser = page->SaveUserChecked();
  record->autoSelectServer = page->AutoSelectChecked();
  SetField(record->saveUserName, record->saveUser ? page->CustomerNoText() : std::string());
  SetField(record->loginType, page->RoleText());
  SetField(record->serverSet, page->GatewayText());
  return true;
}

}  // namespace shell
