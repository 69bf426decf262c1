#include "tradeviews/model/order_choices.h"

#include <gtest/gtest.h>

namespace tradeviews {
namespace {

TEST(RowStyleCombos, ItemsCarryTheirNumbersAndTheRecordCodesFollowFromThem) {
  EXPECT_EQ(PriceTypeItems(),
            (std::vector<std::string>{"1-限价", "2-市价", "3-市价止损", "4-市价止盈", "5-限价止损", "6-限价止盈"}));
  EXPECT_EQ(DealAttributeItems(),
            (std::vector<std::string>{"1-当日有效[GFD]", "2-全成或全撤[FOK]", "3-剩余即撤销[FAK]"}));
  EXPECT_EQ(NumberBeforeDash("4-市价止盈"), 4);
  EXPECT_EQ(NumberBeforeDash(""), 0);
  const std::pair<int, std::string> priceTypes[] = {{1, "0"}, {2, "1"}, {3, "3"}, {4, "4"}, {5, "5"}, {6, "6"}};
  for (const auto& [number, code] : priceTypes) EXPECT_EQ(PriceTypeCode(number), code);
  EXPECT_EQ(DealAttributeCode(1), "0");
  EXPECT_EQ(DealAttributeCode(3), "2");
}

TEST(PriceTypeRules, EachTypeSetsTriggerDealAttributeAndPrice) {
  struct Case {
    int number;
    std::string exchange;
    PriceTypeRules rules;
  } const cases[] = {
      {1, "sfe", {1, false, true, 1, true, "71230"}},
      {2, "sfe", {2, false, true, 3, false, "0"}},
      {3, "sfe", {3, true, false, 1, false, "0"}},
      {4, "sfe", {4, true, false, 1, false, "0"}},
      {5, "dce", {5, true, false, 1, true, "71230"}},
      {6, "dce", {6, true, false, 1, true, "71230"}},
      // Stop orders are not taken on czce: back to a limit order.
      {4, "czce", {1, false, true, 1, true, "71230"}},
      {2, "czce", {2, false, true, 3, false, "0"}},
  };
  for (const Case& c : cases) {
    const PriceTypeRules rules = RulesForPriceType(c.number, c.exchange, "71230");
    EXPECT_EQ(rules.priceType, c.rules.priceType) << c.number << c.exchange;
    EXPECT_EQ(rules.triggerEnabled, c.rules.triggerEnabled) << c.number << c.exchange;
    EXPECT_EQ(rules.dealAttributeEnabled, c.rules.dealAttributeEnabled) << c.number << c.exchange;
    EXPECT_EQ(rules.dealAttribute, c.rules.dealAttribute) << c.number << c.exchange;
    EXPECT_EQ(rules.priceEnabled, c.rules.priceEnabled) << c.number << c.exchange;
    EXPECT_EQ(rules.price, c.rules.price) << c.number << c.exchange;
  }
}

TEST(ShortcutDigits, PickSidesAndCloseTodayOnlyWhereTheExchangeTakesIt) {
  const ShortcutKeys keys;  // buy 1, sell 3, open 1, close 2, close today 3
  EXPECT_EQ(BuySellForDigit(keys, 1), "0");
  EXPECT_EQ(BuySellForDigit(keys, 3), "1");
  EXPECT_EQ(BuySellForDigit(keys, 2), std::nullopt);
  EXPECT_EQ(OpenCloseForDigit(keys, 1, true), "0");
  EXPECT_EQ(OpenCloseForDigit(keys, 2, true), "1");
  EXPECT_EQ(OpenCloseForDigit(keys, 3, true), "2");
  EXPECT_EQ(OpenCloseForDigit(keys, 3, false), std::nullopt);

  client::OrderSettings settings;
  settings.ShortcutKeySell = 7;
  EXPECT_EQ(BuySellForDigit(ShortcutKeysOf(settings), 7), "1");
}

TEST(Toggles, StepThroughTheSidesAndTheOpenCloseChoices) {
  EXPECT_EQ(ToggledBuySell("买入"), "卖出");
  EXPECT_EQ(ToggledBuySell("卖出"), "买入");
  EXPECT_EQ(ToggledBuySell("x"), "买入");
  EXPECT_EQ(NextOpenClose("开仓", true), "平仓");
  EXPECT_EQ(NextOpenClose("平仓", true), "平今");
  EXPECT_EQ(NextOpenClose("平仓", false), "开仓");
  EXPECT_EQ(NextOpenClose("平今", true), "开仓");
  EXPECT_EQ(NextOpenClose("", true), "开仓");
  EXPECT_EQ(NextOpenCloseItem(0, 3), 1);
  EXPECT_EQ(NextOpenCloseItem(1, 3), 2);
  EXPECT_EQ(NextOpenCloseItem(1, 2), 0);
  EXPECT_EQ(NextOpenCloseItem(2, 3), 0);
}

TEST(Colours, FollowTheChoice) {
  EXPECT_EQ(BuySellColour("买入"), 0x0000FFu);
  EXPECT_EQ(BuySellColour("卖出"), 0x00FF00u);
  EXPECT_EQ(OpenCloseColour("开仓"), 0x0000FFu);
  EXPECT_EQ(OpenCloseColour("平仓"), 0x00FF00u);
  EXPECT_EQ(OpenCloseColour("平今"), 0xFF0000u);
  EXPECT_EQ(OpenCloseColour(""), 0x000000u);
}

TEST(ClassicCombos, ItemsShowTheirDigitsAndMapBothWays) {
  client::OrderSettings settings;
  settings.ShortcutKeyClose = 2;
  settings.ShortcutKeyCloseToday = 3;
  const ShortcutKeys keys = ShortcutKeysOf(settings);
  EXPECT_EQ(ClassicBuySellItems(keys), (std::vector<std::string>{"1 买入", "3 卖出"}));
  EXPECT_EQ(ClassicOpenCloseItems(keys, true), (std::vector<std::string>{"1 开仓", "2 平仓", "3 平今"}));
  EXPECT_EQ(ClassicOpenCloseItems(keys, false), (std::vector<std::string>{"1 开仓", "2 平仓"}));
  EXPECT_EQ(ClassicBuySellCode(keys, "3 卖出"), "1");
  EXPECT_EQ(ClassicOpenCloseCode(keys, "3 平今"), "2");
  EXPECT_EQ(ClassicOpenCloseCode(keys, "平今"), "");
  EXPECT_EQ(ClassicBuySellText(keys, "0"), "1 买入");
  EXPECT_EQ(ClassicOpenCloseText(keys, "1"), "2 平仓");
  EXPECT_EQ(ClassicOpenCloseText(keys, "9"), "");
}

}  // namespace
}  // namespace tradeviews
