// Orders end to end: the order lists of "the panel" go through the order
// submission and the order module's thread to the simulated back end over
// loopback sockets, which fills them and pushes their states back through
// the result-queue pump into the module's follow-up tasks; each kind of task
// runs to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "backend/transport.h"
#include "client/login.h"
#include "client/push_dispatch.h"
#include "client/quote_subscription.h"
#include "client/subscription_list.h"
#include "client/testing/client_test.h"
#include "order_module/order_module.h"
#include "order_module/order_submission.h"
#include "order_module/testing/order_module_test.h"

namespace {

using engine::SetText;
using order_module_testing::DeliveredResult;
using order_module_testing::ResultShell;
using Texts = std::vector<std::string>;

// Loads the tables an order needs from the back end as the initial download
// loads them.
bool Download(engine_testing::OpenEngine& engine, std::string& error) {
  const backend::AccountRecord* account = backend::TheAccountTable().FindAccountBySlot(0);
  if (account == nullptr) return false;
  const backend::AccountKey& key = account->key;
  backend::CxDataSet answer;
  const auto ask = [&](backend::RequestPtr request) {
    answer.FreeBlock();
    return engine.AskBackEnd(std::move(request), answer, error);
  };
  if (!ask(engine.BuildExchangeSeatRequest())) return false;
  engine.LoadExchangeSeats(answer.View());
  if (!ask(engine.BuildContractRequest())) return false;
  engine.LoadContracts(answer.View());
  if (!ask(engine.BuildTradeCodeRequest(key))) return false;
  engine.LoadTradeCodes(answer.View());
  if (!ask(engine.BuildOrderRequest(key))) return false;
  engine.LoadOrders(key.customerNo, answer.View());
  if (!ask(engine.BuildPositionDetailRequest(key))) return false;
  engine.LoadPositionDetails(answer.View());
  engine::EngineTable summary;
  engine.BuildPositionSummary(summary, engine::PositionKinds::kOrdinaryOnly);
  std::lock_guard guard(engine.lock_);
  engine.TableAt(engine::Table::kPositionSummary) = std::move(summary);
  return true;
}

class Settings : public order_module::OrderSettingsSource {
 public:
  order_module::OrderEntrySettings EntrySettings() const override { return entry; }
  std::span<const std::uint8_t> VarietyParamRows() const override { return {}; }
  order_module::OrderEntrySettings entry;
};

backend::CGlobalStringList List(const Texts& items) {
  backend::CGlobalStringList list;
  for (const std::string& item : items) list.Append(item);
  return list;
}

class OrdersEndToEnd : public client_testing::SimulatedBackEndTest {
 protected:
  OrdersEndToEnd() : resultShell(module), installedShell_(resultShell) {}

  void SetUp() override {
    SimulatedBackEndTest::SetUp();
    resultShell.SetVersionText("5.2.0.1");
    resultShell.SelectGateway("127.0.0.1", server->Port());
    std::string message;
    ASSERT_TRUE(client::Login(message, {backend::kTradingLogin, "10001", "111111"})) << message;
    StartEngine(SendingCallbacks(backend::ExecuteRequest, backend::PostRequest));
    ASSERT_TRUE(Download(engine, message)) << message;
    ASSERT_TRUE(engine.MakeReady());
    client::QuoteServerInfo quoteServers;
    ASSERT_TRUE(client::QueryQuoteServerInfo(quoteServers, message)) << message;
    ASSERT_TRUE(client::LoginQuoteGateway(message, quoteServers)) << message;
    ASSERT_TRUE(module.Start());
  }

  void TearDown() override {
    module.Stop();
    SimulatedBackEndTest::TearDown();
  }

  // The main frame's timer: pushes and answers, then the module's results,
  // until `done` holds within the bound.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + client_testing::kBound;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      while (pump.ProcessReceiveQueue()) {
      }
      module.DeliverResults();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  std::optional<DeliveredResult> NextResult() {
    const std::size_t before = resultShell.results.size();
    if (!PumpUntil([&] { return resultShell.results.size() > before; })) return std::nullopt;
    return resultShell.results[before];
  }

