// The dialogs around the login on their own: the keypad types into its
// password edit and hands the focus on, the statement lines up its columns,
// the customer information shows its texts in their controls.
#include "shell/views/startup_dialogs.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include "shell/views/keypad_dialog.h"
#include "shell/views/password_edit.h"
#include "ui/colours_fonts.h"
#include "ui/gbk_text.h"
#include "ui/testing/gui_test.h"

namespace {

// The keypad's button that shows the digit.
QPushButton* DigitButton(QWidget* keypad, int digit) {
  for (QPushButton* button : keypad->findChildren<QPushButton*>()) {
    if (button->text() == QString::number(digit)) return button;
  }
  return nullptr;
}

TEST(Keypad, TheShuffledDigitsTypeThePasswordAndTheFocusMovesOnPastTheEdit) {
  ui::BaseDialog dialog(nullptr, 172, "解锁");
  auto* password = new shell::PasswordEdit(&dialog, 1238, 8);
  auto* next = new QLineEdit(&dialog);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(password);
  layout->addWidget(next);
  dialog.show();
  password->SetText("stale");
  std::string shown;
  ui::testing::WhenShown("CInputPasswordDlg", [&](QWidget* keypad) {
    for (const int digit : {1, 2, 3, 9}) QTest::mouseClick(DigitButton(keypad, digit), Qt::LeftButton);
    QTest::mouseClick(ui::FindControl<QPushButton>(keypad, 1070), Qt::LeftButton);  // backspace
    shown = password->Text();
    ui::testing::SaveScreenshot(keypad, "keypad");
    QTest::mouseClick(ui::FindControl<QPushButton>(keypad, 1078), Qt::LeftButton);
  });
  QTest::mouseClick(password->BrowseButton(), Qt::LeftButton);
  EXPECT_EQ(shown, "123");
  EXPECT_EQ(password->Text(), "123");
  EXPECT_EQ(dialog.focusWidget(), next);
}

TEST(Keypad, CancelEmptiesTheEdit) {
  QLineEdit target;
  target.setText("99");
  shell::KeypadDialog keypad(nullptr, &target);
  EXPECT_EQ(target.text(), "");
  ui::testing::WhenShown("CInputPasswordDlg", [](QWidget* window) {
    QTest::mouseClick(DigitButton(window, 5), Qt::LeftButton);
    QTest::mouseClick(ui::FindControl<QPushButton>(window, 1074), Qt::LeftButton);
  });
  EXPECT_EQ(keypad.exec(), QDialog::Rejected);
  EXPECT_EQ(target.text(), "");
}

TEST(StartupDialogs, TheStatementIsShownInAFixedPitchFontSoItsColumnsLineUp) {
  const std::vector<std::string> lines{"客户号    10001      客户名称  演示客户",
                                       "期初结存  1000000.00 期末结存  998765.43", "iiiiiiii  WWWWWWWW"};
  shell::StatementDialog dialog(nullptr, lines);
  auto* list = ui::FindControl<QListWidget>(&dialog, 1173);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(ui::ToGbk(list->item(1)->text()), lines[1]);
  const QFont font = list->font();
  EXPECT_EQ(ui::TextWidth(font, "iiiiiiii"), ui::TextWidth(font, "WWWWWWWW"));
  // A Chinese character is two columns wide, as its two GBK bytes.
  EXPECT_EQ(ui::TextWidth(font, "客户"), ui::TextWidth(font, "WWWW"));
  EXPECT_EQ(ui::ToGbk(dialog.windowTitle()), "结算单确认");
  dialog.show();
  ui::testing::SaveScreenshot(&dialog, "statement");
}

TEST(StartupDialogs, TheCustomerInformationShowsEachTextInItsControl) {
  const shell::CustomerInformation texts{"演示客户", "10001",    "稳健型", "12.5%",       "127.0.0.1",
                                         "20261210", "09:00:00", "PC",     "请注意风险。"};
  shell::CustomerInfoDialog dialog(nullptr, texts);
  EXPECT_EQ(ui::ToGbk(ui::FindControl<QLabel>(&dialog, 1175)->text()), "演示客户");
  EXPECT_EQ(ui::ToGbk(ui::FindControl<QLabel>(&dialog, 1182)->text()), "PC");
  EXPECT_EQ(ui::ToGbk(ui::FindControl<QPlainTextEdit>(&dialog, 1183)->toPlainText()), "请注意风险。");
  dialog.show();
  ui::testing::SaveScreenshot(&dialog, "customer_information");
}

}  // namespace
