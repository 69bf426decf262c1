// The follow-up tasks against a scripted back end and a scripted user: what
// each sends, in which pieces, after which confirmations, and the result
// its messages make.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "order_module/testing/order_module_test.h"
#include "platform/testing/fake_clock.h"

namespace {

using namespace order_module_testing;
using engine::SetText;
using engine::Table;
using order_module::CloseOrderTask;
using order_module::OrderRecord;
using Texts = std::vector<std::string>;

OrderRecord CopperOrder(const char* buySell, const char* openClose, const char* lots, const char* price) {
  OrderRecord order{};
  SetText(order.customerNo, kAccount);
  SetText(order.exchange, "S");
  SetText(order.contractCode, "cu2701");
  SetText(order.buySell, buySell);
  SetText(order.openClose, openClose);
  SetText(order.hedge, "0");
  SetText(order.lots, lots);
  SetText(order.price, price);
  SetText(order.tradeCode, "TC01");
  SetText(order.seat, "S001");
  SetText(order.priceType, "0");
  SetText(order.dealAttribute, "0");
  return order;
}

std::string Sent(const char* what, const char* lots, const char* price, const char* orderNo) {
  return std::string("委托单发送成功，[10001]") + what + "|" + lots + "|" + price + "|委托单号=" + orderNo;
}

constexpr const char* kOrder701 = "席位代码=S001, 下单席位=S001, 委托单号=701";

class OrderTasks : public OrderModuleTest {
 protected:
  // Hands an opening order to the module and waits for its result: each
  // task handed over before has had its turn after this call began.
  void RunAnotherTask() {
    CloseOrderTask opening;
    opening.order = CopperOrder("0", "0", "1", "76500");
    opening.checkMode = order_module::kOpeningOrder;
    std::string message;
    ASSERT_TRUE(module.AddCloseAutoCancelTask(opening, message)) << message;
    EXPECT_EQ(NextResult().code, "0");
  }
};

TEST_F(OrderTasks, ACloseShortOfLotsCancelsItsAccountsPendingOrdersThenClosesTodayFirstInPieces) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "1", "0"));
  // 6 lots held, 4 of them bought today.
  engine.Add(Table::kPositionSummary, Position("0", 6, 4));
  engine.Add(Table::kOrders, Order(kAccount, "701", "1", "0", "a", 2));
  engine.Add(Table::kOrders, Order("20001", "702", "1", "0", "a", 2));   // another account's
  engine.Add(Table::kOrders, Order(kAccount, "703", "1", "0", "c", 1));  // no longer pending

  CloseOrderTask task;
  task.caller = {.tag = 7, .prompt = "平仓"};
  task.order = CopperOrder("1", "1", "10", "76500");
  task.checkMode = order_module::kCheckClosable;
  task.splitCloseToday = true;
  task.lotsPerSend = 3;
  task.confirm = true;
  user.WillAnswer({true});
  std::string message;
  ASSERT_TRUE(module.AddCloseAutoCancelTask(task, message)) << message;

  ASSERT_TRUE(WaitForRequests(5012, 1));
  EXPECT_EQ(Parameters(5012, 12), Texts{"701"});
  EXPECT_TRUE(Requests(5011).empty()) << "nothing is sent before the cancel is confirmed";
  QueueState("701", "d", "2", "2");

  const DeliveredResult result = NextResult();
  EXPECT_EQ(result.tag, "7");
  EXPECT_EQ(result.code, "0");
  EXPECT_EQ(result.prompt, "平仓");
  EXPECT_EQ(Parameters(5011, 10), (Texts{"3", "1", "2"}));
  EXPECT_EQ(Parameters(5011, 8), (Texts{"2", "2", "1"}));
  EXPECT_EQ(Parameters(5011, 20), (Texts{"", "", ""}));
  EXPECT_EQ(result.messages,
            (Texts{std::string("撤销委托单：") + kOrder701, std::string("撤单请求发送成功(") + kOrder701 + ")",
                   "等待交易所撤单回报......", std::string("撤单成功：") + kOrder701,
                   "平仓总手数大于可平仓总手数，调整平仓总手数：10 -> 6", Sent("卖出|平今|投机", "3", "76500", "801"),
                   Sent("卖出|平今|投机", "1", "76500", "802"), Sent("卖出|平仓|投机", "2", "76500", "803")}));
  // The pieces alike but for their lots are confirmed as one order.
  const std::string closeToday =
      "\n\n　客户号：10001\n　交易所：S\n　席位号：S001\n交易编码：TC01\n　　合约：cu2701\n　　操作：投机  卖出 "
      "平今\n　　价格：76500\n　　数量：4";
  const std::string close =
      "\n\n　客户号：10001\n　交易所：S\n　席位号：S001\n交易编码：TC01\n　　合约：cu2701\n　　操作：投机  卖出 "
      "平仓\n　　价格：76500\n　　数量：2";
  EXPECT_EQ(user.Questions(), Texts{closeToday + close});
}

