#include "client/code_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lookup = const char* (*)(std::string_view);

struct Case {
  const char* name;
  Lookup lookup;
  const char* input;
  const char* expected;
};

const char* PriceTypeCodeToText(std::string_view code) { return client::PriceTypeText(code, true); }
const char* PriceTypeTextToCode(std::string_view text) { return client::PriceTypeText(text, false); }

// Every entry of the code-to-text tables, their defaults, and the inputs
// that must not match.
const Case kCodeToText[] = {
    {"BuySellText", client::BuySellText, "0", "买入"},
    {"BuySellText", client::BuySellText, "1", "卖出"},
    {"BuySellText", client::BuySellText, "2", ""},
    {"OpenCloseText", client::OpenCloseText, "0", "开仓"},
    {"OpenCloseText", client::OpenCloseText, "1", "平仓"},
    {"OpenCloseText", client::OpenCloseText, "2", "平今"},
    {"OpenCloseText", client::OpenCloseText, "3", "自动"},
    {"OpenCloseText", client::OpenCloseText, "", "自动"},
    {"HedgeText", client::HedgeText, "0", "投机"},
    {"HedgeText", client::HedgeText, "1", "保值"},
    {"HedgeText", client::HedgeText, "0 ", ""},
    {"NoticeLevelText", client::NoticeLevelText, "1", "普通"},
    {"NoticeLevelText", client::NoticeLevelText, "2", "警告"},
    {"NoticeLevelText", client::NoticeLevelText, "3", "危险"},
    {"NoticeLevelText", client::NoticeLevelText, "4", "滚动"},
    {"NoticeLevelText", client::NoticeLevelText, "5", "弹出确认"},
    {"NoticeLevelText", client::NoticeLevelText, "6", ""},
    {"MoneyTypeText", client::MoneyTypeText, "1", "转帐"},
    {"MoneyTypeText", client::MoneyTypeText, "2", "支票"},
    {"MoneyTypeText", client::MoneyTypeText, "3", "银行存款"},
    {"MoneyTypeText", client::MoneyTypeText, "Z", "公司调整"},
    {"MoneyTypeText", client::MoneyTypeText, "z", ""},
    {"OrderStateText", client::OrderStateText, "n", "等待发出"},
    {"OrderStateText", client::OrderStateText, "a", "已经报入"},
    {"OrderStateText", client::OrderStateText, "p", "部分成交"},
    {"OrderStateText", client::OrderStateText, "c", "全部成交"},
    {"OrderStateText", client::OrderStateText, "f", "等待撤除"},
    {"OrderStateText", client::OrderStateText, "d", "已经撤销"},
    {"OrderStateText", client::OrderStateText, "q", "场内拒绝"},
    {"OrderStateText", client::OrderStateText, "m", "主机撤单"},
    {"OrderStateText", client::OrderStateText, "e", "错误委托"},
    {"OrderStateText", client::OrderStateText, "b", "部成部撤"},
    {"OrderStateText", client::OrderStateText, "g", "撤单发出"},
    {"OrderStateText", client::OrderStateText, "s", "正在申报"},
    {"OrderStateText", client::OrderStateText, "t", "等待触发"},
    {"OrderStateText", client::OrderStateText, "A", ""},
    {"OrderStateText", client::OrderStateText, "a ", ""},
    {"OrderKindText", client::OrderKindText, "A", "普通委托"},
    {"OrderKindText", client::OrderKindText, "G", "条件普通委托"},
    {"OrderKindText", client::OrderKindText, "N", "盈损单普通委托"},
    {"OrderKindText", client::OrderKindText, "O", "开盘触发普通委托"},
    {"OrderKindText", client::OrderKindText, "X", "普通委托"},
    {"PriceTypeText", PriceTypeCodeToText, "0", "限价"},
    {"PriceTypeText", PriceTypeCodeToText, "1", "市价"},
    {"PriceTypeText", PriceTypeCodeToText, "2", "最优价"},
    {"PriceTypeText", PriceTypeCodeToText, "3", "市价止损"},
    {"PriceTypeText", PriceTypeCodeToText, "4", "市价止盈"},
    {"PriceTypeText", PriceTypeCodeToText, "5", "限价止损"},
    {"PriceTypeText", PriceTypeCodeToText, "6", "限价止盈"},
    {"PriceTypeText", PriceTypeCodeToText, "7", ""},
    {"MarketStateText", client::MarketStateText, "0", "开市"},
    {"MarketStateText", client::MarketStateText, "1", "开盘"},
    {"MarketStateText", client::MarketStateText, "2", "收盘"},
    {"MarketStateText", client::MarketStateText, "3", "收市"},
    {"MarketStateText", client::MarketStateText, "4", "暂停"},
    {"MarketStateText", client::MarketStateText, "5", ""},
    {"MarketStateText", client::MarketStateText, "6", "结算"},
    {"MarketStateText", client::MarketStateText, "7", "初始"},
    {"ProductKindText", client::ProductKindText, "0", "期货"},
    {"ProductKindText", client::ProductKindText, "1", "期权"},
    {"ProductKindText", client::ProductKindText, "", ""},
    {"OptionTypeText", client::OptionTypeText, "C", "看涨期权"},
    {"OptionTypeText", client::OptionTypeText, "c", "看涨期权"},
    {"OptionTypeText", client::OptionTypeText, "P", "看跌期权"},
    {"OptionTypeText", client::OptionTypeText, "p", "看跌期权"},
    {"OptionTypeText", client::OptionTypeText, "CP", ""},
    {"OptionTypeText", client::OptionTypeText, "", ""},
    // The texts back to codes, where there is no way back.
    {"OpenCloseCode", client::OpenCloseCode, "自动", ""},
    {"BuySellCode", client::BuySellCode, "买入 ", ""},
    {"PriceTypeText", PriceTypeTextToCode, "市价止赢", ""},
};

