#include "other_client.h"

#include <vector>

#include "combination_orders.h"

namespace simbackend {
namespace {

constexpr const char* kBuy = "0";
constexpr const char* kOpen = "0";
constexpr const char* kSpeculation = "0";
constexpr const char* kExercise = "1";

// A condition order to buy a lot of the account's first futures contract at
// its lower limit once the last price is at or above that limit, which it
// always is: it asks at once.
void AskConditionQuestion(const BackendData& data, TradingFloor& floor, const std::string& customer) {
  for (std::size_t index = 0; index < data.contracts.size(); ++index) {
    const Contract& contract = data.contracts[index];
    const TradeCode* code = data.TradeCodeFor(customer, contract.exchange, kSpeculation);
    if (contract.kind != ContractKind::kFutures || code == nullptr) continue;
    ConditionOrder order;
    order.customer = customer;
    order.contract = index;
    order.buySell = kBuy;
    order.openClose = kOpen;
    order.hedge = kSpeculation;
    order.lots = 1;
    order.price = contract.lowerLimit;
    order.tradeCode = code->code;
    order.seat = code->seat;
    order.triggerPrice = "0";  // the last price
    order.comparison = ">=";
    order.trigger = contract.lowerLimit;
    order.askFirst = "1";
    order.choice = "1";
    std::vector<std::string> answer;
    if (!floor.AddCondition(std::move(order), true, answer)) floor.FollowStanding();
    return;
  }
}

// A spread of a lot on the first strategy the account can place, priced
// below any difference of its legs' prices: it never fills.
void EnterAndCancelSpecialOrder(const BackendData& data, TradingFloor& floor, const std::string& customer) {
  for (const CombinationStrategy& strategy : data.strategies) {
    const Contract* first = nullptr;
    for (const Contract& contract : data.contracts) {
      if (contract.exchange != strategy.exchange || contract.kind != ContractKind::kFutures) continue;
      if (first == nullptr) {
        first = &contract;
        continue;
      }
      if (contract.variety != first->variety) continue;
      const std::int64_t neverCrossed = first->lowerLimit - contract.upperLimit - 1;
      const SpecialOrder order{data.exchanges[strategy.exchange].id,
                               strategy.code,
                               first->code,
                               contract.code,
                               kBuy,
                               kOpen,
                               kSpeculation,
                               "1",
                               data.PriceText(*first, neverCrossed)};
      std::string refusal;
      const std::optional<std::string> number = PlaceSpecialOrder(data, floor, customer, order, refusal);
      if (number && CancelSpecialOrder(floor, customer, *number, refusal)) return;
      break;
    }
  }
}

// An exercise application of a lot of the account's first long option
// position that has one free, at a seat that takes exercise applications.
void ApplyForExercise(const BackendData& data, TradingFloor& floor, const std::string& customer) {
  for (const HeldDetail& held : floor.DayOf(customer).details) {
    const Contract& option = data.contracts[held.contract];
    if (option.kind != ContractKind::kOption || held.buySell != kBuy) continue;
    ExerciseApplication application;
    application.customer = customer;
    application.exchange = data.ExchangeOf(option).id;
    application.contract = option.code;
    application.buySell = kBuy;
    application.hedge = held.hedge;
    application.lots = 1;
    application.tradingCode = held.tradeCode;
    application.seat = held.seat;
    application.orderSeat = held.seat;
    application.type = kExercise;
    ExerciseApplication entered;
    std::string push;
    if (!floor.Apply(std::move(application), TradingFloor::Backing::kHeldNow, entered, push)) {
      floor.Publish(customer, {push});
      return;
    }
  }
}

}  // namespace

void ActAsOtherClient(const BackendData& data, TradingFloor& floor, const std::string& customer) {
  AskConditionQuestion(data, floor, customer);
  EnterAndCancelSpecialOrder(data, floor, customer);
  ApplyForExercise(data, floor, customer);
}

}  // namespace simbackend