TEST_F(OrderTasks, CancelsNotConfirmedWithinTheWaitAreAskedFor) {
  const struct {
    const char* askedState;
    const char* code;
    const char* line;
  } cases[] = {
      // The failed close first: the close sent afterwards would be pending.
      {"e", "99999", "撤单超时："},
      {"d", "0", "撤单成功："},
  };
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "1", "0"));
  engine.Add(Table::kPositionSummary, Position("0", 6, 0));
  engine.Add(Table::kOrders, Order(kAccount, "701", "1", "0", "a", 2));
  platform::FakeClock clock({2026, 12, 10, 5, 9, 30, 0, 0}, 1000);
  for (const auto& test : cases) {
    SCOPED_TRACE(test.askedState);
    backEnd.Answer(5010, {client_testing::AnswerLine(9, {{5, "701"}, {6, "S001"}, {8, test.askedState}})});
    CloseOrderTask task;
    task.order = CopperOrder("1", "1", "10", "76500");
    task.checkMode = order_module::kCancelPending;
    std::string message;
    const std::size_t cancels = Requests(5012).size();
    ASSERT_TRUE(module.AddCloseAutoCancelTask(task, message)) << message;
    ASSERT_TRUE(WaitForRequests(5012, cancels + 1));
    // The wait counts from the cancel's answer.
    ASSERT_NO_FATAL_FAILURE(RunAnotherTask());
    clock.SetTick(1000 + 2000);
    // A part filled meanwhile: the state moved, the task looks again.
    QueueState("701", "p", "2", "1");
    const DeliveredResult result = NextResult();
    EXPECT_EQ(result.code, test.code);
    ASSERT_GE(result.messages.size(), 4u);
    EXPECT_EQ(result.messages[3], std::string(test.line) + kOrder701);
    clock.SetTick(1000);
  }
  EXPECT_EQ(Parameters(5010, 5), (Texts{"701", "701"}));
  EXPECT_EQ(Requests(5011).size(), 3u) << "only the settled cancel lets the close go out";
  module.Stop();  // before the clock goes
}

TEST_F(OrderTasks, TheWaitForACancelCountsFromItsSend) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "1", "0"));
  engine.Add(Table::kPositionSummary, Position("0", 6, 0));
  platform::FakeClock clock({2026, 12, 10, 5, 9, 30, 0, 0}, 1000);
  // Each cancel takes 1.5 s to be answered.
  backEnd.Answer(5012, [&clock](const engine_testing::SentRequest&) {
    clock.SetTick(2500);
    return std::vector<std::string>{"A|m|1|Y|"};
  });
  backEnd.Answer(5010, {client_testing::AnswerLine(9, {{5, "701"}, {6, "S001"}, {8, "d"}})});
  const struct {
    const char* task;
    std::function<bool(std::string& message)> add;
  } cases[] = {
      {"close",
       [this](std::string& message) {
         CloseOrderTask task;
         task.order = CopperOrder("1", "1", "2", "76500");
         task.checkMode = order_module::kCancelPending;
         return module.AddCloseAutoCancelTask(task, message);
       }},
      {"change of price",
       [this](std::string& message) {
         order_module::ChangePriceTask task;
         task.orderNo = "701";
         task.orderingSeat = "S001";
         task.order = CopperOrder("1", "1", "2", "76600");
         return module.AddChangePriceOrderTask(task, message);
       }},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.task);
    engine.Replace(Table::kOrders, Order(kAccount, "701", "1", "0", "a", 2));
    clock.SetTick(1000);
    const std::size_t cancels = Requests(5012).size();
    const std::size_t asked = Requests(5010).size();
    std::string message;
    ASSERT_TRUE(test.add(message)) << message;
    ASSERT_TRUE(WaitForRequests(5012, cancels + 1));
    ASSERT_NO_FATAL_FAILURE(RunAnotherTask());

    // 2 s after the task began, 0.5 s after the cancel was answered: the
    // waiting task looks again.
    clock.SetTick(3000);
    ASSERT_NO_FATAL_FAILURE(RunAnotherTask());
    EXPECT_EQ(Requests(5010).size(), asked) << "the state was asked for within the wait";

    // The 2 s wait is over: the state moved, the task looks again and asks.
    clock.SetTick(4500);
    QueueState("701", "p", "2", "1");
    const DeliveredResult result = NextResult();
    EXPECT_EQ(result.code, "0");
    EXPECT_EQ(Requests(5010).size(), asked + 1);
  }
  module.Stop();  // before the clock goes
}

