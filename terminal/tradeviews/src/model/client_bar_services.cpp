#include "tradeviews/model/client_bar_services.h"

#include "backend/account_table.h"
#include "backend/program_log.h"
#include "client/account_queries.h"
#include "client/async_operations.h"
#include "client/quote_operations.h"
#include "client/settings_registry.h"
#include "order_module/order_submission.h"
#include "ui/order_form.h"
#include "ui/view_receivers.h"

namespace tradeviews {
namespace {

// The record both order-entry areas share, by the name of the first.
const client::OrderSettings* OrderSettingsOf(const client::ConfigRegistry* registry) {
  if (registry == nullptr) return nullptr;
  for (const client::ConfigEntry& entry : registry->Entries()) {
    if (entry.Name() == "EntrustParamSetCommon") return static_cast<const client::OrderSettings*>(entry.data);
  }
  return nullptr;
}

}  // namespace

ClientBarServices::ClientBarServices(const ui::ViewContext& context)
    : context_(context), settings_(OrderSettingsOf(context.settings)) {}

BarSettings ClientBarServices::Settings() const {
  if (settings_ == nullptr) return {};
  return {.priceLevel = settings_->PriceLevel,
          .confirmCancel = settings_->DelOrderAffirmBox != 0,
          .doubleClickSendsClose = settings_->DBClickCloseOrder != 0};
}

std::string ClientBarServices::FirstAccountCode() const {
  return std::string(backend::TheAccountTable().GetFirstAccountCode());
}

bool ClientBarServices::DeleteOrder(std::string_view customer, std::string_view orderNo, std::string_view seat,
                                    std::string_view orderSeat, std::string& message) {
  return client::DeleteOrder(customer, orderNo, seat, orderSeat, message);
}

bool ClientBarServices::DeleteAllOrder(std::string_view customer, const backend::CGlobalStringList& orderNos,
                                       const backend::CGlobalStringList& seats,
                                       const backend::CGlobalStringList& orderSeats, std::string& message) {
  return client::DeleteAllOrder(customer, orderNos, seats, orderSeats, message);
}

bool ClientBarServices::QueryFunds(std::string_view customer, std::string& message) {
  return client::QueryFunds(customer, message);
}

bool ClientBarServices::GetQuote(std::string_view exchangeCode, std::string_view contractCode,
                                 backend::QuoteRecord& quote) {
  std::string message;
  return client::GetQuoteOrQuery(exchangeCode, contractCode, quote, message);
}

void ClientBarServices::SubmitOrder(const backend::CGlobalStringList& list) {
  if (context_.orders != nullptr) context_.orders->SubmitOrder(list);
}

void ClientBarServices::SubmitReverseOrder(const backend::CGlobalStringList& list) {
  if (context_.orders != nullptr) context_.orders->SubmitReverseOrder(list);
}

void ClientBarServices::SubmitChangePriceOrder(const backend::CGlobalStringList& list) {
  if (context_.orders != nullptr) context_.orders->SubmitChangePriceOrder(list);
}

void ClientBarServices::FillOrderForm(const order_module::OrderRecord& record) {
  if (context_.receivers == nullptr) return;
  if (ui::OrderForm* form = context_.receivers->Form()) form->FillFromOrderRecord(record);
}

void ClientBarServices::WriteLog(std::string_view line) {
  backend::WriteLogLine(backend::kLogNote, std::string(line).c_str());
}

}  // namespace tradeviews
