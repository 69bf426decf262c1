// The trade push handler's lookup of local orders in the engine's order
// table: the running terminal's pump finds a fill's order through it.
#include "client/engine_order_lookup.h"

#include <gtest/gtest.h>

#include <mutex>
#include <optional>

#include "engine/row_field.h"
#include "engine/table_catalogue.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::SetText;

class EngineOrderLookupTest : public engine_testing::StartedEngine<> {
 protected:
  void SetUp() override {
    StartedEngine::SetUp();
    engine.Add(
        engine::Table::kOrders,
        engine_testing::Order({.orderNo = "00123", .lots = "3", .price = "71230", .seat = "S01", .orderSeat = "OS1"}));
  }

  client::EngineOrderLookup lookup{engine};
};

TEST_F(EngineOrderLookupTest, FindsAHeldOrderByExchangeSeatAndNumberOnceTheEngineIsReady) {
  EXPECT_EQ(lookup.FindOrder("F1", "8001", "OS1", "00123"), std::nullopt) << "while the engine downloads";
  MakeReady();

  const std::optional<client::KnownOrder> found = lookup.FindOrder("F1", "8001", "OS1", "00123");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->orderNo, "00123");
  EXPECT_EQ(found->orderingSeat, "OS1");
  EXPECT_EQ(found->seatCode, "S01");
  EXPECT_EQ(found->contractCode, "cu2609");
  EXPECT_EQ(found->lots, "3");
  EXPECT_EQ(found->price, "71230");

  EXPECT_EQ(lookup.FindOrder("F1", "8001", "OS2", "00123"), std::nullopt);
  EXPECT_EQ(lookup.FindOrder("F2", "8001", "OS1", "00123"), std::nullopt);
  EXPECT_EQ(lookup.FindOrder("F1", "8001", "OS1", "124"), std::nullopt);
}

}  // namespace
