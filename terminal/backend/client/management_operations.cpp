#include "client/management_operations.h"

#include "client/function_numbers.h"
#include "client/operation_frame.h"

namespace client {
namespace {

constexpr Operation kManagedAccountsQuery{.title = "查询管理账号对应的交易账号",
                                          .functionNo = function_no::kQueryManagedTradingAccounts};
constexpr int kSubAccountField = 6;
constexpr std::size_t kSubAccountWidth = 132;

}  // namespace

bool QueryManagedTradingAccounts(std::vector<std::string>& subAccounts, std::string& message, int slot) {
  const backend::AccountKey signer = SlotAccount(slot);
  OperationParameters parameters(signer);
  parameters.Add(signer.customerNo).Add("1");
  const backend::RequestPtr record = RunDirect(kManagedAccountsQuery, slot, parameters, message);
  if (!record) return false;
  const int rows = AnswerRowCount(*record);
  for (int row = 1; row <= rows; ++row) {
    subAccounts.push_back(FieldOf(AnswerRow(*record, row), kSubAccountField, kSubAccountWidth));
  }
  return true;
}

}  // namespace client
