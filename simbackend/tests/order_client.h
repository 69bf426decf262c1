// The demo account at a back end whose market moves only when a test steps
// it, with the order requests that the terminal sends and the order pushes
// that come back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server_fixture.h"

namespace simbackend_test {

// An order as the terminal sends it (5011): a limit order of the day to
// open speculation unless set otherwise; an empty trade code and seat take
// the account's own.
struct OrderFields {
  std::string exchange{};
  std::string contract{};
  std::string buySell = "0";
  std::string openClose = "0";
  std::string lots = "1";
  std::string price{};
  std::string priceType = "0";
  std::string validity = "0";
  std::string hedge = "0";
  std::string tradeCode{};
  std::string seat{};
  std::string kind = "A";  // "N" opens for a profit/loss order
};

std::vector<std::string> OrderParameters(const OrderFields& order);
// The cancel request (5012) of an order by its number and order seat.
std::vector<std::string> CancelParameters(const std::string& number, const std::string& orderSeat);

// The best prices and volumes of a contract as the quote query answers them.
struct BestPrices {
  std::string bid;
  std::string ask;
  long long bidVolume = 0;
  long long askVolume = 0;
};
BestPrices BestOf(RawClient& client, const std::string& customer, const std::string& password,
                  const std::string& exchange, const std::string& contract);

// The code of a pushed line and the order number it is about.
int PushCode(const std::string& line);
std::string PushedOrderNumber(const std::string& line);

// The next `count` order, cancel and trade push lines (15002, 15004, 15005)
// of the order with that number; other pushes are passed over. Fewer when
// they do not come in time.
std::vector<std::string> PushesOfOrder(RawClient& client, const std::string& number, std::size_t count);

// The next `count` push lines with one of `codes`.
std::vector<std::string> PushesWithCodes(RawClient& client, const std::vector<int>& codes, std::size_t count);

class OrderTest : public ServerFixture {
 protected:
  void SetUp() override {
    simbackend::ServerOptions options;
    options.quoteInterval = std::chrono::milliseconds(0);
    StartServer(std::move(options));
    demo_ = LoggedIn("10001", "111111");
  }

  std::string Send(const OrderFields& order) {
    return demo_->Call(RequestText(++sequence_, 5011, "10001", "111111", OrderParameters(order)));
  }
  // Sends the order and, when it is entered, takes the push that tells the
  // exchange took it: the book then shows what crossing the market at once
  // did to it. The answer.
  std::string Placed(RawClient& client, const std::string& customer, const std::string& password,
                     const OrderFields& order);
  std::string Placed(const OrderFields& order) { return Placed(*demo_, "10001", "111111", order); }
  std::string Cancel(const std::string& number, const std::string& orderSeat) {
    return demo_->Call(RequestText(++sequence_, 5012, "10001", "111111", CancelParameters(number, orderSeat)));
  }
  BestPrices Best(const std::string& exchange, const std::string& contract) {
    return BestOf(*demo_, "10001", "111111", exchange, contract);
  }
  // The demo account's order with that number in the back end's book.
  simbackend::OrderView BookOrder(const std::string& number) const;
  // Steps the market until the order's state is `state`; false when it
  // does not get there within a bounded number of steps.
  bool StepUntil(const std::string& number, const std::string& state);

  std::unique_ptr<RawClient> demo_;
  int sequence_ = 10;
};

}  // namespace simbackend_test
