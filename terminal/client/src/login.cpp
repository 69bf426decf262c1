#include "client/login.h"

#include <array>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "backend/sequence_number.h"
#include "backend/transport.h"
#include "client/management_operations.h"
#include "client/operation_frame.h"
#include "client/shell_services.h"
#include "engine/operation_engine.h"
#include "platform/clock.h"
#include "platform/gbk.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

// Field 27 of the trading log-in text: who logs in.
constexpr std::string_view kManagementRole = "1";
constexpr std::string_view kSubAccountRole = "2";
constexpr std::string_view kProtocolDate = "20091204";

constexpr Operation kQuoteServersQuery{.title = "查询行情服务器信息",
                                       .functionNo = protocol::function_no::kQueryQuoteServerInfo};
// Widths of the 5451 fields as the list keeps them.
constexpr int kGatewayUserField = 6;
constexpr int kGatewayPasswordField = 7;
constexpr int kServerAddressField = 3;
constexpr int kServerPortField = 4;
constexpr std::size_t kServerAddressWidth = 16;
constexpr std::size_t kServerPortWidth = 8;

struct LoginClock {
  std::mutex mutex;  // guards start
  std::optional<platform::LocalTime> start;
};

LoginClock& TheLoginClock() {
  static LoginClock clock;
  return clock;
}

std::int64_t CalendarSeconds(const platform::LocalTime& time) {
  using namespace std::chrono;
  const sys_days day = year{time.year} / month{static_cast<unsigned>(time.month)} / static_cast<unsigned>(time.day);
  return static_cast<std::int64_t>(day.time_since_epoch().count()) * 86400 + time.hour * 3600 + time.minute * 60 +
         time.second;
}

// The fields as one separated-field line, each value's "|" bytes written as
// 0x01.
template <std::size_t N>
std::string JoinFields(const std::array<std::string_view, N>& fields) {
  std::string line;
  for (const std::string_view field : fields) backend::AppendSeparatedField(line, field);
  return line;
}

// The trading log-in text: 28 fields. `role` and `manager` (fields 27 and
// 28) stay empty for a trading account's own log-in.
std::string TradingLoginText(std::string_view customerNo, std::string_view password, std::string_view role = {},
                             std::string_view manager = {}) {
  const std::string machine = backend::LocalMachineAddress();
  const std::string sequence = std::to_string(backend::GetNextSequenceNo());
  const std::string ip = backend::LocalIpAddress();
  const ShellServices* shell = TheShellServices();
  const std::string version = shell == nullptr ? std::string() : shell->ProgramVersionText();
  const std::string function = std::to_string(protocol::function_no::kLogin);
  std::array<std::string_view, 28> fields{};
  fields[0] = "R";
  fields[1] = machine;
  fields[2] = sequence;
  fields[3] = function;
  fields[4] = kReservedLeadingText;
  fields[5] = kApplicationTag;
  fields[6] = customerNo;
  fields[7] = password;
  fields[8] = ip;
  fields[9] = "1";
  fields[10] = "1";
  fields[12] = kProtocolDate;
  fields[13] = version;
  fields[20] = "1";
  fields[26] = role;
  fields[27] = manager;
  return JoinFields(fields);
}

// The market gateway's log-in text: 14 fields.
std::string QuoteLoginText(std::string_view user, std::string_view password) {
  const std::string machine = backend::LocalMachineAddress();
  const std::string sequence = std::to_string(backend::GetNextSequenceNo());
  const std::string ip = backend::LocalIpAddress();
  const std::string function = std::to_string(protocol::function_no::kLogin);
  return JoinFields(std::array<std::string_view, 14>{"R", machine, sequence, function, kReservedLeadingText,
                                                     kApplicationTag, user, password, ip, "", "", "1", kProtocolDate,
                                                     kQuoteLoginVersion});
}

template <std::size_t N>
void SetBoundedText(char (&field)[N], std::string_view text) {
  orvanet::SetText(field, text.substr(0, platform::GbkFitLength(text, N - 1)));
}

backend::AccountKey MakeKey(std::string_view customerNo, std::string_view password, int slot) {
  backend::AccountKey key;
  const std::string customer(customerNo);
  const std::string secret(password);
  backend::CopyTextBounded(customer.c_str(), key.customerNo, sizeof key.customerNo);
  backend::CopyTextBounded(secret.c_str(), key.password, sizeof key.password);
  key.slot = slot;
  return key;
}

