// Option exercise and abandon applications.
#include <map>

#include "functions.h"
#include "record_kinds.h"

namespace simbackend {
namespace {

// 5240
constexpr std::size_t kExchangeParameter = 5;
constexpr std::size_t kContractParameter = 6;
constexpr std::size_t kBuySellParameter = 7;
constexpr std::size_t kHedgeParameter = 8;
constexpr std::size_t kLotsParameter = 9;
constexpr std::size_t kTradingCodeParameter = 10;
constexpr std::size_t kSeatParameter = 11;
constexpr std::size_t kTypeParameter = 12;
// 5241
constexpr std::size_t kNumberParameter = 5;
constexpr std::size_t kCancelExchangeParameter = 8;
// 5243
constexpr std::size_t kAbandonExchangeParameter = 6;
constexpr std::size_t kAbandonContractParameter = 7;
constexpr std::size_t kAbandonLotsParameter = 8;

constexpr std::int64_t kMaxLots = 999'999;
// Frozen amounts of an application: none until funds are kept.
constexpr const char* kNoAmount = "0.00";

// The values of an answer's fields from field 5 to `last`, empty where `fields` has none.
std::vector<std::string> AnswerValues(const std::map<std::size_t, std::string>& fields, std::size_t last) {
  std::vector<std::string> values;
  for (std::size_t field = 5; field <= last; ++field) {
    const auto found = fields.find(field);
    values.push_back(found == fields.end() ? std::string() : found->second);
  }
  return values;
}

// Fields 5 to 15, which the answers of 5240 and 5241 share.
std::map<std::size_t, std::string> ApplicationFields(const ExerciseApplication& a) {
  return {{5, a.customer},     {6, a.number},     {7, a.exchange},    {8, a.contract},
          {9, a.state},        {10, a.buySell},   {11, a.hedge},      {12, std::to_string(a.lots)},
          {13, a.tradingCode}, {14, a.orderTime}, {15, a.tradingDate}};
}

std::vector<std::string> SentValues(const ExerciseApplication& a) {
  std::map<std::size_t, std::string> fields = ApplicationFields(a);
  fields.insert({{16, a.seat}, {19, a.cancelTime}, {25, a.orderSeat}, {34, kNoAmount}, {35, kNoAmount}, {38, a.type}});
  return AnswerValues(fields, 38);
}

std::vector<std::string> CancelledValues(const ExerciseApplication& a) {
  std::map<std::size_t, std::string> fields = ApplicationFields(a);
  fields.insert({{16, a.cancelTime}, {20, a.orderSeat}, {25, a.type}});
  return AnswerValues(fields, 25);
}

}  // namespace

Answer Functions::SendExercise(const Request& request, Session&) {
  std::string refusal;
  const Contract* const option =
      FindOption(request, Parameter(request, kExchangeParameter), Parameter(request, kContractParameter), refusal);
  if (option == nullptr) return OneLine(std::move(refusal));
  ExerciseApplication application;
  application.type = Parameter(request, kTypeParameter);
  if (application.type != "1" && application.type != "2")
    return Refusal(request, kBadParameter, "执行类型'" + application.type + "'无效！");
  // Only a long position can be exercised.
  application.buySell = Parameter(request, kBuySellParameter);
  if (application.buySell != "0") return Refusal(request, kBadParameter, "只有买入持仓可以申请执行或放弃执行！");
  application.hedge = Parameter(request, kHedgeParameter);
  if (application.hedge != "0" && application.hedge != "1")
    return Refusal(request, kBadParameter, "投机套保标志'" + application.hedge + "'无效！");
  if (!ParseWholeNumber("", Parameter(request, kLotsParameter), 1, kMaxLots, application.lots).empty())
    return Refusal(request, kBadParameter, "委托手数'" + Parameter(request, kLotsParameter) + "'无效！");
  application.customer = request.Field(kCustomerField);
  application.exchange = data_.ExchangeOf(*option).id;
  application.contract = option->code;
  application.tradingCode = Parameter(request, kTradingCodeParameter);
  application.seat = Parameter(request, kSeatParameter);
  application.orderSeat = application.seat;
  application.tradingDate = TodayText();
  application.orderTime = NowText();
  return OneLine(AcceptedLine(request, SentValues(book_.AddExercise(std::move(application)))));
}

Answer Functions::CancelExercise(const Request& request, Session&) {
  const std::string& number = Parameter(request, kNumberParameter);
  const Exchange* const exchange = data_.FindExchange(Parameter(request, kCancelExchangeParameter));
  ExerciseApplication application;
  const AccountBook::CancelResult result =
      exchange == nullptr
          ? AccountBook::CancelResult::kUnknown
          : book_.CancelExercise(request.Field(kCustomerField), number, exchange->id, NowText(), application);
  switch (result) {
    case AccountBook::CancelResult::kUnknown:
      return Refusal(request, kNoSuchEntry, "期权执行申请" + number + "不存在！");
    case AccountBook::CancelResult::kAlreadyCancelled:
      return Refusal(request, kAlreadyDone, "期权执行申请" + number + "已经撤销！");
    case AccountBook::CancelResult::kCancelled:
      break;
  }
  return OneLine(AcceptedLine(request, CancelledValues(application)));
}

Answer Functions::ApplyAbandon(const Request& request, Session&) {
  std::string refusal;
  const std::string& code = Parameter(request, kAbandonContractParameter);
  if (FindOption(request, Parameter(request, kAbandonExchangeParameter), code, refusal) == nullptr)
    return OneLine(std::move(refusal));
  std::int64_t lots = 0;
  if (!ParseWholeNumber("", Parameter(request, kAbandonLotsParameter), 0, kMaxLots, lots).empty())
    return Refusal(request, kBadParameter, "放弃数量'" + Parameter(request, kAbandonLotsParameter) + "'无效！");
  // Only an option position held can be abandoned, and none is held yet.
  return Refusal(request, kNoPosition, "合约" + code + "没有可放弃执行的持仓！");
}

Answer Functions::AbandonableOptions(const Request& request, Session&) {
  // The options held long whose exercise may be abandoned: none is held yet.
  return OneLine(AcceptedLine(request, {"0"}));
}

}  // namespace simbackend
