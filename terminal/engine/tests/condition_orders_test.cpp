#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/testing/answers.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::ConditionOrderRow;
using engine::PromptAnswer;
using engine::PromptButtons;
using engine::PromptIcon;
using engine::Table;
using engine::Text;
using engine_testing::Answer;
using engine_testing::Change;
using engine_testing::DataLine;

constexpr const char* kAccepted = "A|||Y|";
constexpr const char* kRefused = "A|||N|1002|资金不足|";

// The start of every request the engine signs: "R", the machine address,
// the sequence number, the function, the empty request prefix, the
// application tag and account 8001 with its password.
std::string RequestHead(int functionNo) {
  return "R|" + std::string(engine_testing::kMachineAddress) + "|" + std::to_string(engine_testing::kSequenceNo) + "|" +
         std::to_string(functionNo) + "||Pellora|8001|secret|";
}

// The answer line (5477, 5479) of condition order C1: field n + 1 carries
// the row's field n, here "f<n>" (or one letter where the row keeps one),
// and field 39 the flag that the trigger is already met.
std::string OrderLine(const std::string& triggerMet, const std::string& price = "f13") {
  return DataLine(45, {{4, "Y"},    {5, "C1"},        {7, "f6"},   {8, "f7"},   {9, "f8"},   {11, "x"},   {12, "y"},
                       {13, "z"},   {14, price},      {15, "f14"}, {20, "f19"}, {23, "a"},   {27, "f26"}, {28, "f27"},
                       {29, "f28"}, {39, triggerMet}, {41, "f40"}, {42, "f41"}, {44, "f43"}, {45, "f44"}});
}

const std::string kConfirmation =
    RequestHead(5477) + "f8|f6|f7|f19|z|x|y|f14|f13|f26|f27|f28|0|-1|-1|0||1|f40|f41|f43|f44|";

// A condition-order push (15003) of condition order C1, its second text K2.
std::string Push(const std::string& kind, const std::string& state, const std::string& choiceKind,
                 const std::string& text) {
  return DataLine(14, {{4, "15003"}, {9, kind}, {10, "C1"}, {11, "K2"}, {12, state}, {13, choiceKind}, {14, text}});
}

class ConditionOrders : public engine_testing::StartedEngine<> {
 protected:
  ConditionOrders() : StartedEngine({.customers = {"8001", "8002"}, .scriptedUser = true}) {}

  std::vector<ConditionOrderRow> Orders() { return engine.Rows<ConditionOrderRow>(Table::kConditionOrders); }

  // Condition order C1 in the table, its record forgotten.
  void StoredOrder() {
    Reset();
    engine.ApplyConditionOrderAnswer(Answer({OrderLine("0")}).View());
    ASSERT_EQ(Orders().size(), 1u);
    gui.changes.clear();
  }
};

TEST_F(ConditionOrders, AnOrderWhoseTriggerIsNotMetIsStoredWithoutAQuestion) {
  engine.ApplyConditionOrderAnswer(Answer({OrderLine("0")}).View());
  ASSERT_EQ(Orders().size(), 1u);
  EXPECT_EQ(Text(Orders()[0].szConditionOrderNo), "C1");
  EXPECT_EQ(Text(Orders()[0].szFlagConditionState), "a");
  EXPECT_EQ(Text(Orders()[0].szAnswerField44), "f44");
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{19, 'i', 0}}));
  EXPECT_TRUE(prompt->asked.empty());
  EXPECT_TRUE(backEnd.Sent().empty());
}

