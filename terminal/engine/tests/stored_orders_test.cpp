#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/stored_order_row.h"
#include "engine/testing/answers.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::StoredOrderRow;
using engine::Table;
using engine::Text;
using engine_testing::Answer;
using engine_testing::Change;
using engine_testing::DataLine;

// The add answer (5464) of stored order S1; field n carries "f<n>" where
// the row keeps it, the sent flag "0".
backend::CxDataSet AddAnswer() {
  return Answer({DataLine(22, {{4, "Y"},
                               {5, "S1"},
                               {6, "f6"},
                               {7, "f7"},
                               {8, "f8"},
                               {9, "f9"},
                               {10, "0"},
                               {11, "not kept"},
                               {12, "1"},
                               {13, "not kept"},
                               {14, "0"},
                               {15, "not kept"},
                               {16, "f16"},
                               {17, "f17"},
                               {18, "f18"},
                               {19, "f19"},
                               {20, "0"},
                               {21, "f21"},
                               {22, "f22"}})});
}

std::vector<std::string> Texts(const StoredOrderRow& row) {
  std::vector<std::string> texts;
  for (const std::string_view text :
       {Text(row.szTradeAccount), Text(row.szStoredOrderNo), Text(row.szAnswerField6), Text(row.szAnswerField7),
        Text(row.szAnswerField8), Text(row.szAnswerField9), Text(row.szAnswerField10), Text(row.szAnswerField12),
        Text(row.szAnswerField14), Text(row.szAnswerField16), Text(row.szAnswerField17), Text(row.szAnswerField18),
        Text(row.szAnswerField19), Text(row.szSentFlag), Text(row.szAnswerField21), Text(row.szAnswerField22)}) {
    texts.emplace_back(text);
  }
  return texts;
}

const std::vector<std::string> kAdded{"8001", "S1",  "f6",  "f7",  "f8",  "f9", "0",   "1",
                                      "0",    "f16", "f17", "f18", "f19", "0",  "f21", "f22"};

class StoredOrders : public engine_testing::StartedEngine<> {
 protected:
  StoredOrders() : StartedEngine({.customers = {"8001", "8002"}, .scriptedUser = true}) {}

  std::vector<StoredOrderRow> Stored() { return engine.Rows<StoredOrderRow>(Table::kStoredOrders); }
};

TEST_F(StoredOrders, AStoredOrderIsKnownByItsAccountAndNumberThroughAddChangeSendAndDelete) {
  engine.ApplyStoredOrderAdd("8001", AddAnswer().View());
  engine.ApplyStoredOrderAdd("8002", AddAnswer().View());
  ASSERT_EQ(Stored().size(), 2u);
  EXPECT_EQ(Texts(Stored()[0]), kAdded);
  EXPECT_EQ(Text(Stored()[1].szTradeAccount), "8002");
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{17, 'i', 0}, {17, 'i', 1}}));

  // The change of 8002's S1: request fields 9 to 19.
  gui.changes.clear();
  const std::vector<std::string> change{"S1", "g6", "g7", "g8", "g9", "1", "0", "1", "g16", "g17", "g19"};
  engine.ApplyStoredOrderChange("8002", change);
  EXPECT_EQ(Texts(Stored()[1]), (std::vector<std::string>{"8002", "S1", "g6", "g7", "g8", "g9", "1", "0", "1", "g16",
                                                          "g17", "f18", "g19", "0", "f21", "f22"}));
  EXPECT_EQ(Texts(Stored()[0]), kAdded);
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{17, 'u', 1}}));

  // Numbers no row holds change nothing.
  gui.changes.clear();
  std::vector<std::string> unknown = change;
  unknown[0] = "S9";
  engine.ApplyStoredOrderChange("8001", unknown);
  engine.ApplyStoredOrderDelete("8001", "S9");
  engine.ApplyStoredOrderSend("8001", Answer({DataLine(34, {{4, "Y"}})}).View(), "S9");
  EXPECT_EQ(Stored().size(), 2u);
  EXPECT_EQ(Texts(Stored()[0]), kAdded);
  EXPECT_TRUE(gui.Changes().empty());

  // The send of 8001's S1 placed order 00077, which no push has brought:
  // it is fetched and added before the stored order is marked sent.
  backEnd.Answer(5134, {"A|||Y|1|", DataLine(40, {{5, "00077"}, {6, "S"}, {9, "a"}, {12, "0"}, {32, "S001"}})});
  engine.ApplyStoredOrderSend("8001", Answer({DataLine(34, {{4, "Y"}, {5, "77"}, {6, "S"}, {34, "S001"}})}).View(),
                              "S1");
  ASSERT_EQ(engine.Rows<engine::OrderRow>(Table::kOrders).size(), 1u);
  EXPECT_EQ(Text(Stored()[0].szSentFlag), "1");
  EXPECT_EQ(Text(Stored()[1].szSentFlag), "0");
  EXPECT_EQ(gui.Changes(), (std::vector<Change>{{2, 'i', 0}, {17, 'u', 0}}));
  EXPECT_TRUE(backEnd.LockFreeWhenSent());

  // The delete's record carries the row it removes.
  gui.changes.clear();
  engine.ApplyStoredOrderDelete("8001", "S1");
  ASSERT_EQ(gui.Changes(), (std::vector<Change>{{17, 'd', 0}}));
  EXPECT_EQ(gui.changes[0].RowCount(), 2);
  EXPECT_EQ(Text(engine::RowFromBytes<StoredOrderRow>(gui.changes[0].Row())->szTradeAccount), "8001");
  ASSERT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Text(Stored()[0].szTradeAccount), "8002");
}

}  // namespace
