// What the back end tells its customers besides their business: the notice
// board's bulletins, the important notices of the login, the time
// differences of the exchanges' seats and the key of the monitoring
// centre's investor-service site.
#include <cstdio>

#include "functions.h"
#include "record_kinds.h"

namespace simbackend {
namespace {

// 5017
constexpr std::size_t kLevelParameter = 5;
constexpr std::size_t kFirstDateParameter = 7;
constexpr std::size_t kLastDateParameter = 8;

constexpr const char* kBulletinSender = "交易部";
// The futures company whose customers the monitoring centre knows.
constexpr const char* kCompanyId = "8888";
// The key's password travels in three parts.
constexpr std::size_t kKeyPartLength = 6;

bool AddressedTo(const std::string& addressee, const std::string& customer) {
  return addressee.empty() || addressee == customer;
}

// A one-time password of a key: its digits change with the customer, the
// key and the day, and repeat for the same three.
std::string KeyPassword(const std::string& customer, std::int64_t keyId, const std::string& day) {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (const char c : customer + "|" + std::to_string(keyId) + "|" + day) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace

Answer Functions::Bulletins(const Request& request, Session&) {
  const std::string& level = Parameter(request, kLevelParameter);
  const std::string& first = Parameter(request, kFirstDateParameter);
  const std::string& last = Parameter(request, kLastDateParameter);
  if (!level.empty() && !CheckChoice("", level, {"1", "2", "3", "4", "5"}).empty())
    return Refusal(request, kBadParameter, "通知级别'" + level + "'无效！");
  for (const std::string* day : {&first, &last})
    if (!day->empty() && !CheckDate("", *day).empty())
      return Refusal(request, kBadParameter, "查询日期'" + *day + "'应为八位的年月日！");
  const std::string& customer = request.Field(kCustomerField);
  std::vector<std::vector<std::string>> rows;
  for (std::size_t index = 0; index < data_.bulletins.size(); ++index) {
    const Bulletin& b = data_.bulletins[index];
    // Dates of eight digits compare as texts.
    if (!AddressedTo(b.customer, customer) || (!level.empty() && b.level != level) ||
        (!first.empty() && b.date < first) || (!last.empty() && b.date > last))
      continue;
    rows.push_back({b.customer, b.level, std::to_string(index + 1), b.text, b.date, b.time, kBulletinSender, ""});
  }
  return RowsAnswer(request, rows);
}

std::vector<std::string> Functions::NoticesOf(const std::string& customer) const {
  std::vector<std::string> texts;
  for (const ImportantNotice& notice : data_.notices)
    if (AddressedTo(notice.customer, customer)) texts.push_back(notice.text);
  return texts;
}

Answer Functions::ImportantNotices(const Request& request, Session&) {
  std::vector<std::vector<std::string>> rows;
  for (std::string& text : NoticesOf(request.Field(kCustomerField))) rows.push_back({std::move(text)});
  return RowsAnswer(request, rows);
}

Answer Functions::SeatTimeDifferences(const Request& request, Session&) {
  std::vector<std::vector<std::string>> rows;
  for (const Seat& seat : data_.seats) {
    const Exchange& exchange = data_.exchanges[seat.exchange];
    rows.push_back({exchange.id, seat.code, std::to_string(seat.timeDifference), exchange.name});
  }
  return RowsAnswer(request, rows);
}

Answer Functions::MonitorCentreKey(const Request& request, Session&) {
  const std::string& customer = request.Field(kCustomerField);
  const std::int64_t keyId = ++lastKeyId_;
  const std::string password = KeyPassword(customer, keyId, TodayText());
  return OneLine(
      AcceptedLine(request, {customer, kCompanyId, std::to_string(keyId), password.substr(0, kKeyPartLength),
                             password.substr(kKeyPartLength, kKeyPartLength), password.substr(2 * kKeyPartLength)}));
}

}  // namespace simbackend
