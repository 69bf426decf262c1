#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/testing/answers.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::ProfitLossOrderRow;
using engine::Table;
using engine::Text;
using engine_testing::Answer;
using engine_testing::Change;
using engine_testing::DataLine;

// An add or change answer (5473, 5475) of profit/loss order P1: its fields
// are those of the order list (5474) one later.
backend::CxDataSet OrderAnswer(const std::string& price) {
  return Answer({DataLine(36, {{4, "Y"}, {5, "P1"}, {9, "m2701"}, {10, "f9"}, {11, "f10"}, {12, price}, {36, "f35"}})});
}

// A condition-order push (15003) reporting a profit/loss order's state.
std::string StatePush(const std::string& orderNo, const std::string& state, const std::string& text) {
  return DataLine(14, {{4, "15003"}, {9, "3"}, {10, orderNo}, {12, state}, {14, text}});
}

class ProfitLossOrders : public engine_testing::StartedEngine<> {
 protected:
  ProfitLossOrders() : StartedEngine({.customers = {"8001", "8002"}, .scriptedUser = true}) {}

  std::vector<ProfitLossOrderRow> Orders() { return engine.Rows<ProfitLossOrderRow>(Table::kProfitLossOrders); }

  // The engine's log lines of level 3, without the download thread's.
  std::vector<std::string> Notes() const {
    std::vector<std::string> notes;
    for (const auto& [level, text] : gui.LogLines()) {
      if (level == 3 && text.find("下载") == std::string::npos) notes.push_back(text);
    }
    return notes;
  }
};

TEST_F(ProfitLossOrders, AnAddReachesTheGuiWithTheNextFlushAChangeOrDeleteAtOnce) {
  engine.ApplyProfitLossOrderAdd(OrderAnswer("3600").View());
  ASSERT_EQ(Orders().size(), 1u);
  EXPECT_EQ(Text(Orders()[0].szProfitLossOrderNo), "P1");
  EXPECT_EQ(Text(Orders()[0].szAnswerField8), "m2701");
  EXPECT_EQ(Text(Orders()[0].szAnswerField9), "f9");
  EXPECT_EQ(Text(Orders()[0].szAnswerField10), "f10");
  EXPECT_EQ(Text(Orders()[0].szAnswerField35), "f35");
  EXPECT_TRUE(gui.Changes().empty());
  EXPECT_EQ(Held(), (std::vector<Change>{{18, 'i', 0}}));

  engine.ApplyProfitLossOrderChange(OrderAnswer("3700").View());
  EXPECT_EQ(Text(Orders()[0].szAnswerField11), "3700");
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{18, 'u', 0}}));

  gui.changes.clear();
  engine.ApplyProfitLossOrderDelete(Answer({DataLine(5, {{4, "Y"}, {5, "P9"}})}).View());
  EXPECT_EQ(Orders().size(), 1u);
  engine.ApplyProfitLossOrderDelete(Answer({DataLine(5, {{4, "Y"}, {5, "P1"}})}).View());
  EXPECT_TRUE(Orders().empty());
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{18, 'd', 0}}));
  EXPECT_TRUE(Held().empty());
}

TEST_F(ProfitLossOrders, AStatePushStoresTheStatesCodeAndStatusAndLogsIt) {
  struct Case {
    const char* pushed;
    const char* stored;
    const char* note;
  };
  for (const Case& c :
       {Case{"1", "2", "已生成条件单。"}, Case{"2", "1", "已生成止损委托单。"}, Case{"3", "4", "已生成止盈委托单。"},
        Case{"5", "3", "错误委托。"}, Case{"4", "d", "已删除。"}, Case{"9", "0", "未生成条件单。"}}) {
    SCOPED_TRACE(c.pushed);
    Reset();
    engine.ApplyProfitLossOrderAdd(OrderAnswer("3600").View());
    Held();
    engine.OnConditionOrderPush(StatePush("P1", c.pushed, "ZSZY#止损已触发#"));
    EXPECT_EQ(Text(Orders()[0].szFlagProfitLossState), c.stored);
    EXPECT_EQ(Text(Orders()[0].szProfitLossStateText), "止损已触发");
    EXPECT_EQ(Notes(), (std::vector<std::string>{"计算引擎：盈损单(P1)：" + std::string(c.note),
                                                 "计算引擎：盈损单(P1)：状态变更通知界面更新。"}));
    EXPECT_TRUE(gui.Changes().empty());
    EXPECT_EQ(Held(), (std::vector<Change>{{18, 'u', 0}}));
  }
}

TEST_F(ProfitLossOrders, AStatePushForAnOrderNotYetAddedIsOnlyLogged) {
  engine.ApplyProfitLossOrderAdd(OrderAnswer("3600").View());
  Held();
  engine.OnConditionOrderPush(StatePush("P2", "4", "ZSZY#已删除"));
  EXPECT_EQ(Text(Orders()[0].szFlagProfitLossState), "");
  EXPECT_EQ(Notes(), (std::vector<std::string>{"计算引擎：盈损单(P2)：已删除。",
                                               "计算引擎：收到盈损单(P2)状态推送时，盈损单还没有生成！"}));
  EXPECT_TRUE(Held().empty());
  EXPECT_TRUE(backEnd.Sent().empty());
  EXPECT_TRUE(prompt->asked.empty());
}

}  // namespace
