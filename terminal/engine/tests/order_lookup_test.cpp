// Orders found by their numbers among many rows, as the pushes of order
// states and cancels find them, while the table grows and shrinks.
#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "engine/testing/open_engine.h"
#include "engine/testing/rows.h"

namespace {

using engine::OrderRow;
using engine::Text;

constexpr int kOrders = 5'000;

// Orders 1 to kOrders at two exchanges and two order seats, each the
// contract "c<number>" so that a lookup's row tells which order it is.
class OrderLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int number = 1; number <= kOrders; ++number) AddOrder(std::to_string(number), Exchange(number), Seat(number));
  }

  static std::string_view Exchange(int number) { return number % 2 == 0 ? "F1" : "F2"; }
  static std::string_view Seat(int number) { return number % 3 == 0 ? "S1" : "S2"; }

  void AddOrder(std::string_view orderNo, std::string_view exchange, std::string_view seat,
                std::string_view contract = {}) {
    const std::string code = contract.empty() ? "c" + std::string(orderNo) : std::string(contract);
    engine.Add(engine::Table::kOrders,
               engine_testing::Order({.exchange = exchange, .orderNo = orderNo, .contract = code, .orderSeat = seat}));
  }

  // The contract of the order found, or "none".
  std::string Found(std::string_view orderNo, std::string_view exchange, std::string_view seat) {
    const std::optional<OrderRow> row =
        engine.FindOrderByTexts({.orderNo = orderNo, .exchangeCode = exchange, .orderSeat = seat});
    return row ? std::string(Text(row->szContractCode)) : "none";
  }

  engine_testing::OpenEngine engine;
};

TEST_F(OrderLookup, EveryOrderOfALongTableIsFoundByItsOwnTexts) {
  for (int number = 1; number <= kOrders; ++number) {
    const std::string orderNo = std::to_string(number);
    ASSERT_EQ(Found(orderNo, Exchange(number), Seat(number)), "c" + orderNo) << orderNo;
  }
}

TEST_F(OrderLookup, TextsThatShareANumberOrAKeyPartStayApart) {
  AddOrder("00042", "F1", "S1", "padded");
  AddOrder("A42", "F1", "S1", "lettered");
  AddOrder("7", "F1", "S1", "first seven");
  AddOrder("7", "F1", "S1", "second seven");
  struct Case {
    std::string_view orderNo, exchange, seat, found;
  };
  const Case cases[] = {
      {"42", "F1", "S1", "c42"},        {"00042", "F1", "S1", "padded"}, {"A42", "F1", "S1", "lettered"},
      {"042", "F1", "S1", "none"},      {"42", "F2", "S1", "none"},      {"42", "F1", "S2", "none"},
      {"7", "F1", "S1", "first seven"}, {"7", "F2", "S2", "c7"},         {"", "F1", "S1", "none"},
      {"5001", "F2", "S2", "none"},     {"F1", "S1", "42", "none"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Found(c.orderNo, c.exchange, c.seat), c.found) << c.orderNo << " " << c.exchange << " " << c.seat;
}

TEST_F(OrderLookup, RowsAddedOrRemovedAfterALookupAreSeen) {
  ASSERT_EQ(Found("10", "F1", "S2"), "c10");
  AddOrder("9001", "F2", "S1");
  EXPECT_EQ(Found("9001", "F2", "S1"), "c9001");
  {
    std::lock_guard guard(engine.lock_);
    ASSERT_TRUE(engine.TableAt(engine::Table::kOrders).RemoveEntry(0));  // order 1
  }
  EXPECT_EQ(Found("1", "F2", "S2"), "none");
  EXPECT_EQ(Found("4000", "F1", "S2"), "c4000");
  EXPECT_EQ(Found("9001", "F2", "S1"), "c9001");
}

}  // namespace
