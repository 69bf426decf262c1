#include "order_client.h"

#include <algorithm>

namespace simbackend_test {

std::vector<std::string> OrderParameters(const OrderFields& o) {
  return {o.exchange, o.contract,  o.buySell,  o.openClose, o.hedge, o.lots, o.price, o.tradeCode,
          o.seat,     o.priceType, o.validity, "",          "",      "",     "",      o.kind};
}

std::vector<std::string> CancelParameters(const std::string& number, const std::string& orderSeat) {
  return {"", "", "", "", "", "", "", number, "", "", orderSeat, orderSeat};
}

BestPrices BestOf(RawClient& client, const std::string& customer, const std::string& password,
                  const std::string& exchange, const std::string& contract) {
  const std::string quote = client.Call(RequestText(2, 5007, customer, password, {exchange, contract}));
  EXPECT_EQ(Field(quote, 4), "Y") << quote;
  const auto volume = [&](std::size_t field) {
    return std::stoll("0" + Field(quote, field).substr(0, Field(quote, field).find(',')));
  };
  return {Field(quote, 17), Field(quote, 18), volume(19), volume(20)};
}

int PushCode(const std::string& line) { return std::atoi(Field(line, 4).c_str()); }

std::string PushedOrderNumber(const std::string& line) { return Field(line, PushCode(line) == 15005 ? 11 : 9); }

std::vector<std::string> PushesWithCodes(RawClient& client, const std::vector<int>& codes, std::size_t count) {
  std::vector<std::string> lines;
  while (lines.size() < count) {
    std::optional<std::string> line = client.NextPushLine();
    if (!line) break;
    if (std::find(codes.begin(), codes.end(), PushCode(*line)) != codes.end()) lines.push_back(std::move(*line));
  }
  return lines;
}

std::vector<std::string> PushesOfOrder(RawClient& client, const std::string& number, std::size_t count) {
  std::vector<std::string> lines;
  while (lines.size() < count) {
    std::vector<std::string> next = PushesWithCodes(client, {15002, 15004, 15005}, 1);
    if (next.empty()) break;
    if (PushedOrderNumber(next[0]) == number) lines.push_back(std::move(next[0]));
  }
  return lines;
}

std::string OrderTest::Placed(RawClient& client, const std::string& customer, const std::string& password,
                              const OrderFields& order) {
  const std::string answer = client.Call(RequestText(++sequence_, 5011, customer, password, OrderParameters(order)));
  if (Field(answer, 4) == "Y") {
    const std::vector<std::string> taken = PushesOfOrder(client, Field(answer, 5), 1);
    EXPECT_EQ(taken.size(), 1u) << answer;
    for (const std::string& push : taken) EXPECT_EQ(Field(push, 14), "a") << push;
  }
  return answer;
}

simbackend::OrderView OrderTest::BookOrder(const std::string& number) const {
  const std::optional<simbackend::AccountView> book = server_->Book("10001");
  if (book)
    for (const simbackend::OrderView& order : book->orders)
      if (order.number == number) return order;
  ADD_FAILURE() << "no order " << number << " in the book";
  return {};
}

bool OrderTest::StepUntil(const std::string& number, const std::string& state) {
  constexpr int kMaxSteps = 2000;
  for (int step = 0; step < kMaxSteps; ++step) {
    if (BookOrder(number).state == state) return true;
    server_->AdvanceQuotes();
  }
  return false;
}

}  // namespace simbackend_test