TEST_F(ConditionOrders, AnOrderWhoseTriggerIsMetIsStoredOnceWhenTheUserConfirmsIt) {
  struct Case {
    const char* name;
    PromptAnswer answer;
    std::vector<std::string> backEndAnswer;
    std::size_t stored;
    std::vector<std::string> told;
  };
  const std::string question = "下条件单时, 触发条件已经满足。是否继续？";
  const std::vector<Case> cases{
      {"declined", PromptAnswer::kNo, {}, 0, {question}},
      {"confirmed", PromptAnswer::kYes, {OrderLine("0")}, 1, {question, "条件下单条件满足确认成功！"}},
      // The confirmed order's answer still reports the trigger met: the user
      // is not asked again.
      {"confirmed, still met", PromptAnswer::kYes, {OrderLine("1")}, 1, {question, "条件下单条件满足确认成功！"}},
      {"refused", PromptAnswer::kYes, {kRefused}, 0, {question, "条件下单条件满足确认：资金不足"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    prompt->answers = {c.answer};
    backEnd.Answer(5477, c.backEndAnswer);
    engine.ApplyConditionOrderAnswer(Answer({OrderLine("1")}).View());
    EXPECT_EQ(Orders().size(), c.stored);
    EXPECT_EQ(prompt->Texts(), c.told);
    EXPECT_EQ(prompt->asked[0].buttons, PromptButtons::kYesNo);
    EXPECT_EQ(prompt->asked[0].icon, PromptIcon::kQuestion);
    EXPECT_EQ(backEnd.SentTexts(),
              c.answer == PromptAnswer::kYes ? std::vector<std::string>{kConfirmation} : std::vector<std::string>{});
    EXPECT_EQ(gui.Changes(), (c.stored == 1 ? std::vector<Change>{{19, 'i', 0}} : std::vector<Change>{}));
  }
  EXPECT_TRUE(prompt->lockFreeWhenAsked);
  EXPECT_TRUE(backEnd.LockFreeWhenSent());
}

TEST_F(ConditionOrders, ChangeCancelAndStateAnswersChangeTheOrderOfTheirNumberAtOnce) {
  StoredOrder();
  engine.ApplyConditionOrderChange(Answer({OrderLine("0", "3650")}).View());
  EXPECT_EQ(Text(Orders()[0].szAnswerField13), "3650");
  engine.ApplyConditionOrderState(Answer({DataLine(23, {{4, "Y"}, {5, "C1"}, {23, "t"}})}).View());
  EXPECT_EQ(Text(Orders()[0].szFlagConditionState), "t");
  engine.ApplyConditionOrderCancel(Answer({DataLine(5, {{4, "Y"}, {5, "C1"}})}).View());
  EXPECT_EQ(Text(Orders()[0].szFlagConditionState), "d");
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{19, 'u', 0}, {19, 'u', 0}, {19, 'u', 0}}));

  // Answers for a number no row holds change nothing.
  gui.changes.clear();
  engine.ApplyConditionOrderCancel(Answer({DataLine(5, {{4, "Y"}, {5, "C9"}})}).View());
  engine.ApplyConditionOrderState(Answer({DataLine(23, {{4, "Y"}, {5, "C9"}, {23, "a"}})}).View());
  EXPECT_EQ(Text(Orders()[0].szFlagConditionState), "d");
  EXPECT_TRUE(gui.Changes().empty());
}

TEST_F(ConditionOrders, AConfirmationQuestionIsAnsweredWith5482) {
  struct Case {
    PromptAnswer answer;
    const char* sentAnswer;
    const char* backEndAnswer;
    const char* told;
  };
  for (const Case& c : {Case{PromptAnswer::kOk, "1", kAccepted, "确认成功！"},
                        Case{PromptAnswer::kCancel, "0", kAccepted, "确认成功！"},
                        Case{PromptAnswer::kOk, "1", kRefused, "确认失败：资金不足"}}) {
    SCOPED_TRACE(c.sentAnswer + std::string(" ") + c.backEndAnswer);
    Reset();
    prompt->answers = {c.answer};
    backEnd.Answer(5482, {c.backEndAnswer});
    engine.OnConditionOrderPush(Push("1", "", "", "条件单已触发，是否下单？"));
    ASSERT_EQ(prompt->asked.size(), 2u);
    EXPECT_EQ(prompt->asked[0].text, "条件单已触发，是否下单？");
    EXPECT_EQ(prompt->asked[0].buttons, PromptButtons::kOkCancel);
    EXPECT_EQ(prompt->asked[0].icon, PromptIcon::kStop);
    EXPECT_EQ(backEnd.SentTexts(), std::vector<std::string>{RequestHead(5482) + "C1|K2|" + c.sentAnswer + "|"});
    EXPECT_EQ(prompt->asked[1].text, c.told);
    EXPECT_EQ(prompt->asked[1].buttons, PromptButtons::kOk);
  }
  EXPECT_TRUE(prompt->lockFreeWhenAsked);
  EXPECT_TRUE(backEnd.LockFreeWhenSent());
}

