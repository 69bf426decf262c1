// The models of the account dialogs of the main frame: the check-in to the
// outside CTP trading system and the change of a password, with the rules
// the back end sets for each kind of password. No toolkit.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "backend/request_record.h"

namespace shell {

// Why a check-in cannot be sent ("客户号不能为空！", "密码不能为空！"),
// or nothing. The user name counts without its leading and trailing blanks
// and tabs.
std::optional<std::string> CheckCtpCheckIn(std::string_view userName, std::string_view password);

// The kinds of password a customer changes, in the kind list's order.
struct PasswordKind {
  int number;
  const char* text;
};
inline constexpr PasswordKind kPasswordKinds[] = {{1, "交易密码"}, {2, "资金密码"}, {3, "委托密码"}};
// The kind the list's text names; 0 for none.
int PasswordKindOf(std::string_view text);

// The rules of a kind as the answer of the rules query gives them: field 4
// of each row the status line announces, each followed by "\n".
std::string PasswordRulesText(const backend::RequestRecord& answer);

// The rules of the kinds that have them (1 and 2), each asked for once while
// the dialog is open; a failed query is asked again next time.
class PasswordRules {
 public:
  // Fetches the rules of a kind; false with the reason.
  using Fetch = std::function<bool(int kind, std::string& rules, std::string& message)>;
  explicit PasswordRules(Fetch fetch) : fetch_(std::move(fetch)) {}

  // The text to show for the kind (empty for kind 3); `failure` takes the
  // reason when the query failed.
  std::string RulesOf(int kind, std::string& failure);

 private:
  Fetch fetch_;
  std::map<int, std::string> cached_;
};

// Where a refused password change puts the focus.
enum class PasswordField { kOld, kNew, kConfirmation, kUnchanged };
struct PasswordProblem {
  std::string message;
  PasswordField focus;
};

// The checks of "确定" in order: each password filled in (blanks and tabs
// around it do not count), the confirmation equal to the new password, and
// for a customer (role 2) a kind chosen (`kind` 0: none).
std::optional<PasswordProblem> CheckPasswordChange(std::string_view oldPassword, std::string_view newPassword,
                                                   std::string_view confirmation, int role, int kind);

}  // namespace shell
