// The back end as an exchange, seen from a client of the demo account:
// orders answered, taken, filled as the market crosses them, cancelled,
// refused, and their pushes; the book that follows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "data_folder.h"
#include "order_client.h"

namespace simbackend_test {
namespace {

using simbackend::FillBehaviour;

// Field 39 of a state or cancel push, field 35 of a trade push.
int StateSequence(const std::string& push) { return std::stoi(Field(push, PushCode(push) == 15005 ? 35 : 39)); }

TEST_F(OrderTest, ALimitOrderIsAnsweredThenTakenThenFilledWhenTheMarketCrossesIt) {
  const BestPrices best = Best("D", "m2705");
  const std::string limit = std::to_string(std::stoi(best.ask) - 1);
  const std::uint32_t sent =
      demo_->Send(RequestText(2, 5011, "10001", "111111", OrderParameters({"D", "m2705", "0", "0", "2", limit})));
  // The answer comes before any push of the order.
  const std::optional<portal::Frame> first = demo_->NextFrame();
  ASSERT_TRUE(first);
  ASSERT_EQ(first->kind, portal::FrameKind::kAnswer);
  ASSERT_EQ(first->sequence, sent);
  const std::string answer = first->text;
  // clang-format off
  ExpectFields(answer, {{4, "Y"}, {5, "1013"}, {6, "D"}, {8, "m2705"}, {10, "n"}, {11, "等待发出"}, {12, "0"}, {14, "0"},
                        {16, "0"}, {18, "2"}, {19, limit}, {20, "0"}, {24, "01000101"}, {32, "D001"}, {34, "D001"},
                        {36, "0"}, {37, "0"}, {47, "0.00"}});
  // clang-format on
  // 0.08 of the price times 10 a lot; fees of 1.5 and 0.2 a lot.
  EXPECT_EQ(Field(answer, 43), BookOrder("1013").frozenMargin);
  EXPECT_EQ(Field(answer, 44), "3.40");

  const std::vector<std::string> taken = PushesOfOrder(*demo_, "1013", 1);
  ASSERT_EQ(taken.size(), 1u);
  // clang-format off
  ExpectFields(taken[0], {{4, "15002"}, {8, "10001"}, {10, "D"}, {12, "m2705"}, {14, "a"}, {15, "已经报入"}, {22, "2"},
                          {24, "0"}, {39, "1"}, {41, "0"}, {42, "D001"}});
  // clang-format on

  // Nobody follows m2705: the order makes it move.
  ASSERT_TRUE(StepUntil("1013", "c"));
  const std::vector<std::string> filled = PushesOfOrder(*demo_, "1013", 2);
  ASSERT_EQ(filled.size(), 2u);
  ExpectFields(filled[0], {{4, "15002"}, {14, "c"}, {24, "2"}, {39, "2"}});
  // clang-format off
  ExpectFields(filled[1], {{4, "15005"}, {8, "10001"}, {9, "D"}, {12, "c"}, {14, "m2705"}, {16, "0"}, {18, "0"},
                           {20, "0"}, {22, "2"}, {23, "0"}, {27, "01000101"}, {35, "2"}, {37, "D001"}});
  // clang-format on
  // A limit fills at the best price of the other side, never worse than itself.
  EXPECT_LE(std::stoi(Field(filled[1], 24)), std::stoi(limit));
  const simbackend::OrderView order = BookOrder("1013");
  EXPECT_EQ(order.filled, 2);
  EXPECT_EQ(order.averagePrice, Field(filled[1], 24));
  EXPECT_EQ(order.frozenMargin, "0.00");
  EXPECT_EQ(order.stateSequence, 2);
  const simbackend::TradeView fill = server_->Book("10001")->trades.back();
  EXPECT_EQ(fill.fillNumber, Field(filled[1], 29));
  EXPECT_EQ(fill.orderNumber, "1013");
}

TEST_F(OrderTest, AMarketOrderFillsAtOnceAtTheOtherSidesBestPrice) {
  const BestPrices best = Best("D", "c2705");
  const std::string answer = Send({"D", "c2705", "1", "0", "3", "0", "1", "2"});
  // Priced at the lower limit, which it may fill down to.
  ExpectFields(answer, {{4, "Y"}, {5, "1013"}, {10, "n"}, {19, "2225"}, {36, "1"}, {37, "2"}});
  const std::vector<std::string> pushes = PushesOfOrder(*demo_, "1013", 3);
  ASSERT_EQ(pushes.size(), 3u);
  EXPECT_EQ(Field(pushes[0], 14), "a");
  EXPECT_EQ(Field(pushes[1], 14), "c");
  ExpectFields(pushes[2], {{4, "15005"}, {16, "1"}, {22, "3"}, {23, "0"}, {24, best.bid}});
}

TEST_F(OrderTest, AFillAndKillOrderCancelsWhatDoesNotFillInItsPieces) {
  server_->SetFillBehaviour({FillBehaviour::Mode::kPieces, 3});
  const BestPrices best = Best("S", "al2703");
  ASSERT_EQ(Field(Placed({"S", "al2703", "0", "0", "5", best.ask, "0", "2"}), 4), "Y");
  const simbackend::OrderView order = BookOrder("1013");
  ASSERT_EQ(order.state, "b") << "the seed should leave part of the order unfilled";
  ASSERT_GT(order.filled, 0);

  const simbackend::AccountView book = *server_->Book("10001");
  const auto pieces = static_cast<std::size_t>(std::count_if(
      book.trades.begin(), book.trades.end(), [](const simbackend::TradeView& t) { return t.orderNumber == "1013"; }));
  EXPECT_GT(pieces, 1u);
  // One state and one trade push a piece, then the cancel of the rest.
  const std::vector<std::string> pushes = PushesOfOrder(*demo_, "1013", 1 + 2 * pieces);
  ASSERT_EQ(pushes.size(), 1 + 2 * pieces);
  std::int64_t lots = 0;
  for (const std::string& push : pushes)
    if (PushCode(push) == 15005) lots += std::stoll(Field(push, 22));
  EXPECT_EQ(lots, order.filled);
  const std::string& cancel = pushes.back();
  ExpectFields(cancel,
               {{4, "15004"}, {14, "b"}, {15, "部成部撤"}, {22, "5"}, {24, std::to_string(order.filled)}, {41, "0"}});
  EXPECT_EQ(order.frozenMargin, "0.00");
  for (std::size_t i = 1; i < pushes.size(); ++i) EXPECT_GE(StateSequence(pushes[i]), StateSequence(pushes[i - 1]));
  EXPECT_EQ(StateSequence(cancel), order.stateSequence);
}

TEST_F(OrderTest, AFillOrKillOrderFillsWholeOrNotAtAll) {
  const BestPrices best = Best("S", "rb2705");
  struct Case {
    const char* what;
    std::string price;
    const char* state;
    std::int64_t filled;
  } const cases[] = {
      {"limit below the best offer", std::to_string(std::stoi(best.ask) - 5), "d", 0},
      {"limit at the best offer", best.ask, "c", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string answer = Placed({"S", "rb2705", "0", "0", "4", c.price, "0", "1"});
    ASSERT_EQ(Field(answer, 4), "Y") << answer;
    const simbackend::OrderView order = BookOrder(Field(answer, 5));
    EXPECT_EQ(order.state, c.state);
    EXPECT_EQ(order.filled, c.filled);
    const std::vector<std::string> pushes = PushesOfOrder(*demo_, order.number, c.filled > 0 ? 2 : 1);
    ASSERT_FALSE(pushes.empty());
    EXPECT_EQ(PushCode(pushes.back()), c.filled > 0 ? 15005 : 15004);
  }
}

TEST_F(OrderTest, EachFillIsChargedItsFeeToTheCent) {
  // rb is charged 0.0001 of the turnover, 10 tons a lot: the fee of a lot
  // at price p is p thousandths, with a third decimal unless p ends in 0.
  const auto cents = [](const std::string& money) { return std::llround(std::stod(money) * 100); };
  const long long before = cents(server_->Book("10001")->funds.fees);
  long long thousandths = 0;
  long long charged = 0;  // each fill's fee rounded as money is: half a cent and more up
  // Fills until the fills' rounded fees add up to other cents than the
  // unrounded sum would.
  for (int fill = 0; fill < 50 && std::llround(static_cast<double>(thousandths) / 10) == charged; ++fill) {
    const std::string ask = Best("S", "rb2705").ask;
    ASSERT_EQ(Field(Placed({"S", "rb2705", "0", "0", "1", ask}), 4), "Y");
    thousandths += std::stoll(ask);
    charged += static_cast<long long>(std::floor(std::stod(ask) / 10 + 0.55));
    server_->AdvanceQuotes();
  }
  ASSERT_NE(std::llround(static_cast<double>(thousandths) / 10), charged) << "the market gave no such fills";
  EXPECT_EQ(cents(server_->Book("10001")->funds.fees) - before, charged);
}

TEST_F(OrderTest, ACancelReleasesWhatTheRestingOrderFroze) {
  const simbackend::FundsView before = server_->Book("10001")->funds;
  // m2705 at 2900 is far below the market: 0.08 x 2900 x 10 x 2 lots frozen.
  const std::string answer = Send({"D", "m2705", "0", "0", "2", "2900"});
  ExpectFields(answer, {{4, "Y"}, {43, "4640.00"}, {44, "3.40"}, {47, "0.00"}});
  ASSERT_EQ(PushesOfOrder(*demo_, "1013", 1).size(), 1u);
  const simbackend::FundsView frozen = server_->Book("10001")->funds;
  EXPECT_EQ(before.buyFrozen, "4736.00");
  EXPECT_EQ(frozen.buyFrozen, "9376.00");
  EXPECT_EQ(frozen.frozenFee, "38.81");

  const std::string cancelled = Cancel("1013", "D001");
  // clang-format off
  ExpectFields(cancelled, {{4, "Y"}, {5, "10001"}, {6, "1013"}, {7, "m2705"}, {8, "d"}, {9, "已经撤销"}, {11, "2"},
                           {12, "0"}, {14, "09:30:05"}, {15, "D"}, {16, "D001"}});
  // clang-format on
  const std::vector<std::string> pushes = PushesOfOrder(*demo_, "1013", 1);
  ASSERT_EQ(pushes.size(), 1u);
  ExpectFields(pushes[0], {{4, "15004"}, {14, "d"}, {24, "0"}, {34, "09:30:05"}, {39, "2"}, {41, "0"}});
  const simbackend::FundsView after = server_->Book("10001")->funds;
  EXPECT_EQ(after.buyFrozen, before.buyFrozen);
  EXPECT_EQ(after.frozenFee, before.frozenFee);
  EXPECT_EQ(after.available, before.available);

  struct Refused {
    const char* what;
    std::string number;
    std::string orderSeat;
    const char* code;
  } const refusals[] = {
      {"cancelled twice", "1013", "D001", "2004"}, {"filled already", "1001", "S001", "2004"},
      {"unknown number", "9999", "D001", "2003"},  {"another order seat", "1006", "S001", "2003"},
      {"no number", "x", "D001", "2002"},
  };
  for (const Refused& r : refusals) EXPECT_EQ(Field(Cancel(r.number, r.orderSeat), 5), r.code) << r.what;
  // A data order that still works cancels the same way, with what it filled kept.
  ExpectFields(Cancel("00001004", "D001"), {{6, "1004"}, {8, "b"}, {12, "3"}});
}

TEST_F(OrderTest, ABoughtOptionPaysItsPremiumOnce) {
  const auto money = [](const std::string& text) { return std::stod(text); };
  const simbackend::FundsView before = server_->Book("10001")->funds;
  const BestPrices best = Best("D", "m2705-C-3000");
  // Frozen while it waits: the premium of 2 lots at the limit and a fee of 1 a lot.
  char limit[32];
  std::snprintf(limit, sizeof limit, "%.1f", std::stod(best.ask) - 5);
  ExpectFields(Placed({"D", "m2705-C-3000", "0", "0", "2", limit}), {{4, "Y"}, {43, "0.00"}, {44, "2.00"}});
  EXPECT_NEAR(money(server_->Book("10001")->funds.frozenPremium) - money(before.frozenPremium),
              2 * 10 * std::stod(limit), 0.001);
  ASSERT_EQ(Field(Cancel("1013", "D001"), 8), "d");

  ASSERT_EQ(Field(Placed({"D", "m2705-C-3000", "0", "0", "2", best.ask}), 4), "Y");
  const simbackend::FundsView after = server_->Book("10001")->funds;
  const double premium = 2 * 10 * std::stod(best.ask);
  EXPECT_NEAR(money(after.premiumPaid) - money(before.premiumPaid), premium, 0.001);
  EXPECT_EQ(after.frozenPremium, before.frozenPremium);
  EXPECT_NEAR(money(before.available) - money(after.available), premium + 2.00, 0.001);
}

TEST_F(OrderTest, AtTheShanghaiExchangeACloseTakesOlderPositionsAndACloseTodayTodaysOnly) {
  // cu2701: 5 lots held long from before today, 2 of them closed this morning.
  const auto send = [&](const std::string& buySell, const std::string& openClose, const std::string& lots) {
    const BestPrices best = Best("S", "cu2701");
    return Placed({"S", "cu2701", buySell, openClose, lots, buySell == "0" ? best.ask : best.bid});
  };
  const auto position = [&]() -> simbackend::PositionView {
    const simbackend::AccountView book = *server_->Book("10001");
    for (const simbackend::PositionView& p : book.positions)
      if (p.contract == "cu2701" && p.buySell == "0") return p;
    return {};
  };
  struct Step {
    const char* what;
    std::string buySell, openClose, lots;
    const char* code;  // empty: filled
    std::int64_t held, today;
  } const steps[] = {
      {"close today without today's lots", "1", "2", "1", "2005", 3, 0},
      {"buy one today", "0", "0", "1", "", 4, 1},
      {"close today more than today's", "1", "2", "2", "2005", 4, 1},
      {"close more than the older lots", "1", "1", "4", "2005", 4, 1},
      {"close today", "1", "2", "1", "", 3, 0},
      {"close the older lots", "1", "1", "3", "", 0, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    const std::string answer = send(s.buySell, s.openClose, s.lots);
    if (*s.code != '\0') {
      EXPECT_EQ(Field(answer, 5), s.code) << answer;
    } else {
      ASSERT_EQ(Field(answer, 4), "Y") << answer;
      EXPECT_EQ(BookOrder(Field(answer, 5)).state, "c");
    }
    EXPECT_EQ(position().lots, s.held);
    EXPECT_EQ(position().todayLots, s.today);
  }
  // Elsewhere a close takes whatever is held, and a close today is no order.
  EXPECT_EQ(Field(Send({"D", "m2705", "1", "2", "1", Best("D", "m2705").bid}), 5), "2009");
}

TEST_F(OrderTest, AnOrderTheExchangeCannotTakeIsRefusedAndLeavesNoTrace) {
  struct Case {
    const char* what;
    OrderFields order;
    const char* code;
  } const cases[] = {
      {"unknown contract", {"S", "cu2799", "0", "0", "1", "76000"}, "2001"},
      {"no lots", {"S", "cu2702", "0", "0", "0", "76000"}, "2002"},
      {"negative lots", {"S", "cu2702", "0", "0", "-1", "76000"}, "2002"},
      {"above the upper limit", {"S", "cu2702", "0", "0", "1", "81870"}, "2008"},
      {"below the lower limit", {"S", "cu2702", "1", "0", "1", "71150"}, "2008"},
      {"off the price grid", {"S", "cu2702", "0", "0", "1", "76005"}, "2002"},
      {"more than the funds", {"S", "cu2702", "0", "0", "100", "76000"}, "2007"},
      {"closing more than held", {"D", "i2705", "0", "1", "4", "760"}, "2005"},
      {"closing what is not held", {"D", "c2705", "1", "1", "1", "2340"}, "2005"},
      {"market order at the Shanghai exchange", {"S", "cu2702", "0", "0", "1", "0", "1", "2"}, "2009"},
      {"unknown direction", {"S", "cu2702", "2", "0", "1", "76000"}, "2002"},
      {"another customer's trade code", {"S", "cu2702", "0", "0", "1", "76000", "0", "0", "0", "81000201"}, "2002"},
      {"speculating with a hedging code", {"J", "IF2612", "0", "0", "1", "3900", "0", "0", "0", "31000102"}, "2009"},
      {"another exchange's seat", {"S", "cu2702", "0", "0", "1", "76000", "0", "0", "0", "", "D001"}, "2002"},
  };
  for (const Case& c : cases) {
    const std::string answer = Send(c.order);
    EXPECT_EQ(Field(answer, 4), "N") << c.what;
    EXPECT_EQ(Field(answer, 5), c.code) << c.what << ": " << Field(answer, 6);
    EXPECT_FALSE(Field(answer, 6).empty()) << c.what;
  }
  EXPECT_EQ(server_->Book("10001")->orders.size(), 12u);
  // A close-only account may close but not open.
  auto manager = Connect();
  ASSERT_EQ(Field(manager->Call(ManagementLoginText(1, "90001", "999999")), 4), "Y");
  ASSERT_EQ(Field(manager->Call(RequestText(2, 5057, "90001", "999999", {"90001", "20001", "4"})), 4), "Y");
  auto sub = LoggedIn("20001", "222222");
  const auto send = [&](const OrderFields& order) {
    return sub->Call(RequestText(3, 5011, "20001", "222222", OrderParameters(order)));
  };
  EXPECT_EQ(Field(send({"S", "rb2705", "0", "0", "1", "3100"}), 5), "2009");
  EXPECT_EQ(Field(send({"S", "rb2705", "1", "1", "1", "3300"}), 4), "Y");
}

TEST_F(OrderTest, FillNumbersAreUniqueAndAnOrderSentTwiceTellsIt) {
  server_->SetFillBehaviour({FillBehaviour::Mode::kPieces, 11});
  auto other = LoggedIn("20002", "333333");
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(Field(Placed({"D", "m2705", "0", "0", "4", Best("D", "m2705").ask, "0", "2"}), 4), "Y");
    const BestPrices best = BestOf(*other, "20002", "333333", "D", "y2705");
    ASSERT_EQ(Field(Placed(*other, "20002", "333333", {"D", "y2705", "1", "0", "3", best.bid, "0", "2"}), 4), "Y");
  }
  std::set<std::string> numbers;
  std::size_t fills = 0;
  for (const char* customer : {"10001", "20002"}) {
    const simbackend::AccountView book = *server_->Book(customer);
    for (const simbackend::TradeView& trade : book.trades) {
      numbers.insert(trade.fillNumber);
      ++fills;
    }
  }
  EXPECT_EQ(numbers.size(), fills);
  // The data's 11 trades, and at least one fill of each of the six orders.
  EXPECT_GE(fills, 11u + 6u);

  // The terminal sent the same request again: two orders, each telling it.
  const std::string text =
      RequestText(77, 5011, "10001", "111111", OrderParameters({"D", "m2705", "0", "0", "1", "2900"}));
  EXPECT_EQ(Field(demo_->Call(text), 5), "1016");
  EXPECT_EQ(Field(demo_->Call(text), 5), "1017");
  EXPECT_EQ(BookOrder("1016").timesReceived, 2u);
  EXPECT_EQ(BookOrder("1017").timesReceived, 2u);
  EXPECT_EQ(BookOrder("1015").timesReceived, 1u);
  EXPECT_EQ(BookOrder("1001").timesReceived, 0u);
}

// A spread at the Dalian exchange: m2701 bought, m2705 sold.
simbackend::SpecialOrder Spread(const std::string& lots, const std::string& price) {
  return {"D", "SPD", "m2701", "m2705", "0", "0", "0", lots, price};
}

TEST_F(OrderTest, ASpecialOrderFillsBothLegsIntoTheBook) {
  const simbackend::FundsView before = server_->Book("10001")->funds;
  const BestPrices first = Best("D", "m2701");
  const BestPrices second = Best("D", "m2705");
  const int spread = std::stoi(first.ask) - std::stoi(second.bid);
  std::string refusal;
  const std::optional<std::string> number =
      server_->PlaceSpecialOrder("10001", Spread("2", std::to_string(spread + 3)), refusal);
  ASSERT_TRUE(number) << refusal;
  EXPECT_EQ(*number, "1013");

  // Taken, each leg filled at the best price of its other side, then the
  // combination's new state; its release comes with the last.
  const std::vector<std::string> pushes = PushesWithCodes(*demo_, {15005, 15008, 15009}, 4);
  ASSERT_EQ(pushes.size(), 4u);
  // clang-format off
  ExpectFields(pushes[0], {{4, "15008"}, {8, "10001"}, {9, "1013"}, {10, "a"}, {11, "1"}, {14, "D"}, {16, "D001"},
                           {41, "0"}});
  ExpectFields(pushes[1], {{4, "15005"}, {11, "1013"}, {14, "m2701"}, {16, "0"}, {18, "0"}, {22, "2"},
                           {24, first.ask}, {35, "2"}, {37, "D001"}, {44, "2"}, {45, "0"},
                           // clang-format on
                           {46, std::to_string(spread)}});
  ExpectFields(
      pushes[2],
      {{4, "15005"}, {11, "1013"}, {14, "m2705"}, {16, "1"}, {22, "2"}, {24, second.bid}, {44, "2"}, {45, "0"}});
  EXPECT_NE(Field(pushes[1], 29), Field(pushes[2], 29));
  ExpectFields(pushes[3], {{4, "15009"}, {9, "1013"}, {10, "c"}, {11, "2"}, {26, "2"}, {41, "0"}});

  const simbackend::AccountView book = *server_->Book("10001");
  const simbackend::OrderView order = BookOrder("1013");
  EXPECT_EQ(order.contract, "SPD m2701&m2705");
  EXPECT_EQ(order.strategy, "SPD");
  EXPECT_EQ(order.state, "c");
  EXPECT_EQ(order.filled, 2);
  EXPECT_EQ(order.frozenMargin, "0.00");
  ASSERT_GE(book.trades.size(), 2u);
  const simbackend::TradeView& firstFill = book.trades[book.trades.size() - 2];
  const simbackend::TradeView& secondFill = book.trades.back();
  EXPECT_EQ(firstFill.contract, "m2701");
  EXPECT_EQ(firstFill.buySell, "0");
  EXPECT_EQ(secondFill.contract, "m2705");
  EXPECT_EQ(secondFill.buySell, "1");
  // Only the first leg is margined: 0.08 of its price times 10 a lot.
  const auto position = [&](const std::string& contract, const std::string& buySell) {
    for (const simbackend::PositionView& p : book.positions)
      if (p.contract == contract && p.buySell == buySell) return p;
    return simbackend::PositionView{};
  };
  char margin[32];
  std::snprintf(margin, sizeof margin, "%.2f", 0.08 * std::stod(first.ask) * 10 * 2);
  EXPECT_EQ(position("m2701", "0").todayLots, 2);
  EXPECT_EQ(position("m2701", "0").margin, margin);
  EXPECT_EQ(position("m2705", "1").todayLots, 2);
  EXPECT_EQ(position("m2705", "1").margin, "0.00");
  EXPECT_NEAR(std::stod(book.funds.buyMargin) - std::stod(before.buyMargin), std::stod(margin), 0.001);
  EXPECT_EQ(book.funds.sellMargin, before.sellMargin);

  // The downloads tell the same: the order with its strategy and legs, a
  // trade of each leg.
  const std::string status = demo_->Call(RequestText(3, 5134, "10001", "111111", {"1013", "", ""}));
  const std::vector<std::string> rows = FetchRows(*demo_, 3, status);
  ASSERT_EQ(rows.size(), 1u);
  // clang-format off
  ExpectFields(rows[0], {{5, "1013"}, {9, "c"}, {10, "0"}, {12, "0"}, {17, "2"}, {18, "1013"}, {34, "SPD"},
                         {35, "m2701"}, {36, "m2705"}, {41, "0"}, {48, "0.00"}, {49, "0.00"}});
  // clang-format on
  const std::string tradesStatus = demo_->Call(RequestText(4, 5003, "10001", "111111", {"", ""}));
  const std::vector<std::string> trades = FetchRows(*demo_, 4, tradesStatus);
  ExpectFields(LineWith(trades, 20, secondFill.fillNumber), {{6, "1013"}, {7, "m2705"}, {9, "1"}, {19, "1013"}});
}

TEST_F(OrderTest, AWaitingSpecialOrderFreezesBothLegsUntilItIsCancelled) {
  const simbackend::FundsView before = server_->Book("10001")->funds;
  std::string refusal;
  const std::optional<std::string> number = server_->PlaceSpecialOrder("10001", Spread("3", "-200"), refusal);
  ASSERT_TRUE(number) << refusal;
  ASSERT_EQ(PushesWithCodes(*demo_, {15008}, 1).size(), 1u);
  const std::string status = demo_->Call(RequestText(3, 5134, "10001", "111111", {*number, "", ""}));
  const std::vector<std::string> rows = FetchRows(*demo_, 3, status);
  ASSERT_EQ(rows.size(), 1u);
  // The first leg freezes margin at its last price, both legs their fees.
  EXPECT_NE(Field(rows[0], 48), "0.00");
  // Fees of 1.5 and 0.2 a lot.
  ExpectFields(rows[0], {{9, "a"}, {13, "-200"}, {49, "0.00"}, {52, "5.10"}, {53, "5.10"}});
  const simbackend::FundsView frozen = server_->Book("10001")->funds;
  EXPECT_NEAR(std::stod(frozen.buyFrozen) - std::stod(before.buyFrozen), std::stod(Field(rows[0], 48)), 0.001);
  EXPECT_NEAR(std::stod(frozen.frozenFee) - std::stod(before.frozenFee), 10.20, 0.001);

  // A plain cancel is not for it; the special cancel releases everything.
  EXPECT_EQ(Field(Cancel(*number, "D001"), 5), "2009");
  ASSERT_TRUE(server_->CancelSpecialOrder("10001", *number, refusal)) << refusal;
  ExpectFields(PushesWithCodes(*demo_, {15009}, 1).at(0), {{9, *number}, {10, "d"}, {41, "0"}});
  const simbackend::FundsView after = server_->Book("10001")->funds;
  EXPECT_EQ(after.buyFrozen, before.buyFrozen);
  EXPECT_EQ(after.frozenFee, before.frozenFee);
  EXPECT_FALSE(server_->CancelSpecialOrder("10001", *number, refusal));

  struct Refused {
    const char* what;
    simbackend::SpecialOrder order;
  } const refusals[] = {
      {"a strategy the exchange lacks", {"S", "SPD", "cu2701", "cu2702", "0", "0", "0", "1", "10"}},
      {"selling a buy-only strategy", {"D", "DS", "m2701", "m2705", "1", "0", "0", "1", "10"}},
      {"legs of two varieties", {"D", "SPD", "m2701", "c2705", "0", "0", "0", "1", "10"}},
      {"the same contract twice", {"D", "SPD", "m2701", "m2701", "0", "0", "0", "1", "10"}},
      {"an option leg", {"D", "SPD", "m2705", "m2705-C-3000", "0", "0", "0", "1", "10"}},
      {"a price off the grid", {"D", "SPD", "m2701", "m2705", "0", "0", "0", "1", "10.5"}},
      {"closing what is not held", {"D", "SPD", "m2701", "m2705", "0", "1", "0", "1", "10"}},
  };
  for (const Refused& r : refusals) {
    EXPECT_FALSE(server_->PlaceSpecialOrder("10001", r.order, refusal)) << r.what;
    EXPECT_FALSE(refusal.empty()) << r.what;
  }
}

// An account of its own with one contract, whose quote opens at bid 2341
// and ask 2342, last 2342, under the default seed.
class FundsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("accounts.txt",
                  "trader|30001|333333|王芳|\nfunds|30001|100000.00|0|\ntradecode|30001|dce|01000401|D001|0|\n");
    folder_.Write("quoteservers.txt", "gateway|quote|quote123|\nserver|本机模拟行情|127.0.0.1|*|\n");
    folder_.Write("contracts.txt", "exchange|D|dce|大商所|1|\nvariety|dce|c|玉米|10|1|5|\nfuture|dce|c|2705|2342|\n");
    folder_.Write("trading.txt",
                  "seat|dce|D001|1|0|1|1|\nclosestrategy|dce|1|\nordertype|dce|0|0|1|\nparameter|ACCFRZ||T1||\n"
                  "fee|dce|0|c|开平|0|1.2|0|0|0|0|\nfee|dce|0|c|平今|0|0|0|0|0|0|\n"
                  "margin|dce|0|c|0.08|0|0.08|0|0.07|0|0.07|0|\n");
    simbackend::ServerOptions options;
    options.dataFolder = folder_.Path();
    options.quoteInterval = std::chrono::milliseconds(0);
    std::string error;
    server_ = simbackend::Server::Start(options, error);
    ASSERT_NE(server_, nullptr) << error;
    client_ = std::make_unique<RawClient>(server_->Port());
    ASSERT_EQ(Field(client_->Call(TradingLoginText(1, "30001", "333333")), 4), "Y");
  }