  // The account's orders at the back end entered since it started.
  std::vector<simbackend::OrderView> NewOrders() const {
    std::vector<simbackend::OrderView> orders = server->Book("10001")->orders;
    std::erase_if(orders, [](const simbackend::OrderView& order) { return order.timesReceived == 0; });
    return orders;
  }

  order_module::OrderModule module;
  ResultShell resultShell;
  Settings settings;
  order_module::OrderSubmission submission{module, settings};
  client::SubscriptionList subscriptions{client::QuoteSubscriptionSender()};
  client::ReceivePump pump{engine, subscriptions, {.orderStates = &module}};

 private:
  client_testing::ScopedShell installedShell_;
};

TEST_F(OrdersEndToEnd, AMarketOrderFromThePanelGoesOutAtTheLimitPriceAndFills) {
  // SHFE takes no market orders: the buy goes out at the upper limit and
  // fills against the quote at once.
  const Texts panel = {"",  "",         "",     "S", "cu2701", "0", "0", "0",    "1",
                       "0", "81000101", "S001", "0", "0",      "",  "0", "10001"};
  ASSERT_TRUE(submission.SubmitOrder(List(panel)));
  const std::optional<DeliveredResult> result = NextResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->code, "0") << result->messages.front();
  ASSERT_TRUE(PumpUntil([&] { return !NewOrders().empty() && NewOrders().front().state == "c"; }));

  const std::vector<simbackend::OrderView> orders = NewOrders();
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(orders[0].contract, "cu2701");
  EXPECT_EQ(orders[0].priceType, "0");
  EXPECT_EQ(orders[0].filled, 1);
  EXPECT_EQ(orders[0].timesReceived, 1u);
  ASSERT_EQ(result->messages.size(), 1u);
  EXPECT_EQ(result->messages[0],
            "委托单发送成功，[10001]买入|开仓|投机|1|" + orders[0].price + ".00|委托单号=" + orders[0].number);
}

TEST_F(OrdersEndToEnd, AReverseOrderOpensAsItsCloseFills) {
  settings.entry.wayOfReverseOrder = 1;
  // Close 2 of the 10 lots of m2705 held and sell 2 to open, both at the
  // market, which DCE takes.
  const Texts reverse = {"",     "",  "",  "D", "m2705", "1", "1", "0", "2", "0",    "01000101",
                         "D001", "0", "0", "",  "2",     "0", "0", "0", "0", "10001"};
  ASSERT_TRUE(submission.SubmitReverseOrder(List(reverse)));
  const std::optional<DeliveredResult> result = NextResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->code, "0") << result->messages.front();

  const std::vector<simbackend::OrderView> orders = NewOrders();
  ASSERT_EQ(orders.size(), 2u);
  EXPECT_EQ(orders[0].openClose, "1");
  EXPECT_EQ(orders[1].openClose, "0");
  for (const simbackend::OrderView& order : orders) {
    EXPECT_EQ(order.buySell, "1");
    EXPECT_EQ(order.priceType, "1");
    EXPECT_EQ(order.lots, 2);
    EXPECT_EQ(order.timesReceived, 1u);
  }
  EXPECT_EQ(orders[0].filled, 2);
  EXPECT_EQ(result->messages.size(), 2u);
}

