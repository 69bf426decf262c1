#include "engine/testing/recording_engine.h"

#include <mutex>
#include <utility>

namespace engine_testing {

void RecordingEngine::ApplyFundAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) {
  RecordAnswer("fund", customer, answer, deliverAtOnce);
}
void RecordingEngine::ApplyOrderAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) {
  std::lock_guard guard(lock_);
  RecordAnswer("order", customer, answer, deliverAtOnce);
  if (onOrderAnswer) onOrderAnswer(deliverAtOnce);
}
void RecordingEngine::ApplyCancelAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) {
  RecordAnswer("cancel", customer, answer, deliverAtOnce);
}
void RecordingEngine::OnExerciseOrderAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) {
  RecordAnswer("exercise order", customer, answer, deliverAtOnce);
}
void RecordingEngine::OnExerciseCancelAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) {
  RecordAnswer("exercise cancel", customer, answer, deliverAtOnce);
}
void RecordingEngine::ApplySpecialOrderAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) {
  RecordAnswer("special order", customer, answer, deliverAtOnce);
}
void RecordingEngine::ApplySpecialCancelAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) {
  RecordAnswer("special cancel", customer, answer, deliverAtOnce);
}
void RecordingEngine::ApplyStoredOrderChange(std::string_view customer, std::span<const std::string> fields) {
  Record("stored order change", customer, {fields.begin(), fields.end()}, false);
}
void RecordingEngine::ApplyStoredOrderAdd(std::string_view customer, const View& answer) {
  RecordAnswer("stored order add", customer, answer, false);
}
void RecordingEngine::ApplyStoredOrderDelete(std::string_view customer, std::string_view storedOrderNo) {
  Record("stored order delete", customer, {std::string(storedOrderNo)}, false);
}
void RecordingEngine::ApplyStoredOrderSend(std::string_view customer, const View&, std::string_view storedOrderNo) {
  Record("stored order send", customer, {std::string(storedOrderNo)}, false);
}
void RecordingEngine::ApplyProfitLossOrderAdd(const View& answer) {
  RecordAnswer("profit/loss add", "", answer, false);
}
void RecordingEngine::ApplyProfitLossOrderChange(const View& answer) {
  RecordAnswer("profit/loss change", "", answer, false);
}
void RecordingEngine::ApplyProfitLossOrderDelete(const View& answer) {
  RecordAnswer("profit/loss delete", "", answer, false);
}
void RecordingEngine::ApplyConditionOrderAnswer(const View& answer) {
  RecordAnswer("condition add", "", answer, false);
}
void RecordingEngine::ApplyConditionOrderChange(const View& answer) {
  RecordAnswer("condition change", "", answer, false);
}
void RecordingEngine::ApplyConditionOrderCancel(const View& answer) {
  RecordAnswer("condition cancel", "", answer, false);
}
void RecordingEngine::ApplyConditionOrderState(const View& answer) {
  RecordAnswer("condition state", "", answer, false);
}
void RecordingEngine::LoadProfitLossOrders(const View& answer) { RecordAnswer("profit/loss load", "", answer, false); }
void RecordingEngine::LoadConditionOrders(const View& answer) { RecordAnswer("condition load", "", answer, false); }

void RecordingEngine::LocalFeeRateAnswer(std::string_view exchangeCode, std::string_view seatCode,
                                         std::string_view contractCode, std::string_view customer,
                                         backend::CxDataSet& answer) {
  Record("local fee rate", customer, {std::string(exchangeCode), std::string(seatCode), std::string(contractCode)},
         false);
  answer.AddText(feeRateAnswer);
}

void RecordingEngine::OnPushLine(std::string_view line, std::optional<int>) { pushLines.emplace_back(line); }

void RecordingEngine::Record(std::string update, std::string_view customer, std::vector<std::string> texts,
                             bool deliverAtOnce) {
  applied.push_back({std::move(update), std::string(customer), std::move(texts), deliverAtOnce});
}

void RecordingEngine::RecordAnswer(std::string update, std::string_view customer, const View& answer,
                                   bool deliverAtOnce) {
  std::vector<std::string> lines;
  for (std::uint32_t index = 0; index < answer.GetCount(); ++index) {
    lines.emplace_back(reinterpret_cast<const char*>(answer.GetDataPtr(index)));
  }
  Record(std::move(update), customer, std::move(lines), deliverAtOnce);
}

}  // namespace engine_testing
