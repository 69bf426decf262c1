// Deposits and withdrawals, and the management account's care of its
// sub-accounts: their status and their money.
#include <cstdio>

#include "functions.h"
#include "platform/gbk.h"
#include "record_kinds.h"

namespace simbackend {
namespace {

// 5006
constexpr std::size_t kFirstDateParameter = 5;
constexpr std::size_t kLastDateParameter = 6;
constexpr std::size_t kDirectionFilterParameter = 9;
// 5057, 5058
constexpr std::size_t kSubAccountParameter = 6;
constexpr std::size_t kStatusParameter = 7;
// 5058
constexpr std::size_t kMoneyOperationParameter = 7;
constexpr std::size_t kMoneyDateParameter = 8;
constexpr std::size_t kMoneyDirectionParameter = 13;
constexpr std::size_t kAmountParameter = 14;
constexpr std::size_t kSummaryParameter = 15;
// 5059
constexpr std::size_t kSerialParameter = 7;

constexpr const char* kCurrencyName = "人民币";
constexpr const char* kTotalDate = "合计";
constexpr const char* kTransferMoneyType = "1";
constexpr const char* kAddOperation = "1";
constexpr std::size_t kMaxSummary = 99;

std::string MoneyText(std::int64_t cents) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(cents / 100),
                static_cast<long long>(cents % 100));
  return text;
}

bool IsDate(const std::string& text) { return CheckDate("", text).empty(); }

std::string DirectionCode(MoneyDirection direction) { return direction == MoneyDirection::kDeposit ? "1" : "2"; }

}  // namespace

Answer Functions::MoneyHistory(const Request& request, Session&) {
  const std::string& first = Parameter(request, kFirstDateParameter);
  const std::string& last = Parameter(request, kLastDateParameter);
  if (!IsDate(first) || !IsDate(last)) return Refusal(request, kBadParameter, "查询日期应为八位的年月日！");
  const std::string& filter = Parameter(request, kDirectionFilterParameter);
  std::optional<MoneyDirection> direction;
  if (filter == "0")
    direction = MoneyDirection::kWithdrawal;
  else if (filter == "1")
    direction = MoneyDirection::kDeposit;
  else if (!filter.empty())
    return Refusal(request, kBadParameter, "出入金方向'" + filter + "'无效！");

  Answer answer;
  std::int64_t withdrawals = 0;
  std::int64_t deposits = 0;
  for (const MoneyEntry& entry : book_.MoneyHistory(request.Field(kCustomerField), first, last, direction)) {
    const bool deposit = entry.direction == MoneyDirection::kDeposit;
    (deposit ? deposits : withdrawals) += entry.cents;
    answer.rows.push_back(
        RowLine(request, {entry.date, entry.serial, MoneyText(deposit ? 0 : entry.cents),
                          MoneyText(deposit ? entry.cents : 0), entry.summary, entry.customer, kCurrencyName,
                          DirectionCode(entry.direction), entry.moneyType, entry.bank, "1"}));
  }
  if (!answer.rows.empty())
    answer.rows.push_back(
        RowLine(request, {kTotalDate, "", MoneyText(withdrawals), MoneyText(deposits), "", "", "", "", "", "", ""}));
  answer.line = AcceptedLine(request, {std::to_string(answer.rows.size())});
  return answer;
}

Answer Functions::CustomerStatus(const Request& request, Session& session) {
  const std::string& customer = Parameter(request, kSubAccountParameter);
  std::string refusal;
  if (ManagerOf(request, session, customer, refusal) == nullptr) return OneLine(std::move(refusal));
  // The statuses that the terminal offers: normal and close only.
  const std::string& status = Parameter(request, kStatusParameter);
  if (status != "0" && status != "4") return Refusal(request, kBadParameter, "客户状态'" + status + "'无效！");
  book_.SetStatus(customer, status);
  return OneLine(AcceptedLine(request, {customer, book_.Status(customer)}));
}

Answer Functions::EditMoney(const Request& request, Session& session) {
  const std::string& customer = Parameter(request, kSubAccountParameter);
  std::string refusal;
  if (ManagerOf(request, session, customer, refusal) == nullptr) return OneLine(std::move(refusal));
  if (Parameter(request, kMoneyOperationParameter) != kAddOperation)
    return Refusal(request, kBadParameter, "出入金操作'" + Parameter(request, kMoneyOperationParameter) + "'无效！");
  const std::string& date = Parameter(request, kMoneyDateParameter);
  if (!IsDate(date)) return Refusal(request, kBadParameter, "出入金日期'" + date + "'无效！");
  const std::string& direction = Parameter(request, kMoneyDirectionParameter);
  if (direction != "1" && direction != "2")
    return Refusal(request, kBadParameter, "出入金方向'" + direction + "'无效！");
  std::int64_t cents = 0;
  const std::string& amountText = Parameter(request, kAmountParameter);
  if (!ParseMoney("", amountText, cents).empty())
    return Refusal(request, kBadParameter, "金额'" + amountText + "'无效，应为大于零、最多两位小数的数！");
  const std::string summary = TrimBlanks(Parameter(request, kSummaryParameter));
  MoneyEntry entry{customer, date,
                   {},       direction == "1" ? MoneyDirection::kDeposit : MoneyDirection::kWithdrawal,
                   cents,    kTransferMoneyType,
                   {},       summary.substr(0, platform::GbkFitLength(summary, kMaxSummary))};
  return OneLine(AcceptedLine(request, {book_.AddMoneyEntry(std::move(entry))}));
}

Answer Functions::ReviewMoney(const Request& request, Session& session) {
  if (session.kind != SessionKind::kManagement)
    return Refusal(request, kNotManagement, "只有管理账号可以管理交易账号！");
  const std::string& serial = Parameter(request, kSerialParameter);
  switch (book_.Review(serial, data_.FindAccount(session.customer)->managed)) {
    case AccountBook::ReviewResult::kUnknown:
      return Refusal(request, kNoSuchEntry, "出入金流水号" + serial + "不存在！");
    case AccountBook::ReviewResult::kAlreadyReviewed:
      return Refusal(request, kAlreadyDone, "出入金流水号" + serial + "已经复核！");
    case AccountBook::ReviewResult::kReviewed: break;
  }
  return OneLine(AcceptedLine(request, {serial}));
}

}  // namespace simbackend
