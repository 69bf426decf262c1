// The log-ins: the trading log-in of a plain or a management account (with
// every trading sub-account the management account serves on further
// connection slots), the list of quote servers, and the log-in to the market
// (quote) gateway.
//
// The log-ins do not use request records: each builds its log-in text, fills
// a connect block and lets the connection slot's connect step send the text
// as the connection's first request. They run on the GUI thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backend/account_table.h"
#include "backend/server_rotation.h"
#include "client/server_settings.h"
#include "portal/Orvanet.h"

namespace client {

inline constexpr std::string_view kNoFreeConnectionText = "无空闲连接！";
inline constexpr std::string_view kChooseGatewayText = "请选择正确的网关！";
inline constexpr std::string_view kNoSubAccountsText = "请设置管理角色对应的交易角色账号！";
// The version the market gateway is told, whatever the program's own.
inline constexpr std::string_view kQuoteLoginVersion = "9.0.20110712.1";

// What the log-in dialog asks for.
struct LoginRequest {
  // backend::kTradingLogin (a trading account) or backend::kManagementLogin.
  std::int32_t role = backend::kTradingLogin;
  std::string customerNo;
  std::string password;
};

using QuoteServerRow = backend::ServerRow;

// The market gateway's servers and account, from function 5451.
struct QuoteServerInfo {
  std::int32_t quoteSlot = 1;  // written by start-up
  std::string gatewayUser;
  std::string gatewayPassword;
  std::int32_t selectedServer = 0;
  std::vector<QuoteServerRow> servers;

  // The selected row, or null when the index lies outside the list.
  const QuoteServerRow* SelectedServer() const;
};

// Logs in the account of the request on the lowest free connection slot,
// through the gateway selected in the shell's settings. A management account
// then logs in each of its trading sub-accounts on a further slot. Empties
// the account table first and fills it with every account logged in; sets
// the log-in type to the role. False with the reason in `message`; a
// management log-in that fails part-way closes every slot it opened.
bool Login(std::string& message, const LoginRequest& request);

// Asks the back end for the market gateway's account and servers (function
// 5451) and appends the servers to `info` (blank addresses and unusable ports
// left out). True when the list came, even without rows.
bool QueryQuoteServerInfo(QuoteServerInfo& info, std::string& message);

// Logs in to the market gateway at the selected quote server on the lowest
// free slot, which then becomes the quote connection. False with the reason;
// a refused log-in closes its slot again.
bool LoginQuoteGateway(std::string& message, const QuoteServerInfo& info);

// Seconds between the start of the last Login and now, on the calendar:
// a session across midnight counts on, and a clock set back gives 0, never
// a negative time. 0 before any log-in.
std::int64_t OnlineSeconds();

// The connect blocks of the two log-ins (everything else zero).
void FillTradingConnectBlock(OV_ConnectBlock& block, int slot, const ProxyServerConfigData& proxy,
                             const GatewayRow& gateway);
void FillQuoteConnectBlock(OV_ConnectBlock& block, int slot, const QuoteServerRow& server);

}  // namespace client
