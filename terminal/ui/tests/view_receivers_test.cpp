#include "ui/view_receivers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/order_form.h"

namespace {

engine::TableChangeRecord Change(int tableId) { return engine::TableChangeRecord::Reload(tableId); }

TEST(ViewReceivers, ATableChangeReachesTheReceiversOfItsTableInTheOrderTheyRegistered) {
  ui::ViewReceivers receivers;
  std::vector<std::string> seen;
  receivers.AddTableReceiver(5, [&](const engine::TableChangeRecord&) { seen.push_back("position bar"); });
  receivers.AddTableReceiver(20, [&](const engine::TableChangeRecord&) { seen.push_back("apply view 20"); });
  receivers.AddTableReceiver(5, [&](const engine::TableChangeRecord& record) {
    seen.push_back("apply view " + std::to_string(record.TableId()));
  });
  EXPECT_EQ(receivers.DeliverTableChange(Change(5)), 2);
  EXPECT_EQ(seen, (std::vector<std::string>{"position bar", "apply view 5"}));
  EXPECT_EQ(receivers.DeliverTableChange(Change(4)), 0);
}

TEST(ViewReceivers, EachTagHasOneReceiverAndALaterOneReplacesIt) {
  ui::ViewReceivers receivers;
  backend::RequestRecord record;
  std::vector<std::string> seen;
  EXPECT_FALSE(receivers.DeliverAsyncAnswer("_DeleteOrder", record));
  receivers.SetAsyncReceiver("_DeleteOrder", [&](const backend::RequestRecord&) { seen.push_back("first"); });
  receivers.SetAsyncReceiver("_DeleteOrder", [&](const backend::RequestRecord&) { seen.push_back("order bar"); });
  receivers.SetAsyncReceiver("_QueryHisIOFund", [&](const backend::RequestRecord&) { seen.push_back("fund view"); });
  EXPECT_TRUE(receivers.DeliverAsyncAnswer("_DeleteOrder", record));
  EXPECT_TRUE(receivers.DeliverAsyncAnswer("_QueryHisIOFund", record));
  EXPECT_FALSE(receivers.DeliverAsyncAnswer("_DeleteAllOrder", record));
  EXPECT_EQ(seen, (std::vector<std::string>{"order bar", "fund view"}));
}

TEST(ViewReceivers, ContractsReadyAndOrderResultsReachEveryListenerEachTime) {
  ui::ViewReceivers receivers;
  int reloads = 0;
  std::vector<std::string> lines;
  receivers.AddContractsReadyListener([&] { ++reloads; });
  receivers.AddContractsReadyListener([&] { ++reloads; });
  receivers.AddOrderResultReceiver([&](const ui::OrderResult& result) { lines = result.lines; });
  receivers.NotifyContractsReady();
  receivers.NotifyContractsReady();
  EXPECT_EQ(reloads, 4);
  receivers.DeliverOrderResult({.callerTag = "0", .failed = false, .lines = {"委托单发送"}, .prompt = ""});
  EXPECT_EQ(lines, std::vector<std::string>{"委托单发送"});
  EXPECT_EQ(receivers.Form(), nullptr);
}

}  // namespace