TEST(CodeTables, EveryCodeGivesItsTextAndAnythingElseTheDefault) {
  for (const Case& test : kCodeToText) {
    EXPECT_STREQ(test.lookup(test.input), test.expected) << test.name << "(\"" << test.input << "\")";
  }
}

struct RoundTrip {
  const char* name;
  Lookup toText;
  Lookup toCode;
  std::vector<std::string> codes;
};

TEST(CodeTables, TheTextOfEveryCodeLeadsBackToTheCode) {
  const RoundTrip tables[] = {
      {"buy/sell", client::BuySellText, client::BuySellCode, {"0", "1"}},
      {"open/close", client::OpenCloseText, client::OpenCloseCode, {"0", "1", "2"}},
      {"hedge", client::HedgeText, client::HedgeCode, {"0", "1"}},
      {"order state",
       client::OrderStateText,
       client::OrderStateCode,
       {"n", "a", "p", "c", "f", "d", "q", "m", "e", "b", "g", "s", "t"}},
      {"price type", PriceTypeCodeToText, PriceTypeTextToCode, {"0", "1", "2", "3", "4", "5", "6"}},
  };
  for (const RoundTrip& table : tables) {
    for (const std::string& code : table.codes) {
      const char* text = table.toText(code);
      EXPECT_STRNE(text, "") << table.name << " " << code;
      EXPECT_EQ(table.toCode(text), code) << table.name << " " << code;
    }
  }
}

TEST(CodeTables, LookupsHandOutTheirConstantTexts) {
  EXPECT_EQ(client::BuySellText("0"), client::BuySellText(std::string("0")));
  EXPECT_EQ(client::OrderKindText("X"), client::OrderKindText("Y"));
}

TEST(CountDecimalPlaces, CountsTheDigitsOfTheSixDecimalForm) {
  const struct {
    double value;
    int places;
  } cases[] = {{2.5, 1}, {0.125, 3}, {3.0, 0}, {0.0000001, 0}, {-1.75, 2}, {0.000001, 6}, {12345.2, 1}, {0.0, 0}};
  for (const auto& test : cases) EXPECT_EQ(client::CountDecimalPlaces(test.value), test.places) << test.value;
}

}  // namespace
