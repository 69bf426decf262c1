// The account dialogs of the main frame against the simulated back end: the
// CTP check-in with its automatic setting kept however the dialog closes,
// and a password change after which the next log-in takes only the new
// password.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/ini_file.h"
#include "shell/testing/terminal_session.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/testing/gui_test.h"

namespace {

using shell::MainFrame;

void Click(QWidget* window, int id) {
  auto* button = ui::FindControl<QPushButton>(window, id);
  ASSERT_NE(button, nullptr) << id;
  QTest::mouseClick(button, Qt::LeftButton);
}

void Type(QWidget* window, int id, const char* text) {
  auto* edit = ui::FindControl<QLineEdit>(window, id);
  ASSERT_NE(edit, nullptr) << id;
  edit->clear();
  QTest::keyClicks(edit, ui::FromGbk(text));
}

// Clicks the button and answers the message box it shows; its text.
std::string ClickForBox(QWidget* window, int id) {
  std::string text;
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& seen) { text = seen; });
  Click(window, id);
  return text;
}

std::size_t RequestsOf(const simbackend::Server& server, int function) {
  std::size_t count = 0;
  for (const simbackend::ReceivedRequest& request : server.Requests()) count += request.function == function;
  return count;
}

class AccountDialogsSession : public shell::testing::TerminalSession {
 protected:
  std::string AutoCheckIn() const {
    return platform::ReadIniString((folder_ / "Config" / "Configs.ini").string(), "CheckInToCTP", "AutoCheckIn", "");
  }
};

TEST_F(AccountDialogsSession, TheCtpCheckInKeepsItsAutomaticSettingHoweverItCloses) {
  shell::Terminal terminal;
  ASSERT_TRUE(shell::testing::StartLoggedIn(terminal));
  MainFrame* frame = terminal.Frame();
  ASSERT_NE(frame->CommandAction(shell::command::kCheckInToCtp), nullptr);

  std::vector<std::string> refusals;
  bool checkedIn = false;
  ui::testing::WhenShown("CTqCheckInToCTPDlg", [&](QWidget* dialog) {
    EXPECT_EQ(ui::ToGbk(dialog->windowTitle()), "签入到CTP系统");
    EXPECT_FALSE(ui::FindControl<QCheckBox>(dialog, 1242)->isChecked());
    Type(dialog, 1243, " \t ");
    Type(dialog, 1246, "ctppass");
    refusals.push_back(ClickForBox(dialog, 1241));
    Type(dialog, 1243, "10001");
    Type(dialog, 1246, "");
    refusals.push_back(ClickForBox(dialog, 1241));
    // The back end's refusal keeps the dialog open.
    Type(dialog, 1246, "000000");
    refusals.push_back(ClickForBox(dialog, 1241));
    EXPECT_TRUE(dialog->isVisible());
    // The simulated CTP system knows the back end's trading accounts.
    ui::FindControl<QCheckBox>(dialog, 1242)->setChecked(true);
    Type(dialog, 1246, "111111");
    ui::testing::SaveScreenshot(dialog, "ctp_check_in");
    checkedIn = true;
    Click(dialog, 1241);
  });
  frame->RunCommand(shell::command::kCheckInToCtp);
  EXPECT_TRUE(checkedIn);
  EXPECT_EQ(refusals, (std::vector<std::string>{"客户号不能为空！", "密码不能为空！", "CTP用户名或密码错误！"}));
  EXPECT_EQ(RequestsOf(*server_, 5137), 2u);
  EXPECT_EQ(AutoCheckIn(), "1");

  // Cancelled: the check box's state is written all the same.
  ui::testing::WhenShown("CTqCheckInToCTPDlg", [&](QWidget* dialog) {
    EXPECT_TRUE(ui::FindControl<QCheckBox>(dialog, 1242)->isChecked());
    ui::FindControl<QCheckBox>(dialog, 1242)->setChecked(false);
    Click(dialog, 2);
  });
  frame->RunCommand(shell::command::kCheckInToCtp);
  EXPECT_EQ(AutoCheckIn(), "0");
  EXPECT_EQ(RequestsOf(*server_, 5137), 2u);
  frame->RunCommand(shell::command::kTrayClose);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return terminal.Frame() == nullptr; }));
}