  std::string Call(int function, const std::vector<std::string>& parameters) {
    return client_->Call(RequestText(2, function, "30001", "333333", parameters));
  }

  DataFolder folder_;
  std::unique_ptr<simbackend::Server> server_;
  std::unique_ptr<RawClient> client_;
};

TEST_F(FundsTest, AnOpenAndItsCloseMoveTheFundsToTheCent) {
  const BestPrices best = BestOf(*client_, "30001", "333333", "D", "c2705");
  ASSERT_EQ(best.bid, "2341");
  ASSERT_EQ(best.ask, "2342");
  ASSERT_EQ(Field(Call(5011, OrderParameters({"D", "c2705", "0", "0", "2", "2345"})), 4), "Y");
  // Bought 2 lots at 2342: margin 0.08 x 2342 x 10 x 2 = 3747.20, fees
  // 1.20 a lot; held at the last price 2342, no floating profit.
  // Available 100000 - 3747.20 - 2.40, equity 100000 - 2.40.
  // clang-format off
  ExpectFields(Call(5002, {"20261210", ""}), {{7, "0.00"}, {9, "3747.20"}, {13, "96250.40"}, {14, "99997.60"},
                                              {17, "2.40"}, {18, "0.00"}, {19, "0.00"}, {23, "0.00"}, {25, "3747.20"}});
  // clang-format on
  // Sold them at 2341 to close: a loss of 1 x 10 x 2 = 20.00 and 2.40 more
  // fees; the margin is free again. 100000 - 20 - 4.80.
  ASSERT_EQ(Field(Call(5011, OrderParameters({"D", "c2705", "1", "1", "2", "2340"})), 4), "Y");
  ExpectFields(Call(5002, {"20261210", ""}),
               {{9, "0.00"}, {13, "99975.20"}, {14, "99975.20"}, {17, "4.80"}, {19, "-20.00"}, {25, "0.00"}});
  const simbackend::AccountView book = *server_->Book("30001");
  EXPECT_EQ(book.funds.available, "99975.20");
  EXPECT_TRUE(book.positions.empty());
  ASSERT_EQ(book.trades.size(), 2u);
  EXPECT_EQ(book.trades[0].price, "2342");
  EXPECT_EQ(book.trades[1].price, "2341");
}

}  // namespace
}  // namespace simbackend_test