TEST_F(OrderTasks, AnOpeningOrderGoesOutInPiecesOnceTheUserAgrees) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes);
    CloseOrderTask task;
    task.order = CopperOrder("0", "0", "7", "76500");
    task.checkMode = order_module::kOpeningOrder;
    task.lotsPerSend = 3;
    task.confirm = true;
    user.WillAnswer({yes});
    const std::size_t sent = Requests(5011).size();
    std::string message;
    ASSERT_TRUE(module.AddCloseAutoCancelTask(task, message)) << message;
    const DeliveredResult result = NextResult();
    const std::vector<std::string> lots = Parameters(5011, 10);
    if (yes) {
      EXPECT_EQ(result.code, "0");
      EXPECT_EQ(Texts(lots.begin() + static_cast<std::ptrdiff_t>(sent), lots.end()), (Texts{"3", "3", "1"}));
      EXPECT_EQ(Parameters(5011, 20).back(), "A");
    } else {
      EXPECT_EQ(result.code, "99999");
      EXPECT_EQ(result.messages, Texts{"委托被取消！\t\t"});
      EXPECT_EQ(lots.size(), sent);
    }
  }
  EXPECT_EQ(user.Questions(), Texts(2, "      合约：cu2701\n　　操作：买入  开仓  投机\n　　价格：76500\n　　数量：7"));
}

TEST_F(OrderTasks, TheOneKeyModeDecidesWhatACloseBecomes) {
  const struct {
    int oneKeyMode;
    const char* openClose;
    int heldLots;
    int todayLots;
    const char* closeTodaySeat;
    Texts sentCodes;      // one per order sent
    const char* refusal;  // when nothing is sent
  } cases[] = {
      {order_module::kCloseOrOpen, "3", 0, 0, "1", {"0"}, nullptr},
      {order_module::kCloseOrOpen, "1", 0, 0, "1", {}, "不能进行平仓，持仓手数为零!"},
      {order_module::kOrdinary, "1", 0, 0, "1", {}, "可平仓投机手数为零！"},
      {order_module::kCloseOrOpen, "3", 5, 2, "1", {"2"}, nullptr},
      {order_module::kCloseOrOpen, "3", 5, 2, "0", {"1"}, nullptr},
      {order_module::kCloseOrOpen, "2", 5, 0, "1", {}, "不能进行平今，可平今手数为零!"},
      {order_module::kCloseOrOpen, "2", 5, 2, "0", {}, "不能进行平今，该合约不支持平今!"},
      {order_module::kCloseOrOpen, "4", 5, 0, "1", {}, "开平标志'4'无效！"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(std::string(test.openClose) + " in one-key mode " + std::to_string(test.oneKeyMode));
    engine.Replace(Table::kExchangeSeats, Seat("S", "S001", test.closeTodaySeat, "0"));
    engine.Replace(Table::kPositionSummary, Position("0", test.heldLots, test.todayLots));
    CloseOrderTask task;
    task.order = CopperOrder("1", test.openClose, "2", "76500");
    task.oneKeyMode = test.oneKeyMode;
    const std::size_t sent = Requests(5011).size();
    std::string message;
    ASSERT_TRUE(module.AddCloseAutoCancelTask(task, message)) << message;
    const DeliveredResult result = NextResult();
    const Texts codes = Parameters(5011, 8);
    EXPECT_EQ(Texts(codes.begin() + static_cast<std::ptrdiff_t>(sent), codes.end()), test.sentCodes);
    if (test.refusal) {
      EXPECT_EQ(result.code, "99999");
      EXPECT_EQ(result.messages, Texts{test.refusal});
    } else {
      EXPECT_EQ(result.code, "0");
    }
  }
}

TEST_F(OrderTasks, AReverseWithNothingToCloseInOneKeyModeTwoOnlyOpens) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "0", "0"));
  order_module::ReverseOrderTask task;
  task.close.order = CopperOrder("1", "1", "5", "76500");
  task.close.oneKeyMode = order_module::kCloseOrNothing;
  task.close.confirm = true;
  task.openAfterFills = true;
  task.openLots = "3";
  task.openPrice = "76400";
  user.WillAnswer({true});
  std::string message;
  ASSERT_TRUE(module.AddReverseOrderTask(task, message)) << message;
  const DeliveredResult result = NextResult();
  EXPECT_EQ(result.code, "0");
  EXPECT_EQ(Parameters(5011, 8), Texts{"0"});
  EXPECT_EQ(Parameters(5011, 10), Texts{"3"});
  EXPECT_EQ(user.Questions(), Texts{"　客户号：10001\n　交易所：S\n　席位号：S001\n交易编码：TC01\n　　合约：cu2701\n　"
                                    "　操作：投机  卖出 开仓\n　　价格：76400\n　　数量：3"});
}