TEST_F(AccountDialogsSession, APasswordChangedInTheDialogIsTheOneTheNextLogInTakes) {
  {
    shell::Terminal terminal;
    ASSERT_TRUE(shell::testing::StartLoggedIn(terminal));
    MainFrame* frame = terminal.Frame();
    ASSERT_TRUE(frame->CommandAction(shell::command::kChangePassword)->isEnabled());
    bool changed = false;
    ui::testing::WhenShown("CTQChangePassword", [&](QWidget* dialog) {
      auto* kinds = ui::FindControl<QComboBox>(dialog, 1064);
      auto* rules = ui::FindControl<QLabel>(dialog, 1171);
      ASSERT_EQ(kinds->count(), 3);
      EXPECT_EQ(ui::ToGbk(kinds->currentText()), "交易密码");
      EXPECT_EQ(ui::ToGbk(rules->text()).rfind("交易密码由6到8位数字或英文字母组成\n", 0), 0u);
      // The order password has no rules; the trading rules are not asked twice.
      kinds->setCurrentIndex(2);
      EXPECT_EQ(rules->text(), "");
      kinds->setCurrentIndex(0);
      EXPECT_EQ(RequestsOf(*server_, 5126), 1u);
      // Each password is limited to eight characters, by the keypad too.
      EXPECT_EQ(ui::FindControl<QLineEdit>(dialog, 1066)->maxLength(), 8);

      Type(dialog, 1065, "111111");
      Type(dialog, 1066, "a1b2c3");
      Type(dialog, 1067, "a1b2c4");
      EXPECT_EQ(ClickForBox(dialog, 1081), "新密码和确认密码不一致");
      EXPECT_EQ(dialog->focusWidget(), ui::FindControl<QLineEdit>(dialog, 1067));
      Type(dialog, 1067, "a1b2c3");
      ui::testing::SaveScreenshot(dialog, "change_password");
      EXPECT_EQ(ClickForBox(dialog, 1081), "修改成功！");
      // The dialog stays, emptied, for another change.
      EXPECT_TRUE(dialog->isVisible());
      for (const int id : {1065, 1066, 1067}) EXPECT_EQ(ui::FindControl<QLineEdit>(dialog, id)->text(), "") << id;
      changed = true;
      Click(dialog, 1172);
    });
    frame->RunCommand(shell::command::kChangePassword);
    ASSERT_TRUE(changed);
    frame->RunCommand(shell::command::kTrayClose);
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return terminal.Frame() == nullptr; }));
  }
  {
    // The old password is refused; the login dialog is then cancelled.
    shell::Terminal terminal;
    std::string refusal;
    ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) {
      refusal = text;
      QTimer::singleShot(0, [] {
        if (QWidget* login = ui::testing::FindShownWindow("CTQLoginDialog")) static_cast<QDialog*>(login)->reject();
      });
    });
    shell::testing::AnswerLoginDialogs("10001", "111111");
    EXPECT_FALSE(terminal.Start());
    EXPECT_NE(refusal.find("密码"), std::string::npos) << refusal;
    shell::testing::DisarmAnswers();
  }
  {
    shell::Terminal terminal;
    shell::testing::AnswerLoginDialogs("10001", "a1b2c3");
    ASSERT_TRUE(terminal.Start());
    ASSERT_NE(terminal.Frame(), nullptr);
    terminal.Frame()->RunCommand(shell::command::kTrayClose);
    EXPECT_TRUE(ui::testing::WaitUntil([&] { return terminal.Frame() == nullptr; }));
  }
}

}  // namespace
