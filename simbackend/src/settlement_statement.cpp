#include "settlement_statement.h"

#include "order_lines.h"
#include "per_lot.h"
#include "platform/format.h"

namespace simbackend {
namespace {

constexpr const char* kCompanyName = "模拟期货有限公司";
constexpr const char* kNothing = "（无）";

std::string Section(const char* title) { return platform::Format("%s%s%s", "--------", title, "--------"); }

// Two labelled amounts side by side.
std::string Pair(const char* leftLabel, const std::string& left, const char* rightLabel, const std::string& right) {
  return platform::Format("%-14s%16s    %-14s%16s", leftLabel, left.c_str(), rightLabel, right.c_str());
}

double SignedMoney(const MoneyEntry& entry) {
  const double amount = static_cast<double>(entry.cents) / 100;
  return entry.direction == MoneyDirection::kDeposit ? amount : -amount;
}

std::string RiskText(double ratio) { return platform::Format("%.2f%%", ratio * 100); }

std::vector<std::string> MoneyLines(const std::vector<MoneyEntry>& money) {
  std::vector<std::string> lines = {
      platform::Format("%-10s%-10s%14s%14s  %s", "日期", "流水号", "入金", "出金", "摘要")};
  for (const MoneyEntry& e : money) {
    const bool deposit = e.direction == MoneyDirection::kDeposit;
    const double amount = static_cast<double>(e.cents) / 100;
    lines.push_back(platform::Format("%-10s%-10s%14s%14s  %s", e.date.c_str(), e.serial.c_str(),
                                     MoneyText(deposit ? amount : 0).c_str(), MoneyText(deposit ? 0 : amount).c_str(),
                                     e.summary.c_str()));
  }
  if (money.empty()) lines.push_back(kNothing);
  return lines;
}

std::vector<std::string> TradeLines(const std::string& tradingDay, const std::vector<TradeView>& trades) {
  std::vector<std::string> lines = {platform::Format("%-10s%-8s%-8s%-16s%-6s%-6s%-6s%6s%12s  %s", "成交日期", "成交号",
                                                     "委托号", "合约", "买卖", "开平", "投保", "手数", "成交价",
                                                     "成交时间")};
  for (const TradeView& t : trades)
    lines.push_back(platform::Format(
        "%-10s%-8s%-8s%-16s%-6s%-6s%-6s%6lld%12s  %s", tradingDay.c_str(), t.fillNumber.c_str(), t.orderNumber.c_str(),
        t.contract.c_str(), BuySellText(t.buySell).c_str(), OpenCloseText(t.openClose).c_str(),
        HedgeText(t.hedge).c_str(), static_cast<long long>(t.lots), t.price.c_str(), t.time.c_str()));
  if (trades.empty()) lines.push_back(kNothing);
  return lines;
}

std::vector<std::string> PositionLines(const std::vector<PositionView>& positions) {
  std::vector<std::string> lines = {
      platform::Format("%-16s%-6s%-6s%6s%6s%16s  %s", "合约", "买卖", "投保", "持仓", "今仓", "保证金", "交易编码")};
  for (const PositionView& p : positions)
    lines.push_back(platform::Format("%-16s%-6s%-6s%6lld%6lld%16s  %s", p.contract.c_str(),
                                     BuySellText(p.buySell).c_str(), HedgeText(p.hedge).c_str(),
                                     static_cast<long long>(p.lots), static_cast<long long>(p.todayLots),
                                     p.margin.c_str(), p.tradeCode.c_str()));
  if (positions.empty()) lines.push_back(kNothing);
  return lines;
}

void Append(std::vector<std::string>& lines, std::vector<std::string> more) {
  lines.insert(lines.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

}  // namespace

std::vector<std::string> StatementLines(StatementPeriod period, const StatementBook& book) {
  const bool day = period == StatementPeriod::kDay;
  const Funds& f = book.funds;
  // What came in and went out in the period, and before today within it.
  double moneyOfPeriod = 0;
  double moneyBeforeToday = 0;
  for (const MoneyEntry& entry : book.money) {
    moneyOfPeriod += SignedMoney(entry);
    if (entry.date < book.tradingDay) moneyBeforeToday += SignedMoney(entry);
  }
  const double opening = f.yesterdayBalance - moneyBeforeToday;
  const double premium = f.premiumIn - f.premiumOut;
  const double closing = opening + moneyOfPeriod + f.closingProfit - f.fees + premium;

  std::vector<std::string> lines = {
      platform::Format("%s  交易结算单（%s）", kCompanyName, day ? "日结" : "月结"),
      platform::Format("客户号：%-16s客户名称：%s", book.account.customer.c_str(), book.account.name.c_str()),
      day ? "结算日期：" + book.tradingDay : "结算月份：" + book.tradingDay.substr(0, 6),
      Section("资金状况"),
      Pair(day ? "上日结存：" : "期初结存：", MoneyText(opening), "客户权益：", MoneyText(f.equity)),
      Pair(day ? "当日出入金：" : "本月出入金：", MoneyText(moneyOfPeriod), "保证金占用：", MoneyText(f.TotalMargin())),
      Pair("平仓盈亏：", MoneyText(f.closingProfit), "冻结资金：", MoneyText(f.TotalFrozen())),
      Pair("手续费：", MoneyText(f.fees), "可用资金：", MoneyText(f.available)),
      Pair("权利金收支：", MoneyText(premium), "风险度：", RiskText(f.RiskRatio())),
      Pair(day ? "当日结存：" : "期末结存：", MoneyText(closing), "浮动盈亏：", MoneyText(f.floatingProfit)),
      Section("出入金明细"),
  };
  Append(lines, MoneyLines(book.money));
  lines.push_back(Section("成交明细"));
  Append(lines, TradeLines(book.tradingDay, book.view.trades));
  lines.push_back(Section("持仓汇总"));
  Append(lines, PositionLines(book.view.positions));
  return lines;
}

}  // namespace simbackend
