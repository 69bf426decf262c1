// The settlement statements of the trading day and of its month, and their
// confirmation, which the login of the next day reports.
#include "functions.h"
#include "settlement_statement.h"

namespace simbackend {
namespace {

// 5472
constexpr std::size_t kPeriodParameter = 5;
constexpr std::size_t kDateParameter = 6;

constexpr const char* kDayStatement = "1";
constexpr const char* kMonthStatement = "2";

}  // namespace

Answer Functions::SettlementStatement(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::string& period = Parameter(request, kPeriodParameter);
  if (period != kDayStatement && period != kMonthStatement)
    return Refusal(request, kBadParameter, "结算单类型'" + period + "'无效！");
  const bool day = period == kDayStatement;
  const std::string today = TodayText();
  // A day "YYYYMMDD" or a month "YYYYMM"; empty names the current one.
  const std::string current = day ? today : today.substr(0, 6);
  const std::string& date = Parameter(request, kDateParameter);
  if (!date.empty() && date != current)
    return Refusal(request, kNoSuchEntry,
                   "客户" + account->customer + "没有" + date + (day ? "的日结算单！" : "的月结算单！"));
  const std::string first = day ? today : current + "01";
  TradingFloor::AccountSnapshot snapshot = floor_.Snapshot(*account);
  const StatementBook book{*account, today, snapshot.funds, std::move(snapshot.view),
                           book_.MoneyHistory(account->customer, first, today, std::nullopt)};
  std::vector<std::vector<std::string>> rows;
  for (std::string& line : StatementLines(day ? StatementPeriod::kDay : StatementPeriod::kMonth, book))
    rows.push_back({std::move(line)});
  return RowsAnswer(request, rows);
}

Answer Functions::ConfirmStatement(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  book_.ConfirmStatement(account->customer, TodayText());
  return OneLine(AcceptedLine(request, {}));
}

}  // namespace simbackend
