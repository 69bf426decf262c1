// An account's passwords: their rules and their changes. A new trading
// password logs in and signs the requests from then on.
#include <algorithm>

#include "functions.h"

namespace simbackend {
namespace {

// 5013: signed by the old password of the kind.
constexpr std::size_t kNewKindPasswordParameter = 5;
constexpr std::size_t kKindParameter = 6;
// 5050: signed by the trading password.
constexpr std::size_t kChangedCustomerParameter = 5;
constexpr std::size_t kRepeatedCustomerParameter = 6;
constexpr std::size_t kOldPasswordParameter = 7;
constexpr std::size_t kNewPasswordParameter = 8;
// 5126
constexpr std::size_t kRulesKindParameter = 5;

struct PasswordRule {
  PasswordKind kind;
  const char* code;  // the kind as the terminal names it
  const char* name;
  std::size_t minLength;
  std::size_t maxLength;
  bool digitsOnly;
};

constexpr PasswordRule kRules[] = {
    {PasswordKind::kTrading, "1", "交易密码", 6, 8, false},
    {PasswordKind::kFund, "2", "资金密码", 6, 6, true},
    {PasswordKind::kOrder, "3", "委托密码", 6, 8, false},
};

const PasswordRule& RuleOf(PasswordKind kind) {
  return *std::find_if(std::begin(kRules), std::end(kRules), [&](const PasswordRule& r) { return r.kind == kind; });
}

const PasswordRule* RuleOf(const std::string& code) {
  const auto found =
      std::find_if(std::begin(kRules), std::end(kRules), [&](const PasswordRule& r) { return code == r.code; });
  return found == std::end(kRules) ? nullptr : found;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetterOrDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The rules as the terminal shows them, one a line; a new password must
// keep each.
enum RuleLine : std::size_t { kCharacters, kNotTheOld, kNotOneCharacter };

std::vector<std::string> RuleLines(const PasswordRule& rule) {
  const std::string lengths = rule.minLength == rule.maxLength
                                  ? std::to_string(rule.minLength)
                                  : std::to_string(rule.minLength) + "到" + std::to_string(rule.maxLength);
  return {std::string(rule.name) + "由" + lengths + "位" + (rule.digitsOnly ? "数字" : "数字或英文字母") + "组成",
          "新密码不能与原密码相同", "新密码不能全部是同一个字符"};
}

// The line of the first rule that the new password breaks; none when it keeps them all.
std::optional<std::string> BrokenRule(const PasswordRule& rule, const std::string& old, const std::string& next) {
  const std::vector<std::string> lines = RuleLines(rule);
  const bool characters = std::all_of(next.begin(), next.end(), rule.digitsOnly ? IsDigit : IsLetterOrDigit);
  if (next.size() < rule.minLength || next.size() > rule.maxLength || !characters) return lines[kCharacters];
  if (next == old) return lines[kNotTheOld];
  if (std::all_of(next.begin(), next.end(), [&](char c) { return c == next.front(); })) return lines[kNotOneCharacter];
  return std::nullopt;
}

}  // namespace

Answer Functions::ChangeKindPassword(const Request& request, Session& session) {
  const std::string& customer = request.Field(kCustomerField);
  if (customer != session.customer) return Refusal(request, kCredentialsMismatch, "只能修改登录账号的密码！");
  const std::string& kindCode = Parameter(request, kKindParameter);
  const PasswordRule* rule = RuleOf(kindCode);
  if (rule == nullptr) return Refusal(request, kBadParameter, "密码类型'" + kindCode + "'无效！");
  const std::string& old = request.Field(kPasswordField);
  const std::string& next = Parameter(request, kNewKindPasswordParameter);
  if (!book_.HasPassword(customer, rule->kind, old))
    return Refusal(request, kWrongPassword, std::string("原") + rule->name + "错误！");
  if (const std::optional<std::string> broken = BrokenRule(*rule, old, next))
    return Refusal(request, kBadParameter, "新密码不符合规则：" + *broken + "！");
  book_.SetPassword(customer, rule->kind, next);
  return OneLine(AcceptedLine(request, {"0"}));
}

Answer Functions::ChangePassword(const Request& request, Session&) {
  const std::string& customer = request.Field(kCustomerField);
  if (Parameter(request, kChangedCustomerParameter) != customer ||
      Parameter(request, kRepeatedCustomerParameter) != customer)
    return Refusal(request, kCredentialsMismatch, "只能修改登录账号的密码！");
  const PasswordRule& rule = RuleOf(PasswordKind::kTrading);
  const std::string& old = Parameter(request, kOldPasswordParameter);
  const std::string& next = Parameter(request, kNewPasswordParameter);
  if (!book_.HasPassword(customer, rule.kind, old)) return Refusal(request, kWrongPassword, "原密码错误！");
  if (const std::optional<std::string> broken = BrokenRule(rule, old, next))
    return Refusal(request, kBadParameter, "新密码不符合规则：" + *broken + "！");
  book_.SetPassword(customer, rule.kind, next);
  return OneLine(AcceptedLine(request, {"0"}));
}

Answer Functions::PasswordRules(const Request& request, Session&) {
  const std::string& kindCode = Parameter(request, kRulesKindParameter);
  const PasswordRule* rule = RuleOf(kindCode);
  if (rule == nullptr) return Refusal(request, kBadParameter, "密码类型'" + kindCode + "'无效！");
  std::vector<std::vector<std::string>> rows;
  for (std::string& line : RuleLines(*rule)) rows.push_back({std::move(line)});
  return RowsAnswer(request, rows);
}

}  // namespace simbackend
