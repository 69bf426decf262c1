#include "client/code_tables.h"

#include <cmath>
#include <cstdio>
#include <span>

namespace client {
namespace {

struct CodeText {
  const char* code;
  const char* text;
};
using Table = std::span<const CodeText>;

constexpr CodeText kBuySell[] = {{"0", "买入"}, {"1", "卖出"}};
constexpr CodeText kOpenClose[] = {{"0", "开仓"}, {"1", "平仓"}, {"2", "平今"}};
constexpr CodeText kHedge[] = {{"0", "投机"}, {"1", "保值"}};
constexpr CodeText kNoticeLevels[] = {
    {"1", "普通"}, {"2", "警告"}, {"3", "危险"}, {"4", "滚动"}, {"5", "弹出确认"},
};
constexpr CodeText kMoneyTypes[] = {{"1", "转帐"}, {"2", "支票"}, {"3", "银行存款"}, {"Z", "公司调整"}};
constexpr CodeText kOrderStates[] = {
    {"n", "等待发出"}, {"a", "已经报入"}, {"p", "部分成交"}, {"c", "全部成交"}, {"f", "等待撤除"},
    {"d", "已经撤销"}, {"q", "场内拒绝"}, {"m", "主机撤单"}, {"e", "错误委托"}, {"b", "部成部撤"},
    {"g", "撤单发出"}, {"s", "正在申报"}, {"t", "等待触发"},
};
constexpr CodeText kOrderKinds[] = {
    {"A", "普通委托"},
    {"G", "条件普通委托"},
    {"N", "盈损单普通委托"},
    {"O", "开盘触发普通委托"},
};
constexpr CodeText kPriceTypes[] = {
    {"0", "限价"},     {"1", "市价"},     {"2", "最优价"},   {"3", "市价止损"},
    {"4", "市价止盈"}, {"5", "限价止损"}, {"6", "限价止盈"},
};
// The back end has no market state 5.
constexpr CodeText kMarketStates[] = {
    {"0", "开市"}, {"1", "开盘"}, {"2", "收盘"}, {"3", "收市"}, {"4", "暂停"}, {"6", "结算"}, {"7", "初始"},
};
constexpr CodeText kProductKinds[] = {{"0", "期货"}, {"1", "期权"}};
constexpr CodeText kOptionTypes[] = {{"C", "看涨期权"}, {"P", "看跌期权"}};

constexpr const char* kAutomaticOpenClose = "自动";
constexpr const char* kPlainOrderKind = "普通委托";

const char* TextOf(Table table, std::string_view code, const char* fallback = "") {
  for (const CodeText& entry : table) {
    if (code == entry.code) return entry.text;
  }
  return fallback;
}

const char* CodeOf(Table table, std::string_view text) {
  for (const CodeText& entry : table) {
    if (text == entry.text) return entry.code;
  }
  return "";
}

}  // namespace

const char* BuySellText(std::string_view code) { return TextOf(kBuySell, code); }
const char* OpenCloseText(std::string_view code) { return TextOf(kOpenClose, code, kAutomaticOpenClose); }
const char* HedgeText(std::string_view code) { return TextOf(kHedge, code); }
const char* NoticeLevelText(std::string_view code) { return TextOf(kNoticeLevels, code); }
const char* MoneyTypeText(std::string_view code) { return TextOf(kMoneyTypes, code); }
const char* OrderStateText(std::string_view code) { return TextOf(kOrderStates, code); }
const char* OrderKindText(std::string_view code) { return TextOf(kOrderKinds, code, kPlainOrderKind); }
const char* MarketStateText(std::string_view code) { return TextOf(kMarketStates, code); }
const char* ProductKindText(std::string_view code) { return TextOf(kProductKinds, code); }

const char* OptionTypeText(std::string_view code) {
  if (code.size() != 1) return "";
  const char upper = code[0] >= 'a' && code[0] <= 'z' ? static_cast<char>(code[0] - 'a' + 'A') : code[0];
  return TextOf(kOptionTypes, std::string_view(&upper, 1));
}

const char* BuySellCode(std::string_view text) { return CodeOf(kBuySell, text); }
const char* OpenCloseCode(std::string_view text) { return CodeOf(kOpenClose, text); }
const char* HedgeCode(std::string_view text) { return CodeOf(kHedge, text); }
const char* OrderStateCode(std::string_view text) { return CodeOf(kOrderStates, text); }

const char* PriceTypeText(std::string_view codeOrText, bool codeToText) {
  return codeToText ? TextOf(kPriceTypes, codeOrText) : CodeOf(kPriceTypes, codeOrText);
}

int CountDecimalPlaces(double value) {
  if (value == std::floor(value)) return 0;
  char text[64];
  const int length = std::snprintf(text, sizeof text, "%f", value);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text) return 0;
  const std::string_view digits(text, static_cast<std::size_t>(length));
  const std::size_t point = digits.find('.');
  if (point == std::string_view::npos) return 0;
  const std::size_t lastDigit = digits.find_last_not_of('0');
  return lastDigit > point ? static_cast<int>(lastDigit - point) : 0;
}

}  // namespace client
