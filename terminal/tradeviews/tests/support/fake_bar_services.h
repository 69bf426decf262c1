// The query bars' services and prompts for tests: an engine of the test's
// own, a quotation the test sets, settings the test sets, and every call
// recorded (the submitted lists as their texts).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backend/global_string_list.h"
#include "engine/operation_engine.h"
#include "tradeviews/model/bar_services.h"
#include "tradeviews/model/change_price.h"
#include "tradeviews/model/position_bar_actions.h"

namespace tradeviews_testing {

using Texts = std::vector<std::string>;

inline Texts TextsOf(const backend::CGlobalStringList& list) {
  Texts texts;
  for (std::uint32_t i = 0; i < list.GetCount(); ++i) texts.emplace_back(list.GetAt(i));
  return texts;
}

struct CancelCall {
  std::string customer;
  Texts orderNos;
  Texts seats;
  Texts orderSeats;
};

class FakeBarServices final : public tradeviews::BarServices {
 public:
  explicit FakeBarServices(engine::COperationEngine& engine) : engine_(engine) {}

  engine::COperationEngine& Engine() override { return engine_; }
  tradeviews::BarSettings Settings() const override { return settings; }
  std::string FirstAccountCode() const override { return firstAccount; }

  bool DeleteOrder(std::string_view customer, std::string_view orderNo, std::string_view seat,
                   std::string_view orderSeat, std::string& message) override {
    cancels.push_back({std::string(customer), {std::string(orderNo)}, {std::string(seat)}, {std::string(orderSeat)}});
    message = refusal;
    return refusal.empty();
  }
  bool DeleteAllOrder(std::string_view customer, const backend::CGlobalStringList& orderNos,
                      const backend::CGlobalStringList& seats, const backend::CGlobalStringList& orderSeats,
                      std::string& message) override {
    batches.push_back({std::string(customer), TextsOf(orderNos), TextsOf(seats), TextsOf(orderSeats)});
    const bool refused = refuseBatchFrom >= 0 && static_cast<int>(batches.size()) > refuseBatchFrom;
    message = refused ? "refused" : "";
    return !refused;
  }
  bool QueryFunds(std::string_view customer, std::string& message) override {
    fundQueries.emplace_back(customer);
    message = refusal;
    return refusal.empty();
  }
  bool GetQuote(std::string_view exchangeCode, std::string_view, backend::QuoteRecord& quote) override {
    quoteExchanges.emplace_back(exchangeCode);
    if (!quotation) return false;
    quote = *quotation;
    return true;
  }
  void SubmitOrder(const backend::CGlobalStringList& list) override { orders.push_back(TextsOf(list)); }
  void SubmitReverseOrder(const backend::CGlobalStringList& list) override { reverses.push_back(TextsOf(list)); }
  void SubmitChangePriceOrder(const backend::CGlobalStringList& list) override { changes.push_back(TextsOf(list)); }
  void FillOrderForm(const order_module::OrderRecord& record) override { forms.push_back(record); }
  void WriteLog(std::string_view line) override { logLines.emplace_back(line); }

  // What the test sets.
  tradeviews::BarSettings settings;
  std::string firstAccount = "8001";
  std::string refusal;       // the text of refused single cancels and fund queries
  int refuseBatchFrom = -1;  // batch sends from this index on are refused
  std::optional<backend::QuoteRecord> quotation;

  // What was asked.
  std::vector<CancelCall> cancels;
  std::vector<CancelCall> batches;
  std::vector<std::string> fundQueries;
  std::vector<std::string> quoteExchanges;
  std::vector<Texts> orders;
  std::vector<Texts> reverses;
  std::vector<Texts> changes;
  std::vector<order_module::OrderRecord> forms;
  std::vector<std::string> logLines;

 private:
  engine::COperationEngine& engine_;
};

class FakeBarPrompts final : public tradeviews::BarPrompts {
 public:
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  bool AskOkCancel(std::string_view text) override {
    questions.emplace_back(text);
    return answerOk;
  }
  void ShowChangePrice(const tradeviews::ChangePriceRecord& record) override { changePrice = record; }
  void ShowReverseOrder(const tradeviews::PositionOrderRecord& record) override { reverse = record; }

  bool answerOk = true;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::optional<tradeviews::ChangePriceRecord> changePrice;
  std::optional<tradeviews::PositionOrderRecord> reverse;
};

}  // namespace tradeviews_testing