TEST_F(OrdersEndToEnd, ACloseShortOfLotsCancelsThePendingOrderAtTheBackEndFirst) {
  settings.entry.enableAutoDelOrder = true;
  settings.entry.autoDelOrderType = order_module::kCheckClosable;
  // One lot of IF2612 is held, and the data's order 1006, a sell to open,
  // waits: closing 2 lots cancels it first, then closes the one lot.
  const Texts panel = {"",       "",         "",     "J", "IF2612", "1", "1", "0",    "2",
                       "3900.0", "31000101", "J001", "0", "0",      "",  "0", "10001"};
  ASSERT_TRUE(submission.SubmitOrder(List(panel)));
  const std::optional<DeliveredResult> result = NextResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->code, "0") << result->messages.back();
  const std::string order1006 = "席位代码=J001, 下单席位=J001, 委托单号=1006";
  ASSERT_EQ(result->messages.size(), 6u);
  EXPECT_EQ(result->messages[1], "撤单请求发送成功(" + order1006 + ")");
  EXPECT_EQ(result->messages[3], "撤单成功：" + order1006);
  EXPECT_EQ(result->messages[4], "平仓总手数大于可平仓总手数，调整平仓总手数：2 -> 1");

  const std::vector<simbackend::OrderView> book = server->Book("10001")->orders;
  const auto cancelled =
      std::find_if(book.begin(), book.end(), [](const auto& order) { return order.number == "1006"; });
  ASSERT_NE(cancelled, book.end());
  EXPECT_EQ(cancelled->state, "d");
  const std::vector<simbackend::OrderView> orders = NewOrders();
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(orders[0].openClose, "1");
  EXPECT_EQ(orders[0].lots, 1);
}

TEST_F(OrdersEndToEnd, AChangeOfPriceCancelsTheOrderAtTheBackEndAndSendsItAgain) {
  // The data's order 1010 buys a cu2702 call at 1500 and waits.
  const Texts changePrice = {"",  "",  "",     "1010",     "S001", "S001", "S", "cu2702C76000", "0", "0",
                             "0", "1", "1510", "81000101", "0",    "0",    "",  "10001"};
  ASSERT_TRUE(submission.SubmitChangePriceOrder(List(changePrice)));
  const std::optional<DeliveredResult> result = NextResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->code, "0") << result->messages.back();

  const std::vector<simbackend::OrderView> book = server->Book("10001")->orders;
  const auto replaced =
      std::find_if(book.begin(), book.end(), [](const auto& order) { return order.number == "1010"; });
  ASSERT_NE(replaced, book.end());
  EXPECT_EQ(replaced->state, "d");
  const std::vector<simbackend::OrderView> orders = NewOrders();
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(orders[0].contract, "cu2702C76000");
  EXPECT_EQ(orders[0].price, "1510");
  EXPECT_EQ(result->messages.back(), "改价单发送成功：买入开仓，1手，1510元(委托号 = " + orders[0].number + ")");
}

TEST_F(OrdersEndToEnd, AProfitLossOrderStandsOnItsOpeningOrder) {
  order_module::ProfitLossTask task;
  SetText(task.order.customerNo, "10001");
  SetText(task.order.exchange, "S");
  SetText(task.order.contractCode, "cu2701");
  SetText(task.order.buySell, "0");
  SetText(task.order.openClose, "0");
  SetText(task.order.hedge, "0");
  SetText(task.order.lots, "1");
  SetText(task.order.price, "72000");  // below the market: it waits
  SetText(task.order.tradeCode, "81000101");
  SetText(task.order.seat, "S001");
  task.stopLoss = "100";
  task.takeProfit = "200";
  task.closeMethod = "0";
  task.priceMode = "1";
  task.triggerPrice = "0";
  std::string message;
  ASSERT_TRUE(module.AddProfitLossOrderTask(task, message)) << message;
  const std::optional<DeliveredResult> result = NextResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->code, "0") << result->messages.back();

  const simbackend::AccountView book = *server->Book("10001");
  ASSERT_EQ(book.profitLossOrders.size(), 1u);
  const std::vector<simbackend::OrderView> orders = NewOrders();
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(book.profitLossOrders[0].openingOrder, orders[0].number);
  EXPECT_EQ(result->messages.back(),
            "盈损单发送成功：开仓委托号 = " + orders[0].number + "，盈损单号 = " + book.profitLossOrders[0].number);
}

}  // namespace
