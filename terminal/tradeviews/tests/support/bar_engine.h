// A ready engine for the query bars' tests, holding the contracts they
// price (ticks of 10, 0.2 and 0.005) and the exchanges they name, with the
// bars' services and prompts faked around it.
#pragma once

#include <gtest/gtest.h>

#include "engine/table_catalogue.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"
#include "fake_bar_services.h"
#include "tradeviews/model/bar_cells.h"

namespace tradeviews_testing {

inline constexpr std::string_view kCopper = "cu2609";   // tick 10, 5 per lot
inline constexpr std::string_view kMeal = "m2609";      // tick 0.2, 10 per lot
inline constexpr std::string_view kBond = "T2609";      // tick 0.005, 10000 per lot
inline constexpr std::string_view kUnpriced = "zz999";  // not in the contract table
// The exchange of the contracts: one character, as the back end's ids are.
inline constexpr std::string_view kExchangeId = "S";

class BarEngine : public engine_testing::StartedEngine<> {
 protected:
  void SetUp() override {
    StartedEngine::SetUp();
    MakeReady();
    using engine_testing::Contract;
    engine.Add(engine::Table::kContracts,
               Contract({.exchange = kExchangeId, .code = kCopper, .multiplier = "5", .tick = "10"}));
    engine.Add(engine::Table::kContracts,
               Contract({.exchange = kExchangeId, .code = kMeal, .multiplier = "10", .tick = "0.2"}));
    engine.Add(engine::Table::kContracts,
               Contract({.exchange = kExchangeId, .code = kBond, .multiplier = "10000", .tick = "0.005"}));
    engine.Add(engine::Table::kExchangeSeats,
               engine_testing::ExchangeSeat({.exchange = kExchangeId, .name = "上期所", .abbreviation = "sfe"}));
  }

  // A reconnect: the engine downloads the account again and refuses the
  // bars' questions meanwhile.
  void MakeReconnecting() {
    engine.OnConnectionState(engine::connection_state::kConnected, 2, 0);
    ASSERT_EQ(engine.GetEngineState(), engine::EngineState::kReconnectDownload);
  }

  tradeviews::BarLookups lookups{engine};
  FakeBarServices services{engine};
  FakeBarPrompts prompts;
};

}  // namespace tradeviews_testing
