#include "shell/login_model.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(LoginChecks, EachFailureHasItsMessageAndFocus) {
  struct Case {
    shell::LoginInput input;
    const char* message;
    shell::LoginField focus;
  };
  const Case cases[] = {
      {{" \t ", "111111", "1234", "模拟"}, "账号不能为空", shell::LoginField::kCustomerNo},
      {{"10001", "\t", "1234", "模拟"}, "密码不能为空", shell::LoginField::kPassword},
      {{"10001", "111111", "", "模拟"}, "请输入校验码", shell::LoginField::kCode},
      {{"10001", "111111", " 1234", "模拟"}, "校验码输入错误，请重新输入。", shell::LoginField::kCode},
      {{"10001", "111111", "1234 ", "模拟"}, "校验码输入错误，请重新输入。", shell::LoginField::kCode},
      {{"10001", "111111", "1234", ""}, "请先设置网关！", shell::LoginField::kGateway},
  };
  for (const Case& c : cases) {
    shell::LoginInput input = c.input;
    const shell::LoginCheck check = shell::CheckLoginInput(input, "1234");
    EXPECT_FALSE(check.passed) << c.message;
    EXPECT_EQ(check.message, c.message);
    EXPECT_EQ(check.focus, c.focus) << c.message;
  }
}

class SubmitLoginTest : public ::testing::Test {
 protected:
  SubmitLoginTest() {
    shell::TraderServerRecord a, b;
    shell::trader_server::SetName(a, "主站");
    shell::trader_server::SetName(b, "模拟");
    servers.gateways = {a, b};
    services.login = [this](std::string& message, const client::LoginRequest& request) {
      requests.push_back(request);
      message = refusal;
      return refusal.empty();
    };
    services.log = [this](int, const std::string& text) { log.push_back(text); };
  }

  shell::TraderServerSettings servers;
  shell::LoginServices services;
  std::vector<client::LoginRequest> requests;
  std::vector<std::string> log;
  std::string refusal;
};

TEST_F(SubmitLoginTest, TheTrimmedInputLogsInWithRoleTwoThroughTheChosenGateway) {
  const shell::LoginResult result =
      shell::SubmitLogin({" 10001\t", " 111111 ", "5678", "模拟"}, "5678", servers, services);
  EXPECT_EQ(result.outcome, shell::LoginOutcome::kLoggedIn);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].customerNo, "10001");
  EXPECT_EQ(requests[0].password, "111111");
  EXPECT_EQ(requests[0].role, 2);
  EXPECT_EQ(servers.selected, 1);
  EXPECT_EQ(log, std::vector<std::string>{"交易角色登录。"});
}

TEST_F(SubmitLoginTest, AnUnknownGatewayStopsSilentlyAndARefusalFocusesTheCustomer) {
  EXPECT_EQ(shell::SubmitLogin({"10001", "1", "5678", "别处"}, "5678", servers, services).outcome,
            shell::LoginOutcome::kUnknownGateway);
  EXPECT_TRUE(requests.empty());
  refusal = "[-1]密码错误";
  const shell::LoginResult result = shell::SubmitLogin({"10001", "1", "5678", "主站"}, "5678", servers, services);
  EXPECT_EQ(result.outcome, shell::LoginOutcome::kRefused);
  EXPECT_EQ(result.message, "[-1]密码错误");
  EXPECT_EQ(result.focus, shell::LoginField::kCustomerNo);
}

TEST(VerificationCode, AlwaysFourDigitsWithoutALeadingZero) {
  std::mt19937 random(7);
  for (int i = 0; i < 500; ++i) {
    const std::string code = shell::MakeVerificationCode(random);
    ASSERT_EQ(code.size(), 4u);
    EXPECT_NE(code[0], '0');
    for (const char c : code) EXPECT_TRUE(c >= '0' && c <= '9');
  }
}

TEST(Keypad, EachOpeningShufflesEveryDigitOnceAndTheTextHoldsTenDigits) {
  std::mt19937 random(11);
  shell::KeypadModel keypad(random);
  std::set<std::array<int, 10>> orders;
  for (int i = 0; i < 5; ++i) {
    keypad.Open();
    const std::set<int> digits(keypad.Digits().begin(), keypad.Digits().end());
    EXPECT_EQ(digits.size(), 10u);
    orders.insert(keypad.Digits());
  }
  EXPECT_GT(orders.size(), 1u);
  for (int i = 0; i < 11; ++i) keypad.PressButton(i % 10);
  EXPECT_EQ(keypad.Text().size(), 10u);
  EXPECT_EQ(keypad.Text()[0], static_cast<char>('0' + keypad.Digits()[0]));
  keypad.Backspace();
  EXPECT_EQ(keypad.Text().size(), 9u);
  keypad.Clear();
  keypad.Backspace();
  EXPECT_TRUE(keypad.Text().empty());
}

// A keypad on an edit of eight characters (the password edits) stops at
// eight digits, so that what it holds is what the edit shows; a longer limit
// still stops at ten.
TEST(Keypad, TypesNoMoreDigitsThanItsEditTakes) {
  std::mt19937 random(3);
  for (const auto& [limit, kept] : {std::pair<std::size_t, std::size_t>{8, 8}, {32767, 10}, {0, 0}}) {
    shell::KeypadModel keypad(random, limit);
    keypad.Open();
    for (int i = 0; i < 12; ++i) keypad.PressButton(i % 10);
    EXPECT_EQ(keypad.Text().size(), kept) << limit;
  }
}

}  // namespace