TEST_F(OrderTasks, AReverseOrderOpensEachFillOfItsCloseOnceWhateverPushesRepeat) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "0", "0"));
  engine.Add(Table::kPositionSummary, Position("0", 5, 0));
  order_module::ReverseOrderTask task;
  task.close.order = CopperOrder("1", "1", "5", "76500");
  task.openAfterFills = true;
  task.openLots = "5";
  task.openPrice = "76400";
  task.openPriceType = "0";
  task.openDealAttribute = "0";
  std::string message;
  ASSERT_TRUE(module.AddReverseOrderTask(task, message)) << message;

  ASSERT_TRUE(WaitForRequests(5011, 1));
  QueueState("801", "p", "5", "3");
  ASSERT_TRUE(WaitForRequests(5011, 2));
  // The same fill reported again, then the rest.
  QueueState("801", "p", "5", "3");
  QueueState("801", "c", "5", "0");

  const DeliveredResult result = NextResult();
  EXPECT_EQ(result.code, "0");
  EXPECT_EQ(Parameters(5011, 10), (Texts{"5", "2", "3"}));
  EXPECT_EQ(Parameters(5011, 8), (Texts{"1", "0", "0"}));
  EXPECT_EQ(Parameters(5011, 7), (Texts{"1", "1", "1"}));
  EXPECT_EQ(Parameters(5011, 11), (Texts{"76500", "76400", "76400"}));
  EXPECT_EQ(result.messages,
            (Texts{Sent("卖出|平仓|投机", "5", "76500", "801"), Sent("卖出|开仓|投机", "2", "76400", "802"),
                   Sent("卖出|开仓|投机", "3", "76400", "803")}));
}

TEST_F(OrderTasks, AReverseCancelsThePendingOrdersOfItsDirectionAsACloseDoes) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "0", "0"));
  engine.Add(Table::kPositionSummary, Position("0", 5, 0));
  engine.Add(Table::kOrders, Order(kAccount, "701", "1", "0", "a", 2));
  order_module::ReverseOrderTask task;
  task.close.order = CopperOrder("1", "1", "5", "76500");
  task.close.checkMode = order_module::kCancelPending;
  task.openLots = "5";
  task.openPrice = "76400";
  std::string message;
  ASSERT_TRUE(module.AddReverseOrderTask(task, message)) << message;
  ASSERT_TRUE(WaitForRequests(5012, 1));
  EXPECT_EQ(Parameters(5012, 12), Texts{"701"});
  EXPECT_TRUE(Requests(5011).empty());
  QueueState("701", "d", "2", "2");
  const DeliveredResult result = NextResult();
  EXPECT_EQ(result.code, "0");
  EXPECT_EQ(Parameters(5011, 8), (Texts{"1", "0"}));
}

