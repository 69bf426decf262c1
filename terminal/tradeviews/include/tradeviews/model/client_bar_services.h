// The query bars' services in the running terminal: the back-end client's
// operations, the order submission, the order dock's form as the main frame
// registers it, the program log, and the order settings record found in the
// settings registry. No toolkit.
#pragma once

#include "client/order_settings.h"
#include "tradeviews/model/bar_services.h"
#include "ui/view_context.h"

namespace tradeviews {

class ClientBarServices final : public BarServices {
 public:
  // The context's objects outlive the services.
  explicit ClientBarServices(const ui::ViewContext& context);

  engine::COperationEngine& Engine() override { return *context_.engine; }
  BarSettings Settings() const override;
  std::string FirstAccountCode() const override;
  bool DeleteOrder(std::string_view customer, std::string_view orderNo, std::string_view seat,
                   std::string_view orderSeat, std::string& message) override;
  bool DeleteAllOrder(std::string_view customer, const backend::CGlobalStringList& orderNos,
                      const backend::CGlobalStringList& seats, const backend::CGlobalStringList& orderSeats,
                      std::string& message) override;
  bool QueryFunds(std::string_view customer, std::string& message) override;
  bool GetQuote(std::string_view exchangeCode, std::string_view contractCode, backend::QuoteRecord& quote) override;
  void SubmitOrder(const backend::CGlobalStringList& list) override;
  void SubmitReverseOrder(const backend::CGlobalStringList& list) override;
  void SubmitChangePriceOrder(const backend::CGlobalStringList& list) override;
  void FillOrderForm(const order_module::OrderRecord& record) override;
  void WriteLog(std::string_view line) override;

 private:
  ui::ViewContext context_;
  // The order settings record the shell registers; null before it does.
  const client::OrderSettings* settings_;
};

}  // namespace tradeviews
