#include "client/async_operations.h"

#include <cstdint>
#include <utility>

#include "backend/request_record.h"
#include "backend/sequence_number.h"
#include "backend/transport.h"
#include "cancel_parameters.h"
#include "client/operation_frame.h"
#include "client/shell_services.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kHisIOFundQuery{.title = "查询出入金",
                                    .functionNo = protocol::function_no::kQueryHisIOFund,
                                    .priority = 1,
                                    .handlerTag = kQueryHisIOFundTag};
constexpr Operation kOrderCancel{.title = "撤销委托[异步]",
                                 .functionNo = protocol::function_no::kCancelOrder,
                                 .singlePacket = true,
                                 .handlerTag = kDeleteOrderTag};
constexpr Operation kBatchCancel{.title = "批量撤销委托[异步]",
                                 .functionNo = protocol::function_no::kCancelOrder,
                                 .singlePacket = true,
                                 .handlerTag = kDeleteAllOrderTag};
constexpr Operation kOptionsExerciseQuery{.title = "查询可放弃执行期权",
                                          .functionNo = protocol::function_no::kQueryOptionsExercise,
                                          .handlerTag = kQueryOptionsExerciseTag};

constexpr std::string_view kNoOrdersText = "没有要撤销的委托！";
constexpr std::string_view kUnequalListsText = "撤销委托的委托号、席位号和下单席位个数不一致！";

}  // namespace

bool QueryHisIOFund(std::string_view customerNo, std::string_view first, std::string_view second,
                    std::string_view third, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  parameters.Add(first).Add(second).Add("").Add("").Add(third).Add("");
  return RunAsync(kHisIOFundQuery, signer.slot, parameters, message);
}

bool DeleteOrder(std::string_view customerNo, std::string_view orderNo, std::string_view seatCode,
                 std::string_view orderingSeat, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  return RunAsync(kOrderCancel, signer.slot, CancelParameters(signer, orderNo, seatCode, orderingSeat), message);
}

bool DeleteAllOrder(std::string_view customerNo, const backend::CGlobalStringList& orderNos,
                    const backend::CGlobalStringList& seatCodes, const backend::CGlobalStringList& orderingSeats,
                    std::string& message) {
  const std::uint32_t count = orderNos.GetCount();
  if (count == 0) {
    message = kNoOrdersText;
    return false;
  }
  if (seatCodes.GetCount() != count || orderingSeats.GetCount() != count) {
    message = kUnequalListsText;
    return false;
  }
  const backend::AccountKey signer = NamedAccount(customerNo);
  backend::RequestPtr record =
      BuildOperationRequest(kBatchCancel, signer.slot,
                            CancelParameters(signer, orderNos.GetAt(0), seatCodes.GetAt(0), orderingSeats.GetAt(0)),
                            message, static_cast<int>(count));
  if (!record) return false;
  const std::string machine = backend::LocalMachineAddress();
  for (std::uint32_t index = 1; index < count; ++index) {
    const OperationParameters parameters =
        CancelParameters(signer, orderNos.GetAt(index), seatCodes.GetAt(index), orderingSeats.GetAt(index));
    if (!parameters.Complete() ||
        !backend::AddCancelSubRequest(*record, parameters.List(), machine, backend::GetNextSequenceNo(),
                                      static_cast<int>(index))) {
      message = std::string(kBatchCancel.title) + "时，增加请求命令失败！";
      return false;
    }
  }
  return SendAsync(std::move(record), message);
}

bool QueryOptionsExercise(std::string& message) {
  const backend::AccountKey signer = SlotAccount(0);
  const std::string loginValue = SlotZeroLoginValue();
  OperationParameters parameters(signer);
  parameters.Add(loginValue).Add(loginValue).Add("").Add("").Add("");
  return RunAsync(kOptionsExerciseQuery, signer.slot, parameters, message);
}

}  // namespace client