TEST_F(OrderTasks, AReverseWhoseCloseIsCancelledUnfilledFails) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "0", "0"));
  engine.Add(Table::kPositionSummary, Position("0", 5, 0));
  order_module::ReverseOrderTask task;
  task.close.order = CopperOrder("1", "1", "5", "76500");
  task.openAfterFills = true;
  task.openLots = "5";
  task.openPrice = "76400";
  std::string message;
  ASSERT_TRUE(module.AddReverseOrderTask(task, message)) << message;
  ASSERT_TRUE(WaitForRequests(5011, 1));
  QueueState("801", "d", "5", "5");
  const DeliveredResult result = NextResult();
  EXPECT_EQ(result.code, "99999");
  EXPECT_EQ(result.messages.back(), "委托被撤消，或错误委托！");
  EXPECT_EQ(Requests(5011).size(), 1u);
}

TEST_F(OrderTasks, AChangeOfPriceResendsWhatTheCancelLeftAndNothingOfAFilledOrder) {
  const struct {
    const char* orderNo;
    const char* state;
    const char* remaining;
    const char* code;
    const char* resentLots;  // null: nothing sent again
  } cases[] = {
      {"701", "c", "0", "99999", nullptr},
      {"702", "d", "5", "0", "5"},
      {"703", "b", "2", "0", "2"},  // 3 lots filled before the cancel
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.state);
    engine.Add(Table::kOrders, Order(kAccount, test.orderNo, "0", "0", "a", 5));
    order_module::ChangePriceTask task;
    task.caller.tag = 3;
    task.orderNo = test.orderNo;
    task.orderingSeat = "S001";
    task.order = CopperOrder("0", "0", "5", "76600");
    const std::size_t cancels = Requests(5012).size();
    const std::size_t sent = Requests(5011).size();
    std::string message;
    ASSERT_TRUE(module.AddChangePriceOrderTask(task, message)) << message;
    ASSERT_TRUE(WaitForRequests(5012, cancels + 1));
    EXPECT_EQ(Parameters(5012, 12).back(), test.orderNo);
    QueueState(test.orderNo, test.state, "5", test.remaining);

    const DeliveredResult result = NextResult();
    EXPECT_EQ(result.code, test.code);
    const std::string keys = std::string("席位代码=S001, 下单席位=S001, 委托单号=") + test.orderNo;
    ASSERT_EQ(result.messages.size(), test.resentLots ? 6u : 4u);
    EXPECT_EQ(result.messages[0], "撤销委托单：" + keys);
    if (!test.resentLots) {
      EXPECT_EQ(result.messages[3], "该委托单已经全部成交：" + keys);
      EXPECT_EQ(Requests(5011).size(), sent);
      continue;
    }
    EXPECT_EQ(result.messages[3], "撤单成功：" + keys);
    ASSERT_EQ(Requests(5011).size(), sent + 1);
    EXPECT_EQ(Parameters(5011, 10).back(), test.resentLots);
    EXPECT_EQ(Parameters(5011, 11).back(), "76600");
    const std::string orderNo = std::to_string(801 + sent);
    EXPECT_EQ(result.messages[5],
              std::string("改价单发送成功：买入开仓，") + test.resentLots + "手，76600元(委托号 = " + orderNo + ")");
  }
}

TEST_F(OrderTasks, AProfitLossOrderFollowsItsOpeningOrder) {
  backEnd.Answer(5473, {client_testing::AnswerLine(40, {{5, "PL9"}})});
  order_module::ProfitLossTask task;
  task.order = CopperOrder("0", "0", "2", "76500");
  task.stopLoss = "100";
  task.takeProfit = "200";
  task.closeMethod = "1";
  task.closeDifference = "10";
  task.priceMode = "1";
  task.triggerPrice = "0";
  task.triggerCount = "3";
  task.floatingStopLoss = "50";
  task.confirm = true;
  user.WillAnswer({true});
  std::string message;
  ASSERT_TRUE(module.AddProfitLossOrderTask(task, message)) << message;

  const DeliveredResult result = NextResult();
  EXPECT_EQ(result.code, "0");
  EXPECT_EQ(Parameters(5011, 20), Texts{"N"});
  const std::vector<std::vector<std::string>> placed = Requests(5473);
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(Texts(placed[0].begin() + 8, placed[0].end()),
            (Texts{"801", "100", "200", "1", "10", "", "S", "S001", "1", "0", "3", "50"}));
  EXPECT_EQ(result.messages.back(), "盈损单发送成功：开仓委托号 = 801，盈损单号 = PL9");
  EXPECT_EQ(
      user.Questions(),
      Texts{"　交易所：S\n　席位号：S001\n交易编码：TC01\n　　合约：cu2701\n　　操作：投机  买入  开仓\n　　价格："
            "76500\n　　数量：2\n\n止损价差：100\n止盈价差：200\n浮动止损：50\n平仓方式：加减买卖价，平仓反向价差 = "
            "10\n触发价格：最新价\n触发次数：3"});
}

