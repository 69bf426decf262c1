#include "platform/question.h"

#include <gtest/gtest.h>

#include <string>

TEST(Question, WithoutAHandlerNobodyAnswersYesAndTheHandlerDecidesOnceInstalled) {
  EXPECT_FALSE(platform::AskYesNo("Send?"));

  std::string asked;
  platform::SetQuestionHandler([&](std::string_view question, std::string_view caption) {
    asked = std::string(caption) + "/" + std::string(question);
    return true;
  });
  EXPECT_TRUE(platform::AskYesNo("Send?", "Quentara"));
  EXPECT_EQ(asked, "Quentara/Send?");

  platform::SetQuestionHandler(nullptr);
  EXPECT_FALSE(platform::AskYesNo("Send?"));
}
