#include "client/management_operations.h"

#include "backend/transport.h"
#include "client/operation_frame.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kManagedAccountsQuery{.title = "查询管理账号对应的交易账号",
                                          .functionNo = protocol::function_no::kQueryManagedTradingAccounts};
constexpr Operation kCtpCheckIn{
    .title = "签入到CTP系统", .functionNo = protocol::function_no::kCheckInToCTP, .singlePacket = true};
constexpr Operation kCustomerStatus{
    .title = "客户状态维护", .functionNo = protocol::function_no::kMaintainCustomerStatus, .singlePacket = true};
constexpr Operation kIOMoneyEdit{
    .title = "客户出入金增删改", .functionNo = protocol::function_no::kEditCustomerIOMoney, .singlePacket = true};
constexpr Operation kIOMoneyReview{
    .title = "客户出入金复核", .functionNo = protocol::function_no::kReviewCustomerIOMoney, .singlePacket = true};

constexpr int kSubAccountField = 6;
constexpr std::size_t kSubAccountWidth = 132;
constexpr int kEntryNoField = 5;
constexpr int kCheckInResultField = 7;
constexpr int kCheckInTextField = 8;

// The parameters of a request signed on slot 0 that names the slot-0
// customer again as its first own parameter.
OperationParameters SlotZeroParameters() {
  const backend::AccountKey signer = SlotAccount(0);
  OperationParameters parameters(signer);
  parameters.Add(signer.customerNo);
  return parameters;
}

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

bool CheckInToCTP(std::string_view first, std::string_view second, std::string_view third, std::string& result,
                  std::string& message) {
  OperationParameters parameters = SlotZeroParameters();
  parameters.Add(first)
      .Add(second)
      .Add(third)
      .Add("0")
      .Add(backend::LocalIpAddress())
      .Add(backend::LocalMachineAddress());
  const backend::RequestPtr record = RunSync(kCtpCheckIn, 0, parameters, message);
  if (!record) return false;
  result = backend::GetSeparatedFieldText(kCheckInResultField, StatusLine(*record));
  message = backend::GetSeparatedFieldText(kCheckInTextField, StatusLine(*record));
  return true;
}

bool MaintainCustomerStatus(std::string_view first, std::string_view second, std::string& message) {
  OperationParameters parameters = SlotZeroParameters();
  parameters.Add(first).Add(second);
  return RunSync(kCustomerStatus, 0, parameters, message) != nullptr;
}

bool EditCustomerIOMoney(std::string_view first, std::string_view second, std::string_view third,
                         std::string_view fourth, std::string_view fifth, std::string_view sixth, std::string& entryNo,
                         std::string& message) {
  OperationParameters parameters = SlotZeroParameters();
  parameters.Add(first).Add(second).Add(SlotZeroLoginValue()).Add(third).Add("").Add("1").Add("");
  parameters.Add(fourth).Add(fifth).Add(sixth);
  const backend::RequestPtr record = RunSync(kIOMoneyEdit, 0, parameters, message);
  if (!record) return false;
  entryNo = backend::GetSeparatedFieldText(kEntryNoField, StatusLine(*record));
  return true;
}

bool ReviewCustomerIOMoney(std::string_view entryNo, std::string& message) {
  OperationParameters parameters = SlotZeroParameters();
  parameters.Add(SlotZeroLoginValue()).Add(entryNo);
  return RunSync(kIOMoneyReview, 0, parameters, message) != nullptr;
}

}  // namespace client
