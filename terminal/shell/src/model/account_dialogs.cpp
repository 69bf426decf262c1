#include "shell/account_dialogs.h"

#include "backend/field_text.h"
#include "client/operation_frame.h"

namespace shell {
namespace {

constexpr int kRulesField = 4;

}  // namespace

std::optional<std::string> CheckCtpCheckIn(std::string_view userName, std::string_view password) {
  if (backend::TrimBlanks(userName).empty()) return "客户号不能为空！";
  if (password.empty()) return "密码不能为空！";
  return std::nullopt;
}

int PasswordKindOf(std::string_view text) {
  for (const PasswordKind& kind : kPasswordKinds) {
    if (text == kind.text) return kind.number;
  }
  return 0;
}

std::string PasswordRulesText(const backend::RequestRecord& answer) {
  std::string text;
  for (int row = 1; row <= client::AnswerRowCount(answer); ++row) {
    text += backend::GetSeparatedFieldText(kRulesField, client::AnswerRow(answer, row));
    text += "\n";
  }
  return text;
}

std::string PasswordRules::RulesOf(int kind, std::string& failure) {
  if (kind != 1 && kind != 2) return {};
  std::string& rules = cached_[kind];
  if (rules.empty() && !fetch_(kind, rules, failure)) rules.clear();
  return rules;
}

std::optional<PasswordProblem> CheckPasswordChange(std::string_view oldPassword, std::string_view newPassword,
                                                   std::string_view confirmation, int role, int kind) {
  if (backend::TrimBlanks(oldPassword).empty()) return PasswordProblem{"原密码不能为空", PasswordField::kOld};
  if (backend::TrimBlanks(newPassword).empty()) return PasswordProblem{"新密码不能为空", PasswordField::kNew};
  if (backend::TrimBlanks(confirmation).empty()) {
    return PasswordProblem{"确认密码不能为空", PasswordField::kConfirmation};
  }
  if (newPassword != confirmation) return PasswordProblem{"新密码和确认密码不一致", PasswordField::kConfirmation};
  if (role == 2 && kind == 0) return PasswordProblem{"请选择需要修改的密码类型", PasswordField::kUnchanged};
  return std::nullopt;
}

}  // namespace shell
