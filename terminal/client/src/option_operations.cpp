#include "client/option_operations.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "backend/field_text.h"
#include "client/operation_frame.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kAbandonApplication{
    .title = "期权放弃执行申请", .functionNo = protocol::function_no::kApplyOptionsAbandon, .singlePacket = true};
constexpr Operation kExerciseOrder{.title = "期权执行放弃委托发送",
                                   .functionNo = protocol::function_no::kSendOptionsExerciseOrder,
                                   .singlePacket = true};
constexpr Operation kExerciseCancel{.title = "撤销期权执行放弃委托[同步]",
                                    .functionNo = protocol::function_no::kCancelOptionsExerciseOrder,
                                    .singlePacket = true};

// The members of an abandon application the request carries (0-based).
constexpr std::size_t kAbandonRequestMembers[] = {4, 6, 12};
constexpr int kFirstAbandonField = 5;
// The exercise order sends six empty texts and the order kind after the
// caller's eight.
constexpr int kExerciseOrderBlanks = 6;
constexpr std::string_view kPlainOrderKind = "A";

// Money as the engine stores it: floor(x * 100 + 0.55) / 100 as "%.2f".
template <std::size_t N>
void SetMoney(char (&member)[N], std::string_view field) {
  const std::string text(field);
  const double rounded = std::floor(std::strtod(text.c_str(), nullptr) * 100 + 0.55) / 100;
  std::snprintf(member, N, "%.2f", rounded);
}

// Answer fields 5 to 15, which both answers place alike.
void FillCommonMembers(std::string_view line, backend::ExerciseOrderRow& row) {
  CopyFieldInto(row.szAccount, line, 5);
  CopyFieldInto(row.szApplicationNo, line, 6);
  CopyFieldInto(row.szExchangeCode, line, 7);
  CopyFieldInto(row.szContractCode, line, 8);
  CopyFieldInto(row.szStateCode, line, 9);
  CopyFieldInto(row.szTexts10[0], line, 10);
  CopyFieldInto(row.szTexts10[1], line, 11);
  CopyFieldInto(row.szLots, line, 12);
  CopyFieldInto(row.szTexts16A[0], line, 13);
  CopyFieldInto(row.szTexts16A[1], line, 14);
  CopyFieldInto(row.szText32, line, 15);
}

void FillSentOrder(std::string_view line, backend::ExerciseOrderRow& row) {
  row = backend::ExerciseOrderRow{};
  FillCommonMembers(line, row);
  for (int k = 0; k < 7; ++k) CopyFieldInto(row.szTexts16B[k], line, 16 + k);
  CopyFieldInto(row.szTexts12A[0], line, 23);
  CopyFieldInto(row.szTexts12A[1], line, 24);
  CopyFieldInto(row.szKey, line, 25);
  for (int k = 0; k < 4; ++k) CopyFieldInto(row.szTexts16C[k], line, 26 + k);
  CopyFieldInto(row.szText12B, line, 30);
  CopyFieldInto(row.szText64, line, 31);
  CopyFieldInto(row.szTexts16D[0], line, 32);
  CopyFieldInto(row.szTexts16D[1], line, 33);
  SetMoney(row.szAmounts[0], backend::GetSeparatedFieldText(34, line));
  SetMoney(row.szAmounts[1], backend::GetSeparatedFieldText(35, line));
  CopyFieldInto(row.szKindFlag, line, 38);
}

void FillCancelledOrder(std::string_view line, backend::ExerciseOrderRow& row) {
  row = backend::ExerciseOrderRow{};
  FillCommonMembers(line, row);
  CopyFieldInto(row.szTexts16B[3], line, 16);
  CopyFieldInto(row.szTexts16B[4], line, 17);
  CopyFieldInto(row.szTexts16B[6], line, 18);
  CopyFieldInto(row.szTexts12A[1], line, 19);
  CopyFieldInto(row.szKey, line, 20);
  CopyFieldInto(row.szTexts16C[0], line, 21);
  CopyFieldInto(row.szText12B, line, 22);
  CopyFieldInto(row.szKindFlag, line, 25);
}

}  // namespace

bool ApplyOptionsAbandon(OptionsAbandonApplication& application, std::string& message) {
  OperationParameters parameters(SlotAccount(0));
  parameters.Add(SlotZeroLoginValue());
  for (const std::size_t member : kAbandonRequestMembers) parameters.Add(application.members[member]);
  const backend::RequestPtr record = RunSync(kAbandonApplication, 0, parameters, message);
  if (!record) return false;
  const std::string_view status = StatusLine(*record);
  for (std::size_t member = 0; member < OptionsAbandonApplication::kMemberCount; ++member) {
    application.members[member] = backend::GetSeparatedFieldText(kFirstAbandonField + static_cast<int>(member), status);
  }
  return true;
}

bool SendOptionsExerciseOrder(const std::array<std::string_view, 8>& texts, std::string_view customerNo,
                              backend::ExerciseOrderRow& row, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  for (const std::string_view text : texts) parameters.Add(text);
  for (int blank = 0; blank < kExerciseOrderBlanks; ++blank) parameters.Add("");
  parameters.Add(kPlainOrderKind);
  const backend::RequestPtr record = RunSync(kExerciseOrder, signer.slot, parameters, message);
  if (!record) return false;
  FillSentOrder(StatusLine(*record), row);
  return true;
}

bool CancelOptionsExerciseOrder(const std::array<std::string_view, 5>& texts, std::string_view customerNo,
                                backend::ExerciseOrderRow& row, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  for (const std::string_view text : texts) parameters.Add(text);
  const backend::RequestPtr record = RunSync(kExerciseCancel, signer.slot, parameters, message);
  if (!record) return false;
  FillCancelledOrder(StatusLine(*record), row);
  return true;
}

}  // namespace client
