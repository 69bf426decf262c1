// A question of the back end about a condition order, answered by the user
// in the message box the engine asks for: the answer reaches the back end.
#include <gtest/gtest.h>

#include "backend/field_text.h"
#include "client/operation_frame.h"
#include "shell/testing/terminal_session.h"
#include "ui/testing/gui_test.h"

namespace {

constexpr int kPlaceCondition = 5477;
constexpr int kConfirmCondition = 5482;

// A condition order of the demo account whose condition holds already (the
// last price lies within the day's limits, 2820 to 3116),
// entered all the same and asking before it sends: the back end asks at once.
bool PlaceAskingConditionOrder(std::string& message) {
  client::OperationParameters parameters(client::SlotAccount(0));
  for (const char* parameter : {"m2705", "D", "D001", "",   "0", "0", "0", "1", "2900", "0",    ">=",
                                "2821",  "0", "-1",   "-1", "0", "",  "1", "1", "1",    "备注", "x"}) {
    parameters.Add(parameter);
  }
  return client::RunSync({"条件单", kPlaceCondition}, 0, parameters, message) != nullptr;
}

class ConditionQuestion : public shell::testing::TerminalSession {
 protected:
  // The answer field (parameter 7) of the back end's 5482 requests.
  std::vector<std::string> Confirmations() const {
    std::vector<std::string> answers;
    for (const simbackend::ReceivedRequest& request : server_->Requests()) {
      if (request.function == kConfirmCondition) answers.push_back(backend::GetSeparatedFieldText(11, request.text));
    }
    return answers;
  }
};

TEST_F(ConditionQuestion, TheUsersOkInTheBoxReachesTheBackEnd) {
  shell::Terminal terminal;
  ASSERT_TRUE(shell::testing::StartLoggedIn(terminal));
  shell::MainFrame* frame = terminal.Frame();
  // Orders and condition orders wait for the end of the first download.
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame->MarketWindow() != nullptr; }));

  // The question, then the box that tells how the answer went.
  std::vector<std::string> boxes;
  ui::testing::WhenMessageBoxes(ui::Answer::kOk, [&](const std::string& text) {
    if (boxes.empty()) ui::testing::SaveScreenshot(ui::testing::ShownMessageBox(), "condition_question");
    boxes.push_back(text);
  });
  std::string message;
  ASSERT_TRUE(PlaceAskingConditionOrder(message)) << message;
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return !Confirmations().empty(); }));
  EXPECT_EQ(Confirmations(), std::vector<std::string>{"1"});
  ASSERT_FALSE(boxes.empty());
  EXPECT_FALSE(boxes[0].empty());

  frame->CloseFromTray();
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return terminal.Frame() == nullptr; }));
}

}  // namespace
