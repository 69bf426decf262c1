#include "client/session_operations.h"

#include <cstring>

#include "backend/account_table.h"
#include "backend/program_log.h"
#include "client/login.h"
#include "client/operation_frame.h"
#include "engine/operation_engine.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kPasswordRulesQuery{.title = "查询密码规则",
                                        .functionNo = protocol::function_no::kQueryPasswordRules};
constexpr Operation kKindPasswordChange{.title = "修改密码", .functionNo = protocol::function_no::kChangeKindPassword};
constexpr Operation kPasswordChange{.title = "修改密码", .functionNo = protocol::function_no::kChangePassword};
constexpr Operation kLogoutRequest{
    .title = "客户录出", .functionNo = protocol::function_no::kLogout, .singlePacket = true};

// The field of an account's log-in answer that its log-out carries.
constexpr int kSessionField = 42;
// The log-out's role parameter after a management log-in.
constexpr std::string_view kManagementRole = "1";
constexpr std::string_view kSubAccountRole = "2";
constexpr int kTradingPasswordKind = 1;

std::string_view CustomerOf(const backend::AccountKey& key) {
  return {key.customerNo, strnlen(key.customerNo, sizeof key.customerNo)};
}

OperationParameters LogoutParameters(const backend::AccountRecord& account, const std::string& onlineSeconds,
                                     std::string_view manager) {
  OperationParameters parameters(account.key);
  parameters.Add(onlineSeconds).Add(account.Field(kSessionField));
  if (backend::GetLoginType() == backend::kTradingLogin) {
    parameters.Add("").Add("");
  } else {
    parameters.Add(account.key.slot == 0 ? kManagementRole : kSubAccountRole).Add(manager);
  }
  return parameters;
}

}  // namespace

backend::RequestPtr QueryPasswordRules(std::string_view passwordKind, std::string& message) {
  const backend::AccountKey signer = FirstTradingAccount();
  OperationParameters parameters(signer);
  parameters.Add(passwordKind);
  return RunSync(kPasswordRulesQuery, signer.slot, parameters, message);
}

bool ChangePassword(std::string_view oldPassword, int passwordKind, std::string_view newPassword,
                    std::string& message) {
  const backend::AccountKey stored = SlotAccount(0);
  if (passwordKind != 0) {
    backend::AccountKey signer = stored;
    const std::string password(oldPassword);
    backend::CopyTextBounded(password.c_str(), signer.password, sizeof signer.password);
    OperationParameters parameters(signer);
    parameters.Add(newPassword).Add(std::to_string(passwordKind));
    if (!RunSync(kKindPasswordChange, 0, parameters, message)) return false;
  } else {
    OperationParameters parameters(stored);
    parameters.Add(CustomerOf(stored)).Add(CustomerOf(stored)).Add(oldPassword).Add(newPassword);
    if (!RunSync(kPasswordChange, 0, parameters, message)) return false;
  }
  // The untyped change and the trading kind change the password the
  // account logs in and signs its requests with.
  if (passwordKind == 0 || passwordKind == kTradingPasswordKind) {
    backend::TheAccountTable().SetPassword(CustomerOf(stored), newPassword);
  }
  message = kPasswordChangedText;
  return true;
}

bool Logout() {
  const std::string onlineSeconds = std::to_string(OnlineSeconds());
  backend::WriteLogLine(backend::kLogNote, ("上线时间" + onlineSeconds + "秒。").c_str());
  const backend::AccountTable& accounts = backend::TheAccountTable();
  const std::string manager(accounts.GetFirstAccountCode());
  bool sent = true;
  for (std::size_t index = 0; index < accounts.Count(); ++index) {
    const backend::AccountRecord& account = accounts.At(index);
    std::string message;
    const backend::RequestPtr record = BuildOperationRequest(
        kLogoutRequest, account.key.slot, LogoutParameters(account, onlineSeconds, manager), message);
    if (!record) return false;
    engine::COperationEngine* engine = TheOperationEngine();
    sent = engine != nullptr && engine->SendRequest(*record, message);
  }
  return sent;
}

}  // namespace client
