#include "shell/account_dialogs.h"

#include <gtest/gtest.h>

namespace {

using shell::PasswordField;

TEST(CtpCheckIn, AUserNameOfBlanksAndAnEmptyPasswordAreRefused) {
  EXPECT_EQ(shell::CheckCtpCheckIn(" \t ", "pw"), "客户号不能为空！");
  EXPECT_EQ(shell::CheckCtpCheckIn("ctp01", ""), "密码不能为空！");
  EXPECT_EQ(shell::CheckCtpCheckIn(" ctp01 ", "pw"), std::nullopt);
}

TEST(PasswordChange, TheChecksInOrderWithWhereTheFocusGoes) {
  struct Case {
    const char *oldPassword, *newPassword, *confirmation;
    int role, kind;
    const char* message;
    PasswordField focus;
  };
  for (const Case& c :
       {Case{" ", "222222", "222222", 2, 1, "原密码不能为空", PasswordField::kOld},
        Case{"111111", "\t", "222222", 2, 1, "新密码不能为空", PasswordField::kNew},
        Case{"111111", "222222", "", 2, 1, "确认密码不能为空", PasswordField::kConfirmation},
        Case{"111111", "222222", "222223", 2, 1, "新密码和确认密码不一致", PasswordField::kConfirmation},
        Case{"111111", "222222", "222222", 2, 0, "请选择需要修改的密码类型", PasswordField::kUnchanged}}) {
    const auto problem = shell::CheckPasswordChange(c.oldPassword, c.newPassword, c.confirmation, c.role, c.kind);
    ASSERT_TRUE(problem) << c.message;
    EXPECT_EQ(problem->message, c.message);
    EXPECT_EQ(problem->focus, c.focus) << c.message;
  }
  // A management account changes its one password without a kind.
  EXPECT_EQ(shell::CheckPasswordChange("999999", "888888", "888888", 1, 0), std::nullopt);
  EXPECT_EQ(shell::CheckPasswordChange("111111", "222222", "222222", 2, 3), std::nullopt);
}

TEST(PasswordKinds, TextsToKindNumbers) {
  EXPECT_EQ(shell::PasswordKindOf("交易密码"), 1);
  EXPECT_EQ(shell::PasswordKindOf("资金密码"), 2);
  EXPECT_EQ(shell::PasswordKindOf("委托密码"), 3);
  EXPECT_EQ(shell::PasswordKindOf(""), 0);
}

TEST(PasswordRules, EachKindIsAskedOnceAndTheOrderPasswordHasNone) {
  std::vector<int> asked;
  bool fail = true;
  shell::PasswordRules rules([&](int kind, std::string& text, std::string& message) {
    asked.push_back(kind);
    if (fail) {
      message = "查询密码规则失败";
      return false;
    }
    text = "规则" + std::to_string(kind) + "\n";
    return true;
  });
  std::string failure;
  EXPECT_EQ(rules.RulesOf(1, failure), "");
  EXPECT_EQ(failure, "查询密码规则失败");
  fail = false;
  failure.clear();
  EXPECT_EQ(rules.RulesOf(1, failure), "规则1\n");  // a failed query is asked again
  EXPECT_EQ(rules.RulesOf(2, failure), "规则2\n");
  EXPECT_EQ(rules.RulesOf(1, failure), "规则1\n");
  EXPECT_EQ(rules.RulesOf(3, failure), "");
  EXPECT_EQ(asked, (std::vector<int>{1, 1, 2}));
  EXPECT_TRUE(failure.empty());
}

TEST(PasswordRules, TheTextIsFieldFourOfTheAnnouncedRows) {
  backend::RequestPtr answer = backend::CreateRequest("查询密码规则", 0, 2, "", 1);
  answer->At(0)->answer.AddText("A|1|2|Y|2|");
  answer->At(0)->answer.AddText("A|1|2|交易密码由6到8位数字或英文字母组成|");
  answer->At(0)->answer.AddText("A|1|2|新密码不能与原密码相同|");
  answer->At(0)->answer.AddText("A|1|2|not announced|");
  EXPECT_EQ(shell::PasswordRulesText(*answer), "交易密码由6到8位数字或英文字母组成\n新密码不能与原密码相同\n");
}

}  // namespace
