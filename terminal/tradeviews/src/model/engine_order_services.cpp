#include "tradeviews/model/engine_order_services.h"

#include "backend/account_table.h"
#include "backend/program_log.h"

namespace tradeviews {

bool EngineOrderServices::QueryContracts(backend::CxDataSet& rows) {
  rows = backend::CxDataSet();
  return engine::EngineQueryContracts(engine_, rows, false);
}

bool EngineOrderServices::ContractTradingCode(std::string_view customerNo, std::string_view contractCode,
                                              std::string_view hedge, client::ContractTradingCode& code,
                                              std::string& message) {
  return client::GetContractTradingCode(customerNo, contractCode, hedge, code, message);
}

std::string EngineOrderServices::ContractExchange(std::string_view contractCode) {
  std::string error;
  std::string exchange;
  return engine::GetContractExchange(engine_, contractCode, error, exchange) ? exchange : std::string();
}

std::string EngineOrderServices::ExchangeCode(std::string_view exchangeId) {
  std::string code;
  return engine::GetExchangeCode(engine_, exchangeId, code) ? code : std::string();
}

bool EngineOrderServices::CloseTodaySupported(std::string_view exchangeId) {
  return engine::IsCloseTodaySupported(engine_, exchangeId, "");
}

double EngineOrderServices::PriceTick(std::string_view contractCode) {
  return engine::GetPriceTick(engine_, contractCode);
}

bool EngineOrderServices::PriceOnTick(std::string_view contractCode, std::string_view price) {
  return engine::CheckPriceTick(engine_, contractCode, price);
}

bool EngineOrderServices::ClosableVolume(engine::QuantityRecord& record, std::string& error) {
  return engine::GetClosableVolume(engine_, record, false, error);
}

std::vector<std::string> EngineOrderServices::Customers() {
  std::vector<backend::AccountKey> keys;
  backend::TheAccountTable().GetAccountList(keys);
  std::vector<std::string> customers;
  for (const backend::AccountKey& key : keys) customers.emplace_back(engine::Text(key.customerNo));
  return customers;
}

std::string EngineOrderServices::FirstCustomer() {
  const backend::AccountRecord* account = backend::TheAccountTable().FindAccountBySlot(0);
  return account == nullptr ? std::string() : std::string(engine::Text(account->key.customerNo));
}

bool EngineOrderServices::SubmitOrder(const backend::CGlobalStringList& fields) {
  return submission_.SubmitOrder(fields);
}

void EngineOrderServices::LogUserAction(std::string_view text) {
  backend::WriteLogLine(backend::kLogNote, std::string(text).c_str());
}

}  // namespace tradeviews
