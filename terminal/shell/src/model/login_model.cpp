#include "shell/login_model.h"

#include <vector>

#include "backend/account_table.h"
#include "backend/field_text.h"
#include "backend/program_log.h"
#include "platform/gbk.h"

namespace shell {

LoginCheck CheckLoginInput(LoginInput& input, const std::string& drawnCode) {
  input.customerNo = std::string(backend::TrimBlanks(input.customerNo));
  input.password = std::string(backend::TrimBlanks(input.password));
  if (input.customerNo.empty()) return {false, "账号不能为空", LoginField::kCustomerNo};
  if (input.password.empty()) return {false, "密码不能为空", LoginField::kPassword};
  if (input.code.empty()) return {false, "请输入校验码", LoginField::kCode};
  if (input.code != drawnCode) return {false, "校验码输入错误，请重新输入。", LoginField::kCode};
  if (input.gateway.empty()) return {false, "请先设置网关！", LoginField::kGateway};
  return {};
}

std::string MakeVerificationCode(std::mt19937& random) {
  std::uniform_int_distribution<int> digit(0, 9);
  std::string code(1, static_cast<char>('1' + std::uniform_int_distribution<int>(0, 8)(random)));
  for (int i = 0; i < 3; ++i) code += static_cast<char>('0' + digit(random));
  return code;
}

LoginResult SubmitLogin(LoginInput input, const std::string& drawnCode, TraderServerSettings& servers,
                        const LoginServices& services) {
  const LoginCheck check = CheckLoginInput(input, drawnCode);
  if (!check.passed) return {LoginOutcome::kInputRejected, check.message, check.focus};
  const int row = trader_server::FindTraderServer(servers.gateways, input.gateway);
  if (row < 0) return {LoginOutcome::kUnknownGateway, {}, LoginField::kNone};
  servers.selected = row;
  services.log(backend::kLogNote, std::string(kLoginLogText));
  // Texts longer than the login record holds are cut as it would cut them.
  input.customerNo.resize(platform::GbkFitLength(input.customerNo, kLoginTextMax));
  input.password.resize(platform::GbkFitLength(input.password, kLoginTextMax));
  std::string message;
  if (!services.login(message, {backend::kTradingLogin, input.customerNo, input.password})) {
    return {LoginOutcome::kRefused, message, LoginField::kCustomerNo};
  }
  return {LoginOutcome::kLoggedIn, {}, LoginField::kNone};
}

void KeypadModel::Open() {
  text_.clear();
  std::vector<int> left{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int& label : digits_) {
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, left.size() - 1)(random_);
    label = left[at];
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(at));
  }
}

void KeypadModel::PressButton(int button) {
  if (button < 0 || button >= 10 || text_.size() >= maxDigits_) return;
  text_ += static_cast<char>('0' + digits_[static_cast<std::size_t>(button)]);
}

void KeypadModel::Backspace() {
  if (!text_.empty()) text_.pop_back();
}

}  // namespace shell
