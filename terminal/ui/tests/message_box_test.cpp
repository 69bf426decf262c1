#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <atomic>
#include <thread>

#include "ui/gbk_text.h"
#include "ui/question_bridge.h"
#include "ui/testing/gui_test.h"

namespace {

using ui::Answer;
using ui::Buttons;

struct ButtonSet {
  Buttons buttons;
  std::vector<std::string> labels;
  std::vector<Answer> answers;
};

// The five button sets, each button as labelled and as answered.
const ButtonSet kSets[] = {
    {Buttons::kOk, {"确定"}, {Answer::kOk}},
    {Buttons::kYesNo, {"是(&Y)", "否(&N)"}, {Answer::kYes, Answer::kNo}},
    {Buttons::kOkCancel, {"确定", "取消"}, {Answer::kOk, Answer::kCancel}},
    {Buttons::kRetryCancel, {"重试(&R)", "取消"}, {Answer::kRetry, Answer::kCancel}},
    {Buttons::kAbortRetryIgnore,
     {"中止(&A)", "重试(&R)", "忽略(&I)"},
     {Answer::kAbort, Answer::kRetry, Answer::kIgnore}},
};

std::vector<std::string> Labels(const QMessageBox* box) {
  std::vector<std::string> labels;
  for (const QAbstractButton* button : box->buttons()) labels.push_back(ui::ToGbk(button->text()));
  std::sort(labels.begin(), labels.end());
  return labels;
}

TEST(MessageBoxes, EveryButtonOfEverySetCanBePressedAndAnswersAsLabelled) {
  for (const ButtonSet& set : kSets) {
    std::vector<std::string> expected = set.labels;
    std::sort(expected.begin(), expected.end());
    for (const Answer answer : set.answers) {
      std::vector<std::string> labels;
      std::string text;
      ui::testing::WhenMessageBox(answer, [&](const std::string& seen) {
        text = seen;
        labels = Labels(ui::testing::ShownMessageBox());
      });
      EXPECT_EQ(ui::RunMessageBox(nullptr, "条件单已触发，是否发送？", "Quentara", set.buttons, ui::BoxIcon::kStop),
                answer);
      EXPECT_EQ(text, "条件单已触发，是否发送？");
      EXPECT_EQ(labels, expected);
    }
  }
}

TEST(MessageBoxes, EscapeTakesTheDecliningButton) {
  for (const ButtonSet& set : kSets) {
    ui::testing::WhenShown("MessageBox", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ui::RunMessageBox(nullptr, "?", "Quentara", set.buttons), ui::DecliningAnswer(set.buttons));
  }
  ui::testing::CancelWatches();
}

TEST(QuestionBridge, AQuestionFromAnotherThreadIsAnsweredInABoxOnTheGuiThread) {
  std::atomic<bool> askedOnGui = false;
  const std::thread::id gui = std::this_thread::get_id();
  ui::QuestionBridge bridge([&](const ui::Question& question) {
    askedOnGui = std::this_thread::get_id() == gui;
    return ui::RunMessageBox(nullptr, question.text, question.caption, question.buttons);
  });
  ui::testing::WhenMessageBox(Answer::kRetry);
  std::atomic<int> answer = -1;
  std::thread asker([&] {
    answer = static_cast<int>(bridge.Ask({"委托失败，是否重试？", "Quentara", Buttons::kRetryCancel}));
  });
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return answer != -1; }));
  asker.join();
  EXPECT_EQ(answer, static_cast<int>(Answer::kRetry));
  EXPECT_TRUE(askedOnGui);
}

TEST(QuestionBridge, StopEndsAWaitAndDeclinesEveryLaterQuestion) {
  int shown = 0;
  ui::QuestionBridge bridge([&](const ui::Question&) {
    ++shown;
    return Answer::kOk;
  });
  std::atomic<int> answer = -1;
  // The GUI thread does not run its loop: the question waits until the stop.
  std::thread asker([&] { answer = static_cast<int>(bridge.Ask({"?", "", Buttons::kOkCancel})); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(answer, -1);
  bridge.Stop();
  asker.join();
  EXPECT_EQ(answer, static_cast<int>(Answer::kCancel));
  EXPECT_EQ(bridge.Ask({"?", "", Buttons::kYesNo}), Answer::kNo);
  QCoreApplication::processEvents();
  EXPECT_EQ(shown, 0);
}

}  // namespace
