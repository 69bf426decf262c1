// The request hooks: the busy guard, the sends, the local fee-rate answer
// and the routing of answers to the updates of the engine's tables.
#include <algorithm>
#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "engine/operation_engine.h"

namespace engine {
namespace {

constexpr int kFeeRateQuery = 5016;

// Requests that change the account: refused while the engine downloads, and
// their answers applied to the engine's tables.
constexpr std::array kAccountChangingFunctions{5002, 5011, 5012, 5240, 5241, 5321, 5322, 5460, 5464,
                                               5466, 5467, 5473, 5475, 5476, 5477, 5479, 5480, 5481};
// Asynchronous queries whose answers reload a table.
constexpr std::array kAsyncTableLoads{5474, 5478};

constexpr std::string_view kNotStartedText = "计算前移未初始化！";

// The longest texts taken from a request.
constexpr std::size_t kFeeRateKeyLength = 29;
constexpr std::size_t kStoredOrderNoLength = 29;
// Fields 9 to 19 of a stored-order change (5460), each cut to the width of
// the stored-order field it fills, terminator included.
constexpr std::array<std::size_t, 11> kStoredOrderChangeWidths{16, 4, 16, 16, 32, 2, 2, 2, 8, 16, 8};
constexpr int kStoredOrderChangeFirstField = 9;

bool Contains(std::span<const int> functions, int functionNo) {
  return std::find(functions.begin(), functions.end(), functionNo) != functions.end();
}

bool IsAccountChanging(int functionNo) { return Contains(kAccountChangingFunctions, functionNo); }

bool IsAsyncApplied(int functionNo) { return IsAccountChanging(functionNo) || Contains(kAsyncTableLoads, functionNo); }

int FunctionOf(const backend::RequestRecord& record) {
  const backend::SubRequest* first = record.At(0);
  return first == nullptr ? 0 : first->functionNo;
}

// Field n of a request text, at most `maxLength` bytes, cut on a character
// boundary.
std::string RequestField(const backend::SubRequest& subRequest, int n, std::size_t maxLength) {
  std::vector<char> buffer(maxLength + 1);
  backend::GetSeparatedField(n, subRequest.requestText, backend::kFieldSeparator, buffer.data(), buffer.size());
  return buffer.data();
}

}  // namespace

bool COperationEngine::CheckBusy(std::string& error) const {
  switch (engineState_.load()) {
    case EngineState::kReconnectDownload: error = kReconnectBusyText; return false;
    case EngineState::kInitialDownload: error = kInitialDownloadBusyText; return false;
    case EngineState::kReady: break;
  }
  return true;
}

bool COperationEngine::SendRequest(backend::RequestRecord& record, std::string& error) {
  const int functionNo = FunctionOf(record);
  if (functionNo == kFeeRateQuery) {
    AnswerFeeRateLocally(record);
    return true;
  }
  if (!IsAccountChanging(functionNo)) return SendSync(record, error);
  if (!CheckBusy(error) || !SendSync(record, error)) return false;
  // The request went out: its caller sees the outcome in the record. A
  // download that began meanwhile brings what the answer tells.
  std::lock_guard applying(applyLock_);
  if (engineState_.load() == EngineState::kReady) ApplyAnswers(record, false);
  return true;
}

int COperationEngine::SendRequestAsync(backend::RequestPtr& record, std::string& error) {
  if (!record) return -1;
  const int functionNo = FunctionOf(*record);
  if (functionNo == kFeeRateQuery) {
    if (!CheckBusy(error)) return -1;
    AnswerFeeRateLocally(*record);
    return 1;
  }
  if (IsAsyncApplied(functionNo) && !CheckBusy(error)) return -1;
  return SendAsync(record, error) ? 0 : -1;
}

void COperationEngine::OnAsyncAnswer(const backend::RequestRecord& record) {
  std::lock_guard applying(applyLock_);
  if (!IsAsyncApplied(FunctionOf(record)) || engineState_.load() != EngineState::kReady) return;
  ApplyAnswers(record, true);
}

void COperationEngine::OnPushData(const backend::RequestRecord& record) {
  const backend::SubRequest* first = record.At(0);
  if (first == nullptr || first->answer.GetCount() == 0) return;
  ApplyOrHoldPush(backend::AnswerLine(*first, 0));
}

template <typename Callback, typename Record>
bool COperationEngine::Send(const Callback& send, Record& record, std::string& error) {
  if (!send) {
    error = kNotStartedText;
  } else if (send(record, error)) {
    return true;
  }
  WriteLog(error.c_str(), 1);
  return false;
}

bool COperationEngine::SendSync(backend::RequestRecord& record, std::string& error) {
  return Send(sendSync_, record, error);
}

bool COperationEngine::SendAsync(backend::RequestPtr& record, std::string& error) {
  return Send(sendAsync_, record, error);
}

bool COperationEngine::SendSyncChecked(backend::RequestRecord& record, std::string& error) {
  if (!SendSync(record, error)) return false;
  if (record.errorFlag != 0) {
    error = record.errorText;
    return false;
  }
  return backend::CheckReplyResult(0, error, &record) == 0;
}

void COperationEngine::AnswerFeeRateLocally(backend::RequestRecord& record) {
  WriteLog("查询费率(5016)，本地后台联合处理。", 3);
  backend::SubRequest* first = record.At(0);
  if (first == nullptr) return;
  // The request carries the customer's password.
  WriteLog(backend::MaskPasswordFields(first->requestText).c_str(), 3);
  backend::CxDataSet answer;
  LocalFeeRateAnswer(RequestField(*first, 9, kFeeRateKeyLength), RequestField(*first, 10, kFeeRateKeyLength),
                     RequestField(*first, 11, kFeeRateKeyLength), RequestField(*first, 7, kCustomerLength), answer);
  first->answer = std::move(answer);
  ++record.done;
}

void COperationEngine::ApplyAnswers(const backend::RequestRecord& record, bool deliverAtOnce) {
  if (record.errorFlag != 0) {
    WriteLog(record.errorText.c_str(), 1);
    return;
  }
  const std::string customer = CustomerOfSlot(record.connection);
  const int answered = std::min(record.done, record.count);
  for (int index = 0; index < answered; ++index) {
    std::string message;
    if (backend::CheckReplyResult(index, message, &record) != 0) {
      WriteLog(message.c_str(), 1);
      continue;
    }
    ApplyAnswer(FunctionOf(record), *record.At(index), customer, deliverAtOnce);
  }
}

void COperationEngine::ApplyAnswer(int functionNo, const backend::SubRequest& subRequest, std::string_view customer,
                                   bool deliverAtOnce) {
  const backend::CxDataSetView answer = subRequest.answer.View();
  switch (functionNo) {
    case 5002: ApplyFundAnswer(customer, answer, deliverAtOnce); break;
    case 5011: ApplyOrderAnswer(customer, answer, deliverAtOnce); break;
    case 5012: ApplyCancelAnswer(customer, answer, deliverAtOnce); break;
    case 5240: OnExerciseOrderAnswer(customer, answer, deliverAtOnce); break;
    case 5241: OnExerciseCancelAnswer(customer, answer, deliverAtOnce); break;
    case 5321: ApplySpecialOrderAnswer(customer, answer, deliverAtOnce); break;
    case 5322: ApplySpecialCancelAnswer(customer, answer, deliverAtOnce); break;
    case 5460: {
      std::vector<std::string> fields;
      for (std::size_t k = 0; k < kStoredOrderChangeWidths.size(); ++k) {
        fields.push_back(RequestField(subRequest, kStoredOrderChangeFirstField + static_cast<int>(k),
                                      kStoredOrderChangeWidths[k] - 1));
      }
      ApplyStoredOrderChange(customer, fields);
      break;
    }
    case 5464: ApplyStoredOrderAdd(customer, answer); break;
    case 5466: ApplyStoredOrderDelete(customer, RequestField(subRequest, 9, kStoredOrderNoLength)); break;
    case 5467: ApplyStoredOrderSend(customer, answer, RequestField(subRequest, 9, kStoredOrderNoLength)); break;
    case 5473: ApplyProfitLossOrderAdd(answer); break;
    case 5474:
      LoadProfitLossOrders(answer);
      RaiseChange(TableChangeRecord::Reload(table_id::kProfitLossOrders), deliverAtOnce);
      break;
    case 5475: ApplyProfitLossOrderChange(answer); break;
    case 5476: ApplyProfitLossOrderDelete(answer); break;
    case 5477: ApplyConditionOrderAnswer(answer); break;
    case 5478:
      LoadConditionOrders(answer);
      RaiseChange(TableChangeRecord::Reload(table_id::kConditionOrders), deliverAtOnce);
      break;
    case 5479: ApplyConditionOrderChange(answer); break;
    case 5480: ApplyConditionOrderCancel(answer); break;
    case 5481: ApplyConditionOrderState(answer); break;
    default: break;
  }
}

}  // namespace engine
