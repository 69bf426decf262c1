// The order submission: the market-price rule on each kind of list, the lot
// limit of the variety rows, and what reaches the back end.
#include "order_module/order_submission.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "order_module/testing/order_module_test.h"
#include "platform/little_endian.h"

namespace {

using namespace order_module_testing;
using client_testing::OutputLine;
using engine::SetText;
using engine::Table;
using order_module::OrderEntrySettings;
using Texts = std::vector<std::string>;

class Settings : public order_module::OrderSettingsSource {
 public:
  OrderEntrySettings EntrySettings() const override { return entry; }
  std::span<const std::uint8_t> VarietyParamRows() const override { return rows; }

  OrderEntrySettings entry;
  std::vector<std::uint8_t> rows;
};

backend::CGlobalStringList List(const Texts& items) {
  backend::CGlobalStringList list;
  for (const std::string& item : items) list.Append(item);
  return list;
}

// A plain order of one lot of cu2701 to open, as the panels fill it.
Texts PlainList(const char* buySell, const char* price, const char* priceType, const char* oneKeyMode = "0") {
  return {"",    "",     "",     "S",       "cu2701", buySell, "0",        "0",     "1",
          price, "TC01", "S001", priceType, "0",      "",      oneKeyMode, kAccount};
}

// The quotation of cu2701 with its two limit prices.
std::string Quotation(const char* upper, const char* lower) {
  return client_testing::AnswerLine(52, {{5, "S"}, {7, "cu2701"}, {21, upper}, {22, lower}});
}

constexpr const char* kMarketQuestion = "上期所交易所不支持市价，是否以反向涨跌停价发出?";

class OrderSubmission : public OrderModuleTest {
 protected:
  void SetUp() override {
    OrderModuleTest::SetUp();
    backEnd.Answer(5007, {Quotation("80250", "72610.5")});
  }

  // The price, price type and deal attribute of each order sent.
  std::vector<Texts> SentPrices() const {
    std::vector<Texts> prices;
    for (const auto& fields : Requests(5011)) {
      prices.push_back({Parameter(fields, 11), Parameter(fields, 14), Parameter(fields, 15)});
    }
    return prices;
  }

