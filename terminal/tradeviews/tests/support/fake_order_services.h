// The order panels' services without an engine or a back end: a few
// contracts of the four exchanges, one logged-in customer, and every order
// handed over kept as its texts.
#pragma once

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tradeviews/model/order_entry.h"

namespace tradeviews::testing {

struct FakeContract {
  std::string code;
  std::string exchangeId;
  std::string exchangeCode;
  double tick;
  std::string variety;
};

class FakeOrderServices : public OrderPanelServices {
 public:
  std::vector<FakeContract> contracts = {
      {"cu2105", "A", "sfe", 10, "cu"},
      {"m2109", "B", "dce", 1, "m"},
      {"SR105", "C", "czce", 1, "SR"},
      {"IF2103", "F", "cffex", 0.2, "IF"},
  };
  std::set<std::string> closeTodayExchanges = {"A"};
  std::vector<std::string> customers = {"10001"};
  std::string firstCustomer = "10001";
  // When set, the trade-code look-up fails with this text.
  std::string lookUpFailure;
  engine::QuantityRecord closable{};
  std::vector<std::vector<std::string>> submitted;
  std::vector<std::string> logged;
  std::vector<engine::QuantityRecord> quantityQueries;

  const FakeContract* Find(std::string_view code) const {
    for (const FakeContract& contract : contracts) {
      if (contract.code == code) return &contract;
    }
    return nullptr;
  }

  bool QueryContracts(backend::CxDataSet& rows) override {
    rows = backend::CxDataSet();
    for (const FakeContract& contract : contracts) {
      engine::ReducedContractRow row{};
      engine::SetText(row.szExchangeCode, contract.exchangeId);
      engine::SetText(row.szContractCode, contract.code);
      engine::SetText(row.szContractName, contract.code);
      engine::SetText(row.szVarietyCode, contract.variety);
      engine::SetText(row.szVarietyName, contract.variety);
      std::memcpy(row.priceTick, &contract.tick, sizeof contract.tick);
      rows.AddEntry(nullptr, &row, sizeof row, 0);
    }
    return true;
  }
  bool ContractTradingCode(std::string_view customerNo, std::string_view contractCode, std::string_view,
                           client::ContractTradingCode& code, std::string& message) override {
    const FakeContract* contract = Find(contractCode);
    if (!lookUpFailure.empty() || contract == nullptr) {
      message = lookUpFailure.empty() ? std::string(client::kNoTradeCodeText) : lookUpFailure;
      return false;
    }
    code = {contract->exchangeId, "S" + contract->exchangeId, "T" + std::string(customerNo)};
    return true;
  }
  std::string ContractExchange(std::string_view contractCode) override {
    const FakeContract* contract = Find(contractCode);
    return contract == nullptr ? std::string() : contract->exchangeId;
  }
  std::string ExchangeCode(std::string_view exchangeId) override {
    for (const FakeContract& contract : contracts) {
      if (contract.exchangeId == exchangeId) return contract.exchangeCode;
    }
    return {};
  }
  bool CloseTodaySupported(std::string_view exchangeId) override {
    return exchangeId.empty() ? !closeTodayExchanges.empty() : closeTodayExchanges.count(std::string(exchangeId)) != 0;
  }
  double PriceTick(std::string_view contractCode) override {
    const FakeContract* contract = Find(contractCode);
    return contract == nullptr ? 1 : contract->tick;
  }
  // As the engine checks: price and tick in thousandths.
  bool PriceOnTick(std::string_view contractCode, std::string_view price) override {
    const std::optional<double> value = engine::ParseNumber(price);
    const long tick = std::lround(std::floor(PriceTick(contractCode) * 1000 + 0.5));
    return value && tick > 0 && std::lround(std::floor(*value * 1000 + 0.5)) % tick == 0;
  }
  bool ClosableVolume(engine::QuantityRecord& record, std::string&) override {
    quantityQueries.push_back(record);
    const engine::QuantityRecord query = record;
    record = closable;
    std::memcpy(record.szTradeAccount, query.szTradeAccount, offsetof(engine::QuantityRecord, usableMoney));
    return true;
  }
  std::vector<std::string> Customers() override { return customers; }
  std::string FirstCustomer() override { return firstCustomer; }
  bool SubmitOrder(const backend::CGlobalStringList& fields) override {
    std::vector<std::string> texts;
    for (std::uint32_t i = 0; i < fields.GetCount(); ++i) texts.emplace_back(fields.GetAt(i));
    submitted.push_back(texts);
    return true;
  }
  void LogUserAction(std::string_view text) override { logged.emplace_back(text); }
};

}  // namespace tradeviews::testing