void CloseSlots(const std::vector<int>& slots) {
  for (const int slot : slots) {
    std::string ignored;
    backend::DisconnectSlot(slot, ignored);
  }
}

// Connects the key's slot with the log-in text and judges the answer: a
// refused log-in closes the slot again; an accepted one enters the account
// into the account table with its answer.
bool LogInAccount(OV_ConnectBlock& block, const std::string& loginText, const backend::AccountKey& key,
                  std::string& message) {
  orvanet::SetI32(block.connection, key.slot);
  std::string answer;
  if (!backend::ConnectSlot(block, answer, message, loginText)) return false;
  if (!CheckLoginAnswer(answer, message)) {
    CloseSlots({key.slot});
    return false;
  }
  backend::AccountTable& accounts = backend::TheAccountTable();
  accounts.AddAccount(key);
  accounts.UpdateAccountFromAnswer(key.customerNo, answer);
  return true;
}

void Note(const std::string& text) { backend::WriteLogLine(backend::kLogNote, text.c_str()); }

// Logs in every trading sub-account of the management account on `slot`,
// each on the lowest free slot, signed by the management account's
// password. On failure every slot this log-in opened is closed again.
bool LogInSubAccounts(OV_ConnectBlock& block, const LoginRequest& request, int managementSlot, std::string& message) {
  std::vector<int> opened{managementSlot};
  std::vector<std::string> subAccounts;
  if (!QueryManagedTradingAccounts(subAccounts, message, managementSlot)) {
    CloseSlots(opened);
    return false;
  }
  if (subAccounts.empty()) {
    CloseSlots(opened);
    message = kNoSubAccountsText;
    return false;
  }
  for (const std::string& subAccount : subAccounts) {
    const int slot = backend::FindFreeSlot();
    if (slot < 0) {
      CloseSlots(opened);
      message = kNoFreeConnectionText;
      return false;
    }
    const std::string loginText = TradingLoginText(subAccount, request.password, kSubAccountRole, request.customerNo);
    Note("交易子账号登录：" + subAccount + "。");
    if (!LogInAccount(block, loginText, MakeKey(subAccount, request.password, slot), message)) {
      CloseSlots(opened);
      return false;
    }
    opened.push_back(slot);
  }
  return true;
}

std::vector<backend::ServerRow> GatewayRows(const TraderServerConfigData& settings) {
  std::vector<backend::ServerRow> rows;
  for (const GatewayRow& gateway : settings.gateways) rows.push_back({std::string(gateway.Address()), gateway.Port()});
  return rows;
}

// A 5451 row as a quote server; nothing for a blank address or a port that
// is no TCP port.
std::optional<QuoteServerRow> QuoteServerOf(std::string_view row) {
  const std::string address = FieldOf(row, kServerAddressField, kServerAddressWidth);
  const std::string_view trimmed = backend::TrimBlanks(address);
  const std::optional<int> port = backend::ParseDecimal(FieldOf(row, kServerPortField, kServerPortWidth));
  if (trimmed.empty() || !port || *port <= 0 || *port > 0xFFFF) return std::nullopt;
  return QuoteServerRow{std::string(trimmed), static_cast<std::uint16_t>(*port)};
}

}  // namespace

const QuoteServerRow* QuoteServerInfo::SelectedServer() const {
  if (selectedServer < 0 || static_cast<std::size_t>(selectedServer) >= servers.size()) return nullptr;
  return &servers[static_cast<std::size_t>(selectedServer)];
}

void FillTradingConnectBlock(OV_ConnectBlock& block, int slot, const ProxyServerConfigData& proxy,
                             const GatewayRow& gateway) {
  block = OV_ConnectBlock{};
  orvanet::SetI32(block.connection, slot);
  orvanet::SetI32(block.proxyKind, proxy.proxyType);
  SetBoundedText(block.proxyHost, backend::FieldText(proxy.proxyIp));
  orvanet::SetU16(block.proxyPort, proxy.proxyPort);
  SetBoundedText(block.proxyUser, backend::FieldText(proxy.user));
  SetBoundedText(block.proxyPassword, backend::FieldText(proxy.userPassword));
  SetBoundedText(block.serverAddress, gateway.Address());
  orvanet::SetI32(block.serverPort, gateway.Port());
}