  Settings settings;
  order_module::OrderSubmission submission{module, settings};
};

TEST_F(OrderSubmission, TheMarketPriceRuleOfAPlainOrder) {
  const struct {
    const char* name;
    const char* marketSeat;
    bool affirm;
    int overrideSwitch;
    const char* oneKeyMode;
    const char* buySell;
    const char* price;
    const char* priceType;
    std::initializer_list<bool> answers;
    Texts sent;  // price, price type, deal attribute; empty: nothing sent
    Texts questions;
    std::vector<OutputLine> lines;
  } cases[] = {
      {"a limit order passes untouched", "0", false, 0, "0", "0", "76500", "5", {}, {"76500", "5", "0"}, {}, {}},
      {"a market seat takes it as a market order",
       "1",
       true,
       0,
       "0",
       "0",
       "0",
       "",
       {true},
       {"0", "1", "2"},
       {"      合约：cu2701\n　　操作：买入  开仓  投机\n　　价格：0\n　　数量：1"},
       {}},
      {"other market kinds stay", "1", false, 0, "0", "0", "0", "3", {}, {"0", "3", "0"}, {}, {}},
      {"asked, yes: the upper limit",
       "0",
       true,
       0,
       "0",
       "0",
       "0",
       "0",
       {true, true},
       {"80250.00", "0", "0"},
       {kMarketQuestion, "      合约：cu2701\n　　操作：买入  开仓  投机\n　　价格：80250.00\n　　数量：1"},
       {}},
      {"asked, no", "0", true, 0, "0", "0", "0", "0", {false}, {}, {kMarketQuestion}, {{"委托被取消!", 5}}},
      {"not asked without the setting", "0", false, 0, "0", "0", "0", "1", {}, {"80250.00", "0", "0"}, {}, {}},
      {"not asked for a one-key order", "0", true, 1, "1", "0", "0", "0", {}, {"80250.00", "0", "0"}, {}, {}},
      {"a sell takes the lower limit", "0", false, 0, "0", "1", "0", "4", {}, {"72610.50", "0", "0"}, {}, {}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    engine.Replace(Table::kExchangeSeats, Seat("S", "S001", "1", test.marketSeat));
    settings.entry = {.sendOrderAffirmBox = test.affirm, .affirmOverrideSwitch = test.overrideSwitch};
    user.WillAnswer(test.answers);
    const std::size_t questions = user.Questions().size();
    const std::size_t results = resultShell.results.size();
    resultShell.Clear();
    const std::vector<Texts> before = SentPrices();

    EXPECT_EQ(submission.SubmitOrder(List(PlainList(test.buySell, test.price, test.priceType, test.oneKeyMode))),
              !test.sent.empty());
    if (!test.sent.empty()) {
      ASSERT_TRUE(PumpUntil([&] { return resultShell.results.size() > results; }));
      EXPECT_EQ(resultShell.results.back().code, "0");
      ASSERT_EQ(SentPrices().size(), before.size() + 1);
      EXPECT_EQ(SentPrices().back(), test.sent);
    } else {
      EXPECT_EQ(SentPrices(), before);
    }
    const Texts asked = user.Questions();
    EXPECT_EQ(Texts(asked.begin() + static_cast<std::ptrdiff_t>(questions), asked.end()), test.questions);
    EXPECT_EQ(resultShell.OutputLines(), test.lines);
  }
}

TEST_F(OrderSubmission, AMarketOrderWithoutAUsableQuotationIsNotSent) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "1", "0"));
  const struct {
    const char* name;
    std::vector<std::string> answer;
    std::vector<OutputLine> lines;
  } cases[] = {
      {"no limit price",
       {Quotation("0", "0")},
       {{"合约cu2701的行情没有涨跌停价，不能以反向涨跌停价发出委托！", client::kFailureLine}}},
      {"no quotation",
       {"A|m|1|N|3001|no such contract|"},
       {{"查询合约cu2701 价格失败！", client::kNoticeLine}, {"查询合约cu2701 价格失败！", client::kFailureLine}}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    resultShell.Clear();
    backEnd.Answer(5007, test.answer);
    EXPECT_FALSE(submission.SubmitOrder(List(PlainList("0", "0", "0"))));
    EXPECT_EQ(resultShell.OutputLines(), test.lines);
  }
  EXPECT_TRUE(Requests(5011).empty());
}

TEST_F(OrderSubmission, ReverseAndChangePriceOrdersKeepTheDecimalsOfTheLimitPrice) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "1", "0"));
  engine.Add(Table::kPositionSummary, Position("0", 5, 0));
  engine.Add(Table::kOrders, Order(kAccount, "701", "1", "0", "a", 2));
  // Close the 5 lots held and open 5 on the sell side, both at the market.
  const Texts reverse = {"",     "",  "",  "S", "cu2701", "1", "1", "0", "5", "0",     "TC01",
                         "S001", "0", "0", "",  "5",      "0", "0", "0", "0", kAccount};
  ASSERT_TRUE(submission.SubmitReverseOrder(List(reverse)));
  ASSERT_EQ(NextResult().code, "0");
  EXPECT_EQ(SentPrices(), (std::vector<Texts>{{"72610.50", "0", "0"}, {"72610.50", "0", "0"}}));
  EXPECT_EQ(Parameters(5011, 8), (Texts{"1", "0"}));

  const Texts changePrice = {"",  "",  "",  "701", "S001", "S001", "S", "cu2701", "1",
                             "0", "0", "2", "0",   "TC01", "0",    "0", "",       kAccount};
  ASSERT_TRUE(submission.SubmitChangePriceOrder(List(changePrice)));
  ASSERT_TRUE(WaitForRequests(5012, 1));
  QueueState("701", "d", "2", "2");
  ASSERT_EQ(NextResult().code, "0");
  EXPECT_EQ(SentPrices().back(), (Texts{"72610.50", "0", "0"}));
}

