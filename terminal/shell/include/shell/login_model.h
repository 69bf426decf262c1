// The login dialog without its window: the checks of the input with their
// messages and focus targets, the verification code, the login itself, and
// the on-screen keypad. No toolkit.
#pragma once

#include <array>
#include <functional>
#include <random>
#include <string>

#include "client/login.h"
#include "shell/settings_records.h"

namespace shell {

inline constexpr std::string_view kTradingRoleText = "交易角色";
inline constexpr std::string_view kManagementRoleText = "管理角色";
inline constexpr std::string_view kCodeKindText = "验证码";
inline constexpr std::string_view kLoginLogText = "交易角色登录。";
// The longest customer number and password the login record holds.
inline constexpr std::size_t kLoginTextMax = 63;

enum class LoginField { kNone, kCustomerNo, kPassword, kCode, kGateway };

struct LoginInput {
  std::string customerNo;
  std::string password;
  std::string code;
  std::string gateway;  // the gateway list's text
};

struct LoginCheck {
  bool passed = true;
  std::string message;
  LoginField focus = LoginField::kNone;
};

// The checks in order: customer number and password not blank once blanks
// and tabs around them are removed (the input keeps the trimmed texts), a
// code typed and equal to the drawn one, a gateway chosen.
LoginCheck CheckLoginInput(LoginInput& input, const std::string& drawnCode);

// Four digits, the first not 0.
std::string MakeVerificationCode(std::mt19937& random);

enum class LoginOutcome {
  kInputRejected,   // a check failed: message, focus, new code
  kUnknownGateway,  // the gateway is not in the list: nothing more
  kRefused,         // the back end refused: message, focus on the customer number, new code
  kLoggedIn,
};

struct LoginResult {
  LoginOutcome outcome = LoginOutcome::kInputRejected;
  std::string message;
  LoginField focus = LoginField::kNone;
};

struct LoginServices {
  std::function<bool(std::string& message, const client::LoginRequest& request)> login;
  std::function<void(int type, const std::string& text)> log;
};

// Runs "登录": checks the input, selects the gateway in the trader-server
// settings and logs in with role 2 (whatever role the list shows).
LoginResult SubmitLogin(LoginInput input, const std::string& drawnCode, TraderServerSettings& servers,
                        const LoginServices& services);

// The keypad: ten buttons whose digits are shuffled on every opening, and
// the text it types (at most 10 digits).
class KeypadModel {
 public:
  static constexpr std::size_t kMaxDigits = 10;

  // The text holds at most `maxDigits` digits (at most kMaxDigits): the
  // length limit of the edit it types into.
  explicit KeypadModel(std::mt19937& random, std::size_t maxDigits = kMaxDigits)
      : random_(random), maxDigits_(maxDigits < kMaxDigits ? maxDigits : kMaxDigits) {}

  // Draws a new digit order and empties the text.
  void Open();
  // The digit on each of the ten buttons.
  const std::array<int, 10>& Digits() const { return digits_; }
  void PressButton(int button);
  void Backspace();
  void Clear() { text_.clear(); }
  const std::string& Text() const { return text_; }

 private:
  std::mt19937& random_;
  std::size_t maxDigits_;
  std::array<int, 10> digits_{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::string text_;
};

}  // namespace shell
