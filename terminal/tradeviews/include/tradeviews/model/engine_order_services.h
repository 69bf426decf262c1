// The order panels' services in the running terminal: the engine's tables
// through its query facade, the account table, the program log and the
// order submission. GUI thread only. No toolkit.
#pragma once

#include "order_module/order_submission.h"
#include "tradeviews/model/order_entry.h"

namespace tradeviews {

class EngineOrderServices final : public OrderPanelServices {
 public:
  // Both must outlive the services.
  EngineOrderServices(engine::COperationEngine& engine, order_module::OrderSubmission& submission)
      : engine_(engine), submission_(submission) {}

  bool QueryContracts(backend::CxDataSet& rows) override;
  bool ContractTradingCode(std::string_view customerNo, std::string_view contractCode, std::string_view hedge,
                           client::ContractTradingCode& code, std::string& message) override;
  std::string ContractExchange(std::string_view contractCode) override;
  std::string ExchangeCode(std::string_view exchangeId) override;
  bool CloseTodaySupported(std::string_view exchangeId) override;
  double PriceTick(std::string_view contractCode) override;
  bool PriceOnTick(std::string_view contractCode, std::string_view price) override;
  bool ClosableVolume(engine::QuantityRecord& record, std::string& error) override;
  std::vector<std::string> Customers() override;
  std::string FirstCustomer() override;
  bool SubmitOrder(const backend::CGlobalStringList& fields) override;
  void LogUserAction(std::string_view text) override;

 private:
  engine::COperationEngine& engine_;
  order_module::OrderSubmission& submission_;
};

}  // namespace tradeviews