TEST_F(OrderTasks, TasksTheModuleCannotCarryOutAreRefused) {
  engine.Add(Table::kOrders, Order(kAccount, "701", "0", "0", "a", 5));
  CloseOrderTask close;
  close.order = CopperOrder("1", "1", "1", "76500");
  close.oneKeyMode = order_module::kCloseOrNothing;
  order_module::ReverseOrderTask reverse;
  reverse.close.oneKeyMode = order_module::kCloseOrOpen;
  order_module::ChangePriceTask changePrice;
  changePrice.order = CopperOrder("0", "0", "5", "76600");
  changePrice.orderNo = "799";
  changePrice.orderingSeat = "S001";
  const struct {
    std::function<bool(std::string&)> add;
    const char* message;
  } cases[] = {
      {[&](std::string& m) { return module.AddCloseAutoCancelTask(close, m); }, "一键下单方式参数错误！"},
      {[&](std::string& m) { return module.AddReverseOrderTask(reverse, m); }, "一键下单方式参数错误！"},
      {[&](std::string& m) { return module.AddChangePriceOrderTask(changePrice, m); },
       "改价下单指定撤销的委托单不存在！"},
  };
  for (const auto& test : cases) {
    std::string message;
    EXPECT_FALSE(test.add(message));
    EXPECT_EQ(message, test.message);
  }
  module.Stop();
  close.oneKeyMode = order_module::kOrdinary;
  std::string message;
  EXPECT_FALSE(module.AddCloseAutoCancelTask(close, message));
  EXPECT_EQ(message, "下单模块未启动！");
}

TEST_F(OrderTasks, TheGuiThreadNeverWaitsForASendUnderWay) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> sending = false;
  backEnd.Answer(5011, [&sending, released](const engine_testing::SentRequest&) {
    sending = true;
    released.wait();
    return std::vector<std::string>{"A|m|1|N|1001|refused|"};
  });
  CloseOrderTask task;
  task.order = CopperOrder("0", "0", "1", "76500");
  std::string message;
  ASSERT_TRUE(module.AddCloseAutoCancelTask(task, message)) << message;
  ASSERT_TRUE(PumpUntil([&] { return sending.load(); }));

  // Should the GUI thread wait on the send, the watchdog ends it, and the
  // calls below find the send over.
  std::atomic<bool> watchdogReleased = false;
  std::thread watchdog([&] {
    if (released.wait_for(client_testing::kBound) == std::future_status::timeout) {
      watchdogReleased = true;
      release.set_value();
    }
  });
  QueueState("901", "a", "1", "1");
  ASSERT_TRUE(module.AddCloseAutoCancelTask(task, message)) << message;
  module.DeliverResults();
  const bool sendStillHeld = !watchdogReleased;
  if (!watchdogReleased) release.set_value();
  watchdog.join();
  EXPECT_TRUE(sendStillHeld);

  const DeliveredResult result = NextResult();
  EXPECT_EQ(result.code, "1001");
  module.Stop();  // the second task's send ends before the script's state goes
}

TEST_F(OrderTasks, AStopEndsTheWaitForTheUsersAnswer) {
  EXPECT_TRUE(module.Start()) << "a second start keeps the running thread";
  CloseOrderTask task;
  task.order = CopperOrder("0", "0", "1", "76500");
  task.confirm = true;
  std::string message;
  ASSERT_TRUE(module.AddCloseAutoCancelTask(task, message)) << message;
  // Nobody asks the question: the GUI thread does not pump.
  auto stopped = std::async(std::launch::async, [&] { module.Stop(); });
  if (stopped.wait_for(client_testing::kBound) != std::future_status::ready) {
    ADD_FAILURE() << "the stop waited for the user";
    PumpUntil([&] { return stopped.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
  }
  stopped.get();
  EXPECT_FALSE(module.IsRunning());
  EXPECT_TRUE(Requests(5011).empty());
  EXPECT_TRUE(user.Questions().empty());
}

}  // namespace
