#include "client/operation_frame.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "backend/request_queue.h"
#include "backend/sequence_number.h"
#include "backend/transport.h"
#include "engine/operation_engine.h"

namespace client {
namespace {

std::atomic<engine::COperationEngine*> installedEngine{nullptr};

constexpr int kCountField = 5;
constexpr int kErrorTextField = 6;
// The field of the log-in answer that slot 0's requests carry.
constexpr int kLoginValueField = 9;
// The numeric answer routines read their field through a 16-byte buffer.
constexpr std::size_t kNumberFieldWidth = 16;

int NumberField(std::string_view line, int n) {
  return backend::ParseDecimal(FieldOf(line, n, kNumberFieldWidth)).value_or(0);
}

// Checks sub-request 0's answer of a sent record; the record when it passed.
backend::RequestPtr Checked(backend::RequestPtr record, std::string& message) {
  if (!record || backend::CheckReplyResult(0, message, record.get()) != 0) return nullptr;
  return record;
}

}  // namespace

void InstallOperationEngine(engine::COperationEngine* engine) { installedEngine.store(engine); }

engine::COperationEngine* TheOperationEngine() { return installedEngine.load(); }

backend::AccountKey NamedAccount(std::string_view customerNo) {
  backend::AccountKey key;
  backend::TheAccountTable().CopyAccountKey(customerNo, key);
  return key;
}

backend::AccountKey SlotAccount(int slot) {
  backend::AccountKey key;
  backend::TheAccountTable().CopyAccountKeyBySlot(slot, key);
  return key;
}

backend::AccountKey FirstTradingAccount() {
  return SlotAccount(backend::GetLoginType() == backend::kTradingLogin ? 0 : 1);
}

std::string SlotZeroLoginValue() {
  const backend::AccountRecord* account = backend::TheAccountTable().FindAccountBySlot(0);
  return account == nullptr ? std::string() : std::string(account->Field(kLoginValueField));
}

OperationParameters::OperationParameters(const backend::AccountKey& signer) {
  Add(kReservedLeadingText);
  Add(kApplicationTag);
  Add({signer.customerNo, strnlen(signer.customerNo, sizeof signer.customerNo)});
  Add({signer.password, strnlen(signer.password, sizeof signer.password)});
}

OperationParameters& OperationParameters::Add(std::string_view text) {
  if (!list_.AddText(text)) complete_ = false;
  return *this;
}

backend::RequestPtr BuildOperationRequest(const Operation& operation, int slot, const OperationParameters& parameters,
                                          std::string& message, int subRequestCount) {
  if (!parameters.Complete()) {
    message = std::string(operation.title) + "时，增加请求命令失败！";
    return nullptr;
  }
  return backend::BuildRequestCommand(operation.title, subRequestCount, slot, operation.priority, operation.handlerTag,
                                      backend::LocalMachineAddress(), backend::GetNextSequenceNo(),
                                      operation.functionNo, operation.singlePacket, parameters.List(), message);
}

backend::RequestPtr SendSyncRequest(const Operation& operation, int slot, const OperationParameters& parameters,
                                    std::string& message) {
  engine::COperationEngine* engine = TheOperationEngine();
  if (engine == nullptr) {
    message = kEngineMissingText;
    return nullptr;
  }
  backend::RequestPtr record = BuildOperationRequest(operation, slot, parameters, message);
  if (!record || !engine->SendRequest(*record, message)) return nullptr;
  return record;
}

backend::RequestPtr RunSync(const Operation& operation, int slot, const OperationParameters& parameters,
                            std::string& message) {
  return Checked(SendSyncRequest(operation, slot, parameters, message), message);
}

backend::RequestPtr RunDirect(const Operation& operation, int slot, const OperationParameters& parameters,
                              std::string& message) {
  backend::RequestPtr record = BuildOperationRequest(operation, slot, parameters, message);
  if (!record || !backend::ExecuteRequest(*record, message)) return nullptr;
  return Checked(std::move(record), message);
}

bool SendAsync(backend::RequestPtr record, std::string& message) {
  engine::COperationEngine* engine = TheOperationEngine();
  if (engine == nullptr) {
    message = kEngineMissingText;
    return false;
  }
  const std::string title = record ? record->title : "";
  switch (engine->SendRequestAsync(record, message)) {
    case 0: return true;
    case 1:
      // Answered by the engine itself: it comes back as though the back end
      // had answered.
      if (backend::PostToResultQueue(std::move(record))) return true;
      message = title + "时，增加请求命令失败！";
      return false;
    default: return false;
  }
}

bool RunAsync(const Operation& operation, int slot, const OperationParameters& parameters, std::string& message) {
  backend::RequestPtr record = BuildOperationRequest(operation, slot, parameters, message);
  return record && SendAsync(std::move(record), message);
}

std::string_view StatusLine(const backend::RequestRecord& record) { return AnswerRow(record, 0); }

std::string_view AnswerRow(const backend::RequestRecord& record, int row) {
  const backend::SubRequest* first = record.At(0);
  if (first == nullptr || row < 0) return {};
  return backend::AnswerLine(*first, static_cast<std::size_t>(row));
}

int AnswerRowCount(const backend::RequestRecord& record) {
  const backend::SubRequest* first = record.At(0);
  if (first == nullptr || first->answer.GetCount() == 0) return 0;
  const int rowsHeld = static_cast<int>(first->answer.GetCount() - 1);
  return std::clamp(GetReplyPacketCount(StatusLine(record)), 0, rowsHeld);
}

std::string FieldOf(std::string_view line, int n, std::size_t width) {
  if (width == 0) return {};
  std::string text(width, '\0');
  backend::GetSeparatedField(n, line, backend::kFieldSeparator, text.data(), text.size());
  text.resize(std::strlen(text.c_str()));
  return text;
}

bool CheckLoginAnswer(std::string_view statusLine, std::string& message) {
  if (backend::GetAnswerStatus(statusLine) == backend::AnswerStatus::kDone) return true;
  message = "[" + backend::GetSeparatedFieldText(kCountField, statusLine) + "]" +
            backend::GetSeparatedFieldText(kErrorTextField, statusLine);
  return false;
}

int GetReplyPacketCount(std::string_view statusLine) { return NumberField(statusLine, kCountField); }

int GetPushCode(std::string_view line) { return backend::PushCodeOf(line).value_or(0); }

}  // namespace client
