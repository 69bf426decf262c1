#include "tradeviews/model/change_price.h"

#include <gtest/gtest.h>

#include "support/bar_engine.h"

namespace {

using namespace tradeviews;
using engine::SetText;
using engine::Text;
using tradeviews_testing::Texts;

class ChangePriceDialog : public tradeviews_testing::BarEngine {
 protected:
  void SetUp() override {
    BarEngine::SetUp();
    SetText(record_.orderNo, "55");
    SetText(record_.exchange, "S");
    SetText(record_.seat, "S01");
    SetText(record_.contract, "m2609");
    SetText(record_.tradeCode, "T01");
    SetText(record_.buySell, "0");
    SetText(record_.openClose, "1");
    SetText(record_.lots, "3");
    SetText(record_.price, "3001.20");
    SetText(record_.hedge, "1");
    SetText(record_.orderSeat, "S09");
    SetText(record_.priceType, "0");
    SetText(record_.dealAttribute, "0");
    SetText(record_.profitLossPrice, "0.00");
    SetText(record_.customer, "8001");
  }

  ChangePriceRecord record_{};
};

TEST_F(ChangePriceDialog, TheInformationLineNamesTheOrderInWords) {
  EXPECT_EQ(ChangePriceInfoLine(record_), "交易账号：8001, 委托号：55, m2609, 买入, 平仓, 保值");
}

TEST_F(ChangePriceDialog, OnlyAPlainPriceOnTheTickAndBelowAMillionIsSent) {
  struct Case {
    const char* price;
    NewPriceCheck check;
  };
  for (const Case& test : {Case{"", NewPriceCheck::kEmpty}, Case{"1000000", NewPriceCheck::kInvalid},
                           Case{"-0.2", NewPriceCheck::kInvalid}, Case{"3001.2abc", NewPriceCheck::kInvalid},
                           Case{"1e3", NewPriceCheck::kInvalid}, Case{"3001.2.2", NewPriceCheck::kInvalid},
                           Case{".", NewPriceCheck::kInvalid}, Case{"3001.3", NewPriceCheck::kOffTick}}) {
    EXPECT_EQ(SubmitChange(record_, "3", test.price, services), test.check) << test.price;
    // The user's text stays for the next try.
    EXPECT_EQ(Text(record_.price), test.price);
  }
  EXPECT_TRUE(services.changes.empty());
  EXPECT_STREQ(NewPriceMessage(NewPriceCheck::kEmpty), "价格不能为空!");
  EXPECT_STREQ(NewPriceMessage(NewPriceCheck::kInvalid), "输入价格不合法，请重新输入!");
  EXPECT_STREQ(NewPriceMessage(NewPriceCheck::kOffTick), "您输入的触发价格不符合最小变动价位!");

  for (const char* price : {"0", "3001.4", "999999.8"}) {
    EXPECT_EQ(SubmitChange(record_, "3", price, services), NewPriceCheck::kAccepted) << price;
  }
  EXPECT_EQ(services.changes.size(), 3u);
}

TEST_F(ChangePriceDialog, TheSubmissionTakesTheEighteenItemsInTheirOrder) {
  ASSERT_EQ(SubmitChange(record_, "2", "2999.8", services), NewPriceCheck::kAccepted);
  ASSERT_EQ(services.changes.size(), 1u);
  EXPECT_EQ(services.changes[0], (Texts{"", "", "", "55", "S01", "S09", "S", "m2609", "0", "1", "1", "2", "2999.8",
                                        "T01", "0", "0", "0.00", "8001"}));
}

}  // namespace
