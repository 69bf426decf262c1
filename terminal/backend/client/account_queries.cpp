#include "client/account_queries.h"

#include "backend/field_text.h"
#include "client/function_numbers.h"
#include "client/operation_frame.h"

namespace client {
namespace {

constexpr Operation kFundsQuery{
    .title = "查询资金", .functionNo = function_no::kQueryFunds, .priority = 1, .singlePacket = true};
constexpr Operation kSystemDateQuery{
    .title = "查询系统日期", .functionNo = function_no::kQuerySystemDate, .singlePacket = true};
constexpr Operation kSeatTimeDifferenceQuery{.title = "查询席位时差",
                                             .functionNo = function_no::kQuerySeatTimeDifference};

}  // namespace

bool QueryFunds(std::string_view customerNo, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  parameters.Add("");
  return RunSync(kFundsQuery, signer.slot, parameters, message) != nullptr;
}

bool QuerySystemDate(SystemDate& systemDate, std::string& message) {
  const backend::AccountKey signer = FirstTradingAccount();
  const backend::RequestPtr record = RunSync(kSystemDateQuery, signer.slot, OperationParameters(signer), message);
  if (!record) return false;
  const std::string_view status = StatusLine(*record);
  systemDate.date = backend::GetSeparatedFieldText(6, status);
  systemDate.time = backend::GetSeparatedFieldText(10, status);
  systemDate.tradingDate = backend::GetSeparatedFieldText(5, status);
  return true;
}

backend::RequestPtr QuerySeatTimeDifference(std::string& message) {
  const backend::AccountKey signer = FirstTradingAccount();
  OperationParameters parameters(signer);
  parameters.Add("");
  return RunSync(kSeatTimeDifferenceQuery, signer.slot, parameters, message);
}

}  // namespace client