TEST_F(ConditionOrders, AChoiceQuestionIsAnsweredWith5483ByTheButtonsItsKindOffers) {
  struct Case {
    const char* choiceKind;
    PromptButtons buttons;
    PromptAnswer answer;
    const char* sentAnswer;
  };
  for (const Case& c : {Case{"1", PromptButtons::kRetryCancel, PromptAnswer::kRetry, "0"},
                        Case{"1", PromptButtons::kRetryCancel, PromptAnswer::kCancel, "2"},
                        Case{"2", PromptButtons::kAbortRetryIgnore, PromptAnswer::kAbort, "2"},
                        Case{"2", PromptButtons::kAbortRetryIgnore, PromptAnswer::kRetry, "0"},
                        Case{"2", PromptButtons::kAbortRetryIgnore, PromptAnswer::kIgnore, "1"}}) {
    SCOPED_TRACE(c.choiceKind + std::string(" ") + c.sentAnswer);
    Reset();
    prompt->answers = {c.answer};
    backEnd.Answer(5483, {kAccepted});
    engine.OnConditionOrderPush(Push("2", "", c.choiceKind, "委托失败，是否重试？"));
    ASSERT_EQ(prompt->asked.size(), 2u);
    EXPECT_EQ(prompt->asked[0].buttons, c.buttons);
    EXPECT_EQ(prompt->asked[0].icon, PromptIcon::kStop);
    EXPECT_EQ(backEnd.SentTexts(), std::vector<std::string>{RequestHead(5483) + "C1|K2|" + c.sentAnswer + "|"});
    EXPECT_EQ(prompt->asked[1].text, "选择成功！");
  }

  // A choice of another kind is neither asked nor answered.
  Reset();
  engine.OnConditionOrderPush(Push("2", "", "3", "委托失败，是否重试？"));
  EXPECT_TRUE(prompt->asked.empty());
  EXPECT_TRUE(backEnd.Sent().empty());
}

TEST_F(ConditionOrders, WithoutAPromptEveryQuestionIsDeclined) {
  engine.SetUserPrompt(nullptr);
  backEnd.Answer(5482, {kAccepted});
  backEnd.Answer(5483, {kAccepted});
  engine.OnConditionOrderPush(Push("1", "", "", "条件单已触发，是否下单？"));
  engine.OnConditionOrderPush(Push("2", "", "2", "委托失败，是否重试？"));
  EXPECT_EQ(backEnd.SentTexts(),
            (std::vector<std::string>{RequestHead(5482) + "C1|K2|0|", RequestHead(5483) + "C1|K2|2|"}));

  // A condition order whose trigger is met is then neither sent nor stored.
  backEnd.ClearSent();
  engine.ApplyConditionOrderAnswer(Answer({OrderLine("1")}).View());
  EXPECT_TRUE(backEnd.Sent().empty());
  EXPECT_TRUE(Orders().empty());
}

TEST_F(ConditionOrders, AStatePushStoresTheCodeOfThePushedState) {
  struct Case {
    const char* pushed;
    const char* stored;
  };
  for (const Case& c : {Case{"0", "1"}, Case{"7", "1"}, Case{"8", "1"}, Case{"2", "d"}, Case{"1", "0"}, Case{"3", "2"},
                        Case{"4", "2"}, Case{"5", "2"}, Case{"6", "3"}, Case{"9", ""}}) {
    SCOPED_TRACE(c.pushed);
    StoredOrder();
    engine.OnConditionOrderPush(Push("3", c.pushed, "", ""));
    EXPECT_EQ(Text(Orders()[0].szFlagConditionState), c.stored);
    EXPECT_EQ(gui.Changes(), (std::vector<Change>{{19, 'u', 0}}));
  }

  // A push marked "WTHB" changes nothing.
  StoredOrder();
  engine.OnConditionOrderPush(Push("3", "2", "", "WTHB#合并"));
  EXPECT_EQ(Text(Orders()[0].szFlagConditionState), "a");
  EXPECT_TRUE(gui.Changes().empty());
}

}  // namespace