void FillQuoteConnectBlock(OV_ConnectBlock& block, int slot, const QuoteServerRow& server) {
  block = OV_ConnectBlock{};
  orvanet::SetI32(block.connection, slot);
  SetBoundedText(block.serverAddress, server.address);
  orvanet::SetI32(block.serverPort, server.port);
}

bool Login(std::string& message, const LoginRequest& request) {
  message.clear();
  backend::TheAccountTable().Clear();
  {
    LoginClock& clock = TheLoginClock();
    std::lock_guard lock(clock.mutex);
    clock.start = platform::LocalNow();
  }
  const int slot = backend::FindFreeSlot();
  if (slot < 0) {
    message = kNoFreeConnectionText;
    return false;
  }
  const ShellServices* shell = TheShellServices();
  const GatewayRow* gateway = shell == nullptr ? nullptr : shell->TraderServerConfig().SelectedGateway();
  if (gateway == nullptr) {
    message = kChooseGatewayText;
    return false;
  }
  OV_ConnectBlock block;
  FillTradingConnectBlock(block, slot, shell->ProxyServerConfig(), *gateway);
  backend::TheServerRotation().SetGateways(GatewayRows(shell->TraderServerConfig()),
                                           shell->TraderServerConfig().selected);

  const backend::AccountKey key = MakeKey(request.customerNo, request.password, slot);
  switch (request.role) {
    case backend::kTradingLogin:
      backend::SetLoginType(backend::kTradingLogin);
      return LogInAccount(block, TradingLoginText(request.customerNo, request.password), key, message);
    case backend::kManagementLogin:
      backend::SetLoginType(backend::kManagementLogin);
      Note("管理账号登录：" + request.customerNo + "。");
      return LogInAccount(block, TradingLoginText(request.customerNo, request.password, kManagementRole), key,
                          message) &&
             LogInSubAccounts(block, request, slot, message);
    default: return false;
  }
}

bool QueryQuoteServerInfo(QuoteServerInfo& info, std::string& message) {
  const backend::AccountKey signer = FirstTradingAccount();
  const backend::RequestPtr record = RunSync(kQuoteServersQuery, signer.slot, OperationParameters(signer), message);
  if (!record) return false;
  const std::string_view status = StatusLine(*record);
  info.gatewayUser = backend::GetSeparatedFieldText(kGatewayUserField, status);
  info.gatewayPassword = backend::GetSeparatedFieldText(kGatewayPasswordField, status);
  const int rows = AnswerRowCount(*record);
  for (int row = 1; row <= rows; ++row) {
    if (const std::optional<QuoteServerRow> server = QuoteServerOf(AnswerRow(*record, row))) {
      info.servers.push_back(*server);
    }
  }
  return true;
}

bool LoginQuoteGateway(std::string& message, const QuoteServerInfo& info) {
  message.clear();
  const int slot = backend::FindFreeSlot();
  if (slot < 0) {
    message = kNoFreeConnectionText;
    return false;
  }
  const QuoteServerRow* server = info.SelectedServer();
  if (server == nullptr) {
    message = kChooseGatewayText;
    return false;
  }
  OV_ConnectBlock block;
  FillQuoteConnectBlock(block, slot, *server);
  std::string answer;
  if (!backend::ConnectSlot(block, answer, message, QuoteLoginText(info.gatewayUser, info.gatewayPassword))) {
    return false;
  }
  if (!CheckLoginAnswer(answer, message)) {
    // The slot must not stay taken by a connection nobody uses.
    CloseSlots({slot});
    return false;
  }
  backend::ServerRotation& rotation = backend::TheServerRotation();
  rotation.SetQuoteServers(info.servers, info.selectedServer);
  rotation.SetQuoteSlot(slot);
  if (engine::COperationEngine* engine = TheOperationEngine()) engine->SetQuoteConnectionIndex(slot);
  return true;
}

std::int64_t OnlineSeconds() {
  std::optional<platform::LocalTime> start;
  {
    LoginClock& clock = TheLoginClock();
    std::lock_guard lock(clock.mutex);
    start = clock.start;
  }
  if (!start) return 0;
  return std::max<std::int64_t>(0, CalendarSeconds(platform::LocalNow()) - CalendarSeconds(*start));
}

}  // namespace client