TEST_F(OrderSubmission, TheUsersNoToAReverseOrChangePriceOrderIsACancelLine) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "1", "0"));
  settings.entry.sendOrderAffirmBox = true;
  const Texts reverse = {"",     "",  "",  "S", "cu2701", "1", "1", "0", "5", "0",     "TC01",
                         "S001", "0", "0", "",  "5",      "0", "0", "0", "0", kAccount};
  const Texts changePrice = {"",  "",  "",  "701", "S001", "S001", "S", "cu2701", "1",
                             "0", "0", "2", "0",   "TC01", "0",    "0", "",       kAccount};
  user.WillAnswer({false, false});
  EXPECT_FALSE(submission.SubmitReverseOrder(List(reverse)));
  EXPECT_FALSE(submission.SubmitChangePriceOrder(List(changePrice)));
  EXPECT_EQ(user.Questions(), Texts(2, kMarketQuestion));
  EXPECT_EQ(resultShell.OutputLines(),
            (std::vector<OutputLine>{{"委托被取消！", client::kCancelLine}, {"委托被取消！", client::kCancelLine}}));
  EXPECT_TRUE(Requests(5007).empty());
}

TEST_F(OrderSubmission, TheModulesRefusalIsShownInABoxOrAsAFailureLine) {
  engine.Add(Table::kExchangeSeats, Seat("S", "S001", "1", "1"));
  EXPECT_FALSE(submission.SubmitOrder(List(PlainList("0", "76500", "0", "2"))));
  EXPECT_EQ(user.Boxes(), Texts{"一键下单方式参数错误！"});
  const Texts changePrice = {"",  "",  "",  "799",   "S001", "S001", "S", "cu2701", "1",
                             "0", "0", "2", "76600", "TC01", "0",    "0", "",       kAccount};
  EXPECT_FALSE(submission.SubmitChangePriceOrder(List(changePrice)));
  EXPECT_EQ(resultShell.OutputLines(),
            (std::vector<OutputLine>{{"改价下单指定撤销的委托单不存在！", client::kFailureLine}}));
}

// A variety parameter row of cu2701 with its two lot limits.
std::vector<std::uint8_t> VarietyRow(std::int32_t limitLots, std::int32_t marketLots) {
  std::vector<std::uint8_t> row(backend::kVarietyParamRowSize);
  std::memcpy(row.data() + 64, "cu2701", 6);
  platform::StoreLittleEndian(row.data() + order_module::kLimitOrderLotsOffset, static_cast<std::uint32_t>(limitLots));
  platform::StoreLittleEndian(row.data() + order_module::kMarketOrderLotsOffset,
                              static_cast<std::uint32_t>(marketLots));
  return row;
}

TEST(MaxSplitLots, ComeFromTheContractsRowByPriceType) {
  std::vector<std::uint8_t> rows = VarietyRow(0, 0);
  std::memcpy(rows.data() + 64, "al2702", 6);
  const std::vector<std::uint8_t> copper = VarietyRow(20, 8);
  rows.insert(rows.end(), copper.begin(), copper.end());
  const OrderEntrySettings on{.exceededMaxHandsSplitOrder = true};
  const struct {
    OrderEntrySettings settings;
    const char* contract;
    const char* priceType;
    const char* price;
    int lots;
  } cases[] = {
      {{}, "cu2701", "0", "76500", 0}, {on, "cu2799", "0", "76500", 0},  {on, "cu2701", "0", "76500", 20},
      {on, "cu2701", "", "76500", 20}, {on, "cu2701", "6", "76500", 20}, {on, "cu2701", "0", "0", 8},
      {on, "cu2701", "3", "76500", 8}, {on, "cu2701", "2", "76500", 0},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(order_module::GetMaxSplitLots(test.settings, rows, test.contract, test.priceType, test.price), test.lots)
        << test.contract << " " << test.priceType << " " << test.price;
  }
}

}  // namespace
