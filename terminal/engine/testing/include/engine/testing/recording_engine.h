// The opened engine whose answer updates, local fee-rate answers and pushed
// lines are recorded instead of applied, so that a test sees where each
// request and push is routed.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/testing/open_engine.h"

namespace engine_testing {

// One call of an answer update that the engine routed.
struct AppliedAnswer {
  std::string update;
  std::string customer;
  std::vector<std::string> texts;  // answer lines, or request fields
  bool deliverAtOnce = false;
};

class RecordingEngine : public OpenEngine {
 public:
  // The download thread calls virtual members: it stops before this class
  // goes, so that no base destructor changes the object under it.
  ~RecordingEngine() override { StopDownloadThread(); }
  std::vector<AppliedAnswer> applied;
  std::vector<std::string> pushLines;
  // Runs inside the order answer update (5011), under the engine lock.
  std::function<void(bool deliverAtOnce)> onOrderAnswer;
  // The text the local fee-rate answer adds.
  std::string feeRateAnswer = "A|||Y||";

 protected:
  using View = backend::CxDataSetView;
  void ApplyFundAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) override;
  void ApplyOrderAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) override;
  void ApplyCancelAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) override;
  void OnExerciseOrderAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) override;
  void OnExerciseCancelAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) override;
  void ApplySpecialOrderAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) override;
  void ApplySpecialCancelAnswer(std::string_view customer, const View& answer, bool deliverAtOnce) override;
  void ApplyStoredOrderChange(std::string_view customer, std::span<const std::string> fields) override;
  void ApplyStoredOrderAdd(std::string_view customer, const View& answer) override;
  void ApplyStoredOrderDelete(std::string_view customer, std::string_view storedOrderNo) override;
  void ApplyStoredOrderSend(std::string_view customer, const View& answer, std::string_view storedOrderNo) override;
  void ApplyProfitLossOrderAdd(const View& answer) override;
  void ApplyProfitLossOrderChange(const View& answer) override;
  void ApplyProfitLossOrderDelete(const View& answer) override;
  void ApplyConditionOrderAnswer(const View& answer) override;
  void ApplyConditionOrderChange(const View& answer) override;
  void ApplyConditionOrderCancel(const View& answer) override;
  void ApplyConditionOrderState(const View& answer) override;
  void LoadProfitLossOrders(const View& answer) override;
  void LoadConditionOrders(const View& answer) override;
  void LocalFeeRateAnswer(std::string_view exchangeCode, std::string_view seatCode, std::string_view contractCode,
                          std::string_view customer, backend::CxDataSet& answer) override;
  using COperationEngine::OnPushLine;
  void OnPushLine(std::string_view line, std::optional<int> pushCode) override;

 private:
  void Record(std::string update, std::string_view customer, std::vector<std::string> texts, bool deliverAtOnce);
  void RecordAnswer(std::string update, std::string_view customer, const View& answer, bool deliverAtOnce);
};

}  // namespace engine_testing
