// The request hooks: the busy guard, the sends, the local fee-rate answer
// and the routing of answers to the updates of the engine's tables.
#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "engine/operation_engine.h"
#include "protocol/function_numbers.h"

namespace engine {
namespace {

namespace fn = protocol::function_no;

constexpr std::string_view kNotStartedText = "计算前移未初始化！";

// The longest texts taken from a request.
constexpr std::size_t kFeeRateKeyLength = 29;
constexpr std::size_t kStoredOrderNoLength = 29;
// Fields 9 to 19 of a stored-order change, each cut to the width of the
// stored-order field it fills, terminator included.
constexpr std::array<std::size_t, 11> kStoredOrderChangeWidths{16, 4, 16, 16, 32, 2, 2, 2, 8, 16, 8};
constexpr int kStoredOrderChangeFirstField = 9;
constexpr int kStoredOrderNoField = 9;

// The answers whose lines change the engine's tables. An account-changing
// request is refused while the engine downloads, however it is sent, and its
// answers are applied; a table load is refused and its answer applied only
// when it is sent asynchronously.
enum class AnswerKind { kAccountChange, kTableLoad };

// One answered sub-request to apply.
struct AnswerToApply {
  const backend::SubRequest& subRequest;
  backend::CxDataSetView lines;
  // The customer of the slot the request went on.
  std::string_view customer;
  bool deliverAtOnce;
};

// Appliers of the updates that take the answer's lines, with the customer
// and the delivery flag or alone.
template <auto update>
void ApplyForCustomer(COperationEngine& engine, const AnswerToApply& answer) {
  (engine.*update)(answer.customer, answer.lines, answer.deliverAtOnce);
}
template <auto update>
void ApplyLines(COperationEngine& engine, const AnswerToApply& answer) {
  (engine.*update)(answer.lines);
}

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

struct COperationEngine::AnswerRoute {
  AnswerKind kind;
  void (*apply)(COperationEngine& engine, const AnswerToApply& answer);
};

const COperationEngine::AnswerRoute* COperationEngine::FindAnswerRoute(int functionNo) {
  using enum AnswerKind;
  using Engine = COperationEngine;
  static const std::map<int, AnswerRoute> routes{
      {fn::kQueryFunds, {kAccountChange, ApplyForCustomer<&Engine::ApplyFundAnswer>}},
      {fn::kSendOrder, {kAccountChange, ApplyForCustomer<&Engine::ApplyOrderAnswer>}},
      {fn::kCancelOrder, {kAccountChange, ApplyForCustomer<&Engine::ApplyCancelAnswer>}},
      {fn::kSendOptionsExerciseOrder, {kAccountChange, ApplyForCustomer<&Engine::OnExerciseOrderAnswer>}},
      {fn::kCancelOptionsExerciseOrder, {kAccountChange, ApplyForCustomer<&Engine::OnExerciseCancelAnswer>}},
      {fn::kSendSpecialOrder, {kAccountChange, ApplyForCustomer<&Engine::ApplySpecialOrderAnswer>}},
      {fn::kCancelSpecialOrder, {kAccountChange, ApplyForCustomer<&Engine::ApplySpecialCancelAnswer>}},
      // A stored-order change takes its fields from the request; a delete
      // and a send name their stored order there.
      {fn::kChangeStoredOrder,
       {kAccountChange,
        [](Engine& engine, const AnswerToApply& answer) {
          std::vector<std::string> fields;
          for (std::size_t k = 0; k < kStoredOrderChangeWidths.size(); ++k) {
            fields.push_back(RequestField(answer.subRequest, kStoredOrderChangeFirstField + static_cast<int>(k),
                                          kStoredOrderChangeWidths[k] - 1));
          }
          engine.ApplyStoredOrderChange(answer.customer, fields);
        }}},
      {fn::kAddStoredOrder,
       {kAccountChange,
        [](Engine& engine, const AnswerToApply& answer) {
          engine.ApplyStoredOrderAdd(answer.customer, answer.lines);
        }}},
      {fn::kDeleteStoredOrder,
       {kAccountChange,
        [](Engine& engine, const AnswerToApply& answer) {
          engine.ApplyStoredOrderDelete(answer.customer,
                                        RequestField(answer.subRequest, kStoredOrderNoField, kStoredOrderNoLength));
        }}},
      {fn::kSendStoredOrder,
       {kAccountChange,
        [](Engine& engine, const AnswerToApply& answer) {
          engine.ApplyStoredOrderSend(answer.customer, answer.lines,
                                      RequestField(answer.subRequest, kStoredOrderNoField, kStoredOrderNoLength));
        }}},
      {fn::kSendProfitLossOrder, {kAccountChange, ApplyLines<&Engine::ApplyProfitLossOrderAdd>}},
      {fn::kQueryProfitLossOrders,
       {kTableLoad,
        [](Engine& engine, const AnswerToApply& answer) {
          engine.LoadProfitLossOrders(answer.lines);
          engine.RaiseChange(TableChangeRecord::Reload(table_id::kProfitLossOrders), answer.deliverAtOnce);
        }}},
      {fn::kChangeProfitLossOrder, {kAccountChange, ApplyLines<&Engine::ApplyProfitLossOrderChange>}},
      {fn::kDeleteProfitLossOrder, {kAccountChange, ApplyLines<&Engine::ApplyProfitLossOrderDelete>}},
      {fn::kSendConditionOrder, {kAccountChange, ApplyLines<&Engine::ApplyConditionOrderAnswer>}},
      {fn::kQueryConditionOrders,
       {kTableLoad,
        [](Engine& engine, const AnswerToApply& answer) {
          engine.LoadConditionOrders(answer.lines);
          engine.RaiseChange(TableChangeRecord::Reload(table_id::kConditionOrders), answer.deliverAtOnce);
        }}},
      {fn::kChangeConditionOrder, {kAccountChange, ApplyLines<&Engine::ApplyConditionOrderChange>}},
      {fn::kCancelConditionOrder, {kAccountChange, ApplyLines<&Engine::ApplyConditionOrderCancel>}},
      {fn::kUpdateConditionOrderState, {kAccountChange, ApplyLines<&Engine::ApplyConditionOrderState>}},
  };
  const auto route = routes.find(functionNo);
  return route == routes.end() ? nullptr : &route->second;
}

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
  if (functionNo == fn::kQueryFeeRate) {
    AnswerFeeRateLocally(record);
    return true;
  }
  const AnswerRoute* route = FindAnswerRoute(functionNo);
  if (route == nullptr || route->kind != AnswerKind::kAccountChange) return SendSync(record, error);
  if (!CheckBusy(error) || !SendSync(record, error)) return false;
  // The request went out: its caller sees the outcome in the record. A
  // download that began meanwhile brings what the answer tells.
  std::lock_guard applying(applyLock_);
  if (engineState_.load() == EngineState::kReady) ApplyAnswers(record, *route, false);
  return true;
}

int COperationEngine::SendRequestAsync(backend::RequestPtr& record, std::string& error) {
  if (!record) return -1;
  const int functionNo = FunctionOf(*record);
  if (functionNo == fn::kQueryFeeRate) {
    if (!CheckBusy(error)) return -1;
    AnswerFeeRateLocally(*record);
    return 1;
  }
  if (FindAnswerRoute(functionNo) != nullptr && !CheckBusy(error)) return -1;
  return SendAsync(record, error) ? 0 : -1;
}

void COperationEngine::OnAsyncAnswer(const backend::RequestRecord& record) {
  std::lock_guard applying(applyLock_);
  const AnswerRoute* route = FindAnswerRoute(FunctionOf(record));
  if (route == nullptr || engineState_.load() != EngineState::kReady) return;
  ApplyAnswers(record, *route, true);
}

void COperationEngine::OnPushData(const backend::RequestRecord& record) {
  for (std::uint32_t index = 0; index < backend::PushLineCount(record); ++index) {
    const std::string_view line = backend::PushLineAt(record, index);
    OnPushData(line, backend::PushCodeOf(line));
  }
}

void COperationEngine::OnPushData(std::string_view line, std::optional<int> pushCode) {
  ApplyOrHoldPush(line, pushCode);
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

void COperationEngine::ApplyAnswers(const backend::RequestRecord& record, const AnswerRoute& route,
                                    bool deliverAtOnce) {
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
    const backend::SubRequest& subRequest = *record.At(index);
    route.apply(*this, {subRequest, subRequest.answer.View(), customer, deliverAtOnce});
  }
}

}  // namespace engine
